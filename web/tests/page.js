// page.js — the browser edition in a real headless Chromium (Debian's, driven
// by puppeteer-core): start-up, keys, drag, the HTML menu, presets, the
// editor and its storage across a reload, the help, quitting, and where the
// bodies are drawn.
//
//   node web/tests/page.js [build-web/orbelune.html]
//
// One browser with a fresh profile runs the checks in order (later ones
// build on the state left by earlier ones, as a user would); a failed check
// is reported and the others still run.  Exit status 1 when any failed.
'use strict';
const puppeteer = require('puppeteer-core');
const assert = require('assert/strict');
const fs = require('fs');
const os = require('os');
const path = require('path');

const top = path.resolve(__dirname, '..', '..');
const page_html = path.resolve(process.argv[2] || path.join(top, 'build-web', 'orbelune.html'));
const DONNEES = path.join(top, 'data', 'DONNEES');
const TITRE = 'Orbelune VOQ 2003 ~ ~ ~ ~ ~ ~ ~';

const attends = (ms) => new Promise((r) => setTimeout(r, ms));

let navigateur, page, profil;
const erreurs = [];   // console errors and uncaught exceptions of the page
const requetes = [];  // every URL the page asked for, besides data: URLs
let lignesConsole = [];

async function ouvre() {
  page = await navigateur.newPage();
  await page.setViewport({ width: 1024, height: 1000 });
  page.on('console', (m) => { if (m.type() === 'error') erreurs.push('console: ' + m.text()); });
  page.on('pageerror', (e) => erreurs.push('exception: ' + e.message));
  page.on('request', (q) => { if (!q.url().startsWith('data:')) requetes.push(q.url()); });
  await page.goto('file://' + page_html);
  await page.waitForFunction('window.orbelune && orbelune.premiereImage !== null', { timeout: 15000 });
}

const etat = () => page.evaluate('orbelune.etat()');
const panneau = () => page.$eval('#console', (c) => Array.from(c.children, (l) => l.textContent));
const visible = (sel) => page.$eval(sel, (e) => !e.hidden && e.getBoundingClientRect().width > 0);

// Lines added to the console panel since the previous call.
async function nouvellesLignes() {
  const toutes = await panneau();
  const nouvelles = toutes.slice(lignesConsole.length);
  lignesConsole = toutes;
  return nouvelles;
}

// Opens the menu with the right button over the view, then clicks the
// entries whose labels are given, submenus first, exactly as labelled.
async function menu(...libelles) {
  await page.mouse.click(700, 600, { button: 'right' });
  assert.ok(await visible('#menu'), 'the right button opens the menu');
  for (const libelle of libelles) {
    const entrees = await page.$$('#menu li');
    let trouve = null;
    for (const li of entrees) {
      const texte = await li.$eval(':scope > span', (s) => s.textContent);
      const montre = await li.evaluate((e) => e.getBoundingClientRect().width > 0 &&
                                              getComputedStyle(e.parentNode).display !== 'none');
      if (texte === libelle && montre) { trouve = li; break; }
    }
    assert.ok(trouve, 'menu entry shown: "' + libelle + '"');
    await trouve.evaluate((e) => e.scrollIntoView());
    const r = await trouve.evaluate((e) => { const b = e.firstChild.getBoundingClientRect(); return [b.x + 3, b.y + b.height / 2]; });
    await page.mouse.click(r[0], r[1]);
  }
  await attends(100);
}

// The pixel of the 1024 x 768 view where the world point (x, y, 0) lands in
// the first view: eye (0, 0, 50) looking down -z with y up, 60 degree
// vertical field, aspect 4/3; rows counted from the top.
function pixel(x, y) {
  const f = 1 / Math.tan(Math.PI / 6);
  const nx = (f / (1024 / 768)) * x / 50;
  const ny = f * y / 50;
  return [Math.floor((nx + 1) / 2 * 1024), Math.floor((1 - ny) / 2 * 768)];
}

const checks = [];
const check = (nom, fn) => checks.push({ nom, fn });

