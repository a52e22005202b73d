// The record reader of the page, run directly: whatever pieces the browser
// hands the block over in, the result is the same.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { recordBlock, templatePath } from './support.mjs';
import { richTree, hostileTree } from './fixtures.mjs';

// The reading functions stand between two section marks of the script.
function loadReader() {
  const html = readFileSync(templatePath, 'utf8');
  const script = /<script>([\s\S]*?)<\/script>/.exec(html)[1];
  const from = script.indexOf('// ---------------------------------------------------------------- the data block');
  const to = script.indexOf('// ---------------------------------------------------------------- virtual list');
  assert.ok(from > 0 && to > from, 'the script keeps its section marks');
  return new Function(`var M; ${script.slice(from, to)}; return { parseRecords };`)();
}
const { parseRecords } = loadReader();

// Everything the page shows of a parse, as plain data.
function summary(m) {
  const files = [];
  for (let f = 0; f < m.nf; f++) {
    const text = m.pieces[m.filePiece[f]], e = m.entryStop[f];
    files.push([text.slice(m.nameStart[f], m.nameEnd[f]), m.fileSize[f], text.slice(text.lastIndexOf('*', e - 1) + 1, e)]);
  }
  return {
    dirs: m.dirPath.map((p, d) => [p, m.dirName[d], m.dirTime[d], m.dirOwn[d], m.parent[d], m.fileStart[d], m.totSize[d], m.totFiles[d]]),
    files,
  };
}

const block = [
  ...recordBlock('C:/Data', richTree()).lines,
  ...recordBlock('C:/Data/H', hostileTree()).lines.map((l) => l.replace(/"(\d+(\*\d+)*)"\]\)$/, (_, idx) => `"${idx.split('*').map((i) => +i + 21).join('*')}"])`)),
  'D.p(["C:/Data/orphan*0*-",0,""])',
].join('\n') + '\n';

test('a block split anywhere into two pieces reads the same as in one', () => {
  const whole = summary(parseRecords([block], 0));
  assert.equal(whole.files.length, 18 + 14 + 2);
  assert.equal(whole.dirs.length, 21 + 3 + 1);
  for (let cut = 0; cut <= block.length; cut++) {
    const parts = summary(parseRecords([block.slice(0, cut), block.slice(cut)], 0));
    assert.deepEqual(parts, whole, `cut at ${cut}`);
  }
});

test('many small pieces, empty ones and a record longer than a piece', () => {
  const whole = summary(parseRecords([block], 0));
  for (const size of [1, 2, 7, 64, 333]) {
    const pieces = [];
    for (let i = 0; i < block.length; i += size) pieces.push(block.slice(i, i + size), '');
    assert.deepEqual(summary(parseRecords(pieces, 0)), whole, `pieces of ${size}`);
  }
  const long = 'D.p(["C:/L*0*-"' + Array.from({ length: 500 }, (_, i) => `,"f${i}*${i}*2020/1/1 0:00:00"`).join('') + ',124750,""])\n';
  const pieces = [];
  for (let i = 0; i < long.length; i += 100) pieces.push(long.slice(i, i + 100));
  const m = parseRecords(pieces, 0);
  assert.equal(m.nf, 500);
  assert.equal(m.totSize[0], 124750);
  assert.deepEqual(summary(m), summary(parseRecords([long], 0)));
});
