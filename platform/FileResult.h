#pragma once
// The outcome of a file operation: success, or the error number the system
// gave and the path it was about. Every file operation of platform/ answers
// with one, so that no caller has to read errno after the fact.

#include <string>

namespace platform {

struct FileResult {
    int error = 0;    // the errno value of the failure; 0 on success
    std::string path; // the file the failure was about (empty on success)

    // The failure of path with errnum (0 is taken as EIO: a failure always has a number).
    static FileResult Failed(int errnum, std::string path);

    bool ok() const { return error == 0; }
    explicit operator bool() const { return ok(); }
    // "PATH: DESCRIPTION" ("/out/a.em1: No space left on device"); empty on success.
    std::string Message() const;
};

} // namespace platform
