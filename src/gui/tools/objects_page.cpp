#include "gui/tools/objects_page.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <array>
#include <charconv>
#include <optional>

#include "core/container/cp1252.h"
#include "core/container/file_io.h"
#include "core/island/cities.h"
#include "core/tools/element_pictures.h"
#include "core/tools/objects.h"
#include "core/tools/tool_frame.h"
#include "gui/app/controls.h"
#include "gui/app/main_window.h"
#include "gui/dialogs/building_form.h"
#include "gui/tools/line_drawing_page.h"
#include "platform/environment.h"

namespace insel::gui {
namespace {

constexpr const char* kRedButton = "QPushButton#AufraumButton { background: #FF0000; }";
constexpr const char* kGreenButton = "QPushButton#AufraumButton { background: #00FF00; }";

std::optional<int> Number(const std::string& text) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

QPushButton* Button(const char* name, const char* caption, int tag = -1) {
    auto* button = new QPushButton(QString::fromUtf8(caption));
    button->setObjectName(name);
    if (tag >= 0) button->setProperty("tag", tag);
    return button;
}

// While a list is inserted the window keeps painting, but only the abort button takes the
// user's input, and the window does not close under the running step.
class OnlyAbortFilter : public QObject {
  public:
    explicit OnlyAbortFilter(QWidget* abort) : abort_(abort) { qApp->installEventFilter(this); }
    ~OnlyAbortFilter() override { qApp->removeEventFilter(this); }

  protected:
    bool eventFilter(QObject* target, QEvent* event) override {
        switch (event->type()) {
            case QEvent::Close:
                event->ignore();
                return true;
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::Wheel:
            case QEvent::Shortcut:
            case QEvent::ShortcutOverride:
                return target != abort_;
            default:
                return false;
        }
    }

