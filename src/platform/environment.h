#pragma once
// What the core needs from the system: folders and the date format.
#include <filesystem>
#include <string>

namespace insel::platform {

// The folder of the running program (needs a QCoreApplication).
std::filesystem::path ExecutableFolder();

// The game's folder: the registry value on Windows; elsewhere the environment variable
// KELMGAME_PATH, else GAMEPATH in the user's Hollowmere/KELMGAME.conf. Empty when absent.
std::string GamePath();

// Today's date in the system's short format.
std::string ShortDate();

}  // namespace insel::platform
