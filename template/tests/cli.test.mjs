// Pages made by ostrivel-cli from trees written to disk, opened in the
// browser. Runs when the build passes the program's path in OSTRIVEL_CLI.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { accessSync, constants, mkdirSync, readFileSync, readdirSync, statSync, utimesSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import { tempDir, launch, openPage, rowTexts, templatePath, searchFor, waitForFolder } from './support.mjs';

const cli = process.env.OSTRIVEL_CLI;
let usable = false;
try { accessSync(cli || '', constants.X_OK); usable = true; } catch { /* not built */ }
const skip = usable ? false : 'ostrivel-cli is not part of this build';

// 2018-12-08 09:30:00 UTC, and one second later for each further entry.
const T0 = Date.UTC(2018, 11, 8, 9, 30, 0) / 1000;
const FILES = [
  ['readme.md', 2048], ['notes.txt', 120], ['empty.bin', 0], ['file 9.txt', 9], ['file 10.txt', 10],
  ["it's here.txt", 13], ['R&D report.pdf', 300000], ['&amp;literal.txt', 11], ['报告 2018.docx', 65536],
  ['tick `x` ${HOME}.txt', 21], ['100% #1;=?.log', 5],
];
const DIRS = {
  'Music': [['song.mp3', 4000000]],
  'Music/Live': [['live.flac', 3000000]],
  'R&D': [],
  'Empty': [],
  '相册 2018': [['旅行.png', 800000]],
  'Deep/a/b/c/d/e/f/g/h': [['bottom.txt', 7]],
};

let browser, tmp, src, pageUrl, cliOut;
before(async () => {
  if (skip) return;
  browser = await launch();
  tmp = tempDir('ostrivel-cli-page-');
  src = join(tmp.dir, 'Data set');
  let k = 0;
  const stamp = (p) => utimesSync(p, T0 + k, T0 + k++);
  const write = (dir, list) => {
    for (const [name, size] of list) {
      writeFileSync(join(dir, name), Buffer.alloc(size, 0x61));
      stamp(join(dir, name));
    }
  };
  mkdirSync(src);
  write(src, FILES);
  for (const [rel, list] of Object.entries(DIRS)) {
    mkdirSync(join(src, rel), { recursive: true });
    write(join(src, rel), list);
  }
  // Folder times last, since adding entries changes them.
  for (const rel of Object.keys(DIRS).reverse()) {
    let p = rel;
    while (p) { stamp(join(src, p)); p = p.includes('/') ? p.slice(0, p.lastIndexOf('/')) : ''; }
  }
  stamp(src);
  const out = join(tmp.dir, 'out');
  mkdirSync(out);
  cliOut = execFileSync(cli, ['-q', '--template', templatePath, '-t', 'Data <set> 快照', src, out], {
    env: { ...process.env, LANG: 'en_US.UTF-8', LC_ALL: 'en_US.UTF-8', TZ: 'UTC' }, encoding: 'utf8',
  }).trim();
  pageUrl = pathToFileURL(cliOut).href;
});
after(async () => {
  await browser?.close();
  tmp?.remove();
});
async function open(t, hash = '', options = {}) {
  const p = await openPage(browser, pageUrl + hash, options);
  t.after(() => p.close());
  return p;
}
const names = (page) => rowTexts(page, 'list');
const sortedDisk = (dir) => readdirSync(dir).sort();

