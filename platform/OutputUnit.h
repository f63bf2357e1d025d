#pragma once
// The output files of one unit of work (a converted file, or one of its
// targets), written all or nothing. Each is first written whole to a hidden
// temporary file in its own folder (Stage); Commit then asks the caller
// about every one that would replace an existing file, before anything is
// renamed, and renames them all into place with the interruption signals
// held (Interruption.h) until the caller's last step, its log entry, is
// done. A failure at any step, or a file the caller keeps, removes the
// temporary files and leaves every existing file as it was.
//
// A file is replaced as WriteFileReplacing (TextFile.h) replaces one: a
// folder in its place, or a file marked read-only, is refused; a replaced
// regular file hands on its permission bits and, where the process may,
// its owner and group.

#include "platform/FileIdentity.h"
#include "platform/FileResult.h"
#include "platform/FileSystem.h"

#include <fcntl.h>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// What the caller says of an output that would replace an existing file.
enum class ReplaceVerdict {
    Replace, // replace it
    Keep,    // keep it: the unit is not committed (the user's Cancel)
    Refuse,  // it must not be replaced: the unit fails, for the caller's reason
};

// The folder a batch writes its outputs into, held open while the batch
// runs: a unit makes and renames each output right in it by its name,
// instead of walking the folder's whole path for every step. An output
// elsewhere, or a folder that cannot be opened, is written by its path.
class OutputFolder {
public:
    // folder: the folder as the outputs' paths begin, ending in "/" (any
    // other text, "" for the current folder among them, holds no folder open).
    explicit OutputFolder(std::string folder);
    ~OutputFolder();
    OutputFolder(const OutputFolder&) = delete;
    OutputFolder& operator=(const OutputFolder&) = delete;

    // Where the file's name begins in path when path names a file right in
    // the folder, else 0.
    std::size_t NameAt(const std::string& path) const;
    int Descriptor() const { return m_fd; }

private:
    std::string m_folder;
    int m_fd = -1;
};

class OutputUnit {
public:
    // files: where the unit writes. keepOwner: a replaced file whose owner
    // and group cannot both be handed on is not replaced (the unit fails
    // with EPERM). folder: the batch's output folder, if it has one.
    explicit OutputUnit(FileSystem& files = SystemFiles(), bool keepOwner = false,
                        const OutputFolder* folder = nullptr)
        : m_files(files), m_keepOwner(keepOwner), m_folder(folder) {}
    ~OutputUnit(); // discards whatever was not committed
    OutputUnit(const OutputUnit&) = delete;
    OutputUnit& operator=(const OutputUnit&) = delete;

    // Writes data to a temporary file beside path. A failure leaves nothing
    // of it; the unit is then discarded by its owner.
    FileResult Stage(const std::string& path, std::string_view data);

    enum class Outcome { Committed, Kept, Refused, Failed };
    struct Result {
        Outcome outcome = Outcome::Failed;
        FileResult failure;     // Failed: the error and the file it was about
        std::size_t output = 0; // Kept, Refused: the output that was decided about
    };

    // decide(i, existing): asked, in staging order and before the first
    // rename, about every staged output i whose path already names a file
    // (existing, a symbolic link itself). Asked only when something stands
    // there, so a unit written into new names costs no question and no
    // look at its paths. finish runs once every file is in place, with the
    // interruption signals still held; the unit is committed then.
    Result Commit(const std::function<ReplaceVerdict(std::size_t, const FileIdentity&)>& decide,
                  const std::function<void()>& finish);

    // Removes the temporary files.
    void Discard();

private:
    struct Staged {
        std::string path;
        std::string temp;
        int token = -1;      // the temporary's place among those in flight
        bool exists = false; // something stands at path (the careful pass)
        bool renamed = false;
        int dir = AT_FDCWD; // the folder it is made in, by its name from nameAt on
        std::size_t nameAt = 0;
    };
    Result CommitIntoNewNames(const std::function<void()>& finish, bool& collided);
    Result
    CommitCarefully(const std::function<ReplaceVerdict(std::size_t, const FileIdentity&)>& decide,
                    const std::function<void()>& finish);
    void UndoNewNames();
    void Forget();

    FileSystem& m_files;
    std::vector<Staged> m_staged;
    bool m_keepOwner;
    const OutputFolder* m_folder;
};

// Replaces (or creates) the one file path with data, as a unit of one that
// replaces whatever stands there (keepOwner as for the unit).
FileResult ReplaceWhole(const std::string& path, std::string_view data, bool keepOwner,
                        FileSystem& files = SystemFiles());

} // namespace platform
