// Writes the files the build bundles with the programs.
#include <cstring>
#include <filesystem>
#include <iostream>

#include "app/editor.h"
#include "container/file_io.h"
#include "errors.h"
#include "island/writer.h"
#include "sample_island.h"

int main(int argc, char** argv) {
    if (argc != 3 || std::strcmp(argv[1], "--island") != 0) {
        std::cerr << "usage: insel_samplegen --island FILE.scp\n";
        return 2;
    }
    try {
        const std::filesystem::path target = argv[2];
        std::filesystem::create_directories(target.parent_path());
        insel::Editor editor;
        insel::BuildSampleIsland(editor);
        insel::AssembleIsland(editor);
        insel::RecalculateKontorId(editor);
        insel::WriteFileAtomically(target, editor.output.data());
    } catch (const insel::Error& error) {
        std::cerr << "error: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
