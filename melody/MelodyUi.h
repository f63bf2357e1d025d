#pragma once
// What the melody conversion needs from its user: the messages of
// platform::IMessageUi and the blocking replace question, and, if the user
// interface wants them, progress notices and a way to stop a batch. The
// desktop program, the command-line tool and the tests each implement it.

#include "platform/MessageUi.h"

#include <cstddef>
#include <string>

enum class ReplaceAnswer {
    Replace,      // replace this file
    ReplaceAll,   // replace this one and every later one of the batch
    DoNotReplace, // cancel: keep the existing file
};

class IMelodyUi : public platform::IMessageUi {
public:
    // Asks the replace question with the given prompt text.
    virtual ReplaceAnswer AskReplace(const std::string& prompt) = 0;

    // Asked before each file of a batch: true ends the batch there, after the
    // file in hand (both its targets); the log is written and the batch ends
    // as usual.
    virtual bool StopRequested() { return false; }
    // Told before each file of a batch: its number (from 1) of count, and its path.
    virtual void FileStarting(std::size_t /*number*/, std::size_t /*count*/,
                              const std::string& /*path*/) {}
};
