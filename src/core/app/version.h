#pragma once
// The program's version, shown by --version of both programs and by the about box.
namespace insel {
inline constexpr const char* kProgramVersion = "0.6.0";
}
