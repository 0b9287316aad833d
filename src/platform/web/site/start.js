// start.js -- the page's start: the program's downloads, the canvas's place in the viewport,
// the program's script, and the page's own message when it cannot start.
//
// The program (quarnel.wasm) and the packed install folder of the page's language
// (quarnel.data.gz, or quarnel-CODE.data.gz, see make_site.cmake and language.js) are asked
// for at once, so that they arrive while the page is painted; once it is, the program is
// compiled, the folder inflated, and quarnel.js fetched, which runs the program once the
// folder is unpacked (web_library.js, WebFiles).

quarnel_mark('scripts');

// [SECTION] Downloads

// Whether a service worker answers the page's requests now.
function worker_in_charge() {
  return !!(navigator.serviceWorker && navigator.serviceWorker.controller);
}

// The requests made as the page starts, by file name: {response: a promise of it, controlled:
// whether a service worker was in charge when it was asked for, and so keeps what it
// fetches}. Each is taken once; a file asked for again later (another language, a second
// try) is fetched afresh.
var early_responses = {};
function ask_early(name) {
  early_responses[name] = {response: fetch(name), controlled: worker_in_charge()};
  early_responses[name].response.catch(function() {}); // a failure is reported where it is taken
}
function take_response(name) {
  var early = early_responses[name];
  delete early_responses[name];
  return early || {response: fetch(name), controlled: worker_in_charge()};
}

function compile_program() {
  if (typeof WebAssembly !== 'object') return Promise.reject(new Error('this browser cannot run WebAssembly'));
  var by_bytes = function() {
    return take_response('quarnel.wasm').response.then(function(response) { return response.arrayBuffer(); })
      .then(function(bytes) { return WebAssembly.compile(bytes); });
  };
  var compiled = function(module) {
    quarnel_mark('compiled');
    return module;
  };
  if (!WebAssembly.compileStreaming) return by_bytes().then(compiled);
  return WebAssembly.compileStreaming(take_response('quarnel.wasm').response).catch(by_bytes).then(compiled);
}

// A response that failed is the page's own failure.
function fetched(name, response) {
  return response.then(function(response) {
    if (!response.ok) throw new Error(name + ': ' + response.status + ' ' + response.statusText);
    return response;
  });
}

// A language's packed folder, fetched when no service worker was in charge (the first visit),
// goes into the worker's cache from here, so that the language is kept offline; a worker in
// charge keeps what it fetches.
function keep_pack(name, response, controlled) {
  if (!('caches' in window) || !navigator.serviceWorker) return;
  if (controlled) {
    quarnel.pack_kept = true;
    return;
  }
  caches.open('quarnel-' + quarnel.version).then(function(cache) { return cache.put(name, response); })
    .then(function() { quarnel.pack_kept = true; }, function() {});
}

// A language's packed folder's bytes; null when they arrived damaged (the gzip stream does
// not decompress), so that the program starts without its files and says so as the desktop
// does. A download that fails is the page's own failure (the promise rejects). A server may
// send the file gzip-encoded, and the browser has decompressed it then.
function packed_folder(code) {
  if (typeof DecompressionStream !== 'function') {
    var plain = pack_name(code, false);
    return fetched(plain, take_response(plain).response).then(function(response) { return response.arrayBuffer(); });
  }
  var name = pack_name(code, true), asked = take_response(name);
  return fetched(name, asked.response).then(function(response) {
    keep_pack(name, response.clone(), asked.controlled);
    var encoded = /gzip/i.test(response.headers.get('Content-Encoding') || '');
    return response.arrayBuffer().then(function(bytes) {
      quarnel_mark('folder-fetched');
      if (encoded) return bytes;
      return inflate(bytes).catch(function(error) {
        console.warn(pack_name(code, true) + ' is damaged: ' + error);
        return null;
      });
    });
  });
}

// The bytes of a gzip stream, read chunk by chunk (a Response would report a damaged stream
// on the console as an error of its own).
function inflate(bytes) {
  var reader = new Blob([bytes]).stream().pipeThrough(new DecompressionStream('gzip')).getReader();
  var chunks = [], size = 0;
  var next = function() {
    return reader.read().then(function(part) {
      if (!part.done) {
        chunks.push(part.value);
        size += part.value.length;
        return next();
      }
      var whole = new Uint8Array(size), at = 0;
      chunks.forEach(function(chunk) { whole.set(chunk, at); at += chunk.length; });
      quarnel_mark('folder-inflated');
      return whole.buffer;
    });
  };
  return next();
}

