// journal.js -- the journal panel: each reading left with a card turned, kept in this
// browser's IndexedDB (on this device only; nothing is sent anywhere); the entries newest
// first, an entry's text and notes, delete and undo, search and a filter by reading, the
// statistics with their charts, a reading drawn from the user's own deck, export and import
// of the journal's Markdown, and the switch that turns keeping off.
//
// Every rule of the journal (its format, names, search, statistics) is the C++ journal
// library's, compiled into quarnel.wasm and asked through the jw_ functions
// (web_journal.cpp); this file keeps, shows and moves entries.

// [SECTION] State

var journal = {
  db: null, db_failure: '', opening: null,
  rows: [],         // the summaries shown, newest first: {id, when, key, kind, line, source, readable, problem}
  shown: [],        // the rows the list shows now (filtered)
  all_rows: false,  // rows holds every entry (not only the newest few)
  loaded: false,    // quarnel.wasm holds the journal as stored (slot 0)
  loaded_ids: [],   // slot 0's entries' ids, in its order
  unsaved: [],      // Markdown of entries the browser's storage refused, oldest first
  provisional: null, // the id kept for a card table still on display when the page hid
  current: null,    // the entry open: {id, markdown, info}
  refusal: '',      // why the storage refused the last write
  notes_timer: 0, undo: null, undo_timer: 0, importing: null, search_timer: 0,
  readings: null,   // jw_readings(): the readings, their questions and the cards' names
  loading: false, waiters: [], generation: 0,
};
quarnel.journal = {kept: 0, refused: 0, keep_ms: [], open_ms: null, stats_ms: null, load_ms: null,
                   exported: null, persisted: null, import_summary: null,
                   card_of_the_day: null, card_counts_ms: null};

var ROW_HEIGHT = 56;
var CARD_OF_THE_DAY = 1; // the kind of a card of the day's entry (src/journal/journal.h)
var IMPORT_LIMIT = 64 * 1024 * 1024; // 10,000 readings are some 25 MB
var panel = document.getElementById('journal');

function $(id) { return document.getElementById(id); }

// A row of the page's words for a count: its "_one" row for 1 (where it has one), else the
// row itself, with "{n}" and the fillings filled.
function count_word(key, n, fillings) {
  var one = quarnel_words.en[key + '_one'] !== undefined && n === 1;
  var filled = {n: String(n)};
  Object.keys(fillings || {}).forEach(function(name) { filled[name] = fillings[name]; });
  return page_word(one ? key + '_one' : key, filled);
}

// Numbers as the page's language writes them: "0.26" or "0,26", "29.9%" or "29,9 %".
function number_text(value, decimals) {
  return value.toFixed(decimals).replace('.', page_word('journal.decimal'));
}
function percent(share) { return page_word('journal.percent', {n: number_text(share * 100, 1)}); }
function fair(count) { return number_text(count, count < 10 ? 2 : 1); }

function keeping_on() {
  try { return localStorage.getItem('quarnel-journal-keeping') !== 'off'; } catch (e) { return true; }
}

// [SECTION] The journal library in quarnel.wasm

function program_ready() {
  return typeof Module === 'object' && Module.calledRun && typeof Module._jw_load === 'function';
}

var utf8 = new TextEncoder();

// Calls jw_NAME with numbers and strings (copied into the program's memory); returns its
// answer as a string when it gives one.
function jw(name, args, gives_text) {
  var copies = [];
  var values = (args || []).map(function(value) {
    if (typeof value !== 'string') return value;
    var bytes = utf8.encode(value), at = Module._malloc(bytes.length + 1);
    Module.HEAPU8.set(bytes, at);
    Module.HEAPU8[at + bytes.length] = 0;
    copies.push(at);
    return at;
  });
  try {
    var result = Module['_jw_' + name].apply(null, values);
    return gives_text ? Module.UTF8ToString(result) : result;
  } finally {
    copies.forEach(function(at) { Module._free(at); });
  }
}

function jw_json(name, args) {
  return JSON.parse(jw(name, args, true));
}

// Reads a journal's text into slot 0 (the journal kept) or 1 (a file to import): the bytes
// written once into the program's memory. Returns its entries, or -1 (jw('problem') says why).
function jw_load(which, text) {
  var bytes = utf8.encode(text);
  var at = Module._jw_buffer(which, bytes.length);
  Module.HEAPU8.set(bytes, at); // the view as it is after the buffer was made
  return Module._jw_load(which);
}

// [SECTION] Storage: IndexedDB, two stores a transaction
// "entries": {id, markdown}; "index": {id, when, key, kind, line, source, readable, problem},
// small, so that the list of 10,000 entries is read at once.

function open_db() {
  if (journal.opening) return journal.opening;
  journal.opening = new Promise(function(resolve, reject) {
    if (typeof indexedDB === 'undefined' || !indexedDB) {
      reject(new Error(page_word('page.journal.no_storage')));
      return;
    }
    var request;
    try { request = indexedDB.open('quarnel-journal', 1); } catch (e) { reject(e); return; }
    request.onupgradeneeded = function() {
      var db = request.result;
      db.createObjectStore('entries', {keyPath: 'id', autoIncrement: true});
      var index = db.createObjectStore('index', {keyPath: 'id'});
      index.createIndex('when', 'when');
    };
    request.onsuccess = function() { journal.db = request.result; resolve(journal.db); };
    request.onerror = function() { reject(request.error || new Error(page_word('page.journal.cannot_open'))); };
    request.onblocked = function() { reject(new Error(page_word('page.journal.other_tab'))); };
  });
  journal.opening.catch(function(error) { journal.db_failure = describe(error); });
  return journal.opening;
}

// Words for what the storage said.
function describe(error) {
  var name = error && error.name;
  if (name === 'QuotaExceededError') return page_word('page.journal.storage_full');
  if (name === 'InvalidStateError' || name === 'SecurityError') return page_word('page.journal.storage_refused');
  return (error && error.message) || String(error);
}

