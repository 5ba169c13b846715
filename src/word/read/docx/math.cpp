// Office Math (m:oMath): the equation as MathML for the page, and as its
// linear text for the story, as a plain-text export writes an equation
// ("x=(-b±√(b^2-4ac))/(2a)"). An element this reader does not know keeps
// its text.
#include <unicode/uchar.h>

#include "support/strings.h"
#include "word/read/docx/reader_state.h"
#include "word/read/linear_math.h"

namespace word::read::docx::detail {
namespace {

using std::u16string;

struct Piece {
  u16string ml;      // MathML
  u16string linear;  // linear text
};

bool digit(char16_t c) {
  return (c >= u'0' && c <= u'9') || c == u'.' || c == u',';
}

u16string operand(const u16string& s) {
  return linearOperand(s);
}

// `a` then `b`, built by appending: GCC 12 at -O3 wrongly warns of
// overlapping copies where a literal goes before a temporary string.
u16string joined(std::u16string_view a, const u16string& b) {
  u16string s(a);
  s += b;
  return s;
}

Piece tag(std::u16string_view name, const Piece& inner, std::u16string_view attrs = u"") {
  std::u16string ml = u"<";
  ml.append(name).append(attrs).append(u">").append(inner.ml).append(u"</").append(name).append(
      u">");
  return {ml, inner.linear};
}

Piece mo(std::u16string_view op) {
  return {u"<mo>" + support::escapeXml(op) + u"</mo>", u16string(op)};
}

std::u16string_view charAttr(const pugi::xml_node& pr, std::string_view prop,
                             std::u16string_view dflt, u16string& store) {
  pugi::xml_node p = child(pr, prop);
  if (!p) return dflt;
  // One character: a long one, copied between every element of a
  // delimiter, would multiply.
  store = utf16(val(p).substr(0, 4));
  const bool pair = store.size() > 1 && store[0] >= 0xD800 && store[0] < 0xDC00;
  store.resize(std::min<size_t>(store.size(), pair ? 2 : 1));
  return store;
}

// Word stores accents as combining characters; over a base in MathML they
// stand as their spacing forms.
std::u16string_view spacing(std::u16string_view chr) {
  static const std::pair<char16_t, std::u16string_view> kForms[] = {
      {0x0300, u"`"},      {0x0301, u"\u00B4"}, {0x0302, u"\u02C6"}, {0x0303, u"\u02DC"},
      {0x0304, u"\u00AF"}, {0x0305, u"\u203E"}, {0x0306, u"\u02D8"}, {0x0307, u"\u02D9"},
      {0x0308, u"\u00A8"}, {0x030C, u"\u02C7"}, {0x20D7, u"\u2192"}};
  if (chr.size() == 1)
    for (const auto& [combining, form] : kForms)
      if (chr[0] == combining) return form;
  return chr;
}

class MathReader {
 public:
  Piece node(const pugi::xml_node& n, int depth) {
    if (depth > kMaxDepth) return {};
    const std::string_view name = localName(n.name());
    if (name == "r") return run(n);
    if (name == "f") return fraction(n, depth);
    if (name == "sSup" || name == "sSub" || name == "sSubSup" || name == "sPre")
      return scripts(n, depth);
    if (name == "rad") return radical(n, depth);
    if (name == "nary") return nary(n, depth);
    if (name == "d") return delimiter(n, depth);
    if (name == "m") return matrix(n, depth);
    if (name == "eqArr") return array(n, depth);
    if (name == "func") return function(n, depth);
    if (name == "acc" || name == "bar" || name == "groupChr") return accent(n, depth);
    if (name == "limLow" || name == "limUpp") return limit(n, depth);
    if (name == "borderBox")
      return tag(u"mrow", part(n, "e", depth),
                 u" style=\"border:1px solid currentColor;padding:0.1em\"");
    if (name.size() > 2 && name.substr(name.size() - 2) == "Pr") return {};  // properties
    return row(n, depth);  // e, num, den, box, phant, unknown: their content
  }

  Piece row(const pugi::xml_node& n, int depth) {
    Piece out;
    for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling()) {
      if (c.type() != pugi::node_element || is(c, "del") || is(c, "ctrlPr")) continue;
      Piece p = node(c, depth + 1);
      out.ml += p.ml;
      out.linear += p.linear;
    }
    return {u"<mrow>" + out.ml + u"</mrow>", out.linear};
  }

 private:
  Piece part(const pugi::xml_node& n, std::string_view name, int depth) {
    pugi::xml_node c = child(n, name);
    return c ? row(c, depth + 1) : Piece{u"<mrow></mrow>", u""};
  }

