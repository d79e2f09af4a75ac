// web_vue.js — screenshots of the browser edition's view for
// test_web_picture.py, in headless Chromium with software WebGL.
//
//   node web_vue.js PAGE DONNEES OUT KEYS...
//
// Opens PAGE from file:// with a fresh profile, writes DONNEES over the
// embedded donnees.txt, presses "z" to load it, then for each argument of
// KEYS presses its keys (one string, e.g. "ll") and saves the 1024 x 768 view
// as OUT-<n>.png, n counting from 0.  Page errors fail the run (status 1).
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const puppeteer = require('puppeteer-core');

const [pageHtml, donnees, sortie, ...touches] = process.argv.slice(2);
const attends = (ms) => new Promise((r) => setTimeout(r, ms));

(async () => {
  const profil = fs.mkdtempSync(path.join(os.tmpdir(), 'orbelune-vue-'));
  const navigateur = await puppeteer.launch({
    executablePath: '/usr/bin/chromium', headless: true, userDataDir: profil,
    args: ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
      '--disable-background-networking', '--disable-component-update', '--disable-sync', '--no-first-run'],
  });
  const erreurs = [];
  try {
    const page = await navigateur.newPage();
    await page.setViewport({width: 1024, height: 1000});
    page.on('pageerror', (e) => erreurs.push(e.message));
    page.on('console', (m) => { if (m.type() === 'error') erreurs.push(m.text()); });
    await page.goto('file://' + path.resolve(pageHtml));
    await page.waitForFunction('window.orbelune && orbelune.premiereImage !== null', {timeout: 30000});
    await page.evaluate((texte) => {
      Module.FS.writeFile('/orbelune/donnees.txt', texte);
      orbelune.touche('z');
    }, fs.readFileSync(donnees, 'utf8'));
    for (let n = 0; n < touches.length; n++) {
      await page.evaluate((t) => { for (const c of t) orbelune.touche(c); }, touches[n]);
      // A few frames, so that the view shows the state after the keys.
      const images = await page.evaluate('orbelune.images()');
      await page.waitForFunction((i) => orbelune.images() >= i + 3, {timeout: 30000}, images);
      await (await page.$('#canvas')).screenshot({path: `${sortie}-${n}.png`});
    }
  } finally {
    await navigateur.close();
    fs.rmSync(profil, {recursive: true, force: true});
  }
  if (erreurs.length) {
    console.error(erreurs.join('\n'));
    process.exit(1);
  }
})().catch((e) => { console.error(e); process.exit(1); });
