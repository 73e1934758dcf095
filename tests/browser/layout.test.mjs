// The page on a 1280×720 screen, with the 3D view hidden (JSON mold) and shown (STEP mold): every
// setting in view, the table scrolling sideways in its own pane with its first two columns pinned.
import { describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { AS1, AS1_ABSENT, sharedSession, pickAssembly, readTable, screenshotPath } from './harness.mjs';

const SCREEN = { width: 1280, height: 720 };

// Shown controls of the dialog's settings (all but the table) that stick out of the screen or out
// of the frame that holds them.
function controlsOutOfView(page) {
  return page.evaluate(({ width, height }) => {
    const inside = (r, box) => r.left >= box.left - 1 && r.right <= box.right + 1 && r.top >= box.top - 1 && r.bottom <= box.bottom + 1;
    const screen = { left: 0, top: 0, right: width, bottom: height };
    const controls = document.querySelectorAll('.dialog .widget:is(input, button, select, label.toggle, .label), .dialog-buttons button');
    return Array.from(controls)
      .filter((control) => control.getClientRects().length > 0)
      .filter((control) => {
        const r = control.getBoundingClientRect();
        const frame = control.parentElement.closest('.frame');
        return !inside(r, screen) || (frame && !inside(r, frame.getBoundingClientRect()));
      })
      .map((control) => control.dataset.widget || control.id);
  }, SCREEN);
}

// Where the headers sit once the table is scrolled fully right, and which header each one's centre
// shows (a pinned header covered by a scrolled one would show the other).
function headersScrolledRight(page, titles) {
  return page.evaluate(async (wanted) => {
    const wrap = document.querySelector('#w-ListBOM');
    wrap.scrollLeft = wrap.scrollWidth;
    await new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(resolve)));
    const box = wrap.getBoundingClientRect();
    return Object.fromEntries(wanted.map((title) => {
      const th = document.querySelector(`#w-ListBOM thead th[title="${title}"]`);
      const r = th.getBoundingClientRect();
      const top = document.elementFromPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
      return [title, { inPane: r.left >= box.left - 1 && r.right <= box.right + 1, onTop: top === th }];
    }));
  }, titles);
}

const molds = [
  { name: 'the JSON sample, no 3D view', args: [], root: 'TM-2417', skip: false, screenshot: 'layout-1280x720.png' },
  { name: 'the as1 STEP assembly, with the 3D view', args: ['--mold', AS1], root: 'AS1-AC-214', skip: AS1_ABSENT, screenshot: 'layout-1280x720-3d.png' },
];

for (const mold of molds) {
  describe(`at 1280×720, ${mold.name}`, { skip: mold.skip }, () => {
    let page;

    sharedSession('layout', mold.args, {}, async (session) => {
      ({ page } = session);
      await page.setViewportSize(SCREEN);
      await pickAssembly(page, mold.root);
      assert.equal(await page.isHidden('#view-pane'), mold.args.length === 0);
      await page.screenshot({ path: screenshotPath(mold.screenshot) });
    });

    test('every setting is on screen and inside its frame, and the page does not scroll sideways', async () => {
      assert.deepEqual(await controlsOutOfView(page), []);
      // The widest the settings get: a hidden column (Show and its list) and an added column
      // selected (Rename, its field and Delete).
      await page.click('#w-ListBOM thead th[title="Mold Ref"]');
      await page.click('#w-PushHide');
      await page.fill('#w-EditName', 'Note');
      await page.click('#w-PushAdd');
      await page.click('#w-ListBOM thead th[title="Note"]');
      await page.waitForSelector('#w-PushRename:not(.hidden)');
      await page.waitForSelector('#w-ComboDisplay:not(.hidden)');
      await page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(resolve))));
      assert.deepEqual(await controlsOutOfView(page), []);
      assert.equal(await page.evaluate(() => document.documentElement.scrollWidth <= window.innerWidth), true);
    });

    test('scrolled right, the prices show with Number and Qty still pinned on the left', async () => {
      const headers = await headersScrolledRight(page, ['Number', 'Qty', 'Unit Price', 'Price']);
      for (const [title, where] of Object.entries(headers)) assert.deepEqual(where, { inPane: true, onTop: true }, title);
      await page.evaluate(() => { document.querySelector('#w-ListBOM').scrollLeft = 0; });
    });

    test('the pinned columns are the first two shown, whichever they are', async () => {
      const pinned = async () => page.$$eval('#w-ListBOM thead th.pin', (ths) => ths.map((th) => th.title));
      assert.deepEqual(await pinned(), ['Number', 'Qty']);
      await page.click('#w-ListBOM thead th[title="Part Number"]');
      for (let i = 0; i < 2; i++) {
        await page.click('#w-PushLeft');
        await page.waitForFunction((n) => document.querySelectorAll('#w-ListBOM thead th')[2 - n]?.title === 'Part Number', i + 1);
      }
      assert.deepEqual((await readTable(page)).headers.slice(0, 3), ['Part Number', 'Number', 'Qty']);
      assert.deepEqual(await pinned(), ['Part Number', 'Number']);
      // The second pinned column starts where the first ends, so neither hides the other.
      const [first, second] = await page.$$eval('#w-ListBOM tr[data-row="1"] td.pin', (tds) => tds.map((td) => td.getBoundingClientRect()));
      assert.ok(Math.abs(first.right - second.left) <= 1, `${first.right} ≠ ${second.left}`);
    });
  });
}
