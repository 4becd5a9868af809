#pragma once
// The page "Inselliste": the islands of a savegame; a click shows the island of that row.
#include <QWidget>

class QTableWidget;

namespace insel::gui {

class TInselZeichner;

class InsellistePage : public QWidget {
    Q_OBJECT
  public:
    explicit InsellistePage(TInselZeichner& window);

    void FillIslands();
    void ApplyHeadings();

  private:
    TInselZeichner& window_;
    QTableWidget* island_grid_ = nullptr;
};

}  // namespace insel::gui
