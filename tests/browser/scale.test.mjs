// A mold of thousands of instances in the page: only the rows on screen exist, scrolling draws the
// others, a selection outlives scrolling, and the stream carries deltas, falling back to the whole
// state when the page misses one.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { writeFileSync } from 'node:fs';
import path from 'node:path';
import { sharedSession, editCell, screenshotPath } from './harness.mjs';

const UNITS = 3;
const PER_UNIT = 1500;
const PARTS = 400;

// Three sub-assemblies of 1,500 instances over 400 priced parts: 4,500 instances, 400 lines or so.
function largeMold() {
  const products = {};
  for (let p = 0; p < PARTS; p++)
    products[`p${p}`] = { partNumber: `PN-${String(p).padStart(4, '0')}`, properties: { bom: true, supplier: `Supplier ${p % 7}`, source: 'bought' },
      parameters: [{ name: 'UnitPrice', type: 'real', value: 1 + (p % 40) }] };
  for (let u = 0; u < UNITS; u++)
    products[`unit${u}`] = { partNumber: `UNIT-${u}`, instances: Array.from({ length: PER_UNIT }, (_, k) => ({ name: `C${u}.${k}`, of: `p${(u * 131 + k) % PARTS}` })) };
  products.mold = { partNumber: 'BIG', instances: Array.from({ length: UNITS }, (_, u) => ({ name: `Unit.${u}`, of: `unit${u}` })) };
  return { format: 'moldbom-assembly', version: 1, root: 'mold', products };
}

let page;
const pageErrors = [];
const streamed = []; // { event, bytes } of each server-sent event, as the browser received it

sharedSession('scale', ['--mold', 'large.json'], {
  prepare: (workspace) => writeFileSync(path.join(workspace, 'large.json'), JSON.stringify(largeMold())),
  beforeLoad: async (opened, context) => {
    opened.on('pageerror', (error) => pageErrors.push(error.message));
    const cdp = await context.newCDPSession(opened);
    await cdp.send('Network.enable');
    cdp.on('Network.eventSourceMessageReceived', (message) => streamed.push({ event: message.eventName, bytes: message.data.length }));
  },
}, async (session) => {
  ({ page } = session);
  await page.waitForSelector('#tree .tree-item[data-path="BIG"]');
});

const rendered = (selector) => page.$$eval(selector, (nodes) => nodes.filter((n) => !n.hidden && !n.closest('[hidden]')).length);

async function scrollToEnd(selector) {
  await page.$eval(selector, (node) => { node.scrollTop = node.scrollHeight; });
}

