// The page "Gebäude" through the real window offscreen: choosing and turning a building, the
// three inserts, removal and undo, showing and removing by id, element lists, and the picker
// window in both modes.
#include "gui/tools/objects_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <fstream>

#include "core/tools/objects.h"
#include "gui/dialogs/building_form.h"
#include "gui_support.h"

using namespace insel::gui::test;

class ObjectsPageTest : public QObject, WindowHarness {
    Q_OBJECT

    void ShowPage() { Control<QTabWidget>("PageControl1")->setCurrentWidget(Child("Objects")); }
    insel::gui::GebaeudePage& Page() {
        return *Find<insel::gui::GebaeudePage>(*window_, "Objects");
    }
    void Choose(const char* id) {
        auto* box = Control<QComboBox>("BuildingComboBox");
        const int item = box->findText(QString(id) + ",", Qt::MatchStartsWith);
        QVERIFY(item >= 0);
        box->setCurrentIndex(item);
        emit box->activated(item);
    }
    const std::vector<insel::ObjectEntry>& Objects() { return Ed().doc.island.objects; }

  private slots:
    void cleanup() { Finish(); }

    // A mill (size 23) turned once is three wide and two high, on the frame and as placed;
    // placed free at the clicked cell, removed, and brought back by undo.
    void ChooseTurnPlaceRemoveUndo() {
        Start(kSample);
        ShowPage();
        Choose("2215");
        QCOMPARE(Panels({"IDPanel", "OriPanel", "dxPanel", "dyPanel"}), QString("2215,0,2,3"));
        QCOMPARE(Panels({"PWidthSpin", "PHeightSpin"}), QString("2,3"));
        Click("OriButton");
        QCOMPARE(Panels({"OriPanel", "dxPanel", "dyPanel", "PWidthSpin", "PHeightSpin"}),
                 QString("1,3,2,3,2"));
        QVERIFY(!Control<QLabel>("ObjectImage")->pixmap().isNull());
        const std::size_t before = Objects().size();
        // Nothing clicked yet: the position is missing.
        Click("FreeInsertButton");
        QVERIFY(Messages().contains("Nicht alle Parameter (Posx,Posy,id) definiert"));
        QCOMPARE(Objects().size(), before);
        ClickCanvasCell(20, 30);
        Click("FreeInsertButton");
        QCOMPARE(Objects().size(), before + 1);
        const insel::ObjectEntry& mill = Objects().back();
        QCOMPARE(
            QList<int>({mill.x, mill.y, mill.width, mill.height, mill.owner, mill.orientation}),
            QList<int>({20, 30, 3, 2, 0, 1}));
        QVERIFY(Text(*window_, "ObjektPanel").contains("20, 30"));
        Click("RemoveObjektButton");
        QCOMPARE(Objects().size(), before);
        QVERIFY(Text(*window_, "ObjektPanel").isEmpty());
        Click("RemoveObjektButton");
        QVERIFY(Messages().contains("Kein Objekt ausgewählt / No object selected"));
        window_->UndoClick();
        QCOMPARE(Objects().size(), before + 1);
        // The click chain's hook: the selection shows on the page.
        QVERIFY(insel::SelectObjectAt(Ed().tools, Ed().doc, 20, 30));
        Page().ShowSelectedObject();
        QVERIFY(Text(*window_, "ObjektPanel").contains("20, 30"));
    }

