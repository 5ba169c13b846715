#include "package/zip_writer.h"

#include <gsf/gsf-outfile-zip.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-output.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "support/error.h"
#include "support/files.h"
#include "support/runtime_error.h"

namespace package {
namespace fs = std::filesystem;

namespace {

[[noreturn]] void fail(int32_t number, const std::string& what) {
  throw support::Error(number, support::kProgramSource, what);
}

// Files in the order they go into the zip: the manifest first, the rest by
// name, so that two runs over the same folder give the same archive layout.
std::vector<std::string> listFiles(const fs::path& root, const fs::path& skip,
                                   uintmax_t& totalBytes) {
  std::vector<std::string> names;
  totalBytes = 0;
  std::error_code ec;
  fs::recursive_directory_iterator it(root, fs::directory_options::none, ec);
  if (ec) fail(76, "cannot read the folder " + root.string() + ": " + ec.message());
  for (fs::recursive_directory_iterator end; it != end; it.increment(ec)) {
    if (ec) fail(75, "cannot read the folder " + root.string() + ": " + ec.message());
    const fs::directory_entry& e = *it;
    if (e.is_symlink(ec) || !e.is_regular_file(ec)) continue;
    // Only a file with the zip's name can be the zip itself.
    if (!skip.empty() && e.path().filename() == skip.filename() &&
        fs::equivalent(e.path(), skip, ec))
      continue;
    uintmax_t size = e.file_size(ec);
    if (!ec) totalBytes += size;
    names.push_back(e.path().lexically_relative(root).generic_string());
  }
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    bool am = a == "imsmanifest.xml", bm = b == "imsmanifest.xml";
    if (am != bm) return am;
    return a < b;
  });
  return names;
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
// Packages up to this size are zipped in memory.
constexpr uintmax_t kMemoryZipLimit = uintmax_t{512} << 20;

// Reads the package's files ahead, in zip order, on a second thread while the
// caller deflates: reading is mostly the kernel's time, deflating all ours,
// and on two cores they overlap. Files above kWholeLimit are left to the
// caller to read in pieces; at most kAheadLimit bytes wait at any time.
class ReadAhead {
 public:
  struct File {
    enum State { Read, Failed, TooLarge } state = Failed;
    std::string bytes;
  };
  static constexpr size_t kWholeLimit = size_t{8} << 20;
  static constexpr size_t kAheadLimit = size_t{8} << 20;

  ReadAhead(const fs::path& root, const std::vector<std::string>& names)
      : root_(root), names_(names), files_(names.size()),
        worker_([this] { work(); }) {}
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;
  ~ReadAhead() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    worker_.join();
  }

  // File i of the names, once read; each is taken once, in order.
  File take(size_t i) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return done_ > i; });
    File f = std::move(files_[i]);
    waiting_ -= f.bytes.size();
    lock.unlock();
    changed_.notify_all();
    return f;
  }

 private:
  void work() {
    for (size_t i = 0; i < names_.size(); ++i) {
      File f = read((root_ / fs::path(names_[i])).string());
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, [&] { return stop_ || waiting_ < kAheadLimit; });
      if (stop_) return;
      waiting_ += f.bytes.size();
      files_[i] = std::move(f);
      done_ = i + 1;
      lock.unlock();
      changed_.notify_all();
    }
  }

  static File read(const std::string& path) {
    File f;
    std::error_code ec;
    if (fs::file_size(path, ec) > kWholeLimit && !ec) {
      f.state = File::TooLarge;
      return f;
    }
    try {
      f.bytes = support::readFile(path);
      f.state = File::Read;
    } catch (const support::Error&) {
      f.state = File::Failed;
    }
    return f;
  }

  const fs::path root_;
  const std::vector<std::string>& names_;
  std::vector<File> files_;
  std::mutex mutex_;
  std::condition_variable changed_;
  size_t done_ = 0;     // files_[0, done_) are read (or failed)
  size_t waiting_ = 0;  // bytes read and not yet taken
  bool stop_ = false;
  std::thread worker_;  // last: starts once the rest is set up
};

void unrefAll(std::vector<GsfOutput*>& outputs) {
  for (auto it = outputs.rbegin(); it != outputs.rend(); ++it) g_object_unref(*it);
  outputs.clear();
}

}  // namespace

