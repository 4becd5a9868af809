#pragma once
// The 1024 x 512 map canvas: shows the core's raster as it is and reports mouse moves.
#include <QImage>
#include <QWidget>
#include <functional>

#include "core/display/renderer.h"

namespace insel::gui {

class MapCanvas : public QWidget {
    Q_OBJECT
  public:
    // `raster` must outlive the canvas; the canvas only reads it.
    MapCanvas(const Raster& raster, QWidget* parent = nullptr);

    std::function<void(int px, int py)> on_mouse_move;
    std::function<void(int px, int py)> on_press;  // any button
    std::function<void()> on_click;                // left button released
    std::function<void()> on_release;              // any button, after on_click

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    QImage image_;  // wraps the raster's pixels
};

}  // namespace insel::gui
