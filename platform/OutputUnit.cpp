#include "platform/OutputUnit.h"

#include "platform/FileOps.h"
#include "platform/Interruption.h"

#include <atomic>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

using namespace fileops;

// Whether the file systems written to so far promise a rename that never
// replaces (RENAME_NOREPLACE); one that does not turns it off for the process.
std::atomic<bool> g_noReplaceRenames{true};

// Something stands at path, and may be replaced if the caller agrees: no
// folder (nor a link to one) and no file marked read-only.
FileResult CheckReplaceable(const std::string& path) {
    struct stat target {};
    if (::stat(path.c_str(), &target) == 0 && S_ISDIR(target.st_mode))
        return FileResult::Failed(EISDIR, path);
    if (IsMarkedReadOnly(path))
        return FileResult::Failed(EACCES, path);
    return {};
}

} // namespace

OutputFolder::OutputFolder(std::string folder) : m_folder(std::move(folder)) {
    // A folder given as "" is the current one: its names are short already.
    if (m_folder.ends_with('/') && !HoldsZero(m_folder))
        m_fd = ::open(m_folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
}

OutputFolder::~OutputFolder() {
    if (m_fd >= 0)
        ::close(m_fd);
}

std::size_t OutputFolder::NameAt(const std::string& path) const {
    const std::size_t at = m_folder.size();
    if (m_fd < 0 || path.size() <= at || !path.starts_with(m_folder) ||
        path.find('/', at) != std::string::npos)
        return 0;
    return at;
}

OutputUnit::~OutputUnit() {
    Discard();
}

FileResult OutputUnit::Stage(const std::string& path, std::string_view data) {
    if (HoldsZero(path))
        return FileResult::Failed(errno, path);
    // Room first, so that a temporary file once made is always remembered.
    if (m_staged.size() == m_staged.capacity())
        m_staged.reserve(m_staged.empty() ? 4 : 2 * m_staged.size());
    Staged file{path, {}, -1};
    if (m_folder != nullptr && (file.nameAt = m_folder->NameAt(path)) > 0)
        file.dir = m_folder->Descriptor();
    const int fd = CreateTemporary(m_files, path, file.temp, file.token, file.dir, file.nameAt);
    if (fd < 0)
        return FileResult::Failed(errno, path);
    bool ok = WriteAll(m_files, fd, data);
    int saved = errno;
    if (!CloseFile(m_files, fd) && ok) {
        ok = false;
        saved = errno;
    }
    if (!ok) {
        ::unlink(file.temp.c_str());
        ForgetTemporary(file.token);
        return FileResult::Failed(saved, path);
    }
    m_staged.push_back(std::move(file));
    return {};
}

OutputUnit::Result
OutputUnit::Commit(const std::function<ReplaceVerdict(std::size_t, const FileIdentity&)>& decide,
                   const std::function<void()>& finish) {
    if (g_noReplaceRenames.load(std::memory_order_relaxed)) {
        bool collided = false;
        Result result = CommitIntoNewNames(finish, collided);
        if (!collided)
            return result;
    }
    return CommitCarefully(decide, finish);
}

// The usual case, a unit written into names that are free: each rename
// refuses to replace, so nothing needs looking at first. When a name is
// taken, the names this pass made are given back to their temporary files
// and the careful pass takes over.
OutputUnit::Result OutputUnit::CommitIntoNewNames(const std::function<void()>& finish,
                                                  bool& collided) {
    const HeldInterruptions held;
    for (Staged& file : m_staged) {
        if (m_files.Rename(file.dir, file.temp.c_str() + file.nameAt,
                           file.path.c_str() + file.nameAt, true) == 0) {
            file.renamed = true;
            continue;
        }
        const FileResult failure = FileResult::Failed(errno, file.path);
        UndoNewNames();
        if (failure.error == EEXIST || failure.error == EINVAL || failure.error == ENOSYS) {
            if (failure.error != EEXIST)
                g_noReplaceRenames = false;
            collided = true;
            return {};
        }
        Discard();
        return {Outcome::Failed, failure, 0};
    }
    finish();
    Forget();
    return {Outcome::Committed, {}, 0};
}

// Looks at every path first, asks about each one that is taken, then renames:
// the new names first, then the replacements, so that a failure leaves
// everything as it was unless a rename fails after another replaced a file
// (a file system failing between two renames in one folder).
OutputUnit::Result OutputUnit::CommitCarefully(
    const std::function<ReplaceVerdict(std::size_t, const FileIdentity&)>& decide,
    const std::function<void()>& finish) {
    for (std::size_t i = 0; i < m_staged.size(); ++i) {
        Staged& file = m_staged[i];
        struct stat existing {};
        file.exists = ::lstat(file.path.c_str(), &existing) == 0;
        FileResult problem;
        if (!file.exists && errno != ENOENT)
            problem = FileResult::Failed(errno, file.path);
        else if (file.exists)
            problem = CheckReplaceable(file.path);
        if (problem.ok() && file.exists) {
            const ReplaceVerdict verdict = decide(i, {existing.st_dev, existing.st_ino});
            if (verdict != ReplaceVerdict::Replace) {
                Discard();
                return {verdict == ReplaceVerdict::Keep ? Outcome::Kept : Outcome::Refused, {}, i};
            }
            if (S_ISREG(existing.st_mode) && !TakeOverOwnerAndMode(file.temp, existing) &&
                m_keepOwner)
                problem = FileResult::Failed(EPERM, file.path);
        }
        if (!problem.ok()) {
            Discard();
            return {Outcome::Failed, problem, i};
        }
    }

    const HeldInterruptions held;
    const bool noReplace = g_noReplaceRenames.load(std::memory_order_relaxed);
    for (const bool replacing : {false, true}) {
        for (Staged& file : m_staged) {
            if (file.exists != replacing)
                continue;
            if (!RenameFile(m_files, file.temp, file.path, noReplace && !replacing)) {
                const FileResult failure = FileResult::Failed(errno, file.path);
                UndoNewNames();
                Discard();
                return {Outcome::Failed, failure, 0};
            }
            file.renamed = true;
        }
    }
    finish();
    Forget();
    return {Outcome::Committed, {}, 0};
}

// Gives every name this unit made back to its temporary file (a file it
// replaced cannot be given back).
void OutputUnit::UndoNewNames() {
    for (Staged& file : m_staged) {
        if (!file.renamed || file.exists)
            continue;
        if (::rename(file.path.c_str(), file.temp.c_str()) != 0)
            ::unlink(file.path.c_str()); // it was new: without it, all is as it was
        file.renamed = false;
    }
}

void OutputUnit::Discard() {
    for (Staged& file : m_staged) {
        if (!file.renamed)
            ::unlink(file.temp.c_str());
        ForgetTemporary(file.token);
    }
    m_staged.clear();
}

void OutputUnit::Forget() {
    for (Staged& file : m_staged)
        ForgetTemporary(file.token);
    m_staged.clear();
}

FileResult ReplaceWhole(const std::string& path, std::string_view data, bool keepOwner,
                        FileSystem& files) {
    OutputUnit unit(files, keepOwner);
    if (FileResult staged = unit.Stage(path, data); !staged)
        return staged;
    const OutputUnit::Result result = unit.Commit(
        [](std::size_t, const FileIdentity&) { return ReplaceVerdict::Replace; }, [] {});
    return result.outcome == OutputUnit::Outcome::Committed ? FileResult() : result.failure;
}

} // namespace platform
