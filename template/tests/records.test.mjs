// What the page makes of unusual input: names, titles and roots that hold
// markup or quotes, record blocks with fallbacks and damage, and blocks big
// enough to reach the page in many pieces.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { makePage, tempDir, launch, openPage, rowTexts, searchFor } from './support.mjs';
import { HOSTILE_NAMES, hostileTree } from './fixtures.mjs';

let browser, tmp;
before(async () => {
  browser = await launch();
  tmp = tempDir();
});
after(async () => {
  await browser?.close();
  tmp?.remove();
});
let pages = 0;
async function open(t, tree, values = {}, options = {}) {
  const url = makePage(tmp.dir, tree, { fileName: `p${pages++}.html`, ...values });
  const p = await openPage(browser, url + (options.hash || ''), options);
  t.after(() => p.close());
  return p;
}
const names = (page) => rowTexts(page, 'list');
const pwned = (page) => page.evaluate(() => window.__pwned);

test('names, title and root holding markup and quotes are shown as text and run nothing', async (t) => {
  const title = '</title><script>window.__pwned=4</script><img src=x onerror="window.__pwned=5"> "q" \'a\' `b` ${c} [SOURCE ROOT]';
  const root = 'C:/<img src=x onerror="window.__pwned=6">/"x" -->';
  const { page, problems } = await open(t, hostileTree(), { title, root });
  await page.waitForTimeout(200);
  assert.equal(await pwned(page), undefined);
  // The title went in before the root was filled, so it shows the root where it asked for it.
  const shown = title.replace('[SOURCE ROOT]', root);
  assert.equal(await page.title(), shown);
  assert.equal(await page.locator('#title').textContent(), shown);
  assert.equal(await page.locator('#root').textContent(), root);
  const sorted = [...HOSTILE_NAMES];
  assert.deepEqual(await names(page), ['<svg onload="window.__pwned=7">', 'dir","with*0*quotes', ...sorted]);
  assert.equal(await page.locator('#list img, #list svg[onload], #list script, #title *, #root *').count(), 0);
  // Exact bytes in the tooltip, exact names in search and in the CSV.
  await searchFor(page, '"in"');
  assert.deepEqual(await names(page), ['quote "in" name.txt']);
  await searchFor(page, '</script>');
  assert.deepEqual(await names(page), ['</script><script>window.__pwned=2</script>.txt']);
  await searchFor(page, 'star?1?name*');
  assert.deepEqual(await names(page), ['star*1*name.txt']);
  await searchFor(page, '"');
  const [dl] = await Promise.all([page.waitForEvent('download'), page.locator('#csv').click()]);
  const csv = readFileSync(await dl.path(), 'utf8').split('\r\n');
  assert.equal(csv[1], `文件夹,"<svg onload=""window.__pwned=7"">","${root.replace(/"/g, '""')}",1,2018/12/8 9:30:00,1`);
  assert.ok(csv.includes(`文件,"say"",""hi.txt","${root.replace(/"/g, '""')}",1006,2018/12/8 9:30:06,`), csv.join('\n'));
  // Into the folder whose name is markup, by click and by its hash.
  await searchFor(page, '');
  await page.locator('#tree .vrow:visible', { hasText: '<svg' }).click();
  assert.deepEqual(await names(page), ['inside.txt']);
  assert.equal(await page.evaluate(() => location.hash), '#/' + encodeURIComponent('<svg onload="window.__pwned=7">'));
  await page.locator('#tree .vrow:visible', { hasText: 'dir","with' }).click();
  assert.deepEqual(await names(page), ['q.txt']);
  await page.reload();
  await page.waitForFunction(() => window.ostrivelTimings?.ready);
  assert.deepEqual(await names(page), ['q.txt']);
  assert.equal(await pwned(page), undefined);
  assert.deepEqual(problems, []);
});

test('fallbacks and damage in the record block: missing times, lost indices, a root with a line break', async (t) => {
  const lines = [
    'D.p(["C:/R*0*-","a.txt*1*2018/1/1 1:00:00",1,"1*1*0*99"])',
    'D.p(["C:/R/A*0*2018/1/2 2:00:00",0,""])',
    // No record names these two: the first belongs under A by its path, the
    // second under the root.
    'D.p(["C:/R/A/B*0*-",0,""])',
    'D.p(["D:/Elsewhere*0*2018/1/3 3:00:00","x.txt*5*2018/1/3 3:00:00",5,""])',
    // A damaged entry is left out, the rest of the record stays.
    'D.p(["C:/R/C*0*2018/1/4 4:00:00","ok.txt*7*2018/1/4 4:00:00","broken entry",7,""])',
    '',
    'D.p(["C:/R/D*0*2018/1/5 5:00:00","-neg*-1*2018/1/5 5:00:00","big*9007199254740991*2018/1/5 5:00:00",9007199254740990,""])',
  ];
  const { page, problems } = await open(t, null, { root: 'C:/R', lines });
  assert.deepEqual(await rowTexts(page, 'tree'), ['C:/R', 'A', 'Elsewhere', 'C', 'D']);
  assert.deepEqual(await names(page), ['A', 'Elsewhere', 'C', 'D', 'a.txt']);
  assert.match(await page.locator('#summary').innerText(), /修改于\s*-/);
  const folder = (name) => page.locator('#tree .vrow:visible').filter({ has: page.locator('.nm', { hasText: new RegExp(`^${name}$`) }) });
  await folder('A').click();
  assert.deepEqual(await names(page), ['B']);
  await folder('C').click();
  assert.deepEqual(await names(page), ['ok.txt']);
  await folder('D').click();
  assert.deepEqual(await names(page), ['-neg', 'big']);
  assert.equal(await page.locator('#list .vrow:visible', { hasText: 'big' }).locator('.cell').nth(1).getAttribute('title'),
    '9,007,199,254,740,991 字节');
  assert.deepEqual(problems, []);

  // A root whose text holds a line break splits its own record over two lines.
  const broken = await open(t, { time: '2018/1/1 1:00:00', files: [['f.txt', 3, '2018/1/1 1:00:00']], dirs: [{ name: 'sub', time: '2018/1/1 1:00:00' }] },
    { root: 'C:/two\r\nlines', title: 'T' });
  assert.equal(await broken.page.locator('#root').textContent(), 'C:/two\nlines');
  assert.deepEqual(await rowTexts(broken.page, 'tree'), ['C:/two\nlines', 'sub']);
  assert.deepEqual(await names(broken.page), ['sub', 'f.txt']);
  assert.deepEqual(broken.problems, []);
});

