# The host tier: the kit's pure logic (no system calls) built for this
# machine with AddressSanitizer and UndefinedBehaviorSanitizer, its unit tests
# and the replay of every fuzzing corpus; with clang also the libFuzzer
# targets.  Configured by scripts/test once with g++ and once with clang:
#
#   cmake -S . -B build/host-gcc -G Ninja -DCMAKE_CXX_COMPILER=g++ -DCMAKE_C_COMPILER=gcc
#         -DJPEG_ROOT=build/deps/jpeg-gcc
set(KIT_HOST ON)
if(NOT CMAKE_BUILD_TYPE)
    set(CMAKE_BUILD_TYPE RelWithDebInfo)
endif()

set(KIT_SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    # Coverage for the fuzzers in everything the targets reach.
    list(APPEND KIT_SANITIZERS -fsanitize=fuzzer-no-link)
    set(KIT_FUZZERS ON)
endif()
add_compile_options(${KIT_SANITIZERS} -Wall -Wextra)
add_link_options(${KIT_SANITIZERS})
# The kit's own code: warnings are errors here.  Texts are bytes written as
# escapes, so no character-set setting is needed.
set(KIT_PROGRAM_FLAGS -Werror -fno-exceptions -fno-rtti)

# libjpeg from the same Debian source as the programs', built for this
# machine by scripts/provision.
set(JPEG_ROOT "" CACHE PATH "static jpeg62 build for this compiler")
kit_import_jpeg()

add_subdirectory(runtime)
add_subdirectory(installer)
add_subdirectory(uninstaller)
add_subdirectory(splash)
add_subdirectory(checker)
add_subdirectory(packer)

enable_testing()
add_subdirectory(tests/host)
add_subdirectory(tests/fuzz)
