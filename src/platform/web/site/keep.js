// keep.js -- keeping a reading: the screen's text for screen readers, Copy reading, Share and
// Save picture. The program sends the text of its screen (web_library.js calls
// keep_screen_text); the buttons never reach the program.

// The program sends the text of its screen between its steps whenever it changes
// (web_screen_text): the screen's name and buttons, and on a card table the reading's text.
var keep = {summary: '', reading: '', label_timer: 0};
function keep_screen_text(summary, reading) {
  keep.summary = summary;
  keep.reading = reading;
  quarnel.screen_text = summary + (reading ? '\n\n' + reading : '');
  quarnel.screen_texts++;
  document.getElementById('screen-text').textContent = quarnel.screen_text;
  var none = reading === '';
  ['keep-copy', 'keep-share'].forEach(function(id) {
    var button = document.getElementById(id);
    if (none && button.dataset.saying) {
      button.textContent = page_word(button.dataset.word);
      delete button.dataset.saying;
    }
    button.disabled = none;
    button.title = page_word(none ? 'page.nothing_title' : id === 'keep-copy' ? 'page.copy_title'
                                                                       : 'page.share_title');
  });
}

// What a button did, for a moment on the button and for screen readers; then the button's
// own words (data-word, in the page's language) again.
function keep_say(button, words) {
  var status = document.getElementById('keep-status');
  status.textContent = words;
  button.dataset.saying = 'yes';
  button.textContent = words;
  clearTimeout(keep.label_timer);
  keep.label_timer = setTimeout(function() {
    document.querySelectorAll('#keep button').forEach(function(b) {
      if (!b.dataset.saying) return;
      b.textContent = page_word(b.dataset.word);
      delete b.dataset.saying;
    });
  }, 1600);
}

// The clipboard where the browser has it; else the older copy of a selection, which also
// works on a page served without https.
function copy_text(text) {
  var by_selection = function() {
    var area = document.createElement('textarea');
    area.value = text;
    area.setAttribute('readonly', '');
    area.style.cssText = 'position:fixed;left:0;top:0;opacity:0;user-select:text;-webkit-user-select:text';
    document.body.appendChild(area);
    area.select();
    var done = false;
    try { done = document.execCommand('copy'); } catch (e) { done = false; }
    area.remove();
    return done ? Promise.resolve() : Promise.reject(new Error('the browser refused to copy'));
  };
  if (navigator.clipboard && navigator.clipboard.writeText)
    return navigator.clipboard.writeText(text).catch(by_selection);
  return by_selection();
}

function copy_reading(button) {
  if (!keep.reading) { keep_say(button, page_word('page.nothing')); return; }
  copy_text(keep.reading).then(function() { keep_say(button, page_word('page.copied')); },
                               function() { keep_say(button, page_word('page.not_copied')); });
}

document.getElementById('keep-copy').addEventListener('click', function() {
  copy_reading(this);
});
document.getElementById('keep-share').addEventListener('click', function() {
  var button = this;
  if (!keep.reading) { keep_say(button, page_word('page.nothing')); return; }
  var shared = {title: 'Quarnel: ' + keep.reading.split('\n')[0], text: keep.reading};
  if (navigator.share && (!navigator.canShare || navigator.canShare(shared))) {
    navigator.share(shared).then(function() { keep_say(button, page_word('page.shared')); }, function(error) {
      // Closing the share sheet is no failure; anything else falls back to copying.
      if (!error || error.name !== 'AbortError') copy_reading(button);
    });
  } else {
    copy_reading(button);
  }
});

// quarnel-2026-12-07-150309.png, by the local date and time, as the desktop names them.
function picture_name(when) {
  var two = function(n) { return (n < 10 ? '0' : '') + n; };
  return 'quarnel-' + when.getFullYear() + '-' + two(when.getMonth() + 1) + '-' +
      two(when.getDate()) + '-' + two(when.getHours()) + two(when.getMinutes()) +
      two(when.getSeconds()) + '.png';
}
// Offers the bytes for download under the name given (a picture here, the journal's Markdown
// in journal.js).
function download_file(blob, name) {
  var url = URL.createObjectURL(blob);
  var link = document.createElement('a');
  link.href = url;
  link.download = name;
  link.hidden = true;
  document.body.appendChild(link);
  link.click();
  link.remove();
  setTimeout(function() { URL.revokeObjectURL(url); }, 60000);
}

document.getElementById('keep-save').addEventListener('click', function() {
  var button = this, name = picture_name(new Date());
  document.getElementById('display').toBlob(function(blob) {
    if (!blob) { keep_say(button, page_word('page.not_saved')); return; }
    download_file(blob, name);
    keep_say(button, page_word('page.saved'));
  }, 'image/png');
});
