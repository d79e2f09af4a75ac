// page.js — the page side of the browser edition (inlined before the
// compiled program).
//
// Files: the base directory /orbelune/ is the data embedded in the page
// (donnees.txt, help.sh, DONNEES/, TEXTURES/); the program finds it by
// dropping the 9 characters of "simulgrav" from its path, as on the desktop.
// The help text (/aide.txt) is the text of help.sh, extracted at build time.
//
// Storage: the user's donnees.txt (edited, or a preset installed over it) is
// saved in the browser's IndexedDB under /sauvegarde/ and put back over the
// shipped one before the program starts.  Everything else always comes fresh
// from the page, so a new page brings its own presets and textures while the
// user's scenario stays, as with the desktop launcher.  Without IndexedDB
// (some browsers refuse it to file:// pages or in private windows), or when
// it does not answer within ATTENTE_SAUVEGARDE_MS, the program starts with the
// shipped files and one line on the console says that edits will not survive
// the page.
//
// Input: keys go to the program's key callbacks unless an editable control
// has the focus or the editor, the help or the menu is open; buttons under
// the view send g, p, z, + and - for tablets without a keyboard; the canvas gets
// the mouse: left and middle button drag, the right button opens the menu
// (and never reaches the drag).  Coordinates are converted to the 1024 x 768
// pixels of the view whatever its size on screen.
//
// Console: the program's standard output and error lines go to the panel
// under the view (at most CONSOLE_LIGNES lines kept) and to the browser's
// console.

var ORBELUNE_BASE = '/orbelune/';
var ORBELUNE_SAUVEGARDE = '/sauvegarde';
var CONSOLE_LIGNES = 2000;

Module['thisProgram'] = ORBELUNE_BASE + 'simulgrav';

function orbeluneLigne(texte, erreur) {
  var panneau = document.getElementById('console');
  var ligne = document.createElement('div');
  if (erreur) ligne.className = 'erreur';
  ligne.textContent = texte;
  panneau.appendChild(ligne);
  while (panneau.childNodes.length > CONSOLE_LIGNES) panneau.removeChild(panneau.firstChild);
  panneau.scrollTop = panneau.scrollHeight;
  (erreur ? console.warn : console.log)(texte);
}
Module['print'] = function (texte) { orbeluneLigne(texte, false); };
Module['printErr'] = function (texte) { orbeluneLigne(texte, true); };

// ---- storage of the user's donnees.txt --------------------------------------

var orbeluneStockage = { ok: true, enCours: false, encore: false };

function orbeluneSansStockage(raison) {
  if (!orbeluneStockage.ok) return;
  orbeluneStockage.ok = false;
  orbeluneLigne('sauvegarde indisponible dans ce navigateur (' + raison +
                ') : les modifications de donnees.txt seront perdues en quittant la page', true);
}

// Writes the saved files to IndexedDB; calls made meanwhile are merged into
// one more run afterwards, since two synchronisations must not overlap.
function orbeluneSynchronise() {
  if (!orbeluneStockage.ok) return;
  if (orbeluneStockage.enCours) { orbeluneStockage.encore = true; return; }
  orbeluneStockage.enCours = true;
  FS.syncfs(false, function (e) {
    orbeluneStockage.enCours = false;
    if (e) orbeluneSansStockage(String(e));
    if (orbeluneStockage.encore) { orbeluneStockage.encore = false; orbeluneSynchronise(); }
  });
}

