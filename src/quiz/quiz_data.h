#pragma once
// Test sections: the data file testdataN.htm (the section between a fixed
// prologue and epilogue, exported as text) and the test page testN.htm.
#include <cstdint>
#include <string>

#include "course/export_context.h"

namespace quiz {

inline constexpr const char16_t* kDataPrologue =
    u"<html><head><meta http-equiv='Content-Type' content='text/html; "
    u"charset=Windows-1251'></head><body><pre>";

// Makes the active document, just added, the test data of what the
// clipboard holds (a test section copied from the source): the section
// between the data file's prologue with its "%TEST=" title line and its
// "%TEST_END" epilogue. Returns where the section lies: the text that the
// data file holds as text ("&", "<", ">" written as entities), so that the
// file, opened on its own, shows what the author typed and runs nothing.
word::StorySpan composeTestData(word::Application& app, const std::u16string& title);

// The source document must be active; it is active again on return. Takes
// the next test number (session.testCounter) and records it in the entry's
// entryCount. Failures are reported ("saveTest: file ...") and not raised.
void saveTest(course::ExportContext& run, const std::string& outputFolder, int32_t rangeStart,
              int32_t rangeEnd, int32_t entryNumber);

}  // namespace quiz
