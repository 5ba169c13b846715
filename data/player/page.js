// The script every course page names in its head, so it runs before any of
// the page can be clicked. A page's reference links call
// parent.tester.showref(ref); where that cannot work (the page opened from
// disk, where the browser keeps it from the player, or shown on its own, as
// an LMS shows the pages of the IMS package) this leads the link to the
// page it names all the same. It also opens web links in a new tab, gives
// the page a readable line length, colours that can be read, and a title.
(function () {
  'use strict';
  var WEB = /^\s*(https?|mailto):/i;
  var REF = /showref\(\s*'((?:[^'\\]|\\.)*)'\s*\)/;
  var here = document.currentScript ? document.currentScript.src : 'player/page.js';
  var root = here.replace(/player\/page\.js(\?.*)?$/, '');
  var inPlayer = false;  // the player answered this page's greeting

  var look = document.createElement('link');
  look.rel = 'stylesheet';
  look.href = root + 'player/page.css';
  document.head.appendChild(look);

  // The player's showref, when the page may call it (both from one server).
  function playerReachable() {
    try {
      return window.parent !== window && typeof window.parent.tester.showref === 'function';
    } catch (e) {
      return false;
    }
  }

  function load(src) {
    return new Promise(function (resolve) {
      var s = document.createElement('script');
      s.src = src;
      s.onload = s.onerror = function () { resolve(); };
      document.head.appendChild(s);
    });
  }

  function say(text) {
    var box = document.getElementById('rd-notice') || document.createElement('p');
    box.id = 'rd-notice';
    box.setAttribute('role', 'status');
    box.textContent = text;
    (document.querySelector('main') || document.body).appendChild(box);
  }

  // The course's outline (its entries), read once when first asked for.
  var outlineRead = null;
  function outline() {
    if (!outlineRead) {
      outlineRead = load(root + 'course.js').then(function () {
        return load(root + 'player/common.js');
      }).then(function () {
        return load(root + 'player/outline.js');
      }).then(function () {
        return RdCommon.readText('pvomanifest.htm', 'windows-1251');  // pages lie beside it
      }).then(function (text) {
        return RdPreview.parse(text, window.rdCourse && window.rdCourse.files);
      });
    }
    return outlineRead;
  }

  // No player: the outline tells which page the reference names.
  function follow(ref) {
    outline().then(function (entries) {
      var e = RdPreview.findRef(entries, ref);
      if (e) location.href = root + e.file;
      else say((document.documentElement.lang.indexOf('ru') === 0 ? 'Нет страницы со ссылкой ' : 'No page with the reference ') + ref);
    }).catch(function () {
      say('pvomanifest.htm: ' + ref);
    });
  }

  document.addEventListener('click', function (ev) {
    var a = ev.target && ev.target.closest ? ev.target.closest('a[onclick]') : null;
    var m = a ? REF.exec(a.getAttribute('onclick')) : null;
    if (!m || playerReachable()) return;  // the link's own call does it
    ev.preventDefault();
    ev.stopPropagation();  // before the link's own call, which would throw
    var ref = m[1].replace(/\\(.)/g, '$1');
    if (inPlayer) window.parent.postMessage({ rd: 'showref', ref: ref }, '*');
    else follow(ref);
  }, true);

  window.addEventListener('message', function (ev) {
    if (ev.source === window.parent && ev.data && ev.data.rd === 'player') inPlayer = true;
  });
  if (window.parent !== window) {
    var file = decodeURIComponent(location.pathname.split('/').pop());
    window.parent.postMessage({ rd: 'page', file: file }, '*');
  }

  // ---- text that can be read ------------------------------------------------

  function rgb(css) {
    var m = /rgba?\((\d+), (\d+), (\d+)(?:, ([\d.]+))?\)/.exec(css);
    return m && (m[4] === undefined || Number(m[4]) > 0) ? [+m[1], +m[2], +m[3]] : null;
  }

  function luminance(c) {
    var l = c.map(function (v) {
      v /= 255;
      return v <= 0.03928 ? v / 12.92 : Math.pow((v + 0.055) / 1.055, 2.4);
    });
    return 0.2126 * l[0] + 0.7152 * l[1] + 0.0722 * l[2];
  }

  function contrast(a, b) {
    var x = luminance(a);
    var y = luminance(b);
    return (Math.max(x, y) + 0.05) / (Math.min(x, y) + 0.05);
  }

  function backdrop(el) {
    for (; el; el = el.parentElement) {
      var c = rgb(getComputedStyle(el).backgroundColor);
      if (c) return c;
    }
    return [255, 255, 255];
  }

  function ownText(el) {
    for (var n = el.firstChild; n; n = n.nextSibling) if (n.nodeType === 3 && /\S/.test(n.nodeValue)) return true;
    return false;
  }

  // Colours a document was written with (Word's pale blue headings, say)
  // are darkened, or lightened on a dark ground, until the text stands out
  // as much as readers need: 4.5 to 1, or 3 to 1 for large text.
  function legible() {
    Array.prototype.forEach.call(document.body.querySelectorAll('*'), function (el) {
      if (!ownText(el)) return;
      var style = getComputedStyle(el);
      var fg = rgb(style.color);
      if (!fg) return;
      var bg = backdrop(el);
      var size = parseFloat(style.fontSize);
      var need = size >= 24 || (Number(style.fontWeight) >= 700 && size >= 18.66) ? 3 : 4.5;
      var darken = luminance(bg) > 0.18;
      var steps = 0;
      for (; steps < 24 && contrast(fg, bg) < need; steps++) {
        fg = fg.map(function (v) { return darken ? Math.floor(v * 0.85) : Math.ceil(v + (255 - v) * 0.15); });
      }
      if (steps) el.style.color = 'rgb(' + fg.join(', ') + ')';
    });
  }

  document.addEventListener('DOMContentLoaded', function () {
    legible();
    Array.prototype.forEach.call(document.querySelectorAll('a[href]'), function (a) {
      if (!WEB.test(a.getAttribute('href'))) return;
      a.target = '_blank';
      a.rel = 'noopener noreferrer';
    });
    var untitled = !document.title;
    if (untitled) {
      var h = document.querySelector('h1, h2, h3, h4, h5, h6, p');
      var text = h ? h.textContent.replace(/\s+/g, ' ').trim() : '';
      document.title = text.length > 80 ? text.slice(0, 79) + '\u2026' : text || decodeURIComponent(location.pathname.split('/').pop());
    }
    landmarks();
    if (untitled) titleFromOutline();
  });

  // A page's title is its entry's in the course's outline, where it has
  // one: the tab and a screen reader name the page as the contents do,
  // not by its first words.
  function titleFromOutline() {
    var file = decodeURIComponent(location.pathname.split('/').pop());
    outline().then(function (entries) {
      for (var i = 0; i < entries.length; i++) {
        if (entries[i].file !== file || !entries[i].title.trim()) continue;
        document.title = entries[i].title;
        var said = document.querySelector('h1.rd-for-readers');
        if (said) said.textContent = entries[i].title;
        return;
      }
    }).catch(function () { /* the first words stay the title */ });
  }

  // A screen reader finds the page's text as the page's main part, under a
  // heading that names it (said, not shown: the player shows the title).
  function landmarks() {
    var body = document.body;
    if (!body || document.querySelector('main, [role="main"]')) return;
    var main = document.createElement('main');
    while (body.firstChild) main.appendChild(body.firstChild);
    body.appendChild(main);
    if (document.querySelector('h1')) return;
    var h1 = document.createElement('h1');
    h1.className = 'rd-for-readers';
    h1.textContent = document.title;
    main.insertBefore(h1, main.firstChild);
  }
})();
