#include "core/document/journal.h"

#include <bit>
#include <cstring>
#include <fstream>
#include <type_traits>

#include "core/app/editor.h"
#include "core/container/file_io.h"
#include "core/document/history_step.h"
#include "core/errors.h"

namespace insel {
namespace {

constexpr char kMagic[] = "INSELJOURNAL";
constexpr std::uint32_t kVersion = 3;
enum Record : std::uint8_t { kBase = 'B', kStep = 'S', kUndo = 'U', kRedo = 'R' };

// -- writing ---------------------------------------------------------------------------------

struct Out {
    std::vector<std::uint8_t> bytes;
    void Raw(const void* data, std::size_t n) {
        const auto* p = static_cast<const std::uint8_t*>(data);
        bytes.insert(bytes.end(), p, p + n);
    }
};

// Plain values and records of plain values go as they lie in memory; the journal is read
// back by the same program, and its head records the sizes to make sure of that.
template <class T>
void Put(Out& out, const T& value) {
    static_assert(std::is_trivially_copyable_v<T>);
    out.Raw(&value, sizeof value);
}
void Put(Out& out, bool value) { Put(out, static_cast<std::uint8_t>(value)); }
void Put(Out& out, const std::string& text) {
    Put(out, static_cast<std::uint32_t>(text.size()));
    out.Raw(text.data(), text.size());
}
void Put(Out& out, const IslandRecord& r) {
    Put(out, r.number), Put(out, r.city_id), Put(out, r.climate), Put(out, r.buffer);
    Put(out, r.start), Put(out, r.data_limit), Put(out, r.city_byte), Put(out, r.people_byte);
    Put(out, r.info_a), Put(out, r.block_figure), Put(out, r.info_b), Put(out, r.world_first);
    Put(out, r.world_second), Put(out, r.height), Put(out, r.width), Put(out, r.name);
}
void Put(Out& out, const IslandListRow& r) {
    Put(out, r.name), Put(out, r.width), Put(out, r.world_second), Put(out, r.world_first);
    Put(out, r.climate), Put(out, r.city_byte), Put(out, r.info_a), Put(out, r.position);
    Put(out, r.number);
}
template <class T>
void Put(Out& out, const std::vector<T>& list);
void Put(Out& out, const CityRecord& c) {
    Put(out, c.number), Put(out, c.island_number), Put(out, c.player), Put(out, c.people);
    Put(out, c.name), Put(out, c.abs_first), Put(out, c.abs_second), Put(out, c.position_word1);
    Put(out, c.position_word2), Put(out, c.has_head), Put(out, c.head_search_start);
    Put(out, c.has_catchment), Put(out, c.buildings);
}
void Put(Out& out, const std::optional<std::size_t>& index) {
    Put(out, index.has_value());
    Put(out, static_cast<std::uint64_t>(index.value_or(0)));
}
template <class T, std::size_t N>
void Put(Out& out, const std::array<T, N>& array) {
    for (const T& item : array) Put(out, item);
}
template <class T>
void Put(Out& out, const std::vector<T>& list) {
    Put(out, static_cast<std::uint32_t>(list.size()));
    if constexpr (std::is_trivially_copyable_v<T>) {
        out.Raw(list.data(), list.size() * sizeof(T));
    } else {
        for (const T& item : list) Put(out, item);
    }
}
void Put(Out& out, const CatchmentGrid& grid) { Put(out, grid.cells()); }

// -- reading ---------------------------------------------------------------------------------

struct In {
    std::span<const std::uint8_t> bytes;
    std::size_t at = 0;
    void Raw(void* data, std::size_t n) {
        if (n == 0) return;  // an empty list's data may be null
        if (n > bytes.size() - at) throw FormatError("journal record ends early");
        std::memcpy(data, bytes.data() + at, n);
        at += n;
    }
    std::size_t left() const { return bytes.size() - at; }
};

template <class T>
void Get(In& in, T& value) {
    static_assert(std::is_trivially_copyable_v<T>);
    in.Raw(&value, sizeof value);
}
void Get(In& in, bool& value) {
    std::uint8_t byte = 0;
    Get(in, byte);
    value = byte != 0;
}
std::uint32_t Count(In& in, std::size_t least_bytes_each) {
    std::uint32_t n = 0;
    Get(in, n);
    if (least_bytes_each > 0 && n > in.left() / least_bytes_each) {
        throw FormatError("journal record claims more items than it holds");
    }
    return n;
}
void Get(In& in, std::string& text) {
    text.resize(Count(in, 1));
    in.Raw(text.data(), text.size());
}
void Get(In& in, IslandRecord& r) {
    Get(in, r.number), Get(in, r.city_id), Get(in, r.climate), Get(in, r.buffer);
    Get(in, r.start), Get(in, r.data_limit), Get(in, r.city_byte), Get(in, r.people_byte);
    Get(in, r.info_a), Get(in, r.block_figure), Get(in, r.info_b), Get(in, r.world_first);
    Get(in, r.world_second), Get(in, r.height), Get(in, r.width), Get(in, r.name);
}
void Get(In& in, IslandListRow& r) {
    Get(in, r.name), Get(in, r.width), Get(in, r.world_second), Get(in, r.world_first);
    Get(in, r.climate), Get(in, r.city_byte), Get(in, r.info_a), Get(in, r.position);
    Get(in, r.number);
}
template <class T>
void Get(In& in, std::vector<T>& list);
void Get(In& in, CityRecord& c) {
    Get(in, c.number), Get(in, c.island_number), Get(in, c.player), Get(in, c.people);
    Get(in, c.name), Get(in, c.abs_first), Get(in, c.abs_second), Get(in, c.position_word1);
    Get(in, c.position_word2), Get(in, c.has_head), Get(in, c.head_search_start);
    Get(in, c.has_catchment), Get(in, c.buildings);
}
void Get(In& in, std::optional<std::size_t>& index) {
    bool has = false;
    std::uint64_t value = 0;
    Get(in, has), Get(in, value);
    index = has ? std::optional<std::size_t>(static_cast<std::size_t>(value)) : std::nullopt;
}
template <class T, std::size_t N>
void Get(In& in, std::array<T, N>& array) {
    for (T& item : array) Get(in, item);
}
template <class T>
void Get(In& in, std::vector<T>& list) {
    if constexpr (std::is_trivially_copyable_v<T>) {
        list.resize(Count(in, sizeof(T)));
        in.Raw(list.data(), list.size() * sizeof(T));
    } else {
        list.resize(Count(in, 4));
        for (T& item : list) Get(in, item);
    }
}
void Get(In& in, CatchmentGrid& grid) { Get(in, grid.Edit()); }

// A part read back must be one the document can hold.
void CheckParts(const Document& doc) {
    if (doc.cities.catchment.cells().size() !=
        static_cast<std::size_t>(kCatchmentSide) * kCatchmentSide)
        throw FormatError("journal holds a catchment grid of the wrong size");
    if (doc.cities.current && *doc.cities.current >= doc.cities.cities.size())
        throw FormatError("journal names a current city that does not exist");
    if (doc.island.rotation_angle < 0 || doc.island.rotation_angle > 3)
        throw FormatError("journal holds a rotation angle outside 0..3");
}

// -- documents and steps -----------------------------------------------------------------------

template <class T>
void PutLayer(Out& out, const Layer<T>& layer) {
    const int wx = layer.written_x(), wy = layer.written_y();
    Put(out, wx), Put(out, wy);
    for (int x = 0; x < wx; ++x) out.Raw(layer.column(x), static_cast<std::size_t>(wy) * sizeof(T));
}

template <class T>
void GetLayer(In& in, Layer<T>& layer) {
    int wx = 0, wy = 0;
    Get(in, wx), Get(in, wy);
    if (wx < 0 || wy < 0 || wx > kLayerSide || wy > kLayerSide)
        throw FormatError("journal holds a layer larger than an island can be");
    for (int x = 0; x < wx; ++x) in.Raw(layer.column(x), static_cast<std::size_t>(wy) * sizeof(T));
    layer.NoteWritten(wx, wy);
}

void PutCounts(Out& out, const IslandMap& island) {
    Put(out, island.block_counts_used);
    for (int b = 0; b < island.block_counts_used; ++b) {
        Put(out, island.block_height_counts[b]);
        Put(out, island.block_fertility_counts[b]);
    }
}

void GetCounts(In& in, std::vector<std::array<std::int32_t, 256>>& heights,
               std::vector<std::array<std::int32_t, 11>>& fertility, int& used) {
    Get(in, used);
    if (used < 0 || used > kLayerSide) throw FormatError("journal counts too many cell blocks");
    heights.assign(kLayerSide, {});
    fertility.assign(kLayerSide, {});
    for (int b = 0; b < used; ++b) Get(in, heights[b]), Get(in, fertility[b]);
}

void PutDocument(Out& out, const Document& doc) {
    auto& d = const_cast<Document&>(doc);  // only read
    History::Parts unused;
    ZipParts(d, unused, unused, [&](int, auto& part, auto&, auto&) { Put(out, part); });
    ForEachRecordedLayer(doc.island, [&](const auto& layer) { PutLayer(out, layer); });
    PutCounts(out, doc.island);
    Put(out, doc.island.series_usage);
    Put(out, doc.file.bytes);
}

void GetDocument(In& in, Document& doc) {
    History::Parts unused;
    ZipParts(doc, unused, unused, [&](int, auto& part, auto&, auto&) { Get(in, part); });
    CheckParts(doc);
    ForEachRecordedLayer(doc.island, [&](auto& layer) { GetLayer(in, layer); });
    GetCounts(in, doc.island.block_height_counts, doc.island.block_fertility_counts,
              doc.island.block_counts_used);
    Get(in, doc.island.series_usage);
    Get(in, doc.file.bytes);
}

// A step as its result: the cells, parts and bytes it changed with their values in `doc`.
void PutStep(Out& out, const Document& doc, const History::Step& step) {
    auto& d = const_cast<Document&>(doc);  // only read
    Put(out, step.name);
    ZipLayers(d.island, const_cast<History::Step&>(step), step,
              [&](auto& layer, auto& runs, auto&, Counted) {
                  // Recorded as the step redoes: the opposite of the turns it undoes.
                  Put(out, static_cast<std::uint8_t>(runs.TurnsBack(runs.quarter_turns)));
                  Put(out, static_cast<std::uint32_t>(runs.runs.size()));
                  for (const auto& run : runs.runs) {
                      Put(out, run);
                      out.Raw(layer.column(run.x) + run.y, run.n * sizeof(*layer.column(0)));
                  }
              });
    Put(out, step.parts_changed);
    if (step.parts) {
        ZipParts(d, *step.parts, *step.parts, [&](int bit, auto& part, auto&, auto&) {
            if (step.parts_changed >> bit & 1u) Put(out, part);
        });
    }
    Put(out, static_cast<std::uint32_t>(step.file_bytes.size()));
    for (const auto& byte : step.file_bytes) {
        Put(out, byte.offset);
        Put(out, doc.file.bytes[static_cast<std::size_t>(byte.offset)]);
    }
    Put(out, step.blocks != nullptr);
    if (step.blocks) PutCounts(out, doc.island);
}

std::unique_ptr<History::Step> GetStep(In& in, Document& doc) {
    auto step = std::make_unique<History::Step>();
    Get(in, step->name);
    ZipLayers(doc.island, *step, *step, [&](auto& layer, auto& runs, auto&, Counted) {
        using Value = std::remove_reference_t<decltype(*layer.column(0))>;
        std::uint8_t turns = 0;
        Get(in, turns);
        if (turns > 3) throw FormatError("journal step turns a layer more than three quarters");
        runs.quarter_turns = turns;
        const std::uint32_t n = Count(in, 6);
        runs.runs.resize(n);
        for (auto& run : runs.runs) {
            Get(in, run);
            if (run.n == 0 || run.x >= kLayerSide || run.y + run.n > kLayerSide)
                throw FormatError("journal step writes cells outside the layers");
            const std::size_t first = runs.values.size();
            runs.values.resize(first + run.n);
            in.Raw(runs.values.data() + first, run.n * sizeof(Value));
        }
    });
    Get(in, step->parts_changed);
    if (step->parts_changed >> kPartCount != 0) throw FormatError("journal step of unknown parts");
    if (step->parts_changed != 0) {
        step->parts = std::make_unique<History::Parts>();
        ZipParts(doc, *step->parts, *step->parts, [&](int bit, auto&, auto& part, auto&) {
            if (step->parts_changed >> bit & 1u) Get(in, part);
        });
    }
    step->file_bytes.resize(Count(in, 9));
    for (auto& byte : step->file_bytes) {
        Get(in, byte.offset), Get(in, byte.before);
        if (byte.offset < 0 || static_cast<std::uint64_t>(byte.offset) >= doc.file.bytes.size())
            throw FormatError("journal step patches a byte outside the file");
    }
    bool blocks = false;
    Get(in, blocks);
    if (blocks) {
        step->blocks = std::make_unique<BlockTables>();
        GetCounts(in, step->blocks->heights, step->blocks->fertility, step->blocks->used);
    }
    step->bytes = sizeof(History::Step) + in.bytes.size();
    return step;
}

// A record is written in place behind what `out` holds: its length and checksum first, filled
// in once the payload is there, so that a large record is not copied again.
template <class Payload>
void PutRecord(Out& out, Record kind, Payload payload) {
    const std::size_t start = out.bytes.size();
    out.bytes.resize(start + 12);
    Put(out, kind);
    payload(out);
    const auto content = std::span(out.bytes).subspan(start + 12);
    const auto length = static_cast<std::uint32_t>(content.size());
    const std::uint64_t checksum = JournalChecksum(content);
    std::memcpy(out.bytes.data() + start, &length, sizeof length);
    std::memcpy(out.bytes.data() + start + 4, &checksum, sizeof checksum);
}

// What the document's snapshot takes, near enough, so that it is built without regrowing.
std::size_t DocumentBytes(const Document& doc) {
    std::size_t cells = 0;
    const IslandMap& island = doc.island;
    ForEachRecordedLayer(island, [&](const auto& layer) {
        cells += static_cast<std::size_t>(layer.written_x()) * layer.written_y();
    });
    return 2 * cells + doc.file.bytes.size() + doc.cities.catchment.cells().size() * 2 +
           static_cast<std::size_t>(island.block_counts_used) * 267 * 4 + (1u << 20);
}

std::vector<std::uint8_t> Head(const JournalOrigin& origin, const std::string& file_name) {
    Out out;
    out.Raw(kMagic, sizeof kMagic - 1);
    Put(out, kVersion);
    for (const std::uint16_t size : {sizeof(MineRecord), sizeof(AnimalEntry), sizeof(ObjectEntry),
                                     sizeof(WarehouseRecord), sizeof(BuildingEntry)})
        Put(out, size);
    Put(out, origin.path), Put(out, origin.size), Put(out, origin.checksum), Put(out, origin.time);
    Put(out, file_name);
    return std::move(out.bytes);
}

// The journal's head: what it says of itself, and where its records begin.
std::size_t ReadHead(std::span<const std::uint8_t> bytes, JournalSummary& summary) {
    In in{bytes};
    char magic[sizeof kMagic - 1] = {};
    std::uint32_t version = 0;
    try {
        in.Raw(magic, sizeof magic);
        Get(in, version);
    } catch (const FormatError&) {
        throw FormatError("this is no recovery journal");
    }
    if (std::memcmp(magic, kMagic, sizeof magic) != 0) throw FormatError("this is no recovery journal");
    if (version != kVersion) {
        throw JournalVersionError(
            "the journal was written by another version of the editor (format " +
            std::to_string(version) + ")");
    }
    JournalOrigin& origin = summary.origin;
    try {
        for (const std::uint16_t size :
             {sizeof(MineRecord), sizeof(AnimalEntry), sizeof(ObjectEntry),
              sizeof(WarehouseRecord), sizeof(BuildingEntry)}) {
            std::uint16_t stored = 0;
            Get(in, stored);
            if (stored != size) throw FormatError("the journal was written by another build");
        }
        Get(in, origin.path), Get(in, origin.size), Get(in, origin.checksum), Get(in, origin.time);
        Get(in, summary.file_name);
    } catch (const FormatError& error) {
        throw FormatError(std::string("the journal's head is damaged: ") + error.what());
    }
    return in.at;
}

// Each whole record after the head in turn; a record cut short or garbled ends the journal
// there, as a crash while it was written would leave it. The first must be the document.
template <class EachRecord>
void ForEachRecord(std::span<const std::uint8_t> bytes, std::size_t at, EachRecord each) {
    In in{bytes, at};
    bool based = false;
    while (in.left() >= 12) {
        std::uint32_t length = 0;
        std::uint64_t checksum = 0;
        Get(in, length), Get(in, checksum);
        if (length == 0 || length > in.left()) break;
        const auto payload = bytes.subspan(in.at, length);
        if (JournalChecksum(payload) != checksum) break;
        in.at += length;
        if (!based && payload[0] != kBase) break;
        based = true;
        each(payload);
    }
    if (!based) throw FormatError("the journal holds no document");
}

// Whether the file the journal names is still as it was. Only a regular file of the recorded
// size is read: a damaged journal must not send the reader to a device or a huge file.
bool OriginChanged(const JournalOrigin& origin) {
    if (origin.size < 0) return false;
    const std::filesystem::path path = PathFromUtf8(origin.path);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return true;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec || size != static_cast<std::uintmax_t>(origin.size)) return true;
    std::ifstream file(path, std::ios::binary);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(origin.size));
    file.read(reinterpret_cast<char*>(bytes.data()), origin.size);
    return !file || JournalChecksum(bytes) != origin.checksum;
}

}  // namespace

