// A command line over the registry fixtures, so scripts can prepare and inspect a Wine prefix's
// registry without the prefix's own reg.exe (whose export format differs between releases).
//
//   regtool (load FILE | dump KEY | delete KEY)...
//
// The commands run in the order given, in one process, so a case's setup costs one Wine start.
// dump writes the canonical text of the key (nothing when the key is missing) to standard
// output, byte for byte: no CR is added.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "tools/regfixture/reg_fixture.h"

namespace {

bool SplitKey(const std::string& full, HKEY* root, std::string* path) {
    const std::size_t slash = full.find('\\');
    *root = regfixture::RootByName(full.substr(0, slash));
    *path = slash == std::string::npos ? std::string() : full.substr(slash + 1);
    return *root != nullptr;
}

bool LoadFile(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "regtool: cannot read %s\n", file.c_str());
        return false;
    }
    std::stringstream text;
    text << in.rdbuf();
    std::string error;
    if (!regfixture::Load(text.str(), &error)) {
        std::fprintf(stderr, "regtool: %s: %s\n", file.c_str(), error.c_str());
        return false;
    }
    return true;
}

int Usage() {
    std::fprintf(stderr, "usage: regtool (load FILE | dump KEY | delete KEY)...\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc % 2 == 0) return Usage();
    _setmode(_fileno(stdout), _O_BINARY);
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string command = argv[i];
        const std::string argument = argv[i + 1];
        if (command == "load") {
            if (!LoadFile(argument)) return 1;
            continue;
        }
        HKEY root = nullptr;
        std::string path;
        if (command != "dump" && command != "delete") return Usage();
        if (!SplitKey(argument, &root, &path)) {
            std::fprintf(stderr, "regtool: unknown root in %s\n", argument.c_str());
            return 1;
        }
        if (command == "dump") {
            const std::string text = regfixture::Dump(root, path);
            std::fwrite(text.data(), 1, text.size(), stdout);
        } else if (!regfixture::DeleteTree(root, path)) {
            std::fprintf(stderr, "regtool: cannot delete %s\n", argument.c_str());
            return 1;
        }
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
