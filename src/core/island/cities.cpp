#include "core/island/cities.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <unordered_map>

#include "core/app/editor.h"
#include "core/container/cp1252.h"
#include "core/container/game_file.h"
#include "core/island/game_tables.h"
#include "core/island/island_list.h"
#include "core/island/loader.h"

namespace insel {
namespace {

std::int64_t Word(const Editor& editor, std::int64_t position) {
    return ReadValue(editor.file, 2, position);
}

bool Find(const Editor& editor, std::string_view tag, std::int64_t& position) {
    return FindTagForward(editor.file, editor.data_limit, tag, position);
}

// The name of a city's HEAD record: zero bytes from +8 are skipped (at most 50), then the
// bytes up to the next zero byte (at most 80) are the name.
std::string ReadCityName(const Editor& editor, std::int64_t head) {
    std::int64_t at = head + 8;
    for (int skipped = 0; skipped < 50 && ReadValue(editor.file, 1, at) == 0; ++skipped) ++at;
    std::string name;
    for (std::int64_t c; name.size() < kMaxNameLength && (c = ReadValue(editor.file, 1, at)) != 0;
         ++at) {
        name += static_cast<char>(c);
    }
    return name;
}

// The y and x of the first building record after the first PROD at or after `from`.
void ReadPositionWords(const Editor& editor, CityRecord& city, std::int64_t from) {
    std::int64_t entry = from;
    if (Find(editor, "PROD", entry) && Find(editor, "ENTRY", entry)) {
        city.position_word1 = static_cast<std::int32_t>(Word(editor, entry + 8));
        city.position_word2 = static_cast<std::int32_t>(Word(editor, entry + 10));
    }
}

// A city carries an ID3 record when one lies between its HEAD and its PROD block.
bool HasCatchmentRecord(const Editor& editor, std::int64_t head) {
    std::int64_t prod = head;
    Find(editor, "PROD", prod);
    std::int64_t id3 = head;
    return FindTagForward(editor.file, prod, "ID3", id3);
}

// A STADT2 record whose HEAD does not follow right after the 2-byte length form carries the
// 4-byte form.
bool LongStadt2Length(const Editor& editor, std::int64_t s) {
    std::int64_t head = s;
    FindTagForward(editor.file, editor.data_limit, "HEAD", head);
    return head - s - 14 >= 2;
}

std::int32_t Stadt2Length(const Editor& editor, std::int64_t s) {
    if (!LongStadt2Length(editor, s)) return static_cast<std::int32_t>(Word(editor, s + 6));
    return static_cast<std::int32_t>(Word(editor, s + 8) +
                                     65536 * ReadValue(editor.file, 1, s + 6));
}

CityRecord& AppendCity(Editor& editor) {
    CityState& state = editor.cities;
    CityRecord city;
    city.number = state.next_number++;
    city.has_head = 1;
    state.cities.push_back(std::move(city));
    state.current = state.cities.size() - 1;
    return state.cities.back();
}

void AppendNumber(std::string& text, int value) {
    char digits[12];
    text.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return std::toupper(c); });
    return text;
}

}  // namespace

void CityState::Clear() {
    cities.clear();
    current.reset();
    next_number = 1;
    warehouses.clear();
    std::fill(catchment.begin(), catchment.end(), 0);
}

std::array<std::string, 7> CityListRow(const CityRecord& city, std::int32_t stadt2_length,
                                       std::int64_t stadt2_position) {
    return {city.name,
            std::to_string(city.position_word2),
            std::to_string(city.position_word1),
            std::to_string(stadt2_length),
            std::to_string(stadt2_position),
            std::to_string(city.number),
            std::to_string(city.island_number)};
}

int PeopleCodeAt(const Editor& editor, std::int64_t s) {
    std::int64_t head = s;
    if (!FindTagBackward(editor.file, 0, "HEAD", head)) return 0;
    const auto type = Word(editor, head + 8);
    switch (type) {
        case 2:
        case 8:
        case 11:
        case 12:
            return 10;
        case 15:
            return 1;
        case 16:
            return 11;
        case 17:
            return 12;
        case 14: {
            std::int64_t alias = head;
            FindTagForward(editor.file, head + 170, "ALIAS", alias);
            static constexpr std::pair<std::string_view, int> kNatives[] = {
                {"INDIANER", 2}, {"MONGOLEN", 3}, {"SUEDSEE", 4}, {"AFRIKANER", 5},
                {"AZTEKEN", 6},  {"BEDUINEN", 7}, {"ESKIMO", 8},  {"ORIENTALEN", 9}};
            for (const auto& [text, code] : kNatives) {
                std::int64_t at = alias;
                FindTagForward(editor.file, alias + 50, text, at);
                if (at < alias + 50 - 5) return code;
            }
            return 10;
        }
        default:
            return static_cast<int>(type);
    }
}

