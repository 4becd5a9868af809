#pragma once
// Window texts of the secondary windows from the interface text table.
#include <QString>
#include <string>

#include "app/definitions.h"

namespace insel::gui {

// Definition files are UTF-8 unless they are not valid UTF-8, then Windows-1252.
QString DefinitionText(const std::string& text);

// Line `line` of MainIStrings; `fallback` where the file has no such line or leaves it empty,
// so that a short or unfinished text file never blanks a caption.
QString InterfaceLine(const Definitions& definitions, int line, const QString& fallback);

}  // namespace insel::gui
