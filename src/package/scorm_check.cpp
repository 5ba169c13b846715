#include "package/scorm_check.h"

#include <cstring>
#include <map>
#include <sstream>

#include "package/findings.h"
#include "package/manifest_xml.h"
#include "package/scorm.h"
#include "package/scorm2004.h"

namespace package {

namespace {

std::string lineOf(xmlNodePtr n) {
  return "line " + std::to_string(xmlGetLineNo(n));
}

bool nsAttr(xmlNodePtr n, const char* name, const char* ns, std::string& out) {
  xmlChar* v = xmlGetNsProp(n, BAD_CAST name, BAD_CAST ns);
  if (!v) return false;
  out = reinterpret_cast<const char*>(v);
  xmlFree(v);
  return true;
}

bool isIn(xmlNodePtr n, const char* ns, const char* name) {
  return n->type == XML_ELEMENT_NODE && n->ns && n->ns->href &&
         std::strcmp(reinterpret_cast<const char*>(n->ns->href), ns) == 0 &&
         std::strcmp(reinterpret_cast<const char*>(n->name), name) == 0;
}

// What tells the editions apart in a manifest: the namespace of ADL's
// extensions, the name of the SCO type attribute, and how the pass mark is
// given.
struct Edition {
  const char* name;
  const char* adlcpNs;
  const char* typeAttribute;
};
constexpr Edition kScorm12{"SCORM 1.2", kAdlcpNs, "scormtype"};
constexpr Edition kScorm2004{"SCORM 2004", kAdlcp2004Ns, "scormType"};

// A scaled score (SCORM 2004's pass mark) is a number from -1 to 1.
bool isScaled(const std::string& s) {
  return plainDecimalUpTo(s.starts_with('-') ? s.substr(1) : s, 1.0);
}

// The elements below `n` of namespace `ns` and local name `name`.
void collect(xmlNodePtr n, const char* ns, const char* name, std::vector<xmlNodePtr>& out,
             int depth = 0) {
  for (xmlNodePtr c = n; c && depth < 64; c = c->next) {
    if (isIn(c, ns, name)) out.push_back(c);
    if (c->type == XML_ELEMENT_NODE) collect(c->children, ns, name, out, depth + 1);
  }
}

bool isWebPage(const std::string& path) {
  const size_t dot = path.rfind('.');
  std::string ext = dot == std::string::npos ? "" : path.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext == "htm" || ext == "html" || ext == "xhtml";
}

struct Resource {
  xmlNodePtr node;
  std::string base;  // the xml:base values that apply to its hrefs
};

class ScormChecker {
 public:
  ScormChecker(const Edition& edition, const std::set<std::string>& files,
               std::set<std::string>& missing)
      : edition_(edition), files_(files), missing_(missing) {}

  void gather(xmlNodePtr n, const std::string& base, int depth) {
    for (xmlNodePtr c = n; c && depth < 256; c = c->next) {
      if (c->type != XML_ELEMENT_NODE) continue;
      const std::string here = base + withSlash(xmlBase(c));
      std::string id;
      if (isCp(c, "resource") && attr(c, "identifier", id)) resources_[id] = {c, here};
      if (isCp(c, "item")) items_.push_back(c);
      gather(c->children, here, depth + 1);
    }
  }

  void resources() {
    bool anySco = false;
    for (const auto& [id, r] : resources_) {
      std::string type;
      if (!nsAttr(r.node, edition_.typeAttribute, edition_.adlcpNs, type))
        fault("resource '" + id + "' (" + lineOf(r.node) +
                  ") has no adlcp:" + edition_.typeAttribute +
                  ": an LMS needs \"sco\" or \"asset\" to know whether it reports to it",
              "resources without a type");
      anySco = anySco || type == "sco";
    }
    if (!anySco)
      fault("no resource is a SCO (adlcp:" + std::string(edition_.typeAttribute) +
            "=\"sco\"): an LMS would track nothing");
  }

  void items() {
    for (xmlNodePtr item : items_) {
      std::string id, ref;
      attr(item, "identifier", id);
      std::vector<xmlNodePtr> measures;
      collect(item->children, kImsssNs, "minNormalizedMeasure", measures);
      bool scored = !measures.empty();
      for (xmlNodePtr c = item->children; c; c = c->next) {
        if (!isIn(c, kAdlcpNs, "masteryscore")) continue;
        scored = true;
        if (!plainDecimalUpTo(text(c), 100.0))
          fault("item '" + id + "' (" + lineOf(c) + "): adlcp:masteryscore '" + text(c) +
                    "' is no score from 0 to 100",
                "items whose score is none");
      }
      for (xmlNodePtr m : measures)
        if (!isScaled(text(m)))
          fault("item '" + id + "' (" + lineOf(m) + "): imsss:minNormalizedMeasure '" + text(m) +
                    "' is no scaled score from -1 to 1",
                "items whose score is none");
      if (!attr(item, "identifierref", ref)) continue;
      auto r = resources_.find(ref);
      if (r != resources_.end()) launch(id, ref, r->second, scored);
    }
  }

