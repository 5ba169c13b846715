// Reader for Word 2007+ documents (.docx, .docm, .dotx): a zip package of
// WordprocessingML parts. The main story, footnotes and endnotes are walked
// in document order into a Builder; styles and numbering are resolved on
// the way, so the model holds formatting as it shows.
#include <set>

#include "support/strings.h"
#include "word/error.h"
#include "word/read/docx/reader_state.h"
#include "word/read/header_footer.h"
#include "word/read/reader.h"

namespace word::read {
namespace docx::detail {
bool DocxReader::loadPart(XmlPart& part, const std::string& name, bool required) {
  part.name = name;
  std::optional<std::string> bytes = pkg_.read(name);
  if (!bytes) {
    if (required)
      fail(kCannotOpen, pkg_.has(name) ? "the document's main part (" + name +
                                             ") is damaged and cannot be unpacked"
                                       : "the document has no main part (" + name + ")");
    return false;
  }
  part.bytes = std::move(*bytes);
  elements_.charge(part.bytes, name);
  std::string error;
  const bool whole = parse(part.doc, part.bytes, &error);
  if (!whole && required)
    fail(kCannotOpen, "the document's main part (" + name + ") is damaged: " + error);
  // A damaged side part (styles, notes) keeps what could be read.
  part.present = true;
  part.rels = loadRels(name);
  return whole;
}

bool DocxReader::relatedPart(const StoryState& s, std::string_view id, XmlPart& part) {
  const auto rel = s.part->rels.find(std::string(id));
  if (id.empty() || rel == s.part->rels.end() || rel->second.external) return false;
  return loadPart(part, rel->second.target, false);
}

Rels DocxReader::loadRels(const std::string& partName) {
  Rels rels;
  std::optional<std::string> bytes = pkg_.read(Package::relsOf(partName));
  if (!bytes) return rels;
  pugi::xml_document doc;
  parse(doc, *bytes);
  for (pugi::xml_node r = doc.document_element().first_child(); r; r = r.next_sibling()) {
    if (!is(r, "Relationship")) continue;
    Rel rel;
    rel.external = val(r, "TargetMode") == "External";
    const std::string_view type = val(r, "Type");
    rel.headerOrFooter = type.ends_with("/header") || type.ends_with("/footer");
    std::string_view target = val(r, "Target");
    rel.target = rel.external ? std::string(target) : Package::resolve(partName, target);
    rels.emplace(std::string(val(r, "Id")), std::move(rel));
  }
  return rels;
}

std::string DocxReader::findMainPart() {
  if (auto bytes = pkg_.read("_rels/.rels")) {
    pugi::xml_document doc;
    parse(doc, *bytes);
    for (pugi::xml_node r = doc.document_element().first_child(); r; r = r.next_sibling()) {
      std::string_view type = val(r, "Type");
      if (is(r, "Relationship") && type.size() >= 15 &&
          type.substr(type.size() - 15) == "/officeDocument") {
        std::string name = Package::resolve("", val(r, "Target"));
        if (pkg_.has(name)) return name;
      }
    }
  }
  if (auto bytes = pkg_.read("[Content_Types].xml")) {
    pugi::xml_document doc;
    parse(doc, *bytes);
    for (pugi::xml_node o = doc.document_element().first_child(); o; o = o.next_sibling()) {
      std::string_view type = val(o, "ContentType");
      if (is(o, "Override") && type.find("wordprocessingml.") != std::string_view::npos &&
          type.find(".main+xml") != std::string_view::npos) {
        std::string name = Package::resolve("", val(o, "PartName"));
        if (pkg_.has(name)) return name;
      }
    }
  }
  return "word/document.xml";
}

Model DocxReader::read() {
  std::string mainName = findMainPart();
  if (pkg_.damaged(mainName))
    fail(kCannotOpen, "the document's " + mainName + " is damaged and cannot be unpacked");
  if (!pkg_.has(mainName))
    fail(kCannotOpen,
         "the file is a zip archive but not a Word document: it has no word/document.xml");
  loadPart(main_, mainName, true);

  // Side parts, found through the main part's relationships.
  auto relPart = [&](std::string_view suffix) -> std::string {
    for (const auto& [id, rel] : main_.rels) {
      (void)id;
      if (rel.external) continue;
      std::string_view t = rel.target;
      if (t.size() >= suffix.size() && t.substr(t.size() - suffix.size()) == suffix)
        return rel.target;
    }
    return Package::resolve(mainName, std::string(suffix.substr(1)));
  };
  XmlPart stylesPart, numberingPart, themePart, settingsPart, fontsPart;
  std::string themeName;
  for (const auto& [id, rel] : main_.rels) {
    (void)id;
    if (!rel.external && rel.target.find("theme") != std::string::npos) themeName = rel.target;
  }
  if (!themeName.empty()) loadPart(themePart, themeName, false);
  theme_.load(themePart.doc.document_element());
  loadPart(stylesPart, relPart("/styles.xml"), false);
  styles_.load(stylesPart.doc.document_element(), theme_, builder_);
  loadPart(numberingPart, relPart("/numbering.xml"), false);
  numbering_.load(numberingPart.doc.document_element(), styles_.numberingStyles());
  loadPart(settingsPart, relPart("/settings.xml"), false);
  loadPart(fontsPart, relPart("/fontTable.xml"), false);
  readSettings(settingsPart);
  // A part is one story (its name in any case, as the package finds it):
  // the main part named as the notes' or a header's would show its text
  // twice, the second time as another story's.
  std::set<std::string> stories{support::lowerAscii(mainName)};
  const auto notesPart = [&](XmlPart& part, std::string_view suffix) {
    if (const std::string name = relPart(suffix); stories.insert(support::lowerAscii(name)).second)
      loadPart(part, name, false);
  };
  notesPart(footnotes_, "/footnotes.xml");
  notesPart(endnotes_, "/endnotes.xml");
  indexNotes();

  pugi::xml_node root = main_.doc.document_element();
  if (!child(root, "body"))
    fail(kCannotOpen, "the document's main part (" + mainName + ") has no body");
  // The last section's page: where alignment tabs go.
  const pugi::xml_node section = child(child(root, "body"), "sectPr");
  if (const pugi::xml_node size = child(section, "pgSz"); auto width = intAttr(size, "w")) {
    const pugi::xml_node margins = child(section, "pgMar");
    const int64_t text =
        *width - intAttr(margins, "left").value_or(1440) - intAttr(margins, "right").value_or(1440);
    textWidth_ = clampInt(text, 720, 31680);
  }
  // The paragraph list is kept from growing by copies, with the main
  // part's paragraphs counted on this walk (convert of large.docx 8,920 to
  // 8,380 page faults); the text too, as a character of it takes a byte of
  // the part at least, and the pages it leaves unused are never touched
  // (7,310).
  builder_.reserve(main_.bytes.size(), readSections(root), 0);
  StoryState s;
  s.builder = &builder_;
  s.part = &main_;
  // Some producers split the text over several bodies; all of them show.
  for (pugi::xml_node body = root.first_child(); body; body = body.next_sibling())
    if (is(body, "body")) blocks(body, s, 0);
  flush(s);
  Model model = builder_.finish();
  classifyFonts(model, readFontTable(fontsPart.doc.document_element()));
  model.language = languages_.most(languageTable_.tags());
  model.languages = languageTable_.take();
  model.borderLines = std::move(borderLines_);
  model.stretchBeforeBreaks = stretchBeforeBreaks_;
  for (const auto& [id, rel] : main_.rels) {
    (void)id;
    XmlPart part;
    if (rel.headerOrFooter && !rel.external &&
        stories.insert(support::lowerAscii(rel.target)).second &&
        (loadPart(part, rel.target, false) || part.present))
      addHeaderFooterParagraphs(model, part.doc.document_element(), "t");
  }
  return model;
}

}  // namespace docx::detail

Model readDocx(std::string_view bytes) {
  if (bytes.empty()) fail(kCannotOpen, "the document is empty");
  if (bytes.size() >= 8 &&
      bytes.substr(0, 8) == std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8))
    fail(kCannotOpen, "the document is not a Word 2007+ package (it is an OLE2 compound file)");
  docx::detail::DocxReader reader{Package(bytes)};
  return reader.read();
}

Model readDocxZip(Package zip) {
  docx::detail::DocxReader reader(std::move(zip));
  return reader.read();
}

}  // namespace word::read
