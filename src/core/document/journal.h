#pragma once
// The recovery journal: the unsaved work of the edit history kept in a file, so that a crash, a
// killed process or a power cut loses at most the last few seconds. It starts with the document
// as it was at the last load or save and holds each step as recorded, and each undo and redo;
// replaying it gives the document and its history back. It names the file the document came
// from, and is never written into that file.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "core/document/history.h"

namespace insel {

struct Editor;

// The file the document was loaded from, as it was then.
struct JournalOrigin {
    std::string path;        // UTF-8; empty for a new island or bytes loaded from memory
    std::int64_t size = -1;  // -1 without a file
    std::uint64_t checksum = 0;
    std::int64_t time = 0;  // when the work began, seconds since 1970

    bool operator==(const JournalOrigin&) const = default;
};

std::uint64_t JournalChecksum(std::span<const std::uint8_t> bytes);
// The origin of a document loaded from `path`, whose bytes the buffer holds.
JournalOrigin OriginOf(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

// Appends to a journal file from a thread of its own: what is queued reaches the disk in
// batches `delay` after the last change, each batch synced, or at once on Flush().
class JournalFile {
  public:
    explicit JournalFile(std::filesystem::path path,
                         std::chrono::milliseconds delay = std::chrono::seconds(3));
    ~JournalFile();  // writes what is queued
    JournalFile(const JournalFile&) = delete;
    JournalFile& operator=(const JournalFile&) = delete;

    void Restart(std::vector<std::uint8_t> head);  // the file begins anew with these bytes
    void Append(std::vector<std::uint8_t> record);
    void Remove();  // the file goes; what was queued for it is dropped
    // Waits until everything queued is on the disk. A write that failed is thrown here.
    void Flush();
    const std::filesystem::path& path() const { return path_; }
    std::uint64_t bytes_written() const;
    // The memory of the last head written, empty, for the next: fresh memory of that size
    // would cost the editing path its page faults again.
    std::vector<std::uint8_t> TakeSpare();

  private:
    struct Task {
        enum Kind { Restart, Append, Remove } kind;
        std::vector<std::uint8_t> bytes;
    };
    void Run();

    std::filesystem::path path_;
    std::chrono::milliseconds delay_;
    mutable std::mutex mutex_;
    std::condition_variable wake_, done_;
    std::deque<Task> queue_;
    std::chrono::steady_clock::time_point last_change_;
    bool flush_ = false, stop_ = false, busy_ = false;
    std::string failure_;
    std::uint64_t written_ = 0;
    std::vector<std::uint8_t> spare_;
    std::thread worker_;
};

// Records the history of one editor into a journal file.
class Journal final : public HistoryObserver {
  public:
    explicit Journal(std::filesystem::path path,
                     std::chrono::milliseconds delay = std::chrono::seconds(3));
    void SetOrigin(JournalOrigin origin) { origin_ = std::move(origin); }
    const JournalOrigin& origin() const { return origin_; }
    void Flush() { file_.Flush(); }
    const std::filesystem::path& path() const { return file_.path(); }
    std::uint64_t bytes_written() const { return file_.bytes_written(); }

    void Starting(const Document& doc) override;
    void Recorded(const Document& doc, const History::Step& step) override;
    void Moved(int steps) override;
    void Clean() override;

  private:
    JournalOrigin origin_;
    JournalFile file_;
};

// A journal written by another version of the editor, whose records this one cannot read.
class JournalVersionError : public FormatError {
  public:
    using FormatError::FormatError;
};

// What a journal says about itself, for the question whether to recover it.
struct JournalSummary {
    JournalOrigin origin;
    std::string file_name;  // the document's name, Windows-1252
    int steps = 0;          // whole step records
    bool origin_changed = false;  // the file is no longer as it was (or is gone)
};

// Reads a journal's head and counts its records; FormatError for one that is damaged or no
// journal at all.
JournalSummary ReadJournalSummary(std::span<const std::uint8_t> bytes);

// Puts the journal's document and history into `editor`, replayed up to the last whole record.
// FileError when the file the journal names changed since (nothing is replaced then);
// FormatError for a damaged or foreign journal.
JournalSummary RecoverJournal(Editor& editor, std::span<const std::uint8_t> bytes);

}  // namespace insel
