// demarrage.h — the start-up steps that come before any window exists.
//
// demarrage prints the arguments line, derives the base directory `ici` from
// the program path, prints it, loads the scenario (init) and prints the line
// announcing the display.  Every front end calls it first, so the console
// shows the same lines in the same order on the desktop and in the browser.
//
// The program path ends with the 9-character file name of the executable,
// which sits in the base directory beside donnees.txt, help.sh, DONNEES/ and
// TEXTURES/: dropping those 9 characters gives the directory, trailing
// separator included.  A path shorter than 9 characters, or one whose
// directory would not fit `ici`, gives the empty base: the current directory.
#ifndef ORBELUNE_DEMARRAGE_H
#define ORBELUNE_DEMARRAGE_H

void demarrage(int argc, char **argv);

#endif
