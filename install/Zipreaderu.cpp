#include "install/Zipreaderu.h"

#if VEMI_HAVE_LIBDEFLATE
#include <libdeflate.h>
#endif
#include <zlib.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <ctime>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>

#include "platform/bytes.h"
#include "platform/hostfile.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace {

// Big pieces keep the per-call costs (reads, inflate calls, writes, events) out of
// the way; a megabyte is also a fine grain for the progress bars.
constexpr size_t kChunk = 1 << 20;
// Local headers are read through a smaller window so that opening a large archive
// does not read its data.
constexpr size_t kHeaderWindow = 64 << 10;
// Members up to this size are unpacked in memory and written by the writer thread;
// bigger ones are streamed into their files. The window of what may wait for the
// writer is kept small on purpose: fresh memory costs page faults, and a few
// megabytes already keep the writer busy.
constexpr size_t kHandOverLimit = kChunk;
// Members up to this size are unpacked into a memory stream in one piece.
constexpr uint64_t kDirectStreamLimit = 64 << 20;
constexpr size_t kPendingBytes = 4 << 20;
constexpr size_t kPendingFiles = 512;

constexpr uint32_t kLocalSig = 0x04034b50;
constexpr uint32_t kCentralSig = 0x02014b50;
constexpr uint32_t kEndSig = 0x06054b50;
constexpr size_t kEndSize = 22;
constexpr size_t kCentralSize = 46;
constexpr size_t kLocalSize = 30;


bool IsAscii(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// iconv is only worth starting for names that are not plain ASCII, which all three
// code pages share; most names are ASCII and archives can hold thousands of them.
std::string OemToAnsi(std::string_view s) { return IsAscii(s) ? std::string(s) : platform::Oem852ToCp1250(s); }
std::string Utf8ToAnsi(std::string_view s) { return IsAscii(s) ? std::string(s) : platform::Utf8ToCp1250(s); }
std::string OemToHost(std::string_view s) { return IsAscii(s) ? std::string(s) : platform::Oem852ToUtf8(s); }
// Host names are compared ignoring letter case, as the program's file system does.
std::string HostKey(std::string_view s) { return platform::UpperUtf8(s); }

bool IsSeparator(char c) { return c == '/' || c == '\\'; }
char Fold(char c) { return c == '/' ? '\\' : platform::UpperCp1250(c); }

bool SamePath(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Fold(a[i]) != Fold(b[i])) return false;
    return true;
}

bool SameHostPath(std::string_view a, std::string_view b) {
    std::string x = HostKey(a), y = HostKey(b);
    std::replace(x.begin(), x.end(), '\\', '/');
    std::replace(y.begin(), y.end(), '\\', '/');
    return x == y;
}

std::string_view NamePart(std::string_view path) {
    size_t i = path.size();
    while (i > 0 && !IsSeparator(path[i - 1])) --i;
    return path.substr(i);
}

std::string Shown(std::string_view name) {
    std::string s(name);
    std::replace(s.begin(), s.end(), '/', '\\');
    return s;
}

