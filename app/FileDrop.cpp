#include "app/FileDrop.h"

#include "app/AppNames.h"
#include "app/DesktopSeams.h"
#include "app/PathRules.h"
#include "platform/InputList.h"

#include <QDialog>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QMimeData>

namespace app {

namespace {

bool OnThisComputer(const QUrl& url) {
    return url.isLocalFile() &&
           (url.host().isEmpty() || url.host().compare("localhost", Qt::CaseInsensitive) == 0);
}

// Watches the dialog and its fields for drops of URLs.
class FileDropFilter : public QObject {
public:
    FileDropFilter(QDialog* dialog, QLineEdit* input, QLineEdit* output)
        : QObject(dialog), m_dialog(dialog), m_input(input), m_output(output) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
            return false;
        auto* drop = static_cast<QDropEvent*>(event);
        if (!drop->mimeData()->hasUrls())
            return false; // plain text: the field's own handling
        // A copy, whatever the source offered, so that it never deletes its files.
        drop->setDropAction(drop->possibleActions() & Qt::CopyAction ? Qt::CopyAction
                                                                     : Qt::LinkAction);
        drop->setAccepted(type != QEvent::Drop || Take(watched, *drop));
        return true;
    }

private:
    // Takes the drop into the fields; false when it is refused.
    bool Take(QObject* watched, const QDropEvent& drop) {
        const DropZone zone = watched == m_input    ? DropZone::InputField
                              : watched == m_output ? DropZone::OutputField
                                                    : DropZone::Elsewhere;
        const bool add = drop.modifiers() & Qt::ControlModifier;
        const DropResult result =
            InterpretDrop(drop.mimeData()->urls(), zone, add, m_input->text().toStdString());
        switch (result.kind) {
        case DropResult::InputList:
            m_input->setText(QString::fromStdString(result.text));
            break;
        case DropResult::OutputFolder:
            m_output->setText(QString::fromStdString(result.text));
            break;
        case DropResult::Refused:
            Tell(result.text);
            return false;
        case DropResult::Nothing:
            break;
        }
        if (!result.notice.empty())
            Tell(result.notice);
        return true;
    }

    // Once the drop is over, so that the file manager is not kept waiting.
    void Tell(const std::string& text) {
        QMetaObject::invokeMethod(
            m_dialog, [dialog = m_dialog, text] { ShowMessageBox(dialog, text, kAppName); },
            Qt::QueuedConnection);
    }

    QDialog* m_dialog;
    QLineEdit* m_input;
    QLineEdit* m_output;
};

} // namespace

DropResult InterpretDrop(const QList<QUrl>& urls, DropZone zone, bool add,
                         const std::string& currentList) {
    if (urls.isEmpty())
        return {};
    for (const QUrl& url : urls)
        if (!OnThisComputer(url))
            return {DropResult::Refused,
                    "Only files on this computer can be converted. This is not one of them:\n" +
                        url.toDisplayString().toStdString(),
                    {}};
    if (urls.size() == 1 && zone != DropZone::InputField &&
        QFileInfo(urls.front().toLocalFile()).isDir())
        return {DropResult::OutputFolder,
                DialogFolder(urls.front().toLocalFile().toStdString()), {}};

    std::vector<std::string> dropped;
    std::string emptyFolder;
    for (const QUrl& url : urls) {
        const QString path = url.toLocalFile();
        if (!QFileInfo(path).isDir()) {
            dropped.push_back(path.toStdString());
            continue;
        }
        const QDir folder(path);
        const QStringList names = folder.entryList(QDir::Files, QDir::Name);
        for (const QString& name : names)
            dropped.push_back(folder.filePath(name).toStdString());
        if (names.isEmpty())
            emptyFolder = path.toStdString();
    }
    std::string refused;
    std::vector<std::string> paths = ListablePaths(dropped, refused);
    if (paths.empty())
        return {DropResult::Refused,
                !refused.empty() ? refused : "The folder " + emptyFolder + " holds no files.", {}};
    if (add && !currentList.empty())
        paths.insert(paths.begin(), currentList);
    return {DropResult::InputList, platform::JoinInputList(paths), refused};
}

void AcceptFileDrops(QDialog* dialog, QLineEdit* inputField, QLineEdit* outputField) {
    auto* filter = new FileDropFilter(dialog, inputField, outputField);
    dialog->setAcceptDrops(true);
    for (QObject* target : {static_cast<QObject*>(dialog), static_cast<QObject*>(inputField),
                            static_cast<QObject*>(outputField)})
        target->installEventFilter(filter);
}

} // namespace app
