#pragma once
// The edit history. Every change to the document is one named step. A step keeps only what it
// changed (runs of cells, or whole columns where most cells changed; the parts of the document
// it replaced; the file bytes it patched), held as the other side of the change: applying a
// step swaps them with the document's, so the same step undoes and, applied once more, redoes.
//
// Inside a step operations write cells, lists and records, never the block counts or the
// texture series usage: the history keeps those in step with the cells, forward and back. An
// operation that can say how the counts change (a turn, one value replaced by another) tells
// the layer, and the history need not count its cells.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>

#include "core/document/document.h"

namespace insel {

inline constexpr std::size_t kDefaultHistoryLimit = std::size_t{512} << 20;

class HistoryObserver;

class History {
  public:
    explicit History(std::size_t limit_bytes = kDefaultHistoryLimit);
    ~History();
    History(History&&) noexcept;
    History& operator=(History&&) noexcept;

    // Forgets every step. `doc` as it is now is the saved state: after a load or a new island.
    void Reset(const Document& doc);

    // Runs `change` as one step called `name` and returns whether it changed the document; a
    // step that changed nothing is not recorded. When `change` throws, the document is put
    // back as it was and the exception goes on. A step inside a step joins the outer one.
    template <class Change>
    bool Record(Document& doc, std::string name, Change&& change) {
        if (depth_ > 0) {
            change();
            return true;
        }
        Begin(doc);
        try {
            change();
        } catch (...) {
            RollBack(doc);
            throw;
        }
        return Commit(doc, std::move(name));
    }

    // Runs `change`, which replaces the island as a load does (another island of the file
    // decoded): when it throws, the document is put back as it was; when it succeeds, the
    // history starts afresh from its result. The change sets the counters itself.
    template <class Change>
    void Replace(Document& doc, Change&& change) {
        if (depth_ > 0) {
            change();
            return;
        }
        Begin(doc, false);
        try {
            change();
        } catch (...) {
            RollBack(doc);
            throw;
        }
        Forget(doc);
        Reset(doc);
    }

    bool CanUndo() const { return position_ > 0; }
    bool CanRedo() const { return position_ < steps_.size(); }
    // At most `steps` steps back or forward; returns how many were taken.
    int Undo(Document& doc, int steps = 1);
    int Redo(Document& doc, int steps = 1);
    // Undoes or redoes until `position` steps are applied.
    void GoTo(Document& doc, std::size_t position);

    std::size_t size() const { return steps_.size(); }
    std::size_t position() const { return position_; }  // the number of steps applied
    const std::string& StepName(std::size_t index) const;
    const std::string& UndoName() const;  // "" when there is nothing to undo
    const std::string& RedoName() const;

    // The document as it is now is what was saved; moving away from here makes it unsaved.
    void MarkSaved();
    bool IsSaved() const { return saved_ == position_; }
    // No state of the history is what the file holds (work recovered from a journal).
    void ForgetSaved() { saved_.reset(); }

    std::size_t MemoryBytes() const { return memory_; }
    std::size_t limit() const { return limit_; }
    // Drops the oldest steps until the history fits; the newest step always stays.
    void SetLimit(std::size_t bytes);

    struct Step;
    struct Parts;
    struct Recording;

    // Told of every change, as the recovery journal needs them; null for none. `started`: the
    // observer already holds the state the document is in.
    void SetObserver(HistoryObserver* observer, bool started = false);
    // A step read back from a journal, holding its result: applied and recorded as the last.
    void Replay(Document& doc, std::unique_ptr<Step> step);

  private:
    void Begin(Document& doc, bool observed = true);
    // Ends a change without keeping it as a step.
    void Forget(Document& doc);
    void RollBack(Document& doc);
    bool Commit(Document& doc, std::string name);
    void Apply(Document& doc, Step& step);
    void Trim();
    void Push(std::unique_ptr<Step> step);
    void StartObserving(const Document& doc);
    void Moved(const Document& doc, int steps);

    std::deque<std::unique_ptr<Step>> steps_;
    std::size_t position_ = 0;
    std::optional<std::size_t> saved_ = 0;  // the position saved; none once it is gone
    std::size_t memory_ = 0;
    std::size_t limit_;
    int depth_ = 0;
    std::unique_ptr<Parts> shadow_;  // the parts as the last step left them, to compare with
    std::unique_ptr<Recording> recording_;
    HistoryObserver* observer_ = nullptr;
    bool observer_started_ = false;
    // The positions between which the observer holds every step.
    std::size_t observer_floor_ = 0, observer_ceiling_ = 0;
};

class HistoryObserver {
  public:
    virtual ~HistoryObserver() = default;
    // Before the first change since the last load or save: `doc` is the state it starts from.
    virtual void Starting(const Document& doc) = 0;
    // A step was recorded; `doc` holds its result.
    virtual void Recorded(const Document& doc, const History::Step& step) = 0;
    // Steps undone (negative) or redone (positive).
    virtual void Moved(int steps) = 0;
    // The document is as loaded or saved: nothing is left to recover.
    virtual void Clean() = 0;
};

}  // namespace insel
