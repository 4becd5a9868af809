#include "island_fixture.h"

#include <algorithm>
#include <bit>
#include <stdexcept>

namespace insel::fixture {

std::uint32_t CellFloatBits(int cell) {
    return std::bit_cast<std::uint32_t>(static_cast<float>(cell) + 0.5f);
}

namespace {

constexpr int kBlock = 32;

// The 56 goods keys of WARETYPE and the 13 crop keys (Windows-1252) of ANBAU.
std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find(' ', at), text.size());
        words.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return words;
}
// Function statics: fixtures may be built during static initialisation.
const std::vector<std::string>& Goods() {
    static const std::vector<std::string> goods = Words(
        "UNUSED EISENERZ GOLD SALZSTEIN EDELSTEINE STEINE MAMORSTEIN UNUSED UNUSED WOLLE ZUCKER "
        "TABAK "
        "FLEISCH KORN MEHL EISEN FLACHS HOPFEN TIERHAEUTE SEILE SEIDE FARBSTOFFE WALSPECK "
        "HOLZKOHLE "
        "UNUSED UNUSED NAHRUNG LEDER SALZ ALKOHOL TABAKWAREN GEWUERZE HEILKRAEUTER STOFFE "
        "SEIDESTOFFE "
        "LAMPENOEL KLEIDUNG SCHMUCK PELZE WEIN UNUSED WERKZEUG HOLZ ZIEGEL MAMOR UNUSED SCHWERT "
        "BOGEN "
        "ARMBRUST MUSKETE RUESTUNG LANZE AXT KANONESHIP UNUSED UNUSED");
    return goods;
}
const std::vector<std::string>& Crops() {
    static const std::vector<std::string> crops = Words(
        "GETREIDE TABAKBAUM GEWUERZBAUM FLACHSBAUM ZUCKERROHR BAUMWOLLE WEINTRAUBEN KAKAOBAUM "
        "HOPFENBAUM SEIDENRAUPE FARBBAUM KR\xC4UTER KARTOFFEL");
    return crops;
}

struct CellBlock {
    int x0, y0, nx, ny;
};

// One block per 32 x 32 cell block, x major: origin, extent, then what `write_cells` adds.
template <class CellWriter>
void PerBlock(FixtureFile& f, const IslandSpec& s, std::string_view tag, CellWriter write_cells) {
    for (int x0 = 0; x0 < s.width; x0 += kBlock) {
        for (int y0 = 0; y0 < s.height; y0 += kBlock) {
            const CellBlock b{x0, y0, std::min(kBlock, s.width - x0),
                              std::min(kBlock, s.height - y0)};
            f.Tag(tag);
            const std::size_t length = f.LengthPlaceholder();
            f.Word(static_cast<std::uint16_t>(y0)).Word(static_cast<std::uint16_t>(x0));
            f.Byte(static_cast<std::uint8_t>(b.ny)).Byte(static_cast<std::uint8_t>(b.nx));
            write_cells(b);
            f.PatchLength(length);
        }
    }
}

// Element entries of the cells in the block that hold one: element, parameter, y and x offset.
void ElementEntries(FixtureFile& f, const CellBlock& b,
                    const std::function<Element(int, int)>& at) {
    for (int x = b.x0; x < b.x0 + b.nx; ++x) {
        for (int y = b.y0; y < b.y0 + b.ny; ++y) {
            const Element e = at(x, y);
            if (e.element == 0) continue;
            f.Word(e.element).Word(e.parameter);
            f.Byte(static_cast<std::uint8_t>(y - b.y0)).Byte(static_cast<std::uint8_t>(x - b.x0));
        }
    }
}

void MineEntry(FixtureFile& f, const MineSpec& m) {
    if (m.data_length != 16 && m.data_length != 24 && m.data_length != 42)
        throw std::invalid_argument("mine data length must be 16, 24 or 42");
    f.Text("ENTRY2").Word(static_cast<std::uint16_t>(m.data_length));
    f.Dword(m.building_id)
        .Dword(CellFloatBits(m.y))
        .Dword(CellFloatBits(m.x))
        .Dword(m.symbol_value);
    if (m.data_length == 24) {
        f.Dword(m.treasure).Dword(m.visible);
    } else if (m.data_length == 42) {
        f.Text("WHALE").Byte(0).Word(18);
        for (int i = 0; i < 3; ++i) f.Dword(0).Word(0x00FF);
    }
}

