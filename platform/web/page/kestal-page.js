// The page around the game: loads the program, starts it on the visitor's gesture, shows its
// picture and says how it ended. The program calls window.kestalPage (see
// platform/web/web_display.cpp). Embedding pages and tests follow document.body.dataset.state
// (loading, ready, running, ended; dataset.exitCode once ended) and dataset.mode (play, or
// watch while a replay plays); kestalPage.replayText() and kestalPage.traceText() give the
// recording and, with ?trace in the address, the trace of the run so far.
import {beep, silenceWhileHidden} from './page-audio.js';
import {pollControls, setUpTouchControls, watchGamepadsForStart} from './page-controls.js';
import {askBeforeLeaving, setUpKeys} from './page-keys.js';
import {offerHall} from './page-hall.js';
import {layOut} from './page-layout.js';
import {keepForOffline} from './page-offline.js';
import {loadProgram, runMain} from './page-program.js';
import * as replays from './page-replay.js';
import {offerVideo, setUpVideo, videoMade} from './page-video.js';

const WIDTH = 640;
const HEIGHT = 400;

const body = document.body;
const element = id => document.getElementById(id);
const canvas = element('screen');
const program = body.dataset.program;
const sounds = (body.dataset.sounds || '').split(' ').filter(name => name !== '');
const edition = body.dataset.edition;
// ?trace: the program keeps a trace line per retrace, for tests and embedders.
const tracing = new URLSearchParams(location.search).has('trace');
// While a replay plays: whether the visitor paused it, and retraces per animation frame.
const watching = {paused: false, speed: 1};

// The recording being watched, which "Save video" films.
let watchedScript = null;
let context = null;
let image = null;  // ImageData over the program's RGBA picture, rebuilt if memory moves
let screenOpened = false;
let touchShown = false;
// The last line the program wrote on its error output: what to tell when it stops.
let lastComplaint = '';
// Milliseconds since navigation: program loaded, started, first picture shown.
const timing = {ready: null, started: null, firstFrame: null};

const state = () => body.dataset.state;
const mode = () => body.dataset.mode;
const setState = value => { body.dataset.state = value; };
const say = text => { element('message').textContent = text; };

function fullScreenOffered() {
  return Boolean(document.fullscreenEnabled || document.webkitFullscreenEnabled);
}

function toggleFullScreen() {
  if (document.fullscreenElement || document.webkitFullscreenElement) {
    (document.exitFullscreen || document.webkitExitFullscreen).call(document);
    return;
  }
  const page = document.documentElement;
  const request = page.requestFullscreen || page.webkitRequestFullscreen;
  if (request) Promise.resolve(request.call(page, {navigationUI: 'hide'})).catch(() => {});
}

function showTouchControls(shown) {
  if (shown === touchShown && body.dataset.touch) return;
  touchShown = shown;
  body.dataset.touch = shown ? 'on' : 'off';
  layOut(touchShown);
}

// Sound files are served beside the page and put where the program looks for them
// (sound/*.wav relative to its working directory). A missing one is left out: the program
// warns about it and that effect stays silent, as on the desktop.
function loadSounds() {
  if (sounds.length === 0) return;
  const Module = window.Module;
  Module.addRunDependency('sounds');
  Module.FS.mkdir('/sound');
  const load = name => fetch('sound/' + name)
      .then(response => (response.ok ? response.arrayBuffer() : null))
      .catch(() => null)
      .then(data => {
        if (data) Module.FS.writeFile('/sound/' + name, new Uint8Array(data));
      });
  Promise.all(sounds.map(load)).then(() => Module.removeRunDependency('sounds'));
}

function ready() {
  if (state() !== 'loading') return;
  timing.ready = performance.now();
  if (tracing) window.Module._kestal_web_keep_trace();
  replays.scriptFromAddress().then(script => {
    setState('ready');
    if (script === null) {
      offerToPlay();
    } else {
      prepareWatching(script);
    }
  }, error => {
    setState('ready');
    offerToPlay(error.message);
  });
}

