// Drives the tab pages and the tool frame of the real window offscreen: clicks on the canvas,
// the frame's spins, drags and right clicks, pen strokes, the city page, the logs, the
// rotation shifts and dropping a file.
#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
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
fx::Bytes SettledIslandFile() {
    fx::IslandSpec island;
    island.number = 7;
    island.city_byte = 2;
    island.heights = [](int x, int y) { return std::uint8_t(20 + (x + y) % 40); };
    island.objects = {
        {.id_word = 2501, .x = 10, .y = 10}, {.id_word = 2104, .x = 13, .y = 10},
        {.id_word = 2104, .x = 10, .y = 13}, {.id_word = 821, .x = 13, .y = 13},
        {.id_word = 2501, .x = 40, .y = 40}, {.id_word = 2104, .x = 42, .y = 43},
    };
    fx::CitySpec first;
    first.player = fx::PlayerSpec{.type = 8, .number = 1, .name = "Kapitaen"};
    first.name = "Hafenstadt";
    first.abs_first = 20;
    first.abs_second = 30;
    first.buildings = {fx::PlainEntry(13, 10), fx::WarehouseEntry(10, 10, 5),
                       fx::PlainEntry(10, 13), fx::MarketEntry(13, 13, 13, 17)};
    fx::CitySpec second;
    second.player = fx::PlayerSpec{.type = 15, .number = 3, .name = "Rotbart"};
    second.name = "Kueste";
    second.abs_first = 40;
    second.abs_second = 50;
    second.buildings = {fx::WarehouseEntry(40, 40, 9), fx::PlainEntry(42, 43)};
    return fx::IslandFileWithCities(island, {first, second}).bytes;
}

}  // namespace

class PagesTest : public QObject, WindowHarness {
    Q_OBJECT

    QTemporaryDir dir_;

    void ShowPage(const char* name) {
        Control<QTabWidget>("PageControl1")->setCurrentWidget(Child(name));
    }
    // Moves the mouse over a cell of the 128-cell sample in the whole view (4 pixels a cell)
    // and clicks there.
    void ClickCanvasCell(int x, int y) {
        const QPoint at(4 * x + 1, 4 * y + 1);
        MoveMouse(Child("FlickerFreePaintBox2"), at);
        QTest::mouseClick(Child("FlickerFreePaintBox2"), Qt::LeftButton, {}, at);
    }
    const insel::ToolState& Tools() { return window_->editor().tools; }
    void LoadSettledIsland() {
        const std::filesystem::path path = dir_.filePath("Siedlung_INDI.scp").toStdString();
        fx::WriteFileBytes(path, SettledIslandFile());
        window_->LoadIslandFile(path, insel::FileKind::Island);
        QVERIFY2(messages_.isEmpty(), qPrintable(Messages()));
    }

  private slots:
    void cleanup() { Finish(); }

    // A canvas click places the frame of the page's tool and records its rectangle.
    void CanvasClickPlacesTheFrameAndRecordsTheRectangle() {
        Start(kSample);
        QWidget* frame = Child("ThePanel");
        QVERIFY(!frame->isVisible());
        ShowPage("Untergrund");
        QVERIFY(frame->isVisible());
        QCOMPARE(Text(*window_, "ThePanel"), QString("U"));

        ClickCanvasCell(20, 30);
        QCOMPARE(Text(*window_, "xPanel") + "," + Text(*window_, "yPanel"), QString("20,30"));
        QCOMPARE(Tools().Selection(insel::ToolMode::Tile), (insel::SelectionRect{20, 30, 3, 3}));
        QCOMPARE(frame->geometry(), QRect(81, 121, 12, 12));
        QCOMPARE(QPoint(Control<QSpinBox>("PLeftSpin")->value(),
                        Control<QSpinBox>("PHeightSpin")->value()),
                 QPoint(20, 3));

        // At the island's edge the frame is pulled back inside.
        ClickCanvasCell(127, 127);
        QCOMPARE(Control<QSpinBox>("PLeftSpin")->value(), 125);
        QCOMPARE(frame->x(), 125 * 4 + 1);

        // The width spin resizes this mode's frame only.
        Control<QSpinBox>("PWidthSpin")->setValue(5);
        QCOMPARE(QPoint(Tools().Selection(insel::ToolMode::Tile).width, frame->width()),
                 QPoint(5, 20));
        QCOMPARE(Control<QSpinBox>("PLeftSpin")->value(), 123);
        ShowPage("FlussSheet");
        QCOMPARE(frame->width(), 12);

        ShowPage("HoehenStatistik");
        QVERIFY(!frame->isVisible() && messages_.isEmpty());

        // The mines page offers quarry spots, with a frame of their own, kept across pages.
        ShowPage("Minen");
        QCOMPARE(Text(*window_, "ThePanel"), QString("M"));
        Click("AbbauBox");
        QVERIFY(Tools().mode == insel::ToolMode::QuarrySpot && Text(*window_, "ThePanel") == "A");
        QCOMPARE(frame->size(), QSize(16, 12));
        ShowPage("Speichern");
        ShowPage("Minen");
        QCOMPARE(Tools().mode, insel::ToolMode::QuarrySpot);
        Click("MinenBox");
        QVERIFY(Tools().mode == insel::ToolMode::Mine && frame->size() == QSize(4, 4));
    }

