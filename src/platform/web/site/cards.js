// cards.js -- the Cards panel: the 78 faces and their meanings, search, a page per card with
// a link of its own (#card/the-fool), a deck of the user's own, and the card of the day.
//
// Everything about the cards comes from the card library inside the program's WebAssembly
// (src/cards/web_cards.cpp): the faces decoded by the program's own picture decoder, the texts
// found by its own record lookup, search, names and the card of the day. The panel speaks the
// page's language (language.js): the faces and texts of that language's install folder, the
// names and groups of the program's words table, and the panel's own words from words.js (the
// elements' data-word attributes, and page_word). The panel opens over the display; the
// program keeps its state underneath and gets no tap while it is open (a modal dialog makes
// the rest of the page inert).
//
// A journal, where the page has one, answers two optional functions: journal_card_count(card)
// (a number, or a promise of one: how often the card has come up) and
// journal_keep_card_of_the_day({date, card, reversed, name, text}), called once a day.

// [SECTION] State

var cards = {
  ready: false,      // the program's file system and the card library can be used
  opened: false,     // a deck is open in the library
  drawn: false,      // the grid shows the open deck's faces
  built_in: null,    // {sheet, palette, texts}: the files of the page's language's install
                     // folder, as Uint8Arrays
  kept: {},          // the built-in files of each language's folder, by code, read once
  overwritten: {},   // the codes of the folders whose files the user's deck took over
  own: null,         // the user's deck from the browser's storage: {sheet, texts}, each an
                     // ArrayBuffer, or null where the deck takes the built-in file
  current: -1,       // the card whose page is open; -1: the grid
  last_focus: null,  // where the focus was when the panel opened
  pending_hash: false
};
// For the tests and the benchmark: what the panel did and how long it took.
quarnel.cards = {opened: 0, shown_ms: [], search_ms: [], faces_drawn: 0, deck: 'built-in',
                 deck_at_start: 'built-in',
                 refusals: [], daily: null};

var DB_NAME = 'quarnel-cards', DB_STORE = 'deck';

// The panel's words in the page's language (words.js), "{name}" filled from fillings.
function word(key, fillings) { return page_word(key, fillings); }

// [SECTION] The card library in WebAssembly

// Copies bytes into the program's memory, calls `use` with the address, and frees them.
function with_bytes(list, use) {
  var pointers = list.map(function(bytes) {
    var pointer = _cards_buffer(bytes.length);
    if (pointer) HEAPU8.set(bytes, pointer);
    return pointer;
  });
  if (pointers.indexOf(0) >= 0) {
    pointers.forEach(function(pointer) { _cards_release(pointer); });
    throw new Error('the page has no memory left for ' + list.length + ' files');
  }
  try {
    return use(pointers);
  } finally {
    pointers.forEach(function(pointer) { _cards_release(pointer); });
  }
}

function with_string(text, use) {
  var bytes = new TextEncoder().encode(text + '\0');
  return with_bytes([bytes], function(pointers) { return use(pointers[0]); });
}

// The number the program gives the page's language (words.js lists them in its order).
function language_number() {
  for (var i = 0; i < quarnel_languages.length; i++)
    if (quarnel_languages[i].code === page_language.code) return i;
  return 0;
}

// Opens a deck in the library, named in the page's language. Returns '' or why it was
// refused, naming the file.
function open_deck(sheet, texts, names) {
  var code = with_bytes([sheet, cards.built_in.palette, texts], function(p) {
    return _cards_open(p[0], sheet.length, p[1], cards.built_in.palette.length, p[2], texts.length,
                       language_number());
  });
  if (code === 1) {
    cards.opened = true;
    return '';
  }
  return word('cards.deck_refused', {file: code === 2 ? names.sheet : names.texts,
                                     reason: UTF8ToString(_cards_fault())});
}

