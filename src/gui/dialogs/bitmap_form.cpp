#include "gui/dialogs/bitmap_form.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>
#include <vector>

#include "gui/app/controls.h"
#include "core/app/editor.h"
#include "platform/memory_status.h"
#include "core/reports/statistics.h"

namespace insel::gui {
namespace {

constexpr int kCountWidth = 56;
constexpr int kShareWidth = 42;
constexpr int kPreloadWidth = 50;

// The paint box: 512 x 512, drawn by the form.
class PaintBox : public QWidget {
  public:
    explicit PaintBox(std::function<void(QPainter&)> paint) : paint_(std::move(paint)) {
        setFixedSize(kFullBitmapSize, kFullBitmapSize);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        paint_(painter);
    }

  private:
    std::function<void(QPainter&)> paint_;
};

// The form's panels keep their width, so the header's parts stay over their columns.
QLabel* FixedPanel(QLabel* panel, const QString& name, int width) {
    StatusPanel(name, width, panel);
    panel->setFixedWidth(width);
    return panel;
}

// The box asks for room for its longest series description, so the window opens wide enough
// to show them whole; where it is made narrower, the closed box shows as much as fits and
// the list and the tool tip show them whole.
class SeriesComboBox : public QComboBox {
  public:
    static constexpr int kShortestContents = 10;
    SeriesComboBox() {
        setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        setMinimumContentsLength(kShortestContents);
        connect(this, &QComboBox::currentTextChanged, this,
                [this](const QString& text) { setToolTip(text); });
    }

    QSize sizeHint() const override {
        // The base hint holds room for the shortest contents; widen it by what the longest
        // text needs beyond that.
        QSize hint = QComboBox::sizeHint();
        int longest = 0;
        for (int i = 0; i < count(); ++i)
            longest = std::max(longest, fontMetrics().horizontalAdvance(itemText(i)));
        const int shortest = kShortestContents * fontMetrics().horizontalAdvance(QLatin1Char('X'));
        hint.rwidth() += std::max(0, longest + 4 - shortest);
        return hint;
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        QStyleOptionComboBox option;
        initStyleOption(&option);
        painter.drawComplexControl(QStyle::CC_ComboBox, option);
        const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                    QStyle::SC_ComboBoxEditField, this);
        option.currentText =
            fontMetrics().elidedText(option.currentText, Qt::ElideRight, field.width());
        painter.drawControl(QStyle::CE_ComboBoxLabel, option);
    }
};

// Label2's text names the columns, its words spaced for a fixed-pitch layout. Its parts
// (split at runs of two or more blanks) are drawn over the columns' left edges instead, id and
// description both over the series column; a text with another number of parts is drawn as
// it is.
class ColumnHeader : public QLabel {
  public:
    std::vector<QWidget*> columns;

    QSize sizeHint() const override { return {0, fontMetrics().height() + 4}; }
    QSize minimumSizeHint() const override { return sizeHint(); }

  protected:
    void paintEvent(QPaintEvent* event) override {
        static const QRegularExpression gap("\\s{2,}");
        QStringList parts = text().trimmed().split(gap, Qt::SkipEmptyParts);
        if (parts.size() == static_cast<qsizetype>(columns.size()) + 1) {
            parts[0] += "  " + parts[1];
            parts.removeAt(1);
        }
        if (parts.size() != static_cast<qsizetype>(columns.size())) {
            QLabel::paintEvent(event);
            return;
        }
        QPainter painter(this);
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const QString& part = parts[static_cast<qsizetype>(i)];
            const QRect column = columns[i]->geometry().translated(-geometry().left(), 0);
            QRect place(column.left(), 0, column.width(), height());
            Qt::Alignment align = Qt::AlignRight;  // numbers are right-aligned, so are their heads
            if (i == 0) {
                align = Qt::AlignLeft;
            } else if (i + 1 == columns.size()) {
                // The check box is narrower than its heading: centre the heading over it.
                const int width = fontMetrics().horizontalAdvance(part);
                place = QRect(column.center().x() - width / 2, 0, width + 1, height());
                align = Qt::AlignLeft;
            }
            painter.drawText(place, static_cast<int>(align | Qt::AlignVCenter), part);
        }
    }
};

