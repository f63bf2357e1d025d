#pragma once
// A user who is shown messages: each one modal, with a caption and one OK
// button, returning once it has been seen; and one who is also asked before
// an existing file is replaced. The conversions are handed one instead of
// reaching for a global; PresenterMessageUi shows the messages through the
// process's message presenter (platform/MessagePresenter.h).

#include <string>

namespace platform {

class IMessageUi {
public:
    virtual ~IMessageUi() = default;
    virtual void ShowMessage(const std::string& text, const std::string& caption) = 0;
    // Whether a message may wait for a person (a dialog does, a line on a
    // terminal does not): a batch lets go of its log's lock before one that
    // may, so that no other converter waits on the log meanwhile.
    virtual bool MessagesWait() const { return true; }
};

class PresenterMessageUi final : public IMessageUi {
public:
    void ShowMessage(const std::string& text, const std::string& caption) override;
};

enum class ReplaceAnswer {
    Replace,      // replace this file
    ReplaceAll,   // replace this one and every later one of the batch
    DoNotReplace, // cancel: keep the existing file
};

class IReplaceUi : public IMessageUi {
public:
    // Asks the replace question with the given prompt text; blocks until answered.
    virtual ReplaceAnswer AskReplace(const std::string& prompt) = 0;
};

} // namespace platform
