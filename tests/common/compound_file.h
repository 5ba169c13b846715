#pragma once
// Writes OLE2 compound files for tests with libgsf: a Word 97-2003
// document's streams, an OLE object's. Header-only.
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace testing_support {

// A compound file of the given streams, in order; a name with '/' puts the
// stream in storages ("ObjectPool/_12/Equation Native").
inline std::string compoundFile(const std::vector<std::pair<std::string, std::string>>& streams) {
  GsfOutput* mem = gsf_output_memory_new();
  GsfOutfile* root = gsf_outfile_msole_new(mem);
  std::vector<std::pair<std::string, GsfOutfile*>> storages;  // by path, parents first
  auto storage = [&](const std::string& path) {
    GsfOutfile* dir = root;
    for (size_t slash = path.find('/'); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
      const std::string prefix = path.substr(0, slash);
      auto it = std::find_if(storages.begin(), storages.end(),
                             [&](const auto& s) { return s.first == prefix; });
      if (it == storages.end()) {
        const std::string name = prefix.substr(prefix.rfind('/') + 1);
        storages.emplace_back(prefix, GSF_OUTFILE(gsf_outfile_new_child(dir, name.c_str(), TRUE)));
        it = storages.end() - 1;
      }
      dir = it->second;
    }
    return dir;
  };
  for (const auto& [path, data] : streams) {
    const std::string name = path.substr(path.rfind('/') + 1);
    GsfOutput* s = gsf_outfile_new_child(storage(path), name.c_str(), FALSE);
    gsf_output_write(s, data.size(), reinterpret_cast<const guint8*>(data.data()));
    gsf_output_close(s);
    g_object_unref(s);
  }
  for (auto it = storages.rbegin(); it != storages.rend(); ++it) {
    gsf_output_close(GSF_OUTPUT(it->second));
    g_object_unref(it->second);
  }
  gsf_output_close(GSF_OUTPUT(root));
  g_object_unref(root);
  std::string out(
      reinterpret_cast<const char*>(gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(mem))),
      static_cast<size_t>(gsf_output_size(mem)));
  g_object_unref(mem);
  return out;
}

}  // namespace testing_support
