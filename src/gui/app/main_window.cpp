#include "app/main_window.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <array>
#include <utility>

#include "container/cp1252.h"
#include "dialogs/about_box.h"
#include "dialogs/bitmap_form.h"
#include "dialogs/insel_size_box.h"
#include "dialogs/new_island.h"
#include "display/map_canvas.h"
#include "display/overview.h"
#include "display/view.h"
#include "environment.h"
#include "errors.h"
#include "image_files.h"
#include "island/cities.h"
#include "island/city_writer.h"
#include "island/island_list.h"
#include "island/loader.h"
#include "island/writer.h"
#include "memory_status.h"
#include "reports/export.h"

namespace insel::gui {
namespace {

// Game-file text (panels, island names) is Windows-1252.
QString FromGameText(const std::string& text) { return QString::fromStdString(Cp1252ToUtf8(text)); }

// Definition files and messages are UTF-8 unless they are not valid UTF-8.
QString FromText(const std::string& text) {
    return QString::fromStdString(IsValidUtf8(text) ? text : Cp1252ToUtf8(text));
}

// The open dialog of one file kind of the menu "Insel laden".
struct OpenKind {
    int file_kind;
    const char* folder;
    const char* filter;
};
OpenKind OpenKindOf(int file_kind) {
    switch (file_kind) {
        case kSavegame:
            return {kSavegame, "SaveGames", "Savegames (*.sav)"};
        case kCityFile:
            return {kCityFile, "UserStuff", "Extracted cities (*.cty)"};
        case kScenario:
            return {kScenario, "Scenes", "Scenario files (*.sze)"};
        default:
            return {kIslandFile, "Scenes/Islands", "Island (*.scp)"};
    }
}

QLabel* StatusPanel(const char* name, int min_width) {
    auto* panel = new QLabel;
    panel->setObjectName(name);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setMinimumWidth(min_width);
    panel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    panel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    panel->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    return panel;
}

QLabel* Caption(const char* name, const QString& text) {
    auto* label = new QLabel(text);
    if (name) label->setObjectName(name);
    return label;
}

// Line of MainIStrings -> control, in the order they are applied (the part of the list whose
// controls this window has). Tab pages take the line as their tab caption.
constexpr std::pair<int, const char*> kInterfaceTexts[] = {
    {3, "Inselextrahieren1"},
    {4, "Inselladen1"},
    {5, "EigenesInselformatladen1"},
    {6, "ExtractFromSave"},
    {7, "NeueInsel"},
    {8, "Exit1"},
    {9, "FesteGFXBitmaps1"},
    {10, "GFXBitmapssetzen1"},
    {11, "ExtractFromSzen"},
    {12, "Info1"},
    {13, "About1"},
    {15, "Insel"},
    {16, "TeilPanel"},
    {17, "StaedtePanel"},
    {19, "ElementePanel"},
    {20, "MinWhPanel"},
    {21, "AbbauPPanel"},
    {22, "TierPanel"},
    {23, "WasserAntPanel"},
    {25, "InselGrPanel"},
    {26, "FullIslandButton"},
    {29, "Label39"},
    {30, "RadioButton1"},
    {31, "RadioButton2"},
    {32, "UntergrundCheck"},
    {33, "RadioButton3"},
    {34, "RadioButton4"},
    {40, "HoehenStatistik"},
    {45, "WeitereStatistik"},
    {46, "SaveGFXStatButton"},
    {47, "DoItButton"},
    {48, "OhneLowCheck"},
    {49, "OhneRotCheck"},
    {51, "GelaendeLabel"},
    {52, "SaveGelStatButton"},
    {55, "Minen"},
    {75, "Speichern"},
    {76, "SaveInselButton"},
    {77, "WriteCtyButton"},
    {78, "WritexyButton"},
    {79, "DummyButton"},
    {85, "Gelaende"},
    {120, "Untergrund"},
    {155, "LineDrawing"},
    {175, "CopyBuffer"},
    {195, "Objects"},
    {230, "FlussSheet"},
    {240, "TabSheet1"},
    {300, "SettingsSheet"},
    {307, "WarnCheck"},
    {310, "RotationSheet"},
};

// PageControl1's pages in order: name, caption until the interface texts apply, tag (ToolMode).
struct Page {
    const char* name;
    const char* caption;
    int tag;
};
constexpr Page kPages[] = {
    {"HoehenStatistik", "Höhenstatistik", 0},
    {"WeitereStatistik", "Mehr Statistik", 0},
    {"Minen", "Minen", 1},
    {"Speichern", "Speichern", 0},
    {"Gelaende", "Bewuchs", 2},
    {"Untergrund", "Untergrund", 3},
    {"LineDrawing", "Höhenprofil", 4},
    {"CopyBuffer", "Kopieren", 5},
    {"Objects", "Gebäude", 6},
    {"FlussSheet", "Fluss", 7},
    {"TabSheet1", "Stadtliste", 8},
    {"Insel", "Insel", 0},
    {"TabSheet2", "Inselliste", 9},
    {"SettingsSheet", "SettingsSheet", 0},
    {"RotationSheet", "RotationSheet", 0},
};

// Heading lines of the two lists; 0 is the fixed text "ID".
constexpr std::array<int, 7> kCityHeadings = {246, 247, 248, 249, 250, 251, 252};
constexpr std::array<int, 9> kIslandHeadings = {246, 249, 254, 255, 257, 258, 259, 250, 0};

constexpr int kOverwriteQuestionLine = 308;

}  // namespace

TInselZeichner::TInselZeichner(std::filesystem::path program_folder, Definitions definitions,
                               std::string game_path, QWidget* parent)
    : QMainWindow(parent),
      program_folder_(std::move(program_folder)),
      game_path_(std::move(game_path)) {
    setObjectName("TInselZeichner");
    editor_.updating = true;
    editor_.definitions = std::move(definitions);
    textures_ = std::make_unique<TextureCache>(program_folder_, platform::LoadPicture);
    bitmap_form_ = std::make_unique<TBitmapForm>(editor_, *textures_, program_folder_);
    connect(bitmap_form_.get(), &TBitmapForm::TexturesChanged, this, [this] {
        if (settings_.use_tile_bitmaps) RepaintCanvas();
    });
    raster_.Fill(0xFFFFFFFFu);

    confirm_exit = [this] {
        return QMessageBox::question(this, windowTitle(), "Really exit?",
                                     QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    };
    show_message = [this](const QString& text, bool error) {
        if (error) {
            QMessageBox::critical(this, windowTitle(), text);
        } else {
            QMessageBox::information(this, windowTitle(), text);
        }
    };
    // The overwrite question is ours, so the dialog must not ask as well.
    choose_save_file = [this](const QString& filter, const QString& proposed_name) {
        return QFileDialog::getSaveFileName(this, QString(), proposed_name, filter, nullptr,
                                            QFileDialog::DontConfirmOverwrite);
    };
    confirm_overwrite = [this](const QString& question) {
        return QMessageBox::question(this, windowTitle(), question,
                                     QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    };
    run_size_box = [](TInselSizeBox& box) { return box.exec(); };

    setWindowTitle("Inseleditor");
    BuildMenu();

    auto* central = new QWidget;
    auto* sides = new QHBoxLayout(central);
    sides->setContentsMargins(6, 6, 6, 6);
    sides->setSpacing(8);
    auto* column = new QVBoxLayout;
    column->setSpacing(6);
    sides->addLayout(column);
    canvas_ = new MapCanvas(raster_);
    canvas_->on_mouse_move = [this](int px, int py) { FlickerFreePaintBox2MouseMove(px, py); };
    column->addWidget(canvas_, 0, Qt::AlignLeft | Qt::AlignTop);

    auto* controls = new QHBoxLayout;
    controls->setSpacing(8);
    controls->addWidget(BuildNavigation(), 0, Qt::AlignTop);
    controls->addWidget(BuildLayers(), 0, Qt::AlignTop);
    controls->addWidget(BuildStatus(), 0, Qt::AlignTop);
    controls->addStretch(1);
    column->addLayout(controls);
    column->addStretch(1);
    sides->addWidget(BuildPages(), 1);
    setCentralWidget(central);

    editor_.view.zoom_cell_size = 16;
    SyncControls();
    editor_.updating = false;
}

TInselZeichner::~TInselZeichner() = default;

void TInselZeichner::BuildMenu() {
    QMenu* load = menuBar()->addMenu("Insel laden");
    load->setObjectName("Inselextrahieren1");
    const std::array<std::pair<const char*, int>, 4> items = {{
        {"Inselladen1", kIslandFile},
        {"EigenesInselformatladen1", kCityFile},
        {"ExtractFromSave", kSavegame},
        {"ExtractFromSzen", kScenario},
    }};
    const std::array<const char*, 4> captions = {
        "KelmGame Inselfile *.scp laden", "Eigenes Inselformat *.cty laden",
        "Extract island from savegame", "Extract island from scenario"};
    for (std::size_t i = 0; i < items.size(); ++i) {
        QAction* action = load->addAction(captions[i]);
        action->setParent(this);
        action->setObjectName(items[i].first);
        const int kind = items[i].second;
        connect(action, &QAction::triggered, this, [this, kind] { InselladenClick(kind); });
    }
    QAction* new_island = load->addAction("Neue Insel generieren");
    new_island->setParent(this);
    new_island->setObjectName("NeueInsel");
    connect(new_island, &QAction::triggered, this, [this] { NeueInselClick(); });
    load->addSeparator();
    QAction* exit = load->addAction("Exit");
    exit->setParent(this);
    exit->setObjectName("Exit1");
    connect(exit, &QAction::triggered, this, &QWidget::close);

    QMenu* textures = menuBar()->addMenu("Feste GFX Bitmaps");
    textures->setObjectName("FesteGFXBitmaps1");
    QAction* preload = textures->addAction("GFX Bitmaps setzen");
    preload->setParent(this);
    preload->setObjectName("GFXBitmapssetzen1");
    connect(preload, &QAction::triggered, this, [this] { GFXBitmapssetzen1Click(); });

    QMenu* info = menuBar()->addMenu("?");
    info->setObjectName("Info1");
    QAction* about = info->addAction("About..");
    about->setParent(this);
    about->setObjectName("About1");
    connect(about, &QAction::triggered, this, [this] { About1Click(); });
}

void TInselZeichner::NeueInselClick() {
    if (editor_.updating) return;
    // No parent: the dialog's controls must not be found among the window's own by name.
    TInselSizeBox box(editor_.definitions);
    // The island is only replaced once the user said OK; closing the dialog keeps it.
    if (run_size_box(box) != QDialog::Accepted) return;
    RunHandler([this, &box] {
        editor_.ClearIsland();
        NewIsland(editor_, box.Size(), box.Climate());
        ResetView(editor_);
        FillLists();
        UpdateLegend(true);
        RedrawOverview();
        SyncControls();
        return true;
    });
}

void TInselZeichner::About1Click() {
    show_message(AboutText(platform::AvailableSystemMemory()), false);
}

void TInselZeichner::GFXBitmapssetzen1Click() {
    bitmap_form_->show();
    bitmap_form_->raise();
    bitmap_form_->activateWindow();
}

QWidget* TInselZeichner::BuildNavigation() {
    auto* box = new QGroupBox;
    box->setObjectName("NavigationBox");
    auto* row = new QHBoxLayout(box);

    part_panel_ = new QFrame;
    part_panel_->setObjectName("PartPanel");
    part_panel_->setFixedSize(kOverviewSide, kOverviewSide);
    mini_image_ = new OverviewImage(part_panel_);
    mini_image_->move(0, 0);
    mini_image_->on_release = [this](int x, int y) {
        RunHandler([this, x, y] {
            const bool acted = PartPanelMouseUp(editor_, x, y);
            if (acted) UpdateLegend(false);
            return acted;
        });
    };
    part_frame_ = new QFrame(part_panel_);
    part_frame_->setObjectName("PartFrame");
    part_frame_->setStyleSheet(
        "QFrame#PartFrame { border: 1px solid white; background: transparent; }");
    part_frame_->setAttribute(Qt::WA_TransparentForMouseEvents);
    part_frame_->setFocusPolicy(Qt::NoFocus);
    part_frame_->setGeometry(2, 2, 12, 12);
    part_frame_->hide();
    row->addWidget(part_panel_, 0, Qt::AlignTop);

    auto* side = new QVBoxLayout;
    side->setSpacing(2);
    auto* full = new QPushButton("Voll");
    full->setObjectName("FullIslandButton");
    connect(full, &QPushButton::clicked, this, [this] {
        RunHandler([this] {
            const bool acted = FullIslandButtonClick(editor_);
            if (acted) UpdateLegend(true);
            return acted;
        });
    });
    side->addWidget(full);

    zoom_group_ = new QButtonGroup(this);
    const std::array<std::pair<const char*, int>, 4> zooms = {
        {{"RadioButton12", 42}, {"Zoom3Radio", 32}, {"Zoom1Radio", 16}, {"Zoom2Radio", 8}}};
    const std::array<const char*, 4> zoom_captions = {"  24 * 12", "  32 * 16", "  64 * 32",
                                                      "128 * 64"};
    for (std::size_t i = 0; i < zooms.size(); ++i) {
        auto* radio = new QRadioButton(zoom_captions[i]);
        radio->setObjectName(zooms[i].first);
        radio->setProperty("tag", zooms[i].second);
        zoom_group_->addButton(radio, zooms[i].second);
        side->addWidget(radio);
    }
    connect(zoom_group_, &QButtonGroup::idClicked, this, [this](int tag) {
        RunHandler([this, tag] {
            const bool acted = Zoom1RadioClick(editor_, tag);
            if (acted) UpdateLegend(false);
            return acted;
        });
    });

    // The arrows move the origin one cell; the canvas repaints whether it moved or not.
    auto* arrows = new QGridLayout;
    arrows->setSpacing(2);
    struct Arrow {
        const char* name;
        Qt::ArrowType type;
        bool (*handler)(Editor&);
        int row, column;
    };
    const std::array<Arrow, 4> arrow_buttons = {{
        {"yOfsetSpinUp", Qt::UpArrow, &YOfsetSpinUpClick, 0, 1},
        {"xOfsetSpinDown", Qt::LeftArrow, &XOfsetSpinDownClick, 1, 0},
        {"xOfsetSpinUp", Qt::RightArrow, &XOfsetSpinUpClick, 1, 2},
        {"yOfsetSpinDown", Qt::DownArrow, &YOfsetSpinDownClick, 2, 1},
    }};
    for (const Arrow& a : arrow_buttons) {
        auto* button = new QToolButton;
        button->setObjectName(a.name);
        button->setArrowType(a.type);
        button->setAutoRepeat(true);
        auto handler = a.handler;
        connect(button, &QToolButton::clicked, this, [this, handler] {
            RunHandler([this, handler] { return handler(editor_); }, true);
        });
        arrows->addWidget(button, a.row, a.column);
    }
    auto* origin = new QGridLayout;
    origin->setHorizontalSpacing(4);
    origin->addWidget(Caption(nullptr, "x"), 0, 0);
    origin->addWidget(StatusPanel("xOfsetPanel", 36), 0, 1);
    origin->addWidget(Caption(nullptr, "y"), 1, 0);
    origin->addWidget(StatusPanel("yOfsetPanel", 36), 1, 1);
    auto* arrow_row = new QHBoxLayout;
    arrow_row->addLayout(arrows);
    arrow_row->addSpacing(6);
    arrow_row->addLayout(origin);
    side->addLayout(arrow_row);
    side->addStretch(1);
    row->addLayout(side);
    return box;
}

QWidget* TInselZeichner::BuildLayers() {
    auto* box = new QGroupBox;
    box->setObjectName("LayerBox");
    auto* grid = new QGridLayout(box);
    grid->setVerticalSpacing(3);
    grid->addWidget(Caption("Label39", "Darstellung:"), 0, 0, 1, 2);

    layer_group_ = new QButtonGroup(this);
    const std::array<const char*, 4> names = {"RadioButton1", "RadioButton2", "RadioButton3",
                                              "RadioButton4"};
    const std::array<const char*, 4> captions = {"Höhen Profil", "Untergrund", "Bewuchs",
                                                 "Fruchtbarkeit"};
    const std::array<const char*, 4> edits = {"Edit1", "Edit2", "Edit3", "Edit4"};
    int row = 1;
    for (int i = 0; i < 4; ++i) {
        auto* radio = new QRadioButton(QString::fromUtf8(captions[static_cast<std::size_t>(i)]));
        radio->setObjectName(names[static_cast<std::size_t>(i)]);
        radio->setProperty("tag", i);
        layer_group_->addButton(radio, i);
        grid->addWidget(radio, row, 0);
        auto* edit = new QLineEdit;
        edit->setObjectName(edits[static_cast<std::size_t>(i)]);
        edit->setReadOnly(true);
        edit->setFixedWidth(110);
        grid->addWidget(edit, row, 1);
        ++row;
        if (i == 1) {
            untergrund_check_ = new QCheckBox("als Bitmaps");
            untergrund_check_->setObjectName("UntergrundCheck");
            connect(untergrund_check_, &QCheckBox::clicked, this,
                    [this] { DisplaysollBitmapsbentzen1Click(); });
            grid->addWidget(untergrund_check_, row, 0, 1, 2, Qt::AlignLeft);
            untergrund_check_->setContentsMargins(20, 0, 0, 0);
            ++row;
        }
    }
    // RadioButton1Click: the layer changes even while Updating; only the repaint waits.
    connect(layer_group_, &QButtonGroup::idClicked, this, [this](int tag) {
        editor_.display_layer = tag;
        if (editor_.updating) return;
        Refresh();
        UpdateLegend(false);
    });

    auto* mouse = new QGridLayout;
    mouse->setHorizontalSpacing(4);
    mouse->addWidget(Caption(nullptr, "x"), 0, 0);
    mouse->addWidget(StatusPanel("MouseXPanel", 44), 0, 1);
    mouse->addWidget(Caption(nullptr, "hex"), 0, 2);
    mouse->addWidget(StatusPanel("MouseHXPanel", 44), 0, 3);
    mouse->addWidget(Caption(nullptr, "y"), 1, 0);
    mouse->addWidget(StatusPanel("MouseYPanel", 44), 1, 1);
    mouse->addWidget(Caption(nullptr, "hex"), 1, 2);
    mouse->addWidget(StatusPanel("MouseHYPanel", 44), 1, 3);
    mouse->setColumnStretch(1, 1);
    mouse->setColumnStretch(3, 1);
    grid->addLayout(mouse, row, 0, 1, 2);
    return box;
}

QWidget* TInselZeichner::BuildStatus() {
    auto* box = new QGroupBox;
    box->setObjectName("StatusBox");
    auto* grid = new QGridLayout(box);
    grid->setVerticalSpacing(3);
    grid->setHorizontalSpacing(6);

    grid->addWidget(Caption(nullptr, "Insel"), 0, 0);
    auto* name = StatusPanel("IslandNamePanel", 180);
    name->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    grid->addWidget(name, 0, 1, 1, 3);

    grid->addWidget(Caption("InselGrPanel", "Inselgrösse"), 1, 0);
    grid->addWidget(StatusPanel("xSizePanel", 50), 1, 1);
    grid->addWidget(Caption(nullptr, "x"), 1, 2, Qt::AlignCenter);
    grid->addWidget(StatusPanel("ySizePanel", 50), 1, 3);

    // Two columns of caption + value.
    struct Entry {
        const char* caption_name;
        const char* caption;
        const char* panel;
    };
    const std::array<Entry, 9> entries = {{
        {"TeilPanel", "Teilblöcke", "StufenPanel"},
        {"StaedtePanel", "Städte", "AnzStadtPanel"},
        {"ElementePanel", "Elemente", "BauOrtePanel"},
        {"MinWhPanel", "Minen", "MinenBergePanel"},
        {"AbbauPPanel", "Abbauplätze", "MinenOrtePanel"},
        {"TierPanel", "Tiere", "TierePanel"},
        {"WasserAntPanel", "Wasser %", "WasserPanel"},
        {nullptr, "Bytes", "FSizePanel"},
        {nullptr, "Add-on", "AddOnPanel"},
    }};
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const int r = 2 + static_cast<int>(i % 5);
        const int c = static_cast<int>(i / 5) * 2;
        grid->addWidget(Caption(entries[i].caption_name, QString::fromUtf8(entries[i].caption)), r,
                        c == 0 ? 0 : 2);
        grid->addWidget(StatusPanel(entries[i].panel, 70), r, c == 0 ? 1 : 3);
    }
    grid->setRowStretch(7, 1);
    return box;
}

void TInselZeichner::ApplyInterfaceTexts() {
    const auto& lines = editor_.definitions.main_strings;
    auto line = [&](int n) -> const std::string* {
        return n >= 0 && n < static_cast<int>(lines.size()) ? &lines[static_cast<std::size_t>(n)]
                                                            : nullptr;
    };
    if (const std::string* title = line(2)) setWindowTitle(FromText(*title));
    for (const auto& [n, name] : kInterfaceTexts) {
        const std::string* text = line(n);
        if (!text) continue;
        const QString caption = FromText(*text);
        QObject* control = findChild<QObject*>(name);
        if (auto* action = qobject_cast<QAction*>(control)) {
            action->setText(caption);
        } else if (auto* menu = qobject_cast<QMenu*>(control)) {
            menu->setTitle(caption);
        } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            button->setText(caption);
        } else if (auto* label = qobject_cast<QLabel*>(control)) {
            label->setText(caption);
        } else if (auto* page = qobject_cast<QWidget*>(control);
                   page && page_control_->indexOf(page) >= 0) {
            page_control_->setTabText(page_control_->indexOf(page), caption);
        }
    }
    auto headings = [&](QTableWidget* grid, const auto& numbers) {
        QStringList texts;
        for (int n : numbers) texts << (n == 0 ? QString("ID") : InterfaceText(n, QString()));
        grid->setHorizontalHeaderLabels(texts);
    };
    headings(city_grid_, kCityHeadings);
    headings(island_grid_, kIslandHeadings);
}

QString TInselZeichner::InterfaceText(int line, const QString& fallback) const {
    const auto& lines = editor_.definitions.main_strings;
    if (line < 0 || line >= static_cast<int>(lines.size())) return fallback;
    return FromText(lines[static_cast<std::size_t>(line)]);
}

QTabWidget* TInselZeichner::BuildPages() {
    page_control_ = new QTabWidget;
    page_control_->setObjectName("PageControl1");
    page_control_->setUsesScrollButtons(true);
    page_control_->setMinimumWidth(480);
    for (const Page& p : kPages) {
        QWidget* page = nullptr;
        if (std::string_view(p.name) == "Speichern") {
            page = BuildSavePage();
        } else if (std::string_view(p.name) == "HoehenStatistik") {
            page = BuildLegendPage();
        } else if (std::string_view(p.name) == "WeitereStatistik") {
            page = BuildStatisticsPage();
        } else if (std::string_view(p.name) == "TabSheet1") {
            page = new QWidget;
            city_grid_ = BuildGrid("StadtListenGrid", static_cast<int>(kCityHeadings.size()));
            connect(city_grid_, &QTableWidget::cellClicked, this,
                    [this](int row, int) { SelectCityListRow(row + 1); });
            (new QVBoxLayout(page))->addWidget(city_grid_);
        } else if (std::string_view(p.name) == "TabSheet2") {
            page = new QWidget;
            island_grid_ = BuildGrid("InselListenGrid", static_cast<int>(kIslandHeadings.size()));
            connect(island_grid_, &QTableWidget::cellClicked, this,
                    [this](int row, int) { SelectIslandListRow(row + 1); });
            (new QVBoxLayout(page))->addWidget(island_grid_);
        } else {
            page = new QWidget;
        }
        page->setObjectName(p.name);
        page->setProperty("tag", p.tag);
        page_control_->addTab(page, QString::fromUtf8(p.caption));
    }
    connect(page_control_, &QTabWidget::currentChanged, this,
            [this](int index) { PageControl1Change(index); });
    return page_control_;
}

QTableWidget* TInselZeichner::BuildGrid(const char* name, int columns) {
    auto* grid = new QTableWidget(0, columns);
    grid->setObjectName(name);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    return grid;
}

QWidget* TInselZeichner::BuildSavePage() {
    auto* page = new QWidget;
    auto* column = new QVBoxLayout(page);
    column->setSpacing(6);
    struct SaveButton {
        const char* name;
        const char* caption;
        int tag;
    };
    const std::array<SaveButton, 3> buttons = {{
        {"SaveInselButton", "Write *.scp island      (No Buildings saved)", 0},
        {"WriteCtyButton", "Write *.cty Island      (With selected city)", 1},
        {"WritexyButton", "Rohinsel (ohne Elemente) als x/y Paare exportieren", 2},
    }};
    for (const SaveButton& b : buttons) {
        auto* button = new QPushButton(b.caption);
        button->setObjectName(b.name);
        button->setProperty("tag", b.tag);
        const int tag = b.tag;
        connect(button, &QPushButton::clicked, this, [this, tag] { SaveInselButtonClick(tag); });
        column->addWidget(button);
    }
    auto* dummy = new QPushButton("Schreibe eine leere Insel im DUMMY-Format");
    dummy->setObjectName("DummyButton");
    connect(dummy, &QPushButton::clicked, this, [this] { DummyButtonClick(); });
    column->addWidget(dummy);
    column->addSpacing(8);

    warn_check_ = new QCheckBox("warn when overwrite files");
    warn_check_->setObjectName("WarnCheck");
    warn_check_->setChecked(true);
    no_animals_check_ = new QCheckBox("Ohne Tiere speichern / save without animals");
    no_animals_check_->setObjectName("NoAnimalsCheck");
    recount_check_ = new QCheckBox("Recount KONTIDs on cty-islands");
    recount_check_->setObjectName("RecountProdCheck");
    for (QCheckBox* check : {warn_check_, no_animals_check_, recount_check_})
        column->addWidget(check);
    column->addStretch(1);
    return page;
}

QWidget* TInselZeichner::BuildLegendPage() {
    // Fixed places: six rows of panels, each with its count label to the right.
    auto* legend = new QWidget;
    legend->setObjectName("LegendArea");
    const int columns = (kLegendPanelCount + 5) / 6;
    legend->setFixedSize((columns - 1) * 78 + 37 + 40 + 6, 5 * 28 + 10 + 20 + 10);
    for (int i = 0; i < kLegendPanelCount; ++i) {
        const int top = (i % 6) * 28 + 10;
        const int left = (i / 6) * 78;
        auto* panel = new QLabel(legend);
        panel->setObjectName(QString("LegendPanel%1").arg(i));
        panel->setProperty("tag", i);
        panel->setGeometry(left + 6, top, 27, 20);
        panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
        panel->setAlignment(Qt::AlignCenter);
        panel->setAutoFillBackground(true);
        legend_panels_[static_cast<std::size_t>(i)] = panel;
        auto* count = new QLabel(legend);
        count->setObjectName(QString("LegendCount%1").arg(i));
        count->setGeometry(left + 37, top, 40, 20);
        count->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        legend_counts_[static_cast<std::size_t>(i)] = count;
    }
    // The panels need more width than the page column may have; scroll rather than clip.
    auto* scroll = new QScrollArea;
    scroll->setObjectName("LegendScroll");
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(legend);
    auto* page = new QWidget;
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(scroll);
    ShowLegend(Legend{});
    return page;
}

void TInselZeichner::UpdateLegend(bool whole_island) {
    ShowLegend(whole_island ? FullIslandLegend(editor_) : ViewLegend(editor_));
}

void TInselZeichner::ShowLegend(const Legend& legend) {
    const QColor face = QApplication::palette().color(QPalette::Button);
    for (std::size_t i = 0; i < legend.size(); ++i) {
        const LegendEntry& entry = legend[i];
        QLabel* panel = legend_panels_[i];
        QPalette colours = panel->palette();
        QColor back = face;
        if (entry.shown) {
            back = QColor(static_cast<int>(entry.colour & 0xFF),
                          static_cast<int>((entry.colour >> 8) & 0xFF),
                          static_cast<int>((entry.colour >> 16) & 0xFF));
        }
        colours.setColor(QPalette::Window, back);
        // Dark bands need a light caption to stay readable.
        colours.setColor(QPalette::WindowText, back.lightness() < 110 ? Qt::white : Qt::black);
        panel->setPalette(colours);
        panel->setText(QString::fromStdString(entry.caption));
        legend_counts_[i]->setText(QString::fromStdString(entry.count));
    }
}

QWidget* TInselZeichner::BuildStatisticsPage() {
    auto* page = new QWidget;
    auto* column = new QVBoxLayout(page);
    column->setSpacing(6);
    auto* top = new QHBoxLayout;
    auto* doit = new QPushButton("Create statistics");
    doit->setObjectName("DoItButton");
    connect(doit, &QPushButton::clicked, this, [this] { DoItButtonClick(); });
    top->addWidget(doit);
    ohne_low_check_ = new QCheckBox("Ohne Lobyte");
    ohne_low_check_->setObjectName("OhneLowCheck");
    ohne_low_check_->setChecked(true);
    ohne_rot_check_ = new QCheckBox("Ohne Feldrotation");
    ohne_rot_check_->setObjectName("OhneRotCheck");
    ohne_rot_check_->setChecked(true);
    top->addWidget(ohne_low_check_);
    top->addWidget(ohne_rot_check_);
    top->addStretch(1);
    column->addLayout(top);

    gfx_grid_ = BuildGrid("GFXGrid", 4);
    column->addWidget(gfx_grid_, 1);
    auto* save_gfx = new QPushButton("Save GFX statistics");
    save_gfx->setObjectName("SaveGFXStatButton");
    save_gfx->setProperty("tag", 0);
    connect(save_gfx, &QPushButton::clicked, this, [this] { SaveStatisticsGrid(0); });
    column->addWidget(save_gfx, 0, Qt::AlignLeft);

    column->addWidget(Caption("GelaendeLabel", QString::fromUtf8("Gelände")));
    terrain_grid_ = BuildGrid("GelaendeGrid", 6);
    column->addWidget(terrain_grid_, 1);
    auto* save_terrain = new QPushButton("Save terrain statistics");
    save_terrain->setObjectName("SaveGelStatButton");
    save_terrain->setProperty("tag", 1);
    connect(save_terrain, &QPushButton::clicked, this, [this] { SaveStatisticsGrid(1); });
    column->addWidget(save_terrain, 0, Qt::AlignLeft);
    return page;
}

namespace {

void ShowRows(QTableWidget* grid, const GridRows& rows) {
    grid->clearContents();
    grid->setRowCount(rows.empty() ? 0 : static_cast<int>(rows.size()) - 1);
    if (rows.empty()) return;
    QStringList header;
    for (const std::string& cell : rows.front()) header << QString::fromStdString(cell);
    grid->setColumnCount(static_cast<int>(header.size()));
    grid->setHorizontalHeaderLabels(header);
    for (std::size_t r = 1; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            auto* item = new QTableWidgetItem(QString::fromStdString(rows[r][c]));
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            grid->setItem(static_cast<int>(r) - 1, static_cast<int>(c), item);
        }
    }
}

}  // namespace

