// The window's side of the edit history: undo and redo by key and menu, the history panel, the
// unsaved mark in the title and the question before unsaved changes are dropped.
#include <QAction>
#include <QComboBox>
#include <QListWidget>
#include <QTemporaryDir>

#include "gui_support.h"
#include "island_fixture.h"
#include "temp_file.h"

using insel::gui::TInselZeichner;
using Answer = TInselZeichner::SaveAnswer;

using namespace insel::gui::test;

class HistoryTest : public QObject, WindowHarness {
    Q_OBJECT

    QTemporaryDir dir_;
    int asked_ = 0;
    Answer answer_ = Answer::Cancel;

    int Climate() { return window_->editor().doc.island.record.climate; }
    QString Title() { return window_->windowTitle(); }
    QString ActionText(const char* name) {
        auto* action = window_->findChild<QAction*>(name);
        return (action->isEnabled() ? "" : "off ") + action->text();
    }
    // The sample with one change: another climate chosen in the combo.
    int StartChanged(const std::string& file = kSample) {
        Start(file);
        window_->ask_save_changes = [this] { return ++asked_, answer_; };
        window_->activateWindow();
        // The keys reach the window's shortcuts only while it is the active one.
        if (!QTest::qWaitForWindowActive(window_.get())) qWarning("window not active");
        const int loaded = Climate();
        Control<QComboBox>("ComboBox1")->setCurrentIndex((loaded + 1) % 6);
        return loaded;
    }
    std::string OtherIsland() {
        insel::fixture::IslandSpec spec;
        spec.width = spec.height = 32;
        const std::string path = dir_.filePath("other.scp").toStdString();
        insel::fixture::WriteFileBytes(path, insel::fixture::IslandFileBytes(spec));
        return path;
    }

  private slots:
    void cleanup() {
        Finish();
        asked_ = 0;
        answer_ = Answer::Cancel;
    }

