#include "package/zip_writer.h"

#include <fcntl.h>
#include <gsf/gsf-outfile-zip.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-output.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <vector>

#include "support/files.h"
#include "support/gobject.h"
#include "support/runtime_error.h"

namespace package {
namespace fs = std::filesystem;

namespace {

[[noreturn]] void fail(const std::string& what) {
  support::raise(support::kPathFileAccessError, what);
}

// Pictures are compressed already: deflating them again costs time and gains
// nothing. Text deflates well at a low level; the higher levels cost several
// times the time for a few per cent.
bool alreadyPacked(const std::string& name) {
  size_t dot = name.rfind('.');
  if (dot == std::string::npos) return false;
  std::string ext = name.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext == "png" || ext == "jpg" || ext == "jpeg" || ext == "gif" || ext == "zip";
}
constexpr int kDeflateLevel = 1;
// Packages up to this size are put together in memory: the zip writer goes
// back to every entry's header once its data is in, and on a file each of
// those moves is a write of its own. Larger ones go to the file as they come.
constexpr uintmax_t kMemoryZipLimit = uintmax_t{512} << 20;
// Files are read and packed in pieces of this size.
constexpr size_t kPiece = size_t{8} << 20;

// The zip's entries under construction. Folders are opened once, and all of
// them are closed, deepest first, before the zip itself.
class ZipTree {
 public:
  explicit ZipTree(GsfOutput* sink) {
    GError* err = nullptr;
    root_ = gsf_outfile_zip_new(sink, &err);
    if (!root_) {
      std::string why = err ? err->message : "unknown error";
      if (err) g_error_free(err);
      fail("cannot start the zip: " + why);
    }
  }
  ZipTree(const ZipTree&) = delete;
  ZipTree& operator=(const ZipTree&) = delete;
  ~ZipTree() {
    for (auto it = owned_.rbegin(); it != owned_.rend(); ++it) g_object_unref(*it);
    g_object_unref(root_);
  }

  // A new entry for the file `rel` ("a/b/c.htm"), its folders made as needed.
  GsfOutput* entry(const std::string& rel) {
    GsfOutfile* parent = root_;
    std::string path;
    size_t start = 0;
    for (size_t slash; (slash = rel.find('/', start)) != std::string::npos; start = slash + 1) {
      const std::string part = rel.substr(start, slash - start);
      path += path.empty() ? part : "/" + part;
      auto found = dirs_.find(path);
      if (found == dirs_.end()) {
        GsfOutput* d = gsf_outfile_new_child(parent, part.c_str(), TRUE);
        if (!d) fail("cannot add the folder " + path + " to the zip");
        owned_.push_back(d);
        found = dirs_.emplace(path, GSF_OUTFILE(d)).first;
      }
      parent = found->second;
    }
    const std::string leaf = rel.substr(start);
    GsfOutput* child =
        gsf_outfile_new_child_full(parent, leaf.c_str(), FALSE, "compression-level",
                                   alreadyPacked(leaf) ? GSF_ZIP_STORED : GSF_ZIP_DEFLATED,
                                   "deflate-level", kDeflateLevel, nullptr);
    if (!child) fail("cannot add " + rel + " to the zip");
    owned_.push_back(child);
    return child;
  }