void TInselZeichner::DoItButtonClick() {
    if (editor_.updating || !editor_.island_loaded) return;
    editor_.updating = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QString error;
    try {
        gfx_rows_ = GfxStatisticsRows(editor_.island, ohne_low_check_->isChecked());
        terrain_rows_ = TerrainStatisticsRows(editor_.island, ohne_rot_check_->isChecked());
    } catch (const Error& e) {
        error = FromText(e.what());
    }
    ShowRows(gfx_grid_, gfx_rows_);
    ShowRows(terrain_grid_, terrain_rows_);
    QApplication::restoreOverrideCursor();
    editor_.updating = false;
    if (!error.isEmpty()) show_message(error, true);
}

void TInselZeichner::SaveStatisticsGrid(int tag) {
    if (editor_.updating) return;
    const StatisticsGrid which = tag == 0 ? StatisticsGrid::Gfx : StatisticsGrid::Terrain;
    const GridRows& rows = tag == 0 ? gfx_rows_ : terrain_rows_;
    if (rows.empty()) return;
    QString file = choose_save_file("Text file (*.txt)", StatisticsFileName(which));
    if (file.isEmpty()) return;
    if (QFileInfo(file).suffix().isEmpty()) file += ".txt";
    if (QFileInfo::exists(file) && warn_check_->isChecked() &&
        !confirm_overwrite(InterfaceText(kOverwriteQuestionLine, "File exists. Overwrite?"))) {
        return;
    }
    try {
        WriteWindows1252Lines(std::filesystem::path(file.toStdString()),
                              StatisticsFileLines(rows, which));
    } catch (const Error&) {
        // A failed statistics file ends the action without a message.
    }
}

