// The 3D view of a CAD mold: the scene the server tessellated, drawn with three.js, its shapes lit
// up as the tree marks their occurrences; orbit, pan, zoom, fit all and isolate.
'use strict';

const view3d = {
  serial: null,      // of the mold whose scene is loaded or loading
  scene: null,
  model: null,       // the glTF scene's root
  meshes: [],        // { mesh, paths: instance paths of the node and its ancestors }
  renderer: null,
  camera: null,
  controls: null,
  highlighted: new Set(),
  isolate: false,
  materials: null,
  pending: false,
};

const VIEW_POLL_MS = 500;
const VIEW_IDLE_POLL_MS = 2000;

function viewPane() { return document.getElementById('view-pane'); }

// The host's state says nothing of the view: its own route says whether there is one and how far
// its build has come.
async function pollView() {
  let status = null;
  try {
    const answer = await fetch('/api/view', { credentials: 'same-origin' });
    status = answer.ok ? await answer.json() : null;
  } catch (error) {
    status = null;
  }
  if (status) showViewStatus(status);
  const building = status && status.state === 'building';
  setTimeout(pollView, building ? VIEW_POLL_MS : VIEW_IDLE_POLL_MS);
}

function showViewStatus(status) {
  const pane = viewPane();
  pane.hidden = status.state === 'none';
  pane.dataset.state = status.state;
  const note = document.getElementById('view-note');
  const progress = document.getElementById('view-progress');
  progress.hidden = status.state !== 'building';
  if (status.state === 'building') {
    progress.value = status.progress;
    note.textContent = `${status.stage}… ${Math.round(status.progress * 100)} %`;
  } else if (status.state === 'failed') {
    note.textContent = `no view: ${status.why}`;
  }
  if (status.serial !== view3d.serial && status.state !== 'building') {
    view3d.serial = status.serial;
    clearScene();
    if (status.state === 'ready') loadScene(status.serial);
  }
}

function clearScene() {
  if (view3d.model && view3d.scene) view3d.scene.remove(view3d.model);
  view3d.model = null;
  view3d.meshes = [];
  pane3dChanged();
}

async function loadScene(serial) {
  const note = document.getElementById('view-note');
  note.textContent = 'loading the scene…';
  const map = await fetch('/api/view/map', { credentials: 'same-origin' }).then((r) => (r.ok ? r.json() : null)).catch(() => null);
  if (!map || view3d.serial !== serial) return;
  ensureRenderer();
  const loader = new THREE.GLTFLoader();
  loader.load('/api/view/scene.glb', async (gltf) => {
    if (view3d.serial !== serial) return;
    const pathOf = new Map();
    await Promise.all(Object.entries(map.nodes).map(async ([path, index]) => {
      pathOf.set(await gltf.parser.getDependency('node', index), path);
    }));
    view3d.model = gltf.scene;
    view3d.meshes = [];
    gltf.scene.traverse((object) => {
      if (!object.isMesh) return;
      const paths = [];
      for (let at = object; at; at = at.parent) if (pathOf.has(at)) paths.push(pathOf.get(at));
      view3d.meshes.push({ mesh: object, paths });
    });
    view3d.scene.add(gltf.scene);
    const skipped = map.skipped || [];
    note.textContent = skipped.length ? `${skipped.length} not drawn` : '';
    note.title = skipped.join('\n');
    applyHighlights();
    fitAll();
  }, undefined, () => { note.textContent = 'the scene cannot be loaded'; });
}

function sceneBackground() {
  return getComputedStyle(document.documentElement).getPropertyValue('--scene').trim() || '#f4f6f9';
}

function ensureRenderer() {
  if (view3d.scene) return;
  view3d.scene = new THREE.Scene();
  view3d.scene.background = new THREE.Color(sceneBackground());
  // The scene follows the page between the light and the dark theme.
  matchMedia('(prefers-color-scheme: dark)').addEventListener('change', () => {
    view3d.scene.background = new THREE.Color(sceneBackground());
    pane3dChanged();
  });
  view3d.scene.add(new THREE.HemisphereLight(0xffffff, 0x8899aa, 0.9));
  const sun = new THREE.DirectionalLight(0xffffff, 0.6);
  sun.position.set(1, 2, 3);
  view3d.scene.add(sun);
  view3d.camera = new THREE.PerspectiveCamera(40, 1, 0.001, 1000);
  view3d.materials = {
    plain: new THREE.MeshStandardMaterial({ color: 0xb8c0cc, metalness: 0.1, roughness: 0.7 }),
    lit: new THREE.MeshStandardMaterial({ color: 0xf08c00, metalness: 0.1, roughness: 0.5 }),
    dimmed: new THREE.MeshStandardMaterial({ color: 0xb8c0cc, transparent: true, opacity: 0.2, depthWrite: false }),
  };
  const canvasHost = document.getElementById('view-canvas');
  try {
    view3d.renderer = new THREE.WebGLRenderer({ antialias: true });
  } catch (error) {
    canvasHost.textContent = 'This browser cannot draw 3D (WebGL is off).';
    return;
  }
  view3d.renderer.setPixelRatio(window.devicePixelRatio);
  canvasHost.replaceChildren(view3d.renderer.domElement);
  view3d.controls = new THREE.OrbitControls(view3d.camera, view3d.renderer.domElement);
  view3d.controls.screenSpacePanning = true;
  view3d.controls.addEventListener('change', pane3dChanged);
  new ResizeObserver(pane3dChanged).observe(canvasHost);
  const canvas = view3d.renderer.domElement;
  let down = null;
  canvas.addEventListener('pointerdown', (event) => { down = { x: event.clientX, y: event.clientY }; });
  canvas.addEventListener('pointerup', (event) => {
    // A drag turns the view; only a click where it started picks.
    if (down && Math.hypot(event.clientX - down.x, event.clientY - down.y) < 4) pickAt(event.clientX, event.clientY);
    down = null;
  });
}

