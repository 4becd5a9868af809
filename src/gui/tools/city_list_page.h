#pragma once
// The page "Stadtliste": the cities of the file, the objects of the shown island, and the
// catchment display of the current city.
#include <QWidget>

#include "core/document/document.h"

class QCheckBox;
class QLabel;
class QTableWidget;

namespace insel::gui {

class TInselZeichner;
class ClickPanel;

class StadtlistePage : public QWidget {
    Q_OBJECT
  public:
    explicit StadtlistePage(TInselZeichner& window);

    // Refills the city list from the editor after a load.
    void FillCities();
    // Refills the object list of the shown island.
    void RefreshObjectList();
    void ReloadButtonClick();
    void SaveListButtonClick();
    void EZBCheckClick();
    void EZBPanelClick();
    // Column headings from the interface texts.
    void ApplyHeadings();
    // Savegames keep their catchments in the game; they are not shown.
    void PrepareFor(FileKind file_kind);
    QLabel* CityNumberPanel() const { return city_number_panel_; }

  private:
    TInselZeichner& window_;
    QTableWidget* city_grid_ = nullptr;
    QTableWidget* building_grid_ = nullptr;
    QCheckBox* ezb_check_ = nullptr;
    ClickPanel* ezb_panel_ = nullptr;
    QLabel* city_number_panel_ = nullptr;  // StadtNrPanel
};

}  // namespace insel::gui
