#pragma once
// The course header page (header.htm): title, and author when there is one.
#include <string>
#include <vector>

#include "convert/session.h"

namespace package {

std::vector<std::u16string> headerLines(const convert::Session& session);

// Writes outputFolder + "header.htm" in windows-1251; errors go to the caller.
void writeHeader(const convert::Session& session, const std::string& outputFolder);

}  // namespace package
