// The long run (scripts/test.sh --soak): a live game of 20,000 retraces of random keys in a
// browser (KESTAL_BROWSER), with no page error, the program's memory flat once the first
// level is behind it, and the replay of its recording drawing exactly what the page drew.
'use strict';

const assert = require('node:assert');
const {test} = require('node:test');
const h = require('./harness');
const live = require('./live_play');

h.skipUnlessReady();

const RETRACES = 20000;
const FIRST_LEVEL_BEHIND = 3000;

const shared = h.siteForTests();

test(`${RETRACES} retraces of live play, recorded exactly, in flat memory`, async () => {
  const page = await h.openPage(shared.browser, shared.server.url + 'silent.html?trace', {init: [live.stubGamepad]});
  const memory = () => page.evaluate(() => Module.HEAP8.buffer.byteLength);
  let settled = null;
  const played = await live.playLive(page, {
    seed: 2026, until: RETRACES, gamepad: true,
    progress: async retraces => {
      if (settled === null && retraces >= FIRST_LEVEL_BEHIND) settled = await memory();
    },
  });
  assert.strictEqual(await memory(), settled, 'the program\'s memory after the first level');
  live.assertSameTrace(played.trace, live.replayTrace('silent', played.script, played.frames),
                       'the long game');
  assert.deepStrictEqual(await page.errors(), []);
  await page.close();
});
