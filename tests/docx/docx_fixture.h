#pragma once
// Builds .docx packages in memory for the reader tests: a zip (written with
// libgsf) holding the parts given, with the usual content types and
// relationships filled in unless the test overrides them.
#include <map>
#include <string>
#include <vector>

#include "../common/zip.h"
#include "word/builder.h"
#include "word/model.h"
#include "word/read/reader.h"
#include "word/write/writers.h"

namespace docxtest {

inline constexpr const char* kNs =
    "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
    "xmlns:wp=\"http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing\" "
    "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
    "xmlns:pic=\"http://schemas.openxmlformats.org/drawingml/2006/picture\" "
    "xmlns:wps=\"http://schemas.microsoft.com/office/word/2010/wordprocessingShape\" "
    "xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\" "
    "xmlns:v=\"urn:schemas-microsoft-com:vml\" xmlns:w10=\"urn:schemas-microsoft-com:office:word\" "
    "xmlns:m=\"http://schemas.openxmlformats.org/officeDocument/2006/math\"";

// A zip of the given entries, in order. `store` keeps entries uncompressed.
inline std::string zip(const std::vector<std::pair<std::string, std::string>>& entries,
                       bool store = false) {
  return testing_support::zipBytes(entries, store);
}

// A paragraph and a run of text, with their properties when given.
inline std::string p(const std::string& inner, const std::string& pPr = "") {
  return "<w:p>" + (pPr.empty() ? "" : "<w:pPr>" + pPr + "</w:pPr>") + inner + "</w:p>";
}
inline std::string r(const std::string& t, const std::string& rPr = "") {
  return "<w:r>" + (rPr.empty() ? "" : "<w:rPr>" + rPr + "</w:rPr>") +
         "<w:t xml:space=\"preserve\">" + t + "</w:t></w:r>";
}

// A <Relationship/> of one of the officeDocument relationship types.
inline std::string relationship(const std::string& id, const std::string& type,
                                const std::string& target, bool external = false) {
  return "<Relationship Id=\"" + id +
         "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/" + type +
         "\" Target=\"" + target + "\"" + (external ? " TargetMode=\"External\"" : "") + "/>";
}

struct Package {
  std::string document;                      // word/document.xml
  std::map<std::string, std::string> parts;  // further parts by name ("word/styles.xml")
  std::string documentRels;                  // extra <Relationship/> elements of document.xml
};

inline std::string build(const Package& p) {
  std::string rels =
      "<?xml version=\"1.0\"?><Relationships "
      "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
  auto rel = [&](const char* id, const char* type, const char* target) {
    rels += relationship(id, type, target);
  };
  if (p.parts.count("word/styles.xml")) rel("rStyles", "styles", "styles.xml");
  if (p.parts.count("word/numbering.xml")) rel("rNumbering", "numbering", "numbering.xml");
  if (p.parts.count("word/footnotes.xml")) rel("rFootnotes", "footnotes", "footnotes.xml");
  if (p.parts.count("word/endnotes.xml")) rel("rEndnotes", "endnotes", "endnotes.xml");
  rels += p.documentRels + "</Relationships>";
  std::vector<std::pair<std::string, std::string>> entries = {
      {"[Content_Types].xml",
       "<?xml version=\"1.0\"?><Types "
       "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
       "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
       "<Override PartName=\"/word/document.xml\" "
       "ContentType=\"application/"
       "vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/></Types>"},
      {"_rels/.rels",
       "<?xml version=\"1.0\"?><Relationships "
       "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship "
       "Id=\"rId1\" "
       "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
       "officeDocument\" "
       "Target=\"word/document.xml\"/></Relationships>"},
      {"word/document.xml", p.document},
      {"word/_rels/document.xml.rels", rels}};
  for (const auto& [name, data] : p.parts) entries.emplace_back(name, data);
  return zip(entries);
}

// A document whose body is `body` (WordprocessingML).
inline std::string documentXml(const std::string& body) {
  return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?><w:document ") +
         kNs + "><w:body>" + body + "</w:body></w:document>";
}

inline std::string part(const char* root, const std::string& inner) {
  return std::string("<?xml version=\"1.0\"?><w:") + root + " " + kNs + ">" + inner +
         "</w:" + root + ">";
}

inline word::Model read(const std::string& body, std::map<std::string, std::string> parts = {},
                        const std::string& documentRels = {}) {
  Package p{documentXml(body), std::move(parts), documentRels};
  return word::read::readDocx(build(p));
}

inline std::string text(const word::Model& m) {
  return word::write::text(m, word::write::TextEncoding::Utf8);
}

// Paragraph i's text, without its mark.
inline std::string paragraphText(const word::Model& m, size_t i) {
  uint32_t start = i == 0 ? 0 : m.main.paragraphs[i - 1].end;
  uint32_t end = m.main.paragraphs[i].end;
  return word::u8(std::u16string_view(m.main.text).substr(start, end - start - 1));
}

// The format of the run covering position pos.
inline const word::CharFormat& formatAt(const word::Model& m, uint32_t pos) {
  const auto& runs = m.main.runs;
  size_t k = 0;
  while (k + 1 < runs.size() && runs[k + 1].start <= pos) ++k;
  return runs[k].format;
}

}  // namespace docxtest
