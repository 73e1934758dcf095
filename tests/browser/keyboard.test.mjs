// A BOM of the bundled sample made, edited and saved with the keyboard alone.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import path from 'node:path';
import { sharedSession, chooserClosed, findRow, cellSelector, screenshotPath, waitForText } from './harness.mjs';

let workspace;
let page;
const pageErrors = [];

sharedSession('keyboard', [], {}, async (session) => {
  ({ workspace, page } = session);
  page.on('pageerror', (error) => pageErrors.push(error.message));
  await page.waitForSelector('#w-ListBOM table');
});

const press = async (...keys) => { for (const key of keys) await page.keyboard.press(key); };

const focused = (selector) => page.evaluate((s) => document.activeElement?.matches(s) ?? false, selector);

// Tabs forward (or back) until the element has the focus, as a person would.
async function tabTo(selector, key = 'Tab') {
  for (let presses = 0; presses < 60; presses++) {
    if (await focused(selector)) return;
    await page.keyboard.press(key);
  }
  throw new Error(`${selector} never took the focus`);
}

const activeTreePath = () => page.evaluate(() => {
  const id = document.querySelector('#tree').getAttribute('aria-activedescendant');
  return id ? document.getElementById(id).dataset.path : null;
});

async function expectSelected(rows) {
  await page.waitForFunction((want) => Array.from(document.querySelectorAll('#w-ListBOM tr.row.selected'), (tr) => tr.dataset.row).join() === want.join(), rows);
}

const currentCell = () => page.evaluate(() => {
  const td = document.getElementById(document.querySelector('#w-ListBOM table').getAttribute('aria-activedescendant'));
  return td ? { row: Number(td.parentElement.dataset.row), position: Number(td.dataset.position) } : null;
});

