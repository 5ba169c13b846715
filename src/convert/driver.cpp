#include "convert/driver.h"

#include <sys/stat.h>

#include <cerrno>

#include "convert/entries.h"
#include "course/export_context.h"
#include "course/failure.h"
#include "package/complete.h"
#include "package/course_settings.h"
#include "package/header.h"
#include "package/manifest.h"
#include "pages/save_html.h"
#include "quiz/quiz_data.h"
#include "support/codepage.h"
#include "support/files.h"
#include "support/runtime_error.h"
#include "support/strings.h"

namespace convert {

using namespace course;
using support::widen;

namespace {

// What the author can do when the disk is full or the folder is not theirs.
constexpr const char16_t* kMakeRoom = u"make room on the disk and convert again";
constexpr const char16_t* kWriteElsewhere =
    u"copy the document into a folder you may write to, and convert it there";

class Run : public MarkerListener {
 public:
  Run(Session& session, word::Application& app, Frontend& frontend, const RecordedWalk* walk)
      : s_(session),
        app_(app),
        fe_(frontend),
        walk_(walk),
        export_{session, app, frontend.status, frontend.programFolder, &frontend.warnings} {}

  Run(const Run&) = delete;
  Run& operator=(const Run&) = delete;

  RunOutcome run() {
    s_.traceLevel = 0;
    fe_.log.writeLog(u"Start");
    s_.languageMode = 1;
    if (s_.lastFolder.empty()) s_.lastFolder = homeFolder();
    app_.visible = true;

    std::optional<std::string> chosen = fe_.chooser.chooseDocument(s_.lastFolder);
    if (!chosen) return RunOutcome::Cancelled;
    // Dropping a line break from the path would convert another file: such
    // a path is refused before it reaches the log or names a folder.
    if (std::string why = controlCharacterProblem(*chosen); !why.empty())
      throw support::Error(support::kBadFileName, support::kProgramSource,
                           support::runtimeErrorText(support::kBadFileName), why);
    documentPath_ = cleanPath(*chosen);
    const std::string& documentPath = documentPath_;
    fe_.log.writeLog(widen(documentPath));
    fe_.status.showStatus(widen(documentPath) + u"\r\n");

    const OutputPaths paths = outputPaths(documentPath);
    documentName_ = documentPath.substr(paths.documentFolder.size());
    documentHash_ = package::documentHash(documentPath);
    s_.lastFolder = paths.documentFolder;
    outputFolder_ = paths.outputFolder;
    documentsOwnFolder_ = outputFolder_ == paths.documentFolder + "/";

    // The folder is made once the document has opened: a document that
    // cannot be opened leaves no empty folder behind.
    app_.documents().open(documentPath);
    if (app_.documents().count() == 0) return RunOutcome::NoDocument;
    export_.language = app_.activeDocument().language();
    warnIfOpenInEditor(documentPath);
    makeOutputFolder();

    scan();
    finish();
    return export_.failures > 0 || copyFailed_ ? RunOutcome::Incomplete : RunOutcome::Succeeded;
  }

  // The error path's report: the status line, and beside it why the step
  // failed in the system's words.
  RunOutcome fail(const support::Error& error) {
    const support::Error e = export_.explain(error, outputFolder_);
    try {
      fe_.status.showStatus(u"parse: Error # " + errorDetail(e));
      if (!e.detail().empty() && !export_.folderFailed(outputFolder_))
        fe_.warnings.warn(support::fromUtf8(e.detail()));
      reportUnfinished(e);
    } catch (...) {
      // Nowhere left to report to; the run ends all the same.
    }
    return RunOutcome::Failed;
  }

 private:
  // An existing folder is reused. One that cannot be made does not stop the
  // run: the writers' own failures show it, with the reason it could not be
  // made, which is told once, with what to do. A link in the folder's place
  // would lead every write elsewhere.
  // The run holds the folder's lock from here until its copy step starts:
  // another run into it waits, so that a package is never two documents'.
  void makeOutputFolder() {
    if (support::isLink(outputFolder_))
      support::raise(support::kPathFileAccessError,
                     outputFolder_ + " is a symbolic link: a package needs a folder of its own");
    const int made = ::mkdir(outputFolder_.c_str(), 0777) == 0 ? 0 : errno;
    if (made != 0 && !support::isPlainFolder(outputFolder_)) export_.folderError = made;
    if (export_.folderError != 0) {
      fe_.warnings.warn(folderNotMade(made));
      return;
    }
    lock_ = support::FolderLock(outputFolder_, [&] {
      fe_.warnings.warn(u"another run is writing the package " + widen(outputFolder_) +
                        u": waiting for it to end");
    });
    support::removeStaleTemporaries(outputFolder_, true);
    folderMade_ = true;
    std::string& before = s_.packagesWritten[outputFolder_];
    if (!before.empty() && before != documentPath_) replacedThisRun_ = before;
    before = documentPath_;
    if (replacedThisRun_.empty()) warnIfAnotherDocuments();
  }