  // Text: numbers, single-letter names and operators, as MathML tokens;
  // normal text stays text.
  Piece run(const pugi::xml_node& r) {
    u16string text;
    for (pugi::xml_node t = r.first_child(); t; t = t.next_sibling())
      if (is(t, "t")) text += cleanText(t.text().get());
    pugi::xml_node pr = child(r, "rPr");
    if (pr && (child(pr, "nor") || val(child(pr, "sty")) == "p"))
      return {u"<mtext>" + support::escapeXml(text) + u"</mtext>", text};
    Piece out{u"", text};
    for (size_t i = 0; i < text.size();) {
      size_t j = i + 1;
      if (digit(text[i]) && text[i] != u',' && text[i] != u'.') {
        while (j < text.size() && digit(text[j])) ++j;
        out.ml += u"<mn>" + support::escapeXml(std::u16string_view(text).substr(i, j - i)) + u"</mn>";
      } else if (u_isalpha(text[i])) {
        out.ml += u"<mi>" + support::escapeXml(std::u16string_view(text).substr(i, 1)) + u"</mi>";
      } else if (text[i] == u'-') {
        out.ml += u"<mo>\u2212</mo>";  // a hyphen typed in a formula shows as the minus sign
      } else if (text[i] != u' ') {
        out.ml += u"<mo>" + support::escapeXml(std::u16string_view(text).substr(i, 1)) + u"</mo>";
      }
      i = j;
    }
    return out;
  }

  Piece fraction(const pugi::xml_node& n, int depth) {
    const std::string_view type = val(child(child(n, "fPr"), "type"));
    Piece num = part(n, "num", depth), den = part(n, "den", depth);
    const u16string linear = operand(num.linear) + u"/" + operand(den.linear);
    if (type == "lin") return {num.ml + u"<mo>/</mo>" + den.ml, linear};
    const std::u16string_view attrs = type == "noBar" ? u" linethickness=\"0\"" : u"";
    return {u"<mfrac" + u16string(attrs) + u">" + num.ml + den.ml + u"</mfrac>", linear};
  }

  Piece scripts(const pugi::xml_node& n, int depth) {
    const std::string_view name = localName(n.name());
    Piece base = part(n, "e", depth), sub = part(n, "sub", depth), sup = part(n, "sup", depth);
    const u16string b = operand(base.linear), lo = joined(u"_", operand(sub.linear)),
                    hi = joined(u"^", operand(sup.linear));
    if (name == "sSup") return {u"<msup>" + base.ml + sup.ml + u"</msup>", b + hi};
    if (name == "sSub") return {u"<msub>" + base.ml + sub.ml + u"</msub>", b + lo};
    if (name == "sSubSup")
      return {u"<msubsup>" + base.ml + sub.ml + sup.ml + u"</msubsup>", b + lo + hi};
    return {
        u"<mmultiscripts>" + base.ml + u"<mprescripts/>" + sub.ml + sup.ml + u"</mmultiscripts>",
        lo + hi + b};
  }

  Piece radical(const pugi::xml_node& n, int depth) {
    Piece deg = part(n, "deg", depth), e = part(n, "e", depth);
    const bool hidden = onOffChild(child(n, "radPr"), "degHide") || deg.linear.empty();
    if (hidden) return {u"<msqrt>" + e.ml + u"</msqrt>", joined(u"√", operand(e.linear))};
    return {u"<mroot>" + e.ml + deg.ml + u"</mroot>", u"√(" + deg.linear + u"&" + e.linear + u")"};
  }

  Piece nary(const pugi::xml_node& n, int depth) {
    pugi::xml_node pr = child(n, "naryPr");
    u16string store;
    const std::u16string_view chr = charAttr(pr, "chr", u"∫", store);
    const bool under =
        val(child(pr, "limLoc")) == "undOvr" ||
        (!child(pr, "limLoc") && chr != u"∫" && chr != u"∬" && chr != u"∭" && chr != u"∮");
    const bool noSub = onOffChild(pr, "subHide"), noSup = onOffChild(pr, "supHide");
    Piece sub = part(n, "sub", depth), sup = part(n, "sup", depth), e = part(n, "e", depth);
    u16string op = u"<mo largeop=\"true\">" + support::escapeXml(chr) + u"</mo>";
    u16string ml;
    if (noSub && noSup)
      ml = op;
    else if (noSup)
      ml = (under ? u"<munder>" : u"<msub>") + op + sub.ml + (under ? u"</munder>" : u"</msub>");
    else if (noSub)
      ml = (under ? u"<mover>" : u"<msup>") + op + sup.ml + (under ? u"</mover>" : u"</msup>");
    else
      ml = (under ? u"<munderover>" : u"<msubsup>") + op + sub.ml + sup.ml +
           (under ? u"</munderover>" : u"</msubsup>");
    u16string linear(chr);
    if (!noSub) linear += u"_" + operand(sub.linear);
    if (!noSup) linear += u"^" + operand(sup.linear);
    return {u"<mrow>" + ml + e.ml + u"</mrow>", linear + u"▒" + operand(e.linear)};
  }

