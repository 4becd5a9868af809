#include "gui/tools/save_page.h"

#include <QCheckBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <array>

#include "core/errors.h"
#include "core/island/city_writer.h"
#include "core/island/writer.h"
#include "core/reports/export.h"
#include "core/tools/rotation.h"
#include "gui/app/controls.h"
#include "gui/app/main_window.h"
#include "platform/environment.h"

namespace insel::gui {

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

void SpeichernPage::SaveInselButtonClick(int tag) {
    Editor& editor = window_.editor();
    if (editor.updating || !editor.doc.loaded) return;
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
    if (file.isEmpty()) return;
    editor.save.no_animals = no_animals_check_->isChecked();
    editor.save.recount_kontid = recount_check_->isChecked();
    const std::filesystem::path path(file.toStdString());
    QString failure;
    window_.RunLong([&] {
        try {
            if (tag == 0 || tag == 1) ApplySaveShifts(editor.doc.island, editor.save);
            if (tag == 0) {
                SaveIslandFile(editor.doc, editor.save, editor.output, editor.status.memo2, path);
            } else if (tag == 1) {
                CityFileTarget target{editor.doc, editor.save, editor.output, editor.status.memo2,
                                      editor.status.memo3};
                SaveCityFile(target, path, platform::ShortDate());
            } else {
                WriteRawExport(path, editor.doc.island);
            }
        } catch (const Error& e) {
            failure = FromText(e.what());
        }
    });
    // The game's own words first, then what went wrong where.
    if (!failure.isEmpty()) window_.show_message("Fehler beim Schreiben\n" + failure, true);
    // A city file drops cities without warehouses from the model.
    window_.Refresh();
}

void SpeichernPage::DummyButtonClick() {
    Editor& editor = window_.editor();
    if (editor.updating) return;
    const int size = editor.doc.island.record.width;
    const int climate = editor.doc.island.record.climate;
    const QString file = window_.AskSaveFile(
        "Insel (*.scp)", QString::fromStdString(DummyFileName(size, climate)), "scp", false);
    if (file.isEmpty()) return;
    try {
        SaveDummyIsland(editor.output, climate, size, std::filesystem::path(file.toStdString()));
    } catch (const Error& e) {
        window_.show_message("Fehler beim Schreiben\n" + FromText(e.what()), true);
    }
}

}  // namespace insel::gui
