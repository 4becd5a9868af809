#include "gui/tools/mines_page.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <filesystem>
#include <optional>
#include <string>

#include "core/reports/export.h"
#include "core/tools/mines.h"
#include "core/tools/tool_frame.h"
#include "gui/app/controls.h"
#include "gui/app/main_window.h"

namespace insel::gui {
namespace {

constexpr const char* kPlaceStep = "Neue Mine / Neuen Abbauplatz setzen";
constexpr const char* kOrientations[] = {"nach Osten", "nach Süden", "nach Westen", "nach Norden"};

QPushButton* Button(const char* name, const QString& caption, int tag) {
    auto* button = new QPushButton(caption);
    button->setObjectName(name);
    button->setProperty("tag", tag);
    return button;
}

QLabel* ColourPanel(const char* name, const QString& hint) {
    auto* panel = new ClickPanel;
    panel->setObjectName(name);
    panel->setFixedSize(40, 18);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setToolTip(hint);
    return panel;
}

}  // namespace

MinenPage::MinenPage(TInselZeichner& window) : window_(window) {
    ask_yes_no = [this](const QString& question) {
        return QMessageBox::question(this, window_.windowTitle(), question,
                                     QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    };
    auto* column = new QVBoxLayout(this);
    auto* box = new QGroupBox;
    box->setObjectName("MinenChoiceBox");
    auto* choices = new QVBoxLayout(box);
    auto* group = new QButtonGroup(this);
    mines_radio_ = new QRadioButton("Mines");
    mines_radio_->setObjectName("MinenBox");
    mines_radio_->setProperty("tag", 0);
    mines_radio_->setChecked(true);
    spots_radio_ = new QRadioButton("Abbauplatz");
    spots_radio_->setObjectName("AbbauBox");
    spots_radio_->setProperty("tag", 1);
    group->addButton(mines_radio_, 0);
    group->addButton(spots_radio_, 1);
    choices->addWidget(mines_radio_);
    choices->addWidget(spots_radio_);
    connect(group, &QButtonGroup::idClicked, this, [this](int tag) { RadioButton6Click(tag); });
    column->addWidget(box, 0, Qt::AlignLeft);

    auto* grid = new QGridLayout;
    grid->addWidget(Caption("MinenLabel", "Minenart"), 0, 0);
    kind_box_ = new QComboBox;
    kind_box_->setObjectName("MinenComboBox");
    for (const std::string& name : window_.editor().definitions.mine_names)
        kind_box_->addItem(FromText(name));
    kind_box_->setCurrentIndex(kind_box_->count() > 0 ? 0 : -1);
    connect(kind_box_, &QComboBox::activated, this, [this](int i) { MinenComboBoxChange(i); });
    grid->addWidget(kind_box_, 0, 1, 1, 2);
    visible_check_ = new QCheckBox("Mine sichtbar bei Spielstart");
    visible_check_->setObjectName("MineSichtbarCheck");
    visible_check_->setChecked(true);
    connect(visible_check_, &QCheckBox::clicked, this, [this] { MineSichtbarCheckClick(); });
    grid->addWidget(visible_check_, 1, 0, 1, 3);
    grid->addWidget(Caption("SchatzLabel", "Schatzwert"), 2, 0);
    treasure_edit_ = new QLineEdit("400");
    treasure_edit_->setObjectName("SchatzEdit");
    treasure_edit_->setToolTip("immer 400 ausser für Schätze");
    connect(treasure_edit_, &QLineEdit::editingFinished, this, [this] { SchatzEditChange(); });
    grid->addWidget(treasure_edit_, 2, 1);
    grid->addWidget(Caption("SymbolLabel", "Symbol"), 3, 0);
    symbol_edit_ = new QLineEdit;
    symbol_edit_->setObjectName("SymbolEdit");
    symbol_edit_->setToolTip("Elevation of rotating mine symbol");
    connect(symbol_edit_, &QLineEdit::editingFinished, this, [this] { SymbolEditChange(); });
    grid->addWidget(symbol_edit_, 3, 1);
    grid->addWidget(Caption("SymbolOfsetLabel", "Symbol-Offset"), 4, 0);
    offset_spin_ = new QSpinBox;
    offset_spin_->setObjectName("SymbolOfsetSpin");
    // Beyond these the symbol's elevation no longer fits its 16 bits.
    offset_spin_->setRange(-1000, 1000);
    offset_spin_->setValue(8);
    offset_spin_->setToolTip("Höhe des Symbols neuer Minen über dem Boden");
    grid->addWidget(offset_spin_, 4, 1);
    grid->setColumnStretch(2, 1);
    column->addLayout(grid);

    auto* orientation = new QGroupBox("Orientierung");
    orientation->setObjectName("AbbauRadioGroup");
    auto* directions = new QGridLayout(orientation);
    orientation_group_ = new QButtonGroup(this);
    for (int tag = 0; tag < 4; ++tag) {
        auto* radio = new QRadioButton(QString::fromUtf8(kOrientations[tag]));
        radio->setObjectName(QString("AbbauRadio%1").arg(tag));
        radio->setProperty("tag", tag);
        radio->setChecked(tag == 0);
        orientation_group_->addButton(radio, tag);
        directions->addWidget(radio, tag / 2, tag % 2);
    }
    connect(orientation_group_, &QButtonGroup::idClicked, this,
            [this](int tag) { OstAbbauClick(tag); });
    column->addWidget(orientation);

    auto* place = Button("NeueMineButton", "Neue Mine / Neuen Abbauplatz setzen", 0);
    connect(place, &QPushButton::clicked, this, [this] { NeueMineButtonClick(); });
    column->addWidget(place);
    auto* removal = new QGridLayout;
    const struct {
        const char* name;
        const char* caption;
        int tag;
        bool mines;
    } kills[] = {{"KillMineButton", "Diese Mine entfernen", 0, true},
                 {"KillAllMinesButton", "Alle Minen entfernen", 1, true},
                 {"KillAbbauButton", "Diesen Abbauplatz entfernen", 0, false},
                 {"KillAllAbbauButton", "Alle Abbauplätze entfernen", 1, false}};
    int cell = 0;
    for (const auto& k : kills) {
        auto* button = Button(k.name, QString::fromUtf8(k.caption), k.tag);
        const int tag = k.tag;
        if (k.mines) {
            connect(button, &QPushButton::clicked, this, [this, tag] { KillMineButtonClick(tag); });
        } else {
            connect(button, &QPushButton::clicked, this,
                    [this, tag] { KillAbbauButtonClick(tag); });
        }
        removal->addWidget(button, cell / 2, cell % 2);
        ++cell;
    }
    column->addLayout(removal);

    auto* extras = new QHBoxLayout;
    auto* override_button = Button("OverrideButton", "Unter Wasser…", 0);
    override_button->setToolTip("Minen auch unter Wasser setzen lassen");
    connect(override_button, &QPushButton::clicked, this, [this] { OverrideButtonClick(); });
    extras->addWidget(override_button);
    extras->addWidget(Caption("MinenColorLabel", "Minen"));
    mine_colour_ = ColourPanel("MinenColorPanel", "Farbe der Minen");
    static_cast<ClickPanel*>(mine_colour_)->on_click = [this] { ColourPanelClick(true); };
    PaintPanel(mine_colour_, ColourOf(window_.settings().mine));
    extras->addWidget(mine_colour_);
    extras->addWidget(Caption("AbbauColorLabel", "Abbauplätze"));
    spot_colour_ = ColourPanel("AbbauColorPanel", "Farbe der Abbauplätze");
    static_cast<ClickPanel*>(spot_colour_)->on_click = [this] { ColourPanelClick(false); };
    PaintPanel(spot_colour_, ColourOf(window_.settings().quarry));
    extras->addWidget(spot_colour_);
    extras->addStretch(1);
    column->addLayout(extras);

    auto* report_buttons = new QHBoxLayout;
    auto* show = Button("TestMinenButton", "Zeige Orte", 0);
    connect(show, &QPushButton::clicked, this, [this] { TestMinenButtonClick(); });
    auto* save = Button("SaveMinenButton", "Speichern", 0);
    connect(save, &QPushButton::clicked, this, [this] { SaveMinenButtonClick(); });
    report_buttons->addWidget(show);
    report_buttons->addWidget(save);
    report_buttons->addStretch(1);
    column->addLayout(report_buttons);
    report_ = new QPlainTextEdit;
    report_->setObjectName("Memo1");
    report_->setReadOnly(true);
    report_->setLineWrapMode(QPlainTextEdit::NoWrap);
    report_->setMinimumHeight(120);
    column->addWidget(report_, 1);
}

void MinenPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    ConnectPositionSpins();
}

// The frame's position spins belong to the window and exist once it is built.
void MinenPage::ConnectPositionSpins() {
    if (spins_connected_) return;
    for (const char* name : {"PLeftSpin", "PTopSpin"}) {
        if (auto* spin = window_.findChild<QSpinBox*>(name)) {
            // After the window's own handler, which keeps the frame on the island.
            connect(spin, &QSpinBox::valueChanged, this, [this] { MinenXPosChange(); });
            spins_connected_ = true;
        }
    }
}

void MinenPage::RadioButton6Click(int tag) {
    Editor& editor = window_.editor();
    if (editor.updating) return;
    SetMineChoice(editor.tools, editor.view, editor.doc.island, tag == 0);
    if (tag != 0) {
        const bool was_updating = editor.updating;
        editor.updating = true;
        orientation_group_->button(0)->setChecked(true);
        editor.updating = was_updating;
        editor.tools.mines.orientation = 0;
    }
    window_.ShowToolFrame();
}

void MinenPage::NeueMineButtonClick() {
    if (!window_.editor().doc.loaded) return;
    window_.RunHandler([this] {
        Editor& editor = window_.editor();
        IslandMap& island = editor.doc.island;
        const SelectionRect& at = editor.tools.spins;
        const bool mines = editor.tools.mine_choice;
        const MinesState& state = editor.tools.mines;
        const bool placed = StepWithMessage(kPlaceStep, [&]() -> std::string {
            if (mines) {
                return PlaceMine(island, {at.left, at.top, kind_box_->currentIndex(),
                                          visible_check_->isChecked(), offset_spin_->value(),
                                          state.water_override});
            } else {
                return PlaceQuarrySpot(island, at.left, at.top, state.orientation,
                                       state.water_override);
            }
        });
        if (placed && mines) {
            treasure_edit_->setText(QString::number(island.mines.back().treasure));
            symbol_edit_->setText(QString::number(island.mines.back().symbol_elevation));
        }
        return placed;
    });
}

bool MinenPage::StepWithMessage(const char* name, const std::function<std::string()>& change) {
    std::string message;
    const bool changed = window_.editor().Step(name, [&] { message = change(); });
    if (!message.empty()) window_.show_message(FromText(message), false);
    return changed;
}

void MinenPage::MinenComboBoxChange(int index) {
    Editor& editor = window_.editor();
    if (editor.updating) return;
    if (SelectedMine(editor.tools.mines, editor.doc.island) == nullptr) return;
    window_.RunHandler([this, index] {
        Editor& editor = window_.editor();
        const bool changed = StepWithMessage("Minenart", [&]() -> std::string {
            return SetMineKind(editor.doc.island, editor.tools.mines, index);
        });
        // A refused kind does not stay shown as if it were the mine's.
        if (const MineRecord* mine = SelectedMine(editor.tools.mines, editor.doc.island))
            kind_box_->setCurrentIndex(MineKindNumber(mine->building_id));
        ShowMineValues();
        return changed;
    });
}

void MinenPage::MineSichtbarCheckClick() {
    Editor& editor = window_.editor();
    if (editor.updating) return;
    if (SelectedMine(editor.tools.mines, editor.doc.island) == nullptr) return;
    window_.RunHandler([this] {
        Editor& editor = window_.editor();
        return editor.Step("Mine sichtbar bei Spielstart", [&] {
            SetMineVisible(editor.doc.island, editor.tools.mines, visible_check_->isChecked());
        });
    });
}

namespace {

// An edit's number for the selected mine. Says what is wrong and gives nothing when the text
// is no whole number or no mine is selected; an edit the user did not touch gives nothing.
std::optional<qlonglong> EditedNumber(TInselZeichner& window, QLineEdit* edit,
                                      const QString& field) {
    if (!edit->isModified() || edit->text().trimmed().isEmpty()) return std::nullopt;
    edit->setModified(false);
    Editor& editor = window.editor();
    if (SelectedMine(editor.tools.mines, editor.doc.island) == nullptr) {
        window.show_message(kNoMineSelected, false);
        return std::nullopt;
    }
    bool ok = false;
    const qlonglong value = edit->text().trimmed().toLongLong(&ok);
    if (!ok) {
        window.show_message(field + ": \"" + edit->text() + "\" ist keine ganze Zahl", false);
        return std::nullopt;
    }
    return value;
}

}  // namespace

void MinenPage::SchatzEditChange() {
    if (window_.editor().updating) return;
    const auto value = EditedNumber(window_, treasure_edit_, "Schatzwert");
    if (!value) return ShowMineValues();
    window_.RunHandler([this, value] {
        Editor& editor = window_.editor();
        const bool changed = StepWithMessage("Schatzwert", [&]() -> std::string {
            return SetMineTreasure(editor.doc.island, editor.tools.mines, *value);
        });
        ShowMineValues();
        return changed;
    });
}

void MinenPage::SymbolEditChange() {
    if (window_.editor().updating) return;
    const auto value = EditedNumber(window_, symbol_edit_, "Symbol");
    if (!value) return ShowMineValues();
    window_.RunHandler([this, value] {
        Editor& editor = window_.editor();
        const bool changed = StepWithMessage("Symbol", [&]() -> std::string {
            return SetMineElevation(editor.doc.island, editor.tools.mines, *value);
        });
        ShowMineValues();
        return changed;
    });
}

void MinenPage::ShowMineValues() {
    Editor& editor = window_.editor();
    const MineRecord* mine = SelectedMine(editor.tools.mines, editor.doc.island);
    if (mine == nullptr) return;
    treasure_edit_->setText(QString::number(mine->treasure));
    symbol_edit_->setText(QString::number(mine->symbol_elevation));
}

void MinenPage::OstAbbauClick(int tag) {
    Editor& editor = window_.editor();
    if (editor.updating) return;
    SetQuarryOrientation(editor.tools, editor.view, editor.doc.island, tag);
    window_.ShowToolFrame();
}

void MinenPage::MinenXPosChange() {
    Editor& editor = window_.editor();
    // Only the user's own changes on this page move the selected record; a click on the map
    // sets the spins while the window updates them.
    if (editor.updating || !isVisible() || !editor.doc.loaded) return;
    const SelectionRect& at = editor.tools.spins;
    const bool mines = editor.tools.mine_choice;
    const MineRecord* record = mines ? SelectedMine(editor.tools.mines, editor.doc.island)
                                     : SelectedQuarrySpot(editor.tools.mines, editor.doc.island);
    if (record == nullptr) return;
    const bool same =
        mines ? DecodeCellFloat(record->x) == at.left && DecodeCellFloat(record->y) == at.top
              : record->x == static_cast<std::uint32_t>(at.left) &&
                    record->y == static_cast<std::uint32_t>(at.top);
    if (same) return;
    window_.RunHandler([this, mines] {
        Editor& editor = window_.editor();
        const SelectionRect& at = editor.tools.spins;
        const bool moved = StepWithMessage("Position", [&]() -> std::string {
            return mines ? MoveSelectedMine(editor.doc.island, editor.tools.mines, at.left, at.top)
                         : MoveSelectedQuarrySpot(editor.doc.island, editor.tools.mines, at.left,
                                                  at.top);
        });
        return moved;
    });
}

void MinenPage::TestMinenButtonClick() {
    Editor& editor = window_.editor();
    if (editor.updating || !editor.doc.loaded) return;
    editor.status.memo1 = MineReport(editor.doc.island);
    QStringList lines;
    for (const std::string& line : editor.status.memo1) lines << FromGameText(line);
    report_->setPlainText(lines.join('\n'));
}

void MinenPage::SaveMinenButtonClick() {
    const Editor& editor = window_.editor();
    if (editor.updating || !editor.doc.loaded) return;
    const QString file = window_.AskSaveFile("Insel/island (*.txt)", "Minen.txt", "txt");
    if (file.isEmpty()) return;
    try {
        WriteWindows1252Lines(std::filesystem::path(file.toStdString()), editor.status.memo1);
    } catch (const Error& e) {
        window_.show_message(FromText(e.what()), true);
    }
}

void MinenPage::KillMineButtonClick(int tag) {
    if (!window_.editor().doc.loaded) return;
    window_.RunHandler([this, tag] {
        Editor& editor = window_.editor();
        const bool removed = StepWithMessage(
            tag == 0 ? "Diese Mine entfernen" : "Alle Minen entfernen", [&]() -> std::string {
                if (tag == 0) return RemoveSelectedMine(editor.doc.island, editor.tools.mines);
                RemoveAllMines(editor.doc.island, editor.tools.mines);
                return {};
            });
        return removed;
    });
}

void MinenPage::KillAbbauButtonClick(int tag) {
    if (!window_.editor().doc.loaded) return;
    window_.RunHandler([this, tag] {
        Editor& editor = window_.editor();
        const bool removed = StepWithMessage(
            tag == 0 ? "Diesen Abbauplatz entfernen" : "Alle Abbauplätze entfernen",
            [&]() -> std::string {
                if (tag == 0)
                    return RemoveSelectedQuarrySpot(editor.doc.island, editor.tools.mines);
                RemoveAllQuarrySpots(editor.doc.island, editor.tools.mines);
                return {};
            });
        return removed;
    });
}

void MinenPage::ColourPanelClick(bool mines) {
    if (window_.editor().updating) return;
    Colour& colour = mines ? window_.settings().mine : window_.settings().quarry;
    const QColor chosen = window_.choose_colour(ColourOf(colour));
    if (!chosen.isValid()) return;
    colour = ColourValue(chosen);
    PaintPanel(mines ? mine_colour_ : spot_colour_, chosen);
    if (window_.editor().view.island_shown) window_.RepaintCanvas();
}

void MinenPage::OverrideButtonClick() {
    if (window_.editor().updating) return;
    window_.editor().tools.mines.water_override =
        ask_yes_no("Secret option: Enable placeing mines in underwater locations?");
}

void MinenPage::ShowSelection() {
    Editor& editor = window_.editor();
    const IslandMap& island = editor.doc.island;
    const MineRecord* mine = SelectedMine(editor.tools.mines, island);
    const MineRecord* spot = mine ? nullptr : SelectedQuarrySpot(editor.tools.mines, island);
    if (mine == nullptr && spot == nullptr) return;
    const bool was_updating = editor.updating;
    editor.updating = true;
    (mine ? mines_radio_ : spots_radio_)->setChecked(true);
    SetMineChoice(editor.tools, editor.view, island, mine != nullptr);
    if (mine) {
        kind_box_->setCurrentIndex(MineKindNumber(mine->building_id));
        visible_check_->setChecked(mine->visible != 0);
        treasure_edit_->setText(QString::number(mine->treasure));
        symbol_edit_->setText(QString::number(mine->symbol_elevation));
    } else if (spot->orientation >= 0 && spot->orientation <= 3) {
        orientation_group_->button(spot->orientation)->setChecked(true);
        editor.tools.mines.orientation = spot->orientation;
    }
    SelectionRect& rect = editor.tools.Selection(editor.tools.mode);
    rect.left = static_cast<int>(mine ? DecodeCellFloat(mine->x) : spot->x);
    rect.top = static_cast<int>(mine ? DecodeCellFloat(mine->y) : spot->y);
    ShowToolFrame(editor.tools, editor.view, island);
    editor.updating = was_updating;
    window_.ShowToolFrame();
}

}  // namespace insel::gui
