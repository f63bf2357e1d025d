#include "app/ScreenFit.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QStringList>
#include <QTextLayout>
#include <QTextOption>
#include <QWidget>

namespace app {
namespace {

constexpr int kToolTipLine = 100; // characters
const QString kEllipsis(QChar(0x2026));

// The text's lines wrapped at width: where each starts and how long it is.
QList<std::pair<int, int>> Lines(const QString& text, const QFont& font, int width) {
    QList<std::pair<int, int>> lines;
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        lines.append({line.textStart(), line.textLength()});
    }
    layout.endLayout();
    return lines;
}

// Every word of text wider than budget pixels, shortened in the middle to it.
QString WithLongWordsElided(const QString& text, const QFontMetrics& metrics, int budget) {
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        QStringList words = line.split(QLatin1Char(' '));
        for (QString& word : words)
            if (metrics.horizontalAdvance(word) > budget)
                word = metrics.elidedText(word, Qt::ElideMiddle, budget);
        line = words.join(QLatin1Char(' '));
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace

QRect AvailableArea(const QWidget* near) {
    const QScreen* screen = near != nullptr ? near->window()->screen() : nullptr;
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 800, 600);
}

void CentreOnScreen(QWidget* window, const QWidget* near) {
    const QRect area = AvailableArea(near != nullptr ? near : window);
    const QSize frameMargins = window->isVisible()
                                   ? window->frameGeometry().size() - window->size()
                                   : QSize(8, 32); // a title bar and thin borders
    QRect frame(QPoint(0, 0), window->size() + frameMargins);
    frame.moveCenter(near != nullptr ? near->window()->frameGeometry().center() : area.center());
    frame.moveLeft(qMax(area.left(), qMin(frame.left(), area.right() + 1 - frame.width())));
    frame.moveTop(qMax(area.top(), qMin(frame.top(), area.bottom() + 1 - frame.height())));
    window->move(frame.topLeft());
}

int WrappedLineCount(const QString& text, const QFont& font, int width) {
    return int(Lines(text, font, width).size());
}

QString ShortenedToFit(const QString& text, const QFont& font, int width, int maxLines) {
    maxLines = qMax(1, maxLines);
    if (WrappedLineCount(text, font, width) <= maxLines)
        return text;
    const QFontMetrics metrics(font);
    // Each long word keeps up to three lines, then less, down to half a line.
    QString shortened = text;
    for (int budget = 3 * width; budget >= width / 2; budget = budget * 2 / 3) {
        shortened = WithLongWordsElided(text, metrics, budget);
        if (WrappedLineCount(shortened, font, width) <= maxLines)
            return shortened;
    }
    const auto lines = Lines(shortened, font, width);
    const auto& last = lines[maxLines - 1];
    QString head = shortened.left(last.first + last.second);
    while (!head.isEmpty() && head.back().isSpace())
        head.chop(1);
    // The ellipsis must not push the last line over.
    while (WrappedLineCount(head + kEllipsis, font, width) > maxLines)
        head.chop(1);
    return head + kEllipsis;
}

QString WrappedToolTip(const QString& text) {
    QStringList out;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        QString rest = line;
        while (rest.size() > kToolTipLine) {
            qsizetype cut = rest.lastIndexOf(QLatin1Char('/'), kToolTipLine - 1) + 1;
            if (cut < kToolTipLine / 2)
                cut = kToolTipLine;
            out << rest.left(cut);
            rest.remove(0, cut);
        }
        out << rest;
    }
    return out.join(QLatin1Char('\n'));
}

} // namespace app
