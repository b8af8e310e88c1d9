// The page's own logic where no engine can differ, run once by Node.js: how the end card
// words the hall of fame's answer.
'use strict';

const assert = require('node:assert');
const {test} = require('node:test');

test('the answer in words: English ordinals, the final victory', async () => {
  const {ordinal, verifiedSentence} = await import('../../platform/web/page/page-hall.js');
  const ordinals = [1, 2, 3, 4, 11, 12, 13, 21, 22, 23, 101, 111, 112, 1013].map(ordinal);
  assert.deepStrictEqual(ordinals, ['1st', '2nd', '3rd', '4th', '11th', '12th', '13th', '21st',
                                    '22nd', '23rd', '101st', '111th', '112th', '1013th']);
  assert.strictEqual(verifiedSentence({score: 432, level: 11, victory: true, rank: 3, total: 57}),
                     'Verified: 432 points, level 11, final victory — 3rd of 57');
  assert.strictEqual(verifiedSentence({score: 1, level: 2, victory: false, rank: 1, total: 1}),
                     'Verified: 1 point, level 2 — 1st of 1');
});
