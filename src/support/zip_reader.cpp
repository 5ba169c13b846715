#include "support/zip_reader.h"

#include <gsf/gsf-infile-zip.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-input.h>
#include <sys/stat.h>

#include <algorithm>

#include "support/gobject.h"

namespace support {

namespace {

std::string message(GError* err) {
  std::string why = err ? err->message : "unknown error";
  if (err) g_error_free(err);
  return why;
}

}  // namespace

ZipReader::Opened ZipReader::open(GsfInput* input, Limits limits) {
  GError* err = nullptr;
  GsfInfile* zip = gsf_infile_zip_new(input, &err);
  if (!zip) {
    g_object_unref(input);
    return {nullptr, false, message(err)};
  }
  if (err) g_error_free(err);
  std::unique_ptr<ZipReader> reader(new ZipReader(input, limits));
  reader->zip_ = zip;
  reader->collect(zip, "", 0);
  return {std::move(reader), false, {}};
}

ZipReader::Opened ZipReader::fromMemory(std::string_view bytes, Limits limits) {
  GsfInput* input = gsf_input_memory_new(reinterpret_cast<const guint8*>(bytes.data()),
                                         static_cast<gsf_off_t>(bytes.size()), FALSE);
  if (!input) return {nullptr, true, "the bytes could not be read"};
  return open(input, limits);
}

ZipReader::Opened ZipReader::fromFile(const std::string& path, Limits limits) {
  // A pipe or a device would be read to its end, which may never come.
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
    return {nullptr, true, "not a plain file (a device, pipe or socket)"};
  GError* err = nullptr;
  GsfInput* input = gsf_input_stdio_new(path.c_str(), &err);
  if (!input) return {nullptr, true, message(err)};
  if (err) g_error_free(err);
  return open(input, limits);
}

ZipReader::~ZipReader() {
  for (auto it = dirs_.rbegin(); it != dirs_.rend(); ++it) g_object_unref(*it);
  if (zip_) g_object_unref(zip_);
  if (input_) g_object_unref(input_);
}

void ZipReader::collect(GsfInfile* dir, const std::string& prefix, int depth) {
  const int n = gsf_infile_num_children(dir);
  for (int i = 0; i < n && entries_.size() < limits_.entries; ++i) {
    const char* raw = gsf_infile_name_by_index(dir, i);
    Entry e;
    e.name = raw ? raw : "";
    e.path = prefix + e.name;
    e.depth = depth;
    GsfInput* child = gsf_infile_child_by_index(dir, i);
    e.readable = child != nullptr;
    e.folder = child && GSF_IS_INFILE(child) && gsf_infile_num_children(GSF_INFILE(child)) >= 0;
    entries_.push_back(e);
    places_.push_back({dir, i});
    if (e.folder && depth + 1 < limits_.depth) {
      dirs_.push_back(GSF_INFILE(child));
      collect(GSF_INFILE(child), e.path + "/", depth + 1);
    } else if (child) {
      g_object_unref(child);
    }
  }
}

ZipReader::Read ZipReader::read(size_t index, uint64_t limit) const {
  Read r;
  if (index >= places_.size() || entries_[index].folder) return r;
  const GObjectPtr<GsfInput> in(
      gsf_infile_child_by_index(places_[index].dir, places_[index].index));
  if (!in) return r;
  const gsf_off_t size = gsf_input_size(in.get());
  if (size < 0) return r;
  r.size = static_cast<uint64_t>(size);
  if (r.size > limit) {
    r.status = Read::TooLarge;
    return r;
  }
  if (gsf_input_seek(in.get(), 0, G_SEEK_SET)) return r;
  r.bytes.assign(static_cast<size_t>(r.size), '\0');
  for (size_t done = 0; done < r.bytes.size();) {
    const size_t chunk = std::min<size_t>(r.bytes.size() - done, size_t{1} << 16);
    if (!gsf_input_read(in.get(), chunk, reinterpret_cast<guint8*>(r.bytes.data() + done))) {
      r.bytes.clear();
      return r;
    }
    done += chunk;
  }
  r.status = Read::Ok;
  return r;
}

// ---- the central directory, for the entries' file modes -----------------

namespace {

constexpr uint32_t kEndOfDirectory = 0x06054b50;
constexpr uint32_t kZip64Locator = 0x07064b50;
constexpr uint32_t kZip64End = 0x06064b50;
constexpr uint32_t kDirectoryEntry = 0x02014b50;
constexpr uint32_t kLocalEntry = 0x04034b50;
constexpr uint32_t kDescriptor = 0x08074b50;
constexpr uint32_t kUnixHost = 3;
constexpr uint32_t kTypeMask = 0170000, kLinkType = 0120000;
// The end record and the longest comment it may carry.
constexpr size_t kTailSearch = 22 + 0xFFFF;
// A directory larger than this is no document's or course package's.
constexpr uint64_t kMaxDirectory = uint64_t{256} << 20;

uint64_t le(const std::string& b, size_t at, int bytes) {
  uint64_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
  return v;
}

bool readAt(GsfInput* in, uint64_t offset, size_t size, std::string& out) {
  out.assign(size, '\0');
  return !gsf_input_seek(in, static_cast<gsf_off_t>(offset), G_SEEK_SET) &&
         (size == 0 || gsf_input_read(in, size, reinterpret_cast<guint8*>(out.data())));
}

// Where the central directory lies and how long it is, from the end record
// (and its 64-bit form when the short one overflows).
bool findDirectory(GsfInput* in, uint64_t fileSize, uint64_t& offset, uint64_t& size) {
  const size_t tail = static_cast<size_t>(std::min<uint64_t>(fileSize, kTailSearch));
  std::string t;
  if (tail < 22 || !readAt(in, fileSize - tail, tail, t)) return false;
  for (size_t at = tail - 22 + 1; at-- > 0;) {
    if (le(t, at, 4) != kEndOfDirectory) continue;
    size = le(t, at + 12, 4);
    offset = le(t, at + 16, 4);
    if (offset == 0xFFFFFFFF && at >= 20 && le(t, at - 20, 4) == kZip64Locator) {
      std::string z;
      if (!readAt(in, le(t, at - 20 + 8, 8), 56, z) || le(z, 0, 4) != kZip64End) return false;
      size = le(z, 40, 8);
      offset = le(z, 48, 8);
    }
    return offset <= fileSize && size <= fileSize - offset;
  }
  return false;
}

}  // namespace

// Calls `each(dir, at, name)` for every record of the central directory,
// `at` its offset in `dir`, and returns where the directory begins; nothing
// (and 0) when the directory cannot be read.
template <typename Each>
uint64_t ZipReader::directory(GsfInput* in, Each each) const {
  const gsf_off_t fileSize = gsf_input_size(in);
  uint64_t offset = 0, size = 0;
  std::string dir;
  if (fileSize < 0 || !findDirectory(in, static_cast<uint64_t>(fileSize), offset, size) ||
      size > kMaxDirectory || !readAt(in, offset, static_cast<size_t>(size), dir))
    return 0;
  for (size_t at = 0; at + 46 <= dir.size() && le(dir, at, 4) == kDirectoryEntry;) {
    const size_t nameLength = le(dir, at + 28, 2);
    const size_t next = at + 46 + nameLength + le(dir, at + 30, 2) + le(dir, at + 32, 2);
    if (next > dir.size()) break;
    each(dir, at, std::string_view(dir).substr(at + 46, nameLength));
    at = next;
  }
  return offset;
}

std::vector<std::string> ZipReader::links() const {
  std::vector<std::string> links;
  // A reading of its own: the library's entries keep their positions.
  const GObjectPtr<GsfInput> in(gsf_input_dup(input_, nullptr));
  if (!in) return links;
  directory(in.get(), [&](const std::string& dir, size_t at, std::string_view name) {
    const uint64_t host = le(dir, at + 4, 2) >> 8;
    const uint64_t mode = le(dir, at + 38, 4) >> 16;
    if (host == kUnixHost && (mode & kTypeMask) == kLinkType) links.emplace_back(name);
  });
  return links;
}

namespace {

// What the directory says of an entry, to hold against its own header.
struct Listed {
  uint64_t offset;
  std::string name;
  uint64_t method, crc, packed, size;
};

// Where the bytes that follow the entry's header, data and descriptor begin;
// 0 when its sizes are 64-bit ones (no package comes near them).
uint64_t endOf(GsfInput* in, const Listed& e, const std::string& local) {
  if (e.packed == 0xFFFFFFFF) return 0;
  uint64_t end = e.offset + 30 + le(local, 26, 2) + le(local, 28, 2) + e.packed;
  if (le(local, 6, 2) & 8) {  // a descriptor follows the data, its signature optional
    std::string sig;
    end += (readAt(in, end, 4, sig) && le(sig, 0, 4) == kDescriptor ? 4 : 0) + 12;
  }
  return end;
}

}  // namespace

ZipReader::HeaderFaults ZipReader::headerFaults() const {
  HeaderFaults faults;
  const GObjectPtr<GsfInput> in(gsf_input_dup(input_, nullptr));
  if (!in) return faults;
  std::vector<Listed> listed;
  const uint64_t directoryAt =
      directory(in.get(), [&](const std::string& dir, size_t at, std::string_view name) {
        listed.push_back({le(dir, at + 42, 4), std::string(name), le(dir, at + 10, 2),
                          le(dir, at + 16, 4), le(dir, at + 20, 4), le(dir, at + 24, 4)});
      });
  std::sort(listed.begin(), listed.end(),
            [](const Listed& a, const Listed& b) { return a.offset < b.offset; });
  std::string local, name;
  // A header where no listed entry begins: between the entries, or before
  // the first (a stub before a self-extracting zip is no header).
  const auto unlistedAt = [&](uint64_t at, uint64_t next) {
    if (at < next && readAt(in.get(), at, 30, local) && le(local, 0, 4) == kLocalEntry &&
        readAt(in.get(), at + 30, le(local, 26, 2), name))
      faults.unlisted.push_back(name);
  };
  if (!listed.empty()) unlistedAt(0, listed.front().offset);
  for (size_t i = 0; i < listed.size(); ++i) {
    const Listed& e = listed[i];
    // A 64-bit offset lies in the record's extra field; such a zip is far
    // beyond any package, and its entries are named by the directory alone.
    if (e.offset == 0xFFFFFFFF) continue;
    if (!readAt(in.get(), e.offset, 30, local) || le(local, 0, 4) != kLocalEntry ||
        le(local, 26, 2) != e.name.size() || !readAt(in.get(), e.offset + 30, e.name.size(), name) ||
        name != e.name) {
      faults.misnamed.push_back(e.name);
      continue;
    }
    // With a descriptor the header's checksum and sizes may be left 0.
    const bool sized = !(le(local, 6, 2) & 8) || le(local, 14, 4) || le(local, 18, 4);
    if (le(local, 8, 2) != e.method ||
        (sized && (le(local, 14, 4) != e.crc || le(local, 18, 4) != e.packed ||
                   (le(local, 22, 4) != e.size && e.size != 0xFFFFFFFF))))
      faults.misdescribed.push_back(e.name);
    if (const uint64_t end = endOf(in.get(), e, local))
      unlistedAt(end, i + 1 < listed.size() ? listed[i + 1].offset : directoryAt);
  }
  return faults;
}

}  // namespace support