    // Without an island a canvas click changes nothing, the statistics and the series ranking
    // stay empty, nothing is offered for saving, and the people radios say why.
    void ControlsWithoutAnIsland() {
        Start("");
        ShowPage("Untergrund");
        const auto before = Tools().selection;
        ClickCanvasCell(5, 5);
        QCOMPARE(Tools().selection, before);
        QString asked;
        window_->choose_save_file = [&](const QString&, const QString& name) {
            asked = name;
            return QString();
        };
        Click("DoItButton");
        Click("SaveGFXStatButton");
        insel::gui::TBitmapForm& form = window_->BitmapForm();
        form.findChild<QPushButton*>("InselStatButton")->click();
        QVERIFY(asked.isEmpty() && Control<QTableWidget>("GFXGrid")->rowCount() == 0);
        QCOMPARE(form.findChild<QLabel*>("Panel1")->text() +
                     form.findChild<QPlainTextEdit*>("Memo1")->toPlainText() + Messages(),
                 QString());
        Click("VeniceRadio");
        QCOMPARE(messages_, QStringList{"message: Eine Insel sollte schon da sein"});
    }

    void FertilityFrameNeedsALegendColour() {
        Start(kSample);
        ShowPage("TabSheet1");
        ClickCanvasCell(10, 10);
        QWidget* frame = Child("ThePanel");
        QTest::mouseClick(frame, Qt::RightButton, {}, QPoint(1, 1));
        QCOMPARE(messages_, QStringList{"message: Select color in HoehenStatistik first"});
        const auto fertility = window_->editor().doc.island.fertility.get(10, 10);
        QVERIFY(fertility != 3);

        ShowPage("HoehenStatistik");
        QTest::mouseClick(Child("LegendPanel3"), Qt::LeftButton, {}, QPoint(3, 3));
        QCOMPARE(Tools().legend_value, 3);
        QCOMPARE(frame->property("colour").value<QColor>(),
                 Child("LegendPanel3")->palette().color(QPalette::Window));
        ShowPage("TabSheet1");
        QTest::mouseClick(frame, Qt::RightButton, {}, QPoint(1, 1));
        QVERIFY(window_->editor().doc.island.fertility.get(10, 10) == 3 && messages_.size() == 1);

        // Rivers take no action from the frame.
        ShowPage("FlussSheet");
        ClickCanvasCell(12, 12);
        const auto height = window_->editor().doc.island.height.get(12, 12);
        QTest::mouseClick(frame, Qt::RightButton, {}, QPoint(1, 1));
        QCOMPARE(window_->editor().doc.island.height.get(12, 12), height);
    }

    void DraggingTheFrameStoresTheBlock() {
        Start(kSample);
        ShowPage("CopyBuffer");
        ClickCanvasCell(10, 20);
        QWidget* frame = Child("ThePanel");
        QTest::mousePress(frame, Qt::LeftButton, {}, QPoint(1, 1));
        MoveMouse(frame, QPoint(20, 12), Qt::LeftButton);
        QCOMPARE(frame->size(), QSize(20, 12));
        QTest::mouseRelease(frame, Qt::LeftButton, {}, QPoint(20, 12));
        QCOMPARE(QPoint(Control<QSpinBox>("PWidthSpin")->value(),
                        Control<QSpinBox>("PHeightSpin")->value()),
                 QPoint(5, 3));
        QCOMPARE(Tools().block, (insel::BlockRect{10, 20, 15, 23}));

        // Frames of other modes do not follow a drag.
        ShowPage("Untergrund");
        QTest::mousePress(frame, Qt::LeftButton, {}, QPoint(1, 1));
        MoveMouse(frame, QPoint(40, 40), Qt::LeftButton);
        QCOMPARE(frame->size(), QSize(12, 12));
    }

