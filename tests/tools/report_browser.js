// Opens a batch report in headless Chromium and checks it as a reader would: no console error,
// one table row per molecule, sorting and filtering, and the symmetry elements that the viewers
// of benzene (D6h) and water (C2v) draw; screenshots go to the output folder.
// Usage: node report_browser.js REPORT_HTML MOLECULE_COUNT OUTPUT_DIR
"use strict";
const fs = require("fs");
const os = require("os");
const path = require("path");
const { chromium } = require("playwright-core");

const [report, expectedRows, output] = process.argv.slice(2);
const chromiumArgs = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                      "--no-first-run", "--disable-background-networking",
                      "--disable-component-update", "--disable-sync",
                      // WebGL in software, for the viewers
                      "--use-angle=swiftshader", "--enable-unsafe-swiftshader"];
const timeout = 20000; // ms for any one wait
const failures = [];
const check = (ok, what) => { if (!ok) failures.push(what); };

// The expected elements: axis orders (highest first) and the plane count.
const molecules = {
  benzene: { group: "d6h", axes: "6,2,2,2,2,2,2", planes: 7, inversion: "true" },
  water: { group: "c2v", axes: "2", planes: 2, inversion: "false" },
};

async function column(page, index) {
  return page.$$eval(`#molecules tbody tr:not([hidden]) td:nth-child(${index})`,
                     (cells) => cells.map((c) => c.textContent.trim()));
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

async function checkFilter(page) {
  await page.selectOption("#group-filter", "d6h");
  check((await column(page, 1)).join() === "benzene", "the d6h filter does not leave benzene alone");
  await page.selectOption("#group-filter", "");
  check((await column(page, 1)).length === Number(expectedRows), "clearing the filter");
}

async function checkViewer(page, name, expected) {
  await page.click(`#molecules a:text-is("${name}")`);
  const section = page.locator(`details:has(summary:text-matches("^${name}:"))`);
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
  await section.screenshot({ path: path.join(output, `${name}.png`) });
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
    check((await page.$$("#molecules tbody tr")).length === Number(expectedRows),
          `table rows: ${(await page.$$("#molecules tbody tr")).length}, expected ${expectedRows}`);
    await page.screenshot({ path: path.join(output, "report.png") });
    await checkSorting(page);
    await checkFilter(page);
    for (const [name, expected] of Object.entries(molecules)) await checkViewer(page, name, expected);
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
