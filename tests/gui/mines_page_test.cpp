// The pages "Minen" and "RotationSheet" through the real window offscreen: placing, selecting,
// changing, moving and removing mines and quarry spots, the report and its file, the colours,
// and the quarter turn with its angle, undo and refusal.
#include "gui/tools/mines_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTabWidget>

#include "core/display/view.h"
#include "core/tools/mines.h"
#include "gui_support.h"

using namespace insel::gui::test;

namespace {

// Heights x + 2y: water where x + 2y < 40.
fx::Bytes SlopeFile(int width, int height) {
    return fx::IslandFileBytes({.width = width, .height = height, .heights = [](int x, int y) {
                                    return std::uint8_t(x + 2 * y);
                                }});
}

}  // namespace

class MinesPageTest : public QObject, WindowHarness {
    Q_OBJECT

    void Open(int width, int height) {
        const QString file = At(QString("hang%1.scp").arg(width * 1000 + height));
        QVERIFY(WriteAll(file,
                         QByteArray(reinterpret_cast<const char*>(SlopeFile(width, height).data()),
                                    static_cast<int>(SlopeFile(width, height).size()))));
        Start(file.toStdString());
        QCOMPARE(Ed().doc.island.record.width, width);
    }
    // The frame's position, as the user types it.
    void MoveFrame(int x, int y) {
        Control<QSpinBox>("PLeftSpin")->setValue(x);
        Control<QSpinBox>("PTopSpin")->setValue(y);
    }
    insel::gui::MinenPage* Page() { return Find<insel::gui::MinenPage>(*window_, "Minen"); }
    void TypeInto(const char* name, const QString& text) {
        auto* edit = Control<QLineEdit>(name);
        edit->setText(text);
        edit->setModified(true);
        emit edit->editingFinished();
    }
    void ChooseKind(int kind) {
        auto* box = Control<QComboBox>("MinenComboBox");
        box->setCurrentIndex(kind);
        emit box->activated(kind);
    }
    QString Report() { return Find<QPlainTextEdit>(*Page(), "Memo1")->toPlainText(); }

  private slots:
    void cleanup() { Finish(); }

    void PlaceChangeMoveAndRemoveMines() {
        Open(48, 48);
        ShowPage("Minen");
        auto& island = Ed().doc.island;
        MoveFrame(3, 4);  // height 11
        ChooseKind(2);
        Click("NeueMineButton");
        QCOMPARE(Messages(), QString("message: No mines in water allowed"));
        QVERIFY(island.mines.empty());
        messages_.clear();
        MoveFrame(20, 20);  // height 60
        Click("NeueMineButton");
        QCOMPARE(island.mines.size(), std::size_t{1});
        QCOMPARE(island.mines[0].building_id, 1562 * 16384);
        QCOMPARE(Panels({"SchatzEdit", "SymbolEdit"}),
                 QString("400,26"));  // 60 * (8 - 3.75) / 10 = 25.5, to even
        ChooseKind(0);
        MoveFrame(22, 20);
        Click("NeueMineButton");
        QCOMPARE(island.mines.size(), std::size_t{2});

        // A change without a selection does nothing and says so.
        TypeInto("SchatzEdit", "5");
        QCOMPARE(Messages(), QString("message: No mine selected"));
        messages_.clear();

        // Selected as the click on the map selects it.
        QVERIFY(insel::SelectMineAt(Ed().tools, island, 20, 20));
        Page()->ShowSelection();
        QCOMPARE(Control<QComboBox>("MinenComboBox")->currentIndex(), 2);
        QCOMPARE(Panels({"PLeftSpin", "PTopSpin"}), QString("20,20"));
        QCOMPARE(island.mines[0].x, insel::EncodeCellFloat(20));  // showing it moved nothing
        ChooseKind(7);
        QCOMPARE(Messages(), QString("message: Not enough water for whale"));
        QCOMPARE(Control<QComboBox>("MinenComboBox")->currentIndex(), 2);
        messages_.clear();
        ChooseKind(6);
        QCOMPARE(island.mines[0].treasure, 2000);
        QCOMPARE(Text(*window_, "SchatzEdit"), QString("2000"));
        TypeInto("SchatzEdit", "viel");
        QVERIFY2(Messages().contains("Schatzwert") && island.mines[0].treasure == 2000,
                 qPrintable(Messages()));
        messages_.clear();
        TypeInto("SchatzEdit", "1234");
        TypeInto("SymbolEdit", "12");
        Control<QCheckBox>("MineSichtbarCheck")->click();
        QCOMPARE(island.mines[0].treasure, 1234);
        QVERIFY(island.mines[0].symbol_elevation == 12 && island.mines[0].elevation_edited == 1);
        QCOMPARE(island.mines[0].visible, 0);

        // The position spins move the selected mine, under the water rules.
        Control<QSpinBox>("PLeftSpin")->setValue(25);
        QCOMPARE(insel::DecodeCellFloat(island.mines[0].x), 25);
        Control<QSpinBox>("PTopSpin")->setValue(2);
        QCOMPARE(Messages(), QString("message: No mines in water allowed"));
        QCOMPARE(insel::DecodeCellFloat(island.mines[0].y), 20);
        messages_.clear();

        window_->UndoClick();
        QCOMPARE(insel::DecodeCellFloat(island.mines[0].x), 20);
        QVERIFY(insel::SelectMineAt(Ed().tools, island, 20, 20));
        Click("KillMineButton");
        QCOMPARE(island.mines.size(), std::size_t{1});
        Click("KillMineButton");
        QCOMPARE(Messages(), QString("message: No mine selected"));
        Click("KillAllMinesButton");
        QVERIFY(island.mines.empty());
        window_->UndoClick();
        QCOMPARE(island.mines.size(), std::size_t{1});
    }

