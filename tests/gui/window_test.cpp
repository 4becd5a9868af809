// Drives the real main window offscreen: start-up, loads and saves, the overview and
// navigation, mouse tracking, the legend, the layout, and the executable's start-up modes.
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cmath>
#include <new>

#include "core/display/legend.h"
#include "core/display/renderer.h"
#include "core/island/writer.h"
#include "core/reports/statistics.h"
#include "gui/dialogs/bitmap_form.h"
#include "gui_support.h"

using insel::gui::TInselZeichner;
using namespace insel::gui::test;

class WindowTest : public QObject, WindowHarness {
    Q_OBJECT

    // The island file a save would write now.
    fx::Bytes Assembled() {
        insel::Editor& editor = window_->editor();
        insel::AssembleIsland(editor.doc, editor.save, editor.output, editor.status.memo2);
        const auto bytes = editor.output.data();
        return {bytes.begin(), bytes.end()};
    }
    insel::Legend FullIslandLegend() {
        return insel::FullIslandLegend(window_->editor().doc.island, window_->editor().view.layer);
    }
    // Every panel and count label shows what the core's legend holds.
    void CompareLegend(const insel::Legend& legend) {
        const QColor face = QApplication::palette().color(QPalette::Button);
        for (int i = 0; i < insel::kLegendPanelCount; ++i) {
            const insel::LegendEntry& entry = legend[static_cast<std::size_t>(i)];
            auto* panel = Find<QLabel>(*window_, QString("LegendPanel%1").arg(i));
            const QColor colour = entry.shown
                                      ? QColor(static_cast<int>(entry.colour & 0xFF),
                                               static_cast<int>((entry.colour >> 8) & 0xFF),
                                               static_cast<int>((entry.colour >> 16) & 0xFF))
                                      : face;
            QCOMPARE(QStringList({panel->text(), Text(*window_, QString("LegendCount%1").arg(i)),
                                  panel->palette().color(QPalette::Window).name()}),
                     QStringList({QString::fromStdString(entry.caption),
                                  QString::fromStdString(entry.count), colour.name()}));
        }
    }

  private slots:
    void cleanup() { Finish(); }

