#pragma once
// The three standard descriptors of a program that was started with some of
// them closed.

namespace platform {

// Opens /dev/null on each of descriptors 0, 1 and 2 that is not open, so
// that no file the program opens later (a log, an output) takes the place of
// a standard stream and receives its messages. Every program calls it first.
// False when /dev/null cannot be opened.
bool OpenStandardStreams();

// What a command printed must have reached its reader: a standard output
// or standard error that could not take it (a full disk, a closed pipe)
// turns the status 0 into 1, said on standard error ("emsconv: could not
// write to standard output: ...") where that still works. Returns the
// status to end with.
int FinishStandardStreams(int status, const char* program);

} // namespace platform
