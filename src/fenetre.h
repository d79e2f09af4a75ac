// fenetre.h — what the key and menu dispatch asks of the window system.
//
// interaction.cpp and the start-up code reach the window only through these
// calls, so the same dispatch and the same menu tree serve every front end:
// fenetre_glut.cpp passes them to GLUT on the desktop, and the browser page
// has its own implementation (an HTML menu built from the same calls).
//
// Menus follow GLUT's model: menuCree makes a new menu the current one and
// returns its identifier (1, 2, ...); entries and submenus are added to the
// current menu, a submenu by the identifier of a menu created before; the
// menu current when menuAttache is called opens on that mouse button.
//
// fenetreQuitte does not return on the desktop (exit status 0).  A browser
// page cannot close itself: there it stops the batches and the frames, says
// so on the console, and returns.
#ifndef ORBELUNE_FENETRE_H
#define ORBELUNE_FENETRE_H

// The window every front end opens: its title and its size in pixels.
inline constexpr const char *TITRE_FENETRE = "Orbelune VOQ 2003 ~ ~ ~ ~ ~ ~ ~";
enum { LARGEUR_FENETRE = 1024, HAUTEUR_FENETRE = 768 };

void fenetreRedessine();                              // ask for a new frame
void fenetrePleinEcran();                             // full screen; nothing leaves it
void fenetreAdaptation(void (*rappel)(int, int));     // (re)register the reshape callback
int menuCree(void (*rappel)(int));                    // new current menu, its identifier
void menuEntree(const char *libelle, int valeur);     // entry of the current menu
void menuSousMenu(const char *libelle, int menu);     // submenu of the current menu
void menuAttache(int bouton);                         // current menu on a mouse button
void fenetreQuitte();                                 // ends the run (desktop: exit status 0)

#endif
