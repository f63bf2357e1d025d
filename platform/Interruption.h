#pragma once
// Ending a command-line program cleanly when it is interrupted: SIGINT,
// SIGTERM and SIGHUP remove the temporary file that a replacing write has in
// flight, then end the process with the conventional status 128 + signal
// (130, 143, 129). What was finished stays: every output already renamed
// into place and every log entry already appended.

#include <string>

namespace platform {

// Installs the handlers (a signal ignored when the program started stays
// ignored). Call once at start-up, before any file is written.
void EndCleanlyOnInterruption();

// Used by the replacing write: remembers path as a temporary file in
// flight, for the handlers to remove; returns the token for ForgetTemporary
// (-1 when it could not be remembered, or no handler is installed).
int RememberTemporary(const std::string& path);
void ForgetTemporary(int token);

} // namespace platform
