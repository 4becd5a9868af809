#include "core/app/key_notation.h"

#include <algorithm>
#include <cctype>

namespace insel {
namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

int DigitValue(char c) {
    for (int i = 0; i < 16; ++i) {
        if (kDigits[i] == c) return i;
    }
    return -1;
}

std::string PadLeft(std::string text, std::size_t width) {
    if (text.size() < width) text.insert(0, width - text.size(), '0');
    return text;
}

}  // namespace

std::string ValueToHex(std::int64_t value) {
    if (value < 0) return "00";
    std::string text;
    if (value >= 256) text = ValueToHex(value / 256) + " ";
    const int low = static_cast<int>(value % 256);
    text += kDigits[low / 16];
    text += kDigits[low % 16];
    return text;
}

std::int64_t HexToValue(int bytes, std::string_view text) {
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    upper = PadLeft(upper, 2);
    std::int64_t value = DigitValue(upper[0]) * 16 + DigitValue(upper[1]);
    if (bytes == 2) {
        upper = PadLeft(upper, 4);
        value += (DigitValue(upper[2]) * 16 + DigitValue(upper[3])) * 256;
    }
    return value;
}

}  // namespace insel
