#pragma once
// The melody conversion's questions and messages as the desktop shows them:
// message boxes with no owner window, and the replace question in CReplaceDlg.

#include "melody/MelodyUi.h"

class CDesktopMelodyUi final : public IMelodyUi {
public:
    void ShowMessage(const std::string& text, const std::string& caption) override;
    ReplaceAnswer AskReplace(const std::string& prompt) override;
};
