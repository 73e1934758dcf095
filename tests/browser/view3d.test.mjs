// The 3D view beside the tree on the shared as1 assembly: every leaf shape drawn, the shapes of a
// selected BOM line lit through the page's scene, then isolated, and a clicked shape's occurrence
// marked in the tree.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { rmSync } from 'node:fs';
import {
  AS1, AS1_ABSENT as skip, checkPrerequisites, loadPlaywright, freshFolder, openSession, pickAssembly, findRow,
  cellSelector, screenshotPath,
} from './harness.mjs';

let session;
let cache;
let page;

const summary = () => page.evaluate(() => window.moldbomView.summary());
const partOf = (shapePath) => shapePath.split('/').at(-1).replace(/_\d+$/, '');

before(async () => {
  if (skip) return;
  checkPrerequisites();
  const playwright = await loadPlaywright();
  // Scenes are cached in a folder of the test's own, never in the user's.
  cache = freshFolder('view3d-cache');
  process.env.XDG_CACHE_HOME = cache;
  session = await openSession(playwright, 'view3d', ['--mold', AS1]);
  ({ page } = session);
  await page.waitForSelector('.tree-item[data-path="AS1-AC-214"]');
  await page.waitForFunction(() => window.moldbomView.summary().shapes.length > 0, null, { timeout: 60000 });
});

after(async () => {
  if (session) await session.close();
  if (cache) rmSync(cache, { recursive: true, force: true });
});

test('the view draws the 18 leaf shapes of as1', { skip }, async () => {
  const { shapes } = await summary();
  const counts = {};
  for (const shape of shapes) counts[partOf(shape)] = (counts[partOf(shape)] || 0) + 1;
  assert.deepEqual(counts, { NUT: 8, BOLT: 6, 'L-BRACKET': 2, PLATE: 1, ROD: 1 });
  assert.equal(new Set(shapes).size, 18, 'each shape is its own occurrence');
});

test('selecting the NUT line lights exactly the 8 nuts, and isolate shows them alone', { skip }, async () => {
  await pickAssembly(page, 'AS1-AC-214');
  const nut = await findRow(page, 'Part Number', 'NUT');
  await page.click(cellSelector(nut.row, nut.position('Part Number')));
  await page.waitForFunction(() => window.moldbomView.summary().lit.length > 0);
  const { lit, shapes } = await summary();
  assert.equal(lit.length, 8);
  assert.deepEqual(lit.map(partOf), Array(8).fill('NUT'));
  assert.deepEqual(new Set(lit), new Set(shapes.filter((shape) => partOf(shape) === 'NUT')));
  await page.locator('#view-pane').screenshot({ path: screenshotPath('view3d-nuts.png') });

  await page.click('#view-isolate');
  assert.equal((await summary()).visible, 8);
  await page.locator('#view-pane').screenshot({ path: screenshotPath('view3d-nuts-isolated.png') });
  await page.click('#view-isolate');
  assert.equal((await summary()).visible, 18);
});

test('clicking a bolt marks its occurrence in the tree', { skip }, async () => {
  await page.click('#view-fit');
  const { shapes } = await summary();
  // A point near some bolt's middle where the bolt itself is drawn in front: a click there reaches it.
  const target = await page.evaluate((bolts) => {
    for (const shape of bolts) {
      const middle = window.moldbomView.pointOf(shape);
      for (let dy = -30; middle && dy <= 30; dy += 3)
        for (let dx = -30; dx <= 30; dx += 3)
          if (window.moldbomView.shapeAt(middle.x + dx, middle.y + dy) === shape) return { shape, point: { x: middle.x + dx, y: middle.y + dy } };
    }
    return null;
  }, shapes.filter((s) => partOf(s) === 'BOLT'));
  assert.ok(target, 'some bolt shows its middle');
  await page.mouse.click(target.point.x, target.point.y);
  const picked = await page.$$eval('.tree-node.picked', (nodes) => nodes.map((n) => n.closest('.tree-item').dataset.path));
  assert.deepEqual(picked, [target.shape]);
  await page.locator('main').screenshot({ path: screenshotPath('view3d-picked-bolt.png') });
});
