// Loads the browser-side code of the installation files for node's tests:
// the very scripts the test pages and the player run.
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
  const code = fs.readFileSync(path.join(DATA, 'player', 'quiz-core.js'), 'utf8');
  return run(code, 'quiz-core.js');
}

function preview() {
  const code = fs.readFileSync(path.join(DATA, 'player', 'outline.js'), 'utf8');
  return run(code, 'outline.js');
}

function tracking() {
  const code = fs.readFileSync(path.join(DATA, 'player', 'tracking.js'), 'utf8');
  return run(code, 'tracking.js');
}

// The settings a package's course.js gives (window.rdCourse).
function courseSettings(file) {
  const window = {};
  vm.compileFunction(fs.readFileSync(file, 'utf8'), ['window'], { filename: file })(window);
  return window.rdCourse;
}

function corpus(...parts) {
  return path.join(__dirname, '..', 'corpus', ...parts);
}

module.exports = { quiz, preview, tracking, courseSettings, corpus };
