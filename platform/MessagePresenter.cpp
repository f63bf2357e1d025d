#include "platform/MessagePresenter.h"

#include "platform/MessageUi.h"

#include <cstdio>
#include <dlfcn.h>
#include <string>

// Exported from executables (see platform/CMakeLists.txt); kept local inside
// shared modules, which find the host's copy through dlsym instead.
extern "C" {
__attribute__((visibility("default")))
QuillmereMessagePresenter QuillmereMessagePresenterSlot = {nullptr, nullptr};
}

namespace platform {
namespace {

QuillmereMessagePresenter& ProcessSlot() {
    static QuillmereMessagePresenter* const slot = [] {
        void* found = ::dlsym(RTLD_DEFAULT, "QuillmereMessagePresenterSlot");
        return found != nullptr ? static_cast<QuillmereMessagePresenter*>(found)
                                : &QuillmereMessagePresenterSlot;
    }();
    return *slot;
}

} // namespace

QuillmereMessagePresenter SetMessagePresenter(QuillmerePresenterFn fn, void* context) {
    QuillmereMessagePresenter& slot = ProcessSlot();
    const QuillmereMessagePresenter previous = slot;
    slot = {fn, fn != nullptr ? context : nullptr};
    return previous;
}

void ShowMessage(std::string_view text, std::string_view caption) {
    const QuillmereMessagePresenter presenter = ProcessSlot();
    if (presenter.show != nullptr) {
        presenter.show(presenter.context, std::string(caption).c_str(), std::string(text).c_str());
        return;
    }
    std::string line;
    line.reserve(caption.size() + text.size() + 3);
    line.append(caption).append(": ").append(text).append("\n");
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

void PresenterMessageUi::ShowMessage(const std::string& text, const std::string& caption) {
    platform::ShowMessage(text, caption);
}

} // namespace platform
