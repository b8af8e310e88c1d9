// The parts of mediabunny the video worker uses; esbuild bundles them (and only them) into
// the site's vendor/mediabunny.js.
export {EncodedAudioPacketSource, EncodedPacket, EncodedVideoPacketSource, Mp4OutputFormat, Output,
        StreamTarget} from 'mediabunny';
