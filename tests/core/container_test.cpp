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

struct SearchCase {
    const char* text;
    bool forward;
    std::int64_t limit;  // upper limit forward (negative: the whole buffer), lower backward
    std::int64_t from;
    const char* tag;
    bool found;
    std::int64_t position;  // where the search stops, found or not
};

TEST(TagSearch, StopsAtTheNearestTagOrAtTheEffectiveLimit) {
    const std::string forty(40, 'x');
    const std::string heads = std::string(10, '.') + "HEAD" + std::string(26, '.') + "HEAD";
    // clang-format off
    const SearchCase cases[] = {
        // EVENTINSEL at 2, INSEL5 at 14, ENTRY2 at 22, ENTRY at 30: a tag that starts with the
        // searched text matches, also inside a longer name.
        {"..EVENTINSEL..INSEL5..ENTRY2..ENTRY..", true, -1, 0, "INSEL", true, 7},
        {"..EVENTINSEL..INSEL5..ENTRY2..ENTRY..", true, -1, 8, "INSEL", true, 14},
        {"..EVENTINSEL..INSEL5..ENTRY2..ENTRY..", true, -1, 0, "ENTRY", true, 22},
        {"..EVENTINSEL..INSEL5..ENTRY2..ENTRY..", true, -1, 23, "ENTRY", true, 30},
        // absent: the position ends at the limit, a limit beyond the buffer at length - 5
        {forty.c_str(), true, -1, 3, "HEIGHT", false, 40},
        {forty.c_str(), true, 41, 3, "HEIGHT", false, 35},
        {forty.c_str(), true, 40, 3, "HEIGHT", false, 40},
        {forty.c_str(), true, 20, 3, "HEIGHT", false, 20},
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
    for (const SearchCase& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " " + c.tag + " from " + std::to_string(c.from));
        const GameFileBuffer buffer = BufferOf(c.text);
        std::int64_t position = c.from;
        EXPECT_EQ(c.forward ? FindTagForward(buffer, c.limit, c.tag, position)
                            : FindTagBackward(buffer, c.limit, c.tag, position),
                  c.found);
        EXPECT_EQ(position, c.position);
    }
}

// A short file loaded after a longer one: searches bounded by the data limit ignore the older
// file's tail. BIGBROTH lowers the limit.
TEST(GameFileBuffer, DataLimit) {
    FixtureFile longer;
    longer.Zeros(200).Tag("HIRSCH").Dword(0).Zeros(100);
    GameFileBuffer buffer;
    LoadGameBytes(buffer, longer.bytes());

    const Bytes shorter(60, 0);
    const LoadedFileInfo info = LoadGameBytes(buffer, shorter);
    EXPECT_EQ(std::pair(info.size, info.data_limit),
              (std::pair<std::int64_t, std::int64_t>(60, 60)));
    ASSERT_GE(buffer.length(), 216) << "the buffer keeps its length between loads";

    std::int64_t position = 0;
    EXPECT_FALSE(FindTagForward(buffer, info.data_limit, "HIRSCH", position));
    EXPECT_EQ(position, 60);

    FixtureFile file;
    file.Zeros(120).Tag("BIGBROTH").Zeros(200);
    const LoadedFileInfo with = LoadGameBytes(buffer, file.bytes());
    EXPECT_EQ(with.size, static_cast<std::int64_t>(file.size()));
    EXPECT_EQ(with.data_limit, 120);

    const LoadedFileInfo without = LoadGameBytes(buffer, Bytes(300, 1));
    EXPECT_EQ(without.data_limit, 300);
}