int PeopleCodeFromName(std::string name) {
    static constexpr std::pair<std::string_view, int> kParts[] = {
        {"PIR", 1}, {"INDI", 2}, {"MONG", 3}, {"SUED", 4},  {"AFR", 5},   {"AZT", 6},
        {"BED", 7}, {"ESK", 8},  {"ORI", 9},  {"USER", 10}, {"GOTT", 11}, {"MONS", 11}};
    name = Upper(std::move(name));
    int code = 0;
    for (const auto& [part, value] : kParts) {
        if (name.find(part) != std::string::npos) code = value;
    }
    return code;
}

CityRecord& CreateCityRecord(Editor& editor, std::int64_t s) {
    const int people = PeopleCodeAt(editor, s);
    CityRecord& city = AppendCity(editor);
    city.head_search_start = s;
    city.people = people;
    std::int64_t head = s;
    const bool has_head = Find(editor, "HEAD", head);
    const std::int32_t length = Stadt2Length(editor, s);
    // The 4-byte length form moves the fields behind it by 2 bytes.
    const int shift = LongStadt2Length(editor, s) ? 2 : 0;
    ReadPositionWords(editor, city, s);
    city.abs_first = static_cast<std::uint16_t>(Word(editor, s + 10 + shift));
    city.abs_second = static_cast<std::uint16_t>(Word(editor, s + 12 + shift));
    city.island_number = IslandNumberAt(editor, city.abs_first, city.abs_second);
    if (has_head) {
        city.name = ReadCityName(editor, head);
        city.has_catchment = HasCatchmentRecord(editor, head);
    }
    editor.city_list.push_back(CityListRow(city, length, s));
    return city;
}

bool DecodeCityBuildings(Editor& editor, std::int64_t from) {
    CityRecord& city = *editor.cities.Current();
    std::int64_t prod = from;
    Find(editor, "PROD", prod);
    if (prod >= editor.data_limit - 10) return false;
    // Market points are kept relative to the island the city stands on.
    const IslandListRow* island = IslandRowAt(editor, city.abs_first, city.abs_second);
    const int first = island != nullptr ? island->world_first : 0;
    const int second = island != nullptr ? island->world_second : 0;
    std::int64_t end = prod;
    Find(editor, "STAT", end);
    editor.memo3.clear();

    const std::size_t known = city.buildings.size();
    std::int64_t at = prod;
    while (FindTagForward(editor.file, end, "ENTRY", at)) {
        BuildingEntry entry;
        entry.city = city.number;
        entry.record_position = at;
        entry.record_length = static_cast<std::uint16_t>(Word(editor, at + 6));
        entry.y = static_cast<std::int32_t>(Word(editor, at + 8));
        entry.x = static_cast<std::int32_t>(Word(editor, at + 10));
        if (entry.record_length == 41) {
            entry.market2 = static_cast<std::int32_t>(Word(editor, at + 29)) - first;
            entry.market1 = static_cast<std::int32_t>(Word(editor, at + 31)) - second;
        }
        std::int64_t kontid = at + 6;
        if (FindTagForward(editor.file, at + 6 + entry.record_length, "KONTID", kontid)) {
            entry.warehouse = static_cast<std::uint16_t>(Word(editor, kontid + 8));
        }
        city.buildings.push_back(entry);
        at += entry.record_length + 4;
    }

    // The first placed object at each cell.
    std::unordered_map<std::int64_t, std::size_t> objects;
    auto& list = editor.island.objects;
    for (std::size_t i = 0; i < list.size(); ++i) {
        objects.try_emplace(
            (static_cast<std::int64_t>(list[i].x) << 32) | static_cast<std::uint32_t>(list[i].y),
            i);
    }
    for (std::size_t b = known; b < city.buildings.size(); ++b) {
        BuildingEntry& entry = city.buildings[b];
        if (list.empty()) editor.memo3.push_back("keine Objekte definiert");
        const auto found = objects.find((static_cast<std::int64_t>(entry.x) << 32) |
                                        static_cast<std::uint32_t>(entry.y));
        if (found == objects.end()) continue;
        ObjectEntry& object = list[found->second];
        object.owner = city.number;
        entry.graphic_id = object.graphic_id;
        entry.definition = object.definition;
        if (object.graphic_id == kMarketplaceGraphic && entry.record_length == 41) {
            object.market_x = entry.market1;
            object.market_y = entry.market2;
        } else {
            object.market_x = object.market_y = kNoMarketPoint;
        }
        if (object.definition == kWarehouseDefinition) {
            entry.size_x = static_cast<std::uint8_t>(object.width);
            entry.size_y = static_cast<std::uint8_t>(object.height);
            entry.radius = static_cast<std::uint16_t>(WarehouseRadius(object.graphic_id));
            if (editor.file_kind != kSavegame) {
                AddWarehouse(editor, {city.number, entry.radius, entry.x, entry.y, entry.size_x,
                                      entry.size_y, entry.warehouse});
                editor.memo3.push_back("Kontor " + std::to_string(entry.warehouse) +
                                       "   in Stadt " + std::to_string(city.number));
            }
        }
    }
    editor.memo2.push_back("Anzahl Entry : " + std::to_string(city.buildings.size() - known));
    return true;
}

