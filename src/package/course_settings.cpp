#include "package/course_settings.h"

#include <cctype>
#include <filesystem>

#include "support/files.h"
#include "support/runtime_error.h"

namespace package {

namespace {

std::string path(const std::string& folder) {
  return folder + (folder.empty() || folder.back() == '/' ? "" : "/") + kCourseScript;
}

// A language tag is letters, digits and hyphens: nothing that could end the
// script's string.
bool plainTag(const std::string& tag) {
  if (tag.empty() || tag.size() > 35) return false;
  for (char c : tag)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-') return false;
  return true;
}

// The value after `"key":` on one of the script's lines, or nothing.
std::optional<std::string> value(const std::string& text, const std::string& key) {
  const std::string lead = "\"" + key + "\":";
  for (size_t at = text.find(lead); at != std::string::npos; at = text.find(lead, at + 1)) {
    if (at > 0 && text[at - 1] != ' ' && text[at - 1] != '\n' && text[at - 1] != '{') continue;
    size_t b = at + lead.size();
    while (b < text.size() && text[b] == ' ') ++b;
    size_t e = text.find_first_of(",\r\n}", b);
    std::string v = text.substr(b, e == std::string::npos ? std::string::npos : e - b);
    while (!v.empty() && v.back() == ' ') v.pop_back();
    return v;
  }
  return std::nullopt;
}

[[noreturn]] void bad(const std::string& file, const std::string& why) {
  support::raise(support::kPathFileAccessError, file + " " + why);
}

}  // namespace

std::string courseScript(const CourseSettings& s) {
  std::string out =
      "// What the course player needs to know of this course, written by the converter.\n"
      "window.rdCourse = {\n"
      "  \"passMark\": " +
      std::to_string(s.passMark);
  if (plainTag(s.language)) out += ",\n  \"lang\": \"" + s.language + "\"";
  if (!s.files.empty()) {
    out += ",\n  \"files\": [";
    const char* separator = "\n    ";
    for (const course::EntryFiles& f : s.files) {
      out += separator;
      separator = ",\n    ";
      if (!f.page.empty())
        out += "{\"page\": \"" + f.page + "\"}";
      else if (!f.testPage.empty())
        out += "{\"test\": \"" + f.testPage + "\", \"data\": \"" + f.testData + "\"}";
      else
        out += "{}";
    }
    out += "\n  ]";
  }
  return out + "\n};\n";
}

void writeCourseScript(const std::string& folder, const CourseSettings& settings) {
  support::writeFile(path(folder), courseScript(settings));
}

std::optional<CourseSettings> readCourseScript(const std::string& folder) {
  const std::string file = path(folder);
  if (support::isLink(file)) bad(file, "is a symbolic link, not a file of the package");
  if (!std::filesystem::exists(file)) return std::nullopt;
  const std::string text = support::readFile(file);
  CourseSettings s;
  const std::optional<std::string> mark = value(text, "passMark");
  if (!mark) bad(file, "gives no pass mark (\"passMark\": a number from 0 to 100)");
  if (mark->empty() || mark->size() > 3 ||
      mark->find_first_not_of("0123456789") != std::string::npos || std::stoi(*mark) > 100)
    bad(file, "gives the pass mark '" + *mark + "': a number from 0 to 100 is needed");
  s.passMark = std::stoi(*mark);
  if (std::optional<std::string> lang = value(text, "lang");
      lang && lang->size() >= 2 && lang->front() == '"' && lang->back() == '"') {
    std::string tag = lang->substr(1, lang->size() - 2);
    if (plainTag(tag)) s.language = tag;
  }
  return s;
}

}  // namespace package
