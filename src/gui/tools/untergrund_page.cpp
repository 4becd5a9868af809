#include "gui/tools/untergrund_page.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTransform>
#include <QVBoxLayout>

#include "core/app/key_notation.h"
#include "core/display/view.h"
#include "core/errors.h"
#include "core/tools/ground_tiles.h"
#include "core/tools/tool_frame.h"
#include "gui/app/controls.h"
#include "gui/app/main_window.h"
#include "gui/dialogs/view_form.h"

namespace insel::gui {
namespace {

constexpr const char* kOffsets[] = {"00", "20", "40", "60"};
constexpr const char* kRotations[] = {"0", "1", "2", "3", "C", "D", "E", "F"};
constexpr int kPictureSide = 128;
constexpr int kTileSide = 43;
constexpr int kTileOffsets[] = {0, 43, 85};

// A field key that answers a double click.
class FieldKeyEdit : public QLineEdit {
  public:
    std::function<void()> on_double_click;

  protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override {
        QLineEdit::mouseDoubleClickEvent(event);
        if (on_double_click) on_double_click();
    }
};

bool IsHexKey(const QString& text) {
    static const QRegularExpression hex("^[0-9A-Fa-f]{1,2}$");
    return hex.match(text).hasMatch();
}

struct FillButton {
    const char* name;
    const char* caption;
};
constexpr FillButton kFillButtons[] = {{"GFXBackButton", "Fill Global"},
                                       {"Button2", "Fill Height 0"},
                                       {"Button5", "Fill >Height "},
                                       {"Button6", "Fill <Height"}};

QLineEdit* NamedEdit(const char* name, int width) {
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    edit->setFixedWidth(width);
    return edit;
}

QPushButton* Button(const char* name, const QString& caption) {
    auto* button = new QPushButton(caption);
    button->setObjectName(name);
    return button;
}

}  // namespace

UntergrundPage::UntergrundPage(TInselZeichner& window) : window_(window) {
    const Definitions& definitions = window_.editor().definitions;
    auto* column = new QVBoxLayout(this);
    column->setSpacing(6);
    column->addWidget(Caption("Label23", "Untergrund-Kacheln als 3*3 Feld"));

    auto* key_row = new QHBoxLayout;
    key_row->addWidget(Caption("GFXKeyLabel", "GFX key (hex)"));
    key_edit_ = NamedEdit("GFXKeyEdit", 40);
    key_edit_->setToolTip("Enter 00 for clear terrain");
    key_edit_->setMaxLength(2);
    key_edit_->setText("00");
    connect(key_edit_, &QLineEdit::textEdited, this, [this] { GFXKeyEditChange(); });
    key_row->addWidget(key_edit_);
    tile_list_ = new QComboBox;
    tile_list_->setObjectName("ComboBox4");
    for (const std::string& item : definitions.gfx_items) tile_list_->addItem(FromText(item));
    tile_list_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    tile_list_->setMinimumContentsLength(16);
    connect(tile_list_, &QComboBox::activated, this, [this] { ComboBox4Click(); });
    key_row->addWidget(tile_list_, 1);
    column->addLayout(key_row);

    auto* lists = new QHBoxLayout;
    lists->addWidget(Caption("GFXCornerLabel", "Feldoffset"));
    offset_box_ = new QComboBox;
    offset_box_->setObjectName("GFXFeldOfsetBox");
    for (const char* item : kOffsets) offset_box_->addItem(item);
    lists->addWidget(offset_box_);
    lists->addWidget(Caption(nullptr, "Rotation"));
    rotation_box_ = new QComboBox;
    rotation_box_->setObjectName("GFXRotationBox");
    rotation_box_->setToolTip("Drehung um (Grad): 0/C = 0, 1/D = 90, 2/E = 180, 3/F = 270");
    for (const char* item : kRotations) rotation_box_->addItem(item);
    lists->addWidget(rotation_box_);
    lists->addStretch(1);
    // The two lists act alike: both compose the field anew.
    for (QComboBox* box : {offset_box_, rotation_box_}) {
        connect(box, &QComboBox::activated, this, [this] { GFXRotationBoxClick(); });
    }
    column->addLayout(lists);

    // The nine keys beside the nine pictures and the whole field's picture.
    auto* field = new QHBoxLayout;
    auto* keys = new QGridLayout;
    auto* images = new QGridLayout;
    images->setSpacing(1);
    for (int k = 0; k < 9; ++k) {
        auto* edit = new FieldKeyEdit;
        edit->setObjectName(QString("GFXEdit%1").arg(k));
        edit->setProperty("tag", k);
        edit->setFixedWidth(36);
        edit->setMaxLength(2);
        edit->setToolTip("Doppelklick setzt die Kachel(n) am Rahmen");
        edit->on_double_click = [this, k] { GFXEdit0DblClick(k); };
        // What is typed is the field the frame's right click writes.
        connect(edit, &QLineEdit::textEdited, this, [this, k](const QString& text) {
            if (IsHexKey(text)) {
                window_.editor().tools.tiles.bytes[k % 3][k / 3] =
                    static_cast<std::uint8_t>(HexToValue(1, text.toStdString()));
            }
        });
        field_edits_[static_cast<std::size_t>(k)] = edit;
        keys->addWidget(edit, k / 3, k % 3);
        auto* image = new ClickPanel;
        image->setObjectName(QString("Image%1").arg(k + 1));
        image->setProperty("tag", k);
        image->setFixedSize(kTileSide, kTileSide);
        image->setFrameStyle(QFrame::Box);
        image->on_click = [this, k] { GFXEdit0DblClick(k); };
        field_images_[static_cast<std::size_t>(k)] = image;
        images->addWidget(image, k / 3, k % 3);
    }
    field->addLayout(keys);
    field->addLayout(images);
    field_image_ = new ClickPanel;
    field_image_->setObjectName("GFXImage");
    field_image_->setToolTip("Full 3*3 image");
    field_image_->setFixedSize(kPictureSide, kPictureSide);
    field_image_->setFrameStyle(QFrame::Box);
    field_image_->on_click = [this] { GFXImageClick(); };
    field->addWidget(field_image_);
    field->addStretch(1);
    column->addLayout(field);

    auto* shapes = new QGroupBox;
    shapes->setObjectName("EntryShapeBox");
    auto* shape_row = new QHBoxLayout(shapes);
    shapes_ = new QButtonGroup(this);
    const std::pair<const char*, const char*> radios[] = {{"SingleEnterRadio", "Single"},
                                                          {"RowEnterRadio", "Row"},
                                                          {"ColumnEnterRadio", "Column"},
                                                          {"RMBButton", "Full 3*3 block"}};
    for (int tag = 0; tag < 4; ++tag) {
        auto* radio = new QRadioButton(radios[tag].second);
        radio->setObjectName(radios[tag].first);
        radio->setProperty("tag", tag);
        shapes_->addButton(radio, tag);
        shape_row->addWidget(radio);
    }
    shapes_->button(3)->setChecked(true);
    connect(shapes_, &QButtonGroup::idClicked, this, [this](int tag) { RMBButtonClick(tag); });
    shape_row->addStretch(1);
    column->addWidget(shapes);

    auto* replace = new QHBoxLayout;
    auto* replace_button = Button("GFXReplaceButton", "Replace with");
    connect(replace_button, &QPushButton::clicked, this, [this] { GFXReplaceButtonClick(); });
    replace->addWidget(replace_button);
    replace_edit_ = NamedEdit("GFXReplaceEdit", 40);
    replace_edit_->setMaxLength(2);
    replace->addWidget(replace_edit_);
    replace->addStretch(1);
    column->addLayout(replace);

    auto* inner = new QTabWidget;
    inner->setObjectName("UntergrundTabs");

    auto* patterns = new QWidget;
    patterns->setObjectName("BasisMuster");
    auto* pattern_column = new QVBoxLayout(patterns);
    pattern_box_ = new QComboBox;
    pattern_box_->setObjectName("GFXComboBox");
    for (const std::string& line : definitions.gfx_basis) pattern_box_->addItem(FromText(line));
    pattern_box_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    pattern_box_->setMinimumContentsLength(20);
    connect(pattern_box_, &QComboBox::currentIndexChanged, this,
            [this](int index) { window_.editor().tools.tiles.base_pattern = std::max(index, 0); });
    pattern_column->addWidget(pattern_box_);
    auto* fills = new QGridLayout;
    for (int tag = 0; tag < 4; ++tag) {
        auto* button = Button(kFillButtons[tag].name, kFillButtons[tag].caption);
        button->setProperty("tag", tag);
        connect(button, &QPushButton::clicked, this, [this, tag] { GFXBackButtonClick(tag); });
        fills->addWidget(button, tag / 2, tag % 2);
    }
    pattern_column->addLayout(fills);
    auto* height_row = new QHBoxLayout;
    height_row->addWidget(Caption("Label16", QString::fromUtf8("Höhe")));
    height_edit_ = NamedEdit("GFXHeightEdit", 50);
    height_edit_->setText("39");
    height_edit_->setToolTip("Minimum height above seaground");
    height_row->addWidget(height_edit_);
    height_row->addStretch(1);
    pattern_column->addLayout(height_row);
    pattern_column->addStretch(1);
    inner->addTab(patterns, "Basismuster");

    auto* places = new QWidget;
    places->setObjectName("ListeOrte");
    auto* places_column = new QVBoxLayout(places);
    auto* search = new QHBoxLayout;
    search->addWidget(Caption("HexSearchLabel", "Search Hex"));
    search_edit_ = NamedEdit("Edit5", 40);
    search_edit_->setMaxLength(2);
    search->addWidget(search_edit_);
    auto* list_button = Button("GFXAuflistenButton", "List");
    connect(list_button, &QPushButton::clicked, this, [this] { GFXAuflistenButtonClick(); });
    search->addWidget(list_button);
    colour_check_ = new QCheckBox("Colour");
    colour_check_->setObjectName("White2Check");
    colour_check_->setChecked(true);
    search->addWidget(colour_check_);
    colour_panel_ = new ClickPanel;
    colour_panel_->setObjectName("DrawColorPanel");
    colour_panel_->setFixedSize(30, 18);
    colour_panel_->setFrameStyle(QFrame::Panel | QFrame::Raised);
    colour_panel_->setToolTip("Farbe der hervorgehobenen Zellen");
    colour_panel_->on_click = [this] { DrawColorPanelClick(); };
    PaintPanel(colour_panel_, ColourOf(window_.settings().gfx_highlight));
    search->addWidget(colour_panel_);
    search->addStretch(1);
    places_column->addLayout(search);
    grid_ = BuildGrid("ListGrid2", 4);
    places_column->addWidget(grid_, 1);
    inner->addTab(places, "Orte");

    auto* display = new QWidget;
    display->setObjectName("Darstellung");
    auto* display_grid = new QGridLayout(display);
    display_grid->addWidget(Caption("Label18", "Floodfill unit: to right:"), 0, 0);
    flood_right_ = new QSpinBox;
    flood_right_->setObjectName("FloodRightBox");
    flood_right_->setRange(0, 999);
    flood_right_->setValue(2);
    display_grid->addWidget(flood_right_, 0, 1);
    display_grid->addWidget(Caption("Label24", "down:"), 0, 2);
    flood_down_ = new QSpinBox;
    flood_down_->setObjectName("FloodDownBox");
    flood_down_->setRange(0, 999);
    flood_down_->setValue(2);
    display_grid->addWidget(flood_down_, 0, 3);
    auto* flood = Button("FloodButton", "DoIt");
    connect(flood, &QPushButton::clicked, this, [this] { FloodButtonClick(); });
    display_grid->addWidget(flood, 0, 4);
    better_check_ = new QCheckBox("better");
    better_check_->setObjectName("BetterPicCheck");
    better_check_->setToolTip("Zeigt die Kachelserie in einem eigenen Fenster");
    connect(better_check_, &QCheckBox::clicked, this, [this] { BetterPicCheckClick(); });
    display_grid->addWidget(better_check_, 1, 0);
    display_grid->setColumnStretch(5, 1);
    display_grid->setRowStretch(2, 1);
    inner->addTab(display, "Darstellung");
    column->addWidget(inner, 1);

    ShowField();
}

UntergrundPage::~UntergrundPage() = default;

std::pair<int, int> UntergrundPage::FrameCorner() {
    Editor& e = window_.editor();
    const CellPoint cell =
        PixelToCell(e.view, e.doc.island, e.status, e.tools.frame.left, e.tools.frame.top);
    return {cell.x, cell.y};
}

bool UntergrundPage::Compose() {
    const QString key = key_edit_->text();
    try {
        ComposeField(window_.editor().tools, key.toStdString(),
                     rotation_box_->currentText().toStdString(),
                     offset_box_->currentText().toStdString());
    } catch (const Error& error) {
        window_.show_message(FromText(error.what()), false);
        return false;
    }
    LoadFieldPicture();
    ShowField();
    return true;
}

bool UntergrundPage::TakeFieldKeys() {
    TileField& field = window_.editor().tools.tiles;
    auto bytes = field.bytes;
    int series = 0;
    try {
        series = ReadHexKey(key_edit_->text().toStdString(), 1, "GFX key (hex)");
        for (int k = 0; k < 9; ++k) {
            const QLineEdit* edit = field_edits_[static_cast<std::size_t>(k)];
            bytes[k % 3][k / 3] = static_cast<std::uint8_t>(
                ReadHexKey(edit->text().toStdString(), 1, edit->objectName().toStdString()));
        }
    } catch (const Error& error) {
        window_.show_message(FromText(error.what()), false);
        return false;
    }
    field.bytes = bytes;
    field.series = series;
    return true;
}

void UntergrundPage::LoadFieldPicture() {
    const TileField& field = window_.editor().tools.tiles;
    // The field's columns 3..5 come with the turns C..F.
    const std::string name = "Series" + ValueToHex(field.series) +
                             ValueToHex(field.offset + (field.rotation & 0x0C)) + ".bmp";
    QImage picture(QString::fromStdString((window_.ProgramFolder() / "GFXImages" / name).string()));
    if (picture.isNull()) {
        pictures_ = {};
        if (better_check_->isChecked()) better_check_->setChecked(false);
        return;
    }
    picture = picture.convertToFormat(QImage::Format_RGB32).copy(0, 0, kPictureSide, kPictureSide);
    for (int turn = 0; turn < 4; ++turn) {
        pictures_[static_cast<std::size_t>(turn)] =
            turn == 0 ? picture : picture.transformed(QTransform().rotate(90 * turn));
    }
    if (view_form_ && better_check_->isChecked())
        view_form_->ShowSeriesImage(QString::fromStdString(ValueToHex(field.series)));
}

void UntergrundPage::ShowPictures() {
    const TileField& field = window_.editor().tools.tiles;
    const QImage& picture = pictures_[static_cast<std::size_t>(field.rotation % 4)];
    field_image_->setPixmap(picture.isNull() ? QPixmap() : QPixmap::fromImage(picture));
    for (int k = 0; k < 9; ++k) {
        ClickPanel* image = field_images_[static_cast<std::size_t>(k)];
        if (picture.isNull()) {
            image->setPixmap(QPixmap());
            continue;
        }
        image->setPixmap(QPixmap::fromImage(
            picture.copy(kTileOffsets[k % 3], kTileOffsets[k / 3], kTileSide, kTileSide)));
    }
}

void UntergrundPage::ShowField() {
    const ToolState& tools = window_.editor().tools;
    const TileField& field = tools.tiles;
    const QSignalBlocker block_offset(offset_box_), block_rotation(rotation_box_);
    key_edit_->setText(QString::fromStdString(ValueToHex(field.series)));
    offset_box_->setCurrentIndex(field.offset / 0x20);
    rotation_box_->setCurrentIndex(field.rotation > 3 ? field.rotation - 8 : field.rotation);
    for (int k = 0; k < 9; ++k) {
        field_edits_[static_cast<std::size_t>(k)]->setText(
            QString::fromStdString(ValueToHex(field.bytes[k % 3][k / 3])));
    }
    shapes_->button(static_cast<int>(field.shape))->setChecked(true);
    ShowPictures();
}

void UntergrundPage::ShowPickedField() {
    const TileField& field = window_.editor().tools.tiles;
    if (field.picked_item >= 0 && field.picked_item < tile_list_->count())
        tile_list_->setCurrentIndex(field.picked_item);
    search_edit_->setText(QString::fromStdString(field.search_text));
    LoadFieldPicture();
    ShowField();
}

void UntergrundPage::GFXKeyEditChange() {
    Editor& e = window_.editor();
    if (e.updating || key_edit_->text().size() != 2) return;
    if (key_edit_->text() == "00") {
        offset_box_->setCurrentIndex(0);
        rotation_box_->setCurrentIndex(0);
    }
    // A key still being typed is said only when it is used.
    if (IsHexKey(key_edit_->text())) Compose();
}

void UntergrundPage::ComboBox4Click() {
    if (window_.editor().updating) return;
    const std::string item = tile_list_->currentText().toStdString();
    if (item.size() < 5) return;
    key_edit_->setText(QString::fromStdString(item.substr(0, 2)));
    search_edit_->setText(QString::fromStdString(item.substr(0, 2)));
    const int offset = offset_box_->findText(QString(QChar(item[3])) + "0");
    const int rotation = rotation_box_->findText(QString(QChar(item[4])).toUpper());
    if (offset < 0 || rotation < 0) {
        window_.show_message("Keine Feldkachel: " + FromText(item), false);
        return;
    }
    offset_box_->setCurrentIndex(offset);
    rotation_box_->setCurrentIndex(rotation);
    if (Compose()) window_.ShowToolFrame();
}

void UntergrundPage::GFXRotationBoxClick() {
    if (window_.editor().updating) return;
    if (key_edit_->text().size() != 2) key_edit_->setText("00");
    if (!Compose()) return;
    Editor& e = window_.editor();
    insel::ShowToolFrame(e.tools, e.view, e.doc.island);
    window_.ShowToolFrame();
}

void UntergrundPage::RMBButtonClick(int tag) {
    Editor& e = window_.editor();
    if (e.updating) return;
    SetEntryShape(e.tools, static_cast<EntryShape>(tag));
    insel::ShowToolFrame(e.tools, e.view, e.doc.island);
    window_.ShowToolFrame();
}

void UntergrundPage::GFXEdit0DblClick(int edit) {
    Editor& e = window_.editor();
    if (!e.doc.loaded || !e.view.island_shown || !TakeFieldKeys()) return;
    const EntryShape shape = static_cast<EntryShape>(shapes_->checkedId());
    window_.RunHandler([this, &e, edit, shape] {
        const auto [x, y] = FrameCorner();
        const bool changed = e.Step("Untergrund setzen", [&] {
            StampField(e.doc.island, e.tools.tiles, x, y, shape, edit);
        });
        if (changed) window_.RedrawOverview();
        return changed;
    });
}

void UntergrundPage::GFXImageClick() {
    Editor& e = window_.editor();
    if (!e.doc.loaded || !e.view.island_shown || !TakeFieldKeys()) return;
    window_.RunHandler([this, &e] {
        const auto [x, y] = FrameCorner();
        const bool changed = e.Step("Untergrund setzen", [&] {
            StampField(e.doc.island, e.tools.tiles, x, y, EntryShape::Full, 0);
        });
        if (changed) window_.RedrawOverview();
        return changed;
    });
}

void UntergrundPage::FloodButtonClick() {
    Editor& e = window_.editor();
    if (!e.doc.loaded || !e.view.island_shown || !TakeFieldKeys()) return;
    window_.RunHandler([this, &e] {
        const auto [x, y] = FrameCorner();
        const bool changed = e.Step("Floodfill", [&] {
            FloodField(e.doc.island, e.tools.tiles, x, y, e.tools.spins.width, e.tools.spins.height,
                       flood_right_->value(), flood_down_->value());
        });
        if (changed) window_.RedrawOverview();
        return changed;
    });
}

void UntergrundPage::GFXReplaceButtonClick() {
    Editor& e = window_.editor();
    if (!e.doc.loaded) return;
    int from = 0, to = 0;
    try {
        from = ReadHexKey(key_edit_->text().toStdString(), 1, "GFX key (hex)");
        to = ReadHexKey(replace_edit_->text().toStdString(), 1, "Replace with");
    } catch (const Error& error) {
        window_.show_message(FromText(error.what()), false);
        return;
    }
    window_.RunHandler([this, &e, from, to] {
        const bool changed = e.Step("Replace with", [&] { ReplaceSeries(e.doc.island, from, to); });
        if (changed) window_.RedrawOverview();
        return changed;
    });
}

void UntergrundPage::GFXAuflistenButtonClick() {
    Editor& e = window_.editor();
    grid_->setRowCount(0);
    grid_->setHorizontalHeaderLabels({"Stufe", "x", "y", QString::fromUtf8("Höhe")});
    if (!e.doc.loaded) return;
    window_.RunHandler([this, &e] {
        const std::string text = search_edit_->text().toStdString();
        const SeriesListing listing = ListSeriesCells(e.doc.island, text);
        if (!listing.listed) return false;
        e.tools.tiles.search_text = text;
        e.tools.listing = listing.rows;
        FillGrid(grid_, listing.rows, FromText);
        if (colour_check_->isChecked()) {
            // Picked out until the next repaint.
            RenderSettings& settings = window_.settings();
            settings.highlight_kind = kGfxSeriesHighlight;
            settings.highlight_value = listing.series;
            window_.RepaintCanvas();
            settings.highlight_kind = kNoHighlight;
        }
        return false;
    });
}

void UntergrundPage::GFXBackButtonClick(int tag) {
    Editor& e = window_.editor();
    if (!e.doc.loaded) return;
    int threshold = 0;
    if (tag >= 2) {
        bool ok = false;
        threshold = height_edit_->text().trimmed().toInt(&ok);
        if (!ok) {
            window_.show_message("GFXHeightEdit: \"" + height_edit_->text() + "\" ist keine Zahl",
                                 false);
            return;
        }
    }
    const int index = pattern_box_->currentIndex();
    if (index < 0) return;
    const std::string line = e.definitions.gfx_basis[static_cast<std::size_t>(index)];
    window_.RunHandler([this, &e, tag, threshold, line] {
        std::string message;
        const bool changed = e.Step(kFillButtons[tag].caption, [&] {
            message =
                FillBase(e.doc.island, e.tools.tiles, line, static_cast<FillWhere>(tag), threshold);
        });
        if (!message.empty()) {
            window_.show_message(FromText(message), false);
            return false;
        }
        ShowField();
        if (changed) window_.RedrawOverview();
        return changed;
    });
}

void UntergrundPage::BetterPicCheckClick() {
    if (!better_check_->isChecked()) {
        if (view_form_) view_form_->hide();
        return;
    }
    if (!view_form_) {
        view_form_ =
            std::make_unique<TViewForm>(window_.editor().definitions, window_.ProgramFolder());
    }
    view_form_->ShowSeriesImage(
        QString::fromStdString(ValueToHex(window_.editor().tools.tiles.series)));
    view_form_->show();
}

void UntergrundPage::DrawColorPanelClick() {
    const QColor chosen = window_.choose_colour(ColourOf(window_.settings().gfx_highlight));
    if (!chosen.isValid()) return;
    window_.settings().gfx_highlight = ColourValue(chosen);
    PaintPanel(colour_panel_, chosen);
}

}  // namespace insel::gui