  // A run that ends early leaves its folder part new, part old, and no zip
  // of it: the author must not take the folder for a finished course.
  void reportUnfinished(const support::Error& e) {
    if (!folderMade_ || copyStarted_ || documentsOwnFolder_) return;
    std::u16string message = u"the package " + widen(outputFolder_) +
                             u" is incomplete: the run ended before its zips were written (any "
                             u"zip of an earlier run stays as it was)";
    if (e.number() == support::kDiskFull) (message += u"; ") += kMakeRoom;
    if (e.number() == support::kPermissionDenied) (message += u"; ") += kWriteElsewhere;
    fe_.warnings.warn(message);
  }

  // The package goes beside the document, and nowhere else: what keeps its
  // folder from being made there, and what the author can do about it.
  std::u16string folderNotMade(int err) const {
    std::u16string why = support::fromUtf8(support::fileError(err, outputFolder_, true).detail()) +
                         u": the package folder cannot be made beside the document";
    if (err == EEXIST || err == ENOTDIR)
      return why +
             u"; a file of that name stands there: move or rename it, or give the document "
             u"another name";
    if (err == EACCES || err == EPERM || err == EROFS) return why + u"; " + kWriteElsewhere;
    if (err == ENOSPC || err == EDQUOT) return why + u"; " + kMakeRoom;
    return why;
  }

  // Two documents of one run writing one package: the learners get only
  // the later course, which is an error; across runs it is a warning.
  void reportReplacedThisRun() {
    if (replacedThisRun_.empty()) return;
    std::u16string message = u"\"";
    message += support::fromUtf8(documentPath_);
    message += u"\" and \"";
    message += support::fromUtf8(replacedThisRun_);
    message += u"\" both write the package ";
    message += widen(outputFolder_);
    message += u": the later replaced the earlier one's course; give one of the "
               u"documents another name (the part before the first dot)";
    fe_.warnings.error(message);
  }

  // Two documents of one name up to the first dot ("Safety v1.5.txt",
  // "Safety v1.6.txt") share a package folder: the later run replaces the
  // earlier one's package, and says so.
  // What the author typed since the last save is not in the file read here.
  void warnIfOpenInEditor(const std::string& documentPath) {
    const std::string lock = editorLockFile(documentPath);
    if (lock.empty()) return;
    fe_.warnings.warn(widen(documentPath) + u" is open in a word processor (its lock file " +
                      widen(lock) +
                      u" stands beside it): changes not yet saved are not in the course; save "
                      u"the document and convert it again");
  }

  void warnIfAnotherDocuments() {
    std::optional<package::CourseSettings> before;
    try {
      before = package::readCourseScript(outputFolder_);
    } catch (const support::Error&) {
      return;  // a damaged course.js names no document; this run replaces it
    }
    if (!before || before->documentHash.empty() || before->documentHash == documentHash_) return;
    const std::u16string other = support::fromUtf8(before->document);
    fe_.warnings.warn(u"the package " + widen(outputFolder_) + u" was made from " +
                      (before->document == documentName_
                           ? u"a document of the same name elsewhere (\"" + other + u"\")"
                           : u"another document, \"" + other + u"\"") +
                      u": this run replaces it with the course of \"" +
                      support::fromUtf8(documentName_) + u"\"");
  }

  void scan() {
    s_.h1Open = 0;
    s_.clearPids();
    entryTotal_ =
        walk_ && walk_->of(app_.activeDocument()) ? walk_->replay(*this) : walkMarkers(app_, *this);
  }

  // The walk's events, acted on as they come: the status lines keep the
  // document's order.
  void courseLine(const Paragraph& p) override {
    (p.marker.marker == Marker::Title ? s_.courseTitle : s_.courseAuthor) = p.marker.value;
  }

  void pid(const Paragraph&, int32_t number, int32_t row) override { s_.entryPid(row) = number; }

