// Drives the real main window offscreen: start-up, loads and saves, the overview and
// navigation, mouse tracking, the legend, the layout, and the executable's start-up modes.
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QPalette>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabWidget>
#include <cmath>
#include <new>

#include "core/display/legend.h"
#include "core/display/renderer.h"
#include "core/island/writer.h"
#include "core/reports/statistics.h"
#include "gui/dialogs/bitmap_form.h"
#include "gui_support.h"

using namespace insel::gui::test;

class WindowTest : public QObject, WindowHarness {
    Q_OBJECT

    // The island file a save would write now.
    fx::Bytes Assembled() {
        insel::AssembleIsland(Ed().doc, Ed().save, Ed().output, Ed().status.memo2);
        return {Ed().output.data().begin(), Ed().output.data().end()};
    }
    // Every panel and count label shows what the core's legend holds; the page's when a page
    // is shown, nothing on the graphic layer.
    void CompareLegend() {
        const insel::Legend legend = Ed().view.layer == insel::DisplayLayer(1) ? insel::Legend{}
                                     : Ed().view.part_index < 0
                                         ? insel::FullIslandLegend(Ed().doc.island, Ed().view.layer)
                                         : insel::ViewLegend(Ed().doc.island, Ed().view);
        QStringList shown, expected;
        for (int i = 0; i < insel::kLegendPanelCount; ++i) {
            const insel::LegendEntry& entry = legend[static_cast<std::size_t>(i)];
            auto* panel = Find<QLabel>(*window_, QString("LegendPanel%1").arg(i));
            const std::uint32_t c = entry.colour;  // 0xBBGGRR
            const QColor colour = entry.shown ? QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF)
                                              : QApplication::palette().color(QPalette::Button);
            shown << panel->text() << Text(*window_, QString("LegendCount%1").arg(i))
                  << panel->palette().color(QPalette::Window).name();
            expected << QString::fromStdString(entry.caption) << QString::fromStdString(entry.count)
                     << colour.name();
        }
        QCOMPARE(shown, expected);
    }

  private slots:
    void cleanup() { Finish(); }

    // The command-line island is shown on the canvas. A damaged file, or one that is not
    // there, leaves it shown as it was (name, picture, what a save would write); the error
    // names the file and the window is not left busy. A savegame on the command line is
    // passed over without a word.
    void LoadsShowTheIslandAndFailuresKeepIt() {
        Start(kSample);
        QCOMPARE(Panels({"xSizePanel", "IslandNamePanel"}), QString("128,sample_island.scp"));
        const QImage shot = Canvas().convertToFormat(QImage::Format_RGB32);
        int coloured = 0;
        for (int y = 2; y < 512; y += 16)
            for (int x = 2; x < 512; x += 16) {
                coloured += shot.pixel(x, y) != qRgb(255, 255, 255);
                QCOMPARE(shot.pixel(x, y) | 0xFF000000u, window_->raster().at(x, y) | 0xFF000000u);
            }
        QVERIFY2(coloured > 32 * 32 / 2, qPrintable(QString::number(coloured)));

        const fx::Bytes sample = fx::ReadFileBytes(kSample);
        fx::WriteFileBytes(At("broken.scp").toStdString(),
                           std::span(sample).first(sample.size() / 2));
        Click("Zoom2Radio");
        QTest::mouseClick(Child("PartPanel"), Qt::LeftButton, {}, QPoint(40, 40));
        const QImage shown = window_->grab().toImage();
        const fx::Bytes saved = Assembled();
        for (const auto& [name, says] :
             {std::pair{"broken.scp", "the file ends before it"}, {"none.scp", "cannot open"}}) {
            messages_.clear();
            QVERIFY(!window_->LoadIslandFile(At(name).toStdString(), insel::FileKind::Island));
            QVERIFY2(messages_.size() == 1 && messages_[0].startsWith("error: ") &&
                         messages_[0].contains(says),
                     qPrintable(Messages()));
            QVERIFY(!Ed().updating && !QApplication::overrideCursor() &&
                    window_->grab().toImage() == shown && Assembled() == saved);
            QCOMPARE(Text(*window_, "IslandNamePanel"), QString("sample_island.scp"));
        }
        Finish();

        // clang-format off
        fx::WriteFileBytes(At("three.sav").toStdString(), fx::SavegameBytes(
            {{.number = 1}, {.width = 96, .height = 96, .world_first = 200, .number = 2,
                             .name = "Zw\xF6lf"},  // Windows-1252 umlaut
             {.width = 32, .height = 32, .number = 3}}));
        // clang-format on
        Start(At("three.sav").toStdString());
        QVERIFY(!Ed().view.island_shown && messages_.isEmpty());
        QCOMPARE(Text(*window_, "xSizePanel"), QString());

        // Loaded, it lists its islands; a click on one decodes it.
        window_->LoadIslandFile(At("three.sav").toStdString(), insel::FileKind::Savegame);
        auto* grid = Control<QTableWidget>("InselListenGrid");
        QCOMPARE(
            QString::number(grid->rowCount()) + grid->item(1, 0)->text() + grid->item(1, 1)->text(),
            QString::fromUtf8("3Zwölf96"));
        Control<QTabWidget>("PageControl1")->setCurrentWidget(Child("TabSheet2"));
        ClickCell(grid, 1, 0);
        QVERIFY(Text(*window_, "xSizePanel") == "96" && Ed().view.part_index == -1);
        ClickCell(grid, 2, 3);
        QCOMPARE(Text(*window_, "xSizePanel") + Messages(), QString("32"));
    }

    // The overview picks a page, the zoom radios and arrows move it, the layer radios and tile
    // check repaint, and the legend follows; "Voll" goes back to the whole island as it was.
    void OverviewZoomArrowsLayersAndLegend() {
        Start(kSample);
        QWidget* frame = Child("PartFrame");
        const QImage before = Canvas();
        QStringList count_labels;
        for (int i = 0; i < insel::kLegendPanelCount; ++i)
            count_labels << QString("LegendCount%1").arg(i);
        const QString whole = Panels(count_labels);
        CompareLegend();
        QTest::mouseClick(Child("MiniImage"), Qt::LeftButton, {}, QPoint(100, 5));
        QVERIFY(Panels(count_labels) != whole);
        // 128 cells, 64 x 32 cells per page: the page right of the middle, at the top.
        QCOMPARE(Panels({"xOfsetPanel", "yOfsetPanel"}), QString("64,0"));
        QVERIFY(frame->isVisible() && frame->geometry() == QRect(64, 0, 64, 32));
        QVERIFY(Canvas() != before);
        CompareLegend();

        Click("RadioButton12");
        // 42-pixel cells: 24 x 12 cells per page.
        QCOMPARE(QPoint(Ed().view.visible_columns, Ed().view.visible_rows), QPoint(24, 12));
        const QString start = Panels({"xOfsetPanel", "yOfsetPanel"});
        for (const char* arrow : {"xOfsetSpinUp", "yOfsetSpinDown", "xOfsetSpinDown"}) Click(arrow);
        QCOMPARE(
            Panels({"xOfsetPanel", "yOfsetPanel"}),
            start.section(',', 0, 0) + "," + QString::number(start.section(',', 1).toInt() + 1));
        CompareLegend();

        Click("RadioButton2");
        const QImage plain = Canvas();
        CompareLegend();
        Click("UntergrundCheck");
        const QImage tiles = Canvas();
        Click("UntergrundCheck");
        QVERIFY(tiles != plain && Canvas() == plain);
        Click("RadioButton4");
        QVERIFY(Ed().view.layer == insel::DisplayLayer(3) && Canvas() != plain);
        CompareLegend();

        for (const char* button : {"RadioButton1", "Zoom1Radio", "FullIslandButton"}) Click(button);
        QVERIFY(Ed().view.part_index == -1 && !frame->isVisible());
        QCOMPARE(Canvas(), before);
        CompareLegend();
    }

    // The pen width draws every outline; the sample's animals stand on the island. The mouse
    // fills the readouts, a click the click panels, and a load empties them all.
    void PenWidthReadoutsAndSave() {
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
        QVERIFY(window_->settings().pen_width == 1 && animal_pixels() < thin);

        QWidget* canvas = Child("FlickerFreePaintBox2");
        const QStringList readouts = {"MouseXPanel", "MouseYPanel", "MouseHXPanel",
                                      "Edit1",       "PixXPanel",   "xPanel"};
        MoveMouse(canvas, QPoint(4 * 70 + 1, 4 * 61 + 3));
        const QString at_70 = "70,61,46," + QString::number(Ed().doc.island.height.get(70, 61)) +
                              "," + QString::number(4 * 70 + 1) + ",";
        QCOMPARE(Panels(readouts), at_70);
        MoveMouse(canvas, QPoint(700, 10));  // beyond the island's last column
        QCOMPARE(Panels(readouts), at_70);
        QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(4 * 20 + 1, 9));
        QCOMPARE(Text(*window_, "xPanel"), QString("20"));
        window_->LoadIslandFile(kSample, insel::FileKind::Island);
        QCOMPARE(Panels(readouts + QStringList{"Edit2", "Edit3", "Edit4", "yPanel"}),
                 QString(9, ','));
        // A click right after the load acts on the cell under the mouse, not on an old one.
        QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(4 * 30 + 1, 9));
        QCOMPARE(Text(*window_, "xPanel") + Messages(), QString("30"));

        // A save writes an island that loads and tells of it in the log. The overwrite question
        // is asked about the file really written (always *.scp); "no" keeps it, and without the
        // warning the file is replaced unasked.
        SaveAs("saved");
        QStringList questions;
        window_->confirm_overwrite = [&](const QString& question) {
            return questions << question, false;
        };
        Click("SaveInselButton");
        QCOMPARE(proposed_, QString("sample_island.scp"));
        QVERIFY2(messages_.isEmpty() && questions.isEmpty(), qPrintable(Messages()));
        const QString log = Control<QPlainTextEdit>("Memo2")->toPlainText();
        QVERIFY2(log.contains("Writing " + At("saved.scp")), qPrintable(log));
        QVERIFY(window_->LoadIslandFile(At("saved.scp").toStdString(), insel::FileKind::Island));
        QCOMPARE(Panels({"xSizePanel", "MinenBergePanel"}), QString("128,4"));

        QVERIFY(WriteAll(At("x.scp"), "keep me"));
        SaveAs("x.txt");
        Click("SaveInselButton");
        QVERIFY2(questions.size() == 1 && questions[0].contains("Overwrite?") &&
                     questions[0].contains("x.scp"),
                 qPrintable(questions.join('\n')));
        QVERIFY(ReadAll(At("x.scp")) == "keep me" && !QFile::exists(At("x.txt")));
        Click("WarnCheck");
        Click("SaveInselButton");
        QVERIFY2(
            questions.size() == 1 && ReadAll(At("x.scp")).startsWith("KELM") && messages_.isEmpty(),
            qPrintable(Messages()));
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
        });
        Find<QAction>(*window_, "GFXBitmapssetzen1")->trigger();
        insel::gui::TBitmapForm& form = window_->BitmapForm();
        QCOMPARE(
            QStringList({window_->windowTitle(), Find<QAction>(*window_, "Inselladen1")->text(),
                         Control<QTabWidget>("PageControl1")->tabText(3),
                         Text(*window_, "DummyButton"), form.windowTitle(), Text(form, "Label5")}),
            (QStringList{"Inseleditor", "KelmGame Inselfile *.scp laden", "Speichern",
                         "Leere Insel", "Vorladen", "Attempted:"}));
    }

    // A write that fails says why in the error box and leaves no file behind; a read-only
    // file is refused before the overwrite question and stays as it was.
    void WriteErrorShowsTheBox() {
        const std::tuple<int, const char*, QString, const char*> cases[] = {
            {128, "SaveInselButton", "/nonexistent-folder/sub/x.scp", "x.scp"},
            {320, "DummyButton", At("dummy.scp"), "256"},
            {128, "SaveInselButton", At("locked.scp"), "locked.scp"}};
        for (const auto& [width, button, file, names] : cases) {
            fx::WriteFileBytes(At("island.scp").toStdString(),
                               fx::IslandFileBytes({.width = width}));
            Start(At("island.scp").toStdString());
            QCOMPARE(Text(*window_, "xSizePanel"), QString::number(width));
            window_->choose_save_file = [&](const QString&, const QString&) { return file; };
            const bool locked = file.endsWith("locked.scp");
            if (locked)
                QVERIFY(WriteAll(file, "keep me") &&
                        QFile::setPermissions(file, QFileDevice::ReadOwner));
            int asked = 0;
            window_->confirm_overwrite = [&](const QString&) { return ++asked, true; };
            Click(button);
            QVERIFY2(messages_.size() == 1 &&
                         messages_[0].startsWith("error: Fehler beim Schreiben\n") &&
                         messages_[0].contains(names),
                     qPrintable(Messages()));
            QVERIFY(asked == 0 && !Ed().updating);
            QCOMPARE(std::pair(ReadAll(file), QFile::exists(file)),
                     std::pair(QByteArray(locked ? "keep me" : ""), locked));
            Finish();
        }
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
            for (QLabel* label : box->findChildren<QLabel*>())
                QVERIFY2(!label->isVisible() || label->width() >= label->minimumSizeHint().width(),
                         qPrintable(label->objectName() + " " + label->text()));
        }
        QVERIFY(Control<QScrollArea>("CanvasArea")->horizontalScrollBar()->maximum() > 0);

        auto luminance = [](const QColor& c) {
            auto linear = [](double v) {
                return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
            };
            return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) +
                   0.0722 * linear(c.blueF());
        };
        QWidget* area = Child("LegendArea");
        QVERIFY(area->width() <= Child("PageControl1")->width());
        const insel::Legend legend = insel::FullIslandLegend(Ed().doc.island, Ed().view.layer);
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

    // The grids show the core's statistics, with and without the series rule, and the save
    // writes them.
    void StatisticsAndPages() {
        Start(kSample);
        auto shown = [this](const char* name) {
            auto* grid = Control<QTableWidget>(name);
            insel::GridRows rows(grid->rowCount() + 1);
            for (int c = 0; c < grid->columnCount(); ++c) {
                rows[0].push_back(grid->horizontalHeaderItem(c)->text().toStdString());
                for (int r = 0; r < grid->rowCount(); ++r)
                    rows[r + 1].push_back(grid->item(r, c) ? grid->item(r, c)->text().toStdString()
                                                           : "<none>");
            }
            return rows;
        };
        Click("DoItButton");
        const insel::IslandMap& island = Ed().doc.island;
        const insel::GridRows gfx = insel::GfxStatisticsRows(island, true);
        QVERIFY(gfx.size() > 1 && shown("GFXGrid") == gfx);
        QVERIFY(shown("GelaendeGrid") == insel::TerrainStatisticsRows(island, true));
        SaveAs("*");
        Click("SaveGFXStatButton");
        std::string expected;
        for (const std::string& line : insel::StatisticsFileLines(gfx, insel::StatisticsGrid::Gfx))
            expected += line + "\r\n";
        QCOMPARE(ReadAll(At("GFX.txt")), QByteArray::fromStdString(expected));
        Control<QCheckBox>("OhneLowCheck")->setChecked(false);
        Click("DoItButton");
        QVERIFY2(shown("GFXGrid") == insel::GfxStatisticsRows(island, false) && messages_.isEmpty(),
                 qPrintable(Messages()));

        // Every page is a click away, and Ctrl+PgDn / Ctrl+PgUp step through the pages.
        auto* pages = Control<QTabWidget>("PageControl1");
        QWidget* chooser = Child("PageChooser");
        for (int i = 0; i < pages->count(); ++i) {
            auto* button =
                Find<QAbstractButton>(*window_, "PageButton" + pages->widget(i)->objectName());
            QVERIFY(chooser->rect().contains(button->geometry()) &&
                    button->text() == pages->tabText(i) &&
                    button->isVisible() == pages->isTabVisible(i));
            if (!pages->isTabEnabled(i)) continue;
            button->click();
            QVERIFY(pages->currentIndex() == i && button->isChecked());
        }
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        pages->setCurrentIndex(0);
        auto key = [&](Qt::Key key) { QTest::keyClick(window_.get(), key, Qt::ControlModifier); };
        key(Qt::Key_PageDown);
        QCOMPARE(pages->currentIndex(), 1);
        key(Qt::Key_PageUp);
        key(Qt::Key_PageUp);
        // Round the end; the island list is disabled for an island file and passed over.
        QCOMPARE(pages->currentIndex(), pages->count() - 1);
        pages->setCurrentIndex(11);
        key(Qt::Key_PageDown);
        QCOMPARE(pages->currentWidget()->objectName(), QString("SettingsSheet"));
    }

    // The picture mode writes the window, with or without a display; a file that does not load
    // fails the run, says why and leaves no picture. Without any display what needs none
    // works, a window start says why it cannot, and missing definition files are named.
    void ExecutableRuns() {
        const QString missing = insel::kMissingDefinitionsMessage;
        const QString sample = QString::fromStdString(kSample), out = At("win.png");
        QVERIFY(WriteAll(At("notes.txt"), "no island"));
        auto shot_of = [&](const QString& file) { return QStringList{"--screenshot", out, file}; };
        const std::tuple<QStringList, bool, int, QString> cases[] = {
            {shot_of(sample), false, 0, ""},
            {shot_of(sample), true, 0, ""},
            {shot_of(At("fehlt.scp")), false, 1, "fehlt.scp was not loaded: cannot open"},
            {shot_of(At("notes.txt")), false, 1, "notes.txt was not loaded: the editor opens"},
            {{"--dump-widgets"}, true, 0, "FlickerFreePaintBox2 insel::gui::MapCanvas"},
            {{"--check-display"}, true, 1, ""},  // answers with its status alone
            {{sample}, true, 1, "no display can be reached"},
            {{"--program-folder", "/none", "--dump-widgets"}, true, 1, missing},
        };
        QProcessEnvironment bare = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY"}) bare.remove(name);
        for (const auto& [arguments, no_display, status, said] : cases) {
            // Without a display the run must not depend on whether DISPLAY is empty or dead.
            for (const char* display : {"", ":197"}) {
                QFile::remove(out);
                QProcess process;
                bare.insert("DISPLAY", display);
                if (no_display) process.setProcessEnvironment(bare);
                process.start(INSELEDITOR, arguments);
                QVERIFY(process.waitForFinished(60000) &&
                        process.exitStatus() == QProcess::NormalExit);
                const QString run = arguments.join(' ') + ": " + process.readAllStandardOutput() +
                                    process.readAllStandardError();
                QVERIFY2(process.exitCode() == status, qPrintable(run));
                const bool shot = arguments[0] == "--screenshot";
                QVERIFY2(said.isEmpty() ? shot || run.endsWith(": ") : run.contains(said),
                         qPrintable(run));
                QVERIFY2(
                    status == 0 || (!run.contains(" QLabel") && (!shot || run.contains("error: "))),
                    qPrintable(run));
                const QImage picture(out);
                QCOMPARE(picture.width() >= 1024 && picture.height() >= 512, shot && status == 0);
                if (!no_display) break;
            }
        }
    }

    // Exceptions of every kind end in the error box and leave the window usable; exit asks,
    // and "no" keeps the window.
    void FailuresAndExitLeaveTheWindowUsable() {
        Start(kSample);
        const QString says[] = {"Nicht genug Speicher", "x.scp", "Unerwarteter Fehler"};
        for (int kind = 0; kind < 3; ++kind) {
            messages_.clear();
            auto fail = [this, kind] {
                Ed().updating = true;  // as a handler that fails halfway through
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
            QVERIFY(!Ed().updating && !QApplication::overrideCursor());
            bool ran = false;
            window_->RunHandler([&] { return ran = true; });
            QVERIFY(ran && window_->RunLong([] {}));
            Click("Zoom2Radio");
            QTest::mouseClick(Child("PartPanel"), Qt::LeftButton, {}, QPoint(40, 40));
            Click("FullIslandButton");
            QCOMPARE(Ed().view.part_index, -1);
        }
        int asked = 0;
        bool answer = false;
        window_->confirm_exit = [&] { return ++asked, answer; };
        Find<QAction>(*window_, "Exit1")->trigger();
        QVERIFY(asked == 1 && window_->isVisible() && Ed().view.island_shown);
        answer = true;
        QVERIFY(window_->close() && asked == 2 && !window_->isVisible());
    }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
