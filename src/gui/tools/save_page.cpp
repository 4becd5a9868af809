#include "gui/tools/save_page.h"

#include <QCheckBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <array>

#include "core/errors.h"
#include "core/island/writer.h"
#include "core/reports/export.h"
#include "gui/app/controls.h"
#include "gui/app/main_window.h"
#include "platform/environment.h"

namespace insel::gui {
namespace {

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    if (a.empty() || b.empty()) return false;
    std::error_code error_a, error_b;
    const auto canonical_a = std::filesystem::weakly_canonical(a, error_a);
    const auto canonical_b = std::filesystem::weakly_canonical(b, error_b);
    return !error_a && !error_b && canonical_a == canonical_b;
}

}  // namespace

SpeichernPage::SpeichernPage(TInselZeichner& window) : window_(window) {
    auto* column = new QVBoxLayout(this);
    column->setSpacing(6);
    struct SaveButton {
        const char* name;
        const char* caption;
        int tag;
    };
    const std::array<SaveButton, 3> buttons = {{
        {"SaveInselButton", "Write *.scp island      (No Buildings saved)", 0},
        {"WriteCtyButton", "Write *.cty Island      (With selected city)", 1},
        {"WritexyButton", "Rohinsel (ohne Elemente) als x/y Paare exportieren", 2},
    }};
    for (const SaveButton& b : buttons) {
        auto* button = new QPushButton(b.caption);
        button->setObjectName(b.name);
        button->setProperty("tag", b.tag);
        const int tag = b.tag;
        connect(button, &QPushButton::clicked, this, [this, tag] { SaveInselButtonClick(tag); });
        column->addWidget(button);
    }
    auto* dummy = new QPushButton("Schreibe eine leere Insel im DUMMY-Format");
    dummy->setObjectName("DummyButton");
    connect(dummy, &QPushButton::clicked, this, [this] { DummyButtonClick(); });
    column->addWidget(dummy);
    column->addSpacing(8);

    no_animals_check_ = new QCheckBox("Ohne Tiere speichern / save without animals");
    no_animals_check_->setObjectName("NoAnimalsCheck");
    recount_check_ = new QCheckBox("Recount KONTIDs on cty-islands");
    recount_check_->setObjectName("RecountProdCheck");
    column->addWidget(no_animals_check_);
    column->addWidget(recount_check_);
    column->addStretch(1);
}

bool SpeichernPage::Save(int tag) {
    Editor& editor = window_.editor();
    if (editor.updating || !editor.doc.loaded) return false;
    editor.status.memo2.clear();
    QString filter = "Text file (*.txt)", suffix = "txt", proposed;
    auto rule = TInselZeichner::SuffixRule::AddWhenMissing;
    if (tag == 0) {
        filter = "Insel (*.scp)";
        suffix = "scp";
        proposed = FromGameText(editor.status.island_name);
        // The island is written under ".scp" whatever extension was typed.
        rule = TInselZeichner::SuffixRule::Replace;
    } else if (tag == 1) {
        filter = "Eigene Insel (*.cty)";
        suffix = "cty";
    }
    const QString file = window_.AskSaveFile(filter, proposed, suffix, true, rule);
    if (file.isEmpty()) return false;
    editor.save.no_animals = no_animals_check_->isChecked();
    editor.save.recount_kontid = recount_check_->isChecked();
    std::filesystem::path path(file.toStdString());
    QString failure;
    const bool ran = window_.RunLong([&] {
        try {
            // The island and city saves are steps of the history (a failed one leaves the
            // document as it was); the raw export only reads the island.
            if (tag == 0) {
                path = editor.SaveIsland(path);
            } else if (tag == 1) {
                editor.SaveCity(path, platform::ShortDate());
            } else {
                WriteRawExport(path, editor.doc.island);
            }
        } catch (const Error& e) {
            failure = FromText(e.what());
        }
    });
    // The game's own words first, then what went wrong where.
    if (!failure.isEmpty()) window_.show_message("Fehler beim Schreiben\n" + failure, true);
    const bool written = ran && failure.isEmpty();
    if (written && tag != 2) window_.DocumentSavedAs(path);
    // A city file drops cities without warehouses from the model.
    window_.Refresh();
    return written;
}

void SpeichernPage::DummyButtonClick() {
    Editor& editor = window_.editor();
    if (editor.updating) return;
    const int size = editor.doc.island.record.width;
    const int climate = editor.doc.island.record.climate;
    const QString file = window_.AskSaveFile(
        "Insel (*.scp)", QString::fromStdString(DummyFileName(size, climate)), "scp", false);
    if (file.isEmpty()) return;
    // The dummy replaces the open document's file: its unsaved changes are asked about first.
    const std::filesystem::path path(file.toStdString());
    if (SameFile(path, window_.DocumentPath()) && !window_.MayDropChanges()) return;
    try {
        SaveDummyIsland(editor.output, climate, size, path);
    } catch (const Error& e) {
        window_.show_message("Fehler beim Schreiben\n" + FromText(e.what()), true);
    }
}

}  // namespace insel::gui
