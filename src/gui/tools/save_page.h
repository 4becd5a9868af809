#pragma once
// The page "Speichern": the island file, the city file, the raw export and the dummy island.
#include <QWidget>

class QCheckBox;

namespace insel::gui {

class TInselZeichner;

class SpeichernPage : public QWidget {
    Q_OBJECT
  public:
    explicit SpeichernPage(TInselZeichner& window);

    // Tag 0 *.scp, 1 *.cty, 2 the raw text export.
    void SaveInselButtonClick(int tag) { Save(tag); }
    // Asks for the file and writes it; true when it was written. A failure is said.
    bool Save(int tag);
    void DummyButtonClick();

  private:
    TInselZeichner& window_;
    QCheckBox* no_animals_check_ = nullptr;
    QCheckBox* recount_check_ = nullptr;
};

}  // namespace insel::gui
