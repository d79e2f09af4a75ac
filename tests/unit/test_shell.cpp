// Shell commands: quoting that the real shell reads back unchanged, buffers
// that are never overrun, and the search of $PATH.
#include "shell.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// What /bin/sh makes of a command's words: each printed between < and >.
std::string mots(const std::string &cmd) {
    std::string script = "printf '<%s>' " + cmd;
    std::FILE *p = popen(script.c_str(), "r");
    std::string sortie;
    char tampon[256];
    size_t n;
    while ((n = std::fread(tampon, 1, sizeof tampon, p)) > 0) sortie.append(tampon, n);
    pclose(p);
    return sortie;
}

TEST(Shell, QuotedPathsReachTheCommandAsOneWordUnchanged) {
    struct Cas {
        const char *dir, *nom, *attendu;
    };
    const Cas cas[] = {
        {"/opt/sim/", "donnees.txt", "/opt/sim/donnees.txt"},
        {"", "help.sh", "help.sh"},
        {"/tmp/a b/", "c d.txt", "/tmp/a b/c d.txt"},
        {"/tmp/l'eau/", "x", "/tmp/l'eau/x"},
        {"/tmp/''/", "'", "/tmp/''/'"},
        {"/t/;ls;$HOME`id`&|<>*?~!{}[]\\\"#/", "f", "/t/;ls;$HOME`id`&|<>*?~!{}[]\\\"#/f"},
        {"/t/\ttab\nline/", "f", "/t/\ttab\nline/f"},
        {"-rf/", "x", "./-rf/x"},  // never taken for an option
        {"", "-x", "./-x"},
    };
    for (const Cas &c : cas) {
        SCOPED_TRACE(c.attendu);
        char cmd[COMMANDE_TAILLE] = "";
        ASSERT_TRUE(ajouteChemin(cmd, sizeof cmd, c.dir, c.nom));
        EXPECT_EQ(mots(cmd), std::string("<") + c.attendu + ">");
    }
}

TEST(Shell, CopyAndOpenCommands) {
    char cmd[COMMANDE_TAILLE];
    ASSERT_TRUE(commandeCopie(cmd, sizeof cmd, "/opt/sim/", "DONNEES/donneesA3T2.txt", "donnees.txt"));
    EXPECT_STREQ(cmd, "cp '/opt/sim/DONNEES/donneesA3T2.txt' '/opt/sim/donnees.txt'");
    ASSERT_TRUE(commandeOuverture(cmd, sizeof cmd, "/o'k/", "help.sh"));
    EXPECT_STREQ(cmd, "xdg-open '/o'\\''k/help.sh' &");
}

// Every capacity from 0 up: the builder either fits the whole command with
// its terminator or leaves the empty string, and never writes past cap.
TEST(Shell, CommandThatDoesNotFitIsEmptiedAndNeverOverruns) {
    const char *dir = "/b a'se/";
    char complet[COMMANDE_TAILLE];
    ASSERT_TRUE(commandeCopie(complet, sizeof complet, dir, "DONNEES/donneesTIR.txt", "donnees.txt"));
    const size_t n = std::strlen(complet);
    for (size_t cap = 0; cap <= n + 2; cap++) {
        SCOPED_TRACE(cap);
        char tampon[COMMANDE_TAILLE];
        std::memset(tampon, '#', sizeof tampon);
        bool ok = commandeCopie(tampon, cap, dir, "DONNEES/donneesTIR.txt", "donnees.txt");
        EXPECT_EQ(ok, cap > n);
        if (ok) {
            EXPECT_STREQ(tampon, complet);
        } else if (cap > 0) {
            EXPECT_EQ(tampon[0], '\0');
        }
        for (size_t k = cap; k < sizeof tampon; k++) ASSERT_EQ(tampon[k], '#') << "written at " << k;
    }
}

TEST(Shell, LongestBaseWithoutQuotesFitsAndOneFullOfQuotesIsRefused) {
    char cmd[COMMANDE_TAILLE];
    std::string base = "/" + std::string(253, 'a') + "/";  // 255 characters, the most ici holds
    EXPECT_TRUE(commandeCopie(cmd, sizeof cmd, base.c_str(), "DONNEES/donneesLoiAires1.txt", "donnees.txt"));
    EXPECT_TRUE(commandeOuverture(cmd, sizeof cmd, base.c_str(), "donnees.txt"));
    std::string cites = "/" + std::string(253, '\'') + "/";
    EXPECT_FALSE(commandeCopie(cmd, sizeof cmd, cites.c_str(), "DONNEES/donneesTIR.txt", "donnees.txt"));
    EXPECT_STREQ(cmd, "");
}

struct Path {
    std::string avant = std::getenv("PATH") ? std::getenv("PATH") : "";
    ~Path() { setenv("PATH", avant.c_str(), 1); }
};

TEST(Shell, SearchOfPathFindsOnlyExecutableFiles) {
    char modele[] = "/tmp/orbelune-path-XXXXXX";
    fs::path d = mkdtemp(modele);
    std::ofstream(d / "outil") << "#!/bin/sh\n";
    fs::permissions(d / "outil", fs::perms::owner_all);
    std::ofstream(d / "texte") << "rien\n";
    fs::create_directory(d / "dossier");
    fs::permissions(d / "dossier", fs::perms::owner_all);

    Path garde;
    setenv("PATH", ("/nonexistent::" + d.string() + ":").c_str(), 1);
    EXPECT_TRUE(dansPath("outil"));
    EXPECT_FALSE(dansPath("texte"));    // not executable
    EXPECT_FALSE(dansPath("dossier"));  // a directory
    EXPECT_FALSE(dansPath("absent"));

    // An empty entry is the current directory.
    setenv("PATH", "/nonexistent:", 1);
    fs::path avant = fs::current_path();
    fs::current_path(d);
    EXPECT_TRUE(dansPath("outil"));
    fs::current_path(avant);
    EXPECT_FALSE(dansPath("outil"));

    unsetenv("PATH");
    EXPECT_FALSE(dansPath("outil"));
    fs::remove_all(d);
}

} // namespace
