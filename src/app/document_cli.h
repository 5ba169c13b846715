#pragma once
// Commands that show one document as the converter reads it.
namespace app {

// `raredozud html DOC OUT.htm`: the whole document as one page, written as
// the converter writes a course page (pictures in OUT_files/). Returns 0, 1
// when the document cannot be opened or the page written (the reason on
// standard error), 2 for a usage error.
int htmlCommand(int argc, char** argv);

// `raredozud dump DOC`: the engine's model of the document as indented text
// on standard output, for developers of the readers. Returns as above.
int dumpCommand(int argc, char** argv);

}  // namespace app
