// The page around the game: the start gesture, the canvas, keys, gamepads and touch
// controls, full screen and the end.
// The program calls window.kestalPage (see platform/web/web_display.cpp); embedding pages and
// tests follow document.body.dataset.state: loading, ready, running, ended.
'use strict';

(function () {
  const WIDTH = 640;
  const HEIGHT = 400;
  // Modifier bits as kestal_web_key_down reads them.
  const SHIFT = 1, CTRL = 2, ALT = 4, ALT_GRAPH = 8, NUM_LOCK = 16;
  // Its answer.
  const SUPPRESS_DEFAULT = 1, TOGGLE_FULL_SCREEN = 2;

  const body = document.body;
  let options = null;
  let canvas = null;
  let context = null;
  let image = null;  // ImageData over the program's RGBA picture, rebuilt if memory moves
  let screenOpened = false;
  let audio = null;
  // The key-down's code and key as C text, in memory of the program's.
  const KEY_TEXT_BYTES = 64;
  let keyText = null;
  // Gamepads and the touch controls go to kestal_web_controls in the Gamepad API's standard
  // layout (bit i of the mask is button i): the first four gamepads by their index, then
  // the touch controls, which pose as one more gamepad.
  const GAMEPADS = 4;
  const TOUCH_SOURCE = 4;
  const STANDARD_BUTTONS = 17;
  // Per gamepad, the buttons that started the program: not for the game until let go.
  const heldAtStart = new Array(GAMEPADS).fill(0);
  const touch = {
    buttons: new Map(),  // pointer id -> the bit of the button it holds down
    latched: 0,          // bits pressed since the last poll, so that a quick tap counts
    stickPointer: null,
    x: 0,
    y: 0,
    stickPolled: true,  // the stick's position reached the game at least once
    releaseStickAfterPoll: false,
  };
  // Milliseconds since navigation: program loaded, started, first picture shown.
  const timing = {ready: null, started: null, firstFrame: null};

  const element = id => document.getElementById(id);
  const setState = state => { body.dataset.state = state; };
  const say = text => { element('message').textContent = text; };

  function toggleFullScreen() {
    if (document.fullscreenElement) {
      document.exitFullscreen().catch(() => {});
    } else if (document.documentElement.requestFullscreen) {
      document.documentElement.requestFullscreen({navigationUI: 'hide'}).catch(() => {});
    }
  }

  function modifiers(event) {
    const state = name => (event.getModifierState ? event.getModifierState(name) : false);
    return (event.shiftKey ? SHIFT : 0) | (event.ctrlKey ? CTRL : 0) | (event.altKey ? ALT : 0) |
           (state('AltGraph') ? ALT_GRAPH : 0) | (state('NumLock') ? NUM_LOCK : 0);
  }

  function onKeyDown(event) {
    showTouchControls(false);
    if (body.dataset.state === 'ready') {
      // The gesture that starts the program is not a key for the game.
      event.preventDefault();
      start();
      return;
    }
    if (body.dataset.state !== 'running') return;
    // A direct call, not ccall: while the program waits for a frame, ccall would take the
    // key-down for the suspended main() and hand it main()'s promise.
    keyText = keyText || {code: Module._malloc(KEY_TEXT_BYTES), key: Module._malloc(KEY_TEXT_BYTES)};
    Module.stringToUTF8(event.code || '', keyText.code, KEY_TEXT_BYTES);
    Module.stringToUTF8(event.key || '', keyText.key, KEY_TEXT_BYTES);
    const answer = Module._kestal_web_key_down(keyText.code, keyText.key, modifiers(event),
                                               event.repeat ? 1 : 0);
    if (answer & SUPPRESS_DEFAULT) event.preventDefault();
    if (answer & TOGGLE_FULL_SCREEN) toggleFullScreen();
  }

  const NO_GAMEPADS = [];
  function gamepads() {
    return (navigator.getGamepads && navigator.getGamepads()) || NO_GAMEPADS;
  }

  function pressedButtons(pad) {
    let mask = 0;
    const count = Math.min(pad.buttons.length, STANDARD_BUTTONS);
    for (let i = 0; i < count; ++i) {
      if (pad.buttons[i] && pad.buttons[i].pressed) mask |= 1 << i;
    }
    return mask;
  }

  function touchButtons() {
    let mask = touch.latched;
    for (const bit of touch.buttons.values()) mask |= bit;
    return mask;
  }

  // Once per animation frame while the program runs: every source, also those with nothing
  // pressed, so that a gamepad pulled out lets go of what it held.
  function pollControls(time) {
    if (body.dataset.state !== 'running') return;
    const pads = gamepads();
    for (let index = 0; index < GAMEPADS; ++index) {
      const pad = pads[index];
      const usable = pad && pad.connected !== false;
      const pressed = usable ? pressedButtons(pad) : 0;
      heldAtStart[index] &= pressed;
      const x = usable ? pad.axes[0] || 0 : 0;
      const y = usable ? pad.axes[1] || 0 : 0;
      Module._kestal_web_controls(index, pressed & ~heldAtStart[index], x, y, time);
    }
    Module._kestal_web_controls(TOUCH_SOURCE, touchButtons(), touch.x, touch.y, time);
    touch.latched = 0;
    touch.stickPolled = true;
    if (touch.releaseStickAfterPoll) releaseStick();
  }

  // Before the program runs, any gamepad button starts it, like a key or a click.
  function watchGamepadsForStart() {
    if (body.dataset.state !== 'ready') return;
    const pads = gamepads();
    let pressed = false;
    for (let index = 0; index < GAMEPADS; ++index) {
      heldAtStart[index] = pads[index] ? pressedButtons(pads[index]) : 0;
      pressed = pressed || heldAtStart[index] !== 0;
    }
    if (pressed) {
      start();
      return;
    }
    window.requestAnimationFrame(watchGamepadsForStart);
  }

  // Shown on touch devices until a key is pressed, and again at the next touch.
  function showTouchControls(shown) {
    body.dataset.touch = shown ? 'on' : 'off';
  }

  function onTouchButtonDown(event) {
    event.preventDefault();
    const bit = 1 << Number(event.currentTarget.dataset.button);
    touch.buttons.set(event.pointerId, bit);
    touch.latched |= bit;
    event.currentTarget.classList.add('held');
  }

  function onTouchButtonUp(event) {
    touch.buttons.delete(event.pointerId);
    const bit = 1 << Number(event.currentTarget.dataset.button);
    if (![...touch.buttons.values()].includes(bit)) event.currentTarget.classList.remove('held');
  }

  // The stick: where the thumb is from the centre, as a fraction of the radius.
  function moveStick(event) {
    if (event.pointerId !== touch.stickPointer) return;
    const box = element('touch-stick').getBoundingClientRect();
    const radius = box.width / 2;
    let x = (event.clientX - box.left - radius) / radius;
    let y = (event.clientY - box.top - box.height / 2) / radius;
    const length = Math.hypot(x, y);
    if (length > 1) {
      x /= length;
      y /= length;
    }
    touch.x = x;
    touch.y = y;
    element('touch-knob').style.transform = `translate(${x * 50}%, ${y * 50}%)`;
  }

  function onStickDown(event) {
    event.preventDefault();
    event.currentTarget.setPointerCapture(event.pointerId);
    touch.stickPointer = event.pointerId;
    touch.stickPolled = false;
    touch.releaseStickAfterPoll = false;
    moveStick(event);
  }

  function releaseStick() {
    touch.x = touch.y = 0;
    touch.releaseStickAfterPoll = false;
    element('touch-knob').style.transform = '';
  }

  function onStickUp(event) {
    if (event.pointerId !== touch.stickPointer) return;
    touch.stickPointer = null;
    // A flick between two frames still reaches the game.
    if (touch.stickPolled) {
      releaseStick();
    } else {
      touch.releaseStickAfterPoll = true;
    }
  }

  function setUpTouchControls() {
    showTouchControls(navigator.maxTouchPoints > 0);
    window.addEventListener('pointerdown', event => {
      if (event.pointerType === 'touch') showTouchControls(true);
    }, true);
    const stick = element('touch-stick');
    stick.addEventListener('pointerdown', onStickDown);
    stick.addEventListener('pointermove', moveStick);
    stick.addEventListener('pointerup', onStickUp);
    stick.addEventListener('pointercancel', onStickUp);
    for (const button of document.querySelectorAll('.touch-button')) {
      button.addEventListener('pointerdown', onTouchButtonDown);
      button.addEventListener('pointerup', onTouchButtonUp);
      button.addEventListener('pointercancel', onTouchButtonUp);
    }
    // No menus, selections or zooming from a held or doubled tap on the controls.
    element('touch').addEventListener('contextmenu', event => event.preventDefault());
  }

  function onPointerDown(event) {
    if (body.dataset.state !== 'ready' || event.target.closest('a, button')) return;
    event.preventDefault();
    start();
  }

  // Sound files are served beside the page and put where the program looks for them
  // (sound/*.wav relative to its working directory). A missing one is left out: the
  // program warns about it and that effect stays silent, as on the desktop.
  function loadSounds() {
    const names = options.sounds || [];
    if (names.length === 0) return;
    Module.addRunDependency('sounds');
    Module.FS.mkdir('/sound');
    const load = name => fetch('sound/' + name)
        .then(response => (response.ok ? response.arrayBuffer() : null))
        .catch(() => null)
        .then(data => {
          if (data) Module.FS.writeFile('/sound/' + name, new Uint8Array(data));
        });
    Promise.all(names.map(load)).then(() => Module.removeRunDependency('sounds'));
  }

  function ready() {
    timing.ready = performance.now();
    setState('ready');
    say('Press a key, click, tap or press a gamepad button to start');
    watchGamepadsForStart();
  }

  // Runs main() with argv[0] = the program's name; resolves with its exit status.
  function runMain() {
    const nameBytes = Module.lengthBytesUTF8(options.program) + 1;
    const name = Module._malloc(nameBytes);
    Module.stringToUTF8(options.program, name, nameBytes);
    const argv = Module._malloc(8);
    Module.setValue(argv, name, 'i32');
    Module.setValue(argv + 4, 0, 'i32');
    return Promise.resolve(
        Module.ccall('main', 'number', ['number', 'number'], [1, argv], {async: true}));
  }

  function start() {
    timing.started = performance.now();
    setState('running');
    runMain().then(ended, failure => stopped(String(failure)));
  }

  function ended(code) {
    if (body.dataset.state === 'ended') return;
    body.dataset.exitCode = String(code);
    setState('ended');
    if (code !== 0 && !screenOpened && options.sounds && options.sounds.length > 0) {
      say('The sound could not be started in this browser.');
      element('advice').hidden = false;
    } else if (code !== 0) {
      say('The game could not go on (status ' + code + ').');
    } else {
      say('The game has ended.');
    }
    element('again').hidden = false;
  }

  function stopped(why) {
    console.warn('kestal: ' + why);
    ended(1);
  }

  window.kestalPage = {
    timing,

    // Called by the page before the program's script loads.
    boot(settings) {
      options = settings;
      document.title = options.program;
      canvas = element('screen');
      setState('loading');
      say('Loading…');
      window.Module = {
        noInitialRun: true,
        print: text => console.log(text),
        printErr: text => console.warn(text),
        preRun: [loadSounds],
        onRuntimeInitialized: ready,
        onAbort: what => stopped('the program stopped: ' + what),
      };
      element('full-screen').addEventListener('click', event => {
        event.currentTarget.blur();
        toggleFullScreen();
      });
      element('again').addEventListener('click', () => window.location.reload());
      window.addEventListener('keydown', onKeyDown, true);
      element('stage').addEventListener('pointerdown', onPointerDown);
      setUpTouchControls();
    },

    // The program opens its screen: whether a picture can be shown.
    open() {
      context = canvas.getContext('2d', {alpha: false});
      if (!context) return false;
      screenOpened = true;
      body.dataset.screen = 'open';
      return true;
    },

    // Rows first..last of the program's RGBA picture at `address` changed.
    present(heap, address, first, last) {
      if (!image || image.data.buffer !== heap.buffer || image.address !== address) {
        image = new ImageData(new Uint8ClampedArray(heap.buffer, address, WIDTH * HEIGHT * 4),
                              WIDTH, HEIGHT);
        image.address = address;
      }
      context.putImageData(image, 0, 0, 0, first, WIDTH, last - first + 1);
      if (timing.firstFrame === null) timing.firstFrame = performance.now();
    },

    // The browser's next animation frame stands for the display's vertical blank; the
    // gamepads and touch controls are read there, once per frame.
    nextFrame() {
      return new Promise(resolve => window.requestAnimationFrame(time => {
        pollControls(time);
        resolve();
      }));
    },

    hidePointer(hidden) {
      canvas.classList.toggle('pointer-shown', !hidden);
    },

    beep() {
      try {
        audio = audio || new AudioContext();
        const tone = audio.createOscillator();
        const level = audio.createGain();
        tone.frequency.value = 1000;
        level.gain.value = 0.2;
        tone.connect(level).connect(audio.destination);
        tone.start();
        tone.stop(audio.currentTime + 0.25);
      } catch (e) {
        // No audio on this page: the beep is simply not heard.
      }
    },

    close() {
      if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
      body.dataset.screen = 'closed';
    },
  };
})();