void writeZip(const std::string& folder, const std::string& zipPath) {
  fs::path root(folder);
  std::error_code ec;
  if (!fs::is_directory(root, ec)) fail(76, "no such folder: " + folder);
  fs::path zip(zipPath);
  // A zip written into the folder it packs must not pack itself.
  uintmax_t totalBytes = 0;
  std::vector<std::string> names =
      listFiles(root, fs::exists(zip, ec) ? zip : fs::path(), totalBytes);

  // The zip is put together in memory and written in one go: the zip writer
  // goes back to every entry's header once its data is in, and on a file
  // each of those moves is a write of its own. A package too large to hold
  // goes straight to the file.
  const bool inMemory = totalBytes <= kMemoryZipLimit;
  std::FILE* f = nullptr;
  if (!inMemory) {
    f = std::fopen(zipPath.c_str(), "wb");
    if (!f) fail(75, "cannot create " + zipPath + ": " + std::strerror(errno));
  }
  GError* err = nullptr;
  GsfOutput* sink =
      inMemory ? gsf_output_memory_new() : gsf_output_stdio_new_FILE(zipPath.c_str(), f, FALSE);
  GsfOutfile* out = sink ? gsf_outfile_zip_new(sink, &err) : nullptr;
  std::vector<GsfOutput*> owned;  // unreferenced in reverse order at the end
  if (sink) owned.push_back(sink);
  std::string problem;
  if (!out) {
    problem = std::string("cannot start the zip: ") + (err ? err->message : "unknown error");
  } else {
    owned.push_back(GSF_OUTPUT(out));
  }
  if (err) g_error_free(err);

  // Folders are opened once and closed after all their files, deepest first.
  std::map<std::string, GsfOutfile*> dirs;
  std::vector<std::string> dirOrder;
  auto dirFor = [&](const std::string& rel) -> GsfOutfile* {
    GsfOutfile* parent = out;
    std::string path;
    size_t start = 0;
    for (size_t slash; (slash = rel.find('/', start)) != std::string::npos; start = slash + 1) {
      std::string part = rel.substr(start, slash - start);
      path += path.empty() ? part : "/" + part;
      auto found = dirs.find(path);
      if (found == dirs.end()) {
        GsfOutput* d = gsf_outfile_new_child(parent, part.c_str(), TRUE);
        if (!d) return nullptr;
        owned.push_back(d);
        found = dirs.emplace(path, GSF_OUTFILE(d)).first;
        dirOrder.push_back(path);
      }
      parent = found->second;
    }
    return parent;
  };

  // Whether the zip file may hold a part of this zip: from the start when it
  // is written straight to the file, else only once the bytes go out.
  bool written = !inMemory;
  std::vector<char> buf;
  ReadAhead ahead(root, names);
  for (size_t i = 0; problem.empty() && i < names.size(); ++i) {
    const std::string& rel = names[i];
    GsfOutfile* parent = dirFor(rel);
    std::string leaf = rel.substr(rel.rfind('/') == std::string::npos ? 0 : rel.rfind('/') + 1);
    GsfOutput* child =
        parent ? gsf_outfile_new_child_full(parent, leaf.c_str(), FALSE, "compression-level",
                                            alreadyPacked(leaf) ? GSF_ZIP_STORED : GSF_ZIP_DEFLATED,
                                            "deflate-level", kDeflateLevel, nullptr)
               : nullptr;
    if (!child) {
      problem = "cannot add " + rel + " to the zip";
      break;
    }
    owned.push_back(child);
    const std::string file = (root / fs::path(rel)).string();
    ReadAhead::File ready = ahead.take(i);
    if (ready.state == ReadAhead::File::Failed) {
      problem = "cannot read " + file;
    } else if (ready.state == ReadAhead::File::Read) {
      if (!gsf_output_write(child, ready.bytes.size(),
                            reinterpret_cast<const guint8*>(ready.bytes.data())))
        problem = "cannot write " + zipPath;
      if (!gsf_output_close(child) && problem.empty()) problem = "cannot write " + zipPath;
      continue;
    }
    // In pieces: a package may hold files far larger than its pages.
    buf.resize(1 << 20);
    int fd = problem.empty() ? ::open(file.c_str(), O_RDONLY | O_CLOEXEC) : -1;
    if (fd < 0) problem = "cannot read " + file;
    while (problem.empty()) {
      ssize_t n = ::read(fd, buf.data(), buf.size());
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) problem = "cannot read " + file;
      if (n <= 0) break;
      if (!gsf_output_write(child, static_cast<size_t>(n),
                            reinterpret_cast<const guint8*>(buf.data())))
        problem = "cannot write " + zipPath;
    }
    if (fd >= 0) ::close(fd);
    if (!gsf_output_close(child) && problem.empty()) problem = "cannot write " + zipPath;
  }
  std::sort(dirOrder.begin(), dirOrder.end(), [](const std::string& a, const std::string& b) {
    return std::count(a.begin(), a.end(), '/') > std::count(b.begin(), b.end(), '/');
  });
  for (const std::string& d : dirOrder) gsf_output_close(GSF_OUTPUT(dirs[d]));
  if (out && !gsf_output_close(GSF_OUTPUT(out)) && problem.empty())
    problem = "cannot write " + zipPath;
  if (sink && inMemory && problem.empty()) {
    const guint8* bytes = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(sink));
    const size_t size = static_cast<size_t>(gsf_output_size(sink));
    try {
      support::writeFile(zipPath, std::string_view(reinterpret_cast<const char*>(bytes), size));
    } catch (const support::Error& e) {
      problem = "cannot write " + zipPath + ": " + e.description();
      written = true;  // perhaps half: removed below
    }
  }
  if (sink && !gsf_output_is_closed(sink) && !gsf_output_close(sink) && problem.empty())
    problem = "cannot write " + zipPath;
  if (!sink && f) std::fclose(f);
  unrefAll(owned);
  if (!problem.empty()) {
    // A zip kept in memory never reached the disk: an old zip stays as it was.
    if (written) std::remove(zipPath.c_str());
    fail(75, problem);
  }
}

}  // namespace package
