// Feeds arbitrary bytes to the island loader as each kind of game file, then does what a user
// could do next: pick islands and cities from the lists, tidy the warehouses and write the
// island back as an island file and as an extracted-city file. Inputs whose first byte has its
// top bit set are recovery journals instead: read, replayed, undone and written; inputs whose
// first byte is 1 are element lists, inserted into the island loaded last; those whose first
// byte is 0x40..0x7F are island block files: read, pasted and written back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string_view>

#include "core/app/editor.h"
#include "core/document/journal.h"
#include "core/errors.h"
#include "core/island/cities.h"
#include "core/island/city_writer.h"
#include "core/island/island_list.h"
#include "core/island/loader.h"
#include "core/island/writer.h"
#include "core/tools/block_buffer.h"
#include "core/tools/element_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // One editor for the whole run, as in the window: buffers keep their capacity between loads.
    static insel::Editor editor;
    editor.doc.file_kind = static_cast<insel::FileKind>(data[0] % 4 + 1);
    // The window's logs grow until the user clears them; here they would only fill memory.
    editor.status.memo2.clear();
    editor.status.memo3.clear();
    if (data[0] & 0x80) {
        try {
            const std::span<const std::uint8_t> journal(data + 1, size - 1);
            insel::ReadJournalSummary(journal);
            insel::RecoverJournal(editor, journal);
            editor.history.Undo(editor.doc, 1000);
            insel::AssembleIsland(editor.doc, editor.save, editor.output, editor.status.memo2);
        } catch (const insel::Error&) {
        }
        return 0;
    }
    if (data[0] == 0x01) {
        try {
            const insel::ElementList list =
                insel::ParseElementList(std::span<const std::uint8_t>(data + 1, size - 1));
            for (const bool town : {false, true}) {
                editor.Step("Insert file", [&] {
                    insel::InsertElementList(editor.doc, editor.tools, editor.definitions,
                                             editor.status, list,
                                             {.left = 3, .top = 5, .town = town});
                });
            }
            editor.history.Undo(editor.doc, 2);
        } catch (const insel::Error&) {
        }
        return 0;
    }
    if ((data[0] & 0xC0) == 0x40) {
        try {
            const insel::BlockBuffer block = insel::ParseBlockText(
                std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
            // What is written must read back as the same block.
            if (insel::ParseBlockText(insel::BlockText(block)) != block) std::abort();
            insel::PasteBlock(editor.doc.island, block, data[0] & 0x3F, 1000 + (data[0] & 0x1F), 2,
                              1, {});
        } catch (const insel::Error&) {
        }
        return 0;
    }
    try {
        // An island file's cities are read only when its name names a people.
        insel::LoadIslandFromBytes(editor.doc, editor.definitions, editor.status,
                                   std::span(data + 1, size - 1),
                                   (data[0] & 8) ? "island.scp" : "pirates.scp");
        const int rows = static_cast<int>(editor.doc.island_list.size());
        for (int row = 1; row <= rows && row <= 3; ++row)
            insel::SelectIslandRow(editor.doc, editor.definitions, editor.status, row);
        const int cities = static_cast<int>(editor.doc.cities.cities.size());
        for (int row = 0; row <= cities && row <= 3; ++row)
            insel::SelectCityRow(editor.doc, editor.definitions, editor.status, row);
        insel::TidyWarehouses(editor.doc, editor.status.memo3);
        insel::AssembleIsland(editor.doc, editor.save, editor.output, editor.status.memo2);
        insel::RecalculateKontorId(editor.output, editor.status.memo2);
        editor.save.recount_kontid = (data[0] & 4) != 0;
        const insel::CityFileTarget target{editor.doc, editor.save, editor.output,
                                           editor.status.memo2, editor.status.memo3};
        insel::AssembleCityFile(target, "1.1.2000");
    } catch (const insel::Error&) {
        // Refusing bad input with a message is the expected outcome.
    }
    return 0;
}
