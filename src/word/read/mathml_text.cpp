#include "word/read/mathml_text.h"

#include <vector>

#include "word/builder.h"
#include "word/error.h"
#include "word/read/linear_math.h"
#include "word/read/mtef.h"
#include "word/read/package.h"
#include "word/read/xml.h"

namespace word::read {
namespace {

using std::u16string;

// A formula nested deeper than this is damaged: its rest is left out.
constexpr int kMaxFormulaDepth = 64;

struct Walk {
  size_t length = 0;  // of the text made so far, to stop a huge formula early

  u16string token(const pugi::xml_node& n) {
    u16string t = u16(n.text().get());
    while (!t.empty() && t.back() == u' ') t.pop_back();
    while (!t.empty() && t.front() == u' ') t.erase(0, 1);
    length += t.size();
    return t;
  }

  std::vector<pugi::xml_node> elements(const pugi::xml_node& n) {
    std::vector<pugi::xml_node> out;
    for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling())
      if (c.type() == pugi::node_element) out.push_back(c);
    return out;
  }

  u16string row(const pugi::xml_node& n, int depth) {
    u16string out;
    for (const pugi::xml_node& c : elements(n)) out += text(c, depth + 1);
    return out;
  }

  u16string nth(const std::vector<pugi::xml_node>& parts, size_t i, int depth) {
    return i < parts.size() ? text(parts[i], depth + 1) : u16string();
  }

  // A table as the linear form writes a matrix: "■(a&b@c&d)".
  u16string table(const pugi::xml_node& n, int depth) {
    u16string out = u"■(";
    bool firstRow = true;
    for (const pugi::xml_node& r : elements(n)) {
      if (!firstRow) out += u"@";
      firstRow = false;
      bool firstCell = true;
      for (const pugi::xml_node& c : elements(r)) {
        if (!firstCell) out += u"&";
        firstCell = false;
        out += text(c, depth + 2);
      }
    }
    return out + u")";
  }

  u16string text(const pugi::xml_node& n, int depth) {
    if (depth > kMaxFormulaDepth || length > kMaxEquationText) return {};
    const std::string_view name = localName(n.name());
    if (name == "mi" || name == "mn" || name == "mo" || name == "mtext" || name == "ms")
      return token(n);
    if (name == "mspace") return u" ";
    if (name == "annotation" || name == "annotation-xml" || name == "mphantom" ||
        name == "mprescripts" || name == "none")
      return {};
    const std::vector<pugi::xml_node> parts = elements(n);
    auto part = [&](size_t i) { return nth(parts, i, depth); };
    // What stands for the whole: the first of its forms, of its actions.
    if (name == "semantics" || name == "maction") return part(0);
    if (name == "msup" || name == "mover" || name == "msub" || name == "munder" ||
        name == "msubsup" || name == "munderover") {
      const bool under = name == "msub" || name == "munder";
      const bool both = name == "msubsup" || name == "munderover";
      u16string out =
          linearOperand(part(0)) + (under || both ? u"_" : u"^") + linearOperand(part(1));
      if (both) out += u"^" + linearOperand(part(2));
      // A sum's or an integral's limits: what it takes follows, set off
      // as the linear form sets it.
      if (!parts.empty() && is(parts[0], "mo")) out += u"▒";
      return out;
    }
    if (name == "mfrac") return linearOperand(part(0)) + u"/" + linearOperand(part(1));
    if (name == "msqrt") return u"√" + linearOperand(row(n, depth));
    if (name == "mroot") return u"√(" + part(1) + u"&" + part(0) + u")";
    if (name == "mtable") return table(n, depth);
    if (name == "mfenced") {
      // Brackets and separators of its own, "(", ")" and "," unless given.
      const pugi::xml_attribute open = attr(n, "open"), close = attr(n, "close"),
                                separators = attr(n, "separators");
      const u16string seps = separators ? u16(separators.value()) : u",";
      u16string out = open ? u16(open.value()) : u"(";
      for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0 && !seps.empty()) out += seps[std::min(i - 1, seps.size() - 1)];
        out += part(i);
      }
      return out + (close ? u16(close.value()) : u")");
    }
    return row(n, depth);
  }
};

}  // namespace

u16string mathmlText(const pugi::xml_node& math) {
  Walk w;
  u16string out = w.text(math, 0);
  return out.size() > kMaxEquationText ? u16string() : out;
}

u16string formulaContentText(std::string_view xml) {
  pugi::xml_document doc;
  if (!doc.load_buffer(xml.data(), xml.size())) return {};
  const pugi::xml_node root = doc.document_element();
  // An OpenDocument formula's content is a <math> element, bare or in a
  // document's body.
  if (is(root, "math")) return mathmlText(root);
  const pugi::xml_node math = child(child(child(root, "body"), "formula"), "math");
  return math ? mathmlText(math) : u16string();
}

u16string formulaPackageText(std::string_view zip) {
  if (zip.substr(0, 4) != std::string_view("PK\x03\x04", 4)) return {};
  try {
    // A formula's content is a few kilobytes: a package claiming more is
    // not read.
    Package pkg(zip, Limits{1u << 20, 2u << 20, 64});
    const std::optional<std::string> mime = pkg.read("mimetype");
    if (!mime || mime->find("opendocument.formula") == std::string::npos) return {};
    const std::optional<std::string> content = pkg.read("content.xml");
    return content ? formulaContentText(*content) : u16string();
  } catch (const word::Error&) {
    return {};
  }
}

}  // namespace word::read
