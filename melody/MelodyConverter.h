#pragma once
// CMelodyConverter: the melody batch converter. One object serves one batch
// (one click on Convert): it reads every RTX file of the list, writes the
// iMelody text for each chosen target handset group and the same text as an
// EMS user-data header in hexadecimal, asks before replacing a file, and
// appends each file and target's log entry to MelodyConverter.log as soon
// as it is done.
//
// The outputs of a file and target are one unit (platform/OutputUnit.h):
// all of them are written, or none, and the log entry of a written unit is
// appended before an interruption can end the process. No output replaces
// an input of the batch or a file that an earlier file of the batch wrote
// (platform/OutputPlan.h): that file and target fails instead. Every
// replace question of a unit is asked before its first file is renamed
// into place, so Cancel keeps all of the unit's old files.
//
// Asked for (SetWaveOutput), it also writes the melody of each target as it
// sounds, NAME.1.wav or NAME.2.wav (melody/ImelodySound.h), in the same
// unit, with the same replace question, and as a Standard MIDI File,
// NAME.1.mid or NAME.2.mid (SetMidiOutput). Its log entry is the same as
// without them.
//
// The conversion itself is the functional core of melody/Melody.h; this
// object carries the settings and flags that the batch keeps from file to
// file and from step to step, and its reader and writer operations delegate
// to the core. They are public so that every step can be driven on its own
// (the desktop program needs only the constructor and ConvertMelodies).

#include "melody/EMSError.h"
#include "melody/Melody.h"
#include "melody/MelodyUi.h"
#include "melody/RtxNote.h"
#include "platform/FileSystem.h"
#include "sms/SubmitPdu.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What became of the file-and-target conversions of the last batch.
struct MelodyBatchCounts {
    int succeeded = 0;
    int failed = 0;    // a message was shown and logged, no status of success
    int cancelled = 0; // the replace question was answered with Cancel
};

class CMelodyConverter {
public:
    // logFolder: folder of MelodyConverter.log, ending in "/"; empty means the
    // folder of the running program, or the user's state folder when that is
    // not writable (platform/LogFolder.h).
    // files: where the batch reads and writes (the operating system's file
    // system unless a test hands in another).
    explicit CMelodyConverter(IMelodyUi& ui, std::string logFolder = {},
                              platform::FileSystem& files = platform::SystemFiles());
    virtual ~CMelodyConverter();
    CMelodyConverter(const CMelodyConverter&) = delete;
    CMelodyConverter& operator=(const CMelodyConverter&) = delete;

    // ---- Batch and log (MelodyBatch.cpp) ----

    // rtxFiles: RTX paths joined by "," (cut at every ","; empty pieces are
    // paths too). outputDir ends in "/". A nonzero int means yes. Returns when
    // every file and target is done and every message has been shown.
    void ConvertMelodies(const std::string& rtxFiles, const std::string& outputDir,
                         int includeHeader, int target1, int target2);
    // The same batch for paths given one by one (a "," inside a path stays).
    void ConvertMelodies(const std::vector<std::string>& rtxPaths, const std::string& outputDir,
                         int includeHeader, int target1, int target2);

    // One file for one target (1 or 2); appends its entry to logText. Never
    // left by a CEMSError, nor by running out of memory: an RTX file over
    // 64 MB, or one that memory cannot hold, fails alone with a message.
    void ConvertMelodyFile(int target, std::string& logText, const std::string& rtxFile,
                           const std::string& outputDir);

    // The outcome of the last ConvertMelodies call.
    const MelodyBatchCounts& Counts() const { return m_counts; }
    // True when every file and target of the last batch was converted and written.
    bool AllSucceeded() const { return m_counts.failed == 0 && m_counts.cancelled == 0; }

    // ---- PDU files ----

    // From now on every file and target written gets a third output beside
    // its EMS header, NAME.1.pdu or NAME.2.pdu: the header as a short message
    // to `to`, ready to send (sms/SubmitPdu.h). It is written, asked about
    // and reported like the other outputs.
    void WritePdusTo(const sms::Address& to) { m_pduTo = to; }
    // The PDU files the last batch wrote, in order (those of files and
    // targets whose outputs were all written).
    const std::vector<sms::PduFile>& PduFiles() const { return m_pduFiles; }

    // ---- Sound ----

    // Whether later batches write NAME.1.wav and NAME.2.wav too (not at first).
    void SetWaveOutput(bool on) { m_bWriteWave = on; }
    // Whether later batches write NAME.1.mid and NAME.2.mid too (not at first).
    void SetMidiOutput(bool on) { m_bWriteMidi = on; }

    // The iMelody text that converting rtxFile for target (1 or 2) would
    // write, for listening to: nothing is written or logged. When the file
    // does not convert, the user is shown the batch's messages (without
    // "Conversion complete.") and the result is nothing.
    std::optional<std::string> ConvertForListening(const std::string& rtxFile, int target,
                                                   int includeHeader);

    // ---- RTX reader and iMelody writers (MelodyConverter.cpp) ----

