// Drives an installed Quillmere through one picture conversion, headless:
// loaded with LD_PRELOAD into the program started on Qt's offscreen
// platform, it presses Pictures, fills the picture dialog with the file in
// QUILLMERE_DRIVE_INPUT and the folder in QUILLMERE_DRIVE_OUTPUT, presses
// Convert, prints every message box as "CAPTION: TEXT" and accepts it, and
// closes the program after "Conversion completed!". The program thus runs
// from its own folder with its own registration. Gives up after 30 seconds.

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace {

enum class Step { OpenPictures, Convert, AnswerMessages, Done };
Step g_step = Step::OpenPictures;
int g_ticks = 0;

// A visible button by its text as shown, its mnemonic's "&" aside.
QPushButton* ButtonIn(QWidget* window, const QString& text) {
    for (QPushButton* button : window->findChildren<QPushButton*>())
        if (QString(button->text()).remove(QLatin1Char('&')) == text && button->isVisible())
            return button;
    return nullptr;
}

// Clicks once control is back in an event loop, so that the dialogs the
// click opens run their own loops while this timer keeps firing.
void ClickLater(QPushButton* button) {
    QMetaObject::invokeMethod(button, &QPushButton::click, Qt::QueuedConnection);
}

void Tick() {
    if (++g_ticks > 600) {
        std::fprintf(stderr, "driver: gave up at step %d\n", static_cast<int>(g_step));
        std::_Exit(3);
    }
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible())
            continue;
        if (auto* box = qobject_cast<QMessageBox*>(window)) {
            std::printf("%s: %s\n", qPrintable(box->windowTitle()), qPrintable(box->text()));
            std::fflush(stdout);
            if (box->text() == QStringLiteral("Conversion completed!"))
                g_step = Step::Done;
            box->accept();
            return;
        }
        QPushButton* pictures = ButtonIn(window, QStringLiteral("Pictures"));
        if (g_step == Step::OpenPictures && pictures != nullptr) {
            ClickLater(pictures);
            g_step = Step::Convert;
            return;
        }
        if (g_step == Step::Done && pictures != nullptr) {
            QMetaObject::invokeMethod(qobject_cast<QDialog*>(window), &QDialog::reject,
                                      Qt::QueuedConnection);
            return;
        }
        QPushButton* convert = ButtonIn(window, QStringLiteral("Convert"));
        const QList<QLineEdit*> fields = window->findChildren<QLineEdit*>();
        if (g_step == Step::Convert && convert != nullptr && fields.size() == 2) {
            fields[0]->setText(QString::fromLocal8Bit(std::getenv("QUILLMERE_DRIVE_INPUT")));
            fields[1]->setText(QString::fromLocal8Bit(std::getenv("QUILLMERE_DRIVE_OUTPUT")));
            ClickLater(convert);
            g_step = Step::AnswerMessages;
            return;
        }
    }
}

void StartDriving() {
    auto* timer = new QTimer(QCoreApplication::instance());
    QObject::connect(timer, &QTimer::timeout, &Tick);
    timer->start(50);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(StartDriving)
