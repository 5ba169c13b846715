#include "pages/replace_body.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

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

// Whether the line holds a link marker in either case ("%A=", "%a#"):
// only such a line can a rewrite change (a "%" of a width cannot).
bool holdsLinkMarker(std::string_view line) {
  for (size_t at = line.find('%'); at != std::string_view::npos; at = line.find('%', at + 1))
    if (at + 2 < line.size() && (line[at + 1] | 0x20) == 'a' &&
        (line[at + 2] == '=' || line[at + 2] == '#'))
      return true;
  return false;
}

}  // namespace

namespace {

// The line being rewritten. A rewrite puts the link's own text back in front
// of what is still to be read, and reading goes on from there (so a marker
// inside a reference or a link's text is rewritten too, as it always was).
// What is still to be read is kept reversed, so that taking its next
// character and putting text back in front are both at the string's end.
// A link's text stays where it is: its closing marker's three places turn
// into one that reads as "</a>" and two that read as nothing, and the
// places of the closing markers and blanks ahead are kept, so that links
// nested a thousand deep are not each copied and searched again. A line is
// rewritten in time linear in its length.
class LineRewriter {
 public:
  explicit LineRewriter(std::string_view line) {
    done_.reserve(line.size());  // the line, at least, comes out
    putBack(line);
  }

  // Moves everything up to the next "%A=" into the output and takes the
  // marker; false when there is none.
  bool toNextMarker() {
    while (ahead_.size() >= kReferenceOpen.size()) {
      if (isAt(0, kReferenceOpen)) {
        drop(kReferenceOpen.size());
        return true;
      }
      // No marker starts before the next "%": all up to it moves at once,
      // not a place at a time (a long paragraph's line is mostly such).
      size_t n = 1;
      const size_t most = ahead_.size() - (kReferenceOpen.size() - 1);
      while (n < most && at(n) != u'%') ++n;
      for (size_t i = 0; i < n; ++i) append(done_, at(i));
      drop(n);
    }
    return false;
  }

  // Where the "%A#" that closes the marker just taken starts, counted from
  // the next place to read, and where its first blank is, if before it.
  bool findClose(size_t& close, size_t& blank) const {
    if (closes_.empty()) return false;
    close = ahead_.size() - 1 - closes_.back();
    blank = !blanks_.empty() && blanks_.back() > closes_.back() ? ahead_.size() - 1 - blanks_.back()
                                                                : std::string::npos;
    return true;
  }

  // The next `n` places, taken, as the text they read as.
  std::string take(size_t n) {
    std::string out;
    for (size_t i = 0; i < n; ++i) append(out, at(i));
    drop(n);
    return out;
  }
  // The closing marker found last reads as "</a>" from now on.
  void endLinkAtClose() {
    const size_t top = closes_.back();
    closes_.pop_back();
    ahead_[top] = kLinkEnd;
    ahead_[top - 1] = ahead_[top - 2] = kNothing;
    ++aheadLetters_;  // three letters become the four of "</a>"
  }
  void emit(std::string_view text) { done_ += text; }
  // Puts `text` in front of what is still to be read.
  void putBack(std::string_view text) {
    const size_t from = ahead_.size();
    ahead_.resize(from + text.size());
    std::transform(text.rbegin(), text.rend(), ahead_.begin() + static_cast<ptrdiff_t>(from),
                   [](char c) { return static_cast<char16_t>(static_cast<unsigned char>(c)); });
    aheadLetters_ += text.size();
    for (size_t i = from; i < ahead_.size(); ++i) {
      if (ahead_[i] == ' ') blanks_.push_back(i);
      if (i >= 2 && ahead_[i] == '%' && ahead_[i - 1] == 'A' && ahead_[i - 2] == '#')
        closes_.push_back(i);
    }
  }
  size_t size() const { return done_.size() + aheadLetters_; }
  std::string line() const {
    std::string out;
    out.reserve(done_.size() + ahead_.size());
    out = done_;
    for (auto it = ahead_.rbegin(); it != ahead_.rend(); ++it) append(out, *it);
    return out;
  }

