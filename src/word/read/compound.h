#pragma once
// OLE2 compound files opened from memory: a Word 97-2003 document, or the
// object an embedded OLE object keeps (.docx: word/embeddings/*.bin).
#include <optional>
#include <string>
#include <string_view>

typedef struct _GsfInput GsfInput;
typedef struct _GsfInfile GsfInfile;

namespace word::read {

// Stream and storage names compare without regard to case in compound
// files; the first of `dir`'s children named so, or null.
GsfInput* compoundChild(GsfInfile* dir, const char* name);

// Reads the whole stream `name` of `dir` into `out`. A stream larger than
// `limit` or that cannot be read leaves `out` empty and gives false, or,
// when `required`, throws word::Error (kCannotOpen).
bool readCompoundStream(GsfInfile* dir, const char* name, size_t limit, std::string& out,
                        bool required);

// An equation object's stream: at most this many bytes (real ones hold a
// few hundred).
inline constexpr size_t kMaxEquationStream = 256u << 10;

// The "Equation Native" stream of an OLE object's compound file; nullopt
// when the bytes are no compound file or it has no such stream.
std::optional<std::string> equationNativeStream(std::string_view compoundFile);

}  // namespace word::read
