// A folder of the test's own, removed with everything in it when the test ends.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace ombrix::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// Writes a file of the given bytes, creating its folders.
void WriteFile(const std::filesystem::path& file, const std::string& bytes);
// Reads a whole file.
std::string ReadFile(const std::filesystem::path& file);
// Creates or resizes a file to a length, sparse.
void ResizeFile(const std::filesystem::path& file, std::int64_t length);

}  // namespace ombrix::test
