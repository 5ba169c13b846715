// MTEF templates as linear text, written as the Office Math reader writes
// the same constructs (word/read/docx/math.cpp): fences around their slot,
// "a/b", "√x", "x^2", "∑_(i=1)^n▒i", "lim┬(n→∞)"; and the characters of
// CHAR and EMBELL records in Unicode.
#include "word/read/mtef_forms.h"

#include "word/read/linear_math.h"
#include "word/read/list_labels.h"

namespace word::read::mtef {
namespace {

using std::u16string;

enum class Form {
  Fence,
  Root,
  Fraction,
  UnderBar,
  OverBar,
  Arrow,
  BigOp,
  Limit,
  HBrace,
  Script,
  Dirac,
  Accent,
  Plain
};

// How one template reads: its form, and the signs it shows when its
// subobjects give none (fences; a big operator's, an arrow's, a brace's or
// an accent's in `left`).
struct Shape {
  Form form = Form::Plain;
  u16string left, right;
  bool hasLeft = true, hasRight = true;
  bool top = true;  // an arrow's or a brace's slot is above it
};

Shape shape(Form form, u16string left = {}, u16string right = {}) {
  Shape s;
  s.form = form;
  s.left = std::move(left);
  s.right = std::move(right);
  return s;
}

u16string op(const u16string& s) {
  return linearOperand(s);
}

u16string limits(const u16string& lower, const u16string& upper, const char16_t* lo = u"_",
                 const char16_t* hi = u"^") {
  u16string out;
  if (!lower.empty()) out += lo + op(lower);
  if (!upper.empty()) out += hi + op(upper);
  return out;
}

// Subobjects in the order the template's class writes them: fences (slot,
// left sign, right sign), big operators (slot, lower limit, upper limit,
// sign), limits (slot, lower, upper), scripts (subscript, superscript),
// braces (slot, label, sign), arrows (upper slot, lower slot), roots
// (radicand, index), fractions (numerator, denominator).
u16string render(const Shape& s, const Parts& p) {
  auto sign = [&](size_t i, const u16string& dflt) {
    return i < p.chars.size() && !p.chars[i].empty() ? p.chars[i] : dflt;
  };
  switch (s.form) {
    case Form::Fence: {
      const u16string l = s.hasLeft ? sign(0, s.left) : u16string();
      const u16string r = s.hasRight ? sign(s.hasLeft ? 1 : 0, s.right) : u16string();
      return l + p.slot(0) + r;
    }
    case Form::Root:
      if (p.slot(1).empty()) return u"√" + op(p.slot(0));
      return u"√(" + p.slot(1) + u"&" + p.slot(0) + u")";
    case Form::Fraction:
      return op(p.slot(0)) + u"/" + op(p.slot(1));
    case Form::UnderBar:
      return u"▁" + op(p.slot(0));
    case Form::OverBar:
      return u"¯" + op(p.slot(0));
    case Form::Arrow:
      return sign(0, s.left) +
             (s.top ? limits(p.slot(1), p.slot(0), u"┬", u"┴") : limits(p.slot(0), {}, u"┬", u"┴"));
    case Form::BigOp:
      return sign(0, s.left) + limits(p.slot(1), p.slot(2)) + u"▒" + op(p.slot(0));
    case Form::Limit:
      return p.slot(0) + limits(p.slot(1), p.slot(2), u"┬", u"┴");
    case Form::HBrace:
      return sign(0, s.left) + op(p.slot(0)) +
             (s.top ? limits({}, p.slot(1)) : limits(p.slot(1), {}));
    case Form::Script:
      return limits(p.slot(0), p.slot(1));
    case Form::Dirac:
      return u"⟨" + p.slot(0) + u"|" + p.slot(1) + u"⟩";
    case Form::Accent:
      return op(p.slot(0)) + s.left;
    case Form::Plain:
      break;
  }
  u16string out;
  for (const u16string& x : p.slots) out += x;
  return out;
}

const char16_t* const kFences[][2] = {{u"⟨", u"⟩"}, {u"(", u")"}, {u"{", u"}"},
                                      {u"[", u"]"}, {u"|", u"|"}, {u"‖", u"‖"},
                                      {u"⌊", u"⌋"}, {u"⌈", u"⌉"}, {u"⟦", u"⟧"}};

const char16_t* integral(unsigned signs, bool loop) {
  static const char16_t* const plain[] = {u"∫", u"∫", u"∬", u"∭"};
  static const char16_t* const closed[] = {u"∮", u"∮", u"∯", u"∰"};
  return (loop ? closed : plain)[signs & 3];
}

Shape shape5(uint8_t selector, uint16_t variation) {
  static const char16_t* const bigOps[] = {u"∑", u"∏", u"∐", u"⋃", u"⋂", u"∫", u"∑"};
  if (selector <= 8) {
    Shape s = shape(Form::Fence, kFences[selector][0], kFences[selector][1]);
    if (variation & 3) {
      s.hasLeft = variation & 1;
      s.hasRight = variation & 2;
    }
    return s;
  }
  if (selector >= 16 && selector <= 22) return shape(Form::BigOp, bigOps[selector - 16]);
  const u16string brackets = u"()[]";
  switch (selector) {
    case 9:  // an interval: each side's sign by two bits of the variation
      return shape(Form::Fence, u16string(1, brackets[variation & 3]),
                   u16string(1, brackets[variation >> 4 & 3]));
    case 10:
      return shape(Form::Root);
    case 11:
      return shape(Form::Fraction);
    case 12:
      return shape(Form::UnderBar);
    case 13:
      return shape(Form::OverBar);
    case 14:
      return shape(Form::Arrow, variation & 3      ? u"⇄"
                                : variation & 0x10 ? (variation & 0x20 ? u"↔" : u"←")
                                                   : u"→");
    case 15:
      return shape(Form::BigOp, integral(variation & 3, variation & 0x0C));
    case 23:
      return shape(Form::Limit);
    case 24:
    case 25: {
      Shape s = shape(Form::HBrace, variation & 1 ? (selector == 24 ? u"⏞" : u"⎴")
                                                  : (selector == 24 ? u"⏟" : u"⎵"));
      s.top = variation & 1;
      return s;
    }
    case 27:
    case 28:
    case 29:
      return shape(Form::Script);
    case 30:
      return shape(Form::Dirac);
    case 31:
      return shape(Form::Accent, variation & 4 ? u"\u20EF" : variation & 1 ? u"\u20D6" : u"\u20D7");
    case 32:
      return shape(Form::Accent, u"\u0303");
    case 33:
      return shape(Form::Accent, u"\u0302");
    case 34:
      return shape(Form::Accent, u"\u0311");
    default:
      return shape(Form::Plain);
  }
}

Shape shape3(uint8_t selector, uint16_t variation) {
  if (selector <= 7) {
    Shape s = shape(Form::Fence, kFences[selector][0], kFences[selector][1]);
    s.hasLeft = variation != 2;
    s.hasRight = variation != 1;
    return s;
  }
  static const char16_t* const intervals[][2] = {
      {u"[", u"["}, {u"]", u"]"}, {u"]", u"["}, {u"[", u")"}, {u"(", u"]"}};
  if (selector <= 12)
    return shape(Form::Fence, intervals[selector - 8][0], intervals[selector - 8][1]);
  if (selector >= 18 && selector <= 20) {
    static const char16_t* const arrows[] = {u"←", u"→", u"↔"};
    Shape s = shape(Form::Arrow, arrows[selector - 18]);
    s.top = variation == 0;
    return s;
  }
  if (selector >= 21 && selector <= 26)
    return shape(Form::BigOp, integral(static_cast<unsigned>((selector - 21) % 3 + 1), false));
  if (selector >= 29 && selector <= 38) {
    static const char16_t* const bigOps[] = {u"∑", u"∏", u"∐", u"⋃", u"⋂"};
    return shape(Form::BigOp, bigOps[(selector - 29) / 2]);
  }
  switch (selector) {
    case 13:
      return shape(Form::Root);
    case 14:
    case 41:
      return shape(Form::Fraction);
    case 15:
    case 44:
      return shape(Form::Script);
    case 16:
      return shape(Form::UnderBar);
    case 17:
      return shape(Form::OverBar);
    case 27:
    case 28: {
      Shape s = shape(Form::HBrace, selector == 27 ? u"⏞" : u"⏟");
      s.top = selector == 27;
      return s;
    }
    case 39:
      return shape(Form::Limit);
    case 42:
      return shape(Form::BigOp, u"∫");
    case 43:
      return shape(Form::BigOp, u"∑");
    case 45:
      return shape(Form::Dirac);
    case 46:
      return shape(Form::Accent, u"\u20EF");
    case 47:
      return shape(Form::Accent, u"\u20D7");
    default:
      return shape(Form::Plain);
  }
}

}  // namespace

u16string templateText5(uint8_t selector, uint16_t variation, const Parts& p) {
  return render(shape5(selector, variation), p);
}

u16string templateText3(uint8_t selector, uint16_t variation, const Parts& p) {
  return render(shape3(selector, variation), p);
}

u16string charText(int typeface, uint16_t code, bool fontPosition) {
  if (typeface == kFnSpace || typeface == kFnMarker) return {};
  const bool symbolFont = typeface == kFnLcGreek || typeface == kFnUcGreek || typeface == kFnSymbol;
  char16_t c = code;
  if ((c >= 0xF020 && c <= 0xF0FF) || (fontPosition && symbolFont)) c = mapSymbolChar(c, "Symbol");
  // Controls, halves of surrogate pairs and the editor's private characters
  // (its spaces and alignment marks) say nothing.
  if (c < 0x20 || (c >= 0x7F && c < 0xA0) || (c >= 0xD800 && c <= 0xF8FF)) return {};
  return u16string(1, c);
}

u16string embellishment(uint8_t type) {
  // By type from 2: dots, primes, tilde, hat, slash, arrows, bars and arcs
  // above, then their like below.
  static const char16_t kMarks[] =
      u"\u0307\u0308\u20DB\u2032\u2033\u2035\u0303\u0302\u0338\u20D7\u20D6\u20E1\u20D1\u20D0"
      u"\u0335\u0305\u2034\u0311\u0306\u0338\u0338\u20E5\u20DC\u0323\u0324\u20E8\u0323\u0332"
      u"\u0330\u032F\u032E\u20EF\u20EE\u034D\u20EC\u20ED";
  if (type < 2 || type - 2u >= sizeof kMarks / sizeof kMarks[0] - 1) return {};
  return u16string(1, kMarks[type - 2]);
}

}  // namespace word::read::mtef
