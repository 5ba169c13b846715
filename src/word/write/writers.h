#pragma once
// Writers: HTML (save format 8), text (save format 2) and the model dump.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "support/picture_placeholder.h"
#include "word/model.h"

namespace word::write {

using support::PicturePlaceholder;

enum class TextEncoding { Windows1251, Utf8 };

// Positions [start, end) of the main story that are text for an HTML page.
struct HtmlSpan {
  uint32_t start = 0;
  uint32_t end = 0;
};

// The text export: paragraphs end in CR LF, cells are separated by TAB and
// rows end in CR LF, list labels stand before their paragraphs. In
// windows-1251 a character the code page lacks becomes "&#N;". In `asHtml`
// the text's "&", "<" and ">" (its labels' too) become "&amp;", "&lt;" and
// "&gt;" before that step, so that a reference the code page needs is
// never escaped twice.
std::string text(const Model& model, TextEncoding encoding, HtmlSpan asHtml = {});
// The same, handed to `sink` in pieces as it is made: a large document's
// text is not held a second time.
void text(const Model& model, TextEncoding encoding,
          const std::function<void(std::string_view)>& sink, HtmlSpan asHtml = {});

class PictureConverter;

// A picture of an HTML page: the file NAME in the page's files folder.
struct HtmlPicture {
  std::string name;  // "image001.png"
  std::shared_ptr<const std::string> bytes;
};
// An HTML page as the export makes it; nothing is written yet.
struct HtmlPage {
  std::string text;  // UTF-8
  std::vector<HtmlPicture> pictures;
  std::vector<PicturePlaceholder> placeholders;  // pictures shown as stand-ins
};

// The HTML export. Its pictures are files of the folder `filesFolderName`
// beside the page ("page7_files"), made fit for browsers by `pictures`
// (with none, only formats browsers show as they are are pictures).
// `title` is the page's title.
HtmlPage html(const Model& model, const std::string& filesFolderName, const std::u16string& title,
              PictureConverter* pictures = nullptr);

// The folder of the pictures of the page at `pagePath`: "page7_files" for
// ".../page7.htm".
std::string filesFolderOf(const std::string& pagePath);

// Writes `page` at `path`, made by html() with filesFolderOf(path), and its
// pictures into that folder beside it, which is made only for pictures. The
// page's bytes pass through `filter`, when given, after the pictures are
// written and before the page is. Throws word::Error when a file cannot be
// written.
void savePage(const std::string& path, HtmlPage page,
              const std::function<std::string(std::string)>& filter = {});

// The model as indented text (UTF-8, LF): the styles the paragraphs use,
// then the main story and the notes, paragraph by paragraph with their
// runs, tables with their rows and cells, pictures and note marks where
// they stand, bookmarks after their story, and last what the reader could
// not show (Model::losses). Reader tests compare it with golden files.
std::string dump(const Model& model);

}  // namespace word::write
