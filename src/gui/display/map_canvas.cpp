#include "gui/display/map_canvas.h"

#include <QMouseEvent>
#include <QPainter>

namespace insel::gui {

MapCanvas::MapCanvas(const Raster& raster, QWidget* parent)
    : QWidget(parent),
      // The raster's 0xAARRGGBB words are exactly RGB32, so no conversion is needed per paint.
      image_(reinterpret_cast<const uchar*>(raster.pixels.data()), Raster::kWidth, Raster::kHeight,
             Raster::kWidth * 4, QImage::Format_RGB32) {
    setObjectName("FlickerFreePaintBox2");
    setFixedSize(Raster::kWidth, Raster::kHeight);
    setMouseTracking(true);
    // Every pixel is painted each time; skip Qt's background fill.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void MapCanvas::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect r = event->rect();
    painter.drawImage(r, image_, r);
}

void MapCanvas::mouseMoveEvent(QMouseEvent* event) {
    if (on_mouse_move) {
        const QPoint p = event->position().toPoint();
        on_mouse_move(p.x(), p.y());
    }
}

}  // namespace insel::gui

namespace insel::gui {

void MapCanvas::mousePressEvent(QMouseEvent* event) {
    if (on_press) {
        const QPoint p = event->position().toPoint();
        on_press(p.x(), p.y());
    }
}

void MapCanvas::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
        on_click) {
        on_click();
    }
    if (on_release) on_release();
}

}  // namespace insel::gui
