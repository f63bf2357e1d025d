#include "app/ReplaceDlg.h"

#include "app/DialogControls.h"
#include "app/Resources.h"
#include "app/WrapAnywhereLabel.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <string>
#include <string_view>

using namespace app;

namespace {

// The path in the melody converter's prompt; the whole text if it has
// another form.
std::string PathInPrompt(const std::string& text) {
    const std::string_view head = "The file: ";
    const std::string_view tail = " already exists, would you like to replace it?";
    if (text.size() < head.size() + tail.size() || text.compare(0, head.size(), head) != 0 ||
        text.compare(text.size() - tail.size(), tail.size(), tail) != 0)
        return text;
    return text.substr(head.size(), text.size() - head.size() - tail.size());
}

} // namespace

CReplaceDlg::CReplaceDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Corvane EMS converter v1.1"));
    // A long path wraps wherever it must, so the whole file name shows.
    m_message = Tag(new CWrapAnywhereLabel(QStringLiteral("Label1"), 480, this), IDC_REPLACE_TEXT);
    m_message->setMinimumWidth(360);
    // None of the answers is the default: Enter presses only the focused one
    // (keyPressEvent).
    m_replace = DialogButton(
        "Replace", IDC_REPLACE, this, [this] { OnReplace(); }, EnterKey::Never);
    m_replaceAll = DialogButton(
        "Replace All", IDC_REPLACE_ALL, this, [this] { OnReplaceAll(); }, EnterKey::Never);
    m_cancel = DialogButton(
        "Cancel", IDCANCEL, this, [this] { reject(); }, EnterKey::Never);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_message);
    layout->addLayout(ButtonRow({m_replace, m_replaceAll, m_cancel}));
}

int CReplaceDlg::DoModal() {
    OnInitDialog();
    return exec();
}

void CReplaceDlg::OnInitDialog() {
    const char* text = m_pszMessage != nullptr ? m_pszMessage : "";
    m_message->setText(QString::fromUtf8(text));
    m_message->setToolTip(QString::fromUtf8(PathInPrompt(text)));
    setWindowIcon(Icon(IDI_APP));
    m_bReplaceAll = 0;
    m_bReplace = 0;
    adjustSize();
}

void CReplaceDlg::OnReplace() {
    m_bReplace = 1;
    done(IDOK);
}

void CReplaceDlg::OnReplaceAll() {
    m_bReplaceAll = 1;
    done(IDCANCEL);
}

void CReplaceDlg::reject() {
    done(IDCANCEL);
}

void CReplaceDlg::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        QDialog::keyPressEvent(event); // Esc: reject, the cancel result
        return;
    }
    // Enter presses the answer that has the focus; anywhere else it is the
    // OK command, which answers nothing.
    QWidget* focused = focusWidget();
    for (QPushButton* button : {m_replace, m_replaceAll, m_cancel}) {
        if (button == focused) {
            button->click();
            return;
        }
    }
    done(IDOK);
}
