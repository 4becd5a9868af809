#include "core/island/game_tables.h"

namespace insel {

const std::array<std::string_view, kGoodsCount> kGoodsKeys = {
    "UNUSED",     "EISENERZ", "GOLD",       "SALZSTEIN", "EDELSTEINE",   "STEINE",  "MAMORSTEIN",
    "UNUSED",     "UNUSED",   "WOLLE",      "ZUCKER",    "TABAK",        "FLEISCH", "KORN",
    "MEHL",       "EISEN",    "FLACHS",     "HOPFEN",    "TIERHAEUTE",   "SEILE",   "SEIDE",
    "FARBSTOFFE", "WALSPECK", "HOLZKOHLE",  "UNUSED",    "UNUSED",       "NAHRUNG", "LEDER",
    "SALZ",       "ALKOHOL",  "TABAKWAREN", "GEWUERZE",  "HEILKRAEUTER", "STOFFE",  "SEIDESTOFFE",
    "LAMPENOEL",  "KLEIDUNG", "SCHMUCK",    "PELZE",     "WEIN",         "UNUSED",  "WERKZEUG",
    "HOLZ",       "ZIEGEL",   "MAMOR",      "UNUSED",    "SCHWERT",      "BOGEN",   "ARMBRUST",
    "MUSKETE",    "RUESTUNG", "LANZE",      "AXT",       "KANONESHIP",   "UNUSED",  "UNUSED"};

const std::array<std::string_view, kGoodsCount> kGoodsNames = {
    "leer",      "Erz",      "Gold",      "Salz",    "Edelstein", "Steine",  "Marmor",
    "leer",      "leer",     "Wolle",     "Zucker",  "Tabak",     "Fleisch", "Korn",
    "Mehl",      "Eisen",    "Flachs",    "Hopfen",  "Fell",      "Seil",    "Seide",
    "Farbstoff", "Walspeck", "Holzkohle", "leer",    "leer",      "Nahrung", "Leder",
    "Salz",      "Alkohol",  "Tabak",     "Gewuerz", "Heilkraut", "Stoff",   "Seide",
    "Lampenoel", "Kleidung", "Schmuck",   "Pelz",    "Wein",      "leer",    "Werkzeug",
    "Hokz",      "Ziegel",   "Marmor",    "leer",    "Schwert",   "Bogen",   "Armbrust",
    "Muskete",   "Ruestung", "Lanze",     "Axt",     "Shipgun",   "leer",    "leer"};

const std::array<std::string_view, 13> kCropKeys = {
    "GETREIDE",  "TABAKBAUM",   "GEWUERZBAUM", "FLACHSBAUM", "ZUCKERROHR",
    "BAUMWOLLE", "WEINTRAUBEN", "KAKAOBAUM",   "HOPFENBAUM", "SEIDENRAUPE",
    "FARBBAUM",  "KR\xC4UTER",  "KARTOFFEL"};

const std::array<std::string_view, 8> kClimateNames = {"Polar",     "Tundra", "Nord",    "Praerie",
                                                       "Dschungel", "Steppe", "Venezia", "User"};
const std::array<std::string_view, 8> kClimateFolders = {
    "islands\\polar\\Po_",   "islands\\tundra\\T_",    "islands\\nord\\N_",
    "islands\\praerie\\Pr_", "islands\\dschungel\\D_", "islands\\steppe\\S_",
    "islands\\venecia\\V_",  "islands\\user\\U_"};

namespace {

// The leaders' names are the editor's own defaults for players it creates.
constexpr PeopleRow kPeople[] = {
    {1, 15, "PIRATEN", "PIRAT", "Kapitaen Sturmbart", 255, 0},
    {2, 14, "INDIANER", "INDIANER", "Grauer Adler", 0, 25},
    {3, 14, "MONGOLEN", "MONGOLEN", "Temur Khan", 0, 25},
    {4, 14, "SUEDSEE", "SUEDSEE", "Moana Kai", 0, 25},
    {5, 14, "AFRIKANER", "AFRIKANER", "Kwame Asante", 0, 25},
    {6, 14, "AZTEKEN", "AZTEKEN", "Itzcoatl", 0, 25},
    {7, 14, "BEDUINEN", "BEDUINEN", "Scheich Rashid", 0, 25},
    {8, 14, "ESKIMO", "ESKIMO", "Aputsiaq", 0, 25},
    {9, 14, "ORIENTALEN", "ORIENTALEN", "Sultan Farhad", 0, 25},
    {10, 8, "SPIELER", "HUMAN01", "Multiplayer", 255, 0},
    {11, 16, "VENECIA", "HAENDLER", "Bartolo Venier", 0, 25},
    {12, 17, "GOTT", "KROKO", "Monster", 255, 0},
};
constexpr PeopleRow kComputerPlayer = {0, 12, "SPIELER", "CG01", "Lord Falkenrath", 255, 0};

void Append(std::vector<std::uint8_t>& out, std::initializer_list<std::uint8_t> bytes) {
    out.insert(out.end(), bytes);
}
void AppendWord(std::vector<std::uint8_t>& out, std::uint16_t value) {
    Append(out, {static_cast<std::uint8_t>(value & 0xFF), static_cast<std::uint8_t>(value >> 8)});
}
void AppendDword(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}
void AppendZeros(std::vector<std::uint8_t>& out, int count) { out.insert(out.end(), count, 0); }
void AppendText(std::vector<std::uint8_t>& out, std::string_view text) {
    out.insert(out.end(), text.begin(), text.end());
}

// Market words are file words; a point the editor does not know is written as 0.
std::uint16_t MarketWord(std::int32_t value) {
    return static_cast<std::uint16_t>(value < 0 ? 0 : value);
}

}  // namespace

const PeopleRow& PeopleTable(int people) {
    for (const PeopleRow& row : kPeople) {
        if (row.people == people) return row;
    }
    return kComputerPlayer;
}

int HouseCapacity(int definition) {
    if (definition >= 180 && definition <= 187) return 8;
    switch (definition) {
        case 200:
            return 30;
        case 220:
            return 15;
        case 230:
            return 42;
        case 240:
            return 28;
        default:
            return 0;
    }
}

std::vector<std::uint8_t> EntryTemplate(int d, std::uint16_t warehouse, std::int32_t market_value1,
                                        std::int32_t market_value2) {
    std::vector<std::uint8_t> t;
    // Houses share a head: a byte 0, two bytes, then the 4-byte value 2.
    auto house = [&](std::uint8_t a, std::uint8_t b, std::initializer_list<std::uint8_t> rest) {
        Append(t, {0x00, a, b});
        AppendDword(t, 2);
        Append(t, rest);
    };
    if (d >= 50 && d <= 59) {
        Append(t, {0x03});
    } else if (d == 141 || d == 142) {
        Append(t, {0x00});
        AppendDword(t, 1);
        AppendZeros(t, 5);
    } else if (d >= 143 && d <= 149) {
        AppendText(t, "KONTID");
        AppendWord(t, 2);
        AppendWord(t, warehouse);
    } else if (d == 180) {
        house(0x08, 0x06, {0x00, 0x78, 0x88, 0x75, 0x63, 0x00, 0x00});
    } else if (d == 185) {
        house(0x08, 0x06, {0x00, 0x78, 0x7C, 0x00, 0x00, 0x00, 0x7D});
    } else if (d == 186) {
        house(0x08, 0x06, {0x00, 0x78, 0x00, 0x00, 0x00, 0x00, 0x00});
    } else if (d == 187) {
        house(0x08, 0x06, {0x00, 0x78, 0x88, 0x00, 0x00, 0x00, 0x00});
    } else if (d == 188 || d == 189) {
        Append(t, {0x00});
        AppendDword(t, 3);
        AppendZeros(t, 9);
    } else if (d == 200) {
        house(0x1E, 0x08, {0x00, 0x78, 0x88, 0x75, 0x63, 0x76, 0x74, 0x76, 0x7A});
    } else if (d >= 202 && d <= 209) {
        AppendText(t, "SLICE");
        Append(t, {0x00});
        AppendWord(t, 8);
        AppendZeros(t, 8);
    } else if (d >= 220 && d <= 229) {
        house(0x0F, 0x0A, {0x00, 0x78, 0x00, 0x88, 0x00, 0x00, 0x00, 0x75, 0x83, 0x76, 0x80});
    } else if (d >= 230 && d <= 239) {
        house(0x2A, 0x0B, {0x68, 0x7C, 0x6C, 0x75, 0x73, 0x80, 0x76, 0x80, 0x73, 0x80, 0x73});
    } else if (d >= 240 && d <= 249) {
        house(0x1C, 0x0C, {0x78, 0x7C, 0x6C, 0x75, 0x73, 0x00, 0x00, 0x76, 0x80, 0x73, 0x00, 0x00});
    } else if (d >= 250 && d <= 259) {
        AppendWord(t, 1);
        AppendWord(t, 1);
        AppendZeros(t, 17);
    } else if (d >= 410 && d <= 419) {
        AppendWord(t, 1);
        AppendWord(t, 1);
        AppendZeros(t, 9);
        AppendDword(t, 1511);
        AppendWord(t, MarketWord(market_value2));
        AppendWord(t, MarketWord(market_value1));
        AppendText(t, "WAREN");
        Append(t, {0x00});
        AppendWord(t, 8);
        AppendZeros(t, 8);
    }
    return t;
}

}  // namespace insel