// Saves the file `chemin` of the base directory (donnees.txt) for later visits.
function orbeluneSauve(chemin) {
  if (!orbeluneStockage.ok || chemin.indexOf(ORBELUNE_BASE) !== 0) return;
  try {
    FS.writeFile(ORBELUNE_SAUVEGARDE + '/' + chemin.substring(ORBELUNE_BASE.length).replace(/\//g, '_'),
                 FS.readFile(chemin));
  } catch (e) {
    orbeluneSansStockage(String(e));
    return;
  }
  orbeluneSynchronise();
}

// Before main: read IndexedDB into /sauvegarde/, then put the saved
// donnees.txt over the shipped one.  Two steps, because the embedded files
// may not exist yet when the reading ends: depending on the compiler's
// version they are created before the pre-run hooks or only when the
// runtime starts, after every run dependency (this reading is one) is met.
// onRuntimeInitialized comes after both and before main.  The program waits
// at most ATTENTE_SAUVEGARDE_MS for IndexedDB: a browser whose storage does
// not answer still gets a running page, without the saved edit.
var ATTENTE_SAUVEGARDE_MS = 5000;
var orbeluneRestaure = false;  // /sauvegarde/ holds what IndexedDB kept

Module['preRun'] = Module['preRun'] || [];
Module['preRun'].push(function () {
  try {
    if (typeof indexedDB === 'undefined' || !indexedDB) throw 'IndexedDB absent';
    FS.mkdir(ORBELUNE_SAUVEGARDE);
    FS.mount(IDBFS, {}, ORBELUNE_SAUVEGARDE);
  } catch (e) {
    orbeluneSansStockage(String(e));
    return;
  }
  var attente = true;
  var fin = function () {
    if (!attente) return;
    attente = false;
    clearTimeout(delai);
    removeRunDependency('sauvegarde');
  };
  var delai = setTimeout(function () {
    orbeluneSansStockage('IndexedDB ne repond pas apres ' + ATTENTE_SAUVEGARDE_MS / 1000 + ' s');
    fin();
  }, ATTENTE_SAUVEGARDE_MS);
  addRunDependency('sauvegarde');
  FS.syncfs(true, function (e) {
    if (!attente) return;  // too late: the program runs without the saved files
    if (e) orbeluneSansStockage(String(e)); else orbeluneRestaure = true;
    fin();
  });
});

Module['onRuntimeInitialized'] = function () {
  if (!orbeluneRestaure) return;
  var garde = ORBELUNE_SAUVEGARDE + '/donnees.txt';
  try {
    if (FS.analyzePath(garde).exists) FS.writeFile(ORBELUNE_BASE + 'donnees.txt', FS.readFile(garde));
  } catch (e) {
    orbeluneLigne('donnees.txt sauvegarde non restaure : ' + e, true);
  }
};

// ---- editor and help ---------------------------------------------------------

var orbeluneEdite = null;  // path of the file in the editor
var orbeluneEnregistreTexte = '';  // the editor's text as last read or saved

function orbeluneCalqueOuvert() {
  return !document.getElementById('editeur').hidden || !document.getElementById('aide').hidden;
}

function orbeluneRendFocus() { document.getElementById('canvas').focus({ preventScroll: true }); }

// The program asks to show ici + nom: the help text for help.sh, the editor
// for any other file.
function orbeluneOuvre(ici, nom) {
  orbeluneFermeMenu();
  if (nom === 'help.sh') {
    document.getElementById('aide-texte').textContent = FS.readFile('/aide.txt', { encoding: 'utf8' });
    document.getElementById('aide').hidden = false;
    document.getElementById('fermer-aide').focus();
    return;
  }
  orbeluneEdite = ici + nom;
  var texte = '';
  if (FS.analyzePath(orbeluneEdite).exists) texte = FS.readFile(orbeluneEdite, { encoding: 'utf8' });
  document.getElementById('editeur-titre').textContent = nom;
  document.getElementById('editeur-texte').value = texte;
  orbeluneEnregistreTexte = texte;
  document.getElementById('editeur').hidden = false;
  document.getElementById('editeur-texte').focus();
}

function orbeluneEnregistre() {
  if (!orbeluneEdite) return;
  var nom = orbeluneEdite.substring(ORBELUNE_BASE.length);
  try {
    var texte = document.getElementById('editeur-texte').value;
    FS.writeFile(orbeluneEdite, texte);
    orbeluneEnregistreTexte = texte;
  } catch (e) {
    orbeluneLigne(nom + ' non enregistre : ' + e, true);
    return;
  }
  orbeluneLigne(nom + ' enregistre ; touche z pour le recharger', false);
  orbeluneSauve(orbeluneEdite);
}

// Closing the editor with changes not saved asks first: they would be lost.
function orbeluneFermeEditeur() {
  if (document.getElementById('editeur-texte').value !== orbeluneEnregistreTexte &&
      !window.confirm('Fermer sans enregistrer les modifications de donnees.txt ?')) return;
  document.getElementById('editeur').hidden = true;
  orbeluneRendFocus();
}

function orbeluneFermeAide() {
  var aide = document.getElementById('aide');
  if (aide.hidden) return;
  aide.hidden = true;
  orbeluneRendFocus();
}

// ---- menu ----------------------------------------------------------------------

// The HTML list of menu `id` as the program built it (fenetre_web.cpp).
function orbeluneListeMenu(id, liste) {
  var n = Module._pageMenuTaille(id);
  for (var k = 0; k < n; k++) {
    var li = document.createElement('li');
    var libelle = document.createElement('span');
    libelle.textContent = UTF8ToString(Module._pageMenuLibelle(id, k));
    li.appendChild(libelle);
    li.setAttribute('role', 'menuitem');
    var sous = Module._pageMenuSous(id, k);
    if (sous) {
      li.className = 'sous';
      var ul = document.createElement('ul');
      ul.setAttribute('role', 'menu');
      orbeluneListeMenu(sous, ul);
      li.appendChild(ul);
      li.addEventListener('click', function (ev) {
        if (ev.target.parentNode !== this) return;  // a click inside the submenu
        var ouvert = this.classList.contains('ouvert');
        Array.prototype.forEach.call(this.parentNode.children, function (f) { f.classList.remove('ouvert'); });
        if (!ouvert) this.classList.add('ouvert');
      });
    } else {
      li.addEventListener('click', (function (menu, valeur) {
        return function (ev) {
          ev.stopPropagation();
          orbeluneFermeMenu();
          if (!orbelune.arrete) Module._pageMenuChoix(menu, valeur);
        };
      })(id, Module._pageMenuValeur(id, k)));
    }
    liste.appendChild(li);
  }
}

function orbeluneOuvreMenu(x, y) {
  var menu = document.getElementById('menu');
  Array.prototype.forEach.call(menu.querySelectorAll('.ouvert'), function (f) { f.classList.remove('ouvert'); });
  menu.hidden = false;
  menu.style.left = Math.max(0, Math.min(x, window.innerWidth - menu.offsetWidth)) + 'px';
  menu.style.top = Math.max(0, Math.min(y, window.innerHeight - menu.offsetHeight)) + 'px';
}

function orbeluneFermeMenu() {
  var menu = document.getElementById('menu');
  if (menu.hidden) return;
  menu.hidden = true;
  orbeluneRendFocus();
}

// ---- keys and mouse ------------------------------------------------------------

// GLUT's codes for the special keys the program may receive.
var ORBELUNE_SPECIALES = {
  ArrowLeft: 100, ArrowUp: 101, ArrowRight: 102, ArrowDown: 103,
  PageUp: 104, PageDown: 105, Home: 106, End: 107, Insert: 108
};

var orbeluneSourisX = 0, orbeluneSourisY = 0;  // last pointer position, view pixels

// The canvas's drawing buffer has the view's 1024 x 768 pixels (page.html).
function orbeluneVersVue(ev) {
  var canvas = document.getElementById('canvas');
  var r = canvas.getBoundingClientRect();
  orbeluneSourisX = Math.round((ev.clientX - r.left) * canvas.width / r.width);
  orbeluneSourisY = Math.round((ev.clientY - r.top) * canvas.height / r.height);
}

function orbeluneEditable(el) {
  return el && (el.isContentEditable || /^(INPUT|TEXTAREA|SELECT)$/.test(el.tagName));
}

function orbeluneTouche(ev) {
  // Escape closes the menu and the help; the editor only closes by its button.
  if (ev.key === 'Escape') { orbeluneFermeMenu(); orbeluneFermeAide(); return; }
  if (orbelune.arrete || orbeluneEditable(ev.target) || orbeluneCalqueOuvert() ||
      !document.getElementById('menu').hidden || ev.ctrlKey || ev.metaKey || ev.altKey) return;
  var speciale = ORBELUNE_SPECIALES[ev.key];
  if (speciale !== undefined) {
    ev.preventDefault();
    Module._pageToucheSpeciale(speciale, orbeluneSourisX, orbeluneSourisY);
  } else if (ev.key.length === 1 && ev.key.charCodeAt(0) < 256) {
    ev.preventDefault();
    Module._pageTouche(ev.key.charCodeAt(0), orbeluneSourisX, orbeluneSourisY);
  }
}

var orbeluneGlisse = -1;  // pointer being dragged over the view, -1 when none

function orbeluneBranche() {
  var canvas = document.getElementById('canvas');
  canvas.addEventListener('contextmenu', function (ev) { ev.preventDefault(); });
  canvas.addEventListener('pointerdown', function (ev) {
    orbeluneRendFocus();
    if (orbelune.arrete) return;
    if (!document.getElementById('menu').hidden) { orbeluneFermeMenu(); return; }
    if (ev.button === 2) {
      ev.preventDefault();
      orbeluneOuvreMenu(ev.clientX, ev.clientY);
      return;
    }
    if (orbeluneGlisse !== -1) return;
    orbeluneGlisse = ev.pointerId;
    canvas.setPointerCapture(ev.pointerId);
    orbeluneVersVue(ev);
    Module._pageSouris(ev.button, 0, orbeluneSourisX, orbeluneSourisY);  // GLUT_DOWN
  });
  canvas.addEventListener('pointermove', function (ev) {
    orbeluneVersVue(ev);
    if (ev.pointerId === orbeluneGlisse && !orbelune.arrete) Module._pageMouvement(orbeluneSourisX, orbeluneSourisY);
  });
  var fin = function (ev) {
    if (ev.pointerId !== orbeluneGlisse) return;
    orbeluneGlisse = -1;
    orbeluneVersVue(ev);
    if (!orbelune.arrete) Module._pageSouris(ev.button < 0 ? 0 : ev.button, 1, orbeluneSourisX, orbeluneSourisY);
  };
  canvas.addEventListener('pointerup', fin);
  canvas.addEventListener('pointercancel', fin);

  document.addEventListener('keydown', orbeluneTouche);
  document.addEventListener('pointerdown', function (ev) {
    var menu = document.getElementById('menu');
    if (!menu.hidden && !menu.contains(ev.target) && ev.target !== canvas &&
        ev.target.id !== 'bouton-menu') orbeluneFermeMenu();
  });
  document.getElementById('bouton-menu').addEventListener('click', function (ev) {
    var r = this.getBoundingClientRect();
    if (document.getElementById('menu').hidden) orbeluneOuvreMenu(r.left, r.bottom); else orbeluneFermeMenu();
  });
  // Buttons for the keys a class uses most, for tablets without a keyboard.
  Array.prototype.forEach.call(document.querySelectorAll('#touches button'), function (b) {
    b.addEventListener('click', function () {
      if (!orbelune.arrete) Module._pageTouche(b.dataset.touche.charCodeAt(0), orbeluneSourisX, orbeluneSourisY);
      orbeluneRendFocus();
    });
  });
  document.getElementById('enregistrer').addEventListener('click', orbeluneEnregistre);
  document.getElementById('fermer-editeur').addEventListener('click', orbeluneFermeEditeur);
  document.getElementById('fermer-aide').addEventListener('click', orbeluneFermeAide);
}

// ---- called by the program -------------------------------------------------------

// The menu tree exists and the view is set up: build the menu, listen.
function orbelunePret() {
  orbeluneListeMenu(Module._pageMenuAttache(), document.getElementById('menu'));
  orbeluneBranche();
  orbeluneRendFocus();
}

function orbelunePremiereImage() { orbelune.premiereImage = performance.now(); }

function orbeluneArrete() {
  orbelune.arrete = true;
  orbeluneFermeMenu();
  document.getElementById('etat').textContent = 'Simulation arretee';
}

function orbelunePleinEcran() {
  var vue = document.getElementById('vue');
  if (vue.requestFullscreen) {
    vue.requestFullscreen().catch(function (e) { orbeluneLigne('plein ecran refuse : ' + e.message, true); });
  }
}

// Hooks for tests and measurements, and the program's own entry points.
var orbelune = window['orbelune'] = {
  arrete: false,
  premiereImage: null,
  lots: function () { return Module._pageLots(); },
  images: function () { return Module._pageImages(); },
  etat: function () { return JSON.parse(UTF8ToString(Module._pageEtat())); },
  touche: function (c) { Module._pageTouche(c.charCodeAt(0), 0, 0); },
  menu: function (valeur) { Module._pageMenuChoix(Module._pageMenuAttache(), valeur); }
};
