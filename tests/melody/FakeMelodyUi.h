#pragma once
// A user for the melody converter: records every message and question in
// order and answers the replace questions from a queue (Cancel when empty).

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

    std::vector<std::string> events;
    std::deque<ReplaceAnswer> answers;
};
