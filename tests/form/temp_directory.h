// A fresh directory under the system's temporary directory, removed with its content at the end.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace form::testing {

class TempDirectory {
 public:
  // A name no directory has yet: create_directory is false for one that exists.
  TempDirectory() {
    std::random_device random;
    do {
      path_ = std::filesystem::temp_directory_path() / ("vlk-form-" + std::to_string(random()));
    } while (!std::filesystem::create_directory(path_));
  }
  ~TempDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDirectory(const TempDirectory&) = delete;
  TempDirectory& operator=(const TempDirectory&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

}  // namespace form::testing
