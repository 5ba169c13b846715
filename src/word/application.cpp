#include "word/application.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <system_error>
#include <utility>

#include "support/files.h"
#include "support/runtime_error.h"
#include "word/engine.h"
#include "word/error.h"
#include "word/read/reader.h"
#include "word/story_ops.h"
#include "word/write/pictures/converter.h"
#include "word/write/writers.h"

namespace word {

using engine::Access;
using engine::ApplicationState;
using engine::DocumentState;
using engine::clampPos;
using engine::shiftSelection;
using engine::storyLength;

uint32_t engine::storyLength(const DocumentState& doc) {
  return static_cast<uint32_t>(doc.model.main.text.size());
}

uint32_t engine::clampPos(int64_t pos, uint32_t length) {
  if (pos < 0) return 0;
  return pos > length ? length : static_cast<uint32_t>(pos);
}

namespace {

// The selection rules every setter ends with: positions inside the story,
// start <= end, and an insertion point never after the final paragraph mark.
void normalizeSelection(DocumentState& doc) {
  const uint32_t length = storyLength(doc);
  uint32_t start = clampPos(doc.selStart, length);
  uint32_t end = clampPos(doc.selEnd, length);
  if (start > end) start = end;
  if (start == end && end == length && length > 0) start = end = length - 1;
  doc.selStart = static_cast<int32_t>(start);
  doc.selEnd = static_cast<int32_t>(end);
}

}  // namespace

void engine::shiftSelection(DocumentState& doc, uint32_t pos, int64_t delta) {
  auto shift = [&](int32_t& p) {
    const int64_t q = p;
    if (delta >= 0) {
      if (q >= pos) p = static_cast<int32_t>(q + delta);  // text inserted before it
    } else if (q >= pos - delta) {
      p = static_cast<int32_t>(q + delta);
    } else if (q > pos) {
      p = static_cast<int32_t>(pos);  // inside the deleted text
    }
  };
  shift(doc.selStart);
  shift(doc.selEnd);
  normalizeSelection(doc);
}

namespace {

constexpr const char* kNoSuchMemberText = "The requested member of the collection does not exist.";

// The word processor's number of an argument, for a message about it.
template <typename Enum>
std::string numberOf(Enum value) {
  return std::to_string(static_cast<int32_t>(value));
}

Model emptyModel() {
  Model m;
  m.main.text = std::u16string(1, kParagraphMark);
  m.main.paragraphs.push_back({1, {}});
  m.main.runs.push_back({0, {}});
  Style normal;
  normal.name = u"Normal";
  m.styles.push_back(normal);
  return m;
}

std::string absolutePath(const std::string& fileName) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path p = fs::absolute(fs::path(fileName), ec);
  if (ec) p = fs::path(fileName);
  fs::path canonical = fs::weakly_canonical(p, ec);
  return ec ? p.lexically_normal().string() : canonical.string();
}

// The page title: the document's first line of visible text, as the word
// processor offers it, else the file's name.
std::u16string pageTitle(const Model& model, const std::string& fileName) {
  const Story& s = model.main;
  uint32_t start = 0;
  for (const Paragraph& p : s.paragraphs) {
    std::u16string line;
    for (uint32_t i = start; i < p.end && line.size() < 255; ++i) {
      char16_t c = s.text[i];
      if (c >= 32)
        line.push_back(c);
      else if (c == kTab || c == kLineBreak)
        line.push_back(u' ');
    }
    start = p.end;
    size_t a = line.find_first_not_of(u' ');
    if (a == std::u16string::npos) continue;
    size_t b = line.find_last_not_of(u' ');
    return line.substr(a, b - a + 1);
  }
  std::u16string stem;
  for (char c : std::filesystem::path(fileName).stem().string())
    stem.push_back(static_cast<unsigned char>(c));
  return stem;
}

// Table `index` (1-based) among the outermost tables the span touches.
ptrdiff_t outermostTable(DocumentState& doc, uint32_t start, uint32_t end, int32_t index) {
  if (index < 1) return -1;
  const Story& story = doc.model.main;
  int32_t seen = 0;
  ptrdiff_t holding = doc.outerTableAt(start);
  if (holding >= 0 && ++seen == index) return holding;
  auto it = std::upper_bound(story.tables.begin(), story.tables.end(), start,
                             [](uint32_t p, const Table& t) { return p < t.start; });
  for (; it != story.tables.end() && it->start < end; ++it) {
    if (it->depth != 1) continue;
    if (++seen == index) return it - story.tables.begin();
  }
  return -1;
}

}  // namespace