function transaction(mode, body) {
  return open_db().then(function(db) {
    return new Promise(function(resolve, reject) {
      var tx = db.transaction(['entries', 'index'], mode), result = {};
      tx.oncomplete = function() { resolve(result); };
      tx.onabort = tx.onerror = function() { reject(tx.error || new Error(page_word('page.journal.refused'))); };
      body(tx.objectStore('entries'), tx.objectStore('index'), result);
    });
  });
}

function index_record(id, info) {
  return {id: id, when: info.when || '', key: info.key || '', kind: info.kind || 0, line: info.line,
          source: info.source || '', readable: !!info.readable, problem: info.problem || ''};
}

// Stores entries ({markdown, info, id?}) in one transaction; resolves with their ids.
function store(entries) {
  return transaction('readwrite', function(markdowns, index, result) {
    result.ids = [];
    entries.forEach(function(entry, n) {
      var record = {markdown: entry.markdown};
      if (entry.id) record.id = entry.id;
      markdowns.put(record).onsuccess = function(event) {
        result.ids[n] = event.target.result;
        index.put(index_record(event.target.result, entry.info));
      };
    });
  }).then(function(result) { return result.ids; });
}

function all_of(store_name) {
  return open_db().then(function(db) {
    return new Promise(function(resolve, reject) {
      var request = db.transaction(store_name).objectStore(store_name).getAll();
      request.onsuccess = function() { resolve(request.result); };
      request.onerror = function() { reject(request.error); };
    });
  });
}

// The newest `count` summaries, by the "when" index walked backwards.
function newest(count) {
  return open_db().then(function(db) {
    return new Promise(function(resolve, reject) {
      var found = [];
      var request = db.transaction('index').objectStore('index').index('when').openCursor(null, 'prev');
      request.onsuccess = function() {
        var cursor = request.result;
        if (!cursor || found.length >= count) { resolve(found); return; }
        found.push(cursor.value);
        cursor.continue();
      };
      request.onerror = function() { reject(request.error); };
    });
  });
}

function newest_first(a, b) {
  return a.when < b.when ? 1 : a.when > b.when ? -1 : b.id - a.id;
}

// [SECTION] Keeping the readings

// An entry from the program (web_journal.cpp): kept unless keeping is off. A provisional
// entry stands for a card table still on display when the page hid; the next entry kept
// replaces it.
function journal_keep(markdown, info, provisional) {
  if (!keeping_on() || !info) return;
  var started = performance.now();
  var entry = {markdown: markdown, info: info};
  if (journal.provisional) entry.id = journal.provisional;
  keep_entries([entry]).then(function(ids) {
    if (!ids) return;
    journal.provisional = provisional ? ids[0] : null;
    quarnel.journal.keep_ms.push(performance.now() - started);
  });
}

// Stores entries with those the storage refused before; on a refusal they wait for export
// (and the next store), and the page says so. Resolves with the new entries' ids, or null.
function keep_entries(entries) {
  var waiting = journal.unsaved.slice();
  var all = waiting.concat(entries);
  return store(all).then(function(ids) {
    journal.unsaved = [];
    journal.refusal = '';
    quarnel.journal.kept += entries.length;
    entries.forEach(function(entry, n) {
      var id = ids[waiting.length + n];
      journal.rows = journal.rows.filter(function(row) { return row.id !== id; });
      journal.rows.push(index_record(id, entry.info));
    });
    waiting.forEach(function(entry, n) { journal.rows.push(index_record(ids[n], entry.info)); });
    journal.rows.sort(newest_first);
    changed();
    show_alert();
    ask_to_persist();
    if (panel.open) refresh_list();
    return ids.slice(waiting.length);
  }, function(error) {
    quarnel.journal.refused += entries.length;
    journal.unsaved = all.map(function(entry) { return {markdown: entry.markdown, info: entry.info}; });
    var why = describe(error);
    journal.refusal = why;
    show_alert();
    var status = $('keep-status');
    if (status) status.textContent = page_word('page.journal.not_kept', {why: why});
    return null;
  });
}

// The card of the day (cards.js, once a day): kept as its own entry, once for each day,
// however often the page is opened that day. The index's "when" of a card of the day is its
// day alone ("2026-12-08"), which no reading's is.
function journal_keep_card_of_the_day(daily) {
  if (!keeping_on() || !program_ready()) return;
  var made = jw_json('card_of_the_day', [daily.date, daily.card, daily.reversed ? 1 : 0, daily.text || '',
                                         page_language.code]);
  if (!made || !made.info) return;
  open_db().then(function(db) {
    return new Promise(function(resolve, reject) {
      var request = db.transaction('index').objectStore('index').index('when').getAll(made.info.when);
      request.onsuccess = function() { resolve(request.result); };
      request.onerror = function() { reject(request.error); };
    });
  }).then(function(found) {
    var kept = found.some(function(row) { return row.kind === made.info.kind; }) ||
               journal.unsaved.some(function(entry) { return entry.info.key === made.info.key; });
    quarnel.journal.card_of_the_day = kept ? 'kept already' : 'kept';
    if (!kept) return keep_entries([{markdown: made.markdown, info: made.info}]);
  }).catch(function() {});
}

// How often a card came up in the readings kept (cards.js's card page): the statistics'
// count, worked out once for each change of the journal; null with keeping off or no reading
// kept, so that the page shows none.
function journal_card_count(card) {
  if (!keeping_on()) return null;
  if (journal.all_rows && journal.rows.length === 0) return null;
  var answer = function() {
    if (!journal.card_counts || journal.card_counts.generation !== journal.generation) {
      var started = performance.now();
      journal.card_counts = jw_json('card_counts');
      journal.card_counts.generation = journal.generation;
      quarnel.journal.card_counts_ms = performance.now() - started;
    }
    return journal.card_counts.readings ? journal.card_counts.counts[card] : null;
  };
  if (ensure_loaded(answer)) return answer();
  return new Promise(function(resolve) { ensure_loaded(function() { resolve(answer()); }); });
}

