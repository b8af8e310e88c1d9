// The page operations of the engines puppeteer-core drives (Chromium over the DevTools
// protocol, Firefox over WebDriver BiDi): each test tab is one puppeteer page.
'use strict';

// The end card asks api/health whether a hall of fame is there; a site without one answers
// with an error status, which the browser logs, though the page did nothing wrong.
const hallAbsent = message => /\/api\/health$/.test((message.location() || {}).url || '');

class PuppeteerPage {
  constructor(page) {
    this.page = page;
    this.native = page;  // for steps only this driver can do (a DevTools session, ...)
    this.collectedErrors = [];
    this.collectedMessages = [];
    page.on('pageerror', error => this.collectedErrors.push(String(error)));
    page.on('console', message => {
      this.collectedMessages.push(message.text());
      if (message.type() === 'error' && !hallAbsent(message)) {
        this.collectedErrors.push(message.text());
      }
    });
  }

  evaluate(fn, ...args) { return this.page.evaluate(fn, ...args); }
  press(key) { return this.page.keyboard.press(key); }
  down(key) { return this.page.keyboard.down(key); }
  up(key) { return this.page.keyboard.up(key); }
  click(x, y) { return this.page.mouse.click(x, y); }
  // Resolves to a finger on the screen, lifted by its end().
  touch(x, y) { return this.page.touchscreen.touchStart(x, y); }
  setViewport(size) { return this.page.setViewport({...this.page.viewport(), ...size}); }
  screenshot() { return this.page.screenshot({encoding: 'base64'}); }
  async errors() { return [...this.collectedErrors]; }
  async messages() { return [...this.collectedMessages]; }
  close() { return this.page.close(); }
}

// A new tab: `init` functions run in every document before its scripts, `touch` makes it
// a touch screen (a phone's, where the viewport is that of a phone).
async function openTab(browser, url, {init = [], viewport, touch = false}) {
  const page = await browser.newPage();
  const tab = new PuppeteerPage(page);
  await page.setViewport({...viewport, hasTouch: touch, isMobile: touch,
                          isLandscape: touch && viewport.width > viewport.height});
  for (const fn of init) await page.evaluateOnNewDocument(fn);
  await page.goto(url);
  return tab;
}

module.exports = {openTab};