 private:
  static constexpr char16_t kLinkEnd = 0x100, kNothing = 0x101;
  static void append(std::string& out, char16_t c) {
    if (c == kLinkEnd)
      out += "</a>";
    else if (c != kNothing)
      out += static_cast<char>(c);
  }
  void drop(size_t n) {
    for (size_t i = ahead_.size() - n; i < ahead_.size(); ++i)
      aheadLetters_ -= ahead_[i] == kLinkEnd ? 4 : ahead_[i] == kNothing ? 0 : 1;
    ahead_.resize(ahead_.size() - n);
    while (!closes_.empty() && closes_.back() >= ahead_.size()) closes_.pop_back();
    while (!blanks_.empty() && blanks_.back() >= ahead_.size()) blanks_.pop_back();
  }
  char16_t at(size_t i) const { return ahead_[ahead_.size() - 1 - i]; }
  bool isAt(size_t i, std::string_view marker) const {
    for (size_t k = 0; k < marker.size(); ++k)
      if (at(i + k) != static_cast<unsigned char>(marker[k])) return false;
    return true;
  }
  std::string done_;
  std::u16string ahead_;        // reversed: a byte, or kLinkEnd or kNothing
  std::vector<size_t> closes_;  // places of the closing markers' "%", ascending
  std::vector<size_t> blanks_;  // places of the blanks, ascending
  size_t aheadLetters_ = 0;     // the letters they read as
};

}  // namespace

LinkRewrite rewriteLinks(std::string line) {
  line = support::replaceAll(line, "%a=", kReferenceOpen);
  line = support::replaceAll(line, "%a#", kReferenceClose);

  // Markers nested in the text a link carries could double the line with
  // every link; rewriting stops well before the line could fill the memory.
  const size_t limit = 16 * line.size() + (size_t{1} << 20);
  LinkRewrite out;
  LineRewriter r(line);
  while (r.size() <= limit && r.toNextMarker()) {
    size_t close = 0, blank = 0;
    if (!r.findClose(close, blank)) {
      r.putBack(kReferenceOpen);
      out.notClosed = true;
      break;
    }
    std::string reference, text;
    if (blank < close) {
      // The text stays in place, its closing marker now the link's end.
      r.endLinkAtClose();
      reference = r.take(blank);
      r.take(1);
    } else {
      reference = text = r.take(close);
      r.take(kReferenceClose.size());
      text += "</a>";
    }
    r.emit(kLinkOpening);
    std::string link = "'";
    link += scriptString(reference);
    r.putBack(link + "'" + kLinkMiddle + text);
    out.references.push_back(std::move(reference));
  }
  out.line = r.line();
  return out;
}

std::optional<std::string> rewriteLine(std::string line, course::StatusSink& status) {
  if (startsWithTag(line, "<body")) return std::string("<body>");
  if (startsWithTag(line, "<title")) return std::nullopt;
  // Most lines hold no link marker: nothing more to do.
  if (!holdsLinkMarker(line)) return line;
  LinkRewrite rewritten = rewriteLinks(std::move(line));
  if (rewritten.notClosed)
    status.showStatus(u"Error %A= not closed: " + support::widen(rewritten.line));
  else if (!rewritten.references.empty())
    status.showStatus(u"link: " + support::widen(rewritten.line));
  return std::move(rewritten.line);
}

std::string replaceBody(std::string_view saved, course::StatusSink& status) {
  std::string rewritten;
  rewritten.reserve(saved.size() + saved.size() / 16);
  for (std::string_view line : support::splitLines(saved, false)) {
    // Most lines pass unchanged: no copy of their own for them.
    if (!holdsLinkMarker(line) && !startsWithTag(line, "<body") &&
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
