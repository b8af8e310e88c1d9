// The long run (scripts/test.sh --soak): a live game of random keys in a browser
// (KESTAL_BROWSER), with no page error. At every checkpoint the recording so far, replayed by
// the native kestal-replay, draws exactly what the page drew until then, and the program's
// heap holds, to the byte, what it held at the first checkpoint: anything allocated and kept
// per frame or per key would show within a few frames, where the size of WebAssembly memory
// moves only once the slack is used up.
'use strict';

const assert = require('node:assert');
const {test} = require('node:test');
const h = require('./harness');
const live = require('./live_play');

h.skipUnlessReady();

const CHECKPOINTS = [1500, 3000, 4500, 6000];

const shared = h.siteForTests();

const snapshot = page => page.evaluate(() => ({
  script: kestalPage.replayText(), trace: kestalPage.traceText(),
  frames: Module._kestal_web_retraces(), heap: Module._kestal_web_heap_in_use()}));

test(`${CHECKPOINTS.at(-1)} retraces of live play, recorded exactly at every checkpoint, in flat memory`,
     async () => {
  const page = await h.openPage(shared.browser, shared.server.url + 'silent.html?trace',
                                {init: [live.stubGamepad]});
  const taken = [];
  await live.playLive(page, {
    seed: 2026, until: CHECKPOINTS.at(-1), gamepad: true,
    progress: async retraces => {
      if (taken.length < CHECKPOINTS.length && retraces >= CHECKPOINTS[taken.length]) {
        taken.push(await snapshot(page));
      }
    },
  });
  if (taken.length < CHECKPOINTS.length) taken.push(await snapshot(page));
  for (const [i, at] of taken.entries()) {
    const what = `the recording at retrace ${at.frames} (checkpoint ${i + 1})`;
    live.assertSameTrace(at.trace, live.replayTrace('silent', at.script, at.frames), what);
    assert.strictEqual(at.heap, taken[0].heap, `${what}: bytes in use on the heap`);
  }
  assert.deepStrictEqual(await page.errors(), []);
  await page.close();
});