void TInselZeichner::PageControl1Change(int index) {
    QWidget* page = page_control_->widget(index);
    if (!page) return;
    editor_.tool_mode = page->property("tag").toInt();
    editor_.height_profile_page = editor_.tool_mode == 4;
    // Mode 1 turns into the quarry-spot mode 9 only when quarry spots are chosen on the
    // page; without that choice the mines stay selected.
}

void TInselZeichner::FillLists() {
    island_grid_->setRowCount(static_cast<int>(editor_.island_list.size()));
    for (std::size_t r = 0; r < editor_.island_list.size(); ++r) {
        const auto cells = editor_.island_list[r].Cells();
        for (std::size_t c = 0; c < cells.size(); ++c) {
            island_grid_->setItem(static_cast<int>(r), static_cast<int>(c),
                                  new QTableWidgetItem(FromGameText(cells[c])));
        }
    }
    city_grid_->setRowCount(static_cast<int>(editor_.city_list.size()));
    for (std::size_t r = 0; r < editor_.city_list.size(); ++r) {
        const auto& cells = editor_.city_list[r];
        for (std::size_t c = 0; c < cells.size(); ++c) {
            city_grid_->setItem(static_cast<int>(r), static_cast<int>(c),
                                new QTableWidgetItem(FromGameText(cells[c])));
        }
    }
    // The island list is only of use where a file holds several islands.
    page_control_->setTabEnabled(page_control_->indexOf(island_grid_->parentWidget()),
                                 editor_.file_kind == kSavegame);
}

