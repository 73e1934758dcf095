// The cost view: the table's prices by tooling type and by supplier as two bar charts, asked of
// the server again whenever the page draws a newer state (a price edit, an analysis).
'use strict';

const cost = {
  open: false,
  shownVersion: -1, // state version of the sums drawn
  loading: false,
  again: false,     // a newer state came while the sums were being read
};

const SVG_NS = 'http://www.w3.org/2000/svg';
const COST_BAR_PX = 18;
const COST_NAME_PX = 150;
const COST_BARS_PX = 220;
const COST_VALUE_PX = 80;

function money(value) { return value.toFixed(2); }

function svgElement(tag, attributes = {}, text = '') {
  const node = document.createElementNS(SVG_NS, tag);
  for (const [name, value] of Object.entries(attributes)) node.setAttribute(name, String(value));
  if (text) node.textContent = text;
  return node;
}

function pageVersion() { return Number(document.body.dataset.version || 0); }

function showCostNote(text) {
  document.getElementById('cost-note').textContent = text;
}

async function refreshCost() {
  if (!cost.open) return;
  if (cost.loading) { cost.again = true; return; }
  cost.loading = true;
  try {
    const answer = await fetch('/api/cost', { credentials: 'same-origin' });
    const body = await answer.json();
    if (answer.ok) drawCost(body);
    else {
      document.getElementById('cost-charts').replaceChildren();
      showCostNote(body.error || 'the cost could not be read');
    }
    cost.shownVersion = body.version ?? pageVersion();
  } catch (error) {
    cost.again = false; // a server that cannot answer is not asked again until the next state
    cost.shownVersion = pageVersion();
    showCostNote(`the cost could not be read: ${error}`);
  } finally {
    cost.loading = false;
  }
  // Sums read before the latest state was drawn are read again.
  if (cost.again || cost.shownVersion < pageVersion()) {
    cost.again = false;
    refreshCost();
  }
}

function drawCost(body) {
  const pane = document.getElementById('cost-pane');
  pane.dataset.version = String(body.version);
  pane.dataset.sum = String(body.sum);
  let note = `${body.lines} lines · sum of the bars ${money(body.sum)} · the dialog's total ${body.total}`;
  if (body.uncertainTypes) note += ` · ${body.uncertainTypes} lines match components of several types: the first one's counts`;
  showCostNote(note);
  document.getElementById('cost-charts').replaceChildren(
    barChart('cost-by-type', 'Price by tooling type', body.byType),
    barChart('cost-by-supplier', 'Price by supplier', body.bySupplier));
}

// Horizontal bars, dearest first: the name left of its bar, the price right of it.
function barChart(id, title, shares) {
  const figure = document.createElement('figure');
  figure.className = 'cost-chart';
  figure.id = id;
  const caption = document.createElement('figcaption');
  caption.textContent = title;
  const width = COST_NAME_PX + COST_BARS_PX + COST_VALUE_PX;
  const height = Math.max(1, shares.length) * COST_BAR_PX;
  const largest = Math.max(0, ...shares.map((share) => share.price)) || 1;
  const svg = svgElement('svg', {
    viewBox: `0 0 ${width} ${height}`, width, height, role: 'img',
    'aria-label': `${title}: ${shares.map((share) => `${share.name} ${money(share.price)}`).join(', ') || 'nothing'}`,
  });
  shares.forEach((share, i) => {
    const y = i * COST_BAR_PX;
    const length = Math.max(0, share.price) / largest * COST_BARS_PX;
    const bar = svgElement('g', { class: 'cost-bar', 'data-name': share.name, 'data-value': share.price });
    bar.append(
      svgElement('title', {}, `${share.name}: ${money(share.price)} (${share.lines} ${share.lines === 1 ? 'line' : 'lines'})`),
      svgElement('text', { x: COST_NAME_PX - 8, y: y + COST_BAR_PX / 2, class: 'cost-name' }, share.name),
      svgElement('rect', { x: COST_NAME_PX, y: y + 3, width: length.toFixed(1), height: COST_BAR_PX - 6, rx: 2 }),
      svgElement('text', { x: COST_NAME_PX + length + 6, y: y + COST_BAR_PX / 2, class: 'cost-value' }, money(share.price)));
    svg.append(bar);
  });
  figure.append(caption, svg);
  return figure;
}

function toggleCost() {
  cost.open = !cost.open;
  const button = document.getElementById('cost-toggle');
  button.setAttribute('aria-expanded', String(cost.open));
  document.getElementById('cost-body').hidden = !cost.open;
  if (cost.open) refreshCost();
}

document.addEventListener('DOMContentLoaded', () => {
  document.getElementById('cost-toggle').addEventListener('click', toggleCost);
  // The page marks each state it draws on the body; a newer one may have changed the prices.
  new MutationObserver(() => {
    if (cost.open && pageVersion() > cost.shownVersion) refreshCost();
  }).observe(document.body, { attributes: true, attributeFilter: ['data-version'] });
});
