// The quiz page's verdict on each test data file named: "ok", or
// "problem LINE MESSAGE" where its reader stops, one line a file. The
// course mutation campaign sets it beside check's verdict.
'use strict';
const fs = require('fs');
const RdQuiz = require('../data/player/quiz-core.js');

const decoder = new TextDecoder('windows-1251');  // as the player reads the file
for (const file of process.argv.slice(2)) {
  try {
    RdQuiz.load(decoder.decode(fs.readFileSync(file)));
    console.log('ok');
  } catch (e) {
    if (!(e instanceof RdQuiz.QuizError)) throw e;
    console.log('problem ' + e.lineNumber + ' ' + e.message);
  }
}
