// Reader for OpenDocument texts: a zip package of XML parts (.odt, .ott)
// or the same parts in one XML file (.fodt). The body is walked in
// document order into a Builder; styles and lists are resolved on the way,
// so the model holds formatting as it shows.
#include <optional>

#include "word/error.h"
#include "word/read/header_footer.h"
#include "word/read/odt/reader_state.h"
#include "word/read/reader.h"

namespace word::read {
namespace odt::detail {
namespace {

constexpr std::string_view kTextType = "application/vnd.oasis.opendocument.text";
constexpr std::string_view kOdfType = "application/vnd.oasis.opendocument.";

// What other OpenDocument files are, for the message that refuses them.
std::string kindOf(std::string_view type) {
  std::string_view kind = type.substr(kOdfType.size());
  kind = kind.substr(0, kind.find('-'));
  if (kind == "graphics") return "drawing";
  if (kind == "formula") return "formula";
  if (kind.empty() || kind.size() > 40) return "file";
  return std::string(kind);
}

}  // namespace

void OdtReader::checkMediaType(std::string_view type) const {
  while (!type.empty() && (type.back() == '\n' || type.back() == '\r' || type.back() == ' '))
    type.remove_suffix(1);
  if (type.substr(0, kTextType.size()) == kTextType) return;  // text, its templates, masters
  if (type.substr(0, kOdfType.size()) == kOdfType)
    fail(kCannotOpen, "the file is an OpenDocument " + kindOf(type) +
                          ", not a text document; open it in its own program");
  fail(kCannotOpen, "the file is a zip archive but not an OpenDocument text (its type is \"" +
                        std::string(type.substr(0, 80)) + "\")");
}

void OdtReader::loadPart(XmlPart& part, const std::string& name, bool required) {
  std::optional<std::string> bytes = pkg_->read(name);
  if (!bytes) {
    if (required)
      fail(kCannotOpen,
           pkg_->has(name) || pkg_->damaged(name)
               ? "the document's " + name + " is damaged and cannot be unpacked"
               : "the file is a zip archive but not an OpenDocument text: it has no " + name);
    return;
  }
  part.bytes = std::move(*bytes);
  elements_.charge(part.bytes, name);
  part.fieldSeparators = part.bytes.find("fieldmark-separator") != std::string::npos;
  std::string error;
  if (!parse(part.doc, part.bytes, &error, true) && required)
    fail(kCannotOpen, "the document's " + name + " is damaged: " + error);
  // A damaged styles.xml keeps what could be read.
}

void OdtReader::openPackage() {
  if (!pkg_) pkg_.emplace(bytes_);
  if (auto type = pkg_->read("mimetype")) checkMediaType(type->substr(0, 200));
  if (auto manifest = pkg_->read("META-INF/manifest.xml")) {
    pugi::xml_document doc;
    elements_.charge(*manifest, "META-INF/manifest.xml");
    parse(doc, *manifest);
    for (pugi::xml_node e = doc.document_element().first_child(); e; e = e.next_sibling()) {
      if (!is(e, "file-entry")) continue;
      if (child(e, "encryption-data")) fail(kPasswordProtected, kPasswordProtectedText);
      // Without a mimetype entry, the package's own entry names its type.
      if (attrValue(e, "full-path") == "/" && !pkg_->has("mimetype"))
        checkMediaType(attrValue(e, "media-type"));
    }
  }
  loadPart(content_, "content.xml", true);
  loadPart(styles_, "styles.xml", false);
  if (auto settings = pkg_->read("settings.xml")) readSettings(*settings);
}

// The settings are the application's, not the format's: two items of
// them matter here, found without building their tree; true unless the
// item says "false".
void OdtReader::readSettings(std::string_view settings) {
  auto item = [&](std::string_view name) {
    const size_t at = settings.find(name);
    if (at == std::string_view::npos) return std::optional<bool>();
    const size_t value = settings.find('>', at);
    return std::optional(value == std::string_view::npos ||
                         settings.substr(value + 1, 5) != "false");
  };
  tabsFromIndent_ = item("\"TabsRelativeToIndent\"").value_or(true);
  stretchBeforeBreaks_ = !item("\"DoNotJustifyLinesWithManualBreak\"").value_or(false);
}

void OdtReader::openFlat() {
  content_.bytes.assign(bytes_);
  elements_.charge(content_.bytes, "the document");
  content_.fieldSeparators = content_.bytes.find("fieldmark-separator") != std::string::npos;
  std::string error;
  if (!parse(content_.doc, content_.bytes, &error, true))
    fail(kCannotOpen, "the document's XML is damaged: " + error);
  pugi::xml_node root = content_.doc.document_element();
  if (!is(root, "document"))
    fail(kCannotOpen, "the file is XML but not an OpenDocument text (its root is <" +
                          std::string(root.name()).substr(0, 80) + ">)");
  checkMediaType(attrValue(root, "mimetype"));
  readSettings(content_.bytes);
}

pugi::xml_node OdtReader::officeText(const pugi::xml_node& root) const {
  pugi::xml_node body = child(root, "body");
  if (pugi::xml_node text = child(body, "text")) return text;
  for (pugi::xml_node k = body.first_child(); k; k = k.next_sibling())
    if (k.type() == pugi::node_element)
      fail(kCannotOpen, "the file is an OpenDocument " + std::string(localName(k.name())) +
                            ", not a text document; open it in its own program");
  fail(kCannotOpen, "the document's content has no text body");
}

// The columns of the page the text starts on: its master page's (the
// default one, else the first), whose page layout gives them. A section
// in columns of its own keeps them.
Columns OdtReader::pageColumns(const pugi::xml_node& styles) const {
  pugi::xml_node master;
  for (pugi::xml_node m = child(child(styles, "master-styles"), "master-page"); m;
       m = m.next_sibling())
    if (is(m, "master-page") && (!master || attrValue(m, "name") == "Standard")) master = m;
  const std::string_view layout = attrValue(master, "page-layout-name");
  if (layout.empty()) return {};
  for (pugi::xml_node p = child(child(styles, "automatic-styles"), "page-layout"); p;
       p = p.next_sibling())
    if (is(p, "page-layout") && attrValue(p, "name") == layout)
      return columnsOf(child(child(p, "page-layout-properties"), "columns"));
  return {};
}

void OdtReader::pageColumnsUpTo(uint32_t end) {
  // The paragraphs from pageFrom_ on have ended by `end`: those after it
  // are not yet there.
  if (page_.count > 1 && end > pageFrom_)
    builder_.columns(pageFrom_, page_.count, page_.gap, page_.line);
}

Model OdtReader::read() {
  if (bytes_.substr(0, 4) == std::string_view("PK\x03\x04", 4))
    openPackage();
  else
    openFlat();
  pugi::xml_node content = content_.doc.document_element();
  pugi::xml_node styles = pkg_ ? styles_.doc.document_element() : content;
  // Common styles live with the styles; the content's automatic styles
  // are its own (styles.xml has automatic styles of its own for headers).
  FontClasses fontClasses;
  readFontFaces(child(styles, "font-face-decls"), faces_, fontClasses);
  readFontFaces(child(content, "font-face-decls"), faces_, fontClasses);
  styleDefs_.load(child(styles, "styles"), false, faces_);
  styleDefs_.load(child(content, "automatic-styles"), true, faces_);
  lists_.load(child(styles, "styles"), false, faces_);
  lists_.load(child(content, "automatic-styles"), true, faces_);
  styleDefs_.addToModel(builder_);

  pugi::xml_node text = officeText(content);
  variables_.declare(child(text, "user-field-decls"));
  readDeletions(child(text, "tracked-changes"));
  if (content_.fieldSeparators) findFieldCodes(text);
  StoryState s;
  s.builder = &builder_;
  page_ = pageColumns(styles);
  // A character of the text takes a byte of the content at least: the text
  // reserved so is not copied as it grows, and the pages it leaves unused
  // are never touched (convert of large.odt 8,160 to 7,110 page faults).
  builder_.reserve(content_.bytes.size(), 0, 0);
  blocks(text, s, 0);
  flush(s);
  pageColumnsUpTo(builder_.position());
  Model model = builder_.finish();
  model.decimalPoint = styleDefs_.decimalPoint();
  model.language = languages_.most(languageTable_.tags());
  model.languages = languageTable_.take();
  model.borderLines = std::move(borderLines_);
  model.stretchBeforeBreaks = stretchBeforeBreaks_;
  classifyFonts(model, fontClasses);
  addHeaderFooterParagraphs(model, child(styles, "master-styles"));
  return model;
}

}  // namespace odt::detail

Model readOdt(std::string_view bytes) {
  if (bytes.empty()) fail(kCannotOpen, "the document is empty");
  odt::detail::OdtReader reader(bytes, std::nullopt);
  return reader.read();
}

Model readOdtZip(std::string_view bytes, Package zip) {
  odt::detail::OdtReader reader(bytes, std::move(zip));
  return reader.read();
}

}  // namespace word::read
