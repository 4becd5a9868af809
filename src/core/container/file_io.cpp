#include "core/container/file_io.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <fstream>
#include <sstream>
#include <system_error>

#ifdef _WIN32
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "core/container/cp1252.h"
#include "core/errors.h"

namespace fs = std::filesystem;

namespace insel {
namespace {

std::string Describe(const fs::path& path) { return "\"" + PathToUtf8(path) + "\""; }

std::string SystemMessage(int error) {
    return std::error_code(error, std::generic_category()).message();
}

// The file a write lands in: links are followed (a dangling one to the file it would name), so
// that a link stays a link and its target gets the new content.
fs::path WriteTarget(const fs::path& path) {
    fs::path target = path;
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(target, ec))) return target;
        const fs::path next = fs::read_symlink(target, ec);
        if (ec) throw FileError("cannot follow the link " + Describe(path) + ": " + ec.message());
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    throw FileError("cannot write " + Describe(path) + ": its links lead in a circle");
}

fs::path FolderOf(const fs::path& target) {
    const fs::path folder = target.parent_path();
    return folder.empty() ? fs::path(".") : folder;
}

bool ReadOnly(const fs::path& target, fs::perms perms) {
#ifdef _WIN32
    (void)target;
    return (perms & fs::perms::owner_write) == fs::perms::none;  // the read-only attribute
#else
    // No write bit at all counts as read-only also for the administrator, whom access() lets
    // write anything.
    constexpr auto kAnyWrite =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    return (perms & kAnyWrite) == fs::perms::none || ::access(target.c_str(), W_OK) != 0;
#endif
}

// Removes the temporary file unless the write went through.
class TemporaryFile {
  public:
    explicit TemporaryFile(fs::path path) : path_(std::move(path)) {}
    ~TemporaryFile() {
        if (path_.empty()) return;
        std::error_code ignored;
        fs::remove(path_, ignored);
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    const fs::path& path() const { return path_; }
    void Keep() { path_.clear(); }

  private:
    fs::path path_;
};

#ifdef _WIN32

void WriteAndSync(const fs::path& temp, const fs::path& shown, std::span<const std::uint8_t> bytes,
                  const fs::file_status&) {
    const int fd =
        ::_wopen(temp.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0) throw FileError("cannot create " + Describe(shown) + ": " + SystemMessage(errno));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const unsigned chunk =
            static_cast<unsigned>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        const int written = ::_write(fd, bytes.data() + done, chunk);
        if (written <= 0) {
            const int error = errno;
            ::_close(fd);
            throw FileError("cannot write " + Describe(shown) + ": " + SystemMessage(error));
        }
        done += static_cast<std::size_t>(written);
    }
    if (::_commit(fd) != 0) {
        const int error = errno;
        ::_close(fd);
        throw FileError("cannot write " + Describe(shown) + ": " + SystemMessage(error));
    }
    if (::_close(fd) != 0)
        throw FileError("cannot write " + Describe(shown) + ": " + SystemMessage(errno));
}

void ReplaceAndSync(const fs::path& temp, const fs::path& target, const fs::path& shown) {
    if (!::MoveFileExW(temp.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        throw FileError("cannot write " + Describe(shown) + ": " +
                        std::system_category().message(static_cast<int>(::GetLastError())));
    }
}

#else

void WriteAndSync(const fs::path& temp, const fs::path& shown, std::span<const std::uint8_t> bytes,
                  const fs::file_status& existing) {
    const bool replacing = fs::is_regular_file(existing);
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) throw FileError("cannot create " + Describe(shown) + ": " + SystemMessage(errno));
    auto fail = [&](int error) {
        ::close(fd);
        throw FileError("cannot write " + Describe(shown) + ": " + SystemMessage(error));
    };
    if (replacing) {
        // The new file takes the place of the old one, so it takes its owner and permissions;
        // only the administrator may give a file away, so a failed chown is no error.
        struct stat old {};
        if (::stat(shown.c_str(), &old) == 0) {
            [[maybe_unused]] const int ignored = ::fchown(fd, old.st_uid, old.st_gid);
        }
        if (::fchmod(fd, static_cast<mode_t>(existing.permissions() & fs::perms::mask)) != 0)
            fail(errno);
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) fail(written < 0 ? errno : EIO);
        done += static_cast<std::size_t>(written);
    }
    if (::fsync(fd) != 0) fail(errno);
    if (::close(fd) != 0)
        throw FileError("cannot write " + Describe(shown) + ": " + SystemMessage(errno));
}

void ReplaceAndSync(const fs::path& temp, const fs::path& target, const fs::path& shown) {
    if (::rename(temp.c_str(), target.c_str()) != 0)
        throw FileError("cannot write " + Describe(shown) + ": " + SystemMessage(errno));
    // The rename lives in the folder; without syncing it a crash may bring the old file back.
    const int folder = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) return;
    const bool synced = ::fsync(folder) == 0 || errno == EINVAL || errno == ENOTSUP;
    const int error = errno;
    ::close(folder);
    if (!synced) {
        throw FileError("wrote " + Describe(shown) +
                        " but cannot sync its folder: " + SystemMessage(error));
    }
}

#endif

}  // namespace

