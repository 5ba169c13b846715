#pragma once
// The package manifest (imsmanifest.xml) and its plain preview
// (pvomanifest.htm), both built from outline rows 1 to entryTotal.
#include <cstdint>
#include <string>
#include <vector>

#include "course/file_names.h"
#include "course/session.h"

namespace package {

inline constexpr const char16_t* kCpNamespace = u"http://www.imsglobal.org/xsd/imscp_v1p1";
inline constexpr const char16_t* kMdNamespace = u"http://www.imsglobal.org/xsd/imsmd_v1p2";
inline constexpr const char16_t* kXsiNamespace = u"http://www.w3.org/2001/XMLSchema-instance";

// The code page the manifest declares and is written in: windows-1251 for
// language mode 1, windows-1252 otherwise.
const char* manifestCodePage(const course::Session& session);

// The manifest's lines, without line ends. Titles are made valid XML
// content; open chapters are closed before "</organization>"; an item
// identifier used before gets "_" and the entry number.
std::vector<std::u16string> manifestLines(const course::Session& session, int32_t entryTotal);

// The preview's lines, without line ends.
std::vector<std::u16string> previewLines(const course::Session& session, int32_t entryTotal);

// The files of each entry the preview has a line for, in its order.
std::vector<course::EntryFiles> previewFiles(const course::Session& session, int32_t entryTotal);

// Writes outputFolder + "imsmanifest.xml", then outputFolder +
// "pvomanifest.htm". Errors (a missing folder, error 9 for an entry past
// 1000) go to the caller.
void writeManifest(const course::Session& session, const std::string& outputFolder,
                   int32_t entryTotal);

}  // namespace package
