#include "package/course_settings.h"

#include <glib.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iterator>
#include <memory>
#include <nlohmann/json.hpp>

#include "package/contents.h"
#include "support/codepage.h"
#include "support/files.h"
#include "support/runtime_error.h"
#include "support/strings.h"

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

// A file name as a script string: printable ASCII only, whatever the
// name's encoding, and none of what ends the string, the script or a value
// as `value` reads it.
std::string quoted(const std::string& utf8) {
  static const char* hex = "0123456789abcdef";
  std::string out = "\"";
  for (char16_t c : support::fromUtf8(utf8)) {
    if (c >= 0x20 && c < 0x7F &&
        std::u16string_view(u"\"\\<,}").find(c) == std::u16string_view::npos) {
      out += static_cast<char>(c);
    } else {
      out += "\\u";
      for (int shift = 12; shift >= 0; shift -= 4) out += hex[(c >> shift) & 15];
    }
  }
  return out + "\"";
}

// The string `quoted` wrote, or nothing when `v` is none.
std::optional<std::string> unquoted(const std::string& v) {
  if (v.size() < 2 || v.front() != '"' || v.back() != '"') return std::nullopt;
  std::u16string text;
  for (size_t i = 1; i + 1 < v.size(); ++i) {
    if (v[i] != '\\') {
      text += static_cast<char16_t>(static_cast<unsigned char>(v[i]));
      continue;
    }
    if (i + 6 > v.size() - 1 || v[i + 1] != 'u') return std::nullopt;
    const std::string digits = v.substr(i + 2, 4);
    if (digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
      return std::nullopt;
    text += static_cast<char16_t>(std::stoul(digits, nullptr, 16));
    i += 5;
  }
  return support::toUtf8(text);
}

struct TargetName {
  course::Targets bit;
  std::string_view name;
};
constexpr TargetName kTargetNames[] = {{course::kImsTarget, "ims"},
                                       {course::kScorm12Target, "scorm12"},
                                       {course::kScorm2004Target, "scorm2004"},
                                       {course::kCmi5Target, "cmi5"}};

bool hexDigest(const std::string& s) {
  return s.size() == 64 && s.find_first_not_of("0123456789abcdef") == std::string::npos;
}

// The files of the outline's lines, one "{...}" a line after "files": [,
// as courseScript writes them; none when the list is not in that form.
std::vector<course::EntryFiles> entryFiles(const std::string& text) {
  std::vector<course::EntryFiles> out;
  const std::string lead = "\n  \"files\": [\n";
  size_t at = text.find(lead);
  if (at == std::string::npos) return out;
  for (at += lead.size(); at < text.size();) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    at = end + 1;
    line.erase(0, line.find_first_not_of(' '));
    if (line.starts_with(']')) return out;
    if (line.ends_with(',')) line.pop_back();
    if (!line.starts_with('{') || !line.ends_with('}')) return {};
    auto field = [&](const char* key) {
      const std::optional<std::string> v = value(line, key);
      return v ? unquoted(*v).value_or("") : std::string();
    };
    out.push_back({field("page"), field("test"), field("data")});
  }
  return {};
}

[[noreturn]] void bad(const std::string& file, const std::string& why) {
  support::raise(support::kPathFileAccessError, file + " " + why);
}

}  // namespace

std::string targetNames(course::Targets targets, char separator) {
  std::string out;
  for (const TargetName& t : kTargetNames) {
    if (!(targets & t.bit)) continue;
    if (!out.empty()) out += separator;
    out += t.name;
  }
  return out;
}

std::optional<course::Targets> parseTargets(std::string_view list, char separator) {
  course::Targets targets = 0;
  while (true) {
    const size_t end = list.find(separator);
    const std::string_view name = list.substr(0, end);
    const auto t = std::find_if(std::begin(kTargetNames), std::end(kTargetNames),
                                [&](const TargetName& n) { return n.name == name; });
    if (t == std::end(kTargetNames) || (targets & t->bit)) return std::nullopt;
    targets |= t->bit;
    if (end == std::string_view::npos) return targets;
    list.remove_prefix(end + 1);
  }
}

