#include "app/QtDesktop.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QUrl>

namespace app {
namespace {

// Room for the title bar's icon and buttons beside the caption.
constexpr int kTitleBarExtras = 160;

// Keeps a short message's box wide enough to show its whole caption.
void WideEnoughForCaption(QMessageBox& box) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (grid == nullptr)
        return;
    QFont titleFont = QApplication::font("QMdiSubWindowTitleBar");
    titleFont.setBold(true);
    const int width =
        QFontMetrics(titleFont).horizontalAdvance(box.windowTitle()) + kTitleBarExtras;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

class QtMessageBoxImpl final : public IMessageBox {
public:
    void Show(QWidget* owner, const std::string& text, const std::string& caption) override {
        QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(caption),
                        QString::fromStdString(text), QMessageBox::Ok, owner);
        box.setTextFormat(Qt::PlainText);
        WideEnoughForCaption(box);
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
    std::optional<std::vector<std::string>>
    ChooseFilesToOpen(QWidget* owner, const std::vector<std::string>& filters) override {
        QFileDialog chooser(owner, QStringLiteral("Open"));
        chooser.setOption(QFileDialog::DontUseNativeDialog);
        chooser.setAcceptMode(QFileDialog::AcceptOpen);
        chooser.setFileMode(QFileDialog::ExistingFiles);
        if (!filters.empty()) {
            QStringList names;
            for (const std::string& filter : filters)
                names << QString::fromStdString(filter);
            chooser.setNameFilters(names);
        }
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
