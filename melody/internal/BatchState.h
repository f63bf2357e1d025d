#pragma once
// What one ConvertMelodies call shares among its files and targets.

#include "melody/MelodyConverter.h"
#include "platform/OutputPlan.h"
#include "platform/OutputUnit.h"

#include <functional>
#include <string>

struct CMelodyConverter::Batch {
    std::string outputDir;     // ends in "/"
    platform::OutputPlan plan; // what the outputs may replace
    // Appends one log entry; a written unit's entry with its files.
    std::function<void(const std::string& entry)> appendEntry;
    // Lets go of the log's lock before the user is asked anything, or told
    // anything in a way that waits for them.
    std::function<void()> releaseLog = [] {};
    platform::OutputFolder folder{outputDir}; // held open for the units
};
