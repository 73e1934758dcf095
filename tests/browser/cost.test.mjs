// The cost view: on the sample, both charts add up to the dialog's total as shown, and a unit
// price typed into the table moves the bars of its line's type and supplier.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { sharedSession, pickAssembly, editCell, readTable, cellSelector, screenshotPath } from './harness.mjs';

let page;

sharedSession('cost', [], {}, async (session) => {
  ({ page } = session);
  await page.waitForSelector('#w-ListBOM table');
  await page.click('#cost-toggle');
  // Before the pick there is nothing to price, and the view says so.
  await page.waitForFunction(() => /analysed/.test(document.querySelector('#cost-note').textContent));
  await pickAssembly(page);
});

// Each chart's bars by name, and their sum to two decimals.
async function readCharts() {
  return page.evaluate(() => {
    const chart = (id) => {
      const bars = Object.fromEntries(Array.from(document.querySelectorAll(`#${id} .cost-bar`),
        (bar) => [bar.dataset.name, Number(bar.dataset.value)]));
      const sum = Object.values(bars).reduce((a, b) => a + b, 0);
      return { bars, sum: sum.toFixed(2) };
    };
    return { byType: chart('cost-by-type'), bySupplier: chart('cost-by-supplier') };
  });
}

async function shownTotal() { return Number(await page.inputValue('#w-EditTotalPrice')).toFixed(2); }

// The charts drawn for the state on screen, which follow it on the next answer of the server.
async function chartsOfTotal(total) {
  await page.waitForFunction((expected) => {
    const bars = Array.from(document.querySelectorAll('#cost-by-type .cost-bar'), (bar) => Number(bar.dataset.value));
    return bars.length && bars.reduce((a, b) => a + b, 0).toFixed(2) === expected;
  }, total);
  return readCharts();
}

test('both charts add up to the total, and a price edit moves the bars of its line', async () => {
  const total = await shownTotal();
  const before = await chartsOfTotal(total);
  assert.equal(before.bySupplier.sum, total);
  assert.ok(before.byType.bars.Plate > 0, JSON.stringify(before.byType.bars));
  assert.match(await page.getAttribute('#cost-by-type svg', 'aria-label'), /^Price by tooling type: .*Plate \d+\.\d\d/);

  // Row 1 is the first plate of the sample; its supplier names its bar.
  const table = await readTable(page);
  const row = table.rows.find((r) => r.row === 1);
  const cell = (title) => row.cells[table.headers.indexOf(title)];
  const unitPosition = table.positions[table.headers.indexOf('Unit Price')];
  const oldPrice = Number(cell('Price'));
  const quantity = Number(cell('Qty'));
  const supplier = cell('Supplier') || 'No supplier';
  await editCell(page, cellSelector(1, unitPosition), '1000');
  await page.waitForFunction((before) => Number(document.querySelector('#w-EditTotalPrice').value).toFixed(2) !== before, total);

  const after = await chartsOfTotal(await shownTotal());
  assert.equal(after.bySupplier.sum, after.byType.sum);
  const delta = quantity * 1000 - oldPrice;
  assert.ok(Math.abs(after.byType.bars.Plate - before.byType.bars.Plate - delta) < 0.005, `Plate ${before.byType.bars.Plate} → ${after.byType.bars.Plate}`);
  assert.ok(Math.abs(after.bySupplier.bars[supplier] - before.bySupplier.bars[supplier] - delta) < 0.005, supplier);
  await page.screenshot({ path: screenshotPath('cost.png'), fullPage: true });
});
