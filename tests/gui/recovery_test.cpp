// The window's crash recovery: a journal left by a killed editor is offered at the next start,
// recovered, discarded or kept for later; editors running at once keep their own journals.
#include "gui/app/recovery.h"

#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QSpinBox>
#include <csignal>

#include "core/document/journal.h"
#include "gui_support.h"
#include "platform/environment.h"

using insel::gui::TInselZeichner;
using Answer = TInselZeichner::RecoveryAnswer;
using SaveAnswer = TInselZeichner::SaveAnswer;
using namespace insel::gui::test;

namespace {

// How a test window answers, and what it was asked.
struct Answers {
    Answer recovery = Answer::Later;
    SaveAnswer save = SaveAnswer::Cancel;
    int recovery_asked = 0, save_asked = 0;
    QString text;
    bool can_recover = false;
};

QDir RecoveryDir() { return QDir(QString::fromStdString(insel::gui::RecoveryFolder().string())); }

// A window as the program starts it, with its journal in the user's data folder.
std::unique_ptr<TInselZeichner> OpenWindow(const std::string& file, Answers* answers = nullptr) {
    auto window = std::make_unique<TInselZeichner>(kBin, insel::LoadDefinitionFiles(kBin), "");
    window->show_message = [](const QString& text, bool) { qWarning("%s", qPrintable(text)); };
    window->ask_recovery = [answers](const QString& text, bool can_recover) {
        if (!answers) return Answer::Later;
        ++answers->recovery_asked;
        answers->text = text;
        answers->can_recover = can_recover;
        return answers->recovery;
    };
    window->ask_save_changes = [answers] {
        if (!answers) return SaveAnswer::Cancel;
        ++answers->save_asked;
        return answers->save;
    };
    window->SetCommandLineFile(file);
    window->KeepJournalIn(insel::gui::RecoveryFolder());
    window->show();
    // A journal left behind is offered once the window is on the screen.
    if (answers && !RecoveryDir().entryList({"*.insj"}, QDir::Files).isEmpty())
        QTest::qWaitFor([answers] { return answers->recovery_asked > 0; }, 1500);
    return window;
}

insel::Editor FreshEditor() {
    insel::Editor editor;
    editor.definitions = insel::LoadDefinitionFiles(kBin);
    return editor;
}

int Climate(TInselZeichner& window) { return window.editor().doc.island.record.climate; }

void NextClimate(TInselZeichner& window) {
    auto* combo = Find<QComboBox>(window, "ComboBox1");
    combo->setCurrentIndex((combo->currentIndex() + 1) % 6);
}

// The session that dies: two climates chosen on the file, the journal on the disk, killed.
int KilledSession(const char* file) {
    auto window = OpenWindow(file);
    NextClimate(*window);
    NextClimate(*window);
    window->editor().journal()->Flush();
    std::raise(SIGKILL);
    return 0;
}

// A journal file replayed into an editor of its own.
insel::Editor Recovered(const std::filesystem::path& journal) {
    insel::Editor editor = FreshEditor();
    const QByteArray bytes = ReadAll(QString::fromStdString(journal.string()));
    insel::RecoverJournal(editor, std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                            static_cast<std::size_t>(bytes.size())));
    return editor;
}

int RecoveredClimate(const std::filesystem::path& journal) {
    return Recovered(journal).doc.island.record.climate;
}

QStringList Journals() { return RecoveryDir().entryList({"*.insj"}, QDir::Files); }

}  // namespace

class RecoveryTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    std::string Copy(const QString& name) {
        const QString path = dir_.filePath(name);
        QFile::remove(path);
        QFile::copy(QString::fromStdString(kSample), path);
        QFile(path).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        return path.toStdString();
    }
    int LoadedClimate(const std::string& file) {
        insel::Editor editor = FreshEditor();
        editor.Load(file, insel::FileKind::Island);
        return editor.doc.island.record.climate;
    }

  private slots:
    void cleanup() {
        QDir folder = RecoveryDir();
        for (const QString& name : folder.entryList(QDir::Files)) folder.remove(name);
    }

    void KilledSessionIsRecoveredAndGoesOnInTheNewJournal() {
        const std::string file = Copy("island.scp");
        const int loaded = LoadedClimate(file);
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {"--killed-session", QString::fromStdString(file)});
        QVERIFY(child.waitForFinished(60000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        QCOMPARE(Journals().size(), 1);

        // The command line names another file: the recovered work is not dropped unasked.
        Answers answers{Answer::Recover};
        auto window = OpenWindow(Copy("other.scp"), &answers);
        QCOMPARE(answers.recovery_asked, 1);
        QCOMPARE(answers.save_asked, 1);
        QVERIFY(answers.can_recover);
        QVERIFY2(answers.text.contains(QString::fromStdString(file)) &&
                     answers.text.contains("Schritte: 2"),
                 qPrintable(answers.text));
        QCOMPARE(Climate(*window), (loaded + 2) % 6);
        QVERIFY2(window->windowTitle().endsWith("island.scp *"), qPrintable(window->windowTitle()));
        QCOMPARE(Find<QListWidget>(*window, "HistoryList")->count(), 3);
        QCOMPARE(window->DocumentPath().string(), file);
        // The killed session's journal is gone once this window's own holds the work.
        QCOMPARE(Journals(),
                 QStringList{QString::fromStdString(window->JournalPath().filename().string())});
        QCOMPARE(RecoveredClimate(window->JournalPath()), (loaded + 2) % 6);

        // An undo into the recovered steps is kept as well.
        window->UndoClick();
        QCOMPARE(Climate(*window), (loaded + 1) % 6);
        window->editor().journal()->Flush();
        QCOMPARE(RecoveredClimate(window->JournalPath()), (loaded + 1) % 6);
        // The journal's steps start anew, but what it gives back is still unsaved work.
        QVERIFY(Recovered(window->JournalPath()).Unsaved());

        // Discarding at the close leaves neither a journal nor a lock behind.
        answers.save = SaveAnswer::Discard;
        QVERIFY(window->close());
        window.reset();
        QCOMPARE(RecoveryDir().entryList(QDir::Files), QStringList());
    }

    // Each row: a journal left behind, how it is spoilt, the answer, and what stays.
    void LeftJournalIsDiscardedKeptOrRefused_data() {
        QTest::addColumn<QString>("spoil");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("can_recover");
        QTest::addColumn<bool>("kept");
        QTest::newRow("discard") << "" << int(Answer::Discard) << true << false;
        QTest::newRow("later") << "" << int(Answer::Later) << true << true;
        QTest::newRow("origin changed") << "origin" << int(Answer::Recover) << false << true;
        QTest::newRow("damaged, later") << "damage" << int(Answer::Later) << false << true;
        QTest::newRow("damaged, discard") << "damage" << int(Answer::Discard) << false << false;
        QTest::newRow("other version") << "version" << int(Answer::Later) << false << true;
    }
    void LeftJournalIsDiscardedKeptOrRefused() {
        QFETCH(QString, spoil);
        QFETCH(int, answer);
        QFETCH(bool, can_recover);
        QFETCH(bool, kept);
        const std::string file = Copy("left.scp");
        const auto journal = insel::gui::RecoveryFolder() / "journal-left.insj";
        {
            // Written as an editor writes it, by one that no longer runs.
            insel::Editor editor = FreshEditor();
            insel::Journal recorder(journal);
            editor.AttachJournal(&recorder);
            editor.Load(file, insel::FileKind::Island);
            editor.SetClimate((editor.doc.island.record.climate + 1) % 6);
            recorder.Flush();
            editor.AttachJournal(nullptr);
        }
        const QString journal_name = QString::fromStdString(journal.string());
        if (spoil == "origin") {
            QByteArray bytes = ReadAll(QString::fromStdString(file));
            bytes[bytes.size() - 1] = static_cast<char>(bytes[bytes.size() - 1] ^ 1);
            QVERIFY(WriteAll(QString::fromStdString(file), bytes));
        } else if (spoil == "damage") {
            QVERIFY(WriteAll(journal_name, ReadAll(journal_name).mid(8)));
        } else if (spoil == "version") {
            QByteArray bytes = ReadAll(journal_name);
            bytes[12] = static_cast<char>(bytes[12] + 1);  // the format number after the magic
            QVERIFY(WriteAll(journal_name, bytes));
        }
        const QByteArray before = ReadAll(journal_name);

        Answers answers{static_cast<Answer>(answer)};
        auto window = OpenWindow("", &answers);
        QCOMPARE(answers.recovery_asked, 1);
        QCOMPARE(answers.can_recover, can_recover);
        if (spoil == "origin") QVERIFY(answers.text.contains("seitdem geändert"));
        if (spoil == "damage") QVERIFY(answers.text.contains("beschädigt"));
        if (spoil == "version") QVERIFY(answers.text.contains("anderen Version"));
        // Nothing was applied, and a refused journal stays as it was.
        QVERIFY(!window->editor().doc.loaded);
        QCOMPARE(QFileInfo::exists(journal_name), kept);
        if (kept) QCOMPARE(ReadAll(journal_name), before);
        window.reset();
        // Kept for later: offered again at the next start.
        answers.recovery_asked = 0;
        window = OpenWindow("", &answers);
        QCOMPARE(answers.recovery_asked, kept ? 1 : 0);
    }

    // Two editors at once: neither offers the other's journal, which stays with its owner.
    void RunningEditorsKeepTheirOwnJournals() {
        Answers first_answers, second_answers;
        auto first = OpenWindow(Copy("first.scp"), &first_answers);
        NextClimate(*first);
        first->editor().journal()->Flush();
        QVERIFY(std::filesystem::exists(first->JournalPath()));
        auto second = OpenWindow(Copy("second.scp"), &second_answers);
        QCOMPARE(second_answers.recovery_asked, 0);
        QVERIFY(second->JournalPath() != first->JournalPath());
        NextClimate(*second);
        second->editor().journal()->Flush();
        QCOMPARE(Journals().size(), 2);
    }

    // The history limit comes from the settings, and the spin changes both at once.
    void HistoryLimitFollowsTheSettingsSpin() {
        insel::platform::SetHistoryLimitMegabytes(40);
        auto window = OpenWindow("");
        auto* spin = Find<QSpinBox>(*window, "HistoryLimitSpin");
        QCOMPARE(spin->value(), 40);
        QCOMPARE(window->editor().history.limit(), std::size_t{40} << 20);
        spin->setValue(64);
        QCOMPARE(window->editor().history.limit(), std::size_t{64} << 20);
        QCOMPARE(insel::platform::HistoryLimitMegabytes(), 64);
    }
};

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--killed-session") {
        QApplication app(argc, argv);
        return KilledSession(argv[2]);
    }
    // The data and settings folders are the test's own; the killed session inherits them.
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.filePath("data").toUtf8());
    qputenv("XDG_CONFIG_HOME", home.filePath("config").toUtf8());
    QApplication app(argc, argv);
    RecoveryTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "recovery_test.moc"
