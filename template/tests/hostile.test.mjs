// Hostile names end to end: a tree whose names hold what the platform allows,
// listed by ostrivel-cli and opened in the browser. Every name must show as it
// is on disk and nothing may run.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { accessSync, constants, mkdirSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import { tempDir, launch, openPage, rowTexts, templatePath } from './support.mjs';

const cli = process.env.OSTRIVEL_CLI;
let usable = false;
try { accessSync(cli || '', constants.X_OK); usable = true; } catch { /* not built */ }
const skip = usable ? false : 'ostrivel-cli is not part of this build';

const NAMES = [
  "it's", 'a&b', '&amp;', 'semi;colon', '(paren)', 'back`tick`', '$HOME ${x}', '100%',
  '  spaces at both ends  ', 'e\u0301\u0301 combining', '\u202Eright-to-left\u202C', '\u200Fmark',
  '😀 emoji 𝄞', 'x onerror=alert(1) y', "javascript:alert('x')", 'star*name', 'why?', 'back\\slash',
];
// Characters the program leaves out of listings (they cannot be joined into a
// Windows path): such entries must not appear, and must not break the page.
const LEFT_OUT = ['quote"d', '<script>alert(1)<', 'pipe|d'];
const TITLE = '</title><script>alert(1)</script><img src=x onerror=alert(2)>';

let browser, tmp, src, pageUrl;
before(async () => {
  if (skip) return;
  browser = await launch();
  tmp = tempDir('ostrivel-hostile-');
  src = join(tmp.dir, "hostile `$(x)` & 'root'");
  mkdirSync(src);
  for (const n of [...NAMES, ...LEFT_OUT]) writeFileSync(join(src, n), 'x');
  mkdirSync(join(src, 'dir ") alert(1) //'));
  // A name that is not UTF-8: the program keeps its bytes; the page shows a replacement.
  writeFileSync(Buffer.concat([Buffer.from(join(src, 'bad')), Buffer.from([0xff, 0xfe, 0x41])]), 'x');
  const out = join(tmp.dir, 'out');
  mkdirSync(out);
  const path = execFileSync(cli, ['-q', '--template', templatePath, '-t', TITLE, src, out], {
    env: { ...process.env, LANG: 'en_US.UTF-8', LC_ALL: 'en_US.UTF-8', TZ: 'UTC' }, encoding: 'utf8',
  }).trim();
  pageUrl = pathToFileURL(path).href;
});
after(async () => {
  await browser?.close();
  tmp?.remove();
});

test('hostile names, title and root show as they are and run nothing', { skip }, async (t) => {
  const { page, problems, close } = await openPage(browser, pageUrl);
  t.after(close);
  assert.equal(await page.title(), TITLE);
  assert.equal(await page.locator('#root').textContent(), src);
  const shown = await rowTexts(page, 'list');
  // The record block turns every backslash into "/", names included.
  for (const n of NAMES) {
    const expected = n.replaceAll('\\', '/');
    assert.ok(shown.includes(expected), `${JSON.stringify(n)} shown as ${JSON.stringify(expected)}`);
  }
  for (const n of LEFT_OUT) assert.ok(!shown.includes(n), `${JSON.stringify(n)} left out`);
  assert.ok(shown.some((n) => /^bad\uFFFD+A$/.test(n)), 'a name that is not UTF-8 shows with a replacement');
  // Nothing injected became markup: no image or script element beyond the page's own.
  assert.equal(await page.locator('img').count(), 0);
  assert.equal(await page.locator('script').count(), 1);
  assert.deepEqual(problems, []);
});