function offerToPlay(problem = '') {
  say((problem ? problem + ' ' : '') +
      'Press Enter or Space, click, tap or press a gamepad button to start');
  element('watch-replay').hidden = false;
  element('hall-link').hidden = false;
  watchGamepadsForStart(() => state() === 'ready' && mode() === 'play', start);
}

// Hands the program a replay to watch; a script it cannot read is said on the card, and the
// visitor may still play.
function prepareWatching(script) {
  const header = replays.replayHeader(script);
  const refused = replays.editionProblem(header);
  if (refused) {
    offerToPlay(refused);
    return;
  }
  if (header.edition && header.edition !== edition) {
    const other = header.edition === 'silent' ? 'silent.html' : 'index.html';
    replays.shareLink(script, other).then(link => location.replace(link));
    return;
  }
  const Module = window.Module;
  const bytes = Module.lengthBytesUTF8(script) + 1;
  const text = Module._malloc(bytes);
  Module.stringToUTF8(script, text, bytes);
  const problem = Module.UTF8ToString(Module._kestal_web_watch(text, header.frames));
  Module._free(text);
  if (problem) {
    offerToPlay(replays.scriptProblem(problem));
    return;
  }
  body.dataset.mode = 'watch';
  watchedScript = script;
  offerVideo(true);
  element('watch-replay').hidden = true;
  element('play-instead').hidden = false;
  say('A replay: press Enter or Space, click or tap to watch it. While it plays, Space ' +
      'pauses, 1, 2, 4 and 8 set the speed and Escape leaves.');
}

function start() {
  if (state() !== 'ready') return;
  timing.started = performance.now();
  body.dataset.delay = 'asked';
  setState('running');
  runMain(program).then(ended, failure => stopped(String(failure)));
}

function endedSentence(code) {
  if (mode() === 'watch') return code === 0 ? 'The replay has ended.' : `The replay stopped (${lastComplaint || 'status ' + code}).`;
  if (code === 0) return 'The game has ended.';
  if (!screenOpened && sounds.length > 0) return 'The sound could not be started in this browser.';
  const why = lastComplaint || 'it stopped unexpectedly';
  return `The game could not go on (${why}, status ${code}): reload the page to play again.`;
}

function ended(code) {
  if (state() === 'ended') return;
  body.dataset.exitCode = String(code);
  setState('ended');
  say(endedSentence(code));
  element('advice').hidden = !(code !== 0 && !screenOpened && sounds.length > 0);
  if (mode() === 'watch') {
    // Watching may end before the game does: what still sounds stops with it.
    pauseProgramAudio(true);
    element('play-instead').hidden = false;
    element('play-instead').textContent = 'Play the game';
    return;
  }
  element('again').hidden = false;
  element('save-replay').hidden = !screenOpened;
  element('share-replay').hidden = !screenOpened || typeof CompressionStream === 'undefined';
  offerVideo(screenOpened);
  if (screenOpened) offerHall(element, replayText);
}

// The program cannot run at all: the sentence says which file or feature and what to do.
function failed(sentence) {
  if (state() === 'ended') return;
  body.dataset.exitCode = '1';
  setState('ended');
  say(sentence);
  element('again').hidden = false;
}

function stopped(why) {
  console.warn('kestal: ' + why);
  lastComplaint = lastComplaint || 'the program stopped';
  ended(1);
}

// The program's own audio (the sound edition's): paused while the page is hidden.
function pauseProgramAudio(paused) {
  const pause = window.Module && window.Module._kestal_web_pause_audio;
  if (pause && state() !== 'loading') pause(paused ? 1 : 0);
}

const replayText = () => replays.replayText(edition, body.dataset.version);