// On the first entry kept, the page asks the browser to keep its storage for good (once: a
// browser that asks the user asks only then), and remembers the answer.
function ask_to_persist() {
  if (quarnel.journal.persisted !== null) return;
  if (!navigator.storage || !navigator.storage.persist) { quarnel.journal.persisted = 'unavailable'; return; }
  try { if (localStorage.getItem('quarnel-journal-persist') === 'denied') { quarnel.journal.persisted = false; return; } } catch (e) {}
  quarnel.journal.persisted = 'asking';
  navigator.storage.persist().then(function(granted) {
    quarnel.journal.persisted = granted;
    try { localStorage.setItem('quarnel-journal-persist', granted ? 'granted' : 'denied'); } catch (e) {}
    show_storage();
  }, function() { quarnel.journal.persisted = null; });
}

// [SECTION] The panel

function open_panel() {
  var started = performance.now();
  know_readings();
  if (!panel.open) {
    if (panel.showModal) panel.showModal(); else panel.setAttribute('open', '');
  }
  show_tab('entries');
  show_storage();
  show_alert();
  var first = journal.all_rows ? Promise.resolve() : newest(40).then(function(rows) {
    if (!journal.all_rows) journal.rows = rows;
  });
  first.then(function() {
    refresh_list();
    requestAnimationFrame(function() {
      if (quarnel.journal.open_ms === null) quarnel.journal.open_ms = performance.now() - started;
      quarnel.journal.last_open_ms = performance.now() - started;
    });
    if (!journal.all_rows) return all_of('index').then(function(rows) {
      journal.rows = rows.sort(newest_first);
      journal.all_rows = true;
      refresh_list();
      quarnel.journal.all_rows_ms = performance.now() - started;
    });
  }).catch(function(error) {
    journal.db_failure = describe(error);
    refresh_list();
  });
}

function close_panel() {
  if (panel.close) panel.close(); else panel.removeAttribute('open');
}

panel.addEventListener('close', function() {
  save_notes_now();
  $('keep-journal').focus();
});
$('keep-journal').addEventListener('click', open_panel);
$('journal-close').addEventListener('click', close_panel);

function show_tab(name) {
  ['entries', 'stats', 'log', 'keep'].forEach(function(tab) {
    var on = tab === name;
    $('journal-tab-' + tab).setAttribute('aria-selected', on ? 'true' : 'false');
    $('journal-tab-' + tab).tabIndex = on ? 0 : -1;
    $('journal-' + tab).hidden = !on;
  });
  $('journal-entry').hidden = true;
  if (name === 'stats') show_stats();
  if (name === 'log') build_log_form();
  if (name === 'keep') show_storage();
}

['entries', 'stats', 'log', 'keep'].forEach(function(tab, n, tabs) {
  var button = $('journal-tab-' + tab);
  button.addEventListener('click', function() { show_tab(tab); });
  button.addEventListener('keydown', function(event) {
    var step = event.key === 'ArrowRight' ? 1 : event.key === 'ArrowLeft' ? -1 : 0;
    if (!step) return;
    var next = tabs[(n + step + tabs.length) % tabs.length];
    show_tab(next);
    $('journal-tab-' + next).focus();
    event.preventDefault();
  });
});

// What went wrong with the storage, and the entries waiting to be exported.
function show_alert() {
  var alert = $('journal-alert'), why = journal.refusal || journal.db_failure;
  if (journal.unsaved.length === 0) { alert.hidden = true; return; }
  var count = journal.unsaved.length;
  $('journal-alert-text').textContent = why ? count_word('page.journal.unsaved_why', count, {why: why})
                                            : count_word('page.journal.unsaved', count);
  alert.hidden = false;
}

$('journal-alert-export').addEventListener('click', function() {
  download(journal.unsaved.map(function(entry) { return entry.markdown; }).join('\n'), 'unsaved');
});

// [SECTION] The list: newest first, 10,000 entries in a list that draws only what is seen

function refresh_list() {
  var kind = Number($('journal-filter').value);
  var words = $('journal-search').value.trim();
  var matched = null;
  if (words && journal.rows.length) {
    if (!ensure_loaded()) {
      $('journal-count').textContent = page_word('page.journal.searching');
      return;
    }
    matched = {};
    jw_json('matches', [kind, '', '', words]).forEach(function(index) { matched[journal.loaded_ids[index]] = true; });
  }
  journal.shown = journal.rows.filter(function(row) {
    if (kind && row.kind !== kind) return false;
    return !matched || matched[row.id];
  });
  var count = journal.shown.length;
  var all = journal.rows.length;
  $('journal-count').textContent = journal.db_failure && all === 0
      ? page_word('page.journal.nothing_kept_here', {why: journal.db_failure})
      : all === 0 ? page_word('page.journal.empty')
      : (words || kind) ? (journal.all_rows ? page_word('page.journal.found', {n: String(count), all: String(all)})
                                            : page_word('page.journal.found_newest', {n: String(count)}))
      : count_word(journal.all_rows ? 'page.journal.count' : 'page.journal.count_newest', count);
  $('journal-rows').style.height = count * ROW_HEIGHT + 'px';
  $('journal-rows').setAttribute('aria-rowcount', String(count));
  draw_rows();
}

