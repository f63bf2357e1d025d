#include "app/ProductInfoDlg.h"

#include "app/DialogControls.h"
#include "app/Resources.h"

#include <QLabel>
#include <QVBoxLayout>

using namespace app;

CProductInfoDlg::CProductInfoDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Corvane EMS Converter"));
    setWindowIcon(Icon(IDI_APP));

    auto* texts = new QVBoxLayout;
    texts->addWidget(new QLabel(QStringLiteral("Corvane EMS Converter"), this));
    texts->addWidget(new QLabel(QStringLiteral("Version 1.0"), this));
    texts->addSpacing(8);
    texts->addWidget(
        new QLabel(QStringLiteral("Converts RTX ringtones into iMelody and EMS sounds,\n"
                                  "and Smart Messaging pictures into EMS pictures."),
                   this));
    LayOutInfoBox(this, IDI_APP, texts);
}