    // A new town with an own warehouse (any building), then a house into it; the warehouse
    // turns "Aufräumen" red until it is pressed. Without a town a city insert is refused.
    void NewTownThenHouseAndTidy() {
        Start(kSample);
        ShowPage();
        Choose("2101");
        ClickCanvasCell(40, 40);
        Click("InsertButton");
        QVERIFY(Messages().contains("no city defined"));
        Choose("2001");
        Control<QRadioButton>("RadioButton6")->click();
        QCOMPARE(Ed().doc.cities.main_warehouse_kind, 4);
        Control<QLineEdit>("NeueStadtEdit")->setText("Oase");
        Click("HauptKontorButton");
        QCOMPARE(Ed().doc.cities.cities.size(), std::size_t{1});
        QCOMPARE(QString::fromStdString(Ed().doc.cities.cities[0].name), QString("Oase"));
        QCOMPARE(Text(*window_, "SPanel"), QString::number(Ed().doc.cities.cities[0].number));
        QVERIFY(Control<QPushButton>("AufraumButton")->styleSheet().contains("#FF0000"));
        Choose("2101");
        ClickCanvasCell(45, 40);
        Click("InsertButton");
        QCOMPARE(Ed().doc.cities.cities[0].buildings.size(), std::size_t{2});
        Click("AufraumButton");
        QVERIFY(Control<QPushButton>("AufraumButton")->styleSheet().contains("#00FF00"));
        Click("ProductButton");
        QCOMPARE(Ed().status.memo2.back(), std::string("Entry 40, 45  2"));
    }

    // "Show elements" counts the objects of the id in IDPanel; the other button removes them.
    void ShowAndRemoveById() {
        Start(kSample);
        ShowPage();
        Choose("2601");
        for (int x : {10, 20, 30}) {
            ClickCanvasCell(x, 50);
            Click("FreeInsertButton");
        }
        const auto count = [this] {
            return std::count_if(Objects().begin(), Objects().end(),
                                 [](const insel::ObjectEntry& o) { return o.graphic_id == 2601; });
        };
        Click("ShowItemsButton");
        QCOMPARE(Text(*window_, "ShowNumPanel"), QString::number(count()));
        QVERIFY(count() >= 3);
        Click("RemoveItemButton");
        QCOMPARE(count(), 0);
        window_->UndoClick();
        QVERIFY(count() >= 3);
    }

    // An element list at an offset: the list group opens with its file, inserts, and closes;
    // a bad line is named in the log.
    void ElementListInsertsAtTheOffsets() {
        Start(kSample);
        ShowPage();
        const QString list = At("liste.txt");
        std::ofstream(list.toStdString()) << "Ofsety,17,29\r\nHaus,2101,1,2,0\r\nHaus,x,1,1\r\n";
        window_->choose_open_file = [&](const QString&, const QString&) { return list; };
        QVERIFY(Child("FreeGroupBox")->isHidden());
        Click("FreeListButton");
        QVERIFY(!Child("FreeGroupBox")->isHidden());
        QVERIFY(Child("RemoveItemButton")->isHidden());
        QVERIFY(!Control<QCheckBox>("InsertStadtBox")->isChecked());
        Click("FileListButton");
        QCOMPARE(Panels({"NumLinesPanel", "StadtxOfsetPanel", "StadtyOfsetPanel"}),
                 QString("3,17,29"));
        Control<QSpinBox>("OfsetLeftSpin")->setValue(7);
        Control<QSpinBox>("OfsetTopSpin")->setValue(9);
        const std::size_t before = Objects().size();
        Click("InsertListButton");
        QCOMPARE(Objects().size(), before + 1);
        QCOMPARE(QPoint(Objects().back().x, Objects().back().y), QPoint(9, 10));
        QVERIFY(Child("FreeGroupBox")->isHidden());
        QVERIFY(!Child("RemoveItemButton")->isHidden());
        QVERIFY(std::any_of(Ed().status.memo2.begin(), Ed().status.memo2.end(),
                            [](const std::string& line) { return line.starts_with("Zeile 3 "); }));
        // A town list without a warehouse is refused and inserts nothing.
        Click("StadtListButton");
        Click("FileListButton");
        Control<QSpinBox>("OfsetLeftSpin")->setValue(1);
        Click("InsertListButton");
        QVERIFY(Messages().contains("Error : no warehouse/harbour found in list"));
        QCOMPARE(Objects().size(), before + 1);
    }