test('a large mold in the page', async (t) => {
  await t.test('the tree draws the rows on screen, and the others as it scrolls', async () => {
    await page.click('#tree .tree-item[data-path="BIG/Unit.2"] .tree-toggle');
    await page.waitForSelector('#tree .tree-item[data-path="BIG/Unit.2/C2.0"]');
    const drawn = await rendered('#tree .tree-item');
    assert.ok(drawn < 120, `${drawn} tree rows exist for ${PER_UNIT} shown`);
    await scrollToEnd('#tree');
    await page.waitForSelector(`#tree .tree-item[data-path="BIG/Unit.2/C2.${PER_UNIT - 1}"] .tree-name`);
    assert.equal(await page.textContent(`#tree .tree-item[data-path="BIG/Unit.2/C2.${PER_UNIT - 1}"] .tree-part`), `PN-${String((2 * 131 + PER_UNIT - 1) % PARTS).padStart(4, '0')}`);
    assert.ok(await rendered('#tree .tree-item') < 120);
  });

  await t.test('the table draws its rows on screen; the last comes with scrolling', async () => {
    await page.$eval('#tree', (node) => { node.scrollTop = 0; });
    await page.click('#tree .tree-item[data-path="BIG"] .tree-name');
    await page.waitForFunction(() => document.querySelectorAll('#w-ListBOM tbody tr.row').length > 10, null, { timeout: 120000 });
    const lines = await page.evaluate(() => page.table.json.rows.length - 1);
    assert.ok(lines >= PARTS, `${lines} lines`);
    assert.ok(await rendered('#w-ListBOM tbody tr.row') < 100);
    await scrollToEnd('#w-ListBOM');
    await page.waitForSelector(`#w-ListBOM tr[data-row="${lines}"]`);
    await page.screenshot({ path: screenshotPath('scale-table-end.png') });
  });

  await t.test('a selected line stays selected when scrolled away and back, and its components are counted', async () => {
    await page.$eval('#w-ListBOM', (node) => { node.scrollTop = 0; });
    await page.click('#w-ListBOM tr[data-row="3"] td');
    await page.waitForSelector('#w-ListBOM tr[data-row="3"].selected');
    await page.waitForFunction(() => !document.querySelector('#tree-marks').hidden);
    const count = Number((await page.textContent('#tree-marked-count')).split(' ')[0]);
    assert.ok(count > 1, `${count} marked`);
    assert.equal(await page.isEnabled('#tree-next'), true);
    const firstMarked = await page.textContent('#tree .tree-node.highlighted .tree-name');
    await page.click('#tree-next');
    await page.waitForFunction((first) => document.querySelectorAll('#tree .tree-node.highlighted').length > 0 && page.tree.cursor === 1, firstMarked);

    await scrollToEnd('#w-ListBOM');
    await page.waitForFunction(() => !document.querySelector('#w-ListBOM tr[data-row="3"]'));
    await page.$eval('#w-ListBOM', (node) => { node.scrollTop = 0; });
    await page.waitForSelector('#w-ListBOM tr[data-row="3"].selected');
    assert.equal(await page.$$eval('#w-ListBOM tr.row.selected', (rows) => rows.length), 1);
  });

  await t.test('a price edit comes as a small delta', async () => {
    const price = await page.$eval('#w-ListBOM thead th[title="Unit Price"]', (th) => th.dataset.position);
    const cell = `#w-ListBOM tr[data-row="3"] td[data-position="${price}"]`;
    const totalBefore = await page.inputValue('#w-EditTotalPrice');
    const fullBytes = Math.max(...streamed.filter((m) => m.event === 'state').map((m) => m.bytes));
    streamed.length = 0;
    await editCell(page, cell, '1234');
    await page.waitForFunction((before) => document.querySelector('#w-EditTotalPrice').value !== before, totalBefore);
    assert.deepEqual([...new Set(streamed.map((m) => m.event))].filter((e) => e !== 'busy'), ['delta']);
    const largest = Math.max(...streamed.filter((m) => m.event === 'delta').map((m) => m.bytes));
    assert.ok(largest * 20 < fullBytes, `a delta of ${largest} bytes against a state of ${fullBytes}`);
  });

  await t.test('a page that misses a version takes the whole state again', async () => {
    const fetched = [];
    page.on('request', (request) => { if (new URL(request.url()).pathname === '/api/state') fetched.push(request.url()); });
    // As if a delta had been lost on the way: the next one does not follow the version drawn.
    await page.evaluate(() => { page.version -= 1; });
    const versionBefore = await page.evaluate(() => page.version);
    await page.click('#w-ListBOM tr[data-row="5"] td');
    await page.waitForSelector('#w-ListBOM tr[data-row="5"].selected');
    assert.equal(fetched.length, 1);
    assert.ok(await page.evaluate(() => page.version) > versionBefore + 1);
    assert.equal(await page.$$eval('#w-ListBOM tr.row.selected', (rows) => rows.length), 1);
    assert.match(await page.textContent('#w-ListBOM tr[data-row="3"]'), /1234/, 'the edited price is still there');
  });

  await t.test('the page ran without script errors', () => {
    assert.deepEqual(pageErrors, []);
  });
});