std::uint64_t JournalChecksum(std::span<const std::uint8_t> bytes) {
    // Eight bytes a round: the whole document passes through here on the editing path.
    std::uint64_t hash = 0x9E3779B97F4A7C15u ^ bytes.size();
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + i, sizeof word);
        hash = (std::rotl(hash, 23) ^ word) * 0x100000001B3u;
    }
    for (; i < bytes.size(); ++i) hash = (std::rotl(hash, 23) ^ bytes[i]) * 0x100000001B3u;
    return hash ^ (hash >> 31);
}

JournalOrigin OriginOf(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    return {PathToUtf8(std::filesystem::absolute(path)), static_cast<std::int64_t>(bytes.size()),
            JournalChecksum(bytes),
            std::chrono::duration_cast<std::chrono::seconds>(
                std::chrono::system_clock::now().time_since_epoch())
                .count()};
}

// -- the journal -------------------------------------------------------------------------------

Journal::Journal(std::filesystem::path path, std::chrono::milliseconds delay)
    : file_(std::move(path), delay) {}

void Journal::Starting(const Document& doc) {
    Out out;
    out.bytes = file_.TakeSpare();
    const std::vector<std::uint8_t> head = Head(origin_, doc.file_name);
    out.bytes.reserve(head.size() + DocumentBytes(doc));
    out.bytes.assign(head.begin(), head.end());
    PutRecord(out, kBase, [&](Out& o) { PutDocument(o, doc); });
    file_.Restart(std::move(out.bytes));
}

