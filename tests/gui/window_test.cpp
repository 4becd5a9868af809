// Drives the real main window offscreen: start-up, the overview and navigation, mouse
// tracking, the exit question, and the executable's start-up modes.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPalette>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <new>

#include "core/app/version.h"
#include "core/display/legend.h"
#include "core/display/renderer.h"
#include "core/island/writer.h"
#include "core/reports/statistics.h"
#include "gui_support.h"
#include "island_fixture.h"
#include "temp_file.h"

using insel::gui::TInselZeichner;

using namespace insel::gui::test;

class WindowTest : public QObject, WindowHarness {
    Q_OBJECT

    // The island file a save would write now.
    std::vector<std::uint8_t> Assembled() {
        insel::Editor& editor = window_->editor();
        insel::AssembleIsland(editor.doc, editor.save, editor.output, editor.status.memo2);
        const auto bytes = editor.output.data();
        return {bytes.begin(), bytes.end()};
    }
    insel::Legend FullIslandLegend() {
        return insel::FullIslandLegend(window_->editor().doc.island, window_->editor().view.layer);
    }

  private slots:
    void cleanup() { Finish(); }

    void StartShowsTheCommandLineIsland() {
        Start(kSample);
        QVERIFY(window_->editor().view.island_shown);
        QCOMPARE(Text(*window_, "xSizePanel"), QString("128"));
        QCOMPARE(Text(*window_, "ySizePanel"), QString("128"));
        QCOMPARE(Text(*window_, "IslandNamePanel"), QString("sample_island.scp"));
        QVERIFY(messages_.isEmpty());
        QCOMPARE(qobject_cast<QRadioButton*>(Child("Zoom1Radio"))->isChecked(), true);
        QCOMPARE(qobject_cast<QRadioButton*>(Child("RadioButton1"))->isChecked(), true);

        // The canvas shows the rendered raster: the island's square is coloured.
        QWidget* canvas = Child("FlickerFreePaintBox2");
        QCOMPARE(canvas->size(), QSize(1024, 512));
        const QImage shot = canvas->grab().toImage().convertToFormat(QImage::Format_RGB32);
        int coloured = 0;
        for (int y = 2; y < 512; y += 16) {
            for (int x = 2; x < 512; x += 16) {
                if (shot.pixel(x, y) != qRgb(255, 255, 255)) ++coloured;
                QCOMPARE(shot.pixel(x, y) | 0xFF000000u, window_->raster().at(x, y) | 0xFF000000u);
            }
        }
        QVERIFY2(coloured > 32 * 32 / 2, qPrintable(QString::number(coloured)));
    }

    void CommandLineLoadsOnlyIslandAndCityFiles() {
        Start((kBin / "samples" / "missing.sav").string());
        QVERIFY(!window_->editor().view.island_shown);
        QVERIFY(messages_.isEmpty());
        QCOMPARE(Text(*window_, "xSizePanel"), QString());
    }

    void LoadErrorGoesToTheErrorBox() {
        Start("");
        window_->LoadIslandFile(kBin / "samples" / "no_such_island.scp", insel::FileKind::Island);
        QCOMPARE(messages_.size(), 1);
        QVERIFY(messages_[0].startsWith("error: "));
        QVERIFY(!window_->editor().updating);
        QVERIFY(!QApplication::overrideCursor());
    }

    // A damaged file, or one that is not there, leaves the open island shown as it was: its
    // name, its counts, its picture and what a save would write.
    void FailedLoadKeepsTheOpenIsland() {
        namespace fx = insel::fixture;
        Start(kSample);
        const fx::Bytes sample = fx::ReadFileBytes(kSample);
        QTemporaryDir dir;
        const std::filesystem::path broken = dir.filePath("broken.scp").toStdString();
        WriteBytes(broken, fx::Bytes(sample.begin(), sample.begin() + sample.size() / 2));
        Control<QRadioButton>("Zoom2Radio")->click();
        QTest::mouseClick(Child("PartPanel"), Qt::LeftButton, {}, QPoint(40, 40));
        const QImage shown = window_->grab().toImage();
        const fx::Bytes saved = Assembled();

        const std::filesystem::path missing = dir.filePath("none.scp").toStdString();
        for (const std::filesystem::path& path : {broken, missing}) {
            messages_.clear();
            QVERIFY(!window_->LoadIslandFile(path, insel::FileKind::Island));
            QCOMPARE(messages_.size(), 1);
            QVERIFY(messages_[0].startsWith("error: "));
            QCOMPARE(Text(*window_, "IslandNamePanel"), QString("sample_island.scp"));
            QVERIFY(window_->grab().toImage() == shown);
            QVERIFY(Assembled() == saved);
        }
    }

    void OverviewReleaseShowsAPageAndVollTheWholeIsland() {
        Start(kSample);
        QWidget* frame = Child("PartFrame");
        QVERIFY(!frame->isVisible());
        const QImage before = Child("FlickerFreePaintBox2")->grab().toImage();

        QTest::mouseClick(Child("MiniImage"), Qt::LeftButton, {}, QPoint(100, 5));
        // 128 cells, 64 x 32 cells per page: the page right of the middle, at the top.
        QCOMPARE(window_->editor().view.part_index >= 0, true);
        QCOMPARE(Text(*window_, "xOfsetPanel"), QString("64"));
        QCOMPARE(Text(*window_, "yOfsetPanel"), QString("0"));
        QVERIFY(frame->isVisible());
        QCOMPARE(frame->geometry(), QRect(64, 0, 64, 32));
        QVERIFY(Child("FlickerFreePaintBox2")->grab().toImage() != before);

        qobject_cast<QPushButton*>(Child("FullIslandButton"))->click();
        QCOMPARE(window_->editor().view.part_index, -1);
        QVERIFY(!frame->isVisible());
        QCOMPARE(Child("FlickerFreePaintBox2")->grab().toImage(), before);
    }

