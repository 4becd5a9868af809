#include "gui/display/tool_frame.h"

#include <QMouseEvent>

namespace insel::gui {

ToolFrame::ToolFrame(QWidget* canvas) : QLabel(canvas) {
    setObjectName("ThePanel");
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setMargin(0);
    setIndent(1);
    QFont small = font();
    small.setPixelSize(9);
    small.setBold(true);
    setFont(small);
    setCursor(Qt::SizeFDiagCursor);
    SetColour(Qt::white);
    hide();
}

void ToolFrame::SetColour(const QColor& colour) {
    // See-through inside, so the cells under the frame stay visible.
    const QColor text = colour.lightness() < 110 ? Qt::white : Qt::black;
    setStyleSheet(QString("QLabel#ThePanel { border: 1px solid %1; color: %2; "
                          "background: rgba(%3, %4, %5, 90); }")
                      .arg(colour.name(), text.name())
                      .arg(colour.red())
                      .arg(colour.green())
                      .arg(colour.blue()));
    setProperty("colour", colour);
}

void ToolFrame::mousePressEvent(QMouseEvent* event) {
    if (on_press) on_press(event->button());
}

void ToolFrame::mouseMoveEvent(QMouseEvent* event) {
    if (on_drag) {
        const QPoint p = event->position().toPoint();
        on_drag(p.x(), p.y());
    }
}

void ToolFrame::mouseReleaseEvent(QMouseEvent* event) {
    if (on_release) on_release(event->button());
}

}  // namespace insel::gui
