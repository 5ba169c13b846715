// The picture helper, a program of its own so that the libraries that
// convert pictures are loaded only here, never by the program's every
// start: raredozud-pictures --convert-picture FORMAT, the picture on
// standard input.
#include "word/write/pictures/converter.h"

int main(int argc, char** argv) {
  return word::write::convertPictureCommand(argc, argv);
}
