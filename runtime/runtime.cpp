#include "runtime/runtime.h"

#include "runtime/loaded_library.h"
#include "runtime/safe_delete.h"

void init_runtime() {
    search_system_folder_only();
    init_windows();
}

void release_runtime() {
    release_windows();
    release_programs();
    close_settings();
    release_files();
    release_held_folders();
    release_images();
}