    // Undo back to the file as loaded clears the mark in the title, and so does a save.
    void KeysUndoAndRedoTheClimate() {
        const int loaded = StartChanged();
        const int changed = Climate();
        QVERIFY(changed != loaded);
        QVERIFY2(Title().endsWith("sample_island.scp *"), qPrintable(Title()));
        QCOMPARE(ActionText("Undo1") + "|" + ActionText("Redo1"),
                 QString::fromUtf8("Rückgängig: Klima|off Wiederherstellen"));

        QTest::keyClick(window_.get(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(Climate(), loaded);
        QCOMPARE(Control<QComboBox>("ComboBox1")->currentIndex(), loaded);
        QVERIFY2(!Title().contains('*'), qPrintable(Title()));
        QCOMPARE(ActionText("Undo1") + "|" + ActionText("Redo1"),
                 QString::fromUtf8("off Rückgängig|Wiederherstellen: Klima"));

        QTest::keyClick(window_.get(), Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(Climate(), changed);
        QTest::keyClick(window_.get(), Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(window_.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(Control<QComboBox>("ComboBox1")->currentIndex(), changed);
        QVERIFY(Title().endsWith(" *"));

        const QString target = dir_.filePath("saved.scp");
        window_->choose_save_file = [&](const QString&, const QString&) { return target; };
        Click("SaveInselButton");
        QVERIFY2(Title().endsWith(" - saved.scp"), qPrintable(Title()));
    }

    // One row per state; a click on the first goes back to the file as loaded, the steps
    // after it stay to be redone and are shown so.
    void HistoryListGoesToARow() {
        const int loaded = StartChanged();
        auto* list = Control<QListWidget>("HistoryList");
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(0)->text() + "|" + list->item(1)->text(),
                 QString::fromUtf8("Geöffnet|Klima"));
        QCOMPARE(list->currentRow(), 1);

        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(0)).center());
        QCOMPARE(Climate(), loaded);
        QCOMPARE(window_->editor().history.position(), std::size_t{0});
        QCOMPARE(list->currentRow(), 0);
        QVERIFY(list->item(1)->font().italic() && !list->item(0)->font().italic());
        QVERIFY(!Title().contains('*'));
    }

    // Opening another file with unsaved changes: Cancel keeps everything, Discard opens it,
    // Save writes the changes first; a cancelled save dialog counts as Cancel.
    void OpeningAnotherFileAsksFirst_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("save_dialog_cancelled");
        QTest::addColumn<bool>("opened");
        QTest::newRow("cancel") << int(Answer::Cancel) << false << false;
        QTest::newRow("discard") << int(Answer::Discard) << false << true;
        QTest::newRow("save") << int(Answer::Save) << false << true;
        QTest::newRow("save dialog cancelled") << int(Answer::Save) << true << false;
    }
    void OpeningAnotherFileAsksFirst() {
        QFETCH(int, answer);
        QFETCH(bool, save_dialog_cancelled);
        QFETCH(bool, opened);
        answer_ = static_cast<Answer>(answer);
        StartChanged();
        const int changed = Climate();
        const QString other = QString::fromStdString(OtherIsland());
        const QString target = dir_.filePath(QString(QTest::currentDataTag()) + ".scp");
        window_->choose_open_file = [&](const QString&, const QString&) { return other; };
        window_->choose_save_file = [&](const QString&, const QString&) {
            return save_dialog_cancelled ? QString() : target;
        };
        window_->findChild<QAction*>("Inselladen1")->trigger();
        QCOMPARE(asked_, 1);
        QVERIFY2(messages_.isEmpty(), qPrintable(Messages()));
        QCOMPARE(window_->editor().doc.island.record.width, opened ? 32 : 128);
        QCOMPARE(Title().endsWith(" *"), !opened);
        if (!opened) QCOMPARE(Climate(), changed);
        QCOMPARE(QFileInfo::exists(target), answer_ == Answer::Save && !save_dialog_cancelled);
        if (QFileInfo::exists(target)) {
            insel::Editor check;
            check.definitions = window_->editor().definitions;
            check.Load(target.toStdString(), insel::FileKind::Island);
            QCOMPARE(int(check.doc.island.record.climate), changed);
        }
    }

    // Another island of a savegame drops the edits of the one shown: asked first.
    void IslandListClickAsksFirst() {
        insel::fixture::IslandSpec first, second;
        first.number = 1;
        second.number = 2;
        second.width = second.height = 32;
        second.world_first = 200;
        const std::filesystem::path game = dir_.filePath("game.sav").toStdString();
        insel::fixture::WriteFileBytes(game, insel::fixture::SavegameBytes({first, second}));
        StartChanged();
        QVERIFY(window_->LoadIslandFile(game, insel::FileKind::Savegame));
        Control<QComboBox>("ComboBox1")->setCurrentIndex((Climate() + 1) % 6);
        QVERIFY(!window_->SelectIslandListRow(2));
        QCOMPARE(asked_, 1);
        QCOMPARE(window_->editor().doc.island.record.width, 64);
        answer_ = Answer::Discard;
        QVERIFY(window_->SelectIslandListRow(2));
        QCOMPARE(window_->editor().doc.island.record.width, 32);
        QVERIFY(!Title().contains('*') && !window_->editor().history.CanUndo());
    }

    // The dummy island over the open file asks about the changes first; elsewhere it does not.
    void DummyOverTheOpenFileAsks() {
        const QString open = dir_.filePath("open.scp");
        QVERIFY(QFile::copy(QString::fromStdString(kSample), open));
        StartChanged(open.toStdString());
        QString target = open;
        window_->choose_save_file = [&](const QString&, const QString&) { return target; };
        Click("DummyButton");
        QCOMPARE(asked_, 1);
        QCOMPARE(ReadAll(open), ReadAll(QString::fromStdString(kSample)));
        target = dir_.filePath("dummy.scp");
        Click("DummyButton");
        QCOMPARE(asked_, 1);
        QVERIFY(QFileInfo::exists(target));
    }

    // Closing with unsaved changes asks about them only, not "Really exit?" as well.
    void ClosingAsksOnce() {
        StartChanged();
        int exit_asked = 0;
        window_->confirm_exit = [&] { return ++exit_asked, true; };
        QVERIFY(!window_->close());
        QCOMPARE(asked_, 1);
        answer_ = Answer::Discard;
        QVERIFY(window_->close());
        QCOMPARE(asked_, 2);
        QCOMPARE(exit_asked, 0);
    }
};

QTEST_MAIN(HistoryTest)
#include "history_test.moc"
