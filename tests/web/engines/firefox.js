// Headless Firefox ESR (Debian's), driven by puppeteer-core over WebDriver BiDi.
'use strict';

const {openTab} = require('./puppeteer');

const FIREFOX = process.env.KESTAL_FIREFOX || '/usr/bin/firefox-esr';

// Firefox emulates the touch screen's events but still tells the page it has no touch
// points; a phone would say it has some.
function touchPoints() {
  Object.defineProperty(Navigator.prototype, 'maxTouchPoints', {get: () => 1});
}

async function launch() {
  const puppeteer = require('puppeteer-core');
  const browser = await puppeteer.launch({
    browser: 'firefox',
    executablePath: FIREFOX,
    headless: true,
    // Without a sound device the audio context would stay suspended, its clock at 0.
    extraPrefsFirefox: {'media.cubeb.force_mock_context': true},
  });
  return {
    version: await browser.version(),
    can: {touch: true},
    headScript: null,
    open: (url, options) => openTab(browser, url, options.touch
        ? {...options, init: [touchPoints, ...options.init]} : options),
    close: () => browser.close(),
  };
}

module.exports = {
  title: 'Firefox',
  needs: {modules: ['puppeteer-core'], programs: [FIREFOX]},
  launch,
};
