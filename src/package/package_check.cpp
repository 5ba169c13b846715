#include "package/package_check.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>

#include "package/cmi5_check.h"
#include "package/contents.h"
#include "package/entry_names.h"
#include "package/findings.h"
#include "package/manifest_schema.h"
#include "package/manifest_xml.h"
#include "package/scorm_check.h"
#include "support/error.h"
#include "support/strings.h"
#include "support/zip_reader.h"

namespace package {
namespace fs = std::filesystem;

size_t countFaults(const std::vector<Finding>& findings) {
  size_t n = 0;
  for (const Finding& f : findings) n += f.severity == Finding::Severity::Fault ? f.count : 0;
  return n;
}

size_t CheckResult::faults() const {
  return countFaults(findings);
}

namespace {

// A finding on one line whatever names it quotes: a line end or escape
// sequence in a file's name shows as its code, and cannot forge a line.
std::string oneLine(const std::string& message) {
  std::string out;
  for (const char c : message) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x20 && u != 0x7F) {
      out += c;
      continue;
    }
    static const char kHex[] = "0123456789ABCDEF";
    out += "\\x";
    out += kHex[u >> 4];
    out += kHex[u & 15];
  }
  return out;
}

}  // namespace

std::string formatResult(const CheckResult& result) {
  std::string out;
  for (const Finding& f : result.findings)
    out +=
        (f.severity == Finding::Severity::Fault ? "fault: " : "note: ") + oneLine(f.message) + "\n";
  size_t n = result.faults();
  out += n == 0 ? "package OK: no fault found\n"
                : std::to_string(n) + (n == 1 ? " fault" : " faults") + " found\n";
  return out;
}

namespace {

constexpr const char* kManifest = "imsmanifest.xml";
// A manifest larger than this is not a course manifest; refusing it keeps a
// hostile package from taking all memory.
constexpr size_t kMaxManifest = 16u << 20;
constexpr size_t kMaxFile = 64u << 20;  // a page or data file the course check reads
// All the files read from a zip together: entries may share one stream of a
// few kilobytes that inflates to kMaxFile, and a zip of a hundred kilobytes
// held check for minutes. No course's pages come near it.
constexpr uint64_t kMaxInflated = uint64_t{1} << 30;
constexpr size_t kMaxEntries = 200000;
constexpr int kMaxDepth = 64;
constexpr size_t kMaxListed = 50;

struct Content {
  std::set<std::string> files;         // relative, "/"-separated
  std::vector<std::string> manifests;  // every imsmanifest.xml, wherever it lies
  bool hasManifest = false;
  std::string manifest;  // the root manifest's bytes
  // Where the files are read from: the zip (with each file's entry) or the
  // folder.
  std::unique_ptr<support::ZipReader> zip;
  std::map<std::string, size_t> zipEntries;
  mutable uint64_t inflated = 0;   // read from the zip so far
  mutable bool exhausted = false;  // a file was left unread for kMaxInflated
  fs::path folder;

