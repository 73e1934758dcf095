// "Compare with…": an earlier report, edited from the sample's own, marks the table's new and
// changed lines, lists the removed ones with the total delta, follows a price edit, and changes
// nothing in the dialog.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync, writeFileSync } from 'node:fs';
import path from 'node:path';
import {
  sharedSession, pickAssembly, editCell, openChooser, chooserClosed, cancelChooser, screenshotPath, cellSelector,
  findRow, waitForText,
} from './harness.mjs';

let workspace;
let page;

// The sample's report as an earlier revision: three lines not yet in it, two since gone, other
// quantities for two lines and another unit price for one.
const REVISION = {
  added: ['TM-2417-03', 'TM-2417-12', 'TM-2417-04'],
  quantity: { 'TM-2417-01': '3', 'TM-2417-02': '2' },
  price: { 'TM-2417-11': '1860' },
  gone: [['GONE-1', '2', '100'], ['GONE-2', '1', '50.5']],
};

function writeEarlierReport(current) {
  const lines = readFileSync(current, 'utf8').split('\r\n');
  assert.ok(!lines.some((line) => line.includes('"')), 'the sample report quotes nothing');
  const titles = lines[2].split(';');
  const [qty, part, price] = ['Qty', 'Part Number', 'Unit Price'].map((title) => titles.indexOf(title));
  const rows = lines.slice(3).map((line) => line.split(';')).filter((cells) => !REVISION.added.includes(cells[part]));
  for (const cells of rows) {
    cells[qty] = REVISION.quantity[cells[part]] ?? cells[qty];
    cells[price] = REVISION.price[cells[part]] ?? cells[price];
  }
  for (const [name, quantity, unitPrice] of REVISION.gone) {
    const cells = titles.map(() => '');
    [cells[part], cells[qty], cells[price]] = [name, quantity, unitPrice];
    rows.push(cells);
  }
  writeFileSync(path.join(workspace, 'earlier.csv'), [...lines.slice(0, 3), ...rows.map((cells) => cells.join(';'))].join('\r\n'));
}

// The marked rows of the table as drawn: part number -> the kinds of its change.
function markedRows() {
  return page.evaluate(() => {
    const titles = Array.from(document.querySelectorAll('#w-ListBOM thead th'), (th) => th.textContent);
    const part = titles.indexOf('Part Number');
    const marked = {};
    for (const tr of document.querySelectorAll('#w-ListBOM tr[data-compare]')) marked[tr.querySelectorAll('td')[part].textContent] = tr.dataset.compare;
    return marked;
  });
}

async function compareWith(name) {
  await openChooser(page, '#compare');
  await page.waitForSelector(`.chooser-list li[data-name="${name}"]`);
  await page.click(`.chooser-list li[data-name="${name}"]`);
  await page.click('#chooser-ok');
}

sharedSession('compare', [], {}, async (session) => {
  ({ workspace, page } = session);
  await page.waitForSelector('#w-ListBOM table');
  assert.equal(await page.isHidden('#compare'), true, 'nothing to compare before an analysis');
  await pickAssembly(page);
  await openChooser(page, '#w-PushAnalyze');
  await page.fill('#chooser-name', 'now');
  await page.click('#chooser-ok');
  await page.waitForFunction(() => /^Report saved: .*now\.csv/.test(document.querySelector('#status').textContent));
});

test('a report the comparison cannot read says why in the chooser, and nothing is marked', async () => {
  writeFileSync(path.join(workspace, 'bad.csv'), 'Date: x;\r\nProject: /M;\r\nNumber;Qty;\r\n');
  await compareWith('bad.csv');
  await page.waitForFunction(() => /bad\.csv:3: no column "Part Number"/.test(document.querySelector('.chooser-note').textContent));
  await cancelChooser(page);
  assert.equal(await page.isHidden('#compare-panel'), true);
});

test('the earlier report marks new and changed lines, lists removed ones and the total delta', async () => {
  writeEarlierReport(path.join(workspace, 'now.csv'));
  const version = await page.evaluate(() => document.body.dataset.version);
  await compareWith('earlier.csv');
  await chooserClosed(page);
  await page.waitForSelector('#compare-panel:not([hidden])');
  await page.waitForFunction((n) => document.querySelectorAll('#w-ListBOM tr[data-compare]').length === n, 6);
  const want = Object.fromEntries([...REVISION.added.map((name) => [name, 'added']), ...Object.keys(REVISION.quantity).map((name) => [name, 'quantity']),
    ...Object.keys(REVISION.price).map((name) => [name, 'unit price'])]);
  assert.deepEqual(await markedRows(), want);
  // 1104.25 + 2140 + 655 added, 412.5 + 968 fewer, 10 cheaper, 250.5 gone.
  assert.equal(await page.textContent('#compare-total'), 'Total delta: +2258.25');
  const removed = await page.$$eval('#compare-removed tbody tr', (rows) => rows.map((tr) => tr.cells[1].textContent));
  assert.deepEqual(removed, ['GONE-1', 'GONE-2']);
  const legend = await page.$$eval('#compare-legend li', (items) => items.map((li) => `${li.className}:${li.dataset.count}`));
  assert.deepEqual(legend, ['cmp-added:3', 'cmp-changed:3', 'cmp-renumbered:0', 'cmp-removed:2']);
  assert.equal(await page.$eval('#w-ListBOM tr[data-compare="unit price"] td.cmp-cell', (td) => td.title), '1850.00 (was 1860)');
  assert.equal(await page.evaluate(() => document.body.dataset.version), version, 'the comparison sent no event');
  await page.screenshot({ path: screenshotPath('compare.png') });
});

test('the marks follow a price edited in the table, and clearing takes them away', async () => {
  const { row, position } = await findRow(page, 'Part Number', 'TM-2417-08');
  const cell = cellSelector(row, position('Unit Price'));
  await editCell(page, cell, '999');
  await page.waitForFunction((r) => document.querySelector(`#w-ListBOM tr[data-row="${r}"]`)?.dataset.compare === 'unit price', row);
  // Two at 142 now at 999.
  await waitForText(page, '#compare-total', 'Total delta: +3972.25');
  await page.click('#compare-clear');
  await page.waitForSelector('#compare-panel', { state: 'hidden' });
  await page.waitForFunction(() => document.querySelectorAll('#w-ListBOM tr[data-compare], #w-ListBOM td.cmp-cell').length === 0);
});
