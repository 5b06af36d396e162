// The report page's behaviour: sorting and filtering the table, and a 3D viewer per molecule,
// made the first time its section is opened (a page of hundreds of molecules would otherwise
// hold hundreds of WebGL contexts). The viewer draws the geometry with its symmetry elements:
// rotation axes as lines labelled with their order, mirror planes as translucent discs, the
// inversion centre as a point. What it drew is written on the viewer element
// (data-axes: the orders, data-planes, data-inversion) and in words below it.
"use strict";

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

// --- the table ----------------------------------------------------------------------------

function cellValue(row, column, kind) {
  const text = row.cells[column].textContent.trim();
  if (kind !== "number") return text.toLowerCase();
  const value = parseFloat(text);
  return Number.isFinite(value) ? value : -Infinity; // "-" and blanks sort first
}

function sortBy(table, heading) {
  const column = heading.cellIndex;
  const kind = heading.dataset.sort;
  const ascending = heading.getAttribute("aria-sort") !== "ascending";
  for (const other of table.tHead.rows[0].cells) other.removeAttribute("aria-sort");
  heading.setAttribute("aria-sort", ascending ? "ascending" : "descending");
  const body = table.tBodies[0];
  const rows = Array.from(body.rows);
  rows.sort((a, b) => {
    const x = cellValue(a, column, kind);
    const y = cellValue(b, column, kind);
    const order = x < y ? -1 : x > y ? 1 : 0;
    return ascending ? order : -order;
  });
  for (const row of rows) body.appendChild(row);
}

function applyFilters(table) {
  const outcome = document.getElementById("outcome-filter").value;
  const group = document.getElementById("group-filter").value;
  for (const row of table.tBodies[0].rows) {
    const shown = (!outcome || row.dataset.outcome === outcome) &&
                  (!group || row.dataset.group === group);
    row.hidden = !shown;
    document.getElementById(row.dataset.section).hidden = !shown;
  }
}

function setUpTable() {
  const table = document.getElementById("molecules");
  for (const heading of table.tHead.rows[0].cells)
    if (heading.dataset.sort) heading.addEventListener("click", () => sortBy(table, heading));
  for (const id of ["outcome-filter", "group-filter"])
    document.getElementById(id).addEventListener("change", () => applyFilters(table));
  // A link to a section opens it.
  for (const link of table.querySelectorAll("a[href^='#']"))
    link.addEventListener("click", () => { document.querySelector(link.hash).open = true; });
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

function makeViewer(section, molecule) {
  const place = section.querySelector(".viewer");
  const words = section.querySelector(".elements");
  if (!molecule) {
    place.textContent = "No geometry to draw for this molecule.";
    return;
  }
  if (typeof $3Dmol === "undefined") {
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

function setUpViewers() {
  const molecules = JSON.parse(document.getElementById("viewer-data").textContent);
  for (const section of document.querySelectorAll("details[data-index]")) {
    section.addEventListener("toggle", () => {
      if (!section.open || section.dataset.viewer) return;
      section.dataset.viewer = "made";
      makeViewer(section, molecules[Number(section.dataset.index)]);
    });
  }
}

setUpTable();
setUpViewers();
