#include "gui/tools/rotation_page.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <array>

#include "core/document/island_map.h"
#include "core/tools/rotation.h"
#include "gui/app/controls.h"
#include "gui/app/main_window.h"

namespace insel::gui {
namespace {

struct ShiftRow {
    const char* check;
    const char* caption;
    const char* x_spin;
    const char* y_spin;
    const char* letter;
    // Shifts that suit a turn of 90, 180 and 270 degrees.
    std::array<const char*, 3> suggested;
};
constexpr ShiftRow kShiftRows[] = {
    {"ApplyHeightShiftCheck",
     "H: Apply height profile shift on save",
     "RotHxSpin",
     "RotHySpin",
     "H",
     {"x=  0,  y=  0", "x=  0,  y=  0", "x=  0,  y=  0"}},
    {"ApplyGFXShiftCheck",
     "G: Apply GFX profile shift on save",
     "RotGxSpin",
     "RotGySpin",
     "G",
     {"x= -1,  y=  0", "x= -1,  y= -1", "x=  0,  y= -1"}},
    {"ApplyPlantsShiftCheck",
     "P: Apply plants profile shift on save",
     "RotPxSpin",
     "RotPySpin",
     "P",
     {"x= -1,  y=  0", "x= -1,  y= -1", "x=  0,  y= -1"}},
    {"ApplyRockShiftCheck",
     "R: Apply additional shift to rocks",
     "RotRxSpin",
     "RotRySpin",
     "R",
     {"x= -1,  y=  0", "x= -1,  y= -1", "x=  0,  y= -1"}},
};

QSpinBox* ShiftSpin(const char* name) {
    auto* spin = new QSpinBox;
    spin->setObjectName(name);
    // Any shift beyond a whole layer side empties the layer just the same.
    spin->setRange(-kLayerSide, kLayerSide);
    spin->setFixedWidth(70);
    return spin;
}

}  // namespace

RotationPage::RotationPage(TInselZeichner& window) : window_(window) {
    auto* column = new QVBoxLayout(this);
    auto* angle = new QHBoxLayout;
    auto* rotate = new QPushButton("+90 Grad");
    rotate->setObjectName("RotateButton1");
    connect(rotate, &QPushButton::clicked, this, [this] { RotateButton1Click(); });
    angle->addWidget(rotate);
    angle->addWidget(Caption("AngleLabel", "Current rotation angle:"));
    angle->addWidget(angle_panel_ = StatusPanel("AnglePanel", 70));
    angle->addStretch(1);
    column->addLayout(angle);

    auto* box = new QGroupBox;
    box->setObjectName("ShiftBox");
    auto* grid = new QGridLayout(box);
    grid->addWidget(Caption("EbenenLabel", "Ebenen beim Speichern verschieben"), 0, 0, 1, 5);
    for (int k = 0; k < 4; ++k) {
        const ShiftRow& row = kShiftRows[k];
        const int r = 1 + 2 * k;
        auto* check = new QCheckBox(row.caption);
        check->setObjectName(row.check);
        checks_[static_cast<std::size_t>(k)] = check;
        grid->addWidget(check, r, 0, 1, 5);
        QSpinBox* x = spins_[static_cast<std::size_t>(2 * k)] = ShiftSpin(row.x_spin);
        QSpinBox* y = spins_[static_cast<std::size_t>(2 * k + 1)] = ShiftSpin(row.y_spin);
        grid->addWidget(Caption(nullptr, "x"), r + 1, 1, Qt::AlignRight);
        grid->addWidget(x, r + 1, 2);
        grid->addWidget(Caption(nullptr, "y"), r + 1, 3, Qt::AlignRight);
        grid->addWidget(y, r + 1, 4);
        auto& shift = window_.editor().save.shifts[static_cast<std::size_t>(k)];
        connect(check, &QCheckBox::toggled, this, [&shift](bool on) { shift.apply = on; });
        connect(x, &QSpinBox::valueChanged, this, [&shift](int v) { shift.dx = v; });
        connect(y, &QSpinBox::valueChanged, this, [&shift](int v) { shift.dy = v; });
    }
    grid->setColumnMinimumWidth(0, 16);
    grid->setColumnStretch(5, 1);
    column->addWidget(box);

    auto* hints = new QGroupBox;
    hints->setObjectName("SuggestedBox");
    auto* table = new QGridLayout(hints);
    table->setHorizontalSpacing(18);
    table->addWidget(Caption("SuggestedLabel", "Suggested settings"), 0, 0, 1, 4);
    const char* angles[] = {"90", "180", "270"};
    for (int a = 0; a < 3; ++a) table->addWidget(Caption(nullptr, angles[a]), 1, 1 + a);
    for (int k = 0; k < 4; ++k) {
        table->addWidget(Caption(nullptr, kShiftRows[k].letter), 2 + k, 0);
        for (int a = 0; a < 3; ++a) {
            table->addWidget(Caption(nullptr, kShiftRows[k].suggested[static_cast<std::size_t>(a)]),
                             2 + k, 1 + a);
        }
    }
    table->setColumnStretch(4, 1);
    column->addWidget(hints);
    column->addStretch(1);
    ShowShifts();
}

void RotationPage::ShowAngle() {
    const Editor& editor = window_.editor();
    const int angle = editor.doc.island.rotation_angle;
    // Empty until the island is turned.
    bool turned = angle != 0;
    for (std::size_t i = 0; i < editor.history.position() && !turned; ++i)
        turned = editor.history.StepName(i) == kQuarterTurnStep;
    static const char* const kAngles[] = {"0 Grad", "90 Grad", "180 Grad", "270 Grad"};
    angle_panel_->setText(turned ? window_.InterfaceText(314 + angle, kAngles[angle]) : QString());
}

void RotationPage::RotateButton1Click() {
    window_.RunHandler([this] {
        Editor& editor = window_.editor();
        std::string message;
        const bool turned = editor.Step(kQuarterTurnStep, [&] {
            message = RotateQuarter(editor.doc, editor.definitions, editor.status);
        });
        if (!message.empty()) window_.show_message(FromText(message), false);
        ShowAngle();
        if (turned) {
            window_.UpdateLegend(editor.view.part_index < 0);
            window_.RedrawOverview();
        }
        // The log was emptied either way.
        return true;
    });
}

void RotationPage::ShowShifts() {
    for (std::size_t k = 0; k < checks_.size(); ++k) {
        const auto& shift = window_.editor().save.shifts[k];
        checks_[k]->setChecked(shift.apply);
        spins_[2 * k]->setValue(shift.dx);
        spins_[2 * k + 1]->setValue(shift.dy);
    }
}

}  // namespace insel::gui
