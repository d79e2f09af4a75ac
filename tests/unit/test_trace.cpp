// test_trace.cpp — the orbelune-trace tool, run as a separate process: its
// CSV, the round trip of its figures against the core run in this process,
// its options, and its refusals.
#include "core_state.h"
#include "outil.h"

#include <sys/stat.h>

namespace {

class Trace : public CoreTest {
protected:
    Sortie lance(const std::vector<std::string> &args) { return lance_outil(dir, args); }

    // The core run in this process, printed as the tool prints it.
    static std::string rangees(long batch) {
        std::string s;
        char buf[512];
        for (int i = 1; i <= nb; i++) {
            std::snprintf(buf, sizeof buf, "%ld,%d,%d,%.17g,%.17g,%.17g,%.17g,%.17g\n", batch, t, i, M[i], X[i],
                          Y[i], Xp[i], Yp[i]);
            s += buf;
        }
        return s;
    }
};

const char EN_TETE[] = "batch,t,body,m,x,y,xp,yp\n";

std::vector<std::string> champs(const std::string &ligne) {
    std::vector<std::string> v;
    std::stringstream s(ligne);
    for (std::string c; std::getline(s, c, ',');) v.push_back(c);
    return v;
}

TEST_F(Trace, CsvRowsRoundTripToTheCoreFigures) {
    const std::string f = ecrit("nb=3\n" + enregistrements(1000, 0, 0, 0, 0.01, 0, 0) +
                                enregistrements(0.001, 20, 0, 0, 0, 7.0710678, 0) +
                                enregistrements(0.3, -7.3, 3.1, 1, 0.1, -11.9, 0));
    Sortie s = lance({"--batches", "7", f});
    ASSERT_EQ(s.statut, 0) << s.err;
    ASSERT_EQ(s.out.compare(0, sizeof EN_TETE - 1, EN_TETE), 0) << s.out;

    // Every row has its eight fields, integers as integers, and every double
    // reads back to the exact bits of the same run made here.
    std::stringstream lignes(s.out.substr(sizeof EN_TETE - 1));
    int n = 0;
    for (std::string l; std::getline(lignes, l); n++) {
        std::vector<std::string> c = champs(l);
        ASSERT_EQ(c.size(), 8u) << l;
        EXPECT_EQ(c[0], std::to_string(n / 3));
        EXPECT_EQ(c[1], std::to_string(50 * (n / 3)));
        EXPECT_EQ(c[2], std::to_string(n % 3 + 1));
    }
    EXPECT_EQ(n, 8 * 3);

    charge_capture(f);
    std::string attendu = EN_TETE + rangees(0);
    for (long b = 1; b <= 7; b++) {
        nextD();
        attendu += rangees(b);
    }
    EXPECT_EQ(s.out, attendu);
    // %.17g reads back to the same double.
    std::vector<std::string> derniere = champs(s.out.substr(s.out.rfind('\n', s.out.size() - 2) + 1));
    EXPECT_EQ(std::strtod(derniere[4].c_str(), nullptr), X[3]);
    EXPECT_EQ(std::strtod(derniere[7].c_str(), nullptr), Yp[3]);
}

TEST_F(Trace, LoaderEchoGoesToStandardError) {
    const std::string f = ecrit("nb=1\n" + enregistrements(1, 2, 3, 4, 5, 6, 7));
    Sortie s = lance({"--batches", "0", f});
    EXPECT_EQ(s.statut, 0);
    EXPECT_EQ(s.out, std::string(EN_TETE) + "0,0,1,1,2,3,5,6\n");
    EXPECT_NE(s.err.find("go! go! go! go! go!  \n"), std::string::npos) << s.err;
    EXPECT_NE(s.err.find("1 corps \n"), std::string::npos) << s.err;
}

// --every, --dt and --thrust give exactly the run the core gives with the
// same settings.
struct Options {
    const char *cas;
    std::vector<std::string> args;
    long batches, every;
    double pas;
    std::vector<std::pair<long, double>> poussees;
};
// What ctest lists after the case name: its description, not its bytes.
void PrintTo(const Options &c, std::ostream *os) { *os << c.cas; }

class TraceOptions : public Trace, public ::testing::WithParamInterface<Options> {};

TEST_P(TraceOptions, MatchTheCoreRunWithTheSameSettings) {
    const Options &o = GetParam();
    const std::string f = ecrit("nb=-2\n" + enregistrements(8, 0, 0, 0, 0, 0, 0) +
                                enregistrements(0.01, 20, 0, 0, 0, 0.4, 0));
    std::vector<std::string> args = o.args;
    args.push_back(f);
    Sortie s = lance(args);
    ASSERT_EQ(s.statut, 0) << s.err;

    charge_capture(f);
    dt = o.pas;
    std::string attendu = EN_TETE + rangees(0);
    for (long b = 1; b <= o.batches; b++) {
        for (const auto &p : o.poussees)
            if (p.first == b) px = p.second;
        nextD();
        if (b % o.every == 0) attendu += rangees(b);
    }
    EXPECT_EQ(s.out, attendu) << o.cas;
}

INSTANTIATE_TEST_SUITE_P(
    Table, TraceOptions,
    ::testing::Values(Options{"every 4 of 10", {"--batches", "10", "--every", "4"}, 10, 4, 0.001, {}},
                      Options{"default: 1000 batches", {"--every", "250"}, 1000, 250, 0.001, {}},
                      Options{"dt 0.004", {"--dt", "0.004", "--batches", "3"}, 3, 1, 0.004, {}},
                      Options{"thrust + before batch 2, - before 4",
                              {"--thrust", "2:+", "--batches", "5", "--thrust", "4:-"},
                              5,
                              1,
                              0.001,
                              {{2, 0.5}, {4, -0.5}}}),
    [](const ::testing::TestParamInfo<Options> &i) { return nom_de_cas(i.param.cas, i.index); });

TEST_F(Trace, ThrustActsOnItsBatchOnly) {
    const std::string f = ecrit("nb=2\n" + enregistrements(0, 0, 0, 0, 0, 0, 0) +
                                enregistrements(0, 10, 0, 0, 1, 0, 0));
    Sortie s = lance({"--batches", "3", "--thrust", "2:+", f});
    ASSERT_EQ(s.statut, 0) << s.err;
    // Body 2's x velocity after batches 1, 2 and 3.
    std::vector<double> vitesses;
    std::stringstream lignes(s.out);
    for (std::string l; std::getline(lignes, l);) {
        std::vector<std::string> c = champs(l);
        if (c[0] != "batch" && c[0] != "0" && c[2] == "2") vitesses.push_back(std::strtod(c[6].c_str(), nullptr));
    }
    ASSERT_EQ(vitesses.size(), 3u);
    EXPECT_EQ(vitesses[0], 1.0);
    EXPECT_NEAR(vitesses[1], 1.025, 1e-13);
    EXPECT_EQ(vitesses[2], vitesses[1]);
}

// Refusals: one line on standard error, status 2, nothing on standard output.
class TraceRefus : public Trace, public ::testing::WithParamInterface<std::vector<std::string>> {};

TEST_P(TraceRefus, OneLineOnStderrStatusTwoEmptyStdout) {
    const std::string f = ecrit("nb=1\n" + enregistrements(1, 2, 3, 4, 5, 6, 7));
    mkdir((dir + "/dossier").c_str(), 0700);
    const std::string figure = dir + "/f.svg";
    std::vector<std::string> args;
    for (std::string a : GetParam()) {
        if (a == "@F") a = f;
        if (a == "@D") a = dir + "/dossier";
        if (a == "@A") a = dir + "/absent.txt";
        if (a == "@S") a = figure;
        if (a == "@N") a = dir + "/absent/f.svg";
        args.push_back(a);
    }
    Sortie s = lance(args);
    EXPECT_EQ(s.statut, 2);
    EXPECT_EQ(s.out, "");
    ASSERT_FALSE(s.err.empty());
    EXPECT_EQ(s.err.find('\n'), s.err.size() - 1) << s.err;
    // Refused before the run: no figure was begun, the scenario is intact.
    EXPECT_NE(access(figure.c_str(), F_OK), 0);
    EXPECT_EQ(lis(f), "nb=1\n" + enregistrements(1, 2, 3, 4, 5, 6, 7));
}

INSTANTIATE_TEST_SUITE_P(
    Table, TraceRefus,
    ::testing::Values(std::vector<std::string>{}, std::vector<std::string>{"--batches"},
                      std::vector<std::string>{"--batches", "x", "@F"}, std::vector<std::string>{"--batches", "-1", "@F"},
                      std::vector<std::string>{"--every", "0", "@F"}, std::vector<std::string>{"--dt", "-0.1", "@F"},
                      std::vector<std::string>{"--dt", "nan", "@F"}, std::vector<std::string>{"--thrust", "2:*", "@F"},
                      std::vector<std::string>{"--thrust", "0:+", "@F"}, std::vector<std::string>{"--thrust", "+", "@F"},
                      std::vector<std::string>{"--frob", "@F"}, std::vector<std::string>{"@F", "@F"},
                      std::vector<std::string>{"@A"}, std::vector<std::string>{"@D"},
                      std::vector<std::string>{"--print", "@F"}, std::vector<std::string>{"--areas", "5", "@F"},
                      std::vector<std::string>{"--view", "0,1,0,1", "@F"},
                      std::vector<std::string>{"--svg", "@S", "--areas", "0", "@F"},
                      std::vector<std::string>{"--svg", "@S", "--batches", "2000", "--areas", "9", "@F"},
                      std::vector<std::string>{"--svg", "@S", "--batches", "1000001", "@F"},
                      std::vector<std::string>{"--svg", "@S", "--view", "0,1,0", "@F"},
                      std::vector<std::string>{"--svg", "@S", "--view", "0,1,0,1,", "@F"},
                      std::vector<std::string>{"--svg", "@S", "--view", "1,0,0,1", "@F"},
                      std::vector<std::string>{"--svg", "@S", "--view", "0,1,0,inf", "@F"},
                      std::vector<std::string>{"--svg", "@S", "--view", "0,100,0,1", "@F"},
                      std::vector<std::string>{"--svg", "", "@F"}, std::vector<std::string>{"--svg", "@N", "@F"},
                      std::vector<std::string>{"--svg"}, std::vector<std::string>{"--svg", "@F", "@F"}),
    [](const ::testing::TestParamInfo<std::vector<std::string>> &i) {
        std::string cas = "args";
        for (const std::string &a : i.param) cas += " " + a;
        return nom_de_cas(cas, i.index);
    });

// --help and --version answer on standard output with status 0, whatever
// else is on the line.
TEST_F(Trace, HelpAndVersionGoToStandardOutput) {
    const std::string f = ecrit("nb=1\n" + enregistrements(1, 2, 3, 4, 5, 6, 7));
    struct Cas {
        std::vector<std::string> args;
        std::string debut;
    };
    const std::string usage = "usage: orbelune-trace [--batches N]";
    for (const Cas &c : {Cas{{"--help"}, usage}, Cas{{"-h", f}, usage}, Cas{{"--batches", "3", "--help", f}, usage},
                         Cas{{"--version"}, std::string("orbelune-trace ") + ORBELUNE_VERSION + "\n"}}) {
        Sortie s = lance(c.args);
        EXPECT_EQ(s.statut, 0) << c.args[0];
        EXPECT_EQ(s.err, "") << c.args[0];
        EXPECT_EQ(s.out.compare(0, c.debut.size(), c.debut), 0) << s.out;
        EXPECT_EQ(s.out.find('\n'), s.out.size() - 1) << s.out;
    }
    // The usage names every option.
    Sortie s = lance({"--help"});
    for (const char *o : {"--every", "--dt", "--thrust", "--elements", "--svg", "--print", "--areas", "--view"})
        EXPECT_NE(s.out.find(o), std::string::npos) << o;
}

} // namespace
