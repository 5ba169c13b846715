#pragma once
// Equation-editor objects in a .docx made in memory, for the reader's tests
// and the whole conversion's.
#include <map>
#include <string>
#include <vector>

#include "../common/compound_file.h"
#include "../common/mtef_writer.h"
#include "../pictures/pictures.h"
#include "docx_fixture.h"

namespace docxtest {

// A .docx whose paragraphs are the given lines of text and, for each
// object given, an equation object: a WMF preview and an oleObject.bin.
struct Object {
  std::string bin;       // the OLE object's compound file; empty: no such part
  std::string alt = "";  // the shape's own alternative text
};
inline std::string docxWith(const std::vector<std::string>& before,
                            const std::vector<Object>& objects,
                            const std::vector<std::string>& after = {}) {
  std::string body, rels;
  std::map<std::string, std::string> parts;
  for (const std::string& t : before) body += p(r(t));
  for (size_t i = 0; i < objects.size(); ++i) {
    const std::string n = std::to_string(i + 1);
    body +=
        p("<w:r><w:object><v:shape id=\"s" + n + "\" style=\"width:30pt;height:15pt\"" +
          (objects[i].alt.empty() ? "" : " alt=\"" + objects[i].alt + "\"") +
          "><v:imagedata r:id=\"rImg" + n + "\"/></v:shape><o:OLEObject Type=\"Embed\" " +
          "ProgID=\"Equation.3\" ShapeID=\"s" + n + "\" r:id=\"rOle" + n + "\"/></w:object></w:r>");
    rels += relationship("rImg" + n, "image", "media/image" + n + ".wmf") +
            relationship("rOle" + n, "oleObject", "embeddings/oleObject" + n + ".bin");
    parts["word/media/image" + n + ".wmf"] = testing_support::rectangleWmf();
    if (!objects[i].bin.empty()) parts["word/embeddings/oleObject" + n + ".bin"] = objects[i].bin;
  }
  for (const std::string& t : after) body += p(r(t));
  return build({documentXml(body), parts, rels});
}

inline std::string objectOf(const std::string& mtef) {
  return testing_support::compoundFile(
      {{"Equation Native", testing_support::mtef::equationNative(mtef)}});
}

}  // namespace docxtest