test('the page shows the tree on disk: header, folders, names, sizes and times', { skip }, async (t) => {
  const bytes = readFileSync(cliOut);
  assert.deepEqual([...bytes.subarray(0, 3)], [0xef, 0xbb, 0xbf], 'written in UTF-8 with its mark');
  const { page, problems } = await open(t);
  assert.equal(await page.title(), 'Data <set> 快照');
  assert.equal(await page.locator('#root').textContent(), src);
  const fileCount = FILES.length + Object.values(DIRS).reduce((n, l) => n + l.length, 0);
  const dirCount = 1 + new Set(Object.keys(DIRS).flatMap((r) => r.split('/').map((_, i, a) => a.slice(0, i + 1).join('/')))).size;
  const total = [...FILES, ...Object.values(DIRS).flat()].reduce((n, [, s]) => n + s, 0);
  const stats = await page.locator('#stats').innerText();
  assert.match(stats, new RegExp(`文件\\s*${fileCount}\\b`));
  assert.match(stats, new RegExp(`文件夹\\s*${dirCount}\\b`));
  assert.equal(await page.locator('#stats .chip').nth(2).getAttribute('title'), total.toLocaleString('en-US') + ' 字节');
  // Names exactly as on disk, folders first, each group in the program's name order.
  const shown = await names(page);
  const dirs = readdirSync(src).filter((n) => statSync(join(src, n)).isDirectory());
  assert.deepEqual(shown.slice(0, dirs.length).sort(), dirs.sort());
  assert.deepEqual(shown.slice(dirs.length).sort(), FILES.map(([n]) => n).sort());
  assert.ok(shown.indexOf('file 10.txt') < shown.indexOf('file 9.txt'));
  assert.deepEqual((await rowTexts(page, 'tree')).slice(1).sort(), dirs.sort());
  for (const [name, size] of FILES) {
    const cells = page.locator('#list .vrow:visible').filter({ has: page.locator('.t', { hasText: new RegExp(`^${name.replace(/[.*+?^${}()|[\]\\]/g, '\\$&')}$`) }) }).locator('.cell');
    assert.equal(await cells.nth(1).getAttribute('title'), size.toLocaleString('en-US') + ' 字节', name);
    assert.match(await cells.nth(2).innerText(), /^2018\/12\/8 9:3\d:\d\d$/, name);
  }
  assert.match(await page.locator('#summary').innerText(), /修改于\s*2018\/12\/8 9:3\d:\d\d/);
  assert.deepEqual(problems, []);
});

test('navigation, hash links, search and CSV on the program\'s page', { skip }, async (t) => {
  const { page, problems } = await open(t, '#/Deep/a/b/c/d/e/f/g/h');
  assert.deepEqual(await names(page), ['bottom.txt']);
  await page.locator('#crumbs button', { hasText: 'Deep' }).click();
  assert.equal(await page.evaluate(() => location.hash), '#/Deep');
  await page.goBack();
  await waitForFolder(page, 'h');
  assert.deepEqual(await names(page), ['bottom.txt']);
  await page.goto(pageUrl + '#/' + encodeURIComponent('相册 2018'));
  await waitForFolder(page, '相册 2018');
  assert.deepEqual(await names(page), sortedDisk(join(src, '相册 2018')));
  await page.locator('#crumbs button').first().click();
  await page.locator('#list .vrow:visible').filter({ has: page.locator('.go', { hasText: /^Empty$/ }) }).dblclick();
  assert.equal(await page.locator('#empty').innerText(), '此文件夹为空');
  await page.locator('#crumbs button').first().click();
  // The treemap's largest block is Music; a click opens it.
  await page.locator('#tm').click({ position: { x: 10, y: 10 } });
  assert.equal(await page.evaluate(() => location.hash), '#/Music');
  await searchFor(page, '*.TXT');
  const txt = ['notes.txt', 'file 9.txt', 'file 10.txt', "it's here.txt", '&amp;literal.txt', 'tick `x` ${HOME}.txt', 'bottom.txt'];
  assert.deepEqual((await names(page)).sort(), txt.sort());
  await searchFor(page, 'r&d');
  assert.equal(await page.locator('#qinfo').innerText(), '找到 2 项');
  assert.deepEqual(await names(page), ['R&D', 'R&D report.pdf']);
  const [dl] = await Promise.all([page.waitForEvent('download'), page.locator('#csv').click()]);
  const csv = readFileSync(await dl.path(), 'utf8').split('\r\n');
  assert.equal(csv[2], `文件,R&D report.pdf,${src},300000,${csv[2].split(',')[4]},`);
  assert.match(csv[2].split(',')[4], /^2018\/12\/8 9:3\d:\d\d$/);
  await page.locator('#list .vrow:visible', { hasText: 'R&D report.pdf' }).click();
  assert.equal(await page.evaluate(() => location.hash), '#/');
  assert.equal(await page.locator('#list .vrow.sel .t').innerText(), 'R&D report.pdf');
  assert.deepEqual(problems, []);
});