// Line of MainIStrings -> control of this window (the window caption is line 280).
constexpr std::pair<int, const char*> kFormTexts[] = {
    {281, "LoadBitmapButton"}, {283, "GetPreloadMemButton"}, {284, "Label5"},
    {285, "Label6"},           {286, "InselStatButton"},     {287, "Label4"},
    {288, "AutoPreloadCheck"}, {289, "PreloadButton"},       {290, "Label2"},
    {291, "Label3"},
};

constexpr const char* kIslandTypeButtons[kIslandTypeCount][2] = {
    {"NordButton", "Nord"},     {"JungleButton", "Jungle"}, {"TundraButton", "Tundra"},
    {"SteppeButton", "Steppe"}, {"Button4", "Praerie"},     {"Button5", "Polar"},
};

QPushButton* MakeButton(const char* name, const QString& caption) {
    auto* button = new QPushButton(caption);
    button->setObjectName(name);
    return button;
}

}  // namespace

TBitmapForm::TBitmapForm(Editor& editor, TextureCache& textures,
                         std::filesystem::path program_folder, QWidget* parent)
    : QWidget(parent, Qt::Window),
      editor_(editor),
      textures_(textures),
      program_folder_(std::move(program_folder)) {
    setObjectName("TBitmapForm");
    setWindowTitle("Texturen im Speicher halten");
    // Left open, it must not keep the program running after the main window closed.
    setAttribute(Qt::WA_QuitOnClose, false);

    choose_bitmap_file = [this](const QString& start_folder) {
        auto* dialog =
            new QFileDialog(this, QString(), start_folder, "Seriesxx bitmap files (*.bmp)");
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->setFileMode(QFileDialog::ExistingFile);
        dialog->setDefaultSuffix("bmp");
        return dialog->exec() == QDialog::Accepted ? dialog->selectedFiles().value(0) : QString();
    };
    show_error = [this](const QString& text) { QMessageBox::critical(this, windowTitle(), text); };

    auto* sides = new QHBoxLayout(this);
    sides->setContentsMargins(6, 6, 6, 6);
    sides->setSpacing(10);

    auto* left = new QVBoxLayout;
    left->setSpacing(4);
    paint_box_ = new PaintBox([this](QPainter& painter) { FlickerFreePaintBox2Paint(painter); });
    paint_box_->setObjectName("FlickerFreePaintBox2");
    left->addWidget(paint_box_);
    QWidget* controls = BuildControls();
    controls->setFixedWidth(kFullBitmapSize);
    left->addWidget(controls);
    left->addStretch(1);
    sides->addLayout(left);

    auto* right = new QVBoxLayout;
    right->setSpacing(4);
    right->addWidget(BuildRows());
    memo_ = new QPlainTextEdit;
    memo_->setObjectName("Memo1");
    memo_->setReadOnly(true);
    memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
    right->addWidget(memo_, 1);
    auto* load = MakeButton("LoadBitmapButton", "Load Bitmap file Seriesxx");
    connect(load, &QPushButton::clicked, this, [this] { LoadBitmapButtonClick(); });
    right->addWidget(load);
    sides->addLayout(right, 1);

    // FormCreate: the rows list every series, nothing is preloaded yet.
    const std::vector<std::string> items = SeriesListItems(editor_.definitions.gfx_items);
    QStringList texts;
    for (const std::string& item : items) texts << FromText(item);
    for (QComboBox* combo : combos_) {
        combo->addItems(texts);
        combo->setCurrentIndex(0);
        combo->view()->setMinimumWidth(combo->view()->sizeHintForColumn(0) + 24);
    }
    preload_button_->setEnabled(false);
    for (QCheckBox* check : checks_) check->setEnabled(false);
    textures_.log.clear();
    ShowLog();
    resize(sizeHint().expandedTo(QSize(874, 615)));
}

