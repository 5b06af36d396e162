// The report page's behaviour. The table shows a page of rows at a time from the data set in the
// page (#table-data), worst first until a heading is clicked, filtered by outcome, point group,
// problems and part of the name. A molecule's section is made when it is opened from the table:
// its figures come from its row, the rest (the convergence plot, the geometry and its symmetry
// elements) from its chunk script in the sections folder, loaded then; 3Dmol itself is loaded
// with the first viewer. The viewer draws the geometry with its symmetry elements: rotation axes
// as lines labelled with their order, mirror planes as translucent discs, the inversion centre as
// a point. What it drew is written on the viewer element (data-axes: the orders, data-planes,
// data-inversion) and in words below it.
"use strict";

const pageSize = 100;
// Sections kept open at once: each viewer holds a WebGL context, and browsers allow a few only.
const maxSections = 8;
const axisColours = { 2: "#c0392b", 3: "#27ae60", 4: "#8e44ad", 5: "#d35400", 6: "#2471a3" };
const otherAxisColour = "#555555";
const planeColour = "#5dade2";
const planeOpacity = 0.22;
const planeThickness = 0.01; // angstrom: a disc is a very flat cylinder
const axisRadius = 0.035;
const inversionRadius = 0.12;
const elementMargin = 1.2; // angstrom beyond the farthest atom
const flatCap = 1;
// The first view is tilted off the standard frame, so that neither the principal axis nor the
// planes through it are seen end-on.
const viewTilt = [["x", -55], ["y", 25]];

// --- the data -----------------------------------------------------------------------------

const data = JSON.parse(document.getElementById("table-data").textContent);

const text = (n) => data.texts[n];

function unpack(row, index) {
  const [name, atoms, outcome, kelma, cycles, energy, rms, seconds, group, symmetry, problems] = row;
  return { index, name, lowerName: name.toLowerCase(), atoms, outcome: text(outcome),
           kelma: text(kelma), cycles, energy, rms, seconds, group: text(group),
           symmetry: text(symmetry), problems: problems.map(text) };
}

const molecules = data.rows.map(unpack);
const secondsText = (m) => (m.seconds === null ? "-" : m.seconds.toFixed(2));

// --- the table ----------------------------------------------------------------------------

const table = document.getElementById("molecules");
const view = { sorted: data.order, shown: data.order, page: 0 };

function sortValue(molecule, key, kind) {
  const value = key === "problems" ? molecule.problems.join("; ") : molecule[key];
  if (kind !== "number") return String(value ?? "").toLowerCase();
  const number = typeof value === "string" ? parseFloat(value) : value;
  return Number.isFinite(number) ? number : -Infinity; // unknown values sort first
}

function sortBy(heading) {
  const { key, sort } = heading.dataset;
  const ascending = heading.getAttribute("aria-sort") !== "ascending";
  for (const other of table.tHead.rows[0].cells) other.removeAttribute("aria-sort");
  heading.setAttribute("aria-sort", ascending ? "ascending" : "descending");
  const values = molecules.map((m) => sortValue(m, key, sort));
  const sign = ascending ? 1 : -1;
  view.sorted = data.order.slice().sort((a, b) =>
    sign * (values[a] < values[b] ? -1 : values[a] > values[b] ? 1 : 0));
  applyFilters();
}

function worstFirst() {
  for (const heading of table.tHead.rows[0].cells) heading.removeAttribute("aria-sort");
  view.sorted = data.order;
  applyFilters();
}

function applyFilters() {
  const value = (id) => document.getElementById(id).value;
  const outcome = value("outcome-filter");
  const group = value("group-filter");
  const problems = value("problem-filter");
  const name = value("name-filter").trim().toLowerCase();
  view.shown = view.sorted.filter((k) => {
    const m = molecules[k];
    return (!outcome || m.outcome === outcome) && (!group || m.group === group) &&
           (!problems || (problems === "with") === (m.problems.length > 0)) &&
           (!name || m.lowerName.includes(name));
  });
  view.page = 0;
  showPage();
}

function cell(content) {
  const td = document.createElement("td");
  if (content instanceof Node) td.append(content);
  else td.textContent = content ?? "-";
  return td;
}

function tableRow(m) {
  const link = document.createElement("a");
  link.href = "#m" + m.index;
  link.textContent = m.name;
  link.addEventListener("click", (event) => { event.preventDefault(); openSection(m.index); });
  const row = document.createElement("tr");
  row.dataset.outcome = m.outcome;
  row.append(cell(link), cell(m.atoms), cell(m.outcome), cell(m.kelma), cell(m.cycles),
             cell(m.energy), cell(m.rms), cell(secondsText(m)), cell(m.group),
             cell(m.problems.join("; ")));
  return row;
}

