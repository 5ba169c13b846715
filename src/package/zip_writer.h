#pragma once
// The package interchange file: a folder's files in one zip.
#include <string>

namespace package {

// Writes every regular file below `folder` into a new zip at `zipPath`, named
// by its path relative to the folder ("/"-separated), "imsmanifest.xml"
// first so that the manifest sits at the zip's root. Links are not followed.
// Throws support::Error when the folder cannot be read or the zip cannot be
// written; a zip left half-written by a failure is removed.
void writeZip(const std::string& folder, const std::string& zipPath);

}  // namespace package
