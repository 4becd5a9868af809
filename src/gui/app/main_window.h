#pragma once
// TInselZeichner: the editor's main window. It owns one Editor (one of each part of the state)
// and changes it only through the core's operations; the widgets show what the parts hold. The tab
// pages are their own classes in tools/ and reach the window through the public part below.
#include <QMainWindow>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/app/editor.h"
#include "core/display/renderer.h"
#include "core/display/textures.h"

class QButtonGroup;
class QAction;
class QCheckBox;
class QComboBox;
class QDockWidget;
class QFrame;
class QListWidget;
class QPushButton;
class QLabel;
class QScrollArea;
class QLineEdit;
class QSpinBox;
class QTabWidget;

namespace insel {
class Journal;
}

namespace insel::gui {

class JournalSlot;
class MapCanvas;
class OverviewImage;
class ToolFrame;
class HoehenStatistikPage;
class GebaeudePage;
class StadtlistePage;
class InselPage;
class InsellistePage;
class SettingsPage;
class RotationPage;
class TBitmapForm;
class TInselSizeBox;
class TAboutBox;
class PageChooser;
class SpeichernPage;
class LineDrawingPage;
class UntergrundPage;
class CopyBufferPage;
class GelaendePage;
class MinenPage;
class FlussPage;

class TInselZeichner : public QMainWindow {
    Q_OBJECT
  public:
    // `definitions` are the files already checked and read from `program_folder`.
    TInselZeichner(std::filesystem::path program_folder, Definitions definitions,
                   std::string game_path, QWidget* parent = nullptr);
    ~TInselZeichner() override;

    // Loaded when the window is first shown, by the command-line rule (".scp", ".cty").
    void SetCommandLineFile(const std::string& argument) { command_line_file_ = argument; }
    // Keeps the unsaved work in a journal of its own in `folder`, and offers the journals
    // left there by editors that no longer run when the window is first shown. Without it
    // the window keeps no journal (the unattended modes, tests).
    void KeepJournalIn(const std::filesystem::path& folder);
    // This window's journal file; empty without one.
    std::filesystem::path JournalPath() const;
    // Asks about each journal no running editor holds: recover, discard or leave it.
    void OfferRecovery();

    // The one way a file gets loaded: the Updating guard, the hourglass, the error box, then
    // the whole-island view. False when nothing was loaded (refused kind or a failed read);
    // the island that was open then stays as it was shown.
    bool LoadIslandFile(const std::filesystem::path& path, FileKind file_kind);
    // A click on a row of the island list (from 1); false when there is no such row.
    bool SelectIslandListRow(int row);
    // A click on a row of the city list (rows 0 and 1 both give the first city).
    void SelectCityListRow(int row);

    // "Neue Insel generieren": asks for size and climate, then shows the new empty island.
    void NeueInselClick();

    // Undo and redo of the edit history, and a jump to the state after `position` steps;
    // everything shown follows the document, the view stays where it is.
    void UndoClick();
    void RedoClick();
    void GoToHistory(std::size_t position);
    // Before the open document is replaced or the window closes: true when that may go on
    // (nothing unsaved, or the user saved or discarded the changes).
    bool MayDropChanges();
    // The document's file as last loaded or saved; empty for a new island.
    const std::filesystem::path& DocumentPath() const { return document_path_; }
    // A save of the page "Speichern" wrote the document to `path`.
    void DocumentSavedAs(const std::filesystem::path& path);
    void About1Click();
    // Shows the preload window.
    void GFXBitmapssetzen1Click();
    TBitmapForm& BitmapForm() { return *bitmap_form_; }

    Editor& editor() { return editor_; }
    // The ground-tiles page, which shows the field a canvas click picked, and the copy page.
    UntergrundPage& untergrund_page() { return *untergrund_page_; }
    CopyBufferPage& copy_buffer_page() { return *copy_buffer_page_; }
    // The vegetation page (the picker window chooses elements there).
    GelaendePage& gelaende_page() { return *gelaende_page_; }
    // Where the definition files, GFXImages and GelImages lie.
    const std::filesystem::path& ProgramFolder() const { return program_folder_; }
    RenderSettings& settings() { return settings_; }
    const Raster& raster() const { return raster_; }

