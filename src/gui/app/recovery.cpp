#include "gui/app/recovery.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUuid>
#include <algorithm>

namespace insel::gui {
namespace {

constexpr const char* kSuffix = ".insj";

QString LockPath(const std::filesystem::path& journal) {
    return QString::fromStdString(journal.string()) + ".lock";
}

std::unique_ptr<QLockFile> MakeLock(const std::filesystem::path& journal) {
    auto lock = std::make_unique<QLockFile>(LockPath(journal));
    // An editor may run for days: only a lock whose process is gone counts as stale, never
    // one that is merely old.
    lock->setStaleLockTime(0);
    return lock;
}

}  // namespace

std::filesystem::path RecoveryFolder() {
    const QString base = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (base.isEmpty()) return {};
    const QString folder = QDir(base).filePath("recovery");
    if (!QDir().mkpath(folder)) return {};
    return std::filesystem::path(folder.toStdString());
}

JournalSlot::JournalSlot(const std::filesystem::path& folder)
    : path_(folder / ("journal-" +
                      QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString() + kSuffix)),
      lock_(MakeLock(path_)) {
    lock_->tryLock(0);
}

JournalSlot::~JournalSlot() = default;

std::vector<LeftJournal> FindLeftJournals(const std::filesystem::path& folder,
                                          const std::filesystem::path& own) {
    std::vector<LeftJournal> left;
    if (folder.empty()) return left;
    const QFileInfoList files =
        QDir(QString::fromStdString(folder.string()))
            .entryInfoList({QString("*") + kSuffix}, QDir::Files, QDir::Time | QDir::Reversed);
    // Locks of editors that died before they wrote a journal would pile up: a stale one is
    // taken and, unlocked, removed.
    for (const QFileInfo& file :
         QDir(QString::fromStdString(folder.string()))
             .entryInfoList({QString("*") + kSuffix + ".lock"}, QDir::Files)) {
        QString journal = file.absoluteFilePath();
        journal.chop(5);
        if (QFileInfo::exists(journal)) continue;
        QLockFile orphan(file.absoluteFilePath());
        orphan.setStaleLockTime(0);
        if (orphan.tryLock(0)) orphan.unlock();
    }
    for (const QFileInfo& file : files) {
        const std::filesystem::path path(file.absoluteFilePath().toStdString());
        if (path == own) continue;
        auto lock = MakeLock(path);
        // Held: its editor still runs.
        if (!lock->tryLock(0)) continue;
        // Its editor may have removed it meanwhile, on a save or at its exit.
        if (!std::filesystem::exists(path)) continue;
        left.push_back({path, std::move(lock)});
    }
    return left;
}

}  // namespace insel::gui
