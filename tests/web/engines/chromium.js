// Headless Chromium (Debian's), driven by puppeteer-core over the DevTools protocol.
'use strict';

const {openTab} = require('./puppeteer');

const CHROMIUM = process.env.KESTAL_CHROMIUM || '/usr/bin/chromium';

async function launch() {
  const puppeteer = require('puppeteer-core');
  const browser = await puppeteer.launch({
    executablePath: CHROMIUM,
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync',
           '--autoplay-policy=no-user-gesture-required', '--window-size=1024,768'],
  });
  return {
    version: await browser.version(),
    can: {touch: true},
    headScript: null,
    open: (url, options) => openTab(browser, url, options),
    close: () => browser.close(),
  };
}

module.exports = {
  title: 'Chromium',
  needs: {modules: ['puppeteer-core'], programs: [CHROMIUM]},
  launch,
};
