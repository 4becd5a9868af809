#include "core/app/definitions.h"

#include <charconv>
#include <optional>

#include "core/errors.h"

namespace fs = std::filesystem;

namespace insel {
namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

std::string_view BeforeSemicolon(std::string_view line) { return line.substr(0, line.find(';')); }

[[noreturn]] void Reject(const char* file, std::size_t line_index, const std::string& reason) {
    throw FormatError(std::string(file) + ", line " + std::to_string(line_index + 1) + ": " +
                      reason);
}

TextFile Read(const fs::path& folder, const char* name) { return ReadTextFile(folder / name); }

void LoadBuildings(Definitions& d, const TextFile& file) {
    d.building_list = file.lines;
    for (std::size_t i = 0; i < file.lines.size(); ++i) {
        const std::string& line = file.lines[i];
        d.building_items.emplace_back(BeforeSemicolon(line));
        if (Trim(line).empty()) continue;
        const auto id = ParseListNumber(ListField(line, 0));
        if (!id)
            Reject("Buildings.txt", i,
                   "graphic id \"" + std::string(ListField(line, 0)) + "\" is not a number");
        const auto size = ParseListNumber(ListField(line, 1));
        if (!size || *size < 0 || *size > 99) {
            Reject("Buildings.txt", i,
                   "size \"" + std::string(ListField(line, 1)) + "\" is not a two-digit number");
        }
        const std::string_view definition_text = ListField(line, 2).substr(0, 3);
        const auto definition = ParseListNumber(definition_text);
        if (!definition) {
            Reject("Buildings.txt", i,
                   "definition \"" + std::string(definition_text) + "\" is not a number");
        }
        d.buildings_by_id.try_emplace(
            static_cast<int>(*id),
            BuildingSize{static_cast<int>(*size), static_cast<int>(*definition)});
    }
}

void LoadTerrain(Definitions& d, const TextFile& file) {
    d.terrain_list = file.lines;
    d.terrain_encoding = file.encoding;
    for (std::size_t i = 0; i < d.terrain_list.size(); ++i) {
        std::string& line = d.terrain_list[i];
        const auto number = ParseListNumber(ListField(line, 0));
        if (!number) {
            Reject(
                "Gelaende.txt", i,
                "element number \"" + std::string(ListField(line, 0)) + "\" is not a decimal number");
        }
        if (*number < 0 || *number > 4000) {
            Reject("Gelaende.txt", i,
                   "element number " + std::to_string(*number) + " is outside 0..4000");
        }
        int colour = 0;
        const auto semicolon = line.find(';');
        if (semicolon != std::string::npos) {
            // All digits count: a 24-bit colour can need eight.
            const std::string colour_text = line.substr(semicolon + 1);
            const auto value = ParseListNumber(colour_text);
            if (!value || *value < 0 || *value > 0xFFFFFF) {
                Reject("Gelaende.txt", i,
                       "colour \"" + colour_text + "\" is not a 24-bit decimal colour");
            }
            colour = static_cast<int>(*value);
        }
        const std::string item(BeforeSemicolon(line));
        d.terrain_items.push_back(item);
        d.terrain_numbers.push_back(static_cast<int>(*number));
        d.terrain_colours.push_back(colour);
        if (*number >= 2701 && *number <= 2740) d.river_items.push_back(item);
    }
}

void CheckTargets(const TextFile& file) {
    for (std::size_t i = 0; i < file.lines.size(); ++i) {
        if (Trim(file.lines[i]).empty()) continue;
        for (int f = 0; f < 3; ++f) {
            if (!ParseListNumber(ListField(file.lines[i], f))) {
                Reject("TargetList.txt", i, "expected three comma-separated numbers");
            }
        }
    }
}

}  // namespace

std::optional<long> ParseListNumber(std::string_view text) {
    text = Trim(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    long value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::string_view ListField(std::string_view text, int index) {
    for (int i = 0; i < index; ++i) {
        const auto comma = text.find(',');
        if (comma == std::string_view::npos) return {};
        text.remove_prefix(comma + 1);
    }
    return text.substr(0, text.find(','));
}

bool CheckDefinitionFiles(const fs::path& folder) {
    for (const char* name : kDefinitionFileNames) {
        std::error_code ec;
        if (!fs::is_regular_file(folder / name, ec)) return false;
    }
    return true;
}

std::string MissingDefinitionsMessage(const fs::path& folder) {
    std::string missing;
    int count = 0;
    for (const char* name : kDefinitionFileNames) {
        std::error_code ec;
        if (fs::is_regular_file(folder / name, ec)) continue;
        missing += (count++ == 0 ? "" : ", ") + std::string(name);
    }
    if (count == 0) return {};
    return std::string(kMissingDefinitionsMessage) + ": " + missing +
           (count == 1 ? " is" : " are") + " missing in \"" + PathToUtf8(folder) + "\"";
}

Definitions LoadDefinitionFiles(const fs::path& folder) {
    Definitions d;
    d.mine_names = Read(folder, "MinenListe.txt").lines;
    d.gfx_basis = Read(folder, "GFXBasis.txt").lines;
    d.gfx_items = Read(folder, "GFXItems.txt").lines;
    LoadBuildings(d, Read(folder, "Buildings.txt"));
    d.main_strings = Read(folder, "MainIStrings.txt").lines;
    LoadTerrain(d, Read(folder, "Gelaende.txt"));
    const TextFile targets = Read(folder, "TargetList.txt");
    CheckTargets(targets);
    d.target_list = targets.lines;
    d.loaded = true;
    return d;
}

void SaveTerrainList(const Definitions& definitions, const fs::path& folder) {
    WriteTextFile(folder / "Gelaende.txt", definitions.terrain_list, definitions.terrain_encoding);
}

int PreloadCountSetting(const Definitions& definitions) {
    if (definitions.main_strings.size() < 2) return 0;
    return static_cast<int>(ParseListNumber(definitions.main_strings[1]).value_or(0));
}

ObjectSize LookupObjectSize(const Definitions& definitions, int graphic_id, int orientation,
                            int definition) {
    ObjectSize result{1, 1, definition};
    const auto it = definitions.buildings_by_id.find(graphic_id);
    if (it == definitions.buildings_by_id.end()) return result;
    result.width = it->second.size / 10;
    result.height = it->second.size % 10;
    if (orientation % 2 == 1) std::swap(result.width, result.height);
    if (it->second.definition >= 0) result.definition = it->second.definition;
    return result;
}

std::string BuildingName(const Definitions& definitions, int graphic_id) {
    if (!definitions.loaded) return "Buildings.txt not available";
    for (const std::string& line : definitions.building_list) {
        if (line.size() <= 2) continue;
        const auto id = ParseListNumber(ListField(line, 0));
        if (!id || *id != graphic_id) continue;
        std::string_view name(line);
        name.remove_prefix(name.rfind(',') + 1);
        return std::string(BeforeSemicolon(name));
    }
    return "Not found in list";
}

}  // namespace insel