test('a keyboard-only session', async (t) => {
  await t.test('a question box: Escape answers no and the focus goes back to the field', async () => {
    await tabTo('#w-ReportName');
    await page.keyboard.type('./keyed');
    await page.keyboard.press('Enter');
    await page.waitForSelector('#modal-backdrop:not([hidden])');
    assert.ok(await focused('#modal-yes'));
    await press('Tab', 'Tab');
    assert.ok(await focused('#modal-yes'), 'Tab stays inside the box');
    await page.keyboard.press('Escape');
    await page.waitForSelector('#modal-backdrop', { state: 'hidden' });
    await page.waitForFunction(() => document.activeElement?.id === 'w-ReportName');
  });

  await t.test('the tree: arrows move, Left and Right fold, Enter picks', async () => {
    await tabTo('#tree', 'Shift+Tab');
    await page.waitForFunction(() => document.querySelector('#tree').getAttribute('aria-activedescendant'));
    assert.equal(await activeTreePath(), 'TM-2417');
    // The last node lies beyond the rows drawn at first: it is drawn, named and scrolled to.
    await page.keyboard.press('End');
    await page.waitForFunction(() => {
      const scroller = document.querySelector('#tree');
      const item = document.getElementById(scroller.getAttribute('aria-activedescendant'));
      const [outer, inner] = [scroller.getBoundingClientRect(), item?.getBoundingClientRect()];
      return inner && Number(item.dataset.index) > 60 && inner.top >= outer.top - 1 && inner.bottom <= outer.bottom + 1;
    });
    await press('Home', 'ArrowDown', 'ArrowLeft');
    assert.equal(await activeTreePath(), 'TM-2417', 'Left on a leaf goes to its parent');
    await page.keyboard.press('ArrowLeft');
    await page.waitForSelector('#tree-node-0[aria-expanded="false"]');
    assert.equal(await page.$$eval('.tree-item:not([hidden])', (items) => items.length), 1);
    await page.keyboard.press('ArrowRight');
    await page.waitForSelector('#tree-node-0[aria-expanded="true"]');
    assert.equal(await page.getAttribute('#tree-node-0', 'aria-selected'), 'true');
    await page.keyboard.press('Enter');
    await waitForText(page, '#w-ProductSelector', 'TM-2417');
    await page.waitForSelector('#w-ListBOM tr[data-row="5"]');
    await page.screenshot({ path: screenshotPath('keyboard-tree.png') });
  });

  await t.test('the table: arrows, Shift, Ctrl and Ctrl+A select as clicks do', async () => {
    await tabTo('#w-ListBOM table');
    await page.keyboard.press('Home');
    await expectSelected([1]);
    await press('Shift+ArrowDown', 'Shift+ArrowDown');
    await expectSelected([1, 2, 3]);
    await press('Control+ArrowDown', 'Control+ArrowDown', 'Control+Space');
    await expectSelected([1, 2, 3, 5]);
    await page.keyboard.press('Control+a');
    const count = await page.$eval('#w-ListBOM table', (table) => Number(table.getAttribute('aria-rowcount')) - 2);
    await page.waitForFunction((n) => document.querySelectorAll('#w-ListBOM tr.row.selected').length === Math.min(n, document.querySelectorAll('#w-ListBOM tr.row').length), count);
    await page.keyboard.press('End');
    await expectSelected([count]);
    assert.equal((await currentCell()).row, count, 'the last row is drawn and current');
  });

  await t.test('F2 edits the chosen cell, Enter commits', async () => {
    const pins = await findRow(page, 'Part Number', 'KT-GP 24x110');
    const priceColumn = pins.position('Unit Price');
    const totalBefore = Number(await page.inputValue('#w-EditTotalPrice'));
    await page.keyboard.press('Home');
    for (let r = 1; r < pins.row; r++) await page.keyboard.press('ArrowDown');
    await expectSelected([pins.row]);
    for (let k = 0; k < 20 && (await currentCell()).position !== priceColumn; k++) await page.keyboard.press('ArrowRight');
    assert.deepEqual(await currentCell(), { row: pins.row, position: priceColumn });
    const cell = cellSelector(pins.row, priceColumn);

    await page.keyboard.press('F2');
    await page.waitForSelector(`${cell} input`);
    await page.keyboard.type('40');
    await page.keyboard.press('Enter');
    await waitForText(page, cellSelector(pins.row, pins.position('Price')), '160');
    await page.waitForFunction((b) => Math.abs(Number(document.querySelector('#w-EditTotalPrice').value) - (b + 5.6)) < 0.05, totalBefore);
    assert.ok(await focused('#w-ListBOM table'), 'the focus is back in the table');
    await page.screenshot({ path: screenshotPath('keyboard-table.png') });
  });

  await t.test('the report is saved through the chooser by keyboard', async () => {
    await tabTo('#w-PushAnalyze');
    await page.keyboard.press('Enter');
    await page.waitForSelector('#chooser:not([hidden])');
    assert.ok(await focused('#chooser-name'));
    await page.keyboard.press('Control+a');
    await page.keyboard.type('keyed');
    await page.keyboard.press('Enter');
    await chooserClosed(page);
    await page.waitForFunction(() => document.activeElement?.id === 'w-PushAnalyze');
    const csv = readFileSync(path.join(workspace, 'keyed.csv'), 'latin1');
    assert.ok(csv.split('\r\n').some((line) => line.includes('KT-GP 24x110') && line.includes(';40;160;')), 'the typed price is in the report');
  });

  await t.test('the chooser: arrows walk the files, Escape closes it', async () => {
    await page.keyboard.press('Enter');
    await page.waitForSelector('#chooser:not([hidden])');
    await page.keyboard.press('Shift+Tab');
    assert.ok(await focused('.chooser-list'));
    await page.waitForSelector('.chooser-list li[data-name="keyed.csv"]');
    await page.keyboard.press('End');
    await waitForText(page, '#chooser-name', 'keyed.csv');
    await page.screenshot({ path: screenshotPath('keyboard-chooser.png') });
    await page.keyboard.press('Escape');
    await chooserClosed(page);
    await page.waitForFunction(() => document.activeElement?.id === 'w-PushAnalyze');
    assert.deepEqual(pageErrors, []);
  });
});
