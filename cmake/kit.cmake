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
    if(NOT EXISTS ${JPEG_ROOT}/lib/libjpeg.a)
        message(FATAL_ERROR "libjpeg not found in '${JPEG_ROOT}'; run scripts/provision <build folder>")
    endif()
    add_library(jpeg62 STATIC IMPORTED GLOBAL)
    set_target_properties(jpeg62 PROPERTIES
        IMPORTED_LOCATION ${JPEG_ROOT}/lib/libjpeg.a
        INTERFACE_INCLUDE_DIRECTORIES ${JPEG_ROOT}/include)
endfunction()

# kit_embed(): binary files compiled into a program as byte arrays.
include(${CMAKE_CURRENT_LIST_DIR}/embed.cmake)
