#pragma once
// Names of a package's zip entries that an unpacker may take elsewhere, or
// not at all, on the systems an LMS runs on.
#include <string>

namespace package {

// A name an unpacker may take elsewhere: empty, a step up, a backslash (a
// folder on some systems), a control character, a drive's ("C:") or a
// device's. `name` is one part of an entry's path.
bool unsafeName(const std::string& name);

}  // namespace package
