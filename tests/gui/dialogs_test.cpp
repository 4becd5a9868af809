// Drives the secondary windows offscreen through the real main window: the new-island dialog,
// the preload window with its slots and series ranking, the series image window and the about
// box.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QSysInfo>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "core/app/version.h"
#include "core/display/legend.h"
#include "gui/dialogs/about_box.h"
#include "gui/dialogs/bitmap_form.h"
#include "gui/dialogs/insel_size_box.h"
#include "gui/dialogs/view_form.h"
#include "gui_support.h"
#include "island_fixture.h"

using insel::gui::TBitmapForm;
using insel::gui::TInselSizeBox;
using insel::gui::TInselZeichner;
using namespace insel::gui::test;

namespace {

template <typename T = QWidget>
T* Find(QObject& root, const QString& name) {
    T* child = root.findChild<T*>(name);
    if (!child) qFatal("no control %s", qPrintable(name));
    return child;
}

QString Caption(QObject& root, const QString& name) {
    if (auto* label = root.findChild<QLabel*>(name)) return label->text();
    if (auto* button = root.findChild<QAbstractButton*>(name)) return button->text();
    return "<no control " + name + ">";
}

QStringList MemoLines(TBitmapForm& form) {
    return Find<QPlainTextEdit>(form, "Memo1")->toPlainText().split('\n');
}

void SelectRow(TBitmapForm& form, int row, int series) {
    Find<QComboBox>(form, QString("ComboBox%1").arg(row))->setCurrentIndex(series);
}

QRgb Opaque(QRgb pixel) { return pixel | 0xFF000000u; }

}  // namespace

class DialogsTest : public QObject, WindowHarness {
    Q_OBJECT

    // The window as the program starts it; `line_1` replaces the preload count of MainIStrings.
    void StartWith(const std::string& file, const char* line_1) {
        Start(file, [line_1](insel::Definitions& d) { d.main_strings.at(1) = line_1; });
    }
    TBitmapForm& Form() { return window_->BitmapForm(); }
    void Trigger(const char* action) { Find<QAction>(*window_, action)->trigger(); }

  private slots:
    void cleanup() { Finish(); }

    // -- new island ------------------------------------------------------------------------

    void NewIslandSizeRules_data() {
        QTest::addColumn<QString>("radio");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("edit_after");
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("oversize");
        QTest::addColumn<int>("climate");
        // Radio, what is typed, what the edit then shows, the size made, oversize, climate.
        QTest::newRow("own 100") << "RadioButton7"
                                 << "100"
                                 << "100" << 96 << false << 2;
        QTest::newRow("own 7") << "RadioButton7"
                               << "7"
                               << "7" << 0 << false << 0;
        QTest::newRow("own 2000") << "RadioButton7"
                                  << "2000"
                                  << "400" << 400 << false << 0;
        QTest::newRow("own 1024") << "RadioButton7"
                                  << "1024"
                                  << "1024" << 1024 << true << 5;
        QTest::newRow("own not a number") << "RadioButton7"
                                          << "abc"
                                          << "abc" << 64 << false << 0;
        QTest::newRow("fixed 256") << "RadioButton4"
                                   << "2000"
                                   << "400" << 256 << false << 0;
        QTest::newRow("default 64") << ""
                                    << ""
                                    << "160" << 64 << false << 0;
    }
    void NewIslandSizeRules() {
        QFETCH(QString, radio);
        QFETCH(QString, typed);
        QFETCH(QString, edit_after);
        QFETCH(int, size);
        QFETCH(bool, oversize);
        QFETCH(int, climate);
        Start(kSample);
        const QImage before = Find(*window_, "FlickerFreePaintBox2")->grab().toImage();
        QString edit_text;
        window_->run_size_box = [&](TInselSizeBox& box) {
            box.show();
            if (!radio.isEmpty()) QTest::mouseClick(Find<QRadioButton>(box, radio), Qt::LeftButton);
            if (!typed.isEmpty()) {
                auto* edit = Find<QLineEdit>(box, "Edit1");
                edit->clear();
                QTest::keyClicks(edit, typed);
            }
            edit_text = Find<QLineEdit>(box, "Edit1")->text();
            Find<QComboBox>(box, "ComboBox1")->setCurrentIndex(climate);
            Find<QPushButton>(box, "OKButton")->click();
            return box.result();
        };
        Trigger("NeueInsel");
        const insel::Editor& editor = window_->editor();
        const int per_side = (size - 1) / 32 + 1;
        QCOMPARE(QStringList({edit_text, QString::number(editor.doc.island.record.width),
                              QString::number(editor.doc.island.record.height),
                              QString::number(editor.doc.island.record.climate),
                              QString::number(editor.view.oversize_mode),
                              Caption(*window_, "IslandNamePanel"), Caption(*window_, "xSizePanel"),
                              Caption(*window_, "StufenPanel")}),
                 QStringList({edit_after, QString::number(size), QString::number(size),
                              QString::number(climate), QString::number(oversize), "Neu",
                              QString::number(size), QString::number(per_side * per_side)}));
        QVERIFY(editor.doc.loaded && editor.view.island_shown);
        QVERIFY(Find(*window_, "FlickerFreePaintBox2")->grab().toImage() != before);
        QVERIFY2(messages_.isEmpty(), qPrintable(messages_.join('\n')));
    }

