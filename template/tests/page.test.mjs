// The page on a small, varied tree: header, tree, listing, navigation and the
// hash, sorting, search, treemap, keyboard, CSV, languages and colour schemes.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { pathToFileURL } from 'node:url';
import { makePage, tempDir, launch, openPage, rowTexts, templatePath, searchFor, waitForFolder } from './support.mjs';
import { richTree, ROOT } from './fixtures.mjs';

let browser, tmp, url;
before(async () => {
  browser = await launch();
  tmp = tempDir();
  url = makePage(tmp.dir, richTree(), { root: ROOT });
});
after(async () => {
  await browser?.close();
  tmp?.remove();
});

async function open(t, options = {}, target = url) {
  const p = await openPage(browser, target, options);
  t.after(async () => {
    await p.close();
  });
  return p;
}
const hash = (page) => page.evaluate(() => location.hash);
const text = (page, sel) => page.locator(sel).innerText();
async function openFolder(page, name) {
  await page.locator('#list .vrow:visible', { hasText: name }).first().dblclick();
}
const listNames = (page) => rowTexts(page, 'list');
const treeNames = (page) => rowTexts(page, 'tree');

test('header shows the filled values and the tree starts at the root', async (t) => {
  const { page, problems } = await open(t);
  assert.equal(await page.title(), 'C:\\Data 快照');
  assert.equal(await text(page, '#title'), 'C:\\Data 快照');
  assert.equal(await text(page, '#root'), 'C:/Data');
  const stats = await text(page, '#stats');
  assert.match(stats, /文件\s*18\b/);
  assert.match(stats, /文件夹\s*21\b/);
  assert.match(stats, /总大小\s*11\.6 MB/);
  assert.equal(await page.locator('#stats .chip').nth(2).getAttribute('title'), '12,167,949 字节');
  assert.equal(await text(page, '#when'), '生成于 2018/12/8 9:30:00');
  assert.equal(await text(page, '#applink'), 'Ostrivel 1.0');
  assert.equal(await page.locator('#applink').getAttribute('href'), 'https://forum.example.org/ostrivel');
  assert.deepEqual(await treeNames(page),
    ['C:/Data', '10', '9', 'Deep', 'Empty', 'Music', 'NoTime', 'Photos 2018', 'R&D', '相册']);
  assert.deepEqual(problems, []);
});

test('listing shows names exactly as on disk, with sizes, times and counts', async (t) => {
  const { page, problems } = await open(t);
  assert.deepEqual(await listNames(page), [
    '10', '9', 'Deep', 'Empty', 'Music', 'NoTime', 'Photos 2018', 'R&D', '相册',
    '&amp;literal.txt', 'empty.bin', 'file 10.txt', 'file 9.txt', "it's here.txt", 'notes.txt', 'R&D report.pdf',
    'readme.md', '报告 2018.docx',
  ]);
  const row = (name) => page.locator('#list .vrow:visible', { hasText: name }).first();
  assert.deepEqual(await row('R&D report.pdf').locator('.cell').allInnerTexts(),
    ['R&D report.pdf', '293 KB', '2018/11/2 2:02:02', '', '2.5%']);
  assert.equal(await row('R&D report.pdf').locator('.cell').nth(1).getAttribute('title'), '300,000 字节');
  assert.equal(await row('empty.bin').locator('.cell').nth(1).innerText(), '0 B');
  const music = await row('Music').locator('.cell').allInnerTexts();
  assert.deepEqual(music.slice(0, 4), ['Music', '6.68 MB', '2018/12/2 20:15:07', '2']);
  assert.match(await row('Music').locator('.cell').nth(1).getAttribute('title'), /7,000,000 字节.*4,000,000 字节/);
  assert.equal(await row('NoTime').locator('.cell').nth(2).innerText(), '-');
  assert.match(await text(page, '#summary'), /本层\s*9 个文件 · 359 KB/);
  assert.match(await text(page, '#summary'), /含子文件夹\s*18 个文件 · 20 个文件夹 · 11\.6 MB/);
  assert.deepEqual(problems, []);
});

