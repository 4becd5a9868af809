#pragma once
// The small picture the terrain, river and object pages show for the chosen element, from the
// program's GelImages folder.
#include <filesystem>
#include <string>

namespace insel {

enum class PictureKind { Terrain = 2, River = 3, Object = 4 };

// The element's picture: its variant's own file "ID_N.bmp", else "ID.bmp", else the stand-in
// "000.bmp"; empty when none of them exists. River ids share one picture per direction
// (their third digit is taken as 0), and element 1008 shows the picture of 1007.
std::filesystem::path ElementPicturePath(const std::filesystem::path& program_folder,
                                         PictureKind kind, int variant, std::string id_text);

}  // namespace insel
