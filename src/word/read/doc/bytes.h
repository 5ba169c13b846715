#pragma once
// Bounds-checked little-endian access to a byte range. Every read outside
// the range yields zero instead of touching memory it does not own, so the
// parsers above can stay simple and still never read past a damaged file.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace word::read::doc {

class Bytes {
 public:
  Bytes() = default;
  explicit Bytes(std::string_view data) : data_(data) {}
  Bytes(const char* p, size_t n) : data_(p, n) {}

  size_t size() const { return data_.size(); }
  bool empty() const { return data_.empty(); }
  bool has(size_t offset, size_t n) const { return offset <= data_.size() && n <= data_.size() - offset; }
  std::string_view view() const { return data_; }

  uint8_t u8(size_t at) const { return at < data_.size() ? static_cast<uint8_t>(data_[at]) : 0; }
  uint16_t u16(size_t at) const { return has(at, 2) ? static_cast<uint16_t>(u8(at) | (u8(at + 1) << 8)) : 0; }
  uint32_t u32(size_t at) const {
    return has(at, 4) ? static_cast<uint32_t>(u16(at)) | (static_cast<uint32_t>(u16(at + 2)) << 16) : 0;
  }
  int16_t i16(size_t at) const { return static_cast<int16_t>(u16(at)); }
  int32_t i32(size_t at) const { return static_cast<int32_t>(u32(at)); }

  // The part [offset, offset + n), clipped to what exists.
  Bytes sub(size_t offset, size_t n) const {
    if (offset >= data_.size()) return Bytes();
    if (n > data_.size() - offset) n = data_.size() - offset;
    return Bytes(data_.substr(offset, n));
  }

 private:
  std::string_view data_;
};

}  // namespace word::read::doc
