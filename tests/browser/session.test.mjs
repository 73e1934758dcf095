// A person's session with moldbom ui in headless Chromium on the bundled sample, captured as a
// journal that `moldbom replay` then runs to the same files.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { existsSync, mkdirSync, readFileSync, rmSync } from 'node:fs';
import path from 'node:path';
import {
  MOLDBOM, sharedSession, editCell, openChooser, chooserClosed, cancelChooser, freshFolder,
  screenshotPath, readTable, findRow, cellSelector, waitForText,
} from './harness.mjs';

let workspace;
let page;
const pageErrors = [];

const session = sharedSession('session', ['--capture', 'session.journal'], {
  prepare: (folder) => mkdirSync(path.join(folder, 'reports')),
  beforeLoad: (opened) => opened.on('pageerror', (error) => pageErrors.push(error.message)),
}, async (opened) => {
  ({ workspace, page } = opened);
  await page.waitForSelector('#w-ListBOM table');
});

async function shot(name) {
  await page.screenshot({ path: screenshotPath(name) });
}

async function modalShown() {
  await page.waitForSelector('#modal-backdrop:not([hidden])');
  return { title: await page.textContent('#modal-title'), text: await page.textContent('#modal-text') };
}

async function total() {
  return Number(await page.inputValue('#w-EditTotalPrice'));
}

async function dataRowCount() {
  return (await readTable(page)).rows.filter((row) => row.row > 0).length;
}

