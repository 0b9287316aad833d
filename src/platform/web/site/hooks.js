// hooks.js -- what the page has done, for the tests and the benchmark, in the `quarnel`
// global: the site's version, frames put on the canvas, taps, sounds and whether each sound
// began inside a user's gesture, messages, notices, and any Content-Security-Policy
// violation. Runs first; the page's other scripts and web_library.js fill it in.

var quarnel = {
  version: '@SITE_VERSION@', // changes with any file of the site (make_site.cmake)
  frames: 0, first_frame_ms: null, first_rest_ms: null, rests: 0, waiting: false,
  taps_seen: 0, taps_taken: 0, tap_ms: [], slept_ms: 0,
  sounds_started: 0, last_sound: '', messages: [], dialog_open: false,
  // Each AudioContext call that can start sound: {call: 'make', 'resume', 'silence' or
  // 'start', event: the handler it ran in ('' outside any), active: whether the browser
  // counted a user activation then (navigator.userActivation; null where it has none),
  // state: the context's state before the call, resuming: whether a resume() had not yet
  // answered}.
  audio_calls: [],
  audio_states: [], // the context's states as they change
  sounds_ended: 0, // sources that played to their end (a suspended context ends none)
  screen_text: '', screen_texts: 0,
  packed_folder: 'loading', // then 'ready', or 'damaged' (the program then finds no files)
  notice: '', // the notice bar's kind: 'update', 'install', 'ios-install' or ''
  update_checked_ms: null, // when the page last asked for a new version (performance.now())
  csp_violations: [],
  errors: [], // uncaught exceptions and rejections
  language: 'en', // the page's language (language.js)
  runs: 0, // runs of the program: a new language starts it again
  // The last change of language: when it was chosen (performance.now()), the runs before it,
  // and the time from the choice to the new run's first rest, the title screen on the canvas.
  switch_started_ms: null, runs_before_switch: 0, switch_ms: null,
  pack_kept: false, // the first visit's packed folder is in the service worker's cache
  ended: false, exit_code: null, failure: null
};

// A moment of the page's start on the browser's performance timeline ('quarnel:NAME', from
// navigation start), for the benchmark's timeline of the first frame.
function quarnel_mark(name) {
  if (performance.mark) performance.mark('quarnel:' + name);
}

window.addEventListener('error', function(event) {
  quarnel.errors.push('exception: ' + event.message);
});
window.addEventListener('unhandledrejection', function(event) {
  quarnel.errors.push('rejection: ' + (event.reason && event.reason.message || event.reason));
});
document.addEventListener('securitypolicyviolation', function(event) {
  quarnel.csp_violations.push(event.violatedDirective + ' ' + (event.blockedURI || ''));
});
