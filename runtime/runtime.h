// The runtime layer shared by the three programs.
#pragma once

#include "runtime/file.h"
#include "runtime/gadget.h"
#include "runtime/image.h"
#include "runtime/path_text.h"
#include "runtime/run_log.h"
#include "runtime/settings.h"
#include "runtime/system.h"
#include "runtime/text.h"
#include "runtime/unicode.h"
#include "runtime/window.h"

// Prepares the layer's tables, the window template class, the default GUI
// font and the common controls.  Called once at program start.
void init_runtime();
// Closes every window, file and listing and frees fonts and images.
void release_runtime();
