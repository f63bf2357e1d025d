#include "app/WrapAnywhereLabel.h"

#include <QPainter>
#include <QTextLayout>
#include <QTextOption>
#include <cmath>

namespace {

// Lays the text out in lines of the given width; returns the height used.
qreal LayOut(QTextLayout& layout, int width) {
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    qreal height = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, height));
        height += line.height();
    }
    layout.endLayout();
    return height;
}

} // namespace

CWrapAnywhereLabel::CWrapAnywhereLabel(const QString& text, int preferredWidth, QWidget* parent)
    : QLabel(text, parent), m_preferredWidth(preferredWidth) {
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

int CWrapAnywhereLabel::heightForWidth(int width) const {
    const QMargins margins = contentsMargins();
    QTextLayout layout(text(), font());
    const qreal height = LayOut(layout, qMax(1, width - margins.left() - margins.right()));
    return int(std::ceil(height)) + margins.top() + margins.bottom();
}

QSize CWrapAnywhereLabel::sizeHint() const {
    const QMargins margins = contentsMargins();
    const int natural = fontMetrics().horizontalAdvance(text()) + margins.left() + margins.right();
    const int width = qMax(minimumWidth(), qMin(natural, m_preferredWidth));
    return {width, heightForWidth(width)};
}

QSize CWrapAnywhereLabel::minimumSizeHint() const {
    const int width = qMax(minimumWidth(), fontMetrics().averageCharWidth() * 8);
    return {width, heightForWidth(width)};
}

void CWrapAnywhereLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    const QRect area = contentsRect();
    QTextLayout layout(text(), font());
    LayOut(layout, area.width());
    layout.draw(&painter, area.topLeft());
}