TBitmapForm::~TBitmapForm() = default;

QWidget* TBitmapForm::BuildRows() {
    auto* rows = new QWidget;
    auto* grid = new QGridLayout(rows);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(1);
    grid->setColumnStretch(0, 1);

    auto* header = new ColumnHeader;
    header->setObjectName("Label2");
    header->setText(
        "ID     Untergrund Beschreibung                 Anzahl            %       Preload");
    grid->addWidget(header, 0, 0, 1, 4);

    for (int i = 0; i < kRows; ++i) {
        const auto k = static_cast<std::size_t>(i);
        auto* combo = new SeriesComboBox;
        combo->setObjectName(QString("ComboBox%1").arg(i + 1));
        combos_[k] = combo;
        count_panels_[k] = FixedPanel(new QLabel, QString("Panel%1").arg(i + 1), kCountWidth);
        auto* share = new ClickPanel;
        FixedPanel(share, QString("Panel%1").arg(i + 17), kShareWidth);
        // A click shows the slot; it does not select the text.
        share->setTextInteractionFlags(Qt::NoTextInteraction);
        share->setProperty("tag", i);
        share->setCursor(Qt::PointingHandCursor);
        share->setToolTip("Slot anzeigen");
        share->on_click = [this, i] { Panel17Click(i); };
        share_panels_[k] = share;
        auto* check = new QCheckBox;
        check->setObjectName(QString("CheckBox%1").arg(i + 1));
        checks_[k] = check;
        grid->addWidget(combo, i + 1, 0);
        grid->addWidget(count_panels_[k], i + 1, 1);
        grid->addWidget(share, i + 1, 2);
        grid->addWidget(check, i + 1, 3, Qt::AlignCenter);
    }
    grid->setColumnMinimumWidth(3, kPreloadWidth);
    header->columns = {combos_[0], count_panels_[0], share_panels_[0], checks_[0]};

    auto* total_label = new QLabel("Total %");
    total_label->setObjectName("Label3");
    total_label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(total_label, kRows + 1, 0, 1, 2);
    total_panel_ = FixedPanel(new QLabel, "TotalPanel", kShareWidth);
    grid->addWidget(total_panel_, kRows + 1, 2);
    return rows;
}