test('folders open from tree, list and breadcrumb; the hash follows and history works', async (t) => {
  const { page, problems } = await open(t);
  await page.locator('#tree .vrow:visible', { hasText: 'Music' }).click();
  assert.equal(await hash(page), '#/Music');
  assert.deepEqual(await listNames(page), ['Live', 'song.mp3']);
  await openFolder(page, 'Live');
  assert.equal(await hash(page), '#/Music/Live');
  assert.deepEqual(await listNames(page), ['live.flac']);
  assert.deepEqual(await page.locator('#crumbs button').allInnerTexts(), ['C:/Data', 'Music', 'Live']);
  assert.ok((await page.locator('#tree .vrow.sel').innerText()).startsWith('Live'));
  await page.goBack();
  await waitForFolder(page, 'Music');
  assert.equal(await hash(page), '#/Music');
  assert.deepEqual(await listNames(page), ['Live', 'song.mp3']);
  await page.goForward();
  await waitForFolder(page, 'Live');
  assert.deepEqual(await listNames(page), ['live.flac']);
  await page.locator('#crumbs button', { hasText: 'C:/Data' }).click();
  assert.equal(await hash(page), '#/');
  assert.equal((await listNames(page))[0], '10');
  // Names that need escaping in a URL.
  await openFolder(page, 'R&D');
  assert.equal(await hash(page), '#/R%26D');
  assert.equal(await text(page, '#empty'), '此文件夹为空');
  assert.deepEqual(problems, []);
});

test('a link with a hash opens at that folder, deep paths included', async (t) => {
  const { page, problems } = await open(t, {}, url + '#/Deep/a/b/c/d/e/f/g/h/i/j');
  assert.deepEqual(await listNames(page), ['bottom.txt']);
  assert.equal((await page.locator('#crumbs button').allInnerTexts()).join('/'), 'C:/Data/Deep/a/b/c/d/e/f/g/h/i/j');
  assert.ok((await page.locator('#tree .vrow.sel').innerText()).startsWith('j'));
  await page.goto(url + '#/%E7%9B%B8%E5%86%8C');
  await waitForFolder(page, '相册');
  assert.deepEqual(await listNames(page), ['旅行.png']);
  // A folder that is not there opens the root.
  await page.goto(url + '#/NoSuchFolder');
  await waitForFolder(page, 'C:/Data');
  assert.deepEqual(problems, []);
});

test('every column sorts both ways, folders staying first', async (t) => {
  const { page, problems } = await open(t);
  const head = (label) => page.locator('#thead button', { hasText: label });
  await head('大小').click();
  let names = await listNames(page);
  assert.deepEqual(names.slice(0, 9), ['Music', 'Photos 2018', '相册', '10', '9', 'Deep', 'NoTime', 'Empty', 'R&D']);
  assert.deepEqual(names.slice(9, 12), ['R&D report.pdf', '报告 2018.docx', 'readme.md']);
  assert.equal(await head('大小').getAttribute('aria-sort'), 'descending');
  await head('大小').click();
  names = await listNames(page);
  assert.deepEqual(names.slice(0, 2), ['Empty', 'R&D']);
  assert.deepEqual(names.slice(9, 11), ['empty.bin', 'file 9.txt']);
  await head('修改时间').click();
  names = await listNames(page);
  assert.deepEqual(names.slice(0, 3), ['Empty', 'R&D', 'Music']);
  assert.equal(names[8], 'NoTime'); // no time sorts last when newest come first
  assert.deepEqual(names.slice(9, 12), ["it's here.txt", 'file 10.txt', 'file 9.txt']);
  await head('修改时间').click();
  assert.deepEqual((await listNames(page)).slice(9, 11), ['报告 2018.docx', 'R&D report.pdf']);
  await head('名称').click();
  names = await listNames(page);
  assert.deepEqual(names.slice(0, 2), ['10', '9']);
  await head('名称').click();
  names = await listNames(page);
  assert.deepEqual(names.slice(0, 2), ['相册', 'R&D']);
  assert.equal(names[9], '报告 2018.docx');
  await head('文件数').click();
  assert.deepEqual((await listNames(page)).slice(0, 3), ['Music', 'Photos 2018', '10']);
  await head('占比').click();
  assert.deepEqual((await listNames(page)).slice(0, 1), ['Music']);
  assert.deepEqual(problems, []);
});

