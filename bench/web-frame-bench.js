// web-frame-bench.js — frames and batches per second of the browser edition
// and the time to its first frame, in headless Chromium (software WebGL
// through SwiftShader) at 1024 x 768, with 15 bodies drawn with trails and
// swept areas.  Run by web-frame-bench.sh, which passes:
//   node web-frame-bench.js PAGE SCENARIO RUNS SECONDS
// Each run opens the page afresh in a new browser with a fresh profile,
// notes when the first frame was drawn, loads the scenario through the
// page's own file system and reload key, switches swept areas on with the
// aspect menu's trail entry, presses "g", lets one second pass, and then
// counts frames and batches in every following second.  Each run is paired
// with one of the same page showing no bodies (the scenario "nb=0"): the
// frame rate that the browser and the machine allow at that moment, which
// tells the renderer's share apart from a busy machine's.  One line of JSON
// per run on standard output.
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const puppeteer = require('puppeteer-core');

const [page_, scenarioFile, runs, seconds] = process.argv.slice(2);
const scenario = fs.readFileSync(scenarioFile, 'utf8');
const url = 'file://' + path.resolve(page_);

async function run(scenario) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'orbelune-bench-'));
  const browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    userDataDir: profile,
    args: ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
      '--no-first-run', '--window-size=1024,768'],
  });
  try {
    const page = await browser.newPage();
    await page.setViewport({width: 1024, height: 768});
    const errors = [];
    page.on('pageerror', (e) => errors.push(e.message));
    const opened = Date.now();
    await page.goto(url);
    await page.waitForFunction(() => window.orbelune && orbelune.premiereImage !== null, {timeout: 30000});
    // premiereImage is on the page's clock, which starts with the navigation.
    const first = await page.evaluate(() => ({sinceNavigation: orbelune.premiereImage,
      wall: performance.timeOrigin + orbelune.premiereImage}));
    await page.evaluate((text) => {
      Module.FS.writeFile('/orbelune/donnees.txt', text);
      orbelune.touche('z');
      orbelune.menu(8); // trail mode 1 -> 2: trails and swept areas
      orbelune.touche('g');
    }, scenario);
    const windows = await page.evaluate((n) => new Promise((resolve) => {
      const out = [];
      let t = performance.now(), f = orbelune.images(), b = orbelune.lots(), k = -1;
      const tick = () => {
        const t2 = performance.now(), f2 = orbelune.images(), b2 = orbelune.lots();
        if (k >= 0) out.push({fps: (f2 - f) * 1000 / (t2 - t), bps: (b2 - b) * 1000 / (t2 - t)});
        t = t2; f = f2; b = b2;
        if (++k < n) setTimeout(tick, 1000); else resolve(out);
      };
      setTimeout(tick, 1000); // the first second after "g" is not counted
    }), Number(seconds));
    const state = await page.evaluate(() => document.getElementById('console').textContent);
    if (!state.includes(scenario === 'nb=0\n' ? '0 corps' : '15 corps')) errors.push('the scenario was not loaded');
    return {firstFrameMs: first.sinceNavigation, firstFrameAfterOpenMs: first.wall - opened, windows, errors};
  } finally {
    await browser.close();
    fs.rmSync(profile, {recursive: true, force: true});
  }
}

(async () => {
  for (let r = 0; r < Number(runs); r++) {
    const full = await run(scenario);
    const empty = await run('nb=0\n');
    console.log(JSON.stringify({full, empty}));
  }
})().catch((e) => { console.error(e); process.exit(1); });