// What "Save video" films: the replay being watched, or the game just played, up to the
// retrace where its recording ends (for a script that does not say, its last key's).
function videoRecording() {
  if (watchedScript !== null) {
    const frames = replays.replayHeader(watchedScript).frames;
    const lastKey = /(?:^|\n)[ \t]*(\d+)[ \t]+\S[^\n]*\s*$/.exec(watchedScript);
    return {script: watchedScript, edition, lastRetrace: frames,
            expectedFrames: frames >= 0 ? frames : Number(lastKey ? lastKey[1] : 1)};
  }
  const frames = window.Module._kestal_web_retraces();
  return {script: replayText(), edition, lastRetrace: frames, expectedFrames: frames};
}

function shareReplay() {
  const shown = element('share-link');
  replays.shareLink(replayText()).then(link => {
    shown.hidden = false;
    shown.value = link;
    shown.select();
    return navigator.clipboard.writeText(link).then(() => say('The link to this replay is copied.'));
  }).catch(() => say('Copy the link to this replay from the box below.'));
}

function setUpReplays() {
  element('save-replay').addEventListener('click', () => replays.saveReplay(replayText()));
  element('share-replay').addEventListener('click', shareReplay);
  const file = element('replay-file');
  element('watch-replay').addEventListener('click', () => file.click());
  file.addEventListener('change', () => {
    const chosen = file.files[0];
    file.value = '';  // the same file chosen again, after a refusal, is read again
    if (!chosen || state() !== 'ready') return;
    replays.scriptFromFile(chosen).then(prepareWatching, error => offerToPlay(error.message));
  });
  element('play-instead').addEventListener('click', () => {
    location.replace(location.pathname);
  });
  // A replay link pasted into this tab's address changes only the fragment.
  window.addEventListener('hashchange', () => {
    if (location.hash.startsWith('#replay=')) location.reload();
  });
}

function setUpCard() {
  const fullScreen = element('full-screen');
  fullScreen.hidden = !fullScreenOffered();
  fullScreen.addEventListener('click', () => {
    // Space or Enter must reach the game afterwards, not press this button again.
    if (state() === 'running') fullScreen.blur();
    toggleFullScreen();
  });
  element('again').addEventListener('click', () => window.location.reload());
  element('stage').addEventListener('pointerdown', event => {
    // A tap on a replay's picture pauses and resumes it, as Space does.
    if (state() === 'running' && mode() === 'watch' && event.target === canvas) {
      watching.paused = !watching.paused;
      window.Module._kestal_web_watch_pause(watching.paused ? 1 : 0);
      return;
    }
    if (state() !== 'ready' || event.target.closest('a, button, input')) return;
    event.preventDefault();
    start();
  });
}

function boot() {
  document.title = program;
  body.dataset.mode = 'play';
  setState('loading');
  say('Loading…');
  setUpCard();
  setUpReplays();
  setUpVideo(videoRecording, say);
  setUpKeys({state, start, toggleFullScreen, sawKey: () => showTouchControls(false),
             keyDown: event => mode() === 'watch' && (replays.watchKey(event, watching) || true)});
  askBeforeLeaving(() => state() === 'running' && mode() === 'play' &&
                         body.dataset.delay === 'answered');
  setUpTouchControls(() => state() === 'running', showTouchControls);
  window.addEventListener('resize', () => layOut(touchShown));
  silenceWhileHidden(pauseProgramAudio);
  keepForOffline(body.dataset.serviceWorker);
  loadProgram(program, {
    noInitialRun: true,
    print: text => console.log(text),
    printErr: text => {
      console.warn(text);
      lastComplaint = text;
    },
    preRun: [loadSounds],
    onRuntimeInitialized: ready,
    onAbort: what => stopped('the program stopped: ' + what),
  }, failed);
}

window.kestalPage = {
  timing,

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
      if (state() === 'running' && mode() === 'play') pollControls(time);
      resolve();
    }));
  },

  // The game has an Enter in its queue: the Delay is answered, a game is under way.
  enterQueued() {
    body.dataset.delay = 'answered';
  },

  hidePointer(hidden) {
    canvas.classList.toggle('pointer-shown', !hidden);
  },

  beep,

  replayText,
  traceText: replays.traceText,
  lastVideo: videoMade,

  close() {
    if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
    body.dataset.screen = 'closed';
  },
};

boot();