test('search finds files and folders by substring and wildcards, and opens their folder', async (t) => {
  const { page, problems } = await open(t);
  const q = page.locator('#q');
  const search = async (s) => {
    await searchFor(page, s);
    return { names: await listNames(page), folders: await rowTexts(page, 'list', 1), info: await text(page, '#qinfo') };
  };
  let r = await search('README');
  assert.deepEqual(r.names, ['readme.md']);
  assert.deepEqual(r.folders, ['C:/Data']);
  assert.equal(r.info, '找到 1 项');
  r = await search('live');
  assert.deepEqual(r.names, ['Live', 'live.flac']);
  assert.deepEqual(r.folders, ['C:/Data/Music', 'C:/Data/Music/Live']);
  r = await search('*.MP3');
  assert.deepEqual(r.names, ['song.mp3']);
  r = await search('file ?.txt');
  assert.deepEqual(r.names, ['file 9.txt']);
  r = await search('file *.txt');
  assert.deepEqual(r.names, ['file 10.txt', 'file 9.txt']);
  r = await search('img_000?.jpg');
  assert.deepEqual(r.names, ['IMG_0001.JPG', 'IMG_0002.jpg']);
  r = await search('*.txt');
  assert.equal(r.info, '找到 9 项');
  // Prefixes and suffixes, at the first and the last name of the whole tree too.
  r = await search('FILE*');
  assert.deepEqual(r.names, ['file 10.txt', 'file 9.txt']);
  r = await search('&amp;*');
  assert.deepEqual(r.names, ['&amp;literal.txt']);
  r = await search('*册');
  assert.deepEqual(r.names, ['相册']);
  r = await search('*');
  assert.equal(r.info, '找到 38 项');
  r = await search('r&d');
  assert.deepEqual(r.names, ['R&D', 'R&D report.pdf']);
  r = await search('报告');
  assert.deepEqual(r.names, ['报告 2018.docx']);
  r = await search('&amp;');
  assert.deepEqual(r.names, ['&amp;literal.txt']);
  r = await search('nothing-like-this');
  assert.equal(r.info, '没有匹配项');
  assert.equal(await text(page, '#empty'), '没有匹配项');
  // A result opens its folder with the file selected.
  await search('bottom');
  await page.locator('#list .vrow:visible', { hasText: 'bottom.txt' }).click();
  assert.equal(await hash(page), '#/Deep/a/b/c/d/e/f/g/h/i/j');
  assert.equal(await page.locator('#list .vrow.sel').innerText().then((s) => s.split('\n')[0]), 'bottom.txt');
  await page.locator('#summary .back').click();
  assert.deepEqual(await listNames(page), ['bottom.txt']);
  assert.equal(await text(page, '#qinfo'), '找到 1 项');
  // Escape clears the search and returns to the folder.
  await q.focus();
  await page.keyboard.press('Escape');
  assert.equal(await q.inputValue(), '');
  await page.waitForFunction(() => document.querySelector('#qinfo').dataset.query === '');
  assert.deepEqual(await listNames(page), ['bottom.txt']);
  assert.deepEqual(problems, []);
});

test('the treemap shows the folder by size and a click on a folder opens it', async (t) => {
  const { page, problems } = await open(t);
  const canvas = page.locator('#tm');
  // The largest item, Music, takes the top left corner.
  await canvas.hover({ position: { x: 12, y: 12 } });
  assert.match(await text(page, '#tmtip'), /^Music\n6\.68 MB · 7,000,000 字节\n5\d\.\d% 占本文件夹 · 单击打开$/);
  await canvas.click({ position: { x: 12, y: 12 } });
  assert.equal(await hash(page), '#/Music');
  // In Music the file song.mp3 (4 MB) comes first, Live (3 MB) to its right.
  const box = await canvas.boundingBox();
  await canvas.click({ position: { x: 12, y: 12 } });
  assert.equal(await hash(page), '#/Music');
  assert.equal(await page.locator('#list .vrow.sel .namecell').innerText(), 'song.mp3');
  await canvas.click({ position: { x: box.width - 12, y: 12 } });
  assert.equal(await hash(page), '#/Music/Live');
  await page.locator('#tree .vrow:visible', { hasText: 'Empty' }).click();
  assert.equal(await text(page, '#tmnote'), '此文件夹中没有占用空间的内容');
  assert.deepEqual(problems, []);
});

