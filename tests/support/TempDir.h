#pragma once
// A fresh folder under the system's temporary folder, removed with its
// contents when the test ends.

#include <filesystem>
#include <string>

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

} // namespace testsupport
