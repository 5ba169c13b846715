#pragma once
// Pictures made fit for browsers when a page is saved. Formats browsers
// show pass as they are; metafiles (WMF, EMF) become SVG and TIFF becomes
// PNG in a helper process with limits on time and memory, since the
// libraries that read them cannot be trusted with damaged files; what
// cannot be converted is reported, and the page shows a stand-in.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "word/model.h"
#include "word/write/pictures/web_picture.h"

namespace word::write {

// The helper is a program run as `HELPER --convert-picture FORMAT`, the
// picture on its standard input: raredozud-pictures beside the program, as
// a rule (set once at start-up). With none set, no picture is converted.
inline constexpr const char* kConvertPictureCommand = "--convert-picture";
void setPictureProgram(std::string path);

// A picture declaring more pixels than this is not decoded: about a page
// scanned at 600 dpi (A4 is 35 megapixels), and 200 MB as RGBA. The helper
// takes a lower cap as a third argument ("--convert-picture tif N"); for a
// picture past it, it writes "pixels N\n" (what the picture declares) and
// exits with kTooManyPixels.
inline constexpr uint64_t kPicturePixels = 50'000'000;
inline constexpr int kTooManyPixels = 3;

// What converting one document's pictures may cost, however many it holds:
// the helper's time on the clock, and the pixels it decodes (TIFF). A
// picture past it shows as a stand-in, and the page warns about it.
struct PictureBudget {
  unsigned milliseconds = 60'000;
  uint64_t pixels = 200'000'000;
  uint64_t picturePixels = kPicturePixels;
};

struct WebPicture {
  bool shown = false;  // a browser shows `bytes` as they are
  std::shared_ptr<const std::string> bytes;
  std::string extension;  // of the file `bytes` go to
  PixelSize size;         // its own size, when known
  std::string problem;    // when not shown: why, in a few words
};

class PictureConverter {
 public:
  explicit PictureConverter(PictureBudget budget = {}) : budget_(budget) {}

  // What a browser gets for the picture. The same bytes are converted once
  // for the converter's lifetime.
  WebPicture prepare(const Picture& picture);

  // Another document's pictures follow: the budget starts again (pictures
  // converted already cost nothing again).
  void newDocument();

 private:
  WebPicture convert(const std::shared_ptr<const std::string>& bytes, const std::string& extension,
                     bool& final);
  std::string pastBudget(const std::string& extension) const;
  std::string pixelsUsedUp() const;
  std::string timeUsedUp() const;
  void remember(const std::shared_ptr<const std::string>& bytes, const std::string& extension,
                const WebPicture& result);

  struct Entry {
    std::shared_ptr<const std::string> source;  // keeps the key's bytes alive
    std::string extension;
    WebPicture result;
  };
  std::unordered_map<std::string_view, Entry> byContent_;
  std::unordered_map<const std::string*, const Entry*> byAddress_;
  size_t cachedBytes_ = 0;
  PictureBudget budget_;
  uint64_t spentMilliseconds_ = 0;
  uint64_t spentPixels_ = 0;
};

// The helper's side (its main): reads the picture from standard input and
// writes "svg\n" or "png\n" and the converted file to standard output.
// Returns the exit status: 0 converted, 1 not.
int convertPictureCommand(int argc, char** argv);

}  // namespace word::write
