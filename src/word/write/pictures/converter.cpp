#include "word/write/pictures/converter.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <utility>

#include "support/child_process.h"

namespace word::write {
namespace {

std::string& pictureProgram() {
  static std::string path;
  return path;
}

// Converted pictures kept for reuse, input and output together; past this
// a run converts again rather than grow.
constexpr size_t kCacheBytes = size_t{256} << 20;

// Generous for one picture: the largest metafiles of real documents take
// well under a second and a few megabytes.
support::ChildLimits helperLimits() {
  support::ChildLimits limits;
  limits.addressSpaceBytes = uint64_t{1} << 30;
  limits.cpuSeconds = 10;
  limits.wallMilliseconds = 20000;
  limits.outputBytes = size_t{64} << 20;
  return limits;
}

std::string whyNot(const support::ChildOutcome& outcome) {
  using Status = support::ChildOutcome::Status;
  switch (outcome.status) {
    case Status::NotStarted:
      return "the picture converter could not be started";
    case Status::TimedOut:
      return "its conversion took too long and was stopped";
    case Status::OutputTooLarge:
      return "its conversion grew too large and was stopped";
    case Status::Signalled:
      return "its conversion failed (the picture may be damaged)";
    case Status::Exited:
      break;
  }
  return "the picture is damaged or of a kind the converter does not read";
}

// The helper's answer: its kind line, then a file of that kind.
WebPicture readAnswer(const std::string& output) {
  WebPicture web;
  const std::string_view out(output);
  const std::string_view kind = out.substr(0, 4);
  const std::string_view file = out.substr(std::min<size_t>(4, out.size()));
  if (kind == "svg\n" && file.find("<svg") != std::string_view::npos) {
    web.extension = "svg";
  } else if (kind == "png\n" && pngSize(file).width > 0) {
    web.extension = "png";
    web.size = pngSize(file);
  } else {
    web.problem = "the converter gave no picture for it";
    return web;
  }
  web.shown = true;
  web.bytes = std::make_shared<const std::string>(file);
  return web;
}

// Runs the helper within `timeLeft` of the document's budget, adding the
// time it took to `spent`; `shortened` tells whether the budget cut its
// usual limits.
support::ChildOutcome timedRun(const std::vector<std::string>& argv, const std::string& input,
                               uint64_t timeLeft, uint64_t& spent, bool& shortened) {
  support::ChildLimits limits = helperLimits();
  shortened = timeLeft < limits.wallMilliseconds;
  if (shortened) {
    limits.wallMilliseconds = static_cast<unsigned>(timeLeft);
    limits.cpuSeconds = std::min(limits.cpuSeconds, static_cast<unsigned>(timeLeft / 1000 + 1));
  }
  const auto start = std::chrono::steady_clock::now();
  support::ChildOutcome outcome = support::runLimited(argv, input, limits);
  const auto took = std::chrono::steady_clock::now() - start;
  spent +=
      static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(took).count());
  return outcome;
}

// The pixels a picture declares, when the helper refused it for them.
std::optional<uint64_t> tooManyPixels(const support::ChildOutcome& outcome) {
  constexpr std::string_view kLine = "pixels ";
  if (outcome.status != support::ChildOutcome::Status::Exited || outcome.code != kTooManyPixels ||
      !outcome.output.starts_with(kLine))
    return std::nullopt;
  uint64_t pixels = 0;
  const char* at = outcome.output.data() + kLine.size();
  if (std::from_chars(at, outcome.output.data() + outcome.output.size(), pixels).ec != std::errc())
    return std::nullopt;
  return pixels;
}

// A figure of the budget as people read it: 60, 2.5.
std::string figure(double value) {
  char buf[32];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
  return ec == std::errc() ? std::string(buf, end) : std::string("?");
}

}  // namespace

void setPictureProgram(std::string path) {
  pictureProgram() = std::move(path);
}

