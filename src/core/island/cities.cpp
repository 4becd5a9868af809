#include "core/island/cities.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <unordered_map>

#include "core/app/definitions.h"
#include "core/app/status.h"
#include "core/container/cp1252.h"
#include "core/container/game_file.h"
#include "core/container/output_buffer.h"
#include "core/document/document.h"
#include "core/island/catchment.h"
#include "core/island/game_tables.h"
#include "core/island/island_list.h"
#include "core/island/loader.h"

namespace insel {
namespace {

std::int64_t Word(const Document& doc, std::int64_t position) {
    return ReadValue(doc.file, 2, position);
}

bool Find(const Document& doc, std::string_view tag, std::int64_t& position) {
    return FindTagForward(doc.file, doc.data_limit, tag, position);
}

// The name of a city's HEAD record: zero bytes from +8 are skipped (at most 50), then the
// bytes up to the next zero byte (at most 80) are the name.
std::string ReadCityName(const Document& doc, std::int64_t head) {
    std::int64_t at = head + 8;
    for (int skipped = 0; skipped < 50 && ReadValue(doc.file, 1, at) == 0; ++skipped) ++at;
    std::string name;
    for (std::int64_t c; name.size() < kMaxNameLength && (c = ReadValue(doc.file, 1, at)) != 0;
         ++at) {
        name += static_cast<char>(c);
    }
    return name;
}

// The y and x of the first building record after the first PROD at or after `from`.
void ReadPositionWords(const Document& doc, CityRecord& city, std::int64_t from) {
    std::int64_t entry = from;
    if (Find(doc, "PROD", entry) && Find(doc, "ENTRY", entry)) {
        city.position_word1 = static_cast<std::int32_t>(Word(doc, entry + 8));
        city.position_word2 = static_cast<std::int32_t>(Word(doc, entry + 10));
    }
}

// A city carries an ID3 record when one lies between its HEAD and its PROD block.
bool HasCatchmentRecord(const Document& doc, std::int64_t head) {
    std::int64_t prod = head;
    Find(doc, "PROD", prod);
    std::int64_t id3 = head;
    return FindTagForward(doc.file, prod, "ID3", id3);
}

// A STADT2 record whose HEAD does not follow right after the 2-byte length form carries the
// 4-byte form.
bool LongStadt2Length(const Document& doc, std::int64_t s) {
    std::int64_t head = s;
    FindTagForward(doc.file, doc.data_limit, "HEAD", head);
    return head - s - 14 >= 2;
}

std::int32_t Stadt2Length(const Document& doc, std::int64_t s) {
    if (!LongStadt2Length(doc, s)) return static_cast<std::int32_t>(Word(doc, s + 6));
    return static_cast<std::int32_t>(Word(doc, s + 8) + 65536 * ReadValue(doc.file, 1, s + 6));
}

CityRecord& AppendCity(Document& doc) {
    CityState& state = doc.cities;
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

int PeopleCodeAt(const Document& doc, std::int64_t s) {
    std::int64_t head = s;
    if (!FindTagBackward(doc.file, 0, "HEAD", head)) return 0;
    const auto type = Word(doc, head + 8);
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
            FindTagForward(doc.file, head + 170, "ALIAS", alias);
            static constexpr std::pair<std::string_view, int> kNatives[] = {
                {"INDIANER", 2}, {"MONGOLEN", 3}, {"SUEDSEE", 4}, {"AFRIKANER", 5},
                {"AZTEKEN", 6},  {"BEDUINEN", 7}, {"ESKIMO", 8},  {"ORIENTALEN", 9}};
            for (const auto& [text, code] : kNatives) {
                std::int64_t at = alias;
                FindTagForward(doc.file, alias + 50, text, at);
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

CityRecord& CreateCityRecord(Document& doc, std::int64_t s) {
    const int people = PeopleCodeAt(doc, s);
    CityRecord& city = AppendCity(doc);
    city.head_search_start = s;
    city.people = people;
    std::int64_t head = s;
    const bool has_head = Find(doc, "HEAD", head);
    const std::int32_t length = Stadt2Length(doc, s);
    // The 4-byte length form moves the fields behind it by 2 bytes.
    const int shift = LongStadt2Length(doc, s) ? 2 : 0;
    ReadPositionWords(doc, city, s);
    city.abs_first = static_cast<std::uint16_t>(Word(doc, s + 10 + shift));
    city.abs_second = static_cast<std::uint16_t>(Word(doc, s + 12 + shift));
    city.island_number = IslandNumberAt(doc, city.abs_first, city.abs_second);
    if (has_head) {
        city.name = ReadCityName(doc, head);
        city.has_catchment = HasCatchmentRecord(doc, head);
    }
    doc.city_list.push_back(CityListRow(city, length, s));
    return city;
}

bool DecodeCityBuildings(Document& doc, Status& status, std::int64_t from) {
    CityRecord& city = *doc.cities.Current();
    std::int64_t prod = from;
    Find(doc, "PROD", prod);
    if (prod >= doc.data_limit - 10) return false;
    // Market points are kept relative to the island the city stands on.
    const IslandListRow* island = IslandRowAt(doc, city.abs_first, city.abs_second);
    const int first = island != nullptr ? island->world_first : 0;
    const int second = island != nullptr ? island->world_second : 0;
    std::int64_t end = prod;
    Find(doc, "STAT", end);
    status.memo3.clear();

    const std::size_t known = city.buildings.size();
    std::int64_t at = prod;
    while (FindTagForward(doc.file, end, "ENTRY", at)) {
        BuildingEntry entry;
        entry.city = city.number;
        entry.record_position = at;
        entry.record_length = static_cast<std::uint16_t>(Word(doc, at + 6));
        entry.y = static_cast<std::int32_t>(Word(doc, at + 8));
        entry.x = static_cast<std::int32_t>(Word(doc, at + 10));
        if (entry.record_length == 41) {
            entry.market2 = static_cast<std::int32_t>(Word(doc, at + 29)) - first;
            entry.market1 = static_cast<std::int32_t>(Word(doc, at + 31)) - second;
        }
        std::int64_t kontid = at + 6;
        if (FindTagForward(doc.file, at + 6 + entry.record_length, "KONTID", kontid)) {
            entry.warehouse = static_cast<std::uint16_t>(Word(doc, kontid + 8));
        }
        city.buildings.push_back(entry);
        at += entry.record_length + 4;
    }

    // The first placed object at each cell.
    std::unordered_map<std::int64_t, std::size_t> objects;
    auto& list = doc.island.objects;
    for (std::size_t i = 0; i < list.size(); ++i) {
        objects.try_emplace(
            (static_cast<std::int64_t>(list[i].x) << 32) | static_cast<std::uint32_t>(list[i].y),
            i);
    }
    for (std::size_t b = known; b < city.buildings.size(); ++b) {
        BuildingEntry& entry = city.buildings[b];
        if (list.empty()) status.memo3.push_back("keine Objekte definiert");
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
            if (doc.file_kind != FileKind::Savegame) {
                AddWarehouse(doc.cities, {city.number, entry.radius, entry.x, entry.y, entry.size_x,
                                          entry.size_y, entry.warehouse});
                status.memo3.push_back("Kontor " + std::to_string(entry.warehouse) +
                                       "   in Stadt " + std::to_string(city.number));
            }
        }
    }
    status.memo2.push_back("Anzahl Entry : " + std::to_string(city.buildings.size() - known));
    return true;
}

std::string DecodeIslandFileCities(Document& doc, Status& status, const std::string& file_name) {
    const int code = PeopleCodeFromName(file_name);
    if (code < 1) return {};
    const std::int64_t limit = doc.data_limit - 50;
    std::int64_t p = 0;
    Find(doc, "SPIELER", p);
    std::int64_t r = 0;
    while (p <= limit) {
        std::int64_t s = p;
        if (Find(doc, "STADT2", s) && s < limit) {
            CityRecord& city = AppendCity(doc);
            city.head_search_start = s;
            city.island_number = doc.island.record.number;
            city.people = code;
            const std::int32_t length = Stadt2Length(doc, s);
            ReadPositionWords(doc, city, s);
            city.abs_first = static_cast<std::uint16_t>(Word(doc, s + 10));
            city.abs_second = static_cast<std::uint16_t>(Word(doc, s + 12));
            p = s;
            if (!Find(doc, "HEAD", p)) break;
            city.name = ReadCityName(doc, p);
            city.has_catchment = HasCatchmentRecord(doc, p);
            DecodeCityBuildings(doc, status, p);
            doc.city_list.push_back(CityListRow(doc.cities.cities.back(), length, s));
            p += 20;
            r = p + 30;
            continue;
        }
        p = r;
        if (!Find(doc, "HEAD", p) || p >= limit) break;
        const std::int64_t head = p;
        CityRecord& city = AppendCity(doc);
        city.name = ReadCityName(doc, head);
        city.has_catchment = HasCatchmentRecord(doc, head);
        city.people = code;
        city.island_number = doc.island.record.number;
        if (!DecodeCityBuildings(doc, status, head)) return "Cannot decode city structure";
        CityRecord& decoded = doc.cities.cities.back();
        decoded.head_search_start = head;
        const auto length = static_cast<std::int32_t>(Word(doc, head + 12));
        ReadPositionWords(doc, decoded, head);
        decoded.abs_first = static_cast<std::uint16_t>(decoded.position_word1);
        decoded.abs_second = static_cast<std::uint16_t>(decoded.position_word2);
        doc.city_list.push_back(CityListRow(decoded, length, head));
        // Each round must move on, whatever length the record claims.
        r = std::max(head + length - 5, head + 1);
    }
    return {};
}

int CountCities(const Document& doc, bool only_this_island) {
    const auto& cities = doc.cities.cities;
    if (!only_this_island) return static_cast<int>(cities.size());
    return static_cast<int>(std::count_if(cities.begin(), cities.end(), [&](const CityRecord& c) {
        return c.island_number == doc.island.record.number;
    }));
}

void CurrentCityByIndex(Document& doc, int i) {
    auto& state = doc.cities;
    state.current.reset();
    int seen = 0;
    for (std::size_t k = 0; k < state.cities.size(); ++k) {
        if (state.cities[k].island_number != doc.island.record.number) continue;
        if (seen++ == i) {
            state.current = k;
            return;
        }
    }
}

int CountCityWarehouses(const Document& doc, LogLines& memo) {
    const CityRecord* city = doc.cities.Current();
    if (city == nullptr) return 0;
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

int CountInhabitants(const Document& doc, LogLines& log) {
    const CityRecord* city = doc.cities.Current();
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
    log.push_back("Anzahl H\xE4user " + std::to_string(houses));
    log.push_back("Anzahl Einwohner " + std::to_string(inhabitants));
    return inhabitants;
}

int CountNativeCities(const Document& doc) {
    const auto& cities = doc.cities.cities;
    return static_cast<int>(std::count_if(cities.begin(), cities.end(), [&](const CityRecord& c) {
        return c.island_number == doc.island.record.number && c.people >= 2 && c.people <= 9;
    }));
}

void DeleteCurrentCity(Document& doc) {
    const CityRecord* city = doc.cities.Current();
    if (city == nullptr) return;
    auto& objects = doc.island.objects;
    const std::int32_t number = city->number;
    objects.erase(std::remove_if(objects.begin(), objects.end(),
                                 [&](const ObjectEntry& o) { return o.owner == number; }),
                  objects.end());
}

void TidyWarehouses(Document& doc, LogLines& log) {
    if (!doc.loaded) return;
    auto& state = doc.cities;
    auto& grid = state.catchment.Edit();
    std::fill(grid.begin(), grid.end(), 0);
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
            if (FindTagForward(doc.file, b.record_position + 6 + b.record_length, "KONTID",
                               kontid)) {
                PatchWordInGameFile(doc.file, b.warehouse, kontid + 8);
            }
        }
    }
    for (const CityRecord& city : state.cities) {
        for (const BuildingEntry& b : city.buildings) {
            if (b.definition == kWarehouseDefinition) {
                AddWarehouse(doc.cities,
                             {city.number, b.radius, b.x, b.y, b.size_x, b.size_y, b.warehouse});
            }
        }
    }
    AssignObjectsToCities(doc, log);
}

std::string CitySelectionLine(const CityRecord& city, const IslandRecord& island) {
    return "StadtID " + std::to_string(city.number) + "  StadtInselnr " +
           std::to_string(city.island_number) + "  InselID " + std::to_string(island.number) +
           "  Insel StadtID " + std::to_string(island.city_id);
}

std::string ChooseMainWarehouseKind(Document& doc, int kind) {
    if (!doc.loaded) return "Eine Insel sollte schon da sein";
    doc.cities.main_warehouse_kind = kind;
    return {};
}

std::string SelectCityRow(Document& doc, const Definitions& definitions, Status& status, int row) {
    auto& state = doc.cities;
    if (row < 0 || state.cities.empty()) return {};
    const std::size_t index = row == 0 ? 0 : static_cast<std::size_t>(row) - 1;
    if (index >= state.cities.size()) return {};
    state.current = index;
    const CityRecord& city = state.cities[index];
    status.city_number = std::to_string(city.number);
    IslandRecord& record = doc.island.record;
    record.city_id = city.number;
    if (doc.file_kind != FileKind::Savegame) return {};
    if (!FindIslandOfCity(doc, city.abs_first, city.abs_second)) return "Stadt nicht gefunden";
    doc.island.FreeLists();
    status.ShowIslandCounts(DecodeIsland(doc, definitions, status.memo2, record.start));
    record.city_id = city.number;
    status.memo3.push_back(CitySelectionLine(city, record));
    return {};
}

}  // namespace insel
