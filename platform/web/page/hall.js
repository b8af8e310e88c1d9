// The hall of fame's page: one board per edition, 20 entries a page, read from the hall at
// api/ beside the page (the site's host forwards it). Names are players' own text, so every
// value goes into the page as text, never as markup. Watch fetches the recording and opens
// the edition's page with it as a share link, as "Share replay" makes them. The modules it
// shares with the game's page are imported when needed, so that the board is asked for
// without waiting for them.

const PER_PAGE = 20;
const RETRACES_A_MINUTE = 60 * 60;
const EDITIONS = ['sound', 'silent'];
const GAME_PAGES = {sound: 'index.html', silent: 'silent.html'};

const element = id => document.getElementById(id);
const say = text => { element('status').textContent = text; };

const OFFLINE = 'The hall needs a connection: it keeps its board on its server, and this ' +
                'device cannot reach it now. The games themselves play offline.';

// The board and page the address asks for, within what exists.
function wanted() {
  const query = new URLSearchParams(location.search);
  const edition = EDITIONS.includes(query.get('edition')) ? query.get('edition') : 'sound';
  const page = Math.max(1, Math.floor(Number(query.get('page'))) || 1);
  return {edition, page};
}

const address = (edition, page) => `hall.html?edition=${edition}${page > 1 ? `&page=${page}` : ''}`;

// The hall's answer; an Error whose message a player can read when it cannot be had.
async function reach(path) {
  try {
    return await fetch(path);
  } catch (error) {
    throw new Error(OFFLINE);
  }
}

// The hall words its errors as {"error": "..."}; anything else is a host without a hall.
async function failure(response) {
  const body = response.bodyUsed ? null : await response.json().catch(() => null);
  if (body && typeof body.error === 'string') return new Error(body.error);
  return new Error(`The hall of fame did not answer here (status ${response.status}): this ` +
                   'site may not forward api/ to one.');
}

async function ask(path) {
  const response = await reach(path);
  if (!response.ok) throw await failure(response);
  const body = await response.json().catch(() => null);
  if (!body || !Array.isArray(body.entries)) throw await failure(response);
  return body;
}

function cell(row, text, label) {
  const td = row.insertCell();
  td.textContent = text;
  td.dataset.label = label;
  return td;
}

// Retraces and minutes at 60 Hz: "9673 retraces, 2.7 min".
export function gameLength(retraces) {
  return `${retraces} retraces, ${(retraces / RETRACES_A_MINUTE).toFixed(1)} min`;
}

export function entryRow(entry) {
  const row = document.createElement('tr');
  cell(row, String(entry.rank), 'Rank').className = 'rank';
  cell(row, entry.name, 'Name').className = 'name';
  cell(row, String(entry.score), 'Score');
  cell(row, String(entry.level), 'Level');
  const victory = cell(row, entry.victory ? '★' : '', 'Victory');
  if (entry.victory) victory.title = 'Final victory';
  victory.className = 'victory';
  cell(row, gameLength(entry.retraces), 'Length');
  const date = document.createElement('time');
  date.dateTime = entry.date;
  date.textContent = String(entry.date).slice(0, 10);
  cell(row, '', 'Date').append(date);
  const watch = document.createElement('button');
  watch.type = 'button';
  watch.textContent = 'Watch';
  watch.setAttribute('aria-label', `Watch the game of ${entry.name}, rank ${entry.rank}`);
  watch.addEventListener('click', () => watchGame(entry, watch));
  cell(row, '', 'Replay').append(watch);
  return row;
}

async function watchGame(entry, button) {
  button.disabled = true;
  say(`Fetching the game of ${entry.name}…`);
  try {
    const response = await reach(`api/entries/${encodeURIComponent(entry.id)}/replay`);
    if (!response.ok) throw await failure(response);
    const script = await response.text();
    const {shareLink} = await import('./page-replay.js');
    location.assign(await shareLink(script, GAME_PAGES[entry.edition]));
  } catch (error) {
    say(error.message);
    button.disabled = false;
  }
}

function showPaging({edition, page}, total) {
  const pages = Math.max(1, Math.ceil(total / PER_PAGE));
  const link = (id, to, shown) => {
    element(id).hidden = !shown;
    if (shown) element(id).href = address(edition, to);
  };
  link('higher', Math.min(page - 1, pages), page > 1);
  link('lower', page + 1, page < pages);
  return pages;
}

function showBoard(wish, board) {
  const first = (wish.page - 1) * PER_PAGE + 1;
  const pages = showPaging(wish, board.total);
  const name = wish.edition === 'sound' ? 'With sound' : 'Silent';
  if (board.entries.length === 0) {
    say(board.total === 0 ? `${name}: no game entered yet. Play one, and enter it at its end.`
                          : `${name}: this board has ${board.total} entries, fewer than this page's first.`);
    return;
  }
  element('caption').textContent =
      `${name}: entries ${first} to ${first + board.entries.length - 1} of ${board.total}` +
      ` (page ${wish.page} of ${pages})`;
  element('entries').replaceChildren(...board.entries.map(entryRow));
  element('board').hidden = false;
  say('');
}

async function boot() {
  const wish = wanted();
  for (const link of document.querySelectorAll('.editions a')) {
    if (link.dataset.edition === wish.edition) link.setAttribute('aria-current', 'page');
  }
  document.title = `KESTAL 2: hall of fame, ${wish.edition === 'sound' ? 'with sound' : 'silent'}`;
  // A visitor who leaves at once cuts the import short: nothing to tell.
  import('./page-offline.js').then(offline => offline.keepForOffline('service-worker.js'),
                                   () => {});
  // Offline the page comes from the service worker's copy; the board comes back with the
  // connection.
  if (navigator.onLine === false) {
    say(OFFLINE);
    window.addEventListener('online', () => location.reload(), {once: true});
    return;
  }
  const offset = (wish.page - 1) * PER_PAGE;
  try {
    showBoard(wish, await ask(`api/entries?edition=${wish.edition}&limit=${PER_PAGE}&offset=${offset}`));
  } catch (error) {
    say(error.message);
  }
}

boot();
