// The page as visitors meet it, in a browser (KESTAL_BROWSER): keys keep their browser
// meaning where the game has no use for them, a hidden page is silent, failures are said in
// words, phones and tablets get thumb-sized controls and a number pad, and the site installs
// as an app that plays offline.
'use strict';

const assert = require('node:assert');
const fs = require('node:fs');
const path = require('node:path');
const {test} = require('node:test');
const h = require('./harness');

h.skipUnlessReady();

const shared = h.siteForTests();

const state = page => page.evaluate(() => document.body.dataset.state);
const said = page => page.evaluate(() => ({code: document.body.dataset.exitCode,
                                           text: document.getElementById('message').textContent}));
// Whether the page would ask before being left now.
const asksBeforeLeaving = page => page.evaluate(() => {
  const leaving = new Event('beforeunload', {cancelable: true});
  window.dispatchEvent(leaving);
  return leaving.defaultPrevented;
});

test('the title card starts on Enter or Space only; Tab reaches its links and buttons', async () => {
  const page = await h.openPage(shared.browser, shared.server.url + 'index.html');
  await h.waitForState(page, 'ready');
  const reached = [];
  for (let i = 0; i < 4; ++i) {
    await page.press('Tab');
    reached.push(await page.evaluate(() => document.activeElement.textContent.trim()));
  }
  for (const key of ['Shift', 'Control', 'a', 'F1']) await page.press(key);
  assert.strictEqual(await state(page), 'ready', 'Tab, a modifier or a letter does not start');
  const controls = ['Watch a replay…', 'Hall of fame', 'Play without sound', 'Full screen'];
  for (const control of controls) {
    assert.ok(reached.includes(control), `Tab reaches "${control}" (${reached.join(', ')})`);
  }
  await page.evaluate(() => document.activeElement.blur());
  await page.press(' ');
  await h.waitForState(page, 'running');
  await page.close();
});

test('in play only the game\'s keys are kept from the browser; a game under way asks before it is left', async () => {
  const page = await h.openPage(shared.browser, shared.server.url + 'silent.html');
  await h.waitForState(page, 'ready');
  await page.press('Enter');
  await h.waitForState(page, 'running');
  assert.strictEqual(await asksBeforeLeaving(page), false, 'not at the Delay prompt');
  await page.evaluate(() => {
    window.kept = [];
    document.addEventListener('keydown', event => {
      if (event.key !== 'Control' && event.key !== 'Alt') window.kept.push([event.key, event.defaultPrevented]);
    });
  });
  const chord = async (modifier, key) => {
    await page.down(modifier);
    await page.press(key);
    await page.up(modifier);
  };
  for (const key of ['a', 'ArrowUp', 'Tab', 'F1', 'F12']) await page.press(key);
  await chord('Control', 'l');
  await chord('Alt', 'ArrowLeft');
  await chord('Control', '=');
  const kept = Object.fromEntries(await page.evaluate(() => window.kept.map(([k, p]) => [k, p])));
  assert.deepStrictEqual(kept, {a: true, ArrowUp: true, Tab: true, F1: false, F12: false,
                                l: false, ArrowLeft: false, '=': false});
  await page.press('Enter');
  await h.waitFor(page, () => document.body.dataset.delay === 'answered');
  assert.strictEqual(await asksBeforeLeaving(page), true, 'a game under way');
  await page.press('Escape');
  await h.frames(page, 20);
  await page.press('n');
  await h.waitForState(page, 'ended');
  assert.strictEqual(await asksBeforeLeaving(page), false, 'after the end');
  await page.close();
});

test('a hidden page is silent, and sounds again when shown', async t => {
  const watchAudio = () => {
    const Original = window.AudioContext;
    window.audioContexts = [];
    window.AudioContext = class extends Original {
      constructor(...args) {
        super(...args);
        window.audioContexts.push(this);
      }
    };
    window.showPage = shown => {
      Object.defineProperty(document, 'visibilityState', {value: shown ? 'visible' : 'hidden',
                                                          configurable: true});
      document.dispatchEvent(new Event('visibilitychange'));
    };
  };
  const page = await h.openPage(shared.browser, shared.server.url + 'index.html', {init: [watchAudio]});
  await h.waitForState(page, 'ready');
  await page.press('Enter');
  const audio = () => page.evaluate(() => window.audioContexts.map(c => c.state).join());
  if (!(await h.waitFor(page, () => window.audioContexts.some(c => c.state === 'running'),
                        {timeout: 5000}).catch(() => false))) {
    t.skip(`${shared.browser.title} runs no audio here (${await audio()})`);
    return;
  }
  await page.evaluate(() => window.showPage(false));
  await h.waitFor(page, () => window.audioContexts.every(c => c.state === 'suspended'),
                  {timeout: 1000, what: 'suspended audio'});
  await page.evaluate(() => window.showPage(true));
  await h.waitFor(page, () => window.audioContexts.every(c => c.state === 'running'),
                  {timeout: 2000, what: 'running audio'});
  await page.close();
});