  void schemas(xmlNodePtr root) {
    std::string locations;
    if (!nsAttr(root, "schemaLocation", "http://www.w3.org/2001/XMLSchema-instance", locations))
      return;
    std::istringstream words(locations);
    std::string ns, file, path;
    while (words >> ns >> file)
      if (resolve("", file, path) == Where::Inside && !files_.count(path))
        fault("the manifest names the schema " + path + " (xsi:schemaLocation), which the " +
                  "package lacks",
              "schemas the package lacks");
  }

  Findings findings;

 private:
  void fault(std::string m, std::string_view kind = {}) { findings.fault(std::move(m), kind); }

  static constexpr const char* kLaunches = "items that launch nothing a browser can show";

  // `scored`: the item has a pass mark.
  void launch(const std::string& item, const std::string& id, const Resource& r, bool scored) {
    std::string href, path, type;
    const bool typed = nsAttr(r.node, edition_.typeAttribute, edition_.adlcpNs, type);
    const bool sco = typed && type == "sco";
    const std::string what =
        "item '" + item + "' launches resource '" + id + "' (" + lineOf(r.node) + ")";
    if (scored && typed && !sco)
      fault(what + ", an asset, with a pass mark: an asset reports no score, so the mark is " +
                "never met",
            "items whose pass mark an asset cannot meet");
    if (!attr(r.node, "href", href)) {
      fault(what + ", which has no href: the LMS has nothing to launch", kLaunches);
      return;
    }
    const Where w = resolve(r.base, href, path);
    if (w == Where::External && sco)
      fault(what + " at " + href + ", outside the package", kLaunches);
    if (w != Where::Inside) return;
    if (!files_.count(path)) {
      missing_.insert(path);
      fault(what + ": its launch file " + path + " is missing from the package", kLaunches);
    } else if (!isWebPage(path)) {
      fault(what + ": its launch file " + path + " is no web page a browser can show", kLaunches);
    } else if (sco && launched_.empty()) {
      launched_ = path;
      findings.note(std::string(edition_.name) + " package: item '" + item + "' launches " + path +
                    " as a SCO");
    }
  }

  const Edition& edition_;
  const std::set<std::string>& files_;
  std::set<std::string>& missing_;
  std::map<std::string, Resource> resources_;
  std::vector<xmlNodePtr> items_;
  std::string launched_;
};

}  // namespace

bool isScormManifest(xmlDocPtr doc) {
  xmlNodePtr root = xmlDocGetRootElement(doc);
  return root && root->ns && root->ns->href &&
         std::strcmp(reinterpret_cast<const char*>(root->ns->href), kCp112Ns) == 0;
}

bool isScorm2004Manifest(xmlDocPtr doc) {
  xmlNodePtr root = xmlDocGetRootElement(doc);
  if (!root || !root->ns || !root->ns->href ||
      std::strcmp(reinterpret_cast<const char*>(root->ns->href), kCpNs) != 0)
    return false;
  for (xmlNsPtr ns = root->nsDef; ns; ns = ns->next)
    if (ns->href && std::strcmp(reinterpret_cast<const char*>(ns->href), kAdlcp2004Ns) == 0)
      return true;
  std::vector<xmlNodePtr> versions;
  for (xmlNodePtr c = root->children; c; c = c->next)
    if (isCp(c, "metadata")) collect(c->children, kCpNs, "schemaversion", versions);
  return !versions.empty() && text(versions.front()).starts_with("2004");
}

std::vector<Finding> checkScorm(xmlDocPtr doc, const std::set<std::string>& files,
                                std::set<std::string>& reportedMissing) {
  xmlNodePtr root = xmlDocGetRootElement(doc);
  ScormChecker ck(isScormManifest(doc) ? kScorm12 : kScorm2004, files, reportedMissing);
  if (!root) return {};
  ck.gather(root, "", 0);
  ck.resources();
  ck.items();
  ck.schemas(root);
  return ck.findings.take();
}

}  // namespace package