  std::optional<std::string> read(const std::string& name) const {
    if (!files.count(name)) return std::nullopt;
    if (zip) {
      const uint64_t most = name == kManifest ? kMaxManifest : kMaxFile;
      support::ZipReader::Read r =
          zip->read(zipEntries.at(name), std::min(most, kMaxInflated - inflated));
      if (r.status == support::ZipReader::Read::TooLarge) {
        exhausted = exhausted || r.size <= most;
        return std::nullopt;
      }
      inflated += r.size;  // a stream damaged at its end was inflated all the same
      if (r.status != support::ZipReader::Read::Ok) return std::nullopt;
      return std::move(r.bytes);
    }
    std::error_code ec;
    const fs::path file = folder / name;
    if (fs::file_size(file, ec) > (name == kManifest ? kMaxManifest : kMaxFile) || ec)
      return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream buf;
    buf << in.rdbuf();
    return std::move(buf).str();
  }
};

class Checker {
 public:
  void fault(std::string m, std::string_view kind = {}) { findings.fault(std::move(m), kind); }
  void note(std::string m) { findings.note(std::move(m)); }
  Findings findings;
};

// ---- reading the package ------------------------------------------------

// Files whose names differ only in case are one file where the LMS's system
// ignores case (Windows, macOS): unpacked there, one replaces the other.
void caseTwinFaults(const Content& c, Checker& ck) {
  std::map<std::string, const std::string*> folded;
  for (const std::string& f : c.files) {
    std::string key;
    icu::UnicodeString::fromUTF8(f).foldCase().toUTF8String(key);
    const auto [it, fresh] = folded.emplace(std::move(key), &f);
    if (!fresh)
      ck.fault("'" + *it->second + "' and '" + f +
                   "' differ only in case: unpacked where case is ignored, one replaces the other",
               "names that differ from another only in case");
  }
}

bool loadZip(const std::string& path, Content& c, Checker& ck) {
  support::ZipReader::Opened opened =
      support::ZipReader::fromFile(path, {kMaxEntries + 1, kMaxDepth + 1});
  if (opened.fileFailed) {
    // The system's reason may name the file already.
    const std::string why =
        opened.why.starts_with(path + ": ") ? opened.why.substr(path.size() + 2) : opened.why;
    ck.fault("cannot open " + path + ": " + why);
    return false;
  }
  if (!opened.zip) {
    ck.fault(path + " is neither a package folder nor a readable zip: " + opened.why);
    return false;
  }
  c.zip = std::move(opened.zip);
  const support::ZipReader& zip = *c.zip;
  // What lies in a folder that cannot be unpacked or is nested too deeply
  // is not looked at: the folder is the fault.
  std::string passedOver;
  for (size_t i = 0; i < zip.entries().size(); ++i) {
    const support::ZipReader::Entry& e = zip.entries()[i];
    if (!passedOver.empty() && e.path.starts_with(passedOver)) continue;
    passedOver.clear();
    if (const std::optional<std::string> why = unsafeEntry(e)) {
      ck.fault("zip entry '" + e.path + "' has a name an LMS cannot unpack safely" + *why,
               "zip entries whose names an LMS cannot unpack safely");
      passedOver = e.path + "/";
    } else if (!e.readable) {
      ck.fault("zip entry '" + e.path + "' cannot be read", "zip entries that cannot be read");
    } else if (e.folder && e.depth >= kMaxDepth) {
      ck.fault("zip folders nest too deeply at '" + e.path + "'", "folders nested too deeply");
      passedOver = e.path + "/";
    } else if (!e.folder) {
      if (!c.files.insert(e.path).second) {
        ck.fault("zip entry '" + e.path +
                     "' is in the zip twice: unpackers differ in which of the two they keep",
                 "zip entries that are in the zip twice");
        continue;
      }
      c.zipEntries[e.path] = i;
      if (e.name != kManifest) continue;
      c.manifests.push_back(e.path);
      if (e.depth > 0) continue;
      c.hasManifest = true;
      support::ZipReader::Read manifest = zip.read(i, kMaxManifest);
      if (manifest.status == support::ZipReader::Read::Ok)
        c.manifest = std::move(manifest.bytes);
      else
        ck.fault("imsmanifest.xml cannot be read from the zip (damaged or larger than 16 MiB)");
    }
  }
  for (const std::string& link : zip.links())
    ck.fault("zip entry '" + link +
                 "' is a symbolic link: a package holds no links (unpacked, "
                 "it would lead wherever it points)",
             "zip entries that are symbolic links");
  const support::ZipReader::HeaderFaults headers = zip.headerFaults();
  for (const std::string& name : headers.misnamed)
    ck.fault("zip entry '" + name +
                 "' is named otherwise in its own header: unpackers differ in which name they keep",
             "zip entries named otherwise in their own headers");
  for (const std::string& name : headers.misdescribed)
    ck.fault("zip entry '" + name +
                 "' has another method, checksum or size in its own header: unpackers that "
                 "read the headers fail on it or unpack other bytes",
             "zip entries described otherwise in their own headers");
  for (const std::string& name : headers.unlisted)
    ck.fault("the zip holds an entry '" + name +
                 "' that its directory does not list: unpackers that read the entries in "
                 "their order unpack it, the others do not",
             "zip entries that the directory does not list");
  return true;
}

bool loadFolder(const std::string& path, Content& c, Checker& ck) {
  fs::path root(path);
  c.folder = root;
  std::error_code ec;
  fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec);
  if (ec) {
    ck.fault("cannot read the folder " + path + ": " + ec.message());
    return false;
  }
  for (fs::recursive_directory_iterator end; it != end && c.files.size() <= kMaxEntries;
       it.increment(ec)) {
    if (ec) {
      ck.fault("cannot read the folder " + path + ": " + ec.message());
      return false;
    }
    if (it.depth() > kMaxDepth) it.disable_recursion_pending();
    std::string rel = it->path().lexically_relative(root).generic_string();
    if (it->is_symlink(ec)) {
      ck.fault(rel +
                   " is a symbolic link: a package holds no links (on the LMS it would lead "
                   "wherever it points)",
               "symbolic links");
      continue;
    }
    if (!it->is_regular_file(ec)) {
      // A pipe, socket or device: no zip holds one, and the manifest naming
      // it would be told it names a file the package lacks.
      if (!it->is_directory(ec))
        ck.fault(rel +
                     " is no plain file (a pipe, socket or device): a package holds files "
                     "and folders alone",
                 "entries that are no plain file");
      continue;
    }
    c.files.insert(rel);
    if (it->path().filename() == kManifest) c.manifests.push_back(rel);
  }
  if (c.files.count(kManifest)) {
    c.hasManifest = true;
    std::optional<std::string> manifest = c.read(kManifest);
    if (!manifest)
      ck.fault("imsmanifest.xml cannot be read (unreadable or larger than 16 MiB)");
    else
      c.manifest = std::move(*manifest);
  }
  return true;
}

