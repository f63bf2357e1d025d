// Renders every dialog of the program to a PNG file in the folder given on
// the command line, with a few sample values filled in. Runs on Qt's
// offscreen platform unless another is chosen. The picture preview and Play
// read real files: copies of two samples, named relative to a temporary
// working folder so that the fields show short paths.
//
// With --desktop FILE it opens the program's windows as a user would (main
// window, a melody and a picture converter, the help window) on the display
// it runs on and saves the whole screen, window frames and all: run it on a
// virtual display with a window manager (scripts/screenshots.sh).

#include "app/AboutDlg.h"
#include "app/DesktopSeams.h"
#include "app/DialogControls.h"
#include "app/HelpWindow.h"
#include "app/MainDlg.h"
#include "app/MelodyDlg.h"
#include "app/PictureDlg.h"
#include "app/ProductInfoDlg.h"
#include "app/ProgressDlg.h"
#include "app/QtDesktop.h"
#include "app/ReplaceDlg.h"
#include "app/Resources.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <utility>

namespace {

// Plays nothing and stays playing until stopped, for the Stop button.
class SilentOutput final : public app::IAudioOutput {
public:
    bool Play(std::vector<std::int16_t>, int, std::function<void()> onEnded) override {
        m_onEnded = std::move(onEnded);
        return true;
    }
    void Stop() override {
        if (auto onEnded = std::exchange(m_onEnded, {}))
            onEnded();
    }

private:
    std::function<void()> m_onEnded;
};

// Copies the sample into the working folder under the given relative name.
bool CopySample(const char* sample, const char* name) {
    const QString target = QString::fromUtf8(name);
    QDir().mkpath(QFileInfo(target).path());
    return QFile::copy(QStringLiteral(QUILLMERE_SAMPLES_DIR "/") + QString::fromUtf8(sample),
                       target);
}

// natural: at the window's own size hint, not at the size it was given.
bool Save(QWidget& window, const QDir& folder, const char* name, bool natural = true) {
    if (natural)
        window.adjustSize();
    window.show();
    QApplication::processEvents();
    const QString path = folder.filePath(QString::fromUtf8(name));
    const bool saved = window.grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
    window.hide();
    return saved;
}

// Windows that run modally are grabbed from inside their own event loop.
template <typename Run> bool SaveModal(const QDir& folder, const char* name, Run run) {
    bool saved = false;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr)
            return;
        saved = Save(*modal, folder, name);
        modal->close();
    });
    run();
    return saved;
}

// Lets the window manager place and draw what was shown.
void Settle(int ms) {
    QEventLoop wait;
    QTimer::singleShot(ms, &wait, &QEventLoop::quit);
    wait.exec();
}

// The program as a user sees it: main window, converters beside it, the
// preview filled in, and the help window; the whole screen saved to file.
int SaveDesktop(const QString& file) {
    auto* main = new CMainDlg;
    main->show();
    Settle(600);
    main->OnMelodies();
    Settle(400);
    main->OnPictures();
    Settle(400);
    for (QObject* child : main->children()) {
        if (auto* picture = dynamic_cast<CPictureDlg*>(child)) {
            picture->m_strLogoFiles = "logos/operator_logo.png";
            picture->m_strOutputDir = "/home/ana/ems/";
            picture->UpdateData(false);
        } else if (auto* melody = dynamic_cast<CMelodyDlg*>(child)) {
            melody->m_strRtxFiles = "tunes/morning.txt";
            melody->m_strOutputDir = "/home/ana/ems/";
            melody->UpdateData(false);
        }
    }
    Settle(800);
    const bool saved = QGuiApplication::primaryScreen()->grabWindow(0).save(file);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(file));
    delete main;
    return saved ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setWindowIcon(app::Icon(app::IDI_APP));
    const bool desktop = argc == 3 && std::strcmp(argv[1], "--desktop") == 0;
    if (argc != 2 && !desktop) {
        std::fprintf(stderr, "usage: %s FOLDER | --desktop FILE\n", argv[0]);
        return 2;
    }
    const QString target = QFileInfo(QString::fromLocal8Bit(argv[argc - 1])).absoluteFilePath();
    const QDir folder(target);
    const QTemporaryDir work;
    bool ok = work.isValid() && QDir::setCurrent(work.path()) &&
              CopySample("melodies/morning.txt", "tunes/morning.txt") &&
              CopySample("pictures/operator_logo_image.png", "logos/operator_logo.png");
    if (desktop)
        return ok ? SaveDesktop(target) : 1;
    SilentOutput silent;
    app::SetAudioOutput(&silent);

    CMainDlg main;
    ok &= Save(main, folder, "main.png");

    auto* melody = new CMelodyDlg;
    melody->CreateModeless(&main);
    melody->m_strRtxFiles = "tunes/morning.txt,tunes/fanfare.rtx";
    melody->m_strOutputDir = "/home/ana/ems/";
    melody->m_bTarget2 = 1;
    melody->UpdateData(false);
    ok &= Save(*melody, folder, "melody.png");
    melody->OnPlay();
    ok &= Save(*melody, folder, "melody-playing.png");
    melody->OnPlay();

    auto* picture = new CPictureDlg;
    picture->CreateModeless(&main);
    picture->m_strLogoFiles = "logos/operator_logo.png";
    picture->m_strOutputDir = "/home/ana/ems/";
    picture->UpdateData(false);
    ok &= Save(*picture, folder, "picture.png");

    CProgressDlg progress(melody, {});
    progress.SetProgress(1234, 5000, "/home/ana/tunes/fanfare.rtx");
    ok &= Save(progress, folder, "progress.png");

    CReplaceDlg replace;
    const char prompt[] = "The file: /home/ana/ems/bells.em1 already exists, would you like to "
                          "replace it?";
    replace.m_pszMessage = prompt;
    ok &= SaveModal(folder, "replace.png", [&] { replace.DoModal(); });
    // A path far too long for the screen: shortened, whole under Show Details.
    const std::string longPrompt = "The file: /home/ana/ems/" + std::string(3000, 'n') +
                                   "/bells.em1 already exists, would you like to replace it?";
    replace.m_pszMessage = longPrompt.c_str();
    ok &= SaveModal(folder, "replace-long-path.png", [&] { replace.DoModal(); });

    // The last box of a batch stopped by the user.
    ok &= SaveModal(folder, "stopped.png", [] {
        app::QtMessageBoxes().ShowFinal(
            nullptr, "Stopped: 3758 of 5000 files converted; 1242 not converted.",
            "EMS Melody Converter");
    });

    CHelpWindow* help = CHelpWindow::ShowGuide(nullptr, QUILLMERE_GUIDE, app::HELP_CONTEXT_MELODIES);
    ok &= help != nullptr && Save(*help, folder, "help.png", false);
    delete help;

    CAboutDlg about;
    ok &= Save(about, folder, "about.png");
    CProductInfoDlg info;
    ok &= Save(info, folder, "product-info.png");

    QMessageBox message(QMessageBox::NoIcon, QStringLiteral("EMS Melody Converter"),
                        QStringLiteral("Conversion complete."), QMessageBox::Ok);
    ok &= Save(message, folder, "message.png");
    app::SetAudioOutput(nullptr);
    QDir::setCurrent(folder.path());
    return ok ? 0 : 1;
}
