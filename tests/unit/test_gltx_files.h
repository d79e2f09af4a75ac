// test_gltx_files.h — scratch files for the image reader's tests.
#ifndef ORBELUNE_TEST_GLTX_FILES_H
#define ORBELUNE_TEST_GLTX_FILES_H

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

using Bytes = std::vector<unsigned char>;

// A scratch directory removed with everything in it at the end of the test.
struct TempDir {
    std::string path;
    TempDir() {
        char tmpl[] = "/tmp/gltx-test-XXXXXX";
        const char *made = mkdtemp(tmpl);
        if (made) path = made;
    }
    ~TempDir() {
        if (!path.empty()) std::system(("rm -rf '" + path + "'").c_str());
    }
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    std::string file(const std::string &name) const { return path + "/" + name; }
};

// Writes head then body; false when the file cannot be written whole.
inline bool writeFile(const std::string &path, const Bytes &body, const std::string &head = "") {
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    // An empty vector may have no storage at all: write nothing for it.
    bool ok = (head.empty() || std::fwrite(head.data(), 1, head.size(), f) == head.size())
              && (body.empty() || std::fwrite(body.data(), 1, body.size(), f) == body.size());
    return std::fclose(f) == 0 && ok;
}

inline Bytes readFile(const std::string &path) {
    Bytes b;
    std::FILE *f = std::fopen(path.c_str(), "rb");
    if (!f) return b;
    int ch;
    while ((ch = std::fgetc(f)) != EOF) b.push_back((unsigned char)ch);
    std::fclose(f);
    return b;
}

#endif
