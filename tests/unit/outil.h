// outil.h — runs the orbelune-trace tool as a separate process, for the
// tests of its CSV and of its figures.
#ifndef ORBELUNE_TEST_OUTIL_H
#define ORBELUNE_TEST_OUTIL_H

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

struct Sortie {
    int statut; // exit status, -1 when killed by a signal
    std::string out, err;
    double cpu; // user and system time of the tool, seconds
};

inline std::string lis(const std::string &chemin) {
    std::ifstream f(chemin, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

// Runs the tool with these arguments; standard output and error go to the
// files "stdout" and "stderr" in `dir`.  With `taille_max`, no file that the
// tool writes may grow beyond that many bytes (a write past it fails).
inline Sortie lance_outil(const std::string &dir, const std::vector<std::string> &args, rlim_t taille_max = 0) {
    const std::string out = dir + "/stdout", err = dir + "/stderr";
    pid_t pid = fork();
    if (pid == 0) {
        int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (o < 0 || e < 0) _exit(127);
        dup2(o, 1);
        dup2(e, 2);
        if (taille_max) {
            signal(SIGXFSZ, SIG_IGN); // the write fails with EFBIG instead of killing
            rlimit r{taille_max, taille_max};
            setrlimit(RLIMIT_FSIZE, &r);
        }
        std::vector<char *> argv{const_cast<char *>(ORBELUNE_TRACE)};
        for (const std::string &a : args) argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        execv(ORBELUNE_TRACE, argv.data());
        _exit(127);
    }
    int statut = 0;
    rusage usage{};
    wait4(pid, &statut, 0, &usage);
    double cpu = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    return {WIFEXITED(statut) ? WEXITSTATUS(statut) : -1, lis(out), lis(err), cpu};
}

#endif