bool Wild(std::string_view m, std::string_view s) {
    size_t i = 0, j = 0, star = std::string_view::npos, mark = 0;
    while (j < s.size()) {
        if (i < m.size() && m[i] == '*') {
            star = i++;
            mark = j;
        } else if (i < m.size() && (m[i] == '?' || Fold(m[i]) == Fold(s[j]))) {
            ++i;
            ++j;
        } else if (star != std::string_view::npos) {
            i = star + 1;
            j = ++mark;
        } else {
            return false;
        }
    }
    while (i < m.size() && m[i] == '*') ++i;
    return i == m.size();
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar (out-of-range
// days roll over into the next month, as the calendar functions do).
int64_t DaysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yearOfEra = y - era * 400;
    const int dayOfYear = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return int64_t{era} * 146097 + dayOfEra - 719468;
}

// The archive keeps local time, as the packing machine's clock showed it. Damaged
// fields are pulled into range rather than refused: a wrong date is no reason to
// lose a file. (Worked out by hand from the zone's offset because mktime looks at
// the zone file again on every call, which shows in archives of thousands of files.)
int64_t DosToUnix(uint16_t date, uint16_t time) {
    const int64_t asUtc = DaysFromCivil(((date >> 9) & 0x7F) + 1980, std::clamp((date >> 5) & 15, 1, 12),
                                        std::clamp(date & 31, 1, 31)) * 86400 +
                          std::min(time >> 11, 23) * 3600 + std::min((time >> 5) & 63, 59) * 60 +
                          std::min((time & 31) * 2, 59);
    // The offset in force at the wanted local time; a second look settles the hours
    // next to a change of daylight-saving time.
    const int64_t first = platform::HostUtcOffset(asUtc);
    const int64_t second = platform::HostUtcOffset(asUtc - first);
    return asUtc - second;
}

struct Unpacked {
    bool cancelled = false;
    const char* why = nullptr;  // what is wrong with the data; nullptr when nothing
};

#if VEMI_HAVE_LIBDEFLATE
// CRC-32 as ZIP uses it; libdeflate's runs many times faster than zlib's where the
// processor can multiply without carries.
uint32_t Crc32(uint32_t crc, const uint8_t* p, size_t n) { return libdeflate_crc32(crc, p, n); }
using WholeInflater = libdeflate_decompressor;
WholeInflater* NewWholeInflater() { return libdeflate_alloc_decompressor(); }
void FreeWholeInflater(WholeInflater* w) { libdeflate_free_decompressor(w); }
#else
// A build without libdeflate (the Windows one: there is no package of it for the
// cross compiler) checks with zlib and inflates every member through the stream.
uint32_t Crc32(uint32_t crc, const uint8_t* p, size_t n) {
    while (n > 0) {
        const uInt piece = static_cast<uInt>(std::min<size_t>(n, 1u << 30));
        crc = static_cast<uint32_t>(crc32(crc, p, piece));
        p += piece;
        n -= piece;
    }
    return crc;
}
struct WholeInflater;
WholeInflater* NewWholeInflater() { return nullptr; }
void FreeWholeInflater(WholeInflater*) {}
#endif

// Packed data up to this size is unpacked in one call when its member goes whole
// into memory.
constexpr uint64_t kWholeLimit = 64 << 20;

// The heart of the reader, for a stream, a file or a block of memory alike.
// `read(at, n)` gives n packed bytes from offset `at` of the member's data
// (nullptr when they cannot be had). Unpacked bytes go straight to `direct` when the
// caller has room for the whole declared size there, else through `scratch` to
// `put(p, n)`. `progress(done)` is asked after each piece and returns true to
// cancel. Output never runs past the declared size: once it is reached, a small
// probe tells a stream that really ends there from one that would go on (and fill
// the disk). A deflated member that goes whole to `direct` is unpacked by `whole`
// in one call, which is twice as fast as zlib's inflater, when its packed data
// can be had in one piece.
template <class Read, class Put, class Progress>
Unpacked Unpack(z_stream* z, WholeInflater* whole, uint16_t method, uint64_t packedSize, uint64_t size,
                uint32_t expectedCrc, uint8_t* direct, std::vector<uint8_t>& scratch, Read&& read, Put&& put,
                Progress&& progress) {
    Unpacked result;
#if VEMI_HAVE_LIBDEFLATE
    if (method == 8 && direct && whole && packedSize <= kWholeLimit) {
        const uint8_t* p = read(0, static_cast<size_t>(packedSize));
        if (!p) return {false, "cannot be read from the archive"};
        size_t got = 0;
        switch (libdeflate_deflate_decompress(whole, p, static_cast<size_t>(packedSize), direct, static_cast<size_t>(size), &got)) {
        case LIBDEFLATE_SUCCESS: break;
        case LIBDEFLATE_INSUFFICIENT_SPACE: return {false, "unpacks to more than its declared size"};
        default: return {false, "has damaged compressed data"};
        }
        if (got != size) return {false, "does not have its declared size"};
        if (Crc32(0, direct, got) != expectedCrc) return {false, "fails its CRC check"};
        return result;
    }
#endif
    uint32_t crc = 0;
    uint64_t produced = 0;
    if (method == 0) {
        uint64_t at = 0;
        while (at < packedSize) {
            const size_t n = static_cast<size_t>(std::min<uint64_t>(packedSize - at, kChunk));
            const uint8_t* p = read(at, n);
            if (!p) return {false, "cannot be read from the archive"};
            crc = Crc32(crc, p, n);
            if (direct) std::memcpy(direct + produced, p, n);
            else put(p, n);
            at += n;
            produced += n;
            if (at < packedSize && progress(produced)) return {true, nullptr};
        }
    } else {
        if (!direct && scratch.size() < kChunk) scratch.resize(kChunk);
        uint8_t probe[64];
        uint64_t at = 0;
        z->next_in = nullptr;
        z->avail_in = 0;
        for (;;) {
            if (z->avail_in == 0 && at < packedSize) {
                const size_t n = static_cast<size_t>(std::min<uint64_t>(packedSize - at, kChunk));
                const uint8_t* p = read(at, n);
                if (!p) return {false, "cannot be read from the archive"};
                z->next_in = const_cast<Bytef*>(p);
                z->avail_in = static_cast<uInt>(n);
                at += n;
            }
            const uint64_t room = size - produced;
            const bool probing = room == 0;
            uint8_t* out = probing ? probe : direct ? direct + produced : scratch.data();
            z->next_out = out;
            z->avail_out = probing ? static_cast<uInt>(sizeof probe) : static_cast<uInt>(std::min<uint64_t>(room, kChunk));
            const uInt inBefore = z->avail_in, outBefore = z->avail_out;
            const int r = inflate(z, Z_NO_FLUSH);
            const size_t got = outBefore - z->avail_out;
            if (r != Z_OK && r != Z_STREAM_END && r != Z_BUF_ERROR) return {false, "has damaged compressed data"};
            if (probing && got > 0) return {false, "unpacks to more than its declared size"};
            if (got > 0) {
                crc = Crc32(crc, out, got);
                if (!direct) put(out, got);
                produced += got;
            }
            if (r == Z_STREAM_END) break;
            if (got == 0 && z->avail_in == inBefore) {
                if (z->avail_in == 0 && at == packedSize) return {false, "ends before its compressed data does"};
                return {false, "has damaged compressed data"};
            }
            if (got > 0 && produced < size && progress(produced)) return {true, nullptr};
        }
    }
    if (produced != size) return {false, "does not have its declared size"};
    if (crc != expectedCrc) return {false, "fails its CRC check"};
    return result;
}

}  // namespace

// The archive's bytes: a file read through a window of positioned reads, or a block
// of memory. Views stay valid until the next call of View.
class TJXZipReader::Source {
public:
    explicit Source(platform::HostFile file) : file_(std::move(file)), size_(file_.Size()) {}
    explicit Source(std::vector<uint8_t> bytes) : memory_(std::move(bytes)), size_(memory_.size()), inMemory_(true) {}

    uint64_t Size() const { return size_; }

    // n bytes at the offset, or nullptr when they are not all in the file. A window
    // read brings in at least `ahead` bytes, so that the small members that follow
    // one another in an archive cost one read together.
    const uint8_t* View(uint64_t offset, size_t n, size_t ahead) {
        if (offset > size_ || n > size_ - offset) return nullptr;
        if (inMemory_) return memory_.data() + offset;
        if (offset >= start_ && offset - start_ + n <= length_) return window_.data() + (offset - start_);
        size_t want = static_cast<size_t>(std::min<uint64_t>(std::max(n, ahead), size_ - offset));
        if (window_.size() < want) window_.resize(want);
        length_ = 0;
        if (!file_.ReadAt(offset, window_.data(), want)) return nullptr;
        start_ = offset;
        length_ = want;
        return window_.data();
    }

private:
    platform::HostFile file_;
    std::vector<uint8_t> memory_;
    uint64_t size_ = 0;
    bool inMemory_ = false;
    std::vector<uint8_t> window_;
    uint64_t start_ = 0;
    size_t length_ = 0;
};

// Where a member's bytes go: a memory stream, a scratch vector or a file.
class TJXZipReader::Sink {
public:
    platform::MemoryStream* stream = nullptr;
    std::vector<uint8_t>* vector = nullptr;
    platform::HostFile* file = nullptr;
    std::string fileName;  // Windows path, for the message when writing fails
    // A block that holds exactly the member's declared size: data is unpacked
    // straight into it, with no copy.
    uint8_t* direct = nullptr;

