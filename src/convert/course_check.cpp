#include "convert/course_check.h"

#include <algorithm>
#include <optional>
#include <set>

#include "course/file_names.h"
#include "package/contents.h"
#include "package/course_settings.h"
#include "pages/replace_body.h"
#include "quiz/quiz_reader.h"
#include "support/codepage.h"
#include "support/strings.h"

namespace convert {
namespace {

constexpr const char* kPreview = "pvomanifest.htm";

// One line of the outline preview: "ITEM<pid>|title|file|flag". A title
// may hold "|", so the fields are taken from both ends, as the player does.
struct PreviewLine {
  std::string item, title, file;
  std::string listed;  // the file as the preview names it, whatever course.js gives
};

std::vector<PreviewLine> readPreview(const std::string& bytes) {
  std::vector<PreviewLine> out;
  const std::string text = support::toUtf8(support::fromCodePage(bytes, support::kCyrillic));
  size_t from = 0;
  while (from < text.size()) {
    size_t end = text.find_first_of("\r\n", from);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(from, end - from);
    from = end + 1;
    if (line.starts_with("%MANIFEST_END")) break;
    const size_t first = line.find('|'), last = line.rfind('|');
    if (!line.starts_with("ITEM") || first == std::string::npos || last == 0) continue;
    const size_t beforeLast = line.rfind('|', last - 1);
    if (beforeLast == std::string::npos || beforeLast <= first) continue;
    // The preview stores titles as HTML ("&amp;", "&lt;"); messages quote
    // them as the author typed them.
    const std::string title = line.substr(first + 1, beforeLast - first - 1);
    const std::string file = line.substr(beforeLast + 1, last - beforeLast - 1);
    out.push_back({line.substr(0, first),
                   support::toUtf8(support::decodeReferences(support::fromUtf8(title))), file,
                   file});
  }
  return out;
}

// The items a reference link finds, as the player looks for them: the
// first line "ITEM" + reference, which opens a file, or (a chapter) has one
// right below it. Made once for all the course's links.
std::set<std::string> reachableItems(const std::vector<PreviewLine>& outline) {
  std::set<std::string> seen, reachable;
  for (size_t i = 0; i < outline.size(); ++i) {
    if (!seen.insert(outline[i].item).second) continue;
    if (!outline[i].file.empty() || (i + 1 < outline.size() && !outline[i + 1].file.empty()))
      reachable.insert(outline[i].item);
  }
  return reachable;
}

// The references of a page's links, as the page writer wrote them
// (showref('REF'), the script string's escapes undone).
std::vector<std::string> pageReferences(const std::string& page) {
  static const std::string open = std::string(pages::kLinkOpening) + "'";
  std::vector<std::string> refs;
  for (size_t at = page.find(open); at != std::string::npos; at = page.find(open, at + 1)) {
    std::string ref;
    size_t i = at + open.size();
    for (; i < page.size() && page[i] != '\''; ++i) {
      if (page[i] == '\\' && i + 1 < page.size()) ++i;
      ref += page[i];
    }
    refs.push_back(support::replaceAll(support::replaceAll(ref, "&#39;", "'"), "&amp;", "&"));
  }
  return refs;
}

// A page's dead reference links named one by one; the rest are counted.
constexpr size_t kMaxDeadLinks = 20;

// A title or link as a fault quotes it: a line's worth at most.
std::string quoted(const std::string& s) {
  constexpr size_t kLongest = 120;
  size_t cut = std::min(s.size(), kLongest);
  while (cut < s.size() && cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80)
    --cut;  // whole letters
  std::string out = "\"";
  out.append(s, 0, cut);
  if (cut < s.size()) out += "…";
  out += '"';
  return out;
}

void checkTest(const PreviewLine& line, int64_t number, const std::set<std::string>& files,
               const package::PackageReader& read, std::vector<std::string>& faults) {
  const std::string data = course::testDataFile(number);
  const std::string test = "the test " + quoted(line.title) + " (" + line.file + ")";
  if (!files.count(data)) {
    faults.push_back(test + " has no " + data + ": learners cannot take it");
    return;
  }
  const std::optional<std::string> bytes = read(data);
  if (!bytes) {
    faults.push_back(data + " cannot be read: learners cannot take " + test);
    return;
  }
  const std::optional<quiz::QuizProblem> problem =
      quiz::firstProblem(support::fromCodePage(*bytes, support::kCyrillic));
  if (!problem) return;
  faults.push_back(test + " cannot be shown: its quiz page stops at " + data +
                   (problem->lineNumber > 0 ? " line " + std::to_string(problem->lineNumber) : "") +
                   ": " + problem->message + "; learners cannot take it");
}

// A file name the player opens; it passes over a line with any other.
bool openedByThePlayer(const std::string& file) {
  return !file.empty() && file.front() != '.' &&
         std::all_of(file.begin(), file.end(), package::nameChar);
}

// The player opens what course.js gives each line of the preview, where it
// gives every line's: so the untitled page of a "%PID=" before the first
// heading, which the preview lists without its file, opens too. A script
// the browser cannot run gives nothing.
void filesAsThePlayerOpensThem(std::vector<PreviewLine>& outline,
                               const std::set<std::string>& files,
                               const package::PackageReader& read,
                               std::vector<std::string>& faults) {
  if (!files.count(package::kCourseScript)) return;
  const std::optional<std::string> script = read(package::kCourseScript);
  if (!script) return;
  std::vector<course::EntryFiles> opened;
  try {
    opened = package::parseCourseScript(*script, package::kCourseScript).files;
  } catch (const support::Error&) {
    // The reading refuses a damaged script too; only that is this check's.
    if (const std::optional<std::string> why = package::courseScriptFault(*script))
      faults.push_back(std::string(package::kCourseScript) + " " + *why +
                       ": the player runs the course without its pass mark and options, "
                       "opening the files the outline preview names");
    return;
  }
  if (opened.size() != outline.size()) return;
  for (size_t i = 0; i < outline.size(); ++i) outline[i].file = opened[i].opened();
}

}  // namespace

std::vector<std::string> courseFaults(const std::set<std::string>& files,
                                      const package::PackageReader& read) {
  std::vector<std::string> faults;
  if (!files.count(kPreview)) return faults;
  const std::optional<std::string> preview = read(kPreview);
  if (!preview) return {std::string(kPreview) + " cannot be read: the player has no contents"};
  std::vector<PreviewLine> outline = readPreview(*preview);
  filesAsThePlayerOpensThem(outline, files, read, faults);
  if (outline.empty() || std::all_of(outline.begin(), outline.end(),
                                     [](const PreviewLine& l) { return l.file.empty(); }))
    faults.push_back("the course has no page and no test: learners get an empty course");
  const std::set<std::string> reachable = reachableItems(outline);
  std::set<std::string> checked;  // a file the outline lists again is read once
  for (const PreviewLine& line : outline) {
    if (line.file.empty() || !checked.insert(line.file).second) continue;
    const std::string entry = quoted(line.title) + " (" + line.file + ")";
    if (!openedByThePlayer(line.file)) {
      faults.push_back("course.js gives the line " + entry +
                       " a file name the player does not open: learners never see it");
      continue;
    }
    if (line.file != line.listed && !files.count(line.file)) {
      faults.push_back("course.js gives the line " + entry +
                       " a file the package lacks: learners get an empty page");
      continue;
    }
    if (const std::optional<int64_t> test = course::testNumberOf(line.file)) {
      checkTest(line, *test, files, read, faults);
      continue;
    }
    const std::optional<std::string> page = files.count(line.file) ? read(line.file) : std::nullopt;
    if (!page) continue;  // the manifest's checks name a missing page
    size_t dead = 0;
    for (const std::string& ref : pageReferences(*page)) {
      if (reachable.count("ITEM" + support::trimWhiteSpace(ref)) || ++dead > kMaxDeadLinks)
        continue;
      faults.push_back(line.file + " (page " + quoted(line.title) + "): the reference link " +
                       quoted(ref) + " names no item of the course: it leads learners nowhere");
    }
    if (dead > kMaxDeadLinks)
      faults.push_back(line.file + " (page " + quoted(line.title) +
                       "): " + std::to_string(dead - kMaxDeadLinks) +
                       " more reference links that name no item of the course");
  }
  return faults;
}

}  // namespace convert
