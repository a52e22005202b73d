// Screenshots of the main views, light and dark, Chinese and English, for a
// person to look at (not a test):  node tests/screenshots.mjs [OUT-DIR]
import { mkdirSync } from 'node:fs';
import { join } from 'node:path';
import { makePage, tempDir, launch, openPage, searchFor } from './support.mjs';
import { richTree } from './fixtures.mjs';

const out = process.argv[2] || 'screenshots';
mkdirSync(out, { recursive: true });

// The small test tree, with a folder full enough to show a real treemap.
function showcase() {
  const tree = richTree();
  const kinds = ['jpg', 'mp4', 'mp3', 'zip', 'pdf', 'exe', 'docx', 'psd', 'mkv', 'txt'];
  const files = [];
  for (let i = 0; i < 46; i++) {
    const ext = kinds[i % kinds.length];
    files.push([`项目资料 ${String(i + 1).padStart(2, '0')}.${ext}`, Math.round(3e9 / (i + 2) ** 1.6), `2023/${1 + (i % 12)}/${1 + (i % 27)} ${i % 24}:${String(i % 60).padStart(2, '0')}:07`]);
  }
  tree.dirs.push({
    name: 'Projects', time: '2023/12/1 9:00:00', files,
    dirs: [
      { name: 'Backups', time: '2023/11/1 1:00:00', files: [['full.7z', 8.2e9, '2023/11/1 1:00:00']] },
      { name: 'Renders', time: '2023/10/1 1:00:00', files: [['final.mov', 5.5e9, '2023/10/1 1:00:00'], ['draft.mov', 2.1e9, '2023/9/1 1:00:00']] },
      { name: 'Sources', time: '2023/8/1 1:00:00', files: [['main.cpp', 48000, '2023/8/1 1:00:00']] },
    ],
  });
  return tree;
}

const browser = await launch();
const tmp = tempDir();
try {
  const url = makePage(tmp.dir, showcase(), { title: 'D:\\Work 快照', root: 'D:/Work' });
  const shots = [
    { name: 'zh-light-root', locale: 'zh-CN', scheme: 'light', hash: '' },
    { name: 'zh-light-projects', locale: 'zh-CN', scheme: 'light', hash: '#/Projects' },
    { name: 'zh-dark-projects', locale: 'zh-CN', scheme: 'dark', hash: '#/Projects' },
    { name: 'en-light-projects', locale: 'en-US', scheme: 'light', hash: '#/Projects' },
    { name: 'en-dark-root', locale: 'en-US', scheme: 'dark', hash: '' },
    { name: 'zh-light-search', locale: 'zh-CN', scheme: 'light', hash: '', query: '*.mov' },
    { name: 'en-dark-search', locale: 'en-US', scheme: 'dark', hash: '', query: 'r&d' },
    { name: 'zh-light-deep', locale: 'zh-CN', scheme: 'light', hash: '#/Deep/a/b/c/d/e/f/g/h/i/j' },
    { name: 'zh-light-narrow', locale: 'zh-CN', scheme: 'light', hash: '#/Projects', viewport: { width: 760, height: 900 } },
  ];
  for (const s of shots) {
    const p = await openPage(browser, url + s.hash, {
      locale: s.locale, colorScheme: s.scheme, viewport: s.viewport || { width: 1366, height: 820 },
    });
    if (s.query) {
      await searchFor(p.page, s.query);
    }
    if (s.name.includes('projects')) {
      await p.page.locator('#list').focus();
      await p.page.keyboard.press('ArrowDown');
      await p.page.keyboard.press('ArrowDown');
      await p.page.locator('#tm').hover({ position: { x: 60, y: 40 } });
    }
    await p.page.waitForTimeout(150);
    await p.page.screenshot({ path: join(out, s.name + '.png') });
    if (p.problems.length) console.log(s.name, p.problems);
    await p.close();
  }
  console.log(`screenshots in ${out}`);
} finally {
  await browser.close();
  tmp.remove();
}
