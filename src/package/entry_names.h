#pragma once
// Names of a package's zip entries that an unpacker may take elsewhere, or
// not at all, on the systems an LMS runs on.
#include <optional>
#include <string>

#include "support/zip_reader.h"

namespace package {

// A name an unpacker may take elsewhere: empty, a step up, a backslash (a
// folder on some systems), a control character, a drive's ("C:") or a
// device's. `name` is one part of an entry's path.
bool unsafeName(const std::string& name);

// Why an unpacker may write an entry elsewhere or not at all, said after
// its fault ("" where its name says it): an unsafe name, a part over 255
// bytes (the most ext4 and NTFS take), or a whole name Windows' own
// unpacker cannot write wherever it unpacks (over 259 characters, UTF-16
// units, before the unpacking folder's name). Nothing for a safe entry.
std::optional<std::string> unsafeEntry(const support::ZipReader::Entry& e);

}  // namespace package
