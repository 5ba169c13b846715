#!/bin/sh
# Completes a converted course package. The converter starts it after a run as
#   copysql.sh PROGRAM_FOLDER OUTPUT_FOLDER
# The program does the work in one go: it copies the course player
# (index.htm and the player/ folder) and the schemas the manifest names into
# the package folder, writes the scripts a course opened from disk reads, and
# writes beside the folder the zips the folder's course.js names in
# "targets" (all four when it names none): the package interchange file
# OUTPUT_FOLDER.zip, with the course's own files and imsmanifest.xml at its
# root; the SCORM 1.2 package OUTPUT_FOLDER.scorm.zip and the SCORM 2004 4th
# Edition package OUTPUT_FOLDER.scorm2004.zip, whose manifests launch the
# player and take the pass mark from course.js; and the cmi5 package
# OUTPUT_FOLDER.cmi5.zip, with cmi5.xml at its root. A zip not named is left
# as it was. It writes nothing else (course.js only when a package has
# none). Its exit status tells whether the package is whole.
set -eu

if [ $# -ne 2 ]; then
  echo "usage: copysql.sh PROGRAM_FOLDER OUTPUT_FOLDER" >&2
  exit 2
fi
exec "$1/raredozud" complete "$2"