function text_of(record) { return UTF8ToString(_cards_text(record)); }
function name_of(card) { return UTF8ToString(_cards_name(card)); }
function record_name_of(record) { return UTF8ToString(_cards_record_name(record)); }
function slug_of(card) { return UTF8ToString(_cards_slug(card)); }
function group_of(card) { return UTF8ToString(_cards_group_name(_cards_group(card))); }

// [SECTION] The deck: built in, or the user's own from the browser's storage

function read_file(path) { return new Uint8Array(FS.readFile(path)); }

function open_store() {
  return new Promise(function(resolve, reject) {
    if (!window.indexedDB) { reject(new Error('this browser keeps no files')); return; }
    var request = indexedDB.open(DB_NAME, 1);
    request.onupgradeneeded = function() { request.result.createObjectStore(DB_STORE); };
    request.onsuccess = function() { resolve(request.result); };
    request.onerror = function() { reject(request.error); };
  });
}

// The stored deck, or null (none, or no storage).
function stored_deck() {
  return open_store().then(function(db) {
    return new Promise(function(resolve) {
      var request = db.transaction(DB_STORE).objectStore(DB_STORE).get('deck');
      request.onsuccess = function() { resolve(request.result || null); };
      request.onerror = function() { resolve(null); };
    });
  }).catch(function() { return null; });
}

function store_deck(deck) {
  return open_store().then(function(db) {
    return new Promise(function(resolve, reject) {
      var transaction = db.transaction(DB_STORE, 'readwrite');
      var store = transaction.objectStore(DB_STORE);
      if (deck) store.put(deck, 'deck'); else store.delete('deck');
      transaction.oncomplete = function() {
        mark_own_deck(!!deck);
        resolve();
      };
      transaction.onerror = function() { reject(transaction.error); };
    });
  });
}

// Whether a deck of the user's own is stored: a mark beside it in localStorage, read at once,
// so that a page without one never waits for the browser's database before it starts.
var OWN_DECK_MARK = 'quarnel.own_deck';
function own_deck_marked() {
  try { return localStorage.getItem(OWN_DECK_MARK) === '1'; } catch (e) { return false; }
}
function mark_own_deck(stored) {
  try {
    if (stored) localStorage.setItem(OWN_DECK_MARK, '1'); else localStorage.removeItem(OWN_DECK_MARK);
  } catch (e) {}
}

// The picture folder of a language's install folder in the program's file system: English
// unpacked into /quarnel, another language into /quarnel/CODE (web_library.js, WebFiles).
function picture_folder(code) {
  return '/quarnel' + (code === 'en' ? '' : '/' + code) + '/picture/';
}

// A language's install folder's own files, kept aside, once, before a deck of the user's own
// takes their place in the program's file system; the built-in deck from then on. Null when
// the folder lacks them (the program then says so itself, and there is no Cards panel).
function keep_built_in(code) {
  var folder = picture_folder(code);
  if (!cards.kept[code]) {
    try {
      cards.kept[code] = {sheet: read_file(folder + 'card.nbf'), palette: read_file(folder + 'main.plf'),
                          texts: read_file(folder + 'CardDB.dat')};
    } catch (e) {
      cards.kept[code] = null;
    }
  }
  cards.built_in = cards.kept[code];
}

// The files readings deal from, in a language's folder: the user's deck where there is one
// (either file, or both), else the built-in files back where the user's had taken their place.
function place_deck(code) {
  var folder = picture_folder(code), own = cards.own, built = cards.kept[code];
  if (!built) return;
  if (own) {
    if (own.sheet) FS.writeFile(folder + 'card.nbf', new Uint8Array(own.sheet));
    if (own.texts) FS.writeFile(folder + 'CardDB.dat', new Uint8Array(own.texts));
    cards.overwritten[code] = true;
  } else if (cards.overwritten[code]) {
    FS.writeFile(folder + 'card.nbf', built.sheet);
    FS.writeFile(folder + 'CardDB.dat', built.texts);
    cards.overwritten[code] = false;
  }
}

