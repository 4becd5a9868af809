#pragma once
// The 1024 x 512 map canvas: shows the core's raster as it is and reports mouse moves.
#include <QImage>
#include <QWidget>
#include <functional>

#include "display/renderer.h"

namespace insel::gui {

class MapCanvas : public QWidget {
    Q_OBJECT
public:
    // `raster` must outlive the canvas; the canvas only reads it.
    MapCanvas(const Raster& raster, QWidget* parent = nullptr);

    std::function<void(int px, int py)> on_mouse_move;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QImage image_;  // wraps the raster's pixels
};

}  // namespace insel::gui