// ---- the manifest's structure --------------------------------------------

// The schemas the manifest names (and the DTDs they name) travel beside it
// and are no content.
bool besideManifest(const std::string& file) {
  return file.find('/') == std::string::npos && (file.ends_with(".xsd") || file.ends_with(".dtd"));
}

std::string line(xmlNodePtr n) {
  return "line " + std::to_string(xmlGetLineNo(n));
}

struct Structure {
  std::map<std::string, std::vector<long>> ids;  // identifier -> lines
  std::set<std::string> resources, organizations, manifests;
  std::vector<xmlNodePtr> items, dependencies, organizationsNodes, resourceNodes;
  std::string manifestBase;
};

void gather(xmlNodePtr n, Structure& s, int depth) {
  for (xmlNodePtr c = n; c; c = c->next) {
    if (c->type != XML_ELEMENT_NODE) continue;
    std::string id;
    bool isIdHolder =
        isCp(c, "manifest") || isCp(c, "organization") || isCp(c, "item") || isCp(c, "resource");
    if (isIdHolder && attr(c, "identifier", id)) {
      s.ids[id].push_back(xmlGetLineNo(c));
      if (isCp(c, "resource")) s.resources.insert(id);
      if (isCp(c, "organization")) s.organizations.insert(id);
      if (isCp(c, "manifest")) s.manifests.insert(id);
    }
    if (isCp(c, "item")) s.items.push_back(c);
    if (isCp(c, "dependency")) s.dependencies.push_back(c);
    if (isCp(c, "organizations")) s.organizationsNodes.push_back(c);
    if (isCp(c, "resource")) s.resourceNodes.push_back(c);
    if (depth < 256) gather(c->children, s, depth + 1);
  }
}