    // Escape keeps the open game; a new island empties the island and city lists and fills
    // the panels and legend with its water.
    void NewIslandReplacesListsPanelsAndLegend() {
        namespace fx = insel::fixture;
        fx::IslandSpec first, second;
        first.number = 1;
        second.width = second.height = 96;
        second.world_first = 200;
        second.number = 2;
        QTemporaryDir dir;
        const std::filesystem::path path = dir.filePath("game.sav").toStdString();
        WriteBytes(path, fx::SavegameBytes({first, second}));
        Start("");
        window_->LoadIslandFile(path, insel::FileKind::Savegame);
        auto* islands = Find<QTableWidget>(*window_, "InselListenGrid");
        QCOMPARE(islands->rowCount(), 2);
        const QString width = Caption(*window_, "xSizePanel");
        const QImage before = Find(*window_, "FlickerFreePaintBox2")->grab().toImage();
        bool escape = true;
        window_->run_size_box = [&](TInselSizeBox& box) {
            box.show();
            if (escape) {
                QTest::keyClick(&box, Qt::Key_Escape);
                return box.result();
            }
            QTest::mouseClick(Find<QRadioButton>(box, "RadioButton5"), Qt::LeftButton);
            Find<QPushButton>(box, "OKButton")->click();
            return box.result();
        };
        Trigger("NeueInsel");
        QCOMPARE(islands->rowCount(), 2);
        QCOMPARE(Caption(*window_, "xSizePanel"), width);
        QCOMPARE(Find(*window_, "FlickerFreePaintBox2")->grab().toImage(), before);

        escape = false;
        Trigger("NeueInsel");
        const int water_panel = insel::LegendPanelOfHeight(0);
        QCOMPARE(QStringList(
                     {QString::number(islands->rowCount()),
                      QString::number(Find<QTableWidget>(*window_, "StadtListenGrid")->rowCount()),
                      Caption(*window_, "ySizePanel"), Caption(*window_, "WasserPanel"),
                      Caption(*window_, QString("LegendCount%1").arg(water_panel))}),
                 QStringList({"0", "0", "32", "100 %", "1024"}));
        QVERIFY2(messages_.isEmpty(), qPrintable(messages_.join('\n')));
    }

    // -- preload window ----------------------------------------------------------------------

    void PreloadAtStartFollowsLineOne_data() {
        QTest::addColumn<QString>("line_1");
        QTest::addColumn<int>("count");
        QTest::newRow("0") << "0" << 0;
        QTest::newRow("not a number") << "viele" << 0;
        QTest::newRow("3") << "3" << 3;
        QTest::newRow("above 16") << "20" << 16;
    }
    void PreloadAtStartFollowsLineOne() {
        QFETCH(QString, line_1);
        QFETCH(int, count);
        const std::string line = line_1.toStdString();
        StartWith("", line.c_str());
        TBitmapForm& form = Form();
        QCOMPARE(Find<QSpinBox>(form, "PreloadSpin")->value(),
                 line_1 == "viele" ? 0 : line_1.toInt());
        QCOMPARE(Find(form, "PreloadButton")->isEnabled(), count > 0);
        QCOMPARE(Find<QCheckBox>(form, "AutoPreloadCheck")->isChecked(), count > 0);
        for (int i = 1; i <= TBitmapForm::kRows; ++i) {
            auto* check = Find<QCheckBox>(form, QString("CheckBox%1").arg(i));
            QVERIFY(check->isEnabled() == (i <= count) && check->isChecked() == (count > 0));
        }
        const QStringList memo = MemoLines(form);
        if (count == 0) {
            QCOMPARE(memo, QStringList{QString()});
            return;
        }
        QCOMPARE(memo.front() + "|" + memo.back(),
                 QString::fromUtf8("Alle Texturenbitmaps gelöscht|") + line_1 +
                     " Texturenbitmaps erzeugt");
        QCOMPARE(memo.filter(QRegularExpression("^TotalUncommitted \\d+$")).size(), 1);
        QCOMPARE(memo.filter("TotalAddrSpace ").size(), count + 1);
    }

