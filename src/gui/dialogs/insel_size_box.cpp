#include "gui/dialogs/insel_size_box.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <array>
#include <string>

#include "gui/app/controls.h"
#include "core/dialogs/new_island.h"
#include "core/island/island_list.h"

namespace insel::gui {
namespace {

struct SizeRadio {
    const char* name;
    int tag;
    const char* caption;
};
constexpr std::array<SizeRadio, 6> kFixedSizes = {{
    {"RadioButton5", 32, "  32 *   32"},
    {"RadioButton1", 64, "  64 *   64"},
    {"RadioButton2", 80, "  80 *   80"},
    {"RadioButton6", 96, "  96 *   96"},
    {"RadioButton3", 128, "128 * 128"},
    {"RadioButton4", 256, "256 * 256"},
}};

}  // namespace

TInselSizeBox::TInselSizeBox(const Definitions& definitions, QWidget* parent) : QDialog(parent) {
    setObjectName("TInselSizeBox");
    setWindowTitle(InterfaceLine(definitions, 270, "Inselgrösse wählen"));

    auto* column = new QVBoxLayout(this);
    column->setSpacing(6);
    column->addWidget(Caption("Label1", InterfaceLine(definitions, 271, "Feste Inselgrössen")));

    sizes_ = new QButtonGroup(this);
    // The captions pad with blanks to line up; a fixed-pitch font keeps them lined up.
    QFont fixed = font();
    fixed.setFamily("monospace");
    fixed.setStyleHint(QFont::TypeWriter);
    auto* fixed_grid = new QGridLayout;
    fixed_grid->setContentsMargins(12, 0, 0, 0);
    fixed_grid->setHorizontalSpacing(24);
    for (std::size_t i = 0; i < kFixedSizes.size(); ++i) {
        auto* radio = new QRadioButton(kFixedSizes[i].caption);
        radio->setObjectName(kFixedSizes[i].name);
        radio->setProperty("tag", kFixedSizes[i].tag);
        radio->setFont(fixed);
        sizes_->addButton(radio, kFixedSizes[i].tag);
        fixed_grid->addWidget(radio, static_cast<int>(i % 3), static_cast<int>(i / 3));
    }
    column->addLayout(fixed_grid);
    column->addSpacing(4);

    column->addWidget(
        Caption("Label2", InterfaceLine(definitions, 272, "Selbstdefinierte Inselgrössen")));
    auto* own = new QHBoxLayout;
    own->setContentsMargins(12, 0, 0, 0);
    auto* own_radio = new QRadioButton(InterfaceLine(definitions, 273, "Neue Grösse:"));
    own_radio->setObjectName("RadioButton7");
    own_radio->setProperty("tag", 0);
    sizes_->addButton(own_radio, 0);
    own->addWidget(own_radio);
    edit1_ = new QLineEdit("160");
    edit1_->setObjectName("Edit1");
    edit1_->setFixedWidth(edit1_->fontMetrics().horizontalAdvance("00000") + 12);
    own->addWidget(edit1_);
    own->addWidget(Caption("Label3", InterfaceLine(definitions, 274, "(durch 8 teilbar)")));
    own->addStretch(1);
    column->addLayout(own);
    column->addSpacing(4);

    auto* climate = new QHBoxLayout;
    climate->addWidget(Caption("InselTypLabel", InterfaceLine(definitions, 18, "Typ")));
    combo_box1_ = new QComboBox;
    combo_box1_->setObjectName("ComboBox1");
    for (int c = 0; c < kClimateCount; ++c) combo_box1_->addItem(FromText(ClimateName(c)));
    combo_box1_->setCurrentIndex(0);
    climate->addWidget(combo_box1_);
    climate->addStretch(1);
    auto* ok = new QPushButton(InterfaceLine(definitions, 275, "OK"));
    ok->setObjectName("OKButton");
    ok->setDefault(true);
    climate->addWidget(ok);
    column->addLayout(climate);

    sizes_->button(64)->setChecked(true);
    connect(sizes_, &QButtonGroup::idClicked, this, [this](int tag) { RadioButton1Click(tag); });
    connect(edit1_, &QLineEdit::textChanged, this, [this](const QString& t) { Edit1Change(t); });
    connect(combo_box1_, &QComboBox::currentIndexChanged, this,
            [this](int index) { ComboBox1Change(index); });
    connect(ok, &QPushButton::clicked, this, [this] { OKButtonClick(); });

    // Fixed border: the dialog keeps the size its contents need.
    column->setSizeConstraint(QLayout::SetFixedSize);
}

void TInselSizeBox::RadioButton1Click(int tag) { size_ = tag; }

void TInselSizeBox::ComboBox1Change(int index) { climate_ = index < 0 ? 0 : index; }

void TInselSizeBox::Edit1Change(const QString& text) {
    const std::string limited = LimitOwnSizeText(text.toStdString());
    if (QString::fromStdString(limited) != text) edit1_->setText(QString::fromStdString(limited));
}

void TInselSizeBox::OKButtonClick() {
    const QString own_text = edit1_->text().trimmed();
    if (size_ == 0) {
        bool number = false;
        own_text.toLongLong(&number);
        // Without a number the own size gives way to the default size.
        if (!number) sizes_->button(64)->setChecked(true);
    }
    size_ = ChooseNewIslandSize(size_, own_text.toStdString());
    accept();
}

}  // namespace insel::gui