function draw_rows() {
  var list = $('journal-list'), rows = $('journal-rows');
  var first = Math.max(0, Math.floor(list.scrollTop / ROW_HEIGHT) - 4);
  var last = Math.min(journal.shown.length, first + Math.ceil((list.clientHeight || 400) / ROW_HEIGHT) + 8);
  var focused = document.activeElement && document.activeElement.dataset ? document.activeElement.dataset.index : null;
  rows.textContent = '';
  for (var i = first; i < last; i++) {
    var row = journal.shown[i];
    var item = document.createElement('div');
    item.setAttribute('role', 'listitem');
    item.setAttribute('aria-setsize', String(journal.shown.length));
    item.setAttribute('aria-posinset', String(i + 1));
    item.className = 'journal-row';
    item.style.transform = 'translateY(' + i * ROW_HEIGHT + 'px)';
    var button = document.createElement('button');
    button.type = 'button';
    button.dataset.index = String(i);
    var when = document.createElement('span');
    when.className = 'journal-when';
    when.textContent = row.readable ? row.when.replace(' ', ' · ') +
                                          (row.source === 'own deck' ? ' · ' + page_word('page.journal.own_deck') : '')
                                    : page_word('page.journal.unreadable');
    var line = document.createElement('span');
    line.className = 'journal-line';
    line.textContent = row_line(row);
    button.appendChild(when);
    button.appendChild(line);
    item.appendChild(button);
    rows.appendChild(item);
    if (focused === String(i)) button.focus();
  }
}

// A readable entry's line in the page's language, from its key ("2026-12-07 15:03 5: 12 40r
// -"): "Love: The Moon, Ace of Cups reversed". Until the program runs, the line kept with it.
function row_line(row) {
  var cards = row.readable && know_readings() && /: (.*)$/.exec(row.key);
  var reading = cards && (row.kind === CARD_OF_THE_DAY ? {name: journal.readings.card_of_the_day}
      : journal.readings.readings.filter(function(r) { return r.kind === row.kind; })[0]);
  if (!reading) return row.line;
  var names = cards[1].split(' ').filter(function(card) { return card !== '-'; }).map(function(card) {
    var reversed = card.slice(-1) === 'r';
    return journal.readings.cards[parseInt(card, 10)] + (reversed ? ' ' + journal.readings.reversed : '');
  });
  return reading.name + ': ' + names.join(', ');
}

$('journal-list').addEventListener('scroll', draw_rows, {passive: true});
$('journal-rows').addEventListener('click', function(event) {
  var button = event.target.closest('button');
  if (button) open_entry(journal.shown[Number(button.dataset.index)]);
});
// Up, Down, Home and End move along the list, drawing the rows they reach.
$('journal-list').addEventListener('keydown', function(event) {
  var current = document.activeElement && document.activeElement.dataset ? Number(document.activeElement.dataset.index) : -1;
  var moves = {ArrowDown: current + 1, ArrowUp: current - 1, Home: 0, End: journal.shown.length - 1};
  if (!(event.key in moves) || current < 0 && event.key !== 'Home' && event.key !== 'End') return;
  var target = Math.max(0, Math.min(journal.shown.length - 1, moves[event.key]));
  var list = $('journal-list');
  if (target * ROW_HEIGHT < list.scrollTop) list.scrollTop = target * ROW_HEIGHT;
  if ((target + 1) * ROW_HEIGHT > list.scrollTop + list.clientHeight) list.scrollTop = (target + 1) * ROW_HEIGHT - list.clientHeight;
  draw_rows();
  var button = $('journal-rows').querySelector('button[data-index="' + target + '"]');
  if (button) button.focus();
  event.preventDefault();
});
$('journal-filter').addEventListener('change', refresh_list);
$('journal-search').addEventListener('input', function() {
  clearTimeout(journal.search_timer);
  journal.search_timer = setTimeout(refresh_list, 150);
});

// The whole journal in quarnel.wasm, for search, statistics and export: every entry's
// Markdown in date order, one blank line apart, and every summary in the list. Returns true
// when it is there; else loads it, and calls `then` (by default the list's refresh) once it
// is.
function ensure_loaded(then) {
  if (journal.loaded) return true;
  then = then || refresh_list;
  if (journal.waiters.indexOf(then) < 0) journal.waiters.push(then);
  if (!journal.loading) load_journal();
  return false;
}

function load_journal() {
  journal.loading = true;
  var generation = journal.generation;
  var finish = function(ok) {
    journal.loading = false;
    if (ok && generation !== journal.generation) { load_journal(); return; } // changed meanwhile
    journal.loaded = ok;
    var waiting = journal.waiters;
    journal.waiters = [];
    if (ok) waiting.forEach(function(then) { then(); });
    else refresh_list();
  };
  var go = function() {
    if (!program_ready()) { setTimeout(go, 200); return; }
    Promise.all([all_of('index'), all_of('entries')]).then(function(found) {
      journal.rows = found[0].sort(newest_first);
      journal.all_rows = true;
      var markdown = {};
      found[1].forEach(function(record) { markdown[record.id] = record.markdown; });
      var oldest_first = journal.rows.slice().reverse();
      var started = performance.now();
      var text = oldest_first.map(function(row) {
        var entry = markdown[row.id] || '';
        return entry.charAt(entry.length - 1) === '\n' ? entry : entry + '\n';
      }).join('\n');
      var count = jw_load(0, text);
      quarnel.journal.load_ms = performance.now() - started;
      journal.loaded_ids = count < 0 ? [] : oldest_first.map(function(row) { return row.id; });
      finish(true);
    }, function(error) {
      journal.db_failure = describe(error);
      finish(false);
    });
  };
  go();
}

// The journal as stored has changed: what quarnel.wasm holds is read again when next asked.
function changed() {
  journal.generation++;
  journal.loaded = false;
}

// [SECTION] An entry: its text, notes, delete and undo

function open_entry(row) {
  if (!row) return;
  open_db().then(function(db) {
    var request = db.transaction('entries').objectStore('entries').get(row.id);
    request.onsuccess = function() {
      if (!request.result) return;
      journal.current = {id: row.id, markdown: request.result.markdown, row: row};
      show_entry();
    };
  });
}

