// Both batches against a failing file system: every call of a clean run
// failing in turn, and the disk filling up at every point.

#include "FaultSweep.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using hardening::FaultSweep;

struct Batch {
    const char* name;
    std::unique_ptr<FaultSweep> (*make)();
};

class FaultSweeps : public ::testing::TestWithParam<Batch> {};

TEST_P(FaultSweeps, EveryFileOperationFailingInTurnFailsOnlyItsOwnStep) {
    const std::unique_ptr<FaultSweep> sweep = GetParam().make();
    testsupport::FaultyFiles files;
    sweep->Run(files);
    sweep->CheckClean();
    int counts[testsupport::kFileOps] = {};
    for (const auto& [op, errnum] : hardening::kFileOpFailures)
        counts[static_cast<int>(op)] = files.Count(op);
    int runs = 0;
    for (const auto& [op, errnum] : hardening::kFileOpFailures) {
        const int count = counts[static_cast<int>(op)];
        EXPECT_GT(count, 0);
        for (int nth = 1; nth <= count; ++nth) {
            SCOPED_TRACE("operation " + std::to_string(static_cast<int>(op)) + ", call " +
                         std::to_string(nth) + " of " + std::to_string(count));
            files.InjectFailure(op, nth, errnum);
            sweep->Run(files);
            files.ClearFailures();
            sweep->CheckOneFailure();
            ++runs;
        }
    }
    EXPECT_GE(runs, 20);
    sweep->CheckEveryOutcomeSeen();
}

TEST_P(FaultSweeps, TheDiskFillingUpAtAnyByteLeavesNoPartOfAFile) {
    // Stepping through the byte counts covers a failure inside every file
    // and inside the log.
    const std::unique_ptr<FaultSweep> sweep = GetParam().make();
    testsupport::FaultyFiles files;
    for (std::size_t room = 0; room < sweep->BytesWritten(); room += sweep->RoomStep()) {
        SCOPED_TRACE("room for " + std::to_string(room) + " bytes");
        files.LimitDiskSpace(room);
        sweep->Run(files);
        files.ClearFailures();
        sweep->CheckDiskFull();
    }
}

INSTANTIATE_TEST_SUITE_P(Batches, FaultSweeps,
                         ::testing::Values(Batch{"Melody", &hardening::MelodySweep},
                                           Batch{"Picture", &hardening::PictureSweep}),
                         [](const ::testing::TestParamInfo<Batch>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
