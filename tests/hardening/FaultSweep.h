#pragma once
// A batch run again and again against a failing file system
// (testsupport::FaultyFiles): once with each call of a clean run failing in
// turn, and once for every amount of room the disk has left. Each batch
// (melody, picture) says what its scene is and how a run must look; one
// parameterised test sweeps them all (FaultSweepTest.cpp).

#include "support/FaultyFiles.h"

#include <cerrno>
#include <cstddef>
#include <memory>
#include <utility>

namespace hardening {

using testsupport::FileOp;

// The operations, each with the error it fails with.
inline constexpr std::pair<FileOp, int> kFileOpFailures[] = {
    {FileOp::Open, EMFILE}, {FileOp::Read, EIO},     {FileOp::Write, ENOSPC},
    {FileOp::Close, EIO},   {FileOp::Rename, EXDEV},
};

class FaultSweep {
public:
    virtual ~FaultSweep() = default;
    // Runs the batch once, on a fresh scene, through files.
    virtual void Run(testsupport::FaultyFiles& files) = 0;
    // Checks the run just made: without a fault, with one call failing,
    // with the disk filling up.
    virtual void CheckClean() = 0;
    virtual void CheckOneFailure() = 0;
    virtual void CheckDiskFull() = 0;
    // Checked once every call has failed in turn.
    virtual void CheckEveryOutcomeSeen() {}
    // The bytes a clean run writes, and the steps the disk's room grows by.
    virtual std::size_t BytesWritten() const = 0;
    virtual std::size_t RoomStep() const = 0;
};

std::unique_ptr<FaultSweep> MelodySweep();
std::unique_ptr<FaultSweep> PictureSweep();

} // namespace hardening
