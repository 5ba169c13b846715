#!/bin/sh
# Completes a converted course package. The converter starts it after a run as
#   copysql.sh PROGRAM_FOLDER OUTPUT_FOLDER
# The program does the work in one go: it copies the course player
# (index.htm and the player/ folder) and the schemas the manifest names into
# the package folder, writes the scripts a course opened from disk reads, and
# writes the package interchange file OUTPUT_FOLDER.zip beside the folder,
# with the course's own files and imsmanifest.xml at its root, and the SCORM
# 1.2 package OUTPUT_FOLDER.scorm.zip, whose manifest launches the player and
# takes its mastery score from the pass mark in the folder's course.js. It
# writes nothing else (course.js only when a package has none). Its exit
# status tells whether the package is whole.
set -eu

if [ $# -ne 2 ]; then
  echo "usage: copysql.sh PROGRAM_FOLDER OUTPUT_FOLDER" >&2
  exit 2
fi
exec "$1/raredozud" complete "$2"
