#include "gui/display/overview.h"

#include <QMouseEvent>
#include <QPainter>

#include "core/display/view.h"

namespace insel::gui {

OverviewImage::OverviewImage(QWidget* parent) : QWidget(parent) {
    setObjectName("MiniImage");
    setFixedSize(kOverviewSide, kOverviewSide);
}

void OverviewImage::SetPixels(std::vector<std::uint32_t> pixels) {
    if (pixels.size() != static_cast<std::size_t>(kOverviewSide) * kOverviewSide) {
        pixels_.clear();
        image_ = QImage();
    } else {
        pixels_ = std::move(pixels);
        image_ = QImage(reinterpret_cast<const uchar*>(pixels_.data()), kOverviewSide,
                        kOverviewSide, kOverviewSide * 4, QImage::Format_RGB32);
    }
    update();
}

void OverviewImage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (image_.isNull()) {
        painter.fillRect(rect(), Qt::white);
    } else {
        painter.drawImage(0, 0, image_);
    }
}

void OverviewImage::mouseReleaseEvent(QMouseEvent* event) {
    if (on_release) {
        const QPoint p = event->position().toPoint();
        on_release(p.x(), p.y());
    }
}

}  // namespace insel::gui