    void Put(const uint8_t* data, size_t n) {
        if (stream) stream->Write(data, n);
        else if (vector) vector->insert(vector->end(), data, data + n);
        else if (file && !file->Write(data, n))
            throw EJXZipError("Cannot write " + fileName + ": " + platform::Utf8ToCp1250(platform::HostLastError()));
    }
};

// One inflate state for the reader's whole life; resetting it per member is much
// cheaper than setting it up again.
struct TJXZipReader::Inflater {
    z_stream z{};
    bool ready = false;
    WholeInflater* whole = nullptr;
    ~Inflater() {
        if (ready) inflateEnd(&z);
        if (whole) FreeWholeInflater(whole);
    }
    // The one-call decompressor; nullptr when it cannot be had (zlib's does it all).
    WholeInflater* Whole() {
        if (!whole) whole = NewWholeInflater();
        return whole;
    }
    z_stream& Start() {
        if (!ready) {
            if (inflateInit2(&z, -MAX_WBITS) != Z_OK) throw EJXZipError("The inflater cannot be started");
            ready = true;
        } else {
            inflateReset(&z);
        }
        return z;
    }
};

// The folders below the base folder as ExtractFiles meets them. Names are matched
// ignoring letter case, as the program's file system does; each folder is listed
// once, so a folder of thousands of members costs no more per member than a small
// one.
class TJXZipReader::FolderCache {
public:
    FolderCache(std::string baseHost, std::string baseWin) : baseHost_(std::move(baseHost)), baseWin_(std::move(baseWin)) {}

    // The host path of the folder made of the first `count` parts, missing levels
    // created. `parts` are the names as the program shows them (Windows-1250, for
    // messages), `hostParts` the same names exactly, as the host gets them.
    std::string Ensure(const std::vector<std::string>& parts, const std::vector<std::string>& hostParts, size_t count) {
        if (count == 0) return baseHost_;
        std::string key;
        for (size_t i = 0; i < count; ++i) key += HostKey(hostParts[i]) + '/';
        auto known = resolved_.find(key);
        if (known != resolved_.end()) return known->second;
        std::string parent = Ensure(parts, hostParts, count - 1);
        Listing& names = ListingOf(parent);
        const std::string& part = hostParts[count - 1];
        std::string folded = HostKey(part);
        std::string child;
        auto it = names.find(folded);
        if (it != names.end()) {
            child = parent + "/" + it->second.host;
            if (platform::HostTargetKind(child) != platform::HostKind::Directory)
                throw EJXZipError("Cannot create the folder " + WinPath(parts, count) + ": a file of that name is in the way");
        } else {
            const std::string& host = part;
            child = parent + "/" + host;
            if (!platform::HostMakeDirectory(child))
                throw EJXZipError("Cannot create the folder " + WinPath(parts, count) + ": " +
                                  platform::Utf8ToCp1250(platform::HostLastError()));
            names[folded] = {host, true};
        }
        resolved_[key] = child;
        return child;
    }

    // The host path for a new file in the folder. Whatever has the name now, in any
    // letter case, goes first: a read-only file as well, and a link as a link, never
    // the file it points to. When the name was written by this extraction (an
    // archive that holds a name twice), `settle` is called first, so that the
    // earlier file is really there before it is replaced.
    std::string PrepareFile(const std::string& folder, const std::string& hostName, const std::string& shownName,
                            const std::function<void()>& settle) {
        Listing& names = ListingOf(folder);
        std::string folded = HostKey(hostName);
        auto it = names.find(folded);
        if (it != names.end()) {
            if (it->second.ours) settle();
            std::string old = folder + "/" + it->second.host;
            platform::HostKind kind = platform::HostPathKind(old);
            if (kind == platform::HostKind::Directory)
                throw EJXZipError("Cannot create " + baseWin_ + "\\" + shownName + ": a folder of that name is in the way");
            if (kind != platform::HostKind::None && !platform::HostRemoveFile(old))
                throw EJXZipError("Cannot replace " + baseWin_ + "\\" + shownName + ": " +
                                  platform::Utf8ToCp1250(platform::HostLastError()));
            names.erase(it);
        }
        names[folded] = {hostName, true};
        return folder + "/" + hostName;
    }

    std::string WinPath(const std::vector<std::string>& parts, size_t count) const {
        std::string s = baseWin_;
        for (size_t i = 0; i < count; ++i) s += "\\" + parts[i];
        return s;
    }

private:
    struct Name {
        std::string host;   // the name on the host
        bool ours = false;  // made by this extraction
    };
    // Upper-cased host name -> what is there. The key is made from the exact name:
    // two names that differ only in letters Windows-1250 lacks must never meet
    // under one key.
    using Listing = std::unordered_map<std::string, Name>;

    Listing& ListingOf(const std::string& folder) {
        auto it = listings_.find(folder);
        if (it != listings_.end()) return it->second;
        Listing& names = listings_[folder];
        for (auto& n : platform::HostListNames(folder)) names.emplace(HostKey(n), Name{n, false});
        return names;
    }

    std::string baseHost_, baseWin_;
    std::unordered_map<std::string, Listing> listings_;
    std::unordered_map<std::string, std::string> resolved_;
};

// Creating and writing files is the system's work, unpacking is ours; on two cores
// they can go on side by side. During ExtractFiles one writer thread creates the
// files of members that the caller's thread has already unpacked and checked, in
// member order, while the caller's thread goes on with the next member and raises
// the events. Only members that passed every check and were not cancelled are
// handed over. A failure is reported for the first member that failed; files of
// members after it are taken away again.
class TJXZipReader::FileWriter {
public:
    // Memory for one member's bytes, recycled from file to file so that the pages
    // are not handed back to the system and faulted in again each time.
    struct Buffer {
        std::unique_ptr<uint8_t[]> bytes;
        size_t capacity = 0;
        size_t size = 0;
    };
    struct Job {
        size_t order = 0;
        std::string target;     // host path
        std::string targetWin;  // for messages
        Buffer data;
        int64_t time = 0;
        bool readOnly = false;
        bool executable = false;
    };

