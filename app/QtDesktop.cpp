#include "app/QtDesktop.h"

#include "app/ScreenFit.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <QTextEdit>
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

// A message box's label wraps at about this width (QMessageBox's own rule):
// half the screen, at most 500 pixels, less its margins.
int LabelWidth(const QRect& area) {
    return qMin(500, area.width() / 2) - 40;
}

// Room a box needs besides its text: title bar, margins, buttons and the
// opened "Show Details..." area.
constexpr int kBoxChrome = 280;
constexpr int kMostLines = 16;

// The box's text, shortened where the whole would not fit the screen; the
// whole text is then under "Show Details..." and in the text's tooltip.
void SetFittingText(QMessageBox& box, QWidget* owner, const std::string& text) {
    const QString whole = QString::fromStdString(text);
    box.setText(whole);
    auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    const QFont font = label != nullptr ? label->font() : box.font();
    const QRect area = AvailableArea(owner);
    const int lines =
        qBound(3, (area.height() - kBoxChrome) / QFontMetrics(font).lineSpacing(), kMostLines);
    const QString shown = ShortenedToFit(whole, font, LabelWidth(area), lines);
    if (shown == whole)
        return;
    box.setText(shown);
    box.setDetailedText(whole);
    if (auto* details = box.findChild<QTextEdit*>())
        details->setAccessibleName(QStringLiteral("The whole message"));
    if (label != nullptr)
        label->setToolTip(WrappedToolTip(whole));
}

// Shows the box modally with the ordinary pointer, even during a busy spell
// (a picture conversion).
void RunBox(QMessageBox& box) {
    const bool busy = QGuiApplication::overrideCursor() != nullptr;
    if (busy)
        QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    box.exec();
    if (busy)
        QGuiApplication::restoreOverrideCursor();
}

class QtMessageBoxImpl final : public IMessageBox {
public:
    void Show(QWidget* owner, const std::string& text, const std::string& caption) override {
        QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(caption), QString(),
                        QMessageBox::Ok, owner);
        Prepare(box, owner, text);
        RunBox(box);
    }

    FinalChoice ShowFinal(QWidget* owner, const std::string& text,
                          const std::string& caption) override {
        QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(caption), QString(),
                        QMessageBox::Ok, owner);
        QPushButton* folder = box.addButton(QStringLiteral("Open &Folder"), QMessageBox::ActionRole);
        QPushButton* log = box.addButton(QStringLiteral("Show &Log"), QMessageBox::ActionRole);
        folder->setAccessibleDescription(QStringLiteral("Shows the output folder in the file manager"));
        log->setAccessibleDescription(QStringLiteral("Shows the conversion log"));
        box.setDefaultButton(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok); // Esc and the close box too
        Prepare(box, owner, text);
        RunBox(box);
        return box.clickedButton() == folder ? FinalChoice::OpenFolder
               : box.clickedButton() == log  ? FinalChoice::ShowLog
                                             : FinalChoice::Ok;
    }

private:
    static void Prepare(QMessageBox& box, QWidget* owner, const std::string& text) {
        box.setTextFormat(Qt::PlainText);
        SetFittingText(box, owner, text);
        WideEnoughForCaption(box);
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
