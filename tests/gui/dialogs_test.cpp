// Drives the secondary windows offscreen through the real main window: the new-island dialog,
// the preload window with its slots and series ranking, the series image window and the about
// box.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QSysInfo>

#include "core/app/version.h"
#include "core/display/legend.h"
#include "gui/dialogs/about_box.h"
#include "gui/dialogs/bitmap_form.h"
#include "gui/dialogs/insel_size_box.h"
#include "gui/dialogs/view_form.h"
#include "gui_support.h"

using insel::gui::TBitmapForm;
using insel::gui::TInselSizeBox;
using namespace insel::gui::test;

namespace {

QRgb Opaque(QRgb pixel) { return pixel | 0xFF000000u; }
QImage Grab(QWidget* widget) {
    return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}
QImage Bitmap(const char* name) {
    return QImage(QString::fromStdString((kBin / "GFXImages" / name).string()));
}

}  // namespace

class DialogsTest : public QObject, WindowHarness {
    Q_OBJECT

    // The window as the program starts it; `line_1` replaces the preload count of MainIStrings.
    TBitmapForm& StartWith(const std::string& file, const std::string& line_1) {
        Start(file, [line_1](insel::Definitions& d) { d.main_strings.at(1) = line_1; });
        return window_->BitmapForm();
    }
    void Trigger(const char* action) { Find<QAction>(*window_, action)->trigger(); }
    static void Press(QObject& root, const char* button) {
        Find<QPushButton>(root, button)->click();
    }
    static QStringList Memo(TBitmapForm& form) {
        return Find<QPlainTextEdit>(form, "Memo1")->toPlainText().split('\n');
    }
    static QComboBox* Row(TBitmapForm& form, int row) {
        return Find<QComboBox>(form, QString("ComboBox%1").arg(row));
    }
    static QString Series(TBitmapForm& form, int from, int to) {
        QStringList codes;
        for (int row = from; row <= to; ++row) codes << Row(form, row)->currentText().left(2);
        return codes.join(' ');
    }

  private slots:
    void cleanup() { Finish(); }

