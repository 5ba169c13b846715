// The player's reading of pvomanifest.htm and its reference lookup.
'use strict';
const { test } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const { preview, courseSettings, corpus } = require('./load.js');

const P = preview();
const HEAD = "<html><head><meta http-equiv='Content-Type' content='text/html; charset=Windows-1251'></head><body><pre>";
const doc = (lines) => [HEAD, ...lines, '%MANIFEST_END', '</pre></body></html>', ''].join('\r\n');

test('the fixture outline: chapters, pages and tests in order with their files and chapter flag', () => {
  const text = new TextDecoder('windows-1251').decode(fs.readFileSync(corpus('course_package', 'pvomanifest.htm')));
  const entries = P.parse(text, courseSettings(corpus('course_package', 'course.js')).files);
  assert.deepEqual(entries.map((e) => [e.item, e.kind, e.file, e.data, e.inChapter]), [
    ['ITEM101', 'chapter', '', '', false],
    ['ITEM102', 'page', 'page2.htm', '', true],
    ['ITEM103', 'page', 'page3.htm', '', true],
    ['ITEM104', 'test', 'test1.htm', 'testdata1.htm', true],
    ['ITEM106', 'chapter', '', '', false],
    ['ITEM107', 'page', 'page7.htm', '', true],
    ['ITEM108', 'test', 'test2.htm', 'testdata2.htm', true],
    ['ITEM0', 'page', 'page10.htm', '', false],
  ]);
  assert.equal(entries[1].title, 'Страница 1.1: <введение>');
});

test('titles keep bars and decode entities; lines after the end marker are ignored', () => {
  const entries = P.parse(doc(['ITEM5|a | b &amp; &#8364;|page2.htm|0']) + 'ITEM9|late|page9.htm|0\r\n');
  assert.equal(entries.length, 1);
  assert.equal(entries[0].title, 'a | b & \u20ac');
  // A heading's line break, note or picture shows as a blank, not as a box;
  // at the title's end, as nothing.
  assert.equal(P.parse(doc(['ITEM5|Rules\u000bof work\u0002\u0001|page2.htm|0']))[0].title, 'Rules of work');
  // Stored as backquotes, apostrophes show as typed.
  assert.equal(P.parse(doc(['ITEM5|Don`t|page2.htm|0']))[0].title, "Don't");
  assert.equal(entries[0].file, 'page2.htm');
});

test('course.js names the files: the untitled first page the preview leaves out, tests with their data', () => {
  const entries = P.parse(doc(['ITEM5|||0', 'ITEM6|Next|page2.htm|0', 'ITEM7|Quiz|test1.htm|0']),
    [{ page: 'page1.htm' }, { page: 'page2.htm' }, { test: 'test1.htm', data: 'testdata1.htm' }]);
  assert.deepEqual(entries.map((e) => [e.kind, e.file, e.data]),
    [['page', 'page1.htm', ''], ['page', 'page2.htm', ''], ['test', 'test1.htm', 'testdata1.htm']]);
  const chapter = P.parse(doc(['ITEM7|||0', 'ITEM8|In|page2.htm|-1']), [{}, { page: 'page2.htm' }]);
  assert.equal(chapter[0].kind, 'chapter');
  // A package of an older version, without the list (or with one that does
  // not fit the preview): the preview's own column names what opens.
  for (const files of [undefined, [{ page: 'page9.htm' }]]) {
    const older = P.parse(doc(['ITEM5|||0', 'ITEM6|Next|page2.htm|0']), files);
    assert.deepEqual(older.map((e) => [e.kind, e.file]), [['chapter', ''], ['page', 'page2.htm']]);
  }
});

test('file names other than bare names of the package folder are not opened', () => {
  const lines = ['ITEM1|x|javascript:alert(1)|0', 'ITEM2|y|../up.htm|0', 'ITEM3|z|page3.htm|0'];
  assert.deepEqual(P.parse(doc(lines)).map((e) => e.file), ['page3.htm']);
  const listed = P.parse(doc(lines), [{ page: 'javascript:alert(1)' }, { test: 'test1.htm', data: '../x' }, { page: 'page3.htm' }]);
  assert.deepEqual(listed.map((e) => [e.file, e.data]), [['test1.htm', ''], ['page3.htm', '']]);
});

test('references find pages and tests; a chapter stands for its first page; unknown gives null', () => {
  const entries = P.parse(doc([
    'ITEM10|Ch|| 0', 'ITEM11|P|page2.htm|-1', 'ITEM12|T|test1.htm|-1', 'ITEM20|Empty||0', 'ITEM21|Ch2||0',
    'ITEM0|A|page6.htm|0', 'ITEM0|B|page7.htm|0',
  ]));
  assert.equal(P.findRef(entries, '11').file, 'page2.htm');
  assert.equal(P.findRef(entries, ' 12 ').file, 'test1.htm');
  assert.equal(P.findRef(entries, 10).file, 'page2.htm');
  assert.equal(P.findRef(entries, '20'), null);
  assert.equal(P.findRef(entries, '0').file, 'page6.htm');
  assert.equal(P.findRef(entries, '99'), null);
  assert.equal(P.findRef(entries, ''), null);
});
