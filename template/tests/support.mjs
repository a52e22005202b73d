// Test support for the page: fills the template the way the program does,
// builds record blocks from small tree descriptions, and drives Debian's
// chromium through playwright-core.
import { mkdtempSync, readFileSync, writeFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { pathToFileURL, fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';

export const templatePath = process.env.OSTRIVEL_TEMPLATE
  || fileURLToPath(new URL('../template.html', import.meta.url));

export const CHROMIUM = process.env.OSTRIVEL_CHROMIUM || '/usr/bin/chromium';
export const CHROMIUM_ARGS = [
  '--no-sandbox', '--disable-gpu', '--disable-background-networking', '--disable-component-update',
  '--disable-sync', '--no-first-run', '--disable-default-apps', '--disable-extensions',
];

// The list text rules of the program: a line ends at CR LF, CR or LF, U+0000
// ends the text, and every line is written with CR LF after it.
export function splitLines(text) {
  const lines = [];
  const nul = text.indexOf('\0');
  if (nul >= 0) text = text.slice(0, nul);
  if (!text) return lines;
  let i = 0;
  while (i < text.length) {
    let j = i;
    while (j < text.length && text[j] !== '\r' && text[j] !== '\n') j++;
    lines.push(text.slice(i, j));
    if (text[j] === '\r') j++;
    if (text[j] === '\n') j++;
    i = j;
  }
  return lines;
}
export const joinLines = (lines) => lines.map((l) => l + '\r\n').join('');

export const DEFAULTS = {
  app: 'Ostrivel', ver: '1.0', date: '2018/12/8', time: '9:30:00', link: 'https://forum.example.org/ostrivel',
  title: 'C:\\Data 快照', linkFiles: 'false', protocol: '', linkRoot: '', root: 'C:/Data',
};

// The fourteen placeholders, replaced in the program's order, each step over
// the whole text as it stands (values inserted earlier included).
export function fillTemplate(template, v) {
  const steps = [
    ['[APP NAME]', v.app], ['[APP VER]', v.ver], ['[GEN DATE]', v.date], ['[GEN TIME]', v.time],
    ['[APP LINK]', v.link], ['[TITLE]', v.title], ['[LINK FILES]', v.linkFiles], ['[LINK PROTOCOL]', v.protocol],
    ['[LINK ROOT]', v.linkRoot], ['[SOURCE ROOT]', v.root.replace(/\\/g, '/')], ['[NUM FILES]', String(v.numFiles)],
    ['[NUM DIRS]', String(v.numDirs)], ['[TOT SIZE]', String(v.totSize)], ['[DIR DATA]', v.dirData],
  ];
  let text = joinLines(splitLines(template));
  for (const [ph, value] of steps) text = joinLines(splitLines(text.split(ph).join(value)));
  return text;
}

const amp = (s) => s.split('&').join('&amp;');

// A tree: { time, files: [[name, size, time]], dirs: [{ name, time, files, dirs }] }.
// Records come in depth-first order with each directory's entries as given;
// time null writes the "*0*-" of a directory whose time could not be read.
export function recordBlock(rootPath, tree) {
  const flat = [];
  const walk = (node, path) => {
    const me = { node, path, kids: [] };
    flat.push(me);
    for (const d of node.dirs || []) {
      const sep = path.endsWith('/') ? '' : '/';
      me.kids.push(flat.length);
      walk(d, path + sep + d.name);
    }
  };
  walk(tree, rootPath);
  let numFiles = 0, totSize = 0;
  const lines = flat.map(({ node, path, kids }) => {
    const head = node.time == null ? `"${amp(path)}*0*-"` : `"${amp(path)}*0*${node.time}"`;
    const files = node.files || [];
    let sum = 0;
    const entries = files.map(([name, size, time]) => { sum += size; return `,"${amp(name)}*${size}*${time}"`; });
    numFiles += files.length;
    totSize += sum;
    const filesPart = files.length ? entries.join('') + ',' + sum : ',0';
    return `D.p([${head}${filesPart},"${kids.join('*')}"])`;
  });
  return { lines, numFiles, numDirs: flat.length, totSize };
}

export function makePage(dir, tree, values = {}) {
  const v = { ...DEFAULTS, ...values };
  const block = values.lines ? { lines: values.lines, numFiles: 0, numDirs: values.lines.length, totSize: 0 }
    : recordBlock(v.root.replace(/\\/g, '/'), tree);
  const page = fillTemplate(readFileSync(templatePath, 'utf8').replace(/^\uFEFF/, ''), {
    numFiles: block.numFiles, numDirs: block.numDirs, totSize: block.totSize, ...v,
    dirData: joinLines(block.lines),
  });
  const file = join(dir, values.fileName || 'page.html');
  writeFileSync(file, '\uFEFF' + page, 'utf8');
  return pathToFileURL(file).href;
}

export function tempDir(prefix = 'ostrivel-page-') {
  const dir = mkdtempSync(join(tmpdir(), prefix));
  return { dir, remove: () => rmSync(dir, { recursive: true, force: true }) };
}

export async function launch() {
  return chromium.launch({ executablePath: CHROMIUM, headless: true, args: CHROMIUM_ARGS });
}

// A page that records console errors, uncaught exceptions and dialogs, so
// that a test can say none happened.
export async function openPage(browser, url, options = {}) {
  const context = await browser.newContext({
    locale: options.locale || 'zh-CN', colorScheme: options.colorScheme || 'light',
    viewport: options.viewport || { width: 1280, height: 1300 }, acceptDownloads: true,
  });
  const page = await context.newPage();
  const problems = [];
  page.on('console', (m) => { if (m.type() === 'error' || m.type() === 'warning') problems.push(`console ${m.type()}: ${m.text()}`); });
  page.on('pageerror', (e) => problems.push(`page error: ${e.message}`));
  page.on('dialog', (d) => { problems.push(`dialog: ${d.message()}`); d.dismiss().catch(() => {}); });
  page.on('request', (r) => { if (!/^(file|data|blob):/.test(r.url())) problems.push(`request: ${r.url()}`); });
  await page.goto(url);
  await page.waitForFunction(() => window.ostrivelTimings && window.ostrivelTimings.ready);
  return { page, context, problems, close: () => context.close() };
}

// Text of the rows that exist in the document, in screen order.
export async function rowTexts(page, host, cell = null) {
  return page.evaluate(({ host, cell }) => {
    const rows = [...document.querySelectorAll(`#${host} .vrow`)].filter((r) => r.style.display !== 'none');
    rows.sort((a, b) => a.idx - b.idx);
    return rows.map((r) => (cell === null ? r.querySelector('.nm, .namecell .t').textContent
      : r.children[cell].textContent));
  }, { host, cell });
}

// Types a query and waits until the page has answered that very query.
export async function searchFor(page, q) {
  await page.locator('#q').fill(q);
  await page.waitForFunction((q) => document.querySelector('#qinfo').dataset.query === q, q);
}

// Waits for the folder whose breadcrumb ends in `name` (after history moves,
// which the page follows on its hashchange event).
export async function waitForFolder(page, name) {
  await page.waitForFunction((n) => document.querySelector('#crumbs .here')?.textContent === n, name);
}
