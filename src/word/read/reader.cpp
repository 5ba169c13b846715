#include "word/read/reader.h"

#include <fcntl.h>
#include <gsf/gsf.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <memory>
#include <optional>
#include <system_error>

#include "support/codepage.h"
#include "support/error.h"
#include "support/files.h"
#include "support/gobject.h"
#include "word/builder.h"
#include "word/error.h"
#include "word/read/compound.h"
#include "word/read/languages.h"
#include "word/read/package.h"

namespace word::read {
namespace {

constexpr std::string_view kOle2Magic("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
constexpr std::string_view kZipMagic("PK\x03\x04", 4);

// Whether a compound file has one of the streams at its root, and which
// (libgsf does the container work). Returns false when the container
// cannot be opened.
bool compoundFileHas(std::string_view bytes, std::initializer_list<const char*> names,
                     const char** found) {
  support::GObjectPtr<GsfInput> input(gsf_input_memory_new(
      reinterpret_cast<const guint8*>(bytes.data()), static_cast<gsf_off_t>(bytes.size()), FALSE));
  if (!input) return false;
  GError* err = nullptr;
  GsfInfile* raw = gsf_infile_msole_new(input.get(), &err);
  if (err) g_error_free(err);
  if (!raw) return false;
  support::GObjectPtr<GsfInfile> infile(raw);
  for (const char* name : names) {
    if (support::GObjectPtr<GsfInput>(compoundChild(infile.get(), name))) {
      *found = name;
      return true;
    }
  }
  *found = nullptr;
  return true;
}

constexpr std::string_view kOdfType = "application/vnd.oasis.opendocument.";

// `zip` keeps the container opened, for the reader to go on with.
Format zipFormat(std::string_view bytes, std::optional<Package>& zip) {
  try {
    zip.emplace(bytes);
  } catch (const Error&) {
    // A zip that cannot be opened goes to the Word 2007+ reader all the
    // same: it says what is damaged, which "unknown content" would not.
    return Format::Docx;
  }
  if (zip->has("word/document.xml") || zip->has("[Content_Types].xml")) return Format::Docx;
  // OpenDocument names its type in a first entry, or else in its manifest.
  if (zip->has("mimetype")) {
    try {
      auto type = zip->read("mimetype");
      return !type || type->substr(0, kOdfType.size()) == kOdfType ? Format::Odt : Format::Zip;
    } catch (const Error&) {
      return Format::Odt;  // its reader says what is wrong with the entry
    }
  }
  if (zip->has("content.xml") && zip->has("META-INF/manifest.xml")) return Format::Odt;
  return zip->has("imsmanifest.xml") || zip->has("cmi5.xml") ? Format::CoursePackage : Format::Zip;
}

// The flat XML form of OpenDocument: a root office:document whose
// office:mimetype names the type. Only the root's start tag is looked at.
bool flatOpenDocument(std::string_view s) {
  s = s.substr(0, 1 << 16);
  size_t i = 0;
  while (true) {
    i = s.find('<', i);
    if (i == std::string_view::npos || i + 1 >= s.size()) return false;
    char next = s[i + 1];
    if (next != '?' && next != '!') break;
    // A declaration, comment or document type: skip to its end.
    std::string_view close = s.substr(i, 4) == "<!--" ? "-->" : ">";
    i = s.find(close, i + 2);
    if (i == std::string_view::npos) return false;
  }
  size_t end = s.find('>', i);
  if (end == std::string_view::npos) return false;
  std::string_view tag = s.substr(i + 1, end - i - 1);
  std::string_view name = tag.substr(0, tag.find_first_of(" \t\r\n/"));
  if (name != "document" && (name.size() < 9 || name.substr(name.size() - 9) != ":document"))
    return false;
  size_t type = tag.find("mimetype=");
  return type != std::string_view::npos && tag.substr(type + 10, kOdfType.size()) == kOdfType;
}

// Whether a compound file's header names sectors past the file's end: the
// file was cut short. Its first 109 allocation sectors and its directory's
// first sector are listed in the header.
bool cutShort(std::string_view bytes) {
  if (bytes.size() < 512) return true;
  auto u32 = [&](size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
    return v;
  };
  const unsigned shift = static_cast<unsigned char>(bytes[0x1E]);
  if (shift < 7 || shift > 16) return false;
  const uint64_t sector = uint64_t{1} << shift;
  auto beyond = [&](uint32_t s) {
    return s < 0xFFFFFFFA && 512 + (s + uint64_t{1}) * sector > bytes.size();
  };
  if (beyond(u32(0x30))) return true;
  for (size_t i = 0; i < 109; ++i)
    if (beyond(u32(0x4C + 4 * i))) return true;
  return false;
}

bool startsWithNoCase(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(s[i])) != prefix[i]) return false;
  return true;
}

bool looksLikeText(std::string_view bytes) {
  size_t n = std::min<size_t>(bytes.size(), 1 << 16);
  size_t odd = 0;
  for (size_t i = 0; i < n; ++i) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c == 0) return false;
    if (c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f') ++odd;
  }
  return odd * 100 <= n;  // a few stray controls are tolerated
}

