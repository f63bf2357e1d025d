// The melody batch against a failing file system: each open, read, write,
// close and rename that a batch of two files and both targets makes, and
// the disk filling up. Whatever fails, the batch goes on, the user is told,
// the log says the same as the messages, and every unit of outputs is
// either as it was or completely new, never half-written, never replaced
// without being asked.

#include "FaultSweep.h"

#include "melody/MelodyConverter.h"
#include "support/Messages.h"
#include "support/RecordingUi.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using testsupport::kMelodyCaption;
using testsupport::kMelodyComplete;
using testsupport::kMelodyLogFailed;

using testsupport::FilesIn;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::Untimed;
using testsupport::WriteFile;

const std::string kEarlierLog = "earlier\r\n";

const std::vector<std::string> kOutputs = {"a.1.pdu", "a.2.pdu", "a.em1", "a.em2",
                                           "a.hx1",   "a.hx2",   "b.1.pdu", "b.2.pdu",
                                           "b.em1",   "b.em2",   "b.hx1",   "b.hx2"};

// Two melodies, converted for both targets, into a folder that already holds
// two of the outputs, with a log that already has a line.
struct MelodyScene {
    TempDir in, out, logs;
    std::map<std::string, std::string> before; // outputs present at the start

    MelodyScene() {
        WriteFile(in / "a.txt", "A:d=4:8c,8d");
        WriteFile(in / "b.txt", "B:o=6:8e,8f,16g5");
        before = {{"a.em1", "old a.em1"}, {"a.hx2", "old a.hx2"}};
        for (const auto& [name, text] : before)
            WriteFile(out / name, text);
        WriteFile(Log(), kEarlierLog);
    }
    std::string Log() const { return logs / "MelodyConverter.log"; }
    std::string Input(char file) const { return in / (std::string(1, file) + ".txt"); }

    // Every replace question is answered with Replace. Returns the PDU
    // files the batch lists as written.
    std::vector<sms::PduFile> Run(testsupport::RecordingUi& user,
                                  platform::FileSystem& files = platform::SystemFiles()) const {
        user.whenNoAnswer = ReplaceAnswer::Replace;
        CMelodyConverter converter(user, logs.Folder(), files);
        converter.WritePdusTo(*sms::ParseNumber("123"));
        converter.ConvertMelodies(Input('a') + "," + Input('b'), out.Folder(), 0, 1, 1);
        return converter.PduFiles();
    }
};

// What a batch without faults writes.
struct Baseline {
    std::map<std::string, std::string> outputs;
    std::vector<std::string> tails; // of the four log entries, after "Converting: " and the path
    std::size_t bytesWritten = 0; // outputs and log together
};

// The log entries' heads, in batch order: two files, both targets.
std::vector<std::string> Heads(const MelodyScene& scene) {
    std::vector<std::string> heads;
    for (const char file : {'a', 'b'})
        for (int target = 1; target <= 2; ++target)
            heads.push_back("<time>Converting: " + scene.Input(file));
    return heads;
}

// Splits an untimed log text into the tails of the given entry heads; false
// when the text does not consist of exactly those entries.
bool SplitEntries(const std::string& text, const std::vector<std::string>& heads,
                  std::vector<std::string>& tails) {
    tails.clear();
    std::size_t pos = 0;
    for (const std::string& head : heads) {
        if (text.compare(pos, head.size(), head) != 0)
            return false;
        pos += head.size();
        std::size_t end = text.find("<time>", pos);
        if (end == std::string::npos)
            end = text.size();
        tails.push_back(text.substr(pos, end - pos));
        pos = end;
    }
    return pos == text.size();
}

std::string FullLog(const MelodyScene& scene, const Baseline& base) {
    std::string log = kEarlierLog;
    const std::vector<std::string> heads = Heads(scene);
    for (std::size_t i = 0; i < heads.size(); ++i)
        log += heads[i] + base.tails[i];
    return log;
}

Baseline MakeBaseline() {
    MelodyScene scene;
    testsupport::RecordingUi user;
    Baseline base;
    scene.Run(user);
    for (const std::string& name : kOutputs)
        base.outputs[name] = ReadFile(scene.out / name);
    base.bytesWritten = ReadFile(scene.Log()).size() - kEarlierLog.size();
    for (const auto& [name, text] : base.outputs)
        base.bytesWritten += text.size();
    const std::string log = Untimed(ReadFile(scene.Log()));
    EXPECT_EQ(log.substr(0, kEarlierLog.size()), kEarlierLog);
    EXPECT_TRUE(SplitEntries(log.substr(kEarlierLog.size()), Heads(scene), base.tails)) << log;
    return base;
}

bool Contains(const std::vector<std::string>& events, const std::string& event) {
    return std::find(events.begin(), events.end(), event) != events.end();
}

