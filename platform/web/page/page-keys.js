// The keyboard as a browser user expects it. On the title card only Enter and Space start the
// program, and only while no link or button has the focus: Tab moves through the card and
// every other key keeps its browser meaning. While the program runs every key goes to the
// game, and the program's answer says which of them the browser must not act on as well.

// Modifier bits as kestal_web_key_down reads them.
const SHIFT = 1, CTRL = 2, ALT = 4, ALT_GRAPH = 8, NUM_LOCK = 16, META = 32;
// Its answer.
const SUPPRESS_DEFAULT = 1, TOGGLE_FULL_SCREEN = 2;
// The key-down's code and key as C text, in memory of the program's.
const KEY_TEXT_BYTES = 64;
let keyText = null;

function modifiers(event) {
  const state = name => (event.getModifierState ? event.getModifierState(name) : false);
  return (event.shiftKey ? SHIFT : 0) | (event.ctrlKey ? CTRL : 0) | (event.altKey ? ALT : 0) |
         (state('AltGraph') ? ALT_GRAPH : 0) | (state('NumLock') ? NUM_LOCK : 0) |
         (event.metaKey ? META : 0);
}

// Gives the program one key-down; returns its answer bits. A direct call, not ccall: while
// the program waits for a frame, ccall would take the key-down for the suspended main() and
// hand it main()'s promise.
export function sendKeyDown(code, key, modifierBits = 0, repeat = false) {
  const Module = window.Module;
  keyText = keyText || {code: Module._malloc(KEY_TEXT_BYTES), key: Module._malloc(KEY_TEXT_BYTES)};
  Module.stringToUTF8(code, keyText.code, KEY_TEXT_BYTES);
  Module.stringToUTF8(key, keyText.key, KEY_TEXT_BYTES);
  return Module._kestal_web_key_down(keyText.code, keyText.key, modifierBits, repeat ? 1 : 0);
}

function startsTheProgram(event) {
  if (event.ctrlKey || event.altKey || event.metaKey) return false;
  if (event.key !== 'Enter' && event.key !== ' ') return false;
  // Enter on a focused link follows it, Space on a focused button presses it.
  const focused = document.activeElement;
  return !focused || !focused.closest('a, button, input, select, textarea, [tabindex]');
}

// `page`: state() ('ready', 'running', ...), start(), toggleFullScreen(), sawKey() (a key was
// pressed: touch controls may hide), and keyDown(event) for a mode that takes the keys
// itself (returns true when it did).
export function setUpKeys(page) {
  window.addEventListener('keydown', event => {
    page.sawKey();
    if (page.state() === 'ready') {
      if (!startsTheProgram(event)) return;
      event.preventDefault();
      page.start();
      return;
    }
    if (page.state() !== 'running' || page.keyDown(event)) return;
    const answer = sendKeyDown(event.code || '', event.key || '', modifiers(event), event.repeat);
    if (answer & SUPPRESS_DEFAULT) event.preventDefault();
    if (answer & TOGGLE_FULL_SCREEN) page.toggleFullScreen();
  }, true);
}

// While a game is under way, leaving or reloading the page asks first.
export function askBeforeLeaving(underway) {
  window.addEventListener('beforeunload', event => {
    if (!underway()) return;
    event.preventDefault();
    event.returnValue = '';
  });
}