check('loads from file:// alone, with the title and the start-up lines in order, no error', async () => {
  assert.deepEqual(requetes, ['file://' + page_html], 'the page fetches nothing but itself');
  assert.equal(await page.title(), TITRE);
  const l = await nouvellesLignes();
  const ordre = ['argv[0]-> /orbelune/simulgrav', 'nous sommes ici -> /orbelune/ ', 'fichier de donnees:',
                 'dt=0.001000', "l'affichage OpenGL commence maintenant "];
  let k = -1;
  for (const debut of ordre) {
    const j = l.findIndex((ligne, i) => i > k && ligne.startsWith(debut));
    assert.ok(j > k, 'console line "' + debut + '" after the previous one; got:\n' + l.join('\n'));
    k = j;
  }
  assert.deepEqual(erreurs, []);
});

check('body 1 and body 2 of the default scenario are drawn where the projection puts them', async () => {
  const e = await etat();
  assert.equal(e.lect, 0);
  const points = [];
  for (const [i, rayon] of [[0, 20], [1, 2]]) {
    const [x, y] = pixel(e.corps[i][1], e.corps[i][2]);
    // The centre, then just outside the body on the side away from its trail.
    points.push([x, y], [x, y - rayon - 12]);
  }
  const c = await couleurs(points);
  for (let k = 0; k < 2; k++) {
    const [centre, dehors] = [c[2 * k], c[2 * k + 1]];
    assert.ok(centre[0] + centre[1] + centre[2] > 60, `body ${k + 1} lit at ${points[2 * k]}: ${centre}`);
    assert.ok(dehors[0] + dehors[1] + dehors[2] < 30, `sky beside body ${k + 1} at ${points[2 * k + 1]}: ${dehors}`);
  }
});

check('"g" moves the bodies at a desktop-like pace, "p" stops them', async () => {
  const avant = await etat();
  const lots0 = await page.evaluate('orbelune.lots()');
  const t0 = Date.now();
  await page.keyboard.press('g');
  await attends(1500);
  const pendant = await etat();
  assert.equal(pendant.lect, 1);
  assert.notDeepEqual(pendant.corps[1], avant.corps[1], 'body 2 moved');
  await page.keyboard.press('p');
  const lots = (await page.evaluate('orbelune.lots()')) - lots0;
  const s = (Date.now() - t0) / 1000;
  // 225 batches a second of wall clock, at most 12 per frame: a slow
  // headless frame rate may lower it, but never one batch per frame.
  assert.ok(lots <= 225 * s + 13, `${lots} batches in ${s} s`);
  assert.ok(lots >= 60 * s, `${lots} batches in ${s} s`);
  const arrete = await etat();
  await attends(500);
  const apres = await etat();
  assert.equal(apres.lect, 0);
  assert.deepEqual(apres.corps, arrete.corps);
  assert.equal(apres.t, arrete.t);
});

check('a drag with the left button turns the view by its offset; the right button opens only the menu', async () => {
  await page.mouse.move(100, 100);
  await page.mouse.down();
  await page.mouse.move(130, 90, { steps: 3 });
  await page.mouse.up();
  let e = await etat();
  assert.deepEqual([e.old_x, e.old_y, e.spin_x, e.spin_y], [130, 90, 30, -10]);
  await page.mouse.click(400, 300, { button: 'right' });
  e = await etat();
  assert.deepEqual([e.old_x, e.old_y, e.spin_x, e.spin_y], [130, 90, 30, -10], 'the right button is not a drag');
  assert.ok(await visible('#menu'));
  await page.keyboard.press('Escape');
  assert.ok(!(await visible('#menu')));
  await menu('vues ', 'rotation.....(r)');  // back to the unrotated view
  e = await etat();
  assert.deepEqual([e.spin_x, e.spin_y], [0, 0]);
});