    void QuarrySpotsReportOverrideAndColours() {
        Open(48, 48);
        ShowPage("Minen");
        auto& island = Ed().doc.island;
        Click("AbbauBox");
        QCOMPARE(Panels({"PWidthSpin", "PHeightSpin"}), QString("4,3"));
        Click("AbbauRadio1");
        QCOMPARE(Panels({"PWidthSpin", "PHeightSpin"}), QString("3,4"));
        MoveFrame(30, 10);
        Click("NeueMineButton");
        QCOMPARE(island.quarry_spots.size(), std::size_t{1});
        QCOMPARE(island.quarry_spots[0].orientation, 1);
        MoveFrame(1, 1);
        Click("NeueMineButton");
        QCOMPARE(Messages(), QString("message: Not allowed in water"));
        messages_.clear();

        // The secret option lets mines and spots go under water; "No" takes it back.
        Page()->ask_yes_no = [](const QString& question) {
            return question.startsWith("Secret option");
        };
        Click("OverrideButton");
        Click("NeueMineButton");
        QCOMPARE(island.quarry_spots.size(), std::size_t{2});
        Page()->ask_yes_no = [](const QString&) { return false; };
        Click("OverrideButton");
        MoveFrame(2, 2);
        Click("NeueMineButton");
        QCOMPARE(island.quarry_spots.size(), std::size_t{2});
        messages_.clear();

        QVERIFY(insel::SelectQuarrySpotAt(Ed().tools, island, 30, 10));
        Page()->ShowSelection();
        QVERIFY(Control<QAbstractButton>("AbbauRadio1")->isChecked());
        Click("KillAbbauButton");
        QCOMPARE(island.quarry_spots.size(), std::size_t{1});
        QCOMPARE(island.quarry_spots[0].x, 1u);

        Click("MinenBox");
        MoveFrame(20, 20);
        Click("NeueMineButton");
        Click("TestMinenButton");
        const QStringList lines = Report().split('\n');
        QCOMPARE(lines.value(0), QString("Total Minen: 1 davon aktiv: 1"));
        QCOMPARE(lines.value(3), QString("Total Abbaupl\u00e4tze: 1 davon aktiv: 1"));
        SaveAs("*");
        Click("SaveMinenButton");
        QCOMPARE(proposed_, QString("Minen.txt"));
        QCOMPARE(ReadAll(At("Minen.txt")).left(30), QByteArray("Total Minen: 1 davon aktiv: 1\r"));

        window_->choose_colour = [](const QColor&) { return QColor(255, 0, 0); };
        QTest::mouseClick(Child("MinenColorPanel"), Qt::LeftButton);
        QCOMPARE(window_->settings().mine, 0x0000FFu);
        window_->choose_colour = [](const QColor&) { return QColor(); };
        QTest::mouseClick(Child("AbbauColorPanel"), Qt::LeftButton);
        QCOMPARE(window_->settings().quarry, 0x00FFFFu);
        QVERIFY2(messages_.isEmpty(), qPrintable(Messages()));
    }

