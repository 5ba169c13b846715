#include "pages/page_writer.h"

#include <utility>

#include "convert/failure.h"
#include "pages/replace_body.h"
#include "support/files.h"
#include "word/application.h"

namespace pages {

namespace {

// Pages handed over and not yet written: enough to keep the second thread
// busy, few enough that their content costs little memory.
constexpr size_t kMaxPending = 8;
// Two writers: once the run has cut its last entry, both cores write.
constexpr int kWorkers = 2;

class HeldStatus : public convert::StatusSink {
 public:
  void showStatus(const std::u16string& message) override { lines.push_back(message); }
  std::vector<std::u16string> lines;
};

}  // namespace

PageWriter::PageWriter(convert::StatusSink& status, bool background)
    : status_(status), background_(background) {
  if (!background_) return;
  for (int i = 0; i < kWorkers; ++i) workers_.emplace_back([this] { work(); });
}

PageWriter::~PageWriter() {
  try {
    finish();
  } catch (...) {
    // The status box failed: what is left cannot be shown.
  }
  if (!background_) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  for (std::thread& t : workers_) t.join();
}

void PageWriter::write(Entry& e) {
  HeldStatus held;
  try {
    // A page is overwritten in place; a link or second name standing there
    // is taken away first, so the write cannot reach another file.
    support::unlinkUnlessOwnFile(e.path);
    // The page is rewritten on its way to the disk; its lines are shown
    // only once it is written: a page that could not be saved has no links.
    word::saveModel(e.model, e.path, e.format,
                    [&held](std::string saved) { return replaceBody(saved, held); });
    e.lines = std::move(held.lines);
  } catch (...) {
    const support::Error error = convert::currentError();
    e.lines = {u"saveHTML: Filename " + e.shownName + u", error # " +
               convert::errorDetail(error)};
  }
  e.model = word::Model();
}

void PageWriter::work() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [&] { return stop_ || untaken_ > 0; });
    if (untaken_ == 0) return;  // stopping, and nothing left to take
    // The oldest page nobody has taken: pages are written in about the
    // order they came.
    Entry* next = nullptr;
    for (Entry& e : queue_) {
      if (e.page && !e.taken) {
        next = &e;
        break;
      }
    }
    if (!next) {  // cannot happen: the count says there is one
      untaken_ = 0;
      continue;
    }
    next->taken = true;
    --untaken_;
    lock.unlock();
    // Entries stay where they are while pages are written: the queue only
    // grows at its back, and only written entries leave its front.
    try {
      write(*next);
    } catch (...) {
      // Out of memory even for the failure line: the page goes unreported
      // rather than ending the program from this thread.
      next->lines.clear();
    }
    lock.lock();
    next->done = true;
    --pending_;
    changed_.notify_all();
  }
}

void PageWriter::showReady(std::unique_lock<std::mutex>& lock) {
  while (!queue_.empty() && queue_.front().done) {
    std::vector<std::u16string> lines = std::move(queue_.front().lines);
    queue_.pop_front();
    lock.unlock();
    for (const std::u16string& line : lines) status_.showStatus(line);
    lock.lock();
  }
}

void PageWriter::showStatus(const std::u16string& message) {
  std::unique_lock<std::mutex> lock(mutex_);
  showReady(lock);
  if (queue_.empty()) {
    lock.unlock();
    status_.showStatus(message);
    return;
  }
  Entry e;
  e.done = true;
  e.lines.push_back(message);
  queue_.push_back(std::move(e));
}

void PageWriter::save(word::Model model, std::string path, int32_t format,
                      std::u16string shownName) {
  Entry e;
  e.page = true;
  e.model = std::move(model);
  e.path = std::move(path);
  e.format = format;
  e.shownName = std::move(shownName);
  if (!background_) {
    write(e);
    for (const std::u16string& line : e.lines) showStatus(line);
    return;
  }
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    showReady(lock);
    if (pending_ < kMaxPending) break;
    changed_.wait(lock, [&] { return pending_ < kMaxPending; });
  }
  queue_.push_back(std::move(e));
  ++pending_;
  ++untaken_;
  lock.unlock();
  changed_.notify_all();
}

void PageWriter::finish() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    showReady(lock);
    if (queue_.empty()) return;
    changed_.wait(lock, [&] { return queue_.front().done; });
  }
}

}  // namespace pages
