#pragma once
// The course header page (header.htm): title, and author when there is one,
// as text ("&", "<" and ">" escaped, character references kept).
#include <string>
#include <vector>

#include "course/session.h"

namespace package {

std::vector<std::u16string> headerLines(const course::Session& session);

// Writes outputFolder + "header.htm" in windows-1251; errors go to the caller.
void writeHeader(const course::Session& session, const std::string& outputFolder);

}  // namespace package