// ------------------------------------------------------------ Bookmarks

int32_t Bookmarks::count() const {
  return static_cast<int32_t>(engine::model(*doc_).main.bookmarks.size());
}

void Bookmarks::remove(int32_t index) {
  auto& marks = engine::model(*doc_).main.bookmarks;
  if (index < 1 || index > static_cast<int32_t>(marks.size()))
    fail(kNoSuchMember, kNoSuchMemberText);
  marks.erase(marks.begin() + (index - 1));
}

std::u16string Bookmarks::name(int32_t index) const {
  const auto& marks = engine::model(*doc_).main.bookmarks;
  if (index < 1 || index > static_cast<int32_t>(marks.size()))
    fail(kNoSuchMember, kNoSuchMemberText);
  return marks[static_cast<size_t>(index - 1)].name;
}

// ------------------------------------------------------------- Document

Document::Document(Application& app, std::string fullName, Model model)
    : app_(&app),
      fullName_(std::move(fullName)),
      state_(std::make_unique<DocumentState>(std::move(model))) {}

Document::~Document() = default;

uint64_t Document::edition() const {
  return state_->edition;
}

uint64_t DocumentState::nextEdition() {
  static std::atomic<uint64_t> last{0};
  return ++last;
}

namespace {

write::HtmlSpan htmlSpan(StorySpan span) {
  return {static_cast<uint32_t>(std::max(0, span.start)),
          static_cast<uint32_t>(std::max(0, span.end))};
}

}  // namespace

std::string Document::textExport(StorySpan asHtml) {
  return write::text(state_->model, write::TextEncoding::Windows1251, htmlSpan(asHtml));
}

Document::ParagraphSpan Document::paragraph(int32_t position) {
  const Story& s = state_->model.main;
  const uint32_t pos = clampPos(position, storyLength(*state_));
  auto it = std::upper_bound(s.paragraphs.begin(), s.paragraphs.end(), pos,
                             [](uint32_t p, const Paragraph& para) { return p < para.end; });
  if (it == s.paragraphs.end() && it != s.paragraphs.begin()) --it;
  ParagraphSpan span;
  span.end = it == s.paragraphs.end() ? 0 : static_cast<int32_t>(it->end);
  span.start = it == s.paragraphs.begin() ? 0 : static_cast<int32_t>(std::prev(it)->end);
  // Paragraphs before this one, less the marks that end table rows.
  const auto rowEnds = static_cast<int32_t>(state_->rowEndsUpTo(static_cast<uint32_t>(span.start)));
  span.number = static_cast<int32_t>(it - s.paragraphs.begin()) - rowEnds + 1;
  return span;
}

std::optional<engine::FileStamp> engine::stampOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return FileStamp{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino),
                   static_cast<uint64_t>(st.st_size), st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
}

void DocumentState::refreshIndex() {
  const Story& s = model.main;
  if (outerValid_ && outerText_ == s.text.size() && outerTables_ == s.tables.size()) return;
  outer_.clear();
  rowEnds_.clear();
  for (size_t i = 0; i < s.tables.size(); ++i) {
    if (s.tables[i].depth == 1) outer_.push_back(static_cast<uint32_t>(i));
    for (const Row& r : s.tables[i].rows) rowEnds_.push_back(r.end);
  }
  std::sort(rowEnds_.begin(), rowEnds_.end());
  outerValid_ = true;
  outerText_ = s.text.size();
  outerTables_ = s.tables.size();
}

