#include "word/read/doc/container.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-input.h>

#include <memory>

#include "word/error.h"

namespace word::read::doc {
namespace {

struct Unref {
  void operator()(void* p) const {
    if (p) g_object_unref(p);
  }
};
using InputPtr = std::unique_ptr<GsfInput, Unref>;
using InfilePtr = std::unique_ptr<GsfInfile, Unref>;

// Reads a whole stream. A stream can never be larger than the file holding
// it, so a size beyond that is damage, not a reason to allocate.
// Stream names compare without regard to case in compound files.
GsfInput* child(GsfInfile* dir, const char* name) {
  if (GsfInput* in = gsf_infile_child_by_name(dir, name)) return in;
  int n = gsf_infile_num_children(dir);
  for (int i = 0; i < n && i < 4096; ++i) {
    const char* other = gsf_infile_name_by_index(dir, i);
    if (other && g_ascii_strcasecmp(other, name) == 0) return gsf_infile_child_by_index(dir, i);
  }
  return nullptr;
}

// A damaged optional stream reads as empty; a damaged WordDocument fails.
bool readStream(GsfInfile* dir, const char* name, size_t limit, std::string& out, bool required) {
  InputPtr in(child(dir, name));
  if (!in) return false;
  gsf_off_t size = gsf_input_size(in.get());
  if (size < 0 || static_cast<uint64_t>(size) > limit) {
    if (!required) return false;
    fail(kCannotOpen, std::string("the document is damaged (stream ") + name + " is too large)");
  }
  out.resize(static_cast<size_t>(size));
  size_t done = 0;
  while (done < out.size()) {
    size_t chunk = std::min<size_t>(out.size() - done, 1u << 20);
    if (!gsf_input_read(in.get(), chunk, reinterpret_cast<guint8*>(out.data() + done))) {
      out.clear();
      if (!required) return false;
      fail(kCannotOpen, std::string("the document is damaged (stream ") + name + " cannot be read)");
    }
    done += chunk;
  }
  return true;
}

}  // namespace

Streams openStreams(std::string_view bytes) {
  InputPtr mem(gsf_input_memory_new(reinterpret_cast<const guint8*>(bytes.data()), static_cast<gsf_off_t>(bytes.size()), FALSE));
  if (!mem) fail(kCannotOpen, "the document cannot be read");
  GError* err = nullptr;
  InfilePtr ole(gsf_infile_msole_new(mem.get(), &err));
  if (err) g_error_free(err);
  if (!ole) fail(kCannotOpen, "the document is damaged (its compound file structure cannot be read)");
  Streams s;
  {
    InputPtr enc(child(ole.get(), "EncryptedPackage"));
    s.encryptedPackage = enc != nullptr;
  }
  s.hasWordDocument = readStream(ole.get(), "WordDocument", bytes.size(), s.word, true);
  readStream(ole.get(), "0Table", bytes.size(), s.table0, false);
  readStream(ole.get(), "1Table", bytes.size(), s.table1, false);
  readStream(ole.get(), "Data", bytes.size(), s.data, false);
  return s;
}

}  // namespace word::read::doc
