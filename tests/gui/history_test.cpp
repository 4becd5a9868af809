// The window's side of the edit history: undo and redo by key and menu, the history panel, the
// unsaved mark in the title and the question before unsaved changes are dropped.
#include <QAction>
#include <QComboBox>
#include <QListWidget>

#include "gui_support.h"

using Answer = insel::gui::TInselZeichner::SaveAnswer;
using namespace insel::gui::test;

class HistoryTest : public QObject, WindowHarness {
    Q_OBJECT

    int asked_ = 0;
    Answer answer_ = Answer::Cancel;

    int Climate() { return Ed().doc.island.record.climate; }
    QString Title() { return window_->windowTitle(); }
    // The undo and redo actions' captions, "off" when disabled.
    QString Actions() {
        QStringList texts;
        for (auto* action : {Find<QAction>(*window_, "Undo1"), Find<QAction>(*window_, "Redo1")})
            texts << (action->isEnabled() ? "" : "off ") + action->text();
        return texts.join('|');
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
        QCOMPARE(Actions(), QString::fromUtf8("Rückgängig: Klima|off Wiederherstellen"));

        QTest::keyClick(window_.get(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(QPoint(Climate(), Control<QComboBox>("ComboBox1")->currentIndex()),
                 QPoint(loaded, loaded));
        QVERIFY2(!Title().contains('*'), qPrintable(Title()));
        QCOMPARE(Actions(), QString::fromUtf8("off Rückgängig|Wiederherstellen: Klima"));

        QTest::keyClick(window_.get(), Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(Climate(), changed);
        QTest::keyClick(window_.get(), Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(window_.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(Control<QComboBox>("ComboBox1")->currentIndex(), changed);
        QVERIFY(Title().endsWith(" *"));

        SaveAs("saved.scp");
        Click("SaveInselButton");
        QVERIFY2(Title().endsWith(" - saved.scp"), qPrintable(Title()));
    }

    // One row per state; a click on the first goes back to the file as loaded, the steps
    // after it stay to be redone and are shown so.
    void HistoryListGoesToARow() {
        const int loaded = StartChanged();
        auto* list = Control<QListWidget>("HistoryList");
        QCOMPARE(QString::number(list->count()) + list->item(0)->text() + "|" +
                     list->item(1)->text() + QString::number(list->currentRow()),
                 QString::fromUtf8("2Geöffnet|Klima1"));

        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(0)).center());
        QCOMPARE(std::tuple(Climate(), Ed().history.position(), list->currentRow()),
                 std::tuple(loaded, std::size_t{0}, 0));
        QVERIFY(list->item(1)->font().italic() && !list->item(0)->font().italic());
        QVERIFY(!Title().contains('*'));
    }

    // Opening another file with unsaved changes: Cancel keeps everything, Discard opens it,
    // Save writes the changes first; a cancelled save dialog counts as Cancel.
    void OpeningAnotherFileAsksFirst() {
        const QString other = At("other.scp");
        fx::WriteFileBytes(other.toStdString(), fx::IslandFileBytes({.width = 32, .height = 32}));
        const std::tuple<const char*, Answer, bool, bool> cases[] = {
            {"cancel", Answer::Cancel, false, false},
            {"discard", Answer::Discard, false, true},
            {"save", Answer::Save, false, true},
            {"save dialog cancelled", Answer::Save, true, false}};
        for (const auto& [name, answer, save_dialog_cancelled, opened] : cases) {
            answer_ = answer;
            StartChanged();
            const int changed = Climate();
            const QString target = At(QString(name) + ".scp");
            window_->choose_open_file = [&](const QString&, const QString&) { return other; };
            SaveAs(save_dialog_cancelled ? "" : QString(name) + ".scp");
            Find<QAction>(*window_, "Inselladen1")->trigger();
            QVERIFY2(asked_ == 1 && messages_.isEmpty(), qPrintable(name + Messages()));
            QCOMPARE(std::tuple(Ed().doc.island.record.width, Title().endsWith(" *"),
                                QFileInfo::exists(target)),
                     std::tuple(opened ? 32 : 128, !opened,
                                answer == Answer::Save && !save_dialog_cancelled));
            if (!opened) QCOMPARE(Climate(), changed);
            if (QFileInfo::exists(target)) {
                insel::Editor check;
                check.definitions = Ed().definitions;
                check.Load(target.toStdString(), insel::FileKind::Island);
                QCOMPARE(int(check.doc.island.record.climate), changed);
            }
            cleanup();
        }
    }

    // Another island of a savegame drops the edits of the one shown: asked first.
    void IslandListClickAsksFirst() {
        const std::filesystem::path game = At("game.sav").toStdString();
        fx::WriteFileBytes(
            game,
            fx::SavegameBytes(
                {{.number = 1}, {.width = 32, .height = 32, .world_first = 200, .number = 2}}));
        StartChanged();
        QVERIFY(window_->LoadIslandFile(game, insel::FileKind::Savegame));
        Control<QComboBox>("ComboBox1")->setCurrentIndex((Climate() + 1) % 6);
        QVERIFY(!window_->SelectIslandListRow(2));
        QCOMPARE(QPoint(asked_, Ed().doc.island.record.width), QPoint(1, 64));
        answer_ = Answer::Discard;
        QVERIFY(window_->SelectIslandListRow(2));
        QCOMPARE(Ed().doc.island.record.width, 32);
        QVERIFY(!Title().contains('*') && !Ed().history.CanUndo());
    }

    // The dummy island over the open file asks about the changes first; elsewhere it does not.
    void DummyOverTheOpenFileAsks() {
        const QString open = At("open.scp");
        QVERIFY(QFile::copy(QString::fromStdString(kSample), open));
        StartChanged(open.toStdString());
        SaveAs("open.scp");
        Click("DummyButton");
        QCOMPARE(asked_, 1);
        QCOMPARE(ReadAll(open), ReadAll(QString::fromStdString(kSample)));
        SaveAs("dummy.scp");
        Click("DummyButton");
        QVERIFY(asked_ == 1 && QFileInfo::exists(At("dummy.scp")));
    }

    // Closing with unsaved changes asks about them only, not "Really exit?" as well.
    void ClosingAsksOnce() {
        StartChanged();
        int exit_asked = 0;
        window_->confirm_exit = [&] { return ++exit_asked, true; };
        QVERIFY(!window_->close() && asked_ == 1);
        answer_ = Answer::Discard;
        QVERIFY(window_->close());
        QCOMPARE(QPoint(asked_, exit_asked), QPoint(2, 0));
    }
};

QTEST_MAIN(HistoryTest)
#include "history_test.moc"
