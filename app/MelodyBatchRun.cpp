#include "app/MelodyBatchRun.h"

#include "app/ConversionEnd.h"
#include "app/DesktopMelodyUi.h"
#include "app/ProgressDlg.h"
#include "melody/MelodyConverter.h"
#include "melody/MelodyLog.h"
#include "platform/InputList.h"

#include <QEventLoop>
#include <QTimer>
#include <atomic>
#include <mutex>
#include <thread>

namespace {

constexpr int kProgressRefreshMs = 100;

std::string Files(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " file" : " files");
}

} // namespace

std::string StoppedMessage(std::size_t handled, std::size_t count) {
    return "Stopped: " + std::to_string(handled) + " of " + Files(count) + " converted; " +
           std::to_string(count - handled) + " not converted.";
}

std::string StoppedLogLine(std::size_t handled, std::size_t count) {
    // An entry of its own, ended as the batch ends its entries.
    return "Stopped by the user: " + Files(count - handled) + " not converted.\r\n\r\n";
}

// The batch's user as the worker sees it: every message and question is
// handed to the desktop's on the user interface thread, and the worker waits
// for the answer; the batch's last message is kept for the box that follows
// the progress window. Progress is kept for the user interface to fetch.
class CMelodyBatchRun::WorkerUi final : public IMelodyUi {
public:
    WorkerUi(QObject* context, QWidget* owner) : m_context(context), m_desktop(owner) {}

    void ShowMessage(const std::string& text, const std::string& caption) override {
        if (text == melody::kBatchCompleteMessage) {
            m_caption = caption;
            m_bCompleted = true;
            return;
        }
        m_bShownAfterStop = m_bStopped;
        OnUiThread([&] { m_desktop.ShowMessage(text, caption); });
    }
    ReplaceAnswer AskReplace(const std::string& prompt) override {
        ReplaceAnswer answer = ReplaceAnswer::DoNotReplace;
        OnUiThread([&] { answer = m_desktop.AskReplace(prompt); });
        return answer;
    }
    // Asked before each file: true ends the batch there.
    bool StopRequested() override {
        m_bStopped = m_bStop.load();
        return m_bStopped;
    }
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

    // After the batch: whether it ended early at the user's request, whether
    // it said so (its complete message), with what caption, and whether a
    // message (the log's failure) came after the stop.
    bool Stopped() const { return m_bStopped; }
    bool Completed() const { return m_bCompleted; }
    const std::string& Caption() const { return m_caption; }
    bool ShownAfterStop() const { return m_bShownAfterStop; }
    std::size_t Handled() {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_number;
    }

private:
    template <typename Fn> void OnUiThread(Fn fn) {
        QMetaObject::invokeMethod(m_context, fn, Qt::BlockingQueuedConnection);
    }

    QObject* m_context;
    CDesktopMelodyUi m_desktop;
    std::atomic<bool> m_bStop{false};
    // Written by the worker, read once it has ended.
    bool m_bStopped = false;
    bool m_bCompleted = false;
    bool m_bShownAfterStop = false;
    std::string m_caption;
    std::mutex m_mutex;
    std::size_t m_number = 0;
    std::size_t m_count = 0;
    std::string m_path;
};

CMelodyBatchRun::CMelodyBatchRun(QWidget* owner, int progressDelayMs)
    : m_owner(owner), m_progressDelayMs(progressDelayMs),
      m_ui(std::make_unique<WorkerUi>(&m_context, owner)) {}

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

    const std::size_t count = platform::SplitInputList(request.rtxFiles).size();
    bool logLineFailed = false;
    std::thread worker([this, request, count, &loop, &logLineFailed] {
        try {
            CMelodyConverter converter(*m_ui, request.logFolder);
            converter.ConvertMelodies(request.rtxFiles, request.outputDir, request.includeHeader,
                                      request.target1, request.target2);
            if (Stopped(count))
                logLineFailed = !melody::AppendToMelodyLog(
                    request.logFolder, StoppedLogLine(m_ui->Handled(), count));
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

    // The progress window has gone; now the last box.
    CDesktopMelodyUi desktop(m_owner);
    if (logLineFailed && !m_ui->ShownAfterStop())
        desktop.ShowMessage(melody::kLogNotWrittenMessage, m_ui->Caption());
    const bool stopped = Stopped(count);
    const std::string text = stopped ? StoppedMessage(m_ui->Handled(), count)
                                     : std::string(melody::kBatchCompleteMessage);
    if (stopped || m_ui->Completed())
        app::ShowConversionEnd(m_owner, text, m_ui->Caption(), request.outputDir,
                               melody::MelodyLogPath(request.logFolder));
}

bool CMelodyBatchRun::Stopped(std::size_t count) const {
    return m_ui->Stopped() && m_ui->Handled() < count;
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
    delete m_progress; // closed before the last box
}
