#include "word/read/package.h"

#include <gsf/gsf-infile-zip.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-input.h>

#include <vector>

#include "word/error.h"
#include "word/read/xml.h"

namespace word::read {
namespace {

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

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
  input_ = gsf_input_memory_new(reinterpret_cast<const guint8*>(bytes.data()),
                                static_cast<gsf_off_t>(bytes.size()), FALSE);
  if (!input_) fail(kCannotOpen, "the document could not be read into memory");
  GError* err = nullptr;
  zip_ = gsf_infile_zip_new(input_, &err);
  if (err) g_error_free(err);
  if (!zip_) {
    g_object_unref(input_);
    input_ = nullptr;
    fail(kCannotOpen, "the document's zip container is damaged or truncated");
  }
  collect(zip_, "", 0);
}

Package::~Package() {
  for (GsfInfile* dir : dirs_) g_object_unref(dir);
  if (zip_) g_object_unref(zip_);
  if (input_) g_object_unref(input_);
}

void Package::collect(GsfInfile* dir, const std::string& prefix, int depth) {
  if (depth > 32) return;
  int n = gsf_infile_num_children(dir);
  for (int i = 0; i < n && entries_.size() < limits_.entries; ++i) {
    const char* name = gsf_infile_name_by_index(dir, i);
    GsfInput* child = gsf_infile_child_by_index(dir, i);
    if (!child) continue;
    std::string path = prefix + (name ? name : "");
    if (GSF_IS_INFILE(child) && gsf_infile_num_children(GSF_INFILE(child)) >= 0) {
      if (dirs_.size() < limits_.entries) {
        dirs_.push_back(GSF_INFILE(child));
        collect(GSF_INFILE(child), path + "/", depth + 1);
      } else {
        g_object_unref(child);
      }
      continue;
    }
    g_object_unref(child);
    entries_.emplace(lower(normalise(path)), Entry{dir, i});
  }
}

bool Package::has(std::string_view name) const {
  return entries_.count(lower(normalise(name))) != 0;
}

std::optional<std::string> Package::read(std::string_view name) {
  auto it = entries_.find(lower(normalise(name)));
  if (it == entries_.end()) return std::nullopt;
  GsfInput* in = gsf_infile_child_by_index(it->second.dir, it->second.index);
  if (!in) return std::nullopt;
  struct Unref {
    GsfInput* p;
    ~Unref() { g_object_unref(p); }
  } unref{in};
  gsf_off_t size = gsf_input_size(in);
  if (size < 0) return std::nullopt;
  uint64_t want = static_cast<uint64_t>(size);
  if (want > limits_.perPart)
    fail(kCannotOpen, "the document's part \"" + std::string(name) + "\" inflates to more than " +
                          std::to_string(limits_.perPart >> 20) +
                          " MB: the file is damaged or a zip bomb");
  if (inflated_ + want > limits_.total)
    fail(kCannotOpen, "the document inflates to more than " + std::to_string(limits_.total >> 20) +
                          " MB: the file is damaged or a zip bomb");
  inflated_ += want;
  if (gsf_input_seek(in, 0, G_SEEK_SET)) return std::nullopt;
  std::string out(static_cast<size_t>(want), '\0');
  size_t done = 0;
  while (done < want) {
    size_t chunk = std::min<uint64_t>(want - done, 1 << 16);
    if (!gsf_input_read(in, chunk, reinterpret_cast<guint8*>(out.data() + done)))
      return std::nullopt;
    done += chunk;
  }
  return out;
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
