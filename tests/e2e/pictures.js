// Converted pictures in the browser:
//   node pictures.js PROGRAM CORPUS WORK [SCREENSHOT.png]
// Every corpus document below holds WMF or EMF pictures. The program
// writes each as one page (raredozud html, as course pages are written);
// the page must show every picture: each <img> loaded with a non-zero
// natural size, none of them a stand-in (the program warns about those).
// With SCREENSHOT, the first document's page is shot beside the reference
// word processor's export of it (whose picture files were not kept: its
// picture boxes are outlined instead).
'use strict';
const fs = require('node:fs');
const path = require('node:path');
const { spawnSync } = require('node:child_process');
const { pathToFileURL } = require('node:url');
const { chromium } = require('playwright-core');
const { sideBySide } = require('./common.js');

const DOCUMENTS = [
  ['docx', 'VariousPictures.docx'],  // a WMF, two EMF, a PNG and a JPEG
  ['doc', 'equation.doc'],           // an equation's EMF
  ['doc', 'word_with_embeded.doc'],  // embedded objects' EMF
  ['doc', 'vector_image.doc'],
  ['docx', 'tika-3388.docx'],
  ['docx', 'EmbeddedDocument.docx'],
];

const [program, corpus, work, screenshot] = process.argv.slice(2);
if (!program || !corpus || !work) {
  console.error('usage: node pictures.js PROGRAM CORPUS WORK [SCREENSHOT.png]');
  process.exit(2);
}
const CHROMIUM = process.env.CHROMIUM || '/usr/bin/chromium';

function pictures() {
  return [...document.images].map((img) => ({
    src: img.getAttribute('src'),
    loaded: img.complete && img.naturalWidth > 0 && img.naturalHeight > 0,
    width: img.naturalWidth,
    height: img.naturalHeight,
  }));
}

// Our page and the reference's side by side, each in a frame of its own.
async function shoot(page, ours, reference) {
  const outlined = path.join(work, 'reference.html');
  const style = '<style>img{outline:2px dashed #c33;background:#fbeaea}</style>';
  fs.writeFileSync(outlined, fs.readFileSync(reference, 'utf8').replace(/<\/head>/i, style + '</head>'));
  await sideBySide(page, work, [['Raredozud: WMF and EMF converted to SVG', ours],
    ['Reference export (its picture files not kept: boxes outlined)', outlined]], screenshot);
}

async function main() {
  fs.rmSync(work, { recursive: true, force: true });
  fs.mkdirSync(work, { recursive: true });
  const browser = await chromium.launch({
    executablePath: CHROMIUM,
    args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking'],
  });
  let failures = 0;
  let converted = 0;
  try {
    const page = await browser.newPage();
    for (const [format, name] of DOCUMENTS) {
      const out = path.join(work, name + '.htm');
      const run = spawnSync(program, ['html', path.join(corpus, format, name), out],
        { stdio: ['ignore', 'ignore', 'pipe'], encoding: 'utf8' });
      if (run.status !== 0) throw new Error(`${name}: raredozud html failed: ${run.stderr}`);
      const stderr = run.stderr;
      await page.goto(pathToFileURL(out).href, { waitUntil: 'load' });
      const shown = await page.evaluate(pictures);
      const bad = shown.filter((p) => !p.loaded).map((p) => p.src);
      const svg = shown.filter((p) => p.src.endsWith('.svg')).length;
      converted += svg;
      const standIns = stderr.split('\n').filter((l) => l.includes('shows as a box'));
      const ok = shown.length > 0 && svg > 0 && bad.length === 0 && standIns.length === 0;
      if (!ok) failures++;
      console.log(`${ok ? 'ok  ' : 'FAIL'} ${name}: ${shown.length} pictures, ${svg} converted` +
        (bad.length ? `, not loaded: ${bad.join(' ')}` : '') +
        (standIns.length ? `, stand-ins: ${standIns.join('; ')}` : ''));
    }
    if (screenshot) {
      const [format, name] = DOCUMENTS[0];
      await shoot(page, path.join(work, name + '.htm'),
        path.join(corpus, format, 'reference-html', name + '.html'));
    }
  } finally {
    await browser.close();
  }
  console.log(`${DOCUMENTS.length - failures} of ${DOCUMENTS.length} pages show every picture ` +
    `(${converted} converted metafiles)`);
  process.exitCode = failures ? 1 : 0;
}

main().catch((e) => {
  console.error(e);
  process.exitCode = 1;
});