// Checks one finished batch against the baseline; returns how many failures
// it shows (a failed entry or a failed log).
int CheckBatch(const MelodyScene& scene, const std::vector<std::string>& events,
               const Baseline& base, const std::vector<sms::PduFile>& listed) {
    EXPECT_FALSE(events.empty());
    if (events.empty())
        return 0;
    EXPECT_EQ(events.back(), kMelodyComplete);

    // Nothing but the outputs in the output folder: no temporary file stays.
    for (const std::string& name : FilesIn(scene.out.Path()))
        EXPECT_TRUE(std::find(kOutputs.begin(), kOutputs.end(), name) != kOutputs.end()) << name;

    // Every output is as it was or completely new; an existing one is
    // replaced only after the question about it.
    std::map<std::string, bool> isNew;
    for (const std::string& name : kOutputs) {
        const std::string path = scene.out / name;
        const std::string now = ReadFile(path);
        const auto old = scene.before.find(name);
        const bool wasThere = old != scene.before.end();
        const bool unchanged = wasThere ? now == old->second : !std::filesystem::exists(path);
        isNew[name] = now == base.outputs.at(name);
        EXPECT_TRUE(unchanged || isNew[name]) << name << " holds \"" << now << "\"";
        if (wasThere && isNew[name]) {
            EXPECT_TRUE(Contains(events, "ASK The file: " + path +
                                             " already exists, would you like to replace it?"))
                << name << " was replaced without asking";
        }
    }

    int failures = 0;
    const std::string log = ReadFile(scene.Log());
    if (Contains(events, kMelodyLogFailed)) {
        ++failures;
        // The log holds the earlier text and whole entries of the batch, in
        // order, up to the one whose append failed (all when the close failed).
        const std::string full = FullLog(scene, base);
        const std::string text = Untimed(log);
        bool wholeEntries = false;
        for (std::size_t end = kEarlierLog.size(); end != std::string::npos;
             end = full.find("<time>", end + 1))
            wholeEntries = wholeEntries || text == full.substr(0, end);
        EXPECT_TRUE(wholeEntries || text == full) << log;
        return failures;
    }

    // The log: the earlier text, then one entry per file and target, in order.
    const std::string text = Untimed(log);
    EXPECT_EQ(text.substr(0, kEarlierLog.size()), kEarlierLog);
    std::vector<std::string> tails;
    EXPECT_TRUE(SplitEntries(text.substr(kEarlierLog.size()), Heads(scene), tails)) << text;
    if (tails.size() != 4)
        return failures + 1;
    std::size_t entry = 0;
    for (const char file : {'a', 'b'}) {
        for (const char target : {'1', '2'}) {
            const std::string& tail = tails[entry];
            const std::string& success = base.tails[entry];
            ++entry;
            const std::string stem = std::string(1, file);
            const std::string em = stem + ".em" + target;
            const std::string hx = stem + ".hx" + target;
            const std::string pdu = stem + "." + target + ".pdu";
            const bool isListed = std::any_of(listed.begin(), listed.end(), [&](const auto& file) {
                return file.path == scene.out / pdu;
            });
            const std::string failed = " Status: Failed - ";
            if (tail == success) {
                EXPECT_TRUE(isNew[em] && isNew[hx] && isNew[pdu] && isListed) << em;
                continue;
            }
            // Nothing of a unit that failed is written, nor listed for standard output.
            EXPECT_FALSE(isNew[em] || isNew[hx] || isNew[pdu] || isListed) << em;
            ++failures;
            if (tail.size() < failed.size() + 4) {
                ADD_FAILURE() << "not an entry: " << tail;
                continue;
            }
            const std::string message = tail.substr(failed.size(), tail.size() - failed.size() - 4);
            EXPECT_EQ(tail, failed + message + "\r\n\r\n");
            EXPECT_TRUE(Contains(events, kMelodyCaption + message)) << message;
            if (message != "The file: " + scene.out / em + " could not be written." &&
                message != "The file: " + scene.out / hx + " could not be written." &&
                message != "The file: " + scene.out / pdu + " could not be written.") {
                EXPECT_EQ(message, scene.Input(file) + " is not a valid RTX formatted file.");
                EXPECT_TRUE(
                    Contains(events, kMelodyCaption + scene.Input(file) + " could not be found."));
            }
        }
    }
    return failures;
}

class Sweep : public hardening::FaultSweep {
public:
    void Run(testsupport::FaultyFiles& files) override {
        m_scene = std::make_unique<MelodyScene>();
        m_user = std::make_unique<testsupport::RecordingUi>();
        m_listed = m_scene->Run(*m_user, files);
    }
    int Failures() { return CheckBatch(*m_scene, m_user->events, m_base, m_listed); }
    void CheckClean() override { EXPECT_EQ(Failures(), 0); }
    void CheckOneFailure() override {
        // Each failure shows once; both targets of a file share its reading.
        const int failures = Failures();
        EXPECT_TRUE(failures == 1 || failures == 2) << failures;
    }
    void CheckDiskFull() override { EXPECT_GE(Failures(), 1); }
    std::size_t BytesWritten() const override { return m_base.bytesWritten; }
    std::size_t RoomStep() const override { return 7; }

private:
    const Baseline m_base = MakeBaseline();
    std::unique_ptr<MelodyScene> m_scene;
    std::unique_ptr<testsupport::RecordingUi> m_user;
    std::vector<sms::PduFile> m_listed;
};

} // namespace

std::unique_ptr<hardening::FaultSweep> hardening::MelodySweep() {
    return std::make_unique<Sweep>();
}
