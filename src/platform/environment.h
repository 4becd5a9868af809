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

// The editor's own settings (the user's inseleditor/inseleditor.ini): the most the edit
// history may hold, in MB.
int HistoryLimitMegabytes();
void SetHistoryLimitMegabytes(int megabytes);

}  // namespace insel::platform
