// Loads the browser-side code of the installation files for node's tests:
// the quiz core is the script block "quiz-core" of the test template, so the
// code under test is the very code the test pages run.
'use strict';
const fs = require('node:fs');
const path = require('node:path');
const vm = require('node:vm');

const DATA = path.join(__dirname, '..', '..', 'data');

// Runs browser code in this realm (so its arrays compare with ours) with
// nothing but `module` to export through.
function run(code, filename) {
  const module = { exports: {} };
  vm.compileFunction(code, ['module'], { filename })(module);
  return module.exports;
}

function quiz() {
  const html = fs.readFileSync(path.join(DATA, 'sql_test.htm'), 'utf8');
  const m = /<script id="quiz-core">([\s\S]*?)<\/script>/.exec(html);
  if (!m) throw new Error('sql_test.htm has no quiz-core script');
  return run(m[1], 'sql_test.htm#quiz-core');
}

function preview() {
  const code = fs.readFileSync(path.join(DATA, 'player', 'player.js'), 'utf8');
  return run(code, 'player.js');
}

function corpus(...parts) {
  return path.join(__dirname, '..', 'corpus', ...parts);
}

module.exports = { quiz, preview, corpus };
