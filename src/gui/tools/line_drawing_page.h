#pragma once
// The page "Höhenprofil": the profile height (or fertility) and the second height, the pen and
// the fill gap, the marks' colour, and the buttons that fill the outlines, take the profile
// over, and frame or replace a height. It also keeps the bitmap laid over the canvas for
// tracing, which the page "Insel" loads and shows.
#include <QImage>
#include <QString>
#include <QWidget>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace insel::gui {

class ClickPanel;
class TInselZeichner;

// The picture over the canvas (`BmpImage` inside `BmpImagePanel`): drawn half see-through, so
// that the map and the marks show under it, and reporting the mouse in canvas pixels.
class BmpImage : public QWidget {
    Q_OBJECT
  public:
    explicit BmpImage(QWidget* parent);
    void SetImage(QImage image);
    const QImage& image() const { return image_; }

    std::function<void(int px, int py)> on_down, on_move, on_up;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    QImage image_;
};

class LineDrawingPage : public QWidget {
    Q_OBJECT
  public:
    // `canvas` is the map canvas the bitmap lies over.
    LineDrawingPage(TInselZeichner& window, QWidget* canvas);

    // The height chosen in ListBox1 and ListBox2, the fertility chosen in ListBox3.
    int ProfileHeight() const;
    int SecondHeight() const;
    int ProfileFertility() const;

    void ListBox1Click();
    void ListBox3Click();
    void LineDrawPanelClick();
    void PenSpinEditChange(int value);
    void GapSpinEditChange(int value);
    void ClearBlockButtonClick();
    void TakeBlockButtonClick();
    void FillAreaButtonClick();
    // Tag 0 frames, tag 1 replaces.
    void AussenRahmenButtonClick(int tag);
    // The display layer became heights (0) or fertility (3): the lists and captions follow.
    void RefreshLegendLists();
    // Entering the page: the marks show in the colour of the chosen height.
    void PageEntered();
    // Every load and new island starts with 48 and 46 chosen.
    void ResetAfterLoad();

    // The bitmap overlay, loaded and shown from the page "Insel".
    void LoadImageButtonClick();
    void ImageBoxClick(bool checked);
    bool ImageShown() const { return image_shown_; }
    // The shown bitmap covers the island as the view now draws it.
    void FollowView();

    // "Neue Höhe setzen" of the objects page: `object` is the selected object (none: the
    // message that none is), `text` what ObjHoeheEdit holds. Text that is no whole number of
    // 0 or more is refused with a message naming the field.
    void ChangeObjectHeight(std::optional<std::size_t> object, const QString& text);

  private:
    void SetMarkColour(std::uint32_t bgr);
    void TraceDown(int px, int py);
    void TraceMove(int px, int py);
    void TraceUp(int px, int py);
    void PlaceOverlay();

    TInselZeichner& window_;
    QGroupBox* hoehen_box_ = nullptr;
    QListWidget* list1_ = nullptr;
    QListWidget* list2_ = nullptr;
    QListWidget* list3_ = nullptr;
    QLabel* height_label_ = nullptr;
    ClickPanel* line_draw_panel_ = nullptr;
    QSpinBox* pen_spin_ = nullptr;
    QSpinBox* gap_spin_ = nullptr;
    QLabel* cur_line_panel_ = nullptr;
    QWidget* overlay_panel_ = nullptr;  // BmpImagePanel
    BmpImage* overlay_ = nullptr;
    bool image_shown_ = false;
};

}  // namespace insel::gui
