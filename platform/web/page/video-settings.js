// What a video made in the page is: the same frame, rate and colours as kestal-replay
// --video makes (video/video_format.h), H.264 for every site and phone, with Opus sound (or
// AAC where a browser has no Opus). Shared by the page (to say at once whether this browser can
// make one) and the worker that makes it.
export const VIDEO = {
  width: 1280,
  height: 960,
  frameRate: 60,
  soundRate: 48000,
  colorSpace: {primaries: 'bt709', transfer: 'bt709', matrix: 'bt709', fullRange: false},
};

export const SOUND_FILES = ['Warp.wav', 'Shield.wav', 'Laser.wav', 'Hit.wav', 'Explosion.wav'];

// H.264 High at level 4.2 (1280x960 at 60 frames a second needs it), or 4.0 for encoders
// that check levels less finely; Constrained Baseline last.
const VIDEO_CODECS = ['avc1.64002a', 'avc1.640028', 'avc1.4d402a', 'avc1.42e02a'];
// The star field's single pixels are noise to an encoder: this rate keeps a busy frame of
// play near 40 dB PSNR. A key frame every two seconds, for seeking.
const VIDEO_BITRATE = 24e6;
const KEY_FRAME_EVERY = 2 * VIDEO.frameRate;

// Opus first: of the engines tested, only WebKitGTK encodes AAC, and its AAC sounds two
// frames late (a delay in the data that nothing in the file says), while every engine's Opus
// carries its own delay and starts each sound on its frame. AAC where Opus is not offered.
const AUDIO_CHOICES = [
  {track: 'opus', config: {codec: 'opus', sampleRate: VIDEO.soundRate, numberOfChannels: 1, bitrate: 96000}},
  {track: 'aac', config: {codec: 'mp4a.40.2', sampleRate: VIDEO.soundRate, numberOfChannels: 1, bitrate: 128000}},
];

async function supported(Encoder, config) {
  try {
    const answer = await Encoder.isConfigSupported(config);
    return answer.supported === true;
  } catch (error) {
    return false;
  }
}

// {video: {config, options(frameIndex)}, audio: {track, config} | null} or {problem}, the
// problem in words that finish "This browser cannot make videos: ...".
export async function chooseEncoders(withSound) {
  if (typeof VideoEncoder === 'undefined' || typeof VideoFrame === 'undefined') {
    return {problem: 'it has no video encoder (WebCodecs)'};
  }
  let video = null;
  for (const codec of VIDEO_CODECS) {
    const config = {codec, width: VIDEO.width, height: VIDEO.height, framerate: VIDEO.frameRate,
                    bitrate: VIDEO_BITRATE, bitrateMode: 'variable', avc: {format: 'avc'}};
    if (await supported(VideoEncoder, config)) {
      video = {config, options: frame => ({keyFrame: frame % KEY_FRAME_EVERY === 0})};
      break;
    }
  }
  if (!video) return {problem: 'it encodes no H.264 video at 1280x960'};
  if (!withSound) return {video, audio: null};
  if (typeof AudioEncoder === 'undefined' || typeof AudioData === 'undefined') {
    return {problem: 'it has no sound encoder (WebCodecs)'};
  }
  for (const audio of AUDIO_CHOICES) {
    if (await supported(AudioEncoder, audio.config)) return {video, audio};
  }
  return {problem: 'it encodes neither AAC nor Opus sound'};
}
