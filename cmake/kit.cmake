# The kit's own build functions, shared by the Windows tree and the host tier.

# kit_library(<name> <sources...> [LINK <libraries...>]): a static library of
# the kit's own code, built with the kit's program flags, linking the
# libraries given.
function(kit_library name)
    cmake_parse_arguments(LIBRARY "" "" "LINK" ${ARGN})
    add_library(${name} STATIC ${LIBRARY_UNPARSED_ARGUMENTS})
    target_compile_options(${name} PRIVATE ${KIT_PROGRAM_FLAGS})
    target_link_libraries(${name} PUBLIC ${LIBRARY_LINK})
endfunction()

# kit_import_jpeg(): the target jpeg62, libjpeg's static library (IJG 6b
# interface) that scripts/provision built for this compiler into JPEG_ROOT.
function(kit_import_jpeg)
    kit_import_library(jpeg62 ${JPEG_ROOT} libjpeg.a)
endfunction()

# kit_import_library(<target> <root> <file>): a static library a provision
# step built into <root>/lib, with its headers in <root>/include.
function(kit_import_library target root file)
    if(NOT EXISTS ${root}/lib/${file})
        message(FATAL_ERROR "${file} not found in '${root}'; run scripts/provision <build folder>")
    endif()
    add_library(${target} STATIC IMPORTED GLOBAL)
    set_target_properties(${target} PROPERTIES
        IMPORTED_LOCATION ${root}/lib/${file}
        INTERFACE_INCLUDE_DIRECTORIES ${root}/include)
endfunction()

# kit_embed(): binary files compiled into a program as byte arrays.
include(${CMAKE_CURRENT_LIST_DIR}/embed.cmake)
