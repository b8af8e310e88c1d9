// WebKitGTK (Debian's MiniBrowser) through WebKitWebDriver and selenium-webdriver, on a
// private Xvfb, since it has no headless mode. The driver speaks classic WebDriver only:
// nothing runs before the page's own scripts and no console events come back. So the site
// is served with HEAD_SCRIPT at the top of every page: it collects errors and console lines
// in the page, and runs the init functions that the URL's fragment carries.
'use strict';

const {execFileSync} = require('node:child_process');
const os = require('node:os');
const {startXvfb} = require('./xvfb');

const DRIVER = process.env.KESTAL_WEBKIT_DRIVER || '/usr/bin/WebKitWebDriver';
const MINIBROWSER = process.env.KESTAL_MINIBROWSER ||
                    '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser';
const INIT_MARK = '#test-init=';

const HEAD_SCRIPT = `(() => {
  const errors = window.testErrors = [];
  const messages = window.testMessages = [];
  addEventListener('error', event => errors.push(String(event.error || event.message)));
  addEventListener('unhandledrejection', event => errors.push(String(event.reason)));
  for (const level of ['log', 'info', 'warn', 'error']) {
    const original = console[level].bind(console);
    console[level] = (...args) => {
      const text = args.map(String).join(' ');
      messages.push(text);
      if (level === 'error') errors.push(text);
      original(...args);
    };
  }
  const at = location.href.indexOf('${INIT_MARK}');
  if (at < 0) return;
  const init = decodeURIComponent(location.href.slice(at + ${INIT_MARK.length}));
  // The page sees its address as it was asked for (its own fragment included).
  history.replaceState(history.state, '', location.href.slice(0, at));
  (0, eval)(init);
})();`;

// The WebDriver key for a DOM key name ('Enter', 'ArrowLeft', 'Backspace', 'a', ' ').
function webDriverKey(Key, name) {
  if ([...name].length === 1) return name;
  const constant = name === 'Backspace' ? 'BACK_SPACE'
                                        : name.replace(/([a-z])([A-Z])/g, '$1_$2').toUpperCase();
  if (!Key[constant]) throw new Error(`no WebDriver key for "${name}"`);
  return Key[constant];
}

// The page on show: one at a time, each in a window of its own.
class WebKitPage {
  constructor(driver, Key, chromeHeight, display) {
    this.driver = driver;
    this.display = display;
    this.native = driver;  // for steps only this driver can do
    this.Key = Key;
    this.chromeHeight = chromeHeight;  // the window is this much taller than the viewport
    this.held = new Set();
    this.isOpen = false;
    this.used = false;
  }

  // A fresh window, and with it a fresh web process, for each page: in the window of a
  // game just played, the next page often waited two seconds for its WebAssembly.
  async freshWindow() {
    const old = await this.driver.getWindowHandle();
    await this.driver.switchTo().newWindow('window');
    const fresh = await this.driver.getWindowHandle();
    await this.driver.switchTo().window(old);
    await this.driver.close();
    await this.driver.switchTo().window(fresh);
  }

  evaluate(fn, ...args) { return this.driver.executeScript(fn, ...args); }

  async press(key) {
    await this.down(key);
    await this.up(key);
  }

  // WebKitGTK drops a key-down of a key that is already down: holding a key gives repeats
  // only when it is let go of in between (the page reads key-downs alone).
  down(key) {
    const k = webDriverKey(this.Key, key);
    const actions = this.driver.actions();
    if (this.held.has(k)) actions.keyUp(k);
    this.held.add(k);
    return actions.keyDown(k).perform();
  }

  up(key) {
    const k = webDriverKey(this.Key, key);
    this.held.delete(k);
    return this.driver.actions().keyUp(k).perform();
  }

  click(x, y) {
    return this.driver.actions().move({x: Math.round(x), y: Math.round(y)}).press().release()
        .perform();
  }

  async touch() { throw new Error("WebKitGTK's driver has no touch input"); }