// INFO up to the PROD2 blocks: the part the island file and the dummy share.
void IslandBody(FixtureFile& f, IslandSpec s, bool with_rivers) {
    if (!s.heights) s.heights = [](int, int) { return std::uint8_t{0}; };
    if (!s.gfx) s.gfx = [](int, int) { return std::uint16_t{0}; };
    if (!s.fertility) s.fertility = [](int, int) { return std::uint8_t{10}; };
    if (!s.terrain) s.terrain = [](int, int) { return Element{}; };
    if (!s.rivers) s.rivers = [](int, int) { return Element{}; };
    f.Tag("INFO").Dword(12);
    f.Byte(s.climate).Byte(s.city_byte).Byte(s.people_byte).Word(0).Byte(s.info_a);
    f.Word(s.block_figure.value_or(static_cast<std::uint16_t>((s.height / 8) * (s.height / 8))));
    f.Dword(s.info_b);
    PerBlock(f, s, "HEIGHT", [&](const CellBlock& b) {
        for (int x = b.x0; x < b.x0 + b.nx; ++x)
            for (int y = b.y0; y < b.y0 + b.ny; ++y) f.Byte(s.heights(x, y));
    });
    PerBlock(f, s, "GFXID", [&](const CellBlock& b) {
        for (int x = b.x0; x < b.x0 + b.nx; ++x)
            for (int y = b.y0; y < b.y0 + b.ny; ++y) f.Word(s.gfx(x, y));
    });
    PerBlock(f, s, "GELAENDE", [&](const CellBlock& b) { ElementEntries(f, b, s.terrain); });
    f.Tag("FRUCHTBAR").Dword(static_cast<std::uint32_t>(s.width * s.height));
    for (int i = 0; i < s.width * s.height; ++i) f.Byte(s.fertility(i / s.height, i % s.height));
    // One FLUESSE block per 8 x 8 square (also the narrow rest of a side) that holds a river.
    for (int x0 = 0; with_rivers && x0 < s.width; x0 += 8) {
        for (int y0 = 0; y0 < s.height; y0 += 8) {
            FixtureFile entries;
            ElementEntries(entries, {x0, y0, std::min(8, s.width - x0), std::min(8, s.height - y0)},
                           s.rivers);
            if (entries.size() == 0) continue;
            f.Tag("FLUESSE").Dword(static_cast<std::uint32_t>(6 + entries.size()));
            f.Word(static_cast<std::uint16_t>(y0))
                .Word(static_cast<std::uint16_t>(x0))
                .Byte(8)
                .Byte(8);
            f.Append(entries.bytes());
        }
    }
    f.Tag("BERGWERK2").Dword(static_cast<std::uint32_t>(12 * s.quarry_spots.size()));
    for (const QuarrySpec& q : s.quarry_spots) {
        f.Text("ENTRY").Byte(0).Word(4);
        f.Byte(static_cast<std::uint8_t>(q.y & 0xFF));
        f.Byte(static_cast<std::uint8_t>((q.x % 16) * 16 + q.y / 256));
        f.Byte(static_cast<std::uint8_t>(q.x / 16));
        f.Byte(q.orientation);
    }
    f.Tag("OCCUR");
    const std::size_t occur_length = f.LengthPlaceholder();
    for (const MineSpec& m : s.mines) MineEntry(f, m);
    f.PatchLength(occur_length);
    f.Tag("ANBAU");
    const std::size_t anbau_length = f.LengthPlaceholder();
    for (const std::string& key : Crops()) f.Text(key).Byte(0);
    f.PatchLength(anbau_length);
    if (s.with_discover) f.Tag("DISCOVER").Dword(4).Dword(1);
    if (s.kontorid) f.Tag("KONTORID").Dword(s.kontorid->first).Word(s.kontorid->second);
    PerBlock(f, s, "PROD2", [&](const CellBlock& b) {
        for (const ObjectSpec& o : s.objects) {
            if (o.x < b.x0 || o.x >= b.x0 + b.nx || o.y < b.y0 || o.y >= b.y0 + b.ny) continue;
            f.Word(o.id_word).Word(o.parameter);
            f.Byte(static_cast<std::uint8_t>(o.y - b.y0))
                .Byte(static_cast<std::uint8_t>(o.x - b.x0));
        }
    });
}

}  // namespace