test('a session in the browser', async (t) => {
  await t.test('the page shows the tree and the dialog as built', async () => {
    assert.equal(await page.textContent('.dialog-caption'), 'Bill of Materials');
    const table = await readTable(page);
    assert.deepEqual(table.headers.slice(0, 3), ['Number', 'Qty', 'Part Number']);
    assert.equal(table.headers.length, 11, 'the 50 spare columns are hidden');
    assert.equal(await page.isDisabled('#w-PushAnalyze'), true, 'the report button waits for an analysis');
    assert.equal(await page.isChecked('#w-RadioInteger input'), true);
    await shot('01-started.png');
  });

  await t.test('a profile name without a folder shows its warning', async () => {
    await page.fill('#w-ReportName', 'bad-name');
    await page.press('#w-ReportName', 'Enter');
    const box = await modalShown();
    assert.match(box.text, /folder|directory/i);
    await shot('02-warning.png');
    await page.click('#modal-ok');
    await page.waitForSelector('#modal-backdrop', { state: 'hidden' });
    await waitForText(page, '#w-ReportName', 'bad-name.bom');
  });

  await t.test('a new profile is confirmed in a Yes/No box', async () => {
    await page.fill('#w-ReportName', './session');
    await page.press('#w-ReportName', 'Enter');
    const box = await modalShown();
    assert.match(box.text, /does not exist/);
    assert.equal(await page.isVisible('#modal-no'), true);
    await shot('03-confirmation.png');
    await page.click('#modal-yes');
    await page.waitForSelector('#modal-backdrop', { state: 'hidden' });
    await waitForText(page, '#w-ReportName', './session.bom');
  });

  await t.test('picking the mold in the tree fills the table', async () => {
    await page.click('.tree-item[data-path="TM-2417"] > .tree-node .tree-name');
    await page.waitForFunction(() => document.querySelectorAll('#w-ListBOM tbody tr.row').length > 10);
    const pins = await findRow(page, 'Part Number', 'KT-GP 24x110');
    assert.equal(pins.cell('Qty'), '4');
    assert.equal(pins.cell('Supplier'), 'Kalmo Tooling Supply');
    await waitForText(page, '#w-ProductSelector', 'TM-2417');
    assert.equal(await page.isEnabled('#w-PushAnalyze'), true);
    assert.equal(await page.isDisabled('#w-ReportName'), true, 'the settings are locked after the analysis');
    await shot('04-analysed.png');
  });

  await t.test('selecting a line marks its instances in the tree', async () => {
    const pins = await findRow(page, 'Part Number', 'KT-GP 24x110');
    await page.click(cellSelector(pins.row, pins.position('Part Number')));
    await page.waitForFunction(() => document.querySelectorAll('.tree-node.highlighted').length === 4);
    const marked = await page.$$eval('.tree-node.highlighted .tree-name', (nodes) => nodes.map((n) => n.textContent));
    assert.deepEqual(marked, ['LeaderPin.1', 'LeaderPin.2', 'LeaderPin.3', 'LeaderPin.4']);

    // Instances inside the collapsed sub-assemblies come into view with their ancestors expanded.
    const sliders = await findRow(page, 'Part Number', 'TM-2417-21');
    await page.click(cellSelector(sliders.row, sliders.position('Part Number')));
    await page.waitForFunction(() => Array.from(document.querySelectorAll('.tree-node.highlighted .tree-name'), (n) => n.textContent).join() === 'SliderBody,SliderBody');
    const shown = await page.$$eval('.tree-node.highlighted', (nodes) => nodes.map((n) => n.closest('.tree-item').dataset.path + (n.offsetParent ? '' : ' (hidden)')));
    assert.deepEqual(shown, ['TM-2417/SliderUnit.1/SliderBody', 'TM-2417/SliderUnit.2/SliderBody']);
    await shot('05-highlighted.png');

    // A ctrl-click adds a line to the selection; the last line that has instances stays marked.
    await page.click(cellSelector(pins.row, pins.position('Part Number')), { modifiers: ['Control'] });
    await page.waitForFunction((rows) => rows.every((r) => document.querySelector(`#w-ListBOM tr[data-row="${r}"]`).classList.contains('selected')), [pins.row, sliders.row]);
  });

  await t.test('typing a unit price changes the price and the total', async () => {
    const before = await total();
    const pins = await findRow(page, 'Part Number', 'KT-GP 24x110');
    assert.equal(pins.cell('Price'), '154.4');
    const cell = cellSelector(pins.row, pins.position('Unit Price'));
    await page.click(cell);
    await page.waitForFunction((r) => document.querySelector(`#w-ListBOM tr[data-row="${r}"]`).classList.contains('selected') && document.querySelectorAll('#w-ListBOM tr.row.selected').length === 1, pins.row);
    await editCell(page, cell, '40');
    await waitForText(page, cellSelector(pins.row, pins.position('Price')), '160');
    await page.waitForFunction((b) => Math.abs(Number(document.querySelector('#w-EditTotalPrice').value) - (b + 5.6)) < 0.05, before);

    // Escape leaves the cell as it was and sends nothing.
    await editCell(page, cell, '99', 'Escape');
    await waitForText(page, cell, '40');
    assert.equal((await findRow(page, 'Part Number', 'KT-GP 24x110')).cell('Price'), '160');
  });

  await t.test('a hidden column comes back from the combo', async () => {
    await page.click('#w-ListBOM thead th[title="Reference"]');
    await page.waitForFunction(() => document.querySelector('#w-ListBOM thead th.selected-column')?.textContent === 'Reference');
    // Drawn as a selected column, not as an arrow that would read as sorting.
    assert.equal(await page.textContent('#w-ListBOM tr.marker td[data-position="3"]'), '');
    await page.waitForFunction(() => {
      const cells = Array.from(document.querySelectorAll('#w-ListBOM tr.row td.selected-column'));
      return cells.length > 0 && cells.every((td) => td.dataset.position === '3');
    });
    await page.click('#w-PushHide');
    await page.waitForFunction(() => !Array.from(document.querySelectorAll('#w-ListBOM thead th'), (th) => th.textContent).includes('Reference'));
    await page.waitForSelector('#w-ComboDisplay:not(.hidden)');
    assert.deepEqual(await page.$$eval('#w-ComboDisplay option', (o) => o.map((x) => x.textContent)), ['Reference']);
    await shot('06-column-hidden.png');
    await page.selectOption('#w-ComboDisplay', { label: 'Reference' });
    await page.click('#w-PushDisplay');
    await page.waitForFunction(() => Array.from(document.querySelectorAll('#w-ListBOM thead th'), (th) => th.textContent)[3] === 'Reference');
    await page.waitForSelector('#w-ComboDisplay.hidden', { state: 'attached' });
  });

  await t.test('an added column can be moved and filled', async () => {
    await page.fill('#w-EditName', 'Note');
    await page.press('#w-EditName', 'Enter');
    await page.waitForSelector('#w-PushAdd:enabled');
    await page.click('#w-PushAdd');
    await page.waitForFunction(() => Array.from(document.querySelectorAll('#w-ListBOM thead th'), (th) => th.textContent).at(-1) === 'Note');
    await page.click('#w-ListBOM thead th[title="Note"]');
    await page.waitForSelector('#w-PushDelete:not(.hidden)');
    await page.click('#w-PushLeft');
    await page.waitForFunction(() => Array.from(document.querySelectorAll('#w-ListBOM thead th'), (th) => th.textContent).slice(-2).join() === 'Note,Price');
    const sprue = await findRow(page, 'Part Number', 'KT-AB 18x56 R15.5');
    const note = cellSelector(sprue.row, sprue.position('Note'));
    await editCell(page, note, 'check fit');
    await waitForText(page, note, 'check fit');
    await shot('07-column-added.png');
  });

  await t.test('the report is saved through the save-as chooser', async () => {
    await openChooser(page, '#w-PushAnalyze');
    assert.equal(await page.getAttribute('#chooser', 'data-box'), 'SaveBom');
    await page.click('.chooser-list li.folder[data-name="reports"]');
    await page.waitForFunction(() => document.querySelector('.chooser-path').textContent.includes('reports'));
    await page.fill('#chooser-name', 'bom-report');
    await shot('08-save-as.png');
    await page.click('#chooser-ok');
    await chooserClosed(page);
    await page.waitForFunction(() => document.querySelector('#status').textContent.startsWith('Report saved'));
    const csv = readFileSync(path.join(workspace, 'reports', 'bom-report.csv'), 'latin1').split('\r\n');
    assert.match(csv[2], /^Number;Qty;Part Number;Reference;.*;Note;Price;$/);
    assert.ok(csv.some((line) => line.includes('KT-GP 24x110;GP 24x110;;Kalmo Tooling Supply;1.7131;Bought;case hardened 60 HRC;40;;160;')));
    assert.ok(csv.some((line) => line.includes('KT-AB 18x56 R15.5') && line.includes(';check fit;')));
  });

  await t.test('a chosen name cannot leave the workspace', async () => {
    await openChooser(page, '#w-PushAnalyze');
    await page.fill('#chooser-name', '../escaped.csv');
    await page.click('#chooser-ok');
    await page.waitForFunction(() => document.querySelector('.chooser-note').textContent.includes('workspace'));
    assert.equal(existsSync(path.join(workspace, '..', 'escaped.csv')), false);
    await cancelChooser(page);
  });

  await t.test('closing writes the profile', async () => {
    const rows = await dataRowCount();
    await page.click('.dialog-title .close-x');
    await page.waitForSelector('#ended:not([hidden])');
    const profile = readFileSync(path.join(workspace, 'session.bom'), 'latin1');
    assert.match(profile, /^HEADER;\r\nTM-2417;/);
    assert.match(profile, /LeaderPin\.1;40;/);
    assert.ok(rows > 20);
    await shot('09-closed.png');
  });

  await t.test('the page ran without script errors', () => {
    assert.deepEqual(pageErrors, []);
  });
});

