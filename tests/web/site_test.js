// Both web editions played in a browser (KESTAL_BROWSER), as a player would: the start
// gesture, the start-up picture against kestal-replay's, the Delay prompt, flying, the
// pause, the end. The silent edition is the same page and keys without the sound, where
// engines differ: it is played in one engine.
'use strict';

const assert = require('node:assert');
const {test} = require('node:test');
const h = require('./harness');

h.skipUnlessReady();

const {DELAY_PROMPT_WAVE, PLAY_AGAIN_WAVE, waitForBorder, borderIn, expectEnded,
       loopingSources} = h;

const EDITIONS = [
  {program: 'kestal-silent', page: 'silent.html', edition: 'silent'},
  {program: 'kestal', page: 'index.html', edition: 'sound'},
];

const shared = h.siteForTests();

// Opens an edition's page and starts it with Enter, which the game must not see.
async function started(edition) {
  const page = await h.openPage(shared.browser, shared.server.url + edition.page);
  await h.waitForState(page, 'ready');
  assert.strictEqual(await page.evaluate(() => document.title), edition.program);
  await page.press('Enter');
  await h.waitForState(page, 'running');
  const startUp = await h.waitForPicture(page, h.replayPicture(edition.edition, '', 2),
                                         DELAY_PROMPT_WAVE);
  assert.strictEqual(startUp.pixels, 0, 'start-up screen:' + startUp.example);
  return page;
}

async function travelAfter(page, png, keys) {
  return h.shipTravel(page, png, async () => {
    for (const key of keys) await page.press(key);
  });
}

for (const edition of EDITIONS) {
  const once = {skip: edition.edition === 'silent' && h.onceOnly()};
  test(`${edition.program}: the Delay prompt echoes, and Escape there ends the program`, once,
       async () => {
    const page = await started(edition);
    for (const key of ['-', '7', 'Backspace', '5']) await page.press(key);
    const echoed = await h.waitForPicture(
        page, h.replayPicture(edition.edition, '1 -\n1 7\n1 Backspace\n1 5\n', 10),
        DELAY_PROMPT_WAVE);
    assert.strictEqual(echoed.pixels, 0, 'the typed delay:' + echoed.example);
    await page.press('Escape');
    await expectEnded(page, /The game has ended/);
    await page.close();
  });

  test(`${edition.program}: arrows fly the ship, "p" pauses, Escape and "n" end the game`, once,
       async () => {
    const page = await started(edition);
    const playPicture = h.replayPicture(edition.edition, '1 Enter\n', 30);
    await page.press('Enter');
    await waitForBorder(page, await borderIn(page, playPicture));

    assert.ok((await travelAfter(page, playPicture, ['ArrowRight'])).x > 8, 'Right thrusts right');
    assert.ok((await travelAfter(page, playPicture, ['ArrowLeft', 'ArrowLeft'])).x < -8, 'Left');
    assert.ok((await travelAfter(page, playPicture, ['ArrowDown'])).y > 8, 'Down thrusts down');

    if (edition.edition === 'sound') {
      assert.strictEqual(await loopingSources(page), 0, 'no laser before Space');
      const mostLooping = await h.watchLoopingSources(page);
      // Held: the keyboard repeats. Briefly: every shot heats the engines by 5.
      await page.down(' ');
      for (let i = 0; i < 6; ++i) {
        await h.frames(page, 1);
        await page.down(' ');
      }
      await page.up(' ');
      assert.strictEqual(await mostLooping(), 1, 'the laser plays while Space is held');
      await h.waitForSilence(page);
    }

    await page.press('p');
    await waitForBorder(page, await borderIn(page, h.replayPicture(edition.edition, '1 Enter\n10 p\n', 74)));
    await page.press('x');
    await waitForBorder(page, await borderIn(page, playPicture));

    await page.press('Escape');
    const question = await h.waitForPicture(
        page, h.replayPicture(edition.edition, '1 Enter\n40 Escape\n', 50), PLAY_AGAIN_WAVE);
    assert.strictEqual(question.pixels, 0, '"Play again? (Y/N)":' + question.example);
    await page.press('n');
    await expectEnded(page, /The game has ended/);
    await page.close();
  });
}

test('the page: a 4:3 picture, full screen on Alt+Enter and the button, no Web Audio', async () => {
  const page = await started(EDITIONS[0]);
  await page.setViewport({width: 1280, height: 720});
  const size = await page.evaluate(() => {
    const box = document.getElementById('screen').getBoundingClientRect();
    return [box.width, box.height];
  });
  h.assertSize(size, [960, 720], 'as large as the window allows at 4:3');

  await page.down('Alt');
  await page.press('Enter');
  await page.up('Alt');
  await h.waitFor(page, () => document.fullscreenElement !== null, {timeout: 5000});
  await h.clickOn(page, '#full-screen');
  await h.waitFor(page, () => document.fullscreenElement === null, {timeout: 5000});
  // Neither typed anything: Escape is still the prompt's first key.
  await page.press('Escape');
  await expectEnded(page, /The game has ended/);
  await page.close();

  // A browser without Web Audio: the sound edition cannot set up its sound.
  const silentBrowser = await h.openPage(shared.browser, shared.server.url + 'index.html', {init: [() => {
    delete window.AudioContext;
    delete window.webkitAudioContext;
  }]});
  await h.waitForState(silentBrowser, 'ready');
  await silentBrowser.press('Enter');
  await h.waitForState(silentBrowser, 'ended');
  const said = await silentBrowser.evaluate(() => ({code: document.body.dataset.exitCode,
                                                     text: document.body.innerText}));
  assert.strictEqual(said.code, '1');
  assert.match(said.text, /sound could not be started[\s\S]*silent edition/);
  await silentBrowser.close();
});
