// The picture batch against a failing file system: every file operation
// failing in turn, and the disk filling up at every point. The outcome must
// be one of the outcomes a
// single failure can sound like: the same files, messages and log as a batch
// in which that one step failed and everything else went on. Output files
// are old or completely new, the log holds whole entries only, and a log
// that fails is said once.

#include "FaultSweep.h"

#include "picture/LogoReader.h"
#include "picture/PictureBatch.h"
#include "picture/PictureFormat.h"
#include "picture/PictureLog.h"
#include "platform/TextFile.h"
#include "support/Messages.h"
#include "support/Pictures.h"
#include "support/RecordingUi.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using testsupport::FilesIn;
using testsupport::ReadFile;
using testsupport::Rows;
using testsupport::TempDir;
using testsupport::Untimed;
using testsupport::WriteFile;

using testsupport::kCompleted;
using testsupport::kLogNotWritten;
using testsupport::kNoLog;
using testsupport::kNotFound;
using testsupport::kNotValid;
using testsupport::kNotWritten;
const std::string kEarlierLog = "earlier\r\n";

// A header-less 72x14 logo whose output exists, a 72x28 bitmap, a file that
// is no picture and a missing file, with a log that already has a line.
struct PictureScene {
    TempDir in, out, app;
    std::map<char, std::string> texts;

    PictureScene() {
        texts = {{'a', Rows(14)}, {'b', "00481C01" + Rows(28)}, {'c', "zz"}};
        WriteFile(Input('a'), texts['a']);
        WriteFile(Input('b'), texts['b']);
        WriteFile(Input('c'), texts['c']);
        WriteFile(out / "a.lgo", "old a.lgo");
        WriteFile(Log(), kEarlierLog);
    }
    std::string Input(char file) const {
        return in / (file == 'b' ? std::string("b.ota") : std::string(1, file) + ".txt");
    }
    std::string Log() const { return app / "PictureConverter.log"; }
    void Run(platform::IMessageUi& ui,
             platform::FileSystem& files = platform::SystemFiles()) const {
        picture::RunPictureBatch(
            ui, Input('a') + "," + Input('b') + "," + Input('c') + "," + Input('d'), out.Folder(),
            app.Folder(), files);
    }
};

// The output file with the two reference characters of every line blanked,
// and whether all lines carry the same reference.
std::string WithoutReference(const std::string& disk, bool& sameReference) {
    std::string text = disk;
    std::string reference;
    sameReference = true;
    for (std::size_t line = 0; line < text.size();) {
        if (line + 8 <= text.size()) {
            if (reference.empty())
                reference = text.substr(line + 6, 2);
            sameReference = sameReference && text.substr(line + 6, 2) == reference;
            text.replace(line + 6, 2, "..");
        }
        const std::size_t end = text.find("\r\n", line);
        line = end == std::string::npos ? text.size() : end + 2;
    }
    return text;
}

enum class Outcome { Written, NotWritten, NotFound };

// How far the log got: every entry, none (it could not be opened), or the
// entries before the one (0 to 3) whose append failed.
constexpr int kLogWritten = 4;
constexpr int kLogNotOpened = -1;

// What the files, the messages and the log look like when each of a and b
// ends as given, c is found or not, and the log went as far as given.
struct Expected {
    std::vector<std::string> messages;
    std::string log; // untimed, line feeds as on disk
    bool aNew = false, bNew = false;
};

Expected Expect(const PictureScene& scene, Outcome a, Outcome b, bool cFound,
                int logEntries = kLogWritten) {
    Expected e;
    std::string log;
    if (logEntries == kLogNotOpened)
        e.messages.push_back(kNoLog);
    int entry = 0;
    std::string text;
    // Ends the entry in hand: its text reaches the log only if the log got that far.
    const auto endEntry = [&] {
        if (entry == logEntries)
            e.messages.push_back(kLogNotWritten);
        if (entry < logEntries)
            log += text;
        text.clear();
        ++entry;
    };
    const auto picture = [&](char file, Outcome outcome) {
        if (outcome == Outcome::NotFound) {
            e.messages.push_back(kNotFound);
            text += scene.Input(file) + kNotFound;
            return endEntry();
        }
        const picture::LogoImage image = picture::RecogniseLogo(scene.texts.at(file));
        if (!image.notice.empty())
            e.messages.push_back(image.notice);
        text += "Converting : " + scene.Input(file) + " : <time>" + image.report;
        if (outcome == Outcome::Written) {
            text += picture::PictureDrawing(image.data, image.width, image.height);
        } else {
            e.messages.push_back(kNotWritten);
            text += "Error! Could not write to file!\n";
        }
        text += "\n\n\n";
        endEntry();
    };
    picture('a', a);
    picture('b', b);
    if (cFound) {
        e.messages.push_back(kNotValid);
        text += "Converting : " + scene.Input('c') + " : <time>Error! Not a valid Picture! \n";
    } else {
        e.messages.push_back(kNotFound);
        text += scene.Input('c') + kNotFound;
    }
    endEntry();
    e.messages.push_back(kNotFound);
    text += scene.Input('d') + kNotFound;
    endEntry();
    e.messages.push_back(kCompleted);
    e.log = kEarlierLog + platform::LfToCrlf(log);
    e.aNew = a == Outcome::Written;
    e.bNew = b == Outcome::Written;
    return e;
}

