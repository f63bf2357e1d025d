# The fuzz targets, one per untrusted input, listed once: a name (what
# scripts/fuzz.sh and the folders corpus/NAME and regressions/NAME call it),
# its source in fuzz/ and the libraries it links.
#   quillmere_fuzz_targets(COMMAND)   calls COMMAND(NAME SOURCE LIBRARY...) for each
# fuzz/CMakeLists.txt builds them with libFuzzer; tests/hardening replays
# their inputs in every build.
macro(quillmere_fuzz_targets command)
    cmake_language(CALL ${command} rtx RtxFuzzer.cpp melody test_support)
    cmake_language(CALL ${command} picture PictureFuzzer.cpp picture)
    cmake_language(CALL ${command} image ImageFuzzer.cpp picture imaging)
    cmake_language(CALL ${command} decode DecodeFuzzer.cpp ems melody sms)
    cmake_language(CALL ${command} registry_file RegistryFileFuzzer.cpp com)
    cmake_language(CALL ${command} registration_script RegistrationScriptFuzzer.cpp com)
    cmake_language(CALL ${command} bstr BstrFuzzer.cpp com)
endmacro()

# The fuzz targets' own headers (fuzz/FuzzCheck.h), for the programs built
# from them.
add_library(fuzz_check INTERFACE)
quillmere_headers(fuzz_check INTERFACE fuzz FILES FuzzCheck.h)