QWidget* TBitmapForm::BuildControls() {
    auto* box = new QWidget;
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(3);

    auto* first = new QHBoxLayout;
    auto* statistics = MakeButton("InselStatButton", "Inselstatistik");
    connect(statistics, &QPushButton::clicked, this, [this] { InselStatButtonClick(); });
    first->addWidget(statistics);
    first->addSpacing(8);
    auto* find_best = new QLabel("Find best");
    find_best->setObjectName("Label4");
    first->addWidget(find_best);
    spin_edit1_ = new QSpinBox;
    spin_edit1_->setObjectName("SpinEdit1");
    spin_edit1_->setRange(1, kRows);
    spin_edit1_->setValue(10);
    first->addWidget(spin_edit1_);
    first->addSpacing(8);
    auto* attempted = new QLabel("Attempted:");
    attempted->setObjectName("Label5");
    first->addWidget(attempted);
    preload_spin_ = new QSpinBox;
    preload_spin_->setObjectName("PreloadSpin");
    // No bounds of its own: more than 16 is cut to 16 when slots are made.
    preload_spin_->setRange(0, 9999);
    preload_spin_->setValue(10);
    first->addWidget(preload_spin_);
    auto* help = MakeButton("Button1", "?");
    help->setFixedWidth(help->sizeHint().height() + 4);
    connect(help, &QPushButton::clicked, this, [this] { Button1Click(); });
    first->addWidget(help);
    first->addStretch(1);
    column->addLayout(first);

    auto* second = new QHBoxLayout;
    auto* getmem = MakeButton("GetPreloadMemButton", "(re-) Getmem for bitmaps");
    connect(getmem, &QPushButton::clicked, this, [this] { AllocatePreloadSlots(); });
    second->addWidget(getmem);
    preload_button_ = MakeButton("PreloadButton", "Preload now");
    connect(preload_button_, &QPushButton::clicked, this, [this] { PreloadButtonClick(); });
    second->addWidget(preload_button_);
    second->addSpacing(8);
    auto_preload_check_ = new QCheckBox("autom. Preload");
    auto_preload_check_->setObjectName("AutoPreloadCheck");
    // Ticking it from the program ticks the rows too.
    connect(auto_preload_check_, &QCheckBox::toggled, this,
            [this](bool ticked) { AutoPreloadCheckClick(ticked); });
    second->addWidget(auto_preload_check_);
    second->addStretch(1);
    column->addLayout(second);

    auto* third = new QHBoxLayout;
    third->setSpacing(3);
    auto* best = new QLabel("Beste");
    best->setObjectName("Label6");
    third->addWidget(best);
    third->addSpacing(4);
    for (int t = 0; t < kIslandTypeCount; ++t) {
        auto* button = MakeButton(kIslandTypeButtons[t][0], kIslandTypeButtons[t][1]);
        button->setProperty("tag", t);
        // Six of them beside the caption must stay within the paint box's width.
        button->setMinimumWidth(0);
        button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        connect(button, &QPushButton::clicked, this, [this, t] { NordButtonClick(t); });
        third->addWidget(button);
    }
    column->addLayout(third);
    return box;
}

void TBitmapForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FormShow();
}

void TBitmapForm::FormShow() {
    paint_mode_ = PaintMode::Nothing;
    paint_box_->update();
    const Definitions& definitions = editor_.definitions;
    setWindowTitle(InterfaceLine(definitions, 280, windowTitle()));
    ApplyInterfaceTexts(*this, definitions, kFormTexts);
    ShowLog();
}

void TBitmapForm::SetPreloadSpin(int count) { preload_spin_->setValue(count); }

void TBitmapForm::AllocatePreloadSlots() {
    ClearSeriesRows();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    textures_.AllocatePreloadSlots(preload_spin_->value(), platform::CurrentHeapStatus);
    QApplication::restoreOverrideCursor();
    for (int i = 0; i < kRows; ++i)
        checks_[static_cast<std::size_t>(i)]->setEnabled(i < textures_.AllocatedSlots());
    preload_button_->setEnabled(textures_.AllocatedSlots() > 0);
    auto_preload_check_->setChecked(true);
    ShowLog();
    emit TexturesChanged();
}

void TBitmapForm::PreloadTextures() {
    PreloadChoice choice;
    const int rows = spin_edit1_->value();
    for (int i = 0; i < rows; ++i) {
        const QComboBox* combo = combos_[static_cast<std::size_t>(i)];
        choice.listed.push_back(SeriesOfListItem(combo->currentText().toStdString()));
    }
    for (int i = 0; i < kRows; ++i)
        choice.ticked[static_cast<std::size_t>(i)] =
            checks_[static_cast<std::size_t>(i)]->isChecked();
    choice.auto_preload = auto_preload_check_->isChecked();
    choice.attempted = preload_spin_->value();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    textures_.PreloadTextures(choice);
    QApplication::restoreOverrideCursor();
    ShowLog();
    // A slot on show may hold another series now.
    paint_box_->update();
    emit TexturesChanged();
}

void TBitmapForm::ClearSeriesRows() {
    for (int i = 0; i < kRows; ++i) {
        const auto k = static_cast<std::size_t>(i);
        count_panels_[k]->clear();
        share_panels_[k]->clear();
        combos_[k]->setCurrentIndex(0);
        if (!auto_preload_check_->isChecked()) checks_[k]->setChecked(false);
    }
    total_panel_->clear();
}