    void PreloadLoadsOnceAndReusesFreedSlots() {
        StartWith("", "3");
        TBitmapForm& form = Form();
        Find<QSpinBox>(form, "SpinEdit1")->setValue(3);
        SelectRow(form, 1, 0);  // 0B
        SelectRow(form, 2, 0);  // 0B again
        SelectRow(form, 3, 1);  // 0C
        auto preload_says = [&](const QStringList& lines) {
            Find<QPushButton>(form, "PreloadButton")->click();
            const QStringList memo = MemoLines(form);
            for (const QString& line : lines) QVERIFY2(memo.contains(line), qPrintable(line));
        };
        preload_says({"File Series0BxxFull.bmp  als nr 1", "0  schon in 1",
                      "File Series0CxxFull.bmp  als nr 2"});
        QCOMPARE(MemoLines(form).front(), QString("Loading Textures"));
        SelectRow(form, 1, 2);  // 0D takes the place 0B leaves
        SelectRow(form, 2, 1);  // 0C stays where it is
        SelectRow(form, 3, 3);  // 0E
        preload_says({QString::fromUtf8(" ID 0B  gelöscht"), "ID 0C immer noch da",
                      "File Series0DxxFull.bmp  als nr 1", "1  schon in 2",
                      "File Series0ExxFull.bmp  als nr 3"});
    }

    void IslandTypeButtonSetsTenRowsOnly() {
        Start("");
        TBitmapForm& form = Form();
        Find<QSpinBox>(form, "SpinEdit1")->setValue(12);
        for (int row = 1; row <= 12; ++row) SelectRow(form, row, 7);
        Find<QPushButton>(form, "Button5")->click();  // Polar
        const int polar[10] = {0x1A, 0x61, 0x64, 0x63, 0x5F, 0x17, 0x5D, 0x66, 0x62, 0x67};
        for (int row = 1; row <= 12; ++row) {
            auto* combo = Find<QComboBox>(form, QString("ComboBox%1").arg(row));
            const int series = row <= 10 ? polar[row - 1] : 7 + 11;
            QCOMPARE(combo->currentIndex(), series - 11);
            QVERIFY(combo->currentText().startsWith(
                QString("%1").arg(series, 2, 16, QChar('0')).toUpper()));
        }

        // With fewer rows, only those rows change.
        Find<QSpinBox>(form, "SpinEdit1")->setValue(2);
        Find<QPushButton>(form, "JungleButton")->click();
        QCOMPARE(Find<QComboBox>(form, "ComboBox2")->currentIndex(), 0x52 - 11);
        QCOMPARE(Find<QComboBox>(form, "ComboBox3")->currentIndex(), 0x64 - 11);
    }

    void PanelClickPaintsThatSlot() {
        StartWith("", "3");
        Trigger("GFXBitmapssetzen1");
        TBitmapForm& form = Form();
        QVERIFY(form.isVisible());
        SelectRow(form, 1, 3);  // 0E
        SelectRow(form, 2, 4);  // 0F
        Find<QPushButton>(form, "PreloadButton")->click();
        QWidget* box = Find(form, "FlickerFreePaintBox2");
        QCOMPARE(box->size(), QSize(512, 512));

        QTest::mouseClick(Find(form, "Panel18"), Qt::LeftButton);
        QVERIFY(form.CurrentPaintMode() == TBitmapForm::PaintMode::Slot && form.ShownSlot() == 2);
        const QImage full(
            QString::fromStdString((kBin / "GFXImages" / "Series0FxxFull.bmp").string()));
        QImage shot = box->grab().toImage().convertToFormat(QImage::Format_RGB32);
        for (QPoint p : {QPoint(0, 0), QPoint(300, 40), QPoint(511, 511), QPoint(100, 400)})
            QCOMPARE(Opaque(shot.pixel(p)), Opaque(full.pixel(p)));

        // Row 4 has no slot: the box turns white.
        QTest::mouseClick(Find(form, "Panel20"), Qt::LeftButton);
        QCOMPARE(form.CurrentPaintMode(), TBitmapForm::PaintMode::Nothing);
        shot = box->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(Opaque(shot.pixel(300, 40)), qRgb(255, 255, 255));

        // Closing only hides the window.
        form.close();
        QVERIFY(!form.isVisible());
        Trigger("GFXBitmapssetzen1");
        QVERIFY(form.isVisible() && form.CurrentPaintMode() == TBitmapForm::PaintMode::Nothing);
    }

