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

// Marker events only, to a listener that takes no others.
class MarkerEvents : public EntryListener {
 public:
  explicit MarkerEvents(MarkerListener& to) : to_(to) {}
  void courseLine(const Paragraph& p) override { to_.courseLine(p); }
  void pid(const Paragraph& p, int32_t number, int32_t row) override { to_.pid(p, number, row); }
  void badPid(const Paragraph& p, const support::Error& e) override { to_.badPid(p, e); }
  void heading(const Paragraph& p, const Heading& h) override { to_.heading(p, h); }
  void strayChapterEnd(const Paragraph& p) override { to_.strayChapterEnd(p); }
  void entryClosed(const ClosedEntry& e) override { to_.entryClosed(e); }
  void lastEntryDropped(const PendingEntry& e) override { to_.lastEntryDropped(e); }

 private:
  MarkerListener& to_;
};

}  // namespace

struct RecordedWalk::Event {
  enum class Kind { CourseLine, Pid, BadPid, Heading, StrayChapterEnd, EntryClosed, Dropped };
  Kind kind;
  Paragraph paragraph{};
  // The paragraph's entry as it was then: replay points paragraph.entry here.
  std::optional<PendingEntry> entry{};
  int32_t number = 0, row = 0;
  std::optional<support::Error> error{};
  Heading heading{};
  ClosedEntry closed{};  // an entry closed, or the one dropped
};

RecordedWalk::RecordedWalk() = default;
RecordedWalk::~RecordedWalk() = default;
RecordedWalk::RecordedWalk(RecordedWalk&&) noexcept = default;
RecordedWalk& RecordedWalk::operator=(RecordedWalk&&) noexcept = default;

bool RecordedWalk::of(const word::Document& doc) const {
  return document_ == &doc && edition_ == doc.edition();
}

int32_t RecordedWalk::replay(MarkerListener& to) const {
  using Kind = Event::Kind;
  for (const Event& e : events_) {
    Paragraph p = e.paragraph;
    p.entry = e.entry ? &*e.entry : nullptr;
    switch (e.kind) {
      case Kind::CourseLine:
        to.courseLine(p);
        break;
      case Kind::Pid:
        to.pid(p, e.number, e.row);
        break;
      case Kind::BadPid:
        to.badPid(p, *e.error);
        break;
      case Kind::Heading:
        to.heading(p, e.heading);
        break;
      case Kind::StrayChapterEnd:
        to.strayChapterEnd(p);
        break;
      case Kind::EntryClosed:
        to.entryClosed(e.closed);
        break;
      case Kind::Dropped:
        to.lastEntryDropped(e.closed);
        break;
    }
  }
  return total_;
}

// Tells every event on to the listener, and keeps the marker events.
class WalkRecorder : public EntryListener {
 public:
  WalkRecorder(EntryListener& to, RecordedWalk& out) : to_(to), out_(out) {}
  void paragraph(const Paragraph& p) override { to_.paragraph(p); }
  void text(const Paragraph& p) override { to_.text(p); }
  void table(int32_t start, int32_t end, const PendingEntry* entry) override {
    to_.table(start, end, entry);
  }
  void courseLine(const Paragraph& p) override {
    keep(Kind::CourseLine, p);
    to_.courseLine(p);
  }
  void pid(const Paragraph& p, int32_t number, int32_t row) override {
    keep(Kind::Pid, p).number = number;
    out_.events_.back().row = row;
    to_.pid(p, number, row);
  }
  void badPid(const Paragraph& p, const support::Error& e) override {
    keep(Kind::BadPid, p).error = e;
    to_.badPid(p, e);
  }
  void heading(const Paragraph& p, const Heading& h) override {
    keep(Kind::Heading, p).heading = h;
    to_.heading(p, h);
  }
  void strayChapterEnd(const Paragraph& p) override {
    keep(Kind::StrayChapterEnd, p);
    to_.strayChapterEnd(p);
  }
  void entryClosed(const ClosedEntry& e) override {
    keep(Kind::EntryClosed, {}).closed = e;
    to_.entryClosed(e);
  }
  void lastEntryDropped(const PendingEntry& e) override {
    static_cast<PendingEntry&>(keep(Kind::Dropped, {}).closed) = e;
    to_.lastEntryDropped(e);
  }

 private:
  using Kind = RecordedWalk::Event::Kind;
  RecordedWalk::Event& keep(Kind kind, const Paragraph& p) {
    RecordedWalk::Event& e = out_.events_.emplace_back(RecordedWalk::Event{kind});
    e.paragraph = p;
    e.paragraph.entry = nullptr;
    if (p.entry) e.entry = *p.entry;
    return e;
  }

  EntryListener& to_;
  RecordedWalk& out_;
};

int32_t walkEntries(word::Application& app, EntryListener& listener) {
  return EntryWalk(app, listener).run();
}

int32_t walkEntries(word::Application& app, EntryListener& listener, RecordedWalk& record) {
  record = RecordedWalk();
  const word::Document& doc = app.activeDocument();
  WalkRecorder recorder(listener, record);
  record.total_ = EntryWalk(app, recorder).run();
  // Only a whole walk is told again.
  record.document_ = &doc;
  record.edition_ = doc.edition();
  return record.total_;
}

int32_t walkMarkers(word::Application& app, MarkerListener& listener) {
  MarkerEvents events(listener);
  return EntryWalk(app, events).run();
}

}  // namespace convert
