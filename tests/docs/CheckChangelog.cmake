# The history as the package shows it: every release of a CHANGELOG.md in
# order, none of what is not released, each date with its day of the week.
#   cmake -DROOT=<source folder> -DWORK=<scratch folder> -P CheckChangelog.cmake
cmake_minimum_required(VERSION 3.25)
include(${ROOT}/packaging/Changelog.cmake)

file(WRITE ${WORK}/CHANGELOG.md [[
# Changelog

## [Unreleased]

### Added

- Not yet.

## [2.0] - 2027-03-01

### Fixed

- Kept `whole` & <escaped>
  over two lines.

### Added

- One more.

## [1.1] - 2024-02-29

### Changed

- A leap day.

## [1.0] - 2000-01-01

### Added

- The first.
]])
quillmere_changelog(${WORK}/CHANGELOG.md 2.0 "A <a@example.org>")

set(problems "")
function(expect text name wanted)
    string(FIND "${text}" "${wanted}" at)
    if(at EQUAL -1)
        set(problems "${problems}\n${name} lacks: ${wanted}" PARENT_SCOPE)
    endif()
endfunction()
set(debian "${QUILLMERE_DEBIAN_CHANGELOG}")
set(metainfo "${QUILLMERE_METAINFO_RELEASES}")
expect("${QUILLMERE_RELEASE_DATE}" "release date" "2027-03-01")
expect("${debian}" "Debian changelog" "quillmere (2.0) unstable; urgency=medium\n\n  * Fixed:\n    - Kept whole & <escaped>\n      over two lines.\n\n  * Added:\n    - One more.\n\n -- A <a@example.org>  Mon, 01 Mar 2027 00:00:00 +0000\n\nquillmere (1.1)")
expect("${debian}" "Debian changelog" "  * Changed:\n    - A leap day.\n\n -- A <a@example.org>  Thu, 29 Feb 2024 00:00:00 +0000\n\nquillmere (1.0)")
expect("${debian}" "Debian changelog" " -- A <a@example.org>  Sat, 01 Jan 2000 00:00:00 +0000\n")
expect("${metainfo}" "metainfo" "<release version=\"2.0\" date=\"2027-03-01\">\n      <description>\n        <p>Fixed</p>\n        <ul>\n          <li>Kept whole &amp; &lt;escaped&gt; over two lines.</li>\n")
expect("${metainfo}" "metainfo" "<release version=\"1.0\" date=\"2000-01-01\">")
string(FIND "${debian}${metainfo}" "Not yet" unreleased)
if(NOT unreleased EQUAL -1)
    set(problems "${problems}\nthe unreleased changes are shown")
endif()
if(problems)
    message(FATAL_ERROR "The history is not shown as written:${problems}\n--\n${debian}--\n${metainfo}")
endif()
