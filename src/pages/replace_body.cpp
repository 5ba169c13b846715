#include "pages/replace_body.h"

#include <array>
#include <utility>

#include "support/lines.h"
#include "support/strings.h"

namespace pages {

std::string scriptString(std::string_view reference) {
  // Entity forms first: the attribute decodes them into the script.
  static const std::array<std::pair<std::string_view, std::string_view>, 5> entities = {{
      {"&#39;", "\\&#39;"},
      {"&#x27;", "\\&#39;"},
      {"&apos;", "\\&#39;"},
      {"&#92;", "\\\\"},
      {"&#x5c;", "\\\\"},
  }};
  std::string out;
  for (size_t i = 0; i < reference.size(); ++i) {
    bool matched = false;
    for (auto [form, escaped] : entities) {
      if (support::lowerAscii(reference.substr(i, form.size())) == form) {
        out += escaped;
        i += form.size() - 1;
        matched = true;
        break;
      }
    }
    if (matched) continue;
    char c = reference[i];
    if (c == '\\' || c == '\'') out += '\\';
    out += c;
  }
  return out;
}

namespace {

// Whether the line, after leading blanks, starts with `tag` (lower case) in
// any case.
bool startsWithTag(std::string_view line, std::string_view tag) {
  size_t b = line.find_first_not_of(' ');
  if (b == std::string_view::npos || line.size() - b < tag.size()) return false;
  for (size_t i = 0; i < tag.size(); ++i) {
    char c = line[b + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != tag[i]) return false;
  }
  return true;
}

}  // namespace

std::optional<std::string> rewriteLine(std::string line, course::StatusSink& status) {
  if (startsWithTag(line, "<body")) return std::string("<body>");
  if (startsWithTag(line, "<title")) return std::nullopt;
  // Most lines hold no link marker: nothing more to do.
  if (line.find('%') == std::string::npos) return line;

  line = support::replaceAll(line, "%a=", "%A=");
  line = support::replaceAll(line, "%a#", "%A#");

  enum { None, Rewritten, Failed } state = None;
  size_t p = line.find("%A=");
  while (p != std::string::npos) {
    const size_t q = line.find("%A#", p);
    if (q == std::string::npos) {
      status.showStatus(u"Error %A= not closed: " + support::widen(line));
      state = Failed;
      break;
    }
    const size_t s = line.find(' ', p);
    std::string reference, text;
    if (s != std::string::npos && s < q) {
      reference = line.substr(p + 3, s - p - 3);
      text = line.substr(s + 1, q - s - 1);
    } else {
      reference = text = line.substr(p + 3, q - p - 3);
    }
    line = line.substr(0, p) + kLinkOpening + "'" + scriptString(reference) + "'" + kLinkMiddle +
           text + "</a>" + line.substr(q + 3);
    state = Rewritten;
    p = line.find("%A=");
  }
  if (state == Rewritten) status.showStatus(u"link: " + support::widen(line));
  return line;
}

std::string replaceBody(std::string_view saved, course::StatusSink& status) {
  std::string rewritten;
  rewritten.reserve(saved.size() + saved.size() / 16);
  for (std::string_view line : support::splitLines(saved, false)) {
    // Most lines pass unchanged: no copy of their own for them.
    if (line.find('%') == std::string_view::npos && !startsWithTag(line, "<body") &&
        !startsWithTag(line, "<title")) {
      rewritten += line;
    } else if (auto out = rewriteLine(std::string(line), status)) {
      rewritten += *out;
    } else {
      continue;
    }
    rewritten += "\r\n";
  }
  return rewritten;
}

}  // namespace pages