    ~FileWriter() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        if (thread_.joinable()) thread_.join();
    }

    // A buffer of at least n bytes (its size set to n).
    Buffer Take(size_t n) {
        const unsigned c = SizeClass(n);
        Buffer b;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!spare_[c].empty()) {
                b = std::move(spare_[c].back());
                spare_[c].pop_back();
                spareBytes_ -= b.capacity;
            }
        }
        if (!b.bytes) {
            b.capacity = size_t{1} << c;
            b.bytes.reset(new uint8_t[b.capacity]);
        }
        b.size = n;
        return b;
    }

    void Submit(Job job) {
        std::unique_lock<std::mutex> lock(mutex_);
        if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
        room_.wait(lock, [&] { return pendingBytes_ < kPendingBytes && queue_.size() < kPendingFiles; });
        pendingBytes_ += job.data.size;
        queue_.push_back(std::move(job));
        lock.unlock();
        wake_.notify_one();
    }

    // A file the caller's thread wrote itself, to be taken away again when a member
    // before it turns out to have failed.
    void WrittenHere(size_t order, const std::string& target) {
        std::lock_guard<std::mutex> lock(mutex_);
        written_.emplace_back(order, target);
    }

    // Waits for every file handed over. Returns the first failure, if any, after
    // removing the files of the members behind it.
    std::optional<std::string> Settle() {
        std::unique_lock<std::mutex> lock(mutex_);
        room_.wait(lock, [&] { return queue_.empty() && !busy_; });
        std::optional<std::string> result;
        if (failed_) {
            for (auto& [order, target] : written_)
                if (order > failedOrder_) platform::HostRemoveFile(target);
            result = failure_;
        }
        written_.clear();
        return result;
    }

    bool Failed() {
        std::lock_guard<std::mutex> lock(mutex_);
        return failed_;
    }

    // A member the caller's thread could not extract: its failure counts unless an
    // earlier member's file could not be written either.
    void FailedAt(size_t order, const std::string& why) {
        std::lock_guard<std::mutex> lock(mutex_);
        Record(order, why);
    }

private:
    // Buffers come in powers of two from 64 KiB up to the hand-over limit.
    static unsigned SizeClass(size_t n) {
        unsigned c = 16;
        while ((size_t{1} << c) < n) ++c;
        return c;
    }

    void Record(size_t order, const std::string& why) {
        if (!failed_ || order < failedOrder_) {
            failed_ = true;
            failedOrder_ = order;
            failure_ = why;
        }
    }

    void Run() {
        for (;;) {
            Job job;
            bool skip;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                wake_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
                if (queue_.empty()) return;
                job = std::move(queue_.front());
                queue_.pop_front();
                busy_ = true;
                // Nothing is written behind a member that failed.
                skip = failed_ && job.order > failedOrder_;
            }
            std::string why = skip ? std::string() : Write(job);
            {
                std::lock_guard<std::mutex> lock(mutex_);
                if (!why.empty()) Record(job.order, why);
                else if (!skip) written_.emplace_back(job.order, job.target);
                pendingBytes_ -= job.data.size;
                busy_ = false;
                // Spares for what can be in flight, and no more.
                if (spareBytes_ + job.data.capacity <= kPendingBytes + kHandOverLimit) {
                    spareBytes_ += job.data.capacity;
                    spare_[SizeClass(job.data.capacity)].push_back(std::move(job.data));
                }
            }
            room_.notify_all();
        }
    }

    // The reason the file could not be written, or "" when it is there.
    static std::string Write(const Job& job) {
        platform::HostFile file;
        if (!file.CreateNew(job.target)) {
            bool again = file.LastCreateFoundExisting() && platform::HostPathKind(job.target) != platform::HostKind::Directory &&
                         platform::HostRemoveFile(job.target) && file.CreateNew(job.target);
            if (!again) return "Cannot create " + job.targetWin + ": " + platform::Utf8ToCp1250(platform::HostLastError());
        }
        bool ok = file.Write(job.data.bytes.get(), job.data.size);
        std::string why = ok ? std::string() : "Cannot write " + job.targetWin + ": " + platform::Utf8ToCp1250(platform::HostLastError());
        if (ok) {
            file.SetTimes(job.time);
            if (job.executable) file.SetExecutable();
            if (job.readOnly) file.SetReadOnly(true);
        }
        if (!file.Close() && ok) {
            ok = false;
            why = "Cannot write " + job.targetWin + ": " + platform::Utf8ToCp1250(platform::HostLastError());
        }
        if (!ok) platform::HostRemoveFile(job.target);
        return why;
    }

    std::mutex mutex_;
    std::condition_variable wake_, room_;
    std::deque<Job> queue_;
    std::thread thread_;
    std::vector<std::pair<size_t, std::string>> written_;
    std::vector<Buffer> spare_[24];
    size_t pendingBytes_ = 0, spareBytes_ = 0;
    bool busy_ = false;
    bool stopping_ = false;
    bool failed_ = false;
    size_t failedOrder_ = 0;
    std::string failure_;
};

TJXZipReader::TJXZipReader() = default;
TJXZipReader::~TJXZipReader() = default;

bool TJXZipReader::IsOpen() const { return source_ != nullptr; }

void TJXZipReader::CloseArchive() {
    source_.reset();
    entries_.clear();
}

void TJXZipReader::OpenArchive(int mode) {
    CloseArchive();
    if (mode != 0) throw EJXZipError("Archives can only be opened for reading");
    if (platform::ExtractFileName(fileName_).empty()) throw EJXZipError("The archive name has no file part: " + fileName_);
    auto host = platform::Drives().ToHost(fileName_);
    if (!host || platform::HostTargetKind(*host) != platform::HostKind::File)
        throw EJXZipError("The archive does not exist: " + fileName_);
    platform::HostFile file;
    if (!file.OpenRead(*host))
        throw EJXZipError("Cannot open the archive " + fileName_ + ": " + platform::Utf8ToCp1250(platform::HostLastError()));
    source_ = std::make_unique<Source>(std::move(file));
    try {
        ReadDirectory();
    } catch (...) {
        CloseArchive();
        throw;
    }
}

void TJXZipReader::OpenArchiveFromMemory(std::vector<uint8_t> bytes) {
    CloseArchive();
    source_ = std::make_unique<Source>(std::move(bytes));
    try {
        ReadDirectory();
    } catch (...) {
        CloseArchive();
        throw;
    }
}