test('what keeps the game from running is said in words', async () => {
  const html = fs.readFileSync(path.join(shared.site, 'index.html'), 'utf8');
  assert.match(html, /<noscript>.*needs JavaScript/);
  assert.match(html, /<meta name="description" content="[^"]{50,}">/);

  // A site without the sound edition's module and the silent edition's script.
  const broken = fs.mkdtempSync(path.join(path.dirname(shared.site), 'kestal-broken-'));
  fs.cpSync(shared.site, broken, {recursive: true});
  fs.rmSync(path.join(broken, 'kestal.wasm'));
  fs.rmSync(path.join(broken, 'kestal-silent.js'));
  const brokenServer = await h.serve(broken, shared.browser);
  const noWebAssembly = () => { delete window.WebAssembly; };
  const cases = [
    [brokenServer.url + 'index.html', [], /program \(kestal\.wasm\) could not be fetched.*reload/],
    [brokenServer.url + 'silent.html', [], /program \(kestal-silent\.js\) could not be loaded.*reload/],
    [shared.server.url + 'silent.html', [noWebAssembly], /cannot run WebAssembly.*Firefox, Chrome/],
  ];
  try {
    for (const [url, init, sentence] of cases) {
      const page = await h.openPage(shared.browser, url, {init});
      await h.waitForState(page, 'ended');
      const end = await said(page);
      assert.strictEqual(end.code, '1', url);
      assert.match(end.text, sentence);
      // The browser's own complaints about the missing file aside, no script error.
      const scriptErrors = (await page.errors())
          .filter(e => !/kestal\.wasm|kestal-silent\.js|Failed to load|404|NS_ERROR/.test(e));
      assert.deepStrictEqual(scriptErrors, [], url);
      await page.close();
    }
  } finally {
    await brokenServer.close();
    fs.rmSync(broken, {recursive: true, force: true});
  }
});

// Boxes of the visible elements matching `selector`, in CSS px.
const boxes = (page, selector) => page.evaluate(s => [...document.querySelectorAll(s)]
    .map(e => e.getBoundingClientRect())
    .filter(b => b.width > 0 && b.height > 0)
    .map(b => ({left: b.left, top: b.top, right: b.right, bottom: b.bottom, width: b.width,
                height: b.height})), selector);
const overlaps = (a, b) => a.left < b.right - 0.5 && b.left < a.right - 0.5 &&
                           a.top < b.bottom - 0.5 && b.top < a.bottom - 0.5;
const thumbSized = (list, what) => {
  for (const b of list) {
    assert.ok(b.height >= 47.5 && b.width >= 47.5, `${what}: ${b.width}x${b.height}`);
    assert.ok(b.height <= 2 * b.width + 0.5, `${what} no thinner than half its height`);
  }
};

const DEVICES = [
  {name: 'a phone held sideways', viewport: {width: 844, height: 390}, layout: 'sides'},
  {name: 'a phone held upright', viewport: {width: 390, height: 844}, layout: 'below'},
  {name: 'a tablet', viewport: {width: 1024, height: 768}, layout: 'over'},
];