    // What is typed is bounded as the dialog shows it; the island made follows the size,
    // climate and oversize rules, replaces the picture, empties the island and city lists of
    // the open game and fills the panels and legend with its water. Escape keeps the game.
    void NewIslandReplacesTheOpenGame() {
        const auto land = [](int, int) { return std::uint8_t{40}; };  // unlike a new island
        fx::WriteFileBytes(
            At("game.sav").toStdString(),
            fx::SavegameBytes(
                {{.number = 1}, {.width = 96, .height = 96, .number = 2, .heights = land}}));
        const std::tuple<const char*, const char*, const char*, int, bool, int> cases[] = {
            {"RadioButton7", "100", "100", 96, false, 2},
            {"RadioButton7", "7", "7", 0, false, 0},
            {"RadioButton7", "2000", "400", 400, false, 0},
            {"RadioButton7", "1024", "1024", 1024, true, 5},
            {"RadioButton7", "abc", "abc", 64, false, 0},
            {"RadioButton4", "2000", "400", 256, false, 0},
            {"RadioButton5", "", "160", 32, false, 0},
            {"", "", "160", 64, false, 0},   // the defaults
            {nullptr, "", "", 0, false, 0},  // Escape
        };
        for (const auto& [radio, typed, edit_after, size, oversize, climate] : cases) {
            Finish();
            Start("");
            window_->LoadIslandFile(At("game.sav").toStdString(), insel::FileKind::Savegame);
            ClickCell(Control<QTableWidget>("InselListenGrid"), 1, 0);  // shows the second
            const QImage before = Canvas();
            const QString panels = Panels({"IslandNamePanel", "xSizePanel", "StufenPanel"});
            QString edit_text;
            window_->run_size_box = [&](TInselSizeBox& box) {
                box.show();
                if (!radio) {
                    QTest::keyClick(&box, Qt::Key_Escape);
                    return box.result();
                }
                if (*radio) QTest::mouseClick(Find<QRadioButton>(box, radio), Qt::LeftButton);
                auto* edit = Find<QLineEdit>(box, "Edit1");
                if (*typed) {
                    edit->clear();
                    QTest::keyClicks(edit, typed);
                }
                edit_text = edit->text();
                Find<QComboBox>(box, "ComboBox1")->setCurrentIndex(climate);
                Press(box, "OKButton");
                return box.result();
            };
            Trigger("NeueInsel");
            const QString lists =
                QString::number(Control<QTableWidget>("InselListenGrid")->rowCount()) + "," +
                QString::number(Control<QTableWidget>("StadtListenGrid")->rowCount());
            if (!radio) {
                QVERIFY(lists == "2,0" && Canvas() == before &&
                        Panels({"IslandNamePanel", "xSizePanel", "StufenPanel"}) == panels);
                continue;
            }
            const auto& record = Ed().doc.island.record;
            const int per_side = (size - 1) / 32 + 1;
            const QString water = QString("LegendCount%1").arg(insel::LegendPanelOfHeight(0));
            QCOMPARE(QList<QVariant>({typed, edit_text, record.width, record.height, record.climate,
                                      Ed().view.oversize_mode, lists,
                                      Panels({"IslandNamePanel", "xSizePanel", "ySizePanel",
                                              "StufenPanel", "WasserPanel", water})}),
                     QList<QVariant>(
                         {typed, edit_after, size, size, climate, oversize, "0,0",
                          QString("Neu,%1,%1,%2,%3")
                              .arg(size)
                              .arg(per_side * per_side)
                              .arg(size ? "100 %," + QString::number(size * size) : "0 %,")}));
            QVERIFY(Ed().doc.loaded && Ed().view.island_shown && Canvas() != before);
            QVERIFY2(messages_.isEmpty(), qPrintable(Messages()));
        }
    }

    // Line 1 of the interface lines is the number of preload slots taken at start, at most 16.
    void PreloadAtStartFollowsLineOne() {
        for (const auto& [line_1, count] :
             {std::pair{"0", 0}, {"viele", 0}, {"3", 3}, {"20", 16}}) {
            Finish();
            TBitmapForm& form = StartWith("", line_1);
            QString checks, expected;
            for (int i = 1; i <= TBitmapForm::kRows; ++i) {
                auto* check = Find<QCheckBox>(form, QString("CheckBox%1").arg(i));
                checks += QString("%1%2").arg(check->isEnabled()).arg(check->isChecked());
                expected += QString("%1%2").arg(i <= count).arg(count > 0);
            }
            QCOMPARE(
                QList<QVariant>({line_1, Find<QSpinBox>(form, "PreloadSpin")->value(),
                                 Find(form, "PreloadButton")->isEnabled(),
                                 Find<QCheckBox>(form, "AutoPreloadCheck")->isChecked(), checks}),
                QList<QVariant>({line_1, QString(line_1).toInt(), count > 0, count > 0, expected}));
            const QStringList memo = Memo(form);
            const auto lines = [&](const QString& pattern) {
                return QString::number(memo.filter(QRegularExpression(pattern)).size());
            };
            QCOMPARE(count == 0 ? QString::number(memo.size()) + memo.join('|')
                                : memo.front() + "|" + memo.back() + "|" +
                                      lines("^TotalUncommitted \\d+$") + lines("TotalAddrSpace "),
                     count == 0 ? QString("1")
                                : QString::fromUtf8("Alle Texturenbitmaps gelöscht|") + line_1 +
                                      " Texturenbitmaps erzeugt|1" + QString::number(count + 1));
        }
    }