// The organization an LMS opens: the default one, or the first.
xmlNodePtr openedOrganization(const Structure& s) {
  if (s.organizationsNodes.empty()) return nullptr;
  xmlNodePtr orgs = s.organizationsNodes.front();
  std::string def, id;
  attr(orgs, "default", def);
  for (xmlNodePtr c = orgs->children; c; c = c->next)
    if (isCp(c, "organization") && (def.empty() || (attr(c, "identifier", id) && id == def)))
      return c;
  return nullptr;
}

// Whether an item under `n` names a resource (or a manifest) to launch.
bool launchesAny(xmlNodePtr n, const Structure& s, int depth) {
  for (xmlNodePtr c = n->children; c; c = c->next) {
    std::string ref;
    if (!isCp(c, "item")) continue;
    if (attr(c, "identifierref", ref) && (s.resources.count(ref) || s.manifests.count(ref)))
      return true;
    if (depth < 256 && launchesAny(c, s, depth + 1)) return true;
  }
  return false;
}

// `reported`: files already reported missing.
void checkStructure(xmlDocPtr doc, const Content& content, Checker& ck,
                    std::set<std::string> reported) {
  xmlNodePtr root = xmlDocGetRootElement(doc);
  if (!root) return;
  Structure s;
  s.manifestBase = withSlash(xmlBase(root));
  gather(root, s, 0);

  for (const auto& [id, lines] : s.ids) {
    if (lines.size() < 2) continue;
    std::string where;
    for (size_t i = 0; i < lines.size() && i < kMaxListed; ++i)
      where += (i ? ", " : "") + std::to_string(lines[i]);
    if (lines.size() > kMaxListed)
      where += " and " + std::to_string(lines.size() - kMaxListed) + " more";
    ck.fault("duplicate identifier '" + id + "' (lines " + where + ")", "duplicate identifiers");
  }
  if (s.items.empty()) {
    ck.fault("the manifest lists no item: learners get an empty course");
  } else if (xmlNodePtr org = openedOrganization(s); org && !launchesAny(org, s, 0)) {
    std::string id;
    attr(org, "identifier", id);
    ck.fault("organization '" + id + "' (" + line(org) +
             "), the one the LMS opens, launches nothing: learners get an empty course");
  }
  for (xmlNodePtr orgs : s.organizationsNodes) {
    std::string def;
    if (attr(orgs, "default", def) && !s.organizations.count(def))
      ck.fault("organizations default '" + def + "' (" + line(orgs) + ") names no organization",
               "organizations defaults that name no organization");
  }
  for (xmlNodePtr item : s.items) {
    std::string ref, id;
    attr(item, "identifier", id);
    if (attr(item, "identifierref", ref) && !s.resources.count(ref) && !s.manifests.count(ref))
      ck.fault(
          "item '" + id + "' (" + line(item) + "): identifierref '" + ref + "' names no resource",
          "items whose identifierref names no resource");
  }
  for (xmlNodePtr dep : s.dependencies) {
    std::string ref;
    if (attr(dep, "identifierref", ref) && !s.resources.count(ref))
      ck.fault("dependency (" + line(dep) + "): identifierref '" + ref + "' names no resource",
               "dependencies whose identifierref names no resource");
  }

  std::set<std::string> listed;
  for (xmlNodePtr res : s.resourceNodes) {
    std::string id;
    attr(res, "identifier", id);
    std::string base = s.manifestBase;
    if (res->parent && isCp(res->parent, "resources")) base += withSlash(xmlBase(res->parent));
    base += withSlash(xmlBase(res));
    auto named = [&](xmlNodePtr n, const std::string& href) {
      std::string path;
      Where w = resolve(base, href, path);
      if (w == Where::External && runsScript(base + href))
        ck.fault("resource '" + id + "' (" + line(n) + ") names '" + href +
                     "', an address that runs script, not content",
                 "resources that name an address that runs script");
      if (w == Where::External) {
        // A learner's browser fetches nothing else from the LMS's page.
        const std::string whole = support::trimWhiteSpace(base + href);
        if (!runsScript(whole) && !isWebAddress(whole))
          ck.fault("resource '" + id + "' (" + line(n) + ") names '" + href +
                       "': a resource is a file of the package or a web address (http, https)",
                   "resources that name an address no browser fetches from the LMS");
        return;
      }
      if (w == Where::Outside || w == Where::Unnamable) {
        ck.fault("resource '" + id + "' (" + line(n) + ") names '" + href +
                     (w == Where::Outside ? "', which lies outside the package"
                                          : "', a name no file of a package can have"),
                 "resources that name a file outside the package or one no file can have");
        return;
      }
      listed.insert(path);
      if (!content.files.count(path) && reported.insert(path).second)
        ck.fault(
            "resource '" + id + "' (" + line(n) + ") names " + path + ", which the package lacks",
            "resources that name a file the package lacks");
    };
    std::string href;
    if (attr(res, "href", href)) named(res, href);
    for (xmlNodePtr f = res->children; f; f = f->next)
      if (isCp(f, "file") && attr(f, "href", href)) named(f, href);
  }

  std::vector<std::string> unlisted;
  for (const std::string& f : content.files) {
    if (f == kManifest || listed.count(f)) continue;
    if (besideManifest(f)) continue;
    unlisted.push_back(f);
  }
  if (!unlisted.empty()) {
    std::string names;
    for (size_t i = 0; i < unlisted.size() && i < 8; ++i) names += (i ? ", " : "") + unlisted[i];
    if (unlisted.size() > 8) names += " and " + std::to_string(unlisted.size() - 8) + " more";
    ck.note(std::to_string(unlisted.size()) + (unlisted.size() == 1 ? " file is" : " files are") +
            " not listed by any resource, as usual for the player, test data files "
            "and pictures, which an LMS keeps with the package: " +
            names);
  }
}

