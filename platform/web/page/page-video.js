// "Save video": the recording made into an MP4 file by a worker (video-worker.js), with a
// progress bar, the time left and Cancel; the page and the game go on meanwhile. Where this
// browser cannot encode, the button says why instead. Tests and embedding pages read
// document.body.dataset.video (ready or unsupported once the browser was asked, then making,
// saved, cancelled or failed) and
// kestalPage.lastVideo() (the last file made, as a Blob).
import {chooseEncoders} from './video-settings.js';
import {fileStamp} from './page-replay.js';

let worker = null;
let lastVideo = null;

const element = id => document.getElementById(id);
const setVideoState = value => { document.body.dataset.video = value; };

function showProgress(shown) {
  element('video-progress').hidden = !shown;
  element('save-video').disabled = shown;
}

function timeLeft(seconds) {
  if (!Number.isFinite(seconds)) return '';
  if (seconds < 60) return `about ${Math.max(1, Math.round(seconds))} s left`;
  return `about ${Math.round(seconds / 60)} min left`;
}

function download(blob) {
  const link = document.createElement('a');
  link.href = URL.createObjectURL(blob);
  link.download = `kestal-${fileStamp(new Date())}.mp4`;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 60000);
}

function stopWorker() {
  if (worker) worker.terminate();
  worker = null;
}

// Films `recording()` ({script, edition, lastRetrace, expectedFrames}); `say` puts a
// sentence on the card.
function makeVideo(recording, say) {
  stopWorker();
  const {script, edition, lastRetrace, expectedFrames} = recording();
  const bar = element('video-bar');
  const left = element('video-left');
  const total = Math.max(1, expectedFrames);
  const started = performance.now();
  bar.value = 0;
  left.textContent = 'starting…';
  showProgress(true);
  setVideoState('making');
  const making = new Worker('video-worker.js', {type: 'module'});
  worker = making;
  making.onmessage = ({data}) => {
    if (worker !== making) return;  // said before it was cancelled
    if (data.type === 'progress') {
      const done = Math.min(1, data.frames / total);
      bar.value = done;
      const elapsed = (performance.now() - started) / 1000;
      left.textContent = timeLeft(elapsed * (1 - done) / done);
      return;
    }
    stopWorker();
    showProgress(false);
    if (data.type === 'done') {
      lastVideo = data.video;
      download(data.video);
      const megabytes = (data.video.size / 1e6).toFixed(1);
      say(`The video is saved: ${data.frames} frames, ${megabytes} MB.`);
      setVideoState('saved');
    } else {
      say(`The video could not be made: ${data.reason}.`);
      setVideoState('failed');
    }
  };
  making.onerror = event => {
    event.preventDefault();
    if (worker !== making) return;
    stopWorker();
    showProgress(false);
    say(`The video could not be made: ${event.message || 'its worker did not start'}.`);
    setVideoState('failed');
  };
  making.postMessage({script, edition, lastRetrace});
}

// Sets the button up once; `recording()` gives what to film when it is pressed.
export function setUpVideo(recording, say) {
  const button = element('save-video');
  button.addEventListener('click', () => makeVideo(recording, say));
  element('video-cancel').addEventListener('click', () => {
    stopWorker();
    showProgress(false);
    say('The video was cancelled.');
    setVideoState('cancelled');
  });
  const edition = document.body.dataset.edition;
  const workers = typeof Worker === 'function';
  // WebKitGTK sets its media library up when first asked; asked first by an encoder, off
  // this thread, its page's process stops (2.50 on Debian 12). A question about playing,
  // here, sets it up where it must be; elsewhere it costs nothing.
  document.createElement('video').canPlayType('video/mp4');
  (workers ? chooseEncoders(edition !== 'silent') : Promise.resolve({problem: 'it has no workers'}))
      .then(encoders => {
        if (!encoders.problem) {
          setVideoState('ready');
          return;
        }
        button.disabled = true;
        button.textContent = `No video: this browser ${encoders.problem.replace(/^it /, '')}`;
        button.title = `This browser cannot make videos: ${encoders.problem}.`;
        setVideoState('unsupported');
      });
}

export function offerVideo(shown) {
  element('save-video').hidden = !shown;
}

export const videoMade = () => lastVideo;
