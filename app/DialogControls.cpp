#include "app/DialogControls.h"

#include <QLabel>
#include <QVariant>

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

} // namespace app
