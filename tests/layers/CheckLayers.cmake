# The layers point one way: each folder includes only from the folders
# below it, and Qt only in the desktop program.
#   cmake -DROOT=<source folder> -P CheckLayers.cmake
#
#   app/       app, melody, com, pellumo (the component's client header),
#              picture (the picture reader, for the preview), platform; Qt
#   cli/       cli, melody, picture, ems, sms, imaging, platform
#   pellumo/   pellumo, picture, com, platform
#   picture/   picture, imaging, sms, platform
#   melody/    melody, sms, platform
#   ems/       ems, sms, imaging, platform
#   com/       com, platform
#   imaging/   imaging (and libpng)
#   sms/       sms, platform
#   platform/  platform

set(allowed_app "app/;melody/;com/;pellumo/;picture/;platform/")
set(allowed_cli "cli/;melody/;picture/;ems/;sms/;imaging/;platform/")
set(allowed_pellumo "pellumo/;picture/;com/;platform/")
set(allowed_picture "picture/;imaging/;sms/;platform/")
set(allowed_melody "melody/;sms/;platform/")
set(allowed_ems "ems/;sms/;imaging/;platform/")
set(allowed_com "com/;platform/")
set(allowed_imaging "imaging/")
set(allowed_sms "sms/;platform/")
set(allowed_platform "platform/")

set(problems "")
foreach(layer app cli pellumo picture melody ems com imaging sms platform)
    file(GLOB_RECURSE files RELATIVE ${ROOT} ${ROOT}/${layer}/*.h ${ROOT}/${layer}/*.cpp)
    foreach(file ${files})
        file(STRINGS ${ROOT}/${file} includes REGEX "^#include [\"<]")
        foreach(line ${includes})
            if(line MATCHES "^#include <Q" AND NOT layer STREQUAL "app")
                string(APPEND problems "${file}: Qt outside app/: ${line}\n")
            endif()
            if(NOT line MATCHES "^#include \"(app|cli|com|ems|imaging|melody|pellumo|picture|platform|sms|tests)/")
                continue()
            endif()
            set(ok FALSE)
            foreach(prefix ${allowed_${layer}})
                string(LENGTH "#include \"${prefix}" length)
                string(SUBSTRING "${line}" 0 ${length} head)
                if(head STREQUAL "#include \"${prefix}")
                    set(ok TRUE)
                endif()
            endforeach()
            if(NOT ok)
                string(APPEND problems "${file}: ${layer}/ may not include ${line}\n")
            endif()
        endforeach()
    endforeach()
endforeach()

if(problems)
    message(FATAL_ERROR "Includes against the layers:\n${problems}")
endif()
message(STATUS "Every include points down the layers")