    void PenStrokeMarksCellsOnTheHeightProfilePage() {
        Start(kSample);
        QWidget* canvas = Child("FlickerFreePaintBox2");
        ShowPage("LineDrawing");
        QTest::mousePress(canvas, Qt::LeftButton, {}, QPoint(4 * 5 + 1, 4 * 5 + 1));
        const auto& mark = window_->editor().doc.island.mark;
        QVERIFY(mark.get(5, 5) == 1 && mark.get(6, 6) == 1);  // pen of 2 x 2 cells
        const QString mouse_x = Text(*window_, "MouseXPanel");
        MoveMouse(canvas, QPoint(4 * 9 + 1, 4 * 5 + 1), Qt::LeftButton);
        QVERIFY(mark.get(9, 5) == 1 && Text(*window_, "MouseXPanel") == mouse_x);
        QTest::mouseRelease(canvas, Qt::LeftButton, {}, QPoint(4 * 9 + 1, 4 * 5 + 1));
        MoveMouse(canvas, QPoint(4 * 30 + 1, 4 * 5 + 1));
        QVERIFY(mark.get(30, 5) == 0 && Text(*window_, "MouseXPanel") == "30");

        // Entering the page again starts without marks.
        ShowPage("Speichern");
        ShowPage("LineDrawing");
        QCOMPARE(mark.get(5, 5), 0);
    }

