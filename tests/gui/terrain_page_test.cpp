// The pages "Bewuchs" and "Fluss" through the real window offscreen: their controls, inserting,
// deleting, listing and scattering elements, the band, "Abbrechen", and the river tools.
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QListWidget>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>

#include "core/display/view.h"
#include "core/tools/rivers.h"
#include "core/tools/terrain.h"
#include "gui/app/controls.h"
#include "gui/tools/fluss_page.h"
#include "gui/tools/gelaende_page.h"
#include "gui_support.h"

using namespace insel::gui::test;

namespace {

// 64 x 64, height 40 + x mod 10, a useful plant at (3, 3) and a rock at (4, 3).
fx::Bytes GreenIsland() {
    fx::IslandSpec layout;
    layout.heights = [](int x, int) { return static_cast<std::uint8_t>(40 + x % 10); };
    layout.terrain = [](int x, int y) {
        if (x == 3 && y == 3) return fx::Element{720, 0x2B01};
        if (x == 4 && y == 3) return fx::Element{1001, 0x3000};
        return fx::Element{};
    };
    return fx::IslandFileBytes(layout);
}

}  // namespace

class TerrainPageTest : public QObject, WindowHarness {
    Q_OBJECT

    std::unique_ptr<fx::TempFile> file_;

    void StartGreen() {
        file_ = std::make_unique<fx::TempFile>(GreenIsland(), "gruen.scp");
        Start(file_->path().string());
        QVERIFY(Ed().doc.loaded);
    }
    void ClickCell(int x, int y) {
        const auto pixel = insel::CellToPixel(Ed().view, Ed().doc.island, x, y);
        QVERIFY(pixel);
        const QPoint at(pixel->x + 1, pixel->y + 1);
        MoveMouse(Child("FlickerFreePaintBox2"), at);
        QTest::mouseClick(Child("FlickerFreePaintBox2"), Qt::LeftButton, {}, at);
    }
    void Type(const char* name, const QString& text) { Control<QLineEdit>(name)->setText(text); }
    int Word(int x, int y) { return Ed().doc.island.terrain.get(x, y); }
    insel::gui::GelaendePage& Gelaende() { return window_->gelaende_page(); }

  private slots:
    void cleanup() {
        Finish();
        file_.reset();
    }

    void ControlsAndDefaults() {
        StartGreen();
        QCOMPARE(Child("Gelaende")->property("tag").toInt(), 2);
        QCOMPARE(Child("FlussSheet")->property("tag").toInt(), 7);
        QCOMPARE(Panels({"AnzItems", "MinHeight", "MaxHeight", "FlussWEdit", "FlussSpin"}),
                 QString("50,48,48,0030,0"));
        QCOMPARE(Panels({"ClearallButton", "LoeschButton", "RedDistributeButton", "FlussButton"}),
                 QString::fromUtf8("Clear all !,Clear ID/ Löschen,Distribute!,Einfügen / add"));
        QCOMPARE(Child("ClearallButton")->property("tag").toInt(), 0);
        QCOMPARE(Child("RemAllRiverButton")->property("tag").toInt(), 2);
        for (const char* on : {"OrientCheck", "WhiteCheck", "FillBewuchsCheck", "NotUnderBox",
                               "GrowthAdjustCheck", "RandomOriCheck"})
            QVERIFY2(Control<QAbstractButton>(on)->isChecked(), on);
        for (const char* off : {"PlantsOnlyCheck", "KeepBox", "UsefulOnlyCheck", "OverwriteCheck"})
            QVERIFY2(!Control<QAbstractButton>(off)->isChecked(), off);
        auto* timer = Control<QTimer>("Timer1");
        QVERIFY(timer->interval() == 5000 && !timer->isActive());
        QCOMPARE(Control<QListWidget>("ListBox4")->count(), 54);
        QCOMPARE(Control<QListWidget>("ListBox4")->item(18)->text(), QString("48"));
        // The river page starts from its first element: 2701 is 8D0A.
        QCOMPARE(Text(*window_, "FlussIDEdit"), QString("8D0A  (2701)"));
    }

