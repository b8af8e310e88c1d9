// Makes a video of a recording, off the page's thread: the game replayed by kestal-video
// (the same headless run as kestal-replay --video), each frame and each retrace's sound
// encoded by the browser (WebCodecs) as soon as it is drawn, muxed into MP4 by mediabunny
// (served from this site), and the file handed back as a Blob. The page ends the worker to
// cancel, which frees everything it holds.
//
// Messages in: {script, edition, lastRetrace}. Out: {type: 'progress', frames},
// {type: 'done', video: Blob, frames, audio: 'aac'|'opus'|null}, {type: 'failed', reason}.
import {EncodedAudioPacketSource, EncodedPacket, EncodedVideoPacketSource, Mp4OutputFormat,
        Output, StreamTarget} from './vendor/mediabunny.js';
import createVideoMaker from './kestal-video.js';
import {SOUND_FILES, VIDEO, chooseEncoders} from './video-settings.js';

// Frames the encoder may hold before the game waits for it: enough to keep it busy, few
// enough that memory stays flat (a frame is 1.8 MB).
const QUEUE_MOST = 4;
const PROGRESS_EVERY = 30;
const AAC_FRAME = 1024;

// The file as Blob parts, kept by the browser (on disk where it likes) rather than in one
// growing buffer. The muxer writes in order and then goes back once to fill in sizes.
function blobTarget() {
  const parts = [];
  const patches = [];
  let end = 0;
  const writable = new WritableStream({
    write({data, position}) {
      if (position === end) {
        parts.push(new Blob([data]));
        end += data.byteLength;
      } else {
        patches.push({position, data: data.slice()});
      }
    },
  });
  return {
    target: new StreamTarget(writable, {chunked: true, chunkSize: 4 * 1024 * 1024}),
    blob() {
      let whole = new Blob(parts);
      for (const {position, data} of patches) {
        whole = new Blob([whole.slice(0, position), data, whole.slice(position + data.byteLength)]);
      }
      return new Blob([whole], {type: 'video/mp4'});
    },
  };
}

async function soundFiles() {
  const files = await Promise.all(SOUND_FILES.map(async name => {
    try {
      const response = await fetch(new URL('sound/' + name, import.meta.url));
      return response.ok ? {name, bytes: new Uint8Array(await response.arrayBuffer())} : null;
    } catch (error) {
      return null;  // that effect stays silent, as in the game
    }
  }));
  return files.filter(file => file !== null);
}

async function makeVideo({script, edition, lastRetrace}) {
  const silent = edition === 'silent';
  const encoders = await chooseEncoders(!silent);
  if (encoders.problem) throw new Error(encoders.problem);

  const file = blobTarget();
  const output = new Output({format: new Mp4OutputFormat({fastStart: false}), target: file.target});
  const videoTrack = new EncodedVideoPacketSource('avc');
  output.addVideoTrack(videoTrack, {frameRate: VIDEO.frameRate});
  let audioTrack = null;
  if (encoders.audio) {
    audioTrack = new EncodedAudioPacketSource(encoders.audio.track);
    output.addAudioTrack(audioTrack);
  }
  await output.start();

  let failure = null;
  let muxing = Promise.resolve();
  const mux = (track, packet, meta) => {
    muxing = muxing.then(() => track.add(packet, meta))
                   .catch(error => { failure = failure || error; });
  };
  // An AAC packet is 1024 samples whatever the encoder stamps on it (WebKitGTK stamps its
  // packets with the times of the pieces it was given): packets are timed by their count.
  let aacPackets = 0;
  const soundPacket = chunk => {
    const packet = EncodedPacket.fromEncodedChunk(chunk);
    if (encoders.audio.track !== 'aac') return packet;
    const seconds = AAC_FRAME / VIDEO.soundRate;
    return packet.clone({timestamp: seconds * aacPackets++, duration: seconds});
  };
  const fail = error => { failure = failure || error; };
  const videoEncoder = new VideoEncoder({output: (chunk, meta) => mux(videoTrack, EncodedPacket.fromEncodedChunk(chunk), meta),
                                         error: fail});
  videoEncoder.configure(encoders.video.config);
  let audioEncoder = null;
  if (audioTrack) {
    audioEncoder = new AudioEncoder({output: (chunk, meta) => mux(audioTrack, soundPacket(chunk), meta),
                                     error: fail});
    audioEncoder.configure(encoders.audio.config);
  }

  let frames = 0;
  let samples = 0;
  const frameMicroseconds = 1e6 / VIDEO.frameRate;
  const module = await createVideoMaker({
    noInitialRun: true,
    print: text => console.log(text),
    printErr: text => console.warn(text),
    videoPicture(address, bytes) {
      if (failure) throw failure;
      const frame = new VideoFrame(module.HEAPU8.subarray(address, address + bytes), {
        format: 'I420',
        codedWidth: VIDEO.width,
        codedHeight: VIDEO.height,
        timestamp: Math.round(frames * frameMicroseconds),
        duration: Math.round(frameMicroseconds),
        colorSpace: VIDEO.colorSpace,
      });
      videoEncoder.encode(frame, encoders.video.options(frames));
      frame.close();
      frames += 1;
      if (frames % PROGRESS_EVERY === 0) postMessage({type: 'progress', frames});
      return videoEncoder.encodeQueueSize > QUEUE_MOST;
    },
    videoSound(address, count) {
      if (!audioEncoder) return;
      const data = module.HEAPF32.slice(address >> 2, (address >> 2) + count);
      audioEncoder.encode(new AudioData({format: 'f32', sampleRate: VIDEO.soundRate,
                                         numberOfFrames: count, numberOfChannels: 1,
                                         timestamp: Math.round(samples * 1e6 / VIDEO.soundRate),
                                         data}));
      samples += count;
    },
    async videoCatchUp() {
      while (videoEncoder.encodeQueueSize > QUEUE_MOST / 2 && !failure) {
        await new Promise(resolve => setTimeout(resolve, 1));
      }
      await muxing;
    },
  });
  for (const {name, bytes} of await soundFiles()) {
    module.FS.mkdirTree('/sound');
    module.FS.writeFile('/sound/' + name, bytes);
  }
  const problem = await module.ccall('kestal_video_make', 'string', ['string', 'number', 'number'],
                                     [script, silent ? 1 : 0, lastRetrace], {async: true});
  if (problem) throw new Error(`the recording could not be replayed (${problem})`);
  await videoEncoder.flush();
  if (audioEncoder) await audioEncoder.flush();
  await muxing;
  if (failure) throw failure;
  await output.finalize();
  return {video: file.blob(), frames, audio: encoders.audio ? encoders.audio.track : null};
}

self.onmessage = ({data}) => {
  makeVideo(data).then(made => postMessage({type: 'done', ...made}),
                       error => postMessage({type: 'failed', reason: error.message || String(error)}));
};
