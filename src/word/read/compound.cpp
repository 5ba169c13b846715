#include "word/read/compound.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-input.h>

#include <algorithm>
#include <memory>

#include "support/gobject.h"
#include "word/error.h"

namespace word::read {
GsfInput* compoundChild(GsfInfile* dir, const char* name) {
  if (GsfInput* in = gsf_infile_child_by_name(dir, name)) return in;
  int n = gsf_infile_num_children(dir);
  for (int i = 0; i < n && i < 4096; ++i) {
    const char* other = gsf_infile_name_by_index(dir, i);
    if (other && g_ascii_strcasecmp(other, name) == 0) return gsf_infile_child_by_index(dir, i);
  }
  return nullptr;
}

// A stream can never be larger than the file holding it, so a size beyond
// the limit is damage, not a reason to allocate.
bool readCompoundStream(GsfInfile* dir, const char* name, size_t limit, std::string& out,
                        bool required) {
  support::GObjectPtr<GsfInput> in(compoundChild(dir, name));
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
      fail(kCannotOpen,
           std::string("the document is damaged (stream ") + name + " cannot be read)");
    }
    done += chunk;
  }
  return true;
}

std::optional<std::string> equationNativeStream(std::string_view compoundFile) {
  support::GObjectPtr<GsfInput> mem(
      gsf_input_memory_new(reinterpret_cast<const guint8*>(compoundFile.data()),
                           static_cast<gsf_off_t>(compoundFile.size()), FALSE));
  if (!mem) return std::nullopt;
  GError* err = nullptr;
  support::GObjectPtr<GsfInfile> ole(gsf_infile_msole_new(mem.get(), &err));
  if (err) g_error_free(err);
  if (!ole) return std::nullopt;
  std::string out;
  if (!readCompoundStream(ole.get(), "Equation Native", kMaxEquationStream, out, false))
    return std::nullopt;
  return out;
}

}  // namespace word::read
