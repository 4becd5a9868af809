// Game file buffers: tag searches, integer reads, add-on level, data limit, file reads and the
// atomic file write.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "core/container/file_io.h"
#include "core/container/game_file.h"
#include "core/errors.h"
#include "fixture_file.h"
#include "island_fixture.h"
#include "temp_file.h"

namespace insel {
namespace {

using fixture::Bytes;
using fixture::FixtureFile;

GameFileBuffer BufferOf(std::string_view text) {
    GameFileBuffer buffer;
    buffer.bytes.assign(text.begin(), text.end());
    return buffer;
}

TEST(TagSearch, StopsAtTheNearestTagOrAtTheEffectiveLimit) {
    const std::string forty(40, 'x');
    const char* x40 = forty.c_str();
    const std::string heads = std::string(10, '.') + "HEAD" + std::string(26, '.') + "HEAD";
    // EVENTINSEL at 2, INSEL5 at 14, ENTRY2 at 22, ENTRY at 30.
    const char* names = "..EVENTINSEL..INSEL5..ENTRY2..ENTRY..";
    // text, forward, limit (upper forward, negative: the whole buffer; lower backward), from,
    // tag, found, where the search stops (found or not)
    // clang-format off
    const std::tuple<const char*, bool, std::int64_t, std::int64_t, const char*, bool,
                     std::int64_t> cases[] = {
        // a tag that starts with the searched text matches, also inside a longer name
        {names, true, -1, 0, "INSEL", true, 7}, {names, true, -1, 8, "INSEL", true, 14},
        {names, true, -1, 0, "ENTRY", true, 22}, {names, true, -1, 23, "ENTRY", true, 30},
        // absent: the position ends at the limit, a limit beyond the buffer at length - 5
        {x40, true, -1, 3, "HEIGHT", false, 40}, {x40, true, 41, 3, "HEIGHT", false, 35},
        {x40, true, 40, 3, "HEIGHT", false, 40}, {x40, true, 20, 3, "HEIGHT", false, 20},
        // the tag must start before the limit but may run past it
        {"0123456789NAME.........", true, 11, 0, "NAME", true, 10},
        {"0123456789NAME.........", true, 10, 0, "NAME", false, 10},
        {"......INSE", true, -1, 0, "INSEL", false, 10},
        // backward: nearest tag at or below the position, down to the lower limit inclusive
        {heads.c_str(), false, 0, 43, "HEAD", true, 40},
        {heads.c_str(), false, 10, 39, "HEAD", true, 10},
        {heads.c_str(), false, 11, 39, "HEAD", false, 10},
        {"HEAD......HEA", false, 0, 12, "HEAD", true, 0},
    };
    // clang-format on
    for (const auto& [text, forward, limit, from, tag, found, stop] : cases) {
        SCOPED_TRACE(std::string(text) + " " + tag + " from " + std::to_string(from));
        const GameFileBuffer buffer = BufferOf(text);
        std::int64_t position = from;
        const bool hit = forward ? FindTagForward(buffer, limit, tag, position)
                                 : FindTagBackward(buffer, limit, tag, position);
        EXPECT_EQ(std::pair(hit, position), std::pair(found, stop));
    }
}

// A short file loaded after a longer one: searches bounded by the data limit ignore the older
// file's tail. BIGBROTH lowers the limit.
TEST(GameFileBuffer, DataLimit) {
    FixtureFile longer, bigbroth;
    longer.Zeros(200).Tag("HIRSCH").Dword(0).Zeros(100);
    bigbroth.Zeros(120).Tag("BIGBROTH").Zeros(200);
    GameFileBuffer buffer;
    LoadGameBytes(buffer, longer.bytes());
    const LoadedFileInfo info = LoadGameBytes(buffer, Bytes(60, 0));
    ASSERT_GE(buffer.length(), 216) << "the buffer keeps its length between loads";
    std::int64_t position = 0;
    EXPECT_FALSE(FindTagForward(buffer, info.data_limit, "HIRSCH", position));
    const LoadedFileInfo with = LoadGameBytes(buffer, bigbroth.bytes());
    const LoadedFileInfo without = LoadGameBytes(buffer, Bytes(300, 1));
    EXPECT_EQ(std::vector({info.size, info.data_limit, position, with.size, with.data_limit,
                           without.data_limit}),
              (std::vector<std::int64_t>{60, 60, 60, 332, 120, 300}));
}

template <class E>
void ExpectError(const GameFileBuffer& buffer, int width, std::int64_t position,
                 const std::string& named) {
    try {
        ReadValue(buffer, width, position);
        ADD_FAILURE() << "no error at " << position;
    } catch (const E& e) {
        EXPECT_NE(std::string(e.what()).find(named), std::string::npos) << e.what();
    }
}

TEST(ReadValue, ReadsLittleEndianAndRejectsOverflowAndPositionsOutside) {
    GameFileBuffer buffer;
    buffer.bytes = {0xFE, 0x1F, 0x02, 0xFF, 0xFF, 0x78, 0x56, 0x34, 0x12, 0xFF, 0xFF, 0xFF,
                    0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x80, 0xFF, 0xFF, 0xFF, 0xFE};
    EXPECT_EQ(
        std::vector({ReadValue(buffer, 1, 0), ReadValue(buffer, 2, 1), ReadValue(buffer, 2, 3),
                     ReadValue(buffer, 4, 5), ReadValue(buffer, 4, 9), ReadValue(buffer, 4, 13)}),
        (std::vector<std::int64_t>{254, 0x021F, 65535, 0x12345678, 0x7FFFFFFF, -1}));
    // Four bytes with the top bit set, other than -1, overflow.
    ExpectError<OverflowError>(buffer, 4, 15, "15");
    ExpectError<OverflowError>(buffer, 4, 19, "19");
    buffer.bytes = Bytes(10, 0);
    EXPECT_NO_THROW(ReadValue(buffer, 4, 6));
    for (const auto& [width, position] : {std::pair(1, 10), {1, -1}, {2, 9}, {4, 7}})
        ExpectError<BoundsError>(buffer, width, position, std::to_string(position));
    // A loaded file is named by its own size, not the buffer's.
    LoadGameBytes(buffer, Bytes(620, 0));
    ExpectError<BoundsError>(buffer, 2, 620, "(620 bytes)");
}

// Only the first 100 bytes count, and ADDONLEVEL only below 50.
TEST(AddOnLevel, IsReadFromTheFileHead) {
    FixtureFile far_city, far_kelm;
    far_city.Zeros(60).Text("CTYFORMAT-ADDONLEVEL").Dword('1');
    far_kelm.Zeros(10).Text("KELMADDON1");
    // clang-format off
    const std::pair<Bytes, int> cases[] = {
        {fixture::CityFileHead(1), 1}, {fixture::CityFileHead(0), 0},
        {fixture::IslandFileHead(1, 0), 1}, {fixture::IslandFileHead(2, 0), 2},
        {fixture::IslandFileHead(0, 0), 0}, {far_city.bytes(), 0}, {far_kelm.bytes(), 0},
        {{'S', 'A', 'V', 'E', 'G', 'A', 'M', 'E'}, 0}};
    // clang-format on
    for (const auto& [head, level] : cases) {
        SCOPED_TRACE(
            std::string(head.begin(), head.begin() + std::min<std::size_t>(head.size(), 12)));
        FixtureFile file(head);
        file.Zeros(200);
        GameFileBuffer buffer;
        const int loaded = LoadGameBytes(buffer, file.bytes()).addon_level;
        EXPECT_EQ(std::pair(loaded, ReadAddOnLevel(buffer)), std::pair(level, level));
    }
}

TEST(ReadFileIntoBuffer, GrowsButNeverShrinksTheBuffer) {
    fixture::TempDir dir;
    fixture::WriteFileBytes(dir / "small", Bytes(10, 0x22));
    fixture::WriteFileBytes(dir / "large", Bytes(200, 0x33));
    std::vector<std::uint8_t> buffer(100, 0xAA);
    // The earlier content behind the file stays.
    EXPECT_EQ(ReadFileIntoBuffer(dir / "small", buffer), 10);
    EXPECT_EQ(std::tuple(buffer.size(), buffer[9], buffer[10]), std::tuple(100u, 0x22, 0xAA));
    EXPECT_EQ(ReadFileIntoBuffer(dir / "large", buffer), 200);
    EXPECT_EQ(std::tuple(buffer.size() >= 200u, buffer[199]), std::tuple(true, 0x33));
}

std::vector<std::filesystem::path> Entries(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

// A shorter file replaces a longer one wholly; a missing folder, a folder in the way or a
// read-only target is an error that creates nothing and harms nothing.
TEST(WriteFileAtomically, ReplacesWhollyOrFailsHarmlessly) {
    fixture::TempDir dir;
    fixture::WriteFileBytes(dir / "out.scp", Bytes(5000, 0x11));
    WriteFileAtomically(dir / "out.scp", Bytes(10, 0x22));
    EXPECT_EQ(fixture::ReadFileBytes(dir / "out.scp"), Bytes(10, 0x22));
    EXPECT_THROW(WriteFileAtomically(dir / "absent" / "out.scp", Bytes(10, 1)), Error);
    std::filesystem::create_directory(dir / "in_the_way");
    fixture::WriteFileBytes(dir / "in_the_way" / "inner", Bytes(3, 7));
    EXPECT_THROW(WriteFileAtomically(dir / "in_the_way", Bytes(10, 1)), Error);
    EXPECT_EQ(fixture::ReadFileBytes(dir / "in_the_way" / "inner"), Bytes(3, 7));
    std::filesystem::permissions(dir / "out.scp", std::filesystem::perms::owner_read);
    EXPECT_EQ(std::pair(IsWritableTarget(dir / "out.scp"), IsWritableTarget(dir / "new.scp")),
              std::pair(false, true));
    try {
        WriteFileAtomically(dir / "out.scp", Bytes{6});
        ADD_FAILURE() << "a read-only file was replaced";
    } catch (const FileError& error) {
        EXPECT_NE(std::string(error.what()).find("out.scp\": the file is read-only"),
                  std::string::npos)
            << error.what();
    }
    EXPECT_EQ(fixture::ReadFileBytes(dir / "out.scp"), Bytes(10, 0x22));
    EXPECT_EQ(Entries(dir.path()), (std::vector<std::filesystem::path>{"in_the_way", "out.scp"}));
}

TEST(WriteFileAtomically, LongNameGivesTheWholeNewFileOrTheOldOneUmlautNamesSurvive) {
    // A name at the length limit leaves little room for a temporary name beside it.
    fixture::TempDir dir;
    const std::string name(250, 'n');
    const Bytes old_content(4000, 0x44), new_content(20, 0x55);
    fixture::WriteFileBytes(dir / name, old_content);
    bool failed = false;
    try {
        WriteFileAtomically(dir / name, new_content);
    } catch (const Error&) {
        failed = true;
    }
    EXPECT_EQ(fixture::ReadFileBytes(dir / name), failed ? old_content : new_content);
    EXPECT_EQ(Entries(dir.path()).size(), 1u) << "no temporary file may be left behind";
    // Umlaut names and CR LF text survive a replace.
    std::filesystem::remove(dir / name);
    const auto path = dir.path() / PathFromUtf8("Gr\xC3\xBCninsel \xC3\x84.txt");
    WriteTextFile(path, {"eins", "zwei", "drei"}, TextEncoding::Utf8);
    WriteTextFile(path, {"vier", "f\xC3\xBCnf"}, TextEncoding::Windows1252);
    EXPECT_EQ(fixture::ReadFileBytes(path),
              (Bytes{'v', 'i', 'e', 'r', '\r', '\n', 'f', 0xFC, 'n', 'f', '\r', '\n'}));
    const TextFile read = ReadTextFile(path);
    EXPECT_EQ(
        std::pair(read.lines, read.encoding),
        std::pair(std::vector<std::string>{"vier", "f\xC3\xBCnf"}, TextEncoding::Windows1252));
    ASSERT_EQ(Entries(dir.path()).size(), 1u);
    EXPECT_EQ(PathToUtf8(Entries(dir.path()).front()), "Gr\xC3\xBCninsel \xC3\x84.txt");
}

TEST(LoadGameFile, ReadOnlyFileIsReadWithoutTouchingIt) {
    fixture::TempDir dir;
    FixtureFile content;
    content.Text("KELMADDON1").Zeros(50);
    fixture::WriteFileBytes(dir / "ro.scp", content.bytes());
    std::filesystem::permissions(dir / "ro.scp", std::filesystem::perms::owner_read);
#ifndef _WIN32
    struct stat before {
    }, after{};
    ASSERT_EQ(::stat((dir / "ro.scp").c_str(), &before), 0);
#endif
    GameFileBuffer buffer;
    EXPECT_THROW(LoadGameFile(buffer, dir / "absent.scp"), Error);
    const LoadedFileInfo info = LoadGameFile(buffer, dir / "ro.scp");
    EXPECT_EQ(std::pair(info.size, info.addon_level), (std::pair<std::int64_t, int>(60, 1)));
    EXPECT_EQ(Bytes(buffer.bytes.begin(), buffer.bytes.begin() + 60), content.bytes());
    EXPECT_FALSE(IsWritableTarget(dir / "ro.scp"));
#ifndef _WIN32
    ASSERT_EQ(::stat((dir / "ro.scp").c_str(), &after), 0);
    EXPECT_EQ(after.st_mode, before.st_mode);
    // A permission change, even one undone, shows in the change time.
    EXPECT_EQ(std::pair(after.st_ctim.tv_sec, after.st_ctim.tv_nsec),
              std::pair(before.st_ctim.tv_sec, before.st_ctim.tv_nsec));
#endif
}

#ifndef _WIN32
TEST(WriteFileAtomically, WritesThroughLinksAndKeepsPermissions) {
    namespace fs = std::filesystem;
    fixture::TempDir dir;
    fixture::WriteFileBytes(dir / "real.scp", Bytes(100, 1));
    fs::permissions(dir / "real.scp", fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink("real.scp", dir / "link.scp");
    WriteFileAtomically(dir / "link.scp", Bytes{7, 7});
    EXPECT_TRUE(fs::is_symlink(dir / "link.scp"));
    EXPECT_EQ(fixture::ReadFileBytes(dir / "real.scp"), (Bytes{7, 7}));
    EXPECT_EQ(fs::status(dir / "real.scp").permissions() & fs::perms::mask,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_TRUE(IsSameFile(dir / "link.scp", dir.path() / "." / "real.scp"));
    EXPECT_FALSE(IsSameFile(dir / "link.scp", dir / "absent.scp"));
    EXPECT_EQ(Entries(dir.path()), (std::vector<fs::path>{"link.scp", "real.scp"}));
}
#endif

}  // namespace
}  // namespace insel