function show_entry() {
  var current = journal.current;
  var view = program_ready() ? jw_json('info', [current.markdown]) : null;
  var entry = view && view.entry[0];
  $('journal-entries').hidden = true;
  $('journal-entry').hidden = false;
  var text = $('journal-entry-text');
  text.textContent = '';
  var notes = $('journal-notes');
  if (!entry || !entry.readable) {
    $('journal-entry-title').textContent = page_word('page.journal.unreadable_title');
    var why = document.createElement('p');
    why.textContent = entry ? page_word('page.journal.unreadable_lines',
                                        {first: String(entry.lines[0]), last: String(entry.lines[1]), problem: entry.problem}) : '';
    var raw = document.createElement('pre');
    raw.textContent = current.markdown;
    text.appendChild(why);
    text.appendChild(raw);
    notes.value = '';
    notes.disabled = true;
  } else {
    // The entry as it is written, in its own language.
    $('journal-entry-title').textContent = entry.heading +
        (entry.source === 'own deck' ? page_word('page.journal.drawn_by_hand') : '');
    var list = document.createElement('ol');
    entry.positions.forEach(function(position) {
      var item = document.createElement('li');
      var head = document.createElement('strong');
      head.textContent = position.position + (position.position && position.question ? ': ' : '') + position.question;
      var body = document.createElement('p');
      body.textContent = position.card === null ? position.words
          : position.name + ', ' + position.words + '.' + (position.meaning ? ' ' + position.meaning : '');
      if (head.textContent) item.appendChild(head);
      item.appendChild(body);
      list.appendChild(item);
    });
    text.appendChild(list);
    notes.value = entry.notes;
    notes.disabled = false;
  }
  $('journal-notes-status').textContent = '';
  $('journal-back').focus();
}

function back_to_list() {
  save_notes_now();
  $('journal-entry').hidden = true;
  $('journal-entries').hidden = false;
  journal.current = null;
  refresh_list();
}
$('journal-back').addEventListener('click', back_to_list);

// Notes are saved as the user types, a moment after the last key.
$('journal-notes').addEventListener('input', function() {
  $('journal-notes-status').textContent = page_word('page.journal.saving');
  clearTimeout(journal.notes_timer);
  journal.notes_timer = setTimeout(save_notes_now, 400);
});

function save_notes_now() {
  clearTimeout(journal.notes_timer);
  var current = journal.current;
  if (!current || $('journal-notes').disabled || !program_ready()) return;
  var notes = $('journal-notes').value;
  var markdown = jw('with_notes', [current.markdown, notes], true);
  if (!markdown || markdown === current.markdown) {
    if ($('journal-notes-status').textContent === page_word('page.journal.saving'))
      $('journal-notes-status').textContent = page_word('page.journal.saved');
    return;
  }
  current.markdown = markdown;
  var info = jw_json('info', [markdown]).info;
  store([{id: current.id, markdown: markdown, info: info}]).then(function() {
    changed();
    if (journal.current === current) $('journal-notes-status').textContent = page_word('page.journal.saved');
  }, function(error) {
    $('journal-notes-status').textContent = page_word('page.journal.not_saved', {why: describe(error)});
  });
}

$('journal-delete').addEventListener('click', function() {
  var current = journal.current;
  if (!current) return;
  $('journal-notes').disabled = true; // nothing more to save for it
  transaction('readwrite', function(markdowns, index) {
    markdowns.delete(current.id);
    index.delete(current.id);
  }).then(function() {
    journal.rows = journal.rows.filter(function(row) { return row.id !== current.id; });
    changed();
    journal.current = null;
    back_to_list();
    offer_undo(current);
  });
});

// A deleted entry can come back, under its own id, for a few seconds.
function offer_undo(entry) {
  journal.undo = entry;
  $('journal-undo-text').textContent = page_word('page.journal.deleted');
  $('journal-undo').hidden = false;
  clearTimeout(journal.undo_timer);
  journal.undo_timer = setTimeout(function() { $('journal-undo').hidden = true; journal.undo = null; }, 10000);
  $('journal-undo-button').focus();
}

$('journal-undo-button').addEventListener('click', function() {
  var entry = journal.undo;
  if (!entry) return;
  journal.undo = null;
  $('journal-undo').hidden = true;
  var info = program_ready() ? jw_json('info', [entry.markdown]).info : entry.row;
  store([{id: entry.id, markdown: entry.markdown, info: info}]).then(function() {
    journal.rows.push(index_record(entry.id, info));
    journal.rows.sort(newest_first);
    changed();
    refresh_list();
    $('journal-count').textContent += page_word('page.journal.is_back');
  });
});

// [SECTION] Statistics: the figures, and two charts drawn as SVG that read as tables

