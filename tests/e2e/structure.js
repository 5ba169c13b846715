// The structure of whole documents against a reference word processor's
// HTML export of the same documents:
//   node structure.js PROGRAM CORPUS WORK
// For every document of CORPUS/doc and CORPUS/docx that has a reference
// export (reference-html/NAME.html), the program writes the document as one
// page (raredozud html), and both pages are counted in headless Chromium by
// computed style, so that a class and an inline style count alike. A
// document is alike when every count is within 10% (or 1) of the
// reference's. Prints one table and the share alike per format, and fails
// when a share falls below its floor, a document cannot be written or a
// picture on our pages does not load.
// Paragraphs with space before or after, paragraphs with wide line spacing,
// words on shading and words in a sans-serif typeface count in the verdict
// as well. Cells with a visible border are counted too, as a column and a
// share of their own: that count is not part of the verdict.
'use strict';
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { execFileSync } = require('node:child_process');
const { pathToFileURL } = require('node:url');
const { chromium } = require('playwright-core');

// The shares alike, rounded down: raise them as the readers and writers
// improve, never lower. When the measure came: doc 68 of 76, docx 51 of 61;
// with metafiles converted for browsers, table styles and headings of the
// author's own styles: doc 69 of 76, docx 56 of 61; with spacing, line
// spacing, shading and typefaces counted too: doc 69 of 76, docx 56 of 61
// (38 and 35 before the pages had them); with tracked deletions gone, text
// boxes of groups shown, Word 6.0/95 formatting, capitals and tables' place:
// doc 69 of 76, docx 56 of 61 (the reference shows .doc deletions and drops
// grouped text boxes: MarkAuthorsTable.doc, saved-by-table.doc); with
// .docx measured as the reference reads it (deletions, content controls)
// and section breaks ending their paragraphs: doc 69 of 76, docx 60 of 61;
// with .doc shapes drawn by geometry and numbered headings counted as items
// however written: doc 72 of 76, docx 60 of 61; with .doc deletions
// measured as the reference reads them: doc 73 of 76, docx 60 of 61.
const FLOORS = { doc: 0.960, docx: 0.983 };
const FORMATS = ['doc', 'docx'];
const COLUMNS = ['tables', 'cells', 'pictures', 'shown', 'links', 'bold', 'italic', 'items',
  'spacing', 'lines', 'shaded', 'sans', 'borders'];
// Reported beside the verdict, not in it, by format. The reference's .docx
// pages class fonts by a list of their own, not by the document's font
// table, and leave the theme's fonts unnamed: their typefaces are no
// measure there.
const SHOWN_ONLY = { doc: ['borders'], docx: ['borders', 'sans'] };
const COUNTS = (format) => COLUMNS.filter((k) => !SHOWN_ONLY[format].includes(k));
// Pictures shown (loaded with a size) are ours against the reference's
// pictures: its picture files are not kept, only its <img> elements.
const refCount = (ref, k) => (k === 'shown' ? ref.pictures : ref[k]);

const [program, corpus, work] = process.argv.slice(2);
if (!program || !corpus || !work) {
  console.error('usage: node structure.js PROGRAM CORPUS WORK');
  process.exit(2);
}
const CHROMIUM = process.env.CHROMIUM || '/usr/bin/chromium';

