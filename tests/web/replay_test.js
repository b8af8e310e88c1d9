// Replays in a browser (KESTAL_BROWSER): a game played live is recorded exactly (its replay
// by the native kestal-replay draws what the page drew, retrace for retrace); its share link
// plays the same game at speed 8 and at speed 1; a damaged link, file or fragment is said in
// one sentence.
'use strict';

const assert = require('node:assert');
const {test} = require('node:test');
const h = require('./harness');
const live = require('./live_play');

h.skipUnlessReady();

const shared = h.siteForTests();
let played;

const message = page => page.evaluate(() => document.getElementById('message').textContent);

test('a game played live: its replay draws what the page drew', async () => {
  const touch = shared.browser.can.touch;
  const page = await h.openPage(shared.browser, shared.server.url + 'index.html?trace', {
    init: [live.stubGamepad],
    touch,
    viewport: touch ? {width: 844, height: 390} : {width: 1024, height: 768},
  });
  if (!touch) console.log(`# ${shared.browser.title} cannot touch: the Delay is typed on the keyboard`);
  played = await live.playLive(page, {seed: 7, until: 900, gamepad: true, touch});
  assert.match(played.script, /^# edition: sound$/m);
  assert.match(played.script, new RegExp(`^# frames: ${played.frames}$`, 'm'));
  assert.match(played.script, / p$/m, 'the game was paused');
  live.assertSameTrace(played.trace, live.replayTrace('sound', played.script, played.frames),
                       'live play');
  assert.deepStrictEqual(await page.errors(), []);
  await page.close();
});

test('its share link plays the same game, at speed 8 and at speed 1', async () => {
  assert.ok(played, 'needs the game played live');
  const opener = await h.openPage(shared.browser, shared.server.url + 'index.html');
  await h.waitForState(opener, 'ready');
  const link = await opener.evaluate(
      script => import('./page-replay.js').then(replays => replays.shareLink(script)), played.script);
  await opener.close();
  assert.ok(link.length < 2000, `a short link (${link.length} characters)`);
  for (const speed of ['8', '1']) {
    const page = await h.openPage(shared.browser, link.replace('#', '?trace#'));
    await h.waitForState(page, 'ready');
    assert.strictEqual(await page.evaluate(() => document.body.dataset.mode), 'watch');
    await page.press('Enter');
    await h.waitForState(page, 'running');
    await page.press(speed);
    await h.waitForState(page, 'ended', 120000);
    assert.match(await message(page), /The replay has ended/);
    const watched = await page.evaluate(() => kestalPage.traceText());
    live.assertSameTrace(watched, played.trace, `watched at speed ${speed}`);
    assert.deepStrictEqual(await page.errors(), []);
    await page.close();
  }
});

test('a damaged link, file or fragment is said in one sentence', async () => {
  const cases = [
    ['index.html#replay=AAAA', null, /link is damaged \(its data is cut short/],
    ['index.html#replay=no!', null, /link is damaged \(it holds characters/],
    ['index.html', '1 Up\n0 Down\n', /cannot be watched: line 2: retrace 0 is smaller than 1/],
    ['index.html', '5 Jump\n', /cannot be watched: line 1: unknown key name 'Jump'/],
  ];
  for (const [address, file, sentence] of cases) {
    const page = await h.openPage(shared.browser, shared.server.url + address);
    await h.waitForState(page, 'ready');
    if (file !== null) {
      await page.evaluate(text => {
        const input = document.getElementById('replay-file');
        const chosen = new DataTransfer();
        chosen.items.add(new File([text], 'game.keys', {type: 'text/plain'}));
        input.files = chosen.files;
        input.dispatchEvent(new Event('change'));
      }, file);
      await h.waitFor(page, () => /cannot be watched/.test(document.getElementById('message').textContent));
    }
    assert.match(await message(page), sentence);
    assert.strictEqual(await page.evaluate(() => document.body.dataset.mode), 'play');
    assert.deepStrictEqual(await page.errors(), []);
    await page.close();
  }
});
