# Run by cpack on the staged files before it packs them: takes the
# compilers' identification (the section .comment) out of every ELF file,
# which nothing reads, as Debian's own packages do.

find_program(OBJCOPY objcopy REQUIRED)
file(GLOB_RECURSE files LIST_DIRECTORIES false "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
foreach(file IN LISTS files)
    if(IS_SYMLINK "${file}")
        continue()
    endif()
    file(READ "${file}" magic LIMIT 4 HEX)
    if(magic STREQUAL "7f454c46")
        execute_process(COMMAND ${OBJCOPY} --remove-section=.comment "${file}"
                        COMMAND_ERROR_IS_FATAL ANY)
    endif()
endforeach()
