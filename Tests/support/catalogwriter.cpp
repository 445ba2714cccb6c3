// SPDX-License-Identifier: GPL-3.0-or-later
// Saves a generated catalog to the given path, as Tarn's close does, so a
// test can kill it part-way. Usage: catalogwriter PATH ITEMS GENERATION
#include "catalog/catalogedit.h"
#include "catalog/catalogstore.h"

#include <cstdlib>

int main(int argc, char* argv[]) {
    if (argc != 4)
        return 2;
    const int items = std::atoi(argv[2]);
    catalog::Document doc;
    doc.SetObject();
    auto& a = doc.GetAllocator();
    doc.AddMember("generation", std::atoi(argv[3]), a);
    catalog::Value types(rapidjson::kArrayType);
    catalog::Value type = catalog::defaultType(a);
    catalog::Value& list = type["group"][0]["item"];
    for (int i = 0; i < items; ++i)
        list.PushBack(catalog::droppedItem(QStringLiteral("项目 %1").arg(i), i % 3,
                                           QStringLiteral("/opt/programs/tool-%1/bin/run.exe").arg(i), a),
                      a);
    types.PushBack(type, a);
    doc.AddMember("type", types, a);
    return catalogstore::save(QString::fromLocal8Bit(argv[1]), doc) ? 0 : 1;
}
