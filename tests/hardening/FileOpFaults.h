#pragma once
// Every file operation of a run failing in turn: the operations a clean run
// makes are counted, then the run is repeated once for each of them with
// that one call failing, as a failing file system would make it fail.

#include "platform/FileFaults.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <utility>

namespace hardening {

using platform::faults::FileOp;

// The operations, each with the error it fails with.
inline constexpr std::pair<FileOp, int> kFileOpFailures[] = {
    {FileOp::Open, EMFILE}, {FileOp::Read, EIO},     {FileOp::Write, ENOSPC},
    {FileOp::Close, EIO},   {FileOp::Rename, EXDEV},
};

// How often each operation was attempted while run ran.
struct FileOpCounts {
    int of[std::size(kFileOpFailures)] = {};
};

template <typename Run> FileOpCounts CountFileOps(Run run) {
    platform::faults::ResetCounts();
    run();
    FileOpCounts counts;
    for (const auto& [op, errnum] : kFileOpFailures)
        counts.of[static_cast<int>(op)] = platform::faults::Count(op);
    return counts;
}

// Calls run once for every counted call of every operation, that call
// failing; returns how many runs there were.
template <typename Run> int FailEachFileOp(const FileOpCounts& counts, Run run) {
    int runs = 0;
    for (const auto& [op, errnum] : kFileOpFailures) {
        const int count = counts.of[static_cast<int>(op)];
        EXPECT_GT(count, 0);
        for (int nth = 1; nth <= count; ++nth) {
            SCOPED_TRACE("operation " + std::to_string(static_cast<int>(op)) + ", call " +
                         std::to_string(nth) + " of " + std::to_string(count));
            platform::faults::InjectFailure(op, nth, errnum);
            run();
            platform::faults::ClearFailures();
            ++runs;
        }
    }
    return runs;
}

} // namespace hardening
