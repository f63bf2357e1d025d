#pragma once
// The local time as the C library's ctime text: "Tue Jan 02 09:05:07 2001\n".

#include <ctime>
#include <string>

namespace platform {

// English day and month names, day of month as two digits, 24 characters and a line feed.
std::string CtimeText(std::time_t when);

// CtimeText of the current time.
std::string CtimeNow();

} // namespace platform
