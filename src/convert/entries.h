#pragma once
// Cutting a course document into outline entries: one walk of its
// paragraphs, told as events to a listener. The conversion's listener
// records and exports the entries, lint's checks them, so what lint reports
// is what the conversion does.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "convert/scanner.h"
#include "course/session.h"
#include "support/error.h"
#include "word/application.h"

namespace convert {

// The entry being read: opened by a heading marker (or, before any heading,
// by a "%PID=" line: an untitled entry), closed by the next heading marker
// or the end of the document.
struct PendingEntry {
  int32_t kind = course::kUntitled;
  std::u16string title;         // as the author typed it after the marker
  std::u16string escapedTitle;  // as the outline stores it
  int32_t heading = 0;          // where its heading marker stands
  int32_t start = 0;            // where its content begins
  std::optional<int32_t> pid;   // from the last "%PID=" line read while it was pending
  int32_t pidAt = 0;            // where that line stands
};

// An entry recorded in the outline.
struct ClosedEntry : PendingEntry {
  int32_t number = 0;  // its row, from 1
  int32_t end = 0;     // where its content ends (exclusive)
};

// A paragraph outside tables, as the grammar reads it.
struct Paragraph {
  std::u16string text;  // the selection's text, paragraph mark included
  std::u16string line;  // prepared for the grammar (prepareLine)
  MarkerLine marker;
  int32_t start = 0, end = 0;
  // In a text box or shape: no part of the main text, whose markers alone
  // are read, so it is text whatever it starts with.
  bool textBox = false;
  // Its outline level (1 to 9 in a heading style), and its style's name.
  int32_t outlineLevel = word::wdOutlineLevelBodyText;
  std::u16string style;
  // The entry it stands in (for a heading marker: the one it closes); none
  // before the first heading marker or "%PID=" line.
  const PendingEntry* entry = nullptr;
};

// A heading marker: "%H1=", an accepted "%H1#", "%H2=" or "%TEST=".
struct Heading {
  int32_t kind = 0;
  std::u16string title;      // as typed
  int32_t nextNumber = 0;    // the number the next entry recorded gets
  bool chapterOpen = false;  // whether a chapter was open before it
};

// What the walk meets of markers and entries, in document order: all that
// a recorded walk tells again (RecordedWalk).
class MarkerListener {
 public:
  virtual ~MarkerListener() = default;
  // "%TITLE=" or "%AUTHOR=" (p.marker says which, with its value).
  virtual void courseLine(const Paragraph&) {}
  // "%PID=" with its number, for outline row `row`.
  virtual void pid(const Paragraph&, int32_t /*number*/, int32_t /*row*/) {}
  // A "%PID=" value that is no 32-bit number (error 13 or 6). The error
  // ends the walk unless the listener returns: then the line does nothing.
  virtual void badPid(const Paragraph&, const support::Error& error) { throw error; }
  // A heading marker, before it closes the pending entry. A "%H1#" here
  // closes the open chapter.
  virtual void heading(const Paragraph&, const Heading&) {}
  // "%H1#" with no chapter open: it stays text of the pending entry.
  virtual void strayChapterEnd(const Paragraph&) {}
  // The pending entry recorded, at a heading marker or at the end.
  virtual void entryClosed(const ClosedEntry&) {}
  // The last pending entry left out: ten characters of content or fewer,
  // and no chapter end.
  virtual void lastEntryDropped(const PendingEntry&) {}
};

// Everything the walk meets, in document order. Every event of a paragraph
// comes while the selection covers it.
class EntryListener : public MarkerListener {
 public:
  // Every paragraph outside tables, before the event of its marker.
  virtual void paragraph(const Paragraph&) {}
  // Course text: a paragraph that is no marker line. With no p.entry it is
  // outside any entry and never exported.
  virtual void text(const Paragraph&) {}
  // A table passed over whole: markers in it are never read.
  virtual void table(int32_t /*start*/, int32_t /*end*/, const PendingEntry* /*entry*/) {}
};

// Walks the active document from its start and tells `listener` what it
// meets; the last pending entry is closed (or dropped) at the end. Returns
// the number of entries recorded. The selection is left where the walk
// ended.
int32_t walkEntries(word::Application& app, EntryListener& listener);

// The marker events of one walk of one edition of a document, kept to be
// told again: lint walks the document, and the conversion that follows is
// told the same events without a walk of its own, so it does what lint
// checked.
class RecordedWalk {
 public:
  struct Event;
  RecordedWalk();
  ~RecordedWalk();
  // A move keeps the events where they are (their paragraphs point at
  // their entries); there is no copy.
  RecordedWalk(RecordedWalk&&) noexcept;
  RecordedWalk& operator=(RecordedWalk&&) noexcept;

  // Whether this is a walk of `doc` as it is now (neither read again nor
  // edited since).
  bool of(const word::Document& doc) const;
  // Tells `listener` the events in their order, each paragraph's entry as
  // it was; the listener's own throw ends it, as it ends a walk. Returns
  // the number of entries recorded. The selection stays where it is.
  int32_t replay(MarkerListener& listener) const;

 private:
  friend class WalkRecorder;
  friend int32_t walkEntries(word::Application&, EntryListener&, RecordedWalk&);
  std::vector<Event> events_;
  const word::Document* document_ = nullptr;
  uint64_t edition_ = 0;
  int32_t total_ = 0;
};

// A walk of the active document told to `listener`, its marker events kept
// in `record` (replacing what it held).
int32_t walkEntries(word::Application& app, EntryListener& listener, RecordedWalk& record);
// A walk told to a listener of marker events only.
int32_t walkMarkers(word::Application& app, MarkerListener& listener);

}  // namespace convert