    // A series is loaded once however many rows name it, and a slot freed by one series is
    // taken by the next. An island type button sets the first ten rows, and only as many as
    // are shown.
    void PreloadSlotsAndIslandTypes() {
        TBitmapForm& form = StartWith("", "3");
        Find<QSpinBox>(form, "SpinEdit1")->setValue(3);
        auto preload_says = [&](std::array<int, 3> series, const QStringList& lines) {
            for (int row = 1; row <= 3; ++row) Row(form, row)->setCurrentIndex(series[row - 1]);
            Press(form, "PreloadButton");
            const QStringList memo = Memo(form);
            for (const QString& line : lines) QVERIFY2(memo.contains(line), qPrintable(line));
        };
        // 0B, 0B again, 0C.
        preload_says({0, 0, 1}, {"File Series0BxxFull.bmp  als nr 1", "0  schon in 1",
                                 "File Series0CxxFull.bmp  als nr 2"});
        QCOMPARE(Memo(form).front(), QString("Loading Textures"));
        // 0D takes the place 0B leaves, 0C stays where it is, 0E.
        preload_says({2, 1, 3}, {QString::fromUtf8(" ID 0B  gelöscht"), "ID 0C immer noch da",
                                 "File Series0DxxFull.bmp  als nr 1", "1  schon in 2",
                                 "File Series0ExxFull.bmp  als nr 3"});

        Find<QSpinBox>(form, "SpinEdit1")->setValue(12);
        for (int row = 1; row <= 12; ++row) Row(form, row)->setCurrentIndex(7);
        Press(form, "Button5");  // Polar
        QCOMPARE(Series(form, 1, 12), QString("1A 61 64 63 5F 17 5D 66 62 67 12 12"));
        Find<QSpinBox>(form, "SpinEdit1")->setValue(2);
        Press(form, "JungleButton");
        QCOMPARE(Series(form, 1, 3), QString("21 52 64"));

        // The about box names the program, the system and the memory. The series image window
        // shows the base bitmap of a series; for a series without bitmap, or a code that names
        // none, the caption follows and the picture stays.
        QString text;
        window_->run_about_box = [&](insel::gui::TAboutBox& box) { text = box.Text(); };
        Trigger("About1");
        QVERIFY2(text.startsWith("Inseleditor\nVersion " + QString(insel::kProgramVersion)) &&
                     text.contains(QSysInfo::prettyProductName()) &&
                     QRegularExpression("Speicher: \\d+ MB").match(text).hasMatch(),
                 qPrintable(text));

        insel::gui::TViewForm view(Ed().definitions, kBin);
        auto* image = Find<QLabel>(view, "Image1");
        const QImage base = Bitmap("Series0Dxx.bmp");
        QStringList titles;
        for (const char* code : {"0d 44", "20 00", "zz"}) {
            view.ShowSeriesImage(code);
            titles << view.windowTitle();
            QVERIFY(image->pixmap().size() == base.size() &&
                    Opaque(image->pixmap().toImage().pixel(100, 60)) ==
                        Opaque(base.pixel(100, 60)));
        }
        QCOMPARE(titles.join('|'),
                 QString::fromUtf8("Linke Hälfte 0D00 0D60  Rechte Hälfte 0D0C 0D6C|"
                                   "Linke Hälfte 2000 2060  Rechte Hälfte 200C 206C|"
                                   "Linke Hälfte ZZ00 ZZ60  Rechte Hälfte ZZ0C ZZ6C"));
    }

