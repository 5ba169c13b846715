#pragma once
// What an LMS checks in a cmi5 package's cmi5.xml: the course structure's
// rules (a course, its assignable units, their ids, launch URLs, moveOn,
// mastery scores, launch methods), checked here in code, since no copy of
// the course structure's schema is at hand.
#include <set>
#include <string>
#include <vector>

#include "package/package_check.h"

namespace package {

// Faults: cmi5.xml not well-formed or not a courseStructure of the cmi5
// namespace; no course, or a course or unit without an IRI for its id, or
// without a title or description in langstrings with a lang; a duplicate
// id; no assignable unit (the LMS has nothing to launch); a unit without a
// url, or whose url names a file the package lacks or lies outside it, or
// is absolute and no web address (http, https); a moveOn, launchMethod or masteryScore (0 to 1) out of their ranges. One
// note says what the first unit launches. `files` are the package's files.
std::vector<Finding> checkCmi5(const std::string& structure, const std::set<std::string>& files);

}  // namespace package
