// Figures of the page on a large generated mold, in headless Chromium: time until the page is
// usable, pick to table, scrolling frame rates, select to highlight, edit to total, tab memory.
// Run by `make measure-page` (not by ctest): it prints the figures beside their targets.
import { spawnSync } from 'node:child_process';
import { readFileSync, readdirSync, rmSync, writeFileSync } from 'node:fs';
import path from 'node:path';
import { parseArgs } from 'node:util';
import { MOLDBOM, checkPrerequisites, loadPlaywright, freshFolder, startUi, launchBrowser } from './harness.mjs';

const { values: options } = parseArgs({
  options: {
    instances: { type: 'string', default: '100000' },
    seed: { type: 'string', default: '1' },
    mold: { type: 'string' }, // an existing mold file instead of a generated one
  },
});

checkPrerequisites();
const playwright = await loadPlaywright();
const PICK_TIMEOUT_MS = 600000;
const SCROLL_MS = 2000;

function generateMold(folder) {
  if (options.mold) return path.resolve(options.mold);
  const file = path.join(folder, `generated-${options.instances}.json`);
  const run = spawnSync(MOLDBOM, ['generate', options.instances, '--seed', options.seed], { encoding: 'utf8', maxBuffer: 1 << 30 });
  if (run.status !== 0) throw new Error(`moldbom generate failed: ${run.stderr}`);
  writeFileSync(file, run.stdout);
  return file;
}

// Resident memory of the page's renderer processes (the tab), in MB.
function rendererMegabytes() {
  let largest = 0;
  for (const pid of readdirSync('/proc').filter((name) => /^\d+$/.test(name))) {
    try {
      const command = readFileSync(`/proc/${pid}/cmdline`, 'utf8');
      if (!command.includes('chromium') || !command.includes('--type=renderer')) continue;
      const rss = /VmRSS:\s+(\d+) kB/.exec(readFileSync(`/proc/${pid}/status`, 'utf8'));
      if (rss) largest = Math.max(largest, Number(rss[1]) / 1024);
    } catch { /* the process ended meanwhile */ }
  }
  return largest;
}

// Scrolls the element by a third of a screen every frame for a while and counts the frames drawn.
function scrollRate(page, selector, step = 120) {
  return page.evaluate(([s, duration, step]) => new Promise((resolve) => {
    const scroller = document.querySelector(s);
    const start = performance.now();
    let frames = 0;
    let worst = 0;
    let last = start;
    const step = () => {
      const now = performance.now();
      worst = Math.max(worst, now - last);
      last = now;
      frames += 1;
      scroller.scrollTop = (scroller.scrollTop + step) % Math.max(1, scroller.scrollHeight - scroller.clientHeight);
      if (now - start < duration) requestAnimationFrame(step);
      else resolve({ fps: (frames * 1000) / (now - start), worstMs: worst });
    };
    requestAnimationFrame(step);
  }), [selector, SCROLL_MS, step]);
}

// Runs act in the page and resolves with the milliseconds until done() holds, checked each frame.
function timeInPage(page, act, done) {
  return page.evaluate(async ([actText, doneText]) => {
    const start = performance.now();
    await window[actText]();
    return new Promise((resolve, reject) => {
      const check = () => {
        if (window[doneText]()) resolve(performance.now() - start);
        else if (performance.now() - start > 30000) reject(new Error('not done after 30 s'));
        else requestAnimationFrame(check);
      };
      check();
    });
  }, [act, done]);
}

const figures = [];
function report(what, value, unit, target, ok) {
  figures.push({ what, value: `${value.toFixed(unit === 'fps' ? 1 : 0)} ${unit}`, target, verdict: ok ? 'ok' : 'MISSED' });
}

