// interaction.h — keys, special keys, mouse drag, the right-button menu tree
// and the installation of preset scenarios.
#ifndef ORBELUNE_INTERACTION_H
#define ORBELUNE_INTERACTION_H

void Keyboard(unsigned char key, int x, int y);   // ordinary keys
void parsekey_special(int key, int x, int y);     // arrows and page keys
void mouse(int button, int state, int x, int y);  // any button event: new drag origin
void motion(int x, int y);                        // drag: offset from the origin
void glutMenu();                                  // builds and attaches the menu tree
void M_menu_select(int value);                    // main, views and aspect menus
void null_select(int value);                      // a menu callback that does nothing
void toutfait(int value);                         // installs preset 1..15 and reloads

#endif