void TJXZipReader::ReadDirectory() {
    const std::string notZip = "Not a readable ZIP archive: " + fileName_;
    const uint64_t size = source_->Size();
    if (size < kEndSize) throw EJXZipError(notZip);

    // The end record sits behind the central directory and before a comment of up
    // to 64 KiB. Its signature can turn up inside the comment too, so the search
    // goes backwards and takes the first record whose directory is really there.
    const size_t tailLen = static_cast<size_t>(std::min<uint64_t>(size, kEndSize + 0xFFFF));
    const uint64_t tailStart = size - tailLen;
    const uint8_t* view = source_->View(tailStart, tailLen, tailLen);
    if (!view) throw EJXZipError(notZip);
    const std::vector<uint8_t> tail(view, view + tailLen);

    auto isCentral = [&](uint64_t at) {
        const uint8_t* q = source_->View(at, 4, 4);
        return q && platform::LoadLE32(q) == kCentralSig;
    };

    bool sawZip64 = false, sawSpanned = false;
    uint64_t cdStart = 0, shift = 0;
    uint32_t cdSize = 0;
    uint16_t count = 0;
    bool found = false;
    for (size_t i = tailLen - kEndSize + 1; i-- > 0;) {
        const uint8_t* p = tail.data() + i;
        if (platform::LoadLE32(p) != kEndSig) continue;
        const uint64_t endPos = tailStart + i;
        const uint16_t disk = platform::LoadLE16(p + 4), cdDisk = platform::LoadLE16(p + 6), onDisk = platform::LoadLE16(p + 8), total = platform::LoadLE16(p + 10);
        const uint32_t dirSize = platform::LoadLE32(p + 12), dirOffset = platform::LoadLE32(p + 16);
        const uint16_t commentLen = platform::LoadLE16(p + 20);
        if (endPos + kEndSize + commentLen > size) continue;
        if (disk == 0xFFFF || cdDisk == 0xFFFF || onDisk == 0xFFFF || total == 0xFFFF || dirSize == 0xFFFFFFFF ||
            dirOffset == 0xFFFFFFFF) {
            sawZip64 = true;
            continue;
        }
        if (disk != 0 || cdDisk != 0 || onDisk != total) {
            sawSpanned = true;
            continue;
        }
        if (dirSize > endPos) continue;
        if (total == 0) {
            // An empty archive is nothing but its end record; a record of zeros
            // inside a comment must not pass for one.
            if (dirSize != 0 || dirOffset != endPos) continue;
            cdStart = endPos;
            shift = 0;
        } else if (uint64_t{dirOffset} + dirSize <= endPos && isCentral(dirOffset)) {
            cdStart = dirOffset;
            shift = 0;
        } else if (endPos - dirSize > dirOffset && isCentral(endPos - dirSize)) {
            // Something was put in front of the archive (a self-extractor's code):
            // every offset in the directory is short by the same amount.
            cdStart = endPos - dirSize;
            shift = cdStart - dirOffset;
        } else {
            continue;
        }
        cdSize = dirSize;
        count = total;
        found = true;
        break;
    }
    if (!found) {
        if (sawZip64) throw EJXZipError("ZIP64 archives cannot be read: " + fileName_);
        if (sawSpanned) throw EJXZipError("Archives split over several volumes cannot be read: " + fileName_);
        throw EJXZipError(notZip);
    }

    view = source_->View(cdStart, cdSize, cdSize);
    if (!view && cdSize) throw EJXZipError(notZip);
    const std::vector<uint8_t> dir(view, view + cdSize);

    const std::string damaged = "The directory of the archive is damaged: " + fileName_;
    entries_.reserve(count);
    size_t pos = 0;
    for (unsigned k = 0; k < count; ++k) {
        if (dir.size() - pos < kCentralSize) throw EJXZipError(damaged);
        const uint8_t* p = dir.data() + pos;
        if (platform::LoadLE32(p) != kCentralSig) throw EJXZipError(damaged);
        const size_t nameLen = platform::LoadLE16(p + 28), extraLen = platform::LoadLE16(p + 30), commentLen = platform::LoadLE16(p + 32);
        if (dir.size() - pos - kCentralSize < nameLen + extraLen + commentLen) throw EJXZipError(damaged);
        TJXZipEntry e;
        e.versionMadeBy = platform::LoadLE16(p + 4);
        e.flags = platform::LoadLE16(p + 8);
        e.method = platform::LoadLE16(p + 10);
        e.dosTime = platform::LoadLE16(p + 12);
        e.dosDate = platform::LoadLE16(p + 14);
        e.crc = platform::LoadLE32(p + 16);
        e.compressedSize = platform::LoadLE32(p + 20);
        e.uncompressedSize = platform::LoadLE32(p + 24);
        const uint16_t diskStart = platform::LoadLE16(p + 34);
        e.externalAttrs = platform::LoadLE32(p + 38);
        const uint32_t localOffset = platform::LoadLE32(p + 42);
        std::string_view raw(reinterpret_cast<const char*>(p + kCentralSize), nameLen);
        // Bit 11 says the name is UTF-8; without it the name is in the OEM code page
        // of the machine that packed it. The program shows it in Windows-1250; the
        // host gets it whole.
        bool nameLost = false;
        if (e.flags & 0x800) {
            e.name = Utf8ToAnsi(raw);
            if (platform::IsValidUtf8(raw)) e.hostName = std::string(raw);
            else nameLost = true;
        } else {
            e.name = OemToAnsi(raw);
            e.hostName = OemToHost(raw);
        }
        e.headerOffset = uint64_t{localOffset} + shift;

        const unsigned host = e.versionMadeBy >> 8;
        const uint32_t unixMode = e.externalAttrs >> 16;
        const bool unixMade = host == 3 && unixMode != 0;
        e.isFolder = (!e.name.empty() && IsSeparator(e.name.back())) || (e.externalAttrs & 0x10) ||
                     (unixMade && (unixMode & 0170000) == 0040000);
        e.readOnly = unixMade ? !(unixMode & 0200) : (e.externalAttrs & 1) != 0;
        // A program packed on a Unix system keeps its right to run: without it a
        // disc's own native programs would arrive as plain files.
        e.executable = unixMade && !e.isFolder && (unixMode & 0111) != 0;

        if (e.compressedSize == 0xFFFFFFFF || e.uncompressedSize == 0xFFFFFFFF || localOffset == 0xFFFFFFFF ||
            diskStart == 0xFFFF)
            e.problem = "uses ZIP64 extensions, which cannot be read";
        else if (diskStart != 0)
            e.problem = "lies on another volume";
        else if (e.flags & 0x41)
            e.problem = "is encrypted";
        else if (e.method != 0 && e.method != 8)
            e.problem = "is packed with method " + std::to_string(e.method) + ", which cannot be read";
        else if (e.method == 0 && e.compressedSize != e.uncompressedSize)
            e.problem = "is stored with two different sizes";
        else if (nameLost)
            e.problem = "has a name marked as UTF-8 that is not UTF-8, so its real name is unknown";
        entries_.push_back(std::move(e));
        pos += kCentralSize + nameLen + extraLen + commentLen;
    }
    CheckDataRanges(cdStart);
}

