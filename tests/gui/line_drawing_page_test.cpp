// The page "Höhenprofil" in the real window offscreen: pen strokes and the outline fill, taking
// the profile over as heights or fertility, framing and replacing a height, the frame's right
// click, the bitmap overlay and the object height.
#include "gui/tools/line_drawing_page.h"

#include <QCheckBox>
#include <QImage>
#include <QListWidget>
#include <QSpinBox>
#include <QTabWidget>

#include "core/display/colours.h"
#include "core/tools/heights.h"
#include "gui/app/controls.h"
#include "gui_support.h"

using namespace insel::gui::test;

namespace {

int Step(int height) {
    for (std::size_t i = 0; i < insel::kHeightSteps.size(); ++i)
        if (insel::kHeightSteps[i] == height) return static_cast<int>(i);
    return -1;
}

// 128 x 128 (4 pixels a cell in the whole view) of height 60 and fertility 7 with one cell of
// 70 at (50, 50), and an object at (12, 12).
fx::Bytes HillIsland() {
    fx::IslandSpec layout;
    layout.width = layout.height = 128;
    layout.heights = [](int x, int y) -> std::uint8_t { return x == 50 && y == 50 ? 70 : 60; };
    layout.fertility = [](int, int) -> std::uint8_t { return 7; };
    layout.objects = {{.id_word = 1000, .parameter = 0x1234, .x = 12, .y = 12}};
    return fx::IslandFileBytes(layout);
}

QPoint CellPixel(int x, int y) { return {4 * x + 1, 4 * y + 1}; }

}  // namespace

class LineDrawingPageTest : public QObject, WindowHarness {
    Q_OBJECT

    void Choose(const char* list, int height) {
        Control<QListWidget>(list)->setCurrentRow(Step(height));
    }
    int Height(int x, int y) { return Ed().doc.island.height.get(x, y); }
    int Fertility(int x, int y) { return Ed().doc.island.fertility.get(x, y); }
    void StartOnHill() {
        const QString file = At("hill.scp");
        QVERIFY(WriteAll(file, QByteArray(reinterpret_cast<const char*>(HillIsland().data()),
                                          static_cast<qsizetype>(HillIsland().size()))));
        Start(file.toStdString());
        ShowPage("LineDrawing");
    }
    // One click of the pen on each cell of the column x from y0 to y1.
    void Stroke(int x, int y0, int y1) {
        QWidget* canvas = Child("FlickerFreePaintBox2");
        QTest::mousePress(canvas, Qt::LeftButton, {}, CellPixel(x, y0));
        for (int y = y0; y <= y1; ++y) MoveMouse(canvas, CellPixel(x, y), Qt::LeftButton);
        QTest::mouseRelease(canvas, Qt::LeftButton, {}, CellPixel(x, y1));
    }

  private slots:
    void cleanup() { Finish(); }

    void DefaultsPenAndColour() {
        StartOnHill();
        QCOMPARE(Panels({"PenSpinEdit", "GapSpinEdit"}), QString("2,4"));
        QCOMPARE(Control<QListWidget>("ListBox1")->currentItem()->text(), QString("48"));
        QCOMPARE(Control<QListWidget>("ListBox2")->currentItem()->text(), QString("46"));
        Control<QSpinBox>("PenSpinEdit")->setValue(3);
        QCOMPARE(Panels({"PenSpinEdit", "GapSpinEdit"}), QString("3,6"));
        QCOMPARE(Ed().tools.heights.gap_size, 6);
        Control<QSpinBox>("GapSpinEdit")->setValue(5);
        QCOMPARE(Ed().tools.heights.gap_size, 5);
        Choose("ListBox1", 20);
        QCOMPARE(window_->settings().marked, insel::CellColour(0, 20));
        QCOMPARE(Child("LineDrawPanel")->palette().color(QPalette::Window),
                 insel::gui::ColourOf(insel::CellColour(0, 20)));
        window_->choose_colour = [](const QColor&) { return QColor(0, 0, 255); };
        QTest::mouseClick(Child("LineDrawPanel"), Qt::LeftButton, {}, QPoint(2, 2));
        QCOMPARE(window_->settings().marked, 0xFF0000u);  // blue as 0xBBGGRR
    }

