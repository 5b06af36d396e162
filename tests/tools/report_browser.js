// Opens a batch report in headless Chromium and checks it as a reader would: no console error,
// the first page of the table, and the symmetry elements that the viewer of benzene (D6h) draws.
// For the examples batch (folder) it checks sorting, the group filter and water's viewer (C2v);
// for a streamed batch of more molecules than a page, the pages, the filters by name and by
// problems and what the problems column says of bromomethane, whose C-Br bond has no parameter.
// Screenshots go to the output folder.
// Usage: node report_browser.js REPORT_HTML MOLECULE_COUNT OUTPUT_DIR folder|streamed
"use strict";
const fs = require("fs");
const os = require("os");
const path = require("path");
const { chromium } = require("playwright-core");

const [report, expectedRows, output, layout] = process.argv.slice(2);
const molecules = Number(expectedRows);
const chromiumArgs = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                      "--no-first-run", "--disable-background-networking",
                      "--disable-component-update", "--disable-sync",
                      // WebGL in software, for the viewers
                      "--use-angle=swiftshader", "--enable-unsafe-swiftshader"];
const timeout = 20000; // ms for any one wait
const pageRows = 100; // the page's rows a page
const failures = [];
const check = (ok, what) => { if (!ok) failures.push(what); };

// The expected elements: axis orders (highest first) and the plane count.
const benzene = { group: "d6h", axes: "6,2,2,2,2,2,2", planes: 7, inversion: "true" };
const water = { group: "c2v", axes: "2", planes: 2, inversion: "false" };

async function column(page, index) {
  return page.$$eval(`#molecules tbody tr td:nth-child(${index})`,
                     (cells) => cells.map((c) => c.textContent.trim()));
}

async function filter(page, id, value) {
  if (id === "name-filter") await page.fill(`#${id}`, value);
  else await page.selectOption(`#${id}`, value);
}

async function checkSorting(page) {
  await page.click("#molecules th:nth-child(2)"); // atoms, ascending
  const up = (await column(page, 2)).map(Number);
  check(up.every((v, k) => k === 0 || up[k - 1] <= v), `atoms not ascending: ${up}`);
  await page.click("#molecules th:nth-child(2)");
  const down = (await column(page, 2)).map(Number);
  check(down.every((v, k) => k === 0 || down[k - 1] >= v), `atoms not descending: ${down}`);
  await page.click("#molecules th:nth-child(1)");
  const names = await column(page, 1);
  const sorted = [...names].sort((a, b) => a.toLowerCase() < b.toLowerCase() ? -1 : 1);
  check(names.join() === sorted.join(), `names not sorted: ${names}`);
}

async function checkPages(page) {
  const place = async () => (await page.textContent("#page-place")).trim();
  check((await place()) === `1\u2013${pageRows} of ${molecules}`, `first page: ${await place()}`);
  await page.click("#page-next");
  check((await column(page, 1)).length === molecules - pageRows, "rows of the second page");
  check(await page.isDisabled("#page-next"), "next is offered on the last page");
  await page.click("#page-first");
}

async function checkFilters(page) {
  await filter(page, "group-filter", "d6h");
  const named = await column(page, 1);
  check(named.length > 1 && named.every((n) => n.startsWith("benzene")),
        `the d6h filter leaves ${named}`);
  await filter(page, "group-filter", "");
  await filter(page, "name-filter", "BROMO");
  const problems = await column(page, 10);
  check(problems.length === 1 && problems[0].includes("no parameter: bonds 1"),
        `bromomethane's problems: ${problems}`);
  await filter(page, "name-filter", "");
  await filter(page, "problem-filter", "with");
  check((await column(page, 1)).sort().join() === "bromomethane,water",
        `with problems: ${await column(page, 1)}`);
  await filter(page, "problem-filter", "");
}

// Opens the section of the molecule that link names and checks its viewer.
async function checkViewer(page, link, expected, shot) {
  const name = (await link.textContent()).trim();
  await link.click();
  const section = page.locator(`details.molecule:has(summary:text-is("${name}: converged, ${expected.group}"))`);
  const viewer = section.locator(".viewer[data-axes]");
  await viewer.waitFor({ timeout });
  const drawn = await viewer.evaluate((v) => ({ axes: v.dataset.axes, planes: Number(v.dataset.planes),
                                                inversion: v.dataset.inversion,
                                                canvas: v.querySelector("canvas") !== null }));
  check(drawn.canvas, `${name}: no canvas in the viewer`);
  check(drawn.axes === expected.axes, `${name}: axes ${drawn.axes}, expected ${expected.axes}`);
  check(drawn.planes === expected.planes, `${name}: ${drawn.planes} planes, expected ${expected.planes}`);
  check(drawn.inversion === expected.inversion, `${name}: inversion ${drawn.inversion}`);
  const words = await section.locator(".elements").textContent();
  check(words.startsWith(expected.group + ":"), `${name}: elements described as "${words}"`);
  await page.waitForTimeout(300); // let WebGL finish the frame
  await section.screenshot({ path: path.join(output, `${shot}.png`) });
}

async function checkPage(page) {
  const rows = (await page.$$("#molecules tbody tr")).length;
  check(rows === Math.min(molecules, pageRows), `table rows: ${rows} for ${molecules} molecules`);
  await page.screenshot({ path: path.join(output, "report.png") });
  if (layout === "streamed") {
    await checkPages(page);
    await checkFilters(page);
    await filter(page, "group-filter", "d6h");
    await checkViewer(page, page.locator("#molecules tbody a").last(), benzene, "benzene");
  } else {
    await checkSorting(page);
    await filter(page, "group-filter", "d6h");
    check((await column(page, 1)).join() === "benzene", "the d6h filter does not leave benzene alone");
    await filter(page, "group-filter", "");
    check((await column(page, 1)).length === molecules, "clearing the filter");
    for (const [name, expected] of [["benzene", benzene], ["water", water]])
      await checkViewer(page, page.locator(`#molecules a:text-is("${name}")`), expected, name);
  }
}

(async () => {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), "report-browser-"));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: "/usr/bin/chromium", headless: true, args: chromiumArgs,
    viewport: { width: 1100, height: 900 } });
  try {
    const page = context.pages()[0] || (await context.newPage());
    const errors = [];
    page.on("console", (m) => { if (m.type() === "error") errors.push(m.text()); });
    page.on("pageerror", (e) => errors.push(String(e)));
    await page.goto("file://" + path.resolve(report), { waitUntil: "load", timeout });
    await checkPage(page);
    check(errors.length === 0, `console errors: ${errors.join(" | ")}`);
  } finally {
    await context.close();
    fs.rmSync(profile, { recursive: true, force: true });
  }
  for (const failure of failures) console.log("FAIL: " + failure);
  console.log(failures.length === 0 ? "all report browser checks passed"
                                    : `${failures.length} report browser checks failed`);
  process.exit(failures.length === 0 ? 0 : 1);
})().catch((e) => { console.log("FAIL: " + e.message); process.exit(1); });