check('special keys reach the camera; the on-screen keys and the Menu button work; "F" fills the screen', async () => {
  const avant = await etat();
  for (const k of ['PageUp', 'PageUp', 'PageDown', 'ArrowLeft', 'ArrowLeft', 'ArrowRight']) await page.keyboard.press(k);
  const apres = await etat();
  assert.equal(apres.zv, avant.zv - 5);
  assert.equal(apres.thetay, avant.thetay - 0.5);
  assert.equal(await page.evaluate(() => window.scrollY), 0, 'the page keys do not scroll the page');
  await page.keyboard.press('PageDown');
  // The on-screen "+" is the key "+": echoed, and its click is not a drag.
  await nouvellesLignes();
  await page.click('#touches button[data-touche="+"]');
  assert.deepEqual(await nouvellesLignes(), ['+']);
  const e = await etat();
  assert.deepEqual([e.old_x, e.old_y], [apres.old_x, apres.old_y]);
  await page.click('#bouton-menu');
  assert.ok(await visible('#menu'));
  await page.click('#bouton-menu');
  assert.ok(!(await visible('#menu')));
  // "F": the view alone fills the screen, still 4:3.
  await page.keyboard.press('F');
  await page.waitForFunction(() => document.fullscreenElement !== null, { timeout: 3000 });
  const vue = await page.evaluate(() => {
    const r = document.getElementById('canvas').getBoundingClientRect();
    return [document.fullscreenElement.id, r.width * 3 === r.height * 4];
  });
  assert.deepEqual(vue, ['vue', true]);
  await page.evaluate(() => document.exitFullscreen());
  await page.waitForFunction(() => document.fullscreenElement === null, { timeout: 3000 });
});

check('the HTML menu holds the desktop tree, labels exact to the trailing space', async () => {
  const arbre = await page.evaluate(() => {
    const liste = (ul) => Array.from(ul.children, (li) => {
      const sous = li.querySelector(':scope > ul');
      return sous ? [li.firstChild.textContent, liste(sous)] : li.firstChild.textContent;
    });
    return liste(document.getElementById('menu'));
  });
  assert.deepEqual(arbre.map((e) => (Array.isArray(e) ? e[0] : e)), [
    'Cas Initiaux', 'Edition du fichier donnees', 'Lance calcul (g)', 'Pause calcul (p)', 'vues ',
    'RAZ vue /RAZ calcul->(z)', 'Aspect', 'dt*2                    ', 'dt/2                   ',
    'Aide               ', 'Quitte              (Q)']);
  assert.equal(arbre[0][1].length, 15);
  assert.equal(arbre[0][1][8], 'hyperbole ');
  assert.deepEqual(arbre[4][1], ['translation (t)', 'rotation.....(r)', 'vol............ (v)', '(pgup) (pgdn) ']);
  assert.deepEqual(arbre[6][1], ['solide/ squelette       ', 'Trajectoire/Aire O/N    ', 'couleur O/N         (l)']);
});

check('a preset chosen in the HTML menu is installed over donnees.txt and loaded paused', async () => {
  await page.keyboard.press('g');
  await nouvellesLignes();
  await menu('Cas Initiaux', 'loi a^3/T^2');
  const installe = await page.evaluate(() => Module.FS.readFile('/orbelune/donnees.txt', { encoding: 'utf8' }));
  assert.equal(installe, fs_lit(path.join(DONNEES, 'donneesA3T2.txt')));
  const e = await etat();
  assert.equal(e.lect, 0);
  assert.ok(!(await visible('#menu')), 'the menu closes after a choice');
  const l = await nouvellesLignes();
  assert.ok(l.some((x) => x.startsWith('fichier de donnees:')), l.join('\n'));
  assert.equal(e.nb, Math.abs(parseInt(/nb=\s*(-?\d+)/.exec(installe)[1], 10)));
});

check('dt*2 then "z" reloads and prints dt=0.002000', async () => {
  await nouvellesLignes();
  await menu('dt*2                    ');
  await page.keyboard.press('z');
  const l = await nouvellesLignes();
  assert.equal(l[l.length - 1], 'dt=0.002000', l.join('\n'));
});

const EDITE = 'nb=2\nm=5\nx=0 y=0 z=0\nu=0 v=0 w=0\nm=0.5\nx=7 y=0 z=0\nu=0 v=0.8 w=0\n';