    void StrokesFillAndTakeOver() {
        StartOnHill();
        auto& island = Ed().doc.island;
        Stroke(10, 10, 20);
        Stroke(20, 10, 20);
        QCOMPARE(island.mark.get(15, 15), 0);
        Click("FillAreaButton");
        QVERIFY(island.mark.get(15, 15) == 1 && island.mark.get(12, 10) == 1);
        QCOMPARE(island.mark.get(25, 15), 0);
        QCOMPARE(Text(*window_, "CurLinePanel"), QString("127"));
        Choose("ListBox1", 20);
        Click("TakeBlockButton");
        QVERIFY(Height(15, 15) == 20 && Fertility(15, 15) == 0 && Height(25, 15) == 60);
        QCOMPARE(insel::CountMarks(island), 0LL);
        window_->UndoClick();
        QVERIFY(Height(15, 15) == 60 && Fertility(15, 15) == 7);

        // Clearing the marks leaves nothing to take over.
        Stroke(30, 30, 31);
        Click("ClearBlockButton");
        Click("TakeBlockButton");
        QCOMPARE(Height(30, 30), 60);

        // In the fertility display the fertility list takes the place of the heights.
        QTest::mouseClick(Child("RadioButton4"), Qt::LeftButton, {}, QPoint(2, 2));
        QVERIFY(Child("ListBox3")->isVisible() && !Child("ListBox1")->isVisible());
        auto* tabs = Control<QTabWidget>("PageControl1");
        QCOMPARE(tabs->tabText(tabs->indexOf(Child("LineDrawing"))),
                 QString::fromUtf8("Fruchtbarkeitsprofil"));
        Control<QListWidget>("ListBox3")->setCurrentRow(5);
        Stroke(40, 40, 40);
        Click("TakeBlockButton");
        QVERIFY(Fertility(40, 40) == 5 && Height(40, 40) == 60);
        // The tile display keeps the fertility list on show, and the take-over follows it.
        QTest::mouseClick(Child("RadioButton2"), Qt::LeftButton, {}, QPoint(2, 2));
        QVERIFY(Child("ListBox3")->isVisible());
        Control<QListWidget>("ListBox3")->setCurrentRow(2);
        Stroke(44, 44, 44);
        Click("TakeBlockButton");
        QVERIFY(Fertility(44, 44) == 2 && Height(44, 44) == 60);
        QTest::mouseClick(Child("RadioButton1"), Qt::LeftButton, {}, QPoint(2, 2));
        QVERIFY(!Child("ListBox3")->isVisible() && Child("ListBox1")->isVisible());
        QCOMPARE(tabs->tabText(tabs->indexOf(Child("LineDrawing"))),
                 QString::fromUtf8("Höhenprofil"));
    }

    void FrameReplaceAndRightClick() {
        StartOnHill();
        Choose("ListBox1", 70);
        Choose("ListBox2", 20);
        Click("AussenRahmenButton");
        QVERIFY(Height(49, 50) == 20 && Height(51, 50) == 20 && Height(50, 49) == 20 &&
                Height(50, 51) == 20 && Height(49, 49) == 60);
        QCOMPARE(Fertility(49, 50), 0);
        Choose("ListBox1", 60);
        Choose("ListBox2", 44);
        Click("ReplaceButton");
        QVERIFY(Height(0, 0) == 44 && Height(49, 50) == 20 && Fertility(0, 0) == 7);
        window_->UndoClick();
        QCOMPARE(Height(0, 0), 60);
        Choose("ListBox2", 60);  // the same height twice: nothing to do
        Click("ReplaceButton");
        QCOMPARE(Height(0, 0), 60);
        QVERIFY(Messages().contains("nichts zu tun"));

        // The right click fills the frame with the profile height.
        QWidget* canvas = Child("FlickerFreePaintBox2");
        MoveMouse(canvas, CellPixel(30, 30));
        QTest::mouseClick(canvas, Qt::LeftButton, {}, CellPixel(30, 30));
        Control<QSpinBox>("PWidthSpin")->setValue(2);
        Choose("ListBox1", 36);
        QTest::mouseClick(Child("ThePanel"), Qt::RightButton, {}, QPoint(1, 1));
        QVERIFY(Height(30, 30) == 36 && Height(31, 30) == 36 && Height(32, 30) == 60 &&
                Height(30, 31) == 60);
        window_->UndoClick();
        QCOMPARE(Height(30, 30), 60);
    }

