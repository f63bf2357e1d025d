#include "DesktopFakes.h"

#include <QApplication>
#include <QCursor>
#include <QDropEvent>
#include <QMimeData>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <utility>

namespace apptest {

DesktopFakes::DesktopFakes()
    : m_previousBoxes(app::SetMessageBoxes(this)), m_previousChooser(app::SetFileChooser(this)),
      m_previousOpener(app::SetUrlOpener(this)), m_previousOutput(app::SetAudioOutput(this)) {}

DesktopFakes::~DesktopFakes() {
    app::SetMessageBoxes(m_previousBoxes);
    app::SetFileChooser(m_previousChooser);
    app::SetUrlOpener(m_previousOpener);
    app::SetAudioOutput(m_previousOutput);
}

std::vector<std::string> DesktopFakes::MessageTexts() const {
    std::vector<std::string> texts;
    for (const ShownMessage& message : messages)
        texts.push_back(message.text);
    return texts;
}

void DesktopFakes::Show(QWidget* owner, const std::string& text, const std::string& caption) {
    const QCursor* cursor = QGuiApplication::overrideCursor();
    QStringList windows;
    for (const QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible())
            windows << window->windowTitle();
    messages.push_back(
        {owner, text, caption, cursor && cursor->shape() == Qt::WaitCursor, false, windows});
}

app::FinalChoice DesktopFakes::ShowFinal(QWidget* owner, const std::string& text,
                                         const std::string& caption) {
    Show(owner, text, caption);
    messages.back().final = true;
    if (finalAnswers.empty())
        return app::FinalChoice::Ok;
    const app::FinalChoice answer = finalAnswers.front();
    finalAnswers.pop_front();
    return answer;
}

std::optional<std::vector<std::string>>
DesktopFakes::ChooseFilesToOpen(QWidget*, const std::vector<std::string>& filters) {
    openFilters.push_back(filters);
    if (openAnswers.empty())
        return std::nullopt;
    auto answer = openAnswers.front();
    openAnswers.pop_front();
    return answer;
}

std::optional<std::string> DesktopFakes::ChooseFileToSave(QWidget*, const std::string& proposedName,
                                                          const std::string& filterName,
                                                          const std::string& pattern) {
    saveRequests.push_back({proposedName, filterName, pattern});
    if (saveAnswers.empty())
        return std::nullopt;
    auto answer = saveAnswers.front();
    saveAnswers.pop_front();
    return answer;
}

bool DesktopFakes::Open(const QUrl& url) {
    openedUrls.push_back(url);
    return urlOpenerSucceeds;
}

bool DesktopFakes::Play(std::vector<std::int16_t> samples, int sampleRate,
                        std::function<void()> onEnded) {
    if (!soundOutput)
        return false;
    Stop();
    played.push_back({samples.size(), sampleRate});
    m_onEnded = std::move(onEnded);
    return true;
}

void DesktopFakes::Stop() {
    if (auto onEnded = std::exchange(m_onEnded, {}))
        onEnded();
}

// Every modal window that is shown gets its answer once its own event loop
// runs.
struct ModalAnswerer::Poller : QObject {
    std::function<void(QWidget*)> answer;
    int* answered;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Show || !watched->isWidgetType())
            return false;
        auto* widget = static_cast<QWidget*>(watched);
        if (!widget->isWindow() || !widget->isModal())
            return false;
        QTimer::singleShot(0, this, [this, target = QPointer<QWidget>(widget)] {
            if (target && target->isVisible()) {
                ++*answered;
                answer(target);
            }
        });
        return false;
    }
};

ModalAnswerer::ModalAnswerer(std::function<void(QWidget*)> answer) : m_poller(new Poller) {
    m_poller->answer = std::move(answer);
    m_poller->answered = &m_answered;
    qApp->installEventFilter(m_poller);
}

ModalAnswerer::~ModalAnswerer() {
    qApp->removeEventFilter(m_poller);
    delete m_poller;
}

std::vector<int> TabOrder(QWidget* window, QWidget* first, int count) {
    window->show();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window))
        return {};
    first->setFocus(Qt::TabFocusReason);
    std::vector<int> ids;
    for (int i = 0; i <= count; ++i) {
        QWidget* focused = QApplication::focusWidget();
        ids.push_back(focused ? focused->property("controlId").toInt() : -1);
        if (i < count && focused != nullptr)
            QTest::keyClick(focused, Qt::Key_Tab);
    }
    return ids;
}

Qt::DropAction DropUrls(QWidget* target, const QList<QUrl>& urls, Qt::KeyboardModifiers modifiers) {
    QMimeData data;
    data.setUrls(urls);
    const QPointF where(target->width() / 2.0, target->height() / 2.0);
    const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(where.toPoint(), offered, &data, Qt::LeftButton, modifiers);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return Qt::IgnoreAction;
    QDropEvent drop(where, offered, &data, Qt::LeftButton, modifiers);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
}

void FlushDeferredDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

} // namespace apptest
