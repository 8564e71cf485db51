#include "install/Zipreaderu.h"

#if VEMI_HAVE_LIBDEFLATE
#include <libdeflate.h>
#endif
#include <zlib.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <deque>
#include <mutex>
#include <optional>
#include <ostream>
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
constexpr uint32_t kLocatorSig = 0x07064b50;  // of the ZIP64 end record
constexpr size_t kLocatorSize = 20;
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

std::string Shown(std::string_view name) { return TJXZipReader::ShownName(name); }

using Kind = ZipErrorKind;

// What a failed call on the target's disk means for the user: a full disk is told
// as such, anything else as the step that failed. Asked right after the call,
// before anything else can change the system's error.
Kind CreateFailure() { return platform::HostLastErrorIsDiskFull() ? Kind::DiskFull : Kind::CannotCreate; }
Kind WriteFailure() { return platform::HostLastErrorIsDiskFull() ? Kind::DiskFull : Kind::CannotWrite; }
std::string LastError() { return platform::Utf8ToCp1250(platform::HostLastError()); }

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
    Kind kind = Kind::Damaged;
};

constexpr Unpacked kUnreadable{false, "cannot be read from the archive", Kind::Unreadable};
constexpr Unpacked kTooLong{false, "unpacks to more than its declared size", Kind::SizeMismatch};
constexpr Unpacked kDamagedData{false, "has damaged compressed data", Kind::Damaged};
constexpr Unpacked kWrongSize{false, "does not have its declared size", Kind::SizeMismatch};
constexpr Unpacked kBadCrc{false, "fails its CRC check", Kind::CrcMismatch};
constexpr Unpacked kCutShort{false, "ends before its compressed data does", Kind::Damaged};

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
Unpacked Unpack(z_stream* z, [[maybe_unused]] WholeInflater* whole, uint16_t method, uint64_t packedSize, uint64_t size,
                uint32_t expectedCrc, uint8_t* direct, std::vector<uint8_t>& scratch, Read&& read, Put&& put,
                Progress&& progress) {
    Unpacked result;
#if VEMI_HAVE_LIBDEFLATE
    if (method == 8 && direct && whole && packedSize <= kWholeLimit) {
        const uint8_t* p = read(0, static_cast<size_t>(packedSize));
        if (!p) return kUnreadable;
        size_t got = 0;
        switch (libdeflate_deflate_decompress(whole, p, static_cast<size_t>(packedSize), direct, static_cast<size_t>(size), &got)) {
        case LIBDEFLATE_SUCCESS: break;
        case LIBDEFLATE_INSUFFICIENT_SPACE: return kTooLong;
        default: return kDamagedData;
        }
        if (got != size) return kWrongSize;
        if (Crc32(0, direct, got) != expectedCrc) return kBadCrc;
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
            if (!p) return kUnreadable;
            crc = Crc32(crc, p, n);
            if (direct) std::memcpy(direct + produced, p, n);
            else put(p, n);
            at += n;
            produced += n;
            if (at < packedSize && progress(produced)) return {true, nullptr, Kind::Damaged};
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
                if (!p) return kUnreadable;
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
            if (r != Z_OK && r != Z_STREAM_END && r != Z_BUF_ERROR) return kDamagedData;
            if (probing && got > 0) return kTooLong;
            if (got > 0) {
                crc = Crc32(crc, out, got);
                if (!direct) put(out, got);
                produced += got;
            }
            if (r == Z_STREAM_END) break;
            if (got == 0 && z->avail_in == inBefore) {
                if (z->avail_in == 0 && at == packedSize) return kCutShort;
                return kDamagedData;
            }
            if (got > 0 && produced < size && progress(produced)) return {true, nullptr, Kind::Damaged};
        }
    }
    if (produced != size) return kWrongSize;
    if (crc != expectedCrc) return kBadCrc;
    return result;
}

}  // namespace

// The archive's bytes: a file (or a caller's reader) read through a window of
// positioned reads, or a block of memory. Views stay valid until the next call of
// View.
class TJXZipReader::Source {
public:
    explicit Source(platform::HostFile file) : file_(std::move(file)), size_(file_.Size()) {}
    explicit Source(std::vector<uint8_t> bytes) : memory_(std::move(bytes)), size_(memory_.size()), inMemory_(true) {}
    Source(uint64_t size, ReadAtFunction readAt) : reader_(std::move(readAt)), size_(size) {}

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
        if (!(reader_ ? reader_(offset, window_.data(), want) : file_.ReadAt(offset, window_.data(), want))) return nullptr;
        start_ = offset;
        length_ = want;
        return window_.data();
    }

private:
    platform::HostFile file_;
    ReadAtFunction reader_;
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
    std::string member;    // the member's shown name, for the same
    // A block that holds exactly the member's declared size: data is unpacked
    // straight into it, with no copy.
    uint8_t* direct = nullptr;

    void Put(const uint8_t* data, size_t n) {
        if (stream) stream->Write(data, n);
        else if (vector) vector->insert(vector->end(), data, data + n);
        else if (file && !file->Write(data, n)) {
            const Kind kind = WriteFailure();
            throw EJXZipError(kind, "Cannot write " + fileName + ": " + LastError(), member);
        }
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
            if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
                throw EJXZipError(Kind::OutOfMemory, "The inflater cannot be started");
            ready = true;
        } else {
            inflateReset(&z);
        }
        return z;
    }
};

