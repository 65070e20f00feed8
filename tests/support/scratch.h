// The unit tests' scratch folders and file helpers: those of the driver
// library, which the end-to-end tests and the demo use too.
#pragma once

#include "driver/scratch.h"
