#pragma once
// What the melody conversion needs from its user: the messages and the
// blocking replace question of platform::IReplaceUi, and, if the user
// interface wants them, progress notices and a way to stop a batch. The
// desktop program, the command-line tool and the tests each implement it.

#include "platform/MessageUi.h"

#include <cstddef>
#include <string>

using ReplaceAnswer = platform::ReplaceAnswer;

class IMelodyUi : public platform::IReplaceUi {
public:
    // Asked before each file of a batch: true ends the batch there, after the
    // file in hand (both its targets); the log is written and the batch ends
    // as usual.
    virtual bool StopRequested() { return false; }
    // Told before each file of a batch: its number (from 1) of count, and its path.
    virtual void FileStarting(std::size_t /*number*/, std::size_t /*count*/,
                              const std::string& /*path*/) {}
};