std::string courseScript(const CourseSettings& s) {
  std::string out =
      "// What the course player needs to know of this course, written by the converter.\n"
      "window.rdCourse = {\n"
      "  \"passMark\": " +
      std::to_string(s.passMark) +
      ",\n  \"hideAnswers\": " + (s.quiz.hideAnswers ? "true" : "false") +
      ",\n  \"attempts\": " + std::to_string(s.quiz.attempts) +
      ",\n  \"shuffle\": " + (s.quiz.shuffle ? "true" : "false");
  if (!s.title.empty()) out += ",\n  \"title\": " + quoted(s.title);
  if (!s.author.empty()) out += ",\n  \"author\": " + quoted(s.author);
  if (plainTag(s.language)) out += ",\n  \"lang\": \"" + s.language + "\"";
  if (!s.document.empty()) out += ",\n  \"document\": " + quoted(s.document);
  if (hexDigest(s.documentHash)) out += ",\n  \"documentHash\": \"" + s.documentHash + "\"";
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
  out += ",\n  \"targets\": \"" + targetNames(s.targets, ' ') + "\"";
  return out + "\n};\n";
}

std::string courseLine(std::u16string_view raw) {
  return support::trimBlanks(support::toUtf8(support::controlsAsBlanks(raw)));
}

std::string documentHash(const std::string& documentPath) {
  std::error_code ec;
  std::filesystem::path full = std::filesystem::weakly_canonical(documentPath, ec);
  const std::string path = ec ? documentPath : full.string();
  std::string key = "raredozud";
  try {
    key = support::readFile("/etc/machine-id");
  } catch (const support::Error&) {
    // No id: the hash is the same on every such machine, still not the path.
  }
  std::unique_ptr<gchar, decltype(&g_free)> digest(
      g_compute_hmac_for_data(G_CHECKSUM_SHA256, reinterpret_cast<const guchar*>(key.data()),
                              key.size(), reinterpret_cast<const guchar*>(path.data()),
                              path.size()),
      &g_free);
  return digest.get();
}

void writeCourseScript(const std::string& folder, const CourseSettings& settings) {
  support::writeFile(path(folder), courseScript(settings));
}

std::optional<CourseSettings> readCourseScript(const std::string& folder) {
  const std::string file = path(folder);
  if (support::isLink(file)) bad(file, "is a symbolic link, not a file of the package");
  if (!std::filesystem::exists(file)) return std::nullopt;
  return parseCourseScript(readPackageFile(folder, kCourseScript), file);
}

CourseSettings parseCourseScript(const std::string& text, const std::string& file) {
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
  s.quiz.hideAnswers = value(text, "hideAnswers") == "true";
  s.quiz.shuffle = value(text, "shuffle") == "true";
  if (std::optional<std::string> v = value(text, "attempts");
      v && !v->empty() && v->size() <= 3 && v->find_first_not_of("0123456789") == std::string::npos)
    s.quiz.attempts = std::stoi(*v);
  if (std::optional<std::string> v = value(text, "document"))
    s.document = unquoted(*v).value_or("");
  if (std::optional<std::string> v = value(text, "documentHash"); v && v->size() == 66)
    if (hexDigest(v->substr(1, 64))) s.documentHash = v->substr(1, 64);
  s.files = entryFiles(text);
  if (std::optional<std::string> v = value(text, "targets")) {
    const std::optional<std::string> list = unquoted(*v);
    const std::optional<course::Targets> t = list ? parseTargets(*list, ' ') : std::nullopt;
    if (!t)
      bad(file, "gives the targets " + *v +
                    ": names among ims, scorm12, scorm2004 and cmi5 "
                    "are needed");
    s.targets = *t;
  }
  // The player would run without any of it.
  if (const std::optional<std::string> why = courseScriptFault(text)) bad(file, *why);
  return s;
}

namespace {

// Where the comment at `at` ends: at any of the line ends a browser reads,
// a carriage return and the Unicode line and paragraph separators among them.
size_t commentEnd(std::string_view text, size_t at) {
  return std::min(
      {text.find_first_of("\r\n", at), text.find("\u2028", at), text.find("\u2029", at)});
}

}  // namespace

std::optional<std::string> courseScriptFault(std::string_view text) {
  constexpr std::string_view kBlank = " \t\r\n", kLead = "window.rdCourse = ";
  size_t at = text.find_first_not_of(kBlank);
  while (at != std::string_view::npos && text.substr(at).starts_with("//"))
    at = text.find_first_not_of(kBlank, commentEnd(text, at));
  if (at == std::string_view::npos || !text.substr(at).starts_with(kLead))
    return "does not set window.rdCourse";
  std::string_view settings = text.substr(at + kLead.size());
  const size_t end = settings.find_last_not_of(kBlank);
  if (end == std::string_view::npos || settings[end] != ';' || !settings.starts_with('{') ||
      !nlohmann::json::accept(settings.substr(0, end)))
    return "is damaged: \"window.rdCourse = \" is not followed by a JSON object and \";\" alone";
  return std::nullopt;
}

}  // namespace package
