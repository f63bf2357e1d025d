// Renders every dialog of the program to a PNG file in the folder given on
// the command line, with a few sample values filled in. Runs on Qt's
// offscreen platform unless another is chosen.

#include "app/AboutDlg.h"
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
#include <QMessageBox>
#include <QTimer>
#include <cstdio>

namespace {

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
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    bool ok = true;

    CMainDlg main;
    ok &= Save(main, folder, "main.png");

    auto* melody = new CMelodyDlg;
    melody->CreateModeless(&main);
    melody->m_strRtxFiles = "/home/ana/tunes/bells.txt,/home/ana/tunes/fanfare.rtx";
    melody->m_strOutputDir = "/home/ana/ems/";
    melody->m_bTarget2 = 1;
    melody->UpdateData(false);
    ok &= Save(*melody, folder, "melody.png");

    auto* picture = new CPictureDlg;
    picture->CreateModeless(&main);
    picture->m_strLogoFiles = "/home/ana/logos/operator_logo.txt";
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
    return ok ? 0 : 1;
}
