#pragma once
// The desktop services the dialogs use: message boxes, file choosers and the
// opening of a document with the desktop's default handler. Each is an
// interface with one process-wide current implementation, Qt's by default;
// the tests put their own in place so that no real modal window opens.

#include <optional>
#include <string>
#include <vector>

class QUrl;
class QWidget;

namespace app {

class IMessageBox {
public:
    virtual ~IMessageBox() = default;
    // A modal message box with one OK button and no icon; owner may be null.
    virtual void Show(QWidget* owner, const std::string& text, const std::string& caption) = 0;
};

class IFileChooser {
public:
    virtual ~IFileChooser() = default;
    // The Open chooser with multiple selection and no filter: the chosen full
    // paths in the chooser's order, or nothing when it was cancelled.
    virtual std::optional<std::vector<std::string>> ChooseFilesToOpen(QWidget* owner) = 0;
    // The Save As chooser with a proposed name and one filter (display name
    // and pattern): the chosen full path, or nothing when it was cancelled.
    // It asks no overwrite question and adds no extension.
    virtual std::optional<std::string> ChooseFileToSave(QWidget* owner,
                                                        const std::string& proposedName,
                                                        const std::string& filterName,
                                                        const std::string& pattern) = 0;
};

class IUrlOpener {
public:
    virtual ~IUrlOpener() = default;
    // Opens the document with the desktop's default handler; false on failure.
    virtual bool Open(const QUrl& url) = 0;
};

// The current implementations.
IMessageBox& MessageBoxes();
IFileChooser& FileChooser();
IUrlOpener& UrlOpener();

// Install a replacement (not owned) and return the one it replaces; nullptr
// brings back Qt's implementation.
IMessageBox* SetMessageBoxes(IMessageBox* boxes);
IFileChooser* SetFileChooser(IFileChooser* chooser);
IUrlOpener* SetUrlOpener(IUrlOpener* opener);

// Shorthand for MessageBoxes().Show(owner, text, caption).
void ShowMessageBox(QWidget* owner, const std::string& text, const std::string& caption);

// Routes the messages of platform::ShowMessage (the converters, the component
// loaded at run time) to the current message boxes, with no owner window.
// Returns an object that restores the previous presenter when destroyed.
class MessagePresenterScope {
public:
    MessagePresenterScope();
    ~MessagePresenterScope();
    MessagePresenterScope(const MessagePresenterScope&) = delete;
    MessagePresenterScope& operator=(const MessagePresenterScope&) = delete;

private:
    void (*m_previousFn)(void*, const char*, const char*);
    void* m_previousContext;
};

} // namespace app
