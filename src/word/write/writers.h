#pragma once
// Writers: HTML (save format 8), text (save format 2) and the model dump.
#include <functional>
#include <string>
#include <vector>

#include "word/model.h"

namespace word::write {

enum class TextEncoding { Windows1251, Utf8 };

// The text export: paragraphs end in CR LF, cells are separated by TAB and
// rows end in CR LF, list labels stand before their paragraphs. In
// windows-1251 a character the code page lacks becomes "&#N;".
std::string text(const Model& model, TextEncoding encoding);

class PictureConverter;

// A picture the HTML export shows as a stand-in (a box with its
// alternative text): browsers lack its format and it could not be
// converted.
struct PicturePlaceholder {
  uint32_t pos = 0;     // of its mark in the main story
  std::string format;   // "pict", "wmf", ...
  std::string problem;  // why, in a few words
  bool linked = false;  // a file outside the document (Picture::linked)
};

// The HTML export, UTF-8; pictures go to "<page>_files/" beside the page,
// made fit for browsers by `pictures` (with none, only formats browsers
// show as they are are written as pictures). `title` is the page's title.
// The page's bytes pass through `filter`, when given, after the pictures
// are written and before the page is. Throws word::Error when a file
// cannot be written.
std::vector<PicturePlaceholder> html(const Model& model, const std::string& path,
                                     const std::u16string& title,
                                     const std::function<std::string(std::string)>& filter = {},
                                     PictureConverter* pictures = nullptr);
std::string htmlString(const Model& model, const std::string& filesFolderName,
                       const std::u16string& title);

// The model as indented text (UTF-8, LF): the styles the paragraphs use,
// then the main story and the notes, paragraph by paragraph with their
// runs, tables with their rows and cells, pictures and note marks where
// they stand, bookmarks after their story. Reader tests compare it with
// golden files.
std::string dump(const Model& model);

}  // namespace word::write