check('the editor saves donnees.txt; its keys stay out of the simulation; "z" loads the edit', async () => {
  await menu('Edition du fichier donnees');
  assert.ok(await visible('#editeur'));
  const dans = await page.$eval('#editeur-texte', (t) => t.value);
  assert.equal(dans, fs_lit(path.join(DONNEES, 'donneesA3T2.txt')));
  await page.$eval('#editeur-texte', (t) => { t.value = ''; });
  await page.type('#editeur-texte', 'g' + EDITE.slice(0, 1));  // "g" typed in the text, not a command
  assert.equal((await etat()).lect, 0);
  await page.$eval('#editeur-texte', (t, v) => { t.value = v; }, EDITE);
  // Closing with the changes unsaved asks first; declining keeps the editor.
  let question = null;
  page.once('dialog', (d) => { question = d.message(); d.dismiss(); });
  await page.click('#fermer-editeur');
  assert.match(String(question), /sans enregistrer/);
  await page.focus('#editeur-texte');
  await page.keyboard.press('Escape');
  assert.ok(await visible('#editeur'));
  assert.equal(await page.evaluate(() => document.activeElement.id), 'editeur-texte', 'Escape leaves the text focused');
  assert.equal(await page.$eval('#editeur-texte', (t) => t.value), EDITE);
  await page.click('#enregistrer');
  await page.click('#fermer-editeur');  // saved: no question
  assert.ok(!(await visible('#editeur')));
  assert.equal(await page.evaluate(() => Module.FS.readFile('/orbelune/donnees.txt', { encoding: 'utf8' })), EDITE);
  await nouvellesLignes();
  await page.keyboard.press('z');
  const l = await nouvellesLignes();
  assert.ok(l.includes('1 m=5.000000 x= 0.000000 y=0.000000 xp=0.000000 yp=0.000000'), l.join('\n'));
  const e = await etat();
  assert.deepEqual(e.corps, [[5, 0, 0], [0.5, 7, 0]]);
});

check('the edit survives a reload of the page; the presets still come from the page', async () => {
  await attends(300);  // the save to IndexedDB is asynchronous
  await page.reload();
  await page.waitForFunction('window.orbelune && orbelune.premiereImage !== null', { timeout: 15000 });
  lignesConsole = [];
  const l = await nouvellesLignes();
  assert.ok(l.includes('1 m=5.000000 x= 0.000000 y=0.000000 xp=0.000000 yp=0.000000'), l.join('\n'));
  assert.deepEqual((await etat()).corps, [[5, 0, 0], [0.5, 7, 0]]);
  const preset = await page.evaluate(() => Module.FS.readFile('/orbelune/DONNEES/donneesTIR.txt', { encoding: 'utf8' }));
  assert.equal(preset, fs_lit(path.join(DONNEES, 'donneesTIR.txt')));
});

check('the help opens as text with the content of help.sh and closes', async () => {
  await menu('Aide               ');
  assert.ok(await visible('#aide'));
  const texte = await page.$eval('#aide-texte', (p) => p.textContent);
  const script = fs_lit(path.join(top, 'data', 'help.sh'));
  assert.ok(texte.startsWith('ORBELUNE'), texte.slice(0, 80));
  assert.ok(!texte.includes("cat <<'AIDE'"));
  for (const ligne of texte.split('\n').filter((x) => x.trim())) assert.ok(script.includes(ligne), ligne);
  assert.ok(texte.includes('MENU (bouton droit de la souris)'));
  await page.click('#fermer-aide');
  assert.ok(!(await visible('#aide')));
});

check('"Q" stops the simulation and the frames and says so; the page stays', async () => {
  await page.keyboard.press('g');
  await attends(200);
  await nouvellesLignes();
  await page.keyboard.press('Q');
  const l = await nouvellesLignes();
  assert.ok(l.some((x) => x.startsWith('Simulation arretee')), l.join('\n'));
  const a = await page.evaluate('[orbelune.lots(), orbelune.images()]');
  const e = await etat();
  await attends(400);
  assert.deepEqual(await page.evaluate('[orbelune.lots(), orbelune.images()]'), a);
  await page.keyboard.press('g');
  assert.deepEqual((await etat()).corps, e.corps);
  assert.deepEqual(erreurs, []);
});

