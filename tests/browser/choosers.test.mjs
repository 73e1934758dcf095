// The profile buttons open the host's document chooser, drawn as an in-page chooser that browses
// the workspace and shows the files of its filter.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { mkdirSync, writeFileSync } from 'node:fs';
import path from 'node:path';
import { sharedSession, openChooser, chooserClosed, cancelChooser, waitForText } from './harness.mjs';

let page;

const prepare = (workspace) => {
  mkdirSync(path.join(workspace, 'profiles'));
  for (const name of ['profiles/old.bom', 'profiles/notes.txt', 'profiles/.hidden.bom']) writeFileSync(path.join(workspace, name), 'x');
};
sharedSession('choosers', [], { prepare }, async (session) => {
  ({ page } = session);
  await page.waitForSelector('#w-ListBOM table');
});

async function entries() {
  return page.$$eval('.chooser-list li', (items) => items.map((li) => `${li.className} ${li.dataset.name}`));
}

test('the profile chooser shows folders and profiles only', async () => {
  await openChooser(page, '#w-PushFileOpen');
  assert.equal(await page.getAttribute('#chooser', 'data-box'), 'FileOpen');
  await page.waitForFunction(() => document.querySelectorAll('.chooser-list li').length > 0);
  assert.deepEqual(await entries(), ['folder profiles']);
  await page.click('.chooser-list li[data-name="profiles"]');
  await page.waitForFunction(() => document.querySelector('.chooser-list li')?.dataset.name === 'old.bom');
  assert.deepEqual(await entries(), ['file old.bom']);
});

test('opening the other profile button replaces the open chooser', async () => {
  const title = await page.textContent('.chooser-title');
  await page.click('#w-PushOpenRefProf');
  await page.waitForFunction((t) => document.querySelector('.chooser-title').textContent !== t, title);
  assert.equal(await page.$$eval('#chooser', (c) => c.length), 1);
  await cancelChooser(page);
  assert.equal(await page.inputValue('#w-RefProfName'), '');
});

test('a typed name in a sub-folder becomes the profile', async () => {
  await openChooser(page, '#w-PushFileOpen');
  await page.click('.chooser-list li[data-name="profiles"]');
  await page.waitForFunction(() => document.querySelector('.chooser-path').textContent.includes('profiles'));
  await page.fill('#chooser-name', 'new');
  await page.press('#chooser-name', 'Enter');
  await page.waitForSelector('#modal-backdrop:not([hidden])');
  assert.match(await page.textContent('#modal-text'), /profiles\/new\.bom/);
  await page.click('#modal-yes');
  await chooserClosed(page);
  await waitForText(page, '#w-ReportName', './profiles/new.bom');
});
