#include "app/MelodyBatchRun.h"

#include "app/DesktopMelodyUi.h"
#include "app/ProgressDlg.h"
#include "melody/MelodyConverter.h"

#include <QEventLoop>
#include <QTimer>
#include <atomic>
#include <cstddef>
#include <mutex>
#include <thread>

namespace {

constexpr int kProgressRefreshMs = 100;

} // namespace

// The batch's user as the worker sees it: every message and question is
// handed to the desktop's on the user interface thread, and the worker waits
// for the answer. Progress is kept for the user interface to fetch.
class CMelodyBatchRun::WorkerUi final : public IMelodyUi {
public:
    explicit WorkerUi(QObject* context) : m_context(context) {}

    void ShowMessage(const std::string& text, const std::string& caption) override {
        OnUiThread([&] { m_desktop.ShowMessage(text, caption); });
    }
    ReplaceAnswer AskReplace(const std::string& prompt) override {
        ReplaceAnswer answer = ReplaceAnswer::DoNotReplace;
        OnUiThread([&] { answer = m_desktop.AskReplace(prompt); });
        return answer;
    }
    bool StopRequested() override { return m_bStop.load(); }
    void FileStarting(std::size_t number, std::size_t count, const std::string& path) override {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_number = number;
        m_count = count;
        m_path = path;
    }

    void RequestStop() { m_bStop = true; }
    // The file in hand: false until the first one has started.
    bool Progress(std::size_t& number, std::size_t& count, std::string& path) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        number = m_number;
        count = m_count;
        path = m_path;
        return m_number != 0;
    }

private:
    template <typename Fn> void OnUiThread(Fn fn) {
        QMetaObject::invokeMethod(m_context, fn, Qt::BlockingQueuedConnection);
    }

    QObject* m_context;
    CDesktopMelodyUi m_desktop;
    std::atomic<bool> m_bStop{false};
    std::mutex m_mutex;
    std::size_t m_number = 0;
    std::size_t m_count = 0;
    std::string m_path;
};

CMelodyBatchRun::CMelodyBatchRun(QWidget* owner, int progressDelayMs)
    : m_owner(owner), m_progressDelayMs(progressDelayMs),
      m_ui(std::make_unique<WorkerUi>(&m_context)) {}

CMelodyBatchRun::~CMelodyBatchRun() {
    delete m_progress;
}

void CMelodyBatchRun::Run(const MelodyBatchRequest& request) {
    QEventLoop loop;
    QTimer showTimer;
    showTimer.setSingleShot(true);
    QObject::connect(&showTimer, &QTimer::timeout, &m_context, [this] { ShowProgress(); });
    QTimer refreshTimer;
    QObject::connect(&refreshTimer, &QTimer::timeout, &m_context, [this] { UpdateProgress(); });
    showTimer.start(m_progressDelayMs);
    refreshTimer.start(kProgressRefreshMs);

    std::thread worker([this, request, &loop] {
        try {
            CMelodyConverter converter(*m_ui, request.logFolder);
            converter.ConvertMelodies(request.rtxFiles, request.outputDir, request.includeHeader,
                                      request.target1, request.target2);
        } catch (...) {
            m_error = std::current_exception();
        }
        // The loop is still running: Run waits in it until this arrives.
        QMetaObject::invokeMethod(
            &m_context,
            [this, &loop] {
                Finished();
                loop.quit();
            },
            Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    showTimer.stop();
    refreshTimer.stop();
    if (m_error)
        std::rethrow_exception(m_error);
}

void CMelodyBatchRun::RequestStop() {
    m_ui->RequestStop();
    if (m_progress != nullptr && !m_progress->StopPressed())
        m_progress->reject(); // shows that the batch is stopping
}

void CMelodyBatchRun::ShowProgress() {
    if (m_bFinished)
        return;
    if (m_progress == nullptr)
        m_progress = new CProgressDlg(m_owner, [this] { m_ui->RequestStop(); });
    UpdateProgress();
    m_progress->show();
}

void CMelodyBatchRun::UpdateProgress() {
    std::size_t number = 0;
    std::size_t count = 0;
    std::string path;
    if (m_progress != nullptr && m_ui->Progress(number, count, path))
        m_progress->SetProgress(number, count, path);
}

void CMelodyBatchRun::Finished() {
    m_bFinished = true;
    if (m_progress != nullptr)
        m_progress->hide();
}
