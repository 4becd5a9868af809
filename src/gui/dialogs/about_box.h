#pragma once
// The about box: the program with its version, the operating system and the free memory.
#include <QDialog>
#include <QString>
#include <cstdint>
#include <optional>

namespace insel::gui {

// `free_bytes` is the system's available memory, nothing where it is not known.
QString AboutText(std::optional<std::uint64_t> free_bytes);

class TAboutBox : public QDialog {
    Q_OBJECT
  public:
    explicit TAboutBox(std::optional<std::uint64_t> free_bytes, QWidget* parent = nullptr);
    // Everything the box says, line by line.
    QString Text() const { return text_; }

  private:
    QString text_;
};

}  // namespace insel::gui
