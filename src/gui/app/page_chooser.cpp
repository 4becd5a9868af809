#include "gui/app/page_chooser.h"

#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>

namespace insel::gui {

PageChooser::PageChooser(QTabWidget* tabs, QWidget* parent) : FlowPanel(2, parent), tabs_(tabs) {
    setObjectName("PageChooser");
    tabs_->tabBar()->hide();
    for (int i = 0; i < tabs_->count(); ++i) {
        auto* button = new QToolButton;
        button->setObjectName("PageButton" + tabs_->widget(i)->objectName());
        button->setCheckable(true);
        button->setFocusPolicy(Qt::TabFocus);
        connect(button, &QToolButton::clicked, this, [this, i] {
            tabs_->setCurrentIndex(i);
            // A click on the page already shown must not untick its button.
            buttons_[static_cast<std::size_t>(i)]->setChecked(tabs_->currentIndex() == i);
        });
        buttons_.push_back(button);
        AddItem(button);
    }
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int) { Sync(); });
    Sync();
}

void PageChooser::Sync() {
    for (int i = 0; i < static_cast<int>(buttons_.size()); ++i) {
        QToolButton* button = buttons_[static_cast<std::size_t>(i)];
        button->setText(tabs_->tabText(i));
        button->setVisible(tabs_->isTabVisible(i));
        button->setEnabled(tabs_->isTabEnabled(i));
        button->setChecked(tabs_->currentIndex() == i);
    }
    Relayout();
}

void PageChooser::Step(int step) {
    const int count = tabs_->count();
    int index = tabs_->currentIndex();
    for (int tried = 0; tried < count; ++tried) {
        index = (index + step + count) % count;
        if (tabs_->isTabVisible(index) && tabs_->isTabEnabled(index)) {
            tabs_->setCurrentIndex(index);
            return;
        }
    }
}

}  // namespace insel::gui
