// lecture.h — reads the records of a data file the way the standard formatted
// input reads them, but knowing where it stands, so that every warning names
// the file, the line and the text that did not match.
//
// Formats are the records' own ("nb=%li\n", "m=%lf\n", "x=%lf y=%lf z=%lf\n",
// ...) and keep their meaning: a blank or newline matches any run of white
// space, none included; any other character must match itself and is taken
// when it does; %lf and %li first pass white space.  A number is the longest
// text of the form the conversion accepts (sign, digits, point, exponent;
// hexadecimal; for %li also 0x and a leading 0 for octal) and is converted
// by strtod / strtoll, which round exactly as the formatted input does, so a
// well-formed file gives the same bits as the formats read with fscanf.
//
// Where it departs from the formatted input, on purpose:
//   - a UTF-8 byte-order mark and white space before the first record pass;
//   - a decimal comma ("0,01") is read as the point it stands for, with a
//     warning that shows the number to write;
//   - nan, inf, infinity and numbers beyond the double range (1e999) are
//     read past but not stored: the field keeps its value, with a warning;
//   - an incomplete number ("-", "1e") is not read past.
// A record that does not match stops where matching stopped, keeps the
// values of the fields it did not reach, and the next record starts there.
//
// Warnings go to standard error, one line each, written at once:
//     attention: <file>:<line>: <French text>
// where a quoted text is the file's own, cut after 40 bytes ("..." then),
// with control characters, quotes, backslashes and bytes that are not UTF-8
// written as C escapes.  When several records stop at the same place, the
// first names the text and one more line counts the others.  The end of the
// file inside the records gives one line with the number of bodies read.
//
// One file is read at a time (the loader is not re-entered).
#ifndef ORBELUNE_LECTURE_H
#define ORBELUNE_LECTURE_H

#include <cstdio>

// Every warning about the data file begins with this.
extern const char PREFIXE_ATTENTION[];

// Starts on an open file; `chemin` names it in the warnings.  Passes a
// byte-order mark and leading white space.  Returns 0 when the file cannot
// be read at all (a directory): nothing has been taken from it.
int lecture_debut(std::FILE *f, const char *chemin);

// The count record, format "nb=%li\n".  Returns 1 when the count was read
// into *compte; otherwise 0, *compte untouched, and a warning.
int lecture_compte(long long *compte);

// One record of body `corps` with a format of %lf conversions, stored in
// champs[0], champs[1], ... when they are read and finite.
void lecture_enregistrement(int corps, const char *format, double *const champs[]);

// Line of the last number read, for warnings about a value.
long lecture_ligne_champ();

// A warning about line `ligne` of the file, printf-style text after the
// prefix, the file and the line.
void lecture_attention(long ligne, const char *format, ...) __attribute__((format(printf, 2, 3)));

// Ends the reading after the records of `attendus` bodies: reports the end
// of the file if it came inside them, otherwise any text after them unless
// `reste_prevu` (the loader has already said it reads only a part).
void lecture_fin(int attendus, bool reste_prevu);

#endif
