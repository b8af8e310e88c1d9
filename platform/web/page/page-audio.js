// The page's own sound (the screen's beep) and silence while the page is hidden: the game
// freezes then, since animation frames stop, and its effects must not go on sounding.

let beepContext = null;

// A 1000 Hz tone for 250 ms through Web Audio; nothing where the page has no audio.
export function beep() {
  try {
    beepContext = beepContext || new AudioContext();
    const tone = beepContext.createOscillator();
    const level = beepContext.createGain();
    tone.frequency.value = 1000;
    level.gain.value = 0.2;
    tone.connect(level).connect(beepContext.destination);
    tone.start();
    tone.stop(beepContext.currentTime + 0.25);
  } catch (e) {
    // No audio on this page: the beep is simply not heard.
  }
}

// `pauseProgram(paused)` suspends or resumes the program's own audio (the sound edition's
// OpenAL); it may do nothing.
export function silenceWhileHidden(pauseProgram) {
  document.addEventListener('visibilitychange', () => {
    const hidden = document.visibilityState === 'hidden';
    pauseProgram(hidden);
    if (!beepContext) return;
    (hidden ? beepContext.suspend() : beepContext.resume()).catch(() => {});
  });
}
