#include "app/DesktopSeams.h"

#include "app/QtDesktop.h"
#include "platform/MessagePresenter.h"

namespace app {
namespace {

IMessageBox* g_messageBoxes = nullptr;
IFileChooser* g_fileChooser = nullptr;
IUrlOpener* g_urlOpener = nullptr;
IAudioOutput* g_audioOutput = nullptr;

template <typename T> T* Replace(T*& slot, T* replacement) {
    T* previous = slot;
    slot = replacement;
    return previous;
}

} // namespace

IMessageBox& MessageBoxes() {
    return g_messageBoxes != nullptr ? *g_messageBoxes : QtMessageBoxes();
}
IFileChooser& FileChooser() {
    return g_fileChooser != nullptr ? *g_fileChooser : QtFileChooser();
}
IUrlOpener& UrlOpener() {
    return g_urlOpener != nullptr ? *g_urlOpener : QtUrlOpener();
}
IAudioOutput& AudioOutput() {
    return g_audioOutput != nullptr ? *g_audioOutput : QtAudioOutput();
}

IMessageBox* SetMessageBoxes(IMessageBox* boxes) {
    return Replace(g_messageBoxes, boxes);
}
IFileChooser* SetFileChooser(IFileChooser* chooser) {
    return Replace(g_fileChooser, chooser);
}
IUrlOpener* SetUrlOpener(IUrlOpener* opener) {
    return Replace(g_urlOpener, opener);
}
IAudioOutput* SetAudioOutput(IAudioOutput* output) {
    return Replace(g_audioOutput, output);
}

void ShowMessageBox(QWidget* owner, const std::string& text, const std::string& caption) {
    MessageBoxes().Show(owner, text, caption);
}

MessagePresenterScope::MessagePresenterScope(QWidget* owner, Handler onMessage)
    : m_owner(owner), m_onMessage(std::move(onMessage)) {
    const QuillmereMessagePresenter previous = platform::SetMessagePresenter(&Present, this);
    m_previousFn = previous.show;
    m_previousContext = previous.context;
}

void MessagePresenterScope::Present(void* context, const char* caption, const char* text) {
    auto* scope = static_cast<MessagePresenterScope*>(context);
    if (!scope->m_onMessage || !scope->m_onMessage(text, caption))
        MessageBoxes().Show(scope->m_owner, text, caption);
}

MessagePresenterScope::~MessagePresenterScope() {
    platform::SetMessagePresenter(m_previousFn, m_previousContext);
}

} // namespace app