    // A click on the map brings forward the page of what lies under it, in the chain's order:
    // a mine before a river cell; the vegetation page's band takes the cell when asked.
    void ClickOnTheMapOpensThePageOfWhatItFinds() {
        Open(100, 100);
        insel::Editor& ed = Ed();
        ed.Step("test", [&] {
            QCOMPARE(insel::PlaceMine(ed.doc.island, {.x = 60, .y = 20, .kind = 2}), std::string());
            ed.doc.island.river.set(60, 20, 35469);
            ed.doc.island.river.set(70, 30, 35469);
        });
        const auto click = [&](int x, int y) {
            const auto pixel = insel::CellToPixel(ed.view, ed.doc.island, x, y);
            QVERIFY(pixel.has_value());
            QWidget* canvas = Child("FlickerFreePaintBox2");
            MoveMouse(canvas, QPoint(pixel->x + 1, pixel->y + 1));
            QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(pixel->x + 1, pixel->y + 1));
        };
        const auto current = [&] {
            return Control<QTabWidget>("PageControl1")->currentWidget()->objectName();
        };
        ShowPage("Untergrund");
        click(60, 20);
        QCOMPARE(current(), QString("Minen"));
        QCOMPARE(Control<QComboBox>("MinenComboBox")->currentIndex(), 2);
        QCOMPARE(int(ed.tools.mode), int(insel::ToolMode::Mine));
        click(70, 30);
        QCOMPARE(current(), QString("FlussSheet"));
        QCOMPARE(int(ed.tools.mode), int(insel::ToolMode::River));
        // Nothing with a page of its own: the page stays; the band corner follows the click.
        ShowPage("Gelaende");
        Control<QCheckBox>("TopCheck")->setChecked(true);
        click(10, 40);
        QCOMPARE(current(), QString("Gelaende"));
        QCOMPARE(Control<QLineEdit>("tleftx")->text() + "," + Control<QLineEdit>("tlefty")->text(),
                 QString("10,40"));
    }

    void QuarterTurnWithAngleUndoAndRefusal() {
        Open(48, 48);
        ShowPage("RotationSheet");
        auto& island = Ed().doc.island;
        QCOMPARE(Text(*window_, "AnglePanel"), QString());
        Click("RotateButton1");
        QCOMPARE(island.height.get(47 - 7, 3), 3 + 2 * 7);
        QCOMPARE(Text(*window_, "AnglePanel"), QString("90 Grad"));
        Click("RotateButton1");
        QCOMPARE(Text(*window_, "AnglePanel"), QString("180 Grad"));
        window_->UndoClick();
        QCOMPARE(Text(*window_, "AnglePanel"), QString("90 Grad"));
        window_->UndoClick();
        QCOMPARE(island.height.get(3, 7), 3 + 2 * 7);
        QCOMPARE(Text(*window_, "AnglePanel"), QString());
        QVERIFY(Ed().Unsaved() == false);
        Finish();

        Open(48, 40);
        ShowPage("RotationSheet");
        Click("RotateButton1");
        QCOMPARE(Messages(),
                 QString("message: Only square islands can be turned; this island is 48 x 40 "
                         "cells."));
        QCOMPARE(Ed().history.size(), std::size_t{0});
        QCOMPARE(Ed().doc.island.height.get(3, 7), 3 + 2 * 7);
    }
};

QTEST_MAIN(MinesPageTest)
#include "mines_page_test.moc"
