#pragma once
// Validates a manifest against the IMS schemas in data/schemas with
// libxml2, offline (the catalog maps the XML namespace schema to a local
// copy; the network is never used).
#include <libxml/catalog.h>
#include <libxml/parser.h>
#include <libxml/xmlIO.h>
#include <libxml/xmlschemas.h>

#include <string>

namespace testing_support {

inline std::string schemaFolder() { return std::string(RD_TEST_DIR) + "/../data/schemas/"; }

inline void collectError(void* sink, xmlErrorPtr error) {
  if (!error || !sink) return;
  auto* out = static_cast<std::string*>(sink);
  *out += "line " + std::to_string(error->line) + ": " + (error->message ? error->message : "?");
}

// Empty when the file is well-formed and valid; otherwise the errors.
inline std::string manifestProblems(const std::string& path) {
  static bool once = [] {
    xmlInitParser();
    xmlLoadCatalog((schemaFolder() + "catalog.xml").c_str());
    xmlSetExternalEntityLoader(xmlNoNetExternalEntityLoader);
    return true;
  }();
  (void)once;
  std::string errors;
  xmlSetStructuredErrorFunc(&errors, [](void* ctx, xmlErrorPtr e) { collectError(ctx, e); });
  xmlSchemaParserCtxtPtr pctx =
      xmlSchemaNewParserCtxt((schemaFolder() + "validate_manifest.xsd").c_str());
  xmlSchemaPtr schema = pctx ? xmlSchemaParse(pctx) : nullptr;
  if (!schema) {
    if (pctx) xmlSchemaFreeParserCtxt(pctx);
    xmlSetStructuredErrorFunc(nullptr, nullptr);
    return "schema did not load: " + errors;
  }
  xmlDocPtr doc = xmlReadFile(path.c_str(), nullptr, XML_PARSE_NONET);
  if (!doc) {
    errors = "not well-formed: " + errors;
  } else {
    xmlSchemaValidCtxtPtr vctx = xmlSchemaNewValidCtxt(schema);
    if (xmlSchemaValidateDoc(vctx, doc) != 0 && errors.empty()) errors = "invalid";
    xmlSchemaFreeValidCtxt(vctx);
    xmlFreeDoc(doc);
  }
  xmlSchemaFree(schema);
  xmlSchemaFreeParserCtxt(pctx);
  xmlSetStructuredErrorFunc(nullptr, nullptr);
  return errors;
}

}  // namespace testing_support
