// The SVG side of web_picture.h: fitting a converted metafile's root
// element, and the stand-in for a picture that cannot be shown.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

#include "support/codepage.h"
#include "word/write/pictures/web_picture.h"

namespace word::write {
namespace {

constexpr std::string_view kSvgNamespace = "http://www.w3.org/2000/svg";
constexpr std::string_view kXlinkNamespace = "http://www.w3.org/1999/xlink";

bool blank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

struct Attribute {
  std::string_view name;
  std::string_view value;
  char quote;
};

// The root element's start tag: "<svg" and a blank, "/" or ">".
size_t findRoot(std::string_view s) {
  for (size_t at = s.find("<svg"); at != std::string_view::npos; at = s.find("<svg", at + 4)) {
    const char next = at + 4 < s.size() ? s[at + 4] : '\0';
    if (blank(next) || next == '>' || next == '/') return at;
  }
  return std::string_view::npos;
}

// The attributes from `i` up to the tag's end, which `end` receives (at
// its "/" or ">"). Nothing when the tag is not well formed.
std::optional<std::vector<Attribute>> attributes(std::string_view s, size_t i, size_t& end) {
  std::vector<Attribute> found;
  for (;;) {
    while (i < s.size() && blank(s[i])) ++i;
    if (i >= s.size()) return std::nullopt;
    if (s[i] == '>' || s[i] == '/') {
      end = i;
      return found;
    }
    const size_t nameStart = i;
    while (i < s.size() && !blank(s[i]) && s[i] != '=' && s[i] != '>' && s[i] != '/') ++i;
    const std::string_view name = s.substr(nameStart, i - nameStart);
    while (i < s.size() && blank(s[i])) ++i;
    if (name.empty() || i >= s.size() || s[i] != '=') return std::nullopt;
    ++i;
    while (i < s.size() && blank(s[i])) ++i;
    if (i >= s.size() || (s[i] != '"' && s[i] != '\'')) return std::nullopt;
    const char quote = s[i++];
    const size_t close = s.find(quote, i);
    if (close == std::string_view::npos) return std::nullopt;
    found.push_back({name, s.substr(i, close - i), quote});
    i = close + 1;
  }
}

// An SVG length in user units (CSS pixels); nothing for percentages,
// unknown units or sizes no page holds.
std::optional<double> userUnits(std::string_view v) {
  while (!v.empty() && blank(v.front())) v.remove_prefix(1);
  while (!v.empty() && blank(v.back())) v.remove_suffix(1);
  double number = 0;
  auto [rest, ec] = std::from_chars(v.data(), v.data() + v.size(), number);
  if (ec != std::errc() || !std::isfinite(number) || number <= 0 || number > 1e7)
    return std::nullopt;
  const std::string_view unit(rest, static_cast<size_t>(v.data() + v.size() - rest));
  static const std::pair<std::string_view, double> units[] = {
      {"", 1},    {"px", 1},         {"pt", 96.0 / 72}, {"pc", 16},
      {"in", 96}, {"cm", 96 / 2.54}, {"mm", 96 / 25.4}};
  for (const auto& [name, factor] : units)
    if (unit == name) return number * factor;
  return std::nullopt;
}

std::string shortest(double v) {
  char buf[32];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
  return ec == std::errc() ? std::string(buf, end) : std::string("0");
}

const Attribute* named(const std::vector<Attribute>& attrs, std::string_view name) {
  for (const Attribute& a : attrs)
    if (a.name == name) return &a;
  return nullptr;
}

// Characters that separate words; those XML cannot hold count as blanks.
bool gap(char16_t c) {
  return c <= u' ' || c == 0xFFFE || c == 0xFFFF;
}

// The alternative text in lines of about `width` characters, at most
// `count` of them, the last cut with an ellipsis when the text is longer.
std::vector<std::u16string> wrap(std::u16string_view text, size_t width, size_t count) {
  std::vector<std::u16string> lines(1);
  for (size_t i = 0; i < text.size();) {
    while (i < text.size() && gap(text[i])) ++i;
    size_t end = i;
    while (end < text.size() && !gap(text[end])) ++end;
    if (end == i) break;
    std::u16string_view word = text.substr(i, end - i);
    if (!lines.back().empty() && lines.back().size() + 1 + word.size() > width) {
      if (lines.size() == count) {
        lines.back() += u"\u2026";
        return lines;
      }
      lines.emplace_back();
    }
    if (!lines.back().empty()) lines.back() += u' ';
    lines.back() += word.substr(0, width);
    i = end;
  }
  return lines;
}

// Blanks the characters XML cannot hold: C0 controls but tab and line
// ends, and U+FFFE and U+FFFF (as U+FFFD).
void xmlCharacters(std::string& s) {
  for (size_t i = 0; i < s.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') s[i] = ' ';
    if (c == 0xEF && i + 2 < s.size() && s[i + 1] == '\xBF' &&
        (s[i + 2] == '\xBE' || s[i + 2] == '\xBF'))
      s[i + 2] = '\xBD';
  }
}

}  // namespace

void xmlEscape(std::string& out, std::string_view text, bool quotes) {
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += quotes ? "&quot;" : "\"";
        break;
      default:
        out.push_back(c);
    }
  }
}