// A member's path below the target folder, as ExtractFiles and VerifyMembers judge
// it before anything is written: its levels as the program shows them
// (Windows-1250, for messages), the same levels exactly as the host gets them, and
// those upper-cased, as the target's file system compares them.
struct TJXZipReader::Plan {
    size_t index = 0;
    std::vector<std::string> parts, hostParts, keys;
};

namespace {

// A folder or file of one level, keyed by the folder it is in: a path costs as many
// look-ups as it has levels and as many bytes as it has, however deep it goes.
std::string LevelKey(uint32_t parent, std::string_view folded) {
    std::string key(sizeof parent, '\0');
    std::memcpy(key.data(), &parent, sizeof parent);
    key += folded;
    return key;
}

// The places the members of one archive take below the target, to tell when two
// of them would land on one name (letter case ignored, as on the target). A folder
// may be met any number of times; a file only once, and never where a folder is.
class NameClaims {
public:
    // The member that already holds the place of this path, or SIZE_MAX when the
    // path is free (it is then claimed for `member`).
    size_t Claim(const std::vector<std::string>& keys, bool isFolder, size_t member) {
        uint32_t at = 0;  // the target folder itself
        for (size_t k = 0; k < keys.size(); ++k) {
            const bool folderHere = k + 1 < keys.size() || isFolder;
            auto [it, fresh] = ids_.try_emplace(LevelKey(at, keys[k]), static_cast<uint32_t>(nodes_.size() + 1));
            if (fresh) {
                nodes_.push_back({folderHere, member});
            } else {
                const Node& n = nodes_[it->second - 1];
                if (!(folderHere && n.folder)) return n.member;
            }
            at = it->second;
        }
        return SIZE_MAX;
    }

private:
    struct Node {
        bool folder;
        size_t member;  // the first member that took the place
    };
    std::unordered_map<std::string, uint32_t> ids_;
    std::vector<Node> nodes_;
};

}  // namespace

// The folders below the base folder as ExtractFiles meets them. Names are matched
// ignoring letter case, as the program's file system does; each folder is listed
// once, so a folder of thousands of members costs no more per member than a small
// one. A folder is kept as its parent and its own name, and a path is walked level
// by level from the base: depth costs time and memory in proportion, never more.
class TJXZipReader::FolderCache {
public:
    FolderCache(std::string baseHost, std::string baseWin) : baseWin_(std::move(baseWin)) {
        folders_.push_back({0, std::move(baseHost), false});
    }

    // The folder made of the first `count` levels of the member's path (an id for
    // HostPath and PrepareFile), missing levels created. A level already in the
    // target must be a folder there: a link is never followed, whatever it leads
    // to, so that nothing lands outside the folder the user chose.
    uint32_t Ensure(const Plan& plan, size_t count, const std::string& member) {
        uint32_t id = 0;
        for (size_t i = 0; i < count; ++i) {
            std::string key = LevelKey(id, plan.keys[i]);
            auto known = children_.find(key);
            id = known != children_.end() ? known->second : Make(id, std::move(key), plan, i, member);
        }
        return id;
    }

    // The host path of a folder that Ensure gave.
    std::string HostPath(uint32_t id) const {
        size_t length = 0;
        for (uint32_t at = id;; at = folders_[at].parent) {
            length += folders_[at].name.size() + 1;
            if (at == 0) break;
        }
        std::string path(length - 1, '/');
        size_t end = path.size();
        for (uint32_t at = id;; at = folders_[at].parent) {
            const std::string& n = folders_[at].name;
            end -= n.size();
            std::memcpy(path.data() + end, n.data(), n.size());
            if (at == 0) break;
            --end;
        }
        return path;
    }

    // The host path for a new file in the folder. Whatever has the name now, in any
    // letter case, goes first: a read-only file as well, and a link as a link, never
    // the file it points to. When the name was written by this extraction, `settle`
    // is called first, so that the earlier file is really there before it is
    // replaced (names are judged before anything is written, so only a file system
    // that folds letters other than this reader does gets here).
    std::string PrepareFile(uint32_t folder, const std::string& hostName, const std::string& key,
                            const std::string& member, const std::function<void()>& settle) {
        const std::string folderPath = HostPath(folder);
        Listing& names = ListingOf(folder, folderPath);
        auto it = names.find(key);
        if (it != names.end()) {
            if (it->second.ours) settle();
            std::string old = folderPath + "/" + it->second.host;
            platform::HostKind kind = platform::HostPathKind(old);
            if (kind == platform::HostKind::Directory)
                throw EJXZipError(Kind::InTheWay, "Cannot create " + baseWin_ + "\\" + member + ": a folder of that name is in the way",
                                  member);
            if (kind != platform::HostKind::None && !platform::HostRemoveFile(old)) {
                const Kind why = CreateFailure();
                throw EJXZipError(why, "Cannot replace " + baseWin_ + "\\" + member + ": " + LastError(), member);
            }
            names.erase(it);
        }
        names[key] = {hostName, true};
        return folderPath + "/" + hostName;
    }