    // A click on a share panel paints that row's slot, a row without slot paints white, and
    // closing only hides the window. A loaded bitmap shows its top-left quarter twice as
    // large; an unreadable file is reported and the picture stays.
    void PaintBoxShowsSlotsAndBitmaps() {
        TBitmapForm& form = StartWith("", "3");
        Trigger("GFXBitmapssetzen1");
        Row(form, 1)->setCurrentIndex(3);  // 0E
        Row(form, 2)->setCurrentIndex(4);  // 0F
        Press(form, "PreloadButton");
        QWidget* box = Find(form, "FlickerFreePaintBox2");
        QTest::mouseClick(Find(form, "Panel18"), Qt::LeftButton);
        QVERIFY(form.CurrentPaintMode() == TBitmapForm::PaintMode::Slot && form.ShownSlot() == 2);
        const QImage full = Bitmap("Series0FxxFull.bmp");
        QImage shot = Grab(box);
        for (QPoint p : {QPoint(0, 0), QPoint(300, 40), QPoint(511, 511), QPoint(100, 400)})
            QCOMPARE(Opaque(shot.pixel(p)), Opaque(full.pixel(p)));
        QTest::mouseClick(Find(form, "Panel20"), Qt::LeftButton);
        QVERIFY(form.CurrentPaintMode() == TBitmapForm::PaintMode::Nothing &&
                Opaque(Grab(box).pixel(300, 40)) == qRgb(255, 255, 255));
        form.close();
        QVERIFY(!form.isVisible());
        Trigger("GFXBitmapssetzen1");
        QVERIFY(form.isVisible() && form.CurrentPaintMode() == TBitmapForm::PaintMode::Nothing);

        QString asked_folder,
            file = QString::fromStdString((kBin / "GFXImages" / "Series0Cxx.bmp").string());
        form.choose_bitmap_file = [&](const QString& folder) {
            return asked_folder = folder, file;
        };
        QStringList errors;
        form.show_error = [&](const QString& text) { errors << text; };
        Press(form, "LoadBitmapButton");
        QVERIFY(asked_folder.endsWith("GFXImages") &&
                form.CurrentPaintMode() == TBitmapForm::PaintMode::LoadedBitmap);
        const QImage base(file);
        shot = Grab(box);
        for (QPoint p : {QPoint(0, 0), QPoint(50, 20), QPoint(200, 130), QPoint(255, 255)})
            QCOMPARE(Opaque(shot.pixel(2 * p.x() + 1, 2 * p.y() + 1)), Opaque(base.pixel(p)));
        file = "/nonexistent/Series.bmp";
        Press(form, "LoadBitmapButton");
        QVERIFY2(errors.size() == 1 && errors[0].contains(file), qPrintable(errors.join('\n')));
        QVERIFY(form.CurrentPaintMode() == TBitmapForm::PaintMode::LoadedBitmap &&
                Grab(box) == shot);
    }

    void RankingAfterLoadFillsTheRowsAndPreloads() {
        TBitmapForm& form = StartWith(kSample, "2");
        QStringList shown;
        for (int row = 1; row <= 5; ++row)
            shown << Row(form, row)->currentText().left(2)
                  << Text(form, QString("Panel%1").arg(row))
                  << Text(form, QString("Panel%1").arg(row + 16));
        // Ten ranks; rows beyond them stay empty.
        shown << Text(form, "Panel10") << Text(form, "Panel11") << Text(form, "Panel27")
              << Text(form, "TotalPanel");
        QCOMPARE(shown, QStringList({"0B", "8438", "52%", "0E", "3503", "21%", "0C", "3090", "19%",
                                     "0D", "854", "5%", "0F", "499", "3%", "0", "", "", "100"}));
        // "autom. Preload" was ticked by the allocation at start: the two slots hold the two
        // best series.
        QVERIFY(Memo(form).contains("File Series0BxxFull.bmp  als nr 1") &&
                Memo(form).contains("File Series0ExxFull.bmp  als nr 2"));

        // The button ranks again with the memo of counts.
        Find<QSpinBox>(form, "SpinEdit1")->setValue(3);
        Find<QCheckBox>(form, "AutoPreloadCheck")->setChecked(false);
        QVERIFY(!Find<QCheckBox>(form, "CheckBox1")->isChecked());
        Press(form, "InselStatButton");
        const QStringList counts = Memo(form);
        QVERIFY(counts.contains("Anzahl: 5"));
        QCOMPARE(QStringList({counts.front(), counts.back(), Text(form, "Panel4"),
                              Text(form, "TotalPanel")}),
                 QStringList({"0B   8438", "Total 16384", "", "92"}));
    }
};

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