void TInselZeichner::SelectCityListRow(int row) {
    if (editor_.updating || row < 0) return;
    std::string message;
    editor_.updating = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        message = SelectCityRow(editor_, row);
    } catch (const Error& e) {
        editor_.updating = false;
        QApplication::restoreOverrideCursor();
        show_message(FromText(e.what()), true);
        return;
    }
    QApplication::restoreOverrideCursor();
    editor_.updating = false;
    if (!message.empty()) show_message(FromGameText(message), false);
    FullIslandButtonClick(editor_);
    UpdateLegend(true);
    RedrawOverview();
    SyncControls();
    Refresh();
}

void TInselZeichner::SaveInselButtonClick(int tag) {
    if (editor_.updating || !editor_.island_loaded) return;
    editor_.memo2.clear();
    QString filter;
    QString suffix;
    QString proposed;
    if (tag == 0) {
        filter = "Insel (*.scp)";
        suffix = "scp";
        proposed = FromGameText(editor_.island_name_panel);
    } else if (tag == 1) {
        filter = "Eigene Insel (*.cty)";
        suffix = "cty";
    } else {
        filter = "Text file (*.txt)";
        suffix = "txt";
    }
    QString file = choose_save_file(filter, proposed);
    if (file.isEmpty()) return;
    if (QFileInfo(file).suffix().isEmpty()) file += "." + suffix;
    if (QFileInfo::exists(file) && warn_check_->isChecked() &&
        !confirm_overwrite(InterfaceText(kOverwriteQuestionLine, "File exists. Overwrite?"))) {
        return;
    }
    editor_.no_animals = no_animals_check_->isChecked();
    editor_.recount_kontid = recount_check_->isChecked();
    const std::filesystem::path path(file.toStdString());
    bool failed = false;
    editor_.updating = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        if (tag == 0) {
            SaveIslandFile(editor_, path);
        } else if (tag == 1) {
            SaveCityFile(editor_, path, platform::ShortDate());
        } else {
            WriteRawExport(path, editor_.island);
        }
    } catch (const Error&) {
        failed = true;
    }
    QApplication::restoreOverrideCursor();
    editor_.updating = false;
    if (failed) show_message("Fehler beim Schreiben", true);
    // A city file drops cities without warehouses from the model.
    Refresh();
}

