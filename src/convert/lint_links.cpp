#include "convert/lint_links.h"

#include <algorithm>
#include <map>
#include <optional>

#include "convert/lint_text.h"
#include "convert/mistyped.h"
#include "convert/scanner.h"
#include "support/runtime_error.h"
#include "support/strings.h"

namespace convert {
namespace {

using std::u16string;

class OutlineCheck {
 public:
  explicit OutlineCheck(std::vector<LintWarning>& found) : found_(found) {}

  void run(const std::vector<ClosedEntry>& entries, const std::vector<LinkReference>& links) {
    Outline o;
    for (const ClosedEntry& e : entries)
      if (e.kind != course::kChapterEnd) o.lines.push_back(&e);
    for (size_t i = 0; i < o.lines.size(); ++i) {
      const ClosedEntry& e = *o.lines[i];
      if (e.pid && !o.byPid.emplace(*e.pid, i).second)
        warn(e.pidAt, u"PID " + support::number(*e.pid) +
                          u" is given to two items: the manifest "
                          u"names this one ITEM" +
                          support::number(*e.pid) + u"_" + support::number(e.number) +
                          u"; give every item its own number");
    }
    o.unnumbered = static_cast<size_t>(
        std::find_if(o.lines.begin(), o.lines.end(), [](const ClosedEntry* e) { return !e->pid; }) -
        o.lines.begin());
    for (const LinkReference& r : links) checkReference(r, o);
  }

 private:
  // The outline's lines as the player reads them: every entry but a
  // chapter's end.
  struct Outline {
    std::vector<const ClosedEntry*> lines;
    std::map<int32_t, size_t> byPid;  // the first line with the PID
    size_t unnumbered = 0;            // the first line without one: "ITEM0" in the outline
    bool opens(size_t i) const {
      return i < lines.size() &&
             (course::writesPage(lines[i]->kind) || course::writesTest(lines[i]->kind));
    }
  };

  // What makes a reference as typed lead nowhere, whatever the items.
  static std::optional<u16string> typedWrong(const u16string& target) {
    // The word processor's autocorrection may put a no-break space where
    // the author typed the blank: only a plain one ends the reference.
    if (target.starts_with(u'\u00A0'))
      return u"a no-break space stands right after \"%A=\": the page writes it into the link's "
             u"reference, so the link leads learners nowhere; write the number right after "
             u"\"%A=\"";
    if (const size_t nb = target.find(u'\u00A0'); nb != u16string::npos)
      return u"a no-break space stands after " + quoted(target.substr(0, nb)) +
             u" in the link's reference: the page writes it there, so the link leads learners "
             u"nowhere; write \"%A=" +
             target.substr(0, nb) + u"\", a plain blank, then the link's text";
    // The reference ends at the first blank: "%A= 12" has none.
    if (target.empty())
      return u16string(
          u"no number follows \"%A=\" (a blank there ends the link's reference): the link "
          u"leads learners nowhere; write the number right after \"%A=\"");
    if (const u16string narrow = narrowedNumber(target); !narrow.empty())
      return u"\"%A=" + target + u"\" links to PID " + quoted(target) +
             u", typed in full-width digits, which no item has: the link leads learners "
             u"nowhere; write \"%A=" +
             narrow + u"\", in half-width digits";
    return std::nullopt;
  }

  // "“12”", "(12)", "12," or "12" and a zero-width space: the number the
  // author sees, with what the page writes into the reference beside it.
  static std::optional<u16string> numberBeside(const u16string& target) {
    const NumberWithin n = numberWithin(target);
    if (n.number.empty()) return std::nullopt;
    const u16string remedy = u", so the link leads learners nowhere; write \"%A=" + n.number +
                             u"\", the number alone, then a blank and the link's text";
    if (n.unseen)
      return u"an invisible character (such as a zero-width space or a line separator from "
             u"pasted text) stands beside " +
             quoted(n.number) +
             u" in the link's reference: the page writes it there" + remedy;
    return u"the signs beside " + quoted(n.number) + u" are part of the link's reference" + remedy;
  }

  // A reference link leads where the player leads it: to the first line of
  // the outline whose PID is the reference as the page writes it, and from
  // a chapter to the page or test right after it.
  void checkReference(const LinkReference& r, const Outline& o) {
    if (const std::optional<u16string> wrong = typedWrong(r.target)) return error(r.at, *wrong);
    std::optional<int32_t> target;
    try {
      target = parsePid(r.target);
    } catch (const support::Error&) {
    }
    const auto line = target ? o.byPid.find(*target) : o.byPid.end();
    const u16string link = u"\"%A=" + r.target + u"\" links to PID " + quoted(r.target);
    if (!target)
      if (const std::optional<u16string> number = numberBeside(r.target))
        return error(r.at, link + u": " + *number);
    if (line == o.byPid.end())
      return error(r.at, link + u", which no item has: the link leads learners nowhere; " +
                             (target && r.target == support::number(*target)
                                  ? u"correct the number, or give the item it means \"%PID=" +
                                        r.target + u"\""
                                  : u16string(u"write the number of the item it means, as its "
                                              u"\"%PID=\" line gives it")));
    const u16string pid = support::number(*target);
    if (*target == 0 && o.unnumbered < line->second)
      return error(r.at, link +
                             u", but the outline writes 0 for every item without a \"%PID=\" "
                             u"line: the link opens " +
                             quoted(o.lines[o.unnumbered]->title) +
                             u", the first of them; give the item another PID");
    if (r.target != pid && support::trimWhiteSpace(r.target) == pid)
      return error(r.at, u"a line break or tab stands beside " + quoted(pid) +
                             u" in the link's reference: the page writes it there, so the link "
                             u"leads learners nowhere; write \"%A=" +
                             pid + u"\" and a blank before the link's text");
    if (r.target != pid)  // "012" or "+12" is no "12" to the player
      return error(r.at, link +
                             u": the player looks for the item as written, but the outline "
                             u"writes its PID " +
                             quoted(pid) + u": the link leads learners nowhere; write \"%A=" + pid +
                             u"\"");
    if (!o.opens(line->second) && !o.opens(line->second + 1))
      return error(r.at, link + u", the chapter " + quoted(o.lines[line->second]->title) +
                             u", which no page or test follows: the link leads learners nowhere; "
                             u"put a page or test right after its \"%H1=\", or link to the page "
                             u"itself");
    // The page's own PID: the link opens the page the learner is on. (A
    // link to a chapter, which opens its first page, names the chapter.)
    const ClosedEntry& to = *o.lines[line->second];
    if (o.opens(line->second) && to.start <= r.at && r.at < to.end)
      warn(r.at, link + u", the page it stands on: the link opens the page the learner is "
                        u"reading; link to another item, or leave the link out");
  }

  void warn(int32_t at, u16string message) { found_.push_back({at, 0, std::move(message), {}}); }
  void error(int32_t at, u16string message) {
    found_.push_back({at, 0, std::move(message), {}, course::Severity::Error});
  }

  std::vector<LintWarning>& found_;
};

}  // namespace

void checkOutlineLinks(const std::vector<ClosedEntry>& entries,
                       const std::vector<LinkReference>& links, std::vector<LintWarning>& found) {
  OutlineCheck(found).run(entries, links);
}

}  // namespace convert
