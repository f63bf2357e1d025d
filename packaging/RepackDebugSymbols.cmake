# Run by cpack once the packages are made: the debug symbols' package, as
# CPack writes it, names its files in md5sums by their paths in the build's
# staging folder, marks them executable and has no documentation. It is
# packed again by dpkg-deb (under SOURCE_DATE_EPOCH as reproducibly) as
# Debian's own are: files read-only data with their sums as installed, and
# the documentation folder a link to that of the package it serves.

find_program(DPKG_DEB dpkg-deb REQUIRED)
foreach(package IN LISTS CPACK_PACKAGE_FILES)
    if(NOT package MATCHES "-dbgsym_[^/]*\\.ddeb$")
        continue()
    endif()
    set(tree "${package}.tree")
    file(REMOVE_RECURSE "${tree}")
    execute_process(COMMAND ${DPKG_DEB} --raw-extract "${package}" "${tree}"
                    COMMAND_ERROR_IS_FATAL ANY)
    file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${tree}" "${tree}/usr/*")
    list(SORT files)
    set(sums "")
    foreach(file IN LISTS files)
        file(CHMOD "${tree}/${file}" FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
        file(MD5 "${tree}/${file}" sum)
        string(APPEND sums "${sum}  ${file}\n")
    endforeach()
    file(WRITE "${tree}/DEBIAN/md5sums" "${sums}")
    string(REGEX REPLACE "^.*/([^/_]+)-dbgsym_[^/]*$" "\\1" served "${package}")
    file(MAKE_DIRECTORY "${tree}/usr/share/doc")
    file(CREATE_LINK ${served} "${tree}/usr/share/doc/${served}-dbgsym" SYMBOLIC)
    execute_process(COMMAND ${DPKG_DEB} --root-owner-group -Zxz --build "${tree}" "${package}"
                    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    file(REMOVE_RECURSE "${tree}")
endforeach()
