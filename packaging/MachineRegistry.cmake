# Installs the machine's registry, registry.reg in the program folder: the
# component as the installed regsvr registers it with "--system". Run by
# "cmake --install" (and so by cpack) after the programs are in place, with
#   QUILLMERE_PROGRAM_FOLDER  the installed program folder (no DESTDIR)
#   QUILLMERE_SCRATCH         an empty folder of the build's to work in
# The registration runs on copies in the scratch folder, whose path is then
# replaced by the program folder's: so a staged install (DESTDIR) writes the
# same file as an install in place, nothing but the registry lands in the
# program folder, and an environment that names another machine's registry
# has no say. file(INSTALL) records the file in the install manifest, which
# is what uninstalling removes.

set(folder "${QUILLMERE_PROGRAM_FOLDER}")
set(staged "$ENV{DESTDIR}${folder}")
set(scratch "${QUILLMERE_SCRATCH}")
file(REMOVE_RECURSE "${scratch}")
file(MAKE_DIRECTORY "${scratch}/out")
file(COPY "${staged}/regsvr" "${staged}/libPellumo.so" DESTINATION "${scratch}")
execute_process(
    COMMAND ${CMAKE_COMMAND} -E env --unset=QUILLMERE_SYSTEM_REGISTRY --unset=QUILLMERE_REGISTRY
            "${scratch}/regsvr" --system "${scratch}/libPellumo.so"
    OUTPUT_VARIABLE output ERROR_VARIABLE output RESULT_VARIABLE result)
if(NOT result EQUAL 0 OR NOT EXISTS "${scratch}/registry.reg")
    message(FATAL_ERROR "Registering libPellumo.so for the machine failed:\n${output}")
endif()

# The registry's texts are quoted, with "\" and quotes escaped.
function(quoted path out)
    string(REPLACE "\\" "\\\\" path "${path}")
    string(REPLACE "\"" "\\\"" path "${path}")
    set(${out} "\"${path}" PARENT_SCOPE)
endfunction()
quoted("${scratch}" from)
quoted("${folder}" to)
file(READ "${scratch}/registry.reg" text)
string(REPLACE "${from}/" "${to}/" text "${text}")
string(REPLACE "${from}\"" "${to}\"" text "${text}")
string(FIND "${text}" "${scratch}" left)
if(NOT left EQUAL -1)
    message(FATAL_ERROR "The machine's registry still names ${scratch}:\n${text}")
endif()
file(WRITE "${scratch}/out/registry.reg" "${text}")
file(INSTALL "${scratch}/out/registry.reg" DESTINATION "${folder}"
     PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
file(REMOVE_RECURSE "${scratch}")
