// SPDX-License-Identifier: GPL-3.0-or-later
// One load of a catalog file in a fresh process, as start-up does it: the
// file's pages, the tree's memory and the allocator all start cold, which
// catalog_bench's repeated loads do not show. Prints milliseconds.
//   coldload FILE
#include "catalog/catalogstore.h"

#include <chrono>
#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: coldload FILE\n");
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    catalog::Document doc;
    const auto start = std::chrono::steady_clock::now();
    const catalogstore::LoadResult result = catalogstore::load(path, doc);
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    if (result.openFailed || doc.IsNull())
        return 1;
    std::printf("%.2f\n", took.count());
    return 0;
}
