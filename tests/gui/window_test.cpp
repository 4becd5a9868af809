// Drives the real main window offscreen: start-up, the overview and navigation, mouse
// tracking, the exit question, and the executable's start-up modes.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <memory>

#include "app/definitions.h"
#include "app/main_window.h"

using insel::gui::TInselZeichner;

namespace {

const std::filesystem::path kBin = INSEL_BIN_DIR;
const std::string kSample = (kBin / "samples" / "sample_island.scp").string();

QString Text(QWidget& window, const char* name) {
    if (auto* label = window.findChild<QLabel*>(name)) return label->text();
    if (auto* edit = window.findChild<QLineEdit*>(name)) return edit->text();
    return "<no control " + QString(name) + ">";
}

void MoveMouse(QWidget* widget, QPoint at) {
    QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(widget->mapToGlobal(at)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TInselZeichner> window_;
    QStringList messages_;

    // A window as the program starts it, with `file` on the command line.
    void Start(const std::string& file) {
        window_ = std::make_unique<TInselZeichner>(kBin, insel::LoadDefinitionFiles(kBin), "");
        window_->show_message = [this](const QString& text, bool error) {
            messages_ << (error ? "error: " : "message: ") + text;
        };
        window_->SetCommandLineFile(file);
        window_->show();
    }
    QWidget* Child(const char* name) {
        QWidget* w = window_->findChild<QWidget*>(name);
        if (!w) qFatal("no control %s", name);
        return w;
    }

private slots:
    void init() { messages_.clear(); }
    void cleanup() {
        if (window_) window_->confirm_exit = [] { return true; };
        window_.reset();
    }

    void StartShowsTheCommandLineIsland() {
        Start(kSample);
        QVERIFY(window_->editor().island_shown);
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
        QVERIFY(!window_->editor().island_shown);
        QVERIFY(messages_.isEmpty());
        QCOMPARE(Text(*window_, "xSizePanel"), QString());
    }

    void LoadErrorGoesToTheErrorBox() {
        Start("");
        window_->LoadIslandFile(kBin / "samples" / "no_such_island.scp", insel::kIslandFile);
        QCOMPARE(messages_.size(), 1);
        QVERIFY(messages_[0].startsWith("error: "));
        QVERIFY(!window_->editor().updating);
        QVERIFY(!QApplication::overrideCursor());
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
        QCOMPARE(Text(*window_, "Edit1"), QString::number(window_->editor().island.height.get(70, 61)));
        QVERIFY(!Text(*window_, "Edit2").isEmpty());
        QVERIFY(!Text(*window_, "Edit4").isEmpty());

        // Beyond the island's last column nothing changes.
        MoveMouse(Child("FlickerFreePaintBox2"), QPoint(700, 10));
        QCOMPARE(Text(*window_, "MouseXPanel"), QString("70"));
    }

    void LayerRadioRepaints() {
        Start(kSample);
        const QImage heights = Child("FlickerFreePaintBox2")->grab().toImage();
        qobject_cast<QRadioButton*>(Child("RadioButton4"))->click();
        QCOMPARE(window_->editor().display_layer, 3);
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
        QVERIFY(window_->editor().island_shown);

        answer = true;
        QVERIFY(window_->close());
        QCOMPARE(asked, 2);
        QVERIFY(!window_->isVisible());
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

    void DumpWidgetsListsTheControls() {
        QProcess process;
        process.start(INSELEDITOR, {"--program-folder", QString::fromStdString(kBin.string()), "--dump-widgets"});
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 0);
        const QStringList lines = QString::fromUtf8(process.readAllStandardOutput()).split('\n');
        for (const char* line : {"FlickerFreePaintBox2 insel::gui::MapCanvas", "MiniImage insel::gui::OverviewImage",
                                 "PartFrame QFrame", "FullIslandButton QPushButton", "Zoom1Radio QRadioButton",
                                 "xOfsetSpinDown QToolButton", "UntergrundCheck QCheckBox", "Edit4 QLineEdit",
                                 "WasserPanel QLabel", "Exit1 QAction", "Inselladen1 QAction"}) {
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
    }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
