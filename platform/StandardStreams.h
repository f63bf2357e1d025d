#pragma once
// The three standard descriptors of a program that was started with some of
// them closed.

namespace platform {

// Opens /dev/null on each of descriptors 0, 1 and 2 that is not open, so
// that no file the program opens later (a log, an output) takes the place of
// a standard stream and receives its messages. Every program calls it first.
// False when /dev/null cannot be opened.
bool OpenStandardStreams();

} // namespace platform