test('phones and tablets: thumb-sized controls, a number pad, nothing over the picture', async t => {
  if (!shared.browser.can.touch) {
    t.skip(`${shared.browser.title}'s driver cannot touch the screen`);
    return;
  }
  for (const device of DEVICES) {
    const page = await h.openPage(shared.browser, shared.server.url + 'index.html',
                                  {touch: true, viewport: device.viewport});
    await h.waitForState(page, 'ready');
    const card = (await boxes(page, '#card'))[0];
    const cardButtons = await boxes(page, '#card button, #card a.button, #full-screen');
    for (const b of cardButtons) assert.ok(b.height >= 47.5, `${device.name}: a card button ${b.height} px high`);
    if (device.layout === 'below') {
      const outside = await boxes(page, 'body > :not(#stage), #full-screen');
      assert.ok(outside.every(b => !overlaps(b, card)), `${device.name}: nothing over the card`);
    }
    await h.tap(page, device.viewport.width / 2, 20);
    await h.waitForState(page, 'running');
    assert.strictEqual(await page.evaluate(() => document.body.dataset.layout), device.layout);

    const pad = await boxes(page, '#number-pad button');
    assert.strictEqual(pad.length, 13, `${device.name}: the digits, minus, Delete and OK`);
    thumbSized(pad, `${device.name}: a number pad button`);
    assert.match(await page.evaluate(() => document.getElementById('number-pad').innerText),
                 /OK alone for the usual one/);
    for (const key of ['5', 'Backspace', '2']) {
      const at = await h.centreOf(page, `#number-pad [data-key="${key}"]`);
      await h.tap(page, at.x, at.y);
    }
    const typed = await h.waitForPicture(page, h.replayPicture('sound', '1 5\n1 Backspace\n1 2\n', 10),
                                         h.DELAY_PROMPT_WAVE);
    assert.strictEqual(typed.pixels, 0, `${device.name}: the pad types like the keyboard:${typed.example}`);
    const ok = await h.centreOf(page, '#number-pad [data-key="Enter"]');
    await h.tap(page, ok.x, ok.y);
    await h.waitFor(page, () => document.body.dataset.delay === 'answered');

    const picture = (await boxes(page, '#screen'))[0];
    const controls = await boxes(page, '.touch-button, #touch-stick');
    thumbSized(controls, `${device.name}: a control`);
    const largest = Math.min(device.viewport.width, device.viewport.height * 4 / 3);
    if (device.layout === 'over') {
      h.assertSize([picture.width, picture.height], [largest, largest * 3 / 4], 'the largest 4:3 box');
    } else {
      assert.ok(controls.every(c => !overlaps(c, picture)), `${device.name}: nothing over the picture`);
    }
    const fire = (await boxes(page, '.touch-button[data-button="0"]'))[0];
    const quit = (await boxes(page, '.touch-button[data-button="8"]'))[0];
    assert.ok(controls.every(c => c.bottom <= fire.bottom + 0.5 && c.right <= fire.right + 0.5),
              `${device.name}: Fire at the bottom right`);
    assert.ok(quit.top < fire.top - 100 && quit.height <= fire.height,
              `${device.name}: Quit / No smaller and far above Fire`);
    await page.close();
  }
});

test('the site installs as an app, plays offline and takes a new release on the next visit', async t => {
  if (shared.browser.name !== 'chromium') {
    t.skip(`installability and offline mode are asked of Chromium's DevTools protocol only`);
    return;
  }
  const page = await h.openPage(shared.browser, shared.server.url + 'index.html');
  await h.waitForState(page, 'ready');
  await page.evaluate(() => navigator.serviceWorker.ready.then(() => true));
  const devTools = await page.native.createCDPSession();
  const {installabilityErrors} = await devTools.send('Page.getInstallabilityErrors');
  assert.deepStrictEqual(installabilityErrors, []);
  await page.native.setOfflineMode(true);
  for (const edition of ['silent.html', 'index.html']) {
    await page.native.goto(shared.server.url + edition);
    await h.waitForState(page, 'ready');
    await page.press('Enter');
    await h.waitForState(page, 'running');
    await page.press('Escape');
    await h.waitForState(page, 'ended');
    assert.strictEqual((await said(page)).code, '0', `${edition} offline`);
  }
  await page.native.setOfflineMode(false);

  // A new release: its worker is installed on the next visit, which still plays the release
  // it began with, and serves the visit after that.
  const worker = path.join(shared.site, 'service-worker.js');
  fs.writeFileSync(worker, fs.readFileSync(worker, 'utf8')
                               .replace(/const CACHE = 'kestal-\w+'/, "const CACHE = 'kestal-next'"));
  fs.appendFileSync(path.join(shared.site, 'kestal-page.css'), '\n/* the next release */\n');
  const styleIsNew = visit => visit.evaluate(
      () => fetch('kestal-page.css').then(r => r.text()).then(text => text.includes('next release')));
  await page.native.goto(shared.server.url + 'index.html');
  await h.waitForState(page, 'ready');
  assert.strictEqual(await styleIsNew(page), false, 'a visit keeps the release it began with');
  await h.waitFor(page, () => navigator.serviceWorker.getRegistration().then(r => r.waiting !== null),
                  {what: 'the new release installed'});
  // The old worker retires only once the browser has let go of the last page it served, which
  // it does a moment after the page closes; a visitor's next visit comes later than that.
  const next = await h.openPage(shared.browser, 'about:blank');
  const workers = await next.native.createCDPSession();
  const oldWorkerRetired = new Promise(resolve => workers.on('ServiceWorker.workerVersionUpdated',
      ({versions}) => versions.some(v => v.status === 'redundant') && resolve()));
  await workers.send('ServiceWorker.enable');
  await page.close();
  await Promise.race([oldWorkerRetired, new Promise((_, fail) => setTimeout(() => fail(new Error(
      'the old release\'s worker was not retired within 20 s of its page closing')), 20000).unref())]);
  await next.native.goto(shared.server.url + 'index.html');
  await h.waitForState(next, 'ready');
  assert.strictEqual(await styleIsNew(next), true, 'the next visit has the new release');
  assert.deepStrictEqual(await next.evaluate(() => caches.keys()), ['kestal-next']);
  await next.close();
});