  private:
    QWidget* abort_;
};

}  // namespace

GebaeudePage::GebaeudePage(TInselZeichner& window, std::filesystem::path program_folder)
    : window_(window), program_folder_(std::move(program_folder)) {
    auto* column = new QVBoxLayout(this);
    column->setSpacing(8);

    // The building to place: chosen from the list or the picker, turned, shown.
    auto* choice = new QGroupBox;
    choice->setObjectName("BuildingBox");
    auto* choice_grid = new QGridLayout(choice);
    choice_grid->addWidget(Caption("ElementLabel", "Element"), 0, 0);
    building_box_ = new QComboBox;
    building_box_->setObjectName("BuildingComboBox");
    for (const std::string& item : window_.editor().definitions.building_items)
        building_box_->addItem(FromText(item));
    connect(building_box_, &QComboBox::activated, this,
            [this](int item) { BuildingComboBoxClick(item); });
    choice_grid->addWidget(building_box_, 0, 1, 1, 4);
    auto* picker = Button("PickerButton", "Bilder…");
    picker->setToolTip(QString::fromUtf8("Gebäude nach Volk aus Bildern wählen"));
    connect(picker, &QPushButton::clicked, this, [this] { ShowBuildingForm(); });
    choice_grid->addWidget(picker, 0, 5);
    choice_grid->addWidget(Caption(nullptr, "ID"), 1, 0);
    choice_grid->addWidget(id_panel_ = StatusPanel("IDPanel", 50), 1, 1);
    auto* turn = Button("OriButton", "Orientierung");
    connect(turn, &QPushButton::clicked, this, [this] { OriButtonClick(); });
    choice_grid->addWidget(turn, 1, 2);
    choice_grid->addWidget(ori_panel_ = StatusPanel("OriPanel", 24), 1, 3);
    ori_panel_->setText("0");
    choice_grid->addWidget(Caption(nullptr, "dx / dy"), 2, 0);
    choice_grid->addWidget(dx_panel_ = StatusPanel("dxPanel", 24), 2, 1);
    choice_grid->addWidget(dy_panel_ = StatusPanel("dyPanel", 24), 2, 2);
    object_image_ = new QLabel;
    object_image_->setObjectName("ObjectImage");
    object_image_->setFixedSize(64, 64);
    object_image_->setScaledContents(true);
    choice_grid->addWidget(object_image_, 1, 4, 2, 2);
    choice_grid->setColumnStretch(6, 1);
    column->addWidget(choice);

    // Placing and removing.
    auto* place = new QGroupBox;
    place->setObjectName("PlaceBox");
    auto* place_grid = new QGridLayout(place);
    place_grid->addWidget(Caption("StadtLabel", "Stadt"), 0, 0);
    place_grid->addWidget(city_panel_ = StatusPanel("SPanel", 40), 0, 1);
    auto* insert = Button("InsertButton", "Element einfügen", 0);
    auto* free_insert = Button("FreeInsertButton", "Frei einbauen", 2);
    auto* remove = Button("RemoveObjektButton", "Element entfernen");
    for (QPushButton* b : {insert, free_insert}) {
        connect(b, &QPushButton::clicked, this,
                [this, b] { InsertButtonClick(b->property("tag").toInt()); });
    }
    connect(remove, &QPushButton::clicked, this, [this] { RemoveObjektButtonClick(); });
    place_grid->addWidget(insert, 0, 2);
    place_grid->addWidget(free_insert, 0, 3);
    place_grid->addWidget(remove, 0, 4);
    place_grid->addWidget(Caption("ObjektLabel", "Objekt"), 1, 0);
    object_panel_ = StatusPanel("ObjektPanel", 200);
    place_grid->addWidget(object_panel_, 1, 1, 1, 4);
    auto* show_items = Button("ShowItemsButton", "Show elements", 1);
    auto* remove_items = Button("RemoveItemButton", "Alle mit dieser ID entfernen", 0);
    for (QPushButton* b : {show_items, remove_items}) {
        connect(b, &QPushButton::clicked, this,
                [this, b] { RemoveItemButtonClick(b->property("tag").toInt()); });
    }
    place_grid->addWidget(show_items, 2, 0, 1, 2);
    place_grid->addWidget(show_num_panel_ = StatusPanel("ShowNumPanel", 40), 2, 2);
    place_grid->addWidget(remove_items, 2, 3, 1, 2);
    auto* product = Button("ProductButton", "Produktliste (Test)");
    connect(product, &QPushButton::clicked, this, [this] { ProductButtonClick(); });
    place_grid->addWidget(product, 3, 0, 1, 2);
    // The height of the selected object; a click on the map shows the ground's height there.
    place_grid->addWidget(Caption("ObjHoeheLabel", QString::fromUtf8("Höhe")), 4, 0);
    height_edit_ = new QLineEdit;
    height_edit_->setObjectName("ObjHoeheEdit");
    height_edit_->setMaximumWidth(60);
    place_grid->addWidget(height_edit_, 4, 1);
    auto* change_height = Button("ChangeHeightButton", "Neue Höhe setzen");
    connect(change_height, &QPushButton::clicked, this, [this] {
        const Editor& editor = window_.editor();
        std::optional<std::size_t> selected;
        if (SelectedObject(editor.tools, editor.doc.island))
            selected = editor.tools.objects.selected;
        window_.line_drawing_page()->ChangeObjectHeight(selected, height_edit_->text());
    });
    place_grid->addWidget(change_height, 4, 2, 1, 2);
    place_grid->setColumnStretch(5, 1);
    column->addWidget(place);

    // The city: inhabitants, warehouses, and the main warehouse of a new town.
    auto* city = new QGroupBox;
    city->setObjectName("StadtBox");
    auto* city_grid = new QGridLayout(city);
    auto* count = Button("maxEinwohnerButton", "EW berechnen");
    connect(count, &QPushButton::clicked, this, [this] { maxEinwohnerButtonClick(); });
    city_grid->addWidget(count, 0, 0);
    wohn_panel_ = StatusPanel("WohnPanel", 70);
    city_grid->addWidget(wohn_panel_, 0, 1);
    aufraum_button_ = Button("AufraumButton", "Aufräumen");
    aufraum_button_->setToolTip("Rot = Kontore wurden erzeugt/entfernt, EZB nicht mehr richtig!");
    connect(aufraum_button_, &QPushButton::clicked, this, [this] { AufraumButtonClick(); });
    city_grid->addWidget(aufraum_button_, 0, 2);
    city_grid->setColumnStretch(3, 1);
    column->addWidget(city);

    auto* kinds = new QGroupBox;
    kinds->setObjectName("KontorTypBox");
    auto* kind_grid = new QGridLayout(kinds);
    kind_grid->addWidget(Caption("Label46", "Hauptkontortyp   (max 1 neue Stadt pro Session)"), 0,
                         0, 1, 3);
    auto* group = kind_group_ = new QButtonGroup(this);
    struct Kind {
        const char* name;
        const char* caption;
        int tag;
    };
    const std::array<Kind, 5> radios = {{{"NativeRadio", "Eingeborenenkontor", 1},
                                         {"PirateRadio", "Piratenkontor", 2},
                                         {"VeniceRadio", "Venezianerkontor", 3},
                                         {"MonsterRadio", "Monsterbau", 0},
                                         {"RadioButton6", "Kontor", 4}}};
    int slot = 0;
    for (const Kind& k : radios) {
        auto* radio = new QRadioButton(k.caption);
        radio->setObjectName(k.name);
        radio->setProperty("tag", k.tag);
        radio->setChecked(k.tag == 1);
        group->addButton(radio, k.tag);
        kind_grid->addWidget(radio, slot / 3 + 1, slot % 3);
        ++slot;
    }
    connect(group, &QButtonGroup::idClicked, this, [this](int tag) { NativeRadioClick(tag); });
    kind_grid->addWidget(Caption("newtownname", "Name der neuen Stadt"), 3, 0);
    town_name_edit_ = new QLineEdit("Newtown");
    town_name_edit_->setObjectName("NeueStadtEdit");
    town_name_edit_->setMaxLength(32);
    kind_grid->addWidget(town_name_edit_, 3, 1);
    auto* found = Button("HauptKontorButton", "Hauptkontor für neue Stadt setzen", 1);
    connect(found, &QPushButton::clicked, this, [this] { InsertButtonClick(1); });
    kind_grid->addWidget(found, 4, 0, 1, 3);
    column->addWidget(kinds);

    // Element lists.
    auto* lists = new QHBoxLayout;
    auto* free_list = Button("FreeListButton", "Freie Liste", 1);
    auto* town_list = Button("StadtListButton", "Stadt Liste", 0);
    for (QPushButton* b : {free_list, town_list}) {
        connect(b, &QPushButton::clicked, this,
                [this, b] { FreeListButtonClick(b->property("tag").toInt()); });
        lists->addWidget(b);
    }
    lists->addStretch(1);
    column->addLayout(lists);

    list_group_ = new QGroupBox;
    list_group_->setObjectName("FreeGroupBox");
    auto* list_grid = new QGridLayout(list_group_);
    auto* file = Button("FileListButton", "File:");
    connect(file, &QPushButton::clicked, this, [this] { FileListButtonClick(); });
    list_grid->addWidget(file, 0, 0);
    list_grid->addWidget(list_panel_ = StatusPanel("FillListPanel", 160), 0, 1, 1, 3);
    list_grid->addWidget(Caption("NumLinesLabel", "Zeilen:"), 1, 0);
    list_grid->addWidget(lines_panel_ = StatusPanel("NumLinesPanel", 40), 1, 1);
    list_grid->addWidget(Caption(nullptr, "Ofsety"), 1, 2);
    auto* offsets = new QHBoxLayout;
    offsets->addWidget(offset_x_panel_ = StatusPanel("StadtxOfsetPanel", 36));
    offsets->addWidget(offset_y_panel_ = StatusPanel("StadtyOfsetPanel", 36));
    list_grid->addLayout(offsets, 1, 3);
    list_grid->addWidget(Caption("OfsetLeftLabel", "Offset links (x)"), 2, 0);
    list_grid->addWidget(Caption("OfsetTopLabel", "Offset oben (y)"), 2, 2);
    for (QSpinBox** spin : {&offset_left_, &offset_top_}) {
        *spin = new QSpinBox;
        (*spin)->setRange(-kLayerSide, kLayerSide);
    }
    offset_left_->setObjectName("OfsetLeftSpin");
    offset_top_->setObjectName("OfsetTopSpin");
    list_grid->addWidget(offset_left_, 2, 1);
    list_grid->addWidget(offset_top_, 2, 3);
    insert_town_box_ = new QCheckBox("Mit Stadt einfügen");
    insert_town_box_->setObjectName("InsertStadtBox");
    clear_plants_box_ = new QCheckBox("Clear plants below building");
    clear_plants_box_->setObjectName("ClearPlantsCheck");
    clear_plants_box_->setChecked(true);
    redraw_at_end_box_ = new QCheckBox("Screen redraw at end only");
    redraw_at_end_box_->setObjectName("RefreshCheckBox");
    list_grid->addWidget(insert_town_box_, 3, 0, 1, 2);
    list_grid->addWidget(clear_plants_box_, 3, 2, 1, 2);
    list_grid->addWidget(redraw_at_end_box_, 4, 0, 1, 2);
    auto* insert_list = Button("InsertListButton", "Insert file");
    connect(insert_list, &QPushButton::clicked, this, [this] { InsertListButtonClick(); });
    abort_button_ = Button("AbortButton", "Abbrechen");
    abort_button_->setEnabled(false);
    connect(abort_button_, &QPushButton::clicked, this, [this] { AbortButtonClick(); });
    auto* close = Button("CloseListButton", "Close");
    connect(close, &QPushButton::clicked, this, [this] { CloseListButtonClick(); });
    list_grid->addWidget(insert_list, 5, 0);
    list_grid->addWidget(current_line_panel_ = StatusPanel("CurInsertPanel", 40), 5, 1);
    list_grid->addWidget(abort_button_, 5, 2);
    list_grid->addWidget(close, 5, 3);
    list_group_->hide();
    column->addWidget(list_group_);

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

GebaeudePage::~GebaeudePage() = default;

void GebaeudePage::maxEinwohnerButtonClick() {
    window_.RunHandler([this] {
        wohn_panel_->setText(
            QString::number(CountInhabitants(window_.editor().doc, window_.editor().status.memo3)));
        return false;
    });
}

void GebaeudePage::AufraumButtonClick() {
    if (!window_.editor().doc.loaded) return;
    aufraum_button_->setStyleSheet(kGreenButton);
    if (window_.RunLong([this] { window_.editor().TidyWarehouses(); })) {
        window_.editor().tools.objects.warehouses_changed = false;
        window_.Refresh();
    }
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
    const Editor& editor = window_.editor();
    if (QAbstractButton* radio = kind_group_->button(editor.doc.cities.main_warehouse_kind))
        radio->setChecked(true);
    const CityRecord* city = editor.doc.cities.Current();
    city_panel_->setText(city != nullptr ? QString::number(city->number) : QString());
    if (SelectedObject(editor.tools, editor.doc.island) == nullptr) object_panel_->clear();
    MarkWarehouses();
}

void GebaeudePage::ResetAfterLoad() {
    window_.editor().tools.objects.warehouses_changed = false;
    window_.editor().tools.objects.selected.reset();
    aufraum_button_->setStyleSheet(QString());
    wohn_panel_->clear();
    object_panel_->clear();
    show_num_panel_->clear();
    const CityRecord* city = window_.editor().doc.cities.Current();
    city_panel_->setText(city != nullptr ? QString::number(city->number) : QString());
}

void GebaeudePage::MarkWarehouses() {
    if (window_.editor().tools.objects.warehouses_changed)
        aufraum_button_->setStyleSheet(kRedButton);
}

void GebaeudePage::ShowPicture(int id, int orientation) {
    ShowElementPicture(object_image_, program_folder_, PictureKind::Object, orientation, id);
}

void GebaeudePage::ShowChosenBuilding() {
    const ToolState& tools = window_.editor().tools;
    const ObjectTool& tool = tools.objects;
    id_panel_->setText(tool.id > 0 ? QString::number(tool.id) : QString());
    ori_panel_->setText(QString::number(tool.orientation));
    const Footprint f = FootprintOf(tool.size, tool.orientation);
    dx_panel_->setText(QString::number(f.width));
    dy_panel_->setText(QString::number(f.height));
    if (tool.chosen_item >= 0 && building_box_->currentIndex() != tool.chosen_item)
        building_box_->setCurrentIndex(tool.chosen_item);
    ShowPicture(tool.id, tool.orientation);
}

void GebaeudePage::BuildingComboBoxClick(int item) {
    Editor& editor = window_.editor();
    if (editor.updating || !ChooseBuilding(editor.tools, editor.definitions, item)) return;
    ShowChosenBuilding();
    insel::ShowToolFrame(editor.tools, editor.view, editor.doc.island);
    window_.ShowToolFrame();
}

void GebaeudePage::SelectBuildingById(int id) {
    Editor& editor = window_.editor();
    if (editor.updating || !ChooseBuildingById(editor.tools, editor.definitions, id)) return;
    ShowChosenBuilding();
    insel::ShowToolFrame(editor.tools, editor.view, editor.doc.island);
    window_.ShowToolFrame();
}

void GebaeudePage::OriButtonClick() {
    Editor& editor = window_.editor();
    if (editor.updating) return;
    TurnBuilding(editor.tools);
    ShowChosenBuilding();
    insel::ShowToolFrame(editor.tools, editor.view, editor.doc.island);
    window_.ShowToolFrame();
    window_.RepaintCanvas();
}

void GebaeudePage::InsertButtonClick(int tag) {
    Editor& editor = window_.editor();
    if (editor.updating || !editor.doc.loaded) return;
    const auto x = Number(editor.status.frame_x);
    const auto y = Number(editor.status.frame_y);
    if (!x || !y || editor.tools.objects.id <= 0) {
        window_.show_message(FromGameText(kMissingParametersMessage), false);
        return;
    }
    InsertRequest request;
    request.x = *x;
    request.y = *y;
    request.id = editor.tools.objects.id;
    request.orientation = editor.tools.objects.orientation;
    request.as = tag == 2 ? InsertAs::Free : tag == 1 ? InsertAs::NewTown : InsertAs::City;
    request.warehouse_kind = editor.doc.cities.main_warehouse_kind;
    request.town_name = Utf8ToCp1252(town_name_edit_->text().toStdString());
    const char* step = tag == 2   ? "Frei einbauen"
                       : tag == 1 ? "Hauptkontor für neue Stadt setzen"
                                  : "Element einfügen";
    std::string message;
    window_.RunHandler([&] {
        editor.Step(step, [&] {
            message =
                InsertObject(editor.doc, editor.tools, editor.definitions, editor.status, request);
        });
        return message.empty();
    });
    if (!message.empty()) {
        window_.show_message(FromGameText(message), true);
        return;
    }
    ShowSelectedObject();
    ShowWarehouseKind();
}

void GebaeudePage::RemoveObjektButtonClick() {
    Editor& editor = window_.editor();
    std::string message;
    window_.RunHandler([&] {
        editor.Step("Element entfernen", [&] {
            message = RemoveSelectedObject(editor.doc, editor.tools, editor.status);
        });
        return message.empty();
    });
    if (!message.empty()) window_.show_message(FromGameText(message), false);
    ShowWarehouseKind();
}

void GebaeudePage::RemoveItemButtonClick(int tag) {
    Editor& editor = window_.editor();
    if (editor.updating) return;
    const QString text = id_panel_->text();
    // A one-character id is taken for a slip, as the list holds no such building.
    if (text.size() < 2) return;
    const int id = text.toInt();
    if (tag == 1) {
        window_.settings().shown_object_id = id;
        window_.RepaintCanvas();
        show_num_panel_->setText(
            QString::number(CountShownObjects(editor.doc.island, editor.view, id)));
        window_.settings().shown_object_id = -1;
        return;
    }
    window_.RunHandler([&] {
        editor.Step("Alle mit dieser ID entfernen",
                    [&] { RemoveObjectsWithId(editor.doc, editor.tools, editor.status, id); });
        return true;
    });
    ShowWarehouseKind();
}

void GebaeudePage::ProductButtonClick() {
    window_.RunHandler([this] {
        ListCityBuildings(window_.editor().doc, window_.editor().status);
        return true;
    });
}

void GebaeudePage::SetListControlsShown(bool list_open) {
    list_group_->setVisible(list_open);
    for (const char* name : {"ObjHoeheEdit", "ChangeHeightButton", "RemoveItemButton",
                             "ShowItemsButton", "ShowNumPanel"}) {
        // Some of them belong to other tools and may be elsewhere or absent.
        if (auto* control = window_.findChild<QWidget*>(name)) control->setVisible(!list_open);
    }
}

void GebaeudePage::FreeListButtonClick(int tag) {
    insert_town_box_->setChecked(tag == 0);
    list_panel_->clear();
    SetListControlsShown(true);
}

void GebaeudePage::FileListButtonClick() {
    const QString file = window_.choose_open_file(
        "Element list (*.txt)",
        TInselZeichner::OpenDialogFolder(platform::GamePath(), FileKind::Island));
    if (file.isEmpty()) return;
    try {
        list_ = std::make_unique<ElementList>(ReadElementList(PathFromUtf8(file.toStdString())));
    } catch (const std::exception& e) {
        list_.reset();
        window_.show_message(FromText(e.what()), true);
        return;
    }
    list_panel_->setText(file);
    lines_panel_->setText(QString::number(list_->line_count));
    offset_x_panel_->setText(FromText(list_->offset_x));
    offset_y_panel_->setText(FromText(list_->offset_y));
}

void GebaeudePage::InsertListButtonClick() {
    Editor& editor = window_.editor();
    if (editor.updating || !list_ || !editor.doc.loaded) return;
    if (offset_left_->value() == 0 && offset_top_->value() == 0 &&
        !window_.confirm_overwrite(FromText(kOffsetsUndefinedQuestion))) {
        return;
    }
    ElementListOptions options;
    options.left = offset_left_->value();
    options.top = offset_top_->value();
    options.town = insert_town_box_->isChecked();
    options.clear_plants = clear_plants_box_->isChecked();
    options.town_name = Utf8ToCp1252(town_name_edit_->text().toStdString());
    const bool redraw_each = !redraw_at_end_box_->isChecked();
    abort_requested_ = false;
    abort_button_->setEnabled(true);
    ElementListResult result;
    QElapsedTimer since_redraw;
    since_redraw.start();
    // The loop keeps the window alive; other handlers stay off while it runs (Updating), only
    // the abort button answers.
    auto after_element = [&](int line) {
        current_line_panel_->setText(QString::number(line));
        if (redraw_each && since_redraw.elapsed() >= 40) {
            editor.updating = false;
            window_.RepaintCanvas();
            editor.updating = true;
            since_redraw.restart();
        }
        QApplication::processEvents();
        return !abort_requested_;
    };
    const bool ran = window_.RunLong([&] {
        // Only while the step runs: the error box after a failure takes input again.
        const OnlyAbortFilter only_abort(abort_button_);
        editor.Step("Insert file", [&] {
            result = InsertElementList(editor.doc, editor.tools, editor.definitions, editor.status,
                                       *list_, options, after_element);
        });
    });
    abort_button_->setEnabled(false);
    if (!ran) return;
    if (!result.message.empty()) {
        window_.show_message(FromGameText(result.message), true);
        return;
    }
    // The list is done with; another insert opens it again.
    CloseListButtonClick();
    ShowSelectedObject();
    ShowWarehouseKind();
    window_.Refresh();
    window_.RedrawOverview();
}

void GebaeudePage::CloseListButtonClick() {
    SetListControlsShown(false);
    list_.reset();
    list_panel_->clear();
    lines_panel_->clear();
    offset_x_panel_->clear();
    offset_y_panel_->clear();
    current_line_panel_->clear();
}

void GebaeudePage::AbortButtonClick() { abort_requested_ = true; }

void GebaeudePage::ShowSelectedObject() {
    const Editor& editor = window_.editor();
    const ObjectEntry* object = SelectedObject(editor.tools, editor.doc.island);
    if (object == nullptr) {
        object_panel_->clear();
        return;
    }
    object_panel_->setText(FromText(DescribeObject(*object, editor.definitions)));
    ShowPicture(object->graphic_id, object->orientation);
}

void GebaeudePage::ShowAnimal(std::size_t index) {
    const auto& animals = window_.editor().doc.island.animals;
    if (index >= animals.size()) return;
    object_panel_->setText(FromText(DescribeAnimal(animals[index])));
}

TBuildingForm& GebaeudePage::BuildingForm() {
    if (picker_ == nullptr) {
        picker_ = new TBuildingForm(program_folder_, window_.editor().definitions, this);
        picker_->on_choose = [this](int id) {
            if (picker_->mode() == TBuildingForm::Mode::Building) {
                SelectBuildingById(id);
            } else if (vegetation_choice) {
                vegetation_choice(id);
            }
        };
    }
    return *picker_;
}

void GebaeudePage::ShowBuildingForm(TBuildingForm::Mode mode) {
    TBuildingForm& form = BuildingForm();
    // The grid keeps the people chosen last while the mode stays.
    if (form.mode() != mode) form.SetPickerMode(mode);
    form.show();
    form.raise();
}

void GebaeudePage::HideBuildingForm() {
    if (picker_ != nullptr) picker_->hide();
}

}  // namespace insel::gui