// Every member's bytes must lie inside the archive, before the directory, and no two
// members may share bytes: overlapping members are how a small archive pretends to
// hold far more than it does.
void TJXZipReader::CheckDataRanges(uint64_t cdStart) {
    struct Range {
        uint64_t start, end;
        size_t index;
    };
    std::vector<Range> ranges;
    ranges.reserve(entries_.size());
    for (size_t i = 0; i < entries_.size(); ++i) {
        TJXZipEntry& e = entries_[i];
        if (e.problem == "uses ZIP64 extensions, which cannot be read") continue;
        const uint8_t* p = e.headerOffset + kLocalSize <= cdStart ? source_->View(e.headerOffset, kLocalSize, kHeaderWindow) : nullptr;
        if (!p) {
            e.problem = "lies outside the archive";
            continue;
        }
        if (platform::LoadLE32(p) != kLocalSig) {
            e.problem = "has a damaged local header";
            continue;
        }
        e.dataOffset = e.headerOffset + kLocalSize + platform::LoadLE16(p + 26) + platform::LoadLE16(p + 28);
        const uint64_t end = e.dataOffset + e.compressedSize;
        if (end > cdStart) {
            e.problem = "reaches beyond the archive's data";
            continue;
        }
        ranges.push_back({e.headerOffset, end, i});
    }
    std::sort(ranges.begin(), ranges.end(), [](const Range& a, const Range& b) { return a.start < b.start; });
    uint64_t reach = 0;
    size_t owner = SIZE_MAX;
    for (const Range& r : ranges) {
        if (owner != SIZE_MAX && r.start < reach) {
            entries_[r.index].problem = "shares its data with another member";
            entries_[owner].problem = "shares its data with another member";
        }
        if (owner == SIZE_MAX || r.end > reach) {
            reach = r.end;
            owner = r.index;
        }
    }
}

int TJXZipReader::FindMember(std::string_view name) const {
    for (size_t i = 0; i < entries_.size(); ++i)
        if (SamePath(entries_[i].name, name)) return static_cast<int>(i);
    for (size_t i = 0; i < entries_.size(); ++i)
        if (SamePath(NamePart(entries_[i].name), name)) return static_cast<int>(i);
    return -1;
}

int TJXZipReader::FindHostMember(std::string_view utf8Name) const {
    for (size_t i = 0; i < entries_.size(); ++i)
        if (SameHostPath(entries_[i].hostName, utf8Name)) return static_cast<int>(i);
    for (size_t i = 0; i < entries_.size(); ++i)
        if (SameHostPath(NamePart(entries_[i].hostName), utf8Name)) return static_cast<int>(i);
    return -1;
}

bool TJXZipReader::MatchesMask(std::string_view mask, std::string_view name) {
    if (Wild(mask, name)) return true;
    // "NAME.*" also stands for "NAME" without an extension, and so "*.*" for every
    // name at all.
    return mask.size() >= 2 && mask.substr(mask.size() - 2) == ".*" && Wild(mask.substr(0, mask.size() - 2), name);
}

void TJXZipReader::Fail(const TJXZipEntry& e, const std::string& why) const {
    throw EJXZipError(Shown(e.name) + " in " + fileName_ + " " + why);
}

TJXZipReader::Outcome TJXZipReader::Decode(const TJXZipEntry& e, Sink& sink, const std::function<bool(uint64_t)>& progress) {
    Outcome outcome = Outcome::Done;
    const std::string why = TryDecode(e, sink, progress, outcome);
    if (!why.empty()) Fail(e, why);
    return outcome;
}

std::string TJXZipReader::TryDecode(const TJXZipEntry& e, Sink& sink, const std::function<bool(uint64_t)>& progress,
                                    Outcome& outcome) {
    if (!e.problem.empty()) return e.problem;
    if (e.uncompressedSize > sizeLimit_) return "is larger than allowed";
    z_stream* z = nullptr;
    WholeInflater* whole = nullptr;
    if (e.method == 8) {
        if (!inflater_) inflater_ = std::make_unique<Inflater>();
        z = &inflater_->Start();
        if (sink.direct) whole = inflater_->Whole();
    }
    const Unpacked u = Unpack(
        z, whole, e.method, e.compressedSize, e.uncompressedSize, e.crc, sink.direct, outBuf_,
        [&](uint64_t at, size_t n) { return source_->View(e.dataOffset + at, n, kChunk); },
        [&](const uint8_t* p, size_t n) { sink.Put(p, n); }, progress);
    if (u.why) return u.why;
    outcome = u.cancelled ? Outcome::Cancelled : Outcome::Done;
    return {};
}

void TJXZipReader::ExtractToStream(std::string_view name, platform::MemoryStream& out) {
    if (!IsOpen()) throw EJXZipError("No archive is open");
    const int i = FindMember(name);
    if (i < 0) throw EJXZipError("The archive " + fileName_ + " holds no member " + std::string(name));
    ExtractMemberToStream(static_cast<size_t>(i), out);
}

