// offline.js -- working offline and keeping Quarnel on the device: the service worker (sw.js),
// the bar that says a new version is ready (it never reloads by itself), the Install button
// where the browser offers one, and the hint for Safari on an iPhone, which has none.

// [SECTION] The notice bar, under the keep buttons

// One notice at a time; a new version's outranks the others. The display makes room for it.
var notices = {action: null, close: null};

function show_notice(kind, text, action_label, action, close) {
  quarnel.notice = kind;
  notices.action = action;
  notices.close = close;
  document.getElementById('notice-text').textContent = text;
  var button = document.getElementById('notice-action');
  button.hidden = !action;
  button.textContent = action_label || '';
  document.getElementById('notice-close').hidden = !close;
  document.getElementById('notice').hidden = false;
  document.body.classList.add('noticed');
  fit_display();
}

function hide_notice(kind) {
  if (quarnel.notice !== kind) return;
  quarnel.notice = '';
  document.getElementById('notice').hidden = true;
  document.body.classList.remove('noticed');
  fit_display();
}

document.getElementById('notice-action').addEventListener('click', function() {
  if (notices.action) notices.action();
});
document.getElementById('notice-close').addEventListener('click', function() {
  if (notices.close) notices.close();
});

// A hint the user has dismissed is not offered again on this device.
function dismissed(kind) {
  try { return localStorage.getItem('quarnel-dismissed-' + kind) === 'yes'; } catch (e) { return false; }
}
function remember_dismissed(kind) {
  try { localStorage.setItem('quarnel-dismissed-' + kind, 'yes'); } catch (e) {}
}

// [SECTION] New versions

// The browser looks for a new sw.js at each visit; a page left open (a phone keeps it for
// days) asks again when it is shown, at most once an hour. A new version installs beside the
// running one and waits until the user chooses Reload, so a reading is never cut short.
var UPDATE_EVERY_MS = 60 * 60 * 1000;
var updates = {registration: null, reloading: false};

function offer_update() {
  show_notice('update', page_word('page.update'), page_word('page.reload'), function() {
    var waiting = updates.registration && updates.registration.waiting;
    updates.reloading = true;
    if (waiting) waiting.postMessage('take-over'); else location.reload();
  }, null);
}

function watch_new_worker(worker) {
  if (!worker) return;
  worker.addEventListener('statechange', function() {
    // With no controller this is the first visit's worker, not a new version.
    if (worker.state === 'installed' && navigator.serviceWorker.controller) offer_update();
  });
}

function check_for_update() {
  if (!updates.registration || document.visibilityState !== 'visible') return;
  var now = performance.now();
  if (quarnel.update_checked_ms !== null && now - quarnel.update_checked_ms < UPDATE_EVERY_MS) return;
  quarnel.update_checked_ms = now;
  updates.registration.update().catch(function() {});
}

if ('serviceWorker' in navigator) {
  window.addEventListener('load', function() {
    // No HTTP cache between the browser and sw.js: a new version is seen at once.
    navigator.serviceWorker.register('sw.js', {updateViaCache: 'none'}).then(function(registration) {
      updates.registration = registration;
      quarnel.update_checked_ms = performance.now(); // registering looks for a new version
      if (registration.waiting && navigator.serviceWorker.controller) offer_update();
      watch_new_worker(registration.installing);
      registration.addEventListener('updatefound', function() {
        watch_new_worker(registration.installing);
      });
    }).catch(function() {});
  });
  navigator.serviceWorker.addEventListener('controllerchange', function() {
    if (updates.reloading) location.reload();
  });
  document.addEventListener('visibilitychange', check_for_update);
  window.addEventListener('pageshow', check_for_update);
}

// [SECTION] Installing

// Both are offered once the user has tapped the display, not to a page just opened.
var first_tap = new Promise(function(resolve) {
  document.getElementById('display').addEventListener('pointerup', resolve, {once: true});
});

// Where the browser offers to install the page (Chrome, Edge, Samsung Internet on Android):
// an Install button in the notice bar rather than the browser's own banner.
window.addEventListener('beforeinstallprompt', function(event) {
  if (dismissed('install')) return;
  event.preventDefault();
  first_tap.then(function() { offer_install(event); });
});

function offer_install(event) {
  if (quarnel.notice !== '' || dismissed('install')) return;
  show_notice('install', page_word('page.install_offer'), page_word('page.install'), function() {
    hide_notice('install');
    event.prompt();
    Promise.resolve(event.userChoice).then(function(choice) {
      if (choice && choice.outcome === 'dismissed') remember_dismissed('install');
    }, function() {});
  }, function() {
    remember_dismissed('install');
    hide_notice('install');
  });
}
window.addEventListener('appinstalled', function() { hide_notice('install'); });

// Safari on an iPhone or iPad has no install prompt: a one-time hint, in a tab only
// (navigator.standalone is Safari's own, false in a tab and true once on the Home Screen).
function offer_ios_hint() {
  if (navigator.standalone !== false || !(navigator.maxTouchPoints > 0)) return;
  if (dismissed('ios-install') || quarnel.notice !== '') return;
  remember_dismissed('ios-install');
  show_notice('ios-install', page_word('page.ios_install'), null, null,
              function() { hide_notice('ios-install'); });
}
first_tap.then(offer_ios_hint);