    void ZoomRadioAndArrowsMoveThePage() {
        Start(kSample);
        QTest::mouseClick(Child("MiniImage"), Qt::LeftButton, {}, QPoint(100, 100));
        QCOMPARE(Text(*window_, "xOfsetPanel"), QString("64"));
        QCOMPARE(Text(*window_, "yOfsetPanel"), QString("96"));

        qobject_cast<QRadioButton*>(Child("RadioButton12"))->click();
        // 42-pixel cells: 24 x 12 cells per page.
        QCOMPARE(window_->editor().view.zoom_cell_size, 42);
        QCOMPARE(window_->editor().view.visible_columns, 24);
        QCOMPARE(window_->editor().view.visible_rows, 12);
        const QString x = Text(*window_, "xOfsetPanel");

        qobject_cast<QToolButton*>(Child("xOfsetSpinUp"))->click();
        QCOMPARE(Text(*window_, "xOfsetPanel"), QString::number(x.toInt() + 1));
        qobject_cast<QToolButton*>(Child("xOfsetSpinDown"))->click();
        QCOMPARE(Text(*window_, "xOfsetPanel"), x);
        const int y = Text(*window_, "yOfsetPanel").toInt();
        qobject_cast<QToolButton*>(Child("yOfsetSpinDown"))->click();
        QCOMPARE(Text(*window_, "yOfsetPanel"), QString::number(y + 1));
    }

    void MouseMoveFillsThePanels() {
        Start(kSample);
        // Whole view of 128 cells: 4 pixels per cell.
        MoveMouse(Child("FlickerFreePaintBox2"), QPoint(4 * 70 + 1, 4 * 61 + 3));
        QCOMPARE(Text(*window_, "MouseXPanel"), QString("70"));
        QCOMPARE(Text(*window_, "MouseYPanel"), QString("61"));
        QCOMPARE(Text(*window_, "MouseHXPanel"), QString("46"));
        QCOMPARE(Text(*window_, "Edit1"),
                 QString::number(window_->editor().doc.island.height.get(70, 61)));
        QVERIFY(!Text(*window_, "Edit2").isEmpty());
        QVERIFY(!Text(*window_, "Edit4").isEmpty());

        QCOMPARE(Text(*window_, "PixXPanel"), QString::number(4 * 70 + 1));
        QCOMPARE(Text(*window_, "PixYPanel"), QString::number(4 * 61 + 3));
        QVERIFY(!Child("PixXPanel")->isVisible());

        // Beyond the island's last column nothing changes.
        MoveMouse(Child("FlickerFreePaintBox2"), QPoint(700, 10));
        QCOMPARE(Text(*window_, "MouseXPanel"), QString("70"));

        // A click fills the click panels; another load empties them all.
        QTest::mouseClick(Child("FlickerFreePaintBox2"), Qt::LeftButton, {}, QPoint(4 * 20 + 1, 9));
        QCOMPARE(Text(*window_, "xPanel"), QString("20"));
        window_->LoadIslandFile(kSample, insel::FileKind::Island);
        for (const char* name : {"MouseXPanel", "MouseYPanel", "MouseHXPanel", "Edit1", "Edit2",
                                 "Edit3", "Edit4", "xPanel", "yPanel", "PixXPanel"})
            QVERIFY2(Text(*window_, name).isEmpty(), name);
        // A click right after the load acts on the cell under the mouse, not on an old one.
        QTest::mouseClick(Child("FlickerFreePaintBox2"), Qt::LeftButton, {}, QPoint(4 * 30 + 1, 9));
        QCOMPARE(Text(*window_, "xPanel"), QString("30"));
        QVERIFY2(messages_.isEmpty(), qPrintable(messages_.join('\n')));
    }

    // The pen width draws every outline; the sample's animals stand on the island.
    void PenWidthAndAnimals() {
        Start(kSample);
        const insel::Raster& raster = window_->raster();
        // A colour no cell of the sample has.
        const std::uint32_t pen = insel::ToPixel(0x123456);
        window_->settings().animal = 0x123456;
        auto animal_pixels = [&] {
            int n = 0;
            for (int y = 0; y < 512; ++y)
                for (int x = 0; x < 512; ++x) n += (raster.at(x, y) | 0xFF000000u) == pen;
            return n;
        };
        QCOMPARE(animal_pixels(), 0);
        qobject_cast<QCheckBox*>(Child("TiereCheck"))->click();
        // 4-pixel cells at (60, 64) and (70, 52), not in the sea corner.
        QCOMPARE(raster.at(60 * 4, 64 * 4) | 0xFF000000u, pen);
        QCOMPARE(raster.at(70 * 4, 52 * 4) | 0xFF000000u, pen);
        const int thin = animal_pixels();
        auto* width = qobject_cast<QSpinBox*>(Child("PenWidthSpin"));
        QCOMPARE(width->value(), 2);
        QCOMPARE(width->maximum(), 12);
        width->setValue(1);
        QCOMPARE(window_->settings().pen_width, 1);
        QVERIFY(animal_pixels() < thin);
    }

