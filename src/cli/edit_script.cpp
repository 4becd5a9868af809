#include "cli/edit_script.h"

#include <climits>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <iterator>

#include "cli/commands.h"
#include "cli/edit_ops.h"
#include "core/app/editor.h"
#include "core/container/file_io.h"
#include "core/dialogs/new_island.h"
#include "core/errors.h"
#include "core/island/island_list.h"

namespace insel::cli {

const nlohmann::json& ScriptParams::Get(std::string_view key) const {
    const auto found = values_.find(key);
    if (found == values_.end())
        throw std::logic_error("script key not checked: " + std::string(key));
    return found->second;
}

using Type = ScriptKey::Type;

ScriptKey Integer(std::string name, long long min, long long max,
                  std::optional<int> default_value) {
    ScriptKey key{std::move(name), Type::Integer, std::nullopt, min, max, {}};
    if (default_value) key.default_value = *default_value;
    return key;
}

ScriptKey Choice(std::string name, std::vector<std::string> choices,
                 std::optional<std::string> default_value) {
    ScriptKey key{std::move(name), Type::Choice, std::nullopt, 0, 0, std::move(choices)};
    if (default_value) {
        for (std::size_t i = 0; i < key.choices.size(); ++i) {
            if (key.choices[i] == *default_value) key.default_value = static_cast<int>(i);
        }
    }
    return key;
}

ScriptKey Flag(std::string name, std::optional<bool> default_value) {
    ScriptKey key{std::move(name), Type::Flag, std::nullopt, 0, 0, {}};
    if (default_value) key.default_value = *default_value;
    return key;
}

ScriptKey Text(std::string name, std::optional<std::string> default_value) {
    ScriptKey key{std::move(name), Type::Text, std::nullopt, 0, 0, {}};
    if (default_value) key.default_value = *default_value;
    return key;
}

ScriptKey Value(std::string name, bool optional) {
    ScriptKey key{std::move(name), Type::Value, std::nullopt, 0, 0, {}};
    key.optional = optional;
    return key;
}

ScriptKey Optional(ScriptKey key) {
    key.optional = true;
    return key;
}

namespace {

// "the island list has rows 1 to 3", as --island and --city say it.
std::string ListRows(const char* list, std::size_t rows) {
    if (rows == 0) return std::string("the ") + list + " list is empty";
    return std::string("the ") + list + " list has rows 1 to " + std::to_string(rows);
}

std::string Steps(Editor& editor, const ScriptParams& params, bool undo) {
    // Asking for more than there is takes all there is, as repeated menu clicks would.
    if (undo) {
        editor.history.Undo(editor.doc, params["steps"]);
    } else {
        editor.history.Redo(editor.doc, params["steps"]);
    }
    return "";
}

std::vector<ScriptOperation> MakeOperations() {
    std::vector<ScriptOperation> ops;
    ops.push_back({"undo", {Integer("steps", 1, INT_MAX, 1)}, [](Editor& e, const ScriptParams& p) {
                       return Steps(e, p, true);
                   }});
    ops.push_back({"redo", {Integer("steps", 1, INT_MAX, 1)}, [](Editor& e, const ScriptParams& p) {
                       return Steps(e, p, false);
                   }});
    ops.push_back({"island",
                   {Integer("row", 1, INT_MAX)},
                   [](Editor& e, const ScriptParams& p) -> std::string {
                       if (!e.SelectIsland(p["row"])) {
                           throw FileError("row " + std::to_string(p["row"]) + ": " +
                                           ListRows("island", e.doc.island_list.size()));
                       }
                       return "";
                   }});
    ops.push_back({"city", {Integer("row", 0, INT_MAX)}, [](Editor& e, const ScriptParams& p) {
                       // Rows 0 and 1 both name the first city.
                       const std::size_t cities = e.doc.cities.cities.size();
                       if (cities == 0 || p["row"] > static_cast<long long>(cities)) {
                           throw FileError("row " + std::to_string(p["row"]) + ": " +
                                           ListRows("city", cities));
                       }
                       return e.SelectCity(p["row"]);
                   }});
    ops.push_back({"aufraum", {}, [](Editor& e, const ScriptParams&) {
                       e.TidyWarehouses();
                       return std::string();
                   }});
    // The record holds any byte; files carry climates beyond the six the list names.
    ops.push_back({"climate", {Integer("climate", 0, 255)}, [](Editor& e, const ScriptParams& p) {
                       e.SetClimate(p["climate"]);
                       return std::string();
                   }});
    ops.push_back({"shift",
                   {Choice("kind", {"height", "gfx", "plants", "rocks"}),
                    Integer("dx", INT_MIN, INT_MAX), Integer("dy", INT_MIN, INT_MAX)},
                   [](Editor& e, const ScriptParams& p) {
                       e.ShiftNow(p["kind"], p["dx"], p["dy"]);
                       return std::string();
                   }});
    ops.push_back({"new_island",
                   {Integer("size", INT_MIN, INT_MAX), Integer("climate", 0, kClimateCount - 1, 0)},
                   [](Editor& e, const ScriptParams& p) {
                       // The size as the own-size edit would hold it.
                       e.MakeNewIsland(ChooseNewIslandSize(0, std::to_string(p["size"])),
                                       p["climate"]);
                       return std::string();
                   }});
    // The tools' operations, each table in its tool's file.
    AddHeightOperations(ops);
    AddTilesOperations(ops);
    AddTerrainOperations(ops);
    AddMinesOperations(ops);
    AddObjectsOperations(ops);
    return ops;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string KeyList(const std::vector<ScriptKey>& keys) {
    std::string list;
    for (const ScriptKey& key : keys) list += (list.empty() ? "" : ", ") + Quoted(key.name);
    return list;
}

std::string OperationNames() {
    std::string names;
    for (const ScriptOperation& op : ScriptOperations())
        names += (names.empty() ? "" : ", ") + op.name;
    return names;
}

// The value of `key` in `given`, or the fault as the message's end.
nlohmann::json CheckValue(const ScriptKey& key, const nlohmann::json& given, std::string& fault) {
    const std::string name = Quoted(key.name);
    switch (key.type) {
        case Type::Flag:
            if (!given.is_boolean()) fault = name + " must be true or false";
            return given;
        case Type::Text:
            if (!given.is_string()) fault = name + " must be a string";
            return given;
        case Type::Value:
            return given;
        case Type::Integer:
        case Type::Choice:
            break;
    }
    if (key.type == Type::Choice) {
        if (given.is_string()) {
            for (std::size_t i = 0; i < key.choices.size(); ++i) {
                if (given.get<std::string>() == key.choices[i]) return static_cast<int>(i);
            }
        }
        std::string choices;
        for (std::size_t i = 0; i < key.choices.size(); ++i) {
            choices += (i == 0                        ? ""
                        : i + 1 == key.choices.size() ? " or "
                                                      : ", ") +
                       Quoted(key.choices[i]);
        }
        fault = name + " must be " + choices;
        return 0;
    }
    if (!given.is_number_integer()) {
        fault = name + " must be a whole number";
        return 0;
    }
    // Unsigned values beyond the signed range are beyond every range here.
    const bool huge = given.is_number_unsigned() &&
                      given.get<std::uint64_t>() > static_cast<std::uint64_t>(LLONG_MAX);
    const long long value = huge ? LLONG_MAX : given.get<long long>();
    if (huge || value < key.min || value > key.max) {
        if (key.max == INT_MAX && !huge && value < key.min) {
            fault = name + " must be " + std::to_string(key.min) + " or more";
        } else {
            fault = name + " must be " + std::to_string(key.min) + " to " + std::to_string(key.max);
        }
        return 0;
    }
    return static_cast<int>(value);
}

ScriptStep CheckStep(std::size_t number, const nlohmann::json& entry) {
    const std::string where = "script operation " + std::to_string(number);
    if (!entry.is_object()) {
        throw UsageError(where + ": must be an object such as {\"op\": \"undo\"}");
    }
    const auto op_name = entry.find("op");
    if (op_name == entry.end() || !op_name->is_string()) {
        throw UsageError(where + ": \"op\" must name the operation, one of " + OperationNames());
    }
    const std::string name = op_name->get<std::string>();
    const ScriptOperation* operation = nullptr;
    for (const ScriptOperation& op : ScriptOperations()) {
        if (op.name == name) operation = &op;
    }
    const std::string named = where + " (" + Quoted(name) + ")";
    if (operation == nullptr) {
        throw UsageError(named + ": unknown operation; the operations are " + OperationNames());
    }
    for (const auto& [key, value] : entry.items()) {
        if (key == "op") continue;
        bool known = false;
        for (const ScriptKey& k : operation->keys) known = known || k.name == key;
        if (!known) {
            throw UsageError(named + ": unknown key " + Quoted(key) +
                             (operation->keys.empty()
                                  ? "; it takes no keys"
                                  : "; its keys are " + KeyList(operation->keys)));
        }
    }
    ScriptStep step{number, operation, {}};
    for (const ScriptKey& key : operation->keys) {
        const auto given = entry.find(key.name);
        if (given == entry.end()) {
            if (key.default_value) {
                step.params.Set(key.name, *key.default_value);
            } else if (!key.optional) {
                throw UsageError(named + ": " + Quoted(key.name) + " is missing");
            }
            continue;
        }
        std::string fault;
        nlohmann::json value = CheckValue(key, *given, fault);
        if (!fault.empty()) throw UsageError(named + ": " + fault);
        step.params.Set(key.name, std::move(value));
    }
    return step;
}

}  // namespace

const std::vector<ScriptOperation>& ScriptOperations() {
    static const std::vector<ScriptOperation> operations = MakeOperations();
    return operations;
}

std::vector<ScriptStep> CheckScript(const nlohmann::json& script) {
    if (!script.is_array()) throw UsageError("must be a JSON array of operations");
    std::vector<ScriptStep> steps;
    for (std::size_t i = 0; i < script.size(); ++i) steps.push_back(CheckStep(i + 1, script[i]));
    return steps;
}

std::vector<ScriptStep> ReadScript(const std::filesystem::path& file) {
    const bool from_stdin = file == "-";
    const std::string name =
        from_stdin ? "the script on standard input" : "script " + PathToUtf8(file);
    std::string text;
    if (from_stdin) {
        text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    } else {
        std::error_code ec;
        if (std::filesystem::is_directory(file, ec)) throw UsageError(name + ": is a folder");
        std::ifstream in(file, std::ios::binary);
        if (!in) throw UsageError(name + ": cannot be read");
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (in.bad()) throw UsageError(name + ": cannot be read");
    }
    if (text.find_first_not_of(" \t\r\n") == std::string::npos)
        throw UsageError(name + " is empty; a script is a JSON array of operations");
    nlohmann::json script;
    try {
        script = nlohmann::json::parse(text);
    } catch (const nlohmann::json::parse_error& error) {
        // "[json.exception.parse_error.101] parse error at line 2, column 5: ..."
        std::string what = error.what();
        if (const auto end = what.find("] ");
            what.starts_with("[json.") && end != std::string::npos)
            what.erase(0, end + 2);
        throw UsageError(name + " is not JSON: " + what);
    }
    if (!script.is_array()) throw UsageError(name + ": must be a JSON array of operations");
    return CheckScript(script);
}

void ApplyScript(Editor& editor, const std::vector<ScriptStep>& steps,
                 const std::function<void(const std::string&)>& show) {
    for (const ScriptStep& step : steps) {
        try {
            show(step.operation->apply(editor, step.params));
        } catch (const Error& error) {
            throw FileError("script operation " + std::to_string(step.number) + " (" +
                            Quoted(step.operation->name) + "): " + error.what());
        }
    }
}

}  // namespace insel::cli