    std::string WinPath(const std::vector<std::string>& parts, size_t count) const {
        std::string s = baseWin_;
        for (size_t i = 0; i < count; ++i) s += "\\" + parts[i];
        return s;
    }

private:
    struct Folder {
        uint32_t parent;
        std::string name;  // on the host; the base folder's whole host path
        bool made;         // created by this extraction, so known to be empty
    };
    struct Name {
        std::string host;   // the name on the host
        bool ours = false;  // made by this extraction
    };
    // Upper-cased host name -> what is there. The key is made from the exact name:
    // two names that differ only in letters Windows-1250 lacks must never meet
    // under one key.
    using Listing = std::unordered_map<std::string, Name>;

    uint32_t Make(uint32_t parent, std::string key, const Plan& plan, size_t level, const std::string& member) {
        const std::string parentPath = HostPath(parent);
        Listing& names = ListingOf(parent, parentPath);
        const std::string& folded = plan.keys[level];
        auto it = names.find(folded);
        std::string host;
        bool made = false;
        if (it != names.end()) {
            host = it->second.host;
            switch (platform::HostPathKind(parentPath + "/" + host)) {
            case platform::HostKind::Directory:
                break;
            case platform::HostKind::Link:
                throw EJXZipError(Kind::LinkInTarget,
                                  "Cannot create " + baseWin_ + "\\" + member + ": " + WinPath(plan.parts, level) + "\\" +
                                      platform::Utf8ToCp1250(host) + " in the target folder is a link, which is not followed",
                                  member);
            default:
                throw EJXZipError(Kind::InTheWay,
                                  "Cannot create the folder " + WinPath(plan.parts, level + 1) + ": a file of that name is in the way",
                                  member);
            }
        } else {
            host = plan.hostParts[level];
            if (!platform::HostMakeDirectory(parentPath + "/" + host)) {
                const Kind why = CreateFailure();
                throw EJXZipError(why, "Cannot create the folder " + WinPath(plan.parts, level + 1) + ": " + LastError(), member);
            }
            names[folded] = {host, true};
            made = true;
        }
        const uint32_t id = static_cast<uint32_t>(folders_.size());
        folders_.push_back({parent, std::move(host), made});
        children_.emplace(std::move(key), id);
        return id;
    }

    Listing& ListingOf(uint32_t folder, const std::string& path) {
        auto [it, fresh] = listings_.try_emplace(folder);
        if (fresh && !folders_[folder].made)
            for (auto& n : platform::HostListNames(path)) it->second.emplace(HostKey(n), Name{n, false});
        return it->second;
    }

