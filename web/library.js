// Everything that crosses between the page and the module, in one place
// (linked with --js-library). The module's C++ calls the imports below; the
// page's listeners, set up here, call the module's exports. Nothing else of
// the module touches the page, and nothing else of the page calls the
// module.
//
// Imports (C++ -> page), declared in host/src/emscripten/page.h:
//   kw_show(w, h, own_screen)     the canvas takes a picture of w x h; an own
//                                 screen goes fullscreen at the first key or tap
//   kw_zoom(zoom, x, y)           the canvas's place and zoom on the stage,
//                                 in device pixels, as the display core lays it
//   kw_stage(w*, h*)              the stage's size in device pixels
//   kw_present(rgba, w, h, x, y, dw, dh)  async: the picture, drawn at the next
//                                 frame: its part of dw x dh at (x, y) alone
//   kw_sleep(ms)                  async: until input comes, or ms pass (-1: none)
//   kw_wake()                     input came: the sleep ends
//   kw_tell(text)                 a message for the player
//   kw_decode(data, n, w*, h*, rgba**)  async: the browser decodes a picture
//   kw_data_ready()               async: until the data folder is read from
//                                 the storage (Module.page.dataRead)
//   kw_take_turn(dir), kw_end_turn(dir)  async: a writer's turn of a folder
//   kw_end_with_main()            the runtime ends when main returns
//   kw_game_load(data*), kw_game_save(data, n), kw_game_set_aside(),
//   kw_game_drop()                the game in progress, kept for the next
//                                 visit (Module.page.game)
//
// Exports (page -> C++), in host/src/display/emscripten/input.cpp:
//   _kw_key(raw, down, repeat, mods)     a key, as its raw key code
//   _kw_pointer(kind, x, y, mods)        0 pressed, 1 moved, 2 let go, at (x,
//                                        y) of the stage in device pixels
//   _kw_pad(id, bits, x, y)              a pad: 1 up, 2 down, 4 left, 8 right,
//                                        16 Back; its left stick
//   _kw_resize(w, h)                     the stage's new size
//   _kw_keep()                           the page is hidden or going away:
//                                        the game in progress is kept
//   _kw_leave()                          the page is going away
//
// What the page gives (Module.page, from web/page/start.js):
//   canvas, stage                 the elements
//   early                         the default skin's bytes and its decoding,
//                                 begun while the module loaded
//   ownColours                    createImageBitmap's options for a file's own colours
//   keep(folder), takeBack(folder)  the data folder's small files kept at once
//                                 beside the storage, and taken back (web/page/storage.js)
//   dataRead                      a promise that the data folder is read
//   store(populate)               the storage read into the data folder, or
//                                 written from it: a promise, false when refused
//   game.load(), game.save(bytes), game.setAside(), game.drop()
//                                 the kept game in localStorage (storage.js)
//   shown(w, h), presented(), tell(text)  what the page does when they happen
'use strict';

