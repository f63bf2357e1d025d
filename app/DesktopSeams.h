#pragma once
// The desktop services the dialogs use: message boxes, file choosers, the
// opening of a document with the desktop's default handler and the sound
// output. Each is an interface with one process-wide current implementation,
// Qt's by default; the tests put their own in place so that no real modal
// window opens and no sound plays.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QUrl;
class QWidget;

namespace app {

// What the user chose in the last box of a conversion.
enum class FinalChoice { Ok, OpenFolder, ShowLog };

class IMessageBox {
public:
    virtual ~IMessageBox() = default;
    // A modal message box with one OK button and no icon, centred on owner
    // (which may be null). A text too large for the screen is shortened in
    // the visible box, and shown whole under "Show Details...".
    virtual void Show(QWidget* owner, const std::string& text, const std::string& caption) = 0;
    // The last box of a conversion: the same box with "Open Folder" and
    // "Show Log" beside OK; the button that closed it.
    virtual FinalChoice ShowFinal(QWidget* owner, const std::string& text,
                                  const std::string& caption) = 0;
};

class IFileChooser {
public:
    virtual ~IFileChooser() = default;
    // The Open chooser with multiple selection: the chosen full paths in the
    // chooser's order, or nothing when it was cancelled. filters: the file
    // types offered, "Name (*.a *.b)", the first chosen at the start; none
    // shows every file.
    virtual std::optional<std::vector<std::string>>
    ChooseFilesToOpen(QWidget* owner, const std::vector<std::string>& filters) = 0;
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

class IAudioOutput {
public:
    virtual ~IAudioOutput() = default;
    // Starts playing 16-bit mono samples and returns at once; onEnded runs,
    // on the user-interface thread, when they have all been played or the
    // playing was stopped (by Stop or by a later Play). False when there is
    // no sound output to play them on; onEnded never runs then.
    virtual bool Play(std::vector<std::int16_t> samples, int sampleRate,
                      std::function<void()> onEnded) = 0;
    // Stops what is playing, if anything.
    virtual void Stop() = 0;
};

// The current implementations.
IMessageBox& MessageBoxes();
IFileChooser& FileChooser();
IUrlOpener& UrlOpener();
IAudioOutput& AudioOutput();

// Install a replacement (not owned) and return the one it replaces; nullptr
// brings back Qt's implementation.
IMessageBox* SetMessageBoxes(IMessageBox* boxes);
IFileChooser* SetFileChooser(IFileChooser* chooser);
IUrlOpener* SetUrlOpener(IUrlOpener* opener);
IAudioOutput* SetAudioOutput(IAudioOutput* output);

// Shorthand for MessageBoxes().Show(owner, text, caption).
void ShowMessageBox(QWidget* owner, const std::string& text, const std::string& caption);

// Routes the messages of platform::ShowMessage (the converters, the component
// loaded at run time) to the current message boxes, owned by owner (null for
// none), while the object lives; the previous presenter comes back when it
// is destroyed. A message that onMessage takes (returns true for) is left to
// it instead.
class MessagePresenterScope {
public:
    using Handler = std::function<bool(const std::string& text, const std::string& caption)>;
    explicit MessagePresenterScope(QWidget* owner = nullptr, Handler onMessage = {});
    ~MessagePresenterScope();
    MessagePresenterScope(const MessagePresenterScope&) = delete;
    MessagePresenterScope& operator=(const MessagePresenterScope&) = delete;

private:
    static void Present(void* scope, const char* caption, const char* text);

    QWidget* m_owner;
    Handler m_onMessage;
    void (*m_previousFn)(void*, const char*, const char*);
    void* m_previousContext;
};

} // namespace app