TEST(ReadValue, ReadsLittleEndianAndRejectsOverflowAndPositionsOutside) {
    const std::tuple<Bytes, int, std::int64_t> cases[] = {{{0xFE}, 1, 254},
                                                          {{0x1F, 0x02}, 2, 0x021F},
                                                          {{0xFF, 0xFF}, 2, 65535},
                                                          {{0x78, 0x56, 0x34, 0x12}, 4, 0x12345678},
                                                          {{0xFF, 0xFF, 0xFF, 0x7F}, 4, 0x7FFFFFFF},
                                                          {{0xFF, 0xFF, 0xFF, 0xFF}, 4, -1}};
    for (const auto& [bytes, width, expected] : cases) {
        GameFileBuffer buffer;
        buffer.bytes = bytes;
        EXPECT_EQ(ReadValue(buffer, width, 0), expected) << width;
    }

    // Four bytes with the top bit set, other than -1, overflow.
    GameFileBuffer buffer;
    buffer.bytes = {0x11, 0x00, 0x00, 0x00, 0x00, 0x80, 0xFF, 0xFF, 0xFF, 0xFE};
    EXPECT_THROW(ReadValue(buffer, 4, 2), OverflowError);
    try {
        ReadValue(buffer, 4, 6);
        FAIL() << "FF FF FF FE must not be read as a value";
    } catch (const OverflowError& e) {
        EXPECT_NE(std::string(e.what()).find("6"), std::string::npos) << e.what();
    }

    buffer.bytes = Bytes(10, 0);
    EXPECT_THROW(ReadValue(buffer, 1, 10), BoundsError);
    EXPECT_THROW(ReadValue(buffer, 1, -1), BoundsError);
    EXPECT_THROW(ReadValue(buffer, 2, 9), BoundsError);
    EXPECT_NO_THROW(ReadValue(buffer, 4, 6));
    try {
        ReadValue(buffer, 4, 7);
        FAIL();
    } catch (const BoundsError& e) {
        EXPECT_NE(std::string(e.what()).find("7"), std::string::npos) << e.what();
    }
    // A loaded file is named by its own size, not the buffer's.
    LoadGameBytes(buffer, Bytes(620, 0));
    try {
        ReadValue(buffer, 2, 620);
        FAIL();
    } catch (const BoundsError& e) {
        EXPECT_NE(std::string(e.what()).find("(620 bytes)"), std::string::npos) << e.what();
    }
}

struct AddOnCase {
    const char* name;
    Bytes head;
    int expected;
};

class AddOnLevel : public ::testing::TestWithParam<AddOnCase> {};

TEST_P(AddOnLevel, IsReadFromTheFileHead) {
    FixtureFile file(GetParam().head);
    file.Zeros(200);
    GameFileBuffer buffer;
    const LoadedFileInfo info = LoadGameBytes(buffer, file.bytes());
    EXPECT_EQ(info.addon_level, GetParam().expected);
    EXPECT_EQ(ReadAddOnLevel(buffer), GetParam().expected);
}

Bytes TextBytes(std::string_view text) { return Bytes(text.begin(), text.end()); }