Bytes IslandBytes(const IslandSpec& s) {
    if (s.width <= 0 || s.height <= 0 || s.width > 1024 || s.height > 1024)
        throw std::invalid_argument("island side outside 1..1024");
    FixtureFile f;
    f.Tag(s.insel4 ? "INSEL4" : "INSEL5");
    const std::size_t island_length = s.insel4 ? 0 : f.LengthPlaceholder();
    f.Word(s.world_first).Word(s.world_second);
    f.Word(static_cast<std::uint16_t>(s.width)).Word(static_cast<std::uint16_t>(s.height));
    f.Dword(s.number);
    IslandBody(f, s, true);
    if (s.name) f.Tag("NAME").Dword(static_cast<std::uint32_t>(s.name->size())).Text(*s.name);
    f.Tag("HIRSCH").Dword(static_cast<std::uint32_t>(8 * s.animals.size()));
    for (const auto& a : s.animals) f.Word(a[0]).Word(a[1]).Word(a[2]).Word(a[3]);
    f.Tag("EVENTINSEL").Dword(0);
    if (!s.insel4) f.PatchLength(island_length);
    return f.Take();
}

Bytes IslandFileHead(int addon_level, std::uint32_t rest_length) {
    FixtureFile f;
    f.Tag(addon_level == 0 ? std::string("KELM") : "KELMADDON" + std::to_string(addon_level));
    f.Dword(rest_length);
    return f.Take();
}

Bytes WaretypeBlock(const char* tag) {
    FixtureFile f;
    f.Tag(tag);
    const std::size_t length = f.LengthPlaceholder();
    for (std::size_t i = 0; i < Goods().size(); ++i)
        f.Word(static_cast<std::uint16_t>(i)).Text(Goods()[i]).Byte(0);
    f.PatchLength(length);
    return f.Take();
}

Bytes IslandFileBytes(const IslandSpec& island, int addon_level) {
    const Bytes ware = WaretypeBlock();
    const Bytes body = IslandBytes(island);
    FixtureFile f(
        IslandFileHead(addon_level, static_cast<std::uint32_t>(ware.size() + body.size())));
    f.Append(ware).Append(body);
    return f.Take();
}

Bytes CityFileHead(int addon_level) {
    FixtureFile f;
    f.Text("CTYFORMAT-ADDONLEVEL").Dword(static_cast<std::uint32_t>('0' + addon_level));
    return f.Take();
}

Bytes SavegameHead() {
    FixtureFile f;
    f.Tag("SAVEGAME").Dword(16).Dword(1).Dword(0).Dword(0).Dword(0);
    return f.Take();
}

Bytes SavegameBytes(const std::vector<IslandSpec>& islands, std::optional<Bytes> trailer) {
    FixtureFile f(SavegameHead());
    for (const IslandSpec& island : islands) f.Append(IslandBytes(island));
    f.Append(trailer.value_or(Bytes(64, 0)));
    return f.Take();
}

Bytes DummyIslandBytes(int size, std::uint8_t climate) {
    IslandSpec s;
    s.width = s.height = size;
    s.climate = climate;
    s.heights = [](int, int) { return std::uint8_t{96}; };
    s.gfx = [](int x, int y) {
        return static_cast<std::uint16_t>(0x0B00 + 4 * (x % 6) + 32 * (y % 6));
    };
    FixtureFile f;
    f.Tag("KELM");
    const std::size_t file_length = f.LengthPlaceholder();
    f.Tag("INSEL4")
        .Word(0)
        .Word(0)
        .Word(static_cast<std::uint16_t>(size))
        .Word(static_cast<std::uint16_t>(size));
    f.Dword(0);
    IslandBody(f, s, false);
    const Bytes waretyp = WaretypeBlock("WARETYP");
    f.Tag("STAEDTE").Dword(static_cast<std::uint32_t>(waretyp.size())).Append(waretyp);
    f.Tag("LOCKED").Dword(0).Byte(0);
    f.PatchLength(file_length);
    return f.Take();
}

}  // namespace insel::fixture