mergeInto(LibraryManager.library, {
  $KW: {
    leaving: false,  // the page is going away: waits do not wait
    ended: false,    // the program has ended: nothing to keep
    leave: null,     // ends the waits under way when the page goes
    left: null,      // a promise that the page goes
    wake: null,      // ends the sleep under way
    turns: {},       // writers' turns held, by lock name
    ownScreen: false,
    image: null,     // the ImageData the picture is put through, and its block
    imageAt: 0,
    // The canvas's, asked for once; desynchronized, its pictures go to the
    // screen on their own rather than with the page's painting, which keeps
    // the page's thread waiting less at each (a third less without the GPU).
    context: null,
    padsAfterPicture: null, // listens for pads, once the first picture is drawn
    listen: function () {
      const page = Module.page, canvas = page.canvas, stage = page.stage;
      const keys = {ArrowUp: 0x4C, ArrowDown: 0x4D, ArrowRight: 0x4E, ArrowLeft: 0x4F, Escape: 0x45};
      const mods = e => (e.shiftKey ? 1 : 0) | (e.ctrlKey ? 8 : 0) | (e.altKey ? 16 : 0) | (e.metaKey ? 64 : 0);
      const fullscreen = () => {
        if (KW.ownScreen && !document.fullscreenElement && stage.requestFullscreen) {
          KW.ownScreen = false;
          stage.requestFullscreen().catch(() => {});
        }
      };
      const key = (e, down) => {
        const raw = keys[e.key];
        if (raw !== undefined) {
          e.preventDefault();
          _kw_key(raw, down, e.repeat ? 1 : 0, mods(e));
        }
        if (down) fullscreen();
      };
      addEventListener('keydown', e => key(e, 1));
      addEventListener('keyup', e => key(e, 0));
      // One finger or the mouse anywhere on the stage: held while down, so
      // that a release outside still counts; a second finger is the page's.
      const point = (e, kind) => {
        if (!e.isPrimary) return;
        const r = stage.getBoundingClientRect(), dpr = devicePixelRatio || 1;
        _kw_pointer(kind, Math.floor((e.clientX - r.left) * dpr), Math.floor((e.clientY - r.top) * dpr), mods(e));
      };
      stage.addEventListener('pointerdown', e => {
        canvas.focus();
        if (e.button !== 0 || !e.isPrimary) return;
        stage.setPointerCapture(e.pointerId);
        point(e, 0);
        fullscreen();
      });
      stage.addEventListener('pointermove', e => point(e, 1));
      stage.addEventListener('pointerup', e => { if (e.button === 0) point(e, 2); });
      stage.addEventListener('pointercancel', e => point(e, 2));
      stage.addEventListener('contextmenu', e => e.preventDefault());
      // The stage's size in device pixels changes with its own and with the
      // device pixel ratio (a window moved to another screen, the page zoomed),
      // which a query for the ratio of the moment tells.
      new ResizeObserver(KW.resize).observe(stage);
      const ratio = () => matchMedia(`(resolution: ${devicePixelRatio || 1}dppx)`)
        .addEventListener('change', () => (KW.resize(), ratio()), {once: true});
      ratio();
      // The pads: the standard mapping's d-pad (12 to 15: up, down, left,
      // right) and Back (8), read at each frame while one is connected. The
      // browser reports pads only to a page that listens for them, and polls
      // them as long as one does: listened for from the first picture (the
      // polling's start would hold it up) and for ten seconds after each key,
      // touch or return to the page, and for good once a pad has been used
      // here.
      let reading = false, listening = false, stopLater = 0;
      const readPads = () => {
        const pads = Array.from(navigator.getGamepads ? navigator.getGamepads() : []).filter(p => p);
        if (pads.length === 0) { reading = false; return; }
        for (const p of pads) {
          const bits = [12, 13, 14, 15, 8].reduce((sum, i, k) => sum | (p.buttons[i] && p.buttons[i].pressed ? 1 << k : 0), 0);
          _kw_pad(p.index, bits, p.axes[0] || 0, p.axes[1] || 0);
        }
        requestAnimationFrame(readPads);
      };
      const padUsed = () => { try { return localStorage.getItem('kwadron-pad') === '1'; } catch (e) { return false; } };
      const onPad = () => {
        try { localStorage.setItem('kwadron-pad', '1'); } catch (e) {}
        if (!reading) { reading = true; requestAnimationFrame(readPads); }
      };
      // A key only moves the end of the listening on (a timer set again at
      // each key would cost each its share): the timer, when it comes,
      // waits for the rest.
      let listenUntil = 0;
      const stopListening = () => {
        const rest = listenUntil - performance.now();
        if (rest > 0) return (stopLater = setTimeout(stopListening, rest));
        stopLater = 0;
        if (reading || padUsed()) return;
        removeEventListener('gamepadconnected', onPad);
        listening = false;
      };
      const listenForPads = () => {
        if (!listening) addEventListener('gamepadconnected', onPad);
        listening = true;
        listenUntil = performance.now() + 10000;
        if (!stopLater) stopLater = setTimeout(stopListening, 10000);
      };
      KW.padsAfterPicture = listenForPads;
      addEventListener('keydown', listenForPads);
      stage.addEventListener('pointerdown', listenForPads);
      addEventListener('focus', listenForPads);
      // A hidden page may be discarded without a word (a phone short of
      // memory does so): the game is kept whenever the page is hidden, and
      // again as it goes, into the back/forward cache or for good.
      const keep = () => KW.ended || _kw_keep();
      document.addEventListener('visibilitychange', () => {
        if (document.hidden) keep();
        else listenForPads();
      });
      addEventListener('pagehide', e => {
        keep();
        if (e.persisted) return;
        KW.leaving = true;
        if (KW.leave) KW.leave();
        _kw_leave();
      });
    },
    // What the program waits for, or the page going away, whichever comes
    // first: a page that goes ends every wait, so that the game ends and
    // keeps its best at once.
    until: function (promise) {
      if (!KW.left) KW.left = new Promise(resolve => (KW.leave = resolve));
      return KW.leaving ? Promise.resolve() : Promise.race([promise, KW.left]);
    },
    resize: function () {
      const r = Module.page.stage.getBoundingClientRect(), dpr = devicePixelRatio || 1;
      _kw_resize(Math.max(1, Math.floor(r.width * dpr)), Math.max(1, Math.floor(r.height * dpr)));
    },
  },

  kw_show__deps: ['$KW'],
  kw_show: function (w, h, ownScreen) {
    const canvas = Module.page.canvas;
    canvas.width = w;
    canvas.height = h;
    KW.image = null;
    KW.ownScreen = !!ownScreen;
    if (!KW.listening) {
      KW.listening = true;
      KW.listen();
    }
    KW.resize();
    Module.page.shown(w, h);
  },

  kw_zoom: function (zoom, x, y) {
    const canvas = Module.page.canvas, dpr = devicePixelRatio || 1, style = canvas.style;
    style.left = x / dpr + 'px';
    style.top = y / dpr + 'px';
    style.width = canvas.width * zoom / dpr + 'px';
    style.height = canvas.height * zoom / dpr + 'px';
  },

  kw_stage: function (w, h) {
    const r = Module.page.stage.getBoundingClientRect(), dpr = devicePixelRatio || 1;
    HEAP32[w >> 2] = Math.max(1, Math.floor(r.width * dpr));
    HEAP32[h >> 2] = Math.max(1, Math.floor(r.height * dpr));
  },

  // Drawn at the browser's next frame: that wait is the pacing, each
  // picture up for one frame of the display.
  kw_present__deps: ['$KW'],
  kw_present: function (rgba, w, h, x, y, dw, dh) {
    return Asyncify.handleAsync(async () => {
      await KW.until(new Promise(requestAnimationFrame));
      if (!KW.image || KW.imageAt !== rgba || KW.image.data.buffer !== HEAPU8.buffer)
        KW.image = new ImageData(new Uint8ClampedArray(HEAPU8.buffer, rgba, w * h * 4), w, h), KW.imageAt = rgba;
      (KW.context ||= Module.page.canvas.getContext('2d', {desynchronized: true})).putImageData(KW.image, 0, 0, x, y, dw, dh);
      if (KW.padsAfterPicture) setTimeout(KW.padsAfterPicture), KW.padsAfterPicture = null;
      Module.page.presented();
    });
  },

  kw_sleep__deps: ['$KW'],
  kw_sleep: function (ms) {
    return Asyncify.handleAsync(async () => {
      await KW.until(new Promise(resolve => {
        KW.wake = resolve;
        if (ms >= 0) setTimeout(resolve, ms);
      }));
      KW.wake = null;
    });
  },

  kw_wake__deps: ['$KW'],
  kw_wake: function () {
    if (KW.wake) KW.wake();
  },

  kw_tell: function (text) {
    Module.page.tell(UTF8ToString(text));
  },

  // The picture as RGBA bytes in a block of malloc's (the caller frees it),
  // or 0 when the browser cannot decode it. The page may have begun
  // decoding the skin it fetched while the module loaded.
  kw_decode: function (data, size, w, h, rgba) {
    return Asyncify.handleAsync(async () => {
      try {
        const bytes = HEAPU8.subarray(data, data + size), early = Module.page.early;
        const same = early && early.bytes.length === size && early.bytes.every((b, i) => b === bytes[i]);
        const bitmap = await (same ? early.picture : createImageBitmap(new Blob([bytes.slice()]), Module.page.ownColours));
        const canvas = new OffscreenCanvas(bitmap.width, bitmap.height);
        const context = canvas.getContext('2d', {willReadFrequently: true});
        context.drawImage(bitmap, 0, 0);
        const pixels = context.getImageData(0, 0, bitmap.width, bitmap.height).data;
        bitmap.close();
        const block = _malloc(pixels.length);
        if (!block) return 0;
        HEAPU8.set(pixels, block);
        HEAP32[w >> 2] = canvas.width;
        HEAP32[h >> 2] = canvas.height;
        HEAPU32[rgba >> 2] = block;
        return 1;
      } catch (e) {
        return 0;
      }
    });
  },

  kw_data_ready: function () {
    return Asyncify.handleAsync(() => KW.until(Module.page.dataRead));
  },

  // Writers take turns between the tabs of a browser: the browser's lock
  // named after the folder, held from the turn's start to its end. On taking
  // it the folder is read again from the storage, so that what another tab
  // wrote is seen; on giving it back it is written to the storage. A page
  // going away has no time to wait for either, and keeps the folder's small
  // files beside the storage instead.
  kw_take_turn__deps: ['$KW'],
  kw_take_turn: function (dir) {
    return Asyncify.handleAsync(async () => {
      const folder = UTF8ToString(dir), name = 'kwadron:' + folder;
      if (navigator.locks)
        await KW.until(new Promise(taken => navigator.locks.request(name, () => new Promise(giveBack => {
          if (KW.turns[name] === null) return giveBack(); // given back before it came
          KW.turns[name] = giveBack;
          taken();
        }))));
      await KW.until(Module.page.store(true));
      Module.page.takeBack(folder);
    });
  },

  kw_end_turn__deps: ['$KW'],
  kw_end_turn: function (dir) {
    return Asyncify.handleAsync(async () => {
      const folder = UTF8ToString(dir), name = 'kwadron:' + folder;
      Module.page.keep(folder);
      await KW.until(Module.page.store(false));
      const giveBack = KW.turns[name];
      KW.turns[name] = giveBack ? undefined : null;
      if (giveBack) giveBack();
    });
  },

  // With ASYNCIFY, a main that has slept once returns to no caller, and the
  // runtime would never end: no atexit handler would run and the page would
  // not hear of the end (Module.onExit). Its return value ends it here.
  kw_end_with_main__deps: ['$KW'],
  kw_end_with_main: function () {
    Asyncify.whenDone().then(code => {
      KW.ended = true;
      try {
        exit(code);
      } catch (e) {
        if (!(e instanceof ExitStatus)) throw e;
      }
    });
  },

  // The kept game's bytes in a block of malloc's (the caller frees it), and
  // their count; -1 when none is kept.
  kw_game_load: function (data) {
    const bytes = Module.page.game.load();
    if (!bytes) return -1;
    const block = _malloc(Math.max(1, bytes.length));
    if (!block) return -1;
    HEAPU8.set(bytes, block);
    HEAPU32[data >> 2] = block;
    return bytes.length;
  },

  kw_game_save: function (data, size) {
    return Module.page.game.save(HEAPU8.subarray(data, data + size)) ? 1 : 0;
  },

  kw_game_set_aside: function () {
    Module.page.game.setAside();
  },

  kw_game_drop: function () {
    Module.page.game.drop();
  },
});