void TInselZeichner::DummyButtonClick() {
    if (editor_.updating) return;
    const int size = editor_.island.record.width;
    QString file = choose_save_file("Insel (*.scp)", QString::fromStdString(DummyFileName(
                                                         size, editor_.island.record.climate)));
    if (file.isEmpty()) return;
    if (QFileInfo(file).suffix().isEmpty()) file += ".scp";
    try {
        SaveDummyIsland(editor_, size, std::filesystem::path(file.toStdString()));
    } catch (const Error&) {
        // The dummy is a convenience; a failed write is not reported.
    }
}

void TInselZeichner::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shown_once_) {
        shown_once_ = true;
        FormShow();
    }
}

void TInselZeichner::FormShow() {
    ApplyInterfaceTexts();
    const int preload = PreloadCountSetting(editor_.definitions);
    bitmap_form_->SetPreloadSpin(preload);
    if (preload > 0) bitmap_form_->AllocatePreloadSlots();
    // Only these two kinds load from the command line; ".cty" is tested second and wins.
    int kind = kNoFile;
    if (command_line_file_.find(".scp") != std::string::npos) kind = kIslandFile;
    if (command_line_file_.find(".cty") != std::string::npos) kind = kCityFile;
    if (kind != kNoFile) LoadIslandFile(std::filesystem::path(command_line_file_), kind);
}

