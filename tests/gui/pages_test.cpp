// Drives the tab pages and the tool frame of the real window offscreen: clicks on the canvas,
// the frame's spins, drags and right clicks, pen strokes, the city page, the logs, the
// rotation shifts and dropping a file.
#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTabWidget>
#include <QUrl>

#include "city_fixture.h"
#include "core/reports/statistics.h"
#include "core/tools/tool_frame.h"
#include "gui/dialogs/bitmap_form.h"
#include "gui_support.h"

using namespace insel::gui::test;

namespace {

// 64 x 64 with two cities of a native people (the name says so): a small warehouse at (10, 10)
// with two houses and a marketplace; a small warehouse at (40, 40) with one house.
// clang-format off
fx::Bytes SettledIslandFile() {
    return fx::IslandFileWithCities(
        {.number = 7, .city_byte = 2,
         .heights = [](int x, int y) { return std::uint8_t(20 + (x + y) % 40); },
         .objects = {{.id_word = 2501, .x = 10, .y = 10}, {.id_word = 2104, .x = 13, .y = 10},
                     {.id_word = 2104, .x = 10, .y = 13}, {.id_word = 821, .x = 13, .y = 13},
                     {.id_word = 2501, .x = 40, .y = 40}, {.id_word = 2104, .x = 42, .y = 43}}},
        {{.player = fx::PlayerSpec{.type = 8, .number = 1, .name = "Kapitaen"},
          .name = "Hafenstadt", .abs_first = 20, .abs_second = 30,
          .buildings = {fx::PlainEntry(13, 10), fx::WarehouseEntry(10, 10, 5),
                        fx::PlainEntry(10, 13), fx::MarketEntry(13, 13, 13, 17)}},
         {.player = fx::PlayerSpec{.type = 15, .number = 3, .name = "Rotbart"}, .name = "Kueste",
          .abs_first = 40, .abs_second = 50,
          .buildings = {fx::WarehouseEntry(40, 40, 9), fx::PlainEntry(42, 43)}}}).bytes;
}
// clang-format on

}  // namespace

class PagesTest : public QObject, WindowHarness {
    Q_OBJECT

    const insel::ToolState& Tools() { return Ed().tools; }

  private slots:
    void cleanup() { Finish(); }

