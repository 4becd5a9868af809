#include "gui/tools/gelaende_page.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <chrono>

#include "core/app/key_notation.h"
#include "core/display/colours.h"
#include "core/display/renderer.h"
#include "core/errors.h"
#include "core/tools/element_pictures.h"
#include "core/tools/terrain.h"
#include "gui/app/controls.h"
#include "gui/app/main_window.h"

namespace insel::gui {
namespace {

constexpr int kDistributionMilliseconds = 5000;
constexpr int kLayerCells = 1025 * 1025;
constexpr int kHeightSteps = kHeightBandCount - 1;  // the legend's 54 steps, without 255

QLineEdit* Edit(const char* name, const QString& text, int width) {
    auto* edit = new QLineEdit(text);
    edit->setObjectName(name);
    edit->setFixedWidth(width);
    return edit;
}

QPushButton* Button(const char* name, const QString& caption, int tag) {
    auto* button = new QPushButton(caption);
    button->setObjectName(name);
    button->setProperty("tag", tag);
    return button;
}

QCheckBox* Check(const char* name, const QString& caption, bool checked,
                 const QString& hint = QString()) {
    auto* check = new QCheckBox(caption);
    check->setObjectName(name);
    check->setChecked(checked);
    if (!hint.isEmpty()) check->setToolTip(hint);
    return check;
}

std::string Std(const QLineEdit* edit) { return edit->text().toStdString(); }

// A height typed into one of the distribution's edits.
int HeightIn(const QLineEdit* edit, const char* field) {
    const auto value = ParseDecimal(Std(edit));
    if (!value || *value < 0 || *value > 255) {
        throw FormatError(std::string(field) + ": \"" + Std(edit) +
                          "\" is not a height (0 to 255)");
    }
    return static_cast<int>(*value);
}

QGroupBox* Group(const char* name, const QString& title) {
    auto* box = new QGroupBox(title);
    box->setObjectName(name);
    return box;
}

}  // namespace

GelaendePage::GelaendePage(TInselZeichner& window)
    : window_(window),
      random_(static_cast<std::mt19937::result_type>(
          std::chrono::steady_clock::now().time_since_epoch().count())) {
    auto* column = new QVBoxLayout(this);
    column->setSpacing(6);
    column->addWidget(BuildChoice());
    column->addWidget(BuildEditing());
    column->addWidget(BuildListing());
    column->addWidget(BuildDistribution());
    column->addStretch(1);

    timer_ = new QTimer(this);
    timer_->setObjectName("Timer1");
    timer_->setInterval(kDistributionMilliseconds);
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, [this] { timer_expired_ = true; });
    confirm_delete = [this](const QString& question) {
        return QMessageBox::question(this, window_.windowTitle(), question,
                                     QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    };
    if (!window_.editor().definitions.terrain_items.empty()) {
        combo_->setCurrentIndex(0);
        LoadChosenElement();
    }
}

QWidget* GelaendePage::BuildChoice() {
    auto* box = Group("BewuchsBox", "Element");
    auto* grid = new QGridLayout(box);
    combo_ = new QComboBox;
    combo_->setObjectName("BewuchsComboBox");
    for (const std::string& item : window_.editor().definitions.terrain_items)
        combo_->addItem(FromText(item));
    connect(combo_, &QComboBox::activated, this, [this] { BewuchsComboBoxClick(); });
    grid->addWidget(combo_, 0, 0, 1, 6);

    id_edit_ = Edit("BewuchsIDEdit", QString(), 60);
    auto* ask = Button("BewuchsFrageButton", "?", 0);
    ask->setFixedWidth(28);
    connect(ask, &QPushButton::clicked, this, [this] { BewuchsFrageButtonClick(); });
    growth_edit_ = Edit("BewuchsWachsEdit", QString(), 40);
    height_edit_ = Edit("BewuchsHeightEdit", QString(), 40);
    grid->addWidget(Caption("BewuchsIDLabel", "ID"), 1, 0);
    grid->addWidget(id_edit_, 1, 1);
    grid->addWidget(ask, 1, 2);
    grid->addWidget(Caption("BewuchsWachsLabel", "Wachstum:"), 1, 3);
    grid->addWidget(growth_edit_, 1, 4);
    grid->addWidget(Caption("BewuchsHeightLabel", QString::fromUtf8("Höhe")), 2, 3);
    grid->addWidget(height_edit_, 2, 4);

    orientation_spin_ = new QSpinBox;
    orientation_spin_->setObjectName("AbbauDirSpin");
    orientation_spin_->setRange(0, 3);
    orientation_spin_->setFixedWidth(50);
    grid->addWidget(Caption("DirLabel", "Orientierung"), 2, 0);
    grid->addWidget(orientation_spin_, 2, 1);
    grid->addWidget(Caption("Label47", QString::fromUtf8("0 = Osten/East,  1 = Süd/South")), 3, 0,
                    1, 5);
    grid->addWidget(Caption("Label48", "2 = West,           3 = Nord/North"), 4, 0, 1, 5);

    picture_ = new QLabel;
    picture_->setObjectName("GelaendePicture");
    picture_->setFixedSize(64, 64);
    picture_->setAlignment(Qt::AlignCenter);
    picture_->setFrameStyle(QFrame::StyledPanel);
    grid->addWidget(picture_, 1, 5, 4, 1);
    fill_check_ = Check("FillBewuchsCheck", "FillBewuchsCheck", true);
    grid->addWidget(fill_check_, 5, 0, 1, 5);
    grid->setColumnStretch(6, 1);
    return box;
}

QWidget* GelaendePage::BuildEditing() {
    auto* box = Group("BewuchsEditBox", "Einbauen / Löschen");
    box->setTitle(QString::fromUtf8("Einbauen / Löschen"));
    auto* grid = new QGridLayout(box);
    auto* insert = Button("GelaendeEinbauButton", "ID Einbauen !", 0);
    connect(insert, &QPushButton::clicked, this, [this] { GelaendeEinbauButtonClick(); });
    auto* remove = Button("LoeschButton", QString::fromUtf8("Clear ID/ Löschen"), 1);
    connect(remove, &QPushButton::clicked, this, [this] { LoeschButtonClick(1); });
    auto* clear = Button("ClearallButton", "Clear all !", 0);
    connect(clear, &QPushButton::clicked, this, [this] { LoeschButtonClick(0); });
    grid->addWidget(insert, 0, 0);
    grid->addWidget(remove, 0, 1);
    grid->addWidget(clear, 0, 2);
    plants_only_ = Check("PlantsOnlyCheck", "plants only", false,
                         QString::fromUtf8("Nur Pflanzen löschen / Dont kill rocks, only plants!"));
    keep_ = Check("KeepBox", "keep useful plants", false,
                  "Nutzpflanzen behalten / keep spice,wool, tobacco, etc in place");
    useful_only_ = Check("UsefulOnlyCheck", "useful plants only", false);
    grid->addWidget(plants_only_, 1, 0);
    grid->addWidget(keep_, 1, 1);
    grid->addWidget(useful_only_, 1, 2);

    auto* replace = Button("ReplaceIDButton", "ID ersetzen mit", 0);
    connect(replace, &QPushButton::clicked, this, [this] { ReplaceIDButtonClick(); });
    new_id_edit_ = Edit("NeuIDedit", QString(), 60);
    grid->addWidget(replace, 2, 0);
    grid->addWidget(new_id_edit_, 2, 1);
    auto* ships = Button("ClearShipsButton", "Clear shipwrecks", 0);
    connect(ships, &QPushButton::clicked, this, [this] { ClearShipsButtonClick(); });
    grid->addWidget(ships, 2, 2);
    grid->setColumnStretch(3, 1);
    return box;
}

QWidget* GelaendePage::BuildListing() {
    auto* box = Group("AuflistBox", "Orte");
    auto* grid = new QGridLayout(box);
    auto* list = Button("GelaendeAuflistenButton", "Orte auflisten", 0);
    connect(list, &QPushButton::clicked, this, [this] { GelaendeAuflistenButtonClick(); });
    orient_check_ = Check("OrientCheck", "Orientierung egal", true);
    white_check_ = Check("WhiteCheck", "Farbig zeichnen", true);
    grid->addWidget(list, 0, 0);
    grid->addWidget(orient_check_, 0, 1);
    grid->addWidget(white_check_, 0, 2);

    colour_panel_ = new ClickPanel;
    colour_panel_->setObjectName("SpColorPanel");
    colour_panel_->setFixedSize(40, 20);
    colour_panel_->setFrameStyle(QFrame::Panel | QFrame::Raised);
    colour_panel_->setToolTip("Farbe der aufgelisteten Elemente");
    colour_panel_->on_click = [this] { SpColorPanelClick(); };
    PaintPanel(colour_panel_, ColourOf(window_.settings().terrain_highlight));
    auto* assign = Button("FarbeButton", "Farbe zuweisen", 0);
    connect(assign, &QPushButton::clicked, this, [this] { FarbeButtonClick(0); });
    auto* save = Button("Button7", "Farben abspeichern", 1);
    connect(save, &QPushButton::clicked, this, [this] { FarbeButtonClick(1); });
    grid->addWidget(colour_panel_, 1, 0);
    grid->addWidget(assign, 1, 1);
    grid->addWidget(save, 1, 2);

    grid_ = BuildGrid("AuflistGrid", 4);
    grid_->setHorizontalHeaderLabels({"Growth", "x", "y", "Height"});
    grid_->setMinimumHeight(110);
    grid->addWidget(grid_, 2, 0, 1, 4);
    grid->setColumnStretch(3, 1);
    return box;
}

QWidget* GelaendePage::BuildDistribution() {
    auto* box = Group("DistributeBox", "Zufallsverteilung");
    auto* grid = new QGridLayout(box);
    count_spin_ = new QSpinBox;
    count_spin_->setObjectName("AnzItems");
    count_spin_->setRange(0, kLayerCells);
    count_spin_->setValue(50);
    min_height_ = Edit("MinHeight", "48", 50);
    max_height_ = Edit("MaxHeight", "48", 50);
    grid->addWidget(Caption("AnzLabel", "Number of items"), 0, 0);
    grid->addWidget(count_spin_, 0, 1);
    grid->addWidget(Caption("MinLabel", "Minimum height"), 1, 0);
    grid->addWidget(min_height_, 1, 1);
    grid->addWidget(Caption("MaxLabel", "Maximum height"), 2, 0);
    grid->addWidget(max_height_, 2, 1);

    random_orientation_ = new QRadioButton("random orientation");
    random_orientation_->setObjectName("RandomOriCheck");
    random_orientation_->setChecked(true);
    auto* given = new QRadioButton("use orientation on left");
    given->setObjectName("RadioButton5");
    auto* orientation = new QButtonGroup(box);
    orientation->addButton(random_orientation_);
    orientation->addButton(given);
    grid->addWidget(random_orientation_, 0, 2, 1, 2);
    grid->addWidget(given, 1, 2, 1, 2);
    overwrite_ = Check("OverwriteCheck", "Overwrite allowed", false,
                       QString::fromUtf8("Kann alles überschreiben (auch Berge!)"));
    not_under_ = Check("NotUnderBox", "NotUnderBox", true);
    not_under_->setToolTip("Nicht unter Objekte / not under objects");
    grid->addWidget(overwrite_, 2, 2, 1, 2);
    grid->addWidget(not_under_, 3, 2, 1, 2);

    auto* whole = Button("DistributeButton", "Distribute!", 0);
    whole->setToolTip("Über die ganze Insel / over the whole island");
    connect(whole, &QPushButton::clicked, this, [this] { DistributeButtonClick(0); });
    auto* band = Button("RedDistributeButton", "Distribute!", 1);
    band->setToolTip("Im Band Top x .. Bot x / inside the band");
    band->setStyleSheet("color: #b00000;");
    connect(band, &QPushButton::clicked, this, [this] { DistributeButtonClick(1); });
    cancel_button_ = Button("AbbrechenButton", "Abbrechen", 0);
    cancel_button_->setEnabled(false);
    // Not through the handler guard: it must act while the distribution holds the window.
    connect(cancel_button_, &QPushButton::clicked, this, [this] { cancel_requested_ = true; });
    distributed_panel_ = StatusPanel("NumDistributedPanel", 50);
    grid->addWidget(whole, 3, 0);
    grid->addWidget(band, 3, 1);
    grid->addWidget(cancel_button_, 4, 0);
    grid->addWidget(distributed_panel_, 4, 1);

    // The band's corners: typed, or taken from map clicks while a box is ticked.
    top_check_ = Check("TopCheck", "Top x", false);
    bot_check_ = Check("BotCheck", "Bot x", false);
    const char* names[4] = {"tleftx", "tlefty", "brightx", "brighty"};
    for (int i = 0; i < 4; ++i) band_[i] = Edit(names[i], QString(), 45);
    grid->addWidget(top_check_, 5, 0);
    grid->addWidget(band_[0], 5, 1);
    grid->addWidget(band_[1], 5, 2);
    grid->addWidget(bot_check_, 6, 0);
    grid->addWidget(band_[2], 6, 1);
    grid->addWidget(band_[3], 6, 2);

    auto* clear = Button("ClearBewuchsButton", "Clear plants", 0);
    clear->setToolTip("Pflanzen dieser Höhe im Band entfernen");
    connect(clear, &QPushButton::clicked, this, [this] { ClearBewuchsButtonClick(); });
    heights_ = new QListWidget;
    heights_->setObjectName("ListBox4");
    for (int i = 0; i < kHeightSteps; ++i)
        heights_->addItem(QString::number(kHeightBands[static_cast<std::size_t>(i)]));
    heights_->setFixedHeight(90);
    heights_->setFixedWidth(70);
    grid->addWidget(clear, 7, 0);
    grid->addWidget(heights_, 7, 1, 1, 2);
    grid->setColumnStretch(4, 1);
    return box;
}

bool GelaendePage::GrowthAdjust() const {
    // The box lives on the settings page; ticked unless the user unticked it there.
    const auto* check = window_.findChild<QCheckBox*>("GrowthAdjustCheck");
    return check == nullptr || check->isChecked();
}

int GelaendePage::TypedId() const { return ParseTerrainId(Std(id_edit_), "BewuchsIDEdit"); }

void GelaendePage::ShowPicture(int id, int orientation) {
    ShowElementPicture(picture_, window_.ProgramFolder(), PictureKind::Terrain, orientation, id);
}

void GelaendePage::LoadChosenElement() {
    const int item = combo_->currentIndex();
    if (item < 0) return;
    const QString error = [&] {
        try {
            const TerrainChoice choice = ChooseTerrainItem(window_.editor().definitions, item);
            id_edit_->setText(QString::fromStdString(choice.id_text));
            growth_edit_->setText(QString::fromStdString(choice.growth_text));
            height_edit_->setText(QString::fromStdString(choice.height_text));
            return QString();
        } catch (const Error& e) {
            return FromText(e.what());
        }
    }();
    if (!error.isEmpty()) window_.show_message(error, true);
}

void GelaendePage::BewuchsComboBoxClick() {
    window_.RunHandler([this] {
        const TerrainChoice choice =
            ChooseTerrainItem(window_.editor().definitions, combo_->currentIndex());
        id_edit_->setText(QString::fromStdString(choice.id_text));
        growth_edit_->setText(QString::fromStdString(choice.growth_text));
        height_edit_->setText(QString::fromStdString(choice.height_text));
        orientation_spin_->setValue(0);
        ShowPicture(choice.id, 0);
        return false;
    });
}

void GelaendePage::ChooseElement(int id) {
    const int item = FindTerrainItem(window_.editor().definitions, id);
    combo_->setCurrentIndex(item < 0 ? 0 : item);
    BewuchsComboBoxClick();
}

void GelaendePage::BewuchsFrageButtonClick() {
    if (id_edit_->text().trimmed().isEmpty()) return;
    window_.RunHandler([this] {
        const int id = TypedId();
        const int item = FindTerrainItem(window_.editor().definitions, id);
        if (item >= 0) combo_->setCurrentIndex(item);
        ShowPicture(id, orientation_spin_->value());
        return false;
    });
}

void GelaendePage::ShowClickedElement() {
    const auto& clicked = window_.editor().tools.terrain.clicked;
    if (!clicked) return;
    ShowPicture(clicked->id, clicked->orientation);
    // Bare ground has nothing to load: the element chosen for the next insert stays.
    if (!fill_check_->isChecked() || clicked->id == 0) return;
    const bool was = window_.editor().updating;
    window_.editor().updating = true;
    id_edit_->setText(QString::number(clicked->id));
    orientation_spin_->setValue(clicked->orientation);
    height_edit_->setText(QString::fromStdString(ValueToHex(clicked->height)));
    growth_edit_->setText(QString::fromStdString(ValueToHex(clicked->growth)));
    if (clicked->item >= 0) combo_->setCurrentIndex(clicked->item);
    window_.editor().updating = was;
}

void GelaendePage::SetBandCorner(int x, int y) {
    if (top_check_->isChecked()) {
        band_[0]->setText(QString::number(x));
        band_[1]->setText(QString::number(y));
    } else if (bot_check_->isChecked()) {
        band_[2]->setText(QString::number(x));
        band_[3]->setText(QString::number(y));
    }
}

void GelaendePage::ResetAfterLoad() { distributed_panel_->clear(); }

void GelaendePage::GelaendeEinbauButtonClick() {
    Editor& editor = window_.editor();
    if (!editor.doc.loaded) return;
    window_.RunHandler([&] {
        const InsertOptions options{TypedId(), orientation_spin_->value(),
                                    ParseTypedWord(Std(growth_edit_), Std(height_edit_)),
                                    GrowthAdjust()};
        const CellRect rect =
            FrameInsertRect(editor.tools, editor.view, editor.doc.island, editor.status);
        return InsertTerrainStep(editor, rect, options);
    });
}

void GelaendePage::LoeschButtonClick(int tag) {
    Editor& editor = window_.editor();
    if (!editor.doc.loaded || editor.updating) return;
    const QString question =
        window_.InterfaceText(141, QString::fromUtf8("Geländeelemente wirklich löschen?"));
    if (!confirm_delete(question)) return;
    window_.RunHandler([&] {
        if (tag == 1) return DeleteTerrainStep(editor, TypedId());
        return ClearTerrainStep(
            editor, {plants_only_->isChecked(), keep_->isChecked(), useful_only_->isChecked()});
    });
}

void GelaendePage::ReplaceIDButtonClick() {
    Editor& editor = window_.editor();
    if (!editor.doc.loaded) return;
    window_.RunHandler([&] {
        const int old_id = TypedId();
        const int new_id = ParseTerrainId(Std(new_id_edit_), "NeuIDedit");
        return ReplaceTerrainStep(editor, old_id, new_id);
    });
}

void GelaendePage::GelaendeAuflistenButtonClick() {
    Editor& editor = window_.editor();
    if (!editor.doc.loaded) return;
    window_.RunHandler([&] {
        grid_->setRowCount(0);
        const bool any = orient_check_->isChecked();
        const int key = TypedId() + (any ? 0 : kOrientationUnit * orientation_spin_->value());
        ListTerrainIntoTools(editor.tools, editor.doc.island, key, any);
        FillGrid(grid_, editor.tools.listing, FromText);
        if (white_check_->isChecked()) {
            // The listed cells stand out for this one repaint.
            RenderSettings& settings = window_.settings();
            const auto kind = settings.highlight_kind;
            const int value = settings.highlight_value;
            const bool any_orientation = settings.any_orientation;
            settings.highlight_kind = kTerrainHighlight;
            settings.highlight_value = key;
            settings.any_orientation = any;
            window_.RepaintCanvas();
            settings.highlight_kind = kind;
            settings.highlight_value = value;
            settings.any_orientation = any_orientation;
        }
        return false;
    });
}

void GelaendePage::SpColorPanelClick() {
    if (window_.editor().updating) return;
    const QColor chosen = window_.choose_colour(ColourOf(window_.settings().terrain_highlight));
    if (!chosen.isValid()) return;
    window_.settings().terrain_highlight = ColourValue(chosen);
    PaintPanel(colour_panel_, chosen);
}

void GelaendePage::FarbeButtonClick(int tag) {
    Editor& editor = window_.editor();
    if (!editor.doc.loaded) return;
    window_.RunHandler([&] {
        if (tag == 1) {
            SaveTerrainList(editor.definitions, window_.ProgramFolder());
            return false;
        }
        const int item = combo_->currentIndex();
        if (item < 0) return false;
        AssignTerrainColour(editor.definitions, item, window_.settings().terrain_highlight);
        return true;
    });
}

void GelaendePage::DistributeButtonClick(int tag) {
    Editor& editor = window_.editor();
    if (!editor.doc.loaded || editor.updating) return;
    window_.RunHandler([&] {
        distributed_panel_->clear();
        DistributeOptions o;
        o.id = TypedId();
        o.typed_word = ParseTypedWord(Std(growth_edit_), Std(height_edit_));
        o.count = count_spin_->value();
        o.min_height = HeightIn(min_height_, "Minimum height");
        o.max_height = HeightIn(max_height_, "Maximum height");
        if (!random_orientation_->isChecked()) o.orientation = orientation_spin_->value();
        o.overwrite = overwrite_->isChecked();
        o.not_under_objects = not_under_->isChecked();
        o.keep_useful = keep_->isChecked();
        o.growth_adjust = GrowthAdjust();
        o.time_limit = std::chrono::milliseconds(kDistributionMilliseconds);
        if (tag == 1) {
            o.band = ParseBand(Std(band_[0]), Std(band_[1]), Std(band_[2]), Std(band_[3]));
            if (!o.band) return false;
        }

        // Other handlers wait while the loop lets the window process its events; only
        // "Abbrechen" and the timer act meanwhile.
        editor.updating = true;
        distributing_ = true;
        timer_expired_ = false;
        cancel_requested_ = false;
        cancel_button_->setEnabled(true);
        QApplication::setOverrideCursor(Qt::WaitCursor);
        timer_->start();
        int shown = -1;
        const auto progress = [&](int placed) {
            if (placed != shown) {
                distributed_panel_->setText(QString::number(placed));
                shown = placed;
            }
            QCoreApplication::processEvents();
            if (cancel_requested_) return DistributeSignal::Cancel;
            return timer_expired_ ? DistributeSignal::TimeUp : DistributeSignal::Go;
        };
        struct Restore {
            GelaendePage& page;
            Editor& editor;
            ~Restore() {
                page.timer_->stop();
                QApplication::restoreOverrideCursor();
                page.cancel_button_->setEnabled(false);
                page.distributing_ = false;
                editor.updating = false;
            }
        } restore{*this, editor};
        const DistributeResult result = DistributeStep(editor, o, random_, progress);
        distributed_panel_->setText(QString::number(result.placed));
        if (!result.message.empty()) window_.show_message(FromText(result.message), false);
        return true;
    });
}

void GelaendePage::ClearBewuchsButtonClick() {
    Editor& editor = window_.editor();
    if (!editor.doc.loaded) return;
    window_.RunHandler([&] {
        const int row = std::max(heights_->currentRow(), 0);
        const int height = kHeightBands[static_cast<std::size_t>(row)];
        const auto band = ParseBand(Std(band_[0]), Std(band_[1]), Std(band_[2]), Std(band_[3]));
        if (!band) return false;
        return ClearPlantsStep(editor, *band, height);
    });
}

void GelaendePage::ClearShipsButtonClick() {
    Editor& editor = window_.editor();
    if (!editor.doc.loaded) return;
    window_.RunHandler([&] { return ClearShipwrecksStep(editor); });
}

}  // namespace insel::gui
