# The layers point one way: each folder includes only from the folders
# below it, and Qt only in the desktop program.
#   cmake -DROOT=<source folder> -P CheckLayers.cmake
#
#   app/             app, melody, com, logoconv/frame (the component's
#                    client header), logoconv (the picture reader, for the
#                    preview), platform; Qt
#   cli/             cli, melody, logoconv, ems, sms, imaging, platform
#   logoconv/frame/  logoconv, com, platform
#   logoconv/        logoconv, imaging, sms, platform
#   melody/          melody, sms, platform
#   ems/             ems, sms, imaging, platform
#   com/             com, platform
#   imaging/         imaging (and libpng)
#   platform/        platform
#   sms/             sms, platform

set(allowed_app "app/;melody/;com/;logoconv/;platform/")
set(allowed_cli "cli/;melody/;logoconv/;ems/;sms/;imaging/;platform/")
set(allowed_frame "logoconv/;com/;platform/")
set(allowed_logoconv "logoconv/;imaging/;sms/;platform/")
set(allowed_melody "melody/;sms/;platform/")
set(allowed_ems "ems/;sms/;imaging/;platform/")
set(allowed_com "com/;platform/")
set(allowed_imaging "imaging/")
set(allowed_platform "platform/")
set(allowed_sms "sms/;platform/")

set(problems "")
foreach(layer app cli frame logoconv melody ems com imaging platform sms)
    if(layer STREQUAL "frame")
        set(folder logoconv/frame)
    else()
        set(folder ${layer})
    endif()
    file(GLOB_RECURSE files RELATIVE ${ROOT} ${ROOT}/${folder}/*.h ${ROOT}/${folder}/*.cpp)
    foreach(file ${files})
        if(layer STREQUAL "logoconv" AND file MATCHES "^logoconv/frame/")
            continue()
        endif()
        file(STRINGS ${ROOT}/${file} includes REGEX "^#include [\"<]")
        foreach(line ${includes})
            if(line MATCHES "^#include <Q" AND NOT layer STREQUAL "app")
                string(APPEND problems "${file}: Qt outside app/: ${line}\n")
            endif()
            if(NOT line MATCHES "^#include \"(app|cli|com|ems|imaging|logoconv|melody|platform|sms|tests)/")
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
                string(APPEND problems "${file}: ${folder}/ may not include ${line}\n")
            endif()
        endforeach()
    endforeach()
endforeach()

if(problems)
    message(FATAL_ERROR "Includes against the layers:\n${problems}")
endif()
message(STATUS "Every include points down the layers")