std::string DecodeIslandFileCities(Editor& editor, const std::string& file_name) {
    const int code = PeopleCodeFromName(file_name);
    if (code < 1) return {};
    const std::int64_t limit = editor.data_limit - 50;
    std::int64_t p = 0;
    Find(editor, "SPIELER", p);
    std::int64_t r = 0;
    while (p <= limit) {
        std::int64_t s = p;
        if (Find(editor, "STADT2", s) && s < limit) {
            CityRecord& city = AppendCity(editor);
            city.head_search_start = s;
            city.island_number = editor.island.record.number;
            city.people = code;
            const std::int32_t length = Stadt2Length(editor, s);
            ReadPositionWords(editor, city, s);
            city.abs_first = static_cast<std::uint16_t>(Word(editor, s + 10));
            city.abs_second = static_cast<std::uint16_t>(Word(editor, s + 12));
            p = s;
            if (!Find(editor, "HEAD", p)) break;
            city.name = ReadCityName(editor, p);
            city.has_catchment = HasCatchmentRecord(editor, p);
            DecodeCityBuildings(editor, p);
            editor.city_list.push_back(CityListRow(editor.cities.cities.back(), length, s));
            p += 20;
            r = p + 30;
            continue;
        }
        p = r;
        if (!Find(editor, "HEAD", p) || p >= limit) break;
        const std::int64_t head = p;
        CityRecord& city = AppendCity(editor);
        city.name = ReadCityName(editor, head);
        city.has_catchment = HasCatchmentRecord(editor, head);
        city.people = code;
        city.island_number = editor.island.record.number;
        if (!DecodeCityBuildings(editor, head)) return "Cannot decode city structure";
        CityRecord& decoded = editor.cities.cities.back();
        decoded.head_search_start = head;
        const auto length = static_cast<std::int32_t>(Word(editor, head + 12));
        ReadPositionWords(editor, decoded, head);
        decoded.abs_first = static_cast<std::uint16_t>(decoded.position_word1);
        decoded.abs_second = static_cast<std::uint16_t>(decoded.position_word2);
        editor.city_list.push_back(CityListRow(decoded, length, head));
        // Each round must move on, whatever length the record claims.
        r = std::max(head + length - 5, head + 1);
    }
    return {};
}

int CountCities(const Editor& editor, bool only_this_island) {
    const auto& cities = editor.cities.cities;
    if (!only_this_island) return static_cast<int>(cities.size());
    return static_cast<int>(std::count_if(cities.begin(), cities.end(), [&](const CityRecord& c) {
        return c.island_number == editor.island.record.number;
    }));
}

void CurrentCityByIndex(Editor& editor, int i) {
    auto& state = editor.cities;
    state.current.reset();
    int seen = 0;
    for (std::size_t k = 0; k < state.cities.size(); ++k) {
        if (state.cities[k].island_number != editor.island.record.number) continue;
        if (seen++ == i) {
            state.current = k;
            return;
        }
    }
}

int CountCityWarehouses(Editor& editor) {
    const CityRecord* city = editor.cities.Current();
    if (city == nullptr) return 0;
    auto& memo = editor.memo3;
    memo.push_back("GetAnzahlKontore :" + city->name);
    int count = 0;
    for (const BuildingEntry& b : city->buildings) {
        // A save logs every building twice: each line is put together in one string.
        std::string line;
        line.reserve(40);
        line += "ID ";
        AppendNumber(line, b.graphic_id);
        line += "  Objektdef ";
        AppendNumber(line, b.definition);
        line += "  Kontnr ";
        AppendNumber(line, b.warehouse);
        memo.push_back(std::move(line));
        if (b.warehouse != 0) ++count;
    }
    memo.push_back("Anzahl Kontore " + std::to_string(count));
    return count;
}