check('without IndexedDB the page says edits will not be kept, and still runs', async () => {
  const autre = await navigateur.newPage();
  const vues = [];
  try {
    await autre.evaluateOnNewDocument(() => Object.defineProperty(window, 'indexedDB', { value: undefined }));
    autre.on('pageerror', (e) => vues.push('exception: ' + e.message));
    await autre.goto('file://' + page_html);
    await autre.waitForFunction('window.orbelune && orbelune.premiereImage !== null', { timeout: 15000 });
    const l = await autre.$eval('#console', (c) => Array.from(c.children, (x) => x.textContent));
    assert.ok(l.some((x) => x.startsWith('sauvegarde indisponible')), l.join('\n'));
    // The shipped scenario, not the edit kept by the other page's storage.
    assert.ok(l.includes('1 m=8.000000 x= 0.000000 y=0.000000 xp=0.000000 yp=0.000000'), l.join('\n'));
    await autre.keyboard.press('g');
    await autre.waitForFunction('orbelune.lots() > 10', { timeout: 5000 });
    assert.deepEqual(vues, []);
  } finally {
    await autre.close();
  }
});

check('when IndexedDB never answers the page starts after a bounded wait, says so, and runs', async () => {
  const autre = await navigateur.newPage();
  const vues = [];
  try {
    // An open request that never succeeds nor fails, as with a stuck storage.
    await autre.evaluateOnNewDocument(() => {
      window.ouverturesIndexedDB = 0;
      IDBFactory.prototype.open = function () { window.ouverturesIndexedDB++; return {}; };
    });
    autre.on('pageerror', (e) => vues.push('exception: ' + e.message));
    await autre.goto('file://' + page_html);
    await autre.waitForFunction('window.orbelune && orbelune.premiereImage !== null', { timeout: 15000 });
    // It did wait for the storage, and no longer than the page's bound.
    const [attente, premiere] = await autre.evaluate('[ATTENTE_SAUVEGARDE_MS, orbelune.premiereImage]');
    assert.ok(premiere >= attente, `first frame at ${premiere} ms, wait ${attente} ms`);
    assert.equal(await autre.evaluate('window.ouverturesIndexedDB'), 1);
    const l = await autre.$eval('#console', (c) => Array.from(c.children, (x) => x.textContent));
    assert.ok(l.some((x) => x.startsWith('sauvegarde indisponible') && x.includes('IndexedDB ne repond pas')), l.join('\n'));
    // The shipped scenario, not the edit this profile's storage holds.
    assert.ok(l.includes('1 m=8.000000 x= 0.000000 y=0.000000 xp=0.000000 yp=0.000000'), l.join('\n'));
    await autre.keyboard.press('g');
    await autre.waitForFunction('orbelune.lots() > 10', { timeout: 5000 });
    // A save afterwards writes the page's file and leaves the storage alone.
    await autre.evaluate(() => { Module.FS.writeFile('/orbelune/donnees.txt', 'nb=1\n'); orbeluneSauve('/orbelune/donnees.txt'); });
    await attends(200);
    assert.equal(await autre.evaluate('window.ouverturesIndexedDB'), 1);
    assert.deepEqual(vues, []);
  } finally {
    await autre.close();
  }
});