    std::string baseWin_;
    std::vector<Folder> folders_;
    std::unordered_map<std::string, uint32_t> children_;  // LevelKey(parent, folded name) -> folder
    std::unordered_map<uint32_t, Listing> listings_;
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
        std::string member;     // the member's shown name, for the same
        Buffer data;
        int64_t time = 0;
        bool readOnly = false;
        uint32_t permissions = 0666;
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
    std::optional<EJXZipError> Settle() {
        std::unique_lock<std::mutex> lock(mutex_);
        room_.wait(lock, [&] { return queue_.empty() && !busy_; });
        std::optional<EJXZipError> result;
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
    void FailedAt(size_t order, const EJXZipError& why) {
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

    void Record(size_t order, const EJXZipError& why) {
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
            std::optional<EJXZipError> why;
            if (!skip) why = Write(job);
            {
                std::lock_guard<std::mutex> lock(mutex_);
                if (why) Record(job.order, *why);
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

    // Why the file could not be written; nothing when it is there.
    static std::optional<EJXZipError> Write(const Job& job) {
        platform::HostFile file;
        if (!file.CreateNew(job.target, job.permissions)) {
            bool again = file.LastCreateFoundExisting() && platform::HostPathKind(job.target) != platform::HostKind::Directory &&
                         platform::HostRemoveFile(job.target) && file.CreateNew(job.target, job.permissions);
            if (!again) {
                const Kind kind = CreateFailure();
                return EJXZipError(kind, "Cannot create " + job.targetWin + ": " + LastError(), job.member);
            }
        }
        std::optional<EJXZipError> why;
        if (!file.Write(job.data.bytes.get(), job.data.size)) {
            const Kind kind = WriteFailure();
            why.emplace(kind, "Cannot write " + job.targetWin + ": " + LastError(), job.member);
        } else {
            file.SetTimes(job.time);
            if (job.readOnly) file.SetReadOnly(true);
        }
        if (!file.Close() && !why) {
            const Kind kind = WriteFailure();
            why.emplace(kind, "Cannot write " + job.targetWin + ": " + LastError(), job.member);
        }
        if (why) platform::HostRemoveFile(job.target);
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
    std::optional<EJXZipError> failure_;
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
    if (mode != 0) throw EJXZipError(Kind::Usage, "Archives can only be opened for reading");
    if (platform::ExtractFileName(fileName_).empty())
        throw EJXZipError(Kind::NotFound, "The archive name has no file part: " + fileName_);
    auto host = platform::Drives().ToHost(fileName_);
    if (!host || platform::HostTargetKind(*host) != platform::HostKind::File)
        throw EJXZipError(Kind::NotFound, "The archive does not exist: " + fileName_);
    platform::HostFile file;
    if (!file.OpenRead(*host)) throw EJXZipError(Kind::Unreadable, "Cannot open the archive " + fileName_ + ": " + LastError());
    source_ = std::make_unique<Source>(std::move(file));
    try {
        ReadDirectory();
    } catch (...) {
        // Whatever went wrong, a half-read archive is not left open; the error goes on.
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
        // As in OpenArchive: closed, and the error goes on.
        CloseArchive();
        throw;
    }
}

void TJXZipReader::OpenArchiveFromReader(uint64_t size, ReadAtFunction readAt) {
    CloseArchive();
    source_ = std::make_unique<Source>(size, std::move(readAt));
    try {
        ReadDirectory();
    } catch (...) {
        // As in OpenArchive: closed, and the error goes on.
        CloseArchive();
        throw;
    }
}

void TJXZipReader::ReadDirectory() {
    const std::string notZip = "Not a readable ZIP archive: " + fileName_;
    const std::string unreadable = "Cannot read the archive " + fileName_;
    const uint64_t size = source_->Size();
    if (size < kEndSize) throw EJXZipError(Kind::NotAZip, notZip);

    // The end record sits behind the central directory and before a comment of up
    // to 64 KiB. Its signature can turn up inside the comment too, so the search
    // goes backwards and takes the first record whose directory is really there.
    const size_t tailLen = static_cast<size_t>(std::min<uint64_t>(size, kEndSize + 0xFFFF));
    const uint64_t tailStart = size - tailLen;
    const uint8_t* view = source_->View(tailStart, tailLen, tailLen);
    if (!view) throw EJXZipError(Kind::Unreadable, unreadable);
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
        // A field at its highest value sends a ZIP64 reader to the ZIP64 end record,
        // whose locator then stands right before this one. Without the locator the
        // value is meant as it is: an archive of exactly 65,535 members is an
        // ordinary one.
        const uint8_t* locator = endPos >= kLocatorSize ? source_->View(endPos - kLocatorSize, 4, 4) : nullptr;
        const bool zip64 = locator && platform::LoadLE32(locator) == kLocatorSig;
        if (dirSize == 0xFFFFFFFF || dirOffset == 0xFFFFFFFF ||
            (zip64 && (disk == 0xFFFF || cdDisk == 0xFFFF || onDisk == 0xFFFF || total == 0xFFFF))) {
            sawZip64 = true;
            continue;
        }
        if (disk != 0 || cdDisk != 0 || onDisk != total) {
            sawSpanned = true;
            continue;
        }
        if (dirSize > endPos) continue;
        if (dirSize == 0) {
            // An empty archive is nothing but its end record; a record of zeros
            // inside a comment must not pass for one.
            if (total != 0 || dirOffset != endPos) continue;
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
        if (sawZip64) throw EJXZipError(Kind::Unsupported, "ZIP64 archives cannot be read: " + fileName_);
        if (sawSpanned) throw EJXZipError(Kind::Unsupported, "Archives split over several volumes cannot be read: " + fileName_);
        throw EJXZipError(Kind::NotAZip, notZip);
    }

    view = source_->View(cdStart, cdSize, cdSize);
    if (!view && cdSize) throw EJXZipError(Kind::Unreadable, unreadable);
    const std::vector<uint8_t> dir(view, view + cdSize);

    // The directory is read by its size, entry after entry, and the end record's
    // count must agree with what it holds. The count has 16 bits: an archiver that
    // writes more members without ZIP64 lets it wrap (100,000 becomes 34,464), and
    // a reader that went by the count would quietly leave the rest out.
    const std::string damaged = "The directory of the archive is damaged: " + fileName_;
    entries_.reserve(count);
    size_t pos = 0;
    while (dir.size() - pos >= 4 && platform::LoadLE32(dir.data() + pos) == kCentralSig) {
        if (dir.size() - pos < kCentralSize) throw EJXZipError(Kind::Damaged, damaged);
        const uint8_t* p = dir.data() + pos;
        const size_t nameLen = platform::LoadLE16(p + 28), extraLen = platform::LoadLE16(p + 30), commentLen = platform::LoadLE16(p + 32);
        if (dir.size() - pos - kCentralSize < nameLen + extraLen + commentLen) throw EJXZipError(Kind::Damaged, damaged);
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
        // A file packed on a Unix system keeps its permissions, so a program keeps
        // its right to run and a private file stays private; the bits that would
        // run it as another user never come along.
        e.permissions = unixMade ? unixMode & 0777 : e.readOnly ? 0444 : 0666;

        auto problem = [&](Kind kind, std::string why) {
            e.problemKind = kind;
            e.problem = std::move(why);
        };
        if (e.compressedSize == 0xFFFFFFFF || e.uncompressedSize == 0xFFFFFFFF || localOffset == 0xFFFFFFFF ||
            diskStart == 0xFFFF)
            problem(Kind::Unsupported, "uses ZIP64 extensions, which cannot be read");
        else if (diskStart != 0)
            problem(Kind::Unsupported, "lies on another volume");
        else if (e.flags & 0x41)
            problem(Kind::Encrypted, "is encrypted");
        else if (e.method != 0 && e.method != 8)
            problem(Kind::UnsupportedMethod, "is packed with method " + std::to_string(e.method) + ", which cannot be read");
        else if (e.method == 0 && e.compressedSize != e.uncompressedSize)
            problem(Kind::SizeMismatch, "is stored with two different sizes");
        else if (nameLost)
            problem(Kind::UnsafeName, "has a name marked as UTF-8 that is not UTF-8, so its real name is unknown");
        entries_.push_back(std::move(e));
        pos += kCentralSize + nameLen + extraLen + commentLen;
    }
    if ((entries_.size() & 0xFFFF) != count) {
        // Bytes left that are no entry mean a damaged entry; otherwise entries are
        // missing, or more are there than the archive owns up to.
        if (pos < dir.size()) throw EJXZipError(Kind::Damaged, damaged);
        throw EJXZipError(Kind::CountMismatch, "The archive counts " + std::to_string(count) + " members, but its directory holds " +
                                                   std::to_string(entries_.size()) + ": " + fileName_);
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
        // Where the data of a member on another volume or beyond 4 GiB lies is not
        // known here at all.
        if (e.problemKind == Kind::Unsupported && !e.problem.empty()) continue;
        const uint8_t* p = e.headerOffset + kLocalSize <= cdStart ? source_->View(e.headerOffset, kLocalSize, kHeaderWindow) : nullptr;
        if (!p) {
            e.problemKind = Kind::Damaged;
            e.problem = "lies outside the archive";
            continue;
        }
        if (platform::LoadLE32(p) != kLocalSig) {
            e.problemKind = Kind::Damaged;
            e.problem = "has a damaged local header";
            continue;
        }
        e.dataOffset = e.headerOffset + kLocalSize + platform::LoadLE16(p + 26) + platform::LoadLE16(p + 28);
        const uint64_t end = e.dataOffset + e.compressedSize;
        if (end > cdStart) {
            e.problemKind = Kind::Damaged;
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
            for (size_t i : {r.index, owner}) {
                entries_[i].problemKind = Kind::Damaged;
                entries_[i].problem = "shares its data with another member";
            }
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

void TJXZipReader::Fail(const TJXZipEntry& e, Kind kind, const std::string& why) const {
    // A name too long for any path is only there to do harm; its beginning says
    // which member it is, and a message box or a report need no 64 KiB of it.
    std::string shown = Shown(e.name);
    if (shown.size() > kMaxPathBytes) shown = shown.substr(0, 200) + "...";
    throw EJXZipError(kind, shown + " in " + fileName_ + " " + why, shown);
}

TJXZipReader::Outcome TJXZipReader::Decode(const TJXZipEntry& e, Sink& sink, const std::function<bool(uint64_t)>& progress) {
    Outcome outcome = Outcome::Done;
    const Fault fault = TryDecode(e, sink, progress, outcome);
    if (fault) Fail(e, fault.kind, fault.why);
    return outcome;
}

TJXZipReader::Fault TJXZipReader::TryDecode(const TJXZipEntry& e, Sink& sink, const std::function<bool(uint64_t)>& progress,
                              Outcome& outcome) {
    if (!e.problem.empty()) return {e.problemKind, e.problem};
    if (e.uncompressedSize > sizeLimit_) return {Kind::TooLarge, "is larger than allowed"};
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
    if (u.why) return {u.kind, u.why};
    outcome = u.cancelled ? Outcome::Cancelled : Outcome::Done;
    return {};
}

void TJXZipReader::ExtractToStream(std::string_view name, platform::MemoryStream& out) {
    if (!IsOpen()) throw EJXZipError(Kind::Usage, "No archive is open");
    const int i = FindMember(name);
    if (i < 0) throw EJXZipError(Kind::NoSuchMember, "The archive " + fileName_ + " holds no member " + Shown(name), Shown(name));
    ExtractMemberToStream(static_cast<size_t>(i), out);
}

void TJXZipReader::ExtractMemberToStream(size_t i, platform::MemoryStream& out) {
    if (!IsOpen()) throw EJXZipError(Kind::Usage, "No archive is open");
    if (i >= entries_.size())
        throw EJXZipError(Kind::NoSuchMember, "The archive " + fileName_ + " has no member " + std::to_string(i));
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
                // The stream as it was, and the error goes on.
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
            // The same.
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

// Whether a character would make a name show as another one, or as less than it
// is: a control character (C0, DEL, C1: U+0085 breaks a line), or a format
// character that is invisible or turns the direction of the text around it (with
// U+202E "gra\u202Etxt.exe" shows as "graexe.txt"). The soft hyphen is let be:
// it is byte 0xF0 of an OEM 852 name, which archives from Russian systems carry as
// a letter of theirs, and it shows where a name is broken.
bool Hidden(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x061C || c == 0x180E || (c >= 0x200B && c <= 0x200F) ||
           (c >= 0x2028 && c <= 0x202E) || (c >= 0x2060 && c <= 0x206F) || c == 0xFEFF || (c >= 0xFFF9 && c <= 0xFFFB);
}

// The first such character of a well-formed UTF-8 name; 0 when there is none.
char32_t FirstHidden(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        const unsigned char b = static_cast<unsigned char>(s[i]);
        const size_t n = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        if (n > s.size() - i) return 0xFFFD;
        char32_t c = n == 1 ? b : n == 2 ? b & 0x1F : n == 3 ? b & 0x0F : b & 0x07;
        for (size_t k = 1; k < n; ++k) c = (c << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        if (Hidden(c)) return c;
        i += n;
    }
    return 0;
}

std::string CodePoint(char32_t c) {
    char text[16];
    std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(c));
    return text;
}

}  // namespace

std::string TJXZipReader::ShownName(std::string_view name) {
    std::string s(name);
    for (char& c : s) {
        if (c == '/') c = '\\';
        else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    }
    return s;
}

// A name that could put a file anywhere else than below the base folder (an
// absolute path, a drive, "..") is refused outright rather than tidied up: such an
// archive is broken or hostile, either way not to be trusted. So is one with a
// control character, which shows as something else or cuts the name short where it
// is shown, and one deeper than any disc's program goes.
TJXZipReader::Fault TJXZipReader::SplitLevels(std::string_view name, std::vector<std::string>& parts) {
    parts.clear();
    if (name.empty()) return {Kind::UnsafeName, "has an empty name"};
    if (IsSeparator(name[0])) return {Kind::UnsafeName, "has an absolute path"};
    for (char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return {Kind::UnsafeName, "has a control character in its name"};
        if (c == ':') return {Kind::UnsafeName, "names a drive or a stream"};
    }
    size_t start = 0;
    for (size_t i = 0; i <= name.size(); ++i) {
        if (i < name.size() && !IsSeparator(name[i])) continue;
        const std::string_view part = name.substr(start, i - start);
        start = i + 1;
        if (part == "..") return {Kind::UnsafeName, "climbs out of the target folder"};
        if (part.empty() || part == ".") continue;
        if (parts.size() == kMaxLevels)
            return {Kind::NameTooDeep, "has a path of more than " + std::to_string(kMaxLevels) + " levels"};
        parts.emplace_back(part);
    }
    return {};
}

TJXZipReader::Fault TJXZipReader::PlanName(const TJXZipEntry& e, Plan& plan) {
    if (!e.problem.empty() && e.problemKind == Kind::UnsafeName) return {e.problemKind, e.problem};
    if (Fault f = SplitLevels(e.name, plan.parts)) return f;
    // The host's names are the exact ones; they split where the shown ones do, as
    // separators are the same bytes in every code page.
    if (e.hostName == e.name) plan.hostParts = plan.parts;
    else if (Fault f = SplitLevels(e.hostName, plan.hostParts)) return f;
    if (plan.hostParts.size() != plan.parts.size()) return {Kind::UnsafeName, "has a name that cannot be written here"};
    // Shown in Windows-1250 such a character is a mere "?"; the file on the host
    // would carry it. An OEM name is looked at as what it becomes.
    if (!IsAscii(e.hostName))
        if (const char32_t c = FirstHidden(e.hostName))
            return {Kind::UnsafeName, "has the invisible or direction-changing character " + CodePoint(c) + " in its name"};
    size_t bytes = plan.hostParts.empty() ? 0 : plan.hostParts.size() - 1;
    for (const std::string& part : plan.hostParts) bytes += part.size();
    if (bytes > kMaxPathBytes)
        return {Kind::NameTooDeep, "has a path of " + std::to_string(bytes) + " bytes, more than " + std::to_string(kMaxPathBytes)};
    if (!e.isFolder && plan.parts.empty()) return {Kind::UnsafeName, "has no file name"};
    plan.keys.resize(plan.hostParts.size());
    for (size_t k = 0; k < plan.hostParts.size(); ++k) plan.keys[k] = HostKey(plan.hostParts[k]);
    return {};
}

int TJXZipReader::ExtractFiles(const std::string& mask) {
    if (!IsOpen()) throw EJXZipError(Kind::Usage, "No archive is open");
    if (baseDir_.empty()) throw EJXZipError(Kind::Usage, "No target folder is set");
    cancelled_ = false;

    // Every name is judged before anything is written: an archive with a member
    // that cannot be unpacked under its name, or with two members of one name
    // (which would leave the user with whichever came last), is refused whole.
    std::vector<Plan> picked;
    NameClaims claims;
    uint64_t total = 0;
    for (size_t i = 0; i < entries_.size(); ++i) {
        const TJXZipEntry& e = entries_[i];
        if (!MatchesMask(mask, e.name) && !MatchesMask(mask, NamePart(e.name))) continue;
        Plan plan;
        plan.index = i;
        if (Fault f = PlanName(e, plan)) Fail(e, f.kind, f.why);
        const size_t other = claims.Claim(plan.keys, e.isFolder, i);
        if (other != SIZE_MAX) Fail(e, Kind::DuplicateName, "lands where " + Shown(entries_[other].name) + " does");
        picked.push_back(std::move(plan));
        total += e.isFolder ? 1 : uint64_t{e.uncompressedSize} + 1;
    }

    const std::string baseWin = platform::ExcludeTrailingBackslash(baseDir_);
    auto baseHost = platform::Drives().ToHost(baseWin);
    if (!baseHost) throw EJXZipError(Kind::CannotCreate, "The folder " + baseDir_ + " is on no known drive");
    if (!platform::HostMakeDirectories(*baseHost)) {
        const Kind kind = CreateFailure();
        throw EJXZipError(kind, "Cannot create the folder " + baseDir_);
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
        const TJXZipEntry& e = entries_[picked[order].index];
        if (writer.Failed()) break;
        current_ = &e;
        bool inPlace = false;
        try {
            inPlace = ExtractOne(e, picked[order], order, folders, writer, done, total);
        } catch (const EJXZipError& failure) {
            current_ = nullptr;
            writer.FailedAt(order, failure);
            break;
        } catch (...) {
            // An event handler's own error: what was handed over is still written,
            // and the error goes on to the caller.
            current_ = nullptr;
            writer.Settle();
            throw;
        }
        current_ = nullptr;
        if (inPlace) ++written;
        if (cancelled_) break;
        done += e.isFolder ? 1 : uint64_t{e.uncompressedSize} + 1;
    }
    if (auto failure = writer.Settle()) throw *failure;
    if (!cancelled_) RaiseOverall(100);
    return written;
}

bool TJXZipReader::ExtractOne(const TJXZipEntry& e, const Plan& plan, size_t order, FolderCache& folders, FileWriter& writer,
                              uint64_t before, uint64_t total) {
    const std::string shown = Shown(e.name);
    auto overall = [&](uint64_t inMember) { return RaiseOverall(total ? 100.0 * double(before + inMember) / double(total) : 100.0); };
    if (RaiseFile(shown, 0)) {
        cancelled_ = true;
        return false;
    }
    if (!e.problem.empty()) Fail(e, e.problemKind, e.problem);
    const std::vector<std::string>& parts = plan.parts;
    const std::vector<std::string>& hostParts = plan.hostParts;
    // The events at 100 come once the member is whole and checked: a cancel there
    // keeps it and stops before the next one.
    auto finished = [&] {
        bool cancel = RaiseFile(shown, 100);
        cancel = overall(e.isFolder ? 1 : uint64_t{e.uncompressedSize} + 1) || cancel;
        if (cancel) cancelled_ = true;
    };

    if (e.isFolder) {
        folders.Ensure(plan, parts.size(), shown);
        finished();
        return true;
    }
    if (e.uncompressedSize > sizeLimit_) Fail(e, Kind::TooLarge, "is larger than allowed");

    auto settle = [&] {
        if (auto failure = writer.Settle()) throw *failure;
    };
    const uint32_t folder = folders.Ensure(plan, parts.size() - 1, shown);
    const std::string target = folders.PrepareFile(folder, hostParts.back(), plan.keys.back(), shown, settle);
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
        job.member = shown;
        job.data = writer.Take(e.uncompressedSize);
        Sink sink;
        sink.direct = job.data.bytes.get();
        if (Decode(e, sink, progress) == Outcome::Cancelled) {
            cancelled_ = true;
            return false;
        }
        job.time = DosToUnix(e.dosDate, e.dosTime);
        job.readOnly = e.readOnly;
        job.permissions = e.permissions;
        writer.Submit(std::move(job));
        finished();
        return true;
    }

    // A big member streams straight into its file, here, while the writer thread
    // may still be busy with the members before it.
    platform::HostFile file;
    if (!file.CreateNew(target, e.permissions)) {
        // Something took the name after the folder was listed: it goes the same way
        // as a file that was there before.
        bool again = file.LastCreateFoundExisting() && platform::HostPathKind(target) != platform::HostKind::Directory &&
                     platform::HostRemoveFile(target) && file.CreateNew(target, e.permissions);
        if (!again) {
            const Kind kind = CreateFailure();
            throw EJXZipError(kind, "Cannot create " + targetWin + ": " + LastError(), shown);
        }
    }
    try {
        Sink sink;
        sink.file = &file;
        sink.fileName = targetWin;
        sink.member = shown;
        if (Decode(e, sink, progress) == Outcome::Cancelled) {
            file.Close();
            platform::HostRemoveFile(target);
            cancelled_ = true;
            return false;
        }
        // A date the file system refuses is no reason to throw the file away.
        file.SetTimes(DosToUnix(e.dosDate, e.dosTime));
        if (e.readOnly) file.SetReadOnly(true);
        if (!file.Close()) {
            const Kind kind = WriteFailure();
            throw EJXZipError(kind, "Cannot write " + targetWin + ": " + LastError(), shown);
        }
        writer.WrittenHere(order, target);
    } catch (...) {
        // No part of a member stays; the error goes on.
        file.Close();
        platform::HostRemoveFile(target);
        throw;
    }
    finished();
    return true;
}

int TJXZipReader::VerifyMembers(const std::function<void(const TJXZipFault& fault)>& fault) {
    if (!IsOpen()) throw EJXZipError(Kind::Usage, "No archive is open");
    const auto never = [](uint64_t) { return false; };
    NameClaims claims;
    int sound = 0;
    for (size_t i = 0; i < entries_.size(); ++i) {
        const TJXZipEntry& e = entries_[i];
        TJXZipFault f;
        f.index = i;
        Plan plan;
        if (Fault name = PlanName(e, plan)) {
            f.kind = name.kind;
            f.why = std::move(name.why);
        } else if (size_t other = claims.Claim(plan.keys, e.isFolder, i); other != SIZE_MAX) {
            f.kind = Kind::DuplicateName;
            f.why = "lands where " + Shown(entries_[other].name) + " does";
            f.other = other;
        } else if (!e.problem.empty()) {
            f.kind = e.problemKind;
            f.why = e.problem;
        } else if (!e.isFolder) {
            Sink nowhere;
            Outcome outcome = Outcome::Done;
            Fault data = TryDecode(e, nowhere, never, outcome);
            f.kind = data.kind;
            f.why = std::move(data.why);
        }
        if (f.why.empty()) ++sound;
        else if (fault) fault(f);
    }
    return sound;
}

const char* ZipErrorKindName(ZipErrorKind kind) {
    switch (kind) {
    case Kind::Usage: return "Usage";
    case Kind::NotFound: return "NotFound";
    case Kind::NoSuchMember: return "NoSuchMember";
    case Kind::Unreadable: return "Unreadable";
    case Kind::NotAZip: return "NotAZip";
    case Kind::Unsupported: return "Unsupported";
    case Kind::CountMismatch: return "CountMismatch";
    case Kind::Damaged: return "Damaged";
    case Kind::CrcMismatch: return "CrcMismatch";
    case Kind::SizeMismatch: return "SizeMismatch";
    case Kind::UnsupportedMethod: return "UnsupportedMethod";
    case Kind::Encrypted: return "Encrypted";
    case Kind::TooLarge: return "TooLarge";
    case Kind::UnsafeName: return "UnsafeName";
    case Kind::NameTooDeep: return "NameTooDeep";
    case Kind::DuplicateName: return "DuplicateName";
    case Kind::LinkInTarget: return "LinkInTarget";
    case Kind::InTheWay: return "InTheWay";
    case Kind::CannotCreate: return "CannotCreate";
    case Kind::CannotWrite: return "CannotWrite";
    case Kind::DiskFull: return "DiskFull";
    case Kind::OutOfMemory: return "OutOfMemory";
    }
    return "?";
}

std::ostream& operator<<(std::ostream& out, ZipErrorKind kind) { return out << ZipErrorKindName(kind); }

std::string ZipErrorReason(ZipErrorKind kind) {
    // Said to someone installing a program from a magazine's disc: what is wrong,
    // in words of every day. Which file and which archive the box says itself.
    const char* text = "Wystąpił nieznany błąd.";
    switch (kind) {
    case Kind::Usage: text = "Wystąpił błąd w programie instalacyjnym."; break;
    case Kind::NotFound: text = "Nie znaleziono archiwum."; break;
    case Kind::NoSuchMember: text = "W archiwum nie ma tego pliku."; break;
    case Kind::Unreadable: text = "Nie można odczytać archiwum."; break;
    case Kind::NotAZip: text = "To nie jest archiwum ZIP."; break;
    case Kind::Unsupported: text = "Archiwum ma nieobsługiwany format."; break;
    case Kind::CountMismatch: text = "Spis plików w archiwum jest niezgodny z jego zawartością."; break;
    case Kind::Damaged: text = "Archiwum jest uszkodzone."; break;
    case Kind::CrcMismatch: text = "Plik w archiwum jest uszkodzony."; break;
    case Kind::SizeMismatch: text = "Plik w archiwum ma nieprawidłowy rozmiar."; break;
    case Kind::UnsupportedMethod: text = "Plik jest spakowany nieobsługiwaną metodą."; break;
    case Kind::Encrypted: text = "Plik w archiwum jest zaszyfrowany."; break;
    case Kind::TooLarge: text = "Plik w archiwum jest za duży."; break;
    case Kind::UnsafeName: text = "Plik ma w archiwum niedozwoloną nazwę."; break;
    case Kind::NameTooDeep: text = "Ścieżka pliku w archiwum jest za długa."; break;
    case Kind::DuplicateName: text = "Archiwum zawiera dwa pliki o tej samej nazwie."; break;
    case Kind::LinkInTarget: text = "Folder docelowy zawiera dowiązanie do innego miejsca."; break;
    case Kind::InTheWay: text = "W folderze docelowym jest już plik lub folder o tej nazwie."; break;
    case Kind::CannotCreate: text = "Nie można utworzyć pliku lub folderu."; break;
    case Kind::CannotWrite: text = "Nie można zapisać pliku."; break;
    case Kind::DiskFull: text = "Brak miejsca na dysku."; break;
    case Kind::OutOfMemory: text = "Za mało pamięci."; break;
    }
    return platform::W(text);
}

bool LoadResourceArchive(TJXZipReader& zip, const std::string& folder, const std::string& archive,
                         const std::string& member, platform::MemoryStream& out, std::string* archiveFault) {
    const ResourceFiles hostFiles{
        [](const std::string& winPath, std::vector<uint8_t>& bytes) { return platform::ReadWholeFile(winPath, bytes); },
        [](const std::string& winPath) { return platform::FileExists(winPath); }};
    return LoadResourceArchive(zip, folder, archive, member, out, archiveFault, hostFiles);
}

bool LoadResourceArchive(TJXZipReader& zip, const std::string& folder, const std::string& archive,
                         const std::string& member, platform::MemoryStream& out, std::string* archiveFault,
                         const ResourceFiles& files) {
    out.Clear();
    std::string fault;
    try {
        // Read whole in one request and unpacked from memory: read through the
        // archive's window, its directory at the end and then its members at the
        // front cost a disc drive a jump of the head back.
        const std::string path = folder + "\\" + archive;
        zip.SetFileName(path);
        std::vector<uint8_t> bytes;
        if (!files.read(path, bytes))
            throw files.exists(path) ? EJXZipError(ZipErrorKind::Unreadable, "Cannot open the archive " + path)
                                     : EJXZipError(ZipErrorKind::NotFound, "The archive does not exist: " + path);
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
        if (!files.read(folder + "\\" + member, bytes)) return false;
        out.Write(bytes.data(), bytes.size());
    }
    out.Seek(0);
    return true;
}
