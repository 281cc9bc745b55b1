// A private temporary directory for one test, removed with everything in it afterwards. Test
// programs run in parallel (and the sanitizer build runs the same tests), so fixed file names in
// the shared temporary directory would collide.
#pragma once

#include <filesystem>
#include <string>

namespace tavrel::test {

class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    // The path of a file named `name` inside the directory, as a UTF-8 string.
    std::string File(const std::string& name) const { return (m_path / name).string(); }
    // Writes `bytes` to a file named `name` inside the directory and returns its path.
    std::string Write(const std::string& name, const std::string& bytes) const;

  private:
    std::filesystem::path m_path;
};

// Reads a whole file as bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);

}  // namespace tavrel::test