// Before the program starts, where a deck of the user's own is stored: once the packed folder
// is unpacked, its files take the install folder's place, so that readings deal it too.
function prepare_deck() {
  if (!own_deck_marked()) return;
  addRunDependency('cards-deck');
  Promise.all([Module.packed_folder, stored_deck()]).then(function(results) {
    // The folder is unpacked in a reaction to the same download: let it run first.
    return new Promise(function(resolve) { setTimeout(function() { resolve(results[1]); }, 0); });
  }).then(function(own) {
    keep_built_in(page_language.code);
    if (!own || !cards.built_in) return;
    cards.own = own;
    quarnel.cards.deck = quarnel.cards.deck_at_start = 'own';
    place_deck(page_language.code);
  }).catch(function() {}).then(function() { removeRunDependency('cards-deck'); });
}
Module.preRun = (Module.preRun || []).concat([prepare_deck]);

// Opens the deck shown the first time it is needed; false when there is none to show. A stored
// deck the library no longer takes gives way to the built-in one; a built-in deck it refuses
// (a damaged install folder, of which the program has said its own word) leaves no panel.
function open_once() {
  if (cards.opened) return true;
  var refused = open_current_deck();
  if (refused && cards.own) {
    quarnel.cards.refusals.push(refused);
    cards.own = null;
    refused = open_current_deck();
  }
  if (refused) {
    quarnel.cards.refusals.push(refused);
    cards.ready = false;
    document.getElementById('cards-button').disabled = true;
  }
  return !refused;
}

// The deck shown: the user's where there is one, else the built-in one. '' or a refusal.
function open_current_deck() {
  var own = cards.own, built = cards.built_in;
  var sheet = own && own.sheet ? new Uint8Array(own.sheet) : built.sheet;
  var texts = own && own.texts ? new Uint8Array(own.texts) : built.texts;
  return open_deck(sheet, texts, {sheet: 'card.nbf', texts: 'CardDB.dat'});
}

