#pragma once
// One melody batch run on a worker thread, so that the dialogs stay live
// while it works. Its messages and replace questions are shown on the user
// interface thread, centred on the owner, and the worker waits for each to
// be answered, so they come in the same order and with the same texts as
// ever. A batch that runs longer than a moment shows a progress window whose
// Stop button ends it after the file in hand.
//
// The last box comes after the progress window has closed, with "Open
// Folder" and "Show Log" beside OK (app/ConversionEnd.h): "Conversion
// complete." or, when the user stopped the batch before its last file,
// "Stopped: N of M files converted; K not converted.", the log then ending
// with "Stopped by the user: K files not converted.".

#include <QObject>
#include <QPointer>
#include <cstddef>
#include <exception>
#include <memory>
#include <string>

class CProgressDlg;
class QWidget;

struct MelodyBatchRequest {
    std::string rtxFiles;  // paths joined by ","
    std::string outputDir; // ends in "/"
    std::string logFolder; // folder of MelodyConverter.log
    int includeHeader = 1;
    int target1 = 1;
    int target2 = 0;
};

// The last box's text and the log's line for a batch stopped after
// `handled` of `count` files.
std::string StoppedMessage(std::size_t handled, std::size_t count);
std::string StoppedLogLine(std::size_t handled, std::size_t count);

class CMelodyBatchRun {
public:
    // owner: the window the progress window and the boxes belong to.
    // progressDelayMs: how long the batch runs before the progress window shows.
    CMelodyBatchRun(QWidget* owner, int progressDelayMs);
    ~CMelodyBatchRun();
    CMelodyBatchRun(const CMelodyBatchRun&) = delete;
    CMelodyBatchRun& operator=(const CMelodyBatchRun&) = delete;

    // Runs the batch and returns when it has ended and its last box was
    // answered; events are handled meanwhile. An exception of the batch is
    // rethrown here.
    void Run(const MelodyBatchRequest& request);

    // Ends the batch after the file in hand.
    void RequestStop();

private:
    class WorkerUi;

    void ShowProgress();
    void UpdateProgress();
    void Finished();
    // Whether the user's Stop left some of the count files unconverted.
    bool Stopped(std::size_t count) const;

    QWidget* m_owner;
    int m_progressDelayMs;
    QObject m_context; // lives on the user interface thread; the worker posts to it
    std::unique_ptr<WorkerUi> m_ui;
    QPointer<CProgressDlg> m_progress;
    bool m_bFinished = false;
    std::exception_ptr m_error;
};
