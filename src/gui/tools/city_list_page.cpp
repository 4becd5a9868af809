#include "gui/tools/city_list_page.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <array>

#include "gui/app/controls.h"
#include "gui/app/main_window.h"
#include "core/reports/object_list.h"
#include "core/reports/statistics.h"

namespace insel::gui {
namespace {

// Heading lines of the two grids; 0 stands for a fixed text.
constexpr std::array<int, 7> kCityHeadings = {246, 247, 248, 249, 250, 251, 252};
constexpr std::array<int, 7> kBuildingHeadings = {253, 251, 254, 255, 0, 0, 256};
constexpr std::array<const char*, 7> kBuildingFixed = {"Name", "ID", "x", "y", "dx", "dy", "Stadt"};

}  // namespace

StadtlistePage::StadtlistePage(TInselZeichner& window) : window_(window) {
    auto* column = new QVBoxLayout(this);
    column->setSpacing(6);
    auto* head = new QHBoxLayout;
    head->addWidget(Caption("Label3", QString::fromUtf8("Städte der Datei")));
    head->addStretch(1);
    head->addWidget(Caption(nullptr, "Stadt Nr."));
    city_number_panel_ = StatusPanel("StadtNrPanel", 40);
    head->addWidget(city_number_panel_);
    column->addLayout(head);

    city_grid_ = BuildGrid("StadtListenGrid", static_cast<int>(kCityHeadings.size()));
    connect(city_grid_, &QTableWidget::cellClicked, this,
            [this](int row, int) { window_.SelectCityListRow(row + 1); });
    column->addWidget(city_grid_, 2);

    auto* catchment = new QHBoxLayout;
    ezb_check_ = new QCheckBox("Zeige Einzugsbereich ");
    ezb_check_->setObjectName("EZBCheck");
    connect(ezb_check_, &QCheckBox::clicked, this, [this] { EZBCheckClick(); });
    catchment->addWidget(ezb_check_);
    ezb_panel_ = new ClickPanel;
    ezb_panel_->setObjectName("EZBPanel");
    ezb_panel_->setFixedSize(40, 18);
    ezb_panel_->setFrameStyle(QFrame::Panel | QFrame::Raised);
    ezb_panel_->setToolTip("Farbe des Einzugsbereichs");
    ezb_panel_->on_click = [this] { EZBPanelClick(); };
    PaintPanel(ezb_panel_, ColourOf(window_.settings().catchment));
    catchment->addWidget(ezb_panel_);
    catchment->addStretch(1);
    column->addLayout(catchment);

    column->addWidget(Caption("Label42", "Objekte der gewählten Stadt"));
    building_grid_ = BuildGrid("BuildingGrid", static_cast<int>(kBuildingHeadings.size()));
    column->addWidget(building_grid_, 3);
    auto* buttons = new QHBoxLayout;
    auto* reload = new QPushButton("Liste neu laden");
    reload->setObjectName("ReloadButton");
    connect(reload, &QPushButton::clicked, this, [this] { ReloadButtonClick(); });
    auto* save = new QPushButton("Save list");
    save->setObjectName("SaveListButton");
    connect(save, &QPushButton::clicked, this, [this] { SaveListButtonClick(); });
    buttons->addWidget(reload);
    buttons->addWidget(save);
    buttons->addStretch(1);
    column->addLayout(buttons);
    ApplyHeadings();
}

void StadtlistePage::ApplyHeadings() {
    QStringList cities, buildings;
    for (int n : kCityHeadings) cities << window_.InterfaceText(n, QString());
    for (std::size_t i = 0; i < kBuildingHeadings.size(); ++i) {
        const QString fixed = QString::fromUtf8(kBuildingFixed[i]);
        buildings << (kBuildingHeadings[i] == 0
                          ? fixed
                          : window_.InterfaceText(kBuildingHeadings[i], fixed));
    }
    city_grid_->setHorizontalHeaderLabels(cities);
    building_grid_->setHorizontalHeaderLabels(buildings);
}

void StadtlistePage::FillCities() {
    FillGrid(city_grid_, window_.editor().doc.city_list, FromGameText);
    building_grid_->setRowCount(0);
}

void StadtlistePage::RefreshObjectList() {
    Editor& editor = window_.editor();
    std::vector<ObjectListRow> rows;
    // The list looks up the marketplaces' points, which the canvas draws: the document changes.
    editor.Step("Objektliste", [&] {
        rows = insel::RefreshObjectList(editor.doc, editor.definitions, editor.status);
    });
    FillGrid(building_grid_, rows, FromText);
}

void StadtlistePage::ReloadButtonClick() {
    if (!window_.editor().doc.loaded) return;
    window_.RunHandler([this] {
        RefreshObjectList();
        return true;
    });
}

void StadtlistePage::SaveListButtonClick() {
    const Editor& editor = window_.editor();
    const Document& doc = editor.doc;
    if (editor.updating || !doc.loaded || editor.status.city_number.empty() ||
        doc.island.objects.empty()) {
        return;
    }
    const auto lines = ObjectListLines(doc.island, doc.cities.Current());
    if (lines.empty()) return;
    window_.SaveTextLines(FromGameText(ObjectListFileName(editor.status.island_name)), lines);
}

void StadtlistePage::EZBCheckClick() {
    window_.settings().catchment_shown = ezb_check_->isChecked();
    if (!window_.editor().updating) window_.RepaintCanvas();
}

void StadtlistePage::EZBPanelClick() {
    Editor& editor = window_.editor();
    if (editor.updating || editor.doc.file_kind == FileKind::Savegame) return;
    const QColor chosen = window_.choose_colour(ColourOf(window_.settings().catchment));
    if (!chosen.isValid()) return;
    window_.settings().catchment = ColourValue(chosen);
    PaintPanel(ezb_panel_, chosen);
    if (ezb_check_->isChecked()) window_.RepaintCanvas();
}

void StadtlistePage::PrepareFor(FileKind file_kind) {
    ezb_check_->setEnabled(file_kind != FileKind::Savegame);
}

}  // namespace insel::gui
