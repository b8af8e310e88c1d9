// Headless Firefox ESR (Debian's), driven by puppeteer-core over WebDriver BiDi.
'use strict';

const {openTab} = require('./puppeteer');

const FIREFOX = process.env.KESTAL_FIREFOX || '/usr/bin/firefox-esr';

// Without a sound device the audio context would stay suspended, its clock at 0.
const PREFERENCES = {'media.cubeb.force_mock_context': true};
// Firefox's touch emulation sends touches but leaves the page believing it has a mouse (no
// touch points, a fine pointer that hovers). These preferences make the browser a touch
// screen; they hold for all its pages, so touch pages get a Firefox of their own.
const TOUCH_SCREEN = {
  'ui.primaryPointerCapabilities': 1,  // coarse, no hover
  'ui.allPointerCapabilities': 1,
  'dom.w3c_touch_events.enabled': 1,
  'dom.maxtouchpoints.testing.value': 5,
};

async function launch() {
  const puppeteer = require('puppeteer-core');
  const start = preferences => puppeteer.launch({
    browser: 'firefox',
    executablePath: FIREFOX,
    headless: true,
    extraPrefsFirefox: {...PREFERENCES, ...preferences},
  });
  const browser = await start({});
  let touchBrowser = null;  // started with the first touch page
  return {
    version: await browser.version(),
    can: {touch: true},
    headScript: null,
    async open(url, options) {
      if (!options.touch) return openTab(browser, url, options);
      touchBrowser = touchBrowser || start(TOUCH_SCREEN);
      return openTab(await touchBrowser, url, options);
    },
    async close() {
      await browser.close();
      if (touchBrowser) await (await touchBrowser).close();
    },
  };
}

module.exports = {
  title: 'Firefox',
  needs: {modules: ['puppeteer-core'], programs: [FIREFOX]},
  launch,
};