    // The open dialog starts in an existing folder, never in a path it takes for a file name.
    void OpenDialogStartsInAnExistingFolder() {
        QTemporaryDir game;
        QVERIFY(QDir(game.path()).mkpath("Scenes/Islands"));
        const std::string path = game.path().toStdString();
        const QString islands = QDir(game.filePath("Scenes/Islands")).absolutePath();
        QCOMPARE(QDir(TInselZeichner::OpenDialogFolder(path, insel::FileKind::Island)).absolutePath(),
                 islands);
        // No SaveGames folder: the game folder itself.
        QCOMPARE(QDir(TInselZeichner::OpenDialogFolder(path, insel::FileKind::Savegame)).absolutePath(),
                 QDir(game.path()).absolutePath());
        const QString none = TInselZeichner::OpenDialogFolder("", insel::FileKind::Island);
        QVERIFY2(none.isEmpty() || QFileInfo(none).isDir(), qPrintable(none));
        QCOMPARE(TInselZeichner::OpenDialogFolder(path + "/gone", insel::FileKind::City), QString());

        Start("");
        QString asked;
        window_->choose_open_file = [&](const QString&, const QString& folder) {
            asked = folder;
            return QString();
        };
        window_->findChild<QAction*>("Inselladen1")->trigger();
        QVERIFY2(asked.isEmpty() || QFileInfo(asked).isDir(), qPrintable(asked));
    }

    void LayerRadioRepaints() {
        Start(kSample);
        const QImage heights = Child("FlickerFreePaintBox2")->grab().toImage();
        qobject_cast<QRadioButton*>(Child("RadioButton4"))->click();
        QCOMPARE(window_->editor().view.layer, insel::DisplayLayer(3));
        QVERIFY(Child("FlickerFreePaintBox2")->grab().toImage() != heights);
    }

    void TileBitmapsShowInThePartView() {
        Start(kSample);
        QTest::mouseClick(Child("MiniImage"), Qt::LeftButton, {}, QPoint(64, 64));
        qobject_cast<QRadioButton*>(Child("RadioButton2"))->click();
        const QImage plain = Child("FlickerFreePaintBox2")->grab().toImage();
        auto* check = qobject_cast<QAbstractButton*>(Child("UntergrundCheck"));
        check->click();
        QVERIFY(check->isChecked());
        QVERIFY(Child("FlickerFreePaintBox2")->grab().toImage() != plain);
        check->click();
        QVERIFY(!check->isChecked());
        QCOMPARE(Child("FlickerFreePaintBox2")->grab().toImage(), plain);
    }

    void ExitAsksAndNoKeepsTheWindow() {
        Start(kSample);
        int asked = 0;
        bool answer = false;
        window_->confirm_exit = [&] {
            ++asked;
            return answer;
        };
        QAction* exit = window_->findChild<QAction*>("Exit1");
        QVERIFY(exit);
        exit->trigger();
        QCOMPARE(asked, 1);
        QVERIFY(window_->isVisible());
        QVERIFY(window_->editor().view.island_shown);

        answer = true;
        QVERIFY(window_->close());
        QCOMPARE(asked, 2);
        QVERIFY(!window_->isVisible());
    }

    void PagesFollowTheTableAndSetTheToolMode() {
        Start(kSample);
        auto* pages = qobject_cast<QTabWidget*>(Child("PageControl1"));
        QVERIFY(pages);
        const std::vector<std::pair<QString, int>> expected = {
            {"HoehenStatistik", 0}, {"WeitereStatistik", 0}, {"Minen", 1},        {"Speichern", 0},
            {"Gelaende", 2},        {"Untergrund", 3},       {"LineDrawing", 4},  {"CopyBuffer", 5},
            {"Objects", 6},         {"FlussSheet", 7},       {"TabSheet1", 8},    {"Insel", 0},
            {"TabSheet2", 9},       {"SettingsSheet", 0},    {"RotationSheet", 0}};
        QCOMPARE(pages->count(), static_cast<int>(expected.size()));
        for (int i = 0; i < pages->count(); ++i) {
            QCOMPARE(pages->widget(i)->objectName(), expected[static_cast<std::size_t>(i)].first);
            QCOMPARE(pages->widget(i)->property("tag").toInt(),
                     expected[static_cast<std::size_t>(i)].second);
        }
        // Captions come from the interface texts where a line exists.
        QCOMPARE(pages->tabText(3), QString("Speichern"));
        QCOMPARE(pages->tabText(6), QString::fromUtf8("Höhenprofil"));
        QCOMPARE(pages->tabText(12), QString("Inselliste"));

        pages->setCurrentIndex(6);
        QCOMPARE(window_->editor().tools.mode, insel::ToolMode(4));
        QVERIFY(window_->editor().tools.height_profile_page);
        pages->setCurrentIndex(2);
        QCOMPARE(window_->editor().tools.mode, insel::ToolMode(1));
        QVERIFY(!window_->editor().tools.height_profile_page);
        pages->setCurrentIndex(12);
        QCOMPARE(window_->editor().tools.mode, insel::ToolMode(9));
        pages->setCurrentIndex(3);
        QCOMPARE(window_->editor().tools.mode, insel::ToolMode(0));
    }

    void EmptyInterfaceLinesKeepTheCaptions() {
        Start("", [](insel::Definitions& d) {
            d.main_strings.at(2) = "";   // window title
            d.main_strings.at(4) = " ";  // menu action
            d.main_strings.at(13) = "Über";
            d.main_strings.at(75) = "";  // tab page
            d.main_strings.at(76) = "";  // button
            d.main_strings.at(79) = "Leere Insel";
        });
        QCOMPARE(window_->windowTitle(), QString("Inseleditor"));
        QCOMPARE(window_->findChild<QAction*>("Inselladen1")->text(),
                 QString("KelmGame Inselfile *.scp laden"));
        QCOMPARE(window_->findChild<QAction*>("About1")->text(), QString::fromUtf8("Über"));
        auto* pages = qobject_cast<QTabWidget*>(Child("PageControl1"));
        QCOMPARE(pages->tabText(3), QString("Speichern"));
        QCOMPARE(qobject_cast<QPushButton*>(Child("SaveInselButton"))->text(),
                 QString("Write *.scp island      (No Buildings saved)"));
        QCOMPARE(qobject_cast<QPushButton*>(Child("DummyButton"))->text(), QString("Leere Insel"));
    }