void TInselZeichner::closeEvent(QCloseEvent* event) {
    if (!confirm_exit || confirm_exit()) {
        event->accept();
    } else {
        event->ignore();
    }
}

void TInselZeichner::InselladenClick(int file_kind) {
    if (editor_.updating) return;
    const OpenKind kind = OpenKindOf(file_kind);
    const std::filesystem::path folder = std::filesystem::path(game_path_) / kind.folder;
    const QString file = QFileDialog::getOpenFileName(
        this, QString(), QString::fromStdString(folder.string()), QString::fromUtf8(kind.filter));
    if (file.isEmpty()) return;
    LoadIslandFile(std::filesystem::path(file.toStdString()), kind.file_kind);
}

void TInselZeichner::LoadIslandFile(const std::filesystem::path& path, int file_kind) {
    if (editor_.updating) return;
    editor_.file_kind = file_kind;
    if (file_kind == kNoFile) return;
    std::string message;
    QString error;
    editor_.updating = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        message = LoadIsland(editor_, path);
    } catch (const Error& e) {
        error = FromText(e.what());
    }
    QApplication::restoreOverrideCursor();
    editor_.updating = false;
    if (!error.isEmpty()) show_message(error, true);
    if (!message.empty()) show_message(FromGameText(message), false);
    FillLists();
    ResetView(editor_);
    UpdateLegend(true);
    RedrawOverview();
    SyncControls();
    if (error.isEmpty() && editor_.island_shown) bitmap_form_->InselStatButtonClick();
    Refresh();
}

