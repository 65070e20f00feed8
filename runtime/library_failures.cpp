// What the C++ library does when it fails inside a program that ships.  The
// programs are built without exceptions, so a failure the library reports by
// throwing (an allocation that fails, a string longer than memory allows)
// can only end the program: the exception finds no handler, and the
// library's terminate handler writes its name to a console a GUI program
// does not have, then aborts.  Ending the program here does the same at
// once, and keeps out of every program some 150 KB of exception objects,
// the threads library that guards them and the symbol demangler that the
// terminate handler uses.
//
// Linked directly into each program (kit_program), never into the tests,
// which are built with exceptions.
#include <cstdlib>
#include <new>

// Allocation: the throwing forms end the program when memory is exhausted;
// the nothrow forms return null, as callers that can do without the memory
// expect (a picture too large to decode is not shown).  No new-handler is
// ever installed, so there is none to call.
void* operator new(std::size_t size) {
    if (void* block = std::malloc(size ? size : 1)) return block;
    std::abort();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size ? size : 1); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size ? size : 1); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }

// Every throw function of the library's functexcept.o: with one missing, the
// linker would take that object and report each of these as defined twice.
namespace std {

[[noreturn]] void __throw_bad_exception() { abort(); }
[[noreturn]] void __throw_bad_alloc() { abort(); }
[[noreturn]] void __throw_bad_array_new_length() { abort(); }
[[noreturn]] void __throw_bad_cast() { abort(); }
[[noreturn]] void __throw_bad_typeid() { abort(); }
[[noreturn]] void __throw_logic_error(const char*) { abort(); }
[[noreturn]] void __throw_domain_error(const char*) { abort(); }
[[noreturn]] void __throw_invalid_argument(const char*) { abort(); }
[[noreturn]] void __throw_length_error(const char*) { abort(); }
[[noreturn]] void __throw_out_of_range(const char*) { abort(); }
[[noreturn]] void __throw_out_of_range_fmt(const char*, ...) { abort(); }
[[noreturn]] void __throw_runtime_error(const char*) { abort(); }
[[noreturn]] void __throw_range_error(const char*) { abort(); }
[[noreturn]] void __throw_overflow_error(const char*) { abort(); }
[[noreturn]] void __throw_underflow_error(const char*) { abort(); }

}  // namespace std

namespace __gnu_cxx {

[[noreturn]] void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
