#pragma once
// Readers: one per format, chosen by content, never by file name.
#include <cstdint>
#include <string>
#include <string_view>

#include "word/model.h"

namespace word::read {

// Damaged: a compound file's header, but a container that cannot be read.
// CoursePackage: a zip with an IMS manifest or a cmi5 course structure at
// its root (what this program makes, among others); Zip: any other zip
// that is no document.
enum class Format {
  Unknown,
  Text,
  Docx,
  Doc,
  Odt,
  Rtf,
  Html,
  Pdf,
  Encrypted,
  Damaged,
  CoursePackage,
  Zip
};

// The largest document read: far beyond any course, and refused before a
// byte of it is read.
inline constexpr uint64_t kMaxDocumentBytes = uint64_t{512} << 20;

// Why a password-protected document is not read, whatever its format, and
// what the author does about it.
inline constexpr const char* kPasswordProtectedText =
    "the document is password-protected: save it without its password in the word processor, "
    "and convert that";

// Sniffs the format from the first bytes (and, for containers, their
// directory). Empty input is Unknown.
Format detect(std::string_view bytes);

// What a folder given as a document is, to follow "is": a course
// package's folder (one holding imsmanifest.xml or cmi5.xml, as a
// conversion writes it) with what to do about it, or a folder.
std::string folderInsteadOfDocument(const std::string& path);

// Reads a file into a model, its language settled (Model::language);
// failures throw word::Error with a description that tells the user what
// is wrong with the file.
Model load(const std::string& path);
Model loadBytes(std::string_view bytes);

// One function per format. Each throws word::Error (kCannotOpen or
// kPasswordProtected) on bad input and never crashes, hangs or takes
// unbounded memory.
Model readText(std::string_view bytes);  // UTF-8 (or UTF-16 with BOM), one paragraph per line
Model readDocx(std::string_view bytes);
Model readOdt(std::string_view bytes);  // OpenDocument text, zipped or flat XML
Model readDoc(std::string_view bytes);
// The same from a zip already opened (`bytes` the zip's own, alive while
// the reader reads): the container is opened once.
class Package;
Model readDocxZip(Package zip);
Model readOdtZip(std::string_view bytes, Package zip);

}  // namespace word::read
