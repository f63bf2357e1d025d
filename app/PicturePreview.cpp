#include "app/PicturePreview.h"

#include "app/DialogControls.h"
#include "app/Resources.h"
#include "picture/LogoReader.h"
#include "picture/PictureBatch.h"
#include "picture/PictureFormat.h"
#include "platform/InputList.h"

#include <QEvent>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

using namespace app;

namespace {

// The picture's cells, dark where its bit is 1, each a kScale-pixel square
// drawn as a whole number of device pixels, without smoothing, so that
// every cell stays sharp on any screen.
QPixmap Drawn(const picture::LogoImage& image, qreal devicePixelRatio) {
    const imaging::MonoImage dark = picture::PictureCells(image);
    QImage cells(image.width, image.height, QImage::Format_RGB32);
    cells.fill(Qt::white);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            if (dark.Dark(x, y))
                cells.setPixel(x, y, qRgb(0, 0, 0));
    const int cell = qMax(1, qRound(CPicturePreview::kScale * devicePixelRatio));
    QPixmap drawn = QPixmap::fromImage(cells.scaled(image.width * cell, image.height * cell,
                                                    Qt::IgnoreAspectRatio, Qt::FastTransformation));
    drawn.setDevicePixelRatio(qreal(cell) / CPicturePreview::kScale);
    return drawn;
}

} // namespace

CPicturePreview::CPicturePreview(QWidget* parent) : QWidget(parent) {
    using namespace picture::format;
    m_picture = Tag(new QLabel(this), IDC_PICTURE_PREVIEW);
    m_picture->setFixedSize(kWidth * kScale, kLargeHeight * kScale);
    m_picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_picture->setAccessibleName(QStringLiteral("Picture preview"));
    m_text = Tag(new QLabel(this), IDC_PICTURE_PREVIEW_TEXT);
    m_text->setTextFormat(Qt::PlainText);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_text);
    layout->addWidget(m_picture);
}

bool CPicturePreview::event(QEvent* event) {
    // Moved to a screen of another ratio: drawn anew for it.
    if (event->type() == QEvent::ScreenChangeInternal && !m_inputList.empty())
        ShowFirstOf(m_inputList);
    return QWidget::event(event);
}

void CPicturePreview::ShowFirstOf(const std::string& inputList) {
    m_inputList = inputList;
    m_picture->clear();
    m_text->clear();
    m_picture->setAccessibleDescription(QString());
    if (inputList.empty())
        return;
    const std::optional<std::string> text =
        picture::ReadLogoText(std::string(platform::FirstInput(inputList)));
    if (!text) {
        m_text->setText(
            QString::fromUtf8(picture::kNotFoundMessage.data(),
                              static_cast<qsizetype>(picture::kNotFoundMessage.size())));
        return;
    }
    const picture::LogoImage image = picture::RecogniseLogo(*text);
    if (!image.valid) {
        m_text->setText(
            QString::fromUtf8(picture::kNotValidMessage.data(),
                              static_cast<qsizetype>(picture::kNotValidMessage.size())));
        return;
    }
    m_picture->setPixmap(Drawn(image, m_picture->devicePixelRatioF()));
    std::string report = image.report;
    if (!report.empty() && report.back() == '\n')
        report.pop_back();
    m_text->setText(QString::fromStdString(report));
    m_picture->setAccessibleDescription(m_text->text());
}
