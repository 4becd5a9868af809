// Writes the seed corpus of the loader fuzzer: one small file of each kind. The first byte
// of a seed chooses the file kind the fuzzer loads it as.
#include <filesystem>
#include <iostream>

#include "city_fixture.h"
#include "core/app/editor.h"
#include "core/document/journal.h"
#include "core/tools/block_buffer.h"
#include "island_fixture.h"
#include "temp_file.h"

using namespace insel::fixture;

namespace {

IslandSpec SmallIsland(int size, int number) {
    IslandSpec island;
    island.width = island.height = size;
    island.number = static_cast<std::uint32_t>(number);
    island.world_first = static_cast<std::uint16_t>(100 * number);
    island.world_second = 50;
    island.climate = 2;
    island.heights = [](int x, int y) { return static_cast<std::uint8_t>(30 + (x * 3 + y) % 60); };
    island.gfx = [](int x, int y) {
        return static_cast<std::uint16_t>(0x0C00 + (y % 3) * 32 + (x % 3) * 4);
    };
    island.fertility = [](int x, int y) { return static_cast<std::uint8_t>((x + y) % 12); };
    island.terrain = [](int x, int y) {
        return (x * y) % 37 == 5 ? Element{710, 0x4000} : Element{};
    };
    island.rivers = [](int x, int y) {
        return x == 13 && y > 5 && y < 20 ? Element{2701, 0x0100} : Element{};
    };
    island.quarry_spots.push_back({.x = 12, .y = 9, .orientation = 1});
    island.mines.push_back({.x = 20, .y = 21});
    island.mines.push_back({.building_id = 1559u * 16384u, .x = 2, .y = 3, .data_length = 42});
    island.animals.push_back({1, 2, 3, 4});
    island.objects.push_back({.id_word = 821, .parameter = 0x3000, .x = 10, .y = 11});
    island.name = "Seed" + std::to_string(number);
    return island;
}

void Write(const std::filesystem::path& folder, const char* name, std::uint8_t kind_byte,
           Bytes bytes) {
    bytes.insert(bytes.begin(), kind_byte);
    WriteFileBytes(folder / name, bytes);
}

// A recovery journal of a few steps, one undone, on a small island.
Bytes JournalSeed(const std::filesystem::path& folder) {
    const auto path = folder / "journal.tmp";
    {
        insel::Editor editor;
        insel::Journal journal(path, std::chrono::milliseconds(0));
        editor.AttachJournal(&journal);
        editor.LoadBytes(IslandFileBytes(SmallIsland(24, 1)), "island.scp",
                         insel::FileKind::Island);
        editor.SetClimate(4);
        editor.ShiftNow(0, 1, 2);
        editor.Step("cells", [&] { editor.doc.island.gfx.set(3, 4, 0x0D00); });
        editor.history.Undo(editor.doc);
        journal.Flush();
        editor.AttachJournal(nullptr);
    }
    Bytes bytes = ReadFileBytes(path);
    std::filesystem::remove(path);
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: fuzz_seeds FOLDER\n";
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    Write(folder, "island.scp", 0, IslandFileBytes(SmallIsland(40, 1)));
    Write(folder, "journal.bin", 0x80, JournalSeed(folder));
    IslandSpec old_layout = SmallIsland(33, 2);
    old_layout.insel4 = true;
    old_layout.with_discover = false;
    Write(folder, "insel4.scp", 0, IslandFileBytes(old_layout, 1));
    Write(folder, "savegame.sav", 0x41,
          SavegameBytes({SmallIsland(32, 1), SmallIsland(48, 2), SmallIsland(16, 3)}));
    Bytes city = CityFileHead(1);
    const Bytes island = IslandBytes(SmallIsland(24, 4));
    city.insert(city.end(), island.begin(), island.end());
    Write(folder, "city.cty", 2, city);
    Write(folder, "scenario.sze", 3, SavegameBytes({SmallIsland(20, 5)}));
    Write(folder, "dummy.scp", 0, DummyIslandBytes(32, 3));

    // An island block of 4 x 3 cells with a mine and a quarry spot, as the copy page saves it.
    {
        insel::Editor editor;
        editor.LoadBytes(IslandFileBytes(SmallIsland(24, 6)), "island.scp",
                         insel::FileKind::Island);
        insel::BlockBuffer block;
        insel::CopyBlock(block, editor.doc.island, 10, 8, 4, 3, true, true);
        block.mines.push_back({1, 2, 1560 * 16384, 16410u << 16, 26, 400});
        block.comment = "Ecke";
        const std::string text = insel::BlockText(block);
        Write(folder, "block.txt", 0x40, Bytes(text.begin(), text.end()));
    }

    // Cities: a savegame with players, warehouses and a marketplace, the same as an add-on
    // extracted-city file, and an island file whose name names a people.
    IslandSpec first = SmallIsland(32, 1);
    first.objects = {{.id_word = 2001, .x = 10, .y = 10}, {.id_word = 821, .x = 20, .y = 20}};
    IslandSpec second = SmallIsland(32, 2);
    second.objects = {{.id_word = 3000, .x = 5, .y = 5}};
    CitySpec harbour;
    harbour.player = PlayerSpec{.type = 8, .number = 1};
    harbour.name = "Hafen";
    harbour.abs_first = 110;
    harbour.abs_second = 60;
    harbour.buildings = {WarehouseEntry(10, 10, 7), PlainEntry(12, 12),
                         MarketEntry(20, 20, 125, 64)};
    CitySpec village;
    village.player = PlayerSpec{.type = 14, .number = 2, .volk = "MONGOLEN", .alias = "MONGOLEN"};
    village.name = "Dorf";
    village.abs_first = 210;
    village.abs_second = 60;
    village.buildings = {WarehouseEntry(5, 5, 9)};
    Write(folder, "cities.sav", 0x41, SavegameWithCities({first, second}, {harbour, village}).bytes);
    village.addon = true;
    Write(folder, "cities.cty", 2, CityFileWithCities(first, {harbour, village}, 1).bytes);
    Write(folder, "pirates.scp", 0, IslandFileWithCities(first, {harbour}).bytes);
    // An element list (first byte 1) with a town, a bad line and one outside the island.
    const std::string list =
        "$Volk=9\r\nOfsety,3,5\r\nKontor,3000,5,5,0\r\nHaus,631,7,8,1\r\nHaus,x,1,1\r\n"
        "Baum,1200,900,2\r\n";
    Bytes element_list(list.begin(), list.end());
    Write(folder, "elements.txt", 0x01, element_list);
    return 0;
}
