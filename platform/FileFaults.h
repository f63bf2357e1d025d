#pragma once
// Test seam for the file operations of TextFile: a test arranges for one
// operation to fail with a chosen error number, and the code under test sees
// exactly what a failing file system would give it.

namespace platform::faults {

enum class FileOp { Open, Read, Write, Close, Rename };

// The nth call (1 = the next one) of op from now fails with errnum.
void InjectFailure(FileOp op, int nth, int errnum);

// Forget every arranged failure.
void ClearFailures();

// Used by TextFile: true, with errnum set, when this call of op must fail.
bool ShouldFail(FileOp op, int& errnum);

} // namespace platform::faults