    // While a list goes in, the abort button stops it after the line it is on; the window
    // neither closes nor takes other clicks meanwhile. What went in stays, as one step.
    void AbortStopsTheListAndTheWindowStays() {
        Start(kSample);
        ShowPage();
        const QString list = At("lang.txt");
        {
            std::ofstream out(list.toStdString());
            for (int i = 0; i < 2000; ++i) out << "Baum,2601," << i % 100 << "," << i / 100 << "\n";
        }
        window_->choose_open_file = [&](const QString&, const QString&) { return list; };
        window_->confirm_overwrite = [](const QString&) { return true; };  // offsets 0: go on
        // A close that got through would not be held up by questions.
        window_->confirm_exit = [] { return true; };
        window_->ask_save_changes = [] { return insel::gui::TInselZeichner::SaveAnswer::Discard; };
        Click("FreeListButton");
        Click("FileListButton");
        Control<QCheckBox>("RefreshCheckBox")->setChecked(true);
        const std::size_t before = Objects().size();
        // Once the first line is in: a close, a click elsewhere, then the abort.
        std::function<void()> meddle = [&] {
            if (Objects().size() == before) {
                QTimer::singleShot(0, meddle);
                return;
            }
            window_->close();
            QTest::mouseClick(Child("RemoveObjektButton"), Qt::LeftButton);
            QTest::mouseClick(Child("AbortButton"), Qt::LeftButton);
        };
        QTimer::singleShot(0, meddle);
        Click("InsertListButton");
        QVERIFY(window_->isVisible());
        const std::size_t inserted = Objects().size() - before;
        QVERIFY(inserted >= 1 && inserted < 2000);
        window_->UndoClick();
        QCOMPARE(Objects().size(), before);
    }

    // The picker lists a people's buildings (and the ones all peoples share) with their
    // pictures; a click chooses the building on the page. In vegetation mode it lists plants.
    void PickerChoosesByPeople() {
        Start(kSample);
        ShowPage();
        Click("PickerButton");
        auto& form = Page().BuildingForm();
        QVERIFY(form.isVisible());
        QCOMPARE(Text(form, "NumBmpPanel"), QString("0"));
        Find<QRadioButton>(form, "RadioButton1")->click();
        const std::vector<int>& ids = form.Ids();
        QVERIFY(std::find(ids.begin(), ids.end(), 3000) != ids.end());
        QVERIFY(std::find(ids.begin(), ids.end(), 2900) != ids.end());  // shared by all
        QVERIFY(std::find(ids.begin(), ids.end(), 3100) == ids.end());  // the Bedouins'
        QCOMPARE(Text(form, "NumBmpPanel"), QString::number(ids.size()));
        const int at = static_cast<int>(std::find(ids.begin(), ids.end(), 3018) - ids.begin());
        ClickCell(Find<QTableWidget>(form, "StringGrid1"), at / 3, at % 3);
        QCOMPARE(Text(*window_, "IDPanel"), QString("3018"));
        QCOMPARE(Text(form, "NumBmpPanel"), QString("3018"));

        // The terrain page takes a plant chosen here.
        int chosen = 0;
        Page().vegetation_choice = [&](int id) { chosen = id; };
        form.SetPickerMode(insel::gui::TBuildingForm::Mode::Vegetation);
        QVERIFY(Find<QRadioButton>(form, "RadioButton7")->isHidden());
        Find<QRadioButton>(form, "RadioButton2")->click();  // tag 2: conifers
        QCOMPARE(std::vector<int>(ids.begin(), ids.begin() + 2), (std::vector<int>{201, 202}));
        ClickCell(Find<QTableWidget>(form, "StringGrid1"), 0, 1);
        QCOMPARE(chosen, 202);
        QCOMPARE(Text(*window_, "IDPanel"), QString("3018"));
    }
};

QTEST_MAIN(ObjectsPageTest)
#include "objects_page_test.moc"
