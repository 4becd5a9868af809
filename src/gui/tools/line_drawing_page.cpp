#include "gui/tools/line_drawing_page.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>
#include <filesystem>

#include "core/display/colours.h"
#include "core/tools/heights.h"
#include "core/tools/tool_frame.h"
#include "gui/app/controls.h"
#include "gui/app/main_window.h"
#include "platform/image_files.h"

namespace insel::gui {
namespace {

constexpr int kProfileCaptionLine = 155;
constexpr int kHeightCaptionLine = 157;
constexpr int kFertilityProfileCaptionLine = 166;
constexpr int kFertilityCaptionLine = 167;
constexpr int kHeightCount = static_cast<int>(kHeightSteps.size());
// The fill shows its progress this often, so a large island neither freezes nor crawls.
constexpr int kFillRepaintMs = 100;

QListWidget* HeightList(const char* name, int chosen) {
    auto* list = new QListWidget;
    list->setObjectName(name);
    for (int height : kHeightSteps) list->addItem(QString::number(height));
    list->setCurrentRow(chosen);
    list->setFixedWidth(64);
    list->setMinimumHeight(120);
    return list;
}

QPushButton* Button(const char* name, const char* caption) {
    auto* button = new QPushButton(QString::fromUtf8(caption));
    button->setObjectName(name);
    return button;
}

QLabel* SmallCaption(const char* name, const char* caption) {
    auto* label = new QLabel(QString::fromUtf8(caption));
    label->setObjectName(name);
    return label;
}

}  // namespace

BmpImage::BmpImage(QWidget* parent) : QWidget(parent) {
    setObjectName("BmpImage");
    setMouseTracking(true);
}

void BmpImage::SetImage(QImage image) {
    image_ = std::move(image);
    update();
}

void BmpImage::paintEvent(QPaintEvent*) {
    if (image_.isNull()) return;
    QPainter painter(this);
    painter.setOpacity(0.5);
    painter.drawImage(rect(), image_);
}

void BmpImage::mousePressEvent(QMouseEvent* event) {
    // Canvas pixels: the panel lies at the canvas's top-left corner.
    if (on_down) on_down(event->position().toPoint().x(), event->position().toPoint().y());
}

void BmpImage::mouseMoveEvent(QMouseEvent* event) {
    if (on_move) on_move(event->position().toPoint().x(), event->position().toPoint().y());
}

void BmpImage::mouseReleaseEvent(QMouseEvent* event) {
    if (on_up) on_up(event->position().toPoint().x(), event->position().toPoint().y());
}

LineDrawingPage::LineDrawingPage(TInselZeichner& window, QWidget* canvas) : window_(window) {
    auto* column = new QVBoxLayout(this);

    auto* lists = new QHBoxLayout;
    hoehen_box_ = new QGroupBox(QString::fromUtf8("Höhenprofil"));
    hoehen_box_->setObjectName("HoehenBox");
    auto* box_column = new QVBoxLayout(hoehen_box_);
    height_label_ = SmallCaption("HeightLabel", "Höhe (40 = Küste)");
    height_label_->setToolTip("40 = auf Land    < 40 = im Wasser");
    box_column->addWidget(height_label_);
    list1_ = HeightList("ListBox1", kProfileHeightItem);
    box_column->addWidget(list1_);
    lists->addWidget(hoehen_box_);

    list3_ = new QListWidget;
    list3_->setObjectName("ListBox3");
    for (int f = 0; f <= kHighestFertility; ++f) list3_->addItem(QString::number(f));
    list3_->setCurrentRow(0);
    list3_->setFixedWidth(64);
    list3_->hide();
    lists->addWidget(list3_);

    auto* second = new QVBoxLayout;
    second->addWidget(SmallCaption("ListBox2Label", "Höhe 2"));
    list2_ = HeightList("ListBox2", kSecondHeightItem);
    second->addWidget(list2_);
    lists->addLayout(second);

    auto* settings = new QGridLayout;
    settings->addWidget(SmallCaption("ProfilFLabel", "Profilfarbe"), 0, 0);
    line_draw_panel_ = new ClickPanel;
    line_draw_panel_->setObjectName("LineDrawPanel");
    line_draw_panel_->setFixedSize(48, 20);
    line_draw_panel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    line_draw_panel_->setToolTip("Klick: Farbe der Markierung wählen");
    line_draw_panel_->on_click = [this] { LineDrawPanelClick(); };
    settings->addWidget(line_draw_panel_, 0, 1);
    settings->addWidget(SmallCaption("PenSizeLabel", "Pen size"), 1, 0);
    pen_spin_ = new QSpinBox;
    pen_spin_->setObjectName("PenSpinEdit");
    pen_spin_->setRange(0, 9999);  // any pen past the island marks the same
    pen_spin_->setValue(2);
    settings->addWidget(pen_spin_, 1, 1);
    settings->addWidget(SmallCaption("GapSizeLabel", "Fill gap size"), 2, 0);
    gap_spin_ = new QSpinBox;
    gap_spin_->setObjectName("GapSpinEdit");
    gap_spin_->setRange(0, INT_MAX);
    gap_spin_->setValue(4);
    settings->addWidget(gap_spin_, 2, 1);
    settings->addWidget(SmallCaption("CurLineLabel", "Zeile"), 3, 0);
    cur_line_panel_ = StatusPanel("CurLinePanel", 44);
    settings->addWidget(cur_line_panel_, 3, 1);
    settings->setRowStretch(4, 1);
    lists->addLayout(settings);
    lists->addStretch(1);
    column->addLayout(lists);

    auto* frame_buttons = new QHBoxLayout;
    auto* frame_button = Button("AussenRahmenButton", "Frame height with:");
    frame_button->setProperty("tag", 0);
    auto* replace_button = Button("ReplaceButton", "Replace height with:");
    replace_button->setProperty("tag", 1);
    frame_buttons->addWidget(frame_button);
    frame_buttons->addWidget(replace_button);
    frame_buttons->addStretch(1);
    column->addLayout(frame_buttons);
    auto* clear_button = Button("ClearBlockButton", "Profilmarkierung löschen");
    auto* fill_button = Button("FillAreaButton", "Feldrahmen auffüllen");
    auto* take_button = Button("TakeBlockButton", "Höhenprofil in Insel übernehmen");
    for (QPushButton* button : {clear_button, fill_button, take_button}) {
        auto* row = new QHBoxLayout;
        row->addWidget(button);
        row->addStretch(1);
        column->addLayout(row);
    }
    column->addStretch(1);

    connect(list1_, &QListWidget::currentRowChanged, this, [this] { ListBox1Click(); });
    connect(list3_, &QListWidget::currentRowChanged, this, [this] { ListBox3Click(); });
    connect(pen_spin_, &QSpinBox::valueChanged, this, [this](int v) { PenSpinEditChange(v); });
    connect(gap_spin_, &QSpinBox::valueChanged, this, [this](int v) { GapSpinEditChange(v); });
    connect(clear_button, &QPushButton::clicked, this, [this] { ClearBlockButtonClick(); });
    connect(fill_button, &QPushButton::clicked, this, [this] { FillAreaButtonClick(); });
    connect(take_button, &QPushButton::clicked, this, [this] { TakeBlockButtonClick(); });
    connect(frame_button, &QPushButton::clicked, this, [this] { AussenRahmenButtonClick(0); });
    connect(replace_button, &QPushButton::clicked, this, [this] { AussenRahmenButtonClick(1); });

    overlay_panel_ = new QWidget(canvas);
    overlay_panel_->setObjectName("BmpImagePanel");
    overlay_panel_->hide();
    overlay_ = new BmpImage(overlay_panel_);
    overlay_->on_down = [this](int px, int py) { TraceDown(px, py); };
    overlay_->on_move = [this](int px, int py) { TraceMove(px, py); };
    overlay_->on_up = [this](int px, int py) { TraceUp(px, py); };
    // The tool frame stays on top, so its right click still works while tracing.
    if (auto* frame = canvas->findChild<QWidget*>("ThePanel")) overlay_panel_->stackUnder(frame);

    SetMarkColour(CellColour(0, ProfileHeight()));
}

int LineDrawingPage::ProfileHeight() const {
    return kHeightSteps[static_cast<std::size_t>(
        std::clamp(list1_->currentRow(), 0, kHeightCount - 1))];
}

int LineDrawingPage::SecondHeight() const {
    return kHeightSteps[static_cast<std::size_t>(
        std::clamp(list2_->currentRow(), 0, kHeightCount - 1))];
}

int LineDrawingPage::ProfileFertility() const {
    return std::clamp(list3_->currentRow(), 0, kHighestFertility);
}

void LineDrawingPage::SetMarkColour(std::uint32_t bgr) {
    window_.settings().marked = bgr;
    PaintPanel(line_draw_panel_, ColourOf(bgr));
}

void LineDrawingPage::ListBox1Click() {
    SetMarkColour(CellColour(0, ProfileHeight()));
    window_.RepaintCanvas();
}

void LineDrawingPage::ListBox3Click() {
    SetMarkColour(CellColour(3, ProfileFertility()));
    window_.RepaintCanvas();
}

void LineDrawingPage::LineDrawPanelClick() {
    const QColor chosen = window_.choose_colour(ColourOf(window_.settings().marked));
    if (!chosen.isValid()) return;
    SetMarkColour(ColourValue(chosen));
    window_.RepaintCanvas();
}

void LineDrawingPage::PenSpinEditChange(int value) {
    window_.editor().tools.pen_size = value;
    // A fill bridges strokes of two pens side by side.
    gap_spin_->setValue(value > INT_MAX / 2 ? INT_MAX : 2 * value);
    window_.editor().tools.heights.gap_size = gap_spin_->value();
}

void LineDrawingPage::GapSpinEditChange(int value) {
    window_.editor().tools.heights.gap_size = value;
}

void LineDrawingPage::ClearBlockButtonClick() {
    window_.RunHandler([this] {
        if (!window_.editor().doc.loaded) return false;
        ClearMarks(window_.editor().doc.island);
        return true;
    });
}

void LineDrawingPage::TakeBlockButtonClick() {
    window_.RunHandler([this] {
        Editor& editor = window_.editor();
        if (!editor.doc.loaded) return false;
        // The list on show decides: the tile and vegetation displays keep the one shown last.
        const bool heights = list3_->isHidden();
        const int value = heights ? ProfileHeight() : ProfileFertility();
        editor.Step("Höhenprofil in Insel übernehmen", [&] {
            TakeProfile(editor.doc.island, heights ? ProfileLayer::Height : ProfileLayer::Fertility,
                        value);
        });
        window_.UpdateLegend(editor.view.part_index < 0);
        window_.RedrawOverview();
        return true;
    });
}

void LineDrawingPage::FillAreaButtonClick() {
    Editor& editor = window_.editor();
    if (!editor.doc.loaded || editor.updating) return;
    ToolState& tools = editor.tools;
    const bool was_stroke = tools.stroke_active;
    tools.stroke_active = true;  // no click looks up mines while the fill runs
    QElapsedTimer since_repaint;
    since_repaint.start();
    window_.RunLong([&] {
        FillOutlines(editor.doc.island, tools.heights.gap_size, [&](int row) {
            if (since_repaint.elapsed() < kFillRepaintMs) return;
            since_repaint.restart();
            cur_line_panel_->setText(QString::number(row));
            editor.updating = false;  // for the repaint only
            window_.RepaintCanvas();
            editor.updating = true;
            QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        });
    });
    tools.stroke_active = was_stroke;
    const int rows = editor.doc.island.record.height;
    cur_line_panel_->setText(rows > 0 ? QString::number(rows - 1) : QString());
    window_.RepaintCanvas();
}

void LineDrawingPage::AussenRahmenButtonClick(int tag) {
    window_.RunHandler([this, tag] {
        Editor& editor = window_.editor();
        if (!editor.doc.loaded) return false;
        const int h1 = ProfileHeight();
        const int h2 = SecondHeight();
        // Framing or replacing a height with itself has nothing to do.
        if (h1 == h2) {
            window_.show_message(QString::fromUtf8("Höhe 1 und Höhe 2 sind gleich (%1): "
                                                   "nichts zu tun.")
                                     .arg(h1),
                                 false);
            return false;
        }
        const bool replace = tag == 1;
        editor.Step(replace ? "Replace height with:" : "Frame height with:", [&] {
            if (replace) {
                ReplaceHeight(editor.doc.island, h1, h2);
            } else {
                FrameHeight(editor.doc.island, h1, h2);
            }
        });
        // The result is seen in heights.
        editor.view.layer = DisplayLayer::Heights;
        if (auto* radio = window_.findChild<QAbstractButton*>("RadioButton1")) {
            radio->setChecked(true);
        }
        window_.UpdateLegend(editor.view.part_index < 0);
        window_.RedrawOverview();
        return true;
    });
}

void LineDrawingPage::RefreshLegendLists() {
    const DisplayLayer layer = window_.editor().view.layer;
    if (layer != DisplayLayer::Heights && layer != DisplayLayer::Fertility) return;
    const bool heights = layer == DisplayLayer::Heights;
    hoehen_box_->setVisible(heights);
    list1_->setVisible(heights);
    list3_->setVisible(!heights);
    if (auto* tabs = window_.findChild<QTabWidget*>("PageControl1")) {
        tabs->setTabText(
            tabs->indexOf(this),
            heights ? window_.InterfaceText(kProfileCaptionLine, "Höhenprofil")
                    : window_.InterfaceText(kFertilityProfileCaptionLine, "Fruchtbarkeitsprofil"));
    }
    height_label_->setText(
        heights ? window_.InterfaceText(kHeightCaptionLine, QString::fromUtf8("Höhe (40 = Küste)"))
                : window_.InterfaceText(kFertilityCaptionLine, "Fruchtbarkeit (0..10)"));
    if (heights) {
        list1_->setCurrentRow(0);
        ListBox1Click();
    } else {
        list3_->setCurrentRow(0);
        ListBox3Click();
    }
}

void LineDrawingPage::PageEntered() {
    if (window_.editor().view.layer == DisplayLayer::Fertility) {
        SetMarkColour(CellColour(3, ProfileFertility()));
    } else {
        SetMarkColour(CellColour(0, ProfileHeight()));
    }
}

void LineDrawingPage::ResetAfterLoad() {
    list1_->setCurrentRow(kProfileHeightItem);
    list2_->setCurrentRow(kSecondHeightItem);
    PageEntered();
}

void LineDrawingPage::LoadImageButtonClick() {
    if (window_.editor().updating) return;
    auto* image_box = window_.findChild<QCheckBox*>("ImageBox");
    auto* name_panel = window_.findChild<QLabel*>("BmpPanel");
    const QString file = window_.choose_open_file(
        "Bilddateien (*.bmp *.BMP *.png *.jpg *.jpeg *.gif *.tif *.tiff *.webp);;"
        "Bitmapdateien (*.bmp *.BMP);;Alle Dateien (*)",
        QString());
    if (file.isEmpty()) {
        // Cancelled: an image already loaded stays, with its box to show or hide it.
        if (image_box && overlay_->image().isNull()) image_box->hide();
        return;
    }
    const std::optional<Picture> picture =
        platform::LoadPicture(std::filesystem::path(file.toStdU16String()));
    if (!picture || picture->width <= 0 || picture->height <= 0) {
        window_.show_message("Das Bild " + QFileInfo(file).fileName() +
                                 " kann nicht gelesen werden: keine lesbare Bilddatei.",
                             true);
        return;
    }
    QImage image(picture->width, picture->height, QImage::Format_RGB32);
    for (int y = 0; y < picture->height; ++y) {
        const std::uint32_t* row =
            picture->pixels.data() + static_cast<std::size_t>(y) * picture->width;
        std::copy(row, row + picture->width, reinterpret_cast<std::uint32_t*>(image.scanLine(y)));
    }
    overlay_->SetImage(std::move(image));
    if (name_panel) name_panel->setText(QFileInfo(file).fileName());
    if (image_box) image_box->show();
}

void LineDrawingPage::ImageBoxClick(bool checked) {
    image_shown_ = checked && !overlay_->image().isNull();
    if (image_shown_) {
        PlaceOverlay();
        overlay_panel_->setCursor(Qt::UpArrowCursor);
        overlay_panel_->show();
    } else {
        overlay_panel_->hide();
        overlay_panel_->unsetCursor();
        window_.editor().tools.stroke_active = false;
    }
}

void LineDrawingPage::FollowView() {
    if (image_shown_) PlaceOverlay();
}

void LineDrawingPage::PlaceOverlay() {
    const ViewState& view = window_.editor().view;
    const CellPixels cell = CellSize(view);
    const QSize size(std::max(1, view.visible_columns * cell.width),
                     std::max(1, view.visible_rows * cell.height));
    overlay_panel_->setGeometry(QRect(QPoint(0, 0), size));
    overlay_->setGeometry(QRect(QPoint(0, 0), size));
}

void LineDrawingPage::TraceDown(int px, int py) {
    Editor& editor = window_.editor();
    if (editor.updating || !image_shown_ || editor.tools.mode != ToolMode::HeightProfile) return;
    if (!MarkTracedCell(editor.view, editor.doc.island, editor.status, px, py)) return;
    editor.tools.stroke_active = true;
    window_.RepaintCanvas();
}

void LineDrawingPage::TraceMove(int px, int py) {
    Editor& editor = window_.editor();
    if (editor.updating || !image_shown_ || editor.tools.mode != ToolMode::HeightProfile) return;
    if (TrackMouse(editor.view, editor.doc.island, editor.status, px, py, false)) {
        window_.ShowMousePanels();
    }
    if (editor.tools.stroke_active &&
        MarkTracedCell(editor.view, editor.doc.island, editor.status, px, py)) {
        window_.RepaintCanvas();
    }
}

void LineDrawingPage::TraceUp(int px, int py) {
    Editor& editor = window_.editor();
    if (editor.updating || !image_shown_ || editor.tools.mode != ToolMode::HeightProfile) return;
    MarkTracedCell(editor.view, editor.doc.island, editor.status, px, py);
    editor.tools.stroke_active = false;
    window_.RepaintCanvas();
}

void LineDrawingPage::ChangeObjectHeight(std::optional<std::size_t> object, const QString& text) {
    window_.RunHandler([&] {
        Editor& editor = window_.editor();
        if (!editor.doc.loaded || !object || *object >= editor.doc.island.objects.size()) {
            window_.show_message("Kein Objekt ausgewählt / No object selected", false);
            return false;
        }
        bool ok = false;
        const long long height = text.trimmed().toLongLong(&ok);
        if (!ok || height < 0) {
            window_.show_message(
                "ObjHoeheEdit: '" + text + "' ist keine Höhe (eine ganze Zahl ab 0).", false);
            return false;
        }
        editor.Step("Neue Höhe setzen", [&] {
            SetObjectHeight(editor.doc.island, *object,
                            static_cast<int>(std::min<long long>(height, 255)));
        });
        return true;
    });
}

}  // namespace insel::gui