test('keyboard moves through tree and list with a visible focus', async (t) => {
  const { page, problems } = await open(t);
  await page.locator('#tree').focus();
  await page.keyboard.press('ArrowDown');
  assert.equal(await hash(page), '#/10');
  for (let i = 0; i < 4; i++) await page.keyboard.press('ArrowDown');
  assert.equal(await hash(page), '#/Music');
  await page.keyboard.press('ArrowRight');
  assert.deepEqual((await treeNames(page)).slice(5, 7), ['Music', 'Live']);
  await page.keyboard.press('ArrowRight');
  assert.equal(await hash(page), '#/Music/Live');
  await page.keyboard.press('ArrowLeft');
  assert.equal(await hash(page), '#/Music');
  await page.keyboard.press('ArrowLeft');
  assert.deepEqual((await treeNames(page)).slice(5, 7), ['Music', 'NoTime']);
  // Opening a folder above with the mouse leaves the cursor on Music.
  await page.locator('#tree .vrow:visible', { hasText: 'Deep' }).locator('.tw').click();
  await page.locator('#tree').focus();
  await page.keyboard.press('ArrowDown');
  assert.equal(await hash(page), '#/NoTime');
  await page.keyboard.press('ArrowUp');
  assert.equal(await hash(page), '#/Music');
  // The focused row carries a ring.
  const ring = await page.locator('#tree .vrow.active').evaluate((r) => getComputedStyle(r).boxShadow);
  assert.match(ring, /inset/);
  // Into the list: Enter opens a folder, Backspace goes back up.
  await page.keyboard.press('Tab');
  await page.waitForFunction(() => document.activeElement?.id === 'list');
  assert.equal(await page.locator('#list .vrow.active .namecell').innerText(), 'Live');
  await page.keyboard.press('Enter');
  assert.equal(await hash(page), '#/Music/Live');
  await page.keyboard.press('Backspace');
  assert.equal(await hash(page), '#/Music');
  assert.equal(await page.locator('#list .vrow.active .namecell').innerText(), 'Live');
  await page.keyboard.press('ArrowDown');
  assert.equal(await page.locator('#list .vrow.active .namecell').innerText(), 'song.mp3');
  assert.match(await page.locator('#list .vrow.active').evaluate((r) => getComputedStyle(r).boxShadow), /inset/);
  await page.keyboard.press('Backspace');
  assert.equal(await hash(page), '#/');
  // "/" jumps to the search box; arrow down moves into the results.
  await page.keyboard.press('/');
  await page.keyboard.type('notes');
  await page.waitForFunction(() => document.querySelector('#qinfo').dataset.query === 'notes');
  await page.keyboard.press('ArrowDown');
  await page.keyboard.press('Enter');
  assert.equal(await hash(page), '#/');
  assert.equal(await page.locator('#list .vrow.sel .namecell').innerText(), 'notes.txt');
  assert.deepEqual(problems, []);
});

test('CSV export of the listing and of the search results', async (t) => {
  const { page, problems } = await open(t);
  const download = async () => {
    const [dl] = await Promise.all([page.waitForEvent('download'), page.locator('#csv').click()]);
    return { name: dl.suggestedFilename(), text: readFileSync(await dl.path(), 'utf8') };
  };
  await page.locator('#tree .vrow:visible', { hasText: 'Music' }).click();
  let csv = await download();
  assert.equal(csv.name, 'Music.csv');
  assert.equal(csv.text, '\ufeff类型,名称,所在文件夹,大小（字节）,修改时间,文件数\r\n'
    + '文件夹,Live,C:/Data/Music,3000000,2018/12/2 20:15:07,1\r\n'
    + '文件,song.mp3,C:/Data/Music,4000000,2018/12/2 20:14:59,\r\n');
  await searchFor(page, "'");
  csv = await download();
  assert.equal(csv.name, "搜索-'.csv");
  assert.equal(csv.text.split('\r\n')[1], "文件,it's here.txt,C:/Data,13,2018/12/7 7:07:07,");
  await searchFor(page, 'r');
  await page.locator('#thead button', { hasText: '大小' }).click();
  csv = await download();
  const lines = csv.text.split('\r\n');
  assert.equal(lines[1], '文件夹,R&D,C:/Data,0,2018/12/5 11:02:33,0');
  assert.equal(lines[2], '文件,R&D report.pdf,C:/Data,300000,2018/11/2 2:02:02,');
  assert.equal(lines[3], '文件,readme.md,C:/Data,2048,2018/11/30 17:45:10,');
  assert.deepEqual(problems, []);
});

