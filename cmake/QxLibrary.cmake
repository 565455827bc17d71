# One static library per source folder, and the rule that keeps the folders layered.
#
# qx_expose_headers(<target>) publishes the headers among the target's own sources, and nothing else, under an
# include root of the target's own in the build tree, keeping their paths from the source root
# (`#include "core/faces.h"`). The source root itself is on no library's include path: a library reaches only its own
# headers and those of the libraries it links, so an include against the direction of the links does not compile.
function(qx_expose_headers target)
    set(root "${PROJECT_BINARY_DIR}/include/${target}")
    get_target_property(sources ${target} SOURCES)
    get_target_property(source_dir ${target} SOURCE_DIR)
    foreach(source IN LISTS sources)
        if(NOT source MATCHES "\\.h$")
            continue()
        endif()
        cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY "${source_dir}" NORMALIZE OUTPUT_VARIABLE header)
        cmake_path(RELATIVE_PATH header BASE_DIRECTORY "${PROJECT_SOURCE_DIR}" OUTPUT_VARIABLE relative)
        set(link "${root}/${relative}")
        cmake_path(GET link PARENT_PATH parent)
        file(MAKE_DIRECTORY "${parent}")
        if(NOT IS_SYMLINK "${link}")
            file(CREATE_LINK "${header}" "${link}" SYMBOLIC)
        endif()
    endforeach()
    target_include_directories(${target} PUBLIC "${root}")
endfunction()

# qx_add_library(<name> <alias> SOURCES ... [LINKS ...]): a static library of one folder, exposing its headers.
function(qx_add_library name alias)
    cmake_parse_arguments(ARG "" "" "SOURCES;LINKS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    add_library(${alias} ALIAS ${name})
    target_link_libraries(${name} PUBLIC ${ARG_LINKS})
    qx_expose_headers(${name})
endfunction()
