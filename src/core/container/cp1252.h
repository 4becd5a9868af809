#pragma once
// Game files carry Windows-1252 text; the programs show UTF-8.
#include <string>
#include <string_view>

namespace insel {

std::string Cp1252ToUtf8(std::string_view bytes);
// Characters without a Windows-1252 form become '?'.
std::string Utf8ToCp1252(std::string_view utf8);
bool IsValidUtf8(std::string_view bytes);

}  // namespace insel