size_t DocumentState::rowEndsUpTo(uint32_t pos) {
  refreshIndex();
  return static_cast<size_t>(std::upper_bound(rowEnds_.begin(), rowEnds_.end(), pos) -
                             rowEnds_.begin());
}

ptrdiff_t DocumentState::outerTableAt(uint32_t pos) {
  const Story& s = model.main;
  refreshIndex();
  auto it = std::upper_bound(outer_.begin(), outer_.end(), pos,
                             [&](uint32_t p, uint32_t i) { return p < s.tables[i].start; });
  if (it == outer_.begin()) return -1;
  --it;
  return pos < s.tables[*it].end ? static_cast<ptrdiff_t>(*it) : -1;
}

Range Document::content() {
  return Range(*app_, *this, 0, static_cast<int32_t>(storyLength(*state_)));
}

namespace {

SaveResult saveModel(const Model& model, const std::string& fileName, SaveFormat format,
                     const SaveFilter& filter, write::PictureConverter& pictures,
                     StorySpan asHtml) {
  if (format != wdFormatHTML && format != wdFormatText)
    fail(kBadParameter,
         "Save format " + numberOf(format) + " is not supported: use 8 (HTML) or 2 (plain text).");
  if (fileName.empty()) fail(kBadParameter, "No file name was given to save the document as.");
  SaveResult result;
  if (format == wdFormatHTML) {
    write::HtmlPage page =
        write::html(model, write::filesFolderOf(fileName), pageTitle(model, fileName), &pictures);
    result.placeholders = page.placeholders;
    write::savePage(fileName, std::move(page), filter);
    return result;
  }
  std::string bytes = write::text(model, write::TextEncoding::Windows1251, htmlSpan(asHtml));
  if (filter) bytes = filter(std::move(bytes));
  try {
    support::writeFile(fileName, bytes);
  } catch (const Error& e) {
    if (e.source() == kEngineSource) throw;
    throw Error(kCannotSave, kEngineSource,
                "The file \"" + fileName + "\" could not be written: " + e.description(),
                e.detail());
  }
  return result;
}

}  // namespace

SaveResult Document::saveAs(const std::string& fileName, SaveFormat format,
                            const SaveFilter& filter, StorySpan asHtml) {
  SaveResult result =
      saveModel(state_->model, fileName, format, filter, engine::pictures(*app_), asHtml);
  // Like the word processor, the document now carries the name it was saved as.
  std::error_code ec;
  std::filesystem::path p = std::filesystem::absolute(std::filesystem::path(fileName), ec);
  fullName_ = ec ? fileName : p.string();
  resolved_ = false;
  return result;
}

const std::string& Document::fullName() const {
  if (!resolved_) {
    fullName_ = absolutePath(fullName_);
    resolved_ = true;
  }
  return fullName_;
}

std::string Document::language() const {
  return state_->model.language;
}

const std::vector<std::u16string>& Document::headerFooterLines() const {
  return state_->model.headerFooterLines;
}

std::vector<Document::UnseenLine> Document::unseenLines() const {
  std::vector<UnseenLine> lines;
  for (const Model::UnseenLine& l : state_->model.unseenLines)
    lines.push_back({static_cast<int32_t>(l.pos), l.text, l.hidden, l.deleted});
  return lines;
}

void Document::close(SaveChanges saveChanges) {
  if (saveChanges != wdDoNotSaveChanges)
    fail(kBadParameter, "Documents can only be closed without saving (SaveChanges 0).");
  engine::closeDocument(*app_, *this);  // destroys *this
}

// ------------------------------------------------------------ Selection

Document& Selection::doc() const {
  return app_->activeDocument();
}

int32_t Selection::start() const {
  return Access::of(doc()).selStart;
}
int32_t Selection::end() const {
  return Access::of(doc()).selEnd;
}