    // A canvas click places the frame of the page's tool, pulled back inside at the island's
    // edge, and records its rectangle; the spins resize this mode's frame only; a drag on the
    // copy page stores the block, other modes' frames do not follow a drag. The mines page
    // offers quarry spots, with a frame of their own, kept across pages.
    void FrameSaveBoxesRightClicksAndStrokes() {
        Start(kSample);
        QWidget* frame = Child("ThePanel");
        QVERIFY(!frame->isVisible());
        ShowPage("Untergrund");
        ClickCanvasCell(20, 30);
        QCOMPARE(Panels({"xPanel", "yPanel", "PLeftSpin", "PHeightSpin"}), QString("20,30,20,3"));
        QCOMPARE(Tools().Selection(insel::ToolMode::Tile), (insel::SelectionRect{20, 30, 3, 3}));
        QVERIFY(frame->isVisible() && frame->geometry() == QRect(81, 121, 12, 12));
        ClickCanvasCell(127, 127);
        QVERIFY(Text(*window_, "PLeftSpin") == "125" && frame->x() == 125 * 4 + 1);
        Control<QSpinBox>("PWidthSpin")->setValue(5);
        QCOMPARE(QPoint(Tools().Selection(insel::ToolMode::Tile).width, frame->width()),
                 QPoint(5, 20));
        QCOMPARE(Text(*window_, "PLeftSpin"), QString("123"));
        ShowPage("FlussSheet");
        QCOMPARE(frame->width(), 12);
        ShowPage("HoehenStatistik");
        QVERIFY(!frame->isVisible());

        ShowPage("CopyBuffer");
        ClickCanvasCell(12, 20);  // beside the mine at (10, 20), whose click leads to its page
        QTest::mousePress(frame, Qt::LeftButton, {}, QPoint(1, 1));
        MoveMouse(frame, QPoint(20, 12), Qt::LeftButton);
        QCOMPARE(frame->size(), QSize(20, 12));
        QTest::mouseRelease(frame, Qt::LeftButton, {}, QPoint(20, 12));
        QCOMPARE(Panels({"PWidthSpin", "PHeightSpin"}), QString("5,3"));
        QCOMPARE(Tools().block, (insel::BlockRect{12, 20, 17, 23}));
        ShowPage("Untergrund");
        const QSize tile_frame = frame->size();
        QTest::mousePress(frame, Qt::LeftButton, {}, QPoint(1, 1));
        MoveMouse(frame, QPoint(40, 40), Qt::LeftButton);
        QCOMPARE(frame->size(), tile_frame);
        QTest::mouseRelease(frame, Qt::LeftButton, {}, QPoint(40, 40));

        ShowPage("Minen");
        Click("AbbauBox");
        QVERIFY(Tools().mode == insel::ToolMode::QuarrySpot && frame->size() == QSize(16, 12));
        for (const char* page : {"Speichern", "Minen"}) ShowPage(page);
        QCOMPARE(Tools().mode, insel::ToolMode::QuarrySpot);
        Click("MinenBox");
        QVERIFY2(Tools().mode == insel::ToolMode::Mine && frame->size() == QSize(4, 4) &&
                     messages_.isEmpty(),
                 qPrintable(Messages()));

        // The climate box sets the island's type, which names the dummy island. The shift boxes
        // feed the save, and a load unticks them.
        Control<QComboBox>("ComboBox1")->setCurrentIndex(4);
        SaveAs("");
        Click("DummyButton");
        QVERIFY(Ed().doc.island.record.climate == 4 && proposed_ == "D_128x128_DUMMY.scp");

        auto* height = Control<QCheckBox>("ApplyHeightShiftCheck");
        height->setChecked(true);
        Control<QSpinBox>("RotHxSpin")->setValue(-1);
        QVERIFY(Ed().save.shifts[0].apply && Ed().save.shifts[0].dx == -1);
        // Saving applies the shift: every column's heights end one column further left.
        const auto& heights = Ed().doc.island.height;
        int x = 30;
        while (x < 100 && heights.get(x, 64) == heights.get(x + 1, 64)) ++x;
        QVERIFY(x < 100);
        const auto moved = heights.get(x + 1, 64);
        SaveAs("shifted.scp");
        Click("SaveInselButton");
        window_->LoadIslandFile(At("shifted.scp").toStdString(), insel::FileKind::Island);
        QCOMPARE(Ed().doc.island.height.get(x, 64), moved);
        QVERIFY(!height->isChecked() && !Ed().save.shifts[0].apply &&
                Text(*window_, "RotHxSpin") == "-1");

        // A right click on the fertility frame needs a legend colour first, then sets its value;
        // rivers take no action from the frame. A pen stroke on the height profile page marks
        // cells without moving the readouts, and entering the page again starts without marks.
        auto& island = Ed().doc.island;
        ShowPage("TabSheet1");
        ClickCanvasCell(10, 10);
        QTest::mouseClick(frame, Qt::RightButton, {}, QPoint(1, 1));
        QCOMPARE(messages_, QStringList{"message: Select color in HoehenStatistik first"});
        QVERIFY(island.fertility.get(10, 10) != 3);
        ShowPage("HoehenStatistik");
        QTest::mouseClick(Child("LegendPanel3"), Qt::LeftButton, {}, QPoint(3, 3));
        QCOMPARE(Tools().legend_value, 3);
        QCOMPARE(frame->property("colour").value<QColor>(),
                 Child("LegendPanel3")->palette().color(QPalette::Window));
        ShowPage("TabSheet1");
        QTest::mouseClick(frame, Qt::RightButton, {}, QPoint(1, 1));
        QVERIFY(island.fertility.get(10, 10) == 3 && messages_.size() == 1);
        ShowPage("FlussSheet");
        ClickCanvasCell(12, 12);
        const auto before = island.height.get(12, 12);
        QTest::mouseClick(frame, Qt::RightButton, {}, QPoint(1, 1));
        QCOMPARE(island.height.get(12, 12), before);

        QWidget* canvas = Child("FlickerFreePaintBox2");
        ShowPage("LineDrawing");
        QTest::mousePress(canvas, Qt::LeftButton, {}, QPoint(4 * 5 + 1, 4 * 5 + 1));
        QVERIFY(island.mark.get(5, 5) == 1 && island.mark.get(6, 6) == 1);  // a 2 x 2 pen
        const QString mouse_x = Text(*window_, "MouseXPanel");
        MoveMouse(canvas, QPoint(4 * 9 + 1, 4 * 5 + 1), Qt::LeftButton);
        QVERIFY(island.mark.get(9, 5) == 1 && Text(*window_, "MouseXPanel") == mouse_x);
        QTest::mouseRelease(canvas, Qt::LeftButton, {}, QPoint(4 * 9 + 1, 4 * 5 + 1));
        MoveMouse(canvas, QPoint(4 * 30 + 1, 4 * 5 + 1));
        QVERIFY(island.mark.get(30, 5) == 0 && Text(*window_, "MouseXPanel") == "30");
        for (const char* page : {"Speichern", "LineDrawing"}) ShowPage(page);
        QCOMPARE(island.mark.get(5, 5), 0);
    }

