#pragma once
// TViewForm: shows the base bitmap of one texture series beside the tile tools, with the keys
// of the first tiles of its four blocks in the caption.
#include <QWidget>
#include <filesystem>

#include "core/app/definitions.h"

class QLabel;

namespace insel::gui {

class TViewForm : public QWidget {
    Q_OBJECT
  public:
    // `definitions` belong to the main window and outlive this window.
    TViewForm(const Definitions& definitions, std::filesystem::path program_folder,
              QWidget* parent = nullptr);

    // `key` is a tile key as typed ("0B 44"); its first two characters name the series. The
    // picture stays as it was when that series has no base bitmap.
    void ShowSeriesImage(const QString& key);

  private:
    const Definitions& definitions_;
    std::filesystem::path program_folder_;
    QLabel* image_ = nullptr;
};

}  // namespace insel::gui