  async setViewport({width, height}) {
    const browserWindow = this.driver.manage().window();
    await browserWindow.setRect({x: 0, y: 0, width, height: height + this.chromeHeight});
    // The window manager's answer (here: the X server's) arrives a little later.
    const end = Date.now() + 5000;
    let inner;
    do {
      inner = await this.evaluate(() => [innerWidth, innerHeight]);
      if (inner[0] === width && inner[1] === height) return;
      await new Promise(resolve => setTimeout(resolve, 20));
    } while (Date.now() < end);
    throw new Error(`a ${width}x${height} viewport was asked for, ${inner.join('x')} given`);
  }

  // The driver's own screenshot hangs under Xvfb: the viewport is cut out of the X screen,
  // below the window's toolbar.
  async screenshot() {
    const [width, height] = await this.evaluate(() => [innerWidth, innerHeight]);
    const {x, y} = await this.driver.manage().window().getRect();
    const crop = `${width}x${height}+${x}+${y + this.chromeHeight}`;
    const png = execFileSync('sh', ['-c', `xwd -root -silent | convert xwd:- -crop ${crop} png:-`],
                             {env: {...process.env, DISPLAY: this.display}});
    return png.toString('base64');
  }
  errors() { return this.evaluate(() => [...(window.testErrors || [])]); }
  messages() { return this.evaluate(() => [...(window.testMessages || [])]); }

  async close() {
    await this.driver.actions().clear();
    this.held.clear();
    await this.driver.get('about:blank');
    this.isOpen = false;
  }
}

async function startSession(display) {
  const {Builder, Key} = require('selenium-webdriver');
  const {DriverService} = require('selenium-webdriver/remote');
  // Without compositing, WebKitGTK draws in software at the display's full frame rate.
  const service = new DriverService.Builder(DRIVER).setLoopback(true).setEnvironment(
      {...process.env, DISPLAY: display, GDK_BACKEND: 'x11', WEBKIT_DISABLE_COMPOSITING_MODE: '1'})
      .build();
  try {
    const driver = await new Builder().usingServer(await service.start()).withCapabilities({
      browserName: 'MiniBrowser',
      'webkitgtk:browserOptions': {binary: MINIBROWSER, args: ['--automation']},
    }).build();
    return {driver, service, Key};
  } catch (error) {
    await service.kill();
    throw error;
  }
}

// How much taller MiniBrowser's window is than its viewport.
async function chromeHeight(driver) {
  const height = 800;
  await driver.manage().window().setRect({x: 0, y: 0, width: 1024, height});
  const end = Date.now() + 5000;
  let inner;
  do {
    inner = await driver.executeScript(() => [innerWidth, innerHeight]);
    if (inner[0] === 1024) return height - inner[1];
    await new Promise(resolve => setTimeout(resolve, 20));
  } while (Date.now() < end);
  throw new Error(`MiniBrowser's window did not take the size asked for (${inner.join('x')})`);
}

async function launch() {
  const x = await startXvfb();
  let session;
  try {
    session = await startSession(x.display);
  } catch (error) {
    x.stop();
    throw error;
  }
  const {driver, service, Key} = session;
  // Killed, the test leaves no driver behind (nor X server: see startXvfb), and so no browser.
  for (const signal of ['SIGINT', 'SIGTERM']) {
    const status = 128 + os.constants.signals[signal];
    process.once(signal, () => service.kill().finally(() => process.exit(status)));
  }
  const page = new WebKitPage(driver, Key, await chromeHeight(driver), x.display);
  const capabilities = await driver.getCapabilities();
  return {
    version: `${capabilities.get('browserVersion')} (MiniBrowser)`,
    can: {touch: false},
    headScript: HEAD_SCRIPT,
    async open(url, {init, viewport, touch}) {
      if (touch) throw new Error("WebKitGTK's driver has no touch input");
      if (page.isOpen) await page.close();  // one page at a time (left open by a failed test)
      if (page.used) await page.freshWindow();
      page.used = true;
      await page.setViewport(viewport);
      const code = init.map(fn => `(${fn})();`).join('\n');
      await driver.get(code ? url + INIT_MARK + encodeURIComponent(code) : url);
      page.isOpen = true;
      return page;
    },
    async close() {
      await driver.quit();
      await service.kill();
      x.stop();
    },
  };
}

module.exports = {
  title: 'WebKitGTK',
  needs: {modules: ['selenium-webdriver'],
          programs: [DRIVER, MINIBROWSER, 'Xvfb', 'xwd', 'convert']},
  launch,
};
