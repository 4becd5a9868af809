#pragma once
// The page "Kopieren": the block buffer. Copies the frame's cells with every layer, the mines
// and the quarry spots, pastes them once or n x m times with a choice of layers, and keeps
// blocks in text files.
#include <QString>
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace insel::gui {

class TInselZeichner;

class CopyBufferPage : public QWidget {
    Q_OBJECT
  public:
    explicit CopyBufferPage(TInselZeichner& window);
    // The buffer's size as it stands.
    void ShowBlock();

  private:
    // All six buttons; `tag` says which.
    void ClearBufferButtonClick(int tag);
    void CopyArea();
    void Paste(int n, int m);
    void SaveBuffer();
    void LoadBuffer();

    TInselZeichner& window_;
    QCheckBox *gfx_ = nullptr, *terrain_ = nullptr, *plants_ = nullptr, *rocks_ = nullptr,
              *zero_ = nullptr, *mines_ = nullptr, *quarries_ = nullptr, *fertility_ = nullptr,
              *heights_ = nullptr, *zero_height_ = nullptr;
    QSpinBox* right_ = nullptr;  // LeftSpinEdit
    QSpinBox* down_ = nullptr;   // DownSpinEdit
    QLineEdit* comment_ = nullptr;
    QLabel* size_ = nullptr;
    QString last_save_folder_, last_load_folder_;
};

}  // namespace insel::gui
