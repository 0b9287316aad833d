// web_library.js -- the page half of the web back end: the packed install folder, canvas,
// pointer taps, Web Audio, the message dialog, the end screen (the C++ half calls these; see
// web.h)
//
// The page's elements are in index.html: canvas#display, dialog#message (with #message-text,
// #message-caption, #message-ok), #ended (with #ended-code), and the keep buttons with the
// screen reader's region (#keep, #screen-text), which keep_screen_text (keep.js) fills.
// `quarnel`, a global (hooks.js), shows what the page has done, for the tests and the
// benchmark: frames put on the canvas, taps, sounds started, whether the program waits for
// a tap, and timings.

mergeInto(LibraryManager.library, {
  // [SECTION] The packed install folder

  // start.js fetches the folder of the page's language (Module.packed_folder: its bytes, or
  // null when they arrived damaged); the program's main waits until it is unpacked into
  // /quarnel (English) or /quarnel/CODE. A damaged folder leaves no file, and the program says
  // so as the desktop does without its files. language.js unpacks another language's folder
  // (Module.unpack_folder) when the user chooses it.
  $WebFiles__deps: ['$FS'],
  $WebFiles__postset: 'addOnPreRun(WebFiles.unpack_before_main); ' +
                      'Module["unpack_folder"] = function(bytes) { return WebFiles.unpack(bytes); };',
  $WebFiles: {
    unpack_before_main: function() {
      addRunDependency('packed-folder');
      Module['packed_folder'].then(function(bytes) {
        var unpacked = false;
        quarnel_mark('unpacking');
        try { unpacked = bytes !== null && WebFiles.unpack(new Uint8Array(bytes)); } catch (e) { unpacked = false; }
        quarnel_mark('unpacked');
        quarnel.packed_folder = unpacked ? 'ready' : 'damaged';
        removeRunDependency('packed-folder');
      }, function() {}); // start.js shows the page's own failure; the program does not start
    },

    // One line of JSON, {"folder": "/quarnel", "files": [[path, size], ...]}, then the files'
    // bytes in that order (make_site.cmake). Returns true, or false, having made no file,
    // when the listing does not match the bytes.
    unpack: function(bytes) {
      var end = bytes.indexOf(10);
      if (end < 0) return false;
      var listing = JSON.parse(new TextDecoder().decode(bytes.subarray(0, end)));
      var total = 0;
      listing.files.forEach(function(file) { total += file[1]; });
      if (total !== bytes.length - end - 1) return false;
      var at = end + 1;
      listing.files.forEach(function(file) {
        var path = listing.folder + '/' + file[0], slash = path.lastIndexOf('/');
        FS.mkdirTree(path.slice(0, slash));
        FS.createDataFile(path.slice(0, slash), path.slice(slash + 1), bytes.subarray(at, at + file[1]),
                          true, true, true);
        at += file[1];
      });
      return true;
    },
  },

  // [SECTION] The page

  $WebPage__deps: ['$FS'],
  $WebPage: {
    canvas: null,
    context: null,
    taps: [],        // [x, y, event time] in display pixels, not yet taken by the program
    wake: null,      // resumes the program waiting in web_wait_input
    audio: null,     // the AudioContext, made inside the user's first gesture
    sounds: {},      // path -> {rate, channels: [Float32Array...]} or null (not playable)
    buffers: {},     // path -> AudioBuffer of the current AudioContext
    playing: null,   // the AudioBufferSourceNode playing now
    close_asked: false, // the page asks the program to end, to start again in another language
    waiting_sound: null, // the path the program played before the first gesture's end
    in_event: '',    // the type of the page event whose handler runs now
    rest_timer: 0,   // suspends the AudioContext a second after the last sound
    resuming: false, // the AudioContext has been asked to run and has not answered yet
    pending_tap: -1, // event time of the oldest tap whose frame has not been put yet
    pending_slept: 0,

    // RIFF WAVE, PCM, 8 or 16 bits: channels as floats; null for anything else.
    parse_wav: function(bytes) {
      var view = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
      var tag = function(at) {
        return at + 4 <= bytes.length ? String.fromCharCode(bytes[at], bytes[at + 1], bytes[at + 2], bytes[at + 3]) : '';
      };
      if (tag(0) !== 'RIFF' || tag(8) !== 'WAVE') return null;
      var format = null, data = null;
      for (var at = 12; at + 8 <= bytes.length;) {
        var size = view.getUint32(at + 4, true);
        var body = at + 8;
        if (tag(at) === 'fmt ' && size >= 16 && body + 16 <= bytes.length) {
          format = {code: view.getUint16(body, true), channels: view.getUint16(body + 2, true),
                    rate: view.getUint32(body + 4, true), bits: view.getUint16(body + 14, true)};
        } else if (tag(at) === 'data') {
          data = {start: body, size: Math.min(size, bytes.length - body)};
        }
        at = body + size + (size & 1);
      }
      if (!format || !data || format.code !== 1 || (format.bits !== 8 && format.bits !== 16) ||
          format.channels < 1 || format.channels > 2 || format.rate < 3000 || format.rate > 192000)
        return null;
      var width = format.bits / 8 * format.channels;
      var frames = Math.floor(data.size / width);
      if (frames === 0) return null;
      var channels = [];
      for (var c = 0; c < format.channels; c++) channels.push(new Float32Array(frames));
      for (var i = 0; i < frames; i++) {
        for (var c = 0; c < format.channels; c++) {
          var p = data.start + i * width + c * format.bits / 8;
          channels[c][i] = format.bits === 8 ? (bytes[p] - 128) / 128 : view.getInt16(p, true) / 32768;
        }
      }
      return {rate: format.rate, channels: channels};
    },

    stop_sound: function() {
      if (WebPage.playing) {
        var playing = WebPage.playing;
        WebPage.playing = null;
        try { playing.stop(); } catch (e) {}
      }
    },

    // A running AudioContext keeps an audio thread busy, so the page suspends it once no
    // sound has played for a second (the sounds of one tap's animation follow each other
    // closer than that). A suspended context may be resumed again from any later tap's
    // handler (the page has had the user's gesture); one the system interrupted (iOS: a
    // call, the page hidden) only from inside a gesture, which unlock_audio does.
    rest_audio: function() {
      clearTimeout(WebPage.rest_timer);
      WebPage.rest_timer = setTimeout(function() {
        if (WebPage.audio && !WebPage.playing && WebPage.audio.state === 'running') WebPage.audio.suspend().catch(function() {});
      }, 1000);
    },

    // Records an AudioContext call for the tests: the handler it ran in and whether the
    // browser counted a user activation at that moment.
    note_audio: function(call) {
      var activation = navigator.userActivation;
      quarnel.audio_calls.push({call: call, event: WebPage.in_event, active: activation ? activation.isActive : null,
                                state: WebPage.audio ? WebPage.audio.state : 'none', resuming: WebPage.resuming});
    },

    // The samples of a WAV file of the packed folder, decoded the first time it is asked for.
    samples: function(path) {
      if (!(path in WebPage.sounds)) {
        var sound = null;
        try { sound = WebPage.parse_wav(FS.readFile(path)); } catch (e) { sound = null; }
        WebPage.sounds[path] = sound;
      }
      return WebPage.sounds[path];
    },

    // While the program first rests: every sound decoded, one a task, so that no tap waits.
    prepare_sounds: function() {
      var names = [];
      try {
        names = FS.readdir('/quarnel/sound').filter(function(name) { return /\.wav$/i.test(name); });
      } catch (e) {}
      var next = function() {
        var name = names.shift();
        if (name === undefined) return;
        WebPage.samples('/quarnel/sound/' + name);
        setTimeout(next, 0);
      };
      next();
    },

    // Asks the context to run; until it answers, later sounds need not ask again.
    resume_audio: function() {
      WebPage.note_audio('resume');
      WebPage.resuming = true;
      var done = function() { WebPage.resuming = false; };
      WebPage.audio.resume().then(done, done);
    },

    // Starts a sound on the context (suspended or not: a suspended context plays it once
    // resumed).
    start_sound: function(path) {
      var audio = WebPage.audio, sound = WebPage.samples(path);
      var buffer = WebPage.buffers[path];
      if (!buffer) {
        buffer = audio.createBuffer(sound.channels.length, sound.channels[0].length, sound.rate);
        for (var c = 0; c < sound.channels.length; c++) buffer.getChannelData(c).set(sound.channels[c]);
        WebPage.buffers[path] = buffer;
      }
      var source = audio.createBufferSource();
      source.buffer = buffer;
      source.connect(audio.destination);
      source.onended = function() {
        quarnel.sounds_ended++;
        if (WebPage.playing === source) WebPage.playing = null;
        WebPage.rest_audio();
      };
      if (audio.state !== 'running' && !WebPage.resuming) WebPage.resume_audio();
      WebPage.note_audio('start');
      source.start();
      WebPage.playing = source;
      quarnel.sounds_started++;
      quarnel.last_sound = path;
    },

    // Inside the handler of a user's gesture (pointerup, touchend, click, keydown: the events
    // that count as one on every engine; iOS does not count touchstart): makes the context
    // the first time, resumes it where it is not running and something is to play or the
    // system interrupted it, and starts a moment of silence, which is what unlocks audio on
    // iOS. Then the sound the program played before, if it waits.
    unlock_audio: function(event) {
      var Context = window.AudioContext || window.webkitAudioContext;
      if (!Context) return;
      var before = WebPage.in_event;
      WebPage.in_event = event.type;
      try {
        var first = !WebPage.audio;
        if (first) {
          WebPage.note_audio('make');
          WebPage.audio = new Context();
          WebPage.buffers = {};
          WebPage.audio.onstatechange = function() { quarnel.audio_states.push(WebPage.audio.state); };
        }
        var audio = WebPage.audio;
        if (first || audio.state === 'interrupted' || (audio.state !== 'running' && (WebPage.playing || WebPage.waiting_sound))) {
          WebPage.resume_audio();
          var silence = audio.createBufferSource();
          silence.buffer = audio.createBuffer(1, 1, audio.sampleRate);
          silence.connect(audio.destination);
          silence.onended = WebPage.rest_audio;
          WebPage.note_audio('silence');
          silence.start();
        }
        if (WebPage.waiting_sound) {
          var path = WebPage.waiting_sound;
          WebPage.waiting_sound = null;
          WebPage.start_sound(path);
        }
      } catch (e) {
        // A browser without working audio: the program runs silently.
      }
      WebPage.in_event = before;
    },

    // A hidden page plays nothing and keeps no audio thread.
    on_visibility: function() {
      if (document.visibilityState !== 'hidden') return;
      WebPage.stop_sound();
      WebPage.waiting_sound = null;
      if (WebPage.audio && WebPage.audio.state === 'running') WebPage.audio.suspend().catch(function() {});
    },

    // The program ends at its next step (web_take_close) and main starts it again in the
    // page's language; a program waiting for a tap is woken for it.
    ask_close: function() {
      WebPage.close_asked = true;
      WebPage.stop_sound();
      WebPage.waiting_sound = null;
      if (WebPage.wake) {
        var wake = WebPage.wake;
        WebPage.wake = null;
        quarnel.waiting = false;
        wake();
      }
    },

    on_pointer_down: function(event) {
      if (event.pointerType === 'mouse' && event.button !== 0) return;
      event.preventDefault();
      var box = WebPage.canvas.getBoundingClientRect();
      if (box.width <= 0 || box.height <= 0) return;
      var x = Math.floor((event.clientX - box.left) * 240 / box.width);
      var y = Math.floor((event.clientY - box.top) * 320 / box.height);
      if (x < 0 || y < 0 || x >= 240 || y >= 320) return;
      WebPage.taps.push([x, y, event.timeStamp]);
      quarnel.taps_seen++;
      if (WebPage.wake) {
        var wake = WebPage.wake;
        WebPage.wake = null;
        quarnel.waiting = false;
        WebPage.in_event = event.type; // the program's step runs inside this handler
        wake();
        WebPage.in_event = '';
      }
    },
  },

  web_page_init__deps: ['$WebPage', '$WebFiles'],
  web_page_init: function() {
    if (WebPage.canvas) return; // a run after a change of language: the page is as it was
    quarnel_mark('window');
    Module['restart_program'] = WebPage.ask_close;
    WebPage.canvas = document.getElementById('display');
    // A canvas in the processor's memory (willReadFrequently), not on the GPU: each frame is
    // put whole from the program's pixels, which a GPU canvas may make wait for the GPU
    // (WebKit: 15 to 25 ms for some frames, and 65 to 185 ms for the first, against 0 to 2 ms).
    WebPage.context = WebPage.canvas.getContext('2d', {alpha: false, willReadFrequently: true});
    WebPage.canvas.addEventListener('pointerdown', WebPage.on_pointer_down);
    // No context menu, selection or double-tap zoom on a long press or a quick second tap.
    WebPage.canvas.addEventListener('contextmenu', function(e) { e.preventDefault(); });
    WebPage.canvas.addEventListener('touchstart', function(e) { e.preventDefault(); }, {passive: false});
    ['pointerup', 'touchend', 'click', 'keydown'].forEach(function(type) {
      window.addEventListener(type, WebPage.unlock_audio, {capture: true, passive: true});
    });
    document.addEventListener('visibilitychange', WebPage.on_visibility);
    quarnel.parse_wav = WebPage.parse_wav; // for the tests, which feed it damaged files
  },

  web_test_clock: function(ms_pointer) {
    var value = new URLSearchParams(location.search).get('clock');
    if (value === null || !/^[0-9]{1,10}$/.test(value) || Number(value) > 4294967295) return 0;
    HEAPU32[ms_pointer >> 2] = Number(value);
    return 1;
  },

  web_next_tap__deps: ['$WebPage'],
  web_next_tap: function(x_pointer, y_pointer) {
    var tap = WebPage.taps.shift();
    if (!tap) return 0;
    quarnel.taps_taken++;
    if (WebPage.pending_tap < 0) {
      WebPage.pending_tap = tap[2];
      WebPage.pending_slept = quarnel.slept_ms;
    }
    HEAP32[x_pointer >> 2] = tap[0];
    HEAP32[y_pointer >> 2] = tap[1];
    return 1;
  },

  web_wait_input__deps: ['$WebPage'],
  web_wait_input: function() {
    return Asyncify.handleSleep(function(wake_up) {
      if (WebPage.taps.length || WebPage.close_asked) {
        wake_up();
        return;
      }
      if (quarnel.switch_ms === null && quarnel.switch_started_ms !== null &&
          quarnel.runs > quarnel.runs_before_switch)
        quarnel.switch_ms = performance.now() - quarnel.switch_started_ms;
      if (quarnel.first_rest_ms === null) {
        quarnel.first_rest_ms = performance.now();
        quarnel_mark('title');
        setTimeout(WebPage.prepare_sounds, 0);
      }
      WebPage.wake = wake_up;
      quarnel.waiting = true;
      quarnel.rests++;
    });
  },

  web_put_frame__deps: ['$WebPage'],
  web_put_frame: function(rgba) {
    var pixels = new Uint8ClampedArray(HEAPU8.buffer, rgba, 240 * 320 * 4);
    WebPage.context.putImageData(new ImageData(pixels, 240, 320), 0, 0);
    var now = performance.now();
    quarnel.frames++;
    if (quarnel.first_frame_ms === null) {
      quarnel.first_frame_ms = now;
      quarnel_mark('first-frame');
    }
    if (WebPage.pending_tap >= 0) {
      // From the tap's event to its first frame, the program's own sleeps left out.
      quarnel.tap_ms.push(now - WebPage.pending_tap - (quarnel.slept_ms - WebPage.pending_slept));
      WebPage.pending_tap = -1;
    }
  },

  web_message_box__deps: ['$WebPage'],
  web_message_box: function(text, caption) {
    var message = UTF8ToString(text), title = UTF8ToString(caption);
    return Asyncify.handleSleep(function(wake_up) {
      var dialog = document.getElementById('message');
      document.getElementById('message-text').textContent = message;
      var heading = document.getElementById('message-caption');
      heading.textContent = title;
      heading.hidden = title === '';
      quarnel.messages.push(title + '|' + message);
      var closed = function() {
        dialog.removeEventListener('close', closed);
        quarnel.dialog_open = false;
        wake_up();
      };
      dialog.addEventListener('close', closed);
      quarnel.dialog_open = true;
      if (dialog.showModal) dialog.showModal(); else dialog.setAttribute('open', '');
      document.getElementById('message-ok').focus();
    });
  },

  web_play_sound__deps: ['$WebPage'],
  web_play_sound: function(path_pointer) {
    WebPage.stop_sound();
    WebPage.waiting_sound = null;
    if (!path_pointer) return 0;
    var path = UTF8ToString(path_pointer);
    // Before the first tap the page may not make sound (and decodes none, to start sooner);
    // until the first gesture ends the sound waits for it (unlock_audio).
    if (quarnel.taps_seen === 0) return 1;
    if (!WebPage.samples(path)) return 0;
    if (!WebPage.audio) {
      WebPage.waiting_sound = path;
      return 1;
    }
    try {
      WebPage.start_sound(path);
    } catch (e) {
      return 0;
    }
    return 1;
  },

  web_take_close__deps: ['$WebPage'],
  web_take_close: function() {
    var asked = WebPage.close_asked;
    WebPage.close_asked = false;
    return asked ? 1 : 0;
  },

  // The code of the language the page speaks (language.js), for the program's install folder.
  web_language: function(code, capacity) {
    if (quarnel.runs === 0) quarnel_mark('main');
    quarnel.runs++;
    stringToUTF8(typeof page_language === 'object' ? page_language.code : 'en', code, capacity);
  },

  web_note_sleep: function(ms) {
    quarnel.slept_ms += ms;
  },

  // The page's keep buttons and screen reader's region live in index.html (keep_screen_text).
  web_screen_text: function(summary, reading) {
    keep_screen_text(UTF8ToString(summary), UTF8ToString(reading));
  },

  // The journal panel lives in journal.js (journal_keep).
  web_journal_keep: function(markdown, info, provisional) {
    journal_keep(UTF8ToString(markdown), JSON.parse(UTF8ToString(info)), provisional !== 0);
  },

  web_program_ended__deps: ['$WebPage'],
  web_program_ended: function(code) {
    WebPage.stop_sound();
    WebPage.rest_audio();
    quarnel.ended = true;
    quarnel.exit_code = code;
    keep_screen_text(page_word('page.ended') + '.', '');
    document.body.classList.add('ended');
    document.getElementById('ended').hidden = false;
    document.getElementById('ended-again').focus();
  },
});
