// Loads the browser-side code of the installation files for node's tests:
// the very scripts the test pages and the player run.
'use strict';
const fs = require('node:fs');
const path = require('node:path');
const vm = require('node:vm');

const DATA = path.join(__dirname, '..', '..', 'data');

// Runs a script of the player in this realm (so its arrays compare with
// ours) with nothing but `module` to export through, and the common script
// as a page that loads it first has it.
function run(name) {
  const module = { exports: {} };
  const filename = path.join(DATA, 'player', name);
  const code = fs.readFileSync(filename, 'utf8');
  vm.compileFunction(code, ['module', 'RdCommon'], { filename })(module, name === 'common.js' ? undefined : common());
  return module.exports;
}

const common = () => run('common.js');
const quiz = () => run('quiz-core.js');
const preview = () => run('outline.js');
const tracking = () => run('tracking.js');
const scorm = () => run('scorm.js');
const cmi5Store = () => run('cmi5-store.js');

// The settings a package's course.js gives (window.rdCourse).
function courseSettings(file) {
  const window = {};
  vm.compileFunction(fs.readFileSync(file, 'utf8'), ['window'], { filename: file })(window);
  return window.rdCourse;
}

function corpus(...parts) {
  return path.join(__dirname, '..', 'corpus', ...parts);
}

module.exports = { common, quiz, preview, tracking, scorm, cmi5Store, courseSettings, corpus };
