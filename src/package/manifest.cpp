#include "package/manifest.h"

#include <set>

#include "course/file_names.h"
#include "package/escape.h"
#include "support/codepage.h"
#include "support/lines.h"
#include "support/strings.h"

namespace package {

using support::number;
using support::widen;

namespace {

// Every entry but a chapter's end has a line in the preview.
bool previewed(int32_t kind) {
  return kind != course::kChapterEnd;
}

}  // namespace

const char* manifestCodePage(const course::Session& session) {
  return session.languageMode == 1 ? support::kCyrillic : support::kWestern;
}

std::vector<std::u16string> manifestLines(const course::Session& s, int32_t n) {
  const bool cyrillic = s.languageMode == 1;
  const std::u16string encoding = cyrillic ? u"windows-1251" : u"windows-1252";
  const std::u16string language = cyrillic ? u"ru" : u"en";
  const std::u16string cp = kCpNamespace, md = kMdNamespace;

  std::vector<std::u16string> out = {
      u"<?xml version='1.0' encoding='" + encoding + u"'?>",
      u"<manifest identifier='MANIFEST01' xmlns='" + cp + u"' xmlns:imsmd='" + md +
          u"' xmlns:xsi='" + kXsiNamespace + u"' xsi:schemaLocation='" + cp +
          u" imscp_v1p1p3.xsd " + md + u" imsmd_v1p2p2.xsd'>",
      u"<metadata>",
      u"<schema>IMS CONTENT</schema>",
      u"<schemaversion>1.1</schemaversion>",
      u"<imsmd:lom>",
      u"<imsmd:general>",
      u"<imsmd:title>",
      u"<imsmd:langstring xml:lang='" + language + u"'>" + xmlContent(s.courseTitle) +
          u"</imsmd:langstring>",
      u"</imsmd:title>",
      u"</imsmd:general>",
      u"</imsmd:lom>",
      u"</metadata>",
      u"<organizations default='ORG1'>",
      u"<organization identifier='ORG1'>",
  };

  // Identifiers are XML IDs: a repeated one is made unique with the entry
  // number, which no "ITEM" + number identifier can equal.
  std::set<std::u16string> used;
  auto identifier = [&](int32_t i) {
    std::u16string id = u"ITEM" + number(s.entryPid(i));
    if (!used.insert(id).second) {
      id += u"_" + number(i);
      used.insert(id);
    }
    return id;
  };

  int32_t openChapters = 0;
  for (int32_t i = 1; i <= n; ++i) {
    const int32_t kind = s.entryKind(i);
    if (course::writesPage(kind) || course::writesTest(kind)) {
      out.push_back(u"<item identifier='" + identifier(i) + u"' identifierref='RESOURCE" +
                    number(i) + u"' isvisible='1' parameters=''>");
      out.push_back(u"<title>" + xmlContent(s.entryTitle(i)) + u"</title>");
      out.push_back(u"</item>");
    } else if (kind == course::kChapterStart) {
      out.push_back(u"<item identifier='" + identifier(i) + u"'  isvisible='1' parameters=''>");
      out.push_back(u"<title>" + xmlContent(s.entryTitle(i)) + u"</title>");
      ++openChapters;
    } else if (kind == course::kChapterEnd && openChapters > 0) {
      out.push_back(u"</item>");
      --openChapters;
    }
  }
  for (; openChapters > 0; --openChapters) out.push_back(u"</item>");

  out.push_back(u"</organization>");
  out.push_back(u"</organizations>");
  out.push_back(u"<resources>");
  for (int32_t i = 1; i <= n; ++i) {
    const std::u16string file = widen(course::entryFiles(s, i).opened());
    if (file.empty()) continue;
    out.push_back(u"<resource identifier='RESOURCE" + number(i) + u"' type='webcontent' href = '" +
                  file + u"'>");
    out.push_back(u"<file href='" + file + u"'/>");
    out.push_back(u"</resource>");
  }
  out.push_back(u"</resources>");
  out.push_back(u"</manifest>");
  return out;
}

std::vector<std::u16string> previewLines(const course::Session& s, int32_t n) {
  std::vector<std::u16string> out = {
      u"<html><head><meta http-equiv='Content-Type' content='text/html; "
      u"charset=Windows-1251'></head><body><pre>"};
  int32_t inChapter = 0;  // one flag, not a depth
  for (int32_t i = 1; i <= n; ++i) {
    const int32_t kind = s.entryKind(i);
    // The untitled content after an early "%PID=" has its page, but the
    // preview names none for it (course.js does).
    const std::u16string file =
        kind == course::kUntitled ? u"" : widen(course::entryFiles(s, i).opened());
    if (kind == course::kChapterStart) inChapter = 0;
    if (previewed(kind))
      out.push_back(u"ITEM" + number(s.entryPid(i)) + u"|" + s.entryTitle(i) + u"|" + file + u"|" +
                    number(inChapter));
    if (kind == course::kChapterStart) inChapter = -1;
    if (kind == course::kChapterEnd) inChapter = 0;
  }
  out.push_back(u"%MANIFEST_END");
  out.push_back(u"</pre></body></html>");
  return out;
}

std::vector<course::EntryFiles> previewFiles(const course::Session& s, int32_t n) {
  std::vector<course::EntryFiles> files;
  for (int32_t i = 1; i <= n; ++i)
    if (previewed(s.entryKind(i))) files.push_back(course::entryFiles(s, i));
  return files;
}

void writeManifest(const course::Session& session, const std::string& outputFolder,
                   int32_t entryTotal) {
  support::writeTextFile(outputFolder + "imsmanifest.xml", manifestLines(session, entryTotal),
                         manifestCodePage(session));
  support::writeTextFile(outputFolder + "pvomanifest.htm", previewLines(session, entryTotal),
                         support::kCyrillic);
}

}  // namespace package