    void IslandListClickDecodesThatIsland() {
        namespace fx = insel::fixture;
        fx::IslandSpec first;
        first.name = "Erste";
        first.number = 1;
        fx::IslandSpec second;
        second.width = second.height = 96;
        second.world_first = 200;
        second.name = "Zw\xF6lf";  // Windows-1252 umlaut
        second.number = 2;
        fx::IslandSpec third;
        third.width = third.height = 32;
        third.world_second = 300;
        third.number = 3;
        const fx::Bytes bytes = fx::SavegameBytes({first, second, third});
        QTemporaryDir dir;
        const std::filesystem::path path = dir.filePath("game.sav").toStdString();
        WriteBytes(path, bytes);

        Start("");
        window_->LoadIslandFile(path, insel::FileKind::Savegame);
        QVERIFY2(messages_.isEmpty(), qPrintable(messages_.join('\n')));
        auto* grid = qobject_cast<QTableWidget*>(Child("InselListenGrid"));
        QCOMPARE(grid->rowCount(), 3);
        QCOMPARE(grid->columnCount(), 9);
        QCOMPARE(grid->horizontalHeaderItem(8)->text(), QString("ID"));
        QCOMPARE(grid->horizontalHeaderItem(2)->text(), QString("Pos x"));
        QCOMPARE(grid->item(1, 0)->text(), QString::fromUtf8("Zwölf"));
        QCOMPARE(grid->item(1, 1)->text(), QString("96"));

        auto* pages = qobject_cast<QTabWidget*>(Child("PageControl1"));
        pages->setCurrentWidget(Child("TabSheet2"));
        QVERIFY(Text(*window_, "xSizePanel") != QString("96"));
        ClickCell(grid, 1, 0);
        QCOMPARE(Text(*window_, "xSizePanel"), QString("96"));
        QCOMPARE(window_->editor().view.part_index, -1);
        ClickCell(grid, 2, 3);
        QCOMPARE(Text(*window_, "xSizePanel"), QString("32"));
    }

    void SavePageWritesAnIslandThatLoads() {
        Start(kSample);
        QTemporaryDir dir;
        QString proposed;
        QString filter;
        window_->choose_save_file = [&](const QString& f, const QString& name) {
            filter = f;
            proposed = name;
            return dir.filePath("saved");
        };
        int asked = 0;
        window_->confirm_overwrite = [&](const QString&) {
            ++asked;
            return true;
        };
        qobject_cast<QPushButton*>(Child("SaveInselButton"))->click();
        QCOMPARE(proposed, QString("sample_island.scp"));
        QVERIFY(filter.contains("*.scp"));
        QCOMPARE(asked, 0);
        QVERIFY2(messages_.isEmpty(), qPrintable(messages_.join('\n')));
        const QString saved = dir.filePath("saved.scp");
        QVERIFY(QFile::exists(saved));
        // The log on the "Insel" page tells of the save.
        const QString log = qobject_cast<QPlainTextEdit*>(Child("Memo2"))->toPlainText();
        QVERIFY2(log.contains("Writing " + saved), qPrintable(log));

        window_->LoadIslandFile(saved.toStdString(), insel::FileKind::Island);
        QVERIFY2(messages_.isEmpty(), qPrintable(messages_.join('\n')));
        QCOMPARE(Text(*window_, "xSizePanel"), QString("128"));
        QCOMPARE(Text(*window_, "MinenBergePanel"), QString("4"));
    }

    void OverwriteAnsweredNoLeavesTheFile() {
        Start(kSample);
        QTemporaryDir dir;
        const QString target = dir.filePath("old.scp");
        QVERIFY(WriteAll(target, "keep me"));
        window_->choose_save_file = [&](const QString&, const QString&) { return target; };
        QStringList questions;
        bool answer = false;
        window_->confirm_overwrite = [&](const QString& question) {
            questions << question;
            return answer;
        };
        auto* save = qobject_cast<QPushButton*>(Child("SaveInselButton"));
        QVERIFY(qobject_cast<QCheckBox*>(Child("WarnCheck"))->isChecked());
        save->click();
        QCOMPARE(questions.size(), 1);
        QVERIFY(questions[0].contains("Overwrite?"));
        QCOMPARE(ReadAll(target), QByteArray("keep me"));

        // Without the warning an existing file is replaced unasked.
        qobject_cast<QCheckBox*>(Child("WarnCheck"))->click();
        save->click();
        QCOMPARE(questions.size(), 1);
        QVERIFY(ReadAll(target).startsWith("KELM"));
        QVERIFY(messages_.isEmpty());
    }

    void OverwriteQuestionIsAboutTheFileWritten() {
        Start(kSample);
        QTemporaryDir dir;
        // The island is written as x.scp whatever extension was typed.
        const QString written = dir.filePath("x.scp");
        QVERIFY(WriteAll(written, "keep me"));
        window_->choose_save_file = [&](const QString&, const QString&) {
            return dir.filePath("x.txt");
        };
        int asked = 0;
        window_->confirm_overwrite = [&](const QString&) {
            ++asked;
            return false;
        };
        QVERIFY(qobject_cast<QCheckBox*>(Child("WarnCheck"))->isChecked());
        qobject_cast<QPushButton*>(Child("SaveInselButton"))->click();
        QCOMPARE(asked, 1);
        QCOMPARE(ReadAll(written), QByteArray("keep me"));
        QVERIFY(!QFile::exists(dir.filePath("x.txt")));
        QVERIFY(messages_.isEmpty());
    }

