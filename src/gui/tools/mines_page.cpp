#include "gui/tools/mines_page.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui/app/main_window.h"
#include "core/tools/tool_frame.h"

namespace insel::gui {

MinenPage::MinenPage(TInselZeichner& window) : window_(window) {
    auto* column = new QVBoxLayout(this);
    auto* box = new QGroupBox;
    box->setObjectName("MinenChoiceBox");
    auto* choices = new QVBoxLayout(box);
    auto* group = new QButtonGroup(this);
    auto* mines = new QRadioButton("Mines");
    mines->setObjectName("MinenBox");
    mines->setProperty("tag", 0);
    mines->setChecked(true);
    auto* spots = new QRadioButton("Abbauplatz");
    spots->setObjectName("AbbauBox");
    spots->setProperty("tag", 1);
    group->addButton(mines, 0);
    group->addButton(spots, 1);
    choices->addWidget(mines);
    choices->addWidget(spots);
    connect(group, &QButtonGroup::idClicked, this, [this](int tag) { RadioButton6Click(tag); });
    column->addWidget(box, 0, Qt::AlignLeft);
    column->addStretch(1);
}

void MinenPage::RadioButton6Click(int tag) {
    Editor& editor = window_.editor();
    if (editor.updating) return;
    SetMineChoice(editor.tools, editor.view, editor.doc.island, tag == 0);
    window_.ShowToolFrame();
}

}  // namespace insel::gui
