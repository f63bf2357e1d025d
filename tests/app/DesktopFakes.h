#pragma once
// Stand-ins for the desktop's message boxes, file choosers, document opener
// and sound output, installed for the life of one DesktopFakes object, and
// a helper that answers the next modal dialog.

#include "app/DesktopSeams.h"
#include "app/DialogControls.h"
#include "support/TempDir.h"

#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <QUrl>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace apptest {

struct ShownMessage {
    QWidget* owner;
    std::string text;
    std::string caption;
    bool busyCursor; // shown while the wait cursor was up
    bool final;      // the last box of a conversion, with Open Folder and Show Log
    QStringList windows; // titles of the windows shown at the time
};

struct SaveRequest {
    std::string proposedName;
    std::string filterName;
    std::string pattern;
};

// What was handed to the sound output to play.
struct Played {
    std::size_t samples;
    int sampleRate;
};

class DesktopFakes final : public app::IMessageBox,
                           public app::IFileChooser,
                           public app::IUrlOpener,
                           public app::IAudioOutput {
public:
    DesktopFakes();
    ~DesktopFakes() override;
    DesktopFakes(const DesktopFakes&) = delete;
    DesktopFakes& operator=(const DesktopFakes&) = delete;

    // Answers of the next choosers, in order; nothing stands for Cancel.
    std::deque<std::optional<std::vector<std::string>>> openAnswers;
    std::deque<std::optional<std::string>> saveAnswers;
    bool urlOpenerSucceeds = true;
    // Buttons pressed in the next final boxes, in order; OK after them.
    std::deque<app::FinalChoice> finalAnswers;
    bool soundOutput = true; // false: there is no sound output to play on

    // What was shown, asked and opened.
    std::vector<ShownMessage> messages;
    std::vector<SaveRequest> saveRequests;
    std::vector<QUrl> openedUrls;
    std::vector<std::vector<std::string>> openFilters; // of each Open chooser
    std::vector<Played> played;
    bool Playing() const { return static_cast<bool>(m_onEnded); }
    // The samples in play have all been played.
    void PlayingEnds() { Stop(); }

    std::vector<std::string> MessageTexts() const;

    void Show(QWidget* owner, const std::string& text, const std::string& caption) override;
    app::FinalChoice ShowFinal(QWidget* owner, const std::string& text,
                               const std::string& caption) override;
    std::optional<std::vector<std::string>>
    ChooseFilesToOpen(QWidget* owner, const std::vector<std::string>& filters) override;
    std::optional<std::string> ChooseFileToSave(QWidget* owner, const std::string& proposedName,
                                                const std::string& filterName,
                                                const std::string& pattern) override;
    bool Open(const QUrl& url) override;
    bool Play(std::vector<std::int16_t> samples, int sampleRate,
              std::function<void()> onEnded) override;
    void Stop() override;

private:
    app::IMessageBox* m_previousBoxes;
    app::IFileChooser* m_previousChooser;
    app::IUrlOpener* m_previousOpener;
    app::IAudioOutput* m_previousOutput;
    std::function<void()> m_onEnded;
};

// Calls answer with every modal window that opens from now until the helper
// is destroyed, so that a test can drive dialogs run with exec().
class ModalAnswerer {
public:
    explicit ModalAnswerer(std::function<void(QWidget*)> answer);
    ~ModalAnswerer();
    ModalAnswerer(const ModalAnswerer&) = delete;
    ModalAnswerer& operator=(const ModalAnswerer&) = delete;

    int Answered() const { return m_answered; }

private:
    struct Poller;
    Poller* m_poller;
    int m_answered = 0;
};

// A control's text as the user sees it: without the "&" before its Alt letter.
template <typename W> QString Shown(const W* widget) {
    return QString(widget->text()).remove(QLatin1Char('&'));
}

// Shows and activates window, puts the focus on first and presses Tab
// count times: the control numbers focused, first included (0 for a
// widget without one).
std::vector<int> TabOrder(QWidget* window, QWidget* first, int count);

// Drags the URLs over target and drops them, as a file manager does
// (offering copy or move); the action target chose (none when refused).
Qt::DropAction DropUrls(QWidget* target, const QList<QUrl>& urls,
                        Qt::KeyboardModifiers modifiers = Qt::NoModifier);

// Runs deferred deletions, so that a dialog closed with WA_DeleteOnClose is gone.
void FlushDeferredDeletes();

// A converter dialog of its own for each test, made with the fakes in place
// and the program folder a fresh one, and closed (and so deleted) afterwards.
template <typename Dlg> class ConverterDlgTest : public ::testing::Test {
protected:
    ConverterDlgTest() : dlg(new Dlg) {
        dlg->m_strProgramFolder = program.Folder();
        EXPECT_TRUE(dlg->CreateModeless(nullptr));
    }
    ~ConverterDlgTest() override {
        if (dlg)
            dlg->close();
        FlushDeferredDeletes();
    }

    QLineEdit* Edit(int id) const { return app::Control<QLineEdit>(dlg, id); }
    void Press(int id) const { app::Control<QPushButton>(dlg, id)->click(); }
    // What the user types changes the control, not the stored value.
    void Type(int id, const std::string& text) const {
        Edit(id)->setText(QString::fromStdString(text));
    }

    DesktopFakes fakes;
    testsupport::TempDir program;
    QPointer<Dlg> dlg;
};

} // namespace apptest
