// The pages "Untergrund" and "Kopieren" in the real window: composing and writing the tile
// field at the frame, floods, replacing and listing a series, base patterns and their faults,
// the picked field; copying, pasting, saving and loading blocks.
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>

#include "core/tools/block_buffer.h"
#include "core/tools/ground_tiles.h"
#include "gui/tools/untergrund_page.h"
#include "gui_support.h"

using namespace insel::gui::test;

class TilesPageTest : public QObject, WindowHarness {
    Q_OBJECT

    void Choose(const char* box, int index) {
        auto* combo = Control<QComboBox>(box);
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }
    void Type(const char* edit, const QString& text) {
        auto* line = Control<QLineEdit>(edit);
        line->clear();
        QTest::keyClicks(line, text);
    }
    int Gfx(int x, int y) { return Ed().doc.island.gfx.get(x, y); }

  private slots:
    void cleanup() { Finish(); }

    void TileFieldWrittenAtTheFrame() {
        Start(kSample);
        ShowPage("Untergrund");
        Type("GFXKeyEdit", "0D");
        Choose("GFXFeldOfsetBox", 1);  // 20
        Choose("GFXRotationBox", 5);   // D
        // Turned once: the top-left key is row 2 of the field.
        QCOMPARE(Panels({"GFXEdit0", "GFXEdit2", "GFXEdit4", "PWidthSpin"}), QString("6D,2D,51,3"));
        QVERIFY(!Control<QLabel>("GFXImage")->pixmap().isNull());

        ClickCanvasCell(20, 30);
        QTest::mouseDClick(Child("GFXEdit7"), Qt::LeftButton);
        QCOMPARE(QList<int>({Gfx(20, 30), Gfx(22, 30), Gfx(22, 32)}),
                 QList<int>({0x0D6D, 0x0D2D, 0x0D35}));
        QVERIFY(window_->windowTitle().contains('*'));

        // The frame's right click writes the field there too.
        ClickCanvasCell(40, 40);
        QTest::mouseClick(Child("ThePanel"), Qt::RightButton, {}, QPoint(1, 1));
        QCOMPARE(Gfx(41, 41), 0x0D51);

        // One tile from its picture; a row from the middle key writes two.
        Click("SingleEnterRadio");
        QCOMPARE(Panels({"PWidthSpin", "PHeightSpin"}), QString("1,1"));
        ClickCanvasCell(60, 10);
        const int beside = Gfx(61, 10);
        QTest::mouseClick(Child("Image5"), Qt::LeftButton, {}, QPoint(3, 3));
        QVERIFY(Gfx(60, 10) == 0x0D51 && Gfx(61, 10) == beside);
        Click("RowEnterRadio");
        const int third = Gfx(62, 10);
        QTest::mouseDClick(Child("GFXEdit4"), Qt::LeftButton);
        QVERIFY(Gfx(60, 10) == 0x0D51 && Gfx(61, 10) == 0x0D31 && Gfx(62, 10) == third);

        // A key that is no hex number is named, and nothing is written.
        Click("RMBButton");
        ClickCanvasCell(80, 80);
        const int before = Gfx(80, 80);
        Type("GFXEdit0", "zz");
        QTest::mouseDClick(Child("GFXEdit1"), Qt::LeftButton);
        QVERIFY2(Messages().contains("GFXEdit0") && Gfx(80, 80) == before, qPrintable(Messages()));
        Type("GFXEdit0", "6D");
        messages_.clear();

        // Flood 2 x 2 of the 3 x 3 frame: a 6 x 6 square.
        ClickCanvasCell(90, 90);
        const int outside = Gfx(96, 95);
        Click("FloodButton");
        QCOMPARE(QList<int>({Gfx(90, 90), Gfx(95, 95), Gfx(93, 90) >> 8}),
                 QList<int>({0x0D6D, 0x0D35, 0x0D}));
        QCOMPARE(Gfx(96, 95), outside);

        // Series 0D becomes 0E everywhere; the listing finds the cells and undo takes it back.
        Type("GFXReplaceEdit", "0E");
        Click("GFXReplaceButton");
        QCOMPARE(Gfx(20, 30), 0x0E6D);
        Type("Edit5", "0E");
        Click("GFXAuflistenButton");
        auto* grid = Control<QTableWidget>("ListGrid2");
        QVERIFY(grid->rowCount() >= 9 + 9 + 2 + 36);
        QCOMPARE(grid->horizontalHeaderItem(3)->text(), QString::fromUtf8("Höhe"));
        QVERIFY(!Ed().tools.listing.empty());
        window_->UndoClick();
        QCOMPARE(Gfx(20, 30), 0x0D6D);

        // Base patterns: a comment line is no pattern; a threshold must be a number.
        auto* patterns = Control<QComboBox>("GFXComboBox");
        patterns->setCurrentIndex(patterns->count() - 1);
        Click("GFXBackButton");
        QCOMPARE(Messages(), QString("message: Faulty GFX.txt structure"));
        messages_.clear();
        patterns->setCurrentIndex(4);  // Hibyte 15, field row 00
        Type("GFXHeightEdit", "hoch");
        Click("Button5");
        QVERIFY2(Messages().contains("GFXHeightEdit"), qPrintable(Messages()));
        Click("Button2");  // height 0: the water around the island
        QCOMPARE(Gfx(0, 0), 15 * 256 + 0);
        QCOMPARE(Gfx(1, 0), 15 * 256 + 4);
        QCOMPARE(Text(*window_, "GFXEdit1"), QString("04"));
    }

