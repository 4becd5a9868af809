#include "core/tools/element_pictures.h"

#include <system_error>
#include <vector>

namespace insel {

std::filesystem::path ElementPicturePath(const std::filesystem::path& program_folder,
                                         PictureKind kind, int variant, std::string id_text) {
    if (kind == PictureKind::River && id_text.size() >= 3) id_text[2] = '0';
    if (id_text == "1008") id_text = "1007";
    std::vector<std::string> names;
    if (!id_text.empty()) {
        // The variant picture is named with the dot before "bmp", as every other picture is.
        names = {id_text + "_" + std::to_string(variant) + ".bmp", id_text + ".bmp"};
    }
    names.push_back("000.bmp");
    std::error_code ec;
    for (const std::string& name : names) {
        const std::filesystem::path path = program_folder / "GelImages" / name;
        if (std::filesystem::is_regular_file(path, ec)) return path;
    }
    return {};
}

}  // namespace insel
