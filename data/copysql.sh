#!/bin/sh
# Completes a converted course package. The converter starts it after a run as
#   copysql.sh PROGRAM_FOLDER OUTPUT_FOLDER
# It copies the course player (index.htm and the player/ folder) and the
# schemas the manifest names into the package folder, then writes the package
# interchange file: OUTPUT_FOLDER.zip beside the folder, with imsmanifest.xml
# at its root. It writes nothing else: only inside the package folder and
# that one zip.
set -eu

if [ $# -ne 2 ]; then
  echo "usage: copysql.sh PROGRAM_FOLDER OUTPUT_FOLDER" >&2
  exit 2
fi
prog=$1
out=$2
while [ "$out" != "/" ] && [ "${out%/}" != "$out" ]; do out=${out%/}; done
case $out in
  "" | / | . | ..) echo "copysql.sh: refusing to package '$2'" >&2; exit 2 ;;
esac
if [ ! -d "$out" ] || [ -L "$out" ]; then
  echo "copysql.sh: no package folder: $out" >&2
  exit 1
fi
if [ ! -f "$prog/player/index.htm" ]; then
  echo "copysql.sh: the course player is missing from $prog/player" >&2
  exit 1
fi

# A link left in the package could lead a copy outside the folder: copies
# replace whatever stands at their target instead of writing through it.
# Few processes: one copy per target folder.
# The manifest's schemaLocation names the first two schemas; the metadata
# schema imports the third by a relative name.
cp --remove-destination -- "$prog/player/index.htm" "$prog/schemas/imscp_v1p1p3.xsd" \
  "$prog/schemas/imsmd_v1p2p2.xsd" "$prog/schemas/ims_xml.xsd" "$out/"
if [ -L "$out/player" ] || { [ -e "$out/player" ] && [ ! -d "$out/player" ]; }; then
  rm -f -- "$out/player"
fi
mkdir -p -- "$out/player"
set --
for f in "$prog"/player/*; do
  if [ -f "$f" ] && [ "${f##*/}" != index.htm ]; then
    set -- "$@" "$f"
  fi
done
if [ $# -gt 0 ]; then
  cp --remove-destination -- "$@" "$out/player/"
fi

# A browser does not let a page read other files when the course is opened
# straight from a folder on disk, but it does run scripts: --scripts writes
# the outline and the test data also as scripts beside them (FILE.js), then
# the folder is packed into the zip beside it.
"$prog/raredozud" zip --scripts "$out" "$out.zip"
