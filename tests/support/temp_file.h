#pragma once
// Scratch files and folders under the system's temporary folder, removed again on destruction.
#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>
#include <vector>

namespace insel::fixture {

// A fresh, empty folder with a unique name.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

// `bytes` written to a uniquely named file (with `file_name` as its last path component) in a
// folder of its own.
class TempFile {
  public:
    explicit TempFile(std::span<const std::uint8_t> bytes,
                      std::string_view file_name = "island.scp");
    const std::filesystem::path& path() const { return path_; }

  private:
    TempDir dir_;
    std::filesystem::path path_;
};

void WriteFileBytes(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);
std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path);

}  // namespace insel::fixture