    // Splits the file text into name, settings and notes; stores the name and
    // the settings the file states and returns the cleaned note list. Throws
    // CEMSError when the text is not in RTX form or has no notes; a text with
    // no notes has stored its name and settings all the same.
    std::string ReadRtx(std::string_view text);
    // The reader's steps, in the order it takes them.
    void SetMelodyName(std::string_view section);
    void ReadDefaults(std::string_view section);
    void SetDefault(std::string_view key, std::string_view value);
    std::string CheckNotes(std::string_view section);
    // Takes one note item apart, with the default duration and octave for
    // the parts it lacks. The note views item and those settings.
    RtxNote ParseRtxNote(std::string_view item) const;

    // Fill text (given empty) with the iMelody text of the note list for
    // target 1 or target 2. WriteImelody1 throws CEMSError when the melody
    // spans octaves that cannot both be kept.
    void WriteImelody1(const std::string& notes, std::string& text);
    void WriteImelody2(const std::string& notes, std::string& text);
    // The iMelody text of one note item. runningOctave is the octave the
    // handset is in; 64 bits so that "octave - 1" of any 32-bit octave fits.
    std::string ConvertNote1(std::string_view item, std::int64_t& runningOctave);
    std::string ConvertNote2(std::string_view item) const;
    // Lowers every octave prefix of the body by one (an empty body stays empty).
    static void ShiftOctavesDown(std::string& body);
    // Appends to hex (given empty) the EMS user-data header carrying the text
    // as one User Defined Sound element, in upper-case hexadecimal digits.
    static void EncodeEmsHex(std::string_view imelody, std::string& hex);

    // ---- State shared by the reader and the writers, in this order ----
    bool m_bUsesLowOctave = false;  // a note with octave text "3" (target 1)
    bool m_bUsesHighOctave = false; // a note with octave text "6" (target 1)
    bool m_bReplaceAll = false;     // overwrite without asking; never cleared
    bool m_bTruncated = false;      // the writer dropped notes to fit the limit
    std::string m_strOctave = melody::RtxSettings().octave;     // RTX setting o
    std::string m_strDuration = melody::RtxSettings().duration; // RTX setting d
    std::int32_t m_bIncludeHeader = 0;               // write the BEGIN/VERSION/FORMAT and END lines
    std::string m_strTitle = "EMS Melody Converter"; // caption of every message
    std::string m_strCurrentFile;                    // path of the file in hand
    std::int32_t m_nBeat = melody::RtxSettings().beat;    // RTX setting b
    std::string m_strStyle = melody::RtxSettings().style; // RTX setting s
    std::string m_strMelodyName;                          // name section of the last file read

private:
    // The state of one ConvertMelodies call (MelodyBatch.cpp).
    struct Batch;
    // An RTX file as the batch read it: its text, or the error that kept it;
    // and once read as RTX (both targets read the same melody), the melody
    // or the reader's message.
    struct FileText {
        std::string name; // the path as it is shown (platform::PrintableName)
        std::string text;
        int error = 0; // EFBIG: over 64 MB
        bool readAsRtx = false;
        melody::Melody melody;
        std::optional<std::string> problem;
        // Both targets wanted: target 1's writing gives target 2's text too.
        bool bothTargets = false;
        std::optional<melody::ImelodyText> target2;
    };
    enum class Outcome { Succeeded, Failed, Cancelled };

    // The settings members as the core's value, and back.
    melody::RtxSettings Settings() const;
    void StoreSettings(melody::RtxSettings&& settings);
    // ReadRtx's work, keeping the whole melody, and the writers' work for a
    // melody, which sets the flags and appends the text to text. Each gives
    // the message of its failure instead of throwing it.
    std::optional<std::string> ReadMelody(std::string_view text, melody::Melody& melody);
    std::optional<std::string> WriteMelody(const melody::Melody& melody, int target,
                                           std::string& text);
    std::optional<std::string> TakeWritten(melody::ImelodyText&& written, std::string& text);

    FileText ReadFileText(const std::string& rtxFile);
    // The iMelody text of the file for target, as the batch writes it, or
    // nothing with the message of the failure (a file that could not be
    // read is said to the user first).
    std::optional<std::string> ImelodyOf(FileText& file, int target, std::string& failure);

    // One file (input number `input` of the batch, already read) for one
    // target: its outputs written as one unit (MelodyOutputs.cpp) and its
    // log entry appended through the batch.
    void ConvertTarget(int target, const std::string& rtxFile, FileText& file, std::size_t input,
                       Batch& batch);
    Outcome WriteOutputs(int target, const std::string& rtxFile, std::string imelody,
                         std::size_t input, Batch& batch, std::string& entry, std::string& failure);

    IMelodyUi& m_ui;
    std::string m_strLogFolder;
    platform::FileSystem& m_files;
    MelodyBatchCounts m_counts;
    std::optional<sms::Address> m_pduTo;
    std::vector<sms::PduFile> m_pduFiles;
    bool m_bWriteWave = false;
    bool m_bWriteMidi = false;
};
