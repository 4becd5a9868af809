#pragma once
// TInselZeichner: the editor's main window. It owns one Editor and changes the island only
// through the core's handlers; the widgets show what the Editor holds.
#include <QMainWindow>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "app/editor.h"
#include "display/legend.h"
#include "display/renderer.h"
#include "display/textures.h"
#include "reports/statistics.h"

class QButtonGroup;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTableWidget;
class QToolButton;

namespace insel::gui {

class MapCanvas;
class OverviewImage;
class TBitmapForm;
class TInselSizeBox;

class TInselZeichner : public QMainWindow {
    Q_OBJECT
  public:
    // `definitions` are the files already checked and read from `program_folder`.
    TInselZeichner(std::filesystem::path program_folder, Definitions definitions,
                   std::string game_path, QWidget* parent = nullptr);
    ~TInselZeichner() override;

    // Loaded when the window is first shown, by the command-line rule (".scp", ".cty").
    void SetCommandLineFile(const std::string& argument) { command_line_file_ = argument; }

    // The one way a file gets loaded: the Updating guard, the hourglass, the error box, then
    // the whole-island view.
    void LoadIslandFile(const std::filesystem::path& path, int file_kind);
    // A click on a row of the island list (from 1); false when there is no such row.
    bool SelectIslandListRow(int row);
    // A click on a row of the city list (rows 0 and 1 both give the first city).
    void SelectCityListRow(int row);

    // The page "Speichern": tag 0 *.scp, 1 *.cty, 2 the raw text export.
    void SaveInselButtonClick(int tag);
    void DummyButtonClick();

    // The page "Mehr Statistik": counts the graphic and terrain values into the two grids;
    // tag 0 saves the graphic grid, tag 1 the terrain grid.
    void DoItButtonClick();
    void SaveStatisticsGrid(int tag);

    // "Neue Insel generieren": asks for size and climate, then shows the new empty island.
    void NeueInselClick();
    void About1Click();
    // Shows the preload window.
    void GFXBitmapssetzen1Click();
    TBitmapForm& BitmapForm() { return *bitmap_form_; }

    Editor& editor() { return editor_; }
    const Raster& raster() const { return raster_; }

    // "Really exit?"; true lets the window close. Replaceable so the answer can be scripted.
    std::function<bool()> confirm_exit;
    // Shows a message to the user; `error` selects the error box.
    std::function<void(const QString& text, bool error)> show_message;
    // The save dialog: returns the chosen file or empty on cancel. Replaceable like the above.
    std::function<QString(const QString& filter, const QString& proposed_name)> choose_save_file;
    // The overwrite question; true means "Yes".
    std::function<bool(const QString& question)> confirm_overwrite;
    // Runs the new-island dialog and returns its result (QDialog::Accepted for OK).
    std::function<int(TInselSizeBox& box)> run_size_box;

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildMenu();
    QWidget* BuildNavigation();
    QWidget* BuildLayers();
    QWidget* BuildStatus();
    QTabWidget* BuildPages();
    QWidget* BuildSavePage();
    QWidget* BuildLegendPage();
    QWidget* BuildStatisticsPage();
    QTableWidget* BuildGrid(const char* name, int columns);
    void FillLists();
    void PageControl1Change(int index);
    QString InterfaceText(int line, const QString& fallback) const;
    void ApplyInterfaceTexts();
    void FormShow();

    // Runs a control's handler unless Updating; errors go to the error box. The window
    // refreshes when the handler acted or `always_repaint` is set.
    void RunHandler(const std::function<bool()>& handler, bool always_repaint = false);
    void Refresh();
    void RepaintCanvas();
    void RefreshPanels();
    void PlacePartFrame();
    void SyncControls();
    void RedrawOverview();
    // The whole-island legend after loads and "Voll"; the view legend after page, zoom and
    // display-layer changes.
    void UpdateLegend(bool whole_island);
    void ShowLegend(const Legend& legend);

    void InselladenClick(int file_kind);
    void DisplaysollBitmapsbentzen1Click();
    void FlickerFreePaintBox2MouseMove(int px, int py);

    std::filesystem::path program_folder_;
    std::string game_path_;
    std::string command_line_file_;
    bool shown_once_ = false;
    bool tile_bitmaps_ready_ = false;

    Editor editor_;
    RenderSettings settings_;
    Raster raster_;
    std::unique_ptr<TextureCache> textures_;
    std::unique_ptr<TBitmapForm> bitmap_form_;  // draws from textures_, so it goes first

    MapCanvas* canvas_ = nullptr;
    QFrame* part_panel_ = nullptr;
    OverviewImage* mini_image_ = nullptr;
    QFrame* part_frame_ = nullptr;
    QButtonGroup* zoom_group_ = nullptr;
    QButtonGroup* layer_group_ = nullptr;
    QCheckBox* untergrund_check_ = nullptr;
    QTabWidget* page_control_ = nullptr;
    QTableWidget* island_grid_ = nullptr;
    QTableWidget* city_grid_ = nullptr;
    QCheckBox* warn_check_ = nullptr;
    QCheckBox* no_animals_check_ = nullptr;
    QCheckBox* recount_check_ = nullptr;

    std::array<QLabel*, kLegendPanelCount> legend_panels_{};
    std::array<QLabel*, kLegendPanelCount> legend_counts_{};
    QCheckBox* ohne_low_check_ = nullptr;
    QCheckBox* ohne_rot_check_ = nullptr;
    QTableWidget* gfx_grid_ = nullptr;
    QTableWidget* terrain_grid_ = nullptr;
    // What the grids show, header row first; saving writes these.
    GridRows gfx_rows_;
    GridRows terrain_rows_;
};

}  // namespace insel::gui
