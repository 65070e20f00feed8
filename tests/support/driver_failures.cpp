// Linked into each end-to-end test program: what the driver cannot do
// becomes a non-fatal test failure at the calling test's line, as if the
// test had checked it there.
#include <gtest/gtest.h>

#include "driver/driver.h"

namespace {

void add_test_failure(const char* file, int line, const std::string& message) {
    ADD_FAILURE_AT(file, line) << message;
}

// Set while the program starts, before any test runs.
[[maybe_unused]] const bool handler_set = (set_failure_handler(add_test_failure), true);

}  // namespace
