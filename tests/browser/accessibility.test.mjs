// axe-core finds no serious or critical fault on the page in each state a person meets it in,
// under the light and the dark theme alike.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { sharedSession, pickAssembly, cancelChooser } from './harness.mjs';

const axeSource = readFileSync(createRequire(import.meta.url).resolve('axe-core/axe.min.js'), 'utf8');

let page;

sharedSession('accessibility', [], {}, async (session) => {
  ({ page } = session);
  await page.waitForSelector('.table-hint:not([hidden])');
  await page.waitForSelector('.tree-item[data-path="TM-2417"]');
});

async function seriousViolations() {
  // Evaluated rather than added as a script tag, which the page's content policy refuses.
  if (!(await page.evaluate(() => 'axe' in window))) await page.evaluate(axeSource);
  const violations = await page.evaluate(async () => (await window.axe.run(document, { resultTypes: ['violations'] })).violations);
  return violations
    .filter((v) => v.impact === 'serious' || v.impact === 'critical')
    .map((v) => `${v.id} (${v.impact}): ${v.nodes.slice(0, 4).map((n) => n.target.join(' ')).join(', ')}`);
}

// Transitions have ended and the theme's colours are drawn before axe reads them.
async function checkBothThemes(state) {
  for (const colorScheme of ['light', 'dark']) {
    await page.emulateMedia({ colorScheme });
    await page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(resolve))));
    assert.deepEqual(await seriousViolations(), [], `${state}, ${colorScheme} theme`);
  }
  await page.emulateMedia({ colorScheme: 'light' });
}

test('the empty page, before the pick', async () => {
  await checkBothThemes('empty');
});

test('a question box open', async () => {
  await page.fill('#w-ReportName', './a11y');
  await page.press('#w-ReportName', 'Enter');
  await page.waitForSelector('#modal-backdrop:not([hidden])');
  await checkBothThemes('question box');
  await page.click('#modal-no');
  await page.waitForSelector('#modal-backdrop', { state: 'hidden' });
});

test('the analysed mold', async () => {
  await pickAssembly(page);
  // A selected line marks its components and draws the selected-row colours too.
  await page.click('#w-ListBOM tr[data-row="1"]');
  await page.waitForSelector('#w-ListBOM tr.row.selected');
  await checkBothThemes('analysed');
});

test('the file chooser open', async () => {
  await page.click('#w-PushAnalyze');
  await page.waitForSelector('#chooser:not([hidden]) .chooser-path button');
  await checkBothThemes('file chooser');
  await cancelChooser(page);
});
