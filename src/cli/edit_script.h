#pragma once
// The operations of `inseltool edit`: a script is a JSON array of {"op": NAME, key: value...}.
// Each operation is one entry of a table (its keys with their types, defaults and ranges, and
// the function that applies it to the editor), so a new tool adds an operation by adding one
// entry. The whole script is checked before anything is applied.
#include <cstddef>
#include <filesystem>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace insel {
struct Editor;
}

namespace insel::cli {

// One key of an operation. Integers are checked against [min, max]; a choice is one of
// `choices` and is passed on as its index; a flag is true or false; a text is a string; a
// value is any JSON the operation checks itself (arrays of cells, a band).
struct ScriptKey {
    enum class Type { Integer, Choice, Flag, Text, Value };
    std::string name;
    Type type = Type::Integer;
    std::optional<nlohmann::json> default_value;  // none: required, unless `optional`
    long long min = 0, max = 0;
    std::vector<std::string> choices;
    bool optional = false;  // may be absent; Has() tells
};

// The checked values of one operation, every key with a default present.
class ScriptParams {
  public:
    int operator[](std::string_view key) const { return static_cast<int>(Get(key)); }
    bool Flag(std::string_view key) const { return Get(key).get<bool>(); }
    std::string Text(std::string_view key) const { return Get(key).get<std::string>(); }
    const nlohmann::json& Value(std::string_view key) const { return Get(key); }
    bool Has(std::string_view key) const { return values_.find(key) != values_.end(); }
    void Set(const std::string& key, nlohmann::json value) { values_[key] = std::move(value); }

  private:
    const nlohmann::json& Get(std::string_view key) const;
    std::map<std::string, nlohmann::json, std::less<>> values_;
};

// Key builders for the operation tables.
ScriptKey Integer(std::string name, long long min, long long max,
                  std::optional<int> default_value = std::nullopt);
ScriptKey Choice(std::string name, std::vector<std::string> choices,
                 std::optional<std::string> default_value = std::nullopt);
ScriptKey Flag(std::string name, std::optional<bool> default_value = std::nullopt);
ScriptKey Text(std::string name, std::optional<std::string> default_value = std::nullopt);
// Any JSON; `optional` keys may be left out.
ScriptKey Value(std::string name, bool optional = false);
// The same key, allowed to be absent.
ScriptKey Optional(ScriptKey key);

struct ScriptOperation {
    std::string name;
    std::vector<ScriptKey> keys;
    // Applies the operation as one step of the editor's history. Returns the text the window
    // would show in a message box ("" for none); a failure is thrown as insel::Error.
    std::function<std::string(Editor&, const ScriptParams&)> apply;
};

// Every operation a script may use, in the order the documentation lists them.
const std::vector<ScriptOperation>& ScriptOperations();

struct ScriptStep {
    std::size_t number;  // its place in the script, from 1
    const ScriptOperation* operation;
    ScriptParams params;
};

// Checks a parsed script; the first fault is thrown as UsageError naming the operation's number
// and the key.
std::vector<ScriptStep> CheckScript(const nlohmann::json& script);

// Reads and checks the script in `file` ("-": standard input); an unreadable file or one that
// is not a JSON array is a UsageError naming it.
std::vector<ScriptStep> ReadScript(const std::filesystem::path& file);

// Applies the steps in order; a message for a box goes to `show`. A failing step is thrown as
// FileError naming it; the steps before it stay applied.
void ApplyScript(Editor& editor, const std::vector<ScriptStep>& steps,
                 const std::function<void(const std::string&)>& show);

}  // namespace insel::cli
