#include "core/container/file_io.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>
#include <system_error>

#include "core/container/cp1252.h"
#include "core/errors.h"

namespace fs = std::filesystem;

namespace insel {
namespace {

std::string Describe(const fs::path& path) { return "\"" + path.string() + "\""; }

// Gives a file without owner write permission that permission while it is read, and takes
// it away again however the read ends.
class WritableWhileReading {
  public:
    explicit WritableWhileReading(const fs::path& path) : path_(path) {
        std::error_code ec;
        const auto perms = fs::status(path, ec).permissions();
        if (ec || (perms & fs::perms::owner_write) != fs::perms::none) return;
        fs::permissions(path, fs::perms::owner_write, fs::perm_options::add, ec);
        changed_ = !ec;
    }
    ~WritableWhileReading() {
        if (!changed_) return;
        std::error_code ec;
        fs::permissions(path_, fs::perms::owner_write, fs::perm_options::remove, ec);
    }
    WritableWhileReading(const WritableWhileReading&) = delete;
    WritableWhileReading& operator=(const WritableWhileReading&) = delete;

  private:
    fs::path path_;
    bool changed_ = false;
};

}  // namespace

std::int64_t ReadFileIntoBuffer(const fs::path& path, std::vector<std::uint8_t>& buffer) {
    std::error_code ec;
    if (fs::is_directory(path, ec))
        throw FileError("cannot read " + Describe(path) + ": it is a folder");
    WritableWhileReading guard(path);
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

void WriteFileAtomically(const fs::path& path, std::span<const std::uint8_t> bytes) {
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    fs::path temp = path;
    temp += ".~" + std::to_string(stamp) + "-" + std::to_string(counter++) + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) throw FileError("cannot create " + Describe(path));
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            out.close();
            std::error_code ec;
            fs::remove(temp, ec);
            throw FileError("cannot write " + Describe(path));
        }
    }
    std::error_code ec;
    fs::rename(temp, path, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        throw FileError("cannot write " + Describe(path) + ": " + ec.message());
    }
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
