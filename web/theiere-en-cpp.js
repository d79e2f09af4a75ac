#!/usr/bin/env node
// theiere-en-cpp.js — writes web/theiere_donnees.h, the teapot mesh that the
// browser renderer draws, from the Utah teapot data of the npm package
// `teapot` (public domain; positions and triangles).
//
//   cd web && npm ci && node theiere-en-cpp.js > theiere_donnees.h
//
// (web/package.json lists `teapot`; TEAPOT_MODULE may name another copy.)
// The header is committed, so building needs neither node nor the package.
//
// The package gives the teapot y-up, 5 times the size of the original patch
// data and centred on its bounding box.  The output is in the frame of the
// desktop's glutSolidTeapot(1): the original patch coordinates (z up) halved,
// lowered by 0.75 and turned so that z becomes y, i.e.
//   X = x/2,  Y = (z - 1.5)/2,  Z = -y/2   (x, y, z: original patch data).
// Vertices that two patches share are listed once (welded), so that normals
// computed from the triangles are smooth across the patch seams.  Triangles
// are wound counter-clockwise seen from outside.
'use strict';
const teapot = require(process.env.TEAPOT_MODULE || 'teapot');

// Original patch coordinates from the package's: undo the scale 5 and the
// centring (x centre 0.2140625, z centre 1.575; y is centred on 0 already).
const patch = ([a, b, c]) => [a / 5 + 0.2140625, c / 5, b / 5 + 1.575];
const glut = ([x, y, z]) => [x / 2, (z - 1.5) / 2, -y / 2];

const index = new Map();
const sommets = [];
const renum = teapot.positions.map((p) => {
  const v = glut(patch(p)).map((c) => Number(c.toFixed(5)) + 0); // + 0: no "-0"
  const cle = v.join(',');
  if (!index.has(cle)) { index.set(cle, sommets.length); sommets.push(v); }
  return index.get(cle);
});

let faces = teapot.cells.map((f) => f.map((k) => renum[k]))
  .filter(([a, b, c]) => a !== b && b !== c && c !== a); // triangles collapsed by the weld

// Orientation: the signed volume of a mesh wound counter-clockwise from
// outside is positive (the teapot is nearly closed, so the sign is clear).
const det = (p, q, r) => p[0] * (q[1] * r[2] - q[2] * r[1]) - p[1] * (q[0] * r[2] - q[2] * r[0])
  + p[2] * (q[0] * r[1] - q[1] * r[0]);
const volume = faces.reduce((s, [a, b, c]) => s + det(sommets[a], sommets[b], sommets[c]), 0) / 6;
if (volume < 0) faces = faces.map(([a, b, c]) => [a, c, b]);

const lignes = (valeurs, parLigne) => {
  const out = [];
  for (let k = 0; k < valeurs.length; k += parLigne) out.push('  ' + valeurs.slice(k, k + parLigne).join(',') + ',');
  return out.join('\n');
};
process.stdout.write(`// theiere_donnees.h — the Utah teapot (public domain data, npm package
// "teapot"), written by theiere-en-cpp.js; do not edit by hand.
// ${sommets.length} vertices (x, y, z in the frame of glutSolidTeapot(1)),
// ${faces.length} triangles wound counter-clockwise seen from outside.
#ifndef ORBELUNE_THEIERE_DONNEES_H
#define ORBELUNE_THEIERE_DONNEES_H
static const float theiereSommets[] = {
${lignes(sommets.flat().map(String), 12)}
};
static const unsigned short theiereFaces[] = {
${lignes(faces.flat().map(String), 24)}
};
#endif
`);
process.stderr.write(`teapot: ${sommets.length} vertices, ${faces.length} triangles, volume ${Math.abs(volume).toFixed(3)}\n`);