INSTANTIATE_TEST_SUITE_P(
    Heads, AddOnLevel,
    ::testing::Values(AddOnCase{"CityLevel1", fixture::CityFileHead(1), 1},
                      AddOnCase{"CityLevel0", fixture::CityFileHead(0), 0},
                      AddOnCase{"KelmAddon1", fixture::IslandFileHead(1, 0), 1},
                      AddOnCase{"KelmAddon2", fixture::IslandFileHead(2, 0), 2},
                      AddOnCase{"Kelm", fixture::IslandFileHead(0, 0), 0},
                      // only the first 100 bytes count, and ADDONLEVEL only below 50
                      AddOnCase{"AddonLevelTooFar",
                                [] {
                                    FixtureFile f;
                                    f.Zeros(60).Text("CTYFORMAT-ADDONLEVEL").Dword('1');
                                    return f.Take();
                                }(),
                                0},
                      AddOnCase{"KelmAddonTooFar",
                                [] {
                                    FixtureFile f;
                                    f.Zeros(10).Text("KELMADDON1");
                                    return f.Take();
                                }(),
                                0},
                      AddOnCase{"NoHead", TextBytes("SAVEGAME"), 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReadFileIntoBuffer, GrowsButNeverShrinksTheBuffer) {
    fixture::TempDir dir;
    fixture::WriteFileBytes(dir / "small", Bytes(10, 0x22));
    fixture::WriteFileBytes(dir / "large", Bytes(200, 0x33));

    std::vector<std::uint8_t> buffer(100, 0xAA);
    EXPECT_EQ(ReadFileIntoBuffer(dir / "small", buffer), 10);
    ASSERT_EQ(buffer.size(), 100u);
    EXPECT_EQ(buffer[9], 0x22);
    EXPECT_EQ(buffer[10], 0xAA);  // the earlier content behind the file stays

    EXPECT_EQ(ReadFileIntoBuffer(dir / "large", buffer), 200);
    EXPECT_GE(buffer.size(), 200u);
    EXPECT_EQ(buffer[199], 0x33);
}

std::vector<std::filesystem::path> Entries(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(WriteFileAtomically, ReplacesAnExistingFileWholly) {
    fixture::TempDir dir;
    fixture::WriteFileBytes(dir / "out.scp", Bytes(5000, 0x11));
    const Bytes shorter(10, 0x22);
    WriteFileAtomically(dir / "out.scp", shorter);
    EXPECT_EQ(fixture::ReadFileBytes(dir / "out.scp"), shorter);
    EXPECT_EQ(Entries(dir.path()), std::vector<std::filesystem::path>{"out.scp"});
}

// A missing folder or a folder in the way is an error that creates nothing and harms nothing.
TEST(WriteFileAtomically, MissingFolderOrFolderInTheWay) {
    fixture::TempDir dir;
    EXPECT_THROW(WriteFileAtomically(dir / "absent" / "out.scp", Bytes(10, 1)), Error);
    EXPECT_TRUE(Entries(dir.path()).empty());
    std::filesystem::create_directory(dir / "out.scp");
    fixture::WriteFileBytes(dir / "out.scp" / "inner", Bytes(3, 7));
    EXPECT_THROW(WriteFileAtomically(dir / "out.scp", Bytes(10, 1)), Error);
    EXPECT_EQ(fixture::ReadFileBytes(dir / "out.scp" / "inner"), Bytes(3, 7));
    EXPECT_EQ(Entries(dir.path()), std::vector<std::filesystem::path>{"out.scp"});
}

TEST(WriteFileAtomically, LongNameGivesEitherTheWholeNewFileOrTheUntouchedOldOne) {
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
}

TEST(WriteFileAtomically, UmlautNamesAndCrLfTextSurviveAReplace) {
    fixture::TempDir dir;
    const auto path = dir.path() / PathFromUtf8("Gr\xC3\xBCninsel \xC3\x84.txt");
    WriteTextFile(path, {"eins", "zwei", "drei"}, TextEncoding::Utf8);
    WriteTextFile(path, {"vier", "f\xC3\xBCnf"}, TextEncoding::Windows1252);
    EXPECT_EQ(fixture::ReadFileBytes(path),
              (Bytes{'v', 'i', 'e', 'r', '\r', '\n', 'f', 0xFC, 'n', 'f', '\r', '\n'}));
    const TextFile read = ReadTextFile(path);
    EXPECT_EQ(read.lines, (std::vector<std::string>{"vier", "f\xC3\xBCnf"}));
    EXPECT_EQ(read.encoding, TextEncoding::Windows1252);
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

TEST(WriteFileAtomically, ReadOnlyTargetIsRefusedByName) {
    fixture::TempDir dir;
    fixture::WriteFileBytes(dir / "keep.scp", Bytes{5});
    std::filesystem::permissions(dir / "keep.scp", std::filesystem::perms::owner_read);
    EXPECT_FALSE(IsWritableTarget(dir / "keep.scp"));
    EXPECT_TRUE(IsWritableTarget(dir / "new.scp"));
    try {
        WriteFileAtomically(dir / "keep.scp", Bytes{6});
        ADD_FAILURE() << "a read-only file was replaced";
    } catch (const FileError& error) {
        EXPECT_NE(std::string(error.what()).find("keep.scp\": the file is read-only"),
                  std::string::npos)
            << error.what();
    }
    EXPECT_EQ(fixture::ReadFileBytes(dir / "keep.scp"), Bytes{5});
    EXPECT_EQ(Entries(dir.path()).size(), 1u);
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