void TJXZipReader::ExtractMemberToStream(size_t i, platform::MemoryStream& out) {
    if (!IsOpen()) throw EJXZipError("No archive is open");
    if (i >= entries_.size()) throw EJXZipError("The archive " + fileName_ + " has no member " + std::to_string(i));
    const auto never = [](uint64_t) { return false; };
    const TJXZipEntry& e = entries_[i];
    Sink sink;
    if (out.Position() >= out.Size()) {
        // Appending: a failure only has to cut the stream back.
        const size_t pos = out.Position(), oldSize = out.Size();
        // When the data can really fill the declared size (deflate packs at most
        // about 1032 to 1), the stream gets that room at once and the member is
        // unpacked straight into it: no piece by piece copying, no regrowing of the
        // stream. The resource streams are read this way at every start. A size
        // beyond what a stream of the program needs goes the careful way, so that
        // a header that lies costs no more memory than the data really gives.
        const uint64_t most = e.method == 8 ? uint64_t{e.compressedSize} * 1032 + 1024 : e.compressedSize;
        if (e.problem.empty() && e.uncompressedSize > 0 && e.uncompressedSize <= sizeLimit_ &&
            e.uncompressedSize <= std::min<uint64_t>(most, kDirectStreamLimit)) {
            out.Bytes().resize(pos + e.uncompressedSize);
            sink.direct = out.Bytes().data() + pos;
            try {
                Decode(e, sink, never);
            } catch (...) {
                out.Bytes().resize(oldSize);
                out.Bytes().shrink_to_fit();
                out.Seek(pos);
                throw;
            }
            out.Seek(pos + e.uncompressedSize);
            return;
        }
        sink.stream = &out;
        try {
            Decode(entries_[i], sink, never);
        } catch (...) {
            out.Bytes().resize(oldSize);
            out.Seek(pos);
            throw;
        }
    } else {
        // Overwriting bytes the caller already has: nothing of them may be lost when
        // the member turns out damaged, so it goes through a scratch buffer.
        std::vector<uint8_t> bytes;
        sink.vector = &bytes;
        Decode(entries_[i], sink, never);
        out.Write(bytes.data(), bytes.size());
    }
}

bool TJXZipReader::RaiseFile(const std::string& name, double percent) {
    bool cancel = false;
    if (OnFileProgress) OnFileProgress(name, percent, cancel);
    return cancel;
}

bool TJXZipReader::RaiseOverall(double percent) {
    bool cancel = false;
    if (OnOverallProgress) OnOverallProgress(percent, cancel);
    return cancel;
}

namespace {

// The member's path as folder names below the base folder. A name that could put a
// file anywhere else (an absolute path, a drive, "..") is refused outright rather
// than tidied up: such an archive is broken or hostile, either way not to be
// trusted.
std::vector<std::string> SafeParts(const std::string& name, std::string& why) {
    std::vector<std::string> parts;
    if (name.empty()) {
        why = "has an empty name";
        return parts;
    }
    if (IsSeparator(name[0])) {
        why = "has an absolute path";
        return parts;
    }
    for (char c : name) {
        if (static_cast<unsigned char>(c) < 0x20) {
            why = "has a control character in its name";
            return parts;
        }
        if (c == ':') {
            why = "names a drive or a stream";
            return parts;
        }
    }
    std::string cur;
    auto flush = [&] {
        if (cur == "..") why = "climbs out of the target folder";
        else if (!cur.empty() && cur != ".") parts.push_back(cur);
        cur.clear();
    };
    for (char c : name) {
        if (IsSeparator(c)) flush();
        else cur += c;
    }
    flush();
    return parts;
}

}  // namespace

int TJXZipReader::ExtractFiles(const std::string& mask) {
    if (!IsOpen()) throw EJXZipError("No archive is open");
    if (baseDir_.empty()) throw EJXZipError("No target folder is set");
    cancelled_ = false;
    const std::string baseWin = platform::ExcludeTrailingBackslash(baseDir_);
    auto baseHost = platform::Drives().ToHost(baseWin);
    if (!baseHost) throw EJXZipError("The folder " + baseDir_ + " is on no known drive");
    if (!platform::HostMakeDirectories(*baseHost)) throw EJXZipError("Cannot create the folder " + baseDir_);

    std::vector<size_t> picked;
    uint64_t total = 0;
    for (size_t i = 0; i < entries_.size(); ++i) {
        const TJXZipEntry& e = entries_[i];
        if (!MatchesMask(mask, e.name) && !MatchesMask(mask, NamePart(e.name))) continue;
        picked.push_back(i);
        total += e.isFolder ? 1 : uint64_t{e.uncompressedSize} + 1;
    }

    if (RaiseOverall(0)) {
        cancelled_ = true;
        return 0;
    }
    FolderCache folders(*baseHost, baseWin);
    FileWriter writer;
    int written = 0;
    uint64_t done = 0;
    for (size_t order = 0; order < picked.size(); ++order) {
        const TJXZipEntry& e = entries_[picked[order]];
        if (writer.Failed()) break;
        current_ = &e;
        try {
            ExtractOne(e, order, folders, writer, done, total);
        } catch (const EJXZipError& failure) {
            current_ = nullptr;
            writer.FailedAt(order, failure.what());
            break;
        } catch (...) {
            // An event handler's own error: what was handed over is still written.
            current_ = nullptr;
            writer.Settle();
            throw;
        }
        current_ = nullptr;
        if (cancelled_) break;
        ++written;
        done += e.isFolder ? 1 : uint64_t{e.uncompressedSize} + 1;
    }
    if (auto failure = writer.Settle()) throw EJXZipError(*failure);
    if (!cancelled_) RaiseOverall(100);
    return written;
}

