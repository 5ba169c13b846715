#pragma once
// Reading a manifest's elements and the package paths its hrefs name, for
// the package check and for choosing the zip's files alike.
#include <libxml/tree.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace package {

inline constexpr const char* kCpNs = "http://www.imsglobal.org/xsd/imscp_v1p1";
// IMS Content Packaging 1.1.2, as SCORM 1.2 packages use it.
inline constexpr const char* kCp112Ns = "http://www.imsproject.org/xsd/imscp_rootv1p1p2";

struct XmlDocFree {
  void operator()(xmlDocPtr d) const { xmlFreeDoc(d); }
};
using XmlDoc = std::unique_ptr<xmlDoc, XmlDocFree>;
// `bytes` parsed quietly, without the network (`name` for its messages);
// none when they are no well-formed XML.
XmlDoc readXml(std::string_view bytes, const char* name);
// The fault of a file that declares a document type, or nothing. Its
// entities stay unexpanded here (expanding them would let a package read the
// machine's files), and the schema validator cannot walk past one.
std::optional<std::string> docTypeFault(xmlDocPtr doc, const char* name);
// The fault of a file whose byte order mark and XML declaration name two
// encodings, or nothing. `doc` is the file `bytes` parsed (the parser
// follows the mark).
std::optional<std::string> encodingFault(std::string_view bytes, xmlDocPtr doc,
                                         const char* name);
// No course's manifest or cmi5.xml holds more elements; a file of millions
// (a zip of kilobytes) takes the validator minutes, and the checks' findings
// gigabytes.
inline constexpr size_t kMaxElements = 200000;
// Whether the tree under `root` holds more than `limit` elements; counts no
// further than that.
bool elementsBeyond(xmlNodePtr root, size_t limit);

// An element of a content packaging namespace (1.1.4 or 1.1.2) with this
// local name.
bool isCp(xmlNodePtr n, const char* name);
// The attribute without a namespace, when the element has it.
bool attr(xmlNodePtr n, const char* name, std::string& out);
// The element's text, blanks at either end trimmed.
std::string text(xmlNodePtr n);
// Whether `s` is a plain decimal (digits, at most one point, not first)
// from 0 to `most`, as the packages' mastery scores are written.
bool plainDecimalUpTo(const std::string& s, double most);
// The course's title as the IMS manifest whose root element is `manifest`
// gives it (the first langstring of its own metadata), surrounding blanks
// and line ends removed; empty when it gives none.
std::string courseTitle(xmlNodePtr manifest);
// The element's xml:base, or "".
std::string xmlBase(xmlNodePtr n);
std::string withSlash(std::string base);

enum class Where { Inside, External, Outside, Unnamable };

// The package path an href names, relative to the manifest's folder (the
// package root), after the xml:base values that apply (`base`): percent
// escapes decoded, "." and ".." resolved, query and fragment dropped. An
// address with a scheme is External; one above the root or absolute is
// Outside; one whose name holds a control character or a backslash once
// decoded is Unnamable: a file system would cut the name at a NUL, and a
// browser reads a backslash as a slash.
Where resolve(const std::string& base, const std::string& href, std::string& out);

// An address that runs script where it is opened (javascript:, vbscript:,
// data:) rather than naming content: an LMS refuses it, or runs it in its
// own page.
bool runsScript(const std::string& href);

// An address of the web: one whose scheme is http or https. The LMS
// adds the launch's parameters to it, and a browser cannot open the
// learner's own files (file:) or a drive ("C:/") from the LMS's page.
bool isWebAddress(const std::string& href);

}  // namespace package
