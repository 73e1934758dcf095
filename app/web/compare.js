// The comparison of the BOM table with an earlier report: marks on the table's changed rows, the
// lines removed since, and what the change costs. A view only: it sends no user event.
'use strict';

window.moldbomCompare = (() => {
  // Every mark has a glyph beside its colour, so that it reads without colour too.
  const MARKS = {
    added: { row: 'cmp-added', glyph: '+', legend: 'new' },
    quantity: { row: 'cmp-changed', glyph: 'Δ', legend: 'changed quantity or unit price (the old value in the cell\'s tip)' },
    'unit price': { row: 'cmp-changed', glyph: 'Δ' },
    renumbered: { row: 'cmp-renumbered', glyph: '#', legend: 'renumbered' },
  };
  const ROW_CLASSES = ['cmp-added', 'cmp-changed', 'cmp-renumbered'];
  const REMOVED = { glyph: '−', legend: 'removed, listed below' };
  // Which cell of a changed line shows the old value, by the kind of change.
  const CHANGED_CELLS = { quantity: 'quantity', 'unit price': 'unitPrice', renumbered: 'number' };
  const FOLLOW_DELAY_MS = 120;

  const CHOOSER_BOX = {
    name: '',
    title: 'Compare with an earlier report',
    fileName: '',
    filters: [{ description: 'BOM reports (*.csv)', patterns: ['*.csv'] }],
  };

  let hooks = null;
  let current = null; // { report, answer, byRow: Map(row -> mark) }
  let drawnVersion = 0;
  let asked = 0; // the latest question; older answers are dropped
  let inFlight = false;
  let followTimer = 0;

  const $ = (id) => document.getElementById(id);

  function node(tag, className, text) {
    const made = document.createElement(tag);
    if (className) made.className = className;
    if (text !== undefined) made.textContent = text;
    return made;
  }

  async function ask(report) {
    const id = ++asked;
    const query = new URLSearchParams({ report });
    let answer;
    try {
      const response = await fetch(`/api/compare?${query}`, { credentials: 'same-origin' });
      answer = await response.json().catch(() => ({}));
      if (!response.ok && !answer.error) answer.error = `the server answered ${response.status}`;
    } catch (error) {
      answer = { error: String(error) };
    }
    return { id, answer };
  }

  // The rows to mark, each with the old values of its changed cells by column position.
  function marksOf(answer) {
    const positions = {};
    hooks.columns().forEach((column, position) => {
      for (const [key, title] of Object.entries(answer.columns)) if (column.visible && column.title === title) positions[key] = String(position);
    });
    const byRow = new Map();
    for (const change of answer.rows) {
      const oldCells = new Map();
      for (const kind of change.kinds) {
        const key = CHANGED_CELLS[kind];
        if (key && positions[key] !== undefined) oldCells.set(positions[key], change.before[key]);
      }
      const rowClasses = new Set(change.kinds.map((kind) => MARKS[kind].row));
      const glyphs = Array.from(new Set(change.kinds.map((kind) => MARKS[kind].glyph))).join('');
      byRow.set(change.row, { kinds: change.kinds, rowClasses, glyphs, oldCells, delta: change.delta });
    }
    return byRow;
  }

  function show(report, answer) {
    current = { report, answer, byRow: marksOf(answer) };
    drawPanel();
    hooks.redrawRows();
  }

  function drawPanel() {
    const { report, answer } = current;
    $('compare-panel').hidden = false;
    $('compare-title').textContent = `Compared with ${report}`;
    $('compare-total').textContent = `Total delta: ${answer.totalDelta}`;
    const marks = Array.from(current.byRow.values());
    const count = (rowClass) => marks.filter((mark) => mark.rowClasses.has(rowClass)).length;
    const legend = [
      [MARKS.added, 'cmp-added', count('cmp-added')],
      [MARKS.quantity, 'cmp-changed', count('cmp-changed')],
      [MARKS.renumbered, 'cmp-renumbered', count('cmp-renumbered')],
      [REMOVED, 'cmp-removed', answer.removed.length],
    ].map(([mark, className, n]) => {
      const item = node('li', className);
      item.dataset.count = String(n);
      item.append(node('span', 'cmp-glyph', mark.glyph), ` ${mark.legend}: ${n}`);
      return item;
    });
    $('compare-legend').replaceChildren(...legend);
    drawRemoved(answer);
  }

  function drawRemoved(answer) {
    const table = $('compare-removed');
    table.hidden = answer.removed.length === 0;
    $('compare-none-removed').hidden = answer.removed.length > 0;
    const keys = ['number', 'partNumber', 'reference', 'quantity', 'unitPrice'];
    const head = node('tr');
    for (const key of keys) head.append(node('th', '', answer.columns[key]));
    head.append(node('th', '', 'Cost delta'));
    const rows = answer.removed.map((removed) => {
      const tr = node('tr', 'cmp-removed');
      keys.forEach((key, i) => tr.append(node('td', '', (i === 0 ? `${REMOVED.glyph} ` : '') + removed.line[key])));
      tr.append(node('td', 'number', removed.delta));
      return tr;
    });
    table.replaceChildren(node('thead'), node('tbody'));
    table.tHead.append(head);
    table.tBodies[0].append(...rows);
  }

  function note(text) {
    $('compare-note').textContent = text;
    $('compare-note').hidden = !text;
  }

  // Asks again once the table may have changed since the answer; one question at a time.
  function follow() {
    if (!current || followTimer || inFlight || drawnVersion <= current.answer.version) return;
    followTimer = setTimeout(async () => {
      followTimer = 0;
      if (!current) return;
      inFlight = true;
      const report = current.report;
      const { id, answer } = await ask(report);
      inFlight = false;
      if (!current || current.report !== report || id !== asked) return;
      if (answer.error) {
        // The marks stay as they were; the next change of the table asks again.
        note(`The comparison is not up to date: ${answer.error}`);
        current.answer.version = drawnVersion;
        return;
      }
      note('');
      show(report, answer);
      follow();
    }, FOLLOW_DELAY_MS);
  }

  function openChooser() {
    hooks.openChooser(CHOOSER_BOX, async (report) => {
      const { id, answer } = await ask(report);
      if (answer.error) return answer.error;
      if (id === asked) {
        note('');
        show(report, answer);
        follow();
      }
      return '';
    });
  }

  function clear() {
    current = null;
    asked += 1;
    $('compare-panel').hidden = true;
    hooks.redrawRows();
  }

  return {
    start(pageHooks) {
      hooks = pageHooks;
      $('compare').addEventListener('click', openChooser);
      $('compare-clear').addEventListener('click', clear);
    },

    // After each state drawn: the button shows once the table has lines, and the marks follow the table.
    stateDrawn(version) {
      drawnVersion = version;
      $('compare').hidden = hooks.dataRows() <= 0 && !current;
      follow();
    },

    markRow(drawnRow, r) {
      const mark = current ? current.byRow.get(r) : undefined;
      const tr = drawnRow.tr;
      for (const className of ROW_CLASSES) tr.classList.toggle(className, Boolean(mark && mark.rowClasses.has(className)));
      if (mark) tr.dataset.compare = mark.kinds.join(',');
      else delete tr.dataset.compare;
      drawnRow.cells.forEach((td, i) => {
        if (i === 0 && mark) td.dataset.compareGlyph = mark.glyphs;
        else delete td.dataset.compareGlyph;
        const old = mark ? mark.oldCells.get(td.dataset.position) : undefined;
        td.classList.toggle('cmp-cell', old !== undefined);
        if (old !== undefined) td.title = `${td.textContent} (was ${old === '' ? 'empty' : old})`;
      });
    },
  };
})();
