#pragma once
// Reading a zip: a document's container (.docx, .odt) or a course package.
// The container library reads the entries; the zip's central directory is
// read here only for what the library does not show: an entry's file mode,
// and the name its own header gives it.
// Every size a reader relies on is capped by its caller: a crafted zip may
// claim gigabytes behind a few kilobytes.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

typedef struct _GsfInput GsfInput;
typedef struct _GsfInfile GsfInfile;

namespace support {

class ZipReader {
 public:
  struct Limits {
    size_t entries = 200000;  // listed at most, folders included
    int depth = 64;           // folders nested deeper are listed, not entered
  };

  struct Entry {
    std::string path;     // "word/media/image1.png": its folders and name, "/"-separated
    std::string name;     // the last part, as stored
    int depth = 0;        // 0 at the root
    bool folder = false;  // what it holds follows it (unless it lies too deep)
    bool readable = true;
  };

  struct Read {
    enum Status { Ok, Unreadable, TooLarge } status = Unreadable;
    uint64_t size = 0;  // what the entry inflates to, as the zip says
    std::string bytes;
  };

  struct Opened {
    std::unique_ptr<ZipReader> zip;  // null when it could not be read
    bool fileFailed = false;         // the file itself could not be opened
    std::string why;                 // the library's words
  };
  // The zip in `bytes`, which must outlive the reader, or in the file at
  // `path`.
  static Opened fromMemory(std::string_view bytes, Limits limits);
  static Opened fromFile(const std::string& path, Limits limits);
  ~ZipReader();
  ZipReader(const ZipReader&) = delete;
  ZipReader& operator=(const ZipReader&) = delete;

  // Every entry, each folder before what it holds, in the zip's order.
  const std::vector<Entry>& entries() const { return entries_; }
  // The entry `index` of entries(), read whole unless it inflates to more
  // than `limit` bytes.
  Read read(size_t index, uint64_t limit) const;
  // The paths of the entries whose file mode is a symbolic link's (an entry
  // made on a Unix system keeps its mode in its central directory record);
  // none when the directory cannot be read.
  std::vector<std::string> links() const;
  // Where the entries' own headers, before their bytes, disagree with the
  // directory: unpackers that read the entries in their order trust the
  // headers, the others the directory.
  struct HeaderFaults {
    // Entries whose header is missing or names them otherwise.
    std::vector<std::string> misnamed;
    // Entries whose header gives another method, checksum or size.
    std::vector<std::string> misdescribed;
    // Names of entries that a header gives where the directory lists none.
    std::vector<std::string> unlisted;
  };
  HeaderFaults headerFaults() const;

 private:
  ZipReader(GsfInput* input, Limits limits) : limits_(limits), input_(input) {}
  static Opened open(GsfInput* input, Limits limits);
  void collect(GsfInfile* dir, const std::string& prefix, int depth);
  template <typename Each>
  uint64_t directory(GsfInput* in, Each each) const;

  Limits limits_;
  GsfInput* input_ = nullptr;
  GsfInfile* zip_ = nullptr;
  std::vector<Entry> entries_;
  // Entries are opened when read (an open entry holds inflate buffers, and
  // a zip may list thousands): where each one is.
  struct Place {
    GsfInfile* dir;
    int index;
  };
  std::vector<Place> places_;
  std::vector<GsfInfile*> dirs_;  // held
};

}  // namespace support
