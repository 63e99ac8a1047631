#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>

namespace ombrix::test {

TempDir::TempDir() {
  // A new folder of our own, under a name nobody else holds.
  std::random_device entropy;
  for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
    std::ostringstream name;
    name << "ombrix-test-" << std::hex << entropy() << entropy();
    const std::filesystem::path candidate = std::filesystem::temp_directory_path() / name.str();
    std::error_code error;
    if (std::filesystem::create_directory(candidate, error)) path_ = candidate;
  }
  if (path_.empty()) ADD_FAILURE() << "cannot make a temporary folder";
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void WriteFile(const std::filesystem::path& file, const std::string& bytes) {
  std::filesystem::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) ADD_FAILURE() << "cannot write " << file;
}

std::string ReadFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void ResizeFile(const std::filesystem::path& file, std::int64_t length) {
  std::filesystem::create_directories(file.parent_path());
  if (!std::filesystem::exists(file)) WriteFile(file, "");
  std::filesystem::resize_file(file, static_cast<std::uintmax_t>(length));
}

}  // namespace ombrix::test
