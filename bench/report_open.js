// The time a report page takes to open in headless Chromium, and to answer the reader: the first
// paint, the table filled (DOMContentLoaded: the page's script fills it as the page is read),
// the load event, then a page turned, a filter and a sort applied (each with the layout it
// causes), and a molecule's section opened with its viewer drawn: the first (which loads 3Dmol)
// and a second. Medians of RUNS fresh loads, in ms.
// Usage: NODE_PATH=build/release/report-node/node_modules node report_open.js REPORT_HTML [RUNS]
"use strict";
const path = require("path");
const { chromium } = require("playwright-core");

const [report, runs = "5"] = process.argv.slice(2);
const args = ["--headless", "--no-sandbox", "--disable-gpu", "--use-angle=swiftshader",
              "--enable-unsafe-swiftshader"];
const timeout = 120000;

// The time of a click whose handler answers at once, with the layout it causes.
function clickTime(selector) {
  const started = performance.now();
  document.querySelector(selector).click();
  void document.body.offsetHeight;
  return performance.now() - started;
}

// The time of the name filter set to the start of the first row's name.
function nameFilterTime() {
  const started = performance.now();
  const field = document.getElementById("name-filter");
  field.value = document.querySelector("#molecules tbody a").textContent.slice(0, 4);
  field.dispatchEvent(new Event("input"));
  void document.body.offsetHeight;
  return performance.now() - started;
}

// The time from a click on the name in a row of the table to its section's viewer drawn.
async function sectionTime(page, row) {
  const started = Date.now();
  await page.locator("#molecules tbody a").nth(row).click();
  await page.waitForSelector(`details.molecule:nth-child(1) .viewer[data-axes]`, { timeout });
  return Date.now() - started;
}

async function once(browser) {
  const page = await browser.newPage({ viewport: { width: 1300, height: 1000 } });
  await page.goto("file://" + path.resolve(report), { waitUntil: "load", timeout });
  const times = await page.evaluate(() => {
    const navigation = performance.getEntriesByType("navigation")[0];
    const paint = performance.getEntriesByName("first-contentful-paint")[0];
    return { firstPaint: paint ? paint.startTime : NaN,
             tableFilled: navigation.domContentLoadedEventEnd, loaded: navigation.loadEventEnd };
  });
  times.nextPage = await page.evaluate(clickTime, "#page-next");
  times.nameFilter = await page.evaluate(nameFilterTime);
  times.sort = await page.evaluate(clickTime, "#molecules th[data-key=rms]");
  times.section = await sectionTime(page, 0); // loads 3Dmol too
  times.nextSection = await sectionTime(page, 1);
  await page.close();
  return times;
}

(async () => {
  const browser = await chromium.launch({ executablePath: "/usr/bin/chromium", headless: true,
                                          args });
  const all = [];
  for (let k = 0; k < Number(runs); ++k) all.push(await once(browser));
  await browser.close();
  const median = (values) => values.sort((a, b) => a - b)[Math.floor(values.length / 2)];
  for (const key of Object.keys(all[0]))
    console.log(`${key.padEnd(12)} ${median(all.map((t) => t[key])).toFixed(0)} ms`);
})().catch((e) => { console.log("FAIL: " + e.message); process.exit(1); });
