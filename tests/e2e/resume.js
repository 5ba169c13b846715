// A damaged or tampered resume record in an LMS: node resume.js NAME.scorm.zip
// The SCORM package is launched in lms.htm (scorm-again's SCORM 1.2
// runtime) with hostile cmi.suspend_data values, as the LMS hands back what
// it was given. The player must show the course as soon as it does with no
// record (within a second more), start it afresh, and raise no script error.
// A test whose answers the record dropped for space says the score kept.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const { outline, unpackScorm, lmsHarness } = require('./common.js');

const zip = process.argv[2];
if (!zip || !fs.existsSync(zip)) {
  console.error('usage: node resume.js NAME.scorm.zip');
  process.exit(2);
}

const unpacked = unpackScorm(zip);
const { course } = unpacked;
const first = outline(course).find((e) => e.file).file;

// Within SCORM 1.2's 4,096 characters, as an LMS keeps them.
const HOSTILE = {
  'three hundred million bits': '{"v":1,"n":4,"s":"Dw","t":{"1":{"q":300000000,"c":0,"r":"AA"}}}',
  'a count past any number': '{"v":1,"n":1e308,"s":"Dw","t":{"1":{"q":1e308,"c":1e308,"a":[]}}}',
  'bits that do not fit': '{"v":1,"n":2,"s":"' + 'A'.repeat(4000) + '","t":{}}',
  'answers of no test page': '{"v":1,"n":2,"s":"","t":{"1":{"q":2,"c":2,"r":"Aw","a":[{},[[]]]}}}',
  'not a record': ']]>{"v":1',
};

let base, context, closeHarness;
const pageErrors = [];

before(async () => ({ base, context, close: closeHarness } = await lmsHarness(unpacked)));
after(() => closeHarness && closeHarness());

// Milliseconds from the LMS's launch to the player showing its first page,
// and the LMS's record then.
async function launch(suspend) {
  const page = await context.newPage();
  page.on('pageerror', (e) => pageErrors.push(String(e)));
  await page.goto(base + 'lms.htm');
  const stored = suspend === null ? null
    : { location: '', status: 'incomplete', raw: '', min: '', max: '', suspend };
  const start = Date.now();
  await page.evaluate((s) => launch('course/', s), stored);
  await page.waitForFunction(() => lmsRecord().location !== '', null, { timeout: 60000 });
  const took = Date.now() - start;
  const record = await page.evaluate(() => lmsRecord());
  await page.close();
  return { took, record };
}

test('a hostile resume record lets the player show as soon as no record does', async () => {
  await launch(null);  // the browser's caches warmed
  const clean = await launch(null);
  for (const [name, suspend] of Object.entries(HOSTILE)) {
    const { took, record } = await launch(suspend);
    // Room for a loaded two-core machine: twice the clean launch and three
    // seconds more; a record that hangs the player never shows the page.
    assert.ok(took <= 2 * clean.took + 3000, `${name}: ${took} ms, against ${clean.took} ms with no record`);
    assert.equal(record.location, first, name);
    assert.equal(record.status, 'incomplete', name);
    assert.ok(record.suspend.length <= 4096, name);
  }
  assert.deepEqual(pageErrors, []);
});

test('a test whose answers the record dropped for space still says its score', async () => {
  const files = outline(course).filter((e) => e.file);
  const quiz = files.find((e) => e.file.startsWith('test'));
  const suspend = JSON.stringify({ v: 1, n: files.length, s: '', z: 'x', t: { [quiz.file.match(/\d+/)[0]]: { q: 3, c: 2, n: 1 } } });
  const page = await context.newPage();
  page.on('pageerror', (e) => pageErrors.push(String(e)));
  await page.goto(base + 'lms.htm');
  await page.evaluate((s) => launch('course/', s), { location: quiz.file, status: 'incomplete', raw: '', min: '', max: '', suspend });
  await page.frameLocator('#sco').locator('#continue').click();
  const result = page.frameLocator('#sco').frameLocator('#content').locator('#quiz-result');
  await result.filter({ hasText: /\S/ }).waitFor();
  assert.equal(await result.textContent(), 'Результат: 2 из 3');
  await page.close();
  assert.deepEqual(pageErrors, []);
});
