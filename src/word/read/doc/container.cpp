#include "word/read/doc/container.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-input.h>

#include <algorithm>
#include <memory>

#include "support/gobject.h"
#include "word/error.h"
#include "word/read/compound.h"
#include "word/read/mathml_text.h"
#include "word/read/mtef.h"

namespace word::read::doc {
namespace {

using InputPtr = support::GObjectPtr<GsfInput>;
using InfilePtr = support::GObjectPtr<GsfInfile>;

// The linear text of equation objects in the ObjectPool storage ("_" and
// the number the document's characters give): the equation editor's keep
// it in an "Equation Native" stream, formula objects of OpenDocument in
// their own package (a "package_stream"). A crafted file can let
// many streams share its sectors, so all of them together are capped too.
void readEquations(GsfInfile* ole, std::map<uint32_t, std::u16string>& equations) {
  InputPtr pool(compoundChild(ole, "ObjectPool"));
  if (!pool || !GSF_IS_INFILE(pool.get())) return;
  GsfInfile* dir = GSF_INFILE(pool.get());
  size_t budget = 16 * kMaxEquationStream;
  const int n = std::min(gsf_infile_num_children(dir), 4096);
  for (int i = 0; i < n && budget > 0; ++i) {
    const char* name = gsf_infile_name_by_index(dir, i);
    if (!name || name[0] != '_' || !name[1]) continue;
    uint64_t id = 0;
    const char* c = name + 1;
    for (; *c >= '0' && *c <= '9' && id <= UINT32_MAX; ++c) id = id * 10 + uint64_t(*c - '0');
    if (*c || id > UINT32_MAX) continue;
    InputPtr object(gsf_infile_child_by_index(dir, i));
    if (!object || !GSF_IS_INFILE(object.get())) continue;
    std::string stream;
    const size_t most = std::min(budget, kMaxEquationStream);
    std::u16string text;
    if (readCompoundStream(GSF_INFILE(object.get()), "Equation Native", most, stream, false))
      text = equationNativeText(stream);
    else if (readCompoundStream(GSF_INFILE(object.get()), "package_stream", most, stream, false))
      text = formulaPackageText(stream);
    else
      continue;
    budget -= stream.size();
    if (!text.empty()) equations.emplace(static_cast<uint32_t>(id), std::move(text));
  }
}

}  // namespace

Streams openStreams(std::string_view bytes) {
  InputPtr mem(gsf_input_memory_new(reinterpret_cast<const guint8*>(bytes.data()),
                                    static_cast<gsf_off_t>(bytes.size()), FALSE));
  if (!mem) fail(kCannotOpen, "the document cannot be read");
  GError* err = nullptr;
  InfilePtr ole(gsf_infile_msole_new(mem.get(), &err));
  if (err) g_error_free(err);
  if (!ole)
    fail(kCannotOpen, "the document is damaged (its compound file structure cannot be read)");
  Streams s;
  {
    InputPtr enc(compoundChild(ole.get(), "EncryptedPackage"));
    s.encryptedPackage = enc != nullptr;
  }
  s.hasWordDocument = readCompoundStream(ole.get(), "WordDocument", bytes.size(), s.word, true);
  readCompoundStream(ole.get(), "0Table", bytes.size(), s.table0, false);
  readCompoundStream(ole.get(), "1Table", bytes.size(), s.table1, false);
  readCompoundStream(ole.get(), "Data", bytes.size(), s.data, false);
  readEquations(ole.get(), s.equations);
  return s;
}

}  // namespace word::read::doc