bool validUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (len == 0 || i + len > s.size()) return false;
    for (size_t k = 1; k < len; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += len;
  }
  return true;
}

// The format, and for a zip the container opened to tell it.
Format detectKeeping(std::string_view bytes, std::optional<Package>& zip) {
  if (bytes.empty()) return Format::Unknown;
  if (bytes.substr(0, 8) == kOle2Magic) {
    const char* found = nullptr;
    if (!compoundFileHas(bytes, {"WordDocument", "EncryptedPackage"}, &found))
      return Format::Damaged;
    if (!found) return Format::Unknown;
    return std::string_view(found) == "WordDocument" ? Format::Doc : Format::Encrypted;
  }
  // Word for Windows 2.0 files are not compound files; the .doc reader
  // explains what to do with them.
  if (bytes.substr(0, 2) == std::string_view("\xDB\xA5", 2)) return Format::Doc;
  if (bytes.substr(0, 4) == kZipMagic) return zipFormat(bytes, zip);
  std::string_view s = bytes;
  if (s.substr(0, 3) == "\xEF\xBB\xBF") s.remove_prefix(3);
  if (s.substr(0, 5) == "{\\rtf") return Format::Rtf;
  // Before plain text: a PDF without compressed parts reads as text.
  if (s.substr(0, 5) == "%PDF-") return Format::Pdf;
  if (s.substr(0, 2) == "\xFF\xFE" || s.substr(0, 2) == "\xFE\xFF") return Format::Text;
  size_t ws = 0;
  while (ws < s.size() && ws < 1024 && std::isspace(static_cast<unsigned char>(s[ws]))) ++ws;
  std::string_view head = s.substr(ws);
  if (startsWithNoCase(head, "<html") || startsWithNoCase(head, "<!doctype html"))
    return Format::Html;
  if (flatOpenDocument(s)) return Format::Odt;
  if (looksLikeText(bytes)) return Format::Text;
  return Format::Unknown;
}

}  // namespace

Format detect(std::string_view bytes) {
  std::optional<Package> zip;
  return detectKeeping(bytes, zip);
}

namespace {

// Plain text's characters: UTF-16 with its byte-order mark, UTF-8 (a mark
// dropped), or else the Cyrillic ANSI code page, where most files that are
// not UTF-8 come from.
std::u16string decodeText(std::string_view bytes) {
  if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF") {
    const bool le = bytes[0] == '\xFF';
    std::u16string text((bytes.size() - 2) / 2, u'\0');
    for (size_t i = 0; i < text.size(); ++i) {
      auto lo = static_cast<uint8_t>(bytes[2 + 2 * i + (le ? 0 : 1)]);
      auto hi = static_cast<uint8_t>(bytes[2 + 2 * i + (le ? 1 : 0)]);
      text[i] = static_cast<char16_t>(lo | (hi << 8));
    }
    return text;
  }
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  return validUtf8(bytes) ? support::fromUtf8(bytes) : support::fromCodePage(bytes, "WINDOWS-1251");
}

Model linesModel(std::u16string text) {
  Builder b;
  b.lines(std::move(text));
  return b.finish();
}

// A text file's own bytes, let go of once decoded: the text is then held
// once, as the model's (see bench/text_memory.sh).
Model readTextFile(std::string bytes) {
  std::u16string text = decodeText(bytes);
  std::string().swap(bytes);
  return linesModel(std::move(text));
}

}  // namespace

Model readText(std::string_view bytes) {
  return linesModel(decodeText(bytes));
}