// Files the course does not use, as a conversion's copy step chooses them:
// listed once, and left out of the notes on files no resource lists.
void noteLeftovers(const std::string& path, const std::string& playerFolder, Content& content,
                   Checker& ck) {
  std::vector<std::string> left;
  try {
    left = leftovers(path, courseFiles(path, playerFiles(playerFolder)));
  } catch (const support::Error&) {
    return;  // no manifest to tell them by, or no player: reported otherwise
  }
  // An unpacked package's schemas (SCORM 2004's) are no course files of
  // the converter's, but the package's own.
  std::erase_if(left, besideManifest);
  if (left.empty()) return;
  std::string names;
  for (size_t i = 0; i < left.size() && i < kMaxListed; ++i) names += (i ? ", " : "") + left[i];
  if (left.size() > kMaxListed)
    names += " and " + std::to_string(left.size() - kMaxListed) + " more";
  for (const std::string& f : left) content.files.erase(f);
  ck.note(std::to_string(left.size()) + (left.size() == 1 ? " file is" : " files are") +
          " no part of this course (left over from an older version, or not the converter's), "
          "and the zip leaves " +
          (left.size() == 1 ? "it" : "them") + " out: " + names);
}

void runCourseCheck(const Content& content, const CourseCheck& courseCheck, Checker& ck) {
  if (courseCheck)
    for (std::string& f :
         courseCheck(content.files, [&](const std::string& name) { return content.read(name); }))
      ck.fault(std::move(f), "faults of the course's pages and tests");
  if (content.exhausted)
    ck.fault("the zip's files inflate to more than " + std::to_string(kMaxInflated >> 20) +
             " MiB: those past it were not checked");
}

void checkCmi5Package(const Content& content, Checker& ck) {
  const std::optional<std::string> structure = content.read("cmi5.xml");
  if (!structure) {
    ck.fault("cmi5.xml cannot be read");
    return;
  }
  ck.findings.add(checkCmi5(*structure, content.files));
}

