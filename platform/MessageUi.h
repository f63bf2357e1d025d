#pragma once
// A user who is shown messages: each one modal, with a caption and one OK
// button, returning once it has been seen. The conversions are handed one
// instead of reaching for a global; PresenterMessageUi shows the messages
// through the process's message presenter (platform/MessagePresenter.h).

#include <string>

namespace platform {

class IMessageUi {
public:
    virtual ~IMessageUi() = default;
    virtual void ShowMessage(const std::string& text, const std::string& caption) = 0;
};

class PresenterMessageUi final : public IMessageUi {
public:
    void ShowMessage(const std::string& text, const std::string& caption) override;
};

} // namespace platform