function show_stats() {
  var out = $('journal-stats-body');
  journal.stats_asked = journal.stats_asked || performance.now();
  if (!ensure_loaded(show_stats)) {
    out.textContent = page_word('page.journal.counting');
    return;
  }
  var started = performance.now();
  var stats = jw_json('stats', [Number($('journal-stats-filter').value), $('journal-from').value,
                                $('journal-to').value, '']);
  quarnel.journal.stats_ms = performance.now() - started + (quarnel.journal.load_ms || 0);
  quarnel.journal.stats = stats;
  out.textContent = '';
  var apart = (stats.cards_of_the_day ? ' ' + count_word('journal.stats.cards_of_the_day', stats.cards_of_the_day) + '.' : '') +
              (stats.unreadable ? ' ' + count_word('journal.stats.unreadable', stats.unreadable) + '.' : '');
  if (stats.readings === 0) {
    journal.stats_asked = 0;
    paragraph(out, page_word('journal.stats.none') + apart);
    return;
  }
  paragraph(out, count_word('journal.stats.readings', stats.readings,
                            {first: stats.first, last: stats.last, dealt: String(stats.dealt), own: String(stats.own_deck)}) +
            '. ' + count_word('journal.stats.cards', stats.cards, {fair: fair(stats.fair_count)}) + '.' + apart);

  heading(out, page_word('journal.stats.top'));
  out.appendChild(bar_chart('journal-chart-cards', page_word('page.journal.chart_cards'),
      ['journal.stats.card', 'journal.stats.times', 'journal.stats.upright', 'journal.stats.reversed_column',
       'journal.stats.fair_deck'].map(function(key) { return page_word(key); }),
      stats.top.map(function(card) {
        return {label: card.name, value: card.count, fair: stats.fair_count,
                cells: [card.name, String(card.count), String(card.upright), String(card.reversed), fair(stats.fair_count)]};
      })));

  heading(out, page_word('page.journal.shares_heading'));
  out.appendChild(bar_chart('journal-chart-suits', page_word('page.journal.chart_shares'),
      [page_word('page.journal.kind'), page_word('journal.stats.cards_column'), page_word('journal.stats.share'),
       page_word('journal.stats.fair_shuffle'), 'p'],
      stats.shares.map(function(share) {
        return {label: share.name, value: share.share * 100, fair: share.fair * 100, far: share.far,
                cells: [share.name, String(share.count), percent(share.share), percent(share.fair),
                        share.p_value < 0.0001 ? '< ' + number_text(0.0001, 4)
                                               : number_text(share.p_value, share.p_value < 0.01 ? 4 : 2)]};
      }), '%'));
  var notes = stats.shares.filter(function(share) { return share.far; });
  if (notes.length === 0) paragraph(out, page_word('journal.stats.within_chance'));
  notes.forEach(function(share) { paragraph(out, share.note, 'journal-far'); });
  paragraph(out, stats.test, 'journal-small');

  heading(out, page_word('journal.stats.months'));
  var months = document.createElement('table');
  months.className = 'journal-table';
  var caption = document.createElement('caption');
  caption.textContent = count_word('journal.stats.run', stats.longest_run.days,
                                   {first: stats.longest_run.from, last: stats.longest_run.to});
  months.appendChild(caption);
  table_row(months, [page_word('page.journal.month'), page_word('page.journal.readings')], 'th');
  stats.months.forEach(function(month) { table_row(months, [month.month, String(month.readings)], 'td'); });
  out.appendChild(months);
  quarnel.journal.stats_tab_ms = performance.now() - journal.stats_asked;
  journal.stats_asked = 0;
}

function paragraph(parent, text, class_name) {
  var p = document.createElement('p');
  p.textContent = text;
  if (class_name) p.className = class_name;
  parent.appendChild(p);
}

function heading(parent, text) {
  var h = document.createElement('h3');
  h.textContent = text;
  parent.appendChild(h);
}

function table_row(table, cells, tag) {
  var row = document.createElement('tr');
  cells.forEach(function(cell) {
    var element = document.createElement(tag);
    element.textContent = cell;
    row.appendChild(element);
  });
  table.appendChild(row);
}

var SVG = 'http://www.w3.org/2000/svg';
function svg(tag, attributes, parent, text) {
  var element = document.createElementNS(SVG, tag);
  for (var name in attributes) element.setAttribute(name, attributes[name]);
  if (text !== undefined) element.textContent = text;
  if (parent) parent.appendChild(element);
  return element;
}

// Bars of the values with a mark at each fair value. For a screen reader the SVG is a table:
// a row of column headers, then a row a bar with every figure in its cells (the headers are
// drawn too small to see; each row's name and value are what the eye reads).
function bar_chart(id, title, headers, bars, unit) {
  var width = 320, label = 128, row = 24, top = 4;
  var most = 0;
  bars.forEach(function(bar) { most = Math.max(most, bar.value, bar.fair); });
  var scale = (width - label - 44) / (most || 1);
  var chart = svg('svg', {id: id, viewBox: '0 0 ' + width + ' ' + (top + bars.length * row + 18), role: 'table',
                          'aria-label': title, class: 'journal-chart'});
  var head = svg('g', {role: 'row', class: 'journal-chart-head'}, chart);
  headers.forEach(function(name, n) { svg('text', {role: 'columnheader', x: n * 10, y: 0}, head, name); });
  bars.forEach(function(bar, n) {
    var y = top + n * row;
    var group = svg('g', {role: 'row', class: bar.far ? 'journal-bar far' : 'journal-bar'}, chart);
    svg('rect', {x: label, y: y + 4, width: Math.max(1, bar.value * scale), height: row - 8, 'aria-hidden': 'true'}, group);
    svg('line', {x1: label + bar.fair * scale, x2: label + bar.fair * scale, y1: y + 1, y2: y + row - 1,
                 class: 'journal-fair', 'aria-hidden': 'true'}, group);
    bar.cells.forEach(function(cell, c) {
      var shown = c === 0 || c === 1 && !unit || c === 2 && unit;
      svg('text', {role: 'cell', x: c === 0 ? label - 6 : label + Math.max(bar.value, bar.fair) * scale + 5, y: y + row / 2 + 4,
                   class: shown ? (c === 0 ? 'journal-bar-name' : 'journal-bar-value') : 'journal-unseen'}, group, cell);
    });
  });
  var key = svg('g', {'aria-hidden': 'true', class: 'journal-key'}, chart);
  var y = top + bars.length * row + 12;
  svg('line', {x1: label, x2: label, y1: y - 8, y2: y + 2, class: 'journal-fair'}, key);
  svg('text', {x: label + 6, y: y}, key, page_word(unit ? 'page.journal.key_shuffle' : 'page.journal.key_deck'));
  return chart;
}

['journal-stats-filter', 'journal-from', 'journal-to'].forEach(function(id) {
  $(id).addEventListener('change', show_stats);
});

// [SECTION] Logging a reading drawn from your own deck

