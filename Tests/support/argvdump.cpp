// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in program for launch tests: writes its working directory and its
// arguments, one per line, to the file named by TARN_ARGV_DUMP.
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

int main(int argc, char* argv[]) {
    const char* out = std::getenv("TARN_ARGV_DUMP");
    if (!out)
        return 2;
    char cwd[4096];
    if (!getcwd(cwd, sizeof cwd))
        return 3;
    FILE* file = std::fopen(out, "w");
    if (!file)
        return 4;
    std::fprintf(file, "%s\n", cwd);
    for (int i = 1; i < argc; ++i)
        std::fprintf(file, "[%s]\n", argv[i]);
    std::fclose(file);
    return 0;
}
