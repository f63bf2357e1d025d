// Renders every dialog of the program to a PNG file in the folder given on
// the command line, with a few sample values filled in. Runs on Qt's
// offscreen platform unless another is chosen. The picture preview and Play
// read real files: copies of two samples, named relative to a temporary
// working folder so that the fields show short paths.

#include "app/AboutDlg.h"
#include "app/DesktopSeams.h"
#include "app/DialogControls.h"
#include "app/MainDlg.h"
#include "app/MelodyDlg.h"
#include "app/PictureDlg.h"
#include "app/ProductInfoDlg.h"
#include "app/ProgressDlg.h"
#include "app/ReplaceDlg.h"
#include "app/Resources.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
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

bool Save(QWidget& window, const QDir& folder, const char* name) {
    window.adjustSize();
    window.show();
    QApplication::processEvents();
    const QString path = folder.filePath(QString::fromUtf8(name));
    const bool saved = window.grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
    window.hide();
    return saved;
}

// Dialogs that fill themselves in when run modally are grabbed from inside
// their own event loop.
template <typename Run>
bool SaveModal(QWidget& window, const QDir& folder, const char* name, Run run) {
    bool saved = false;
    QTimer::singleShot(0, &window, [&] {
        saved = Save(window, folder, name);
        window.close();
    });
    run();
    return saved;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setWindowIcon(app::Icon(app::IDI_APP));
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const QDir folder(QDir(QString::fromLocal8Bit(argv[1])).absolutePath());
    const QTemporaryDir work;
    bool ok = work.isValid() && QDir::setCurrent(work.path()) &&
              CopySample("melodies/morning.txt", "tunes/morning.txt") &&
              CopySample("pictures/operator_logo_image.png", "logos/operator_logo.png");
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
    ok &= SaveModal(replace, folder, "replace.png", [&] { replace.DoModal(); });

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
