// Runs the browser tests one file after the other; exits 77 (skipped) when there is no Chromium.
import { spawnSync } from 'node:child_process';
import { existsSync, readdirSync } from 'node:fs';
import { fileURLToPath } from 'node:url';
import path from 'node:path';
import { CHROMIUM, SKIPPED } from './harness.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
if (!existsSync(CHROMIUM)) {
  console.log(`SKIPPED: no Chromium at ${CHROMIUM}; \`make test\` installs Debian's chromium`);
  process.exit(SKIPPED);
}
if (!existsSync(path.join(here, 'node_modules', 'playwright-core'))) {
  console.error('playwright-core is not installed: run `npm ci` in tests/browser (`make test` does)');
  process.exit(1);
}
const files = readdirSync(here).filter((name) => name.endsWith('.test.mjs')).sort();
const run = spawnSync(process.execPath, ['--test', '--test-concurrency=1', ...files], { cwd: here, stdio: 'inherit' });
process.exit(run.status ?? 1);