    void ChoosingInsertingAndRefusedIds() {
        StartGreen();
        ShowPage("Gelaende");
        auto* combo = Control<QComboBox>("BewuchsComboBox");
        const int oak = combo->findText("102", Qt::MatchStartsWith);
        QVERIFY(oak >= 0);
        Gelaende().ChooseElement(102);
        QCOMPARE(combo->currentIndex(), oak);
        QCOMPARE(Panels({"BewuchsIDEdit", "BewuchsWachsEdit", "BewuchsHeightEdit"}),
                 QString("102,y5,x0"));
        // "?" finds the typed id in the list.
        Type("BewuchsIDEdit", "201");
        Click("BewuchsFrageButton");
        QVERIFY(combo->currentText().startsWith("201,"));

        // The frame at (12, 5), 2 x 3 cells: the plant stands at height(12, 5) = 42.
        ClickCell(12, 5);
        Control<QSpinBox>("PWidthSpin")->setValue(2);
        Control<QSpinBox>("PHeightSpin")->setValue(3);
        Control<QSpinBox>("AbbauDirSpin")->setValue(1);
        Type("BewuchsWachsEdit", "y5");
        Type("BewuchsHeightEdit", "x0");
        Click("GelaendeEinbauButton");
        QCOMPARE(Messages(), QString());
        for (int x = 12; x <= 13; ++x) {
            for (int y = 5; y <= 7; ++y) {
                QCOMPARE(Word(x, y), 201 + 16384);
                QCOMPARE(int(Ed().doc.island.terrain_param.get(x, y)), 0x2A05);
            }
        }
        QCOMPARE(Word(14, 5), 0);
        window_->UndoClick();
        QCOMPARE(Word(12, 5), 0);

        // Text that is no number is refused, naming the field; nothing changes.
        Type("BewuchsIDEdit", "20x");
        Click("GelaendeEinbauButton");
        QVERIFY2(Messages().contains("BewuchsIDEdit"), qPrintable(Messages()));
        Type("BewuchsIDEdit", "201");
        Type("BewuchsHeightEdit", "hoch");
        Click("GelaendeEinbauButton");
        QVERIFY2(Messages().contains(QString::fromUtf8("Höhe")), qPrintable(Messages()));
        QCOMPARE(Word(12, 5), 0);
        QVERIFY(!Ed().history.CanUndo());

        // What the click chain finds at a cell goes into the edits.
        insel::LoadTerrainElementAt(Ed().tools, Ed().doc.island, Ed().definitions, 3, 3);
        Gelaende().ShowClickedElement();
        QCOMPARE(Panels({"BewuchsIDEdit", "AbbauDirSpin", "BewuchsWachsEdit", "BewuchsHeightEdit"}),
                 QString("720,0,01,2B"));
    }

    void DeletingReplacingAndListing() {
        StartGreen();
        ShowPage("Gelaende");
        bool asked = false;
        bool answer = false;
        Gelaende().confirm_delete = [&](const QString& question) {
            asked = question == QString::fromUtf8("Geländeelemente wirklich löschen?");
            return answer;
        };
        Click("ClearallButton");
        QVERIFY(asked);
        QCOMPARE(Word(3, 3), 720);  // "No" keeps everything
        answer = true;
        Control<QCheckBox>("KeepBox")->setChecked(true);
        Click("ClearallButton");
        QCOMPARE(Word(3, 3), 720);
        QCOMPARE(Word(4, 3), 0);
        window_->UndoClick();
        QCOMPARE(Word(4, 3), 1001);

        Type("BewuchsIDEdit", "1001");
        Type("NeuIDedit", "1002");
        Click("ReplaceIDButton");
        QCOMPARE(Word(4, 3), 1002);
        Type("BewuchsIDEdit", "720");
        Click("GelaendeAuflistenButton");
        auto* grid = Control<QTableWidget>("AuflistGrid");
        QCOMPARE(grid->rowCount(), 1);
        QStringList row;
        for (int c = 0; c < 4; ++c) row << grid->item(0, c)->text();
        QCOMPARE(row.join(','), QString("01 2B,3,3,43"));
        QCOMPARE(grid->horizontalHeaderItem(3)->text(), QString("Height"));
        Click("LoeschButton");
        QCOMPARE(Word(3, 3), 0);
        QCOMPARE(Ed().history.position(), 2u);  // replace and delete; the undone clear is gone
    }

