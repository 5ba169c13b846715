// Hostile metafiles' SVGs opened on their own in headless Chromium:
//   node svg_alone.js PICTURES_TESTS WORK
// The picture tests write the SVG of each metafile of their payload table
// (scripts, event attributes, foreignObject, javascript: links, outside
// images and stylesheets hidden in text and font names) into WORK; each is
// opened from disk as a learner's browser would open it, and clicked. No
// script may run (the payloads set window.ran) and nothing may be fetched.
// A control SVG that does both shows the watch works.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { spawnSync } = require('node:child_process');
const { pathToFileURL } = require('node:url');
const { browser } = require('./common.js');

const [picturesTests, work] = process.argv.slice(2);
if (!picturesTests || !work) {
  console.error('usage: node svg_alone.js PICTURES_TESTS WORK');
  process.exit(2);
}

const CONTROL = '<svg xmlns="http://www.w3.org/2000/svg" width="100" height="50">' +
  '<script>window.ran = 1; fetch("http://ran.invalid/control");</script>' +
  '<image href="http://ran.invalid/control.png" width="9" height="9"/></svg>';

let context, close;

before(async () => {
  fs.rmSync(work, { recursive: true, force: true });
  fs.mkdirSync(work, { recursive: true });
  const run = spawnSync(picturesTests, ['--gtest_filter=MetafilePayloads.*'], {
    env: { ...process.env, RD_SVG_OUT: work }, encoding: 'utf8',
  });
  assert.equal(run.status, 0, run.stdout + run.stderr);
  fs.writeFileSync(path.join(work, 'control.svg'), CONTROL);
  ({ context, close } = await browser());
});

after(async () => {
  if (close) await close();
});

// What opening and clicking the file did: requests other than the file
// itself, dialogs, and whether a script set window.ran.
async function opened(file) {
  const page = await context.newPage();
  const url = pathToFileURL(file).href;
  const seen = { requests: [], dialogs: 0, popups: 0 };
  page.on('request', (r) => { if (r.url() !== url) seen.requests.push(r.url()); });
  page.on('dialog', (d) => { seen.dialogs++; d.dismiss().catch(() => {}); });
  page.on('popup', () => { seen.popups++; });
  await page.goto(url, { waitUntil: 'load' });
  const box = await page.evaluate(() => {
    const r = document.documentElement.getBoundingClientRect();
    return { x: r.x + Math.min(r.width, 900) / 2, y: r.y + Math.min(r.height, 600) / 2 };
  });
  await page.mouse.click(box.x, box.y);
  await page.waitForTimeout(300);
  seen.ran = await page.evaluate(() => window.ran !== undefined);
  await page.close();
  return seen;
}

test('the control runs and fetches, so the watch sees what it is for', async () => {
  const seen = await opened(path.join(work, 'control.svg'));
  assert.equal(seen.ran, true);
  assert.ok(seen.requests.length > 0);
});

test('no payload runs or fetches when its SVG is opened on its own', async () => {
  const files = fs.readdirSync(work).filter((f) => f.endsWith('.svg') && f !== 'control.svg');
  assert.ok(files.length >= 10, 'the payload table was written: ' + files.join(' '));
  const found = {};
  for (const f of files) {
    const seen = await opened(path.join(work, f));
    if (seen.ran || seen.requests.length || seen.dialogs || seen.popups) found[f] = seen;
  }
  assert.deepEqual(found, {});
});