fs::path PathFromUtf8(std::string_view text) {
    return fs::path(std::u8string(text.begin(), text.end()));
}

std::string PathToUtf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string LowerExtension(const fs::path& path) {
    std::string extension = PathToUtf8(path.extension());
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

std::int64_t ReadFileIntoBuffer(const fs::path& path, std::vector<std::uint8_t>& buffer) {
    std::error_code ec;
    if (fs::is_directory(path, ec))
        throw FileError("cannot read " + Describe(path) + ": it is a folder");
    std::ifstream in(path, std::ios::binary);
    if (!in) throw FileError("cannot open " + Describe(path));
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0) throw FileError("cannot read " + Describe(path));
    if (size > 0x7FFFFFF0) throw FileError(Describe(path) + " is too large for a game file");
    in.seekg(0, std::ios::beg);
    if (static_cast<std::int64_t>(buffer.size()) < size)
        buffer.resize(static_cast<std::size_t>(size) + 1);
    if (size > 0 && !in.read(reinterpret_cast<char*>(buffer.data()), size)) {
        throw FileError("cannot read " + Describe(path));
    }
    return size;
}

std::optional<std::string> WriteRefusal(const fs::path& path) {
    const fs::path target = WriteTarget(path);
    std::error_code ec;
    const fs::path folder = FolderOf(target);
    if (!fs::is_directory(folder, ec)) {
        return "cannot write " + Describe(path) + ": the folder " + Describe(folder) +
               " does not exist";
    }
    const fs::file_status status = fs::status(target, ec);
    if (!fs::exists(status)) return std::nullopt;
    if (fs::is_directory(status)) return "cannot write " + Describe(path) + ": it is a folder";
    if (!fs::is_regular_file(status))
        return "cannot write " + Describe(path) + ": it is not a regular file";
    if (ReadOnly(target, status.permissions()))
        return "cannot write " + Describe(path) + ": the file is read-only";
    return std::nullopt;
}

void CheckWritableTarget(const fs::path& path) {
    if (auto refusal = WriteRefusal(path)) throw FileError(*refusal);
}

bool IsSameFile(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    if (!fs::exists(a, ec) || !fs::exists(b, ec)) return false;
    const bool same = fs::equivalent(a, b, ec);
    return !ec && same;
}

void AppendToFileDurably(const fs::path& path, std::span<const std::uint8_t> bytes) {
#ifdef _WIN32
    const int fd = ::_wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_APPEND | _O_BINARY,
                            _S_IREAD | _S_IWRITE);
#else
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
#endif
    if (fd < 0) throw FileError("cannot open " + Describe(path) + ": " + SystemMessage(errno));
    auto fail = [&](int error) {
#ifdef _WIN32
        ::_close(fd);
#else
        ::close(fd);
#endif
        throw FileError("cannot write " + Describe(path) + ": " + SystemMessage(error));
    };
    std::size_t done = 0;
    while (done < bytes.size()) {
#ifdef _WIN32
        const int written = ::_write(fd, bytes.data() + done,
                                     static_cast<unsigned>(std::min<std::size_t>(
                                         bytes.size() - done, 1u << 30)));
#else
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) continue;
#endif
        if (written <= 0) fail(written < 0 ? errno : EIO);
        done += static_cast<std::size_t>(written);
    }
#ifdef _WIN32
    if (::_commit(fd) != 0) fail(errno);
    ::_close(fd);
#else
    if (::fsync(fd) != 0) fail(errno);
    ::close(fd);
#endif
}

void WriteFileAtomically(const fs::path& path, std::span<const std::uint8_t> bytes) {
    const fs::path target = WriteTarget(path);
    CheckWritableTarget(target);
    std::error_code ec;
    const fs::file_status existing = fs::status(target, ec);

    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    fs::path temp_name = target;
    temp_name += ".~" + std::to_string(stamp) + "-" + std::to_string(counter++) + ".tmp";
    TemporaryFile temp(temp_name);
    WriteAndSync(temp.path(), target, bytes, existing);
    ReplaceAndSync(temp.path(), target, path);
    temp.Keep();
}

TextFile ReadTextFile(const fs::path& path) {
    std::vector<std::uint8_t> bytes;
    const std::int64_t size = ReadFileIntoBuffer(path, bytes);
    std::string_view text(reinterpret_cast<const char*>(bytes.data()),
                          static_cast<std::size_t>(size));
    TextFile file;
    file.encoding = IsValidUtf8(text) ? TextEncoding::Utf8 : TextEncoding::Windows1252;
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        const bool last = end == std::string_view::npos;
        if (last) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        file.lines.push_back(file.encoding == TextEncoding::Utf8 ? std::string(line)
                                                                 : Cp1252ToUtf8(line));
        start = end + 1;
    }
    return file;
}

void WriteTextFile(const fs::path& path, const std::vector<std::string>& lines,
                   TextEncoding encoding) {
    std::string out;
    for (const auto& line : lines) {
        out += encoding == TextEncoding::Utf8 ? line : Utf8ToCp1252(line);
        out += "\r\n";
    }
    WriteFileAtomically(path, {reinterpret_cast<const std::uint8_t*>(out.data()), out.size()});
}

}  // namespace insel