    // The city page lists the objects of the chosen city, draws its catchment in the chosen
    // colour, counts its inhabitants, tidies the warehouses; the object list of the chosen
    // city (none before one is chosen), the log and the extracted-city file are saved.
    void CityPageShowsObjectsAndSaves() {
        Start("");
        fx::WriteFileBytes(At("Siedlung_INDI.scp").toStdString(), SettledIslandFile());
        window_->LoadIslandFile(At("Siedlung_INDI.scp").toStdString(), insel::FileKind::Island);
        SaveAs("*");
        Click("SaveListButton");
        QVERIFY(proposed_.isEmpty());
        auto* cities = Control<QTableWidget>("StadtListenGrid");
        ShowPage("TabSheet1");
        ClickCell(cities, 0, 0);
        auto* objects = Control<QTableWidget>("BuildingGrid");
        // The warehouse lies in its own area.
        QCOMPARE(QStringList({QString::number(cities->rowCount()), Text(*window_, "StadtNrPanel"),
                              QString::number(objects->rowCount()), objects->item(3, 0)->text(),
                              objects->item(3, 1)->text(), objects->item(0, 6)->text()}),
                 QStringList({"2", "1", "6", "Marktplatz", "35 03", "1"}));

        const QImage before = Canvas();
        Click("EZBCheck");
        const QImage with_catchment = Canvas();
        window_->choose_colour = [](const QColor&) { return QColor(0, 0, 255); };
        QTest::mouseClick(Child("EZBPanel"), Qt::LeftButton, {}, QPoint(2, 2));
        QVERIFY(with_catchment != before && Canvas() != with_catchment);
        QCOMPARE(window_->settings().catchment, 0xFF0000u);

        ShowPage("Objects");
        Click("maxEinwohnerButton");
        QCOMPARE(Text(*window_, "WohnPanel"), QString("16"));  // two houses of 8
        Click("AufraumButton");
        std::vector<int> numbers;
        for (const auto& w : Ed().doc.cities.warehouses) numbers.push_back(w.number);
        QCOMPARE(numbers, (std::vector<int>{1, 5}));
        QVERIFY(Child("AufraumButton")->styleSheet().contains("#00FF00"));
        Click("PirateRadio");
        QCOMPARE(Ed().doc.cities.main_warehouse_kind, 2);

        ClickCell(cities, 1, 0);
        Click("SaveListButton");
        std::string expected;
        for (const auto& line : insel::ObjectListLines(Ed().doc.island, Ed().doc.cities.Current()))
            expected += line + "\r\n";
        QCOMPARE(ReadAll(At("Siedlung_INDI.txt")), QByteArray::fromStdString(expected));

        // A log of fewer than five lines is not worth a file.
        proposed_.clear();
        auto* memo = Control<QPlainTextEdit>("Memo2")->viewport();
        Ed().status.memo2 = {"a", "b", "c", "d"};
        QTest::mouseClick(memo, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(proposed_.isEmpty());
        Ed().status.memo2.push_back("e");
        QTest::mouseClick(memo, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(ReadAll(At("Savememo.txt")), QByteArray("a\r\nb\r\nc\r\nd\r\ne\r\n"));

        // The island with the chosen city as an extracted-city file, read back with both cities.
        SaveAs("stadt.cty");
        Click("WriteCtyButton");
        window_->LoadIslandFile(At("stadt.cty").toStdString(), insel::FileKind::City);
        QVERIFY2(messages_.isEmpty(), qPrintable(Messages()));
        QVERIFY(Ed().doc.file_kind == insel::FileKind::City &&
                Text(*window_, "xSizePanel") == "64" && cities->rowCount() == 2);
    }

    // Without an island a canvas click changes nothing, the statistics and the series ranking
    // stay empty, nothing is offered for saving, and the people radios say why. A scenario
    // loads as a savegame, which hides the editing pages; a dropped island file loads and
    // shows them again. Files of other kinds are refused at the door, and handed to the
    // loader all the same they leave the island and its kind as they were.
    void FromNoIslandToSavegameToDroppedIsland() {
        Start("");
        ShowPage("Untergrund");
        const auto before = Tools().selection;
        ClickCanvasCell(5, 5);
        QCOMPARE(Tools().selection, before);
        SaveAs("");
        Click("DoItButton");
        Click("SaveGFXStatButton");
        insel::gui::TBitmapForm& form = window_->BitmapForm();
        Find<QAbstractButton>(form, "InselStatButton")->click();
        QVERIFY(proposed_.isEmpty() && Control<QTableWidget>("GFXGrid")->rowCount() == 0);
        QCOMPARE(
            Text(form, "Panel1") + Find<QPlainTextEdit>(form, "Memo1")->toPlainText() + Messages(),
            QString());
        Click("VeniceRadio");
        QCOMPARE(messages_, QStringList{"message: Eine Insel sollte schon da sein"});
        messages_.clear();

        fx::WriteFileBytes(At("welt.sze").toStdString(),
                           fx::SavegameBytes({{.width = 48, .height = 48, .number = 1}}));
        window_->LoadIslandFile(At("welt.sze").toStdString(), insel::FileKind::Scenario);
        QVERIFY2(messages_.isEmpty(), qPrintable(Messages()));
        QVERIFY(Ed().doc.file_kind == insel::FileKind::Savegame &&
                Text(*window_, "xSizePanel") == "48" &&
                Control<QTableWidget>("InselListenGrid")->rowCount() == 1);
        auto* pages = Control<QTabWidget>("PageControl1");
        auto state = [&] {
            QList<bool> shown;
            for (const char* page : {"Minen", "FlussSheet", "Objects"})
                shown << pages->isTabVisible(pages->indexOf(Child(page)));
            return shown << Child("EZBCheck")->isEnabled()
                         << pages->isTabEnabled(pages->indexOf(Child("TabSheet2")));
        };
        QCOMPARE(state(), (QList<bool>{false, false, true, false, true}));

        auto drag = [this](const QString& file) {
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(file)});
            QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
            enter.setAccepted(false);
            QApplication::sendEvent(window_.get(), &enter);
            QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
            if (enter.isAccepted()) QApplication::sendEvent(window_.get(), &drop);
            return enter.isAccepted();
        };
        QVERIFY(drag(QString::fromStdString(kSample)));
        QCOMPARE(state(), (QList<bool>{true, true, true, true, false}));
        QVERIFY(!drag("/tmp/notes.txt"));
        QVERIFY(!window_->LoadIslandFile("/tmp/notes.txt", insel::FileKind::None));
        QVERIFY(Ed().doc.file_kind == insel::FileKind::Island && Ed().view.island_shown &&
                Text(*window_, "xSizePanel") == "128");
    }
};

QTEST_MAIN(PagesTest)
#include "pages_test.moc"