  // Closes the folders and the zip; false when the zip could not be finished.
  bool close() {
    std::vector<std::pair<size_t, GsfOutfile*>> byDepth;
    for (const auto& [path, dir] : dirs_)
      byDepth.emplace_back(std::count(path.begin(), path.end(), '/'), dir);
    std::stable_sort(byDepth.begin(), byDepth.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    bool ok = true;
    for (const auto& d : byDepth) ok = gsf_output_close(GSF_OUTPUT(d.second)) && ok;
    return gsf_output_close(GSF_OUTPUT(root_)) && ok;
  }

 private:
  GsfOutfile* root_ = nullptr;
  std::map<std::string, GsfOutfile*> dirs_;
  std::vector<GsfOutput*> owned_;
};

void packFile(ZipTree& tree, const std::string& folder, const std::string& rel, char* piece) {
  const std::string file = (fs::path(folder) / fs::path(rel)).string();
  GsfOutput* child = tree.entry(rel);
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) throw support::fileError(errno, file);
  for (;;) {
    ssize_t n = ::read(fd, piece, kPiece);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int err = errno;
      ::close(fd);
      throw support::fileError(err, file);
    }
    if (n == 0) break;
    if (!gsf_output_write(child, static_cast<size_t>(n), reinterpret_cast<const guint8*>(piece))) {
      ::close(fd);
      fail("cannot pack " + file);
    }
  }
  ::close(fd);
  if (!gsf_output_close(child)) fail("cannot pack " + file);
}

// The manifest first, so that it sits at the zip's root where an LMS looks
// first; the rest by name, so that two runs give the same layout.
std::vector<std::string> zipOrder(std::vector<std::string> names) {
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    const bool am = a == "imsmanifest.xml", bm = b == "imsmanifest.xml";
    if (am != bm) return am;
    return a < b;
  });
  names.erase(std::unique(names.begin(), names.end()), names.end());
  return names;
}

void packMade(ZipTree& tree, const MadeEntry& e) {
  GsfOutput* child = tree.entry(e.name);
  if (!gsf_output_write(child, e.bytes.size(), reinterpret_cast<const guint8*>(e.bytes.data())) ||
      !gsf_output_close(child))
    fail("cannot pack " + e.name);
}

void pack(GsfOutput* sink, const std::string& folder, const std::vector<std::string>& names,
          const std::map<std::string, const MadeEntry*>& made) {
  ZipTree tree(sink);
  // One buffer for all files, left as it comes: most files fill a small part.
  const auto piece = std::make_unique_for_overwrite<char[]>(kPiece);
  for (const std::string& rel : names) {
    if (auto m = made.find(rel); m != made.end())
      packMade(tree, *m->second);
    else
      packFile(tree, folder, rel, piece.get());
  }
  if (!tree.close()) fail("cannot finish the zip");
}

}  // namespace

void writeZip(const std::string& folder, const std::vector<std::string>& names,
              const std::string& zipPath, const std::vector<MadeEntry>& made) {
  std::map<std::string, const MadeEntry*> byName;
  std::vector<std::string> all = names;
  for (const MadeEntry& m : made) {
    byName[m.name] = &m;
    all.push_back(m.name);
  }
  const std::vector<std::string> ordered = zipOrder(std::move(all));
  uintmax_t totalBytes = 0;
  for (const std::string& rel : ordered) {
    std::error_code ec;
    auto m = byName.find(rel);
    totalBytes += m != byName.end() ? m->second->bytes.size()
                                    : fs::file_size(fs::path(folder) / fs::path(rel), ec);
  }
  if (totalBytes <= kMemoryZipLimit) {
    support::GObjectPtr<GsfOutput> memory(gsf_output_memory_new());
    pack(memory.get(), folder, ordered, byName);
    const guint8* bytes = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(memory.get()));
    const auto size = static_cast<size_t>(gsf_output_size(memory.get()));
    support::writeFile(zipPath, std::string_view(reinterpret_cast<const char*>(bytes), size));
    return;
  }
  support::PendingFile file(zipPath);
  std::FILE* stream = ::fdopen(::dup(file.descriptor()), "wb");
  if (!stream) throw support::fileError(errno, zipPath);
  support::GObjectPtr<GsfOutput> out(gsf_output_stdio_new_FILE(zipPath.c_str(), stream, FALSE));
  if (!out) {
    std::fclose(stream);
    fail("cannot write " + zipPath);
  }
  pack(out.get(), folder, ordered, byName);
  if (!gsf_output_is_closed(out.get()) && !gsf_output_close(out.get()))
    fail("cannot write " + zipPath);
  out.reset();
  file.commit();
}

}  // namespace package