    void DummyWriteErrorShowsTheBox() {
        namespace fx = insel::fixture;
        QTemporaryDir dir;
        fx::IslandSpec wide;
        wide.width = 320;
        const std::filesystem::path path = dir.filePath("breit.scp").toStdString();
        WriteBytes(path, fx::IslandFileBytes(wide));
        Start(path.string());
        QVERIFY2(messages_.isEmpty(), qPrintable(messages_.join('\n')));
        QCOMPARE(Text(*window_, "xSizePanel"), QString("320"));
        const QString target = dir.filePath("dummy.scp");
        window_->choose_save_file = [&](const QString&, const QString&) { return target; };
        qobject_cast<QPushButton*>(Child("DummyButton"))->click();
        QCOMPARE(messages_.size(), 1);
        QVERIFY2(messages_[0].startsWith("error: Fehler beim Schreiben\n") &&
                     messages_[0].contains("256"),
                 qPrintable(messages_[0]));
        QVERIFY(!QFile::exists(target));
    }

    void WriteErrorShowsTheBox() {
        Start(kSample);
        window_->choose_save_file = [](const QString&, const QString&) {
            return QString("/nonexistent-folder/sub/x.scp");
        };
        qobject_cast<QPushButton*>(Child("SaveInselButton"))->click();
        QCOMPARE(messages_.size(), 1);
        QVERIFY2(messages_[0].startsWith("error: Fehler beim Schreiben\n") &&
                     messages_[0].contains("x.scp"),
                 qPrintable(messages_[0]));
        QVERIFY(!window_->editor().updating);
    }

