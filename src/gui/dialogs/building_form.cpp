#include "gui/dialogs/building_form.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QRadioButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>
#include <charconv>
#include <string_view>

#include "gui/app/controls.h"

namespace insel::gui {
namespace {

constexpr std::array<const char*, 11> kPeoples = {
    "Orientalen", "Beduinen",   "Mongolen", "Afrikaner",  "Azteken", "Inuit",
    "Indianer",   "Polynesier", "Piraten",  "Venezianer", "Mensch"};
constexpr std::array<const char*, 6> kPlantKinds = {
    "Laubbäume",         "Nadelbäume",   "Palmen und Tropenpflanzen",
    "Büsche und Gräser", "Nutzpflanzen", "Felsen, Wracks und Sonstiges"};
constexpr int kBuildingTextLine = 330;
constexpr int kVegetationTextLine = 345;

// The three comma-separated numbers of a target-list line.
bool TargetEntry(std::string_view line, std::array<long, 3>& values) {
    for (long& value : values) {
        while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
        const auto [end, ec] = std::from_chars(line.data(), line.data() + line.size(), value);
        if (ec != std::errc()) return false;
        line.remove_prefix(static_cast<std::size_t>(end - line.data()));
        while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
        if (!line.empty() && line.front() == ',') line.remove_prefix(1);
    }
    return true;
}

}  // namespace

TBuildingForm::TBuildingForm(std::filesystem::path program_folder, const Definitions& definitions,
                             QWidget* parent)
    : QWidget(parent, Qt::Tool),
      program_folder_(std::move(program_folder)),
      definitions_(definitions) {
    setObjectName("TBuildingForm");
    auto* column = new QVBoxLayout(this);
    volk_group_ = new QGroupBox("Volk");
    volk_group_->setObjectName("VolkGroup");
    auto* radio_grid = new QGridLayout(volk_group_);
    radios_ = new QButtonGroup(this);
    for (std::size_t i = 0; i < radio_buttons_.size(); ++i) {
        auto* radio = new QRadioButton(QString::fromUtf8(kPeoples[i]));
        radio->setObjectName(QString("RadioButton%1").arg(i + 1));
        radio_buttons_[i] = radio;
        radio_grid->addWidget(radio, static_cast<int>(i) / 4, static_cast<int>(i) % 4);
        connect(radio, &QRadioButton::clicked, this,
                [this, radio] { RadioButton1Click(radio->property("tag").toInt()); });
        radios_->addButton(radio);
    }
    column->addWidget(volk_group_);
    grid_ = new QTableWidget(0, kColumns);
    grid_->setObjectName("StringGrid1");
    grid_->horizontalHeader()->hide();
    grid_->verticalHeader()->hide();
    grid_->horizontalHeader()->setDefaultSectionSize(kCellSize);
    grid_->verticalHeader()->setDefaultSectionSize(kCellSize);
    grid_->setIconSize(QSize(kCellSize - 6, kCellSize - 22));
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setMinimumSize(kColumns * kCellSize + 24, 3 * kCellSize);
    connect(grid_, &QTableWidget::cellClicked, this,
            [this](int row, int col) { StringGrid1MouseUp(row, col); });
    column->addWidget(grid_, 1);
    count_panel_ = StatusPanel("NumBmpPanel", 60);
    column->addWidget(count_panel_);
    // Beside the main window's right edge, where it hides the least of the map.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().right() - 330, screen->availableGeometry().top() + 40);
    resize(330, 560);
    SetPickerMode(Mode::Building);
}

void TBuildingForm::SetPickerMode(Mode mode) {
    mode_ = mode;
    const bool building = mode == Mode::Building;
    const int first_line = building ? kBuildingTextLine : kVegetationTextLine;
    setWindowTitle(InterfaceLine(definitions_, first_line,
                                 building ? QString::fromUtf8("Gebäude auswählen")
                                          : QString::fromUtf8("Bewuchs auswählen")));
    volk_group_->setTitle(
        InterfaceLine(definitions_, first_line + 1, building ? "Volk" : "Bewuchsart"));
    for (std::size_t i = 0; i < radio_buttons_.size(); ++i) {
        QRadioButton* radio = radio_buttons_[i];
        const bool shown = building || i < kPlantKinds.size();
        radio->setVisible(shown);
        const int tag = building ? static_cast<int>(i) + 1 : 1 << i;
        radio->setProperty("tag", tag);
        const QString fallback = QString::fromUtf8(building ? kPeoples[i]
                                                   : shown  ? kPlantKinds[i]
                                                            : "");
        radio->setText(InterfaceLine(definitions_, first_line + 2 + static_cast<int>(i), fallback));
    }
    // No people chosen yet: nothing listed.
    radios_->setExclusive(false);
    for (QRadioButton* radio : radio_buttons_) radio->setChecked(false);
    radios_->setExclusive(true);
    people_tag_ = 0;
    Refill();
}

void TBuildingForm::RadioButton1Click(int tag) {
    people_tag_ = tag;
    for (QRadioButton* radio : radio_buttons_)
        if (radio->property("tag").toInt() == tag) radio->setChecked(true);
    Refill();
}

void TBuildingForm::Refill() {
    grid_->clearContents();
    grid_->setRowCount(0);
    ids_.clear();
    if (people_tag_ != 0) {
        const bool building = mode_ == Mode::Building;
        for (const std::string& line : definitions_.target_list) {
            std::array<long, 3> v{};
            if (!TargetEntry(line, v)) continue;
            const long a = v[1], b = v[2];
            const bool listed = building ? (b == people_tag_ || (b == 12 && people_tag_ < 11))
                                         : ((a & people_tag_) >= 1 && b == 0);
            if (!listed) continue;
            // Entries without a picture are left out: there would be nothing to click on.
            const auto picture = program_folder_ / "GelImages" / (std::to_string(v[0]) + ".bmp");
            const QImage image(QString::fromStdString(picture.string()));
            if (image.isNull()) continue;
            if (static_cast<int>(ids_.size()) >= kMaxRows * kColumns) break;
            const int index = static_cast<int>(ids_.size());
            if (index % kColumns == 0) grid_->setRowCount(index / kColumns + 1);
            auto* item = new QTableWidgetItem(
                QIcon(QPixmap::fromImage(image.scaled(kCellSize - 6, kCellSize - 22))),
                QString::number(v[0]));
            item->setData(Qt::UserRole, static_cast<int>(v[0]));
            item->setTextAlignment(Qt::AlignHCenter | Qt::AlignBottom);
            grid_->setItem(index / kColumns, index % kColumns, item);
            ids_.push_back(static_cast<int>(v[0]));
        }
    }
    count_panel_->setText(QString::number(ids_.size()));
}

void TBuildingForm::StringGrid1MouseUp(int row, int column) {
    const int index = row * kColumns + column;
    if (row < 0 || column < 0 || column >= kColumns || index >= static_cast<int>(ids_.size()))
        return;
    const int id = ids_[static_cast<std::size_t>(index)];
    count_panel_->setText(QString::number(id));
    if (on_choose) on_choose(id);
}

void TBuildingForm::closeEvent(QCloseEvent* event) {
    // The pictures go with the grid; the next people chosen reads them again.
    SetPickerMode(mode_);
    QWidget::closeEvent(event);
}

}  // namespace insel::gui
