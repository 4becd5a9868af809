#pragma once
// One of each part of the state, as the window and the command line hold them: the document,
// the view, the tool state, the status, the save options, the definitions and the output
// buffer saves assemble in. Core operations take only the parts they read or write.
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <utility>

#include "core/app/definitions.h"
#include "core/app/status.h"
#include "core/container/output_buffer.h"
#include "core/display/view.h"
#include "core/document/document.h"
#include "core/document/history.h"
#include "core/island/save_options.h"
#include "core/tools/tool_state.h"

namespace insel {

class Journal;

struct Editor {
    Document doc;
    History history;
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

    // One undoable step (see History::Record); step names are the window's texts, in UTF-8.
    template <class Change>
    bool Step(std::string name, Change&& change) {
        return history.Record(doc, std::move(name), std::forward<Change>(change));
    }
    // The history starts afresh from the document as it is: after a new island, or a list
    // selection that decoded another island of the file.
    void StartHistory() { history.Reset(doc); }
    bool Unsaved() const { return !history.IsSaved(); }

    // Keeps the unsaved work in `journal` from now on (null: no longer). The journal is told
    // where each loaded file came from and is written out before a load, a save or a new
    // island.
    void AttachJournal(Journal* journal);
    Journal* journal() const { return journal_; }

    // The document operations of the window and of `inseltool edit`, each one step.
    bool TidyWarehouses();                    // "Aufräumen"
    bool SetClimate(int climate);             // "Klima"
    bool ShiftNow(int kind, int dx, int dy);  // "Verschiebung"
    // A click on a row of the island or city list; starts the history afresh when it
    // decoded another island. Returns what SelectCityRow says for the city list.
    bool SelectIsland(int row);
    std::string SelectCity(int row);
    // A new empty island (the new-island dialog's OK); starts the history afresh.
    void MakeNewIsland(int size, int climate);
    // The save: the ticked shifts as the step "Verschiebung beim Speichern", then the save
    // itself, whose changes to the document (the island's name, cities without warehouses
    // dropped) are the step "Speichern"; the result is the saved state. A failed save undoes
    // both: the document is as it was before the save.
    std::filesystem::path SaveIsland(const std::filesystem::path& path);
    void SaveCity(const std::filesystem::path& path, const std::string& date);

  private:
    // What the journal could not write goes to the log; the work goes on.
    void FlushJournal();
    Journal* journal_ = nullptr;
    template <class Save>
    void SaveWithShifts(Save save_file);
    template <typename Read>
    LoadSummary LoadWith(FileKind kind, Read read);
};

}  // namespace insel