test('English where the browser prefers another language, dark by the colour scheme', async (t) => {
  const light = await open(t, { locale: 'zh-CN' });
  assert.equal(await light.page.evaluate(() => document.documentElement.lang), 'zh-CN');
  assert.equal(await light.page.evaluate(() => getComputedStyle(document.body).backgroundColor), 'rgb(245, 246, 248)');
  for (const locale of ['en-US', 'de-DE']) {
    const { page, problems } = await open(t, { locale, colorScheme: 'dark' });
    assert.equal(await page.evaluate(() => document.documentElement.lang), 'en');
    assert.equal(await page.locator('#q').getAttribute('placeholder'), 'Search files and folders (* and ? allowed)');
    assert.deepEqual(await page.locator('#thead button').allInnerTexts(), ['Name', 'Size', 'Modified', 'Files', 'Share']);
    assert.match(await text(page, '#stats'), /Files\s*18/);
    assert.equal(await text(page, '#when'), 'Generated 2018/12/8 9:30:00');
    assert.equal(await page.locator('#stats .chip').nth(2).getAttribute('title'), '12,167,949 bytes');
    assert.equal(await page.evaluate(() => getComputedStyle(document.body).backgroundColor), 'rgb(14, 17, 22)');
    assert.deepEqual(problems, []);
  }
  const zhTw = await open(t, { locale: 'zh-TW' });
  assert.equal(await zhTw.page.locator('#csvlabel').innerText(), '导出 CSV');
});

test('with file links on, names link to protocol, link root and path', async (t) => {
  const linked = makePage(tmp.dir, richTree(), {
    fileName: 'linked.html', linkFiles: 'true', protocol: 'file:///', linkRoot: 'D:/Share/',
  });
  const { page, problems } = await open(t, {}, linked);
  const href = (name) => page.locator('#list .vrow:visible', { hasText: name }).first().locator('a').getAttribute('href');
  assert.equal(await href('R&D report.pdf'), 'file:///D:/Share/R%26D%20report.pdf');
  await page.locator('#tree .vrow:visible', { hasText: 'Photos 2018' }).click();
  assert.equal(await href('IMG_0001.JPG'), 'file:///D:/Share/Photos%202018/IMG_0001.JPG');
  // Folders still open in the page.
  await page.locator('#crumbs button').first().click();
  assert.equal(await page.locator('#list .vrow:visible', { hasText: 'Music' }).locator('a').count(), 0);
  // Off, as the program writes it, names are plain text.
  const plain = await open(t);
  assert.equal(await plain.page.locator('#list a').count(), 0);
  assert.deepEqual(problems, []);
});

test('the template itself opens with an explanation, and its script is sealed', async (t) => {
  const { page, problems } = await open(t, {}, pathToFileURL(templatePath).href);
  assert.equal(await text(page, '.notice h2'), '这是 Ostrivel 的页面模板');
  assert.deepEqual(problems, []);
  const { scriptHash, sealedHash } = await import('../tools/seal.mjs');
  const html = readFileSync(templatePath, 'utf8');
  assert.equal(sealedHash(html), scriptHash(html), 'run node tools/seal.mjs after editing the script');
  assert.ok(html.startsWith('\ufeff'), 'the template keeps its UTF-8 byte-order mark');
  // Every placeholder once, all inside the data block at the end.
  const block = html.slice(html.indexOf('<plaintext'));
  for (const ph of ['[APP NAME]', '[APP VER]', '[GEN DATE]', '[GEN TIME]', '[APP LINK]', '[TITLE]', '[LINK FILES]',
    '[LINK PROTOCOL]', '[LINK ROOT]', '[SOURCE ROOT]', '[NUM FILES]', '[NUM DIRS]', '[TOT SIZE]', '[DIR DATA]']) {
    assert.equal(html.split(ph).length, 2, ph);
    assert.ok(block.includes(ph), ph);
  }
});