void check(const std::string& path, const std::string& schemaFolder,
           const std::string& playerFolder, const CourseCheck& courseCheck, Checker& ck) {
  Content content;
  std::error_code ec;
  const bool folder = fs::is_directory(path, ec);
  bool loaded = folder ? loadFolder(path, content, ck) : loadZip(path, content, ck);
  if (!loaded) return;
  if (folder && !playerFolder.empty()) noteLeftovers(path, playerFolder, content, ck);
  caseTwinFaults(content, ck);
  if (content.files.size() > kMaxEntries)
    ck.fault("the package holds more than " + std::to_string(kMaxEntries) + " files");

  // A cmi5 package has cmi5.xml where a content package has its manifest.
  if (!content.hasManifest && content.files.count("cmi5.xml")) {
    checkCmi5Package(content, ck);
    runCourseCheck(content, courseCheck, ck);
    return;
  }
  if (!content.hasManifest) {
    if (content.manifests.empty()) {
      ck.fault("imsmanifest.xml is missing: the package has no manifest (nor cmi5.xml)");
    } else {
      ck.fault("imsmanifest.xml is not at the package root, where an LMS looks for it (found " +
               content.manifests.front() + ")");
    }
    return;
  }
  if (content.manifest.empty() && ck.findings.faults()) return;

  Messages parseErrors;
  xmlDocPtr doc = nullptr;
  {
    ErrorScope scope(&parseErrors);
    xmlParserCtxtPtr ctxt = xmlNewParserCtxt();
    if (ctxt) {
      doc = xmlCtxtReadMemory(ctxt, content.manifest.data(),
                              static_cast<int>(content.manifest.size()), kManifest, nullptr,
                              XML_PARSE_NONET);
      if (doc && !ctxt->wellFormed) {
        xmlFreeDoc(doc);
        doc = nullptr;
      }
      xmlFreeParserCtxt(ctxt);
    }
  }
  if (!doc) {
    ck.fault("imsmanifest.xml is not well-formed: " + (parseErrors.list.empty()
                                                           ? std::string("it cannot be parsed")
                                                           : parseErrors.list.front()));
    return;
  }
  const bool scorm = isScormManifest(doc), scorm2004 = !scorm && isScorm2004Manifest(doc);
  // A document type's entities would be expanded in every attribute read
  // below (a 1 KB entity named a thousand times in each); and a manifest
  // of millions of elements takes the validator minutes. Neither is a
  // course's.
  std::optional<std::string> refused = docTypeFault(doc, kManifest);
  if (!refused && elementsBeyond(xmlDocGetRootElement(doc), kMaxElements))
    refused = "imsmanifest.xml holds more than " + std::to_string(kMaxElements) +
              " elements: no course has as many, and it is not checked further";
  if (refused) {
    ck.fault(*refused);
    xmlFreeDoc(doc);
    return;
  }
  if (const auto encoding = encodingFault(content.manifest, doc, kManifest))
    ck.fault(*encoding);
  {
    Messages stray;  // errors outside a context of their own (schema loading)
    ErrorScope scope(&stray);
    validate(doc, schemaFolder,
             scorm       ? "validate_scorm12.xsd"
             : scorm2004 ? "validate_scorm2004.xsd"
                         : "validate_manifest.xsd",
             ck.findings);
  }
  std::set<std::string> reported;
  if (scorm || scorm2004) ck.findings.add(checkScorm(doc, content.files, reported));
  checkStructure(doc, content, ck, std::move(reported));
  xmlFreeDoc(doc);
  runCourseCheck(content, courseCheck, ck);
}

}  // namespace

CheckResult checkPackage(const std::string& path, const std::string& schemaFolder,
                         const std::string& playerFolder, const CourseCheck& courseCheck) {
  Checker ck;
  check(path, schemaFolder, playerFolder, courseCheck, ck);
  return {ck.findings.take()};
}

}  // namespace package
