#!/bin/sh
# Rebuilds data/player/cmi5.js, the cmi5 client library the course player
# loads when a cmi5 LMS launches it, from the npm packages pinned in this
# folder's package-lock.json: npm ci, then esbuild bundles the library into
# one script that sets window.RdCmi5Lib. The kept bundle lets `make run`
# and the conversion stay offline; run this after changing the versions.
#   sh tools/cmi5/build.sh [OUTPUT [WORK]]
# OUTPUT defaults to data/player/cmi5.js; WORK, the folder npm installs
# into, to this one (a test builds into the build tree instead).
set -eu
here=$(cd "$(dirname -- "$0")" && pwd)
out=$(realpath -m -- "${1:-$here/../../data/player/cmi5.js}")
work=${2:-$here}
if [ "$work" != "$here" ]; then
  mkdir -p -- "$work"
  cp -- "$here/package.json" "$here/package-lock.json" "$here/entry.js" "$work/"
fi
cd "$work"
npm ci --no-audit --no-fund --loglevel=error
version=$(node -p "require('@xapi/cmi5/package.json').version")
# What the bundle holds, and under which licence, at its head: the
# library's own notice (MIT) and its dependencies' (bundled by its authors
# into the file esbuild reads).
banner=$(node -e '
const fs = require("fs");
const path = require("path");
const lines = ["/*! cmi5.js: @xapi/cmi5 " + process.argv[1] + " from the npm registry (https://github.com/xapijs/cmi5),",
  " * bundled by tools/cmi5/build.sh with esbuild. It holds the library and the copies of",
  " * @xapi/xapi, axios, deepmerge and uuid its authors bundled into it, all under the MIT",
  " * licence (the notices below are those of the versions npm installs beside it):"];
for (const name of ["@xapi/cmi5", "@xapi/xapi", "axios", "deepmerge", "uuid"]) {
  const dir = path.dirname(require.resolve(name + "/package.json"));
  const licence = fs.readdirSync(dir).find((f) => /^licen[cs]e/i.test(f));
  const text = licence ? fs.readFileSync(path.join(dir, licence), "utf8") : "";
  const copyright = text.split("\n").filter((l) => /copyright/i.test(l) && /\d{4}/.test(l)).map((l) => l.replace(/^[#\s]+/, "").trim());
  lines.push(" * " + name + " " + require(name + "/package.json").version + ": " + (copyright.join("; ") || "MIT"));
}
lines.push(" * Permission is hereby granted, free of charge, to any person obtaining a copy of this software",
  " * and associated documentation files (the \"Software\"), to deal in the Software without restriction,",
  " * including without limitation the rights to use, copy, modify, merge, publish, distribute,",
  " * sublicense, and/or sell copies of the Software, and to permit persons to whom the Software is",
  " * furnished to do so, subject to the following conditions: The above copyright notice and this",
  " * permission notice shall be included in all copies or substantial portions of the Software.",
  " * THE SOFTWARE IS PROVIDED \"AS IS\", WITHOUT WARRANTY OF ANY KIND, EXPRESS OR IMPLIED, INCLUDING BUT",
  " * NOT LIMITED TO THE WARRANTIES OF MERCHANTABILITY, FITNESS FOR A PARTICULAR PURPOSE AND",
  " * NONINFRINGEMENT. IN NO EVENT SHALL THE AUTHORS OR COPYRIGHT HOLDERS BE LIABLE FOR ANY CLAIM, DAMAGES",
  " * OR OTHER LIABILITY, WHETHER IN AN ACTION OF CONTRACT, TORT OR OTHERWISE, ARISING FROM, OUT OF OR IN",
  " * CONNECTION WITH THE SOFTWARE OR THE USE OR OTHER DEALINGS IN THE SOFTWARE.",
  " */");
console.log(lines.join("\n"));
' "$version")
./node_modules/.bin/esbuild entry.js --bundle --minify --format=iife --global-name=RdCmi5Lib \
  --target=es2019 --legal-comments=none --banner:js="$banner" --outfile="$out" --log-level=warning
echo "wrote $out (@xapi/cmi5 $version)"
