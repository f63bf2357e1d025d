#include "app/DesktopMelodyUi.h"

#include "app/DesktopSeams.h"
#include "app/ReplaceDlg.h"

void CDesktopMelodyUi::ShowMessage(const std::string& text, const std::string& caption) {
    app::ShowMessageBox(m_owner, text, caption);
}

ReplaceAnswer CDesktopMelodyUi::AskReplace(const std::string& prompt) {
    CReplaceDlg dlg(m_owner);
    dlg.m_pszMessage = prompt.c_str();
    dlg.DoModal();
    if (dlg.m_bReplaceAll != 0)
        return ReplaceAnswer::ReplaceAll;
    return dlg.m_bReplace != 0 ? ReplaceAnswer::Replace : ReplaceAnswer::DoNotReplace;
}