void TJXZipReader::ExtractOne(const TJXZipEntry& e, size_t order, FolderCache& folders, FileWriter& writer, uint64_t before,
                              uint64_t total) {
    const std::string shown = Shown(e.name);
    auto overall = [&](uint64_t inMember) { return RaiseOverall(total ? 100.0 * double(before + inMember) / double(total) : 100.0); };
    if (RaiseFile(shown, 0)) {
        cancelled_ = true;
        return;
    }
    if (!e.problem.empty()) Fail(e, e.problem);
    std::string why;
    std::vector<std::string> parts = SafeParts(e.name, why);
    if (!why.empty()) Fail(e, why + "; it was not extracted");
    // The host's names are the exact ones; they split where the shown ones do, as
    // separators are the same bytes in every code page.
    std::vector<std::string> hostParts = e.hostName == e.name ? parts : SafeParts(e.hostName, why);
    if (!why.empty()) Fail(e, why + "; it was not extracted");
    if (hostParts.size() != parts.size()) Fail(e, "has a name that cannot be written here");

    if (e.isFolder) {
        folders.Ensure(parts, hostParts, parts.size());
        bool cancel = RaiseFile(shown, 100);
        cancel = overall(1) || cancel;
        if (cancel) cancelled_ = true;
        return;
    }
    if (parts.empty()) Fail(e, "has no file name");
    if (e.uncompressedSize > sizeLimit_) Fail(e, "is larger than allowed");

    auto settle = [&] {
        if (auto failure = writer.Settle()) throw EJXZipError(*failure);
    };
    const std::string folder = folders.Ensure(parts, hostParts, parts.size() - 1);
    const std::string target = folders.PrepareFile(folder, hostParts.back(), shown, settle);
    const std::string targetWin = folders.WinPath(parts, parts.size());
    const double size = e.uncompressedSize;
    auto progress = [&](uint64_t produced) {
        bool cancel = RaiseFile(shown, 100.0 * double(produced) / size);
        return overall(produced) || cancel;
    };

    if (e.uncompressedSize <= kHandOverLimit) {
        // Unpacked and checked here, with its events; the writer thread only gets
        // what passed.
        FileWriter::Job job;
        job.order = order;
        job.target = target;
        job.targetWin = targetWin;
        job.data = writer.Take(e.uncompressedSize);
        Sink sink;
        sink.direct = job.data.bytes.get();
        bool cancel = Decode(e, sink, progress) == Outcome::Cancelled;
        if (!cancel) {
            cancel = RaiseFile(shown, 100);
            cancel = overall(uint64_t{e.uncompressedSize} + 1) || cancel;
        }
        if (cancel) {
            cancelled_ = true;
            return;
        }
        job.time = DosToUnix(e.dosDate, e.dosTime);
        job.readOnly = e.readOnly;
        job.executable = e.executable;
        writer.Submit(std::move(job));
        return;
    }

    // A big member streams straight into its file, here, while the writer thread
    // may still be busy with the members before it.
    platform::HostFile file;
    if (!file.CreateNew(target)) {
        // Something took the name after the folder was listed: it goes the same way
        // as a file that was there before.
        bool again = file.LastCreateFoundExisting() && platform::HostPathKind(target) != platform::HostKind::Directory &&
                     platform::HostRemoveFile(target) && file.CreateNew(target);
        if (!again) throw EJXZipError("Cannot create " + targetWin + ": " + platform::Utf8ToCp1250(platform::HostLastError()));
    }
    try {
        Sink sink;
        sink.file = &file;
        sink.fileName = targetWin;
        Outcome o = Decode(e, sink, progress);
        bool cancel = o == Outcome::Cancelled;
        if (!cancel) {
            cancel = RaiseFile(shown, 100);
            cancel = overall(uint64_t{e.uncompressedSize} + 1) || cancel;
        }
        if (cancel) {
            file.Close();
            platform::HostRemoveFile(target);
            cancelled_ = true;
            return;
        }
        // A date the file system refuses is no reason to throw the file away.
        file.SetTimes(DosToUnix(e.dosDate, e.dosTime));
        if (e.executable) file.SetExecutable();
        if (e.readOnly) file.SetReadOnly(true);
        if (!file.Close()) throw EJXZipError("Cannot write " + targetWin + ": " + platform::Utf8ToCp1250(platform::HostLastError()));
        writer.WrittenHere(order, target);
    } catch (...) {
        file.Close();
        platform::HostRemoveFile(target);
        throw;
    }
}

int TJXZipReader::VerifyMembers(const std::function<void(size_t index, const std::string& why)>& fault) {
    if (!IsOpen()) throw EJXZipError("No archive is open");
    const auto never = [](uint64_t) { return false; };
    // Every path a member takes below the target folder, upper-cased: whether it is
    // a folder there, and the first member that took it.
    struct Claim {
        bool folder;
        size_t member;
    };
    std::unordered_map<std::string, Claim> claimed;
    int sound = 0;
    for (size_t i = 0; i < entries_.size(); ++i) {
        const TJXZipEntry& e = entries_[i];
        std::string why;
        std::vector<std::string> parts = SafeParts(e.name, why);
        if (why.empty() && !e.problem.empty()) why = e.problem;
        if (why.empty() && !e.isFolder && parts.empty()) why = "has no file name";
        std::string key;
        for (size_t k = 0; why.empty() && k < parts.size(); ++k) {
            key += platform::UpperCp1250(parts[k]);
            const bool folderHere = k + 1 < parts.size() || e.isFolder;
            auto [it, fresh] = claimed.emplace(key, Claim{folderHere, i});
            if (!fresh && !(folderHere && it->second.folder))
                why = "lands where " + Shown(entries_[it->second.member].name) + " does";
            key += '\\';
        }
        if (why.empty() && !e.isFolder) {
            Sink nowhere;
            Outcome outcome = Outcome::Done;
            why = TryDecode(e, nowhere, never, outcome);
        }
        if (why.empty()) ++sound;
        else if (fault) fault(i, why);
    }
    return sound;
}

bool LoadResourceArchive(TJXZipReader& zip, const std::string& folder, const std::string& archive,
                         const std::string& member, platform::MemoryStream& out, std::string* archiveFault) {
    out.Clear();
    std::string fault;
    try {
        // Read whole in one request and unpacked from memory: read through the
        // archive's window, its directory at the end and then its members at the
        // front cost a disc drive a jump of the head back.
        const std::string path = folder + "\\" + archive;
        zip.SetFileName(path);
        std::vector<uint8_t> bytes;
        if (!platform::ReadWholeFile(path, bytes))
            throw EJXZipError(platform::FileExists(path) ? "Cannot open the archive " + path : "The archive does not exist: " + path);
        zip.OpenArchiveFromMemory(std::move(bytes));
        zip.ExtractToStream(member, out);
        zip.CloseArchive();
    } catch (const std::exception& e) {
        fault = e.what();
    } catch (...) {
        fault = "The archive cannot be read: " + folder + "\\" + archive;
    }
    if (archiveFault) *archiveFault = fault;
    if (!fault.empty()) {
        zip.CloseArchive();
        out.Clear();
        std::vector<uint8_t> bytes;
        if (!platform::ReadWholeFile(folder + "\\" + member, bytes)) return false;
        out.Write(bytes.data(), bytes.size());
    }
    out.Seek(0);
    return true;
}