std::string wmfSvgAsUtf8(std::string_view svg, const char* codePage) {
  // The markup is ASCII: the whole file decodes as the text's code page.
  std::string out = support::toUtf8(support::fromCodePage(svg, codePage));
  xmlCharacters(out);
  return out;
}

std::string emfSvgTextKept(std::string_view svg) {
  constexpr std::string_view open = "<![CDATA[", close = "]]></text>";
  std::string out;
  out.reserve(svg.size() + 64);
  size_t at = 0;
  for (size_t start = svg.find(open); start != std::string_view::npos; start = svg.find(open, at)) {
    const size_t text = start + open.size();
    const size_t end = svg.find(close, text);
    if (end == std::string_view::npos) break;
    out.append(svg, at, text - at);
    const std::string_view body = svg.substr(text, end - text);
    size_t from = 0;
    for (size_t k = body.find("]]>"); k != std::string_view::npos; k = body.find("]]>", from)) {
      out.append(body, from, k - from);
      out += "]]]]><![CDATA[>";
      from = k + 3;
    }
    out.append(body, from);
    at = end;
  }
  out.append(svg, at);
  return out;
}

std::string xmlSafe(std::string_view utf8) {
  std::string out = support::toUtf8(support::fromUtf8(utf8));
  xmlCharacters(out);
  return out;
}

std::optional<std::string> fitSvg(std::string_view svg) {
  const size_t root = findRoot(svg);
  if (root == std::string_view::npos) return std::nullopt;
  size_t end = 0;
  const auto attrs = attributes(svg, root + 4, end);
  if (!attrs) return std::nullopt;
  std::string out(svg.substr(0, root));
  out.reserve(svg.size() + 200);
  out += "<svg";
  for (const Attribute& a : *attrs) {
    if (a.name == "preserveAspectRatio") continue;
    out += ' ';
    out += a.name;
    out += '=';
    out += a.quote;
    out += a.value;
    out += a.quote;
  }
  auto add = [&](std::string_view name, std::string_view value) {
    out += ' ';
    out += name;
    out += "=\"";
    out += value;
    out += '"';
  };
  if (!named(*attrs, "xmlns")) add("xmlns", kSvgNamespace);
  if (!named(*attrs, "xmlns:xlink") && svg.find("xlink:") != std::string_view::npos)
    add("xmlns:xlink", kXlinkNamespace);
  const Attribute* w = named(*attrs, "width");
  const Attribute* h = named(*attrs, "height");
  const auto width = w ? userUnits(w->value) : std::nullopt;
  const auto height = h ? userUnits(h->value) : std::nullopt;
  if (!named(*attrs, "viewBox") && width && height)
    add("viewBox", "0 0 " + shortest(*width) + " " + shortest(*height));
  add("preserveAspectRatio", "none");
  out += svg.substr(end);
  return out;
}

std::string placeholderSvg(PixelSize box, std::u16string_view alt, std::string_view format) {
  const int32_t w = box.width > 0 ? box.width : 192;
  const int32_t h = box.height > 0 ? box.height : 96;
  std::u16string text(alt);
  if (std::all_of(text.begin(), text.end(), gap)) {
    text = u"Picture not shown (";
    for (char c : format) text.push_back(static_cast<unsigned char>(c));
    text += u")";
  }
  // About 7 pixels a character and 15 a line at the 12-pixel font.
  const size_t perLine = static_cast<size_t>(std::max(8, (w - 8) / 7));
  const size_t count = static_cast<size_t>(std::max(1, (h - 6) / 15));
  const std::vector<std::u16string> lines = wrap(text, perLine, count);
  const std::string sw = std::to_string(w), sh = std::to_string(h);
  std::string out = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + sw + "\" height=\"" +
                    sh + "\" viewBox=\"0 0 " + sw + " " + sh + "\">\n";
  out += "<rect x=\"0.5\" y=\"0.5\" width=\"" + std::to_string(std::max(1, w - 1)) +
         "\" height=\"" + std::to_string(std::max(1, h - 1)) +
         "\" fill=\"#f4f4f4\" stroke=\"#999999\" stroke-dasharray=\"4 3\"/>\n";
  out +=
      "<text font-family=\"sans-serif\" font-size=\"12\" fill=\"#444444\" text-anchor=\"middle\">";
  const double top = h / 2.0 - 7.5 * static_cast<double>(lines.size() - 1) + 4;
  for (size_t i = 0; i < lines.size(); ++i) {
    out += "<tspan x=\"" + std::to_string(w / 2) + "\" y=\"" +
           shortest(top + 15.0 * static_cast<double>(i)) + "\">";
    xmlEscape(out, support::toUtf8(lines[i]));
    out += "</tspan>";
  }
  out += "</text>\n</svg>\n";
  return out;
}

}  // namespace word::write
