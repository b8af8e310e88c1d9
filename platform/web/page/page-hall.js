// The hall of fame from the end card: offered only when the hall answers, it takes the
// recording and a name and says in words what the hall made of them. The hall is at
// body.dataset.hall (the build's KESTAL_HALL_URL), by default api/ beside the page, so that a
// site under a sub-path reaches its own. Nothing here touches the recording: whatever the
// hall says, Save and Share still have it.
const NAME_KEY = 'kestal-hall-name';
const HEALTH_WAIT_MS = 5000;
// A whole game waits for the hall's queue and its replay: the hall answers within 110 s, the
// site in front of it within 115 s (the README's time budget).
const ENTRY_WAIT_MS = 120000;

// With a slash at the end, so that health and entries are found under it.
const hallUrl = () => new URL((document.body.dataset.hall || 'api/').replace(/\/?$/, '/'),
                              location.href);

export function ordinal(n) {
  const tens = n % 100;
  const suffix = tens >= 11 && tens <= 13 ? 'th' : ({1: 'st', 2: 'nd', 3: 'rd'}[n % 10] || 'th');
  return `${n}${suffix}`;
}

export function verifiedSentence(entry) {
  const points = entry.score === 1 ? 'point' : 'points';
  const ending = entry.victory ? ', final victory' : '';
  return `Verified: ${entry.score} ${points}, level ${entry.level}${ending} — ` +
         `${ordinal(entry.rank)} of ${entry.total}`;
}

function fetchWithin(url, options, milliseconds) {
  const stop = new AbortController();
  const timer = setTimeout(() => stop.abort(), milliseconds);
  return fetch(url, {...options, signal: stop.signal, cache: 'no-store'})
      .finally(() => clearTimeout(timer));
}

async function hallAnswers() {
  if (navigator.onLine === false) return false;
  try {
    const answer = await fetchWithin(new URL('health', hallUrl()), {}, HEALTH_WAIT_MS);
    return answer.ok && (await answer.json()).status === 'ok';
  } catch (error) {
    return false;
  }
}

const UNREACHABLE = 'The hall of fame cannot be reached just now; the recording is kept: ' +
                    'save or share it to enter it later.';
const OFFLINE = 'This device is offline, so the hall of fame cannot be reached; the recording ' +
                'is kept: save or share it to enter it later.';

// What the hall said of the entry, in one sentence.
async function submit(name, script) {
  if (navigator.onLine === false) return OFFLINE;
  let answer;
  try {
    answer = await fetchWithin(new URL('entries', hallUrl()), {
      method: 'POST', headers: {'Content-Type': 'application/json'},
      body: JSON.stringify({name, replay: script}),
    }, ENTRY_WAIT_MS);
  } catch (error) {
    return UNREACHABLE;
  }
  const said = await answer.json().catch(() => null);
  if (answer.ok && said && Number.isInteger(said.rank)) return verifiedSentence(said);
  if (said && typeof said.error === 'string' && answer.status < 500) return said.error;
  return said && typeof said.error === 'string' ? `${said.error} ${UNREACHABLE}` : UNREACHABLE;
}

// At the end of a game played here: shows "Enter the hall of fame" when the hall answers,
// else says why not. `script` gives the recording.
export async function offerHall(element, script) {
  const form = element('hall-entry');
  const name = element('hall-name');
  const note = element('hall-note');
  const say = text => {
    note.textContent = text;
    note.hidden = false;
  };
  if (!(await hallAnswers())) {
    form.dataset.hall = 'unreachable';
    say(navigator.onLine === false ? OFFLINE : UNREACHABLE);
    return;
  }
  name.value = localStorage.getItem(NAME_KEY) || '';
  form.dataset.hall = 'offered';
  form.hidden = false;
  form.addEventListener('submit', async event => {
    event.preventDefault();
    const chosen = name.value.trim();
    if (!chosen) {
      say('Type the name to show in the hall of fame first.');
      name.focus();
      return;
    }
    try {
      localStorage.setItem(NAME_KEY, chosen);
    } catch (error) {
      // Storage refused (a private window): the name is asked again next time.
    }
    const button = element('enter-hall');
    button.disabled = true;
    say('The hall of fame replays the game to check it…');
    const sentence = await submit(chosen, script());
    say(sentence);
    form.dataset.hall = sentence.startsWith('Verified:') ? 'entered' : 'refused';
    button.disabled = form.dataset.hall === 'entered';
  });
}
