// The page of moldbom ui: draws the host's published state and posts what the person does as user events.
'use strict';

const COMMAND_CLASS = 'QORMldBOMCom';
// Justification flags of grid children: which sides of its cell a widget is attached to, and
// whether its column takes the spare width. (Rows keep their content's height: no frame on a grid
// is stretched vertically, so a growing row would only make every row as tall as the tallest.)
const JUSTIFY = { left: 0x02, right: 0x04, top: 0x08, bottom: 0x10, growColumn: 0x20 };
const FRAME_BORDERED = 0x01;
const DEFAULT_TEXT_WIDTH = 8;
const ICON_GLYPHS = { I_MoveLeft: '◀', I_MoveRight: '▶' };
// The marker row's icon that says which column is selected: the page draws the column as selected.
const SELECTED_COLUMN_ICON = 'I_MoveUp';
// Columns whose cells are right-aligned when they read as a number (Number is a letter code when
// numbering by letters).
const NUMERIC_COLUMNS = new Set(['Number', 'Qty', 'Unit Price', 'Price']);
const PLAIN_NUMBER = /^\s*[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?\s*$/;
// The first two shown columns stay in view while the table scrolls sideways.
const PINNED_CLASSES = ['pin', 'pin pin-second'];
const COMMAND_STATES = { InitialState: 'ready', 'Select Bom File': 'choosing where to save the report' };
const TABLE_HINT = 'Pick the mold assembly in the tree. Set numbering, profile and sorting first: they lock at the pick.';
const HOLD_DELAY_MS = 450;
const HOLD_REPEAT_MS = 200;
// Fields whose every keystroke the dialog hears, as a toolkit tells it: the add and rename buttons
// follow their text. The other fields send on Enter or on leaving them, since their handlers read
// profiles or refuse partial numbers at every change.
const LIVE_FIELDS = new Set(['EditName', 'EditNameUser', 'EditRename']);

// Rows of the tree and the table have one fixed height, so that only those on screen are drawn.
const TREE_ROW_PX = 22;
const SCROLL_MARGIN_ROWS = 15;

const page = {
  state: null,
  tree: null, // the flat product tree (see loadTree)
  treeSerial: null, // of the tree drawn; the host counts the molds it opened
  highlighted: null, // the state's highlighted places in the tree, last marked
  widgets: new Map(), // widget id -> { json, element, ... }
  grids: new Map(), // the dialog's grid frames -> their resize observers; they flow when too narrow
  dialogSignature: '',
  table: null, // the BOM table's drawing state
  chooser: null, // the open file chooser's browsing state
  noticeSerial: 0, // the host's latest notice already shown
  told: 0, // how many things the status line has told; an event that told nothing restores it
  modalId: 0,
  eventQueue: Promise.resolve(),
  version: 0, // of the last state drawn
  versionWaiters: [],
  resync: null, // while the whole state is fetched again: the deltas that arrive meanwhile
  busyTimer: 0,
};

const $ = (id) => document.getElementById(id);

// Where the focus was when a box opened, to go back to when it closes.
function focusOrigin() {
  const active = document.activeElement;
  return active && active !== document.body ? active : null;
}

// The element that opened a box may have gone or gone grey meanwhile: the table or the tree then.
function returnFocus(origin) {
  const candidates = [origin, page.table && page.table.table, $('tree')];
  for (const candidate of candidates) {
    if (!candidate || !candidate.isConnected || candidate.disabled || candidate.closest('[hidden], .hidden')) continue;
    candidate.focus({ preventScroll: true });
    if (document.activeElement === candidate) return;
  }
}

// Drawing that reads scroll positions waits for the next frame, so that the page is laid out once
// per frame rather than at each read in between changes.
const frameWork = new Set();
function nextFrame(work) {
  if (frameWork.size === 0) requestAnimationFrame(() => {
    const due = Array.from(frameWork);
    frameWork.clear();
    for (const run of due) run();
  });
  frameWork.add(work);
}

function element(tag, attributes = {}, children = []) {
  const node = document.createElement(tag);
  for (const [name, value] of Object.entries(attributes)) {
    if (value === undefined || value === null || value === false) continue;
    if (name === 'class') node.className = value;
    else if (name === 'text') node.textContent = value;
    else node.setAttribute(name, value === true ? '' : String(value));
  }
  for (const child of children) node.append(child);
  return node;
}

// ---------------------------------------------------------------------------------------------
// Talking to the server
// ---------------------------------------------------------------------------------------------

function showStatus(text, refusal = false) {
  const status = $('status');
  status.textContent = text;
  status.classList.toggle('refusal', refusal);
}

// What the status line holds when nothing new is to be said: the warning given on load, if any.
function showStandingStatus() {
  const warning = page.state && page.state.loadWarning;
  showStatus(warning || '', Boolean(warning));
}

async function postJson(path, body) {
  const response = await fetch(path, {
    method: 'POST',
    headers: { 'Content-Type': 'application/json' },
    body: JSON.stringify(body),
    credentials: 'same-origin',
  });
  let answer = {};
  try { answer = await response.json(); } catch (_) { answer = { error: `the server answered ${response.status}` }; }
  if (!response.ok) return { ok: false, why: answer.error || `the server answered ${response.status}` };
  return answer;
}

// Resolves once a state at least as new as version has been drawn (the answer to an event and
// the stream of states travel on different connections).
function drawn(version) {
  if (!version || page.version >= version) return Promise.resolve();
  return new Promise((resolve) => {
    page.versionWaiters.push({ version, resolve });
    setTimeout(resolve, 3000);
  });
}

// User events go one after the other, in the order the person made them, as a toolkit's event
// queue would deliver them; an event waiting on a message box holds the ones behind it. Each
// resolves once the page shows what the event did.
function sendEvent(verb, ...args) {
  const run = async () => {
    const toldBefore = page.told;
    const answer = await postJson('/api/event', { verb, args: args.map(String) }).catch((error) => ({ ok: false, why: String(error) }));
    await drawn(answer.version);
    if (!answer.ok) showStatus(answer.why || 'refused', true);
    else if (page.told === toldBefore) showStandingStatus();
    return answer;
  };
  const result = page.eventQueue.then(run, run);
  page.eventQueue = result.catch(() => {});
  return result;
}

function connect() {
  const source = new EventSource('/api/events');
  source.addEventListener('open', () => { $('connection').textContent = ''; });
  source.addEventListener('error', () => { $('connection').textContent = 'connection lost – retrying…'; });
  source.addEventListener('state', (event) => render(JSON.parse(event.data), Number(event.lastEventId)));
  source.addEventListener('delta', (event) => receiveDelta(JSON.parse(event.data)));
  source.addEventListener('busy', (event) => showBusy(event.data === 'true'));
  source.addEventListener('progress', (event) => showProgress(JSON.parse(event.data)));
}

async function start() {
  $('restart').addEventListener('click', () => sendEvent('start', COMMAND_CLASS));
  $('open-mold').addEventListener('click', openMoldChooser);
  setUpChooser();
  setUpTree();
  if (window.moldbomCompare) {
    window.moldbomCompare.start({
      openChooser: openPageChooser,
      columns: () => (page.table && page.table.json ? page.table.json.columns : []),
      dataRows: () => (page.table && page.table.json ? page.table.json.rows.length - 1 : 0),
      redrawRows: () => nextFrame(drawCurrentTable),
    });
  }
  connect();
}

// A delta applies to the version it was made from; after a gap the page takes the whole state.
function receiveDelta(delta) {
  if (page.resync) { page.resync.push(delta); return; }
  if (delta.to <= page.version) return;
  if (!page.state || delta.from !== page.version) { resynchronise(delta); return; }
  applyDelta(page.state, delta);
  render(page.state, delta.to);
}

async function resynchronise(delta) {
  page.resync = [delta];
  const full = await fetch('/api/state', { credentials: 'same-origin' }).then((r) => r.json()).catch(() => null);
  const waiting = page.resync;
  page.resync = null;
  if (full && full.version >= page.version) render(full.state, full.version);
  for (const later of waiting) if (later.to > page.version) receiveDelta(later);
}

function applyDelta(state, delta) {
  if (delta.set) Object.assign(state, delta.set);
  if ('dialog' in delta) state.dialog = delta.dialog;
  if (!delta.widgets && !delta.lists) return;
  const widgets = new Map();
  const index = (widget) => { widgets.set(widget.id, widget); widget.children.forEach(index); };
  if (state.dialog) index(state.dialog);
  for (const [id, fields] of Object.entries(delta.widgets || {})) if (widgets.has(id)) Object.assign(widgets.get(id), fields);
  for (const [id, change] of Object.entries(delta.lists || {})) {
    const list = widgets.has(id) && widgets.get(id).list;
    if (!list) continue;
    const { rows, rowCount, ...columns } = change;
    Object.assign(list, columns);
    if (rowCount === undefined) continue;
    list.rows.length = rowCount;
    for (const [r, row] of rows) list.rows[r] = row;
  }
}

// Quick events come and go unseen; work that lasts greys the page and takes no clicks or keys.
function showBusy(busy) {
  clearTimeout(page.busyTimer);
  $('busy').hidden = !busy;
  if (busy) {
    page.busyTimer = setTimeout(() => {
      // Greying drops the focus; a keyboard user gets it back where it was when the work ends.
      if (!$('work').inert) page.busyOrigin = focusOrigin();
      document.body.classList.add('busy');
      $('work').inert = true;
    }, 250);
    return;
  }
  document.body.classList.remove('busy');
  $('progress').hidden = true;
  if (!$('work').inert) return;
  $('work').inert = false;
  const origin = page.busyOrigin;
  page.busyOrigin = null;
  if (origin && document.activeElement === document.body) returnFocus(origin);
}

const PHASES = { analysis: 'Analysing instances', 'profile-read': 'Reading the profile', 'profile-write': 'Writing the profile', report: 'Writing the report' };

function showProgress(progress) {
  const bar = $('progress-bar');
  const known = progress.total > 0;
  if (known) { bar.max = progress.total; bar.value = Math.min(progress.done, progress.total); } else bar.removeAttribute('value');
  const count = progress.done.toLocaleString('en-US') + (known ? ` of ${progress.total.toLocaleString('en-US')}` : '');
  $('progress-text').textContent = `${PHASES[progress.phase] || progress.phase}: ${count}`;
  $('progress').hidden = false;
}

function render(state, version) {
  page.state = state;
  page.version = version;
  if (state.tree !== page.treeSerial) loadTree(state.tree);
  document.body.dataset.version = String(version);
  $('command-state').textContent = state.command
    ? `Bill of Materials · ${COMMAND_STATES[state.command.state] || state.command.state}`
    : 'no command running';
  $('command-state').title = state.command ? `${state.command.name} · ${state.command.state}` : '';
  drawDialog(state.dialog);
  $('ended').hidden = Boolean(state.command);
  $('download-xlsx').hidden = !state.savedReport;
  if (state.highlighted !== page.highlighted) markHighlighted(state.highlighted || []);
  drawChooser(state.boxes || []);
  drawModal(state.modal);
  if (state.notice && state.notice.serial !== page.noticeSerial) {
    page.noticeSerial = state.notice.serial;
    showStatus(state.notice.text, true);
    page.told += 1;
  } else if (state.loadWarning && !$('status').textContent) {
    showStandingStatus();
  }
  if (state.checkFailures && state.checkFailures.length) showStatus(`check failed: ${state.checkFailures.at(-1)}`, true);
  // A file problem or a notice is told once, when it comes, like a refusal.
  const notices = state.notices || [];
  if (notices.length > (page.noticesShown || 0)) {
    showStatus(notices.at(-1).text, notices.at(-1).problem);
    page.told += 1;
  }
  page.noticesShown = notices.length;
  const ready = page.versionWaiters.filter((w) => w.version <= version);
  page.versionWaiters = page.versionWaiters.filter((w) => w.version > version);
  for (const waiter of ready) waiter.resolve();
  if (window.moldbomCompare) window.moldbomCompare.stateDrawn(version);
}

// ---------------------------------------------------------------------------------------------
// Product tree
// ---------------------------------------------------------------------------------------------

const TREE_ICONS = {
  assembly: '<svg viewBox="0 0 16 16" class="tree-icon"><rect x="1.5" y="6" width="6" height="6" fill="#7aa7e8" stroke="#2a5597"/><rect x="8.5" y="6" width="6" height="6" fill="#7aa7e8" stroke="#2a5597"/><rect x="5" y="1.5" width="6" height="4.5" fill="#b7cff3" stroke="#2a5597"/></svg>',
  part: '<svg viewBox="0 0 16 16" class="tree-icon"><path d="M8 1.5l6 3v7l-6 3-6-3v-7z" fill="#d9dee6" stroke="#59657a"/><path d="M2 4.5l6 3 6-3M8 7.5v7" fill="none" stroke="#59657a"/></svg>',
  plate: '<svg viewBox="0 0 16 16" class="tree-icon"><rect x="1.5" y="5" width="13" height="6" rx="1" fill="#c9b48a" stroke="#6e5a33"/><circle cx="4" cy="8" r="1" fill="#6e5a33"/><circle cx="12" cy="8" r="1" fill="#6e5a33"/></svg>',
  component: '<svg viewBox="0 0 16 16" class="tree-icon"><rect x="6.5" y="1.5" width="3" height="11" fill="#9ccfb1" stroke="#2d6a4f"/><rect x="4.5" y="11.5" width="7" height="3" fill="#9ccfb1" stroke="#2d6a4f"/></svg>',
};

// Each mold the host opens has its own tree, fetched once. It arrives flat, in walk order:
// [depth, name, part number, kind, type, path?], and is kept as arrays indexed by walk position;
// a subtree is the run of positions from a node to end[node].
async function loadTree(serial) {
  page.treeSerial = serial;
  const flat = await fetch('/api/tree', { credentials: 'same-origin' }).then((r) => r.json()).catch(() => null);
  if (!flat || !Array.isArray(flat.nodes) || page.treeSerial !== serial) return;
  $('user-properties').replaceChildren(...(flat.userProperties || []).map((name) => element('option', { value: name })));
  const nodes = flat.nodes;
  const count = nodes.length;
  const tree = {
    serial, nodes, count, paths: new Array(count), byPath: new Map(), parent: new Int32Array(count), end: new Int32Array(count),
    expanded: new Uint8Array(count), marked: new Uint8Array(count), markedList: [], visible: new Int32Array(0), pool: [], cursor: -1, picked: -1, active: count ? 0 : -1,
  };
  const open = [];
  for (let i = 0; i < count; i++) {
    const [depth, name] = nodes[i];
    while (open.length > depth) tree.end[open.pop()] = i;
    const parent = open.length ? open[open.length - 1] : -1;
    tree.parent[i] = parent;
    tree.paths[i] = nodes[i][5] ?? (parent < 0 ? name : `${tree.paths[parent]}/${name}`);
    tree.byPath.set(tree.paths[i], i);
    open.push(i);
  }
  while (open.length) tree.end[open.pop()] = count;
  if (count) tree.expanded[0] = 1;
  page.tree = tree;
  $('tree-canvas').replaceChildren();
  $('tree').scrollTop = 0;
  page.highlighted = null;
  layOutTree();
  if (page.state) markHighlighted(page.state.highlighted || []);
}

function hasChildren(tree, i) { return tree.end[i] > i + 1; }

// The positions a person can scroll to: each node whose ancestors are all expanded.
function layOutTree() {
  computeVisible();
  nextFrame(drawTreeRows);
}

function computeVisible() {
  const tree = page.tree;
  const visible = [];
  for (let i = 0; i < tree.count;) {
    visible.push(i);
    i = hasChildren(tree, i) && !tree.expanded[i] ? tree.end[i] : i + 1;
  }
  tree.visible = Int32Array.from(visible);
  $('tree-canvas').style.height = `${visible.length * TREE_ROW_PX}px`;
}

function setUpTree() {
  const scroller = $('tree');
  scroller.tabIndex = 0;
  scroller.addEventListener('scroll', () => nextFrame(drawTreeRows));
  scroller.addEventListener('click', (event) => {
    const item = event.target.closest('.tree-item');
    if (!item || !page.tree) return;
    const i = Number(item.dataset.index);
    page.tree.active = i;
    if (event.target.closest('.tree-toggle') && hasChildren(page.tree, i)) {
      page.tree.expanded[i] ^= 1;
      layOutTree();
    } else if (event.target.closest('.tree-name')) {
      pickAssembly(i);
    }
    drawTreeRows();
  });
  scroller.addEventListener('keydown', treeKey);
  $('tree-next').addEventListener('click', showNextMarked);
}

function pickAssembly(i) {
  if (page.tree.nodes[i][3] === 'assembly') sendEvent('select', page.tree.paths[i]);
}

// The tree is one tab stop: the arrows move its active node, as in a desktop tree.
function treeKey(event) {
  const tree = page.tree;
  if (!tree || !tree.count || event.altKey || event.ctrlKey || event.metaKey) return;
  const position = activeTreePosition(tree);
  const i = tree.visible[position];
  const expandable = hasChildren(tree, i);
  let target = i;
  switch (event.key) {
    case 'ArrowDown': target = tree.visible[Math.min(position + 1, tree.visible.length - 1)]; break;
    case 'ArrowUp': target = tree.visible[Math.max(position - 1, 0)]; break;
    case 'Home': target = tree.visible[0]; break;
    case 'End': target = tree.visible[tree.visible.length - 1]; break;
    case 'ArrowRight':
      if (expandable && !tree.expanded[i]) { tree.expanded[i] = 1; computeVisible(); } else if (expandable) target = i + 1;
      break;
    case 'ArrowLeft':
      if (expandable && tree.expanded[i]) { tree.expanded[i] = 0; computeVisible(); } else if (tree.parent[i] >= 0) target = tree.parent[i];
      break;
    case 'Enter': pickAssembly(i); break;
    default: return;
  }
  event.preventDefault();
  tree.active = target;
  revealTreeNode(tree.visible.indexOf(target));
}

// A node hidden by a collapse hands the activity to its nearest shown ancestor.
function activeTreePosition(tree) {
  for (let i = tree.active; i >= 0; i = tree.parent[i]) {
    const position = tree.visible.indexOf(i);
    if (position >= 0) { tree.active = i; return position; }
  }
  tree.active = tree.visible[0];
  return 0;
}

// Scrolls just enough to show the row, then draws, so that the active descendant exists.
function revealTreeNode(position) {
  const scroller = $('tree');
  const top = position * TREE_ROW_PX;
  if (top < scroller.scrollTop) scroller.scrollTop = top;
  else if (top + TREE_ROW_PX > scroller.scrollTop + scroller.clientHeight) scroller.scrollTop = top + TREE_ROW_PX - scroller.clientHeight;
  drawTreeRows();
}

// Rows are drawn for the positions on screen and a margin; the elements are reused as it scrolls.
function drawTreeRows() {
  const tree = page.tree;
  if (!tree) return;
  const scroller = $('tree');
  const first = Math.max(0, Math.floor(scroller.scrollTop / TREE_ROW_PX) - SCROLL_MARGIN_ROWS);
  const last = Math.min(tree.visible.length, Math.ceil((scroller.scrollTop + scroller.clientHeight) / TREE_ROW_PX) + SCROLL_MARGIN_ROWS);
  const canvas = $('tree-canvas');
  while (tree.pool.length < last - first) {
    const item = element('div', { class: 'tree-item', role: 'treeitem' }, [element('div', { class: 'tree-node' })]);
    canvas.append(item);
    tree.pool.push({ item, index: -1, key: '' });
  }
  tree.pool.forEach((slot, k) => {
    const position = first + k;
    slot.item.hidden = position >= last;
    if (position < last) drawTreeRow(tree, slot, position);
  });
  // Rows are recycled, so the active descendant is named again at every draw.
  const active = tree.pool.find((slot) => !slot.item.hidden && Number(slot.item.dataset.index) === tree.active);
  if (active) scroller.setAttribute('aria-activedescendant', active.item.id);
  else scroller.removeAttribute('aria-activedescendant');
}

function drawTreeRow(tree, slot, position) {
  const i = tree.visible[position];
  const [depth, name, partNumber, kind, type] = tree.nodes[i];
  const parent = hasChildren(tree, i);
  const key = `${i}|${tree.expanded[i]}|${tree.marked[i]}|${tree.picked === i}|${tree.active === i}`;
  slot.item.style.transform = `translateY(${position * TREE_ROW_PX}px)`;
  if (slot.key === key) return;
  slot.key = key;
  const item = slot.item;
  item.dataset.index = String(i);
  item.dataset.path = tree.paths[i];
  item.id = `tree-node-${i}`;
  item.classList.toggle('active', tree.active === i);
  item.setAttribute('aria-selected', String(tree.active === i));
  item.setAttribute('aria-level', String(depth + 1));
  if (parent) item.setAttribute('aria-expanded', String(Boolean(tree.expanded[i]))); else item.removeAttribute('aria-expanded');
  const pickable = kind === 'assembly';
  const row = element('div', { class: 'tree-node' + (pickable ? ' pickable' : '') + (tree.marked[i] ? ' highlighted' : '') + (tree.picked === i ? ' picked' : ''), title: pickable ? 'Pick this assembly for the command' : undefined });
  row.style.paddingLeft = `calc(${depth * 1.1}em + 0.3em)`;
  row.append(element('span', { class: 'tree-toggle', text: parent ? (tree.expanded[i] ? '▾' : '▸') : '' }), treeIcon(kind),
    element('span', { class: 'tree-name', text: name }), element('span', { class: 'tree-part', text: partNumber }));
  if (type) row.append(element('span', { class: 'tree-type', text: type }));
  if (kind === 'plate') row.append(element('span', { class: 'tree-type', text: 'Plate' }));
  item.replaceChildren(row);
}

// Icons are parsed once and cloned: rows are redrawn at every scroll step.
const treeIcons = new Map();
function treeIcon(kind) {
  const known = TREE_ICONS[kind] ? kind : 'part';
  if (!treeIcons.has(known)) {
    const holder = element('span');
    holder.innerHTML = TREE_ICONS[known];
    holder.firstChild.setAttribute('aria-hidden', 'true');
    treeIcons.set(known, holder.firstChild);
  }
  return treeIcons.get(known).cloneNode(true);
}

// The marked components (places in the tree, ascending) come into view with their ancestors
// expanded; the first is scrolled to. Places name the tree of the state's serial: while another
// tree loads, the marks wait for it.
function markHighlighted(places) {
  page.highlighted = places;
  const tree = page.tree;
  if (!tree || tree.serial !== page.treeSerial) return;
  for (const i of tree.markedList) tree.marked[i] = 0;
  tree.markedList = [];
  for (const i of places) {
    if (!(i >= 0 && i < tree.count) || tree.marked[i]) continue;
    tree.marked[i] = 1;
    tree.markedList.push(i);
    for (let up = tree.parent[i]; up >= 0 && !tree.expanded[up]; up = tree.parent[up]) tree.expanded[up] = 1;
  }
  // The view asks about its own shapes' paths only, so the marks are not turned into paths here.
  if (window.moldbomView) {
    window.moldbomView.highlight({
      size: tree.markedList.length,
      has: (path) => { const i = tree.byPath.get(path); return i !== undefined && tree.marked[i] === 1; },
    });
  }
  tree.cursor = -1;
  const count = tree.markedList.length;
  $('tree-marks').hidden = count === 0;
  $('tree-marked-count').textContent = `${count.toLocaleString('en-US')} marked`;
  $('tree-next').disabled = count < 2;
  // With marks, the scroll to the first draws the rows at once, in the frame that shows the table's
  // selection; the layout alone would draw them again a frame later.
  if (count) {
    computeVisible();
    showNextMarked();
  } else layOutTree();
}

function showNextMarked() {
  const tree = page.tree;
  if (!tree || !tree.markedList.length) return;
  tree.cursor = (tree.cursor + 1) % tree.markedList.length;
  scrollTreeTo(tree.markedList[tree.cursor]);
}

// Scrolls the node into view, when its ancestors are expanded, and draws the rows.
function scrollTreeTo(i) {
  const tree = page.tree;
  const position = tree.visible.indexOf(i);
  const scroller = $('tree');
  const top = position * TREE_ROW_PX;
  if (position >= 0 && (top < scroller.scrollTop || top + TREE_ROW_PX > scroller.scrollTop + scroller.clientHeight))
    scroller.scrollTop = top - scroller.clientHeight / 3;
  drawTreeRows();
}

// An occurrence picked in the 3D view is outlined in the tree, its ancestors expanded.
function pickInTree(path) {
  const tree = page.tree;
  if (!tree) return;
  const i = path ? tree.byPath.get(path) : undefined;
  tree.picked = i === undefined ? -1 : i;
  if (tree.picked < 0) { drawTreeRows(); return; }
  for (let up = tree.parent[i]; up >= 0; up = tree.parent[up]) tree.expanded[up] = 1;
  computeVisible();
  scrollTreeTo(i);
}

// ---------------------------------------------------------------------------------------------
// The dialog: built once from the widget tree, then updated in place from every snapshot
// ---------------------------------------------------------------------------------------------

function signature(widget) {
  return widget.id + ':' + widget.kind + '(' + widget.children.map(signature).join(',') + ')';
}

function drawDialog(dialog) {
  const host = $('dialog-host');
  host.hidden = !dialog;
  if (!dialog) {
    host.replaceChildren();
    page.widgets.clear();
    forgetGrids();
    page.dialogSignature = '';
    page.table = null;
    return;
  }
  const shape = signature(dialog);
  if (shape !== page.dialogSignature) {
    page.widgets.clear();
    forgetGrids();
    page.table = null;
    host.replaceChildren(buildWidget(dialog));
    page.dialogSignature = shape;
  }
  updateWidget(dialog, true, true);
  // A widget shown since may have made a grid too wide for its room.
  nextFrame(() => page.grids.forEach((_, grid) => flowIfOverflowing(grid)));
}

function forgetGrids() {
  page.grids.forEach((observer) => observer.disconnect());
  page.grids.clear();
}

function buildWidget(widget) {
  const builders = { dialog: buildDialog, frame: buildFrame, label: buildLabel, editor: buildEditor, 'push-button': buildPush, 'check-button': buildToggle, 'radio-button': buildToggle, combo: buildCombo, 'multi-list': buildList };
  const built = (builders[widget.kind] || buildLabel)(widget);
  built.classList.add('widget');
  built.id = `w-${widget.id}`;
  built.dataset.widget = widget.id;
  page.widgets.set(widget.id, { element: built, json: widget });
  return built;
}

function buildDialog(widget) {
  const close = element('button', { class: 'close-x', type: 'button', title: 'Close the window', 'aria-label': 'Close the window', text: '×' });
  close.addEventListener('click', () => sendEvent('close', 'window'));
  const closeButton = element('button', { class: 'push', type: 'button', id: 'dialog-close', text: 'Close' });
  closeButton.addEventListener('click', () => sendEvent('close', 'dialog'));
  const startAgain = element('button', {
    class: 'push', type: 'button', id: 'dialog-start-again', text: 'Start again',
    title: 'Cancel this run without writing anything and start the command again, keeping the profile names',
  });
  startAgain.addEventListener('click', () => sendEvent('start-again'));
  const body = element('div', { class: 'dialog-body' });
  layOutChildren(body, widget);
  return element('div', { class: 'dialog', role: 'dialog', 'aria-label': widget.title }, [
    element('div', { class: 'dialog-title' }, [element('span', { class: 'dialog-caption', text: widget.title }), close]),
    body,
    element('div', { class: 'dialog-buttons' }, [startAgain, closeButton]),
  ]);
}

function buildFrame(widget) {
  const frame = element('div', { class: 'frame' + (widget.style & FRAME_BORDERED ? ' bordered' : '') });
  layOutChildren(frame, widget);
  return frame;
}

// Children attached by tabulations stack from top to bottom in the order of their horizontal
// tabulation; a child attached to all four sides takes the room left. Others sit on the grid.
function layOutChildren(container, widget) {
  const layout = widget.layout || { allSides: [], tabs: [] };
  const attached = layout.allSides.length > 0 || layout.tabs.length > 0;
  if (attached) layOutAttached(container, widget, layout);
  else layOutGrid(container, widget);
}

function layOutAttached(container, widget, layout) {
  container.classList.add('attached');
  const firstTab = new Map();
  for (const tab of layout.tabs) {
    if (tab.vertical) continue;
    firstTab.set(tab.child, Math.min(firstTab.has(tab.child) ? firstTab.get(tab.child) : Infinity, tab.tab));
  }
  let lastTab = -1;
  const ordered = widget.children.map((child, index) => {
    const fill = layout.allSides.includes(child.id);
    if (firstTab.has(child.id)) lastTab = firstTab.get(child.id);
    return { child, fill, key: firstTab.has(child.id) ? firstTab.get(child.id) : lastTab + 0.5, index };
  });
  ordered.sort((a, b) => a.key - b.key || a.index - b.index);
  for (const { child, fill } of ordered) {
    const built = buildWidget(child);
    if (fill) built.classList.add('fill');
    container.append(built);
  }
}

function layOutGrid(container, widget) {
  container.classList.add('grid');
  const growColumns = new Set();
  let columns = 0;
  for (const child of widget.children) {
    const built = buildWidget(child);
    const grid = child.grid;
    if (grid) {
      built.style.gridRow = `${grid.row + 1} / span ${grid.rowSpan}`;
      built.style.gridColumn = `${grid.column + 1} / span ${grid.columnSpan}`;
      const j = grid.justification;
      built.style.justifySelf = j & JUSTIFY.left && j & JUSTIFY.right ? 'stretch' : j & JUSTIFY.left ? 'start' : j & JUSTIFY.right ? 'end' : 'center';
      built.style.alignSelf = j & JUSTIFY.top && j & JUSTIFY.bottom ? 'stretch' : j & JUSTIFY.top ? 'start' : j & JUSTIFY.bottom ? 'end' : 'center';
      if (j & JUSTIFY.growColumn) growColumns.add(grid.column);
      columns = Math.max(columns, grid.column + grid.columnSpan);
    }
    container.append(built);
  }
  nameFieldsByTheirLabels(widget.children);
  if (columns) container.style.gridTemplateColumns = Array.from({ length: columns }, (_, i) => (growColumns.has(i) ? 'var(--grow-column, minmax(min-content, 1fr))' : 'auto')).join(' ');
  wrapWhenNarrow(container, widget.children);
}

// A grid wider than its room flows instead: its cells in reading order, each grid row starting a
// new line and wrapping where the room ends, the first column keeping its width so that fields
// still line up after their labels. The grid comes back once there is room for it.
function wrapWhenNarrow(container, children) {
  const rows = new Set();
  for (const child of children) {
    if (!child.grid) continue;
    const built = page.widgets.get(child.id).element;
    built.style.setProperty('--flow-order', String(child.grid.row * 1000 + child.grid.column * 2));
    if (child.grid.column === 0) built.classList.add('first-column');
    if (child.grid.columnSpan > 1) built.classList.add('flow-grow');
    rows.add(child.grid.row);
  }
  if (rows.size === 0) return;
  // Zero-height breaks, shown only while flowing, end each grid row's line.
  for (const row of rows) {
    const rowEnd = element('span', { class: 'row-end', 'aria-hidden': 'true' });
    rowEnd.style.setProperty('--flow-order', String(row * 1000 + 999));
    container.append(rowEnd);
  }
  let width = -1;
  const observer = new ResizeObserver(() => {
    if (container.clientWidth === width) return;
    width = container.clientWidth;
    container.classList.remove('flowing');
    flowIfOverflowing(container);
  });
  observer.observe(container);
  page.grids.set(container, observer);
}

function flowIfOverflowing(container) {
  if (container.classList.contains('flowing') || container.scrollWidth <= container.clientWidth + 1) return;
  container.style.setProperty('--first-column', getComputedStyle(container).gridTemplateColumns.split(' ')[0]);
  container.classList.add('flowing');
}

// A field is named by the label or button just left of it in its grid row, as a person reads it.
function nameFieldsByTheirLabels(children) {
  for (const child of children) {
    if (!child.grid || (child.kind !== 'editor' && child.kind !== 'combo')) continue;
    const left = children
      .filter((other) => other.grid && other.grid.row === child.grid.row && other.grid.column < child.grid.column && (other.kind === 'label' || other.kind === 'push-button') && other.title)
      .sort((a, b) => b.grid.column - a.grid.column)[0];
    const field = page.widgets.get(child.id).element;
    const control = field.matches('input, select') ? field : field.querySelector('input, select');
    if (control) control.setAttribute('aria-label', left ? left.title.replace(/\s*(:|…|\.\.\.)$/, '') : child.id);
  }
}

function buildLabel(widget) {
  return element('span', { class: 'label', text: widget.title });
}

function textWidth(width) {
  return `calc(${width || DEFAULT_TEXT_WIDTH} * var(--unit))`;
}

function buildEditor(widget) {
  const input = element('input', { class: 'editor' + (widget.readOnly ? ' read-only' : ''), type: 'text', autocomplete: 'off', spellcheck: 'false' });
  if (widget.id === 'EditNameUser') input.setAttribute('list', 'user-properties');
  if (widget.readOnly) input.readOnly = true;
  if (widget.integer || widget.real) input.inputMode = 'decimal';
  if (widget.textWidth) input.style.width = textWidth(widget.textWidth);
  // The modify notification goes when the person commits the text (at every key in the live
  // fields). Texts still on their way count, not the last state drawn, so that a quick
  // type-and-erase is sent in full.
  let inFlight = 0;
  let lastSent = null;
  const commit = () => {
    const model = page.widgets.get(widget.id).json;
    input.dataset.dirty = '';
    if (model.readOnly || input.value === (inFlight ? lastSent : model.text)) return;
    inFlight += 1;
    lastSent = input.value;
    input.dataset.pending = '1';
    sendEvent('type', widget.id, input.value).then(() => {
      inFlight -= 1;
      if (inFlight) return;
      input.dataset.pending = '';
      updateEditor(input, page.widgets.get(widget.id).json, !input.disabled);
    });
  };
  input.addEventListener('input', () => {
    input.dataset.dirty = '1';
    if (LIVE_FIELDS.has(widget.id)) commit();
  });
  input.addEventListener('keydown', (event) => {
    if (event.key === 'Enter') { event.preventDefault(); commit(); }
    if (event.key === 'Escape') { input.value = page.widgets.get(widget.id).json.text; input.dataset.dirty = ''; }
  });
  input.addEventListener('change', commit);
  return input;
}

function buildPush(widget) {
  const glyph = ICON_GLYPHS[widget.icon];
  const button = element('button', { class: 'push', type: 'button', title: widget.title });
  if (glyph) button.append(element('span', { class: 'glyph', 'aria-hidden': 'true', text: glyph }), ` ${widget.title}`);
  else button.textContent = widget.title;
  button.addEventListener('click', () => sendEvent('push', widget.id));
  if (widget.repetitive) holdToRepeat(button, widget.id);
  return button;
}

// A button that repeats while held down sends one repetitive notification per beat.
function holdToRepeat(button, id) {
  let timer = null;
  const stop = () => { clearTimeout(timer); clearInterval(timer); timer = null; };
  button.addEventListener('pointerdown', () => {
    stop();
    timer = setTimeout(() => { timer = setInterval(() => { if (!button.disabled) sendEvent('hold', id); else stop(); }, HOLD_REPEAT_MS); }, HOLD_DELAY_MS);
  });
  for (const type of ['pointerup', 'pointerleave', 'pointercancel']) button.addEventListener(type, stop);
}

function buildToggle(widget) {
  const input = element('input', { type: widget.kind === 'radio-button' ? 'radio' : 'checkbox' });
  const label = element('label', { class: 'toggle' }, [input, element('span', { text: widget.title })]);
  input.addEventListener('click', (event) => {
    // The state is the host's: it comes back in the next snapshot.
    event.preventDefault();
    const model = page.widgets.get(widget.id).json;
    if (widget.kind === 'radio-button') { if (!model.checked) sendEvent('check', widget.id, 'on'); }
    else sendEvent('check', widget.id, model.checked ? 'off' : 'on');
  });
  return label;
}

function buildCombo(widget) {
  const select = element('select', { class: 'combo', 'aria-label': widget.id });
  if (widget.textWidth) select.style.minWidth = textWidth(widget.textWidth);
  select.addEventListener('change', () => {
    const option = select.selectedOptions[0];
    if (option) sendEvent('combo', widget.id, option.textContent);
  });
  return select;
}

function buildList(widget) {
  const table = element('table', { class: 'list', role: 'grid', 'aria-label': 'Bill of materials', 'aria-multiselectable': 'true', tabindex: 0 });
  const hint = element('p', { class: 'table-hint', text: TABLE_HINT });
  const wrap = element('div', { class: 'list-wrap' }, [table, hint]);
  const view = { id: widget.id, table, wrap, hint, shape: '', rows: [], rowHeight: 0, first: 1, last: 1, anchor: null, editing: null, pending: null, current: 1, column: 0 };
  page.table = view;
  wrap.addEventListener('scroll', () => nextFrame(drawCurrentTable));
  table.addEventListener('keydown', (event) => tableKey(view, event));
  return wrap;
}

function updateWidget(widget, ancestorsShown, ancestorsEnabled) {
  const entry = page.widgets.get(widget.id);
  if (!entry) return;
  entry.json = widget;
  const node = entry.element;
  const shown = ancestorsShown && widget.visible;
  const usable = shown && ancestorsEnabled && widget.enabled;
  node.classList.toggle('hidden', !widget.visible);
  node.classList.toggle('disabled', !usable);
  switch (widget.kind) {
    case 'editor': updateEditor(node, widget, usable); break;
    case 'push-button': node.disabled = !usable; break;
    case 'check-button':
    case 'radio-button': {
      const input = node.querySelector('input');
      input.checked = widget.checked;
      input.disabled = !usable;
      break;
    }
    case 'combo': updateCombo(node, widget, usable); break;
    case 'multi-list': updateList(widget, usable); break;
    case 'label': node.textContent = widget.title; break;
    default: break;
  }
  for (const child of widget.children) updateWidget(child, shown, ancestorsEnabled && widget.enabled);
}

// How a real value that only shows (the total price) is written on screen is the page's choice:
// two decimals, the exact value in the tooltip.
function shownText(widget) {
  if (!(widget.real && widget.readOnly) || widget.text === '' || !Number.isFinite(Number(widget.text))) return widget.text;
  return Number(widget.text).toFixed(2);
}

function updateEditor(input, widget, usable) {
  input.disabled = !usable;
  const typing = (document.activeElement === input && input.dataset.dirty === '1') || input.dataset.pending === '1';
  const text = shownText(widget);
  if (!typing && input.value !== text) input.value = text;
  input.title = widget.readOnly ? widget.text : '';
}

function updateCombo(select, widget, usable) {
  select.disabled = !usable;
  const current = Array.from(select.options, (o) => o.textContent).join('\n');
  if (current !== widget.lines.join('\n')) select.replaceChildren(...widget.lines.map((line, i) => element('option', { value: String(i), text: line })));
  select.value = widget.chosen >= 0 ? String(widget.chosen) : '';
  if (widget.chosen < 0) select.selectedIndex = -1;
}

// ---------------------------------------------------------------------------------------------
// The BOM table: shown columns in display order, the marker row, rows selected by click,
// ctrl-click and shift-click, cells edited in place
// ---------------------------------------------------------------------------------------------

function updateList(widget, usable) {
  const view = page.table;
  if (!view) return;
  view.json = widget.list;
  view.usable = usable;
  if (view.editing) return; // the table catches up once the edit ends
  const list = widget.list;
  const shown = list.columns.map((column, position) => ({ ...column, position })).filter((column) => column.visible);
  const shape = shown.map((c) => `${c.position}:${c.title}:${c.width}:${c.editable}`).join('|');
  if (shape !== view.shape) {
    buildTable(view, shown);
    view.shape = shape;
  }
  view.shown = shown;
  view.table.classList.toggle('disabled', !usable);
  view.table.setAttribute('aria-rowcount', String(list.rows.length + 1));
  // The dialog marks its selected column with an icon in the marker row; the whole column shows it.
  const marked = list.rows.length ? list.rows[0].icons : {};
  view.selectedPosition = Object.keys(marked).find((position) => marked[position] === SELECTED_COLUMN_ICON);
  for (const th of view.headers) th.classList.toggle('selected-column', th.dataset.position === view.selectedPosition);
  if (list.rows.length) updateRow(view, view.marker, list.rows[0], 0);
  nextFrame(drawCurrentTable);
}

function drawCurrentTable() {
  if (page.table && !page.table.editing) drawTableRows(page.table);
}

// The head holds the titles and the marker row; the body, between two spacers, holds the data
// rows on screen and a margin, in row elements reused as the table scrolls.
function buildTable(view, shown) {
  const colgroup = element('colgroup', {}, shown.map((c) => {
    const col = element('col');
    col.style.width = textWidth(c.width);
    return col;
  }));
  view.table.style.setProperty('--pin-second', shown.length ? textWidth(shown[0].width) : '0');
  view.headers = shown.map((column, i) => {
    // Number's title stays left: with letter numbering its cells are too.
    const numeric = column.title !== 'Number' && NUMERIC_COLUMNS.has(column.title);
    const th = element('th', { scope: 'col', 'data-position': column.position, title: column.title, text: column.title, class: [PINNED_CLASSES[i], numeric && 'numeric'].filter(Boolean).join(' ') || undefined });
    th.addEventListener('click', () => { if (view.usable) sendEvent('column', view.id, column.position); });
    return th;
  });
  view.marker = tableRow(shown);
  view.marker.tr.className = 'marker';
  view.marker.tr.dataset.row = '0';
  const head = element('thead', {}, [element('tr', {}, view.headers), view.marker.tr]);
  view.above = element('tr', { class: 'spacer', 'aria-hidden': 'true' }, [element('td', { colspan: shown.length })]);
  view.below = element('tr', { class: 'spacer', 'aria-hidden': 'true' }, [element('td', { colspan: shown.length })]);
  view.body = element('tbody', {}, [view.above, view.below]);
  view.body.addEventListener('click', (event) => {
    const tr = event.target.closest('tr.row');
    if (!tr || view.editing) return;
    const td = event.target.closest('td');
    setCurrentCell(view, Number(tr.dataset.row), td ? view.shown.findIndex((c) => String(c.position) === td.dataset.position) : view.column);
    clickRow(view, Number(tr.dataset.row), event);
  });
  view.body.addEventListener('dblclick', (event) => {
    const td = event.target.closest('tr.row td');
    if (td) editCell(view, Number(td.parentElement.dataset.row), Number(td.dataset.position), td);
  });
  view.rows = [];
  view.table.replaceChildren(colgroup, head, view.body);
}

function tableRow(shown) {
  const cells = shown.map((column, i) => element('td', { 'data-position': column.position, class: PINNED_CLASSES[i] }));
  return { tr: element('tr', { class: 'row' }, cells), cells };
}

function drawTableRows(view) {
  const list = view.json;
  if (!list || !view.body) return;
  const count = list.rows.length; // data rows are 1 .. count - 1
  const product = page.widgets.get('ProductSelector');
  view.hint.hidden = count > 1 || Boolean(product && product.json.text);
  if (!view.rowHeight && count > 1) {
    const probe = tableRow(view.shown);
    view.body.insertBefore(probe.tr, view.below);
    updateRow(view, probe, list.rows[1], 1);
    view.rowHeight = probe.tr.getBoundingClientRect().height || 22;
    probe.tr.remove();
  }
  const height = view.rowHeight || 22;
  const headHeight = view.table.tHead ? view.table.tHead.offsetHeight : 0;
  const top = Math.max(0, view.wrap.scrollTop - headHeight);
  const first = Math.max(1, 1 + Math.floor(top / height) - SCROLL_MARGIN_ROWS);
  const last = Math.max(first, Math.min(count, 1 + Math.ceil((top + view.wrap.clientHeight) / height) + SCROLL_MARGIN_ROWS));
  while (view.rows.length < last - first) {
    const drawnRow = tableRow(view.shown);
    view.body.insertBefore(drawnRow.tr, view.below);
    view.rows.push(drawnRow);
  }
  while (view.rows.length > last - first) view.rows.pop().tr.remove();
  view.first = first;
  view.last = last;
  view.above.firstChild.style.height = `${(first - 1) * height}px`;
  view.below.firstChild.style.height = `${(count - last) * height}px`;
  view.above.hidden = first === 1;
  view.below.hidden = last >= count;
  view.rows.forEach((drawnRow, k) => updateRow(view, drawnRow, list.rows[first + k], first + k));
  if (!view.table.querySelector('#bom-current-cell')) view.table.removeAttribute('aria-activedescendant');
}

function updateRow(view, drawnRow, row, r) {
  drawnRow.tr.dataset.row = String(r);
  drawnRow.tr.setAttribute('aria-rowindex', String(r + 1));
  drawnRow.tr.classList.toggle('selected', Boolean(row.selected));
  const blank = r > 0 && row.cells.every((cell) => cell === null || cell === '');
  drawnRow.tr.classList.toggle('blank', blank);
  if (r > 0) drawnRow.tr.setAttribute('aria-selected', String(Boolean(row.selected)));
  const current = r > 0 && r === view.current;
  drawnRow.tr.classList.toggle('current', current);
  view.shown.forEach((column, i) => {
    const td = drawnRow.cells[i];
    const icon = row.icons[String(column.position)];
    const pending = view.pending && view.pending.r === r && view.pending.position === column.position;
    const markerText = icon && icon !== SELECTED_COLUMN_ICON ? ICON_GLYPHS[icon] || icon : '';
    const text = r === 0 ? markerText : pending ? view.pending.text : row.cells[column.position] || '';
    if (td.textContent !== text) td.textContent = text;
    const title = r === 0 && icon ? icon : text;
    if (td.title !== title) td.title = title;
    td.classList.toggle('selected-column', String(column.position) === view.selectedPosition);
    td.classList.toggle('editable', r > 0 && column.editable && row.editable);
    td.classList.toggle('numeric', r > 0 && NUMERIC_COLUMNS.has(column.title) && PLAIN_NUMBER.test(text));
    // Rows are recycled, so the current cell's id moves with the row drawn there.
    const currentCell = current && i === view.column;
    td.classList.toggle('current-cell', currentCell);
    if (currentCell) { td.id = 'bom-current-cell'; view.table.setAttribute('aria-activedescendant', td.id); } else if (td.id) td.removeAttribute('id');
  });
  if (r > 0 && window.moldbomCompare) window.moldbomCompare.markRow(drawnRow, r);
}

function redrawTable() {
  if (page.state && page.state.dialog) updateWidget(page.state.dialog, true, true);
}

function selectedRows(view) {
  const rows = [];
  view.json.rows.forEach((row, r) => { if (row.selected) rows.push(r); });
  return rows;
}

function clickRow(view, r, event) {
  if (!view.usable || view.editing) return;
  selectRows(view, rowsAfterClick(view, r, event));
}

// The rows a click on row r leaves selected: the keys select as the mouse does, through this.
function rowsAfterClick(view, r, event) {
  let rows;
  const current = selectedRows(view);
  if (event.shiftKey && view.anchor !== null) {
    const [from, to] = [Math.min(view.anchor, r), Math.max(view.anchor, r)];
    rows = Array.from({ length: to - from + 1 }, (_, i) => from + i);
  } else if (event.ctrlKey || event.metaKey) {
    rows = current.includes(r) ? current.filter((x) => x !== r) : [...current, r].sort((a, b) => a - b);
    view.anchor = r;
  } else {
    rows = [r];
    view.anchor = r;
  }
  return rows;
}

function selectRows(view, rows) {
  if (rows.join(',') === selectedRows(view).join(',')) return;
  sendEvent('rows', view.id, ...rows);
}

function setCurrentCell(view, r, column) {
  const count = view.json ? view.json.rows.length : 0;
  view.current = Math.max(1, Math.min(r, count - 1));
  view.column = Math.max(0, Math.min(column, (view.shown || []).length - 1));
}

// The table is one tab stop with a current row and cell: arrows move it, Shift extends the
// selection, Ctrl moves without selecting and Ctrl+Space toggles, as clicks with those keys do.
function tableKey(view, event) {
  if (event.target !== view.table || !view.json || view.editing) return;
  const count = view.json.rows.length;
  if (count < 2) return;
  const ctrl = event.ctrlKey || event.metaKey;
  const screenful = Math.max(1, Math.floor(view.wrap.clientHeight / (view.rowHeight || 22)) - 2);
  const moves = { ArrowDown: 1, ArrowUp: -1, PageDown: screenful, PageUp: -screenful, Home: -count, End: count };
  const key = event.key.length === 1 ? event.key.toLowerCase() : event.key;
  if (key in moves) {
    setCurrentCell(view, view.current + moves[key], view.column);
    if (!ctrl && view.usable) selectRows(view, rowsAfterClick(view, view.current, { shiftKey: event.shiftKey }));
  } else if (key === 'ArrowLeft' || key === 'ArrowRight') {
    setCurrentCell(view, view.current, view.column + (key === 'ArrowLeft' ? -1 : 1));
  } else if (key === ' ' && ctrl) {
    if (view.usable) selectRows(view, rowsAfterClick(view, view.current, { ctrlKey: true }));
  } else if (key === 'a' && ctrl) {
    if (view.usable) selectRows(view, Array.from({ length: count - 1 }, (_, k) => k + 1));
  } else if (key === 'F2' || key === 'Enter') {
    editCurrentCell(view);
  } else return;
  event.preventDefault();
  revealCurrentCell(view);
}

// Scrolls just enough to show the current cell under the sticky head, then draws it.
function revealCurrentCell(view) {
  if (view.editing) return;
  const height = view.rowHeight || 22;
  const head = view.table.tHead ? view.table.tHead.offsetHeight : 0;
  const wrap = view.wrap;
  const top = (view.current - 1) * height;
  if (top < wrap.scrollTop) wrap.scrollTop = top;
  else if (head + top + height > wrap.scrollTop + wrap.clientHeight) wrap.scrollTop = head + top + height - wrap.clientHeight;
  drawTableRows(view);
  const cell = document.getElementById('bom-current-cell');
  if (!cell) return;
  const left = cell.offsetLeft;
  if (left < wrap.scrollLeft) wrap.scrollLeft = left;
  else if (left + cell.offsetWidth > wrap.scrollLeft + wrap.clientWidth) wrap.scrollLeft = left + cell.offsetWidth - wrap.clientWidth;
}

// F2 on a cell that takes no text edits the row's first editable cell.
function editCurrentCell(view) {
  const row = view.json.rows[view.current];
  if (!row || !row.editable) return;
  const columns = view.shown.map((column, i) => ({ column, i }));
  const found = columns.find(({ column, i }) => i === view.column && column.editable) || columns.find(({ column }) => column.editable);
  if (!found) return;
  view.column = found.i;
  revealCurrentCell(view);
  const td = document.getElementById('bom-current-cell');
  if (td) editCell(view, view.current, found.column.position, td);
}

// The dialog reads a price as C's "%le" does: the longest number at the start, 0 when none. A text
// it would read otherwise than it looks is confirmed first.
function priceAsRead(text) {
  const match = /^\s*[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?/.exec(text);
  return match ? Number(match[0]) : 0;
}

function confirmPriceReading(text) {
  if (text.trim() === '' || PLAIN_NUMBER.test(text)) return true;
  return window.confirm(`"${text}" is not a plain number: the price will be read as ${priceAsRead(text)}. Keep it?`);
}

function editCell(view, r, position, td) {
  const column = view.json.columns[position];
  const row = view.json.rows[r];
  if (!view.usable || !column || !column.editable || !row || !row.editable || view.editing) return;
  const original = row.cells[position] || '';
  const input = element('input', { type: 'text', 'aria-label': `${column.title}, row ${r}` });
  input.value = original;
  view.editing = { r, position };
  td.classList.add('editing');
  td.replaceChildren(input);
  let done = false;
  const finish = (commit) => {
    if (done) return;
    done = true;
    const text = input.value;
    view.editing = null;
    td.classList.remove('editing');
    td.textContent = commit ? text : original;
    if (commit && column.title === 'Unit Price' && !confirmPriceReading(text)) commit = false;
    if (!commit) {
      td.textContent = original;
      return redrawTable();
    }
    // The typed text stays in the cell until the state after the edit is drawn.
    view.pending = { r, position, text };
    sendEvent('cell', view.id, r, position, text).then(() => {
      view.pending = null;
      redrawTable();
    });
  };
  // A key that ends the edit hands the focus back to the table (the editor leaves the page).
  input.addEventListener('keydown', (event) => {
    if (event.key !== 'Enter' && event.key !== 'Escape') return;
    event.preventDefault();
    event.stopPropagation();
    finish(event.key === 'Enter');
    view.table.focus({ preventScroll: true });
  });
  input.addEventListener('blur', () => finish(input.value !== original));
  input.focus();
  input.select();
}

// ---------------------------------------------------------------------------------------------
// File boxes: an in-page chooser browsing the workspace folder
// ---------------------------------------------------------------------------------------------

function setUpChooser() {
  $('chooser-ok').addEventListener('click', acceptChooser);
  $('chooser-cancel').addEventListener('click', cancelChooser);
  $('chooser-name').addEventListener('keydown', (event) => { if (event.key === 'Enter') { event.preventDefault(); acceptChooser(); } });
  $('chooser').addEventListener('keydown', (event) => { if (event.key === 'Escape') { event.preventDefault(); cancelChooser(); } });
  const list = $('chooser').querySelector('.chooser-list');
  list.tabIndex = 0;
  list.setAttribute('aria-label', 'Files');
  list.addEventListener('keydown', chooserListKey);
  $('chooser-filter').addEventListener('change', () => { if (page.chooser) { page.chooser.filter = Number($('chooser-filter').value); listFolder(page.chooser.folder); } });
}

// The page's own chooser for opening a mold: no box of the host's stands behind it.
const OPEN_MOLD_BOX = {
  name: '',
  title: 'Open a mold file',
  fileName: '',
  filters: [
    { description: 'Mold files and parts catalogues', patterns: ['*.json', '*.stp', '*.step', '*.STP', '*.STEP', '*.csv'] },
    { description: 'All files', pattern: '*' },
  ],
};

// A chooser the page opens for itself, rather than for a box of the host's.
const pageOwned = (chooser) => Boolean(chooser && (chooser.openMold || chooser.accept));

function openMoldChooser() {
  if (page.chooser && !pageOwned(page.chooser)) return; // a box of the dialog's is being answered
  showChooser({ key: 'open-mold', box: OPEN_MOLD_BOX, folder: '', filter: 0, openMold: true });
  $('chooser-catalog').value = '';
}

// A file the page reads for itself: accept(path) resolves to why the file was refused, or ''.
function openPageChooser(box, accept) {
  if (page.chooser && !pageOwned(page.chooser)) return; // a box of the dialog's is being answered
  showChooser({ key: 'page', box, folder: '', filter: 0, openMold: false, accept });
}

function drawChooser(boxes) {
  const box = boxes.length ? boxes[boxes.length - 1] : null;
  if (!box) {
    if (pageOwned(page.chooser)) return;
    $('chooser').hidden = true;
    if (page.chooser) returnFocus(page.chooser.origin);
    page.chooser = null;
    return;
  }
  const key = `${box.name}|${box.title}|${box.directory}|${box.fileName}`;
  if (page.chooser && page.chooser.key === key) return;
  showChooser({ key, box, folder: '', filter: 0, openMold: false });
}

function showChooser(state) {
  const box = state.box;
  const chooser = $('chooser');
  state.origin = page.chooser ? page.chooser.origin : focusOrigin();
  page.chooser = state;
  chooser.hidden = false;
  chooser.dataset.box = box.name;
  $('chooser-catalog-row').hidden = !state.openMold;
  chooser.querySelector('.chooser-title').textContent = box.title || box.name;
  $('chooser-name').value = box.fileName || '';
  const filters = box.filters.length ? box.filters : [{ description: 'All files', pattern: '*' }];
  $('chooser-filter').replaceChildren(...filters.map((f, i) => element('option', { value: String(i), text: f.description || f.pattern })));
  listFolder('');
  $('chooser-name').focus();
}

function chooserPatterns() {
  const filter = page.chooser.box.filters[page.chooser.filter];
  return filter ? filter.patterns || [filter.pattern] : ['*'];
}

async function listFolder(folder) {
  const chooser = page.chooser;
  if (!chooser) return;
  const query = new URLSearchParams({ folder });
  for (const pattern of chooserPatterns()) if (pattern && pattern !== '*') query.append('pattern', pattern);
  const listing = await fetch(`/api/files?${query}`, { credentials: 'same-origin' }).then((r) => r.json()).catch((e) => ({ error: String(e) }));
  if (page.chooser !== chooser) return;
  const note = $('chooser').querySelector('.chooser-note');
  if (listing.error) { note.textContent = listing.error; return; }
  note.textContent = listing.truncated ? 'Only the first entries are shown.' : '';
  chooser.folder = listing.folder;
  drawChooserPath(listing.folder);
  const items = [];
  for (const entry of listing.entries) {
    const li = element('li', { class: entry.folder ? 'folder' : 'file', role: 'option', id: `chooser-entry-${items.length}`, text: entry.name, 'data-name': entry.name });
    if (entry.folder) li.addEventListener('click', () => listFolder(joinPath(listing.folder, entry.name)));
    else {
      li.addEventListener('click', () => {
        // Opening a mold, a catalogue clicked in the list goes to its own field.
        const catalog = chooser.openMold && /\.csv$/i.test(entry.name);
        $(catalog ? 'chooser-catalog' : 'chooser-name').value = catalog ? joinPath(listing.folder, entry.name) : entry.name;
        for (const other of li.parentElement.children) if (!catalog || other === li) other.classList.toggle('chosen', other === li);
      });
      li.addEventListener('dblclick', acceptChooser);
    }
    items.push(li);
  }
  const list = $('chooser').querySelector('.chooser-list');
  list.removeAttribute('aria-activedescendant');
  list.replaceChildren(...items);
}

// Arrows walk the list, choosing each file as a click does; Enter opens a folder or takes the file.
function chooserListKey(event) {
  const list = event.currentTarget;
  const items = Array.from(list.children);
  if (!items.length) return;
  const at = items.findIndex((li) => li.id === list.getAttribute('aria-activedescendant'));
  const moves = { ArrowDown: at + 1, ArrowUp: at - 1, Home: 0, End: items.length - 1 };
  if (event.key === 'Enter' && at >= 0) {
    event.preventDefault();
    if (items[at].classList.contains('folder')) { items[at].click(); list.focus(); } else acceptChooser();
    return;
  }
  if (!(event.key in moves)) return;
  event.preventDefault();
  const li = items[Math.max(0, Math.min(moves[event.key], items.length - 1))];
  for (const other of items) other.classList.toggle('active', other === li);
  list.setAttribute('aria-activedescendant', li.id);
  li.scrollIntoView({ block: 'nearest' });
  if (li.classList.contains('file')) li.click();
}

function drawChooserPath(folder) {
  const parts = folder ? folder.split('/') : [];
  const crumbs = [element('button', { type: 'button', text: 'Workspace' })];
  crumbs[0].addEventListener('click', () => listFolder(''));
  parts.forEach((part, i) => {
    const button = element('button', { type: 'button', text: part });
    button.addEventListener('click', () => listFolder(parts.slice(0, i + 1).join('/')));
    crumbs.push(document.createTextNode(' / '), button);
  });
  $('chooser').querySelector('.chooser-path').replaceChildren(...crumbs);
}

function joinPath(folder, name) {
  return folder ? `${folder}/${name}` : name;
}

// A typed name without an extension takes the one of the chosen file type, as file boxes do.
function withExtension(name) {
  const patterns = chooserPatterns();
  const match = patterns.length === 1 && /^\*(\.[A-Za-z0-9]+)$/.exec(patterns[0]);
  const last = name.split('/').pop();
  return match && !last.includes('.') ? name + match[1] : name;
}

async function acceptChooser() {
  const chooser = page.chooser;
  const name = $('chooser-name').value.trim();
  if (!chooser) return;
  if (!name) { $('chooser').querySelector('.chooser-note').textContent = 'Type or choose a file name.'; return; }
  if (chooser.openMold) {
    const catalog = $('chooser-catalog').value.trim();
    const answer = await sendEvent('open', joinPath(chooser.folder, name), ...(catalog ? [catalog] : []));
    if (answer.ok) closePageChooser();
    else if (page.chooser === chooser) $('chooser').querySelector('.chooser-note').textContent = answer.why;
    return;
  }
  const chosen = withExtension(name);
  if (chooser.accept) {
    const why = await chooser.accept(joinPath(chooser.folder, chosen));
    if (!why) closePageChooser();
    else if (page.chooser === chooser) $('chooser').querySelector('.chooser-note').textContent = why;
    return;
  }
  if (chooser.box.saving && !(await mayReplace(chooser, chosen))) return;
  const answer = await sendEvent('file', chooser.box.name, 'ok', joinPath(chooser.folder, chosen));
  if (!answer.ok) $('chooser').querySelector('.chooser-note').textContent = answer.why;
}

// A save-as box asks before an existing file is replaced, as the toolkit's own box does.
async function mayReplace(chooser, name) {
  const path = joinPath(chooser.folder, name);
  const slash = path.lastIndexOf('/');
  const query = new URLSearchParams({ folder: slash < 0 ? '' : path.slice(0, slash) });
  const listing = await fetch(`/api/files?${query}`, { credentials: 'same-origin' }).then((r) => r.json()).catch(() => null);
  const base = path.slice(slash + 1);
  if (!listing || !listing.entries || !listing.entries.some((entry) => !entry.folder && entry.name === base)) return true;
  return window.confirm(`${path} already exists. Replace it?`);
}

function cancelChooser() {
  if (!page.chooser) return;
  if (pageOwned(page.chooser)) closePageChooser();
  else sendEvent('file', page.chooser.box.name, 'cancel');
}

function closePageChooser() {
  if (!pageOwned(page.chooser)) return;
  const origin = page.chooser.origin;
  page.chooser = null;
  $('chooser').hidden = true;
  drawChooser((page.state && page.state.boxes) || []);
  if (!page.chooser) returnFocus(origin);
}

// ---------------------------------------------------------------------------------------------
// Message boxes: modal, answered before anything else can be done
// ---------------------------------------------------------------------------------------------

function drawModal(modal) {
  const backdrop = $('modal-backdrop');
  if (!modal) {
    const wasOpen = !backdrop.hidden;
    backdrop.hidden = true;
    page.modalId = 0;
    if (wasOpen) returnFocus(page.modalOrigin);
    return;
  }
  if (page.modalId === modal.id) return;
  if (backdrop.hidden) page.modalOrigin = focusOrigin();
  page.modalId = modal.id;
  $('modal-title').textContent = modal.title;
  $('modal-text').textContent = modal.text;
  $('modal').dataset.kind = modal.kind;
  $('modal-icon').textContent = modal.kind === 'warning' ? '!' : '?';
  $('modal-icon').className = modal.kind;
  const answers = modal.kind === 'warning' ? [['ok', 'OK']] : [['yes', 'Yes'], ['no', 'No']];
  const buttons = answers.map(([answer, text]) => {
    const button = element('button', { type: 'button', id: `modal-${answer}`, text });
    button.addEventListener('click', () => answerModal(modal.id, answer));
    return button;
  });
  $('modal-buttons').replaceChildren(...buttons);
  backdrop.hidden = false;
  buttons[0].focus();
}

async function answerModal(id, answer) {
  const result = await postJson('/api/answer', { id, answer }).catch((error) => ({ ok: false, why: String(error) }));
  if (!result.ok) showStatus(result.why || 'the answer was not taken', true);
}

// A message box holds the keys: Escape answers No (or OK), Enter the first button, Tab stays inside.
document.addEventListener('keydown', (event) => {
  if ($('modal-backdrop').hidden || !page.modalId) return;
  const buttons = Array.from($('modal-buttons').children);
  if (['Escape', 'Enter', 'Tab'].includes(event.key)) event.stopPropagation();
  if (event.key === 'Escape') {
    event.preventDefault();
    const kind = $('modal').dataset.kind;
    answerModal(page.modalId, kind === 'warning' ? 'ok' : 'no');
  } else if (event.key === 'Enter' && !buttons.includes(event.target)) {
    event.preventDefault();
    buttons[0].click();
  } else if (event.key === 'Tab' && buttons.length) {
    event.preventDefault();
    const at = buttons.indexOf(document.activeElement);
    const next = at < 0 ? 0 : (at + (event.shiftKey ? buttons.length - 1 : 1)) % buttons.length;
    buttons[next].focus();
  }
}, true);

document.addEventListener('DOMContentLoaded', start);
