#pragma once
// The package interchange file: a package's files in one zip. A file is
// packed (deflated) once, and the same packed bytes go into every zip that
// holds it: the zips differ only in which entries they list.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "support/files.h"

namespace package {

// One file's bytes as a zip holds them: deflated, or stored as they are
// when deflating gains nothing (pictures are compressed already).
struct PackedFile {
  std::string data;   // what goes into the zip
  uint32_t crc = 0;   // of the file's own bytes
  uint64_t size = 0;  // the file's own size
  bool deflated = false;
};

// Packs `bytes`, the file `name` ("a/b.htm": its extension tells a picture).
PackedFile packBytes(const std::string& name, std::string_view bytes);

// A file to pack: bytes in hand, or else the file `name` of `folder`, read
// without following a link (a link or a missing file fails it).
struct PackSource {
  std::string name;
  std::string folder;
  const std::string* bytes = nullptr;
};
// Packs every source on a pool of worker threads, one per core: result i is
// source i's whatever the timing, so that two runs give the same bytes.
// Throws the support::Error of the first source (in their order) that fails.
std::vector<PackedFile> packAll(const std::vector<PackSource>& sources);

// The manifest first, so that it sits at the zip's root where an LMS looks
// first; the rest by name, each once.
std::vector<std::string> zipOrder(std::vector<std::string> names);

struct ZipEntry {
  std::string name;  // relative, "/"-separated
  const PackedFile* file = nullptr;
};
// Writes the entries, in the order given, into a zip at `zipPath`, which it
// replaces only once the zip is whole. Every entry bears the time of writing. Throws support::Error
// when it cannot be written; the old zip is then as it was.
void writePackedZip(const std::string& zipPath, const std::vector<ZipEntry>& entries);
// The same zip written whole into its temporary, which commit() puts in
// place: zips written side by side still replace their old ones in an
// order of the caller's.
std::unique_ptr<support::PendingFile> packZip(const std::string& zipPath,
                                              const std::vector<ZipEntry>& entries);

// An entry made in memory rather than read from the folder.
struct MadeEntry {
  std::string name;  // relative, "/"-separated
  std::string bytes;
};

// Packs and writes the files `names` (relative to `folder`, "/"-separated)
// and the entries `made` into a zip at `zipPath` in zipOrder; a made entry
// stands in for a file of the same name. A file that is a link is not
// followed: it fails the zip. Throws support::Error when a file cannot be
// read or the zip cannot be written; the old zip is then as it was.
void writeZip(const std::string& folder, const std::vector<std::string>& names,
              const std::string& zipPath, const std::vector<MadeEntry>& made = {});

}  // namespace package
