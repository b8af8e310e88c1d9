// What the page reads of a recording at most, the same as every other reader of one: these
// mirror replay/recording_limits.h (the replay tool and the hall of fame), and the browser
// tests hold the page's refusal to the replay tool's own words. The event and retrace limits
// are left to the program's reader of the script, which the page hands no more than this.
export const RECORDING_MAX_BYTES = 4 * 1024 * 1024;

// "is 5000000 bytes, 805696 more than ...", to follow "The recording ", as the tool says it.
export function sizeOverLimit(bytes) {
  return `is ${bytes} bytes, ${bytes - RECORDING_MAX_BYTES} more than the ` +
         `${RECORDING_MAX_BYTES} bytes (4 MiB) a recording may have`;
}

// For a stream stopped at the limit, whose whole size is never known.
export const LINK_OVER_LIMIT = `The recording in this link is more than ${RECORDING_MAX_BYTES} ` +
                              'bytes (4 MiB), the most a recording may have.';
