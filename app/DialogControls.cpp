#include "app/DialogControls.h"

#include "app/Resources.h"

#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
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

QPixmap Picture(int id) {
    return QPixmap(QStringLiteral(":/artwork/%1.png").arg(id));
}

QIcon Icon(int id) {
    return QIcon(Picture(id));
}

QLabel* WrappedText(const char* text, QWidget* parent) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
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

void GrowOnlyInWidth(QDialog* dialog) {
    QLayout* layout = dialog->layout();
    layout->activate();
    const int width = qMax(dialog->sizeHint().width(), layout->minimumSize().width());
    // Wrapped texts need the most height at the narrowest width.
    const int height = layout->hasHeightForWidth() ? layout->totalHeightForWidth(width)
                                                   : dialog->sizeHint().height();
    dialog->setMinimumSize(width, height);
    dialog->setMaximumHeight(height);
    dialog->resize(width, height);
}

bool CreateModelessDialog(QDialog* dialog, QWidget* owner, int templateId, int ownTemplate) {
    if (templateId != ownTemplate)
        return false;
    dialog->setParent(owner, dialog->windowFlags() | Qt::Dialog);
    return true;
}

void LayOutInfoBox(QDialog* dialog, int pictureId, QVBoxLayout* texts) {
    auto* picture = new QLabel(dialog);
    picture->setPixmap(Picture(pictureId));
    picture->setAlignment(Qt::AlignTop);
    QPushButton* ok = DialogButton(
        "OK", IDOK, dialog, [dialog] { dialog->accept(); }, EnterKey::Default);

    auto* layout = new QGridLayout(dialog);
    layout->setHorizontalSpacing(16);
    layout->addWidget(picture, 0, 0);
    layout->addLayout(texts, 0, 1);
    layout->addWidget(ok, 0, 2, Qt::AlignTop);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace app
