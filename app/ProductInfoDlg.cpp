#include "app/ProductInfoDlg.h"

#include "app/DialogControls.h"
#include "app/Resources.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace app;

CProductInfoDlg::CProductInfoDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Corvane EMS Converter"));
    setWindowIcon(Icon(IDI_APP));

    auto* picture = new QLabel(this);
    picture->setPixmap(Picture(IDI_APP));
    picture->setAlignment(Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    texts->addWidget(new QLabel(QStringLiteral("Corvane EMS Converter"), this));
    texts->addWidget(new QLabel(QStringLiteral("Version 1.0"), this));
    texts->addSpacing(8);
    texts->addWidget(
        new QLabel(QStringLiteral("Converts RTX ringtones into iMelody and EMS sounds,\n"
                                  "and Smart Messaging pictures into EMS pictures."),
                   this));
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