void Journal::Recorded(const Document& doc, const History::Step& step) {
    Out out;
    PutRecord(out, kStep, [&](Out& o) { PutStep(o, doc, step); });
    file_.Append(std::move(out.bytes));
}

void Journal::Moved(int steps) {
    Out out;
    PutRecord(out, steps < 0 ? kUndo : kRedo,
              [&](Out& o) { Put(o, static_cast<std::int32_t>(steps < 0 ? -steps : steps)); });
    file_.Append(std::move(out.bytes));
}

void Journal::Clean() { file_.Remove(); }

JournalSummary ReadJournalSummary(std::span<const std::uint8_t> bytes) {
    JournalSummary summary;
    const std::size_t records = ReadHead(bytes, summary);
    ForEachRecord(bytes, records, [&](std::span<const std::uint8_t> payload) {
        if (payload[0] == kStep) ++summary.steps;
    });
    summary.origin_changed = OriginChanged(summary.origin);
    return summary;
}

JournalSummary RecoverJournal(Editor& editor, std::span<const std::uint8_t> bytes) {
    JournalSummary summary;
    const std::size_t records = ReadHead(bytes, summary);
    if (OriginChanged(summary.origin)) {
        throw FileError(summary.origin.path +
                        " changed since the journal began, or is gone; the journal is not "
                        "applied to other bytes");
    }
    auto doc = std::make_unique<Document>();
    History history(editor.history.limit());
    ForEachRecord(bytes, records, [&](std::span<const std::uint8_t> payload) {
        In in{payload.subspan(1)};
        switch (payload[0]) {
            case kBase:
                GetDocument(in, *doc);
                history.Reset(*doc);
                break;
            case kStep: {
                ++summary.steps;
                auto step = GetStep(in, *doc);
                history.Replay(*doc, std::move(step));
                CheckParts(*doc);
                break;
            }
            case kUndo:
            case kRedo: {
                std::int32_t n = 0;
                Get(in, n);
                if (payload[0] == kUndo) {
                    history.Undo(*doc, n);
                } else {
                    history.Redo(*doc, n);
                }
                break;
            }
            default:
                throw FormatError("journal record of unknown kind " + std::to_string(payload[0]));
        }
    });
    // Whatever step it stands at, the work is not in a file yet: closing must ask about it.
    history.ForgetSaved();
    editor.doc = std::move(*doc);
    editor.history = std::move(history);
    editor.view.island_shown = true;
    return summary;
}