    // Runs a control's handler unless Updating; every exception goes to the error box and
    // leaves Updating clear. The window refreshes when the handler acted, failed or
    // `always_repaint` is set.
    void RunHandler(const std::function<bool()>& handler, bool always_repaint = false);
    // A longer operation: Updating and the hourglass while it runs (both always undone),
    // every exception to the error box. False when it did not run or failed.
    bool RunLong(const std::function<void()>& work);
    // After the island under the window changed: whole view, legend, overview, lists.
    void ShowNewIsland();
    void Refresh();
    void RepaintCanvas();
    void RedrawOverview();
    // The whole-island legend after loads and "Voll"; the view legend after page, zoom and
    // display-layer changes.
    void UpdateLegend(bool whole_island);
    // Puts ThePanel where the core placed the tool frame, with the mode's letter.
    void ShowToolFrame();
    void SetToolFrameColour(const QColor& colour);

    // Line `line` of MainIStrings, or `fallback` when the file has no such line.
    QString InterfaceText(int line, const QString& fallback) const;
    // How the chosen name gets its suffix: added when it has none, or put in place of any
    // other (for writers that change the extension themselves).
    enum class SuffixRule { AddWhenMissing, Replace };
    // The save dialog, then the overwrite question when asked for and WarnCheck is ticked;
    // the chosen file with `suffix` applied by `rule`, or empty when nothing is to be written.
    // The question is about that very file.
    QString AskSaveFile(const QString& filter, const QString& proposed, const QString& suffix,
                        bool ask_overwrite = true, SuffixRule rule = SuffixRule::AddWhenMissing);
    // Saves lines as a text file chosen in the save dialog; a failed write is said.
    void SaveTextLines(const QString& proposed, const std::vector<std::string>& lines);

    // "Really exit?"; true lets the window close. Replaceable so the answer can be scripted.
    std::function<bool()> confirm_exit;
    // "Änderungen speichern?" with Save, Discard and Cancel. Replaceable like the above.
    enum class SaveAnswer { Save, Discard, Cancel };
    std::function<SaveAnswer()> ask_save_changes;
    // The question about a journal left behind; `can_recover` false offers only Discard and
    // Later. Replaceable like the above.
    enum class RecoveryAnswer { Recover, Discard, Later };
    std::function<RecoveryAnswer(const QString& text, bool can_recover)> ask_recovery;
    // Shows a message to the user; `error` selects the error box.
    std::function<void(const QString& text, bool error)> show_message;
    // The save dialog: returns the chosen file or empty on cancel. Replaceable like the above.
    std::function<QString(const QString& filter, const QString& proposed_name)> choose_save_file;
    // The overwrite question; true means "Yes".
    std::function<bool(const QString& question)> confirm_overwrite;
    // The colour dialog: an invalid colour on cancel.
    std::function<QColor(const QColor& initial)> choose_colour;
    // Runs the new-island dialog and returns its result (QDialog::Accepted for OK).
    std::function<int(TInselSizeBox& box)> run_size_box;
    // Runs the about box.
    std::function<void(TAboutBox& box)> run_about_box;
    // The open dialog: the chosen file or empty on cancel. `folder` is an existing folder to
    // start in, or empty for the current one.
    std::function<QString(const QString& filter, const QString& folder)> choose_open_file;

    // The folder the open dialog of `file_kind` starts in: the kind's folder under the game
    // folder (or under the current folder without one) where it exists, else the game folder
    // itself, else empty. Never a path that does not exist, which the dialog would take for a
    // file name.
    static QString OpenDialogFolder(const std::string& game_path, FileKind file_kind);

    // The height-profile page, for the objects page's "Neue Höhe setzen" and the page "Insel"
    // that loads the overlay bitmap; and the mouse panels after a move over that bitmap.
    LineDrawingPage* line_drawing_page() { return line_drawing_page_; }
    void ShowMousePanels() { RefreshPanels(); }

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void BuildMenu();
    void BuildEditMenu();
    void BuildHistoryDock();
    // The undo and redo actions, the history list and the title, as the history stands.
    void ShowHistory();
    void UpdateTitle();
    QString DocumentName() const;
    // After undo or redo: every control that shows the document shows it again.
    void ShowDocument();
    QWidget* BuildNavigation();
    QWidget* BuildLayers();
    QWidget* BuildStatus();
    QWidget* BuildSelection();
    QWidget* BuildCanvasArea();
    void BuildToolFrame();
    void BuildPageKeys();
    // Empties the mouse and click readouts, which belonged to the island shown before.
    void ClearReadouts();
    void ThePanelMouseUp(Qt::MouseButton button);
    // The four frame spins show the editor's values.
    void SyncSpins();
    QTabWidget* BuildPages();
    void PageControl1Change(int index);
    void ApplyInterfaceTexts();
    void FormShow();
    // Page preparation after a load: savegames hide the pages that edit the island.
    void PreparePages();

