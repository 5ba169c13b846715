#pragma once
// Writing pages while the run goes on. A page's content is taken out of its
// temporary document and rendered, rewritten and written on other threads,
// so that on two cores the next entry is cut while the last ones are saved. The status box stays in order: every line goes through the writer,
// and a line shown while earlier pages are still being written waits until
// they have shown theirs.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "convert/frontend.h"
#include "word/model.h"

namespace pages {

class PageWriter : public convert::StatusSink {
 public:
  // `background` false saves each page at once, on the caller's thread.
  PageWriter(convert::StatusSink& status, bool background);
  PageWriter(const PageWriter&) = delete;
  PageWriter& operator=(const PageWriter&) = delete;
  // Waits for the pages still being written and shows their lines; a status
  // box that fails then is ignored (the run is ending anyway).
  ~PageWriter() override;

  // Shows the line once every page handed over before it has shown its own.
  void showStatus(const std::u16string& message) override;

  // Saves `model` as `path` in `format` (8 HTML or 2 text), rewritten by
  // replaceBody. Its "link: " and "Error %A= not closed: " lines are shown
  // once it is written; a failure shows "saveHTML: Filename " + `shownName`
  // + ", error # " ... instead, and the page stays as far as it was written.
  void save(word::Model model, std::string path, int32_t format, std::u16string shownName);

  // Waits until every page is written and every line shown.
  void finish();

 private:
  struct Entry {
    bool page = false;   // a page's slot, or a line waiting for one
    bool taken = false;  // a worker is writing the page
    bool done = false;   // the page is written (or failed)
    std::vector<std::u16string> lines;
    word::Model model;
    std::string path;
    int32_t format = 0;
    std::u16string shownName;
  };
  static void write(Entry& e);
  void work();
  // Shows the lines at the front of the queue whose turn has come.
  void showReady(std::unique_lock<std::mutex>& lock);

  convert::StatusSink& status_;
  const bool background_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Entry> queue_;  // in the order the lines are to be shown
  size_t pending_ = 0;       // pages in the queue not yet written
  size_t untaken_ = 0;       // pages in the queue no worker has taken yet
  bool stop_ = false;
  std::vector<std::thread> workers_;
};

}  // namespace pages