// -- the file ------------------------------------------------------------------------------------

JournalFile::JournalFile(std::filesystem::path path, std::chrono::milliseconds delay)
    : path_(std::move(path)), delay_(delay), worker_([this] { Run(); }) {}

JournalFile::~JournalFile() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
        flush_ = true;
    }
    wake_.notify_all();
    worker_.join();
}

void JournalFile::Restart(std::vector<std::uint8_t> head) {
    std::lock_guard lock(mutex_);
    // Nothing queued before matters once the file starts anew.
    queue_.clear();
    queue_.push_back({Task::Restart, std::move(head)});
    last_change_ = std::chrono::steady_clock::now();
    wake_.notify_all();
}

void JournalFile::Append(std::vector<std::uint8_t> record) {
    std::lock_guard lock(mutex_);
    queue_.push_back({Task::Append, std::move(record)});
    last_change_ = std::chrono::steady_clock::now();
    wake_.notify_all();
}

void JournalFile::Remove() {
    std::lock_guard lock(mutex_);
    queue_.clear();
    queue_.push_back({Task::Remove, {}});
    flush_ = true;
    wake_.notify_all();
}

void JournalFile::Flush() {
    std::unique_lock lock(mutex_);
    flush_ = true;
    wake_.notify_all();
    done_.wait(lock, [&] { return queue_.empty() && !busy_; });
    if (!failure_.empty()) {
        const std::string failure = std::move(failure_);
        failure_.clear();
        throw FileError(failure);
    }
}