    void PickedFieldShows() {
        Start(kSample);
        ShowPage("Untergrund");
        Ed().doc.island.gfx.set(5, 5, 0x0C6D);
        QVERIFY(insel::PickTileField(Ed().tools, Ed().doc.island, Ed().definitions, 5, 5, true));
        window_->untergrund_page().ShowPickedField();
        QCOMPARE(Panels({"GFXKeyEdit", "Edit5", "GFXEdit0"}), QString("0C,0C,AD"));
        QCOMPARE(Control<QComboBox>("ComboBox4")->currentText().left(5), QString("0C 6C"));
        QCOMPARE(Control<QComboBox>("GFXFeldOfsetBox")->currentText(), QString("60"));
        QCOMPARE(Control<QComboBox>("GFXRotationBox")->currentText(), QString("D"));
        QVERIFY(Control<QRadioButton>("RMBButton")->isChecked());
    }

    void BlocksCopiedPastedSavedAndLoaded() {
        Start(kSample);
        auto& island = Ed().doc.island;
        ShowPage("CopyBuffer");
        ClickCanvasCell(40, 40);
        Control<QSpinBox>("PWidthSpin")->setValue(3);
        Control<QSpinBox>("PHeightSpin")->setValue(2);
        Click("BereichButton");
        QCOMPARE(QPoint(Ed().tools.block_buffer.width, Ed().tools.block_buffer.height),
                 QPoint(3, 2));
        const int height = island.height.get(42, 41), tile = island.gfx.get(42, 41);

        ClickCanvasCell(70, 20);
        Click("BufferEinfuegenButton");
        QVERIFY(island.height.get(72, 21) == height && island.gfx.get(72, 21) == tile);
        Control<QSpinBox>("LeftSpinEdit")->setValue(3);
        Control<QSpinBox>("DownSpinEdit")->setValue(2);
        ClickCanvasCell(10, 100);
        const std::pair<int, int> target(island.height.get(18, 103), island.gfx.get(18, 103));
        Click("Button20");
        QVERIFY(island.height.get(10 + 2 * 3 + 2, 100 + 2 + 1) == height &&
                island.gfx.get(18, 103) == tile);
        window_->UndoClick();
        QVERIFY(island.height.get(18, 103) == target.first &&
                island.gfx.get(18, 103) == target.second);

        // Saved with its comment and read back; the frame then keeps the block's size.
        SaveAs("block");
        Type("CopyComment", "Ecke");
        Click("BufferSpeichernButton");
        const QByteArray file = ReadAll(At("block.txt"));
        QVERIFY2(file.startsWith("Rechteckblock\r\nEcke\r\n3\r\n2\r\n"), file.left(40).constData());
        const insel::BlockBuffer saved = Ed().tools.block_buffer;
        Click("ClearBufferButton");
        QVERIFY(Ed().tools.block_buffer.empty());
        QCOMPARE(Panels({"PWidthSpin", "PHeightSpin"}), QString("1,1"));
        window_->choose_open_file = [this](const QString&, const QString&) {
            return At("block.txt");
        };
        Type("CopyComment", "");
        Click("LoadBufButton");
        QCOMPARE(Ed().tools.block_buffer.gfx, saved.gfx);
        QCOMPARE(Ed().tools.block_buffer.mines, saved.mines);
        QVERIFY(Ed().tools.frame_size_locked);
        QCOMPARE(Panels({"CopyComment", "PWidthSpin", "PHeightSpin"}), QString("Ecke,3,2"));

        // A faulty file is refused naming its line; the buffer keeps the block.
        QVERIFY(WriteAll(At("bad.txt"), "Rechteckblock\r\n\r\n1\r\n1\r\n7\r\nsieben\r\n"));
        window_->choose_open_file = [this](const QString&, const QString&) {
            return At("bad.txt");
        };
        Click("LoadBufButton");
        QVERIFY2(Messages().contains("line 6"), qPrintable(Messages()));
        QCOMPARE(Ed().tools.block_buffer.heights, saved.heights);
    }
};

QTEST_MAIN(TilesPageTest)
#include "tiles_page_test.moc"