namespace {

Model loadAs(Format format, std::string_view bytes, std::optional<Package>& zip) {
  switch (format) {
    case Format::Text:
      return readText(bytes);
    case Format::Docx:
      return zip ? readDocxZip(std::move(*zip)) : readDocx(bytes);
    case Format::Odt:
      return zip ? readOdtZip(bytes, std::move(*zip)) : readOdt(bytes);
    case Format::Doc:
      return readDoc(bytes);
    case Format::Encrypted:
      fail(kPasswordProtected, kPasswordProtectedText);
    case Format::Damaged:
      fail(kCannotOpen, cutShort(bytes) ? "the document is damaged (truncated)"
                                        : "the document is damaged: its container cannot be read");
    case Format::Rtf:
      fail(kCannotOpen,
           "RTF documents are not supported; save the document as .docx, .doc or .odt");
    case Format::Html:
      fail(kCannotOpen,
           "this is a web page, not a Word document; save it as .docx, .doc or .odt in the "
           "word processor");
    case Format::Pdf:
      fail(kCannotOpen,
           "this is a PDF file, not a Word document: convert the document it was made from "
           "(.docx, .doc or .odt), or open the PDF in the word processor and save it as .docx");
    case Format::CoursePackage:
      fail(kCannotOpen,
           "this is a course package (a zip for an LMS), not a Word document: convert the "
           "document it was made from, or see what an LMS would make of the package with "
           "\"raredozud check\"");
    case Format::Zip:
      fail(kCannotOpen,
           "this is a zip archive, not a Word document: unpack it and convert the document "
           "in it (.docx, .doc or .odt)");
    case Format::Unknown:
      break;
  }
  if (bytes.empty())
    fail(kCannotOpen,
         "the file is empty: save the document again in the word processor, or copy it again "
         "from where it came");
  fail(kCannotOpen,
       "the file is not a Word document, an OpenDocument text or plain text (unknown content): "
       "open it in the word processor and save it as .docx, .doc or .odt");
}

// A word processor keeps a small file of its own beside a document while it
// is open: Word's "~$" and the document's name, its first letters dropped
// for a long name (binary), or ".~lock.NAME#" (a line of text). Picked
// instead of the document (a "*.docx" in a folder holds Word's), it is told
// as what it is: its content says nothing that would tell it.
std::string_view leafOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return std::string_view(path).substr(slash == std::string::npos ? 0 : slash + 1);
}

// A document read, its language the one its pages are in: the one most
// of its text is marked with, unless its letters belie that.
Model inItsLanguage(Model model) {
  model.language = textLanguage(model.language, model.main.text);
  return model;
}

bool wordLockFile(const std::string& path) {
  return leafOf(path).starts_with("~$");
}

bool dotLockFile(const std::string& path) {
  const std::string_view leaf = leafOf(path);
  return leaf.size() > 8 && leaf.starts_with(".~lock.") && leaf.ends_with('#');
}

}  // namespace

std::string folderInsteadOfDocument(const std::string& path) {
  for (const char* file : {"imsmanifest.xml", "cmi5.xml"}) {
    struct stat st {};
    if (::stat((path + "/" + file).c_str(), &st) == 0)
      return "the folder of a course package (it holds " + std::string(file) +
             "), not a Word document: convert the document it was made from, or see what an "
             "LMS would make of the package with \"raredozud check\"";
  }
  return "a folder, not a document";
}

Model loadBytes(std::string_view bytes) {
  std::optional<Package> zip;
  const Format format = detectKeeping(bytes, zip);
  return inItsLanguage(loadAs(format, bytes, zip));
}

Model load(const std::string& path) {
  // Without waiting: a pipe named as the document would hold the open until
  // something writes to it.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) fail(kFileNotFound, "the file does not exist: " + path);
    fail(kFileNotFound, "the file cannot be read: " + path + ": " +
                            std::error_code(errno, std::generic_category()).message());
  }
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  struct stat st {};
  if (::fstat(fd, &st) != 0) fail(kFileNotFound, "the file cannot be read: " + path);
  // Only a plain file is a document: a device or a pipe never ends, and a
  // file larger than any course is refused before a byte of it is read.
  if (S_ISDIR(st.st_mode)) fail(kCannotOpen, "this is " + folderInsteadOfDocument(path));
  if (!S_ISREG(st.st_mode))
    fail(kCannotOpen, "this is not a plain file (a device, pipe or socket), not a document");
  if (static_cast<uint64_t>(st.st_size) > kMaxDocumentBytes)
    fail(kCannotOpen, "the file is too large (" + std::to_string(st.st_size >> 20) +
                          " MiB): documents up to " + std::to_string(kMaxDocumentBytes >> 20) +
                          " MiB are read");
  std::string bytes;
  try {
    bytes = support::readDescriptor(fd, path);
  } catch (const support::Error& e) {
    fail(kFileNotFound, "the file cannot be read: " + e.detail());
  }
  if (bytes.size() > kMaxDocumentBytes) fail(kCannotOpen, "the file grew too large while read");
  try {
    std::optional<Package> zip;
    const Format format = detectKeeping(bytes, zip);
    if (format == Format::Text && dotLockFile(path))
      fail(kCannotOpen,
           "this is the lock file a word processor keeps beside a document while it is open "
           "(its name is \".~lock.\" and the document's, then \"#\"), not a document: convert "
           "the document itself, once it is saved");
    if (format == Format::Text) return inItsLanguage(readTextFile(std::move(bytes)));
    if (format == Format::Unknown && !bytes.empty() && wordLockFile(path))
      fail(kCannotOpen,
           "this is the lock file Word keeps beside a document while it is open (its name "
           "starts with \"~$\"), not a document: convert the document itself, once it is saved");
    return inItsLanguage(loadAs(format, bytes, zip));
  } catch (const std::bad_alloc&) {
    fail(kCannotOpen, "the document is too large to open");
  }
}

}  // namespace word::read
