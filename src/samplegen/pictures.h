#pragma once
#include <filesystem>

namespace insel {

// Writes, into `folder`, the base bitmap, the full bitmap and the 3 x 3 field pictures of every
// texture series the sample island and the dummy island use.
void WriteTextureSeries(const std::filesystem::path& folder);

// Writes into `folder` one small numbered picture for every name the element lookups can ask
// for, taken from the definition files in `list_folder`: every object number of TargetList.txt,
// every element number of Gelaende.txt, every graphic id of Buildings.txt, the names the lookup
// derives from them, and "000" (shown when an element has no picture).
void WriteElementPictures(const std::filesystem::path& folder,
                          const std::filesystem::path& list_folder);

}  // namespace insel
