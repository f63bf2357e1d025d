// Measures the start of the program up to its shown main dialog: it goes
// through the same steps as Quillmere (Qt application, icon, message
// presenter, main dialog) and prints how many milliseconds passed between
// the moment given on the command line (nanoseconds since the epoch, taken
// by the caller just before starting it) and the main dialog's first paint.

#include "app/DesktopSeams.h"
#include "app/DialogControls.h"
#include "app/MainDlg.h"
#include "app/Resources.h"

#include <QApplication>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

class FirstPaint : public QObject {
public:
    explicit FirstPaint(long long launchedNs) : m_launchedNs(launchedNs) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            const auto now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                 std::chrono::system_clock::now().time_since_epoch())
                                 .count();
            std::printf("%.1f\n", static_cast<double>(now - m_launchedNs) / 1e6);
            auto* dlg = static_cast<QDialog*>(watched);
            QTimer::singleShot(0, dlg, &QDialog::reject);
        }
        return false;
    }

private:
    long long m_launchedNs;
    bool m_seen = false;
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s LAUNCH-TIME-NS\n", argv[0]);
        return 2;
    }
    const long long launched = std::atoll(argv[1]);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmere"));
    QApplication::setWindowIcon(app::Icon(app::IDI_APP));
    const app::MessagePresenterScope presenter;
    CMainDlg dlg;
    FirstPaint probe(launched);
    dlg.installEventFilter(&probe);
    dlg.exec();
    return 0;
}