std::vector<std::uint8_t> JournalFile::TakeSpare() {
    std::lock_guard lock(mutex_);
    std::vector<std::uint8_t> spare = std::move(spare_);
    spare.clear();
    return spare;
}

std::uint64_t JournalFile::bytes_written() const {
    std::lock_guard lock(mutex_);
    return written_;
}

void JournalFile::Run() {
    std::unique_lock lock(mutex_);
    while (true) {
        wake_.wait(lock, [&] { return stop_ || flush_ || !queue_.empty(); });
        if (queue_.empty()) {
            flush_ = false;
            done_.notify_all();
            if (stop_) return;
            continue;
        }
        // A few seconds after the last change, so that a burst of steps is one write.
        if (!flush_ && !stop_) {
            const auto due = last_change_ + delay_;
            if (std::chrono::steady_clock::now() < due) {
                wake_.wait_until(lock, due, [&] { return stop_ || flush_; });
                if (std::chrono::steady_clock::now() < last_change_ + delay_ && !flush_ && !stop_)
                    continue;
            }
        }
        std::deque<Task> batch;
        batch.swap(queue_);
        busy_ = true;
        lock.unlock();
        std::string failure;
        std::uint64_t written = 0;
        try {
            std::vector<std::uint8_t> appended;
            for (Task& task : batch) {
                if (task.kind == Task::Remove) {
                    std::error_code ignored;
                    std::filesystem::remove(path_, ignored);
                    appended.clear();
                } else if (task.kind == Task::Restart) {
                    WriteFileAtomically(path_, task.bytes);
                    written += task.bytes.size();
                    appended.clear();
                } else {
                    appended.insert(appended.end(), task.bytes.begin(), task.bytes.end());
                }
            }
            if (!appended.empty()) {
                AppendToFileDurably(path_, appended);
                written += appended.size();
            }
        } catch (const Error& error) {
            failure = error.what();
        }
        lock.lock();
        for (Task& task : batch) {
            if (task.kind == Task::Restart && task.bytes.capacity() > spare_.capacity())
                spare_ = std::move(task.bytes);
        }
        busy_ = false;
        written_ += written;
        if (!failure.empty()) failure_ = failure;
        if (queue_.empty()) {
            flush_ = false;
            done_.notify_all();
        }
        if (stop_ && queue_.empty()) return;
    }
}

}  // namespace insel