  Piece delimiter(const pugi::xml_node& n, int depth) {
    pugi::xml_node pr = child(n, "dPr");
    u16string s1, s2, s3;
    const std::u16string_view beg = charAttr(pr, "begChr", u"(", s1),
                              end = charAttr(pr, "endChr", u")", s2),
                              sep = charAttr(pr, "sepChr", u"|", s3);
    Piece out = mo(beg);
    bool first = true;
    for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling()) {
      if (!is(c, "e")) continue;
      if (!first) {
        Piece s = mo(sep);
        out.ml += s.ml;
        out.linear += s.linear;
      }
      first = false;
      Piece e = row(c, depth + 1);
      out.ml += e.ml;
      out.linear += e.linear;
    }
    Piece close = mo(end);
    return {u"<mrow>" + out.ml + close.ml + u"</mrow>", out.linear + close.linear};
  }

  // Rows of cells: a matrix (m:m, m:mr, m:e), or an equation array (one
  // cell a row).
  Piece table(const pugi::xml_node& n, std::string_view rowName, int depth,
              std::u16string_view lead) {
    u16string ml = u"<mtable>", linear = u16string(lead) + u"(";
    bool firstRow = true;
    for (pugi::xml_node r = n.first_child(); r; r = r.next_sibling()) {
      if (!is(r, rowName)) continue;
      if (!firstRow) linear += u"@";
      firstRow = false;
      ml += u"<mtr>";
      bool firstCell = true;
      auto cell = [&](const pugi::xml_node& e) {
        Piece p = row(e, depth + 2);
        ml += u"<mtd>" + p.ml + u"</mtd>";
        linear += (firstCell ? u"" : u"&") + p.linear;
        firstCell = false;
      };
      if (rowName == "e") {
        cell(r);
      } else {
        for (pugi::xml_node e = r.first_child(); e; e = e.next_sibling())
          if (is(e, "e")) cell(e);
      }
      ml += u"</mtr>";
    }
    return {ml + u"</mtable>", linear + u")"};
  }
  Piece matrix(const pugi::xml_node& n, int depth) { return table(n, "mr", depth, u"■"); }
  Piece array(const pugi::xml_node& n, int depth) { return table(n, "e", depth, u"█"); }

  Piece function(const pugi::xml_node& n, int depth) {
    Piece name = part(n, "fName", depth), e = part(n, "e", depth);
    // Function names stand upright, as one name.
    u16string plain;
    for (char16_t c : name.linear) plain += c;
    const bool word = !plain.empty() && u_isalpha(plain[0]);
    const u16string nameMl = word ? u"<mi>" + support::escapeXml(plain) + u"</mi>" : name.ml;
    return {u"<mrow>" + nameMl + u"<mo>\u2061</mo>" + e.ml + u"</mrow>",
            name.linear + u"\u2061" + operand(e.linear)};
  }

  // An accent, a bar or a grouping character over or under its base.
  Piece accent(const pugi::xml_node& n, int depth) {
    const std::string_view name = localName(n.name());
    pugi::xml_node pr = child(n, std::string(name) + "Pr");
    u16string store;
    std::u16string_view chr = name == "acc"   ? charAttr(pr, "chr", u"\u0302", store)
                              : name == "bar" ? std::u16string_view(u"\u00AF")
                                              : charAttr(pr, "chr", u"\u23DF", store);
    const std::string_view pos = val(child(pr, "pos"));
    const bool below = name == "bar" ? pos != "top" : (name == "groupChr" && pos != "top");
    if (name == "bar" && below) chr = u"_";
    Piece e = part(n, "e", depth);
    const u16string op = u"<mo stretchy=\"true\">" + support::escapeXml(spacing(chr)) + u"</mo>";
    const u16string ml = below ? u"<munder>" + e.ml + op + u"</munder>"
                               : u"<mover accent=\"true\">" + e.ml + op + u"</mover>";
    return {ml, (chr.size() == 1 && chr[0] >= 0x300 && chr[0] < 0x370)
                    ? operand(e.linear) + u16string(chr)
                    : u16string(chr) + operand(e.linear)};
  }

  Piece limit(const pugi::xml_node& n, int depth) {
    const bool low = is(n, "limLow");
    Piece e = part(n, "e", depth), lim = part(n, "lim", depth);
    return {(low ? u"<munder>" : u"<mover>") + e.ml + lim.ml + (low ? u"</munder>" : u"</mover>"),
            e.linear + (low ? u"┬" : u"┴") + operand(lim.linear)};
  }

  static bool onOffChild(const pugi::xml_node& pr, std::string_view name) {
    pugi::xml_node c = child(pr, name);
    return c && onOff(c);
  }
};

}  // namespace

MathText readMath(const pugi::xml_node& oMath, bool display) {
  MathReader reader;
  Piece p = reader.row(oMath, 0);
  return {u"<math xmlns=\"http://www.w3.org/1998/Math/MathML\"" +
              u16string(display ? u" display=\"block\"" : u"") + u">" + p.ml + u"</math>",
          p.linear};
}

}  // namespace word::read::docx::detail