void TBitmapForm::InselStatButtonClick() {
    if (!editor_.view.island_shown) return;
    ClearSeriesRows();
    const SeriesRanking ranking = RankSeries(editor_.doc.SeriesUsageCounts(), spin_edit1_->value());
    textures_.log = ranking.memo;
    if (ranking.total > 0) {
        for (std::size_t k = 0; k < ranking.ranks.size() && k < combos_.size(); ++k) {
            const SeriesRank& rank = ranking.ranks[k];
            if (rank.series < combos_[k]->count()) combos_[k]->setCurrentIndex(rank.series);
            count_panels_[k]->setText(QString::number(rank.count));
            share_panels_[k]->setText(QString::number(rank.share_percent.value_or(0)) + "%");
        }
        total_panel_->setText(QString::number(ranking.total_percent.value_or(0)));
    }
    ShowLog();
    if (auto_preload_check_->isChecked()) PreloadTextures();
}

void TBitmapForm::PreloadButtonClick() { PreloadTextures(); }

void TBitmapForm::AutoPreloadCheckClick(bool ticked) {
    for (QCheckBox* check : checks_) check->setChecked(ticked);
}

void TBitmapForm::NordButtonClick(int island_type) {
    const std::vector<int> best = BestSeriesOfIslandType(island_type, spin_edit1_->value());
    for (std::size_t i = 0; i < best.size(); ++i) {
        if (best[i] < combos_[i]->count()) combos_[i]->setCurrentIndex(best[i]);
    }
}

void TBitmapForm::Panel17Click(int row_tag) {
    const int slot = row_tag + 1;
    if (preload_spin_->value() > row_tag && slot <= textures_.AllocatedSlots()) {
        paint_mode_ = PaintMode::Slot;
        shown_slot_ = slot;
    } else {
        // White rather than the picture of whatever was shown before.
        paint_mode_ = PaintMode::Nothing;
    }
    paint_box_->update();
}

void TBitmapForm::LoadBitmapButtonClick() {
    const QString folder = QString::fromStdString((program_folder_ / "GFXImages").string());
    const QString file = choose_bitmap_file(folder);
    if (file.isEmpty()) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QImage picture;
    const bool loaded = picture.load(file);
    QApplication::restoreOverrideCursor();
    if (!loaded) {
        show_error("Cannot read the bitmap file " + file);
        return;
    }
    loaded_bitmap_ = picture.convertToFormat(QImage::Format_RGB32);
    paint_mode_ = PaintMode::LoadedBitmap;
    paint_box_->update();
}

void TBitmapForm::Button1Click() {
    for (const char* line : kPreloadWarningLines) textures_.log.emplace_back(line);
    ShowLog();
}

void TBitmapForm::FlickerFreePaintBox2Paint(QPainter& painter) {
    const QRect box(0, 0, kFullBitmapSize, kFullBitmapSize);
    painter.fillRect(box, Qt::white);
    if (paint_mode_ == PaintMode::LoadedBitmap && !loaded_bitmap_.isNull()) {
        // The orientation-0 quarter, twice as large.
        painter.drawImage(box, loaded_bitmap_, QRect(0, 0, kBaseBitmapSize, kBaseBitmapSize));
    } else if (paint_mode_ == PaintMode::Slot && shown_slot_ >= 1 &&
               shown_slot_ <= textures_.AllocatedSlots()) {
        const SlotPicture& slot = textures_.Slot(shown_slot_);
        const QImage picture(reinterpret_cast<const uchar*>(slot.pixels.data()), kFullBitmapSize,
                             kFullBitmapSize, kFullBitmapSize * 4, QImage::Format_RGB32);
        painter.drawImage(0, 0, picture);
    }
}

void TBitmapForm::ShowLog() {
    QStringList lines;
    for (const std::string& line : textures_.log) lines << FromText(line);
    memo_->setPlainText(lines.join('\n'));
    memo_->moveCursor(QTextCursor::End);
}

}  // namespace insel::gui