check('the page also runs from a static web server', async () => {
  const http = require('http');
  const serveur = http.createServer((q, r) => {
    if (q.url !== '/orbelune.html') { r.writeHead(404); r.end(); return; }
    r.writeHead(200, { 'Content-Type': 'text/html; charset=utf-8' });
    r.end(fs.readFileSync(page_html));
  });
  await new Promise((ok) => serveur.listen(0, '127.0.0.1', ok));
  const autre = await navigateur.newPage();
  const vues = [];
  try {
    autre.on('console', (m) => { if (m.type() === 'error') vues.push('console: ' + m.text()); });
    autre.on('pageerror', (e) => vues.push('exception: ' + e.message));
    await autre.goto(`http://127.0.0.1:${serveur.address().port}/orbelune.html`);
    await autre.waitForFunction('window.orbelune && orbelune.premiereImage !== null', { timeout: 15000 });
    const l = await autre.$eval('#console', (c) => Array.from(c.children, (x) => x.textContent));
    assert.ok(l.includes("l'affichage OpenGL commence maintenant "), l.join('\n'));
    assert.deepEqual(vues, []);
  } finally {
    await autre.close();
    serveur.close();
  }
});

check('without WebGL 2 the page says so, and the simulation, keys and menu still work', async () => {
  const autre = await navigateur.newPage();
  const vues = [];
  try {
    await autre.evaluateOnNewDocument(() => {
      const avant = HTMLCanvasElement.prototype.getContext;
      HTMLCanvasElement.prototype.getContext = function (type, ...r) {
        return /webgl/.test(type) ? null : avant.call(this, type, ...r);
      };
    });
    autre.on('pageerror', (e) => vues.push('exception: ' + e.message));
    await autre.goto('file://' + page_html);
    const lignes = () => autre.$eval('#console', (c) => Array.from(c.children, (x) => x.textContent));
    await autre.waitForFunction(() => document.getElementById('console').textContent.includes('WebGL 2 indisponible'),
                                { timeout: 15000 });
    await autre.keyboard.press('g');
    await autre.waitForFunction('orbelune.lots() > 10', { timeout: 5000 });
    await autre.keyboard.press('+');
    assert.equal((await lignes()).slice(-1)[0], '+');
    await autre.mouse.click(300, 300, { button: 'right' });
    assert.ok(await autre.$eval('#menu', (m) => !m.hidden));
    assert.equal(await autre.evaluate('orbelune.images()'), 0);
    assert.deepEqual(vues, []);
  } finally {
    await autre.close();
  }
});

function fs_lit(p) { return fs.readFileSync(p, 'utf8'); }

// Colours [r, g, b] of the view's pixels at `points`, from a screenshot of
// the canvas decoded by the browser itself in a page of its own.
async function couleurs(points) {
  const png = await (await page.$('#canvas')).screenshot({ encoding: 'base64' });
  const autre = await navigateur.newPage();
  try {
    return await autre.evaluate(async (png, points) => {
      const img = new Image();
      img.src = 'data:image/png;base64,' + png;
      await img.decode();
      if (img.width !== 1024 || img.height !== 768) throw new Error(`view of ${img.width} x ${img.height}`);
      const c = document.createElement('canvas');
      c.width = img.width;
      c.height = img.height;
      const g = c.getContext('2d');
      g.drawImage(img, 0, 0);
      return points.map(([x, y]) => Array.from(g.getImageData(x, y, 1, 1).data.slice(0, 3)));
    }, png, points);
  } finally {
    await autre.close();
  }
}

(async () => {
  profil = fs.mkdtempSync(path.join(os.tmpdir(), 'orbelune-page-'));
  let echecs = 0;
  try {
    navigateur = await puppeteer.launch({
      executablePath: '/usr/bin/chromium', headless: true, userDataDir: path.join(profil, 'profil'),
      args: ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
             '--disable-background-networking', '--disable-component-update', '--disable-sync',
             '--no-first-run', '--disable-quic'],
    });
    await ouvre();
    for (const c of checks) {
      try {
        await c.fn();
        console.log('ok   ' + c.nom);
      } catch (e) {
        echecs++;
        console.log('FAIL ' + c.nom + '\n     ' + String(e.stack || e).split('\n').slice(0, 6).join('\n     '));
      }
    }
  } finally {
    if (navigateur) await navigateur.close();
    fs.rmSync(profil, { recursive: true, force: true });
  }
  console.log(echecs ? `${echecs} of ${checks.length} browser checks failed` : `all ${checks.length} browser checks passed`);
  process.exit(echecs ? 1 : 0);
})().catch((e) => { console.error(e); process.exit(1); });