    void RefreshPanels();
    void PlacePartFrame();
    void SyncControls();

    void InselladenClick(FileKind file_kind);
    // Replaces the document with the journal's work; false when that did not happen.
    bool RecoverFrom(const std::filesystem::path& journal);
    void ApplyHistoryLimit(int megabytes);
    void DisplaysollBitmapsbentzen1Click();
    void FlickerFreePaintBox2MouseMove(int px, int py);
    void FlickerFreePaintBox2Click();
    void FlickerFreePaintBox2MouseDown(int px, int py);

    std::filesystem::path program_folder_;
    std::string game_path_;
    std::string command_line_file_;
    bool shown_once_ = false;
    std::filesystem::path document_path_;
    // The island size the view was laid out for.
    std::pair<int, int> shown_size_{-1, -1};

    Editor editor_;
    // The controls that show the status, one per field, with the text each shows.
    struct StatusWidgets {
        QLabel *file_size, *addon_level, *width, *height, *cell_blocks, *quarry_spots, *mines,
            *objects, *animals, *cities, *water, *island_name, *origin_x, *origin_y, *mouse_x,
            *mouse_y, *mouse_hex_x, *mouse_hex_y, *frame_x, *frame_y, *pixel_x, *pixel_y;
        std::array<QLabel*, 4> scale;    // xScalePanel, yScalePanel, xZahlPanel, YZahlPanel
        QLabel* city_number;             // StadtNrPanel
        std::array<QLineEdit*, 4> cell;  // Edit1..Edit4
    };
    StatusWidgets status_widgets_{};
    std::vector<std::string> shown_status_;
    RenderSettings settings_;
    Raster raster_;
    std::unique_ptr<TextureCache> textures_;
    std::unique_ptr<TBitmapForm> bitmap_form_;  // draws from textures_, so it goes first

    MapCanvas* canvas_ = nullptr;
    QScrollArea* canvas_area_ = nullptr;
    PageChooser* page_chooser_ = nullptr;
    ToolFrame* tool_frame_ = nullptr;
    QFrame* part_panel_ = nullptr;
    OverviewImage* mini_image_ = nullptr;
    QFrame* part_frame_ = nullptr;
    QButtonGroup* zoom_group_ = nullptr;
    QButtonGroup* layer_group_ = nullptr;
    QCheckBox* untergrund_check_ = nullptr;
    QPushButton* oversize_button_ = nullptr;
    QComboBox* climate_box_ = nullptr;
    std::array<QSpinBox*, 4> frame_spins_{};  // PLeftSpin, PTopSpin, PWidthSpin, PHeightSpin
    QTabWidget* page_control_ = nullptr;

    HoehenStatistikPage* legend_page_ = nullptr;
    GebaeudePage* objects_page_ = nullptr;
    StadtlistePage* city_page_ = nullptr;
    InselPage* island_page_ = nullptr;
    InsellistePage* island_list_page_ = nullptr;
    SettingsPage* settings_page_ = nullptr;
    RotationPage* rotation_page_ = nullptr;
    SpeichernPage* save_page_ = nullptr;
    LineDrawingPage* line_drawing_page_ = nullptr;
    UntergrundPage* untergrund_page_ = nullptr;
    CopyBufferPage* copy_buffer_page_ = nullptr;
    GelaendePage* gelaende_page_ = nullptr;
    MinenPage* mines_page_ = nullptr;
    FlussPage* fluss_page_ = nullptr;

    QAction* undo_action_ = nullptr;
    QAction* redo_action_ = nullptr;
    QDockWidget* history_dock_ = nullptr;
    QListWidget* history_list_ = nullptr;
    QString base_title_;

    std::unique_ptr<JournalSlot> journal_slot_;
    std::unique_ptr<Journal> journal_;
    // The user let the unsaved changes go when the window closed: the journal goes too.
    bool changes_dropped_ = false;
};

}  // namespace insel::gui
