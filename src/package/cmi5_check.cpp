#include "package/cmi5_check.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <string_view>

#include "package/cmi5.h"
#include "package/findings.h"
#include "package/manifest_xml.h"
#include "support/strings.h"

namespace package {

namespace {

constexpr std::array<std::string_view, 5> kMoveOn{"Passed", "Completed", "CompletedAndPassed",
                                                  "CompletedOrPassed", "NotApplicable"};
constexpr std::array<std::string_view, 2> kLaunchMethods{"AnyWindow", "OwnWindow"};

bool isCmi5(xmlNodePtr n, const char* name) {
  return n->type == XML_ELEMENT_NODE && n->ns && n->ns->href &&
         std::strcmp(reinterpret_cast<const char*>(n->ns->href), kCmi5Ns) == 0 &&
         std::strcmp(reinterpret_cast<const char*>(n->name), name) == 0;
}

// An absolute IRI: a scheme, a colon, and no blanks.
bool isIri(const std::string& s) {
  const size_t colon = s.find(':');
  if (colon == std::string::npos || colon == 0 || colon + 1 == s.size() ||
      !std::isalpha(static_cast<unsigned char>(s[0])))
    return false;
  for (size_t i = 0; i < colon; ++i)
    if (!std::isalnum(static_cast<unsigned char>(s[i])) && !std::strchr("+-.", s[i])) return false;
  return std::none_of(s.begin(), s.end(), [](char c) {
    return static_cast<unsigned char>(c) <= 0x20 || c == '<' || c == '>' || c == '"';
  });
}

class Cmi5Checker {
 public:
  explicit Cmi5Checker(const std::set<std::string>& files) : files_(files) {}

  void structure(xmlNodePtr root) {
    int courses = 0;
    for (xmlNodePtr c = root->children; c; c = c->next)
      if (isCmi5(c, "course")) {
        ++courses;
        unit(c, "the course");
      }
    if (courses != 1)
      fault("cmi5.xml has " + std::to_string(courses) + " course elements: one is needed");
    units(root->children, 0);
    if (aus_ == 0) fault("cmi5.xml has no assignable unit (au): an LMS has nothing to launch");
  }

  Findings findings;

 private:
  void fault(std::string m, std::string_view kind = {}) { findings.fault(std::move(m), kind); }
  static constexpr const char* kUnits = "faults of cmi5.xml's blocks and units";

  // The id, title and description a course, block and unit each have.
  void unit(xmlNodePtr n, const std::string& what) {
    std::string id;
    if (!attr(n, "id", id) || !isIri(id))
      fault(what + " (line " + std::to_string(xmlGetLineNo(n)) + ") has the id '" + id +
                "': an IRI is needed",
            kUnits);
    else if (!ids_.insert(id).second)
      fault(what + " has the id " + id + ", which another element of cmi5.xml has", kUnits);
    for (const char* part : {"title", "description"}) {
      bool found = false;
      for (xmlNodePtr c = n->children; c; c = c->next)
        if (isCmi5(c, part))
          for (xmlNodePtr l = c->children; l; l = l->next) {
            std::string lang;
            found = found || (isCmi5(l, "langstring") && attr(l, "lang", lang) && !lang.empty());
          }
      if (!found)
        fault(what + " " + id + " has no " + part + " in a langstring with a lang", kUnits);
    }
  }

  void units(xmlNodePtr n, int depth) {
    for (xmlNodePtr c = n; c && depth < 64; c = c->next) {
      if (isCmi5(c, "block")) {
        unit(c, "block");
        units(c->children, depth + 1);
      } else if (isCmi5(c, "au")) {
        ++aus_;
        au(c);
      }
    }
  }

  void au(xmlNodePtr n) {
    std::string id, value;
    attr(n, "id", id);
    unit(n, "unit");
    const std::string what = "unit " + id + " (line " + std::to_string(xmlGetLineNo(n)) + ")";
    if (attr(n, "moveOn", value) &&
        std::find(kMoveOn.begin(), kMoveOn.end(), value) == kMoveOn.end())
      fault(what + ": moveOn '" + value + "' is none of cmi5's criteria", kUnits);
    if (attr(n, "launchMethod", value) &&
        std::find(kLaunchMethods.begin(), kLaunchMethods.end(), value) == kLaunchMethods.end())
      fault(what + ": launchMethod '" + value + "' is neither AnyWindow nor OwnWindow", kUnits);
    if (attr(n, "masteryScore", value) && !plainDecimalUpTo(value, 1.0))
      fault(what + ": masteryScore '" + value + "' is no score from 0 to 1", kUnits);
    xmlNodePtr url = nullptr;
    for (xmlNodePtr c = n->children; c && !url; c = c->next)
      if (isCmi5(c, "url")) url = c;
    const std::string href = url ? text(url) : "";
    std::string path;
    if (href.empty()) {
      fault(what + " has no url: the LMS has nothing to launch", kUnits);
      return;
    }
    const Where w = resolve("", href, path);
    if (w == Where::External && runsScript(href))
      fault(what + " launches " + href + ": an address that runs script, not content to launch",
            kUnits);
    else if (w == Where::External && !isWebAddress(href))
      fault(what + " launches " + href +
                ": an LMS launches a unit from the package or a web address (http, https)",
            kUnits);
    else if (w == Where::Outside)
      fault(what + " launches " + href + ", outside the package", kUnits);
    else if (w == Where::Unnamable)
      fault(what + " launches " + href + ", a name no file of a package can have", kUnits);
    else if (w == Where::Inside && !files_.count(path))
      fault(what + ": its launch file " + path + " is missing from the package", kUnits);
    else if (launched_.empty()) {
      launched_ = w == Where::Inside ? path : href;
      findings.note("cmi5 package: unit " + id + " launches " + launched_);
    }
  }

  const std::set<std::string>& files_;
  std::set<std::string> ids_;
  int aus_ = 0;
  std::string launched_;
};

}  // namespace

std::vector<Finding> checkCmi5(const std::string& structure, const std::set<std::string>& files) {
  const XmlDoc doc = readXml(structure, kCmi5File);
  if (!doc) return {{Finding::Severity::Fault, "cmi5.xml is not well-formed XML"}};
  xmlNodePtr root = xmlDocGetRootElement(doc.get());
  if (!root || !isCmi5(root, "courseStructure"))
    return {{Finding::Severity::Fault, std::string("cmi5.xml is no courseStructure of ") + kCmi5Ns +
                                           ": an LMS would not take it as cmi5"}};
  if (const auto docType = docTypeFault(doc.get(), kCmi5File))
    return {{Finding::Severity::Fault, *docType}};
  if (elementsBeyond(root, kMaxElements))
    return {{Finding::Severity::Fault, std::string(kCmi5File) + " holds more than " +
                                           std::to_string(kMaxElements) +
                                           " elements: no course has as many, and it is not "
                                           "checked further"}};
  Cmi5Checker ck(files);
  if (const auto encoding = encodingFault(structure, doc.get(), kCmi5File))
    ck.findings.fault(*encoding);
  ck.structure(root);
  return ck.findings.take();
}

}  // namespace package
