#pragma once
// Creating an empty square island of a chosen size and climate.
#include <string>
#include <string_view>

namespace insel {

struct Document;
struct Status;

inline constexpr int kMaxIslandSize = 1024;

// The own-size edit: a number above 1024 is replaced by "400".
std::string LimitOwnSizeText(std::string_view text);

// The size the OK button settles on: `radio_size` is the ticked radio's size (0 for the own
// size), `own_size_text` the edit's text. The own size is rounded down to a multiple of 8 (a
// negative one becomes 64, one that is not a number gives 64); at most 1024.
int ChooseNewIslandSize(int radio_size, std::string_view own_size_text);

// Sets up the empty island in the document (the island must have been cleared before): all
// water, no cities, empty island and city lists; the status shows its counts.
void NewIsland(Document& doc, Status& status, int size, int climate);

}  // namespace insel