bool TInselZeichner::SelectIslandListRow(int row) {
    if (editor_.updating) return false;
    bool selected = false;
    editor_.updating = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        selected = SelectIslandRow(editor_, row);
    } catch (const Error& e) {
        editor_.updating = false;
        QApplication::restoreOverrideCursor();
        show_message(FromText(e.what()), true);
        return false;
    }
    QApplication::restoreOverrideCursor();
    editor_.updating = false;
    if (selected) {
        ResetView(editor_);
        UpdateLegend(true);
        RedrawOverview();
        SyncControls();
        Refresh();
    }
    return selected;
}

void TInselZeichner::RunHandler(const std::function<bool()>& handler, bool always_repaint) {
    if (editor_.updating) return;
    bool acted = false;
    try {
        acted = handler();
    } catch (const Error& e) {
        show_message(FromText(e.what()), true);
    }
    if (acted || always_repaint) Refresh();
}

void TInselZeichner::DisplaysollBitmapsbentzen1Click() {
    if (editor_.updating) {
        untergrund_check_->setChecked(settings_.use_tile_bitmaps);
        return;
    }
    if (!tile_bitmaps_ready_) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        QApplication::processEvents();
        settings_.use_tile_bitmaps = true;
        tile_bitmaps_ready_ = true;
        QApplication::restoreOverrideCursor();
    } else {
        settings_.use_tile_bitmaps = !settings_.use_tile_bitmaps;
    }
    untergrund_check_->setChecked(settings_.use_tile_bitmaps);
    RepaintCanvas();
}