WebPicture PictureConverter::prepare(const Picture& picture) {
  WebPicture web;
  web.bytes = picture.data;
  web.extension = pictureExtension(picture);
  if (browserShowsAsIs(web.extension)) {
    web.shown = !(web.extension == "png" && picture.data && pngBeyondItsBytes(*picture.data));
    if (!web.shown)
      web.problem = "the picture is damaged: it declares more pixels than its bytes hold";
    return web;
  }
  if (!picture.data || picture.data->empty()) {
    web.problem = "the document holds no data for it";
    return web;
  }
  if (auto it = byAddress_.find(picture.data.get()); it != byAddress_.end())
    return it->second->result;
  if (auto it = byContent_.find(*picture.data);
      it != byContent_.end() && it->second.extension == web.extension) {
    byAddress_.emplace(picture.data.get(), &it->second);
    return it->second.result;
  }
  // What the budget refused is asked again: another document's budget
  // may have room for it.
  bool final = true;
  WebPicture result = convert(picture.data, web.extension, final);
  if (final) remember(picture.data, web.extension, result);
  return result;
}

void PictureConverter::newDocument() {
  spentMilliseconds_ = 0;
  spentPixels_ = 0;
}

std::string PictureConverter::timeUsedUp() const {
  return "the document's pictures used up the " + figure(budget_.milliseconds / 1000.0) +
         " s the picture converter has for one document";
}

std::string PictureConverter::pixelsUsedUp() const {
  return "with it the document's pictures would pass the " + figure(budget_.pixels / 1e6) +
         " megapixels the picture converter decodes for one document";
}

std::string PictureConverter::pastBudget(const std::string& extension) const {
  if (spentMilliseconds_ >= budget_.milliseconds) return timeUsedUp();
  if (extension == "tif" && spentPixels_ >= budget_.pixels) return pixelsUsedUp();
  return {};
}

// `final` turns false when the budget, not the picture, decided.
WebPicture PictureConverter::convert(const std::shared_ptr<const std::string>& bytes,
                                     const std::string& extension, bool& final) {
  WebPicture web;
  web.bytes = bytes;
  web.extension = extension;
  const bool metafile = extension == "wmf" || extension == "emf";
  if (metafile) web.size = metafileSize(*bytes);
  if (!metafile && extension != "tif") {
    web.problem = "no converter for this format";
    return web;
  }
  if (pictureProgram().empty()) {
    web.problem = "the picture converter is not available";
    return web;
  }
  if (web.problem = pastBudget(extension); !web.problem.empty()) {
    final = false;
    return web;
  }
  // The last run of a document's budget gets what is left of its time,
  // and a TIFF no more pixels than are left.
  std::vector<std::string> argv = {pictureProgram(), kConvertPictureCommand, extension};
  const uint64_t pixels = std::min(budget_.picturePixels, budget_.pixels - spentPixels_);
  if (extension == "tif") argv.push_back(std::to_string(pixels));
  bool shortened = false;
  const support::ChildOutcome outcome = timedRun(
      argv, *bytes, budget_.milliseconds - spentMilliseconds_, spentMilliseconds_, shortened);
  using Status = support::ChildOutcome::Status;
  if (const std::optional<uint64_t> declared = tooManyPixels(outcome)) {
    final = *declared > budget_.picturePixels;
    web.problem = final ? "it has more than the " + figure(budget_.picturePixels / 1e6) +
                              " megapixels the picture converter decodes for one picture"
                        : pixelsUsedUp();
    return web;
  }
  if (shortened && (outcome.status == Status::TimedOut || outcome.status == Status::Signalled)) {
    final = false;
    web.problem = timeUsedUp();
    return web;
  }
  if (!outcome.succeeded()) {
    web.problem = whyNot(outcome);
    return web;
  }
  WebPicture answer = readAnswer(outcome.output);
  if (!answer.shown) {
    web.problem = answer.problem;
    return web;
  }
  // A PNG's size is known (readAnswer takes no other): its pixels count.
  if (answer.extension == "png")
    spentPixels_ +=
        static_cast<uint64_t>(answer.size.width) * static_cast<uint64_t>(answer.size.height);
  // A metafile keeps the size its header gives; a bitmap has its pixels.
  if (answer.size.width == 0) answer.size = web.size;
  return answer;
}

void PictureConverter::remember(const std::shared_ptr<const std::string>& bytes,
                                const std::string& extension, const WebPicture& result) {
  const size_t cost = bytes->size() + (result.bytes && result.shown ? result.bytes->size() : 0);
  if (cachedBytes_ + cost > kCacheBytes) return;
  auto [it, added] = byContent_.try_emplace(*bytes, Entry{bytes, extension, result});
  if (!added) return;  // the same bytes under another format name: rare, converted again
  cachedBytes_ += cost;
  byAddress_.emplace(bytes.get(), &it->second);
}

}  // namespace word::write
