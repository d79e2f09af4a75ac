// noms.h — readable, stable names for the cases of parameterized tests.
//
// gtest would otherwise name a case by the bytes of its parameter, which
// for a record holding a text pointer change from run to run, so that ctest
// could not find the case it listed.
#ifndef ORBELUNE_TEST_NOMS_H
#define ORBELUNE_TEST_NOMS_H

#include <cctype>
#include <string>

// "exactly on the radius 1" -> "exactly_on_the_radius_1"; the index keeps
// two cases with the same description apart.
inline std::string nom_de_cas(const std::string &cas, size_t index) {
    std::string nom;
    for (unsigned char c : cas) {
        if (std::isalnum(c)) nom += static_cast<char>(c);
        else if (!nom.empty() && nom.back() != '_') nom += '_';
    }
    while (!nom.empty() && nom.back() == '_') nom.pop_back();
    return (nom.empty() ? "cas" : nom) + "_" + std::to_string(index);
}

#endif