    void LoadBitmapShowsItsQuarterTwiceAsLarge() {
        Start("");
        TBitmapForm& form = Form();
        const QString file =
            QString::fromStdString((kBin / "GFXImages" / "Series0Cxx.bmp").string());
        QString asked_folder;
        form.choose_bitmap_file = [&](const QString& folder) {
            asked_folder = folder;
            return file;
        };
        QStringList errors;
        form.show_error = [&](const QString& text) { errors << text; };
        Find<QPushButton>(form, "LoadBitmapButton")->click();
        QVERIFY(asked_folder.endsWith("GFXImages"));
        QCOMPARE(form.CurrentPaintMode(), TBitmapForm::PaintMode::LoadedBitmap);
        const QImage base(file);
        auto grab = [&] {
            return Find(form, "FlickerFreePaintBox2")
                ->grab()
                .toImage()
                .convertToFormat(QImage::Format_RGB32);
        };
        const QImage shot = grab();
        for (QPoint p : {QPoint(0, 0), QPoint(50, 20), QPoint(200, 130), QPoint(255, 255)})
            QCOMPARE(Opaque(shot.pixel(2 * p.x() + 1, 2 * p.y() + 1)), Opaque(base.pixel(p)));

        // An unreadable file is reported and the picture stays.
        form.choose_bitmap_file = [](const QString&) { return QString("/nonexistent/Series.bmp"); };
        Find<QPushButton>(form, "LoadBitmapButton")->click();
        QVERIFY2(errors.size() == 1 && errors[0].contains("/nonexistent/Series.bmp"),
                 qPrintable(errors.join('\n')));
        QCOMPARE(form.CurrentPaintMode(), TBitmapForm::PaintMode::LoadedBitmap);
        QCOMPARE(grab(), shot);
    }

    void RankingAfterLoadFillsTheRowsAndPreloads() {
        StartWith(kSample, "2");
        TBitmapForm& form = Form();
        QStringList shown;
        for (int row = 1; row <= 5; ++row)
            shown << Find<QComboBox>(form, QString("ComboBox%1").arg(row))->currentText().left(2)
                  << Caption(form, QString("Panel%1").arg(row))
                  << Caption(form, QString("Panel%1").arg(row + 16));
        // Ten ranks; rows beyond them stay empty.
        shown << Caption(form, "Panel10") << Caption(form, "Panel11") << Caption(form, "Panel27")
              << Caption(form, "TotalPanel");
        QCOMPARE(shown, QStringList({"0B", "8438", "52%", "0E", "3503", "21%", "0C", "3090", "19%",
                                     "0D", "854", "5%", "0F", "499", "3%", "0", "", "", "100"}));

        // "autom. Preload" was ticked by the allocation at start: the two slots hold the two
        // best series.
        const QStringList memo = MemoLines(form);
        QVERIFY(memo.contains("File Series0BxxFull.bmp  als nr 1") &&
                memo.contains("File Series0ExxFull.bmp  als nr 2"));

        // The button ranks again with the memo of counts.
        Find<QSpinBox>(form, "SpinEdit1")->setValue(3);
        Find<QCheckBox>(form, "AutoPreloadCheck")->setChecked(false);
        QVERIFY(!Find<QCheckBox>(form, "CheckBox1")->isChecked());
        Find<QPushButton>(form, "InselStatButton")->click();
        const QStringList counts = MemoLines(form);
        QVERIFY(counts.contains("Anzahl: 5"));
        QCOMPARE(QStringList({counts.front(), counts.back(), Caption(form, "Panel4"),
                              Caption(form, "TotalPanel")}),
                 QStringList({"0B   8438", "Total 16384", "", "92"}));
    }