    void TracingOnTheOverlay() {
        StartOnHill();
        window_->choose_open_file = [this](const QString& filter, const QString&) {
            return filter.contains("*.bmp") && filter.contains("*.png") ? At("trace.bmp")
                                                                        : QString();
        };
        QVERIFY(Child("ImageBox")->isHidden());
        // An unreadable file is said and changes nothing.
        QVERIFY(WriteAll(At("trace.bmp"), "no picture"));
        Click("LoadImageButton");
        QVERIFY(Messages().contains("trace.bmp") && Messages().startsWith("error: "));
        QVERIFY(Child("ImageBox")->isHidden());

        QImage picture(64, 64, QImage::Format_RGB32);
        picture.fill(Qt::green);
        QVERIFY(picture.save(At("trace.bmp"), "BMP"));
        Click("LoadImageButton");
        QCOMPARE(Text(*window_, "BmpPanel"), QString("trace.bmp"));
        QVERIFY(!Child("ImageBox")->isHidden());
        Click("ImageBox");
        QWidget* panel = Child("BmpImagePanel");
        QVERIFY(panel->isVisibleTo(window_.get()));
        QCOMPARE(panel->size(), QSize(128 * 4, 128 * 4));

        // The overlay's pen is one cell.
        auto& island = Ed().doc.island;
        QWidget* image = Child("BmpImage");
        QTest::mousePress(image, Qt::LeftButton, {}, CellPixel(40, 40));
        MoveMouse(image, CellPixel(44, 40), Qt::LeftButton);
        QTest::mouseRelease(image, Qt::LeftButton, {}, CellPixel(45, 40));
        QVERIFY(island.mark.get(40, 40) == 1 && island.mark.get(44, 40) == 1 &&
                island.mark.get(45, 40) == 1);
        QVERIFY(island.mark.get(41, 41) == 0 && island.mark.get(42, 40) == 0);
        QCOMPARE(Text(*window_, "MouseXPanel"), QString("44"));
        // Only on the height page.
        ShowPage("Untergrund");
        QTest::mouseClick(image, Qt::LeftButton, {}, CellPixel(60, 60));
        QCOMPARE(island.mark.get(60, 60), 0);
        ShowPage("LineDrawing");
        Click("ImageBox");
        QVERIFY(!panel->isVisibleTo(window_.get()));
    }

    void ObjectHeight() {
        StartOnHill();
        insel::gui::LineDrawingPage* page = window_->line_drawing_page();
        auto& objects = Ed().doc.island.objects;
        page->ChangeObjectHeight(std::nullopt, "40");
        QCOMPARE(Messages(), QString("message: Kein Objekt ausgewählt / No object selected"));
        page->ChangeObjectHeight(0, "vierzig");
        QVERIFY(Messages().contains("ObjHoeheEdit") && objects[0].parameter == 0x1234);
        page->ChangeObjectHeight(0, "-3");
        QCOMPARE(objects[0].parameter, 0x1234);
        page->ChangeObjectHeight(0, "300");
        QCOMPARE(objects[0].parameter, 255 * 256);
        page->ChangeObjectHeight(0, " 41 ");
        QCOMPARE(objects[0].parameter, 41 * 256);
        window_->UndoClick();
        QCOMPARE(objects[0].parameter, 255 * 256);
    }
};

QTEST_MAIN(LineDrawingPageTest)
#include "line_drawing_page_test.moc"
