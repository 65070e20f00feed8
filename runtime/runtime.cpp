#include "runtime/runtime.h"

void init_runtime() {
    init_windows();
}

void release_runtime() {
    release_windows();
    release_programs();
    close_settings();
    release_files();
    release_images();
}
