// Loads the browser-side code of the installation files for node's tests:
// the quiz core is the script block "quiz-core" of the test template, so the
// code under test is the very code the test pages run.
'use strict';
const fs = require('node:fs');
const path = require('node:path');
const vm = require('node:vm');

const DATA = path.join(__dirname, '..', '..', 'data');

function quiz() {
  const html = fs.readFileSync(path.join(DATA, 'sql_test.htm'), 'utf8');
  const m = /<script id="quiz-core">([\s\S]*?)<\/script>/.exec(html);
  if (!m) throw new Error('sql_test.htm has no quiz-core script');
  const sandbox = { module: { exports: {} } };
  vm.runInNewContext(m[1], sandbox, { filename: 'sql_test.htm#quiz-core' });
  return sandbox.module.exports;
}

function preview() {
  const code = fs.readFileSync(path.join(DATA, 'player', 'player.js'), 'utf8');
  const sandbox = { module: { exports: {} } };
  vm.runInNewContext(code, sandbox, { filename: 'player.js' });
  return sandbox.module.exports;
}

function corpus(...parts) {
  return path.join(__dirname, '..', 'corpus', ...parts);
}

module.exports = { quiz, preview, corpus };