void TInselZeichner::FlickerFreePaintBox2MouseMove(int px, int py) {
    if (TrackMouse(editor_, px, py)) RefreshPanels();
}

void TInselZeichner::Refresh() {
    RepaintCanvas();
    RefreshPanels();
    PlacePartFrame();
}

void TInselZeichner::RepaintCanvas() {
    try {
        RenderMap(editor_, settings_, raster_, textures_.get());
    } catch (const Error& e) {
        show_message(FromText(e.what()), true);
    }
    canvas_->update();
}

void TInselZeichner::RefreshPanels() {
    for (const auto& [name, text] : editor_.panels) {
        QObject* control = findChild<QObject*>(QString::fromStdString(name));
        if (auto* label = qobject_cast<QLabel*>(control)) {
            label->setText(FromGameText(text));
        } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
            edit->setText(FromGameText(text));
        }
    }
    if (auto* name = findChild<QLabel*>("IslandNamePanel"))
        name->setText(FromGameText(editor_.island_name_panel));
}

void TInselZeichner::PlacePartFrame() {
    const PartFrame& f = editor_.part_frame;
    part_frame_->setGeometry(f.left, f.top, f.width, f.height);
    part_frame_->setVisible(f.shown && editor_.view.part_index >= 0);
}

void TInselZeichner::SyncControls() {
    const bool was_updating = editor_.updating;
    editor_.updating = true;
    if (QAbstractButton* zoom = zoom_group_->button(editor_.view.zoom_cell_size))
        zoom->setChecked(true);
    if (QAbstractButton* layer = layer_group_->button(editor_.display_layer))
        layer->setChecked(true);
    editor_.updating = was_updating;
}

void TInselZeichner::RedrawOverview() {
    if (editor_.island_shown) mini_image_->SetPixels(DrawOverviewImage(editor_));
}

}  // namespace insel::gui
