#include "app/AboutDlg.h"

#include "app/DialogControls.h"
#include "app/Resources.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace app;

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Quillmere"));

    auto* picture = new QLabel(this);
    picture->setPixmap(Picture(IDI_ABOUT));
    picture->setAlignment(Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    texts->addWidget(new QLabel(QStringLiteral("Quillmere Version 1.0"), this));
    texts->addWidget(
        new QLabel(QStringLiteral("Turns Smart Messaging melodies and pictures into EMS."), this));
    auto* ok = Tag(new QPushButton(QStringLiteral("OK"), this), IDOK);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QGridLayout(this);
    layout->setHorizontalSpacing(16);
    layout->addWidget(picture, 0, 0);
    layout->addLayout(texts, 0, 1);
    layout->addWidget(ok, 0, 2, Qt::AlignTop);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
