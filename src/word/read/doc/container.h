#pragma once
// The compound-file streams a Word 97-2003 document is made of.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace word::read::doc {

struct Streams {
  std::string word;    // WordDocument: FIB, text, formatting pages
  std::string table0;  // 0Table
  std::string table1;  // 1Table
  std::string data;    // Data: pictures, large paragraph properties
  bool hasWordDocument = false;
  bool encryptedPackage = false;  // an encrypted OOXML package
  // Equation objects' linear text, by their number in the ObjectPool
  // storage.
  std::map<uint32_t, std::u16string> equations;
};

// Opens the compound file in `bytes`; throws word::Error when it is not one.
Streams openStreams(std::string_view bytes);

}  // namespace word::read::doc
