#pragma once
// Test seam for the file operations of TextFile: a test arranges for one
// operation to fail with a chosen error number, or for the disk to fill up
// after a number of bytes, and the code under test sees exactly what a
// failing file system would give it. Every attempt of an operation is
// counted, so a test can make each operation of a run fail in turn.

#include <cstddef>

namespace platform::faults {

enum class FileOp { Open, Read, Write, Close, Rename };

// The nth call (1 = the next one) of op from now fails with errnum.
void InjectFailure(FileOp op, int nth, int errnum);

// From now on the disk takes only bytes more bytes: the write that reaches
// the limit is cut short and every later one fails with ENOSPC.
void LimitDiskSpace(std::size_t bytes);

// Forget every arranged failure and any disk limit.
void ClearFailures();

// How many times op was attempted since the last ResetCounts (or the start).
int Count(FileOp op);
void ResetCounts();

// Used by TextFile: true, with errnum set, when this call of op must fail.
bool ShouldFail(FileOp op, int& errnum);

// Used by TextFile: how many of the wanted bytes the disk takes now (0: it
// is full); those bytes count as written.
std::size_t WritableBytes(std::size_t wanted);

} // namespace platform::faults