// The occurrence of the shape drawn at a point of the page, or null.
function shapeAt(clientX, clientY) {
  if (!view3d.renderer) return null;
  const rect = view3d.renderer.domElement.getBoundingClientRect();
  const pointer = new THREE.Vector2(((clientX - rect.left) / rect.width) * 2 - 1, -((clientY - rect.top) / rect.height) * 2 + 1);
  const raycaster = new THREE.Raycaster();
  raycaster.setFromCamera(pointer, view3d.camera);
  const visible = view3d.meshes.filter((entry) => entry.mesh.visible);
  const hit = raycaster.intersectObjects(visible.map((entry) => entry.mesh), false)[0];
  const entry = hit && visible.find((e) => e.mesh === hit.object);
  return entry ? entry.paths[0] || null : null;
}

// Which BOM line holds an occurrence is the module's to say, and it does not: a picked shape marks
// its occurrence in the tree only.
function pickAt(clientX, clientY) {
  // The tree draws only the rows on screen: the page outlines the occurrence and brings it into view.
  if (typeof pickInTree === 'function') pickInTree(shapeAt(clientX, clientY));
}

// Where a shape's middle lies on the page, for the browser tests to click it.
function pointOf(path) {
  const entry = view3d.meshes.find((e) => e.paths[0] === path);
  if (!entry || !view3d.renderer) return null;
  const center = new THREE.Box3().setFromObject(entry.mesh).getCenter(new THREE.Vector3()).project(view3d.camera);
  const rect = view3d.renderer.domElement.getBoundingClientRect();
  return { x: rect.left + ((center.x + 1) / 2) * rect.width, y: rect.top + ((1 - center.y) / 2) * rect.height };
}

// One frame per change: a still view costs nothing.
function pane3dChanged() {
  if (!view3d.renderer || view3d.pending) return;
  view3d.pending = true;
  requestAnimationFrame(() => {
    view3d.pending = false;
    const host = document.getElementById('view-canvas');
    const width = host.clientWidth;
    const height = host.clientHeight;
    if (!width || !height) return;
    view3d.renderer.setSize(width, height, false);
    view3d.camera.aspect = width / height;
    view3d.camera.updateProjectionMatrix();
    view3d.renderer.render(view3d.scene, view3d.camera);
  });
}

function isLit(entry) { return entry.paths.some((path) => view3d.highlighted.has(path)); }

function applyHighlights() {
  const any = view3d.highlighted.size > 0;
  for (const entry of view3d.meshes) {
    const lit = isLit(entry);
    entry.mesh.material = lit ? view3d.materials.lit : any ? view3d.materials.dimmed : view3d.materials.plain;
    entry.mesh.visible = !view3d.isolate || !any || lit;
  }
  pane3dChanged();
}

function fitAll() {
  if (!view3d.model || !view3d.camera) return;
  const box = new THREE.Box3();
  for (const entry of view3d.meshes) if (entry.mesh.visible) box.expandByObject(entry.mesh);
  if (box.isEmpty()) return;
  const center = box.getCenter(new THREE.Vector3());
  const radius = Math.max(box.getSize(new THREE.Vector3()).length() / 2, 1e-6);
  // The sphere must fit the narrower of the two angles of view, whatever the pane's shape.
  const host = document.getElementById('view-canvas');
  if (host.clientWidth && host.clientHeight) view3d.camera.aspect = host.clientWidth / host.clientHeight;
  const vertical = (view3d.camera.fov * Math.PI) / 180;
  const horizontal = 2 * Math.atan(Math.tan(vertical / 2) * view3d.camera.aspect);
  const distance = radius / Math.sin(Math.min(vertical, horizontal) / 2);
  view3d.camera.position.copy(center).add(new THREE.Vector3(1, 0.8, 1.2).normalize().multiplyScalar(distance));
  view3d.camera.near = distance / 100;
  view3d.camera.far = distance * 100;
  view3d.camera.updateProjectionMatrix();
  if (view3d.controls) {
    view3d.controls.target.copy(center);
    view3d.controls.update();
  }
  pane3dChanged();
}

// Called by the page whenever the tree's highlighted occurrences change, with what tells them:
// their count (size) and whether an instance path is one of them (has).
function highlightInView(marks) {
  view3d.highlighted = marks;
  if (view3d.materials) applyHighlights();
}

// What the view draws, for the browser tests: each shape by the path of its occurrence.
function viewSummary() {
  return {
    serial: view3d.serial,
    shapes: view3d.meshes.map((entry) => entry.paths[0] || ''),
    lit: view3d.meshes.filter(isLit).map((entry) => entry.paths[0] || ''),
    visible: view3d.meshes.filter((entry) => entry.mesh.visible).length,
  };
}

function startView() {
  document.getElementById('view-fit').addEventListener('click', fitAll);
  const isolate = document.getElementById('view-isolate');
  isolate.addEventListener('click', () => {
    view3d.isolate = !view3d.isolate;
    isolate.textContent = view3d.isolate ? 'Show all' : 'Isolate';
    isolate.setAttribute('aria-pressed', String(view3d.isolate));
    applyHighlights();
    fitAll();
  });
  if (typeof THREE === 'undefined' || !THREE.GLTFLoader || !THREE.OrbitControls) {
    document.getElementById('view-note').textContent = 'the 3D view needs three.js (libjs-three)';
    return;
  }
  pollView();
}

window.moldbomView = { highlight: highlightInView, summary: viewSummary, fitAll, shapeAt, pointOf };
document.addEventListener('DOMContentLoaded', startView);