test('the captured journal replays to the same files', async () => {
  await session.browser.close();
  assert.equal(await session.ui.stop(), 0);
  assert.equal(session.ui.errors(), '', 'nothing on standard error, sanitizer reports included');
  const journal = path.join(workspace, 'session.journal');
  const lines = readFileSync(journal, 'utf8').split('\n');
  assert.ok(lines.includes('recorder capture'));
  assert.ok(lines.includes('doc-chooser on'));
  assert.ok(lines.some((line) => line.startsWith('mold ') && line.includes('sample-mold.json')));
  const confirmed = lines.indexOf('type ReportName ./session');
  assert.equal(lines[confirmed - 1], 'answer yes', 'the answer comes before the event that asked');
  assert.ok(lines.includes('file SaveBom ok ./reports/bom-report.csv'));
  assert.ok(!lines.some((line) => line.includes('escaped')), 'refused events are not captured');

  const again = freshFolder('replay');
  try {
    mkdirSync(path.join(again, 'reports'));
    const replay = spawnSync(MOLDBOM, ['replay', journal], { cwd: again, encoding: 'utf8' });
    assert.equal(replay.status, 0, replay.stderr);
    assert.equal(replay.stderr, '');
    const original = readFileSync(path.join(workspace, 'reports', 'bom-report.csv'), 'latin1').split('\r\n');
    const replayed = readFileSync(path.join(again, 'reports', 'bom-report.csv'), 'latin1').split('\r\n');
    assert.deepEqual(replayed.slice(1), original.slice(1), 'the CSV report, but its date line');
    assert.equal(readFileSync(path.join(again, 'session.bom'), 'latin1'), readFileSync(path.join(workspace, 'session.bom'), 'latin1'));
  } finally {
    rmSync(again, { recursive: true, force: true });
  }
});
