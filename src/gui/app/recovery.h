#pragma once
// Where the recovery journals live, and which of them belong to no running editor. Each
// editor writes its own journal under a unique name and holds a lock file beside it while it
// runs, so that editors open at once never offer or take each other's journal.
#include <QLockFile>
#include <filesystem>
#include <memory>
#include <vector>

namespace insel::gui {

// The user's data folder by the platform's conventions, subfolder "recovery" (created).
// Empty when it cannot be created.
std::filesystem::path RecoveryFolder();

// This editor's journal file in `folder`, locked for as long as the object lives.
class JournalSlot {
  public:
    explicit JournalSlot(const std::filesystem::path& folder);
    // Leaves the journal where it is; the lock goes.
    ~JournalSlot();
    JournalSlot(const JournalSlot&) = delete;
    JournalSlot& operator=(const JournalSlot&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // False when the lock could not be taken (a folder that cannot be written).
    bool locked() const { return lock_->isLocked(); }

  private:
    std::filesystem::path path_;
    std::unique_ptr<QLockFile> lock_;
};

// A journal that no running editor holds; this one holds its lock until the object goes.
struct LeftJournal {
    std::filesystem::path path;
    std::unique_ptr<QLockFile> lock;
};

// The journals in `folder` left by editors that no longer run, oldest first; `own` is skipped.
std::vector<LeftJournal> FindLeftJournals(const std::filesystem::path& folder,
                                          const std::filesystem::path& own);

}  // namespace insel::gui
