#pragma once
// Ending a command-line program cleanly when it is interrupted: SIGINT,
// SIGTERM and SIGHUP remove the temporary files that writes have in
// flight, then end the process with the conventional status 128 + signal
// (130, 143, 129). What was finished stays: every output already renamed
// into place and every log entry already appended.
//
// While a unit of output files is being committed (renamed into place and
// its log entry appended), those signals are held: the process ends as soon
// as the unit is complete, so that no unit is left half committed.

#include <string>

namespace platform {

// Installs the handlers (a signal ignored when the program started stays
// ignored). Call once at start-up, before any file is written.
void EndCleanlyOnInterruption();

// Used by the writes: remembers path as a temporary file in flight, for the
// handlers to remove; returns the token for ForgetTemporary (-1 when it
// could not be remembered, or no handler is installed).
int RememberTemporary(const std::string& path);
void ForgetTemporary(int token);

// Holds the handled signals for its lifetime (scopes may nest, in one
// thread or several); one that arrived meanwhile ends the process when the
// last scope closes. No system call: it costs two atomic operations.
class HeldInterruptions {
public:
    HeldInterruptions();
    ~HeldInterruptions();
    HeldInterruptions(const HeldInterruptions&) = delete;
    HeldInterruptions& operator=(const HeldInterruptions&) = delete;
};

} // namespace platform
