#include "core/tools/element_list.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <string_view>

#include "core/app/definitions.h"
#include "core/container/file_io.h"
#include "core/document/city_state.h"
#include "core/document/document.h"
#include "core/tools/objects.h"
#include "core/tools/tool_state.h"

namespace insel {
namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

std::optional<int> Number(std::string_view text) {
    text = Trim(text);
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    for (;;) {
        const auto comma = line.find(',');
        fields.push_back(line.substr(0, comma));
        if (comma == std::string_view::npos) return fields;
        line.remove_prefix(comma + 1);
    }
}

// The element of one line, or why it is none.
std::optional<ListedElement> ParseElement(std::string_view line, int number, std::string& fault) {
    const auto fields = Fields(line);
    if (fields.size() < 4) {
        fault = "fewer than four fields";
        return std::nullopt;
    }
    const auto id = Number(fields[1]);
    const auto y = Number(fields[2]);
    const auto x = Number(fields[3]);
    if (!id || *id < 1 || *id > 16383) {
        fault = "graphic id \"" + std::string(Trim(fields[1])) + "\" is not a number of 1..16383";
        return std::nullopt;
    }
    if (!y || !x) {
        fault = "position \"" + std::string(Trim(fields[3])) + ", " + std::string(Trim(fields[2])) +
                "\" is not a pair of numbers";
        return std::nullopt;
    }
    int orientation = 0;
    if (fields.size() > 4) {
        const auto o = Number(fields.back());
        if (o && (*o < 0 || *o > 3)) {
            fault = "orientation " + std::to_string(*o) + " is outside 0..3";
            return std::nullopt;
        }
        orientation = o.value_or(0);
    }
    return ListedElement{number, *id, *x, *y, orientation};
}

std::string SkipLine(int line, const std::string& reason) {
    return "Zeile " + std::to_string(line) +
           " \xFC"
           "bersprungen: " +
           reason;
}

bool Inside(const IslandMap& island, int x, int y) {
    return x >= 0 && y >= 0 && x < island.record.width && y < island.record.height;
}

}  // namespace

ElementList ParseElementList(const std::vector<std::string>& lines) {
    ElementList list;
    list.line_count = static_cast<int>(lines.size());
    bool offsets_seen = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = Trim(lines[i]);
        const int number = static_cast<int>(i) + 1;
        if (!offsets_seen && line.find("Ofsety") != std::string_view::npos && line.size() >= 11) {
            const auto fields = Fields(line);
            list.offset_x = fields.size() > 1 ? std::string(Trim(fields[1])) : "";
            list.offset_y = fields.size() > 2 ? std::string(Trim(fields[2])) : "";
            offsets_seen = true;
        }
        if (const auto volk = line.find("Volk="); volk != std::string_view::npos && list.people < 0)
            list.people = Number(Fields(line.substr(volk + 5))[0]).value_or(-1);
        if (line.size() <= 5 || line.find('$') != std::string_view::npos ||
            line.find("i=") != std::string_view::npos ||
            line.find("Volk=") != std::string_view::npos ||
            line.find("Ofsety") != std::string_view::npos)
            continue;
        std::string fault;
        if (auto element = ParseElement(line, number, fault)) {
            list.elements.push_back(*element);
        } else {
            list.faults.push_back(SkipLine(number, fault));
        }
    }
    return list;
}

ElementList ParseElementList(std::span<const std::uint8_t> bytes) {
    std::vector<std::string> lines;
    std::string line;
    for (const std::uint8_t b : bytes) {
        if (b == '\n') {
            lines.push_back(std::move(line));
            line.clear();
        } else {
            line.push_back(static_cast<char>(b));
        }
    }
    if (!line.empty()) lines.push_back(std::move(line));
    return ParseElementList(lines);
}

ElementList ReadElementList(const std::filesystem::path& path) {
    return ParseElementList(ReadTextFile(path).lines);
}

ElementListResult InsertElementList(Document& doc, ToolState& tools, const Definitions& definitions,
                                    Status& status, const ElementList& list,
                                    const ElementListOptions& options,
                                    const std::function<bool(int line)>& after_element) {
    ElementListResult result;
    IslandMap& island = doc.island;
    auto placed = [&](const ListedElement& e) {
        return std::pair(e.x + options.left, e.y + options.top);
    };
    std::optional<std::size_t> town;
    if (options.town) {
        // The town is founded at its first warehouse; without one nothing is inserted.
        const ListedElement* warehouse = nullptr;
        for (const ListedElement& e : list.elements) {
            const auto [x, y] = placed(e);
            if (Inside(island, x, y) &&
                LookupObjectSize(definitions, e.id, e.orientation, 0).definition ==
                    kWarehouseDefinition) {
                warehouse = &e;
                break;
            }
        }
        if (warehouse == nullptr || list.people < 0) {
            result.message = kNoWarehouseInListMessage;
            return result;
        }
        const int people = list.people;
        const int kind = people == 1                  ? 2
                         : people >= 2 && people <= 9 ? 1
                         : people == 11               ? 3
                         : people == 12               ? 0
                                                      : 4;
        const auto [x, y] = placed(*warehouse);
        town = FoundTown(doc, x, y, people, kind, options.town_name);
    }
    for (const std::string& fault : list.faults) status.memo2.push_back(fault);
    result.skipped = static_cast<int>(list.faults.size());
    const std::int32_t owner = town ? doc.cities.cities[*town].number : 0;
    for (const ListedElement& e : list.elements) {
        const auto [x, y] = placed(e);
        if (!Inside(island, x, y)) {
            status.memo2.push_back(SkipLine(
                e.line,
                "(" + std::to_string(x) + ", " + std::to_string(y) + ") lies outside the island"));
            ++result.skipped;
        } else {
            const ObjectEntry& object =
                AddPlacedObject(island, tools, definitions, e.id, e.orientation, x, y, owner);
            if (town) AddCityBuilding(doc, tools, *town, object);
            if (options.clear_plants) {
                // Only the island's own cells: the footprint may reach past its edge.
                const int x_end = std::min<int>(x + object.width, island.record.width);
                const int y_end = std::min<int>(y + object.height, island.record.height);
                for (int cx = x; cx < x_end; ++cx) {
                    for (int cy = y; cy < y_end; ++cy) {
                        if (island.terrain.get(cx, cy) != 0) island.terrain.set(cx, cy, 0);
                    }
                }
            }
            ++result.inserted;
        }
        if (after_element && !after_element(e.line)) {
            result.aborted = true;
            break;
        }
    }
    if (result.skipped > 0)
        status.memo2.push_back(std::to_string(result.skipped) +
                               " Zeilen \xFC"
                               "bersprungen");
    return result;
}

}  // namespace insel
