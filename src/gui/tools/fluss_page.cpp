#include "gui/tools/fluss_page.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/display/renderer.h"
#include "core/tools/element_pictures.h"
#include "core/tools/rivers.h"
#include "gui/app/controls.h"
#include "gui/app/main_window.h"

namespace insel::gui {
namespace {

QPushButton* Button(const char* name, const QString& caption, int tag) {
    auto* button = new QPushButton(caption);
    button->setObjectName(name);
    button->setProperty("tag", tag);
    return button;
}

ClickPanel* ColourPanel(const char* name, Colour colour, int tag, const QString& hint) {
    auto* panel = new ClickPanel;
    panel->setObjectName(name);
    panel->setProperty("tag", tag);
    panel->setFixedSize(40, 20);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setToolTip(hint);
    PaintPanel(panel, ColourOf(colour));
    return panel;
}

// The colour dialog for one of the map's colours; true when the user chose one.
bool ChooseColour(TInselZeichner& window, ClickPanel* panel, Colour& colour) {
    if (window.editor().updating) return false;
    const QColor chosen = window.choose_colour(ColourOf(colour));
    if (!chosen.isValid()) return false;
    colour = ColourValue(chosen);
    PaintPanel(panel, chosen);
    return true;
}

}  // namespace

FlussPage::FlussPage(TInselZeichner& window) : window_(window) {
    auto* column = new QVBoxLayout(this);
    column->setSpacing(6);

    auto* box = new QGroupBox("Flusselement");
    box->setObjectName("FlussBox");
    auto* grid = new QGridLayout(box);
    combo_ = new QComboBox;
    combo_->setObjectName("FlussComboBox");
    for (const std::string& item : window_.editor().definitions.river_items)
        combo_->addItem(FromText(item));
    connect(combo_, &QComboBox::activated, this, [this] { FlussComboBoxClick(); });
    grid->addWidget(combo_, 0, 0, 1, 3);

    id_edit_ = new QLineEdit;
    id_edit_->setObjectName("FlussIDEdit");
    id_edit_->setReadOnly(true);
    id_edit_->setFixedWidth(130);
    size_edit_ = new QLineEdit("0030");
    size_edit_->setObjectName("FlussWEdit");
    size_edit_->setFixedWidth(130);
    size_edit_->setToolTip(
        "Vier Hexziffern, niedriges Byte zuerst / four hex digits, low byte first");
    grid->addWidget(Caption("FlussIDLabel", "Basis-ID :"), 1, 0);
    grid->addWidget(id_edit_, 1, 1);
    grid->addWidget(Caption("FlussWLabel", "Size :"), 2, 0);
    grid->addWidget(size_edit_, 2, 1);

    direction_spin_ = new QSpinBox;
    direction_spin_->setObjectName("FlussSpin");
    direction_spin_->setRange(0, 3);
    direction_spin_->setFixedWidth(50);
    grid->addWidget(
        Caption("FlussDirLabel", "Fliessrichtung     (Uhrzeigersinn) / Flow direction (clockwise)"),
        3, 0, 1, 3);
    grid->addWidget(direction_spin_, 4, 0);
    grid->addWidget(Caption("FlussDirLabel2", "1 = + 90 deg,    2 = + 180 deg,    3 = + 270 deg"),
                    4, 1, 1, 2);

    picture_ = new QLabel;
    picture_->setObjectName("FlussPicture");
    picture_->setFixedSize(64, 64);
    picture_->setAlignment(Qt::AlignCenter);
    picture_->setFrameStyle(QFrame::StyledPanel);
    grid->addWidget(picture_, 1, 2, 2, 1);

    auto* add = Button("FlussButton", QString::fromUtf8("Einfügen / add"), 0);
    connect(add, &QPushButton::clicked, this, [this] { FlussButtonClick(); });
    auto* remove = Button("RemRiverButton", "Entfernen / Remove", 1);
    remove->setToolTip("Remove the river at the frame's corner");
    connect(remove, &QPushButton::clicked, this, [this] { RemRiverButtonClick(1); });
    auto* remove_all = Button("RemAllRiverButton", "Entfernen / Remove", 2);
    remove_all->setToolTip("Remove all rivers visible in display");
    connect(remove_all, &QPushButton::clicked, this, [this] { RemRiverButtonClick(2); });
    grid->addWidget(add, 5, 0);
    grid->addWidget(remove, 5, 1);
    grid->addWidget(remove_all, 6, 1);
    grid->addWidget(Caption("RemAllLabel", "alle sichtbaren / all visible"), 6, 2);
    grid->setColumnStretch(3, 1);
    column->addWidget(box);

    auto* colours = new QGroupBox("Farben");
    colours->setObjectName("FarbenBox");
    auto* panels = new QGridLayout(colours);
    RenderSettings& settings = window_.settings();
    river_colour_ = ColourPanel("FlussColorPanel", settings.river, 0, "Farbe der Flüsse");
    river_colour_->on_click = [this] { FlussColorPanelClick(); };
    animal_colour_ = ColourPanel("TierFarbePanel", settings.animal, 0, "Farbe der Tiere");
    animal_colour_->on_click = [this] { TierFarbePanelClick(); };
    origin_colour_ =
        ColourPanel("BauFarbePanel", settings.object_anchor, 0, "Farbe des Gebäudeursprungs");
    origin_colour_->on_click = [this] { BauFarbePanelClick(0); };
    outline_colour_ =
        ColourPanel("BauUmrissPanel", settings.object_outline, 1, "Farbe des Gebäudeumrisses");
    outline_colour_->on_click = [this] { BauFarbePanelClick(1); };
    panels->addWidget(Caption("FlussColorLabel", "Fluss"), 0, 0);
    panels->addWidget(river_colour_, 0, 1);
    panels->addWidget(Caption("TierLabel", "Tiere"), 1, 0);
    panels->addWidget(animal_colour_, 1, 1);
    panels->addWidget(Caption("OriginLabel", "Origin"), 2, 0);
    panels->addWidget(origin_colour_, 2, 1);
    panels->addWidget(Caption("SizeLabel", "Size"), 3, 0);
    panels->addWidget(outline_colour_, 3, 1);
    panels->setColumnStretch(2, 1);
    column->addWidget(colours);
    column->addStretch(1);
    ResetAfterLoad();
}

void FlussPage::ShowPicture(int id, int direction) {
    ShowElementPicture(picture_, window_.ProgramFolder(), PictureKind::River, direction, id);
}

void FlussPage::ResetAfterLoad() {
    if (combo_->count() == 0) return;
    combo_->setCurrentIndex(0);
    const RiverChoice choice = ChooseRiverItem(window_.editor().definitions, 0);
    id_edit_->setText(QString::fromStdString(choice.id_text));
    size_edit_->setText(QString::fromStdString(choice.size_text));
    direction_spin_->setValue(0);
    ShowPicture(choice.id, 0);
}

void FlussPage::FlussComboBoxClick() {
    window_.RunHandler([this] {
        const RiverChoice choice =
            ChooseRiverItem(window_.editor().definitions, combo_->currentIndex());
        id_edit_->setText(QString::fromStdString(choice.id_text));
        size_edit_->setText(QString::fromStdString(choice.size_text));
        direction_spin_->setValue(0);
        ShowPicture(choice.id, 0);
        return false;
    });
}

void FlussPage::ShowRiverCell() {
    const auto& cell = window_.editor().tools.river.clicked;
    if (!cell) return;
    size_edit_->setText(QString::fromStdString(cell->size_text));
    id_edit_->setText(QString::fromStdString(cell->id_text));
    direction_spin_->setValue(cell->direction);
    const int item = FindRiverItem(window_.editor().definitions, cell->id);
    if (combo_->count() > 0) combo_->setCurrentIndex(item < 0 ? 0 : item);
    ShowPicture(cell->id, cell->direction);
}

void FlussPage::FlussButtonClick() {
    Editor& editor = window_.editor();
    if (!editor.doc.loaded) return;
    window_.RunHandler([&] {
        const RiverChoice choice = ChooseRiverItem(editor.definitions, combo_->currentIndex());
        return PlaceRiverStep(editor, editor.tools.spins.left, editor.tools.spins.top, choice.id,
                              direction_spin_->value(), size_edit_->text().toStdString());
    });
}

void FlussPage::RemRiverButtonClick(int tag) {
    Editor& editor = window_.editor();
    if (!editor.doc.loaded) return;
    window_.RunHandler([&] {
        if (tag == 1)
            return RemoveRiverStep(editor, editor.tools.spins.left, editor.tools.spins.top);
        return RemoveVisibleRiversStep(editor, VisibleRiverCells(editor.view, editor.doc.island));
    });
}

void FlussPage::FlussColorPanelClick() {
    if (ChooseColour(window_, river_colour_, window_.settings().river)) window_.RepaintCanvas();
}

void FlussPage::TierFarbePanelClick() {
    if (ChooseColour(window_, animal_colour_, window_.settings().animal) &&
        window_.settings().animals) {
        window_.RepaintCanvas();
    }
}

void FlussPage::BauFarbePanelClick(int tag) {
    RenderSettings& settings = window_.settings();
    ClickPanel* panel = tag == 0 ? origin_colour_ : outline_colour_;
    Colour& colour = tag == 0 ? settings.object_anchor : settings.object_outline;
    if (ChooseColour(window_, panel, colour) && settings.objects) window_.RepaintCanvas();
}

}  // namespace insel::gui
