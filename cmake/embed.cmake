# Binary files compiled into a program as byte arrays.
#
#   kit_embed(<target> <file> <symbol>)
#
# generates, at build time, a source file that defines
#
#   extern const unsigned char <symbol>[];   // the file's bytes
#   extern const size_t <symbol>_size;       // their number
#
# and adds it to the target.  A relative file name is taken from the calling
# folder.  The code that uses the data declares the two names itself.
#
# This file is also the generator: CMake runs it in script mode with INPUT,
# OUTPUT and SYMBOL set.

if(CMAKE_SCRIPT_MODE_FILE)
    file(READ "${INPUT}" hex HEX)
    string(LENGTH "${hex}" digits)
    math(EXPR size "${digits} / 2")
    if(size EQUAL 0)
        set(bytes "0")
    else()
        string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
        # Sixteen bytes to a line (CMake's expressions have no {16}).
        string(REPEAT "0x..," 16 line)
        string(REGEX REPLACE "(${line})" "\\1\n    " bytes "${bytes}")
    endif()
    file(WRITE "${OUTPUT}.tmp"
        "// Generated from ${INPUT} at build time.\n"
        "#include <cstddef>\n\n"
        "extern const unsigned char ${SYMBOL}[] = {\n    ${bytes}\n};\n"
        "extern const size_t ${SYMBOL}_size = ${size};\n")
    file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
    return()
endif()

set(KIT_EMBED_GENERATOR ${CMAKE_CURRENT_LIST_FILE})

function(kit_embed target input symbol)
    get_filename_component(input "${input}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
    set(output ${CMAKE_CURRENT_BINARY_DIR}/embedded/${symbol}.cpp)
    add_custom_command(OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -DINPUT=${input} -DOUTPUT=${output} -DSYMBOL=${symbol}
                -P ${KIT_EMBED_GENERATOR}
        DEPENDS ${input} ${KIT_EMBED_GENERATOR}
        COMMENT "Embedding ${input} as ${symbol}"
        VERBATIM)
    target_sources(${target} PRIVATE ${output})
endfunction()
