#include "platform/LocalTime.h"

#include <cstdio>

namespace platform {

std::string CtimeText(std::time_t when) {
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::tm parts{};
    if (localtime_r(&when, &parts) == nullptr)
        parts = std::tm{};
    const int year = parts.tm_year + 1900;
    char text[64];
    std::snprintf(text, sizeof text, "%s %s %02d %02d:%02d:%02d %04d\n",
                  kDays[static_cast<unsigned>(parts.tm_wday) % 7],
                  kMonths[static_cast<unsigned>(parts.tm_mon) % 12], parts.tm_mday, parts.tm_hour,
                  parts.tm_min, parts.tm_sec, year);
    return text;
}

std::string CtimeNow() {
    // A batch asks many times a second: the text of a second is made once.
    thread_local std::time_t second = -1;
    thread_local std::string text;
    const std::time_t now = std::time(nullptr);
    if (now != second) {
        text = CtimeText(now);
        second = now;
    }
    return text;
}

} // namespace platform
