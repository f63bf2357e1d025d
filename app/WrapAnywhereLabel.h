#pragma once
// A plain-text label that wraps at word boundaries and, where a word (a long
// path) is wider than a line, anywhere inside it: nothing is cut off.

#include <QLabel>

class CWrapAnywhereLabel : public QLabel {
public:
    // preferredWidth: the width it asks for when its text is wider.
    CWrapAnywhereLabel(const QString& text, int preferredWidth, QWidget* parent);

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_preferredWidth;
};
