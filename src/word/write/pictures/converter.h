#pragma once
// Pictures made fit for browsers when a page is saved. Formats browsers
// show pass as they are; metafiles (WMF, EMF) become SVG and TIFF becomes
// PNG in a helper process with limits on time and memory, since the
// libraries that read them cannot be trusted with damaged files; what
// cannot be converted is reported, and the page shows a stand-in.
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

struct WebPicture {
  bool shown = false;  // a browser shows `bytes` as they are
  std::shared_ptr<const std::string> bytes;
  std::string extension;  // of the file `bytes` go to
  PixelSize size;         // its own size, when known
  std::string problem;    // when not shown: why, in a few words
};

class PictureConverter {
 public:
  // What a browser gets for the picture. The same bytes are converted once
  // for the converter's lifetime.
  WebPicture prepare(const Picture& picture);

 private:
  WebPicture convert(const std::shared_ptr<const std::string>& bytes, const std::string& extension);
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
};

// The helper's side (its main): reads the picture from standard input and
// writes "svg\n" or "png\n" and the converted file to standard output.
// Returns the exit status: 0 converted, 1 not.
int convertPictureCommand(int argc, char** argv);

}  // namespace word::write
