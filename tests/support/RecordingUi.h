#pragma once
// The one user the tests hand the conversions (melody and picture alike):
// it records every message as "CAPTION: TEXT" and every replace question as
// "ASK PROMPT", in order and from any thread, answers the questions from a
// queue (then with whenNoAnswer), and can stop a melody batch after a number
// of files. RecordingPresenter is one that the process's message presenter
// shows its messages to, for what shows them through it (the component).

#include "melody/MelodyUi.h"
#include "platform/MessagePresenter.h"

#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace testsupport {

class RecordingUi : public IMelodyUi {
public:
    void ShowMessage(const std::string& text, const std::string& caption) override {
        Record(caption + ": " + text, &text);
    }

    ReplaceAnswer AskReplace(const std::string& prompt) override {
        Record("ASK " + prompt, nullptr);
        const std::lock_guard lock(m_mutex);
        if (answers.empty())
            return whenNoAnswer;
        const ReplaceAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }

    // Stops the batch once stopAfter files were started (0: never).
    bool StopRequested() override {
        const std::lock_guard lock(m_mutex);
        return stopAfter != 0 && started.size() >= stopAfter;
    }
    void FileStarting(std::size_t number, std::size_t count, const std::string&) override {
        const std::lock_guard lock(m_mutex);
        started.push_back(std::to_string(number) + "/" + std::to_string(count));
    }

    // The message texts so far, taken safely while other threads still record.
    std::vector<std::string> Texts() const {
        const std::lock_guard lock(m_mutex);
        return texts;
    }
    void Clear() {
        const std::lock_guard lock(m_mutex);
        events.clear();
        texts.clear();
    }

    std::vector<std::string> events; // "CAPTION: TEXT" and "ASK PROMPT", in order
    std::vector<std::string> texts;  // the messages' texts alone
    std::deque<ReplaceAnswer> answers;
    ReplaceAnswer whenNoAnswer = ReplaceAnswer::DoNotReplace;
    std::size_t stopAfter = 0;
    std::vector<std::string> started; // "n/N" for each file begun
    // Runs after each event is recorded, on the thread that caused it.
    std::function<void(const std::string& event)> onEvent;

private:
    void Record(std::string event, const std::string* text) {
        std::function<void(const std::string&)> hook;
        {
            const std::lock_guard lock(m_mutex);
            events.push_back(event);
            if (text != nullptr)
                texts.push_back(*text);
            hook = onEvent;
        }
        if (hook)
            hook(event);
    }

    mutable std::mutex m_mutex;
};

class RecordingPresenter : public RecordingUi {
public:
    RecordingPresenter() { m_previous = platform::SetMessagePresenter(&Present, this); }
    ~RecordingPresenter() override {
        platform::SetMessagePresenter(m_previous.show, m_previous.context);
    }
    RecordingPresenter(const RecordingPresenter&) = delete;
    RecordingPresenter& operator=(const RecordingPresenter&) = delete;

private:
    static void Present(void* context, const char* caption, const char* text) {
        static_cast<RecordingPresenter*>(context)->ShowMessage(text, caption);
    }

    QuillmereMessagePresenter m_previous{};
};

} // namespace testsupport
