#include "city_fixture.h"

#include <stdexcept>

namespace insel::fixture {
namespace {

// Short record: 6-byte tag field, 2-byte length, the data.
void ShortRecord(FixtureFile& f, std::string_view tag, std::span<const std::uint8_t> data) {
    if (data.size() > 0xFFFF) throw std::invalid_argument("short record longer than 65535 bytes");
    f.Tag(tag, 6).Word(static_cast<std::uint16_t>(data.size())).Append(data);
}

void TextRecord(FixtureFile& f, std::string_view tag, const std::string& text) {
    FixtureFile data;
    data.Text(text).Byte(0);
    ShortRecord(f, tag, data.bytes());
}

// Filler bytes between 0x20 and 0x3F: never part of an upper-case tag.
Bytes Filler(int length, int seed) {
    Bytes bytes(static_cast<std::size_t>(length));
    for (int i = 0; i < length; ++i)
        bytes[i] = static_cast<std::uint8_t>(0x20 + (seed + 7 * i) % 32);
    return bytes;
}

// The length field of STADT2 and PROD at `at`, once the record is complete. The 4-byte form:
// byte 0 bits 16..23 of count + 2, byte 1 0xFF, then the low word of the count.
std::uint32_t PatchRecordLength(FixtureFile& f, std::size_t at, bool four_bytes) {
    const std::size_t count = f.size() - at - (four_bytes ? 4 : 2);
    if (count > (four_bytes ? 0xFFFFFDu : 0xFFFFu)) throw std::invalid_argument("record too long");
    if (four_bytes) {
        f.PatchWord(at, static_cast<std::uint16_t>(0xFF00 | (((count + 2) >> 16) & 0xFF)));
        f.PatchWord(at + 2, static_cast<std::uint16_t>(count & 0xFFFF));
    } else {
        f.PatchWord(at, static_cast<std::uint16_t>(count));
    }
    return static_cast<std::uint32_t>(count);
}

void AppendPlayer(FixtureFile& f, const PlayerSpec& p) {
    if (p.name.size() > 63) throw std::invalid_argument("player name longer than 63 bytes");
    f.Tag("SPIELER");
    const std::size_t length = f.LengthPlaceholder();
    f.Dword(0).Dword(p.number);
    FixtureFile head;
    head.Dword(p.type).Dword(20000).Text(p.name).Zeros(64 - p.name.size());
    head.Word(1).Word(0).Word(p.word2).Word(p.word3).Zeros(2 * 14);
    ShortRecord(f, "HEAD", head.bytes());
    TextRecord(f, "VOLK", p.volk);
    TextRecord(f, "ALIAS", p.alias);
    ShortRecord(f, "STATIS", Bytes(12, 0));
    TextRecord(f, "PROFIL", "Default");
    if (p.forsch) ShortRecord(f, "FORSCH", *p.forsch);
    ShortRecord(f, "BONUS", Bytes(4, 0));
    ShortRecord(f, "DISCO", Bytes(4, 0));
    f.PatchLength(length);
}

}  // namespace

BuildingSpec PlainEntry(int x, int y, int length) { return {x, y, Filler(length, x + 3 * y)}; }

BuildingSpec WarehouseEntry(int x, int y, std::uint16_t number, int filler_before) {
    FixtureFile data(Filler(filler_before, x + y));
    data.Tag("KONTID", 6).Word(2).Word(number);
    return {x, y, data.Take()};
}

BuildingSpec MarketEntry(int x, int y, std::uint16_t at29, std::uint16_t at31) {
    FixtureFile data(Filler(37, x * y));
    data.PatchWord(29 - 12, at29);
    data.PatchWord(31 - 12, at31);
    return {x, y, data.Take()};
}

Bytes PlayerBlock(const PlayerSpec& player) {
    FixtureFile f;
    AppendPlayer(f, player);
    return f.Take();
}

namespace {

CityPositions AppendCity(FixtureFile& f, const CitySpec& c) {
    CityPositions at;
    if (c.player) AppendPlayer(f, *c.player);
    if (c.name.size() > 32) throw std::invalid_argument("city name longer than 32 bytes");
    at.stadt2 = f.size();
    f.Tag("STADT2", 6);
    const std::size_t stadt2_length = f.size();
    f.Zeros(c.addon ? 4 : 2).Word(c.count).Word(c.abs_first).Word(c.abs_second);
    f.Tag("HEAD2", 6).Word(64).Word(0).Word(0).Text(c.name).Zeros(32 - c.name.size());
    f.Word(c.capacity).Byte(4).Byte(6).Dword(c.inhabitants).Word(0).Word(0).Dword(1).Zeros(12);
    if (c.id3) ShortRecord(f, "ID3", *c.id3);
    FixtureFile ware;
    for (std::uint32_t i = 0; i < 56; ++i) ware.Dword(i).Dword(10 * i);
    ShortRecord(f, "WARE", ware.bytes());
    FixtureFile baumat;
    for (std::uint32_t i = 41; i <= 45; ++i) baumat.Dword(i).Dword(i - 40);
    ShortRecord(f, "BAUMAT", baumat.bytes());
    f.Tag("PROD", 6);
    const std::size_t prod_length = f.size();
    f.Zeros(c.addon ? 4 : 2);
    for (const BuildingSpec& b : c.buildings) {
        at.entries.push_back(f.size());
        f.Tag("ENTRY", 6).Word(static_cast<std::uint16_t>(4 + b.data.size()));
        f.Word(static_cast<std::uint16_t>(b.y)).Word(static_cast<std::uint16_t>(b.x));
        const auto kontid = FindAll(b.data, "KONTID");
        at.kontid_values.push_back(kontid.empty() ? 0 : f.size() + kontid[0] + 8);
        f.Append(b.data);
    }
    PatchRecordLength(f, prod_length, c.addon);
    if (c.addon) {
        ShortRecord(f, "STAT2", Bytes(36, 0));
        ShortRecord(f, "STST2", Bytes(10356, 0));
    } else {
        FixtureFile stat;
        stat.Dword(0).Text("New City").Zeros(8);
        ShortRecord(f, "STAT", stat.bytes());
    }
    at.stadt2_length = PatchRecordLength(f, stadt2_length, c.addon);
    return at;
}

GameFileWithCities WithCities(FixtureFile f, const std::vector<IslandSpec>& islands,
                              const std::vector<CitySpec>& cities) {
    GameFileWithCities file;
    for (const IslandSpec& island : islands) {
        file.islands.push_back(f.size());
        f.Append(IslandBytes(island));
    }
    for (const CitySpec& city : cities) file.cities.push_back(AppendCity(f, city));
    file.bytes = f.Take();
    return file;
}

}  // namespace

GameFileWithCities SavegameWithCities(const std::vector<IslandSpec>& islands,
                                      const std::vector<CitySpec>& cities) {
    GameFileWithCities file = WithCities(FixtureFile(SavegameHead()), islands, cities);
    file.bytes.insert(file.bytes.end(), 64, 0);
    return file;
}

GameFileWithCities IslandFileWithCities(const IslandSpec& island,
                                        const std::vector<CitySpec>& cities, int addon_level) {
    FixtureFile head(IslandFileHead(addon_level, 0));
    head.Append(WaretypeBlock());
    GameFileWithCities file = WithCities(std::move(head), {island}, cities);
    FixtureFile patched(std::move(file.bytes));
    patched.PatchDword(12, static_cast<std::uint32_t>(patched.size() - 16));
    file.bytes = patched.Take();
    return file;
}

GameFileWithCities CityFileWithCities(const IslandSpec& island, const std::vector<CitySpec>& cities,
                                      int addon_level, const std::string& trailer) {
    GameFileWithCities file = WithCities(FixtureFile(CityFileHead(addon_level)), {island}, cities);
    file.bytes.insert(file.bytes.end(), trailer.begin(), trailer.end());
    return file;
}

}  // namespace insel::fixture
