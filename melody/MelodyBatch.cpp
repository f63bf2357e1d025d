// The batch: every file of the list for every chosen target, one log entry
// each, appended to MelodyConverter.log as soon as that file and target are
// done, so an interrupted batch keeps the entries of what it did.

#include "melody/internal/BatchState.h"

#include "melody/MelodyLog.h"
#include "platform/Ascii.h"
#include "platform/ByteOrderMark.h"
#include "platform/InputList.h"
#include "platform/LocalTime.h"
#include "platform/TextFile.h"

#include <cerrno>
#include <new>
#include <utility>

namespace {

// The largest RTX file read: far above any ringtone (a few hundred bytes),
// so that a file too large for memory fails alone instead of ending the batch.
constexpr std::uintmax_t kMaxRtxBytes = 64u << 20;

} // namespace

void CMelodyConverter::ConvertMelodies(const std::string& rtxFiles, const std::string& outputDir,
                                       int includeHeader, int target1, int target2) {
    ConvertMelodies(platform::SplitInputList(rtxFiles), outputDir, includeHeader, target1, target2);
}

void CMelodyConverter::ConvertMelodies(const std::vector<std::string>& rtxPaths,
                                       const std::string& outputDir, int includeHeader, int target1,
                                       int target2) {
    m_bIncludeHeader = includeHeader;
    m_counts = {};
    m_pduFiles.clear();
    const std::string logPath = melody::MelodyLogPath(m_strLogFolder);

    // The log is opened once for the batch and takes each entry in one append
    // under its lock. When it cannot be opened, or an append fails, it takes
    // no further entry (none follows a missing one), and the user is told
    // once, at the end, before "Conversion complete.", as for a log that
    // cannot be opened at all.
    platform::AppendFile log(m_files);
    bool logFailed = !log.Open(logPath).ok();
    Batch batch{outputDir, platform::OutputPlan(rtxPaths),
                [&](const std::string& entry) {
                    if (!logFailed && !log.Write(entry)) {
                        logFailed = true;
                        log.Close();
                    }
                },
                [&] { log.Release(); }};
    for (std::size_t i = 0; i < rtxPaths.size() && !m_ui.StopRequested(); ++i) {
        const std::string& path = rtxPaths[i];
        m_ui.FileStarting(i + 1, rtxPaths.size(), path);
        // Read once for both targets; each target says what became of it.
        FileText file = ReadFileText(path);
        file.bothTargets = target1 != 0 && target2 != 0;
        if (target1 != 0)
            ConvertTarget(1, path, file, i, batch);
        if (target2 != 0)
            ConvertTarget(2, path, file, i, batch);
    }
    if (!log.Close().ok())
        logFailed = true;

    if (logFailed)
        m_ui.ShowMessage(melody::kLogNotWrittenMessage, m_strTitle);
    m_ui.ShowMessage(melody::kBatchCompleteMessage, m_strTitle);
}

void CMelodyConverter::ConvertMelodyFile(int target, std::string& logText,
                                         const std::string& rtxFile, const std::string& outputDir) {
    const std::vector<std::string> inputs{rtxFile};
    Batch batch{outputDir, platform::OutputPlan(inputs),
                [&](const std::string& entry) { logText += entry; }};
    FileText file = ReadFileText(rtxFile);
    ConvertTarget(target, rtxFile, file, 0, batch);
}

CMelodyConverter::FileText CMelodyConverter::ReadFileText(const std::string& rtxFile) {
    FileText file;
    file.name = platform::PrintableName(rtxFile);
    if (const platform::FileResult read =
            platform::ReadWholeFile(rtxFile, file.text, kMaxRtxBytes, m_files);
        !read) {
        file.error = read.error;
        file.text.clear();
    }
    platform::ReadByteOrderMark(file.text);
    return file;
}

std::optional<std::string> CMelodyConverter::ImelodyOf(FileText& file, int target,
                                                       std::string& failure) {
    m_strCurrentFile = file.name;
    if (file.error == EFBIG) {
        failure = m_strCurrentFile + " is larger than 64 MB, too large for an RTX file.";
        return std::nullopt;
    }
    if (file.error != 0)
        m_ui.ShowMessage(m_strCurrentFile + " could not be found.", m_strTitle);
    // The second reading of a text would store the same name and settings
    // and give the same melody: it is read once.
    if (!file.readAsRtx) {
        file.problem = ReadMelody(file.text, file.melody);
        file.readAsRtx = true;
        std::string().swap(file.text); // the text is no longer needed
    }
    std::string imelody;
    std::optional<std::string> problem = file.problem;
    if (!problem && target == 2 && file.target2) {
        problem = TakeWritten(*std::exchange(file.target2, std::nullopt), imelody);
    } else if (!problem && target == 1 && file.bothTargets) {
        auto [one, two] = melody::WriteImelodyBoth(file.melody, m_bIncludeHeader != 0);
        file.target2 = std::move(two);
        problem = TakeWritten(std::move(one), imelody);
    } else if (!problem) {
        problem = WriteMelody(file.melody, target, imelody);
    }
    if (problem) {
        failure = std::move(*problem);
        return std::nullopt;
    }
    return imelody;
}

void CMelodyConverter::ConvertTarget(int target, const std::string& rtxFile, FileText& file,
                                     std::size_t input, Batch& batch) {
    std::string entry;
    entry.reserve(file.name.size() + 160); // a success entry's length
    entry += platform::CtimeNow();
    entry += "Converting: ";
    entry += file.name;
    std::string failure;
    Outcome outcome = Outcome::Failed;
    if (file.error != 0 && m_ui.MessagesWait())
        batch.releaseLog(); // the user is told first that it could not be read
    try {
        if (std::optional<std::string> imelody = ImelodyOf(file, target, failure))
            outcome =
                WriteOutputs(target, rtxFile, std::move(*imelody), input, batch, entry, failure);
    } catch (const std::bad_alloc&) {
        // Whatever the file held has been freed by now: the batch goes on.
        failure = file.name + " could not be converted: not enough memory.";
        outcome = Outcome::Failed;
    }
    switch (outcome) {
    case Outcome::Succeeded:
        ++m_counts.succeeded; // its entry went in with its files
        return;
    case Outcome::Cancelled:
        entry += " Status: Cancelled\r\n\r\n";
        ++m_counts.cancelled;
        break;
    case Outcome::Failed:
        entry += " Status: Failed - ";
        entry += failure;
        entry += "\r\n\r\n";
        if (m_ui.MessagesWait())
            batch.releaseLog();
        m_ui.ShowMessage(failure, m_strTitle);
        ++m_counts.failed;
        break;
    }
    batch.appendEntry(entry);
}

std::optional<std::string> CMelodyConverter::ConvertForListening(const std::string& rtxFile,
                                                                 int target, int includeHeader) {
    m_bIncludeHeader = includeHeader;
    std::string failure;
    try {
        FileText file = ReadFileText(rtxFile);
        if (std::optional<std::string> imelody = ImelodyOf(file, target, failure))
            return imelody;
    } catch (const std::bad_alloc&) {
        failure = platform::PrintableName(rtxFile) + " could not be converted: not enough memory.";
    }
    m_ui.ShowMessage(failure, m_strTitle);
    return std::nullopt;
}
