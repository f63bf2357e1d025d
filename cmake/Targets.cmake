# How the project makes its targets.
#
# Every target links quillmere_options: the warnings, -Werror with
# QUILLMERE_WERROR, and the sanitizer of the build (quillmere_check_targets
# fails the configure step for one that does not). A library shows its users
# its own headers and no others: its public include folder, in the build's
# include/, holds nothing but a link named after its source folder, so
# #include "melody/Melody.h" compiles in a target that links melody and in no
# other.

# Address and thread sanitizer exclude each other; the fuzz targets run under
# the address sanitizer (scripts/test.sh builds them in its address-sanitizer
# build, whose tests thus run under clang).
if(QUILLMERE_TSAN AND (QUILLMERE_SANITIZE OR QUILLMERE_FUZZ))
    message(FATAL_ERROR "QUILLMERE_TSAN cannot be combined with QUILLMERE_SANITIZE or "
                        "QUILLMERE_FUZZ: ThreadSanitizer and AddressSanitizer exclude each other. "
                        "Configure a build folder for each.")
endif()

add_library(quillmere_options INTERFACE)
target_compile_options(quillmere_options INTERFACE -Wall -Wextra
                       $<$<BOOL:${QUILLMERE_WERROR}>:-Werror>)
if(QUILLMERE_SANITIZE OR QUILLMERE_FUZZ)
    set(sanitizer_flags -fsanitize=address,undefined -fno-sanitize-recover=all)
elseif(QUILLMERE_TSAN)
    set(sanitizer_flags -fsanitize=thread)
endif()
if(sanitizer_flags)
    target_compile_options(quillmere_options INTERFACE ${sanitizer_flags} -fno-omit-frame-pointer)
    target_link_options(quillmere_options INTERFACE ${sanitizer_flags})
endif()
if(QUILLMERE_FUZZ)
    # Everything is instrumented for coverage; only the fuzz targets
    # themselves get libFuzzer's main.
    target_compile_options(quillmere_options INTERFACE -fsanitize=fuzzer-no-link)
endif()

# quillmere_headers(TARGET PUBLIC|PRIVATE|INTERFACE FOLDER [FILES header...])
# Shows TARGET (and, but PRIVATE, its users) the source folder FOLDER, a path
# in the project, as #include "NAME/...", NAME being the folder's own name;
# with FILES, only those headers of it.
function(quillmere_headers target scope folder)
    cmake_parse_arguments(ARG "" "" "FILES" ${ARGN})
    get_filename_component(name ${folder} NAME)
    set(root ${PROJECT_BINARY_DIR}/include/${target})
    if(ARG_FILES)
        file(MAKE_DIRECTORY ${root}/${name})
        foreach(header ${ARG_FILES})
            file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder}/${header} ${root}/${name}/${header}
                 SYMBOLIC)
        endforeach()
    else()
        file(MAKE_DIRECTORY ${root})
        file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${root}/${name} SYMBOLIC)
    endif()
    target_include_directories(${target} ${scope} ${root})
endfunction()

# quillmere_add_library(NAME STATIC|SHARED SOURCE...): a library of the
# current source folder, its headers public.
function(quillmere_add_library name type)
    add_library(${name} ${type} ${ARGN})
    target_link_libraries(${name} PRIVATE quillmere_options)
    file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
    quillmere_headers(${name} PUBLIC ${folder})
endfunction()

# quillmere_add_executable(NAME SOURCE...)
function(quillmere_add_executable name)
    add_executable(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE quillmere_options)
endfunction()

# Fails the configure step for a target under FOLDER that does not link
# quillmere_options.
function(quillmere_check_targets folder)
    get_property(targets DIRECTORY ${folder} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target ${targets})
        get_target_property(type ${target} TYPE)
        if(type MATCHES "^(STATIC|SHARED|MODULE|OBJECT)_LIBRARY$|^EXECUTABLE$")
            get_target_property(libraries ${target} LINK_LIBRARIES)
            if(NOT quillmere_options IN_LIST libraries)
                message(FATAL_ERROR "${target} (${folder}) does not link quillmere_options")
            endif()
        endif()
    endforeach()
    get_property(folders DIRECTORY ${folder} PROPERTY SUBDIRECTORIES)
    foreach(subfolder ${folders})
        quillmere_check_targets(${subfolder})
    endforeach()
endfunction()
