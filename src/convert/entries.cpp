#include "convert/entries.h"

#include <utility>
#include <variant>

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
    p.textBox = sel.storyType() == word::wdTextFrameStory;
    if (!p.textBox) p.marker = classify(p.line);
    p.outlineLevel = sel.outlineLevel();
    if (p.outlineLevel != word::wdOutlineLevelBodyText) p.style = sel.styleName();
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
  // A paragraph's event: the paragraph, with its entry as it was then
  // (paragraph.entry points there once the walk is whole).
  struct Marked {
    Paragraph paragraph;
    std::optional<PendingEntry> entry;
  };
  using Pid = std::pair<int32_t, int32_t>;  // number, row
  Kind kind;
  std::variant<Marked, ClosedEntry> what;  // an entry closed, or the one dropped
  std::variant<std::monostate, Pid, Heading, support::Error> detail{};
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
    if (const auto* entry = std::get_if<ClosedEntry>(&e.what)) {
      if (e.kind == Kind::EntryClosed)
        to.entryClosed(*entry);
      else
        to.lastEntryDropped(*entry);
      continue;
    }
    const Paragraph& p = std::get<Event::Marked>(e.what).paragraph;
    switch (e.kind) {
      case Kind::CourseLine:
        to.courseLine(p);
        break;
      case Kind::Pid: {
        const auto [number, row] = std::get<Event::Pid>(e.detail);
        to.pid(p, number, row);
        break;
      }
      case Kind::BadPid:
        to.badPid(p, std::get<support::Error>(e.detail));
        break;
      case Kind::Heading:
        to.heading(p, std::get<Heading>(e.detail));
        break;
      case Kind::StrayChapterEnd:
        to.strayChapterEnd(p);
        break;
      default:
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
    keep(Kind::Pid, p).detail = Event::Pid{number, row};
    to_.pid(p, number, row);
  }
  void badPid(const Paragraph& p, const support::Error& e) override {
    keep(Kind::BadPid, p).detail = e;
    to_.badPid(p, e);
  }
  void heading(const Paragraph& p, const Heading& h) override {
    keep(Kind::Heading, p).detail = h;
    to_.heading(p, h);
  }
  void strayChapterEnd(const Paragraph& p) override {
    keep(Kind::StrayChapterEnd, p);
    to_.strayChapterEnd(p);
  }
  void entryClosed(const ClosedEntry& e) override {
    out_.events_.push_back({Kind::EntryClosed, e});
    to_.entryClosed(e);
  }
  void lastEntryDropped(const PendingEntry& e) override {
    ClosedEntry dropped;
    static_cast<PendingEntry&>(dropped) = e;
    out_.events_.push_back({Kind::Dropped, std::move(dropped)});
    to_.lastEntryDropped(e);
  }

  // Once the walk is whole the events stay where they are: each paragraph
  // points at its entry.
  static void pointAtEntries(RecordedWalk& walk) {
    for (Event& e : walk.events_)
      if (auto* m = std::get_if<Event::Marked>(&e.what))
        m->paragraph.entry = m->entry ? &*m->entry : nullptr;
  }

 private:
  using Event = RecordedWalk::Event;
  using Kind = Event::Kind;
  Event& keep(Kind kind, const Paragraph& p) {
    Event::Marked m{p, std::nullopt};
    m.paragraph.entry = nullptr;
    if (p.entry) m.entry = *p.entry;
    return out_.events_.emplace_back(Event{kind, std::move(m)});
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
  WalkRecorder::pointAtEntries(record);
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
