// The sound edition played in a browser (KESTAL_BROWSER) without a keyboard: once with a
// gamepad (navigator.getGamepads stubbed, as the browser has no device here), once with the
// touch controls on a landscape phone screen. Each plays the same short game: the default
// delay, thrust, the laser, the pause and back, leaving the game, "no".
'use strict';

const assert = require('node:assert');
const fs = require('node:fs');
const {test, before, after} = require('node:test');
const h = require('./harness');

h.skipUnlessReady();

const {pause} = h;
const EDITION = 'sound';
const PAGE = 'index.html';
// Standard gamepad buttons.
const A = 0, B = 1, X = 2, BACK = 8, START = 9, DPAD_RIGHT = 15;

let site, server, browser, pictures;
before(async () => {
  browser = await h.launchBrowser();
  site = h.installSite(process.env.KESTAL_WEB_BUILD);
  server = await h.serve(site, browser);
  pictures = {
    startUp: h.replayPicture(EDITION, '', 2),
    play: h.replayPicture(EDITION, '1 Enter\n', 30),
    paused: h.replayPicture(EDITION, '1 Enter\n10 p\n', 74),
    question: h.replayPicture(EDITION, '1 Enter\n40 Escape\n', 50),
  };
});
after(async () => {
  if (browser) await browser.close();
  if (server) await server.close();
  if (site) fs.rmSync(site, {recursive: true, force: true});
});

// The short game after the start-up screen, each step done by `controls` (which give the
// command's key, by a gamepad or by touch) and checked on the canvas and in the sound.
async function playShortGame(page, controls) {
  const startUp = await h.waitForPicture(page, pictures.startUp, h.DELAY_PROMPT_WAVE);
  assert.strictEqual(startUp.pixels, 0, 'the start gesture is not a key:' + startUp.example);
  await controls.enter();
  await h.waitForBorder(page, await h.borderIn(page, pictures.play));

  assert.ok((await h.shipTravel(page, pictures.play, controls.thrustRight)).x > 8, 'thrust');

  assert.strictEqual(await h.loopingSources(page), 0, 'no laser before firing');
  const fired = await controls.fireFor(800, () => h.loopingSources(page));
  assert.strictEqual(fired, 1, 'the laser plays while fire is held');
  await h.waitForSilence(page);

  await controls.pause();
  await h.waitForBorder(page, await h.borderIn(page, pictures.paused));
  await controls.resume();
  await h.waitForBorder(page, await h.borderIn(page, pictures.play));

  await controls.leave();
  const question = await h.waitForPicture(page, pictures.question, h.PLAY_AGAIN_WAVE);
  assert.strictEqual(question.pixels, 0, '"Play again? (Y/N)":' + question.example);
  await controls.leave();  // "no"
  await h.expectEnded(page, /The game has ended/);
}

test('a gamepad starts the program and plays a short game', async () => {
  const stubGamepad = () => {
    const button = () => ({pressed: false, touched: false, value: 0});
    window.testPad = {id: 'Test pad', index: 0, connected: true, mapping: 'standard',
                      timestamp: 0, axes: [0, 0, 0, 0], buttons: Array.from({length: 17}, button)};
    navigator.getGamepads = () => [window.testPad, null, null, null];
  };
  const page = await h.openPage(browser, server.url + PAGE, {init: [stubGamepad]});
  const set = (index, down) => page.evaluate((i, d) => {
    window.testPad.buttons[i] = {pressed: d, touched: d, value: d ? 1 : 0};
  }, index, down);
  // Held for a few animation frames, which read the gamepads.
  const press = async index => {
    await set(index, true);
    await h.frames(page, 3);
    await set(index, false);
    await h.frames(page, 3);
  };

  await h.waitForState(page, 'ready');
  await set(X, true);  // X is Enter: held on into the game, it must not accept the delay
  await h.waitForState(page, 'running');
  await h.frames(page, 12);
  await set(X, false);
  await playShortGame(page, {
    enter: () => press(X),
    thrustRight: () => press(DPAD_RIGHT),
    fireFor: async (ms, during) => {
      await set(A, true);
      await pause(ms);
      const seen = await during();
      await set(A, false);
      return seen;
    },
    pause: () => press(START),
    resume: () => press(B),
    leave: () => press(BACK),
  });
  await page.close();
});

test('the touch controls play a short game beside the picture', async t => {
  if (!browser.can.touch) {
    t.skip(`${browser.title}'s driver has no touch input`);
    return;
  }
  // A phone held sideways: 19.5:9, touch only.
  const page = await h.openPage(browser, server.url + PAGE,
                                {viewport: {width: 844, height: 390}, touch: true});
  const tap = async selector => {
    const at = await h.centreOf(page, selector);
    await h.tap(page, at.x, at.y);
    await pause(100);
  };
  const button = label => `.touch-button[data-button="${label}"]`;

  await h.waitForState(page, 'ready');
  await h.tap(page, 422, 195);
  await h.waitForState(page, 'running');
  await playShortGame(page, {
    // The number pad answers the Delay (the layout is the visitor test's).
    enter: () => tap('#number-pad [data-key="Enter"]'),
    thrustRight: async () => {
      const stick = await h.centreOf(page, '#touch-stick');
      const finger = await page.touch(stick.x + stick.width * 0.4, stick.y);
      await pause(100);
      await finger.end();
    },
    fireFor: async (ms, during) => {
      const fire = await h.centreOf(page, button(A));
      const finger = await page.touch(fire.x, fire.y);
      await pause(ms);
      const seen = await during();
      await finger.end();
      return seen;
    },
    pause: () => tap(button(START)),
    resume: async () => {
      // A key hides the controls (Shift gives the game nothing); the next touch brings
      // them back, and then the brake resumes.
      const shown = () => page.evaluate(() => getComputedStyle(document.getElementById('touch'))
                                                    .display !== 'none');
      await page.press('Shift');
      assert.strictEqual(await shown(), false, 'hidden by a key');
      await h.tap(page, 422, 195);
      assert.strictEqual(await shown(), true, 'shown by a touch');
      await tap(button(B));
    },
    leave: () => tap(button(BACK)),
  });
  await page.close();
});