    // The city page lists the objects of the chosen city, draws its catchment in the chosen
    // colour, counts its inhabitants, tidies the warehouses; the object list of the chosen
    // city (none before one is chosen), the log and the extracted-city file are saved.
    void CityPageShowsObjectsAndSaves() {
        Start("");
        LoadSettledIsland();
        QString proposed;
        window_->choose_save_file = [&](const QString&, const QString& name) {
            proposed = name;
            return dir_.filePath(name);
        };
        Click("SaveListButton");
        QVERIFY(proposed.isEmpty());
        auto* cities = Control<QTableWidget>("StadtListenGrid");
        QCOMPARE(cities->rowCount(), 2);
        ShowPage("TabSheet1");
        ClickCell(cities, 0, 0);
        auto* objects = Control<QTableWidget>("BuildingGrid");
        // The warehouse lies in its own area.
        QCOMPARE(QStringList({Text(*window_, "StadtNrPanel"), QString::number(objects->rowCount()),
                              objects->item(3, 0)->text(), objects->item(3, 1)->text(),
                              objects->item(0, 6)->text()}),
                 QStringList({"1", "6", "Marktplatz", "35 03", "1"}));

        const QImage before = Canvas();
        Click("EZBCheck");
        const QImage with_catchment = Canvas();
        QVERIFY(with_catchment != before);
        window_->choose_colour = [](const QColor&) { return QColor(0, 0, 255); };
        QTest::mouseClick(Child("EZBPanel"), Qt::LeftButton, {}, QPoint(2, 2));
        QCOMPARE(window_->settings().catchment, 0xFF0000u);
        QVERIFY(Canvas() != with_catchment);

        ShowPage("Objects");
        Click("maxEinwohnerButton");
        QCOMPARE(Text(*window_, "WohnPanel"), QString("16"));  // two houses of 8
        Click("AufraumButton");
        std::vector<int> numbers;
        for (const auto& w : window_->editor().doc.cities.warehouses) numbers.push_back(w.number);
        QCOMPARE(numbers, (std::vector<int>{1, 5}));
        QVERIFY(Child("AufraumButton")->styleSheet().contains("#00FF00"));
        Click("PirateRadio");
        QCOMPARE(window_->editor().doc.cities.main_warehouse_kind, 2);

        ClickCell(cities, 1, 0);
        Click("SaveListButton");
        QCOMPARE(proposed, QString("Siedlung_INDI.txt"));
        std::string expected;
        for (const std::string& line : insel::ObjectListLines(
                 window_->editor().doc.island, window_->editor().doc.cities.Current()))
            expected += line + "\r\n";
        QCOMPARE(ReadAll(dir_.filePath(proposed)), QByteArray::fromStdString(expected));

        // A log of fewer than five lines is not worth a file.
        proposed.clear();
        auto* memo = Control<QPlainTextEdit>("Memo2");
        window_->editor().status.memo2 = {"a", "b", "c", "d"};
        QTest::mouseClick(memo->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(proposed.isEmpty());
        window_->editor().status.memo2.push_back("e");
        QTest::mouseClick(memo->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(proposed, QString("Savememo.txt"));
        QCOMPARE(ReadAll(dir_.filePath(proposed)), QByteArray("a\r\nb\r\nc\r\nd\r\ne\r\n"));

        // The island with the chosen city as an extracted-city file, read back with both cities.
        window_->choose_save_file = [&](const QString&, const QString&) {
            return dir_.filePath("stadt.cty");
        };
        Click("WriteCtyButton");
        window_->LoadIslandFile(dir_.filePath("stadt.cty").toStdString(), insel::FileKind::City);
        QVERIFY2(messages_.isEmpty(), qPrintable(Messages()));
        QVERIFY(window_->editor().doc.file_kind == insel::FileKind::City &&
                Text(*window_, "xSizePanel") == "64" && cities->rowCount() == 2);
    }

    // The climate box sets the island's type, which names the dummy island. The shift boxes
    // feed the save, and a load unticks them.
    void ClimateAndShiftBoxesFeedTheSave() {
        Start(kSample);
        Control<QComboBox>("ComboBox1")->setCurrentIndex(4);
        QCOMPARE(window_->editor().doc.island.record.climate, 4);
        QString proposed;
        window_->choose_save_file = [&](const QString&, const QString& name) {
            proposed = name;
            return name.endsWith("DUMMY.scp") ? QString() : dir_.filePath("shifted.scp");
        };
        Click("DummyButton");
        QCOMPARE(proposed, QString("D_128x128_DUMMY.scp"));

        auto* height = Control<QCheckBox>("ApplyHeightShiftCheck");
        QCOMPARE(Control<QSpinBox>("RotGxSpin")->value(), -1);
        height->setChecked(true);
        Control<QSpinBox>("RotHxSpin")->setValue(-1);
        QVERIFY(window_->editor().save.shifts[0].apply &&
                window_->editor().save.shifts[0].dx == -1);
        // Saving applies the shift: every column's heights end one column further left.
        const auto& heights = window_->editor().doc.island.height;
        int x = 30;
        while (x < 100 && heights.get(x, 64) == heights.get(x + 1, 64)) ++x;
        QVERIFY(x < 100);
        const auto moved = heights.get(x + 1, 64);
        Click("SaveInselButton");
        window_->LoadIslandFile(dir_.filePath("shifted.scp").toStdString(),
                                insel::FileKind::Island);
        QCOMPARE(window_->editor().doc.island.height.get(x, 64), moved);
        QVERIFY(!height->isChecked() && !window_->editor().save.shifts[0].apply);
        QCOMPARE(Control<QSpinBox>("RotHxSpin")->value(), -1);
    }

    // A scenario loads as a savegame, which hides the editing pages; an island file shows
    // them again.
    void SavegameHidesTheEditingPages() {
        Start("");
        fx::IslandSpec island;
        island.number = 1;
        island.width = island.height = 48;
        fx::WriteFileBytes(dir_.filePath("welt.sze").toStdString(), fx::SavegameBytes({island}));
        window_->LoadIslandFile(dir_.filePath("welt.sze").toStdString(), insel::FileKind::Scenario);
        QVERIFY2(messages_.isEmpty(), qPrintable(Messages()));
        QVERIFY(window_->editor().doc.file_kind == insel::FileKind::Savegame &&
                Text(*window_, "xSizePanel") == "48" &&
                Control<QTableWidget>("InselListenGrid")->rowCount() == 1);
        auto* pages = Control<QTabWidget>("PageControl1");
        auto state = [&] {
            return QList<bool>{pages->isTabVisible(pages->indexOf(Child("Minen"))),
                               pages->isTabVisible(pages->indexOf(Child("FlussSheet"))),
                               pages->isTabVisible(pages->indexOf(Child("Objects"))),
                               Child("EZBCheck")->isEnabled(),
                               pages->isTabEnabled(pages->indexOf(Child("TabSheet2")))};
        };
        QCOMPARE(state(), (QList<bool>{false, false, true, false, true}));
        window_->LoadIslandFile(kSample, insel::FileKind::Island);
        QCOMPARE(state(), (QList<bool>{true, true, true, true, false}));
    }

    void DroppingAFileLoadsIt() {
        Start("");
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(kSample))});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(window_.get(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(window_.get(), &drop);
        QVERIFY(window_->editor().view.island_shown && Text(*window_, "xSizePanel") == "128");

        // Files of other kinds are refused at the door.
        QMimeData other;
        other.setUrls({QUrl::fromLocalFile("/tmp/notes.txt")});
        QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &other, Qt::LeftButton, {});
        refused.setAccepted(false);
        QApplication::sendEvent(window_.get(), &refused);
        QVERIFY(!refused.isAccepted());
        // Handed to the loader all the same, such a file leaves the island and its kind as
        // they were.
        QVERIFY(!window_->LoadIslandFile("/tmp/notes.txt", insel::FileKind::None));
        QVERIFY(window_->editor().doc.file_kind == insel::FileKind::Island &&
                window_->editor().view.island_shown && Text(*window_, "xSizePanel") == "128");
    }
};

QTEST_MAIN(PagesTest)
#include "pages_test.moc"
