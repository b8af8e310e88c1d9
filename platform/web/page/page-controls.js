// Gamepads, the touch controls and the touch number pad. Gamepads and the touch controls go to
// kestal_web_controls in the Gamepad API's standard layout (bit i of the mask is button i):
// the first four gamepads by their index, then the touch controls, which pose as one more
// gamepad. The number pad types into the game like the keyboard.
import {sendKeyDown} from './page-keys.js';

const GAMEPADS = 4;
const TOUCH_SOURCE = 4;
const STANDARD_BUTTONS = 17;
const NO_GAMEPADS = [];

// Per gamepad, the buttons that started the program: not for the game until let go.
const heldAtStart = new Array(GAMEPADS).fill(0);
const touch = {
  buttons: new Map(),  // pointer id -> the bit of the button it holds down
  latched: 0,          // bits pressed since the last poll, so that a quick tap counts
  stickPointer: null,
  x: 0,
  y: 0,
  stickPolled: true,  // the stick's position reached the game at least once
  releaseStickAfterPoll: false,
};

const element = id => document.getElementById(id);

function gamepads() {
  return (navigator.getGamepads && navigator.getGamepads()) || NO_GAMEPADS;
}

function pressedButtons(pad) {
  let mask = 0;
  const count = Math.min(pad.buttons.length, STANDARD_BUTTONS);
  for (let i = 0; i < count; ++i) {
    if (pad.buttons[i] && pad.buttons[i].pressed) mask |= 1 << i;
  }
  return mask;
}

function touchButtons() {
  let mask = touch.latched;
  for (const bit of touch.buttons.values()) mask |= bit;
  return mask;
}

// Once per animation frame while the program runs: every source, also those with nothing
// pressed, so that a gamepad pulled out lets go of what it held.
export function pollControls(time) {
  const pads = gamepads();
  for (let index = 0; index < GAMEPADS; ++index) {
    const pad = pads[index];
    const usable = pad && pad.connected !== false;
    const pressed = usable ? pressedButtons(pad) : 0;
    heldAtStart[index] &= pressed;
    const x = usable ? pad.axes[0] || 0 : 0;
    const y = usable ? pad.axes[1] || 0 : 0;
    window.Module._kestal_web_controls(index, pressed & ~heldAtStart[index], x, y, time);
  }
  window.Module._kestal_web_controls(TOUCH_SOURCE, touchButtons(), touch.x, touch.y, time);
  touch.latched = 0;
  touch.stickPolled = true;
  if (touch.releaseStickAfterPoll) releaseStick();
}

// Before the program runs, any gamepad button starts it, like a key or a click.
export function watchGamepadsForStart(isReady, start) {
  const watch = () => {
    if (!isReady()) return;
    const pads = gamepads();
    let pressed = false;
    for (let index = 0; index < GAMEPADS; ++index) {
      heldAtStart[index] = pads[index] ? pressedButtons(pads[index]) : 0;
      pressed = pressed || heldAtStart[index] !== 0;
    }
    if (pressed) {
      start();
      return;
    }
    window.requestAnimationFrame(watch);
  };
  watch();
}

function onTouchButtonDown(event) {
  event.preventDefault();
  const bit = 1 << Number(event.currentTarget.dataset.button);
  touch.buttons.set(event.pointerId, bit);
  touch.latched |= bit;
  event.currentTarget.classList.add('held');
}

function onTouchButtonUp(event) {
  touch.buttons.delete(event.pointerId);
  const bit = 1 << Number(event.currentTarget.dataset.button);
  if (![...touch.buttons.values()].includes(bit)) event.currentTarget.classList.remove('held');
}

// The stick: where the thumb is from the centre, as a fraction of the radius.
function moveStick(event) {
  if (event.pointerId !== touch.stickPointer) return;
  const box = element('touch-stick').getBoundingClientRect();
  const radius = box.width / 2;
  let x = (event.clientX - box.left - radius) / radius;
  let y = (event.clientY - box.top - box.height / 2) / radius;
  const length = Math.hypot(x, y);
  if (length > 1) {
    x /= length;
    y /= length;
  }
  touch.x = x;
  touch.y = y;
  element('touch-knob').style.transform = `translate(${x * 50}%, ${y * 50}%)`;
}

function onStickDown(event) {
  event.preventDefault();
  event.currentTarget.setPointerCapture(event.pointerId);
  touch.stickPointer = event.pointerId;
  touch.stickPolled = false;
  touch.releaseStickAfterPoll = false;
  moveStick(event);
}

function releaseStick() {
  touch.x = touch.y = 0;
  touch.releaseStickAfterPoll = false;
  element('touch-knob').style.transform = '';
}

function onStickUp(event) {
  if (event.pointerId !== touch.stickPointer) return;
  touch.stickPointer = null;
  // A flick between two frames still reaches the game.
  if (touch.stickPolled) {
    releaseStick();
  } else {
    touch.releaseStickAfterPoll = true;
  }
}

// The number pad's buttons press their key; a held button does not repeat.
function setUpNumberPad(isRunning) {
  for (const button of element('number-pad').querySelectorAll('button')) {
    button.addEventListener('click', () => {
      if (isRunning()) sendKeyDown(button.dataset.code, button.dataset.key);
    });
  }
}

// Touch controls show on touch devices, hide when a key is pressed and come back at the next
// touch; `shown(on)` tells the page.
export function setUpTouchControls(isRunning, shown) {
  shown(navigator.maxTouchPoints > 0);
  window.addEventListener('pointerdown', event => {
    if (event.pointerType === 'touch') shown(true);
  }, true);
  const stick = element('touch-stick');
  stick.addEventListener('pointerdown', onStickDown);
  stick.addEventListener('pointermove', moveStick);
  stick.addEventListener('pointerup', onStickUp);
  stick.addEventListener('pointercancel', onStickUp);
  for (const button of document.querySelectorAll('.touch-button')) {
    button.addEventListener('pointerdown', onTouchButtonDown);
    button.addEventListener('pointerup', onTouchButtonUp);
    button.addEventListener('pointercancel', onTouchButtonUp);
  }
  // No menus, selections or zooming from a held or doubled tap on the controls.
  for (const id of ['touch', 'number-pad']) {
    element(id).addEventListener('contextmenu', event => event.preventDefault());
  }
  setUpNumberPad(isRunning);
}
