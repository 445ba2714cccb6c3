// SPDX-License-Identifier: GPL-3.0-or-later
// Writes a generated catalog: gencatalog FILE ITEMS FIRSTGROUP
// Ten Types of ten Groups; the first Group holds FIRSTGROUP Items, the rest
// are spread evenly. Paths cycle through existing files of /usr/bin, with
// every tenth Item a web address, as a curated catalog would hold.
#include "catalog/catalogedit.h"
#include "catalog/catalogstore.h"

#include <QDir>

int main(int argc, char* argv[]) {
    if (argc != 4)
        return 2;
    const int total = QString::fromLocal8Bit(argv[2]).toInt();
    const int first = QString::fromLocal8Bit(argv[3]).toInt();
    const QStringList files = QDir(QStringLiteral("/usr/bin")).entryList(QDir::Files, QDir::Name);
    catalog::Document doc;
    doc.SetObject();
    auto& a = doc.GetAllocator();
    catalog::Value types(rapidjson::kArrayType);
    int made = 0;
    for (int t = 0; t < 10; ++t) {
        catalog::Value type(rapidjson::kObjectType);
        type.AddMember("name", catalog::string(QStringLiteral("分类 %1").arg(t), a), a);
        catalog::Value groups(rapidjson::kArrayType);
        for (int g = 0; g < 10; ++g) {
            catalog::Value group = catalog::newGroup(a);
            group["name"] = catalog::string(QStringLiteral("分组 %1-%2").arg(t).arg(g), a);
            const int count =
                (t == 0 && g == 0) ? first : (total - first) / 99 + ((t * 10 + g) <= (total - first) % 99);
            for (int i = 0; i < count && made < total; ++i, ++made) {
                const bool web = made % 10 == 9;
                const QString path = web ? QStringLiteral("https://example.org/page/%1").arg(made)
                                         : QStringLiteral("/usr/bin/") + files[made % files.size()];
                group["item"].PushBack(catalog::droppedItem(QStringLiteral("项目 %1").arg(made),
                                                            web ? catalog::KindWeb : catalog::KindFile, path,
                                                            a),
                                       a);
            }
            groups.PushBack(group, a);
        }
        type.AddMember("group", groups, a);
        types.PushBack(type, a);
    }
    doc.AddMember("type", types, a);
    return catalogstore::save(QString::fromLocal8Bit(argv[1]), doc) ? 0 : 1;
}
