// Functions of system libraries that the layer loads at run time, so that
// a program still starts where a library or function is missing.
#pragma once

#include <windows.h>

// A function of a library loaded at run time, nullptr when it is missing.
template <typename Function>
Function library_function(HMODULE library, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}
