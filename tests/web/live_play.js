// A game played live in a page as a person would, with irregular timing: keys at random
// moments, keys held down while the keyboard repeats them, pauses with keys typed during
// them, and where the page has them the gamepad, the touch controls and the number pad. Then
// what the page recorded, replayed by the native kestal-replay, must draw exactly what the
// page drew: its trace line for line. Shared by the replay tests and the long soak.
'use strict';

const assert = require('node:assert');
const {execFileSync} = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const h = require('./harness');

// Keys of play that never end a game; "y" starts the next one after a game over.
const KEYS = ['ArrowUp', 'ArrowDown', 'ArrowLeft', 'ArrowRight', ' ', 'Enter', '=', 'f', 'e',
              't', 'b', 'c', 'Backspace', 'y', 'x'];
const HELD = ['ArrowUp', 'ArrowRight', ' ', 'Enter'];
// Standard gamepad buttons and the touch controls' own buttons: fire, brake, cool.
const PAD_BUTTONS = [0, 1, 5, 15];
const TOUCH_BUTTONS = ['0', '1', '5'];

// Puts a stand-in gamepad into the page before its scripts run.
function stubGamepad() {
  const button = () => ({pressed: false, touched: false, value: 0});
  window.testPad = {id: 'Test pad', index: 0, connected: true, mapping: 'standard', timestamp: 0,
                    axes: [0, 0, 0, 0], buttons: Array.from({length: 17}, button)};
  navigator.getGamepads = () => [window.testPad, null, null, null];
}

// A small generator of its own, so that a seed names the same choices in every engine.
function randomFrom(seed) {
  let state = seed >>> 0;
  return limit => {
    state = (Math.imul(state, 1664525) + 1013904223) >>> 0;
    return Math.floor((state / 2 ** 32) * limit);
  };
}

const retraces = page => page.evaluate(() => Module._kestal_web_retraces());

async function setPadButton(page, index, pressed) {
  await page.evaluate((i, down) => {
    window.testPad.buttons[i] = {pressed: down, touched: down, value: down ? 1 : 0};
  }, index, pressed);
}

async function tapOn(page, selector) {
  const at = await h.centreOf(page, selector);
  await h.tap(page, at.x, at.y);
}

// Types the Delay: on the number pad where the page shows it, else on the keyboard.
async function typeDelay(page, withPad) {
  if (withPad) {
    for (const key of ['2', 'Backspace', '1', 'Enter']) await tapOn(page, `#number-pad [data-key="${key}"]`);
  } else {
    for (const key of ['2', 'Backspace', '1', 'Enter']) await page.press(key);
  }
}

// One random thing a player does.
async function act(page, random, inputs) {
  const choice = random(20);
  if (choice < 11) {
    await page.press(KEYS[random(KEYS.length)]);
  } else if (choice < 14) {
    const key = HELD[random(HELD.length)];
    await page.down(key);
    await h.pause(150 + random(500));
    await page.up(key);
  } else if (choice === 14) {
    await page.press('p');
    await h.pause(300 + random(1200));
    for (let i = random(3); i >= 0; --i) await page.press(KEYS[random(KEYS.length)]);
  } else if (choice < 17 && inputs.gamepad) {
    const button = PAD_BUTTONS[random(PAD_BUTTONS.length)];
    await setPadButton(page, button, true);
    await h.frames(page, 1 + random(20));
    await setPadButton(page, button, false);
  } else if (choice < 19 && inputs.touch) {
    await tapOn(page, `.touch-button[data-button="${TOUCH_BUTTONS[random(TOUCH_BUTTONS.length)]}"]`);
  }
  await h.pause(random(120));
}

// Starts the page's program and plays until at least `until` retraces have passed, calling
// `progress(retraces)` now and then. Returns what the page recorded and traced, taken at one
// moment: {script, trace, frames}.
async function playLive(page, {seed, until, gamepad = false, touch = false, progress = () => {}}) {
  const random = randomFrom(seed);
  await h.waitForState(page, 'ready');
  await page.press('Enter');
  await h.waitForState(page, 'running');
  await typeDelay(page, touch);
  for (let done = 0; done < until; done = await retraces(page)) {
    await progress(done);
    await act(page, random, {gamepad, touch});
  }
  return page.evaluate(() => ({script: kestalPage.replayText(),
                               trace: kestalPage.traceText(),
                               frames: Module._kestal_web_retraces()}));
}

// The trace the native kestal-replay writes for `script` up to retrace `frames`.
function replayTrace(edition, script, frames) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'kestal-live-'));
  try {
    fs.writeFileSync(path.join(dir, 'keys'), script);
    execFileSync(process.env.KESTAL_REPLAY, ['--edition', edition, '--keys', path.join(dir, 'keys'),
                                             '--frames', String(frames), '--trace',
                                             path.join(dir, 'trace')]);
    return fs.readFileSync(path.join(dir, 'trace'), 'utf8');
  } finally {
    fs.rmSync(dir, {recursive: true, force: true});
  }
}

// The page's trace against the replay's, line for line (the first difference is named).
function assertSameTrace(pageTrace, replayed, what) {
  const shown = pageTrace.split('\n');
  const expected = replayed.split('\n');
  const first = expected.findIndex((line, i) => line !== shown[i]);
  assert.ok(shown.length > 100, `${what}: a trace of ${shown.length} lines`);
  assert.strictEqual(first, -1, `${what}: retrace line ${first + 1} differs: ` +
                                `"${shown[first]}", the replay has "${expected[first]}"`);
  assert.strictEqual(shown.length, expected.length, `${what}: as many lines as the replay`);
}

module.exports = {stubGamepad, playLive, replayTrace, assertSameTrace};
