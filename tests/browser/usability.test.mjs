// What a newcomer relies on: buttons that follow the typed text, fields named by their labels,
// suggestions of the mold's user properties, and word of each save.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { sharedSession, pickAssembly, openChooser, chooserClosed } from './harness.mjs';

let page;

sharedSession('usability', [], {}, async (session) => {
  ({ page } = session);
  await page.waitForSelector('#w-ListBOM table');
  // The empty table says what to do first, and goes once the assembly is picked.
  await page.waitForSelector('.table-hint:not([hidden])');
  await pickAssembly(page);
  await page.waitForSelector('.table-hint', { state: 'hidden' });
});

test('the add buttons follow the column names as they are typed, without Enter', async () => {
  assert.equal(await page.isDisabled('#w-PushAdd'), true);
  await page.click('#w-EditName');
  await page.keyboard.type('Note');
  await page.waitForFunction(() => !document.querySelector('#w-PushAdd').disabled);
  for (let k = 0; k < 4; k++) await page.keyboard.press('Backspace');
  await page.waitForFunction(() => document.querySelector('#w-PushAdd').disabled);
});

test('fields are named by the label beside them, and the user properties are suggested', async () => {
  for (const name of ['Start', 'Increment', 'Profile'])
    assert.ok(await page.getByRole('textbox', { name, exact: true }).count(), name);
  const suggested = await page.$$eval('#user-properties option', (options) => options.map((o) => o.value));
  assert.ok(suggested.includes('Material') && suggested.includes('MaterialDensity'), suggested.join(', '));
  assert.equal(await page.getAttribute('#w-EditNameUser', 'list'), 'user-properties');
});

test('a save says where the report went, and replacing it asks first', async () => {
  const openSaveBox = async () => {
    await openChooser(page, '#w-PushAnalyze');
    await page.fill('#chooser-name', 'bom');
  };
  await openSaveBox();
  await page.click('#chooser-ok');
  await chooserClosed(page);
  await page.waitForFunction(() => /^Report saved: .*bom\.csv \(\d+ lines\)$/.test(document.querySelector('#status').textContent));
  assert.equal(await page.$eval('#status', (status) => status.classList.contains('refusal')), false);
  // The saved report comes as a spreadsheet too.
  await page.waitForSelector('#download-xlsx:not([hidden])');
  const download = page.waitForEvent('download');
  await page.click('#download-xlsx');
  assert.equal((await download).suggestedFilename(), 'bom.xlsx');
  const head = await page.evaluate(async () => {
    const bytes = new Uint8Array(await (await fetch('/api/spreadsheet')).arrayBuffer());
    return String.fromCharCode(bytes[0], bytes[1]);
  });
  assert.equal(head, 'PK');

  await openSaveBox();
  // The click returns only once the question is answered.
  const asked = page.waitForEvent('dialog');
  const clicked = page.click('#chooser-ok');
  const dialog = await asked;
  assert.match(dialog.message(), /bom\.csv already exists/);
  await dialog.dismiss();
  await clicked;
  assert.equal(await page.isVisible('#chooser'), true, 'a refused replacement keeps the box open');
  await page.click('#chooser-cancel');
});

test('a price the dialog would read otherwise than it looks is confirmed first', async () => {
  const column = await page.$eval('#w-ListBOM thead th[title="Unit Price"]', (th) => th.dataset.position);
  const cell = `#w-ListBOM tr[data-row="1"] td[data-position="${column}"]`;
  const before = await page.textContent(cell);
  await page.dblclick(cell);
  await page.fill(`${cell} input`, '27,5');
  const asked = page.waitForEvent('dialog');
  const pressed = page.press(`${cell} input`, 'Enter');
  const dialog = await asked;
  assert.match(dialog.message(), /read as 27\b/);
  await dialog.dismiss();
  await pressed;
  await page.waitForFunction(([s, t]) => document.querySelector(s).textContent === t, [cell, before]);
});