void Selection::setStart(int32_t pos) {
  DocumentState& d = Access::of(doc());
  d.selStart = static_cast<int32_t>(clampPos(pos, storyLength(d)));
  if (d.selEnd < d.selStart) d.selEnd = d.selStart;
  normalizeSelection(d);
}

void Selection::setEnd(int32_t pos) {
  DocumentState& d = Access::of(doc());
  d.selEnd = static_cast<int32_t>(clampPos(pos, storyLength(d)));
  if (d.selStart > d.selEnd) d.selStart = d.selEnd;
  normalizeSelection(d);
}

std::u16string Selection::text() const {
  Document& d = doc();
  const DocumentState& s = Access::of(d);
  return Range(*app_, d, s.selStart, s.selEnd).text();
}

SelectionType Selection::type() const {
  const DocumentState& d = Access::of(doc());
  return d.selStart == d.selEnd ? wdSelectionIP : wdSelectionNormal;
}

bool Selection::information(Information what) const {
  if (what != wdWithInTable)
    fail(kBadParameter,
         "Information type " + numberOf(what) + " is not supported (only 12, within a table).");
  DocumentState& d = Access::of(doc());
  return d.outerTableAt(static_cast<uint32_t>(d.selStart)) >= 0;
}

namespace {

// The format of the paragraph holding `position`.
const ParagraphFormat& paragraphFormatAt(const DocumentState& d, int32_t position) {
  static const ParagraphFormat kNone;
  const Story& s = d.model.main;
  const size_t p = ops::paragraphAt(s, clampPos(position, storyLength(d)));
  return p < s.paragraphs.size() ? s.paragraphs[p].format : kNone;
}

}  // namespace

StoryType Selection::storyType() const {
  const ParagraphFormat& f = paragraphFormatAt(Access::of(doc()), start());
  return f.textBox && !f.inFrame ? wdTextFrameStory : wdMainTextStory;
}

int32_t Selection::outlineLevel() const {
  const uint8_t level = paragraphFormatAt(Access::of(doc()), start()).outlineLevel;
  return level < 9 ? level + 1 : wdOutlineLevelBodyText;
}

std::u16string Selection::styleName() const {
  const DocumentState& d = Access::of(doc());
  const auto style = static_cast<size_t>(paragraphFormatAt(d, start()).style);
  return style < d.model.styles.size() ? d.model.styles[style].name : std::u16string();
}

void Selection::selectTable(int32_t index) {
  DocumentState& d = Access::of(doc());
  const Story& s = d.model.main;
  ptrdiff_t t =
      outermostTable(d, static_cast<uint32_t>(d.selStart), static_cast<uint32_t>(d.selEnd), index);
  if (t < 0) fail(kNoSuchMember, kNoSuchMemberText);
  d.selStart = static_cast<int32_t>(s.tables[static_cast<size_t>(t)].start);
  d.selEnd = static_cast<int32_t>(s.tables[static_cast<size_t>(t)].end);
}

int32_t Selection::moveDown(Unit unit, int32_t count, Movement extend) {
  const bool extending = extend != wdMove;
  if (unit != wdParagraph && unit != wdLine)
    fail(kBadParameter,
         "MoveDown supports the units 4 (paragraph) and 5 (line), not " + numberOf(unit) + ".");
  if (count < 0) fail(kBadParameter, "MoveDown needs a count of 0 or more.");
  DocumentState& d = Access::of(doc());
  const Story& s = d.model.main;
  const uint32_t length = storyLength(d);
  int32_t moved = 0;
  for (int32_t i = 0; i < count; ++i) {
    const uint32_t start = static_cast<uint32_t>(d.selStart), end = static_cast<uint32_t>(d.selEnd);
    // Extending moves the end on from where it stands; moving goes down from
    // the selection's last character, so a selected table is left behind.
    uint32_t from = extending || start == end ? end : end - 1;
    if (from >= length) break;
    uint32_t target;
    ptrdiff_t t = unit == wdLine ? d.outerTableAt(from) : -1;
    if (t >= 0) {
      // Without layout, a line inside a table is a row of the outermost table.
      const Table& table = s.tables[static_cast<size_t>(t)];
      target = table.rows[ops::rowAt(table, from)].end;
    } else {
      size_t p = ops::paragraphAt(s, from);
      if (p >= s.paragraphs.size()) break;
      target = s.paragraphs[p].end;
    }
    if (extending) {
      if (target <= end) break;
      d.selEnd = static_cast<int32_t>(target);
    } else {
      uint32_t ip = target >= length ? length - 1 : target;
      if (start == end && ip == start) break;
      d.selStart = d.selEnd = static_cast<int32_t>(ip);
    }
    ++moved;
  }
  normalizeSelection(d);
  return moved;
}

