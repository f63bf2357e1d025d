#pragma once
// A fresh folder under the system's temporary folder, removed with its
// contents when the test ends.

#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    // The folder as a text ending in "/".
    std::string Folder() const { return m_path.string() + "/"; }
    // Full path of a name inside the folder.
    std::string operator/(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

// Whole content of a file ("" when missing).
std::string ReadFile(const std::string& path);
// Creates or replaces a file with the given bytes.
void WriteFile(const std::string& path, const std::string& content);
// Names of the entries of a folder, sorted (none when it cannot be read).
std::vector<std::string> FilesIn(const std::filesystem::path& folder);
// The text with every clock time line of a log ("Wed Jan 02 02:03:55 1980\n") as "<time>".
std::string Untimed(const std::string& text);

} // namespace testsupport