// Everything starts once every part of the page has run (the program calls into keep.js)
// and the page has been painted, so that neither the downloads nor the program's start hold
// back the page's first paint; in a page that paints nothing (a background tab) a moment
// later all the same.
var page_painted = new Promise(function(resolve) {
  document.addEventListener('DOMContentLoaded', function() {
    requestAnimationFrame(function() { setTimeout(resolve, 0); });
    setTimeout(resolve, 250);
  });
}).then(function() { quarnel_mark('painted'); });
if (typeof WebAssembly === 'object') {
  ask_early('quarnel.wasm');
  ask_early(pack_name(page_language.code, typeof DecompressionStream === 'function'));
  // quarnel.js too, which runs only once the page is painted (below).
  var preload = document.createElement('link');
  preload.rel = 'preload';
  preload.as = 'script';
  preload.href = 'quarnel.js';
  document.head.appendChild(preload);
}
var downloads = {
  wasm: compile_program(), // compiled off the main thread as it arrives
  data: page_painted.then(function() {
    var code = page_language.code;
    return packed_folder(code).then(function(bytes) {
      page_language.unpacked[code] = bytes !== null; // WebFiles unpacks it before main runs
      return bytes;
    });
  })
};

// [SECTION] The canvas

// The largest whole scale, in device pixels, that fits inside the safe area; below one,
// the display shrinks smoothly, keeping its 3:4 shape. Placed on whole device pixels.
// Where the room of the notice bar (offline.js) costs the display nothing, it is kept free,
// so that a notice never moves the display.
function fit_display() {
  var fit = document.getElementById('fit'), canvas = document.getElementById('display');
  var ratio = window.devicePixelRatio || 1;
  var room = function() {
    var width = fit.clientWidth, height = fit.clientHeight;
    return {width: width, height: height, factor: Math.min(width / 240, height / 320),
            scale: Math.floor(Math.min(width * ratio / 240, height * ratio / 320))};
  };
  document.body.classList.add('reserve');
  var kept = room();
  if (quarnel.notice === '') {
    document.body.classList.remove('reserve');
    var all = room();
    if (all.scale === kept.scale && (kept.scale >= 1 || all.factor === kept.factor)) {
      document.body.classList.add('reserve');
    } else {
      kept = all;
    }
  }
  var width = kept.width, height = kept.height, scale = kept.scale;
  var css_width, css_height;
  if (scale >= 1) {
    css_width = 240 * scale / ratio;
    css_height = 320 * scale / ratio;
    canvas.classList.add('whole');
  } else {
    css_width = 240 * kept.factor;
    css_height = 320 * kept.factor;
    canvas.classList.remove('whole');
  }
  canvas.style.width = css_width + 'px';
  canvas.style.height = css_height + 'px';
  canvas.style.left = Math.round((width - css_width) / 2 * ratio) / ratio + 'px';
  canvas.style.top = Math.round((height - css_height) / 2 * ratio) / ratio + 'px';
  canvas.classList.add('placed');
}
fit_display();
window.addEventListener('resize', fit_display);
window.addEventListener('orientationchange', fit_display);

// [SECTION] The page's own failure

// A page that cannot start says so instead of staying blank.
function show_failure(what) {
  if (quarnel.failure !== null) return;
  quarnel.failure = String(what);
  var title = document.getElementById('ended-title'), text = document.getElementById('ended-text');
  title.dataset.word = 'page.failed';
  title.textContent = page_word('page.failed');
  delete text.dataset.word; // the reason is the failure's own
  text.textContent = page_word('page.failed_text', {why: quarnel.failure});
  document.body.classList.add('ended');
  document.getElementById('ended').hidden = false;
}
document.getElementById('ended-again').addEventListener('click', function() {
  location.reload();
});
window.addEventListener('error', function(event) { show_failure(event.message); });

// [SECTION] The program

var Module = {
  canvas: document.getElementById('display'),
  print: function(text) { console.log(text); },
  printErr: function(text) { console.warn(text); },
  onAbort: function(what) { show_failure(what); },
  instantiateWasm: function(imports, receive) {
    quarnel_mark('program-script');
    downloads.wasm.then(function(module) {
      return WebAssembly.instantiate(module, imports).then(function(instance) {
        quarnel_mark('instantiated');
        receive(instance, module);
      });
    }).catch(show_failure);
    return {};
  },
  // The packed folder's bytes, or null when damaged; WebFiles unpacks it before main runs.
  packed_folder: downloads.data
};
downloads.wasm.catch(function() {});
downloads.data.catch(show_failure);

page_painted.then(function() {
  var script = document.createElement('script');
  script.src = 'quarnel.js';
  script.onerror = function() { show_failure('quarnel.js could not be loaded'); };
  document.body.appendChild(script);
});
