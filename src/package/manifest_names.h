#pragma once
// The copy step's one reading of the IMS manifest: the course's title and
// the package paths its resources name. It lies on the step's serial path,
// before anything can be packed: read with pugixml, decoding included, it
// takes 9 million instructions for large.doc's manifest against libxml2's
// 32. The package check keeps libxml2, which validates.
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace package {

struct ManifestNames {
  // As courseTitle gives it: the first langstring of the manifest's own
  // metadata, blanks at either end trimmed, in UTF-8.
  std::string title;
  // Every package path a resource or file element of a content packaging
  // namespace names in its href, xml:base applied, inside the package.
  std::set<std::string> files;
};

// The manifest's bytes in the encoding its declaration names (the code
// pages the converter writes, UTF-8, UTF-16 or whatever iconv knows); none
// when they are no well-formed XML with a root element.
std::optional<ManifestNames> manifestNames(std::string_view bytes);

}  // namespace package