int CountInhabitants(Editor& editor) {
    const CityRecord* city = editor.cities.Current();
    int houses = 0;
    int inhabitants = 0;
    if (city != nullptr) {
        for (const BuildingEntry& b : city->buildings) {
            const int capacity = HouseCapacity(b.definition);
            if (capacity == 0) continue;
            ++houses;
            inhabitants += capacity;
        }
    }
    editor.memo3.push_back("Anzahl H\xE4user " + std::to_string(houses));
    editor.memo3.push_back("Anzahl Einwohner " + std::to_string(inhabitants));
    return inhabitants;
}

int CountNativeCities(const Editor& editor) {
    const auto& cities = editor.cities.cities;
    return static_cast<int>(std::count_if(cities.begin(), cities.end(), [&](const CityRecord& c) {
        return c.island_number == editor.island.record.number && c.people >= 2 && c.people <= 9;
    }));
}

void DeleteCurrentCity(Editor& editor) {
    const CityRecord* city = editor.cities.Current();
    if (city == nullptr) return;
    auto& objects = editor.island.objects;
    const std::int32_t number = city->number;
    objects.erase(std::remove_if(objects.begin(), objects.end(),
                                 [&](const ObjectEntry& o) { return o.owner == number; }),
                  objects.end());
}

void TidyWarehouses(Editor& editor) {
    if (!editor.island_loaded) return;
    auto& state = editor.cities;
    std::fill(state.catchment.begin(), state.catchment.end(), 0);
    state.warehouses.clear();
    int lowest = 100;
    for (const CityRecord& city : state.cities) {
        for (const BuildingEntry& b : city.buildings) {
            if (b.definition == kWarehouseDefinition) lowest = std::min<int>(lowest, b.warehouse);
        }
    }
    for (CityRecord& city : state.cities) {
        for (BuildingEntry& b : city.buildings) {
            if (b.definition != kWarehouseDefinition) continue;
            b.warehouse = static_cast<std::uint16_t>(b.warehouse - lowest + 1);
            if (b.record_position <= 0) continue;
            // The number lies behind the record's KONTID tag; a record without one keeps its bytes.
            std::int64_t kontid = b.record_position + 6;
            if (FindTagForward(editor.file, b.record_position + 6 + b.record_length, "KONTID",
                               kontid)) {
                PatchWordInGameFile(editor.file, b.warehouse, kontid + 8);
            }
        }
    }
    for (const CityRecord& city : state.cities) {
        for (const BuildingEntry& b : city.buildings) {
            if (b.definition == kWarehouseDefinition) {
                AddWarehouse(editor,
                             {city.number, b.radius, b.x, b.y, b.size_x, b.size_y, b.warehouse});
            }
        }
    }
    AssignObjectsToCities(editor);
}

std::string CitySelectionLine(const CityRecord& city, const IslandRecord& island) {
    return "StadtID " + std::to_string(city.number) + "  StadtInselnr " +
           std::to_string(city.island_number) + "  InselID " + std::to_string(island.number) +
           "  Insel StadtID " + std::to_string(island.city_id);
}

std::string ChooseMainWarehouseKind(Editor& editor, int kind) {
    if (!editor.island_loaded) return "Eine Insel sollte schon da sein";
    editor.cities.main_warehouse_kind = kind;
    return {};
}

std::string SelectCityRow(Editor& editor, int row) {
    auto& state = editor.cities;
    if (row < 0 || state.cities.empty()) return {};
    const std::size_t index = row == 0 ? 0 : static_cast<std::size_t>(row) - 1;
    if (index >= state.cities.size()) return {};
    state.current = index;
    const CityRecord& city = state.cities[index];
    editor.panels["StadtNrPanel"] = std::to_string(city.number);
    IslandRecord& record = editor.island.record;
    record.city_id = city.number;
    if (editor.file_kind != kSavegame) return {};
    if (!FindIslandOfCity(editor, city.abs_first, city.abs_second)) return "Stadt nicht gefunden";
    editor.island.FreeLists();
    editor.updating = true;
    try {
        DecodeIsland(editor, record.start);
    } catch (...) {
        editor.updating = false;
        throw;
    }
    record.city_id = city.number;
    editor.memo3.push_back(CitySelectionLine(city, record));
    editor.updating = false;
    return {};
}

}  // namespace insel
