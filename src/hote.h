// hote.h — the two things the menu asks of the host: install a preset file
// over the data file, and show a file of the base directory to the user.
//
// Both take names relative to the base directory `ici`.  On the desktop
// (hote_bureau.cpp) they run the shell commands that shell.h builds: cp, and
// xdg-open in the background.  The browser page copies in its own file
// system and shows the file in the page.  Neither reports success: the
// caller reloads the data file afterwards whatever happened, so a failed copy
// brings back the previous scenario.  Failures give one French line on
// standard error (or the copier's own message).
#ifndef ORBELUNE_HOTE_H
#define ORBELUNE_HOTE_H

void hoteCopie(const char *source, const char *cible); // ici+source over ici+cible, finished on return
void hoteOuvre(const char *nom);                        // shows ici+nom; returns at once

#endif