    void DistributionInTheBandAndAbbrechen() {
        StartGreen();
        ShowPage("Gelaende");
        Type("BewuchsIDEdit", "1001");
        Type("MinHeight", "40");
        Type("MaxHeight", "49");
        Control<QSpinBox>("AnzItems")->setValue(20);
        // The band from two clicks: (30, 40) with "Top x", (10, 20) with "Bot x".
        Control<QCheckBox>("TopCheck")->setChecked(true);
        Gelaende().SetBandCorner(30, 40);
        Control<QCheckBox>("TopCheck")->setChecked(false);
        Control<QCheckBox>("BotCheck")->setChecked(true);
        Gelaende().SetBandCorner(10, 20);
        QCOMPARE(Panels({"tleftx", "tlefty", "brightx", "brighty"}), QString("30,40,10,20"));
        Click("RedDistributeButton");
        QCOMPARE(Text(*window_, "NumDistributedPanel"), QString("20"));
        int placed = 0;
        for (int x = 0; x < 64; ++x) {
            for (int y = 0; y < 64; ++y) {
                if (insel::TerrainId(Word(x, y)) != 1001 || (x == 4 && y == 3)) continue;
                ++placed;
                QVERIFY(x >= 10 && x < 30 && y >= 20 && y < 40);
            }
        }
        QCOMPARE(placed, 20);
        QVERIFY(!Control<QTimer>("Timer1")->isActive());

        // No cell is high enough: "Abbrechen" ends it at once, long before the timer.
        Type("MinHeight", "200");
        Type("MaxHeight", "210");
        QTimer::singleShot(100, [this] { Click("AbbrechenButton"); });
        QElapsedTimer clock;
        clock.start();
        Click("DistributeButton");
        QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(Messages(), QString());
        QVERIFY(!Gelaende().Distributing() && !Ed().updating);
        // Closing the window while it runs ends the distribution and keeps the window.
        bool closed = true;
        QTimer::singleShot(100, [&] { closed = window_->close(); });
        Click("DistributeButton");
        QVERIFY(!closed && window_->isVisible() && !Gelaende().Distributing());

        // A band corner left empty does nothing.
        Type("brighty", "");
        Click("RedDistributeButton");
        QCOMPARE(Ed().history.position(), 1u);
    }

    void RiversAndColours() {
        StartGreen();
        ShowPage("FlussSheet");
        ClickCell(20, 21);
        Control<QSpinBox>("FlussSpin")->setValue(2);
        Click("FlussButton");
        QCOMPARE(int(Ed().doc.island.river.get(20, 21)), 35469);
        QCOMPARE(int(Ed().doc.island.river_param.get(20, 21)), 0x3000);
        QVERIFY(insel::LoadRiverCellAt(Ed().tools, Ed().doc.island, 20, 21));
        Control<QSpinBox>("FlussSpin")->setValue(0);
        window_->findChild<insel::gui::FlussPage*>()->ShowRiverCell();
        QCOMPARE(Panels({"FlussIDEdit", "FlussSpin", "FlussWEdit"}),
                 QString("8D0A  (35469),2,0030  (12288)"));
        // Placed again from the loaded texts: the same words.
        ClickCell(22, 21);
        Click("FlussButton");
        QCOMPARE(int(Ed().doc.island.river_param.get(22, 21)), 0x3000);
        Type("FlussWEdit", "3x");
        ClickCell(24, 21);
        Click("FlussButton");
        QVERIFY2(Messages().contains("Size"), qPrintable(Messages()));
        QCOMPARE(int(Ed().doc.island.river.get(24, 21)), 0);

        ClickCell(20, 21);
        Click("RemRiverButton");
        QCOMPARE(int(Ed().doc.island.river.get(20, 21)), 0);
        Click("RemAllRiverButton");  // the whole-island view: every river goes
        QCOMPARE(int(Ed().doc.island.river.get(22, 21)), 0);
        window_->UndoClick();
        QCOMPARE(int(Ed().doc.island.river.get(22, 21)), 35469);

        window_->choose_colour = [](const QColor&) { return QColor(0, 0, 255); };
        window_->findChild<insel::gui::ClickPanel*>("FlussColorPanel")->on_click();
        QCOMPARE(window_->settings().river, insel::Colour(0xFF0000));
        window_->findChild<insel::gui::ClickPanel*>("BauUmrissPanel")->on_click();
        QCOMPARE(window_->settings().object_outline, insel::Colour(0xFF0000));
        window_->choose_colour = [](const QColor&) { return QColor(); };
        window_->findChild<insel::gui::ClickPanel*>("TierFarbePanel")->on_click();
        QCOMPARE(window_->settings().animal, insel::Colour(0x0000FF));  // cancelled: unchanged
    }
};

QTEST_MAIN(TerrainPageTest)
#include "terrain_page_test.moc"
