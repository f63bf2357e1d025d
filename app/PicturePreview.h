#pragma once
// The picture dialog's preview of the first listed file, read by the same
// reader as the conversion: the reader's report line above the picture
// scaled up four times, each pixel a crisp square; or the reader's error
// text when the file is not found or is no picture; or nothing for an empty
// list. The space for a 72x28 picture is kept, so the dialog keeps its size.

#include <QWidget>
#include <string>

class QLabel;

class CPicturePreview : public QWidget {
public:
    static constexpr int kScale = 4;

    explicit CPicturePreview(QWidget* parent);

    // Shows the file named first in the input list (cut at the first ",").
    void ShowFirstOf(const std::string& inputList);

    QLabel* Picture() const { return m_picture; }
    QLabel* Text() const { return m_text; }

protected:
    bool event(QEvent* event) override;

private:
    std::string m_inputList; // shown last
    QLabel* m_picture;
    QLabel* m_text;
};
