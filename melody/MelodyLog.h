#pragma once
// MelodyConverter.log seen from outside a batch: where it is, and one text
// appended to it after a batch's entries (a batch that the user stopped
// notes the files it never reached).

#include <string>
#include <string_view>

namespace melody {

inline constexpr char kMelodyLogName[] = "MelodyConverter.log";
// The last message of every batch.
inline constexpr char kBatchCompleteMessage[] = "Conversion complete.";
// Said once, before it, when the log could not take an entry.
inline constexpr char kLogNotWrittenMessage[] =
    "Could not create the log entry, make sure the log file is not read only.";

// The log in logFolder, as a batch given that folder writes it: an empty
// folder means the program's log folder (platform/LogFolder.h).
std::string MelodyLogPath(const std::string& logFolder);

// Appends text whole, under the log's lock, as the batch appends its
// entries; false when the log could not be opened or written.
bool AppendToMelodyLog(const std::string& logFolder, std::string_view text);

} // namespace melody