function showPage() {
  const pages = Math.max(1, Math.ceil(view.shown.length / pageSize));
  view.page = Math.min(Math.max(view.page, 0), pages - 1);
  const first = view.page * pageSize;
  const rows = view.shown.slice(first, first + pageSize);
  table.tBodies[0].replaceChildren(...rows.map((k) => tableRow(molecules[k])));
  const all = view.shown.length === molecules.length ? "" : ` (of ${molecules.length})`;
  document.getElementById("page-place").textContent = rows.length === 0
    ? `no molecules${all}`
    : `${first + 1}\u2013${first + rows.length} of ${view.shown.length}${all}`;
  for (const [id, off] of [["page-first", view.page === 0], ["page-previous", view.page === 0],
                           ["page-next", view.page === pages - 1],
                           ["page-last", view.page === pages - 1]])
    document.getElementById(id).disabled = off;
}

function setUpTable() {
  for (const heading of table.tHead.rows[0].cells)
    heading.addEventListener("click", () => sortBy(heading));
  for (const id of ["outcome-filter", "group-filter", "problem-filter"])
    document.getElementById(id).addEventListener("change", applyFilters);
  document.getElementById("name-filter").addEventListener("input", applyFilters);
  const turn = (id, page) => document.getElementById(id).addEventListener("click", () => {
    view.page = page();
    showPage();
  });
  turn("page-first", () => 0);
  turn("page-previous", () => view.page - 1);
  turn("page-next", () => view.page + 1);
  turn("page-last", () => Infinity);
  document.getElementById("worst-first").addEventListener("click", worstFirst);
  showPage();
}

// --- loading on demand --------------------------------------------------------------------

function loadScript(src) {
  return new Promise((resolve, reject) => {
    const script = document.createElement("script");
    script.src = src;
    script.onload = resolve;
    script.onerror = () => reject(new Error(`${src} could not be loaded`));
    document.head.append(script);
  });
}

// A chunk script calls reportChunk with its number and its sections.
const chunks = new Map(); // number -> promise of the sections
const chunkArrivals = new Map(); // number -> the resolve of its promise
window.reportChunk = (number, sections) => chunkArrivals.get(number)?.(sections);

function loadChunk(number) {
  if (!chunks.has(number))
    chunks.set(number, new Promise((resolve, reject) => {
      chunkArrivals.set(number, resolve);
      loadScript(`${data.sections}${number}.js`).catch(reject);
    }));
  return chunks.get(number);
}

const sections = document.getElementById("sections");
let viewerLibrary = null; // the promise of 3Dmol, once asked for

function loadViewer() {
  if (!sections.dataset.viewer) return Promise.resolve(false);
  viewerLibrary ??= loadScript(sections.dataset.viewer).then(() => true);
  return viewerLibrary;
}

// --- the sections -------------------------------------------------------------------------

function element(name, className, text) {
  const made = document.createElement(name);
  if (className) made.className = className;
  if (text !== undefined) made.textContent = text;
  return made;
}

function figures(m) {
  const list = element("ul", "figures");
  for (const line of [`atoms ${m.atoms ?? "-"}`, `kelma: ${m.kelma}`, `cycles ${m.cycles ?? "-"}`,
                      `final energy ${m.energy ?? "-"} hartree`,
                      `RMS force ${m.rms ?? "-"} hartree/bohr`, `seconds ${secondsText(m)}`,
                      `symmetry: ${m.symmetry}`])
    list.append(element("li", "", line));
  return list;
}

function sectionFrame(m) {
  const section = element("details", "molecule");
  section.id = "m" + m.index;
  section.dataset.index = m.index;
  section.open = true;
  const group = m.group === "-" ? "" : ", " + m.group;
  section.append(element("summary", "", `${m.name}: ${m.outcome}${group}`), figures(m));
  if (m.problems.length > 0) {
    const problems = element("ul", "problems");
    for (const problem of m.problems) problems.append(element("li", "", problem));
    section.append(problems);
  }
  section.append(element("p", "details"), element("div", "plot"), element("div", "viewer"),
                 element("p", "elements"));
  return section;
}

// Lets go of a section's WebGL context at once rather than when it is collected.
function closeSection(section) {
  const canvas = section.querySelector("canvas");
  const context = canvas && (canvas.getContext("webgl2") ?? canvas.getContext("webgl"));
  context?.getExtension("WEBGL_lose_context")?.loseContext();
  section.remove();
}