    void FormTextsComeFromTheInterfaceLines() {
        Start("", [](insel::Definitions& d) {
            d.main_strings.resize(285);  // lines 285.. are missing
            d.main_strings[280] = "Vorladen";
            d.main_strings[281] = "";  // empty: the built-in caption stays
            d.main_strings[283] = "Speicher holen";
            d.main_strings[284] = "Versucht:";
        });
        Trigger("GFXBitmapssetzen1");
        TBitmapForm& form = Form();
        QCOMPARE(
            QStringList({form.windowTitle(), Caption(form, "LoadBitmapButton"),
                         Caption(form, "GetPreloadMemButton"), Caption(form, "Label5")}),
            QStringList({"Vorladen", "Load Bitmap file Seriesxx", "Speicher holen", "Versucht:"}));
    }

    // Everything fits the preload window at its size, which is at least 874 x 615, and its
    // rows are wide enough for every series description.
    void FormFitsItsControlsAndDescriptions() {
        Start(kSample);
        TBitmapForm& form = Form();
        form.show();
        QApplication::processEvents();
        QVERIFY(form.width() >= 874 && form.height() >= 615);
        for (QWidget* child : form.findChildren<QWidget*>()) {
            const QString name = child->objectName();
            if (!child->isVisible() || name.isEmpty() || name.startsWith("qt_")) continue;
            const QRect place(child->mapTo(&form, QPoint(0, 0)), child->size());
            QVERIFY2(form.rect().contains(place), qPrintable(child->objectName()));
            // Captions fit; other controls get at least the room they ask for.
            QString caption;
            if (auto* button = qobject_cast<QAbstractButton*>(child)) caption = button->text();
            if (auto* label = qobject_cast<QLabel*>(child)) caption = label->text();
            const int needed = name == "Label2" ? 0
                               : caption.isEmpty()
                                   ? child->minimumSizeHint().width()
                                   : child->fontMetrics().horizontalAdvance(caption);
            QVERIFY2(child->width() >= needed, qPrintable(name));
        }
        auto* combo = Find<QComboBox>(form, "ComboBox1");
        QVERIFY(combo->count() > 1);
        for (int i = 0; i < combo->count(); ++i) {
            combo->setCurrentIndex(i);
            QStyleOptionComboBox option;
            option.initFrom(combo);
            option.editable = false;
            const QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                               QStyle::SC_ComboBoxEditField, combo);
            QVERIFY2(combo->fontMetrics().horizontalAdvance(combo->currentText()) <= field.width(),
                     qPrintable(combo->currentText()));
        }
    }

    // -- series image window and about box ------------------------------------------------------

    void SeriesImageShowsTheBaseBitmap() {
        insel::Definitions definitions = insel::LoadDefinitionFiles(kBin);
        insel::gui::TViewForm view(definitions, kBin);
        view.ShowSeriesImage("0d 44");
        QCOMPARE(view.windowTitle(),
                 QString::fromUtf8("Linke Hälfte 0D00 0D60  Rechte Hälfte 0D0C 0D6C"));
        auto* image = Find<QLabel>(view, "Image1");
        const QImage base(QString::fromStdString((kBin / "GFXImages" / "Series0Dxx.bmp").string()));
        auto shown = [image] {
            return image->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
        };
        QCOMPARE(shown().size(), base.size());
        QCOMPARE(Opaque(shown().pixel(100, 60)), Opaque(base.pixel(100, 60)));

        // No bitmap for series 20, and "zz" names none: the caption follows, the picture stays.
        view.ShowSeriesImage("20 00");
        QCOMPARE(view.windowTitle(),
                 QString::fromUtf8("Linke Hälfte 2000 2060  Rechte Hälfte 200C 206C"));
        view.ShowSeriesImage("zz");
        QCOMPARE(Opaque(shown().pixel(100, 60)), Opaque(base.pixel(100, 60)));
    }

    void AboutNamesProgramSystemAndMemory() {
        Start("");
        QString text;
        window_->run_about_box = [&](insel::gui::TAboutBox& box) {
            text = box.Text();
            QCOMPARE(Caption(box, "Version"), "Version " + QString(insel::kProgramVersion));
        };
        Trigger("About1");
        QVERIFY(text.startsWith("Inseleditor\nVersion " + QString(insel::kProgramVersion)) &&
                text.contains(QSysInfo::prettyProductName()));
        QVERIFY2(QRegularExpression("Speicher: \\d+ MB").match(text).hasMatch(), qPrintable(text));
    }
};

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
