#include "core/island/city_writer.h"

#include <algorithm>
#include <cstring>

#include "core/container/file_io.h"
#include "core/container/game_file.h"
#include "core/container/output_buffer.h"
#include "core/document/document.h"
#include "core/island/catchment.h"
#include "core/island/cities.h"
#include "core/island/game_tables.h"
#include "core/island/save_options.h"
#include "core/island/writer.h"

namespace insel {
namespace {

std::string Number(std::int64_t value) { return std::to_string(value); }

// Raw bytes [from, to) of the loaded file into the output.
void CopyFromFile(const CityFileTarget& t, std::int64_t from, std::int64_t to) {
    if (to <= from) return;
    if (from < 0 || to > t.doc.file.length()) {
        throw BoundsError("copying file positions " + Number(from) + " to " + Number(to) +
                          ": beyond the end of the file data");
    }
    t.out.WriteBytes({t.doc.file.bytes.data() + from, static_cast<std::size_t>(to - from)});
}

std::int64_t Word(const CityFileTarget& t, std::int64_t position) {
    return ReadValue(t.doc.file, 2, position);
}

bool Find(const CityFileTarget& t, std::string_view tag, std::int64_t& position) {
    return FindTagForward(t.doc.file, t.doc.data_limit, tag, position);
}

// A short record: the tag in a 6-byte field, a 2-byte length, the content.
void WriteShortRecord(OutputBuffer& out, std::string_view tag, std::string_view text_with_zero) {
    out.WriteTag(tag, 6);
    out.WriteWord(static_cast<std::uint16_t>(text_with_zero.size()));
    out.WriteString(text_with_zero);
}

void WriteZeroRecord(OutputBuffer& out, std::string_view tag, int length) {
    out.WriteTag(tag, 6);
    out.WriteWord(static_cast<std::uint16_t>(length));
    out.WriteFill(0, length);
}

// STADT2 and PROD lengths: 2 bytes in base-game files; in add-on files 4 bytes holding bits
// 16-23 of (count + 2), 0xFF and the low 16 bits of the count.
std::int64_t WriteCityLengthPlaceholder(const CityFileTarget& t) {
    const std::int64_t position = t.out.position();
    t.out.WriteString(t.doc.addon_level > 0 ? "SSSS" : "SS");
    return position;
}

void PatchCityLength(const CityFileTarget& t, std::int64_t position) {
    OutputBuffer& out = t.out;
    if (t.doc.addon_level > 0) {
        const std::int64_t count = out.position() - position - 4;
        const auto high = CheckedNarrow<std::uint8_t>((count + 2) >> 16, "a city record length");
        out.PatchWord(static_cast<std::uint16_t>(high | 0xFF00), position);
        out.PatchWord(static_cast<std::uint16_t>(count & 0xFFFF), position + 2);
    } else {
        out.PatchWordLength(position);
    }
}

void WriteNewPlayerBlock(const CityFileTarget& t, int people) {
    OutputBuffer& out = t.out;
    t.memo3.push_back("Neues Volk " + Number(people));
    const PeopleRow& row = PeopleTable(people);
    t.memo3.push_back("Spieleralias/AliasHdr " + std::string(row.alias));
    out.WriteTag("SPIELER");
    const std::int64_t length = out.position();
    out.WriteString("SSSS");
    out.WriteDword(0);
    out.WriteDword(0);
    out.WriteTag("HEAD", 6);
    out.WriteWord(108);
    out.WriteDword(row.player_type);
    out.WriteDword(20000);
    out.WriteString(row.head_name);
    out.WriteFill(0, 64 - static_cast<std::int64_t>(row.head_name.size()));
    for (int word = 0; word < 18; ++word) {
        out.WriteWord(word == 0 ? 1 : word == 2 ? row.word2 : word == 3 ? row.word3 : 0);
    }
    WriteShortRecord(out, "VOLK", std::string(row.volk) + '\0');
    WriteShortRecord(out, "ALIAS", std::string(row.alias) + '\0');
    WriteZeroRecord(out, "STATIS", 12);
    WriteShortRecord(out, "PROFIL", std::string_view("Default\0", 8));
    WriteZeroRecord(out, "BONUS", 4);
    WriteZeroRecord(out, "DISCO", 4);
    out.PatchLength(length);
}

// The player block in front of the city. A VOLK record's text "SPIELER" is followed by an
// ALIAS record, which tells it from a real player block.
std::int64_t FindPlayerBlock(const CityFileTarget& t, std::int64_t from) {
    std::int64_t position = from;
    while (FindTagBackward(t.doc.file, 10, "SPIELER", position)) {
        std::int64_t alias = position;
        if (!FindTagForward(t.doc.file, position + 20, "ALIAS", alias)) return position;
        position -= 10;
    }
    return -1;
}

void CopyPlayerBlock(const CityFileTarget& t, std::int64_t block) {
    OutputBuffer& out = t.out;
    if (t.doc.file_kind == FileKind::City) {
        CopyFromFile(t, block, block + Word(t, block + 12) + 16);
        return;
    }
    // In a savegame the player's full block is the first one with the same player number.
    const std::int64_t player = Word(t, block + 20);
    std::int64_t found = 0;
    while (Find(t, "SPIELER", found) && Word(t, found + 20) != player) {
        if (!Find(t, "STATIS", found)) break;
    }
    if (found >= t.doc.data_limit) found = block;
    const std::int64_t block_end = found + Word(t, found + 12);
    out.WriteTag("SPIELER");
    const std::int64_t length = out.position();
    out.WriteString("SSSS");
    out.WriteDword(0);
    out.WriteDword(0);
    std::int64_t head = found;
    Find(t, "HEAD", head);
    std::int64_t profile = head;
    Find(t, "PROFIL", profile);
    CopyFromFile(t, head, profile);
    WriteShortRecord(out, "PROFIL", std::string_view("Default\0", 8));
    std::int64_t research = found;
    if (FindTagForward(t.doc.file, block_end, "FORSCH", research)) {
        CopyFromFile(t, research, research + Word(t, research + 6) + 8);
    }
    WriteZeroRecord(out, "BONUS", 4);
    WriteZeroRecord(out, "DISCO", 4);
    out.PatchLength(length);
}

void WritePlayerBlock(const CityFileTarget& t, const CityRecord& city) {
    t.memo3.push_back("Inselmode " + Number(static_cast<int>(t.doc.file_kind)) + ",  Spielervolk " +
                      Number(city.people));
    if (t.doc.file_kind != FileKind::Island && city.people <= 0) {
        const std::int64_t block = FindPlayerBlock(t, city.head_search_start);
        t.memo3.push_back("StadtBegin, Reverse i " + Number(city.head_search_start) + ",  " +
                          Number(block));
        if (block >= 0) {
            CopyPlayerBlock(t, block);
            return;
        }
    }
    t.memo3.push_back("Volk neu schreiben, extract ID3 Radius 15");
    WriteNewPlayerBlock(t, city.people);
}

void WriteProdRecord(const CityFileTarget& t, const CityRecord& city) {
    OutputBuffer& out = t.out;
    out.WriteTag("PROD", 6);
    const std::int64_t length = WriteCityLengthPlaceholder(t);
    if (city.buildings.empty()) t.memo3.push_back("Megakrise");
    for (const BuildingEntry& b : city.buildings) {
        out.WriteTag("ENTRY", 6);
        out.WriteWord(b.record_length);
        out.WriteWord(CheckedNarrow<std::uint16_t>(b.y, "a building's y"));
        out.WriteWord(CheckedNarrow<std::uint16_t>(b.x, "a building's x"));
        const std::int64_t n = b.record_length;
        if (b.record_position > 0) {
            const std::int64_t r = b.record_position;
            if (n == 41) {
                CopyFromFile(t, r + 12, r + 29);
                out.WriteWord(static_cast<std::uint16_t>(std::max(b.market2, 0)));
                out.WriteWord(static_cast<std::uint16_t>(std::max(b.market1, 0)));
                CopyFromFile(t, r + 33, r + 49);
            } else if (n > 4) {
                CopyFromFile(t, r + 12, r + n + 8);
            }
            continue;
        }
        t.memo3.push_back("New Entry position " + Number(b.y) + ", " + Number(b.x) + "  Objekt " +
                          Number(b.graphic_id) + ", " + Number(b.definition));
        const auto data = EntryTemplate(b.definition, b.warehouse, b.market1, b.market2);
        out.WriteBytes(data);
        if (b.definition >= 143 && b.definition <= 149) ++t.doc.cities.warehouse_counter;
    }
    PatchCityLength(t, length);
}

}  // namespace

int CapacityValue(int warehouses, int addon_level) {
    const int value = warehouses < 6 ? 30 + 20 * warehouses : 80 + 10 * warehouses;
    return addon_level > 0 ? value : std::min(value, 190);
}

void WriteCatchmentRecord(const CityFileTarget& t) {
    CityState& state = t.doc.cities;
    t.memo3.push_back("Create new ID3 Kontor");
    state.warehouse_counter = 0;
    // The city's own warehouses only: [x div 8][y div 8].
    std::vector<CatchmentSquare> squares(64 * 64);
    const CityRecord* city = state.Current();
    if (city != nullptr) {
        for (const BuildingEntry& b : city->buildings) {
            if (b.warehouse == 0) continue;
            ++state.warehouse_counter;
            const CatchmentMask mask = CreateCatchmentMask(b.radius, CatchmentFootprint(b.size_x),
                                                           CatchmentFootprint(b.size_y), t.memo3);
            const int x0 = b.x - b.radius;
            const int y0 = b.y - b.radius;
            t.memo3.push_back("Gridstart xy : " + Number(x0 / 8 * 8) + ", " + Number(y0 / 8 * 8) +
                              "  KontorOfset xy " + Number(x0) + ", " + Number(y0));
            for (int i = 0; i < kMaskSide; ++i) {
                for (int j = 0; j < kMaskSide; ++j) {
                    const int a = x0 + i;
                    const int b2 = y0 + j;
                    // The grid of squares covers 512 x 512 cells.
                    if (mask[i][j] != 1 || a < 0 || b2 < 0 || a >= kCatchmentSide ||
                        b2 >= kCatchmentSide)
                        continue;
                    squares[(a / 8) * 64 + b2 / 8].bytes[a % 8] |=
                        static_cast<std::uint8_t>(1u << (b2 % 8));
                }
            }
        }
    }
    t.memo3.push_back("EZB reduzieren");
    OutputBuffer& out = t.out;
    out.WriteTag("ID3", 6);
    const std::int64_t length = out.position();
    out.WriteString("SS");
    // The squares that are not empty, in the record's order: by y, then by x.
    for (int i = 0; i < 64; ++i) {      // y div 8
        for (int j = 0; j < 64; ++j) {  // x div 8
            const CatchmentSquare& square =
                squares[static_cast<std::size_t>(j) * 64 + i];
            std::uint64_t bits;
            std::memcpy(&bits, square.bytes.data(), sizeof bits);
            if (bits == 0) continue;
            out.WriteWord(static_cast<std::uint16_t>(8 * i));
            out.WriteByte(static_cast<std::uint8_t>(4 * j));
            if (bits == ~std::uint64_t{0}) {
                out.WriteByte(0);  // full
            } else {
                out.WriteByte(64);
                out.WriteBytes(square.bytes);
            }
        }
    }
    out.PatchWordLength(length);
}

void WriteCityBlocks(const CityFileTarget& t) {
    CityState& state = t.doc.cities;
    CityRecord& city = *state.Current();
    OutputBuffer& out = t.out;
    WritePlayerBlock(t, city);

    state.warehouse_counter = 0;
    t.memo3.push_back("Stadt " + city.name);
    const int inhabitants = CountInhabitants(t.doc, t.memo3);
    out.WriteString("STADT2");
    const std::int64_t length = WriteCityLengthPlaceholder(t);
    out.WriteWord(CheckedNarrow<std::uint16_t>(state.cities_written, "the city count"));
    out.WriteWord(CheckedNarrow<std::uint16_t>(city.position_word1, "a city position word"));
    out.WriteWord(CheckedNarrow<std::uint16_t>(city.position_word2, "a city position word"));

    int warehouses = 0;
    if (city.has_head > 0) {
        std::int64_t head = city.head_search_start;
        Find(t, "HEAD", head);
        t.memo3.push_back("in memory HEAD position " + Number(head));
        const std::int64_t head_out = out.position();
        std::int64_t cursor = head;
        if (city.has_catchment) {
            t.memo3.push_back("Einwohner alt: " + Number(ReadValue(t.doc.file, 4, head + 48)));
            std::int64_t id3 = head;
            Find(t, "ID3", id3);
            CopyFromFile(t, head, id3);
            WriteCatchmentRecord(t);
            warehouses = state.warehouse_counter;
            cursor = id3;
            Find(t, "WARE", cursor);
        }
        std::int64_t prod = cursor;
        Find(t, "PROD", prod);
        CopyFromFile(t, cursor, prod);
        t.memo3.push_back("PROD position " + Number(prod));
        WriteProdRecord(t, city);
        if (city.has_catchment) {
            out.PatchWord(CheckedNarrow<std::uint16_t>(CapacityValue(warehouses, t.doc.addon_level),
                                                       "the capacity value"),
                          head_out + 44);
            out.PatchDword(static_cast<std::uint32_t>(inhabitants), head_out + 48);
        }
    } else {
        t.memo3.push_back("Stadtstruktur neu definieren");
        out.WriteTag("HEAD2", 6);
        out.WriteWord(64);
        out.WriteWord(0);
        out.WriteWord(0);
        const std::string name = city.name.substr(0, 32);
        out.WriteString(name);
        out.WriteFill(0, 32 - static_cast<std::int64_t>(name.size()));
        const std::int64_t capacity = out.position();
        out.WriteString("KK");
        out.WriteByte(4);
        out.WriteByte(6);
        out.WriteDword(static_cast<std::uint32_t>(inhabitants));
        out.WriteWord(0);
        out.WriteWord(0);
        out.WriteDword(1);
        out.WriteFill(0, 12);
        WriteCatchmentRecord(t);
        warehouses = state.warehouse_counter;
        out.WriteTag("WARE", 6);
        out.WriteWord(448);
        for (int good = 0; good < kGoodsCount; ++good) {
            out.WriteDword(static_cast<std::uint32_t>(good));
            out.WriteDword(0);
        }
        out.WriteTag("BAUMAT", 6);
        out.WriteWord(40);
        for (int good = 41; good <= 45; ++good) {
            out.WriteDword(static_cast<std::uint32_t>(good));
            out.WriteDword(0);
        }
        WriteZeroRecord(out, "VK", 32);
        WriteZeroRecord(out, "EK", 48);
        WriteProdRecord(t, city);
        out.PatchWord(CheckedNarrow<std::uint16_t>(CapacityValue(warehouses, t.doc.addon_level),
                                                   "the capacity value"),
                      capacity);
        out.PatchWord(CheckedNarrow<std::uint16_t>(inhabitants, "the inhabitants of a new city"),
                      capacity + 4);
    }
    if (t.doc.addon_level > 0) {
        WriteZeroRecord(out, "STAT2", 36);
        WriteZeroRecord(out, "STST2", 10356);
    } else {
        out.WriteTag("STAT", 6);
        out.WriteWord(20);
        out.WriteDword(0);
        out.WriteString("New City");
        out.WriteFill(0, 8);
    }
    PatchCityLength(t, length);
    ++state.cities_written;
}

void ExtractIslandBytes(const CityFileTarget& t, std::int64_t start, std::int64_t end,
                        bool append_name) {
    OutputBuffer& out = t.out;
    auto& log = t.memo2;
    out.Reset();
    log.push_back("Header");
    WriteCityFileHead(out, t.doc.addon_level);
    log.push_back("AddonNr  " + Number(t.doc.addon_level));
    log.push_back("Insel Startadr " + Number(start) + "  Endadr " + Number(end));
    std::int64_t occur = start;
    FindTagForward(t.doc.file, end, "OCCUR", occur);
    CopyFromFile(t, start, occur);
    std::int64_t crops = occur;
    FindTagForward(t.doc.file, end, "ANBAU", crops);
    log.push_back("Occur " + Number(occur) + "  bis " + Number(crops));
    out.WriteTag("OCCUR");
    const std::int64_t length = out.position();
    out.WriteString("MMMM");
    // Only the mine records survive; whatever else stood in the block is dropped.
    for (std::int64_t entry = occur;
         FindTagForward(t.doc.file, end, "ENTRY2", entry) && entry < crops; entry += 5) {
        const std::int64_t n = Word(t, entry + 6);
        log.push_back("ENTRY2-L\xE4nge " + Number(n));
        CopyFromFile(t, entry, entry + n + 8);
    }
    out.PatchLength(length);
    log.push_back("Anbau " + Number(crops));
    CopyFromFile(t, crops, end + 1);
    if (append_name) {
        const std::string& name = t.doc.island.record.name;
        out.WriteTag("NAME");
        out.WriteDword(static_cast<std::uint32_t>(name.size()));
        out.WriteString(name);
        out.WriteTag("HIRSCH");
        out.WriteDword(0);
        out.WriteTag("EVENTINSEL");
        out.WriteDword(0);
    }
    out.PatchDword(CheckedNarrow<std::uint32_t>(out.position() - 40, "the island length"), 36);
    out.PatchDword(0, 40);
    out.PatchDword(0, 48);
    log.push_back("Bufwritepos " + Number(out.position()));
}

void FinishCityFile(const CityFileTarget& t, const std::string& date) {
    OutputBuffer& out = t.out;
    if (t.options.recount_kontid) {
        const std::int64_t limit = out.position() - 10;
        std::int64_t city = 0;
        while (FindTagForward(out.data(), limit, "STADT2", city)) {
            std::int64_t prod = city;
            FindTagForward(out.data(), limit, "BAUMAT", prod);
            FindTagForward(out.data(), limit, "PROD", prod);
            std::int64_t stat = prod;
            FindTagForward(out.data(), limit, "STAT", stat);
            std::uint16_t number = 1;
            for (std::int64_t kontid = prod; FindTagForward(out.data(), stat, "KONTID", kontid);
                 kontid += 5) {
                out.PatchWord(number++, kontid + 8);
            }
            city = stat + 1;
        }
    }
    t.memo2.push_back("Generated " + date);
    out.WriteString("Generated " + date);
}

void AssembleCityFile(const CityFileTarget& t, const std::string& date) {
    auto& log = t.memo2;
    CityState& state = t.doc.cities;
    IslandRecord& record = t.doc.island.record;
    log.clear();
    state.cities_written = 0;
    log.push_back("cty-Inselmode " + Number(static_cast<int>(t.doc.file_kind)) + "  i 1");
    const CityRecord* current = state.Current();
    log.push_back(current != nullptr ? current->name : "Keine Stadt");
    log.push_back(t.doc.island.objects.empty() ? "Keine Bauelemente" : "Bauelemente vorhanden");
    const std::int64_t start = record.start;
    log.push_back("Inselanf bei " + Number(start));
    std::int64_t end = start;
    std::int64_t event = start;
    Find(t, "EVENTINSEL", event);
    log.push_back("Eventinsel bei " + Number(event) + "  bis " + Number(t.doc.data_limit));
    bool append_name = false;
    if (event < t.doc.data_limit - 5) {
        end = event + 15;
    } else {
        std::int64_t player = start;
        Find(t, "SPIELER", player);
        end = player - 1;
        log.push_back("Spieler bei " + Number(end) + "  bis " + Number(t.doc.data_limit));
        append_name = true;
    }
    const bool savegame = t.doc.file_kind == FileKind::Savegame;
    const int n = CountCities(t.doc, savegame);
    log.push_back(
        "Anzahl St\xE4"
        "dte " +
        Number(n));
    int with_warehouses = 0;
    for (int i = 1; i <= n; ++i) {
        CurrentCityByIndex(t.doc, i - 1);
        const std::string name = state.Current() != nullptr ? state.Current()->name : "";
        log.push_back("Getcurstadt " + name + "  ist Stadt Nummer: " + Number(i));
        if (CountCityWarehouses(t.doc, t.memo3) > 0) ++with_warehouses;
    }
    if (with_warehouses != record.city_byte) {
        log.push_back(
            "Anzahl St\xE4"
            "dte alt  " +
            Number(n) + "   neu " + Number(with_warehouses));
        record.city_byte =
            CheckedNarrow<std::uint8_t>(with_warehouses, "the island's number of cities");
    }
    if (savegame) {
        ExtractIslandBytes(t, start, end, append_name);
    } else {
        AssembleIsland(t.doc, t.options, t.out, t.memo2, false);
    }
    log.push_back("Inselxy = " + Number(record.world_second) + ", " + Number(record.world_first) +
                  "    Gr\xF6sse " + Number(record.width));
    if (n > 0) {
        for (int i = 1; i <= n; ++i) {
            CurrentCityByIndex(t.doc, i - 1);
            CityRecord* city = state.Current();
            if (city == nullptr) continue;
            log.push_back("Teste:  " + city->name + "  " + Number(city->position_word1) + ", " +
                          Number(city->position_word2) + "  Abs: " + Number(city->abs_second) +
                          ", " + Number(city->abs_first) + "   Stadtnummer " +
                          Number(city->number));
            const int w = record.width;
            const bool on_island = !savegame || (record.world_second < city->abs_second &&
                                                 city->abs_second < record.world_second + w &&
                                                 record.world_first < city->abs_first &&
                                                 city->abs_first < record.world_first + w);
            if (!on_island) continue;
            if (CountCityWarehouses(t.doc, t.memo3) == 0) {
                DeleteCurrentCity(t.doc);
                log.push_back("Keine Stadt mehr, Stadt gel\xF6scht");
                continue;
            }
            log.push_back("ExtractSpieler:  " + city->name + "  " + Number(city->position_word1) +
                          ", " + Number(city->position_word2));
            if (savegame) city->people = 0;
            WriteCityBlocks(t);
        }
    }
    FinishCityFile(t, date);
    RecalculateKontorId(t.out, t.memo2);
}

void SaveCityFile(const CityFileTarget& t, const std::filesystem::path& path,
                  const std::string& date) {
    AssembleCityFile(t, date);
    WriteFileAtomically(path, t.out.data());
}

}  // namespace insel
