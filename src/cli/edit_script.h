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
// `choices` and is passed on as its index.
struct ScriptKey {
    enum class Type { Integer, Choice };
    std::string name;
    Type type = Type::Integer;
    std::optional<int> default_value;  // none: the key is required
    long long min = 0, max = 0;
    std::vector<std::string> choices;
};

// The checked values of one operation, every key present (defaults filled in).
class ScriptParams {
  public:
    int operator[](std::string_view key) const;
    void Set(const std::string& key, int value) { values_[key] = value; }

  private:
    std::map<std::string, int, std::less<>> values_;
};

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
