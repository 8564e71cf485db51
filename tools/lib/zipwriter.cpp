#include "tools/lib/zipwriter.h"

#include <zlib.h>

#include <algorithm>
#include <stdexcept>

#include "platform/bytes.h"

namespace tool {

namespace {
uint32_t Narrow32(size_t x, const char* what) {
    if (x > 0xFFFFFFFFu) throw std::runtime_error(std::string("ZIP archive too large: ") + what + " does not fit in 32 bits");
    return static_cast<uint32_t>(x);
}
}  // namespace

ZipWriter::ZipWriter() = default;

ZipWriter::ZipWriter(const std::string& hostPath) : path_(hostPath) {
    file_ = std::fopen(hostPath.c_str(), "wb");
    if (!file_) throw std::runtime_error("cannot create " + hostPath);
}

ZipWriter::~ZipWriter() {
    if (file_) std::fclose(file_);
}

void ZipWriter::Emit(const void* data, size_t size) {
    if (file_) {
        if (size && std::fwrite(data, 1, size, file_) != size) failed_ = true;
    } else {
        const auto* p = static_cast<const uint8_t*>(data);
        bytes_.insert(bytes_.end(), p, p + size);
    }
    written_ += size;
}

std::vector<uint8_t> ZipWriter::Deflate(const void* data, size_t size, int level) {
    z_stream z{};
    if (deflateInit2(&z, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2 failed");
    std::vector<uint8_t> out(deflateBound(&z, static_cast<uLong>(size)));
    const auto* in = static_cast<const uint8_t*>(data);
    size_t left = size;
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    int r = Z_OK;
    // Fed in pieces so that inputs beyond what one uInt counts still work.
    do {
        size_t piece = std::min<size_t>(left, 1u << 30);
        z.next_in = const_cast<Bytef*>(in);
        z.avail_in = static_cast<uInt>(piece);
        in += piece;
        left -= piece;
        r = deflate(&z, left ? Z_NO_FLUSH : Z_FINISH);
    } while (left && r == Z_OK);
    size_t n = z.total_out;
    deflateEnd(&z);
    if (r != Z_STREAM_END) throw std::runtime_error("deflate failed");
    out.resize(n);
    return out;
}

uint32_t ZipWriter::Crc32(const void* data, size_t size) {
    return static_cast<uint32_t>(crc32_z(0, static_cast<const Bytef*>(data), size));
}

uint16_t ZipWriter::DosDate(int year, int month, int day) {
    return static_cast<uint16_t>(((year - 1980) & 0x7F) << 9 | (month & 15) << 5 | (day & 31));
}

uint16_t ZipWriter::DosTime(int hour, int minute, int second) {
    return static_cast<uint16_t>((hour & 31) << 11 | (minute & 63) << 5 | ((second / 2) & 31));
}

void ZipWriter::Put16(std::vector<uint8_t>& b, size_t off, uint16_t v) {
    b.at(off + 1);
    b[off] = static_cast<uint8_t>(v);
    b[off + 1] = static_cast<uint8_t>(v >> 8);
}

void ZipWriter::Put32(std::vector<uint8_t>& b, size_t off, uint32_t v) {
    Put16(b, off, static_cast<uint16_t>(v));
    Put16(b, off + 2, static_cast<uint16_t>(v >> 16));
}

size_t ZipWriter::Add(std::string_view name, const void* data, size_t size, const ZipMemberOptions& o) {
    const uint32_t crc = Crc32(data, size);
    if (o.method == 8) {
        std::vector<uint8_t> packed = Deflate(data, size, o.level);
        return AddPacked(name, packed.data(), packed.size(), 8, crc, Narrow32(size, "a member"), o);
    }
    return AddPacked(name, static_cast<const uint8_t*>(data), size, o.method, crc, Narrow32(size, "a member"), o);
}

size_t ZipWriter::AddRaw(std::string_view name, const std::vector<uint8_t>& packed, uint16_t method, uint32_t crc,
                         uint32_t uncompressedSize, const ZipMemberOptions& o) {
    return AddPacked(name, packed.data(), packed.size(), method, crc, uncompressedSize, o);
}

size_t ZipWriter::AddPacked(std::string_view name, const uint8_t* packed, size_t packedSize, uint16_t method,
                            uint32_t crc, uint32_t uncompressedSize, const ZipMemberOptions& o) {
    ZipMemberInfo m;
    m.name = std::string(name);
    m.method = method;
    m.crc = crc;
    m.compressedSize = Narrow32(packedSize, "a member");
    m.uncompressedSize = uncompressedSize;
    m.headerOffset = written_;
    Narrow32(written_, "an offset");
    const bool descriptor = o.flags & 0x08;

    std::vector<uint8_t> h;
    platform::AppendLE32(h, 0x04034b50);
    platform::AppendLE16(h, 20);
    platform::AppendLE16(h, o.flags);
    platform::AppendLE16(h, method);
    platform::AppendLE16(h, o.dosTime);
    platform::AppendLE16(h, o.dosDate);
    platform::AppendLE32(h, descriptor ? 0 : crc);
    platform::AppendLE32(h, descriptor ? 0 : m.compressedSize);
    platform::AppendLE32(h, descriptor ? 0 : uncompressedSize);
    platform::AppendLE16(h, static_cast<uint16_t>(name.size()));
    platform::AppendLE16(h, static_cast<uint16_t>(o.extra.size()));
    h.insert(h.end(), name.begin(), name.end());
    h.insert(h.end(), o.extra.begin(), o.extra.end());
    Emit(h.data(), h.size());
    m.dataOffset = written_;
    Emit(packed, packedSize);
    if (descriptor) {
        std::vector<uint8_t> d;
        platform::AppendLE32(d, 0x08074b50);
        platform::AppendLE32(d, crc);
        platform::AppendLE32(d, m.compressedSize);
        platform::AppendLE32(d, uncompressedSize);
        Emit(d.data(), d.size());
    }
    members_.push_back(std::move(m));
    options_.push_back(o);
    return members_.size() - 1;
}

std::vector<uint8_t> ZipWriter::Finish() {
    centralOffset_ = written_;
    std::vector<uint8_t> c;
    for (size_t i = 0; i < members_.size(); ++i) {
        ZipMemberInfo& m = members_[i];
        const ZipMemberOptions& o = options_[i];
        m.centralOffset = written_ + c.size();
        platform::AppendLE32(c, 0x02014b50);
        platform::AppendLE16(c, o.versionMadeBy);
        platform::AppendLE16(c, 20);
        platform::AppendLE16(c, o.flags);
        platform::AppendLE16(c, m.method);
        platform::AppendLE16(c, o.dosTime);
        platform::AppendLE16(c, o.dosDate);
        platform::AppendLE32(c, m.crc);
        platform::AppendLE32(c, m.compressedSize);
        platform::AppendLE32(c, m.uncompressedSize);
        platform::AppendLE16(c, static_cast<uint16_t>(m.name.size()));
        platform::AppendLE16(c, static_cast<uint16_t>(o.extra.size()));
        platform::AppendLE16(c, 0);  // comment
        platform::AppendLE16(c, 0);  // disk
        platform::AppendLE16(c, 0);  // internal attributes
        platform::AppendLE32(c, o.externalAttrs);
        platform::AppendLE32(c, static_cast<uint32_t>(m.headerOffset));
        c.insert(c.end(), m.name.begin(), m.name.end());
        c.insert(c.end(), o.extra.begin(), o.extra.end());
    }
    Emit(c.data(), c.size());
    endOffset_ = written_;
    if (members_.size() > 0xFFFF) throw std::runtime_error("ZIP archive has too many members");
    std::vector<uint8_t> e;
    platform::AppendLE32(e, 0x06054b50);
    platform::AppendLE16(e, 0);
    platform::AppendLE16(e, 0);
    platform::AppendLE16(e, static_cast<uint16_t>(members_.size()));
    platform::AppendLE16(e, static_cast<uint16_t>(members_.size()));
    platform::AppendLE32(e, Narrow32(c.size(), "the directory"));
    platform::AppendLE32(e, Narrow32(centralOffset_, "the directory offset"));
    platform::AppendLE16(e, static_cast<uint16_t>(comment_.size()));
    e.insert(e.end(), comment_.begin(), comment_.end());
    Emit(e.data(), e.size());
    if (file_) {
        bool ok = std::fclose(file_) == 0 && !failed_;
        file_ = nullptr;
        if (!ok) throw std::runtime_error("cannot write " + path_);
        return {};
    }
    return std::move(bytes_);
}

}  // namespace tool
