#include "app/DialogControls.h"

#include "app/Resources.h"
#include "app/ScreenFit.h"

#include <QDialog>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QVariant>
#include <limits>

namespace app {

QWidget* FindControl(const QWidget* dialog, int id) {
    for (QWidget* child : dialog->findChildren<QWidget*>()) {
        const QVariant tag = child->property("controlId");
        if (tag.isValid() && tag.toInt() == id)
            return child;
    }
    return nullptr;
}

QPixmap Picture(int id, qreal devicePixelRatio) {
    if (devicePixelRatio < 1.5)
        return QPixmap(QStringLiteral(":/artwork/%1.png").arg(id));
    QPixmap large(QStringLiteral(":/artwork/%1@2x.png").arg(id));
    large.setDevicePixelRatio(2.0);
    return large;
}

QIcon Icon(int id) {
    QIcon icon(Picture(id));
    icon.addPixmap(Picture(id, 2.0));
    return icon;
}

namespace {

// Sets its picture again whenever it moves to a screen of another ratio.
class PictureLabelImpl final : public QLabel {
public:
    PictureLabelImpl(int id, QWidget* parent) : QLabel(parent), m_id(id) { Draw(); }

protected:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::ScreenChangeInternal || event->type() == QEvent::Show)
            Draw();
        return QLabel::event(event);
    }

private:
    void Draw() {
        const qreal ratio = devicePixelRatioF();
        if (ratio != m_ratio) {
            m_ratio = ratio;
            setPixmap(Picture(m_id, ratio));
        }
    }

    int m_id;
    qreal m_ratio = 0;
};

} // namespace

QLabel* PictureLabel(int id, const char* name, QWidget* parent) {
    QLabel* label = new PictureLabelImpl(id, parent);
    label->setAccessibleName(QString::fromUtf8(name));
    return label;
}

QLabel* WrappedText(const char* text, QWidget* parent) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QLabel* FieldLabel(const char* text, QWidget* field, QWidget* parent) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setBuddy(field);
    return label;
}

QLineEdit* PathField(int id, QWidget* parent) {
    auto* field = Tag(new QLineEdit(parent), id);
    field->setMaxLength(std::numeric_limits<int>::max());
    return field;
}

QPushButton* DialogButton(const char* text, int id, QWidget* parent, std::function<void()> onClick,
                          EnterKey enter) {
    auto* button = Tag(new QPushButton(QString::fromUtf8(text), parent), id);
    button->setAutoDefault(enter != EnterKey::Never);
    button->setDefault(enter == EnterKey::Default);
    if (onClick)
        QObject::connect(button, &QPushButton::clicked, parent,
                         [onClick = std::move(onClick)] { onClick(); });
    return button;
}

void ChainTabOrder(std::initializer_list<QWidget*> widgets) {
    QWidget* previous = nullptr;
    for (QWidget* widget : widgets) {
        if (previous != nullptr)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

QHBoxLayout* ButtonRow(std::initializer_list<QWidget*> buttons) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (QWidget* button : buttons)
        row->addWidget(button);
    return row;
}

namespace {

// Asks for its body's natural size: its width, and the height its wrapped
// texts need at that width.
class ScrollingBodyArea final : public QScrollArea {
public:
    explicit ScrollingBodyArea(QWidget* parent) : QScrollArea(parent) {}

    QSize sizeHint() const override {
        const QWidget* body = widget();
        const int width = body->sizeHint().width();
        const int height =
            body->hasHeightForWidth() ? body->heightForWidth(width) : body->sizeHint().height();
        return QSize(width, height) + QSize(2 * frameWidth(), 2 * frameWidth());
    }
};

// Room the window manager's frame takes around a dialog, at most.
constexpr QSize kFrameAllowance(16, 48);

} // namespace

QScrollArea* ScrollingBody(QWidget* body, QWidget* parent) {
    auto* area = new ScrollingBodyArea(parent);
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    area->setFocusPolicy(Qt::NoFocus);
    area->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    area->setWidget(body);
    body->setAutoFillBackground(false);
    area->viewport()->setAutoFillBackground(false);
    return area;
}

void GrowOnlyInWidth(QDialog* dialog) {
    QLayout* layout = dialog->layout();
    layout->activate();
    const int width = qMax(dialog->sizeHint().width(), layout->minimumSize().width());
    // Wrapped texts need the most height at the narrowest width.
    const int height = layout->hasHeightForWidth() ? layout->totalHeightForWidth(width)
                                                   : dialog->sizeHint().height();
    const QSize screen = AvailableArea(dialog->parentWidget()).size() - kFrameAllowance;
    const QSize shown = QSize(width, height).boundedTo(screen);
    dialog->setMinimumSize(shown);
    dialog->setMaximumHeight(height);
    dialog->resize(shown);
}

bool CreateModelessDialog(QDialog* dialog, QWidget* owner, int templateId, int ownTemplate) {
    if (templateId != ownTemplate)
        return false;
    dialog->setParent(owner, dialog->windowFlags() | Qt::Dialog);
    return true;
}

void LayOutInfoBox(QDialog* dialog, int pictureId, QVBoxLayout* texts) {
    QLabel* picture = PictureLabel(pictureId, "Quillmere", dialog);
    picture->setAlignment(Qt::AlignTop);
    QPushButton* ok = DialogButton(
        "&OK", IDOK, dialog, [dialog] { dialog->accept(); }, EnterKey::Default);

    auto* layout = new QGridLayout(dialog);
    layout->setHorizontalSpacing(16);
    layout->addWidget(picture, 0, 0);
    layout->addLayout(texts, 0, 1);
    layout->addWidget(ok, 0, 2, Qt::AlignTop);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace app
