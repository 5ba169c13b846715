#include "word/story_ops.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "word/border_lines.h"
#include "word/error.h"
#include "word/language_numbers.h"
#include "word/story_detail.h"

namespace word::ops {

size_t paragraphAt(const Story& story, uint32_t pos) {
  auto it = std::upper_bound(story.paragraphs.begin(), story.paragraphs.end(), pos,
                             [](uint32_t p, const Paragraph& para) { return p < para.end; });
  return static_cast<size_t>(it - story.paragraphs.begin());
}

uint32_t paragraphStart(const Story& story, size_t index) {
  return index == 0 ? 0 : story.paragraphs[index - 1].end;
}

size_t runAt(const Story& story, uint32_t pos) {
  auto it = std::upper_bound(story.runs.begin(), story.runs.end(), pos,
                             [](uint32_t p, const Run& run) { return p < run.start; });
  return it == story.runs.begin() ? 0 : static_cast<size_t>(it - story.runs.begin()) - 1;
}

ptrdiff_t tableAt(const Story& story, uint32_t pos, int depth) {
  const auto& tables = story.tables;
  auto it = std::upper_bound(tables.begin(), tables.end(), pos,
                             [](uint32_t p, const Table& t) { return p < t.start; });
  // Tables of one depth are disjoint and sorted, so the nearest one starting
  // at or before `pos` is the only candidate; a shallower table met first
  // means there is none inside it.
  for (ptrdiff_t i = (it - tables.begin()) - 1; i >= 0; --i) {
    const Table& t = tables[static_cast<size_t>(i)];
    if (t.depth > depth) continue;
    if (t.depth < depth) return -1;
    return pos < t.end ? i : -1;
  }
  return -1;
}

int depthAt(const Story& story, uint32_t pos) {
  int depth = 0;
  while (tableAt(story, pos, depth + 1) >= 0) ++depth;
  return depth;
}

size_t rowAt(const Table& table, uint32_t pos) {
  auto it = std::upper_bound(table.rows.begin(), table.rows.end(), pos,
                             [](uint32_t p, const Row& row) { return p < row.start; });
  return it == table.rows.begin() ? 0 : static_cast<size_t>(it - table.rows.begin()) - 1;
}

namespace detail {

ptrdiff_t cellAt(const Row& row, uint32_t pos) {
  auto it = std::upper_bound(row.cells.begin(), row.cells.end(), pos,
                             [](uint32_t p, const Cell& c) { return p < c.start; });
  if (it == row.cells.begin()) return -1;
  --it;
  return pos < it->end ? it - row.cells.begin() : -1;
}

void shiftTable(Table& t, uint32_t from, int64_t delta, bool startsAtFromMove) {
  auto move = [&](uint32_t& p, bool isStart) {
    if (p > from || (isStart && startsAtFromMove && p == from))
      p = static_cast<uint32_t>(p + delta);
  };
  move(t.start, true);
  move(t.end, false);
  for (Row& r : t.rows) {
    move(r.start, true);
    move(r.end, false);
    for (Cell& c : r.cells) {
      move(c.start, true);
      move(c.end, false);
    }
  }
}

void compactRuns(std::vector<Run>& runs, size_t textSize) {
  std::vector<Run> out;
  out.reserve(runs.size());
  for (size_t i = 0; i < runs.size(); ++i) {
    uint32_t next = i + 1 < runs.size() ? runs[i + 1].start : static_cast<uint32_t>(textSize);
    if (next <= runs[i].start && !(out.empty() && i + 1 == runs.size())) continue;
    if (!out.empty() && out.back().format == runs[i].format) continue;
    out.push_back(std::move(runs[i]));
  }
  if (!out.empty()) out.front().start = 0;
  runs = std::move(out);
}

}  // namespace detail

namespace {

using detail::cellAt;
using detail::compactRuns;
using detail::shiftTable;

// Indexes of `fragment`'s styles in `model`, adding the missing ones,
// their languages and border lines renumbered.
std::vector<int32_t> mapStyles(Model& model, const Model& fragment,
                               const std::vector<uint8_t>& languageMap,
                               const std::vector<uint8_t>& lineMap) {
  std::vector<int32_t> map(fragment.styles.size());
  std::unordered_map<std::u16string, int32_t> byName;
  for (size_t i = 0; i < model.styles.size(); ++i)
    byName.emplace(model.styles[i].name, static_cast<int32_t>(i));
  for (size_t i = 0; i < fragment.styles.size(); ++i) {
    auto it = byName.find(fragment.styles[i].name);
    if (it != byName.end()) {
      map[i] = it->second;
    } else {
      map[i] = static_cast<int32_t>(model.styles.size());
      byName.emplace(fragment.styles[i].name, map[i]);
      model.styles.push_back(fragment.styles[i]);
      model.styles.back().basedOn = -2;  // fixed below, once every style has its index
      uint8_t& language = model.styles.back().chars.language;
      language = mappedLanguage(languageMap, language);
      mapThirdLine(lineMap, model.styles.back().paragraph);
    }
  }
  for (size_t i = 0; i < fragment.styles.size(); ++i) {
    Style& s = model.styles[static_cast<size_t>(map[i])];
    if (s.basedOn != -2) continue;
    int32_t base = fragment.styles[i].basedOn;
    s.basedOn =
        base >= 0 && static_cast<size_t>(base) < map.size() ? map[static_cast<size_t>(base)] : -1;
  }
  return map;
}

int32_t mappedStyle(const std::vector<int32_t>& map, int32_t style) {
  if (map.empty()) return style;  // the fragment shares the model's styles
  return style >= 0 && static_cast<size_t>(style) < map.size() ? map[static_cast<size_t>(style)]
                                                               : 0;
}

void remapStory(Story& story, const std::vector<int32_t>& map,
                const std::vector<uint8_t>& languageMap, const std::vector<uint8_t>& lineMap) {
  if (!languageMap.empty())
    for (Run& r : story.runs) r.format.language = mappedLanguage(languageMap, r.format.language);
  if (!lineMap.empty())
    for (Paragraph& p : story.paragraphs) mapThirdLine(lineMap, p.format);
  if (map.empty()) return;
  for (Paragraph& p : story.paragraphs) p.format.style = mappedStyle(map, p.format.style);
}

bool isMark(char16_t c) {
  return c == kParagraphMark || c == kCellMark;
}

Story copyStory(const Story& src, uint32_t a, uint32_t b, const Span& span) {
  Story s;
  s.text.assign(src.text, a, b - a);
  // Each list made at its size: growing it would copy every format.
  const uint32_t last = std::max(a, b - 1);
  const size_t firstParagraph = paragraphAt(src, a), firstRun = runAt(src, a);
  s.paragraphs.reserve(paragraphAt(src, last) - firstParagraph + 1);
  s.runs.reserve(runAt(src, last) - firstRun + 1);
  // Paragraphs: whole ones up to b, then the cut one without its mark.
  for (size_t i = firstParagraph; i < src.paragraphs.size(); ++i) {
    const Paragraph& p = src.paragraphs[i];
    if (p.end <= b) {
      s.paragraphs.push_back({p.end - a, p.format});
    } else {
      if (s.paragraphs.empty() || s.paragraphs.back().end != b - a)
        s.paragraphs.push_back({b - a, p.format});
      break;
    }
    if (p.end == b) break;
  }
  for (size_t i = firstRun; i < src.runs.size() && src.runs[i].start < b; ++i) {
    const Run& r = src.runs[i];
    s.runs.push_back({r.start > a ? r.start - a : 0, r.format});
  }
  if (s.runs.empty()) s.runs.push_back({});

  // Tables: the one whose rows the span starts in, then every table that
  // starts inside; a table reaching past the end keeps its whole rows only.
  const int level = span.level;
  auto copyTable = [&](const Table& t) {
    Table out;
    out.depth = static_cast<uint8_t>(t.depth - (level - 1));
    out.align = t.align;
    out.indent = t.indent;
    out.rightToLeft = t.rightToLeft;
    out.cellSpacing = t.cellSpacing;
    out.frame = t.frame;
    out.width = t.width;
    out.widthShare = t.widthShare;
    out.fixedLayout = t.fixedLayout;
    for (const Row& r : t.rows) {
      if (r.start < a || r.end > b) continue;
      // Whole, its positions moved: a property added to a row or cell
      // travels without being named here.
      Row& row = out.rows.emplace_back(r);
      row.start -= a;
      row.end -= a;
      for (Cell& cell : row.cells) {
        cell.start -= a;
        cell.end -= a;
      }
    }
    if (out.rows.empty()) return;
    out.start = out.rows.front().start;
    out.end = out.rows.back().end;
    s.tables.push_back(std::move(out));
  };
  ptrdiff_t first = tableAt(src, a, level);
  if (first >= 0 && src.tables[static_cast<size_t>(first)].start < a)
    copyTable(src.tables[static_cast<size_t>(first)]);
  auto it = std::lower_bound(src.tables.begin(), src.tables.end(), a,
                             [](const Table& t, uint32_t p) { return t.start < p; });
  for (; it != src.tables.end() && it->start < b; ++it) {
    if (it->depth < level) continue;  // cannot happen for a widened span; kept safe
    copyTable(*it);
  }

  auto bm = std::lower_bound(src.bookmarks.begin(), src.bookmarks.end(), a,
                             [](const Bookmark& m, uint32_t p) { return m.start < p; });
  for (; bm != src.bookmarks.end() && bm->start <= b; ++bm)
    if (bm->end <= b) s.bookmarks.push_back({bm->name, bm->start - a, bm->end - a});

  // An equation cut by the range keeps its text only.
  for (const Equation& e : src.equations)
    if (e.start >= a && e.end <= b)
      s.equations.push_back({e.start - a, e.end - a, e.mathml, e.display});

  auto pic = std::lower_bound(src.pictures.begin(), src.pictures.end(), a,
                              [](const Picture& p, uint32_t pos) { return p.pos < pos; });
  for (; pic != src.pictures.end() && pic->pos < b; ++pic) {
    Picture p = *pic;
    p.pos -= a;
    s.pictures.push_back(std::move(p));
  }
  return s;
}

}  // namespace

Span wholeRows(const Story& story, uint32_t start, uint32_t end) {
  Span span{start, end, 1};
  if (end <= start) return span;
  for (int level = 1;; ++level) {
    span.level = level;
    ptrdiff_t ta = tableAt(story, span.start, level);
    ptrdiff_t tb = tableAt(story, span.end - 1, level);
    if (ta < 0 && tb < 0) return span;
    if (ta == tb) {
      const Table& t = story.tables[static_cast<size_t>(ta)];
      size_t ra = rowAt(t, span.start), rb = rowAt(t, span.end - 1);
      ptrdiff_t ca = cellAt(t.rows[ra], span.start), cb = cellAt(t.rows[rb], span.end - 1);
      if (ra == rb && ca == cb && ca >= 0) continue;  // inside one cell: look one level deeper
    }
    if (ta >= 0) {
      const Table& t = story.tables[static_cast<size_t>(ta)];
      span.start = t.rows[rowAt(t, span.start)].start;
    }
    if (tb >= 0) {
      const Table& t = story.tables[static_cast<size_t>(tb)];
      span.end = t.rows[rowAt(t, span.end - 1)].end;
    }
    return span;
  }
}

// Gives `m` those of `styles` its paragraphs use (indexes into `styles`),
// with their bases, in their order: a page copied from a long document needs
// a few of its styles, and every paste would otherwise carry all of them.
void takeUsedStyles(Model& m, const std::vector<Style>& styles) {
  const size_t count = styles.size();
  if (count == 0) return;
  std::vector<bool> keep(count, false);
  keep[0] = true;
  auto mark = [&](int32_t s) {
    // Stops at a style already kept, so a cycle of bases ends too.
    while (s >= 0 && static_cast<size_t>(s) < count && !keep[static_cast<size_t>(s)]) {
      keep[static_cast<size_t>(s)] = true;
      s = styles[static_cast<size_t>(s)].basedOn;
    }
  };
  auto markStory = [&](const Story& st) {
    for (const Paragraph& p : st.paragraphs) mark(p.format.style);
  };
  markStory(m.main);
  for (const Note& n : m.notes) markStory(n.body);
  std::vector<int32_t> map(count, -1);
  std::vector<Style> kept;
  for (size_t i = 0; i < count; ++i) {
    if (!keep[i]) continue;
    map[i] = static_cast<int32_t>(kept.size());
    kept.push_back(styles[i]);
  }
  for (Style& st : kept)
    st.basedOn = st.basedOn >= 0 && static_cast<size_t>(st.basedOn) < count
                     ? map[static_cast<size_t>(st.basedOn)]
                     : -1;
  m.styles = std::move(kept);
  auto remap = [&](Story& st) {
    for (Paragraph& p : st.paragraphs) {
      int32_t old = p.format.style;
      p.format.style = old >= 0 && static_cast<size_t>(old) < count ? std::max(map[old], 0) : 0;
    }
  };
  remap(m.main);
  for (Note& n : m.notes) remap(n.body);
}

namespace {

// The document-wide settings its text is read against, which a copy of
// it carries: one list, so that a setting added is carried both ways.
void takeTextSettings(Model& to, const Model& from) {
  to.defaultTabStop = from.defaultTabStop;
  to.language = from.language;
  to.decimalPoint = from.decimalPoint;
  to.stretchBeforeBreaks = from.stretchBeforeBreaks;
}

}  // namespace

Model copyRange(const Model& model, uint32_t start, uint32_t end) {
  Model out;
  const Story& src = model.main;
  end = std::min<uint32_t>(end, static_cast<uint32_t>(src.text.size()));
  if (start >= end) return out;  // an empty clipboard content: pastes nothing
  Span span = wholeRows(src, start, end);
  out.main = copyStory(src, span.start, span.end, span);
  auto note = std::lower_bound(model.notes.begin(), model.notes.end(), span.start,
                               [](const Note& n, uint32_t p) { return n.pos < p; });
  for (; note != model.notes.end() && note->pos < span.end; ++note) {
    Note n = *note;
    n.pos -= span.start;
    out.notes.push_back(std::move(n));
  }
  takeUsedStyles(out, model.styles);
  takeTextSettings(out, model);
  out.languages = model.languages;
  out.borderLines = model.borderLines;
  return out;
}

namespace {

// Nothing goes between a row's last cell and the row's own mark: text
// inserted at that mark goes to the end of the row's last cell.
uint32_t insertionPoint(const Story& d, uint32_t pos) {
  for (int level = 1;; ++level) {
    ptrdiff_t t = tableAt(d, pos, level);
    if (t < 0) break;
    const Table& table = d.tables[static_cast<size_t>(t)];
    const Row& row = table.rows[rowAt(table, pos)];
    if (pos + 1 == row.end && !row.cells.empty()) {
      pos = row.cells.back().end - 1;
      break;
    }
  }
  return pos;
}

// Paragraphs: the fragment's marked paragraphs go in before the one at
// `pos`; its unmarked tail joins that paragraph. An empty paragraph takes
// the tail's format: a document's last paragraph, copied without the
// final mark into a new page, would otherwise lose its alignment, spacing
// and list label. Runs after the text went in.
void insertParagraphs(Story& d, uint32_t pos, const Story& f, const std::vector<int32_t>& styleMap,
                      const std::vector<uint8_t>& lineMap) {
  const uint32_t n = static_cast<uint32_t>(f.text.size());
  const size_t pi = paragraphAt(d, pos);
  const bool emptyHere = pi < d.paragraphs.size() && d.paragraphs[pi].end == pos + 1 &&
                         (pi == 0 ? 0 : d.paragraphs[pi - 1].end) == pos;
  if (emptyHere && n && !f.paragraphs.empty() && !isMark(f.text[n - 1])) {
    d.paragraphs[pi].format = f.paragraphs.back().format;
    d.paragraphs[pi].format.style = mappedStyle(styleMap, d.paragraphs[pi].format.style);
    mapThirdLine(lineMap, d.paragraphs[pi].format);
  }
  for (size_t i = pi; i < d.paragraphs.size(); ++i) d.paragraphs[i].end += n;
  std::vector<Paragraph> paras;
  paras.reserve(f.paragraphs.size() + 1);
  for (const Paragraph& p : f.paragraphs) {
    if (p.end == 0 || !isMark(f.text[p.end - 1])) continue;
    Paragraph q{pos + p.end, p.format};
    q.format.style = mappedStyle(styleMap, q.format.style);
    mapThirdLine(lineMap, q.format);
    paras.push_back(std::move(q));
  }
  if (d.paragraphs.empty() && (paras.empty() || paras.back().end != d.text.size()))
    paras.push_back({static_cast<uint32_t>(d.text.size()), {}});
  d.paragraphs.insert(
      d.paragraphs.begin() + static_cast<ptrdiff_t>(std::min(pi, d.paragraphs.size())),
      std::make_move_iterator(paras.begin()), std::make_move_iterator(paras.end()));
}

// Runs: the fragment's runs go in at `pos`; a run cut in two by it goes on
// after the fragment.
void insertRuns(Story& d, uint32_t pos, const Story& f, const std::vector<uint8_t>& languageMap) {
  const uint32_t n = static_cast<uint32_t>(f.text.size());
  const size_t ri = runAt(d, pos);
  const CharFormat runHere = d.runs.empty() ? CharFormat{} : d.runs[ri].format;
  const bool runStartsHere = !d.runs.empty() && d.runs[ri].start == pos;
  for (Run& r : d.runs)
    if (r.start >= pos && !(r.start == pos && !runStartsHere)) r.start += n;
  std::vector<Run> runs;
  runs.reserve(f.runs.size() + 2);
  for (const Run& r : f.runs) {
    runs.push_back({pos + r.start, r.format});
    runs.back().format.language = mappedLanguage(languageMap, r.format.language);
  }
  if (runs.empty() || runs.front().start != pos) runs.insert(runs.begin(), Run{pos, {}});
  size_t runIndex = d.runs.empty() ? 0 : (runStartsHere ? ri : ri + 1);
  if (!runStartsHere && !d.runs.empty() && pos + n < d.text.size())
    runs.push_back({pos + n, runHere});
  d.runs.insert(d.runs.begin() + static_cast<ptrdiff_t>(runIndex),
                std::make_move_iterator(runs.begin()), std::make_move_iterator(runs.end()));
  compactRuns(d.runs, d.text.size());
}

// Bookmarks: a pasted name replaces the one already there.
void insertBookmarks(Story& d, uint32_t pos, const Story& f) {
  const uint32_t n = static_cast<uint32_t>(f.text.size());
  std::unordered_set<std::u16string> pasted;
  for (const Bookmark& b : f.bookmarks) pasted.insert(b.name);
  std::vector<Bookmark> marks;
  marks.reserve(d.bookmarks.size() + f.bookmarks.size());
  for (Bookmark& b : d.bookmarks) {
    if (pasted.count(b.name)) continue;
    if (b.start > pos) b.start += n;
    if (b.end > pos) b.end += n;
    marks.push_back(std::move(b));
  }
  for (const Bookmark& b : f.bookmarks) marks.push_back({b.name, b.start + pos, b.end + pos});
  std::stable_sort(marks.begin(), marks.end(),
                   [](const Bookmark& x, const Bookmark& y) { return x.start < y.start; });
  d.bookmarks = std::move(marks);
}

// Equations at or after `pos` move; one that `pos` falls inside keeps only
// its text.
void insertEquations(Story& d, uint32_t pos, const Story& f) {
  const uint32_t n = static_cast<uint32_t>(f.text.size());
  std::vector<Equation> out;
  out.reserve(d.equations.size() + f.equations.size());
  for (Equation& e : d.equations) {
    if (e.start < pos && e.end > pos) continue;
    if (e.start >= pos) {
      e.start += n;
      e.end += n;
    }
    out.push_back(std::move(e));
  }
  for (const Equation& e : f.equations)
    out.push_back({e.start + pos, e.end + pos, e.mathml, e.display});
  std::stable_sort(out.begin(), out.end(),
                   [](const Equation& x, const Equation& y) { return x.start < y.start; });
  d.equations = std::move(out);
}

// Pictures and notes are characters: those at or after `pos` move.
void insertPicturesAndNotes(Model& model, uint32_t pos, const Model& fragment,
                            const std::vector<int32_t>& styleMap,
                            const std::vector<uint8_t>& languageMap,
                            const std::vector<uint8_t>& lineMap) {
  Story& d = model.main;
  const Story& f = fragment.main;
  const uint32_t n = static_cast<uint32_t>(f.text.size());
  auto picAt = std::lower_bound(d.pictures.begin(), d.pictures.end(), pos,
                                [](const Picture& p, uint32_t x) { return p.pos < x; });
  size_t picIndex = static_cast<size_t>(picAt - d.pictures.begin());
  for (size_t i = picIndex; i < d.pictures.size(); ++i) d.pictures[i].pos += n;
  std::vector<Picture> pics = f.pictures;
  for (Picture& p : pics) p.pos += pos;
  d.pictures.insert(d.pictures.begin() + static_cast<ptrdiff_t>(picIndex), pics.begin(),
                    pics.end());

  auto noteAt = std::lower_bound(model.notes.begin(), model.notes.end(), pos,
                                 [](const Note& x, uint32_t p) { return x.pos < p; });
  size_t noteIndex = static_cast<size_t>(noteAt - model.notes.begin());
  for (size_t i = noteIndex; i < model.notes.size(); ++i) model.notes[i].pos += n;
  std::vector<Note> notes = fragment.notes;
  for (Note& note : notes) {
    note.pos += pos;
    remapStory(note.body, styleMap, languageMap, lineMap);
  }
  model.notes.insert(model.notes.begin() + static_cast<ptrdiff_t>(noteIndex), notes.begin(),
                     notes.end());
}

// Tables: the ones holding `pos` grow, later ones move; the fragment's
// tables nest as deep as `pos` lies.
void insertTables(Story& d, uint32_t pos, const Story& f) {
  const uint32_t n = static_cast<uint32_t>(f.text.size());
  const int depth = depthAt(d, pos);
  auto tableAfter = std::upper_bound(d.tables.begin(), d.tables.end(), pos,
                                     [](uint32_t p, const Table& t) { return p < t.start; });
  size_t tableIndex = static_cast<size_t>(tableAfter - d.tables.begin());
  for (Table& t : d.tables) shiftTable(t, pos, n, false);
  std::vector<Table> tables = f.tables;
  for (Table& t : tables) {
    shiftTable(t, 0, pos, true);
    t.depth = static_cast<uint8_t>(std::min(255, t.depth + depth));
  }
  d.tables.insert(d.tables.begin() + static_cast<ptrdiff_t>(tableIndex), tables.begin(),
                  tables.end());
}

}  // namespace

uint32_t insert(Model& model, uint32_t pos, const Model& fragment, uint32_t* at) {
  const Story& f = fragment.main;
  const uint32_t n = static_cast<uint32_t>(f.text.size());
  if (n == 0) return 0;
  Story& d = model.main;
  // A document with no text yet takes the fragment's tab stops with it,
  // as it takes its styles: its tabs keep their places; and the language
  // its runs' own languages and its decimal tabs are read against; and
  // how its justified lines end at line breaks.
  if (d.text.size() <= 1) {
    takeTextSettings(model, fragment);
  }
  pos = insertionPoint(d, std::min<uint32_t>(pos, static_cast<uint32_t>(d.text.size())));

  // A table cannot begin in the middle of a paragraph: split it first.
  if (!f.tables.empty() && f.tables.front().start == 0 && pos < d.text.size()) {
    size_t pi = paragraphAt(d, pos);
    if (pos != paragraphStart(d, pi)) {
      uint32_t split = insert(model, pos, textFragment(model, pos, u"\r"));
      uint32_t inserted = insert(model, pos + split, fragment);
      if (at) *at = pos;
      return split + inserted;
    }
  }

  if (at) *at = pos;
  const std::vector<uint8_t> languageMap = mapLanguages(model, fragment);
  const std::vector<uint8_t> lineMap = mapBorderLines(model, fragment);
  std::vector<int32_t> styleMap = mapStyles(model, fragment, languageMap, lineMap);
  // Each step finds its place in its own table of the story (paragraphs,
  // runs, ...), which the steps before it leave as they were.
  d.text.insert(pos, f.text);
  insertParagraphs(d, pos, f, styleMap, lineMap);
  insertRuns(d, pos, f, languageMap);
  insertBookmarks(d, pos, f);
  insertEquations(d, pos, f);
  insertPicturesAndNotes(model, pos, fragment, styleMap, languageMap, lineMap);
  insertTables(d, pos, f);
  return n;
}

Model textFragment(const Model& model, uint32_t pos, std::u16string_view text) {
  Model out;
  const Story& d = model.main;
  ParagraphFormat para;
  CharFormat chars;
  if (!d.paragraphs.empty()) {
    size_t pi = std::min(paragraphAt(d, pos), d.paragraphs.size() - 1);
    para = d.paragraphs[pi].format;
    // Typed text takes the formatting of the character before it, or of
    // the first character at a paragraph's start.
    uint32_t from = pos > paragraphStart(d, pi) ? pos - 1 : pos;
    if (!d.runs.empty()) chars = d.runs[runAt(d, from)].format;
  }
  chars.hyperlink.clear();
  chars.linkTitle.clear();
  Story& s = out.main;
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c == u'\r' || c == u'\n') {
      if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      s.text.push_back(kParagraphMark);
      s.paragraphs.push_back({static_cast<uint32_t>(s.text.size()), para});
    } else if (c < 32 && c != kTab && c != kLineBreak && c != kPageBreak && c != kColumnBreak) {
      continue;
    } else {
      s.text.push_back(c);
    }
  }
  if (!s.text.empty() && (s.paragraphs.empty() || s.paragraphs.back().end != s.text.size()))
    s.paragraphs.push_back({static_cast<uint32_t>(s.text.size()), para});
  s.runs.push_back({0, chars});
  return out;
}

}  // namespace word::ops
