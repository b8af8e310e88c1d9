// Both web editions played in headless Chromium, as a player would: the start gesture, the
// start-up picture against kestal-replay's, the Delay prompt, flying, the pause, the end.
'use strict';

const assert = require('node:assert');
const fs = require('node:fs');
const {test, before, after} = require('node:test');
const h = require('./harness');

const {DELAY_PROMPT_WAVE, PLAY_AGAIN_WAVE, waitForBorder, borderIn, pause, expectEnded,
       loopingSources} = h;

const EDITIONS = [
  {program: 'kestal-silent', page: 'silent.html', edition: 'silent'},
  {program: 'kestal', page: 'index.html', edition: 'sound'},
];

let site, server, browser;
before(async () => {
  site = h.installSite(process.env.KESTAL_WEB_BUILD);
  server = await h.serve(site);
  browser = await h.launchBrowser();
});
after(async () => {
  if (browser) await browser.close();
  if (server) await server.close();
  if (site) fs.rmSync(site, {recursive: true, force: true});
});

// Opens an edition's page and starts it with Enter, which the game must not see.
async function started(edition) {
  const opened = await h.openPage(browser, server.url + edition.page);
  await h.waitForState(opened.page, 'ready');
  assert.strictEqual(await opened.page.title(), edition.program);
  await opened.page.keyboard.press('Enter');
  await h.waitForState(opened.page, 'running');
  const startUp = await h.waitForPicture(opened.page, h.replayPicture(edition.edition, '', 2),
                                         DELAY_PROMPT_WAVE);
  assert.strictEqual(startUp.pixels, 0, 'start-up screen:' + startUp.example);
  return opened;
}

async function travelAfter(page, png, keys) {
  return h.shipTravel(page, png, async () => {
    for (const key of keys) await page.keyboard.press(key);
  });
}

for (const edition of EDITIONS) {
  test(`${edition.program}: the Delay prompt echoes, and Escape there ends the program`, async () => {
    const opened = await started(edition);
    for (const key of ['-', '7', 'Backspace', '5']) await opened.page.keyboard.press(key);
    const echoed = await h.waitForPicture(
        opened.page, h.replayPicture(edition.edition, '1 -\n1 7\n1 Backspace\n1 5\n', 10),
        DELAY_PROMPT_WAVE);
    assert.strictEqual(echoed.pixels, 0, 'the typed delay:' + echoed.example);
    await opened.page.keyboard.press('Escape');
    await expectEnded(opened, /The game has ended/);
    await opened.page.close();
  });

  test(`${edition.program}: arrows fly the ship, "p" pauses, Escape and "n" end the game`, async () => {
    const opened = await started(edition);
    const page = opened.page;
    const playPicture = h.replayPicture(edition.edition, '1 Enter\n', 30);
    await page.keyboard.press('Enter');
    await waitForBorder(page, await borderIn(page, playPicture));

    assert.ok((await travelAfter(page, playPicture, ['ArrowRight'])).x > 8, 'Right thrusts right');
    assert.ok((await travelAfter(page, playPicture, ['ArrowLeft', 'ArrowLeft'])).x < -8, 'Left');
    assert.ok((await travelAfter(page, playPicture, ['ArrowDown'])).y > 8, 'Down thrusts down');

    if (edition.edition === 'sound') {
      assert.strictEqual(await loopingSources(page), 0, 'no laser before Space');
      await page.keyboard.down(' ');
      let during = 0;
      // Held: the keyboard repeats. Briefly: every shot heats the engines by 5, and a slow
      // machine's backlog of repeats must not overheat the ship.
      for (let i = 0; i < 6; ++i) {
        await pause(30);
        await page.keyboard.down(' ');
        if (i === 4) during = await loopingSources(page);
      }
      await page.keyboard.up(' ');
      assert.strictEqual(during, 1, 'the laser plays while Space is held');
      await pause(600);
      assert.strictEqual(await loopingSources(page), 0, 'and stops after');
    }

    await page.keyboard.press('p');
    await waitForBorder(page, await borderIn(page, h.replayPicture(edition.edition, '1 Enter\n10 p\n', 74)));
    await page.keyboard.press('x');
    await waitForBorder(page, await borderIn(page, playPicture));

    await page.keyboard.press('Escape');
    const question = await h.waitForPicture(
        page, h.replayPicture(edition.edition, '1 Enter\n40 Escape\n', 50), PLAY_AGAIN_WAVE);
    assert.strictEqual(question.pixels, 0, '"Play again? (Y/N)":' + question.example);
    await page.keyboard.press('n');
    await expectEnded(opened, /The game has ended/);
    await page.close();
  });
}

test('the page: a 4:3 picture, full screen on Alt+Enter and the button, no Web Audio', async () => {
  const opened = await started(EDITIONS[0]);
  const page = opened.page;
  await page.setViewport({width: 1280, height: 720});
  const size = await page.evaluate(() => {
    const box = document.getElementById('screen').getBoundingClientRect();
    return [box.width, box.height];
  });
  assert.deepStrictEqual(size, [960, 720], 'as large as the window allows at 4:3');

  await page.keyboard.down('Alt');
  await page.keyboard.press('Enter');
  await page.keyboard.up('Alt');
  await page.waitForFunction(() => document.fullscreenElement !== null, {timeout: 5000});
  await page.click('#full-screen');
  await page.waitForFunction(() => document.fullscreenElement === null, {timeout: 5000});
  // Neither typed anything: Escape is still the prompt's first key.
  await page.keyboard.press('Escape');
  await expectEnded(opened, /The game has ended/);
  await page.close();

  // A browser without Web Audio: the sound edition cannot set up its sound.
  const silentBrowser = await browser.newPage();
  await silentBrowser.evaluateOnNewDocument(() => {
    delete window.AudioContext;
    delete window.webkitAudioContext;
  });
  await silentBrowser.goto(server.url + 'index.html');
  await h.waitForState(silentBrowser, 'ready');
  await silentBrowser.keyboard.press('Enter');
  await h.waitForState(silentBrowser, 'ended');
  const said = await silentBrowser.evaluate(() => ({code: document.body.dataset.exitCode,
                                                     text: document.body.innerText}));
  assert.strictEqual(said.code, '1');
  assert.match(said.text, /sound could not be started[\s\S]*silent edition/);
  await silentBrowser.close();
});
