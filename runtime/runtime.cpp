#include "runtime/runtime.h"

void init_runtime() {
}

void release_runtime() {
    close_settings();
    release_files();
}
