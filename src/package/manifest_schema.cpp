#include "package/manifest_schema.h"

#include <libxml/catalog.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlschemas.h>

#include <cstring>

namespace package {

namespace {

constexpr size_t kMaxSchemaMessages = 5;

std::string describe(const xmlError* e) {
  std::string msg = e->message ? e->message : "unknown error";
  while (!msg.empty() && (msg.back() == '\n' || msg.back() == ' ')) msg.pop_back();
  return e->line > 0 ? "line " + std::to_string(e->line) + ": " + msg : msg;
}

void collect(void* ctx, xmlErrorPtr e) {
  if (!e || e->level == XML_ERR_WARNING) return;
  static_cast<Messages*>(ctx)->list.push_back(describe(e));
}

// Schemas are loaded from the program's own copies: the one web address they
// import goes through the catalog to a local file, and any other network
// address is refused rather than fetched. libxml2's entity loader is process
// wide, so a check is not to run on two threads at once.
xmlCatalogPtr gCatalog = nullptr;
xmlExternalEntityLoader gDefaultLoader = nullptr;
std::vector<std::string>* gRefused = nullptr;

bool isNetwork(const char* url) {
  return std::strncmp(url, "http://", 7) == 0 || std::strncmp(url, "https://", 8) == 0 ||
         std::strncmp(url, "ftp://", 6) == 0;
}

xmlParserInputPtr localLoader(const char* url, const char* id, xmlParserCtxtPtr ctxt) {
  if (url && gCatalog) {
    xmlChar* local = xmlACatalogResolveURI(gCatalog, BAD_CAST url);
    if (!local) local = xmlACatalogResolveSystem(gCatalog, BAD_CAST url);
    if (local) {
      xmlParserInputPtr in = xmlNewInputFromFile(ctxt, reinterpret_cast<const char*>(local));
      xmlFree(local);
      return in;
    }
  }
  if (url && isNetwork(url)) {
    if (gRefused) gRefused->push_back(url);
    return nullptr;
  }
  return gDefaultLoader(url, id, ctxt);
}

class LoaderScope {
 public:
  LoaderScope(const std::string& catalogPath, std::vector<std::string>* refused) {
    gCatalog = xmlLoadACatalog(catalogPath.c_str());
    gRefused = refused;
    gDefaultLoader = xmlGetExternalEntityLoader();
    xmlSetExternalEntityLoader(localLoader);
  }
  ~LoaderScope() {
    xmlSetExternalEntityLoader(gDefaultLoader);
    if (gCatalog) xmlFreeCatalog(gCatalog);
    gCatalog = nullptr;
    gRefused = nullptr;
  }
  LoaderScope(const LoaderScope&) = delete;
  LoaderScope& operator=(const LoaderScope&) = delete;
};

}  // namespace

ErrorScope::ErrorScope(Messages* m) {
  xmlSetStructuredErrorFunc(m, collect);
}

ErrorScope::~ErrorScope() {
  xmlSetStructuredErrorFunc(nullptr, nullptr);
}

void validate(xmlDocPtr doc, const std::string& schemaFolder, const char* driverName,
              Findings& ck) {
  std::vector<std::string> refused;
  LoaderScope loader(schemaFolder + "/catalog.xml", &refused);
  Messages schemaErrors;
  std::string driver = schemaFolder + "/" + driverName;
  xmlSchemaParserCtxtPtr pctxt = xmlSchemaNewParserCtxt(driver.c_str());
  xmlSchemaPtr schema = nullptr;
  if (pctxt) {
    xmlSchemaSetParserStructuredErrors(pctxt, collect, &schemaErrors);
    schema = xmlSchemaParse(pctxt);
    xmlSchemaFreeParserCtxt(pctxt);
  }
  if (!schema) {
    std::string why = schemaErrors.list.empty() ? "" : ": " + schemaErrors.list.front();
    if (!refused.empty()) why += " (refused to fetch " + refused.front() + ")";
    ck.fault("the manifest could not be validated: the schemas in " + schemaFolder +
             " do not load" + why);
    return;
  }
  Messages invalid;
  xmlSchemaValidCtxtPtr vctxt = xmlSchemaNewValidCtxt(schema);
  int rc = -1;
  if (vctxt) {
    xmlSchemaSetValidStructuredErrors(vctxt, collect, &invalid);
    rc = xmlSchemaValidateDoc(vctxt, doc);
    xmlSchemaFreeValidCtxt(vctxt);
  }
  xmlSchemaFree(schema);
  if (rc == 0) return;
  if (invalid.list.empty())
    invalid.list.push_back("the validator stopped (error " + std::to_string(rc) + ")");
  for (size_t i = 0; i < invalid.list.size() && i < kMaxSchemaMessages; ++i)
    ck.fault("imsmanifest.xml is not valid against the schemas: " + invalid.list[i]);
  if (invalid.list.size() > kMaxSchemaMessages)
    ck.fault("imsmanifest.xml is not valid against the schemas: " +
             std::to_string(invalid.list.size() - kMaxSchemaMessages) + " more schema errors");
}

}  // namespace package
