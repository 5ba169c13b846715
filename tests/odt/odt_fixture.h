#pragma once
// Builds OpenDocument texts in memory for the reader tests: a package
// (mimetype, manifest, content.xml, styles.xml and any further entries) or
// the same parts as one flat XML file.
#include <string>
#include <vector>

#include "../common/zip.h"
#include "word/builder.h"
#include "word/read/reader.h"
#include "word/write/writers.h"

namespace odttest {

inline constexpr const char* kNs =
    "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
    "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
    "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
    "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
    "xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\" "
    "xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\" "
    "xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
    "xmlns:svg=\"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0\" "
    "xmlns:field=\"urn:openoffice:names:experimental:ooo-ms-interop:xmlns:field:1.0\" "
    "xmlns:ext=\"urn:example:extension\"";

inline constexpr const char* kTextType = "application/vnd.oasis.opendocument.text";

// The parts of a document: its body (the children of office:text), its
// automatic and common styles and its font faces (the children of those
// elements).
struct Parts {
  std::string body;
  std::string automatic;
  std::string common;
  std::string fonts = {};
};

inline std::string contentXml(const Parts& p) {
  return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-content ") + kNs +
         "><office:font-face-decls>" + p.fonts +
         "</office:font-face-decls><office:automatic-styles>" + p.automatic +
         "</office:automatic-styles><office:body><office:text>" + p.body +
         "</office:text></office:body></office:document-content>";
}

inline std::string stylesXml(const Parts& p) {
  return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-styles ") + kNs +
         "><office:styles>" + p.common + "</office:styles></office:document-styles>";
}

inline std::string manifest(const std::string& entries = {}) {
  return "<?xml version=\"1.0\"?><manifest:manifest "
         "xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\">"
         "<manifest:file-entry manifest:full-path=\"/\" manifest:media-type=\"" +
         std::string(kTextType) + "\"/>" + entries + "</manifest:manifest>";
}

// A package of the parts; `extra` entries (pictures) go after them.
inline std::string package(const Parts& p,
                           const std::vector<std::pair<std::string, std::string>>& extra = {}) {
  std::vector<std::pair<std::string, std::string>> entries = {{"mimetype", kTextType},
                                                              {"META-INF/manifest.xml", manifest()},
                                                              {"content.xml", contentXml(p)},
                                                              {"styles.xml", stylesXml(p)}};
  entries.insert(entries.end(), extra.begin(), extra.end());
  return testing_support::zipBytes(entries);
}

// The same parts as a flat XML document (.fodt).
inline std::string flat(const Parts& p) {
  return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document ") + kNs +
         " office:mimetype=\"" + kTextType + "\"><office:font-face-decls>" + p.fonts +
         "</office:font-face-decls><office:styles>" + p.common +
         "</office:styles><office:automatic-styles>" + p.automatic +
         "</office:automatic-styles><office:body><office:text>" + p.body +
         "</office:text></office:body></office:document>";
}

// A style:style of the family with the given properties' elements.
inline std::string style(const std::string& name, const char* family, const std::string& props) {
  return "<style:style style:name=\"" + name + "\" style:family=\"" + family + "\">" + props +
         "</style:style>";
}

inline word::Model read(const Parts& p) {
  return word::read::readOdt(package(p));
}

inline std::string text(const word::Model& m) {
  return word::write::text(m, word::write::TextEncoding::Utf8);
}

// The label of every paragraph that has one, in order.
inline std::vector<std::string> labels(const word::Model& m) {
  std::vector<std::string> out;
  for (const auto& p : m.main.paragraphs)
    if (!p.format.listLabel.empty()) out.push_back(word::u8(p.format.listLabel));
  return out;
}

// The format of the run covering position pos.
inline const word::CharFormat& formatAt(const word::Story& s, uint32_t pos) {
  size_t k = 0;
  while (k + 1 < s.runs.size() && s.runs[k + 1].start <= pos) ++k;
  return s.runs[k].format;
}

}  // namespace odttest
