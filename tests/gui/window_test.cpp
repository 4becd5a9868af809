// Drives the real main window offscreen: start-up, the overview and navigation, mouse
// tracking, the exit question, and the executable's start-up modes.
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <cmath>
#include <new>

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

    // The command-line island is shown on the canvas; a savegame there is passed over
    // without a word.
    void CommandLineLoadsOnlyIslandAndCityFiles() {
        Start(kSample);
        QCOMPARE(Text(*window_, "xSizePanel") + Text(*window_, "IslandNamePanel"),
                 QString("128sample_island.scp"));
        QVERIFY(messages_.isEmpty());
        QWidget* canvas = Child("FlickerFreePaintBox2");
        QCOMPARE(canvas->size(), QSize(1024, 512));
        const QImage shot = canvas->grab().toImage().convertToFormat(QImage::Format_RGB32);
        int coloured = 0;
        for (int y = 2; y < 512; y += 16) {
            for (int x = 2; x < 512; x += 16) {
                coloured += shot.pixel(x, y) != qRgb(255, 255, 255);
                QCOMPARE(shot.pixel(x, y) | 0xFF000000u, window_->raster().at(x, y) | 0xFF000000u);
            }
        }
        QVERIFY2(coloured > 32 * 32 / 2, qPrintable(QString::number(coloured)));
        Finish();

        namespace fx = insel::fixture;
        QTemporaryDir dir;
        fx::IslandSpec island;
        island.number = 1;
        const std::filesystem::path game = dir.filePath("game.sav").toStdString();
        WriteBytes(game, fx::SavegameBytes({island}));
        Start(game.string());
        QVERIFY(!window_->editor().view.island_shown);
        QVERIFY(messages_.isEmpty());
        QCOMPARE(Text(*window_, "xSizePanel"), QString());
    }

    // A damaged file, or one that is not there, leaves the open island shown as it was: its
    // name, its picture and what a save would write; the error names the file and the window
    // is not left busy.
    void FailedLoadKeepsTheOpenIsland() {
        namespace fx = insel::fixture;
        Start(kSample);
        const fx::Bytes sample = fx::ReadFileBytes(kSample);
        QTemporaryDir dir;
        const std::filesystem::path broken = dir.filePath("broken.scp").toStdString();
        WriteBytes(broken, fx::Bytes(sample.begin(), sample.begin() + sample.size() / 2));
        Click("Zoom2Radio");
        QTest::mouseClick(Child("PartPanel"), Qt::LeftButton, {}, QPoint(40, 40));
        const QImage shown = window_->grab().toImage();
        const fx::Bytes saved = Assembled();

        const std::filesystem::path missing = dir.filePath("none.scp").toStdString();
        const std::pair<std::filesystem::path, QString> cases[] = {
            {broken, "the file ends before it"}, {missing, "cannot open"}};
        for (const auto& [path, says] : cases) {
            messages_.clear();
            QVERIFY(!window_->LoadIslandFile(path, insel::FileKind::Island));
            QCOMPARE(messages_.size(), 1);
            QVERIFY2(messages_[0].startsWith("error: ") && messages_[0].contains(says),
                     qPrintable(messages_[0]));
            QVERIFY(!window_->editor().updating && !QApplication::overrideCursor());
            QCOMPARE(Text(*window_, "IslandNamePanel"), QString("sample_island.scp"));
            QVERIFY(window_->grab().toImage() == shown && Assembled() == saved);
        }
    }

    // The overview picks a page, the zoom radios and arrows move it, the layer radios and tile
    // check repaint, "Voll" goes back to the whole island as it was.
    void OverviewZoomArrowsAndLayersRepaint() {
        Start(kSample);
        QWidget* frame = Child("PartFrame");
        const QImage before = Canvas();
        QTest::mouseClick(Child("MiniImage"), Qt::LeftButton, {}, QPoint(100, 5));
        // 128 cells, 64 x 32 cells per page: the page right of the middle, at the top.
        QCOMPARE(Text(*window_, "xOfsetPanel") + "," + Text(*window_, "yOfsetPanel"),
                 QString("64,0"));
        QVERIFY(frame->isVisible());
        QCOMPARE(frame->geometry(), QRect(64, 0, 64, 32));
        QVERIFY(Canvas() != before);

        Click("RadioButton12");
        // 42-pixel cells: 24 x 12 cells per page.
        QCOMPARE(
            QPoint(window_->editor().view.visible_columns, window_->editor().view.visible_rows),
            QPoint(24, 12));
        const int x = Text(*window_, "xOfsetPanel").toInt();
        const int y = Text(*window_, "yOfsetPanel").toInt();
        Click("xOfsetSpinUp");
        QCOMPARE(Text(*window_, "xOfsetPanel"), QString::number(x + 1));
        Click("xOfsetSpinDown");
        Click("yOfsetSpinDown");
        QCOMPARE(
            QPoint(Text(*window_, "xOfsetPanel").toInt(), Text(*window_, "yOfsetPanel").toInt()),
            QPoint(x, y + 1));

        Click("RadioButton2");
        const QImage plain = Canvas();
        Click("UntergrundCheck");
        QVERIFY(Canvas() != plain);
        Click("UntergrundCheck");
        QCOMPARE(Canvas(), plain);
        Click("RadioButton4");
        QCOMPARE(window_->editor().view.layer, insel::DisplayLayer(3));
        QVERIFY(Canvas() != plain);

        Click("RadioButton1");
        Click("Zoom1Radio");
        Click("FullIslandButton");
        QCOMPARE(window_->editor().view.part_index, -1);
        QVERIFY(!frame->isVisible());
        QCOMPARE(Canvas(), before);
    }

    void MouseMoveFillsThePanels() {
        Start(kSample);
        QWidget* canvas = Child("FlickerFreePaintBox2");
        auto panels = [this] {
            QStringList shown;
            for (const char* name :
                 {"MouseXPanel", "MouseYPanel", "MouseHXPanel", "Edit1", "PixXPanel", "xPanel"})
                shown << Text(*window_, name);
            return shown;
        };
        // Whole view of 128 cells: 4 pixels per cell.
        MoveMouse(canvas, QPoint(4 * 70 + 1, 4 * 61 + 3));
        const QString height = QString::number(window_->editor().doc.island.height.get(70, 61));
        const QStringList at_70 = {"70", "61", "46", height, QString::number(4 * 70 + 1), ""};
        QCOMPARE(panels(), at_70);
        // Beyond the island's last column nothing changes.
        MoveMouse(canvas, QPoint(700, 10));
        QCOMPARE(panels(), at_70);

        // A click fills the click panels; another load empties them all.
        QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(4 * 20 + 1, 9));
        QCOMPARE(Text(*window_, "xPanel"), QString("20"));
        window_->LoadIslandFile(kSample, insel::FileKind::Island);
        const QStringList rest = {Text(*window_, "Edit2"), Text(*window_, "Edit3"),
                                  Text(*window_, "Edit4"), Text(*window_, "yPanel")};
        QCOMPARE(panels() + rest, QStringList(10, QString()));
        // A click right after the load acts on the cell under the mouse, not on an old one.
        QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(4 * 30 + 1, 9));
        QCOMPARE(Text(*window_, "xPanel"), QString("30"));
        QVERIFY2(messages_.isEmpty(), qPrintable(Messages()));
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
        Click("TiereCheck");
        // 4-pixel cells at (60, 64) and (70, 52), not in the sea corner.
        QCOMPARE(
            QPair(raster.at(60 * 4, 64 * 4) | 0xFF000000u, raster.at(70 * 4, 52 * 4) | 0xFF000000u),
            QPair(pen, pen));
        const int thin = animal_pixels();
        Control<QSpinBox>("PenWidthSpin")->setValue(1);
        QCOMPARE(window_->settings().pen_width, 1);
        QVERIFY(animal_pixels() < thin);
    }

    // The open dialog starts in an existing folder, never in a path it takes for a file name.
    void OpenDialogStartsInAnExistingFolder() {
        QTemporaryDir game;
        QVERIFY(QDir(game.path()).mkpath("Scenes/Islands"));
        const std::string path = game.path().toStdString();
        auto folder = [](const std::string& game_path, insel::FileKind kind) {
            return QDir(TInselZeichner::OpenDialogFolder(game_path, kind)).absolutePath();
        };
        // No SaveGames folder: the game folder itself.
        QCOMPARE(
            QStringList({folder(path, insel::FileKind::Island),
                         folder(path, insel::FileKind::Savegame),
                         TInselZeichner::OpenDialogFolder(path + "/gone", insel::FileKind::City)}),
            QStringList({QDir(game.filePath("Scenes/Islands")).absolutePath(),
                         QDir(game.path()).absolutePath(), QString()}));

        Start("");
        QString asked = "<not asked>";
        window_->choose_open_file = [&](const QString&, const QString& folder) {
            asked = folder;
            return QString();
        };
        window_->findChild<QAction*>("Inselladen1")->trigger();
        QVERIFY2(asked.isEmpty() || QFileInfo(asked).isDir(), qPrintable(asked));
    }

    void ExitAsksAndNoKeepsTheWindow() {
        Start(kSample);
        int asked = 0;
        bool answer = false;
        window_->confirm_exit = [&] { return ++asked, answer; };
        window_->findChild<QAction*>("Exit1")->trigger();
        QCOMPARE(asked, 1);
        QVERIFY(window_->isVisible() && window_->editor().view.island_shown);
        answer = true;
        QVERIFY(window_->close());
        QCOMPARE(asked, 2);
        QVERIFY(!window_->isVisible());
    }

    // Empty or blank interface lines keep the built-in captions instead of blanking them.
    void EmptyInterfaceLinesKeepTheCaptions() {
        Start("", [](insel::Definitions& d) {
            d.main_strings.at(2) = "";   // window title
            d.main_strings.at(4) = " ";  // menu action
            d.main_strings.at(75) = "";  // tab page
            d.main_strings.at(79) = "Leere Insel";
        });
        const QStringList shown{window_->windowTitle(),
                                window_->findChild<QAction*>("Inselladen1")->text(),
                                Control<QTabWidget>("PageControl1")->tabText(3),
                                Control<QPushButton>("DummyButton")->text()};
        QCOMPARE(shown, (QStringList{"Inseleditor", "KelmGame Inselfile *.scp laden", "Speichern",
                                     "Leere Insel"}));
    }

    void IslandListClickDecodesThatIsland() {
        namespace fx = insel::fixture;
        fx::IslandSpec first, second, third;
        first.number = 1;
        second.width = second.height = 96;
        second.world_first = 200;
        second.name = "Zw\xF6lf";  // Windows-1252 umlaut
        second.number = 2;
        third.width = third.height = 32;
        third.number = 3;
        QTemporaryDir dir;
        const std::filesystem::path path = dir.filePath("game.sav").toStdString();
        WriteBytes(path, fx::SavegameBytes({first, second, third}));

        Start("");
        window_->LoadIslandFile(path, insel::FileKind::Savegame);
        QVERIFY2(messages_.isEmpty(), qPrintable(Messages()));
        auto* grid = Control<QTableWidget>("InselListenGrid");
        QCOMPARE(grid->rowCount(), 3);
        QCOMPARE(grid->item(1, 0)->text() + grid->item(1, 1)->text(), QString::fromUtf8("Zwölf96"));

        Control<QTabWidget>("PageControl1")->setCurrentWidget(Child("TabSheet2"));
        QVERIFY(Text(*window_, "xSizePanel") != QString("96"));
        ClickCell(grid, 1, 0);
        QCOMPARE(Text(*window_, "xSizePanel"), QString("96"));
        QCOMPARE(window_->editor().view.part_index, -1);
        ClickCell(grid, 2, 3);
        QCOMPARE(Text(*window_, "xSizePanel"), QString("32"));
    }

    // A save writes an island that loads and tells of it in the log. The overwrite question
    // is asked about the file really written (always *.scp); "no" keeps it, and without the
    // warning the file is replaced unasked.
    void SaveWritesAnIslandAndAsksBeforeOverwriting() {
        Start(kSample);
        QTemporaryDir dir;
        QString proposed;
        QString target = "saved";
        window_->choose_save_file = [&](const QString& filter, const QString& name) {
            proposed = name;
            return filter.contains("*.scp") ? dir.filePath(target) : QString();
        };
        QStringList questions;
        window_->confirm_overwrite = [&](const QString& question) {
            questions << question;
            return false;
        };
        Click("SaveInselButton");
        QCOMPARE(proposed, QString("sample_island.scp"));
        QVERIFY2(messages_.isEmpty() && questions.isEmpty(), qPrintable(Messages()));
        const QString saved = dir.filePath("saved.scp");
        const QString log = Control<QPlainTextEdit>("Memo2")->toPlainText();
        QVERIFY2(log.contains("Writing " + saved), qPrintable(log));
        QVERIFY(window_->LoadIslandFile(saved.toStdString(), insel::FileKind::Island));
        QCOMPARE(Text(*window_, "xSizePanel") + "," + Text(*window_, "MinenBergePanel"),
                 QString("128,4"));

        const QString written = dir.filePath("x.scp");
        QVERIFY(WriteAll(written, "keep me"));
        target = "x.txt";
        QVERIFY(Control<QCheckBox>("WarnCheck")->isChecked());
        Click("SaveInselButton");
        QCOMPARE(questions.size(), 1);
        QVERIFY2(questions[0].contains("Overwrite?") && questions[0].contains("x.scp"),
                 qPrintable(questions[0]));
        QCOMPARE(ReadAll(written), QByteArray("keep me"));
        QVERIFY(!QFile::exists(dir.filePath("x.txt")));
        Click("WarnCheck");
        Click("SaveInselButton");
        QCOMPARE(questions.size(), 1);
        QVERIFY(ReadAll(written).startsWith("KELM"));
        QVERIFY2(messages_.isEmpty(), qPrintable(Messages()));
    }

    // A write that fails says why in the error box and leaves no file behind.
    void WriteErrorShowsTheBox_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("names");
        QTest::newRow("no folder") << 128 << "SaveInselButton"
                                   << "/nonexistent-folder/sub/x.scp"
                                   << "x.scp";
        QTest::newRow("dummy too wide") << 320 << "DummyButton"
                                        << "dummy.scp"
                                        << "256";
        // Refused before the overwrite question, and the file stays as it was.
        QTest::newRow("read-only file") << 128 << "SaveInselButton"
                                        << "locked.scp"
                                        << "locked.scp";
    }
    void WriteErrorShowsTheBox() {
        QFETCH(int, width);
        QFETCH(QString, button);
        QFETCH(QString, target);
        QFETCH(QString, names);
        namespace fx = insel::fixture;
        QTemporaryDir dir;
        fx::IslandSpec island;
        island.width = width;
        const std::filesystem::path path = dir.filePath("island.scp").toStdString();
        WriteBytes(path, fx::IslandFileBytes(island));
        Start(path.string());
        QCOMPARE(Text(*window_, "xSizePanel"), QString::number(width));
        const QString file = target.startsWith('/') ? target : dir.filePath(target);
        window_->choose_save_file = [&](const QString&, const QString&) { return file; };
        const bool locked = file.endsWith("locked.scp");
        if (locked) {
            QVERIFY(WriteAll(file, "keep me"));
            QVERIFY(QFile::setPermissions(file, QFileDevice::ReadOwner));
        }
        int asked = 0;
        window_->confirm_overwrite = [&](const QString&) { return ++asked, true; };
        Click(qPrintable(button));
        QCOMPARE(messages_.size(), 1);
        QVERIFY2(messages_[0].startsWith("error: Fehler beim Schreiben\n") &&
                     messages_[0].contains(names),
                 qPrintable(messages_[0]));
        QCOMPARE(asked, 0);
        QVERIFY(!window_->editor().updating);
        QCOMPARE(ReadAll(file), QByteArray(locked ? "keep me" : ""));
        QCOMPARE(QFile::exists(file), locked);
    }

    // Every panel and count label shows what the core's legend holds.
    void CompareLegend(const insel::Legend& legend) {
        const QColor face = QApplication::palette().color(QPalette::Button);
        for (int i = 0; i < insel::kLegendPanelCount; ++i) {
            const insel::LegendEntry& entry = legend[static_cast<std::size_t>(i)];
            auto* panel = window_->findChild<QLabel*>(QString("LegendPanel%1").arg(i));
            auto* count = window_->findChild<QLabel*>(QString("LegendCount%1").arg(i));
            QVERIFY(panel && count);
            const QColor colour = entry.shown
                                      ? QColor(static_cast<int>(entry.colour & 0xFF),
                                               static_cast<int>((entry.colour >> 8) & 0xFF),
                                               static_cast<int>((entry.colour >> 16) & 0xFF))
                                      : face;
            QCOMPARE(QStringList({panel->text(), count->text(),
                                  panel->palette().color(QPalette::Window).name()}),
                     QStringList({QString::fromStdString(entry.caption),
                                  QString::fromStdString(entry.count), colour.name()}));
        }
    }

    // At the smallest width the window lays out, every legend entry lies within the page, none
    // on another, and each caption contrasts with its panel (4.5:1 is always reachable with
    // black or white).
    void LegendFitsAndCaptionsContrast() {
        Start(kSample);
        window_->resize(window_->minimumSizeHint());
        Control<QTabWidget>("PageControl1")->setCurrentIndex(0);
        QApplication::processEvents();
        QWidget* area = Child("LegendArea");
        QVERIFY(area->width() <= Child("PageControl1")->width());
        auto luminance = [](const QColor& c) {
            auto linear = [](double v) {
                return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
            };
            return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) +
                   0.0722 * linear(c.blueF());
        };
        const insel::Legend legend = FullIslandLegend();
        std::vector<QRect> places;
        for (int i = 0; i < insel::kLegendPanelCount; ++i) {
            const QString n = QString::number(i);
            const QRect place = Child(qPrintable("LegendEntry" + n))->geometry();
            QVERIFY2(area->rect().contains(place), qPrintable(n));
            for (const QRect& other : places) QVERIFY(!other.intersects(place));
            places.push_back(place);
            if (!legend[static_cast<std::size_t>(i)].shown) continue;
            const QPalette colours = window_->findChild<QLabel*>("LegendPanel" + n)->palette();
            const double a = luminance(colours.color(QPalette::Window));
            const double b = luminance(colours.color(QPalette::WindowText));
            QVERIFY2((std::max(a, b) + 0.05) / (std::min(a, b) + 0.05) >= 4.5, qPrintable(n));
        }
    }

    // The legend counts the whole island after a load, the page once one is chosen, nothing
    // on the graphic layer, and the whole island again after "Voll".
    void LegendFollowsPageLayerAndVoll() {
        Start(kSample);
        const insel::Legend whole = FullIslandLegend();
        // Height 40 lies in band 14; the sample island has land at that height.
        QVERIFY(whole[14].shown && !whole[14].count.empty());
        CompareLegend(whole);
        QTest::mouseClick(Child("MiniImage"), Qt::LeftButton, {}, QPoint(100, 5));
        const insel::Legend page =
            insel::ViewLegend(window_->editor().doc.island, window_->editor().view);
        QVERIFY(std::ranges::any_of(page, [&, i = 0](const insel::LegendEntry& e) mutable {
            return e.count != whole[static_cast<std::size_t>(i++)].count;
        }));
        for (const char* control : {"MiniImage", "Zoom2Radio", "RadioButton2", "RadioButton4"}) {
            if (QString(control) != "MiniImage") Click(control);
            const bool graphic = window_->editor().view.layer == insel::DisplayLayer(1);
            CompareLegend(
                graphic ? insel::Legend{}
                        : insel::ViewLegend(window_->editor().doc.island, window_->editor().view));
        }
        Click("RadioButton1");
        Click("FullIslandButton");
        CompareLegend(FullIslandLegend());
    }

    void StatisticsFillTheGridsAndSave() {
        Start(kSample);
        auto shown = [this](const char* name) {
            auto* grid = Control<QTableWidget>(name);
            insel::GridRows rows(1);
            for (int c = 0; c < grid->columnCount(); ++c)
                rows[0].push_back(grid->horizontalHeaderItem(c)->text().toStdString());
            for (int r = 0; r < grid->rowCount(); ++r) {
                rows.emplace_back();
                for (int c = 0; c < grid->columnCount(); ++c)
                    rows.back().push_back(grid->item(r, c) ? grid->item(r, c)->text().toStdString()
                                                           : "<none>");
            }
            return rows;
        };
        Click("DoItButton");
        const insel::IslandMap& island = window_->editor().doc.island;
        QVERIFY(insel::GfxStatisticsRows(island, true).size() > 1);
        QVERIFY(shown("GFXGrid") == insel::GfxStatisticsRows(island, true));
        QVERIFY(shown("GelaendeGrid") == insel::TerrainStatisticsRows(island, true));

        QTemporaryDir dir;
        QString proposed;
        window_->choose_save_file = [&](const QString&, const QString& name) {
            proposed = name;
            return dir.filePath(name);
        };
        Click("SaveGFXStatButton");
        QCOMPARE(proposed, QString("GFX.txt"));
        std::string expected;
        for (const std::string& line : insel::StatisticsFileLines(
                 insel::GfxStatisticsRows(island, true), insel::StatisticsGrid::Gfx))
            expected += line + "\r\n";
        QCOMPARE(ReadAll(dir.filePath("GFX.txt")), QByteArray::fromStdString(expected));

        // Without the series rule each graphic value has its own row.
        Control<QCheckBox>("OhneLowCheck")->setChecked(false);
        Click("DoItButton");
        QVERIFY(shown("GFXGrid") == insel::GfxStatisticsRows(island, false));
        QVERIFY2(messages_.isEmpty(), qPrintable(Messages()));
    }

    // The picture mode writes the window, with or without a display; a file that does not load
    // fails the run, says why and leaves no picture. Without any display what needs none
    // works, a window start says why it cannot, and missing definition files are named.
    void ExecutableRuns_data() {
        QTest::addColumn<QStringList>("arguments");  // "out" stands for the picture
        QTest::addColumn<bool>("no_display");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("said");
        const QString sample = QString::fromStdString(kSample);
        const QStringList shot{"--screenshot", "out"};
        QTest::newRow("picture") << shot + QStringList{sample} << false << 0 << QString();
        QTest::newRow("picture without display")
            << shot + QStringList{sample} << true << 0 << QString();
        QTest::newRow("picture of missing") << shot + QStringList{"fehlt.scp"} << false << 1
                                            << "fehlt.scp was not loaded: cannot open";
        QTest::newRow("picture of no island") << shot + QStringList{"notes.txt"} << false << 1
                                              << "notes.txt was not loaded: the editor opens";
        QTest::newRow("dump") << QStringList{"--dump-widgets"} << true << 0
                              << QString("FlickerFreePaintBox2 insel::gui::MapCanvas");
        // The check answers with its status alone.
        QTest::newRow("check") << QStringList{"--check-display"} << true << 1 << QString();
        QTest::newRow("window") << QStringList{sample} << true << 1
                                << QString("no display can be reached");
        QTest::newRow("no definitions")
            << QStringList{"--program-folder", "/nonexistent-folder", "--dump-widgets"} << true << 1
            << QString(insel::kMissingDefinitionsMessage);
    }
    void ExecutableRuns() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, no_display);
        QFETCH(int, status);
        QFETCH(QString, said);
        QTemporaryDir dir;
        QVERIFY(WriteAll(dir.filePath("notes.txt"), "no island"));
        const QString out = dir.filePath("win.png");
        for (QString& argument : arguments) {
            if (argument == "out")
                argument = out;
            else if (argument.endsWith(".scp") || argument.endsWith(".txt"))
                argument = QDir(dir.path()).absoluteFilePath(argument);
        }
        for (const char* display : {"", ":197"}) {
            const EditorRun run = RunEditorProcess(arguments, no_display, display);
            QCOMPARE(run.status, status);
            QVERIFY2(said.isEmpty() ? run.said.isEmpty() || arguments[0] == "--screenshot"
                                    : run.said.contains(said),
                     qPrintable(run.said));
            if (status != 0) {
                QVERIFY2(!run.said.contains(" QLabel"), "widgets listed anyway");
                if (arguments[0] == "--screenshot")
                    QVERIFY2(run.said.contains("error: "), qPrintable(run.said));
            }
            const QImage picture(out);
            QCOMPARE(picture.width() >= 1024 && picture.height() >= 512,
                     arguments.contains(out) && status == 0);
            if (!no_display) break;
        }
    }

    // Exceptions of every kind end in the error box and leave the window usable.
    void HandlerFailuresLeaveTheWindowUsable() {
        const QString says[] = {"Nicht genug Speicher", "x.scp", "Unerwarteter Fehler"};
        for (int kind = 0; kind < 3; ++kind) {
            Start(kSample);
            auto fail = [this, kind] {
                // As a handler does that fails halfway through changing controls.
                window_->editor().updating = true;
                if (kind == 0) throw std::bad_alloc();
                if (kind == 1)
                    throw std::filesystem::filesystem_error(
                        "cannot read", "x.scp", std::make_error_code(std::errc::io_error));
                throw 42;
            };
            window_->RunHandler([&] { return fail(), true; });
            QVERIFY(!window_->RunLong(fail));
            QCOMPARE(messages_.size(), 2);
            for (const QString& message : messages_)
                QVERIFY2(message.startsWith("error: ") && message.contains(says[kind]),
                         qPrintable(message));
            QVERIFY(!window_->editor().updating && !QApplication::overrideCursor());
            bool ran = false;
            window_->RunHandler([&] { return ran = true; });
            QVERIFY(ran && window_->RunLong([] {}));
            Click("FullIslandButton");
            QCOMPARE(window_->editor().view.part_index, -1);
            Finish();
        }
    }

    // At 1000 x 650 every box keeps its room: none on another, none squeezed below what its
    // captions need, all inside the window; the canvas scrolls instead.
    void SmallWindowKeepsEveryControlWhole() {
        Start(kSample);
        window_->resize(1000, 650);
        QApplication::processEvents();
        QCOMPARE(window_->size(), QSize(1000, 650));
        QVERIFY(window_->minimumSizeHint().boundedTo(QSize(1000, 650)) ==
                window_->minimumSizeHint());
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
        QVERIFY(Control<QScrollArea>("CanvasArea")->horizontalScrollBar()->maximum() > 0);
    }

    // Every page is a click away, and Ctrl+PgDn / Ctrl+PgUp step through the pages.
    void EveryPageIsReachable() {
        Start(kSample);
        auto* pages = qobject_cast<QTabWidget*>(Child("PageControl1"));
        QWidget* chooser = Child("PageChooser");
        for (int i = 0; i < pages->count(); ++i) {
            auto* button =
                window_->findChild<QAbstractButton*>("PageButton" + pages->widget(i)->objectName());
            QVERIFY(button && chooser->rect().contains(button->geometry()));
            QCOMPARE(button->text(), pages->tabText(i));
            QCOMPARE(button->isVisible(), pages->isTabVisible(i));
            if (!pages->isTabEnabled(i)) continue;
            button->click();
            QVERIFY(pages->currentIndex() == i && button->isChecked());
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
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
