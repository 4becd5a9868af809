#pragma once
// One of each part of the state, as the window and the command line hold them: the document,
// the view, the tool state, the status, the save options, the definitions and the output
// buffer saves assemble in. Core operations take only the parts they read or write.
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

#include "core/app/definitions.h"
#include "core/app/status.h"
#include "core/container/output_buffer.h"
#include "core/display/view.h"
#include "core/document/document.h"
#include "core/island/save_options.h"
#include "core/tools/tool_state.h"

namespace insel {

struct Editor {
    Document doc;
    ViewState view;
    ToolState tools;
    Status status;
    SaveOptions save;
    Definitions definitions;
    OutputBuffer output;

    // The window is setting its controls itself; their handlers do nothing meanwhile.
    bool updating = false;
    // ClearGFXCheck: each load starts the texture series usage afresh.
    bool clear_series_usage_on_load = false;

    // The island map and everything that refers to it back to empty, tools included.
    void ClearIsland();
    // Loads a file of `kind` into a new document, which replaces the open one only when the
    // load succeeds: a failed load throws and leaves every part as it was.
    LoadSummary Load(const std::filesystem::path& path, FileKind kind);
    LoadSummary LoadBytes(std::span<const std::uint8_t> bytes, const std::string& file_name,
                          FileKind kind);

  private:
    template <typename Read>
    LoadSummary LoadWith(FileKind kind, Read read);
};

}  // namespace insel