const folder = freshFolder('measure');
let ui;
let browser;
try {
  const mold = generateMold(folder);
  ui = await startUi(folder, ['--mold', mold]);
  browser = await launchBrowser(playwright);
  const page = await browser.context.newPage();
  page.setDefaultTimeout(PICK_TIMEOUT_MS);
  page.on('crash', () => console.error('the page crashed'));
  page.on('pageerror', (error) => console.error(`page error: ${error.message}`));

  // From the start of the navigation (after the entry with the token) to the first frame that shows
  // the tree and the dialog.
  await page.goto(ui.url);
  const usable = await page.evaluate(() => new Promise((resolve) => {
    const check = () => {
      if (document.querySelector('#tree .tree-item .tree-name') && document.querySelector('#w-ListBOM table')) resolve(performance.now());
      else requestAnimationFrame(check);
    };
    check();
  }));
  const treeCount = await page.evaluate(() => page.tree.count);
  report(`page usable (tree of ${treeCount} instances and the dialog)`, usable, 'ms', '< 2000 ms', usable < 2000);

  const started = Date.now();
  await page.click('#tree .tree-item[data-index="0"] .tree-name');
  await page.waitForFunction(() => document.querySelectorAll('#w-ListBOM tbody tr.row').length > 0, null, { timeout: PICK_TIMEOUT_MS });
  const pick = Date.now() - started;
  const lines = await page.evaluate(() => page.table.json.rows.length - 1);
  report(`pick the root -> table of ${lines} lines visible`, pick, 'ms', '< 2000 ms', pick < 2000);
  await page.waitForFunction(() => document.querySelector('#busy').hidden);

  // The line with the most instances: its highlight marks the most components.
  await page.evaluate(() => {
    window.selectBusiestLine = () => {
      const rows = page.table.json.rows;
      const qty = page.table.json.columns.findIndex((c) => c.title === 'Qty');
      let best = 1;
      for (let r = 1; r < rows.length; r++) if (Number(rows[r].cells[qty]) > Number(rows[best].cells[qty])) best = r;
      clickRow(page.table, best, {});
    };
    window.treeMarked = () => page.tree.markedList.length > 0 && document.querySelector('.tree-node.highlighted') !== null;
    window.editFirstPrice = () => {
      const view = page.table;
      const price = view.json.columns.findIndex((c) => c.title === 'Unit Price');
      const r = view.json.rows.findIndex((row, i) => i > 0 && row.editable);
      view.wrap.scrollTop = 0;
      drawTableRows(view);
      window.totalBefore = document.querySelector('#w-EditTotalPrice').value;
      const td = view.body.querySelector(`tr[data-row="${r}"] td[data-position="${price}"]`);
      editCell(view, r, price, td);
      const input = td.querySelector('input');
      input.value = String(Number(view.json.rows[r].cells[price] || 0) + 1.25);
      input.dispatchEvent(new KeyboardEvent('keydown', { key: 'Enter' }));
    };
    window.totalChanged = () => document.querySelector('#w-EditTotalPrice').value !== window.totalBefore;
  });
  const highlight = await timeInPage(page, 'selectBusiestLine', 'treeMarked');
  const marked = await page.evaluate(() => page.tree.markedList.length);
  report(`select a line -> ${marked} components marked in the tree`, highlight, 'ms', '< 100 ms', highlight < 100);
  await page.waitForFunction(() => document.querySelector('#busy').hidden);

  const edit = await timeInPage(page, 'editFirstPrice', 'totalChanged');
  report('edit a unit price -> total', edit, 'ms', '< 100 ms', edit < 100);
  await page.waitForFunction(() => document.querySelector('#busy').hidden);

  await page.evaluate(() => { page.tree.expanded.fill(1); layOutTree(); });
  const treeRows = await page.evaluate(() => page.tree.visible.length);
  const tree = await scrollRate(page, '#tree');
  report(`scroll the tree (${treeRows} rows expanded)`, tree.fps, 'fps', '>= 50 fps', tree.fps >= 50);
  const table = await scrollRate(page, '#w-ListBOM');
  report(`scroll the table (${lines} lines)`, table.fps, 'fps', '>= 50 fps', table.fps >= 50);

  const heap = await page.evaluate(() => (performance.memory ? performance.memory.usedJSHeapSize / 1048576 : 0));
  const tab = rendererMegabytes();
  report(`tab memory (renderer resident; JS heap ${heap.toFixed(0)} MB)`, tab, 'MB', '< 300 MB', tab < 300);
  const elements = await page.evaluate(() => document.getElementsByTagName('*').length);
  figures.push({ what: 'elements in the page', value: String(elements), target: '', verdict: '' });
} finally {
  if (browser) await browser.close();
  if (ui) await ui.stop();
  rmSync(folder, { recursive: true, force: true });
}

const width = Math.max(...figures.map((f) => f.what.length));
for (const f of figures) console.log(`${f.what.padEnd(width)}  ${f.value.padStart(10)}  ${f.target.padEnd(10)}  ${f.verdict}`);
process.exit(figures.some((f) => f.verdict === 'MISSED') ? 1 : 0);
