#include "pages/replace_body.h"

#include <sys/stat.h>

#include <array>
#include <utility>

#include "convert/failure.h"
#include "convert/text.h"
#include "convert/textfile.h"
#include "support/files.h"
#include "support/runtime_error.h"

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
      if (convert::lowerAscii(reference.substr(i, form.size())) == form) {
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

std::optional<std::string> rewriteLine(std::string line, convert::StatusSink& status) {
  if (startsWithTag(line, "<body")) return std::string("<body>");
  if (startsWithTag(line, "<title")) return std::nullopt;
  // Most lines hold no link marker: nothing more to do.
  if (line.find('%') == std::string::npos) return line;

  line = convert::replaceAll(line, "%a=", "%A=");
  line = convert::replaceAll(line, "%a#", "%A#");

  enum { None, Rewritten, Failed } state = None;
  size_t p = line.find("%A=");
  while (p != std::string::npos) {
    const size_t q = line.find("%A#", p);
    if (q == std::string::npos) {
      status.showStatus(u"Error %A= not closed: " + convert::widen(line));
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
  if (state == Rewritten) status.showStatus(u"link: " + convert::widen(line));
  return line;
}

void replaceBody(convert::StatusSink& status, const std::string& outputFolder, int32_t entryNumber) {
  const std::string page = outputFolder + "page" + std::to_string(entryNumber) + ".htm";
  const std::string scratch = outputFolder + "page0.htm";
  bool scratchWritten = false;
  try {
    // Entry 0 would be the scratch file itself.
    if (entryNumber == 0) support::raise(55);
    const std::string bytes = support::readFile(page);
    std::string rewritten;
    rewritten.reserve(bytes.size() + bytes.size() / 16);
    for (std::string_view line : convert::splitLines(bytes, false)) {
      if (auto out = rewriteLine(std::string(line), status)) {
        rewritten += *out;
        rewritten += "\r\n";
      }
    }
    scratchWritten = true;
    // The scratch file is reused from the last rewrite, when it took the
    // old page's place: should that have been a link, it must not lead the
    // write elsewhere.
    struct stat st {};
    if (::lstat(scratch.c_str(), &st) == 0 && (!S_ISREG(st.st_mode) || st.st_nlink > 1))
      convert::removeQuietly(scratch);
    support::writeFile(scratch, rewritten);
    convert::swapOrRenameOver(scratch, page);
  } catch (...) {
    const support::Error e = convert::currentError();
    if (scratchWritten) convert::removeQuietly(scratch);
    status.showStatus(u"replaceBody: Filename " + convert::widen(page) + u", error # " +
                      convert::errorDetail(e));
  }
}

void removeScratch(const std::string& outputFolder) {
  convert::removeQuietly(outputFolder + "page0.htm");
}

}  // namespace pages
