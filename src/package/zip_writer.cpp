#include "package/zip_writer.h"

#include <minizip/zip.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <utility>

#include "package/contents.h"
#include "support/files.h"
#include "support/runtime_error.h"
#include "support/workers.h"

namespace package {
namespace fs = std::filesystem;

namespace {

[[noreturn]] void fail(const std::string& what) {
  support::raise(support::kPathFileAccessError, what);
}

// Pictures are compressed already: deflating them again costs time and gains
// nothing.
bool alreadyPacked(const std::string& name) {
  size_t dot = name.rfind('.');
  if (dot == std::string::npos) return false;
  std::string ext = name.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext == "png" || ext == "jpg" || ext == "jpeg" || ext == "gif" || ext == "zip";
}

// Text deflates well at the lowest level; the higher ones cost several
// times the time for a few per cent. (libdeflate at level 1, measured in
// the program against this, changed the whole package by less than 1%.)
constexpr int kDeflateLevel = 1;

// The deflated bytes of a file are made in a buffer of the thread's own,
// which grows to the largest file, and copied out at their size: a buffer
// of each file's bound would be filled for nothing and kept.
char* scratch(size_t size) {
  thread_local std::unique_ptr<char[]> buffer;
  thread_local size_t capacity = 0;
  if (size > capacity) {
    buffer = std::make_unique_for_overwrite<char[]>(size);
    capacity = size;
  }
  return buffer.get();
}

// Raw deflate (no zlib header: the zip has its own) of a whole file, one
// compressor per thread. Nothing when the result would not be smaller.
bool deflateBytes(std::string_view in, std::string& out) {
  struct Stream {
    z_stream z{};
    bool ok = deflateInit2(&z, kDeflateLevel, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) == Z_OK;
    ~Stream() { deflateEnd(&z); }
  };
  thread_local Stream s;
  // zlib counts in 32 bits: a file of a gigabyte or more is stored as it is.
  if (in.size() >= (size_t{1} << 30) || !s.ok || deflateReset(&s.z) != Z_OK) return false;
  const size_t bound = deflateBound(&s.z, in.size());
  char* buffer = scratch(bound);
  s.z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
  s.z.avail_in = static_cast<uInt>(in.size());
  s.z.next_out = reinterpret_cast<Bytef*>(buffer);
  s.z.avail_out = static_cast<uInt>(bound);
  if (deflate(&s.z, Z_FINISH) != Z_STREAM_END || s.z.total_out >= in.size()) return false;
  out.assign(buffer, s.z.total_out);
  return true;
}

// The zip's file, written through a buffer of a fixed size. The zip library
// goes back to each entry's header once its data is in: while that header
// is still in the buffer, the change is made there, else in the file.
class ZipSink {
 public:
  ZipSink(support::PendingFile& file, std::string path)
      : file_(file),
        path_(std::move(path)),
        buffer_(std::make_unique_for_overwrite<char[]>(kBuffer)) {}

  bool write(const char* p, size_t n) {
    if (pos_ < flushed_) {  // a header already in the file
      const size_t k = std::min<uint64_t>(n, flushed_ - pos_);
      if (!patch(p, k)) return false;
      p += k;
      n -= k;
    }
    while (n > 0) {
      size_t at = static_cast<size_t>(pos_ - flushed_);
      if (at == kBuffer) {
        if (!flush()) return false;
        at = 0;
      }
      const size_t k = std::min(n, kBuffer - at);
      std::memcpy(buffer_.get() + at, p, k);
      used_ = std::max(used_, at + k);
      pos_ += k;
      p += k;
      n -= k;
    }
    return true;
  }
  bool seek(uint64_t to) {
    if (to > flushed_ + used_) return false;  // the zip library never leaves a hole
    pos_ = to;
    return true;
  }
  uint64_t tell() const { return pos_; }
  bool flush() {
    if (abandoned_) return true;
    try {
      file_.write(std::string_view(buffer_.get(), used_));
    } catch (const support::Error& e) {
      error_ = e;
      return false;
    }
    flushed_ += used_;
    used_ = 0;
    return true;
  }
  // The first failure, when there was one.
  const std::optional<support::Error>& error() const { return error_; }
  // The zip failed: what is still to come goes nowhere.
  void abandon() { abandoned_ = true; }

