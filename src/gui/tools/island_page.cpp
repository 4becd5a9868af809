#include "gui/tools/island_page.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/reports/statistics.h"
#include "gui/app/controls.h"
#include "gui/app/main_window.h"
#include "gui/tools/line_drawing_page.h"

namespace insel::gui {
namespace {

QPlainTextEdit* Memo(const char* name) {
    auto* memo = new QPlainTextEdit;
    memo->setObjectName(name);
    memo->setReadOnly(true);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setToolTip("Klick: Log speichern");
    return memo;
}

void ShowLines(QPlainTextEdit* memo, const std::vector<std::string>& lines,
               std::vector<std::string>& shown) {
    if (lines == shown) return;
    shown = lines;
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(lines.size()));
    for (const std::string& line : lines) texts << FromGameText(line);
    memo->setPlainText(texts.join('\n'));
}

}  // namespace

InselPage::InselPage(TInselZeichner& window) : window_(window) {
    auto* column = new QVBoxLayout(this);
    column->addWidget(Caption(nullptr, "Log"));
    memo2_ = Memo("Memo2");
    column->addWidget(memo2_, 2);
    show_memo_check_ = new QCheckBox("Show Memo");
    show_memo_check_->setObjectName("ShowMemoCheck");
    // The overlay's controls share the row, so the page is no taller than the logs need.
    auto* check_row = new QHBoxLayout;
    check_row->addWidget(show_memo_check_);
    column->addLayout(check_row);
    memo3_ = Memo("Memo3");
    memo3_->hide();
    column->addWidget(memo3_, 1);
    connect(show_memo_check_, &QCheckBox::toggled, memo3_, &QWidget::setVisible);

    // A bitmap laid over the map to trace a height profile on.
    auto* load_image = new QPushButton("Load an image");
    load_image->setObjectName("LoadImageButton");
    check_row->addWidget(load_image);
    auto* image_name = StatusPanel("BmpPanel", 60);
    check_row->addWidget(image_name, 1);
    auto* image_box = new QCheckBox("Show island image on right");
    image_box->setObjectName("ImageBox");
    image_box->hide();  // until an image is loaded
    column->addWidget(image_box);
    connect(load_image, &QPushButton::clicked, this,
            [this] { window_.line_drawing_page()->LoadImageButtonClick(); });
    connect(image_box, &QCheckBox::clicked, this,
            [this](bool checked) { window_.line_drawing_page()->ImageBoxClick(checked); });
    // A click on either log saves the load and save log.
    memo2_->viewport()->installEventFilter(this);
    memo3_->viewport()->installEventFilter(this);
}

bool InselPage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        Memo2Click();
    }
    return QWidget::eventFilter(watched, event);
}

void InselPage::ShowLogs() {
    ShowLines(memo2_, window_.editor().status.memo2, shown_memo2_);
    ShowLines(memo3_, window_.editor().status.memo3, shown_memo3_);
}

void InselPage::Memo2Click() {
    const Editor& editor = window_.editor();
    if (editor.updating || !MemoWorthSaving(editor.status.memo2)) return;
    window_.SaveTextLines(kMemoFileName, editor.status.memo2);
}

}  // namespace insel::gui