int32_t Selection::homeKey(Unit unit, Movement extend) {
  const bool extending = extend != wdMove;
  DocumentState& d = Access::of(doc());
  const Story& s = d.model.main;
  uint32_t target;
  if (unit == wdStory) {
    target = 0;
  } else if (unit == wdLine) {
    target = ops::paragraphStart(s, ops::paragraphAt(s, static_cast<uint32_t>(d.selStart)));
  } else {
    fail(kBadParameter,
         "HomeKey supports the units 5 (line) and 6 (story), not " + numberOf(unit) + ".");
  }
  int32_t moved = d.selStart - static_cast<int32_t>(target);
  d.selStart = static_cast<int32_t>(target);
  if (!extending) d.selEnd = d.selStart;
  normalizeSelection(d);
  return moved < 0 ? -moved : moved;
}

int32_t Selection::endKey(Unit unit, Movement extend) {
  const bool extending = extend != wdMove;
  DocumentState& d = Access::of(doc());
  const Story& s = d.model.main;
  const uint32_t length = storyLength(d);
  uint32_t target;
  if (unit == wdStory) {
    target = extending ? length : (length > 0 ? length - 1 : 0);
  } else if (unit == wdLine) {
    size_t p = ops::paragraphAt(s, static_cast<uint32_t>(d.selEnd));
    target = p < s.paragraphs.size() ? s.paragraphs[p].end - 1 : (length > 0 ? length - 1 : 0);
  } else {
    fail(kBadParameter,
         "EndKey supports the units 5 (line) and 6 (story), not " + numberOf(unit) + ".");
  }
  target = std::max<uint32_t>(target, extending ? static_cast<uint32_t>(d.selStart) : 0);
  int32_t moved = static_cast<int32_t>(target) - d.selEnd;
  d.selEnd = static_cast<int32_t>(target);
  if (!extending) d.selStart = d.selEnd;
  normalizeSelection(d);
  return moved < 0 ? -moved : moved;
}

void Selection::insertAfter(std::u16string_view text) {
  DocumentState& d = Access::of(doc());
  Model& model = d.model;
  const uint32_t length = storyLength(d);
  uint32_t pos = std::min<uint32_t>(static_cast<uint32_t>(d.selEnd), length > 0 ? length - 1 : 0);
  uint32_t start = std::min<uint32_t>(static_cast<uint32_t>(d.selStart), pos);
  uint32_t n = ops::insert(model, pos, ops::textFragment(model, pos, text), &pos);
  d.storyChanged();
  start = std::min(start, pos);
  d.selStart = static_cast<int32_t>(start);
  d.selEnd = static_cast<int32_t>(pos + n);
  normalizeSelection(d);
}

Range Selection::range() {
  Document& d = doc();
  const DocumentState& s = Access::of(d);
  return Range(*app_, d, s.selStart, s.selEnd);
}

// ------------------------------------------------------------ Documents

