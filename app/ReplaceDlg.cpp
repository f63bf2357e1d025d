#include "app/ReplaceDlg.h"

#include "app/DialogControls.h"
#include "app/Resources.h"
#include "app/ScreenFit.h"
#include "app/WrapAnywhereLabel.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <string>
#include <string_view>

using namespace app;

namespace {

constexpr int kTextWidth = 480;
constexpr int kMostLines = 12;
constexpr int kDetailLines = 6;
constexpr int kChrome = 120; // title bar, margins and buttons

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
    // A long path wraps wherever it must, so the whole file name shows; one
    // too long for the screen is shortened in the middle, and shown whole
    // under Show Details.
    m_message = Tag(new CWrapAnywhereLabel(QStringLiteral("Label1"), kTextWidth, this),
                    IDC_REPLACE_TEXT);
    m_message->setMinimumWidth(360);
    m_details = new QPlainTextEdit(this);
    m_details->setReadOnly(true);
    m_details->setWordWrapMode(QTextOption::WrapAnywhere);
    m_details->setAccessibleName(QStringLiteral("The whole path"));
    m_details->setFixedHeight(m_details->fontMetrics().lineSpacing() * kDetailLines +
                              2 * m_details->frameWidth() + 8);
    m_details->hide();
    m_showDetails = DialogButton("Show &Details", 0, this, [this] { OnShowDetails(); },
                                 EnterKey::Never);
    // None of the answers is the default: Enter presses only the focused one
    // (keyPressEvent).
    m_replace = DialogButton(
        "&Replace", IDC_REPLACE, this, [this] { OnReplace(); }, EnterKey::Never);
    m_replaceAll = DialogButton(
        "Replace &All", IDC_REPLACE_ALL, this, [this] { OnReplaceAll(); }, EnterKey::Never);
    m_cancel = DialogButton(
        "&Cancel", IDCANCEL, this, [this] { reject(); }, EnterKey::Never);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_message);
    layout->addWidget(m_details);
    auto* buttons = ButtonRow({m_replace, m_replaceAll, m_cancel});
    buttons->insertWidget(0, m_showDetails);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    ChainTabOrder({m_replace, m_replaceAll, m_cancel, m_showDetails, m_details});
}

int CReplaceDlg::DoModal() {
    OnInitDialog();
    return exec();
}

void CReplaceDlg::OnInitDialog() {
    const QString text = QString::fromUtf8(m_pszMessage != nullptr ? m_pszMessage : "");
    const QString path = QString::fromStdString(PathInPrompt(text.toStdString()));
    // Room for the text: the screen less the title bar, the buttons and the
    // opened details, and never more than a dozen lines.
    const QRect area = AvailableArea(parentWidget());
    const int lineSpacing = m_message->fontMetrics().lineSpacing();
    const int lines = qBound(2, (area.height() - kChrome - m_details->height()) / lineSpacing,
                             kMostLines);
    const QString shown = ShortenedToFit(text, m_message->font(), kTextWidth, lines);
    m_message->setText(shown);
    m_message->setToolTip(WrappedToolTip(path));
    m_details->setPlainText(path);
    m_details->hide();
    m_showDetails->setText(QStringLiteral("Show &Details"));
    m_showDetails->setVisible(shown != text);
    setWindowIcon(Icon(IDI_APP));
    m_bReplaceAll = 0;
    m_bReplace = 0;
    adjustSize();
    m_replace->setFocus();
}

void CReplaceDlg::OnShowDetails() {
    const bool show = m_details->isHidden();
    m_details->setVisible(show);
    m_showDetails->setText(show ? QStringLiteral("Hide &Details") : QStringLiteral("Show &Details"));
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
    for (QPushButton* button : {m_replace, m_replaceAll, m_cancel, m_showDetails}) {
        if (button == focused) {
            button->click();
            return;
        }
    }
    done(IDOK);
}
