// Keeps the page's Content-Security-Policy in step with its script: the policy
// allows exactly one script, named by its SHA-256, so that no markup that ever
// reached the page could run script of its own.
//
//   node tools/seal.mjs          rewrite the hash in template.html
//   node tools/seal.mjs --check  exit 1 when the hash is stale
import { createHash } from 'node:crypto';
import { readFileSync, writeFileSync } from 'node:fs';
import { fileURLToPath } from 'node:url';

export const templatePath = fileURLToPath(new URL('../template.html', import.meta.url));

// The hash covers the script's text as the browser sees it: line breaks
// normalized to LF, which is also what survives the program's CR LF output.
export function scriptHash(html) {
  const m = /<script>([\s\S]*?)<\/script>/.exec(html);
  if (!m) throw new Error('template.html has no inline script');
  const text = m[1].replace(/\r\n?/g, '\n');
  return 'sha256-' + createHash('sha256').update(text, 'utf8').digest('base64');
}

export function sealedHash(html) {
  const m = /script-src '(sha256-[^']+)'/.exec(html);
  return m ? m[1] : null;
}

function main() {
  const html = readFileSync(templatePath, 'utf8');
  const want = scriptHash(html);
  const have = sealedHash(html);
  if (process.argv.includes('--check')) {
    if (have !== want) {
      console.error(`template.html: script hash is stale (have ${have}, want ${want}); run node tools/seal.mjs`);
      process.exit(1);
    }
    return;
  }
  if (have === null) throw new Error('template.html has no script-src hash to update');
  if (have !== want) writeFileSync(templatePath, html.replace(`'${have}'`, `'${want}'`));
  console.log(want);
}

if (process.argv[1] && fileURLToPath(import.meta.url) === process.argv[1]) main();
