#pragma once
// The zip container of a Word 2007+ or OpenDocument file, opened from
// memory, with the inflated size of every part and of the whole read
// capped: a crafted zip may claim gigabytes behind a few kilobytes of input.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "support/zip_reader.h"

namespace word::read {

struct Limits {
  uint64_t perPart = 64ull << 20;
  uint64_t total = 256ull << 20;
  size_t entries = 20000;
};

class Package {
 public:
  // Throws word::Error (kCannotOpen) when the bytes are not a readable zip.
  explicit Package(std::string_view bytes, Limits limits = {});
  ~Package();
  Package(Package&&) noexcept;
  Package(const Package&) = delete;
  Package& operator=(const Package&) = delete;

  // Part names are compared case-insensitively, without a leading '/'.
  bool has(std::string_view name) const;
  // The zip lists the part, but its entry cannot be opened (a damaged local
  // header): the part is there and damaged, not missing.
  bool damaged(std::string_view name) const;
  // The part's bytes; nullopt when the part is absent or cannot be inflated.
  // Throws word::Error when a size cap would be exceeded.
  std::optional<std::string> read(std::string_view name);
  size_t size() const { return entries_.size(); }

  // Resolves a relationship target against the folder of `source` (a part
  // name such as "word/document.xml"); an absolute target starts at the root.
  static std::string resolve(std::string_view source, std::string_view target);
  // The relationships part of `source` (Word 2007+ packages):
  // "word/_rels/document.xml.rels".
  static std::string relsOf(std::string_view source);

 private:
  static constexpr int kMaxDepth = 32;  // folders nested deeper are not read

  Limits limits_;
  std::unique_ptr<support::ZipReader> zip_;
  std::map<std::string, size_t> entries_;  // by normalised name: its index in the zip
  std::set<std::string> damaged_;          // listed parts whose entry cannot be opened
  std::map<std::string, size_t> twice_;    // a part's second entry of the same name
  uint64_t inflated_ = 0;
};

}  // namespace word::read