  void heading(const Paragraph& p, const Heading& h) override {
    if (h.kind == kPage)
      fe_.status.showStatus(u"    page" + widen(support::statusNumber(h.nextNumber)) + u".htm" +
                            p.line);
    else if (h.kind == kTest)
      fe_.status.showStatus(u"    " + p.line);
    else
      fe_.status.showStatus(p.line);
    if (h.kind == kChapterStart) s_.h1Open = 1;
    if (h.kind == kChapterEnd) s_.h1Open = 0;
  }

  void strayChapterEnd(const Paragraph&) override {
    fe_.status.showStatus(u"Ошибка, %H1 не открыт ");
  }

  void entryClosed(const ClosedEntry& e) override {
    s_.entryKind(e.number) = e.kind;
    s_.entryTitle(e.number) = e.escapedTitle;
    exportEntry(e);
  }

  // What an entry writes follows from its kind; the writers report their
  // own failures.
  void exportEntry(const ClosedEntry& e) {
    if (writesTest(e.kind))
      quiz::saveTest(export_, outputFolder_, e.start, e.end, e.number);
    else if (writesPage(e.kind))
      pages::saveHTML(export_, outputFolder_, e.start, e.end, e.number);
  }

  void finish() {
    app_.activeDocument().close(word::wdDoNotSaveChanges);
    package::writeManifest(s_, outputFolder_, entryTotal_);
    package::writeHeader(s_, outputFolder_);
    package::writeCourseScript(
        outputFolder_, {fe_.passMark, export_.language, documentName_, documentHash_,
                        package::previewFiles(s_, entryTotal_), package::courseLine(s_.courseTitle),
                        package::courseLine(s_.courseAuthor), fe_.quiz, fe_.targets});
    // The copy step takes the lock again for its own work.
    lock_.release();

    const std::string script = fe_.programFolder + "/copysql.sh";
    if (!support::isFile(script)) support::raise(support::kFileNotFound);
    // The document's own folder is no package to add a player to or to zip;
    // a package that lacks a page or test must not replace a whole zip.
    std::optional<int> copied;
    if (!documentsOwnFolder_ && export_.failures == 0) {
      copied = fe_.starter.start(
          script, {fe_.programFolder, outputFolder_.substr(0, outputFolder_.size() - 1)});
      copyStarted_ = true;
    }

    fe_.log.writeLog(u"Успех");
    fe_.status.showStatus(u"Успех");
    reportReplacedThisRun();
    if (documentsOwnFolder_) {
      // The output folder is the document's folder, an empty name and "/":
      // one slash ends it here.
      fe_.warnings.warn(u"the pages went into the document's own folder " +
                        widen(outputFolder_.substr(0, outputFolder_.size() - 1)) +
                        u" (its name starts with a dot): no course player added, no zip written");
    } else if (export_.failures > 0) {
      fe_.warnings.warn(support::number(export_.failures) +
                        (export_.failures == 1 ? u" page or test" : u" pages or tests") +
                        u" could not be written: the package " + widen(outputFolder_) +
                        u" is incomplete, so the copy step was not started (an earlier zip "
                        u"stays as it was)");
    }
    if (!documentsOwnFolder_ && export_.failures == 0 && (!copied || *copied == 0)) {
      const std::string folder = outputFolder_.substr(0, outputFolder_.size() - 1);
      fe_.warnings.packageWritten(outputFolder_, package::zipPaths(folder, fe_.targets));
    }
    if (copied && *copied != 0) {
      copyFailed_ = true;
      fe_.warnings.warn(u"the copy step failed (exit status " + support::number(*copied) +
                        u"): the package " + widen(outputFolder_) + u" is incomplete");
    }
  }

  Session& s_;
  word::Application& app_;
  Frontend& fe_;
  const RecordedWalk* walk_;
  ExportContext export_;
  std::string documentPath_;
  std::string outputFolder_;
  support::FolderLock lock_;
  std::string documentName_;  // the document's file name, and a hash of its path
  std::string documentHash_;
  bool documentsOwnFolder_ = false;
  bool copyFailed_ = false;
  bool folderMade_ = false;      // made (or found) and locked for this run
  bool copyStarted_ = false;     // from here the copy step answers for the zips
  std::string replacedThisRun_;  // the document of this program run whose package this replaces
  int32_t entryTotal_ = 0;
};

}  // namespace

RunOutcome parse(Session& session, word::Application& app, Frontend& frontend,
                 const RecordedWalk* walk) {
  Run run(session, app, frontend, walk);
  try {
    return run.run();
  } catch (...) {
    return run.fail(currentError());
  }
}

}  // namespace convert
