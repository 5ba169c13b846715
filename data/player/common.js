// What the player, the test pages and the course pages share: reading the
// package's own files, from a server or from disk, the course's language,
// and the decoding of the character references in the package's text files.
var RdCommon = (function () {
  'use strict';

  function loadScript(src) {
    return new Promise(function (resolve) {
      var s = document.createElement('script');
      s.src = src;
      s.onload = s.onerror = function () { resolve(); };
      (document.body || document.head).appendChild(s);
    });
  }

  // Opened from a folder on disk, the browser refuses to read files; the
  // copy step leaves the same bytes in a script beside each file (NAME.js).
  function embedded(name, encoding) {
    var e = window.rdEmbedded && window.rdEmbedded[name];
    if (typeof e !== 'string' || !window.TextDecoder) return null;
    var bin = atob(e);
    var bytes = new Uint8Array(bin.length);
    for (var i = 0; i < bin.length; i++) bytes[i] = bin.charCodeAt(i);
    return new TextDecoder(encoding).decode(bytes);
  }

  // A file of the package's root folder as text in `encoding`.
  function readText(url, encoding) {
    var fallback = function (err) {
      var text = embedded(url, encoding);
      if (text !== null) return text;
      return loadScript(url + '.js').then(function () {
        var late = embedded(url, encoding);
        if (late === null) throw err;
        return late;
      });
    };
    if (location.protocol === 'file:') {
      var local = embedded(url, encoding);
      if (local !== null) return Promise.resolve(local);
      return fallback(new Error(url + ' cannot be read from disk'));
    }
    if (window.fetch && window.TextDecoder) {
      return fetch(url).then(function (r) {
        if (!r.ok) throw new Error(url + ': HTTP ' + r.status);
        return r.arrayBuffer();
      }).then(function (buf) { return new TextDecoder(encoding).decode(buf); }).catch(fallback);
    }
    return new Promise(function (resolve, reject) {
      var x = new XMLHttpRequest();
      x.open('GET', url);
      x.overrideMimeType('text/plain; charset=' + encoding);
      x.onload = function () { (x.status === 200 || x.status === 0) ? resolve(x.responseText) : reject(new Error(url)); };
      x.onerror = function () { reject(new Error(url)); };
      x.send();
    }).catch(fallback);
  }

  // The course's language as the converter found it (course.js), else the
  // browser's.
  function courseLanguage() {
    var c = window.rdCourse;
    var tag = c && typeof c.lang === 'string' && /^[A-Za-z]{2,3}(-[A-Za-z0-9]+)*$/.test(c.lang) ? c.lang : '';
    return tag || navigator.language || 'en';
  }

  // The interface texts for a language among `strings` (keyed by primary
  // language), English when there are none: { lang, T }.
  function texts(strings, tag) {
    var primary = String(tag).split('-')[0].toLowerCase();
    return strings[primary] ? { lang: primary, T: strings[primary] } : { lang: 'en', T: strings.en };
  }

  var NAMED = { amp: '&', lt: '<', gt: '>', quot: '"', apos: "'" };

  // The character references of the preview and the test data files, in one
  // pass (so "&amp;lt;" gives "&lt;"): numeric ones of a character, and the
  // five names XML predefines. The converter writes "&", "<" and ">" of the
  // text that way and what the code page lacks as "&#N;"; everything else is
  // literal text. The converter's quiz reader decodes the same.
  function decodeReferences(s) {
    return String(s).replace(/&(#[xX][0-9a-fA-F]+|#[0-9]+|amp|lt|gt|quot|apos);/g, function (m, e) {
      if (e.charAt(0) !== '#') return NAMED[e];
      var code = e.charAt(1) === 'x' || e.charAt(1) === 'X' ? parseInt(e.slice(2), 16) : parseInt(e.slice(1), 10);
      if (!(code > 0 && code <= 0x10ffff) || (code >= 0xd800 && code <= 0xdfff)) return m;
      return String.fromCodePoint(code);
    });
  }

  // A title as learners read it: the word processor's control characters
  // that a heading's line may hold (a line break, where a note's reference
  // or a picture stood) show as a blank, not as a box, as in course.js;
  // at either end (a note's reference after the title) they show as
  // nothing. Titles are stored with their apostrophes as backquotes: a
  // learner reads the apostrophe the author typed.
  function shownTitle(s) {
    return String(s).replace(/[\u0000-\u001f\u007f]/g, ' ').trim().replace(/`/g, "'");
  }

  return { loadScript: loadScript, embedded: embedded, readText: readText,
           courseLanguage: courseLanguage, texts: texts, decodeReferences: decodeReferences,
           shownTitle: shownTitle };
})();
if (typeof module !== 'undefined' && module.exports) module.exports = RdCommon;
