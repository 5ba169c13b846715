#!/usr/bin/env bash
# The bash completion as the build makes it: what it offers for a command
# line typed so far, in a folder of documents and other files.
#   completion_test.sh COMPLETION
set -uo pipefail
. "$1"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cd "$tmp" || exit 1
mkdir sub
touch a.doc B.DOCX c.odt notes.txt pic.png page.htm old.HTML pack.zip "with space.docx"

# The words typed, the last one being completed: what is offered, sorted.
offered() {
  COMP_WORDS=("$@")
  COMP_CWORD=$(($# - 1))
  COMPREPLY=()
  _raredozud
  printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort | paste -sd '|'
}

documents='B.DOCX|a.doc|c.odt|notes.txt|sub|with space.docx'
failures=0
check() {
  local expected=$1
  shift
  local got
  got=$(offered raredozud "$@")
  if [ "$got" != "$expected" ]; then
    echo "FAIL: raredozud $*<TAB>: offered '$got', expected '$expected'" >&2
    failures=$((failures + 1))
  fi
}
check "check|complete|convert" c
check "--version" --v
check "--window" --w
check "--shuffle|--strict" convert --s
check "--help|--hide-answers" convert --h
check "--targets=" convert --t
check "--help" lint --
# The zips of --targets, one after another, as bash splits the word at "=".
check "=cmi5|=ims|=scorm12|=scorm2004" convert --targets =
check "ims,scorm12|ims,scorm2004" convert --targets = ims,sc
check "--targets=cmi5" convert --targets=c
check "$documents" convert ""
check "$documents" convert --strict a.doc ""
check "a.doc" convert -- a.d
check "$documents" --window ""
check "old.HTML|page.htm|sub" html a.doc ""
check "" html a.doc page.htm ""
check "" text a.doc ""
check "pack.zip|sub" check ""
check "sub" complete ""
check "pack.zip|page.htm|pic.png" text p
check "" bogus ""
check "" --version ""
check "complete|convert" --help co
[ "$failures" = 0 ]
