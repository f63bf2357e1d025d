// The dialog tests run headless: Qt's offscreen platform unless the caller
// chose another, so that CTest's discovery run at build time needs no display.

#include "app/DesktopSeams.h"

#include <QApplication>
#include <gtest/gtest.h>

namespace {

QtMessageHandler g_standardHandler = nullptr;

// The offscreen platform notes what it cannot do; that is no news here.
void QuietOffscreenNotes(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (!text.contains(QLatin1String("does not support propagateSizeHints")) &&
        !text.contains(QLatin1String("does not support raise()")))
        g_standardHandler(type, context, text);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    g_standardHandler = qInstallMessageHandler(&QuietOffscreenNotes);
    QApplication application(argc, argv);
    const app::MessagePresenterScope presenter;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
