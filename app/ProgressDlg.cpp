#include "app/ProgressDlg.h"

#include "app/DialogControls.h"
#include "app/Resources.h"
#include "app/ScreenFit.h"
#include "platform/ProgramPath.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

using namespace app;

namespace {

constexpr int kNameWidth = 380; // long names are shortened in the middle to this width

} // namespace

CProgressDlg::CProgressDlg(QWidget* owner, std::function<void()> onStop)
    : QDialog(owner), m_onStop(std::move(onStop)) {
    setWindowTitle(QStringLiteral("Converting melodies"));
    m_count = Tag(new QLabel(this), IDC_PROGRESS_COUNT);
    m_name = Tag(new QLabel(this), IDC_PROGRESS_FILE);
    m_name->setTextFormat(Qt::PlainText);
    m_name->setFixedWidth(kNameWidth);
    m_bar = new QProgressBar(this);
    m_bar->setTextVisible(false);
    m_bar->setAccessibleName(QStringLiteral("Files converted"));
    m_stop = DialogButton(
        "&Stop", IDC_PROGRESS_STOP, this, [this] { OnStop(); }, EnterKey::Default);
    m_stop->setAccessibleDescription(QStringLiteral("Ends the conversion after the file in hand"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_count);
    layout->addWidget(m_name);
    layout->addWidget(m_bar);
    layout->addLayout(ButtonRow({m_stop}));
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void CProgressDlg::SetProgress(std::size_t number, std::size_t count, const std::string& path) {
    if (!m_bStopPressed)
        m_count->setText(QStringLiteral("Converting file %1 of %2").arg(number).arg(count));
    // The bar counts files finished; its range is kept within int.
    const double share = count == 0 ? 0.0 : double(number - 1) / double(count);
    m_bar->setRange(0, 1000);
    m_bar->setValue(int(share * 1000));
    const QString name = QString::fromStdString(platform::FileNamePart(path));
    m_name->setText(m_name->fontMetrics().elidedText(name, Qt::ElideMiddle, kNameWidth));
    m_name->setToolTip(WrappedToolTip(QString::fromStdString(path)));
    m_bar->setAccessibleDescription(m_count->text());
}

void CProgressDlg::OnStop() {
    if (m_bStopPressed)
        return;
    m_bStopPressed = true;
    m_stop->setEnabled(false);
    m_count->setText(QStringLiteral("Stopping after the file in hand..."));
    if (m_onStop)
        m_onStop();
}

void CProgressDlg::reject() {
    OnStop();
}
