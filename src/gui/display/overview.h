#pragma once
// The 128 x 128 overview picture; a mouse release on it chooses the page shown on the canvas.
#include <QImage>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <vector>

namespace insel::gui {

class OverviewImage : public QWidget {
    Q_OBJECT
  public:
    explicit OverviewImage(QWidget* parent = nullptr);

    // Rows of 128 0xAARRGGBB pixels.
    void SetPixels(std::vector<std::uint32_t> pixels);

    std::function<void(int x, int y)> on_release;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    std::vector<std::uint32_t> pixels_;
    QImage image_;
};

}  // namespace insel::gui