function when_ready() {
  keep_built_in(page_language.code);
  cards.ready = cards.built_in !== null;
  document.getElementById('cards-button').disabled = !cards.ready;
  if (!cards.ready) return;
  if (cards.own) say_deck(word('cards.deck_in_use'), false, false);
  if (cards.pending_hash || /^#card\//.test(location.hash)) follow_hash();
  else setTimeout(show_card_of_the_day, 0);
  when_idle(prepare_panel);
}

// Where the browser says when it is idle, then; elsewhere a moment later.
function when_idle(step) {
  if (window.requestIdleCallback) requestIdleCallback(step, {timeout: 2000});
  else setTimeout(step, 50);
}

// Once the program rests, the panel is made ready a little at a time while the page is idle:
// the deck decoded, the grid made, its faces drawn a group of cards at a time. The first
// tap on Cards then only shows it. Opening it sooner finishes the work at once.
function prepare_panel() {
  if (!quarnel.waiting) { setTimeout(function() { when_idle(prepare_panel); }, 100); return; }
  if (!cards.ready) return;
  var steps = [open_once, build_grid];
  for (var first = 0; first < 78; first += 13) steps.push(draw_faces.bind(null, first, first + 13));
  steps.push(function() { cards.drawn = true; });
  var next = function() {
    if (cards.drawn || !cards.ready) return;
    steps.shift()();
    if (steps.length) when_idle(next);
  };
  next();
}

// The page's language changed (language.js calls this once the language's install folder is
// unpacked, before the program starts again in it): the library shows that folder's deck and
// names everything in that language, and readings there deal the user's deck too. The panel
// is closed then (the language menu lies outside its modal dialog); the card of the day may
// be showing.
function cards_follow_language(code) {
  keep_built_in(code);
  place_deck(code);
  cards.opened = false;
  cards.ready = cards.built_in !== null;
  document.getElementById('cards-button').disabled = !cards.ready;
  if (!cards.ready || !open_once()) return;
  if (document.getElementById('cards-grid').childElementCount) {
    name_grid();
    if (cards.drawn) draw_grid();
    search(document.getElementById('cards-search').value);
  }
  if (quarnel.cards.daily) fill_card_of_the_day(quarnel.cards.daily.record, quarnel.cards.daily.date);
}

var cards_started = Module.onRuntimeInitialized;
Module.onRuntimeInitialized = function() {
  if (cards_started) cards_started();
  setTimeout(when_ready, 0);
};

// [SECTION] The panel

function element(tag, class_name, text) {
  var made = document.createElement(tag);
  if (class_name) made.className = class_name;
  if (text !== undefined) made.textContent = text;
  return made;
}

var CARD_WIDTH = 60, CARD_HEIGHT = 100, CARD_FRAME_BYTES = 60 * 100 * 4;

// A whole number of device pixels per card pixel, for a face about `css` CSS pixels wide.
function face_scale(css) {
  return Math.max(1, Math.floor(css * (window.devicePixelRatio || 1) / CARD_WIDTH));
}

// Draws a frame of the deck on a canvas of its own size; CSS scales it by whole factors.
function draw_face(canvas, frame) {
  canvas.width = CARD_WIDTH;
  canvas.height = CARD_HEIGHT;
  var start = _cards_faces() + frame * CARD_FRAME_BYTES;
  var pixels = new Uint8ClampedArray(HEAPU8.buffer, start, CARD_FRAME_BYTES);
  canvas.getContext('2d').putImageData(new ImageData(pixels, CARD_WIDTH, CARD_HEIGHT), 0, 0);
  quarnel.cards.faces_drawn++;
}

// The grid's columns are as wide as its faces.
function set_grid_width(scale) {
  var width = CARD_WIDTH * scale / (window.devicePixelRatio || 1);
  document.getElementById('cards-grid').style.setProperty('--face', width + 'px');
}

function size_face(canvas, scale) {
  var ratio = window.devicePixelRatio || 1;
  canvas.style.width = CARD_WIDTH * scale / ratio + 'px';
  canvas.style.height = CARD_HEIGHT * scale / ratio + 'px';
}

// The grid's faces at a whole scale that puts four or more in a row on a phone.
function grid_scale() {
  var grid = document.getElementById('cards-grid');
  var room = Math.max(240, grid.clientWidth || window.innerWidth);
  return face_scale(Math.min(120, Math.max(56, room / 4 - 16)));
}

// The five groups of faces, each in the deck's order; made once, named and drawn again for a
// new deck or language.
function build_grid() {
  var grid = document.getElementById('cards-grid');
  if (grid.childElementCount) return;
  var groups = [];
  for (var group = 0; group < 5; group++) {
    var section = element('section', 'cards-group');
    var heading = element('h3');
    heading.id = 'cards-group-' + group;
    section.setAttribute('aria-labelledby', heading.id);
    var list = element('ul', 'cards-faces');
    section.appendChild(heading);
    section.appendChild(list);
    grid.appendChild(section);
    groups.push(list);
  }
  for (var card = 0; card < 78; card++) {
    var item = element('li');
    var button = element('button', 'cards-face');
    button.type = 'button';
    button.dataset.card = card;
    button.tabIndex = card === 0 ? 0 : -1;
    var face = element('canvas');
    face.setAttribute('role', 'img');
    button.appendChild(face);
    // The face's image names the button; the caption under it says the same to the eye alone.
    var caption = element('span', 'cards-name');
    caption.setAttribute('aria-hidden', 'true');
    button.appendChild(caption);
    item.appendChild(button);
    groups[_cards_group(card)].appendChild(item);
  }
  name_grid();
  grid.addEventListener('click', function(event) {
    var button = event.target.closest('.cards-face');
    if (button) open_card(Number(button.dataset.card), true);
  });
  grid.addEventListener('keydown', move_in_grid);
}

// The groups' and the faces' names in the deck's language.
function name_grid() {
  for (var group = 0; group < 5; group++)
    document.getElementById('cards-group-' + group).textContent = UTF8ToString(_cards_group_name(group));
  document.querySelectorAll('#cards-grid .cards-face').forEach(function(button) {
    var name = name_of(Number(button.dataset.card));
    button.firstChild.setAttribute('aria-label', name);
    button.lastChild.textContent = name;
  });
}

function draw_grid() {
  draw_faces(0, 78);
  cards.drawn = true;
}

function draw_faces(first, end) {
  var scale = grid_scale();
  set_grid_width(scale);
  var faces = document.querySelectorAll('#cards-grid canvas');
  for (var card = first; card < end; card++) {
    draw_face(faces[card], card);
    size_face(faces[card], scale);
  }
}

function resize_faces() {
  if (!cards.drawn) return;
  var scale = grid_scale();
  set_grid_width(scale);
  document.querySelectorAll('#cards-grid canvas').forEach(function(canvas) { size_face(canvas, scale); });
  if (cards.current >= 0) size_page_face();
}
window.addEventListener('resize', resize_faces);

// Opens the panel (on the grid, or on a card's page) from any state of the page.
function open_panel() {
  if (!cards.ready || !open_once()) return false;
  var dialog = document.getElementById('cards');
  var started = performance.now();
  if (!dialog.open) {
    cards.last_focus = document.activeElement;
    dialog.showModal();
    quarnel.cards.opened++;
  }
  build_grid();
  if (!cards.drawn) draw_grid(); else resize_faces();
  requestAnimationFrame(function() { quarnel.cards.shown_ms.push(performance.now() - started); });
  return true;
}

function close_panel() {
  var dialog = document.getElementById('cards');
  if (dialog.open) dialog.close();
}

document.getElementById('cards').addEventListener('close', function() {
  cards.current = -1;
  if (/^#card\//.test(location.hash)) history.replaceState(null, '', location.pathname + location.search);
  if (cards.last_focus && cards.last_focus.focus) cards.last_focus.focus();
});
// Escape leaves a card's page for the grid, and closes the panel from the grid.
document.getElementById('cards').addEventListener('cancel', function(event) {
  if (cards.current >= 0) {
    event.preventDefault();
    show_grid();
  }
});
document.getElementById('cards-button').addEventListener('click', function() {
  if (open_panel()) show_grid();
});
document.getElementById('cards-close').addEventListener('click', close_panel);

// [SECTION] The grid: search and keyboard

function show_grid() {
  var focus_card = cards.current;
  cards.current = -1;
  document.getElementById('cards-page').hidden = true;
  document.getElementById('cards-list').hidden = false;
  if (/^#card\//.test(location.hash)) history.replaceState(null, '', location.pathname + location.search);
  // A finger's device would open its keyboard for the search field: the title takes the focus.
  var start = window.matchMedia('(pointer: coarse)').matches ? 'cards-title' : 'cards-search';
  var target = focus_card >= 0 ? document.querySelector('.cards-face[data-card="' + focus_card + '"]')
                               : document.getElementById(start);
  if (target && target.offsetParent) {
    if (focus_card >= 0) roving(target);
    target.focus();
  }
}

function search(query) {
  var started = performance.now();
  var count = with_string(query, function(pointer) { return _cards_search(pointer); });
  var matches = HEAPU8.subarray(_cards_matches(), _cards_matches() + 78);
  document.querySelectorAll('#cards-grid .cards-face').forEach(function(button, card) {
    button.parentElement.hidden = !matches[card];
  });
  document.querySelectorAll('#cards-grid .cards-group').forEach(function(group) {
    group.hidden = !group.querySelector('li:not([hidden])');
  });
  var found = document.getElementById('cards-found');
  found.textContent = count === 0 ? word('cards.no_match') : query.trim() ? count + ' / 78' : '';
  var first = document.querySelector('#cards-grid li:not([hidden]) .cards-face');
  if (first) roving(first);
  quarnel.cards.search_ms.push(performance.now() - started);
  return count;
}
document.getElementById('cards-search').addEventListener('input', function() { search(this.value); });

// One face of the grid takes the Tab key's focus: the one the arrows last moved to.
function roving(button) {
  document.querySelectorAll('#cards-grid .cards-face').forEach(function(b) { b.tabIndex = -1; });
  button.tabIndex = 0;
}

function visible_faces() {
  return Array.prototype.filter.call(document.querySelectorAll('#cards-grid .cards-face'),
                                     function(b) { return b.offsetParent !== null; });
}

// Arrows move through the faces as they stand (Up and Down to the nearest face of the row
// above or below), Home and End to the first and last.
function move_in_grid(event) {
  var faces = visible_faces(), at = faces.indexOf(document.activeElement);
  if (at < 0) return;
  var to = -1;
  if (event.key === 'ArrowRight') to = Math.min(at + 1, faces.length - 1);
  else if (event.key === 'ArrowLeft') to = Math.max(at - 1, 0);
  else if (event.key === 'Home') to = 0;
  else if (event.key === 'End') to = faces.length - 1;
  else if (event.key === 'ArrowDown' || event.key === 'ArrowUp') {
    var here = faces[at].getBoundingClientRect(), best = -1, best_distance = Infinity;
    faces.forEach(function(face, i) {
      var box = face.getBoundingClientRect();
      var below = event.key === 'ArrowDown' ? box.top > here.top + 4 : box.top < here.top - 4;
      if (!below) return;
      var distance = Math.abs(box.top - here.top) * 1000 + Math.abs(box.left - here.left);
      if (distance < best_distance) { best = i; best_distance = distance; }
    });
    to = best < 0 ? at : best;
  } else {
    return;
  }
  event.preventDefault();
  roving(faces[to]);
  faces[to].focus();
}

// [SECTION] A card's page

function size_page_face() {
  var room = Math.min(window.innerHeight * 0.5, 400) / CARD_HEIGHT * CARD_WIDTH;
  size_face(document.getElementById('cards-page-face'), face_scale(room));
}

// Opens card's page; `remember` puts it in the history, so that Back returns to the grid.
function open_card(card, remember) {
  if (!open_panel()) return;
  cards.current = card;
  var name = name_of(card);
  var face = document.getElementById('cards-page-face');
  draw_face(face, card);
  face.setAttribute('aria-label', name);
  size_page_face();
  document.getElementById('cards-page-name').textContent = name;
  document.getElementById('cards-page-group').textContent = group_of(card);
  document.getElementById('cards-upright').textContent = text_of(2 * card);
  document.getElementById('cards-reversed').textContent = text_of(2 * card + 1);
  var link = document.getElementById('cards-link');
  link.href = '#card/' + slug_of(card);
  link.textContent = location.origin + location.pathname + '#card/' + slug_of(card);
  document.getElementById('cards-previous').disabled = card === 0;
  document.getElementById('cards-next').disabled = card === 77;
  show_journal_count(card);
  document.getElementById('cards-list').hidden = true;
  document.getElementById('cards-page').hidden = false;
  var hash = '#card/' + slug_of(card);
  if (location.hash !== hash) {
    if (remember) history.pushState(null, '', hash); else history.replaceState(null, '', hash);
  }
  document.getElementById('cards-page-name').focus();
}

function show_journal_count(card) {
  var line = document.getElementById('cards-journal');
  line.hidden = true;
  if (typeof journal_card_count !== 'function') return;
  Promise.resolve(journal_card_count(card)).then(function(count) {
    if (cards.current !== card || typeof count !== 'number') return;
    line.textContent = word(count === 1 ? 'cards.journal_count_one' : 'cards.journal_count', {n: count});
    line.hidden = false;
  }).catch(function() {});
}

document.getElementById('cards-previous').addEventListener('click', function() {
  if (cards.current > 0) open_card(cards.current - 1, false);
});
document.getElementById('cards-next').addEventListener('click', function() {
  if (cards.current < 77) open_card(cards.current + 1, false);
});
document.getElementById('cards-all').addEventListener('click', show_grid);

// #card/the-fool opens that card's page, from a link, the address bar or the history.
function follow_hash() {
  var match = /^#card\/(.+)$/.exec(location.hash);
  if (!match) {
    if (cards.current >= 0) show_grid();
    return;
  }
  if (!cards.ready) { cards.pending_hash = true; return; }
  var card = with_string(decodeURIComponent(match[1]), function(pointer) { return _cards_match(pointer); });
  if (card < 0) {
    history.replaceState(null, '', location.pathname + location.search);
    if (open_panel()) show_grid();
    return;
  }
  if (card !== cards.current) open_card(card, false);
}
window.addEventListener('hashchange', follow_hash);
window.addEventListener('popstate', follow_hash);

// [SECTION] Use a deck

// Says how the deck stands; `restart` offers to start again with a deck just chosen.
function say_deck(text, refused, restart) {
  var status = document.getElementById('cards-deck-status');
  status.textContent = text + (restart ? ' ' + word('cards.next_start') : '');
  status.setAttribute('role', refused ? 'alert' : 'status');
  status.classList.toggle('refused', !!refused);
  document.getElementById('cards-deck-built-in').hidden = !cards.own;
  document.getElementById('cards-deck-restart').hidden = !restart;
}

// The files of a deck folder the user chose or dropped: card.nbf and/or CardDB.dat. Each is
// checked by the program's own decoders; a refused deck changes nothing.
function use_deck(files) {
  var chosen = {};
  var refusal = '';
  Array.prototype.forEach.call(files, function(file) {
    var name = file.name.toLowerCase();
    if (name === 'card.nbf') chosen.sheet = file;
    else if (name === 'carddb.dat') chosen.texts = file;
    else refusal = refusal || word('cards.deck_refused', {file: file.name, reason: word('cards.not_deck_file')});
  });
  if (!refusal && !chosen.sheet && !chosen.texts) refusal = word('cards.no_deck_file');
  if (refusal) return Promise.resolve(refuse_deck(refusal));
  var read = function(file) {
    return file ? file.arrayBuffer().then(function(buffer) { return new Uint8Array(buffer); })
                : Promise.resolve(null);
  };
  return Promise.all([read(chosen.sheet), read(chosen.texts)]).then(function(bytes) {
    var sheet = bytes[0] || cards.built_in.sheet, texts = bytes[1] || cards.built_in.texts;
    var refused = open_deck(sheet, texts, {sheet: chosen.sheet ? chosen.sheet.name : 'card.nbf',
                                           texts: chosen.texts ? chosen.texts.name : 'CardDB.dat'});
    if (refused) return refuse_deck(refused); // the library keeps the deck it shows
    var own = {sheet: bytes[0] && bytes[0].buffer, texts: bytes[1] && bytes[1].buffer};
    return store_deck(own).then(function() {
      cards.own = own;
      quarnel.cards.deck = 'own';
      draw_grid();
      search(document.getElementById('cards-search').value);
      say_deck(word('cards.deck_in_use'), false, true);
      return '';
    }, function(error) {
      open_current_deck(); // the deck shown before: the new one could not be kept
      return refuse_deck(word('cards.no_storage') + ' (' + (error && error.message || error) + ')');
    });
  });
}

function refuse_deck(text) {
  quarnel.cards.refusals.push(text);
  say_deck(text, true, false);
  return text;
}

document.getElementById('cards-deck-pick').addEventListener('change', function() {
  var input = this;
  use_deck(input.files).then(function() { input.value = ''; });
});
var deck_area = document.getElementById('cards-deck');
deck_area.addEventListener('dragover', function(event) {
  event.preventDefault();
  deck_area.classList.add('dropping');
});
deck_area.addEventListener('dragleave', function() { deck_area.classList.remove('dropping'); });
deck_area.addEventListener('drop', function(event) {
  event.preventDefault();
  deck_area.classList.remove('dropping');
  use_deck(event.dataTransfer.files);
});
document.getElementById('cards-deck-built-in').addEventListener('click', function() {
  store_deck(null).catch(function() {}).then(function() {
    cards.own = null;
    quarnel.cards.deck = 'built-in';
    open_current_deck();
    draw_grid();
    search(document.getElementById('cards-search').value);
    say_deck(word('cards.built_in_in_use'), false, quarnel.cards.deck_at_start === 'own');
  });
});
document.getElementById('cards-deck-restart').addEventListener('click', function() {
  location.reload();
});

// [SECTION] The card of the day

// Today's date on this device (?today=YYYY-MM-DD sets it for the tests).
function today() {
  var asked = /^(\d{4})-(\d{2})-(\d{2})$/.exec(new URLSearchParams(location.search).get('today') || '');
  if (asked) return {year: Number(asked[1]), month: Number(asked[2]), day: Number(asked[3])};
  var now = new Date();
  return {year: now.getFullYear(), month: now.getMonth() + 1, day: now.getDate()};
}

function date_text(date) {
  var two = function(n) { return (n < 10 ? '0' : '') + n; };
  return date.year + '-' + two(date.month) + '-' + two(date.day);
}

// Shown the first time the page opens on a day, beside the display (never over it).
function show_card_of_the_day() {
  var date = today(), key = 'quarnel.card_of_the_day', day = date_text(date);
  var record = _cards_of_the_day(date.year, date.month, date.day);
  if (record < 0) return;
  var seen = null;
  try { seen = localStorage.getItem(key); } catch (e) { seen = null; }
  if (seen === day) return;
  if (!open_once()) return;
  try { localStorage.setItem(key, day); } catch (e) {}
  fill_card_of_the_day(record, day);
  document.getElementById('daily').hidden = false;
  place_card_of_the_day();
  if (typeof journal_keep_card_of_the_day === 'function') {
    var daily = quarnel.cards.daily;
    try {
      journal_keep_card_of_the_day({date: day, card: record >> 1, reversed: !!daily.reversed,
                                    name: daily.name, text: text_of(record)});
    } catch (e) {}
  }
}

// The card's face, name and first sentence, in the deck's language.
function fill_card_of_the_day(record, day) {
  var card = record >> 1, reversed = record & 1, name = name_of(card);
  var sentence = UTF8ToString(_cards_first_sentence(record));
  var face = document.getElementById('daily-face');
  draw_face(face, card);
  size_face(face, face_scale(44));
  face.classList.toggle('reversed', !!reversed);
  face.setAttribute('aria-label', record_name_of(record));
  document.getElementById('daily-name').textContent = record_name_of(record);
  document.getElementById('daily-text').textContent = sentence;
  document.getElementById('daily-more').href = '#card/' + slug_of(card);
  quarnel.cards.daily = {date: day, record: record, name: name, reversed: reversed, sentence: sentence};
}

// The card of the day stands in the room the display leaves free below it where there is
// enough, so that the display does not move; elsewhere the display makes room for it.
var DAILY_HEIGHT = 92, DAILY_LEAST = 72;
function place_card_of_the_day() {
  var daily = document.getElementById('daily');
  if (daily.hidden) return;
  document.body.classList.remove('daily');
  daily.style.height = '';
  fit_display();
  var free = Math.floor(document.getElementById('fit').getBoundingClientRect().bottom -
                        document.getElementById('display').getBoundingClientRect().bottom);
  if (free >= DAILY_LEAST) {
    daily.style.height = Math.min(DAILY_HEIGHT, free) + 'px';
  } else {
    document.body.classList.add('daily');
    fit_display();
  }
}
window.addEventListener('resize', place_card_of_the_day);

function hide_card_of_the_day() {
  document.getElementById('daily').hidden = true;
  if (document.body.classList.contains('daily')) {
    document.body.classList.remove('daily');
    fit_display();
  }
}
document.getElementById('daily-close').addEventListener('click', hide_card_of_the_day);
document.getElementById('daily-more').addEventListener('click', function(event) {
  event.preventDefault();
  var record = quarnel.cards.daily.record;
  hide_card_of_the_day();
  open_card(record >> 1, true);
});
