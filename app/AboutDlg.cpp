#include "app/AboutDlg.h"

#include "app/DialogControls.h"
#include "app/Resources.h"

#include <QLabel>
#include <QVBoxLayout>

using namespace app;

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Quillmere"));

    auto* texts = new QVBoxLayout;
    texts->addWidget(new QLabel(QStringLiteral("Quillmere Version 1.0"), this));
    texts->addWidget(
        new QLabel(QStringLiteral("Turns Smart Messaging melodies and pictures into EMS."), this));
    LayOutInfoBox(this, IDI_ABOUT, texts);
}
