#pragma once
// The melody conversion's questions and messages as the desktop shows them:
// message boxes and the replace question (CReplaceDlg), centred on the
// window that started the conversion.

#include "melody/MelodyUi.h"

class QWidget;

class CDesktopMelodyUi final : public IMelodyUi {
public:
    // owner: the window the boxes belong to; may be null.
    explicit CDesktopMelodyUi(QWidget* owner = nullptr) : m_owner(owner) {}

    void ShowMessage(const std::string& text, const std::string& caption) override;
    ReplaceAnswer AskReplace(const std::string& prompt) override;

private:
    QWidget* m_owner;
};
