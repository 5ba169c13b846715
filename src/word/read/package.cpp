#include "word/read/package.h"

#include <algorithm>
#include <vector>

#include "support/strings.h"
#include "word/error.h"
#include "word/read/xml.h"

namespace word::read {
namespace {

// Normalises "a/./b/../c" and strips leading slashes; ".." above the root
// is dropped (a part name can never leave the package).
std::string normalise(std::string_view path) {
  std::vector<std::string> parts;
  size_t i = 0;
  while (i <= path.size()) {
    size_t j = path.find_first_of("/\\", i);
    if (j == std::string_view::npos) j = path.size();
    std::string_view seg = path.substr(i, j - i);
    if (seg == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!seg.empty() && seg != ".") {
      parts.emplace_back(seg);
    }
    i = j + 1;
  }
  std::string out;
  for (const auto& p : parts) {
    if (!out.empty()) out += '/';
    out += p;
  }
  return out;
}

// Percent-decoding of a relationship target ("my%20image.png").
std::string unescape(std::string_view s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() && hexDigit(s[i + 1]) >= 0 && hexDigit(s[i + 2]) >= 0) {
      out += static_cast<char>(hexDigit(s[i + 1]) * 16 + hexDigit(s[i + 2]));
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

}  // namespace

Package::Package(std::string_view bytes, Limits limits) : limits_(limits) {
  support::ZipReader::Opened opened =
      support::ZipReader::fromMemory(bytes, {limits.entries, kMaxDepth});
  if (opened.fileFailed) fail(kCannotOpen, "the document could not be read into memory");
  if (!opened.zip) fail(kCannotOpen, "the document's zip container is damaged or truncated");
  zip_ = std::move(opened.zip);
  const std::vector<support::ZipReader::Entry>& entries = zip_->entries();
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].folder) continue;
    std::string key = support::lowerAscii(normalise(entries[i].path));
    if (!entries[i].readable) {
      damaged_.insert(std::move(key));
    } else if (auto [it, fresh] = entries_.emplace(key, i);
               !fresh && entries[it->second].path == entries[i].path) {
      twice_.emplace(std::move(key), i);
    }
  }
}

Package::~Package() = default;
Package::Package(Package&&) noexcept = default;

bool Package::has(std::string_view name) const {
  return entries_.count(support::lowerAscii(normalise(name))) != 0;
}

bool Package::damaged(std::string_view name) const {
  const std::string key = support::lowerAscii(normalise(name));
  return !entries_.count(key) && damaged_.count(key);
}

std::optional<std::string> Package::read(std::string_view name) {
  auto it = entries_.find(support::lowerAscii(normalise(name)));
  if (it == entries_.end()) return std::nullopt;
  const uint64_t left = limits_.total - inflated_;
  support::ZipReader::Read r = zip_->read(it->second, std::min(limits_.perPart, left));
  if (r.status == support::ZipReader::Read::TooLarge && r.size > limits_.perPart)
    fail(kCannotOpen, "the document's part \"" + std::string(name) + "\" inflates to more than " +
                          std::to_string(limits_.perPart >> 20) +
                          " MB: the file is damaged or a zip bomb");
  if (r.status == support::ZipReader::Read::TooLarge)
    fail(kCannotOpen, "the document inflates to more than " + std::to_string(limits_.total >> 20) +
                          " MB: the file is damaged or a zip bomb");
  if (r.status != support::ZipReader::Read::Ok) return std::nullopt;
  inflated_ += r.size;
  if (auto other = twice_.find(it->first); other != twice_.end()) {
    // Unpackers differ in which of the two they keep, so the text would
    // depend on the program that opens it.
    support::ZipReader::Read second = zip_->read(other->second, r.size);
    inflated_ += second.size;
    if (second.status != support::ZipReader::Read::Ok || second.bytes != r.bytes)
      fail(kCannotOpen, "the document's zip holds its part \"" + std::string(name) +
                            "\" twice, with different contents: the file is damaged");
  }
  return std::move(r.bytes);
}

std::string Package::resolve(std::string_view source, std::string_view target) {
  std::string t = unescape(target);
  size_t q = t.find_first_of("#?");
  if (q != std::string::npos) t.resize(q);
  if (!t.empty() && (t[0] == '/' || t[0] == '\\')) return normalise(t);
  size_t slash = source.rfind('/');
  std::string base =
      slash == std::string_view::npos ? std::string() : std::string(source.substr(0, slash + 1));
  return normalise(base + t);
}

std::string Package::relsOf(std::string_view source) {
  std::string s = normalise(source);
  size_t slash = s.rfind('/');
  if (slash == std::string::npos) return "_rels/" + s + ".rels";
  return s.substr(0, slash + 1) + "_rels/" + s.substr(slash + 1) + ".rels";
}

}  // namespace word::read
