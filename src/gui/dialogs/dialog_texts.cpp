#include "dialogs/dialog_texts.h"

#include "container/cp1252.h"

namespace insel::gui {

QString DefinitionText(const std::string& text) {
    return QString::fromStdString(IsValidUtf8(text) ? text : Cp1252ToUtf8(text));
}

QString InterfaceLine(const Definitions& definitions, int line, const QString& fallback) {
    const auto& lines = definitions.main_strings;
    if (line < 0 || line >= static_cast<int>(lines.size())) return fallback;
    const QString text = DefinitionText(lines[static_cast<std::size_t>(line)]);
    return text.trimmed().isEmpty() ? fallback : text;
}

}  // namespace insel::gui
