#include "gui/tools/objects_page.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <array>

#include "gui/app/controls.h"
#include "gui/app/main_window.h"
#include "core/island/cities.h"

namespace insel::gui {

GebaeudePage::GebaeudePage(TInselZeichner& window) : window_(window) {
    auto* column = new QVBoxLayout(this);
    column->setSpacing(8);

    auto* city = new QGroupBox;
    city->setObjectName("StadtBox");
    auto* city_grid = new QGridLayout(city);
    auto* count = new QPushButton("EW berechnen");
    count->setObjectName("maxEinwohnerButton");
    connect(count, &QPushButton::clicked, this, [this] { maxEinwohnerButtonClick(); });
    city_grid->addWidget(count, 0, 0);
    wohn_panel_ = StatusPanel("WohnPanel", 70);
    city_grid->addWidget(wohn_panel_, 0, 1);
    aufraum_button_ = new QPushButton(QString::fromUtf8("Aufräumen"));
    aufraum_button_->setObjectName("AufraumButton");
    aufraum_button_->setToolTip("Rot = Kontore wurden erzeugt/entfernt, EZB nicht mehr richtig!");
    connect(aufraum_button_, &QPushButton::clicked, this, [this] { AufraumButtonClick(); });
    city_grid->addWidget(aufraum_button_, 1, 0);
    city_grid->setColumnStretch(2, 1);
    column->addWidget(city);

    auto* kinds = new QGroupBox;
    kinds->setObjectName("KontorTypBox");
    auto* kind_column = new QVBoxLayout(kinds);
    kind_column->addWidget(Caption("Label46", "Hauptkontortyp   (max 1 neue Stadt pro Session)"));
    auto* group = kind_group_ = new QButtonGroup(this);
    struct Kind {
        const char* name;
        const char* caption;
        int tag;
    };
    const std::array<Kind, 4> radios = {{{"NativeRadio", "Eingeborenenkontor", 1},
                                         {"PirateRadio", "Piratenkontor", 2},
                                         {"VeniceRadio", "Venezianerkontor", 3},
                                         {"MonsterRadio", "Monsterbau", 0}}};
    for (const Kind& k : radios) {
        auto* radio = new QRadioButton(k.caption);
        radio->setObjectName(k.name);
        radio->setProperty("tag", k.tag);
        radio->setChecked(k.tag == 1);
        group->addButton(radio, k.tag);
        kind_column->addWidget(radio);
    }
    connect(group, &QButtonGroup::idClicked, this, [this](int tag) { NativeRadioClick(tag); });
    column->addWidget(kinds);

    auto* shown = new QHBoxLayout;
    auto* animals = new QCheckBox("Tiere");
    animals->setObjectName("TiereCheck");
    auto* objects = new QCheckBox("Objekte");
    objects->setObjectName("ObjectsCheck");
    objects->setChecked(true);
    connect(animals, &QCheckBox::toggled, this, [this](bool on) {
        window_.settings().animals = on;
        window_.RepaintCanvas();
    });
    connect(objects, &QCheckBox::toggled, this, [this](bool on) {
        window_.settings().objects = on;
        window_.RepaintCanvas();
    });
    shown->addWidget(animals);
    shown->addWidget(objects);
    shown->addStretch(1);
    column->addLayout(shown);
    column->addStretch(1);
}

void GebaeudePage::maxEinwohnerButtonClick() {
    window_.RunHandler([this] {
        wohn_panel_->setText(
            QString::number(CountInhabitants(window_.editor().doc, window_.editor().status.memo3)));
        return false;
    });
}

void GebaeudePage::AufraumButtonClick() {
    if (!window_.editor().doc.loaded) return;
    aufraum_button_->setStyleSheet("QPushButton#AufraumButton { background: #00FF00; }");
    if (window_.RunLong([this] { window_.editor().TidyWarehouses(); })) window_.Refresh();
}

void GebaeudePage::NativeRadioClick(int tag) {
    Editor& editor = window_.editor();
    if (editor.updating) return;
    // The kind lives in the document, so choosing it is a step like any other change.
    std::string message;
    window_.RunHandler([&] {
        editor.Step("Kontorart", [&] { message = ChooseMainWarehouseKind(editor.doc, tag); });
        return false;
    });
    if (!message.empty()) window_.show_message(FromGameText(message), false);
    ShowWarehouseKind();
}

void GebaeudePage::ShowWarehouseKind() {
    if (QAbstractButton* radio =
            kind_group_->button(window_.editor().doc.cities.main_warehouse_kind))
        radio->setChecked(true);
}

void GebaeudePage::ResetAfterLoad() {
    aufraum_button_->setStyleSheet(QString());
    wohn_panel_->clear();
}

}  // namespace insel::gui