    // The command-line island is shown on the canvas. A damaged file, or one that is not
    // there, leaves it shown as it was (name, picture, what a save would write); the error
    // names the file and the window is not left busy. A savegame on the command line is
    // passed over without a word.
    void LoadsShowTheIslandAndFailuresKeepIt() {
        Start(kSample);
        QCOMPARE(Text(*window_, "xSizePanel") + Text(*window_, "IslandNamePanel"),
                 QString("128sample_island.scp"));
        QVERIFY(messages_.isEmpty());
        QWidget* canvas = Child("FlickerFreePaintBox2");
        QCOMPARE(canvas->size(), QSize(1024, 512));
        const QImage shot = Canvas().convertToFormat(QImage::Format_RGB32);
        int coloured = 0;
        for (int y = 2; y < 512; y += 16) {
            for (int x = 2; x < 512; x += 16) {
                coloured += shot.pixel(x, y) != qRgb(255, 255, 255);
                QCOMPARE(shot.pixel(x, y) | 0xFF000000u, window_->raster().at(x, y) | 0xFF000000u);
            }
        }
        QVERIFY2(coloured > 32 * 32 / 2, qPrintable(QString::number(coloured)));

        fx::TempDir dir;
        const fx::Bytes sample = fx::ReadFileBytes(kSample);
        fx::WriteFileBytes(dir / "broken.scp",
                           fx::Bytes(sample.begin(), sample.begin() + sample.size() / 2));
        Click("Zoom2Radio");
        QTest::mouseClick(Child("PartPanel"), Qt::LeftButton, {}, QPoint(40, 40));
        const QImage shown = window_->grab().toImage();
        const fx::Bytes saved = Assembled();
        for (const auto& [name, says] : {std::pair{"broken.scp", "the file ends before it"},
                                         std::pair{"none.scp", "cannot open"}}) {
            messages_.clear();
            QVERIFY(!window_->LoadIslandFile(dir / name, insel::FileKind::Island));
            QCOMPARE(messages_.size(), 1);
            QVERIFY2(messages_[0].startsWith("error: ") && messages_[0].contains(says),
                     qPrintable(messages_[0]));
            QVERIFY(!window_->editor().updating && !QApplication::overrideCursor());
            QCOMPARE(Text(*window_, "IslandNamePanel"), QString("sample_island.scp"));
            QVERIFY(window_->grab().toImage() == shown && Assembled() == saved);
        }
        Finish();

        fx::IslandSpec island;
        island.number = 1;
        fx::WriteFileBytes(dir / "game.sav", fx::SavegameBytes({island}));
        Start((dir / "game.sav").string());
        QVERIFY(!window_->editor().view.island_shown && messages_.isEmpty());
        QCOMPARE(Text(*window_, "xSizePanel"), QString());
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
        auto offset = [this] {
            return QPoint(Text(*window_, "xOfsetPanel").toInt(),
                          Text(*window_, "yOfsetPanel").toInt());
        };
        const QPoint start = offset();
        Click("xOfsetSpinUp");
        QCOMPARE(offset(), start + QPoint(1, 0));
        Click("xOfsetSpinDown");
        Click("yOfsetSpinDown");
        QCOMPARE(offset(), start + QPoint(0, 1));

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

    // The pen width draws every outline; the sample's animals stand on the island. The mouse
    // fills the readouts, a click the click panels, and a load empties them all.
    void PenWidthAnimalsAndMouseReadouts() {
        Start(kSample);
        const insel::Raster& raster = window_->raster();
        const std::uint32_t pen = insel::ToPixel(0x123456);  // no cell of the sample has it
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

        QWidget* canvas = Child("FlickerFreePaintBox2");
        auto panels = [this](QStringList names) {
            for (QString& name : names) name = Text(*window_, name);
            return names;
        };
        const QStringList readouts = {"MouseXPanel", "MouseYPanel", "MouseHXPanel",
                                      "Edit1",       "PixXPanel",   "xPanel"};
        MoveMouse(canvas, QPoint(4 * 70 + 1, 4 * 61 + 3));
        const QString height = QString::number(window_->editor().doc.island.height.get(70, 61));
        const QStringList at_70 = {"70", "61", "46", height, QString::number(4 * 70 + 1), ""};
        QCOMPARE(panels(readouts), at_70);
        // Beyond the island's last column nothing changes.
        MoveMouse(canvas, QPoint(700, 10));
        QCOMPARE(panels(readouts), at_70);
        QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(4 * 20 + 1, 9));
        QCOMPARE(Text(*window_, "xPanel"), QString("20"));
        window_->LoadIslandFile(kSample, insel::FileKind::Island);
        QCOMPARE(panels(readouts + QStringList{"Edit2", "Edit3", "Edit4", "yPanel"}),
                 QStringList(10, QString()));
        // A click right after the load acts on the cell under the mouse, not on an old one.
        QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(4 * 30 + 1, 9));
        QCOMPARE(Text(*window_, "xPanel"), QString("30"));
        QVERIFY2(messages_.isEmpty(), qPrintable(Messages()));
    }

    // Exit asks, and "no" keeps the window.
    void ExitAsksAndNoKeepsTheWindow() {
        Start(kSample);
        int asked = 0;
        bool answer = false;
        window_->confirm_exit = [&] { return ++asked, answer; };
        Find<QAction>(*window_, "Exit1")->trigger();
        QVERIFY(asked == 1 && window_->isVisible() && window_->editor().view.island_shown);
        answer = true;
        QVERIFY(window_->close());
        QVERIFY(asked == 2 && !window_->isVisible());
    }

    // Interface lines name the controls of both windows; empty, blank or missing lines keep
    // the built-in captions instead of blanking them.
    void InterfaceLinesNameTheControls() {
        Start("", [](insel::Definitions& d) {
            d.main_strings.resize(284);  // lines 284.. are missing
            d.main_strings.at(2) = "";   // window title
            d.main_strings.at(4) = " ";  // menu action
            d.main_strings.at(75) = "";  // tab page
            d.main_strings.at(79) = "Leere Insel";
            d.main_strings.at(280) = "Vorladen";
            d.main_strings.at(281) = "";
            d.main_strings.at(283) = "Speicher holen";
        });
        Find<QAction>(*window_, "GFXBitmapssetzen1")->trigger();
        insel::gui::TBitmapForm& form = window_->BitmapForm();
        const QStringList shown{window_->windowTitle(),
                                Find<QAction>(*window_, "Inselladen1")->text(),
                                Control<QTabWidget>("PageControl1")->tabText(3),
                                Text(*window_, "DummyButton"),
                                form.windowTitle(),
                                Text(form, "LoadBitmapButton"),
                                Text(form, "GetPreloadMemButton"),
                                Text(form, "Label5")};
        QCOMPARE(shown, (QStringList{"Inseleditor", "KelmGame Inselfile *.scp laden", "Speichern",
                                     "Leere Insel", "Vorladen", "Load Bitmap file Seriesxx",
                                     "Speicher holen", "Attempted:"}));
    }

    void IslandListClickDecodesThatIsland() {
        fx::IslandSpec first, second, third;
        first.number = 1;
        second.width = second.height = 96;
        second.world_first = 200;
        second.name = "Zw\xF6lf";  // Windows-1252 umlaut
        second.number = 2;
        third.width = third.height = 32;
        third.number = 3;
        fx::TempDir dir;
        fx::WriteFileBytes(dir / "game.sav", fx::SavegameBytes({first, second, third}));

        Start("");
        window_->LoadIslandFile(dir / "game.sav", insel::FileKind::Savegame);
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
        QVERIFY(ReadAll(written) == "keep me" && !QFile::exists(dir.filePath("x.txt")));
        Click("WarnCheck");
        Click("SaveInselButton");
        QCOMPARE(questions.size(), 1);
        QVERIFY(ReadAll(written).startsWith("KELM"));
        QVERIFY2(messages_.isEmpty(), qPrintable(Messages()));
    }

    // A write that fails says why in the error box and leaves no file behind; a read-only
    // file is refused before the overwrite question and stays as it was.
    void WriteErrorShowsTheBox_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("names");
        auto row = [](const char* name, int width, const char* button, const char* target,
                      const char* names) {
            QTest::newRow(name) << width << QString(button) << QString(target) << QString(names);
        };
        row("no folder", 128, "SaveInselButton", "/nonexistent-folder/sub/x.scp", "x.scp");
        row("dummy too wide", 320, "DummyButton", "dummy.scp", "256");
        row("read-only file", 128, "SaveInselButton", "locked.scp", "locked.scp");
    }
    void WriteErrorShowsTheBox() {
        QFETCH(int, width);
        QFETCH(QString, button);
        QFETCH(QString, target);
        QFETCH(QString, names);
        QTemporaryDir dir;
        fx::IslandSpec island;
        island.width = width;
        const std::filesystem::path path = dir.filePath("island.scp").toStdString();
        fx::WriteFileBytes(path, fx::IslandFileBytes(island));
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
        QVERIFY(asked == 0 && !window_->editor().updating);
        QCOMPARE(ReadAll(file), QByteArray(locked ? "keep me" : ""));
        QCOMPARE(QFile::exists(file), locked);
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

    // The window lays out within 1000 x 650. At its smallest size every box keeps its room
    // (none on another, none squeezing its captions, all inside the window), the canvas
    // scrolls instead, every legend entry lies within the page, none on another, and each
    // caption contrasts with its panel (4.5:1 is always reachable with black or white).
    void SmallestWindowKeepsEveryControlWhole() {
        Start(kSample);
        window_->resize(1000, 650);
        QApplication::processEvents();
        QCOMPARE(window_->size(), QSize(1000, 650));
        QVERIFY(window_->minimumSizeHint().boundedTo(QSize(1000, 650)) ==
                window_->minimumSizeHint());
        window_->resize(window_->minimumSizeHint());
        Control<QTabWidget>("PageControl1")->setCurrentIndex(0);
        QApplication::processEvents();
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
            for (QLabel* label : box->findChildren<QLabel*>()) {
                QVERIFY2(!label->isVisible() || label->width() >= label->minimumSizeHint().width(),
                         qPrintable(label->objectName() + " " + label->text()));
            }
        }
        QVERIFY(Control<QScrollArea>("CanvasArea")->horizontalScrollBar()->maximum() > 0);

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
            const QPalette colours = Find<QLabel>(*window_, "LegendPanel" + n)->palette();
            const double a = luminance(colours.color(QPalette::Window));
            const double b = luminance(colours.color(QPalette::WindowText));
            QVERIFY2((std::max(a, b) + 0.05) / (std::min(a, b) + 0.05) >= 4.5, qPrintable(n));
        }
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
        auto row = [](const char* name, QStringList arguments, bool no_display, int status,
                      const char* said) {
            QTest::newRow(name) << arguments << no_display << status << QString(said);
        };
        const QString sample = QString::fromStdString(kSample);
        const QStringList shot{"--screenshot", "out"};
        row("picture", shot + QStringList{sample}, false, 0, "");
        row("picture without display", shot + QStringList{sample}, true, 0, "");
        row("picture of missing", shot + QStringList{"fehlt.scp"}, false, 1,
            "fehlt.scp was not loaded: cannot open");
        row("picture of no island", shot + QStringList{"notes.txt"}, false, 1,
            "notes.txt was not loaded: the editor opens");
        row("dump", {"--dump-widgets"}, true, 0, "FlickerFreePaintBox2 insel::gui::MapCanvas");
        row("check", {"--check-display"}, true, 1, "");  // answers with its status alone
        row("window", {sample}, true, 1, "no display can be reached");
        row("no definitions", {"--program-folder", "/nonexistent-folder", "--dump-widgets"}, true,
            1, insel::kMissingDefinitionsMessage);
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
        // Without a display the run must not depend on whether DISPLAY is empty or dead.
        for (const char* display : {"", ":197"}) {
            QProcess process;
            if (no_display) {
                QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
                environment.remove("QT_QPA_PLATFORM");
                environment.remove("WAYLAND_DISPLAY");
                environment.insert("DISPLAY", display);
                process.setProcessEnvironment(environment);
            }
            process.start(INSELEDITOR, arguments);
            QVERIFY(process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit);
            QCOMPARE(process.exitCode(), status);
            const QString run_said =
                QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
            QVERIFY2(said.isEmpty() ? run_said.isEmpty() || arguments[0] == "--screenshot"
                                    : run_said.contains(said),
                     qPrintable(run_said));
            if (status != 0) {
                QVERIFY2(!run_said.contains(" QLabel"), "widgets listed anyway");
                if (arguments[0] == "--screenshot")
                    QVERIFY2(run_said.contains("error: "), qPrintable(run_said));
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

    // Every page is a click away, and Ctrl+PgDn / Ctrl+PgUp step through the pages.
    void EveryPageIsReachable() {
        Start(kSample);
        auto* pages = Control<QTabWidget>("PageControl1");
        QWidget* chooser = Child("PageChooser");
        for (int i = 0; i < pages->count(); ++i) {
            auto* button =
                Find<QAbstractButton>(*window_, "PageButton" + pages->widget(i)->objectName());
            QVERIFY(chooser->rect().contains(button->geometry()));
            QVERIFY(button->text() == pages->tabText(i) &&
                    button->isVisible() == pages->isTabVisible(i));
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
