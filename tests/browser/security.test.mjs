// What a browser cannot do to moldbom ui: open it without the printed token, or act on it from a
// page of another origin on the same machine.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import http from 'node:http';
import { rmSync } from 'node:fs';
import { checkPrerequisites, loadPlaywright, freshFolder, startUi, launchBrowser, readTable } from './harness.mjs';

checkPrerequisites();
const playwright = await loadPlaywright();

const workspace = freshFolder('security');
let ui;
let browser;

before(async () => {
  ui = await startUi(workspace);
  browser = await launchBrowser(playwright);
});

after(async () => {
  if (browser) await browser.close();
  if (ui) await ui.stop();
  rmSync(workspace, { recursive: true, force: true });
});

test('the page needs the printed token', async () => {
  const page = await browser.context.newPage();
  const wrong = await page.goto(`${ui.origin}/?token=${'0'.repeat(64)}`);
  assert.equal(wrong.status(), 403);
  assert.match(await page.textContent('body'), /wrong token/);
  const bare = await page.goto(`${ui.origin}/`);
  assert.equal(bare.status(), 403);
  const cookies = await browser.context.cookies(ui.origin);
  assert.equal(cookies.length, 0, 'no cookie without the token');
  await page.close();
});

test('the token admits the browser with a strict, script-proof cookie', async () => {
  const page = await browser.context.newPage();
  const admitted = await page.goto(ui.url);
  assert.equal(admitted.status(), 200);
  assert.equal(new URL(page.url()).search, '', 'the token leaves the address bar');
  const [cookie] = await browser.context.cookies(ui.origin);
  assert.equal(cookie.httpOnly, true);
  assert.equal(cookie.sameSite, 'Strict');
  assert.equal(await page.evaluate(() => document.cookie), '');
  await page.close();
});

// Another server on the same machine is the same site for cookies (ports do not count), so only
// the origin check stands between its page and the BOM.
test('a page of another origin cannot act on the dialog', async () => {
  const page = await browser.context.newPage();
  await page.goto(ui.url);
  await page.waitForSelector('#w-ListBOM table');
  const attacker = http.createServer((request, response) => {
    response.setHeader('Content-Type', 'text/html');
    response.end(`<!doctype html><script>
      fetch(${JSON.stringify(ui.origin)} + '/api/event', { method: 'POST', mode: 'no-cors', credentials: 'include',
        headers: { 'Content-Type': 'text/plain' }, body: JSON.stringify({ verb: 'select', args: ['TM-2417'] }) })
        .finally(() => { document.title = 'sent'; });
    </script>`);
  });
  await new Promise((resolve) => attacker.listen(0, '127.0.0.1', resolve));
  try {
    const evil = await browser.context.newPage();
    await evil.goto(`http://127.0.0.1:${attacker.address().port}/`);
    await evil.waitForFunction(() => document.title === 'sent');
    await evil.close();
    const state = await page.evaluate(() => fetch('/api/state').then((r) => r.json()));
    assert.equal(state.state.dialog ? true : false, true);
    const table = await readTable(page);
    assert.equal(table.rows.length, 1, 'only the marker row: no product was analysed');
  } finally {
    attacker.close();
    await page.close();
  }
});