 private:
  // Four times the zip library's own buffer: few writes, and little fresh
  // memory to fault in (a megabyte per zip had cost 1,000 page faults of
  // the copy step's 2,800).
  static constexpr size_t kBuffer = size_t{256} << 10;

  bool patch(const char* p, size_t n) {
    const ssize_t done = ::pwrite(file_.descriptor(), p, n, static_cast<off_t>(pos_));
    if (done != static_cast<ssize_t>(n)) {
      error_ = support::fileError(done < 0 ? errno : ENOSPC, path_);
      return false;
    }
    pos_ += n;
    return true;
  }

  support::PendingFile& file_;
  std::string path_;
  std::unique_ptr<char[]> buffer_;
  uint64_t flushed_ = 0;  // bytes in the file
  size_t used_ = 0;       // bytes in the buffer, after those
  uint64_t pos_ = 0;
  std::optional<support::Error> error_;
  bool abandoned_ = false;
};

// The zip library's view of the sink.
zlib_filefunc64_def sinkFunctions(ZipSink& sink) {
  zlib_filefunc64_def f{};
  f.opaque = &sink;
  f.zopen64_file = [](voidpf opaque, const void*, int) -> voidpf { return opaque; };
  f.zread_file = [](voidpf, voidpf, void*, uLong) -> uLong { return 0; };
  f.zwrite_file = [](voidpf, voidpf s, const void* buf, uLong size) -> uLong {
    return static_cast<ZipSink*>(s)->write(static_cast<const char*>(buf), size) ? size : 0;
  };
  f.ztell64_file = [](voidpf, voidpf s) -> ZPOS64_T { return static_cast<ZipSink*>(s)->tell(); };
  f.zseek64_file = [](voidpf, voidpf s, ZPOS64_T offset, int origin) -> long {
    auto* sink = static_cast<ZipSink*>(s);
    if (origin == ZLIB_FILEFUNC_SEEK_CUR) offset += sink->tell();
    if (origin == ZLIB_FILEFUNC_SEEK_END) return -1;  // not used in writing
    return sink->seek(offset) ? 0 : -1;
  };
  f.zclose_file = [](voidpf, voidpf s) -> int {
    return static_cast<ZipSink*>(s)->flush() ? 0 : -1;
  };
  f.zerror_file = [](voidpf, voidpf s) -> int { return static_cast<ZipSink*>(s)->error() ? 1 : 0; };
  return f;
}

zip_fileinfo entryInfo(std::time_t modified) {
  zip_fileinfo info{};
  std::tm t{};
  ::localtime_r(&modified, &t);
  info.tmz_date = {static_cast<uInt>(t.tm_sec),  static_cast<uInt>(t.tm_min),
                   static_cast<uInt>(t.tm_hour), static_cast<uInt>(t.tm_mday),
                   static_cast<uInt>(t.tm_mon),  static_cast<uInt>(t.tm_year + 1900)};
  info.external_fa = uLong{0100644} << 16;  // a plain file, readable by all
  return info;
}

// Made on a Unix system (3), by a zip of version 2.0.
constexpr uLong kMadeBy = (3 << 8) | 20;

void addEntry(zipFile zip, const ZipEntry& e, const zip_fileinfo& info) {
  const PackedFile& f = *e.file;
  const int zip64 = f.size >= 0xffffffffU || f.data.size() >= 0xffffffffU;
  if (zipOpenNewFileInZip4_64(zip, e.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                              f.deflated ? Z_DEFLATED : 0, f.deflated ? kDeflateLevel : 0, 1,
                              -MAX_WBITS, 8, Z_DEFAULT_STRATEGY, nullptr, 0, kMadeBy, 0,
                              zip64) != ZIP_OK)
    fail("cannot add " + e.name + " to the zip");
  for (size_t at = 0; at < f.data.size();) {
    const unsigned n = static_cast<unsigned>(std::min<size_t>(f.data.size() - at, 1U << 30));
    if (zipWriteInFileInZip(zip, f.data.data() + at, n) != ZIP_OK)
      fail("cannot add " + e.name + " to the zip");
    at += n;
  }
  if (zipCloseFileInZipRaw64(zip, f.size, f.crc) != ZIP_OK)
    fail("cannot add " + e.name + " to the zip");
}

}  // namespace

PackedFile packBytes(const std::string& name, std::string_view bytes) {
  PackedFile p;
  p.size = bytes.size();
  p.crc =
      static_cast<uint32_t>(crc32_z(0, reinterpret_cast<const Bytef*>(bytes.data()), bytes.size()));
  if (!alreadyPacked(name)) p.deflated = deflateBytes(bytes, p.data);
  if (!p.deflated) p.data.assign(bytes);
  return p;
}

std::vector<PackedFile> packAll(const std::vector<PackSource>& sources) {
  std::vector<PackedFile> packed(sources.size());
  // Each folder opened once for all its files, not again for each.
  std::map<std::string, std::unique_ptr<const PackageFolder>> folders;
  for (const PackSource& s : sources)
    if (!s.bytes && !folders.count(s.folder))
      folders.emplace(s.folder, std::make_unique<const PackageFolder>(s.folder));
  support::forEachOnCores(sources.size(), [&](size_t i) {
    const PackSource& s = sources[i];
    if (s.bytes) {
      packed[i] = packBytes(s.name, *s.bytes);
      return;
    }
    packed[i] = packBytes(s.name, folders.at(s.folder)->read(s.name));
  });
  return packed;
}

std::vector<std::string> zipOrder(std::vector<std::string> names) {
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  const auto manifest = std::lower_bound(names.begin(), names.end(), "imsmanifest.xml");
  if (manifest != names.end() && *manifest == "imsmanifest.xml")
    std::rotate(names.begin(), manifest, manifest + 1);
  return names;
}

std::unique_ptr<support::PendingFile> packZip(const std::string& zipPath,
                                              const std::vector<ZipEntry>& entries) {
  auto file = std::make_unique<support::PendingFile>(zipPath);
  ZipSink sink(*file, zipPath);
  zlib_filefunc64_def functions = sinkFunctions(sink);
  zipFile zip = zipOpen2_64(zipPath.c_str(), APPEND_STATUS_CREATE, nullptr, &functions);
  if (!zip) fail("cannot start " + zipPath);
  const zip_fileinfo info = entryInfo(std::time(nullptr));
  try {
    for (const ZipEntry& e : entries) addEntry(zip, e, info);
  } catch (...) {
    sink.abandon();
    zipClose(zip, nullptr);  // frees it; the temporary goes with `file`
    if (sink.error()) throw *sink.error();
    throw;
  }
  const bool closed = zipClose(zip, nullptr) == ZIP_OK;
  if (sink.error()) throw *sink.error();
  if (!closed) fail("cannot finish " + zipPath);
  return file;
}

void writePackedZip(const std::string& zipPath, const std::vector<ZipEntry>& entries) {
  packZip(zipPath, entries)->commit();
}

void writeZip(const std::string& folder, const std::vector<std::string>& names,
              const std::string& zipPath, const std::vector<MadeEntry>& made) {
  std::map<std::string, const MadeEntry*> byName;
  std::vector<std::string> all = names;
  for (const MadeEntry& m : made) {
    byName[m.name] = &m;
    all.push_back(m.name);
  }
  const std::vector<std::string> ordered = zipOrder(std::move(all));
  std::vector<PackSource> sources;
  for (const std::string& rel : ordered) {
    auto m = byName.find(rel);
    sources.push_back({rel, folder, m == byName.end() ? nullptr : &m->second->bytes});
  }
  const std::vector<PackedFile> packed = packAll(sources);
  std::vector<ZipEntry> entries;
  for (size_t i = 0; i < ordered.size(); ++i) entries.push_back({ordered[i], &packed[i]});
  writePackedZip(zipPath, entries);
}

}  // namespace package