// The readings and the cards in the page's language, from the program's tables: the filters'
// choices, the form's readings and its type-ahead list of the 78 cards, the list's lines.
// False until the program runs; read again when the language changes.
function know_readings() {
  if (journal.readings && journal.readings.language === page_language.code) return true;
  if (!program_ready()) return false;
  var readings = jw_json('readings');
  if (readings.language !== page_language.code) return false; // the program is starting again
  journal.readings = readings;
  ['journal-filter', 'journal-stats-filter'].forEach(function(id) {
    while ($(id).options.length > 1) $(id).remove(1);
    // The list may show the cards of the day alone; the statistics count no reading in them.
    var kinds = journal.readings.readings.concat(id === 'journal-filter'
        ? [{kind: CARD_OF_THE_DAY, name: journal.readings.card_of_the_day}] : []);
    kinds.forEach(function(reading) {
      var option = document.createElement('option');
      option.value = String(reading.kind);
      option.textContent = reading.name;
      $(id).appendChild(option);
    });
  });
  return true;
}

function build_log_form() {
  if (!know_readings()) {
    $('journal-log-status').textContent = page_word('page.journal.starting');
    setTimeout(function() { if (!$('journal-log').hidden) build_log_form(); }, 200);
    return;
  }
  if ($('journal-log-reading').dataset.language !== journal.readings.language) {
    $('journal-log-reading').dataset.language = journal.readings.language;
    $('journal-log-reading').textContent = '';
    $('journal-log-positions').dataset.kind = '';
    var names = $('journal-cards');
    names.textContent = '';
    journal.readings.cards.forEach(function(name) {
      var option = document.createElement('option');
      option.value = name;
      names.appendChild(option);
    });
    var select = $('journal-log-reading');
    journal.readings.readings.forEach(function(reading) {
      var option = document.createElement('option');
      option.value = String(reading.kind);
      option.textContent = reading.name;
      select.appendChild(option);
    });
    $('journal-log-status').textContent = '';
  }
  if ($('journal-log-positions').dataset.kind !== $('journal-log-reading').value) build_positions();
}

function build_positions() {
  var kind = Number($('journal-log-reading').value);
  var reading = journal.readings.readings.filter(function(r) { return r.kind === kind; })[0];
  var list = $('journal-log-positions');
  list.dataset.kind = String(kind);
  list.textContent = '';
  reading.questions.forEach(function(question, p) {
    var count = reading.questions.length;
    var item = document.createElement('li');
    var label = document.createElement('label');
    label.htmlFor = 'journal-card-' + p;
    label.textContent = (count > 1 ? journal.readings.card_of.replace('{n}', p + 1).replace('{count}', count)
                                   : page_word('page.journal.the_card')) + (question ? ': ' + question : '');
    var input = document.createElement('input');
    input.id = 'journal-card-' + p;
    input.type = 'text';
    input.setAttribute('list', 'journal-cards');
    input.autocomplete = 'off';
    input.placeholder = page_word('journal.not_drawn').replace(/\.$/, '');
    input.setAttribute('aria-describedby', 'journal-card-' + p + '-error');
    var reversed = document.createElement('label');
    reversed.className = 'journal-reversed';
    var box = document.createElement('input');
    box.type = 'checkbox';
    box.id = 'journal-card-' + p + '-reversed';
    reversed.appendChild(box);
    reversed.appendChild(document.createTextNode(' ' + page_word('journal.stats.reversed_column')));
    var error = document.createElement('span');
    error.id = 'journal-card-' + p + '-error';
    error.className = 'journal-error';
    item.appendChild(label);
    item.appendChild(input);
    item.appendChild(reversed);
    item.appendChild(error);
    list.appendChild(item);
  });
}

$('journal-log-reading').addEventListener('change', build_positions);
$('journal-log-form').addEventListener('submit', function(event) {
  event.preventDefault();
  var kind = Number($('journal-log-reading').value);
  var cards = [], wrong = null;
  $('journal-log-positions').querySelectorAll('li').forEach(function(item, p) {
    var input = $('journal-card-' + p), error = $('journal-card-' + p + '-error');
    var typed = input.value.trim();
    error.textContent = '';
    input.removeAttribute('aria-invalid');
    if (typed === '') { cards.push('-'); return; }
    var match = jw_json('match_card', [typed]);
    if (match.card < 0) {
      error.textContent = match.error;
      input.setAttribute('aria-invalid', 'true');
      if (!wrong) wrong = input;
      return;
    }
    cards.push(match.card + (match.reversed || $('journal-card-' + p + '-reversed').checked ? 'r' : ''));
  });
  var status = $('journal-log-status');
  if (wrong) {
    status.textContent = page_word('page.journal.wrong_card');
    wrong.focus();
    return;
  }
  var logged = jw_json('log', [kind, cards.join(',')]);
  if (logged.error) {
    status.textContent = logged.error.charAt(0).toUpperCase() + logged.error.slice(1) + '.';
    return;
  }
  keep_entries([{markdown: logged.markdown, info: logged.info}]).then(function(ids) {
    if (!ids) { status.textContent = page_word('page.journal.log_refused'); return; }
    status.textContent = page_word('page.journal.logged', {line: logged.info.line});
    $('journal-log-positions').dataset.kind = '';
    build_positions();
  });
});

// [SECTION] Keeping, the storage, export and import, delete all

function show_storage() {
  var on = keeping_on();
  $('journal-keeping').checked = on;
  $('journal-keeping-words').textContent = page_word(on ? 'page.journal.keeping_on' : 'page.journal.keeping_off');
  var words;
  var standalone = window.matchMedia && matchMedia('(display-mode: standalone)').matches || navigator.standalone === true;
  var safari = /Safari\//.test(navigator.userAgent) && !/Chrome\/|Chromium\/|Android/.test(navigator.userAgent);
  if (journal.db_failure) words = page_word('page.journal.storage_none', {why: journal.db_failure});
  else if (safari && !standalone) words = page_word('page.journal.storage_safari');
  else if (quarnel.journal.persisted === true) words = page_word('page.journal.storage_kept');
  else if (quarnel.journal.persisted === 'unavailable') words = page_word('page.journal.storage_unavailable');
  else if (quarnel.journal.persisted === false) words = page_word('page.journal.storage_not_promised');
  else words = page_word('page.journal.storage_asking');
  $('journal-storage').textContent = words;
}

