// shell.h — shell commands assembled in fixed buffers, run through system().
//
// Layout of the commands this program runs:
//     cp 'BASE/DONNEES/donneesTIR.txt' 'BASE/donnees.txt'     (preset install)
//     xdg-open 'BASE/help.sh' &                                 (help, editing)
// Every path is one single-quoted shell word: the shell takes what lies
// between the quotes literally, and a quote inside the path is written '\''
// (close the quote, an escaped quote, reopen it).  A base directory holding
// blanks, quotes, ';', '$', '&' or '`' therefore only ever names a file and
// can never run anything.  A path beginning with '-' gets "./" in front so
// that no command takes it for an option.
//
// Limits: a command is built in the caller's buffer of `cap` bytes and is
// never written past it.  When the text would not fit, the builder returns
// false and leaves the empty string, so a truncated command can never run;
// the caller reports it (one French line on standard error) and runs nothing.
// COMMANDE_TAILLE holds both paths of a copy for any base directory of up to
// 255 characters without quotes; a base made mostly of quotes may not fit.
#ifndef ORBELUNE_SHELL_H
#define ORBELUNE_SHELL_H

#include <cstddef>

enum { COMMANDE_TAILLE = 1024 };

// Appends `texte` as it is.  False (and cmd emptied) when it does not fit.
bool ajoute(char *cmd, std::size_t cap, const char *texte);

// Appends the path dir + nom as one single-quoted word.  False (and cmd
// emptied) when it does not fit.
bool ajouteChemin(char *cmd, std::size_t cap, const char *dir, const char *nom);

// cmd = "cp 'dir+source' 'dir+cible'".
bool commandeCopie(char *cmd, std::size_t cap, const char *dir, const char *source, const char *cible);

// cmd = "xdg-open 'dir+nom' &": the shell starts the opener in the
// background and returns at once, so the caller never waits for the editor.
bool commandeOuverture(char *cmd, std::size_t cap, const char *dir, const char *nom);

// True when an executable file `programme` lies in a directory of $PATH
// (an empty entry means the current directory, as for the shell).
bool dansPath(const char *programme);

// Flushes the console, runs cmd through the host shell and waits for the
// shell to end; returns system()'s status.
int execute(const char *cmd);

#endif
