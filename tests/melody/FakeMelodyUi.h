#pragma once
// A user for the melody converter: records every message and question in
// order and answers the replace questions from a queue (Cancel when empty);
// it can stop a batch after a given number of files.

#include "melody/MelodyUi.h"

#include <deque>
#include <string>
#include <vector>

class FakeMelodyUi : public IMelodyUi {
public:
    void ShowMessage(const std::string& text, const std::string& caption) override {
        events.push_back(caption + ": " + text);
    }

    ReplaceAnswer AskReplace(const std::string& prompt) override {
        events.push_back("ASK " + prompt);
        if (answers.empty())
            return ReplaceAnswer::DoNotReplace;
        const ReplaceAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }

    // Stops the batch once this many files were started (0: never).
    bool StopRequested() override { return stopAfter != 0 && started.size() >= stopAfter; }
    void FileStarting(std::size_t number, std::size_t count, const std::string&) override {
        started.push_back(std::to_string(number) + "/" + std::to_string(count));
    }

    std::vector<std::string> events;
    std::deque<ReplaceAnswer> answers;
    std::size_t stopAfter = 0;
    std::vector<std::string> started; // "n/N" for each file begun
};
