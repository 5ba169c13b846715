// Writes the one-feature documents of tests/common/looks.h in every format,
// and how their pages show as looks.json, into a folder:
//   looks_documents FOLDER
#include <filesystem>
#include <fstream>
#include <iostream>

#include "../../doc/looks_doc.h"
#include "../../docx/looks_docx.h"
#include "../../odt/looks_odt.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: looks_documents FOLDER\n";
    return 2;
  }
  namespace fs = std::filesystem;
  const fs::path folder = argv[1];
  fs::create_directories(folder);
  const std::pair<const char*, std::string> files[] = {
      {"faces.doc", looks::facesDoc()},     {"faces.docx", looks::facesDocx()},
      {"faces.odt", looks::facesOdt()},     {"spaces.doc", looks::spacesDoc()},
      {"spaces.docx", looks::spacesDocx()}, {"spaces.odt", looks::spacesOdt()},
      {"shades.doc", looks::shadesDoc()},   {"shades.docx", looks::shadesDocx()},
      {"shades.odt", looks::shadesOdt()},   {"looks.json", looks::expectationsJson()}};
  for (const auto& [name, bytes] : files) {
    std::ofstream out(folder / name, std::ios::binary);
    out << bytes;
    if (!out.flush()) {
      std::cerr << "looks_documents: cannot write " << (folder / name).string() << "\n";
      return 1;
    }
  }
  return 0;
}
