#pragma once
// What the melody conversion needs from its user, and nothing more: a
// blocking message with a caption and an OK button, and the blocking replace
// question. The desktop program, the command-line tool and the tests each
// implement it.

#include <string>

enum class ReplaceAnswer {
    Replace,      // replace this file
    ReplaceAll,   // replace this one and every later one of the batch
    DoNotReplace, // cancel: keep the existing file
};

class IMelodyUi {
public:
    virtual ~IMelodyUi() = default;
    // Shows text in a modal message box with the given caption and one OK button.
    virtual void ShowMessage(const std::string& text, const std::string& caption) = 0;
    // Asks the replace question with the given prompt text.
    virtual ReplaceAnswer AskReplace(const std::string& prompt) = 0;
};
