// A growable in-memory byte stream with a position. Reads that run past the end
// return what there is; writes grow the stream.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace platform {

class MemoryStream {
public:
    MemoryStream() = default;
    explicit MemoryStream(std::vector<uint8_t> bytes) : data_(std::move(bytes)) {}

    size_t Size() const { return data_.size(); }
    size_t Position() const { return pos_; }
    void Seek(size_t pos) { pos_ = pos; }
    size_t Remaining() const { return pos_ < data_.size() ? data_.size() - pos_ : 0; }
    bool AtEnd() const { return pos_ >= data_.size(); }

    // Copies up to n bytes and returns how many there were.
    size_t Read(void* out, size_t n) {
        size_t k = std::min(n, Remaining());
        if (k) std::memcpy(out, data_.data() + pos_, k);
        pos_ += k;
        return k;
    }
    // Moves the position forward over up to n bytes; returns how many were skipped.
    size_t Skip(size_t n) {
        size_t k = std::min(n, Remaining());
        pos_ += k;
        return k;
    }
    const uint8_t* Current() const { return data_.data() + std::min(pos_, data_.size()); }

    void Write(const void* in, size_t n) {
        if (!n) return;
        if (pos_ + n > data_.size()) data_.resize(pos_ + n);
        std::memcpy(data_.data() + pos_, in, n);
        pos_ += n;
    }
    void Clear() {
        data_.clear();
        pos_ = 0;
    }

    const std::vector<uint8_t>& Bytes() const { return data_; }
    std::vector<uint8_t>& Bytes() { return data_; }

private:
    std::vector<uint8_t> data_;
    size_t pos_ = 0;
};

}  // namespace platform
