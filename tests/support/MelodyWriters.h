#pragma once
// The converter's iMelody writer for a target, as the batch picks it.

#include "melody/MelodyConverter.h"

#include <string>

namespace testsupport {

// WriteImelody1 for target 1, WriteImelody2 for target 2 (either may throw
// CEMSError as it does).
inline void WriteImelodyFor(CMelodyConverter& converter, int target, const std::string& notes,
                            std::string& text) {
    if (target == 1)
        converter.WriteImelody1(notes, text);
    else
        converter.WriteImelody2(notes, text);
}

} // namespace testsupport