test('an empty root and an empty record block still make a page', async (t) => {
  const { page, problems } = await open(t, null, { root: '', title: '', lines: ['D.p(["*0*-",0,""])'] });
  assert.equal(await page.title(), 'Ostrivel');
  assert.deepEqual(await rowTexts(page, 'tree'), ['（根）']);
  assert.equal(await page.locator('#empty').innerText(), '此文件夹为空');
  assert.deepEqual(problems, []);
  const none = await open(t, null, { lines: [] });
  assert.equal(await none.page.locator('.notice h2').innerText(), '无法读取此页面中的数据');
  assert.deepEqual(none.problems, []);
});

test('a block of several megabytes arrives in pieces and is read whole', async (t) => {
  // 1,500 folders of 60 files: the parser hands the text over in many pieces.
  const dirs = [];
  let expectSize = 0, expectFiles = 0;
  for (let d = 0; d < 1500; d++) {
    const files = [];
    for (let f = 0; f < 60; f++) {
      const size = (d * 60 + f) * 7 + 1;
      files.push([`f${d}_${f} R&D ${'名'.repeat(f % 5)}.dat`, size, '2020/2/29 23:59:59']);
      expectSize += size;
      expectFiles++;
    }
    dirs.push({ name: `dir ${String(d).padStart(4, '0')}`, time: '2020/1/1 0:00:00', files });
  }
  const { page, problems } = await open(t, { time: '2020/1/1 0:00:00', dirs });
  assert.equal(await page.evaluate(() => document.getElementById('ostrivel-data')), null, 'the block leaves the document once read');
  const summary = await page.locator('#summary .chip').nth(1).getAttribute('title');
  assert.equal(summary, expectSize.toLocaleString('en-US') + ' 字节');
  assert.match(await page.locator('#summary').innerText(), new RegExp(`${expectFiles.toLocaleString('en-US')} 个文件 · 1,500 个文件夹`));
  await searchFor(page, '*');
  assert.equal(await page.locator('#qinfo').innerText(), `找到 ${(expectFiles + 1500).toLocaleString('en-US')} 项`);
  for (const probe of ['f0_0 R&D .dat', 'f777_33 R&D 名名名.dat', 'f1499_59 R&D 名名名名.dat']) {
    await searchFor(page, probe);
    assert.deepEqual(await names(page), [probe]);
  }
  assert.deepEqual(problems, []);
});

test('long listings keep only the rows in view, and scroll and keys reach every row', async (t) => {
  // 250,000 rows: taller than the scroll height that is laid out directly.
  const count = 250000;
  const name = (i) => `n${String(i).padStart(6, '0')}.bin`;
  let text = 'D.p(["C:/Big*0*2020/1/1 0:00:00"';
  const parts = [];
  for (let i = 0; i < count; i++) parts.push(`,"${name(i)}*${i}*2020/1/1 0:00:00"`);
  text += parts.join('') + `,${(count - 1) * count / 2},""])`;
  const { page, problems } = await open(t, null, { root: 'C:/Big', lines: [text] });
  const rows = () => page.evaluate(() => [...document.querySelectorAll('#list .vrow')].filter((r) => r.style.display !== 'none').length);
  assert.ok(await rows() < 80, 'only the rows in view are in the document');
  const visible = async () => (await names(page)).filter(Boolean);
  await page.locator('#list').evaluate((e) => { e.scrollTop = e.scrollHeight; });
  await page.waitForFunction((last) => [...document.querySelectorAll('#list .vrow .t')].some((c) => c.textContent === last), name(count - 1));
  const atEnd = await visible();
  assert.equal(atEnd[atEnd.length - 1], name(count - 1));
  await page.locator('#list').evaluate((e) => { e.scrollTop = (e.scrollHeight - e.clientHeight) / 2; });
  await page.waitForTimeout(100);
  const middle = Number((await visible())[0].slice(1, 7));
  assert.ok(Math.abs(middle - count / 2) < 100, `the middle of the scroll range shows the middle rows (${middle})`);
  assert.ok(await rows() < 80);
  await page.locator('#list').focus();
  await page.keyboard.press('Home');
  assert.equal(await page.locator('#list .vrow.active .t').innerText(), name(0));
  await page.keyboard.press('End');
  assert.equal(await page.locator('#list .vrow.active .t').innerText(), name(count - 1));
  await page.keyboard.press('PageUp');
  await page.keyboard.press('ArrowUp');
  const up = Number((await page.locator('#list .vrow.active .t').innerText()).slice(1, 7));
  assert.ok(up < count - 10 && up > count - 60, `page up moves a screenful (${up})`);
  assert.deepEqual(problems, []);
});
