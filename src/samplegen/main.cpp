// Writes the files the build bundles with the programs.
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string_view>

#include "core/app/editor.h"
#include "core/container/file_io.h"
#include "core/errors.h"
#include "core/island/writer.h"
#include "samplegen/pictures.h"
#include "samplegen/sample_island.h"

namespace {

void WriteSampleIsland(const std::filesystem::path& target) {
    std::filesystem::create_directories(target.parent_path());
    insel::Editor editor;
    insel::BuildSampleIsland(editor);
    insel::AssembleIsland(editor.doc, editor.save, editor.output, editor.status.memo2);
    insel::RecalculateKontorId(editor.output, editor.status.memo2);
    insel::WriteFileAtomically(target, editor.output.data());
}

int Usage() {
    std::cerr << "usage: insel_samplegen --island FILE.scp\n"
                 "       insel_samplegen --textures GFX_FOLDER\n"
                 "       insel_samplegen --element-pictures GEL_FOLDER DEFINITION_FOLDER\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Usage();
    const std::string_view mode = argv[1];
    try {
        if (mode == "--island" && argc == 3) {
            WriteSampleIsland(argv[2]);
        } else if (mode == "--textures" && argc == 3) {
            insel::WriteTextureSeries(argv[2]);
        } else if (mode == "--element-pictures" && argc == 4) {
            insel::WriteElementPictures(argv[2], argv[3]);
        } else {
            return Usage();
        }
    } catch (const insel::Error& error) {
        std::cerr << "error: " << error.what() << "\n";
        return 1;
    } catch (const std::filesystem::filesystem_error& error) {
        std::cerr << "error: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
