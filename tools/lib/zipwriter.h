// Writes ZIP archives: the disc's resource archives and program archives, and the
// archives the tests feed the reader, damaged ones included (patch the finished
// bytes; Members() and the offsets say where everything is).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace tool {

struct ZipMemberOptions {
    uint16_t method = 8;             // 0 stored, 8 deflated
    int level = 6;                   // deflate level
    uint16_t dosDate = 0x0021;       // 1980-01-01
    uint16_t dosTime = 0;
    uint32_t externalAttrs = 0x20;   // DOS "archive"
    uint16_t flags = 0;              // bit 3: sizes and CRC in a data descriptor
    uint16_t versionMadeBy = 20;     // host 0 (DOS) in the high byte, 3 for Unix
    std::string extra;               // extra field, local and central alike
};

struct ZipMemberInfo {
    std::string name;
    uint16_t method = 0;
    uint32_t crc = 0;
    uint32_t compressedSize = 0;
    uint32_t uncompressedSize = 0;
    size_t headerOffset = 0;   // local header
    size_t dataOffset = 0;     // first byte of the data
    size_t centralOffset = 0;  // its central directory entry (known after Finish)
};

class ZipWriter {
public:
    // Builds the archive in memory; Finish() returns it.
    ZipWriter();
    // Streams the archive into a host file (large archives never sit in memory).
    explicit ZipWriter(const std::string& hostPath);
    ~ZipWriter();
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    // The name is stored byte for byte (OEM 852 for the program's archives, or
    // UTF-8 with flag bit 11). Returns the member's index.
    size_t Add(std::string_view name, const void* data, size_t size, const ZipMemberOptions& o = {});
    size_t Add(std::string_view name, std::string_view data, const ZipMemberOptions& o = {}) {
        return Add(name, data.data(), data.size(), o);
    }
    size_t Add(std::string_view name, const std::vector<uint8_t>& data, const ZipMemberOptions& o = {}) {
        return Add(name, data.data(), data.size(), o);
    }
    // Data already packed by the caller, written as it is under the given method,
    // CRC and uncompressed size (for foreign methods and archives that lie).
    size_t AddRaw(std::string_view name, const std::vector<uint8_t>& packed, uint16_t method, uint32_t crc,
                  uint32_t uncompressedSize, const ZipMemberOptions& o = {});
    void SetComment(std::string comment) { comment_ = std::move(comment); }

    // Writes the central directory and the end record. In memory, returns the whole
    // archive; streamed, closes the file (throws when it could not be written).
    std::vector<uint8_t> Finish();

    const std::vector<ZipMemberInfo>& Members() const { return members_; }
    size_t CentralDirectoryOffset() const { return centralOffset_; }
    size_t EndRecordOffset() const { return endOffset_; }

    static std::vector<uint8_t> Deflate(const void* data, size_t size, int level = 6);
    static uint32_t Crc32(const void* data, size_t size);
    static uint16_t DosDate(int year, int month, int day);
    static uint16_t DosTime(int hour, int minute, int second);
    static void Put16(std::vector<uint8_t>& bytes, size_t offset, uint16_t value);
    static void Put32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value);

private:
    struct Central {
        ZipMemberInfo info;
        ZipMemberOptions options;
        std::string name;
    };
    void Emit(const void* data, size_t size);
    size_t AddPacked(std::string_view name, const uint8_t* packed, size_t packedSize, uint16_t method, uint32_t crc,
                     uint32_t uncompressedSize, const ZipMemberOptions& o);

    std::vector<uint8_t> bytes_;
    FILE* file_ = nullptr;
    std::string path_;
    size_t written_ = 0;
    bool failed_ = false;
    std::vector<ZipMemberInfo> members_;
    std::vector<ZipMemberOptions> options_;
    std::string comment_;
    size_t centralOffset_ = 0;
    size_t endOffset_ = 0;
};

}  // namespace tool