if (navigator.storage && navigator.storage.persisted)
  navigator.storage.persisted().then(function(granted) { if (granted) quarnel.journal.persisted = true; }, function() {});
try { if (localStorage.getItem('quarnel-journal-persist') === 'denied') quarnel.journal.persisted = false; } catch (e) {}

$('journal-keeping').addEventListener('change', function() {
  try { localStorage.setItem('quarnel-journal-keeping', this.checked ? 'on' : 'off'); } catch (e) {}
  show_storage();
});

// quarnel-journal-2026-12-07.md, by the local date.
function download(text, what) {
  var now = new Date(), two = function(n) { return (n < 10 ? '0' : '') + n; };
  var name = 'quarnel-journal' + (what ? '-' + what : '') + '-' + now.getFullYear() + '-' + two(now.getMonth() + 1) + '-' +
      two(now.getDate()) + '.md';
  quarnel.journal.exported = {name: name, text: text};
  download_file(new Blob([text], {type: 'text/markdown;charset=utf-8'}), name);
}

$('journal-export').addEventListener('click', function export_now() {
  var status = $('journal-move-status');
  if (!ensure_loaded(export_now)) { status.textContent = page_word('page.journal.reading_journal'); return; }
  download(jw('export', ['markdown'], true));
  status.textContent = count_word('page.journal.exported', journal.loaded_ids.length);
});

$('journal-import').addEventListener('change', function() {
  var file = this.files && this.files[0];
  this.value = '';
  if (file) journal_import_file(file);
});

// Reads a file to import; nothing is kept until the user confirms what it adds.
function journal_import_file(file) {
  var status = $('journal-import-words');
  $('journal-import-summary').hidden = false;
  $('journal-import-add').hidden = true;
  if (file.size > IMPORT_LIMIT) {
    status.textContent = page_word('page.journal.too_large', {name: file.name, size: String(Math.round(file.size / 1048576))});
    quarnel.journal.import_summary = status.textContent;
    return;
  }
  status.textContent = page_word('page.journal.reading_file', {name: file.name});
  file.text().then(function(text) { journal_import_text(text, file.name); });
}

function journal_import_text(text, name) {
  var status = $('journal-import-words');
  $('journal-import-summary').hidden = false;
  $('journal-import-add').hidden = true;
  var go = function() {
    if (!ensure_loaded(go)) return; // every entry kept, to skip those already there
    var count = jw_load(1, text);
    if (count < 0) {
      status.textContent = page_word('page.journal.not_imported', {name: name, why: jw('problem', [], true)});
      quarnel.journal.import_summary = status.textContent;
      return;
    }
    var kept = {};
    journal.rows.forEach(function(row) { if (row.key) kept[row.key] = true; });
    var adding = [], skipped = 0, unreadable = [];
    jw_json('entries', [1]).forEach(function(info) {
      if (!info.readable) {
        unreadable.push(page_word('page.journal.lines', {first: String(info.lines[0]), last: String(info.lines[1]), problem: info.problem}));
        return;
      }
      if (kept[info.key]) { skipped++; return; }
      kept[info.key] = true;
      var markdown = jw('entry_text', [1, info.index], true);
      adding.push({markdown: markdown.charAt(markdown.length - 1) === '\n' ? markdown : markdown + '\n', info: info});
    });
    journal.importing = adding;
    status.textContent = page_word('page.journal.import_summary',
                                   {name: name, add: String(adding.length), skipped: String(skipped),
                                    unreadable: String(unreadable.length),
                                    details: unreadable.length ? ': ' + unreadable.join('; ') : ''});
    quarnel.journal.import_summary = status.textContent;
    $('journal-import-add').hidden = adding.length === 0;
    $('journal-import-add').textContent = count_word('page.journal.add', adding.length);
  };
  go();
}

$('journal-import-add').addEventListener('click', function() {
  var adding = journal.importing || [];
  journal.importing = null;
  jw_load(1, ''); // the file read is let go
  $('journal-import-add').hidden = true;
  store(adding).then(function(ids) {
    ids.forEach(function(id, n) { journal.rows.push(index_record(id, adding[n].info)); });
    journal.rows.sort(newest_first);
    changed();
    $('journal-import-words').textContent = count_word('page.journal.added', ids.length);
    quarnel.journal.import_summary = $('journal-import-words').textContent;
  }, function(error) {
    $('journal-import-words').textContent = page_word('page.journal.nothing_added', {why: describe(error)});
  });
});
$('journal-import-cancel').addEventListener('click', function() {
  journal.importing = null;
  if (program_ready()) jw_load(1, '');
  $('journal-import-summary').hidden = true;
});

$('journal-delete-all').addEventListener('click', function() {
  $('journal-delete-all-words').textContent = journal.all_rows
      ? count_word('page.journal.delete_all_count', journal.rows.length) : page_word('page.journal.delete_all_question');
  $('journal-delete-all-confirm').hidden = false;
  $('journal-delete-all-no').focus();
});
$('journal-delete-all-no').addEventListener('click', function() {
  $('journal-delete-all-confirm').hidden = true;
  $('journal-delete-all').focus();
});
$('journal-delete-all-yes').addEventListener('click', function() {
  transaction('readwrite', function(markdowns, index) {
    markdowns.clear();
    index.clear();
  }).then(function() {
    journal.rows = [];
    journal.all_rows = true;
    changed();
    journal.provisional = null;
    $('journal-delete-all-confirm').hidden = true;
    $('journal-move-status').textContent = page_word('page.journal.all_deleted');
    $('journal-delete-all').focus();
  });
});

// A page that may not come back keeps the card table on display as it is.
document.addEventListener('visibilitychange', function() {
  if (document.visibilityState === 'hidden' && program_ready()) jw('page_hidden', []);
});
