#include "word/write/html_text.h"

#include "support/strings.h"

namespace word::write {

const char16_t* entityFor(char16_t c) {
  switch (c) {
    case u'&':
      return u"&amp;";
    case u'<':
      return u"&lt;";
    case u'>':
      return u"&gt;";
    case u'"':
      return u"&quot;";
    case 0xA0:
      return u"&nbsp;";
    default:
      return nullptr;
  }
}

void escapeInto(std::u16string& out, char16_t c) {
  if (const char16_t* entity = entityFor(c))
    out += entity;
  else
    out.push_back(c);
}

std::u16string escape(std::u16string_view s) {
  std::u16string out;
  out.reserve(s.size());
  for (char16_t c : s) escapeInto(out, c < 32 ? u' ' : c);
  return out;
}

std::u16string attribute(std::u16string_view s) {
  return support::replaceAll(escape(s), u"%", u"&#37;");
}

}  // namespace word::write