async function fillSection(section, parts) {
  const details = [parts.kelma !== "-" ? "kelma: " + parts.kelma : "",
                   parts.symmetry !== "-" ? "symmetry: " + parts.symmetry : ""];
  section.querySelector(".details").textContent = details.filter(Boolean).join("; ");
  const plot = section.querySelector(".plot");
  if (parts.plot) plot.innerHTML = parts.plot; // the report's own svg
  else plot.textContent = "No cycle history: kelma recorded no cycles, or the batch kept only " +
                          "the last cycle's figures (a streamed batch).";
  await makeViewer(section, parts.viewer);
}

async function openSection(index) {
  const open = document.getElementById("m" + index);
  if (open) {
    open.open = true;
    open.scrollIntoView();
    return;
  }
  const section = sectionFrame(molecules[index]);
  sections.prepend(section);
  while (sections.children.length > maxSections) closeSection(sections.lastElementChild);
  section.scrollIntoView();
  try {
    const chunk = await loadChunk(Math.floor(index / data.chunkSize));
    await fillSection(section, chunk[index % data.chunkSize]);
  } catch (error) {
    section.querySelector(".viewer").textContent = "This molecule's data: " + error.message;
  }
}

// --- the viewers --------------------------------------------------------------------------

const point = (v, scale = 1) => ({ x: v[0] * scale, y: v[1] * scale, z: v[2] * scale });

function xyzText(molecule) {
  const lines = [String(molecule.atoms.length), molecule.group];
  for (const atom of molecule.atoms) lines.push([atom.element || "X", ...atom.position].join(" "));
  return lines.join("\n") + "\n";
}

function extent(molecule) {
  let farthest = 0;
  for (const atom of molecule.atoms) farthest = Math.max(farthest, Math.hypot(...atom.position));
  return farthest + elementMargin;
}

function drawAxis(viewer, axis, reach) {
  const colour = axisColours[axis.order] || otherAxisColour;
  viewer.addCylinder({ start: point(axis.direction, -reach), end: point(axis.direction, reach),
                       radius: axisRadius, color: colour, fromCap: flatCap, toCap: flatCap });
  viewer.addLabel("C" + axis.order, { position: point(axis.direction, reach), fontSize: 12,
                                      fontColor: "white", backgroundColor: colour,
                                      backgroundOpacity: 0.85 });
}

function drawPlane(viewer, normal, reach) {
  viewer.addCylinder({ start: point(normal, -planeThickness), end: point(normal, planeThickness),
                       radius: reach, color: planeColour, opacity: planeOpacity,
                       fromCap: flatCap, toCap: flatCap });
}

function describe(molecule) {
  const orders = molecule.axes.map((a) => a.order);
  const counts = {};
  for (const order of orders) counts[order] = (counts[order] || 0) + 1;
  const words = Object.keys(counts).sort((a, b) => b - a)
    .map((order) => counts[order] + " C" + order + (counts[order] > 1 ? " axes" : " axis"));
  words.push(molecule.planes.length + (molecule.planes.length === 1 ? " mirror plane" : " mirror planes"));
  if (molecule.inversion) words.push("the inversion centre");
  return molecule.group + ": " + words.join(", ");
}

async function makeViewer(section, molecule) {
  const place = section.querySelector(".viewer");
  const words = section.querySelector(".elements");
  if (!molecule) {
    place.textContent = "No geometry to draw for this molecule.";
    return;
  }
  if (!(await loadViewer())) {
    place.textContent = "No 3D viewer: 3Dmol was not found when the report was written.";
    return;
  }
  const viewer = $3Dmol.createViewer(place, { backgroundColor: "white" });
  if (!viewer) {
    place.textContent = "No 3D viewer: this browser offers no WebGL.";
    return;
  }
  viewer.addModel(xyzText(molecule), "xyz");
  viewer.setStyle({}, { stick: { radius: 0.12 }, sphere: { scale: 0.25 } });
  const reach = extent(molecule);
  for (const axis of molecule.axes) drawAxis(viewer, axis, reach);
  for (const normal of molecule.planes) drawPlane(viewer, normal, reach);
  if (molecule.inversion)
    viewer.addSphere({ center: point([0, 0, 0]), radius: inversionRadius, color: "black" });
  viewer.zoomTo();
  for (const [axis, degrees] of viewTilt) viewer.rotate(degrees, axis);
  viewer.render();
  place.dataset.axes = molecule.axes.map((a) => a.order).join(",");
  place.dataset.planes = String(molecule.planes.length);
  place.dataset.inversion = String(molecule.inversion);
  words.textContent = describe(molecule);
}

setUpTable();
// A link to a molecule's section (report.html#m12) opens it.
const linked = /^#m(\d+)$/.exec(location.hash);
if (linked && Number(linked[1]) < molecules.length) openSection(Number(linked[1]));
