// The batch: every file of the list for every chosen target, one log entry
// each, appended to MelodyConverter.log as soon as that file and target are
// done, so an interrupted batch keeps the entries of what it did.

#include "melody/MelodyConverter.h"

#include "melody/ImelodySound.h"
#include "platform/ByteOrderMark.h"
#include "platform/InputList.h"
#include "platform/LocalTime.h"
#include "platform/LogFolder.h"
#include "platform/ProgramPath.h"
#include "platform/TextFile.h"

#include <cerrno>
#include <new>

namespace {

constexpr char kLogName[] = "MelodyConverter.log";

// The largest RTX file read: far above any ringtone (a few hundred bytes),
// so that a file too large for memory fails alone instead of ending the batch.
constexpr std::uintmax_t kMaxRtxBytes = 64u << 20;

// The file name of the path without its folder and without its last extension.
std::string BaseName(const std::string& path) {
    std::string name = platform::FileNamePart(path);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos)
        name.erase(dot);
    return name;
}

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
    const std::string logPath =
        (m_strLogFolder.empty() ? platform::LogFolder(platform::ProgramFolder())
                                : platform::WithTrailingSlash(m_strLogFolder)) +
        kLogName;

    // The log is opened once for the batch and takes each entry in one append
    // under its lock. When it cannot be opened, or an append fails, it takes
    // no further entry (none follows a missing one), and the user is told
    // once, at the end, before "Conversion complete.", as for a log that
    // cannot be opened at all.
    platform::AppendFile log;
    bool logFailed = !log.Open(logPath).ok();
    std::string entry;
    const auto convert = [&](int target, const std::string& path) {
        entry.clear();
        ConvertMelodyFile(target, entry, path, outputDir);
        if (!logFailed && !log.Write(entry)) {
            logFailed = true;
            log.Close();
        }
    };
    for (std::size_t i = 0; i < rtxPaths.size() && !m_ui.StopRequested(); ++i) {
        const std::string& path = rtxPaths[i];
        m_ui.FileStarting(i + 1, rtxPaths.size(), path);
        if (target1 != 0)
            convert(1, path);
        if (target2 != 0)
            convert(2, path);
    }
    if (!log.Close().ok())
        logFailed = true;

    if (logFailed)
        m_ui.ShowMessage("Could not create the log entry, make sure the log file is not read only.",
                         m_strTitle);
    m_ui.ShowMessage("Conversion complete.", m_strTitle);
}

std::string CMelodyConverter::ImelodyOfFile(const std::string& rtxFile, int target) {
    m_strCurrentFile = rtxFile;
    std::string text;
    if (const platform::FileResult read = platform::ReadWholeFile(rtxFile, text, kMaxRtxBytes);
        !read) {
        if (read.error == EFBIG)
            throw CEMSError(rtxFile + " is larger than 64 MB, too large for an RTX file.");
        m_ui.ShowMessage(rtxFile + " could not be found.", m_strTitle);
        text.clear();
    }
    platform::ReadByteOrderMark(text);
    melody::Melody melody = ReadMelody(text);
    std::string().swap(text); // the file text is no longer needed
    std::string imelody;
    WriteMelody(melody, target, imelody);
    return imelody;
}

void CMelodyConverter::ConvertMelodyFile(int target, std::string& logText,
                                         const std::string& rtxFile, const std::string& outputDir) {
    logText += platform::CtimeNow();
    logText += "Converting: ";
    logText += rtxFile;
    try {
        const std::string imelody = ImelodyOfFile(rtxFile, target);
        const std::string base = outputDir + BaseName(rtxFile);
        const char digit = target == 1 ? '1' : '2';
        const std::string hex = melody::EncodeEmsHex(imelody);
        const auto writeWave = [&] {
            return WriteOutputFile(
                base + '.' + digit + ".wav",
                melody::WaveFile(melody::RenderImelody(imelody, melody::OctavePrefixOf(target))));
        };
        if (!WriteOutputFile(base + ".em" + digit, imelody) ||
            !WriteOutputFile(base + ".hx" + digit, hex) ||
            !WritePduFile(base + '.' + digit + '.' + std::string(sms::kPduFileEnding), hex) ||
            (m_bWriteWave && !writeWave())) {
            logText += " Status: Cancelled\r\n\r\n";
            ++m_counts.cancelled;
            return;
        }
        logText += "Status: Success\r\n";
        logText +=
            m_bTruncated
                ? "The melody was truncated to accomodate the maximum limit of 128 bytes.\r\n\r\n"
                : "\r\n";
        ++m_counts.succeeded;
    } catch (const CEMSError& error) {
        Failed(error.m_strMessage, logText);
    } catch (const std::bad_alloc&) {
        // Whatever the file held has been freed by now: the batch goes on.
        Failed(rtxFile + " could not be converted: not enough memory.", logText);
    }
}

std::optional<std::string> CMelodyConverter::ConvertForListening(const std::string& rtxFile,
                                                                 int target, int includeHeader) {
    m_bIncludeHeader = includeHeader;
    try {
        return ImelodyOfFile(rtxFile, target);
    } catch (const CEMSError& error) {
        m_ui.ShowMessage(error.m_strMessage, m_strTitle);
    } catch (const std::bad_alloc&) {
        m_ui.ShowMessage(rtxFile + " could not be converted: not enough memory.", m_strTitle);
    }
    return std::nullopt;
}

void CMelodyConverter::Failed(const std::string& message, std::string& logText) {
    logText += " Status: Failed - ";
    logText += message;
    logText += "\r\n\r\n";
    m_ui.ShowMessage(message, m_strTitle);
    ++m_counts.failed;
}
