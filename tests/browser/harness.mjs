// Shared set-up of the browser tests: moldbom ui in a work folder, Debian's Chromium driven by
// playwright-core, and reading the BOM table as the page draws it.
import { before, after } from 'node:test';
import { spawn } from 'node:child_process';
import { existsSync, mkdirSync, mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { createRequire } from 'node:module';
import { fileURLToPath } from 'node:url';

export const MOLDBOM = process.env.MOLDBOM;
export const CHROMIUM = process.env.MOLDBOM_CHROMIUM || '/usr/bin/chromium';
export const ARTIFACTS = process.env.MOLDBOM_BROWSER_ARTIFACTS || path.join(tmpdir(), 'moldbom-browser');
const STARTUP_MS = 20000;
const STOP_MS = 10000;

// The shared public STEP assembly kept beside the repository; AS1_ABSENT says why tests of it skip.
const SHARED_STEP = process.env.MOLDBOM_SHARED_STEP_DIR
  || path.join(path.dirname(fileURLToPath(import.meta.url)), '..', '..', '..', 'shared', 'step');
export const AS1 = path.join(SHARED_STEP, 'as1-ac-214.stp');
export const AS1_ABSENT = !existsSync(AS1) && `no ${AS1}: the shared STEP assemblies are absent`;

// Exit code CTest takes as "skipped" (run.mjs, when there is no Chromium at all).
export const SKIPPED = 77;

export function checkPrerequisites() {
  if (!MOLDBOM || !existsSync(MOLDBOM)) {
    console.error(`moldbom is not built (MOLDBOM=${MOLDBOM})`);
    process.exit(1);
  }
  if (!existsSync(CHROMIUM)) {
    console.error(`no Chromium at ${CHROMIUM}; \`make test\` installs Debian's chromium`);
    process.exit(1);
  }
}

export async function loadPlaywright() {
  const require = createRequire(import.meta.url);
  try {
    return require('playwright-core');
  } catch (error) {
    console.error('playwright-core is not installed: run `npm ci` in tests/browser (make test does)');
    process.exit(1);
  }
}

export function freshFolder(name) {
  const folder = mkdtempSync(path.join(tmpdir(), `moldbom-${name}-`));
  return folder;
}

export function screenshotPath(name) {
  mkdirSync(ARTIFACTS, { recursive: true });
  return path.join(ARTIFACTS, name);
}

// Starts `moldbom ui` in folder (its workspace and current folder) and waits for its address.
export async function startUi(folder, extraArgs = []) {
  const child = spawn(MOLDBOM, ['ui', ...extraArgs], { cwd: folder, stdio: ['ignore', 'pipe', 'pipe'] });
  let output = '';
  let errors = '';
  child.stderr.on('data', (data) => { errors += data; });
  const url = await new Promise((resolve, reject) => {
    const timer = setTimeout(() => reject(new Error(`moldbom ui did not start:\n${errors}`)), STARTUP_MS);
    child.stdout.on('data', (data) => {
      output += data;
      const match = /open (http:\/\/\S+)/.exec(output);
      if (match) { clearTimeout(timer); resolve(match[1]); }
    });
    child.on('exit', (code) => { clearTimeout(timer); reject(new Error(`moldbom ui exited with ${code}:\n${errors}`)); });
  });
  const origin = new URL(url).origin;
  const stop = async () => {
    if (child.exitCode !== null) return child.exitCode;
    const exited = new Promise((resolve) => child.on('exit', (code) => resolve(code)));
    child.kill('SIGTERM');
    const timer = setTimeout(() => child.kill('SIGKILL'), STOP_MS);
    const code = await exited;
    clearTimeout(timer);
    return code;
  };
  return { url, origin, port: Number(new URL(url).port), child, stop, errors: () => errors };
}

// A fresh profile every time, so nothing of an earlier run is remembered.
export async function launchBrowser(playwright) {
  const profile = freshFolder('chromium-profile');
  const context = await playwright.chromium.launchPersistentContext(profile, {
    executablePath: CHROMIUM,
    headless: true,
    viewport: { width: 1600, height: 950 },
    args: ['--no-sandbox', '--disable-gpu', '--enable-unsafe-swiftshader', '--disable-quic', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync'],
  });
  context.setDefaultTimeout(15000);
  let closed = false;
  const close = async () => {
    if (closed) return;
    closed = true;
    await context.close();
    rmSync(profile, { recursive: true, force: true });
  };
  return { context, close };
}

// A fresh workspace, moldbom ui serving it and a page open on it; close() ends all three.
// prepare(workspace) runs before moldbom ui starts, beforeLoad(page, context) before the page loads.
export async function openSession(playwright, name, extraArgs = [], { prepare, beforeLoad } = {}) {
  const workspace = freshFolder(name);
  let ui;
  let browser;
  const close = async () => {
    if (browser) await browser.close();
    if (ui) await ui.stop();
    rmSync(workspace, { recursive: true, force: true });
  };
  try {
    if (prepare) await prepare(workspace);
    ui = await startUi(workspace, extraArgs);
    browser = await launchBrowser(playwright);
    const page = await browser.context.newPage();
    if (beforeLoad) await beforeLoad(page, browser.context);
    await page.goto(ui.url);
    return { workspace, ui, browser, page, close };
  } catch (error) {
    await close();
    throw error;
  }
}

// One session for all the tests of a file: opened before the first (ready(session) runs then),
// closed after the last. The returned object takes the session's fields once it is open.
export function sharedSession(name, extraArgs = [], options = {}, ready = async () => {}) {
  const shared = {};
  before(async () => {
    checkPrerequisites();
    Object.assign(shared, await openSession(await loadPlaywright(), name, extraArgs, options));
    await ready(shared);
  });
  after(async () => { if (shared.close) await shared.close(); });
  return shared;
}

// Picks an assembly (the bundled sample's by default) in the tree and waits for the table to fill.
export async function pickAssembly(page, path = 'TM-2417') {
  await page.click(`.tree-item[data-path="${path}"] > .tree-node .tree-name`);
  await page.waitForSelector('#w-ListBOM tr[data-row="2"]');
}

// Types value into a table cell's editor and leaves it with key.
export async function editCell(page, cell, value, key = 'Enter') {
  await page.dblclick(cell);
  await page.fill(`${cell} input`, value);
  await page.press(`${cell} input`, key);
}

export async function openChooser(page, button) {
  await page.click(button);
  await page.waitForSelector('#chooser:not([hidden])');
}

export const chooserClosed = (page) => page.waitForSelector('#chooser', { state: 'hidden' });

export async function cancelChooser(page) {
  await page.click('#chooser-cancel');
  await chooserClosed(page);
}

// The BOM table as drawn: the header titles left to right and each row's cells (row 0 is the
// marker row), with the display position of each shown column.
export async function readTable(page) {
  return page.evaluate(() => {
    const table = document.querySelector('#w-ListBOM table');
    if (!table) return { headers: [], positions: [], rows: [] };
    const headers = Array.from(table.querySelectorAll('thead th'), (th) => th.textContent);
    const positions = Array.from(table.querySelectorAll('thead th'), (th) => Number(th.dataset.position));
    const rows = Array.from(table.querySelectorAll('tr[data-row]'), (tr) => ({
      row: Number(tr.dataset.row),
      selected: tr.classList.contains('selected'),
      cells: Array.from(tr.querySelectorAll('td'), (td) => td.textContent),
    }));
    return { headers, positions, rows };
  });
}

// The data row whose column titled `title` holds `text`, waiting up to 5 s for it to be drawn:
// a table whose columns changed is rebuilt at once but its rows are drawn on the next frame.
export async function findRow(page, title, text) {
  const deadline = Date.now() + 5000;
  let table;
  let found;
  for (;;) {
    table = await readTable(page);
    const column = table.headers.indexOf(title);
    found = table.rows.find((row) => row.row > 0 && row.cells[column] === text);
    if (found || Date.now() > deadline) break;
    await new Promise((resolve) => setTimeout(resolve, 50));
  }
  if (!found) throw new Error(`no row with ${title} = ${text}`);
  return { row: found.row, table, cell: (name) => found.cells[table.headers.indexOf(name)], position: (name) => table.positions[table.headers.indexOf(name)] };
}

export function cellSelector(row, position) {
  return `#w-ListBOM tr[data-row="${row}"] td[data-position="${position}"]`;
}

export async function waitForText(page, selector, expected) {
  await page.waitForFunction(([s, e]) => {
    const node = document.querySelector(s);
    if (!node) return false;
    const text = node.tagName === 'INPUT' ? node.value : node.textContent;
    return text === e;
  }, [selector, expected]);
}
