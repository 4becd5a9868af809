#pragma once
// TBitmapForm: the preload window. The user chooses here which texture series stay resident
// in the main window's preload cache, ranks the island's series by use, reads the cache's log
// and memory figures, and looks at series bitmaps and cache slots.
#include <QImage>
#include <QWidget>
#include <array>
#include <filesystem>
#include <functional>

#include "core/display/textures.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPainter;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

namespace insel {
struct Editor;
}

namespace insel::gui {

class TBitmapForm : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kRows = kPreloadSlotCount;

    // `editor` and `textures` belong to the main window and outlive this window.
    TBitmapForm(Editor& editor, TextureCache& textures, std::filesystem::path program_folder,
                QWidget* parent = nullptr);
    ~TBitmapForm() override;

    enum class PaintMode { Nothing, LoadedBitmap, Slot };
    PaintMode CurrentPaintMode() const { return paint_mode_; }
    int ShownSlot() const { return shown_slot_; }

    // Start-up: how many slots to allocate ("Attempted:").
    void SetPreloadSpin(int count);
    // Creates the slots "Attempted:" asks for, empties the slot map and the rows.
    void AllocatePreloadSlots();
    // Loads the series the rows choose into the slots.
    void PreloadTextures();
    void ClearSeriesRows();
    // Ranks the island's series into the rows; preloads them when "autom. Preload" is ticked.
    // The main window runs it after every load.
    void InselStatButtonClick();

    void PreloadButtonClick();
    void AutoPreloadCheckClick(bool ticked);
    // The island type buttons (tag 0 Nord .. 5 Polar).
    void NordButtonClick(int island_type);
    // The percentage panels of rows 1..16 (tags 0..15) show that row's slot.
    void Panel17Click(int row_tag);
    void LoadBitmapButtonClick();
    void Button1Click();

    // The open dialog of "Load Bitmap file"; returns the chosen file or empty on cancel.
    // Replaceable so tests can answer it.
    std::function<QString(const QString& start_folder)> choose_bitmap_file;
    std::function<void(const QString& text)> show_error;

  signals:
    // The slot map or the slots' pictures changed; the canvas may draw differently.
    void TexturesChanged();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void FormShow();
    void FlickerFreePaintBox2Paint(QPainter& painter);
    void ShowLog();
    QWidget* BuildRows();
    QWidget* BuildControls();

    Editor& editor_;
    TextureCache& textures_;
    std::filesystem::path program_folder_;

    PaintMode paint_mode_ = PaintMode::Nothing;
    int shown_slot_ = 0;
    QImage loaded_bitmap_;

    QWidget* paint_box_ = nullptr;
    QPlainTextEdit* memo_ = nullptr;
    QSpinBox* spin_edit1_ = nullptr;
    QSpinBox* preload_spin_ = nullptr;
    QCheckBox* auto_preload_check_ = nullptr;
    QPushButton* preload_button_ = nullptr;
    QLabel* total_panel_ = nullptr;
    std::array<QComboBox*, kRows> combos_{};
    std::array<QLabel*, kRows> count_panels_{};
    std::array<QLabel*, kRows> share_panels_{};
    std::array<QCheckBox*, kRows> checks_{};
};

}  // namespace insel::gui
