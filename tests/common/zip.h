#pragma once
// Zips in tests: reading back the ones the program writes, and writing
// documents' containers in memory.
#include <gsf/gsf-infile-zip.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-outfile-zip.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-output.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace testing_support {

// Entry names in archive order; with `root`, each entry's bytes are also
// checked against the file they came from.
inline void zipEntries(GsfInfile* dir, const std::string& prefix, std::vector<std::string>& out,
                       const std::filesystem::path& root) {
  for (int i = 0; i < gsf_infile_num_children(dir); ++i) {
    GsfInput* c = gsf_infile_child_by_index(dir, i);
    std::string name = prefix + gsf_infile_name_by_index(dir, i);
    if (GSF_IS_INFILE(c) && gsf_infile_num_children(GSF_INFILE(c)) >= 0) {
      zipEntries(GSF_INFILE(c), name + "/", out, root);
    } else {
      out.push_back(name);
      if (!root.empty()) {
        std::string bytes(static_cast<size_t>(gsf_input_size(c)), '\0');
        if (!bytes.empty())
          gsf_input_read(c, bytes.size(), reinterpret_cast<guint8*>(bytes.data()));
        std::ifstream in(root / name, std::ios::binary);
        EXPECT_EQ(bytes, std::string(std::istreambuf_iterator<char>(in), {})) << name;
      }
    }
    g_object_unref(c);
  }
}

inline std::vector<std::string> zipEntries(const std::filesystem::path& zip,
                                           const std::filesystem::path& root = {}) {
  std::vector<std::string> out;
  GsfInput* in = gsf_input_stdio_new(zip.c_str(), nullptr);
  if (!in) return out;
  GsfInfile* z = gsf_infile_zip_new(in, nullptr);
  if (z) {
    zipEntries(z, "", out, root);
    g_object_unref(z);
  }
  g_object_unref(in);
  return out;
}

// The bytes of one entry ("a/b.htm"); empty when the zip lacks it.
inline std::string zipEntry(const std::filesystem::path& zip, const std::string& name) {
  std::string bytes;
  GsfInput* in = gsf_input_stdio_new(zip.c_str(), nullptr);
  GsfInfile* z = in ? gsf_infile_zip_new(in, nullptr) : nullptr;
  std::vector<std::string> parts;
  for (size_t b = 0, e; b <= name.size(); b = e + 1) {
    e = name.find('/', b);
    if (e == std::string::npos) e = name.size();
    parts.push_back(name.substr(b, e - b));
  }
  std::vector<const char*> names;
  for (const std::string& p : parts) names.push_back(p.c_str());
  names.push_back(nullptr);
  GsfInput* e = z ? gsf_infile_child_by_aname(z, names.data()) : nullptr;
  if (e) {
    bytes.resize(static_cast<size_t>(gsf_input_size(e)));
    if (!bytes.empty()) gsf_input_read(e, bytes.size(), reinterpret_cast<guint8*>(bytes.data()));
    g_object_unref(e);
  }
  if (z) g_object_unref(z);
  if (in) g_object_unref(in);
  return bytes;
}

// A zip of the given entries, in order. `store` keeps entries uncompressed.
inline std::string zipBytes(const std::vector<std::pair<std::string, std::string>>& entries,
                            bool store = false) {
  GsfOutput* mem = gsf_output_memory_new();
  GsfOutfile* out = gsf_outfile_zip_new(mem, nullptr);
  std::map<std::string, GsfOutfile*> dirs;
  for (const auto& [name, data] : entries) {
    GsfOutfile* parent = out;
    std::string path;
    size_t start = 0, slash;
    while ((slash = name.find('/', start)) != std::string::npos) {
      path = name.substr(0, slash);
      auto it = dirs.find(path);
      if (it == dirs.end()) {
        GsfOutput* d =
            gsf_outfile_new_child(parent, name.substr(start, slash - start).c_str(), TRUE);
        it = dirs.emplace(path, GSF_OUTFILE(d)).first;
      }
      parent = it->second;
      start = slash + 1;
    }
    GsfOutput* child =
        gsf_outfile_new_child_full(parent, name.substr(start).c_str(), FALSE, "compression-level",
                                   store ? GSF_ZIP_STORED : GSF_ZIP_DEFLATED, nullptr);
    gsf_output_write(child, data.size(), reinterpret_cast<const guint8*>(data.data()));
    gsf_output_close(child);
    g_object_unref(child);
  }
  for (auto it = dirs.rbegin(); it != dirs.rend(); ++it) {
    gsf_output_close(GSF_OUTPUT(it->second));
    g_object_unref(it->second);
  }
  gsf_output_close(GSF_OUTPUT(out));
  g_object_unref(out);
  std::string bytes(
      reinterpret_cast<const char*>(gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(mem))),
      static_cast<size_t>(gsf_output_size(mem)));
  g_object_unref(mem);
  return bytes;
}

// `zip` with the local header of its entry `name` broken, as a bad copy
// leaves it: the central directory still lists the entry.
inline std::string withBrokenLocalHeader(std::string zip, const std::string& name) {
  const std::string signature("PK\x03\x04", 4);
  for (size_t at = zip.find(signature); at + 30 < zip.size(); at = zip.find(signature, at + 4)) {
    const size_t length = static_cast<unsigned char>(zip[at + 26]) |
                          static_cast<size_t>(static_cast<unsigned char>(zip[at + 27])) << 8;
    if (zip.compare(at + 30, length, name) != 0) continue;
    zip[at + 2] = 'X';
    return zip;
  }
  ADD_FAILURE() << "the zip has no entry " << name;
  return zip;
}

}  // namespace testing_support
