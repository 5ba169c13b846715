#include "word/write/pictures/converter.h"

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

}  // namespace

void setPictureProgram(std::string path) {
  pictureProgram() = std::move(path);
}

WebPicture PictureConverter::prepare(const Picture& picture) {
  WebPicture web;
  web.bytes = picture.data;
  web.extension = pictureExtension(picture);
  if (browserShowsAsIs(web.extension)) {
    web.shown = true;
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
  WebPicture result = convert(picture.data, web.extension);
  remember(picture.data, web.extension, result);
  return result;
}

WebPicture PictureConverter::convert(const std::shared_ptr<const std::string>& bytes,
                                     const std::string& extension) {
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
  const support::ChildOutcome outcome = support::runLimited(
      {pictureProgram(), kConvertPictureCommand, extension}, *bytes, helperLimits());
  if (!outcome.succeeded()) {
    web.problem = whyNot(outcome);
    return web;
  }
  WebPicture answer = readAnswer(outcome.output);
  if (!answer.shown) {
    web.problem = answer.problem;
    return web;
  }
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