// Runs in the page. A word is letters and digits between white space or
// block edges, with a letter among them (so that list labels and numbers,
// which word processors place in ways of their own, do not count); it is
// bold (italic, shaded) when most of its characters show so: bold by a
// weight of 600 or more, or in a heavy face ("Arial Black": heavy in any
// weight where the font is installed). A character
// is shaded when the nearest background of a block or cell behind it is a
// colour other than white (the reference drops the highlights of .doc
// runs, so run backgrounds are left out). A word is sans-serif when most of
// its characters are cased letters (serif and sans-serif class the
// typefaces of those scripts) in a font list that ends with that generic
// family, outside a list item (the reference's list items lose their
// paragraphs' fonts). A paragraph (p or h1-h6 with a word in it, outside tables and
// lists: the reference gives paragraphs in cells spacing of its own, and
// list items of one style the space between them that the document leaves
// out) is spaced when it has 2pt or more of space before or after, and has
// wide lines when its line height is 1.45 times its font size or more; a
// multiple of lines, which our pages give as a multiple of the font's own
// line and the reference's as a share of its size, is measured by that.
// The browser's own margins of paragraphs and headings, and its bold
// headings, are no page's: both pages are measured with margins at zero and
// headings light beneath their own style sheets.
// The reference's page headers and footers are left out: pages never show
// them. A font list of the reference that ends in no generic family shows
// in the browser's own typeface, whatever the document's font is (the
// fault our lists mend): the reference's page returns the first fonts of
// such lists as `unclassed`, and words in them count as sans-serif on
// neither page.
function measure({ leaveOutHeaders, unclassed = [], ownLines = false }) {
  const generic = /(^|,)\s*(serif|sans-serif|monospace|cursive|fantasy|system-ui)\s*$/;
  const firstFont = (style) => style.fontFamily.split(',')[0].trim().replace(/^["']|["']$/g, '')
    .toLowerCase();
  const leftOut = new Set(unclassed);
  const found = new Set();
  const plain = document.createElement('style');
  plain.textContent = 'p,h1,h2,h3,h4,h5,h6{margin-top:0;margin-bottom:0}h1,h2,h3,h4,h5,h6{font-weight:normal}';
  document.head.prepend(plain);
  const c = { tables: 0, cells: 0, pictures: 0, shown: 0, links: 0, bold: 0, italic: 0, items: 0,
    spacing: 0, lines: 0, shaded: 0, sans: 0, borders: 0 };
  const failed = [];
  const flags = ['bold', 'italic', 'shaded', 'sans'];
  let word = null;
  const endWord = () => {
    if (word && word.letters) for (const f of flags) if (2 * word[f] > word.chars) c[f]++;
    word = null;
  };
  const letter = /\p{L}/u;
  const digit = /\p{N}/u;
  const space = /\s/u;
  const cased = /[\p{Lu}\p{Ll}]/u;
  const heavyFace = / (semibold|demibold|demi|bold|extrabold|ultrabold|heavy|black)$/;
  const sansSerif = (style) => /,\s*sans-serif$|^sans-serif$/.test(style.fontFamily);
  const text = (node, style, background, listed) => {
    const on = {
      bold: parseInt(style.fontWeight, 10) >= 600 || heavyFace.test(firstFont(style)),
      italic: style.fontStyle !== 'normal',
      shaded: background !== null,
    };
    if (!generic.test(style.fontFamily)) found.add(firstFont(style));
    on.sans = !listed && !leftOut.has(firstFont(style)) && sansSerif(style);
    for (const ch of node.data) {
      if (space.test(ch)) endWord();
      else if (letter.test(ch) || digit.test(ch)) {
        word = word || { chars: 0, letters: 0, bold: 0, italic: 0, shaded: 0, sans: 0 };
        word.chars++;
        if (letter.test(ch)) word.letters++;
        for (const f of flags) if (on[f] && (f !== 'sans' || cased.test(ch))) word[f]++;
      }
    }
  };
  // A colour with some opacity: 'white', or the colour; null for none.
  const colour = (value) => {
    const m = value.match(/rgba?\(([\d.]+),\s*([\d.]+),\s*([\d.]+)(?:,\s*([\d.]+))?\)/);
    if (!m || (m[4] !== undefined && parseFloat(m[4]) === 0)) return null;
    return m[1] === '255' && m[2] === '255' && m[3] === '255' ? 'white' : value;
  };
  // What a paragraph's lines are measured by: the font's own line (the
  // height where nothing sets it) where the paragraph gives a multiple of
  // it (a factor, which a child twice its size doubles), else its size.
  const lineUnit = (el, style) => {
    const size = parseFloat(style.fontSize);
    const probe = document.createElement('span');
    probe.style.cssText = `display:inline-block;font-size:${2 * size}px`;
    el.appendChild(probe);
    const factor = Math.abs(parseFloat(getComputedStyle(probe).lineHeight) -
      2 * parseFloat(style.lineHeight)) < 0.5;
    probe.style.lineHeight = 'normal';
    probe.style.fontSize = style.fontSize;
    probe.textContent = 'x';
    const own = probe.getBoundingClientRect().height;
    probe.remove();
    return factor ? own : size;
  };
  const paragraph = (el, style) => {
    if (!/^(P|H[1-6])$/.test(el.tagName) || el.closest('td,th,li')) return;
    if (!/[\p{L}\p{N}]/u.test(el.textContent)) return;
    const pt = (px) => (parseFloat(px) || 0) * 0.75;
    if (Math.max(pt(style.marginTop), pt(style.marginBottom)) >= 2) c.spacing++;
    if (style.lineHeight !== 'normal' &&
        parseFloat(style.lineHeight) >= 1.45 * (ownLines ? lineUnit(el, style) : parseFloat(style.fontSize)))
      c.lines++;
  };
  // A numbered heading is an item of the document's numbered outline
  // however a page writes it: as a list item holding the heading, or as a
  // heading led by its label ("1. ", "1.2. "): both count as an item.
  const numberedHeading = (el) => /^H[1-6]$/.test(el.tagName) &&
    /^\s*\d+(\.\d+)*\.\s/u.test(el.textContent);
  // A side shows a line when it has a style other than none or hidden and
  // a width.
  const bordered = (style) => ['Top', 'Right', 'Bottom', 'Left'].some((side) =>
    !['none', 'hidden'].includes(style[`border${side}Style`]) &&
    parseFloat(style[`border${side}Width`]) > 0);
  const walk = (el, behind, inList) => {
    const style = getComputedStyle(el);
    if (style.display === 'none') return;
    if (leaveOutHeaders && el.matches('div[title="header"], div[title="footer"]')) return;
    const block = !style.display.startsWith('inline');
    const own = block ? colour(style.backgroundColor) : null;
    const background = own === null ? behind : own === 'white' ? null : own;
    const listed = inList || style.display === 'list-item';
    if (block || el.tagName === 'BR') endWord();
    if (style.display === 'table') c.tables++;
    if (style.display === 'table-cell') {
      c.cells++;
      if (bordered(style)) c.borders++;
    }
    if (style.display === 'list-item' || (!listed && numberedHeading(el))) c.items++;
    paragraph(el, style);
    if (el.tagName === 'IMG') {
      c.pictures++;
      if (el.complete && el.naturalWidth > 0) c.shown++;
      else failed.push(el.getAttribute('src') || '');
    }
    const href = el.tagName === 'A' ? el.getAttribute('href') : null;
    if (href && !href.startsWith('#')) c.links++;
    for (const child of el.childNodes) {
      if (child.nodeType === Node.TEXT_NODE) text(child, style, background, listed);
      else if (child.nodeType === Node.ELEMENT_NODE) walk(child, background, listed);
    }
    if (block) endWord();
  };
  walk(document.body, null, false);
  endWord();
  return { counts: c, failed, unclassed: [...found] };
}

// Two places where the reference's .docx pages differ from the document
// itself are left out by measuring our page of a copy that reads as the
// reference does (the document's own page is untouched):
// - tracked deletions show on the reference as live text, so the copy's
//   deletions are ordinary text;
// - the reference drops the direct bold and italic of runs inside content
//   controls that hold whole paragraphs, cells or tables (w:sdt outside a
//   paragraph), so the copy's runs there have none.
// Returns the copy's path, or the document's when nothing differs.
function asReferenceReads(doc, work) {
  const { unzipSync, zipSync, strToU8, strFromU8 } = require('fflate');
  const files = unzipSync(fs.readFileSync(doc));
  const main = 'word/document.xml';
  if (!files[main]) return doc;
  const xml = strFromU8(files[main]);
  let paragraphs = 0;
  const controls = [];
  const copy = xml.replace(/<(\/?)([\w:]+)([^>]*?)(\/?)>/g, (tag, close, name, rest, empty) => {
    if (name === 'w:del') return '';
    if (name === 'w:delText') return `<${close}w:t${rest}${empty}>`;
    if (name === 'w:delInstrText') return `<${close}w:instrText${rest}${empty}>`;
    if (name === 'w:p' && !empty) paragraphs += close ? -1 : 1;
    if (name === 'w:sdtContent' && !empty) {
      if (close) controls.pop();
      else controls.push(paragraphs === 0);
    }
    if (controls.includes(true) && /^w:(b|bCs|i|iCs)$/.test(name)) return '';
    return tag;
  });
  if (copy === xml) return doc;
  files[main] = strToU8(copy);
  const out = path.join(work, 'as-reference', path.basename(doc));
  fs.mkdirSync(path.dirname(out), { recursive: true });
  fs.writeFileSync(out, zipSync(files));
  return out;
}

// The same for a .doc of Word 97 or later: the reference shows its tracked
// deletions as live text too, so the copy's character properties lose the
// deletion mark (its operand becomes 0) in every formatted-run page. Returns
// the copy's path, or the document's when it marks no deletion.
function asReferenceReadsDoc(doc, work) {
  const CFB = require('cfb');
  const container = CFB.read(fs.readFileSync(doc), { type: 'buffer' });
  const main = CFB.find(container, 'WordDocument');
  const w = main && main.content;
  if (!w || w.length < 0x102 || w.readUInt16LE(0) !== 0xA5EC || w.readUInt16LE(2) < 0xC1) return doc;
  const table = CFB.find(container, (w.readUInt16LE(0x0A) & 0x0200) ? '1Table' : '0Table');
  const bins = table && table.content;
  const [fc, lcb] = [w.readUInt32LE(0xFA), w.readUInt32LE(0xFE)];
  if (!bins || lcb < 12 || fc + lcb > bins.length) return doc;
  const pages = (lcb - 4) / 8;
  let unmarked = 0;
  for (let i = 0; i < pages; i++) {
    const page = (bins.readUInt32LE(fc + 4 * (pages + 1) + 4 * i) & 0x3FFFFF) * 512;
    if (page + 512 > w.length) continue;
    const runs = w[page + 511];
    for (let r = 0; r < runs; r++) {
      const at = page + 2 * w[page + 4 * (runs + 1) + r];
      if (at === page) continue;  // a run of the style's own properties
      unmarked += unmarkDeletions(w, at + 1, at + 1 + w[at]);
    }
  }
  if (!unmarked) return doc;
  const out = path.join(work, 'as-reference', path.basename(doc));
  fs.mkdirSync(path.dirname(out), { recursive: true });
  fs.writeFileSync(out, CFB.write(container, { type: 'buffer' }));
  return out;
}

// Clears the deletion mark among the property changes from `at` to `end`;
// returns how many it cleared.
function unmarkDeletions(w, at, end) {
  const fixed = [1, 1, 2, 4, 2, 2, 0, 3];  // operand bytes by the change's size class
  let cleared = 0;
  while (at + 2 <= end) {
    const sprm = w.readUInt16LE(at);
    const size = sprm >> 13 === 6 ? 1 + w[at + 2] : fixed[sprm >> 13];
    if (sprm === 0x0800 && w[at + 2]) { w[at + 2] = 0; cleared++; }
    at += 2 + size;
  }
  return cleared;
}

// Within 10% or 1; typefaces within a fifth, since the reference loses the
// fonts of some styles' paragraphs (they show in the browser's own).
function alike(ours, ref, k) {
  return Math.abs(ours - ref) <= Math.max(1, (k === 'sans' ? 0.2 : 0.1) * ref);
}

function documents() {
  const list = [];
  for (const format of FORMATS) {
    const refs = path.join(corpus, format, 'reference-html');
    for (const ref of fs.readdirSync(refs).filter((n) => n.endsWith('.html')).sort()) {
      const name = ref.slice(0, -'.html'.length);
      list.push({ format, name, doc: path.join(corpus, format, name), ref: path.join(refs, ref) });
    }
  }
  return list;
}

function pad(s, n) {
  s = String(s);
  return s.length >= n ? s.slice(0, n - 2) + '~ ' : s.padEnd(n);
}

function report(rows) {
  const lines = [pad('document', 36) + COLUMNS.map((k) => pad(k, 10)).join('') + 'alike'];
  for (const r of rows) {
    if (r.error) {
      lines.push(pad(r.name, 36) + 'not written: ' + r.error);
      continue;
    }
    const cells = COLUMNS.map((k) => {
      const ref = refCount(r.ref, k);
      const mark = alike(r.ours[k], ref, k) ? '' : '*';
      return pad(`${r.ours[k]}/${ref}${mark}`, 10);
    });
    lines.push(pad(r.name, 36) + cells.join('') + (r.alike ? 'yes' : 'no'));
  }
  lines.push('(ours/reference; * outside 10% or 1; shown: pictures loaded with a size; ' +
    'spacing: paragraphs with space before or after; lines: paragraphs with wide lines; ' +
    'shaded, sans: words on shading, in a sans-serif typeface (within a fifth); ' +
    'borders: cells with a visible border; borders, and sans in .docx, not in the verdict)');
  console.log(lines.join('\n'));
}

function summary(rows) {
  let ok = true;
  for (const format of FORMATS) {
    const of = rows.filter((r) => r.format === format);
    const n = of.filter((r) => r.alike).length;
    const share = of.length ? n / of.length : 1;
    const below = share < FLOORS[format];
    ok = ok && !below;
    console.log(`${format}: ${n} of ${of.length} alike (${(100 * share).toFixed(1)}%), ` +
      `floor ${(100 * FLOORS[format]).toFixed(1)}%${below ? ': BELOW THE FLOOR' : ''}`);
  }
  for (const format of FORMATS) {
    for (const k of SHOWN_ONLY[format]) {
      const of = rows.filter((r) => r.format === format && r.ours);
      const n = of.filter((r) => alike(r.ours[k], r.ref[k], k)).length;
      console.log(`${format} ${k} alike (not in the verdict): ${n} of ${of.length} ` +
        `(${(100 * (of.length ? n / of.length : 1)).toFixed(1)}%)`);
    }
  }
  const failed = rows.flatMap((r) => (r.failed || []).map((src) => path.extname(src).toLowerCase() || '?'));
  const kinds = {};
  for (const ext of failed) kinds[ext] = (kinds[ext] || 0) + 1;
  const pictures = rows.reduce((sum, r) => sum + (r.ours ? r.ours.pictures : 0), 0);
  console.log(`pictures not loaded on our pages: ${failed.length} of ${pictures}` +
    (failed.length ? ' (' + Object.entries(kinds).map(([k, v]) => `${k} ${v}`).join(', ') + ')' : ''));
  for (const format of FORMATS) {
    const differ = COUNTS(format).map((k) => [k, rows.filter((r) => r.format === format &&
      r.ours && !alike(r.ours[k], refCount(r.ref, k), k)).length]);
    console.log(`${format} documents differing in: ` + differ.sort((a, b) => b[1] - a[1])
      .map(([k, v]) => `${k} ${v}`).join(', '));
  }
  const unwritten = rows.filter((r) => r.error).length;
  if (unwritten) console.log(`${unwritten} documents could not be written as a page`);
  // Every picture shows: converted, or a stand-in that loads.
  return ok && !unwritten && failed.length === 0;
}

async function main() {
  fs.rmSync(work, { recursive: true, force: true });
  fs.mkdirSync(work, { recursive: true });
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'rd-structure-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: CHROMIUM,
    headless: true,
    viewport: { width: 1100, height: 720 },
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  const rows = [];
  try {
    const page = context.pages()[0] || await context.newPage();
    for (const d of documents()) {
      const row = { format: d.format, name: d.name };
      rows.push(row);
      const out = path.join(work, d.format, d.name + '.htm');
      fs.mkdirSync(path.dirname(out), { recursive: true });
      try {
        const source = d.format === 'docx'
          ? asReferenceReads(d.doc, work) : asReferenceReadsDoc(d.doc, work);
        execFileSync(program, ['html', source, out], { stdio: ['ignore', 'ignore', 'pipe'] });
      } catch (e) {
        row.error = String(e.stderr || e.message).trim();
        continue;
      }
      await page.goto(pathToFileURL(d.ref).href, { waitUntil: 'load' });
      const ref = await page.evaluate(measure, { leaveOutHeaders: true });
      await page.goto(pathToFileURL(out).href, { waitUntil: 'load' });
      const ours = await page.evaluate(measure, { leaveOutHeaders: false,
        unclassed: ref.unclassed, ownLines: true });
      row.ours = ours.counts;
      row.ref = ref.counts;
      row.failed = ours.failed;
      row.alike = COUNTS(d.format).every((k) => alike(ours.counts[k], refCount(ref.counts, k), k));
    }
  } finally {
    await context.close();
    fs.rmSync(profile, { recursive: true, force: true });
  }
  report(rows);
  process.exitCode = summary(rows) ? 0 : 1;
}

main().catch((e) => {
  console.error(e);
  process.exitCode = 1;
});