    void StartWithoutDefinitionFilesFails() {
        QTemporaryDir empty;
        QProcess process;
        process.start(INSELEDITOR, {"--program-folder", empty.path(), "--dump-widgets"});
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 1);
        QVERIFY(process.readAllStandardError().contains(insel::kMissingDefinitionsMessage));
        QVERIFY(process.readAllStandardOutput().isEmpty());
    }

    // Every panel and count label shows what the core's legend holds.
    void CompareLegend(const insel::Legend& legend) {
        const QColor face = QApplication::palette().color(QPalette::Button);
        for (int i = 0; i < insel::kLegendPanelCount; ++i) {
            const insel::LegendEntry& entry = legend[static_cast<std::size_t>(i)];
            auto* panel = window_->findChild<QLabel*>(QString("LegendPanel%1").arg(i));
            auto* count = window_->findChild<QLabel*>(QString("LegendCount%1").arg(i));
            QVERIFY(panel && count);
            QCOMPARE(panel->text(), QString::fromStdString(entry.caption));
            QCOMPARE(count->text(), QString::fromStdString(entry.count));
            const QColor expected = entry.shown
                                        ? QColor(static_cast<int>(entry.colour & 0xFF),
                                                 static_cast<int>((entry.colour >> 8) & 0xFF),
                                                 static_cast<int>((entry.colour >> 16) & 0xFF))
                                        : face;
            QCOMPARE(panel->palette().color(QPalette::Window), expected);
        }
    }

    void LegendShowsTheWholeIslandAfterLoad() {
        Start(kSample);
        auto* panel = window_->findChild<QLabel*>("LegendPanel14");
        QVERIFY(panel);
        // At the smallest width the window lays out, every entry lies within the page, none
        // on another, and each caption contrasts with its panel (4.5:1 is always reachable
        // with black or white).
        window_->resize(window_->minimumSizeHint());
        qobject_cast<QTabWidget*>(Child("PageControl1"))->setCurrentIndex(0);
        QApplication::processEvents();
        QWidget* area = Child("LegendArea");
        QVERIFY(area->width() <= Child("PageControl1")->width());
        std::vector<QRect> places;
        for (int i = 0; i < insel::kLegendPanelCount; ++i) {
            const QRect place = Child(qPrintable(QString("LegendEntry%1").arg(i)))->geometry();
            QVERIFY2(area->rect().contains(place), qPrintable(QString::number(i)));
            for (const QRect& other : places) QVERIFY(!other.intersects(place));
            places.push_back(place);
        }

        const insel::Legend legend = FullIslandLegend();
        // Height 40 lies in band 14; the sample island has land at that height.
        QVERIFY(legend[14].shown);
        QVERIFY(!legend[14].caption.empty());
        QVERIFY(!legend[14].count.empty());
        QCOMPARE(panel->text(), QString::fromStdString(legend[14].caption));
        QCOMPARE(Text(*window_, "LegendCount14"), QString::fromStdString(legend[14].count));
        CompareLegend(legend);
        auto luminance = [](const QColor& c) {
            auto linear = [](double v) {
                return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
            };
            return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) +
                   0.0722 * linear(c.blueF());
        };
        for (int i = 0; i < insel::kLegendPanelCount; ++i) {
            if (!legend[static_cast<std::size_t>(i)].shown) continue;
            const QPalette colours =
                window_->findChild<QLabel*>(QString("LegendPanel%1").arg(i))->palette();
            const double a = luminance(colours.color(QPalette::Window));
            const double b = luminance(colours.color(QPalette::WindowText));
            QVERIFY2((std::max(a, b) + 0.05) / (std::min(a, b) + 0.05) >= 4.5,
                     qPrintable(QString::number(i)));
        }
    }

    void LegendFollowsPageLayerAndVoll() {
        Start(kSample);
        const insel::Legend whole = FullIslandLegend();
        QTest::mouseClick(Child("MiniImage"), Qt::LeftButton, {}, QPoint(100, 5));
        const insel::Legend page =
            insel::ViewLegend(window_->editor().doc.island, window_->editor().view);
        CompareLegend(page);
        // The counts of one page are not those of the whole island.
        bool differs = false;
        for (std::size_t i = 0; i < page.size(); ++i)
            differs = differs || page[i].count != whole[i].count;
        QVERIFY(differs);

        qobject_cast<QRadioButton*>(Child("Zoom2Radio"))->click();
        CompareLegend(insel::ViewLegend(window_->editor().doc.island, window_->editor().view));

        // The graphic layer has no legend: every panel is emptied.
        qobject_cast<QRadioButton*>(Child("RadioButton2"))->click();
        QCOMPARE(window_->editor().view.layer, insel::DisplayLayer(1));
        CompareLegend(insel::Legend{});
        QCOMPARE(Text(*window_, "LegendPanel14"), QString());

        qobject_cast<QRadioButton*>(Child("RadioButton4"))->click();
        CompareLegend(insel::ViewLegend(window_->editor().doc.island, window_->editor().view));

        qobject_cast<QRadioButton*>(Child("RadioButton1"))->click();
        qobject_cast<QPushButton*>(Child("FullIslandButton"))->click();
        CompareLegend(FullIslandLegend());
        QCOMPARE(Text(*window_, "LegendPanel14"), QString::fromStdString(whole[14].caption));
    }

    void StatisticsFillTheGridsAndSave() {
        Start(kSample);
        auto* gfx = qobject_cast<QTableWidget*>(Child("GFXGrid"));
        auto* terrain = qobject_cast<QTableWidget*>(Child("GelaendeGrid"));
        auto* low = qobject_cast<QCheckBox*>(Child("OhneLowCheck"));
        QVERIFY(low->isChecked());
        QVERIFY(qobject_cast<QCheckBox*>(Child("OhneRotCheck"))->isChecked());
        QCOMPARE(gfx->rowCount(), 0);

        auto expect_rows = [](QTableWidget* grid, const insel::GridRows& rows) {
            QVERIFY(rows.size() > 1);
            QCOMPARE(grid->rowCount(), static_cast<int>(rows.size()) - 1);
            for (std::size_t c = 0; c < rows[0].size(); ++c) {
                QCOMPARE(grid->horizontalHeaderItem(static_cast<int>(c))->text(),
                         QString::fromStdString(rows[0][c]));
            }
            for (std::size_t r = 1; r < rows.size(); ++r) {
                for (std::size_t c = 0; c < rows[r].size(); ++c) {
                    QTableWidgetItem* item =
                        grid->item(static_cast<int>(r) - 1, static_cast<int>(c));
                    QVERIFY(item);
                    QCOMPARE(item->text(), QString::fromStdString(rows[r][c]));
                }
            }
        };
        qobject_cast<QPushButton*>(Child("DoItButton"))->click();
        const insel::IslandMap& island = window_->editor().doc.island;
        expect_rows(gfx, insel::GfxStatisticsRows(island, true));
        expect_rows(terrain, insel::TerrainStatisticsRows(island, true));
        // Series rows: one per texture series, marked with a star.
        QVERIFY(gfx->item(0, 0)->text().startsWith("* "));
        QCOMPARE(gfx->item(0, 1)->text(), QString("*"));

        QTemporaryDir dir;
        QString proposed;
        window_->choose_save_file = [&](const QString&, const QString& name) {
            proposed = name;
            return dir.filePath(name);
        };
        qobject_cast<QPushButton*>(Child("SaveGFXStatButton"))->click();
        QCOMPARE(proposed, QString("GFX.txt"));
        std::string expected;
        for (const std::string& line : insel::StatisticsFileLines(
                 insel::GfxStatisticsRows(island, true), insel::StatisticsGrid::Gfx)) {
            expected += line + "\r\n";
        }
        QByteArray written = ReadAll(dir.filePath("GFX.txt"));
        QVERIFY(written.startsWith("ID,ID-lobyte,ID-hibite,Orientierung,Anzahl"));
        QCOMPARE(written.replace("\r\n", "\n"),
                 QByteArray::fromStdString(expected).replace("\r\n", "\n"));

        qobject_cast<QPushButton*>(Child("SaveGelStatButton"))->click();
        QCOMPARE(proposed, QString("Gelaende.txt"));
        QVERIFY(QFile::exists(dir.filePath("Gelaende.txt")));

        // Without the series rule each graphic value has its own row.
        low->setChecked(false);
        qobject_cast<QPushButton*>(Child("DoItButton"))->click();
        expect_rows(gfx, insel::GfxStatisticsRows(island, false));
        QVERIFY(!gfx->item(0, 1)->text().contains('*'));
        QVERIFY2(messages_.isEmpty(), qPrintable(messages_.join('\n')));
    }

    void StatisticsNeedAnIsland() {
        Start("");
        QString asked;
        window_->choose_save_file = [&](const QString&, const QString& name) {
            asked = name;
            return QString();
        };
        qobject_cast<QPushButton*>(Child("DoItButton"))->click();
        QCOMPARE(qobject_cast<QTableWidget*>(Child("GFXGrid"))->rowCount(), 0);
        qobject_cast<QPushButton*>(Child("SaveGFXStatButton"))->click();
        QVERIFY(asked.isEmpty());
    }

    void DumpWidgetsListsTheControls() {
        QProcess process;
        process.start(INSELEDITOR, {"--program-folder", QString::fromStdString(kBin.string()),
                                    "--dump-widgets"});
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 0);
        const QStringList lines = QString::fromUtf8(process.readAllStandardOutput()).split('\n');
        for (const char* line : {"FlickerFreePaintBox2 insel::gui::MapCanvas",
                                 "MiniImage insel::gui::OverviewImage",
                                 "PartFrame QFrame",
                                 "FullIslandButton QPushButton",
                                 "Zoom1Radio QRadioButton",
                                 "xOfsetSpinDown QToolButton",
                                 "UntergrundCheck QCheckBox",
                                 "Edit4 QLineEdit",
                                 "WasserPanel QLabel",
                                 "Exit1 QAction",
                                 "Inselladen1 QAction",
                                 "PageControl1 QTabWidget",
                                 "InselListenGrid QTableWidget",
                                 "StadtListenGrid QTableWidget",
                                 "SaveInselButton QPushButton",
                                 "DummyButton QPushButton",
                                 "WarnCheck QCheckBox",
                                 "RecountProdCheck QCheckBox",
                                 "LegendPanel0 QLabel",
                                 "LegendPanel53 QLabel",
                                 "LegendCount53 QLabel",
                                 "DoItButton QPushButton",
                                 "OhneLowCheck QCheckBox",
                                 "OhneRotCheck QCheckBox",
                                 "GFXGrid QTableWidget",
                                 "GelaendeGrid QTableWidget",
                                 "SaveGFXStatButton QPushButton",
                                 "SaveGelStatButton QPushButton",
                                 "ClearGFXCheck QCheckBox",
                                 "ThePanel insel::gui::ToolFrame",
                                 "PLeftSpin QSpinBox",
                                 "PTopSpin QSpinBox",
                                 "PWidthSpin QSpinBox",
                                 "PHeightSpin QSpinBox",
                                 "xPanel QLabel",
                                 "yPanel QLabel",
                                 "OversizeButton QPushButton",
                                 "MinenBox QRadioButton",
                                 "AbbauBox QRadioButton",
                                 "BuildingGrid QTableWidget",
                                 "StadtNrPanel QLabel",
                                 "EZBCheck QCheckBox",
                                 "EZBPanel QLabel",
                                 "ReloadButton QPushButton",
                                 "SaveListButton QPushButton",
                                 "maxEinwohnerButton QPushButton",
                                 "WohnPanel QLabel",
                                 "AufraumButton QPushButton",
                                 "NativeRadio QRadioButton",
                                 "MonsterRadio QRadioButton",
                                 "TiereCheck QCheckBox",
                                 "ObjectsCheck QCheckBox",
                                 "Memo2 QPlainTextEdit",
                                 "Memo3 QPlainTextEdit",
                                 "ShowMemoCheck QCheckBox",
                                 "xScalePanel QLabel",
                                 "YZahlPanel QLabel",
                                 "AnglePanel QLabel",
                                 "ApplyHeightShiftCheck QCheckBox",
                                 "ApplyRockShiftCheck QCheckBox",
                                 "RotHxSpin QSpinBox",
                                 "RotRySpin QSpinBox",
                                 "PenWidthSpin QSpinBox",
                                 "PixXPanel QLabel",
                                 "PixYPanel QLabel",
                                 "PageChooser insel::gui::PageChooser",
                                 "TBitmapForm insel::gui::TBitmapForm",
                                 "TInselSizeBox insel::gui::TInselSizeBox",
                                 "RadioButton7 QRadioButton",
                                 "TViewForm insel::gui::TViewForm",
                                 "Image1 QLabel",
                                 "AboutBox insel::gui::TAboutBox",
                                 "Version QLabel"}) {
            QVERIFY2(lines.contains(line), line);
        }
    }

    void ScreenshotWritesThePicture() {
        QTemporaryDir dir;
        const QString out = dir.filePath("win.png");
        QProcess process;
        process.start(INSELEDITOR, {"--screenshot", out, QString::fromStdString(kSample)});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 0);
        const QImage shot(out);
        QVERIFY(shot.width() >= 1024 && shot.height() >= 512);

        // A file that does not load fails the run and leaves no picture.
        const QString missing_out = dir.filePath("missing.png");
        process.start(INSELEDITOR, {"--screenshot", missing_out, dir.filePath("fehlt.scp")});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QVERIFY(process.exitCode() != 0);
        QVERIFY(process.readAllStandardError().contains("error: "));
        QVERIFY(!QFile::exists(missing_out));

        // The reason is given, also for a file the editor does not open at all.
        const QString notes = dir.filePath("notes.txt");
        QVERIFY(WriteAll(notes, "no island"));
        process.start(INSELEDITOR, {"--screenshot", missing_out, notes});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 1);
        const QString said = QString::fromUtf8(process.readAllStandardError());
        QVERIFY2(said.contains("was not loaded: the editor opens") && said.contains("*.scp"),
                 qPrintable(said));
    }

    // Without any display: what needs none works, a window start says why it cannot.
    void StartWithoutDisplay_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("said");
        const QString sample = QString::fromStdString(kSample);
        QTest::newRow("version") << QStringList{"--version"} << 0
                                 << QString(insel::kProgramVersion);
        QTest::newRow("help") << QStringList{"--help"} << 0 << QString("--dump-widgets");
        QTest::newRow("dump") << QStringList{"--dump-widgets"} << 0
                              << QString("FlickerFreePaintBox2 ");
        QTest::newRow("check") << QStringList{"--check-display"} << 1 << QString();
        QTest::newRow("window") << QStringList{sample} << 1 << QString("no display");
    }
    void StartWithoutDisplay() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, said);
        for (const char* display : {"", ":197"}) {
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.remove("QT_QPA_PLATFORM");
            environment.remove("WAYLAND_DISPLAY");
            environment.insert("DISPLAY", display);
            QProcess process;
            process.setProcessEnvironment(environment);
            process.start(INSELEDITOR, arguments);
            QVERIFY(process.waitForFinished(60000));
            QCOMPARE(process.exitStatus(), QProcess::NormalExit);
            QCOMPARE(process.exitCode(), status);
            const QString out =
                QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
            QVERIFY2(out.contains(said), qPrintable(out));
        }
    }

    void ScreenshotWithoutDisplay() {
        QTemporaryDir dir;
        const QString out = dir.filePath("win.png");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("QT_QPA_PLATFORM");
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(INSELEDITOR, {"--screenshot", out, QString::fromStdString(kSample)});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 0);
        QVERIFY(QImage(out).width() >= 1024);
    }

    // Exceptions of every kind end in the error box and leave the window usable.
    void HandlerFailuresLeaveTheWindowUsable_data() {
        QTest::addColumn<int>("kind");
        QTest::newRow("bad_alloc") << 0;
        QTest::newRow("filesystem_error") << 1;
        QTest::newRow("not an exception") << 2;
    }
    void HandlerFailuresLeaveTheWindowUsable() {
        QFETCH(int, kind);
        Start(kSample);
        auto fail = [this, kind] {
            // As a handler does that fails halfway through changing controls.
            window_->editor().updating = true;
            if (kind == 0) throw std::bad_alloc();
            if (kind == 1)
                throw std::filesystem::filesystem_error("cannot read", "x.scp",
                                                        std::make_error_code(std::errc::io_error));
            throw 42;
        };
        window_->RunHandler([&] {
            fail();
            return true;
        });
        QVERIFY(!window_->RunLong(fail));
        QCOMPARE(messages_.size(), 2);
        for (const QString& message : messages_) QVERIFY(message.startsWith("error: "));
        if (kind == 1) QVERIFY2(messages_[1].contains("x.scp"), qPrintable(messages_[1]));
        QVERIFY(!window_->editor().updating);
        QVERIFY(!QApplication::overrideCursor());

        bool ran = false;
        window_->RunHandler([&] { return ran = true; });
        QVERIFY(ran);
        QVERIFY(window_->RunLong([] {}));
        qobject_cast<QPushButton*>(Child("FullIslandButton"))->click();
        QCOMPARE(window_->editor().view.part_index, -1);
    }

    // At 1000 x 650 every box keeps its room: none on another, none squeezed below what its
    // captions need, all inside the window; the canvas scrolls instead.
    void SmallWindowKeepsEveryControlWhole() {
        Start(kSample);
        window_->resize(1000, 650);
        QApplication::processEvents();
        QCOMPARE(window_->size(), QSize(1000, 650));
        QVERIFY(window_->minimumSizeHint().width() <= 1000);
        QVERIFY(window_->minimumSizeHint().height() <= 650);
        std::vector<std::pair<QString, QRect>> boxes;
        for (const char* name : {"CanvasArea", "NavigationBox", "LayerBox", "StatusBox",
                                 "SelectionBox", "PageChooser", "PageControl1"}) {
            QWidget* box = Child(name);
            const QRect place(box->mapTo(window_.get(), QPoint(0, 0)), box->size());
            QVERIFY2(window_->rect().contains(place), name);
            for (const auto& [other, rect] : boxes)
                QVERIFY2(!rect.intersects(place), qPrintable(other + " / " + name));
            boxes.emplace_back(name, place);
            if (QString(name) == "CanvasArea") continue;
            for (QWidget* control : box->findChildren<QWidget*>()) {
                if (!control->isVisible() || !qobject_cast<QLabel*>(control)) continue;
                QVERIFY2(control->width() >= control->minimumSizeHint().width(),
                         qPrintable(control->objectName() + " " +
                                    qobject_cast<QLabel*>(control)->text()));
            }
        }
        auto* area = qobject_cast<QScrollArea*>(Child("CanvasArea"));
        QVERIFY(area->horizontalScrollBar()->maximum() > 0);
    }

    // Every page is a click away, and Ctrl+PgDn / Ctrl+PgUp step through the pages.
    void EveryPageIsReachable() {
        Start(kSample);
        auto* pages = qobject_cast<QTabWidget*>(Child("PageControl1"));
        QWidget* chooser = Child("PageChooser");
        for (int i = 0; i < pages->count(); ++i) {
            auto* button =
                window_->findChild<QAbstractButton*>("PageButton" + pages->widget(i)->objectName());
            QVERIFY(button);
            QCOMPARE(button->text(), pages->tabText(i));
            QCOMPARE(button->isVisible(), pages->isTabVisible(i));
            QVERIFY(chooser->rect().contains(button->geometry()));
            if (!pages->isTabEnabled(i)) continue;
            button->click();
            QCOMPARE(pages->currentIndex(), i);
            QVERIFY(button->isChecked());
        }
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        pages->setCurrentIndex(0);
        QTest::keyClick(window_.get(), Qt::Key_PageDown, Qt::ControlModifier);
        QCOMPARE(pages->currentIndex(), 1);
        QTest::keyClick(window_.get(), Qt::Key_PageUp, Qt::ControlModifier);
        QTest::keyClick(window_.get(), Qt::Key_PageUp, Qt::ControlModifier);
        // Round the end; the island list is disabled for an island file and passed over.
        QCOMPARE(pages->currentIndex(), pages->count() - 1);
        pages->setCurrentIndex(11);
        QTest::keyClick(window_.get(), Qt::Key_PageDown, Qt::ControlModifier);
        QCOMPARE(pages->currentWidget()->objectName(), QString("SettingsSheet"));
    }

    // Pages whose tools are still to come say so.
    void PendingPagesSaySo() {
        Start("");
        for (const char* name : {"Gelaende", "Untergrund", "LineDrawing", "CopyBuffer",
                                 "FlussSheet", "Minen", "Objects", "RotationSheet"}) {
            auto* note = Child(name)->findChild<QLabel*>("PendingLabel");
            QVERIFY2(note && note->text().contains(QString::fromUtf8("späteren Version")), name);
        }
        QVERIFY(!Child("Speichern")->findChild<QLabel*>("PendingLabel"));
    }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