struct Observed {
    std::vector<std::string> messages;
    std::string log;
    bool aNew, bNew;
};

// The new outputs of a run without faults.
struct Baseline {
    std::string a, b; // b without its references
};

Baseline MakeBaseline() {
    PictureScene scene;
    testsupport::RecordingUi messages;
    Baseline base;
    scene.Run(messages);
    base.a = ReadFile(scene.out / "a.lgo");
    bool same = false;
    base.b = WithoutReference(ReadFile(scene.out / "b.lgo"), same);
    EXPECT_TRUE(same);
    EXPECT_EQ(base.a, scene.texts['a']);
    EXPECT_EQ(base.b.size(), 260u + 252u + 84u + 6u);
    return base;
}

Observed Observe(const PictureScene& scene, testsupport::RecordingUi& messages,
                 const Baseline& base) {
    Observed seen;
    seen.messages = messages.texts;
    seen.log = Untimed(platform::CrlfToLf(ReadFile(scene.Log())));
    seen.log = platform::LfToCrlf(seen.log);
    const std::string a = ReadFile(scene.out / "a.lgo");
    seen.aNew = a == base.a;
    EXPECT_TRUE(seen.aNew || a == "old a.lgo") << "a.lgo holds \"" << a << "\"";
    const bool bThere = std::filesystem::exists(scene.out / "b.lgo");
    bool same = true;
    seen.bNew = bThere && WithoutReference(ReadFile(scene.out / "b.lgo"), same) == base.b;
    EXPECT_TRUE(same);
    EXPECT_TRUE(seen.bNew || !bThere) << "b.lgo is there but not whole";
    for (const std::string& name : FilesIn(scene.out.Path()))
        EXPECT_TRUE(name == "a.lgo" || name == "b.lgo") << "left behind: " << name;
    return seen;
}

// Which single-failure outcome the run matches; -1 when none.
int Match(const PictureScene& scene, const Observed& seen) {
    std::vector<Expected> candidates = {
        Expect(scene, Outcome::Written, Outcome::Written, true),
        Expect(scene, Outcome::Written, Outcome::Written, true, kLogNotOpened),
        Expect(scene, Outcome::NotFound, Outcome::Written, true),
        Expect(scene, Outcome::NotWritten, Outcome::Written, true),
        Expect(scene, Outcome::Written, Outcome::NotFound, true),
        Expect(scene, Outcome::Written, Outcome::NotWritten, true),
        Expect(scene, Outcome::Written, Outcome::Written, false),
    };
    for (int failedEntry = 0; failedEntry < kLogWritten; ++failedEntry)
        candidates.push_back(Expect(scene, Outcome::Written, Outcome::Written, true, failedEntry));
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const Expected& e = candidates[i];
        if (seen.messages == e.messages && seen.aNew == e.aNew && seen.bNew == e.bNew &&
            seen.log == e.log)
            return static_cast<int>(i);
    }
    return -1;
}

class Sweep : public hardening::FaultSweep {
public:
    void Run(testsupport::FaultyFiles& files) override {
        m_scene = std::make_unique<PictureScene>();
        m_messages = std::make_unique<testsupport::RecordingUi>();
        m_scene->Run(*m_messages, files);
    }
    void CheckClean() override {
        EXPECT_EQ(Match(*m_scene, Observe(*m_scene, *m_messages, m_base)), 0);
    }
    void CheckOneFailure() override {
        const Observed seen = Observe(*m_scene, *m_messages, m_base);
        const int outcome = Match(*m_scene, seen);
        EXPECT_NE(outcome, -1) << "log:\n" << seen.log;
        ++m_outcomes[outcome];
    }
    void CheckEveryOutcomeSeen() override {
        // Every kind of single failure came up, a failed append of each entry included.
        for (int outcome = 1; outcome <= 10; ++outcome)
            EXPECT_GT(m_outcomes[outcome], 0) << "outcome " << outcome;
    }
    void CheckDiskFull() override {
        const Observed seen = Observe(*m_scene, *m_messages, m_base);
        // Once the disk is full, every later output fails too, and so does
        // the log from the entry whose append failed: the messages still come
        // in order and the log holds the earlier text and whole entries.
        EXPECT_EQ(seen.messages.back(), kCompleted);
        const Outcome a = seen.aNew ? Outcome::Written : Outcome::NotWritten;
        const Outcome b = seen.bNew ? Outcome::Written : Outcome::NotWritten;
        int logEntries = kLogWritten;
        for (int failed = 0; failed < kLogWritten; ++failed)
            if (Expect(*m_scene, a, b, true, failed).messages == seen.messages)
                logEntries = failed;
        const Expected full = Expect(*m_scene, a, b, true, logEntries);
        EXPECT_EQ(seen.messages, full.messages);
        EXPECT_EQ(seen.log, full.log);
    }
    std::size_t BytesWritten() const override { return 4000 + m_base.a.size() + m_base.b.size(); }
    std::size_t RoomStep() const override { return 11; }

private:
    const Baseline m_base = MakeBaseline();
    std::unique_ptr<PictureScene> m_scene;
    std::unique_ptr<testsupport::RecordingUi> m_messages;
    std::map<int, int> m_outcomes;
};

} // namespace

std::unique_ptr<hardening::FaultSweep> hardening::PictureSweep() {
    return std::make_unique<Sweep>();
}
