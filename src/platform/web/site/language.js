// language.js -- the page's language: the one chosen on this device (the language menu, kept
// in localStorage), else the first of the browser's languages (navigator.languages) that
// Quarnel speaks, else English; ?language=CODE in the address sets it for one visit (tests).
// The page's own words come from words.js (the program's words table); the program runs from
// the install folder of the language (start.js fetches only that one's packed folder), and
// choosing another language while it runs starts it again in that one, on its title screen.

var page_language = {code: 'en', unpacked: {}, switching: null};

function speaks(code) {
  return quarnel_languages.some(function(language) { return language.code === code; });
}

function first_language() {
  var asked = new URLSearchParams(location.search).get('language');
  if (asked !== null && speaks(asked)) return asked;
  try {
    var kept = localStorage.getItem('quarnel-language');
    if (kept !== null && speaks(kept)) return kept;
  } catch (e) {}
  var wanted = navigator.languages && navigator.languages.length ? navigator.languages : [navigator.language || ''];
  for (var i = 0; i < wanted.length; i++) {
    var code = String(wanted[i]).split('-')[0].toLowerCase();
    if (speaks(code)) return code;
  }
  return 'en';
}

// A row of the page's words in its language ("page.copied"), with "{key}" filled from
// fillings.
function page_word(key, fillings) {
  var words = quarnel_words[page_language.code] || quarnel_words.en;
  var text = words[key] !== undefined ? words[key] : quarnel_words.en[key];
  Object.keys(fillings || {}).forEach(function(name) { text = text.split('{' + name + '}').join(fillings[name]); });
  return text;
}

// The elements' words: data-word is an element's text, data-word-title its title,
// data-word-label its aria-label and data-word-placeholder its placeholder.
function show_words() {
  document.documentElement.lang = page_language.code;
  quarnel.language = page_language.code;
  document.getElementById('language-code').textContent = page_language.code.toUpperCase();
  document.querySelectorAll('[data-word]').forEach(function(element) {
    if (!element.dataset.saying) element.textContent = page_word(element.dataset.word);
  });
  document.querySelectorAll('[data-word-title]').forEach(function(element) {
    element.title = page_word(element.dataset.wordTitle);
  });
  document.querySelectorAll('[data-word-label]').forEach(function(element) {
    element.setAttribute('aria-label', page_word(element.dataset.wordLabel));
  });
  document.querySelectorAll('[data-word-placeholder]').forEach(function(element) {
    element.placeholder = page_word(element.dataset.wordPlaceholder);
  });
  if (typeof keep_screen_text === 'function') keep_screen_text(keep.summary, keep.reading);
}

// The packed folder of a language, compressed or not (make_site.cmake).
function pack_name(code, compressed) {
  return (code === 'en' ? 'quarnel' : 'quarnel-' + code) + (compressed ? '.data.gz' : '.data');
}

page_language.code = first_language();

// [SECTION] The language menu, beside the keep buttons

(function() {
  var menu = document.getElementById('language');
  quarnel_languages.forEach(function(language) {
    var option = document.createElement('option');
    option.value = language.code;
    option.lang = language.code;
    option.textContent = language.name;
    menu.appendChild(option);
  });
  menu.value = page_language.code;
  menu.addEventListener('change', function() { choose_language(menu.value); });
  show_words();
})();

function remember_language(code) {
  try { localStorage.setItem('quarnel-language', code); } catch (e) {}
}

// The user's choice: kept on this device, the page's words at once, and the program started
// again in the language once its folder is unpacked (fetched the first time, then kept by
// the service worker); before the program runs, or once it has ended, the page starts afresh
// in it. A folder that cannot be fetched (offline, never used before) leaves the language as
// it was. quarnel.switch_ms is the time from the choice to the new title screen.
function choose_language(code) {
  if (!speaks(code) || code === page_language.code) return;
  var started = performance.now(), before = page_language.code;
  var menu = document.getElementById('language');
  page_language.code = code;
  remember_language(code);
  show_words();
  menu.value = code;
  quarnel.switch_ms = null;
  if (quarnel.ended || !Module.restart_program || !Module.unpack_folder) {
    location.reload();
    return;
  }
  var switching = page_language.switching = page_language.unpacked[code] ? Promise.resolve(true)
    : packed_folder(code).then(function(bytes) {
        return bytes !== null && Module.unpack_folder(new Uint8Array(bytes));
      });
  switching.then(function(unpacked) {
    if (switching !== page_language.switching) return; // a later choice wins
    page_language.unpacked[code] = unpacked;
    quarnel.switch_started_ms = started;
    quarnel.runs_before_switch = quarnel.runs;
    if (typeof cards_follow_language === 'function') cards_follow_language(code); // cards.js
    Module.restart_program();
  }, function(error) {
    if (switching !== page_language.switching) return;
    console.warn('the ' + code + ' folder could not be fetched: ' + error);
    page_language.code = before;
    remember_language(before);
    show_words();
    menu.value = before;
  });
}
