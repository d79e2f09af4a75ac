// test_trace.cpp — the orbelune-trace tool, run as a separate process: its
// CSV, the round trip of its figures against the core run in this process,
// its options, and its refusals.
#include "core_state.h"

#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Sortie {
    int statut;
    std::string out, err;
};

std::string lis(const std::string &chemin) {
    std::ifstream f(chemin);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

class Trace : public CoreTest {
protected:
    // Runs the tool with these arguments; standard output and error go to
    // files in the test's directory.
    Sortie lance(const std::vector<std::string> &args) {
        const std::string out = dir + "/stdout", err = dir + "/stderr";
        pid_t pid = fork();
        if (pid == 0) {
            int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (o < 0 || e < 0) _exit(127);
            dup2(o, 1);
            dup2(e, 2);
            std::vector<char *> argv{const_cast<char *>(ORBELUNE_TRACE)};
            for (const std::string &a : args) argv.push_back(const_cast<char *>(a.c_str()));
            argv.push_back(nullptr);
            execv(ORBELUNE_TRACE, argv.data());
            _exit(127);
        }
        int statut = 0;
        waitpid(pid, &statut, 0);
        return {WIFEXITED(statut) ? WEXITSTATUS(statut) : -1, lis(out), lis(err)};
    }

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
    std::vector<std::string> args;
    for (std::string a : GetParam()) {
        if (a == "@F") a = f;
        if (a == "@D") a = dir + "/dossier";
        if (a == "@A") a = dir + "/absent.txt";
        args.push_back(a);
    }
    Sortie s = lance(args);
    EXPECT_EQ(s.statut, 2);
    EXPECT_EQ(s.out, "");
    ASSERT_FALSE(s.err.empty());
    EXPECT_EQ(s.err.find('\n'), s.err.size() - 1) << s.err;
}

INSTANTIATE_TEST_SUITE_P(
    Table, TraceRefus,
    ::testing::Values(std::vector<std::string>{}, std::vector<std::string>{"--batches"},
                      std::vector<std::string>{"--batches", "x", "@F"}, std::vector<std::string>{"--batches", "-1", "@F"},
                      std::vector<std::string>{"--every", "0", "@F"}, std::vector<std::string>{"--dt", "-0.1", "@F"},
                      std::vector<std::string>{"--dt", "nan", "@F"}, std::vector<std::string>{"--thrust", "2:*", "@F"},
                      std::vector<std::string>{"--thrust", "0:+", "@F"}, std::vector<std::string>{"--thrust", "+", "@F"},
                      std::vector<std::string>{"--frob", "@F"}, std::vector<std::string>{"@F", "@F"},
                      std::vector<std::string>{"@A"}, std::vector<std::string>{"@D"}),
    [](const ::testing::TestParamInfo<std::vector<std::string>> &i) {
        std::string cas = "args";
        for (const std::string &a : i.param) cas += " " + a;
        return nom_de_cas(cas, i.index);
    });

} // namespace
