#include "convert/entries.h"

#include "package/escape.h"

namespace convert {
namespace {

using course::kChapterEnd;
using course::kChapterStart;

class EntryWalk {
 public:
  EntryWalk(word::Application& app, EntryListener& listener) : app_(app), to_(listener) {}

  int32_t run() {
    walkParagraphs(
        app_, [&](word::Selection& sel) { paragraph(sel); },
        [&](int32_t start) { to_.table(start, app_.selection().start(), current()); });
    closeLast();
    return total_;
  }

 private:
  const PendingEntry* current() const { return open_ ? &pending_ : nullptr; }

  void paragraph(word::Selection& sel) {
    Paragraph p;
    p.text = sel.text();
    p.line = prepareLine(p.text);
    p.marker = classify(p.line);
    p.start = sel.start();
    p.end = sel.end();
    p.entry = current();
    to_.paragraph(p);
    switch (p.marker.marker) {
      case Marker::Content:
        return to_.text(p);
      case Marker::Title:
      case Marker::Author:
        return to_.courseLine(p);
      case Marker::Pid:
        return pid(sel, p);
      case Marker::ChapterStart:
        return heading(sel, p, kChapterStart);
      case Marker::ChapterEnd:
        if (!chapterOpen_) return to_.strayChapterEnd(p);
        return heading(sel, p, kChapterEnd);
      case Marker::Page:
        return heading(sel, p, course::kPage);
      case Marker::Test:
        return heading(sel, p, course::kTest);
    }
  }

  // The number belongs to the pending entry, and its content starts after
  // the line (an early one opens an untitled entry).
  void pid(word::Selection& sel, const Paragraph& p) {
    int32_t number = 0;
    try {
      number = parsePid(p.marker.value);
    } catch (const support::Error& e) {
      to_.badPid(p, e);
      return;
    }
    to_.pid(p, number, total_ + 1);
    pending_.pid = number;
    pending_.pidAt = p.start;
    pending_.start = sel.end();
    open_ = true;
  }

  void heading(word::Selection& sel, const Paragraph& p, int32_t kind) {
    to_.heading(p, {kind, p.marker.value, total_ + 1, chapterOpen_});
    if (kind == kChapterStart) chapterOpen_ = true;
    if (kind == kChapterEnd) chapterOpen_ = false;
    const int32_t markerStart = sel.start();
    const int32_t markerEnd = sel.end();
    if (open_) {
      close(markerStart);
      // The export moved the selection: the walk goes on after the marker.
      sel.setEnd(markerEnd);
    }
    pending_ = {kind,
                p.marker.value,
                package::escapeText(p.marker.value),
                markerStart,
                sel.end(),
                std::nullopt,
                0};
    open_ = true;
  }

  void close(int32_t end) {
    ClosedEntry e;
    static_cast<PendingEntry&>(e) = pending_;
    e.number = ++total_;
    e.end = end;
    to_.entryClosed(e);
  }

  // The last entry counts only with more than 10 characters of content, or
  // when it is a chapter end.
  void closeLast() {
    const int32_t end = app_.selection().end();
    if (!open_) return;
    if (int64_t{pending_.start} + 10 < end || pending_.kind == kChapterEnd)
      close(end);
    else
      to_.lastEntryDropped(pending_);
  }

  word::Application& app_;
  EntryListener& to_;
  PendingEntry pending_;
  bool open_ = false;
  bool chapterOpen_ = false;
  int32_t total_ = 0;
};

}  // namespace

int32_t walkEntries(word::Application& app, EntryListener& listener) {
  return EntryWalk(app, listener).run();
}

}  // namespace convert
