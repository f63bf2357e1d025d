#include "app/QtDesktop.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QUrl>

namespace app {
namespace {

class QtMessageBoxImpl final : public IMessageBox {
public:
    void Show(QWidget* owner, const std::string& text, const std::string& caption) override {
        QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(caption),
                        QString::fromStdString(text), QMessageBox::Ok, owner);
        box.setTextFormat(Qt::PlainText);
        // A message shown during a busy spell (a picture conversion) gets
        // the ordinary pointer for its OK button.
        const bool busy = QGuiApplication::overrideCursor() != nullptr;
        if (busy)
            QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
        box.exec();
        if (busy)
            QGuiApplication::restoreOverrideCursor();
    }
};

// Qt's own file dialogs rather than the desktop's: they behave alike
// everywhere and take the options below.
class QtFileChooserImpl final : public IFileChooser {
public:
    std::optional<std::vector<std::string>> ChooseFilesToOpen(QWidget* owner) override {
        QFileDialog chooser(owner, QStringLiteral("Open"));
        chooser.setOption(QFileDialog::DontUseNativeDialog);
        chooser.setAcceptMode(QFileDialog::AcceptOpen);
        chooser.setFileMode(QFileDialog::ExistingFiles);
        if (chooser.exec() != QDialog::Accepted)
            return std::nullopt;
        std::vector<std::string> paths;
        for (const QString& path : chooser.selectedFiles())
            paths.push_back(path.toStdString());
        return paths;
    }

    std::optional<std::string> ChooseFileToSave(QWidget* owner, const std::string& proposedName,
                                                const std::string& filterName,
                                                const std::string& pattern) override {
        QFileDialog chooser(owner, QStringLiteral("Save As"));
        chooser.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);
        chooser.setAcceptMode(QFileDialog::AcceptSave);
        chooser.setFileMode(QFileDialog::AnyFile);
        chooser.setNameFilter(QString::fromStdString(filterName + " (" + pattern + ")"));
        if (!proposedName.empty())
            chooser.selectFile(QString::fromStdString(proposedName));
        if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty())
            return std::nullopt;
        return chooser.selectedFiles().front().toStdString();
    }
};

class QtUrlOpenerImpl final : public IUrlOpener {
public:
    bool Open(const QUrl& url) override { return QDesktopServices::openUrl(url); }
};

} // namespace

IMessageBox& QtMessageBoxes() {
    static QtMessageBoxImpl boxes;
    return boxes;
}

IFileChooser& QtFileChooser() {
    static QtFileChooserImpl chooser;
    return chooser;
}

IUrlOpener& QtUrlOpener() {
    static QtUrlOpenerImpl opener;
    return opener;
}

} // namespace app
