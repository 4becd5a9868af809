#include "gui/tools/copy_buffer_page.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/container/file_io.h"
#include "core/display/view.h"
#include "core/tools/block_buffer.h"
#include "core/tools/tool_frame.h"
#include "gui/app/controls.h"
#include "gui/app/main_window.h"

namespace insel::gui {
namespace {

constexpr const char* kEmptyBuffer = "Der Buffer ist leer: erst einen Bereich kopieren oder laden.";

struct BufferButton {
    const char* name;
    const char* caption;
    const char* hint;
};
constexpr BufferButton kButtons[] = {
    {"ClearBufferButton", "Buffer löschen", nullptr},
    {"BereichButton", "Bereich in Buffer schreiben", nullptr},
    {"BufferEinfuegenButton", "An diese Stelle Buffer einfügen", nullptr},
    {"BufferSpeichernButton", "Buffer auf Disk abspeichern", "All fields will be saved to disc"},
    {"LoadBufButton", "Buffer von Disk laden", nullptr},
    {"Button20", "Buffer n*m  mal einfügen", nullptr},
};

QCheckBox* Option(const char* name, const char* caption) {
    auto* check = new QCheckBox(QString::fromUtf8(caption));
    check->setObjectName(name);
    check->setChecked(true);
    return check;
}

QSpinBox* CountSpin(const char* name) {
    auto* spin = new QSpinBox;
    spin->setObjectName(name);
    spin->setRange(1, 999);
    spin->setValue(1);
    return spin;
}

}  // namespace

CopyBufferPage::CopyBufferPage(TInselZeichner& window) : window_(window) {
    auto* column = new QVBoxLayout(this);
    column->setSpacing(6);
    auto* buttons = new QGridLayout;
    for (int tag = 0; tag < 6; ++tag) {
        auto* button = new QPushButton(QString::fromUtf8(kButtons[tag].caption));
        button->setObjectName(kButtons[tag].name);
        button->setProperty("tag", tag);
        if (kButtons[tag].hint) button->setToolTip(kButtons[tag].hint);
        connect(button, &QPushButton::clicked, this, [this, tag] { ClearBufferButtonClick(tag); });
        buttons->addWidget(button, tag / 2, tag % 2);
    }
    column->addLayout(buttons);

    auto* counts = new QHBoxLayout;
    right_ = CountSpin("LeftSpinEdit");
    down_ = CountSpin("DownSpinEdit");
    counts->addWidget(right_);
    counts->addWidget(Caption("Label27", "n nach rechts"));
    counts->addWidget(down_);
    counts->addWidget(Caption("Label28", "m nach unten"));
    counts->addStretch(1);
    column->addLayout(counts);

    auto* group = new QGroupBox("Einfügen");
    group->setObjectName("InsertBufferGroup");
    auto* options = new QGridLayout(group);
    gfx_ = Option("TakeGFXCheck", "Untergrund übernehmen");
    terrain_ = Option("TakeGelaendeCheck", "Gelaende übernehmen");
    plants_ = Option("CopyPlantsCheck", "Pflanzen (unter 800)");
    rocks_ = Option("CopyRocksCheck", "Felsen (über 1500)");
    zero_ = Option("CopyZeroBox", "Leere Zellen nur mit Pflanzen");
    mines_ = Option("TakeMinesCheck", "Minen übernehmen");
    quarries_ = Option("TakeAbbauCheck", "Abbauplätze übernehmen");
    fertility_ = Option("TakeFruchtCheck", "Fruchtbarlkeit übernehmen");
    heights_ = Option("TakeHeightCheck", "Höhe übernehmen");
    zero_height_ = Option("ZeroHeightCheck", "Auch Höhe 0");
    options->addWidget(gfx_, 0, 0);
    options->addWidget(terrain_, 1, 0);
    // The element kinds belong to the terrain box.
    for (int k = 0; QCheckBox * element : {plants_, rocks_, zero_}) {
        options->addWidget(element, 2 + k++, 0);
        element->setContentsMargins(18, 0, 0, 0);
    }
    options->addWidget(fertility_, 0, 1);
    options->addWidget(heights_, 1, 1);
    options->addWidget(zero_height_, 2, 1);
    options->addWidget(mines_, 3, 1);
    options->addWidget(quarries_, 4, 1);
    column->addWidget(group);

    auto* comment = new QHBoxLayout;
    comment->addWidget(Caption("KommentarLabel", "Kommentarzeile"));
    comment_ = new QLineEdit;
    comment_->setObjectName("CopyComment");
    comment_->setToolTip("Kommentarzeile wird mit abgespeichert");
    comment->addWidget(comment_, 1);
    column->addLayout(comment);
    size_ = StatusPanel("BlockSizePanel", 120);
    column->addWidget(size_);
    column->addStretch(1);
    ShowBlock();
}

void CopyBufferPage::ShowBlock() {
    const BlockBuffer& b = window_.editor().tools.block_buffer;
    size_->setText(b.empty() ? QString::fromUtf8("Buffer leer")
                             : QString("Buffer %1 x %2, %3 Minen, %4 Abbauplätze")
                                   .arg(b.width)
                                   .arg(b.height)
                                   .arg(b.mines.size())
                                   .arg(b.quarry_spots.size()));
}

void CopyBufferPage::ClearBufferButtonClick(int tag) {
    Editor& e = window_.editor();
    if (e.updating || !e.doc.loaded) return;
    switch (tag) {
        case 0:
            ClearBlock(e.tools);
            window_.SetToolFrameColour(palette().color(QPalette::Button));
            insel::ShowToolFrame(e.tools, e.view, e.doc.island);
            window_.ShowToolFrame();
            break;
        case 1:
            CopyArea();
            break;
        case 2:
            Paste(1, 1);
            break;
        case 3:
            SaveBuffer();
            break;
        case 4:
            LoadBuffer();
            break;
        case 5:
            Paste(right_->value(), down_->value());
            break;
        default:
            break;
    }
    ShowBlock();
}

void CopyBufferPage::CopyArea() {
    window_.RunHandler([this] {
        Editor& e = window_.editor();
        const CellPoint corner =
            PixelToCell(e.view, e.doc.island, e.status, e.tools.frame.left, e.tools.frame.top);
        const int width = e.tools.spins.width, height = e.tools.spins.height;
        CopyBlock(e.tools.block_buffer, e.doc.island, corner.x, corner.y, width, height,
                  mines_->isChecked(), quarries_->isChecked());
        e.tools.block = {corner.x, corner.y, corner.x + width - 1, corner.y + height - 1};
        window_.SetToolFrameColour(Qt::red);
        return false;
    });
}

void CopyBufferPage::Paste(int n, int m) {
    Editor& e = window_.editor();
    if (e.tools.block_buffer.empty()) {
        window_.show_message(QString::fromUtf8(kEmptyBuffer), false);
        return;
    }
    const PasteOptions options{.heights = heights_->isChecked(),
                               .gfx = gfx_->isChecked(),
                               .terrain = terrain_->isChecked(),
                               .plants = plants_->isChecked(),
                               .rocks = rocks_->isChecked(),
                               .skip_empty = zero_->isChecked(),
                               .fertility = fertility_->isChecked(),
                               .mines = mines_->isChecked(),
                               .quarries = quarries_->isChecked(),
                               .zero_height = zero_height_->isChecked()};
    const char* step = n == 1 && m == 1 ? kButtons[2].caption : kButtons[5].caption;
    window_.RunHandler([this, &e, n, m, options, step] {
        const CellPoint corner =
            PixelToCell(e.view, e.doc.island, e.status, e.tools.frame.left, e.tools.frame.top);
        const bool changed = e.Step(step, [&] {
            PasteBlock(e.doc.island, e.tools.block_buffer, corner.x, corner.y, n, m, options);
        });
        if (changed) {
            window_.UpdateLegend(e.view.part_index < 0);
            window_.RedrawOverview();
        }
        return changed;
    });
}

void CopyBufferPage::SaveBuffer() {
    Editor& e = window_.editor();
    if (e.tools.block_buffer.empty()) {
        window_.show_message(QString::fromUtf8(kEmptyBuffer), false);
        return;
    }
    const QString proposed = last_save_folder_.isEmpty() ? QString("Inselblock.txt")
                                                         : last_save_folder_ + "/Inselblock.txt";
    const QString chosen = window_.AskSaveFile("Inselteilblock (*.txt)", proposed, "txt");
    if (chosen.isEmpty()) return;
    last_save_folder_ = QFileInfo(chosen).absolutePath();
    window_.RunHandler([this, &e, chosen] {
        e.tools.block_buffer.comment = comment_->text().toStdString();
        SaveBlockFile(e.tools.block_buffer, PathFromUtf8(chosen.toStdString()));
        return false;
    });
}

void CopyBufferPage::LoadBuffer() {
    const QString chosen = window_.choose_open_file("Inselblock (*.txt)", last_load_folder_);
    if (chosen.isEmpty()) return;
    last_load_folder_ = QFileInfo(chosen).absolutePath();
    window_.RunHandler([this, chosen] {
        Editor& e = window_.editor();
        LoadBlockFile(e.tools, PathFromUtf8(chosen.toStdString()));
        comment_->setText(FromText(e.tools.block_buffer.comment));
        insel::ShowToolFrame(e.tools, e.view, e.doc.island);
        window_.ShowToolFrame();
        window_.SetToolFrameColour(Qt::green);
        return false;
    });
}

}  // namespace insel::gui
