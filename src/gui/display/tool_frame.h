#pragma once
// ThePanel: the frame over the canvas that shows the active tool's selection. Dragging with
// the left button resizes it; releasing stores it, the right button applies the tool to it.
#include <QLabel>
#include <functional>

namespace insel::gui {

class ToolFrame : public QLabel {
    Q_OBJECT
  public:
    explicit ToolFrame(QWidget* canvas);

    std::function<void(Qt::MouseButton button)> on_press;
    std::function<void(int mx, int my)> on_drag;  // relative to the frame's top-left corner
    std::function<void(Qt::MouseButton button)> on_release;

    void SetColour(const QColor& colour);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace insel::gui
