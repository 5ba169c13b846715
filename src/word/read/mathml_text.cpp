#include "word/read/mathml_text.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

#include "support/strings.h"
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

// An <mfenced> element's brackets and separators: its own, else "(", ")"
// and ",". The separator before the i-th part (from 1): the list's i-th,
// its last repeated; none for an empty list.
struct Fence {
  u16string open, close, separators;
  explicit Fence(const pugi::xml_node& n) {
    const pugi::xml_attribute o = attr(n, "open"), c = attr(n, "close"), s = attr(n, "separators");
    open = o ? u16(o.value()) : u"(";
    close = c ? u16(c.value()) : u")";
    separators = s ? u16(s.value()) : u",";
  }
  u16string before(size_t i) const {
    return i == 0 || separators.empty()
               ? u16string()
               : u16string(1, separators[std::min(i - 1, separators.size() - 1)]);
  }
};

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
      const Fence fence(n);
      u16string out = fence.open;
      for (size_t i = 0; i < parts.size(); ++i) out += fence.before(i) + part(i);
      return out + fence.close;
    }
    return row(n, depth);
  }
};

// Writes MathML again from what it allows, so that nothing of a
// document's markup but its mathematics reaches a page.
struct Markup {
  u16string out;

  static bool allowed(std::string_view name) {
    static constexpr std::string_view kElements[] = {
        "math",          "mrow",        "mi",       "mn",     "mo",      "ms",
        "mtext",         "mspace",      "msub",     "msup",   "msubsup", "munder",
        "mover",         "munderover",  "mfrac",    "msqrt",  "mroot",   "mstyle",
        "merror",        "mpadded",     "mphantom", "mtable", "mtr",     "mtd",
        "mmultiscripts", "mprescripts", "none"};
    return std::find(std::begin(kElements), std::end(kElements), name) != std::end(kElements);
  }

  // Presentation attributes with plain values (words, numbers, lengths,
  // colours): nothing that could name a script or a resource.
  void attributes(const pugi::xml_node& n) {
    static constexpr std::string_view kNames[] = {
        "mathvariant", "stretchy", "fence",         "separator",      "accent",
        "accentunder", "lspace",   "rspace",        "linethickness",  "displaystyle",
        "scriptlevel", "largeop",  "movablelimits", "symmetric",      "minsize",
        "maxsize",     "form",     "width",         "height",         "depth",
        "columnspan",  "rowspan",  "mathcolor",     "mathbackground", "mathsize"};
    for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute()) {
      const std::string_view name = localName(a.name()), value = a.value();
      if (std::find(std::begin(kNames), std::end(kNames), name) == std::end(kNames)) continue;
      const bool plain = std::all_of(value.begin(), value.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || std::strchr(" .#%+-", c);
      });
      if (plain) out.append(u" ").append(u16(name)).append(u"=\"").append(u16(value)).append(u"\"");
    }
  }

  void mo(std::u16string_view op) { out += u"<mo>" + support::escapeXml(op) + u"</mo>"; }

  // The brackets and separators as operators of a row.
  void fenced(const pugi::xml_node& n, int depth) {
    const Fence fence(n);
    out += u"<mrow>";
    mo(fence.open);
    size_t i = 0;
    for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling()) {
      if (c.type() != pugi::node_element) continue;
      if (const u16string sep = fence.before(i++); !sep.empty()) mo(sep);
      write(c, depth + 1);
    }
    mo(fence.close);
    out += u"</mrow>";
  }

  void write(const pugi::xml_node& n, int depth) {
    if (depth > kMaxFormulaDepth || out.size() > 16 * kMaxEquationText) return;
    std::string_view name = localName(n.name());
    if (name == "annotation" || name == "annotation-xml") return;
    if (name == "mfenced") return fenced(n, depth);
    if (name == "semantics" || name == "maction") {
      for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element) return write(c, depth + 1);
      return;
    }
    // Others (an enclosure, a producer's own) keep their content.
    if (!allowed(name)) name = "mrow";
    const u16string tag = u16(name);
    out += u"<" + tag;
    if (name == "math") out += u" xmlns=\"http://www.w3.org/1998/Math/MathML\"";
    attributes(n);
    out += u">";
    const bool token =
        name == "mi" || name == "mn" || name == "mo" || name == "mtext" || name == "ms";
    if (token)
      out += support::escapeXml(u16(n.text().get()));
    else
      for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element) write(c, depth + 1);
    out += u"</" + tag + u">";
  }
};

}  // namespace

u16string mathmlMarkup(const pugi::xml_node& math) {
  Markup m;
  m.write(math, 0);
  return m.out.size() > 16 * kMaxEquationText ? u16string() : m.out;
}

u16string mathmlText(const pugi::xml_node& math) {
  Walk w;
  u16string out = w.text(math, 0);
  return out.size() > kMaxEquationText ? u16string() : out;
}

pugi::xml_node formulaMath(const pugi::xml_node& root) {
  return is(root, "math") ? root : child(child(child(root, "body"), "formula"), "math");
}

u16string formulaContentText(std::string_view xml) {
  pugi::xml_document doc;
  if (!doc.load_buffer(xml.data(), xml.size())) return {};
  const pugi::xml_node math = formulaMath(doc.document_element());
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
