#include "gui/dialogs/view_form.h"

#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>
#include <utility>

#include "gui/app/controls.h"
#include "core/display/textures.h"

namespace insel::gui {

TViewForm::TViewForm(const Definitions& definitions, std::filesystem::path program_folder,
                     QWidget* parent)
    : QWidget(parent, Qt::Window),
      definitions_(definitions),
      program_folder_(std::move(program_folder)) {
    setObjectName("TViewForm");
    setWindowTitle("Textur");
    setAttribute(Qt::WA_QuitOnClose, false);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    image_ = new QLabel;
    image_->setObjectName("Image1");
    image_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    image_->setMinimumSize(kBaseBitmapSize, kBaseBitmapSize);
    column->addWidget(image_);
}

void TViewForm::ShowSeriesImage(const QString& key) {
    const QString code = key.left(2).toUpper();
    setWindowTitle(InterfaceLine(definitions_, 295, "Linke Hälfte") + " " + code + "00 " + code +
                   "60  " + InterfaceLine(definitions_, 296, "Rechte Hälfte") + " " + code + "0C " +
                   code + "6C");
    // Only a series code may become part of a file name.
    const int series = SeriesOfListItem(code.toStdString());
    if (series < 0) return;
    QImage picture;
    if (!picture.load(QString::fromStdString(BaseBitmapPath(program_folder_, series).string())))
        return;
    image_->setPixmap(QPixmap::fromImage(picture));
    adjustSize();
}

}  // namespace insel::gui