Document& Documents::open(const std::string& fileName) {
  namespace fs = std::filesystem;
  if (fileName.empty()) fail(kFileNotFound, "No file name was given.");
  const std::string full = absolutePath(fileName);
  if (Document* open = engine::findOpen(*app_, full)) {
    // A document whose file has changed since it was read is read again:
    // the author who fixed it and converts again gets the new text.
    const std::optional<engine::FileStamp>& stamp = Access::of(*open).fileStamp;
    if (!stamp || stamp == engine::stampOf(full)) {
      engine::activate(*app_, *open);
      return *open;
    }
    engine::closeDocument(*app_, *open);
  }
  std::error_code ec;
  fs::file_status st = fs::status(full, ec);
  if (ec || !fs::exists(st))
    fail(kFileNotFound, "The file \"" + fileName + "\" could not be found.");
  if (fs::is_directory(st))
    fail(kCannotOpen, "\"" + fileName + "\" is " + read::folderInsteadOfDocument(full) + ".");
  // Taken before the file is read: a change while it is read shows next time.
  const std::optional<engine::FileStamp> stamp = engine::stampOf(full);
  Model model;
  try {
    model = read::load(full);
  } catch (const Error& e) {
    // The readers say what is wrong; the description also names the file.
    // The file helpers speak in run-time numbers: the caller expects the
    // engine's own.
    int32_t number = e.source() == kEngineSource
                         ? e.number()
                         : (e.number() == support::kFileNotFound ? kFileNotFound : kCannotOpen);
    fail(number, "The document \"" + fileName + "\" cannot be opened: " + e.description());
  } catch (const std::bad_alloc&) {
    fail(kCannotOpen, "The file \"" + fileName + "\" is too large to open.");
  }
  Document& doc = engine::adopt(*app_, full, std::move(model));
  Access::of(doc).fileStamp = stamp;
  // Each document read has its pictures' budget of its own.
  engine::pictures(*app_).newDocument();
  return doc;
}

Document& Documents::add() {
  std::string name = "Document" + std::to_string(++Access::of(*app_).documentsAdded);
  return engine::adopt(*app_, std::move(name), emptyModel());
}

int32_t Documents::count() const {
  return static_cast<int32_t>(Access::of(*app_).docs.size());
}

// ---------------------------------------------------------- Application

Application::Application() : state_(std::make_unique<engine::ApplicationState>()) {
  // The HTML export is the built-in format 8; listing it lets a lookup by
  // class name find the same number.
  converters_.push_back({"HTML", wdFormatHTML});
}

Application::~Application() = default;

Document& Application::activeDocument() {
  if (state_->activation.empty())
    fail(kNoDocument, "This command is not available because no document is open.");
  return *state_->activation.back();
}

// --------------------------------------------------------------- engine

engine::ApplicationState::ApplicationState() = default;
engine::ApplicationState::~ApplicationState() = default;

write::PictureConverter& engine::pictures(Application& app) {
  std::unique_ptr<write::PictureConverter>& pictures = Access::of(app).pictures;
  if (!pictures) pictures = std::make_unique<write::PictureConverter>();
  return *pictures;
}

Document& engine::adopt(Application& app, std::unique_ptr<Document> doc) {
  ApplicationState& state = Access::of(app);
  state.docs.push_back(std::move(doc));
  Document& d = *state.docs.back();
  normalizeSelection(Access::of(d));
  activate(app, d);
  return d;
}

Document& engine::adopt(Application& app, std::string fullName, Model model) {
  return adopt(app, std::make_unique<Document>(app, std::move(fullName), std::move(model)));
}

void engine::activate(Application& app, Document& doc) {
  std::vector<Document*>& activation = Access::of(app).activation;
  std::erase(activation, &doc);
  activation.push_back(&doc);
}

void engine::closeDocument(Application& app, Document& doc) {
  ApplicationState& state = Access::of(app);
  std::erase(state.activation, &doc);
  std::erase_if(state.docs, [&](const std::unique_ptr<Document>& d) { return d.get() == &doc; });
}

Document* engine::findOpen(Application& app, const std::string& fullName) {
  for (auto& d : Access::of(app).docs)
    if (d->fullName() == fullName) return d.get();
  return nullptr;
}

}  // namespace word
