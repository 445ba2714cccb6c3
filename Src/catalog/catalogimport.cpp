// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/catalogimport.h"

#include "catalog/catalogedit.h"
#include "launch/desktopentry.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace catalog {

namespace {

// The desktop-file id of an entry inside one of the folders; empty outside.
QString entryId(const QString& path, const QStringList& applicationFolders) {
    if (!desktopentry::isEntryFile(path))
        return QString();
    const QString clean = QDir::cleanPath(path);
    for (const QString& folder : applicationFolders) {
        const QString root = QDir::cleanPath(folder) + QLatin1Char('/');
        if (clean.startsWith(root))
            return clean.mid(root.size()).replace(QLatin1Char('/'), QLatin1Char('-'));
    }
    return QString();
}

template <typename Visit> void forEachItem(const Document& doc, Visit visit) {
    const Value* typeList = types(doc);
    if (!typeList || !typeList->IsArray())
        return;
    for (int t = 0; t < int(typeList->Size()); ++t) {
        const Value* groups = groupsOf(doc, t);
        for (int g = 0; groups && groups->IsArray() && g < int(groups->Size()); ++g) {
            const Value* items = itemsOf(doc, t, g);
            for (int i = 0; items && items->IsArray() && i < int(items->Size()); ++i) {
                const Value& item = (*items)[i];
                if (item.IsObject())
                    visit(t, g, i, item);
            }
        }
    }
}

Value* findByName(Value& array, const QString& name) {
    for (Value& element : array.GetArray()) {
        if (element.IsObject() && memberText(element, kName) == name)
            return &element;
    }
    return nullptr;
}

Value namedArrayHolder(const QString& name, const char* arrayName, Allocator& allocator) {
    Value object(rapidjson::kObjectType);
    object.AddMember(rapidjson::StringRef(kName), string(name, allocator), allocator);
    object.AddMember(rapidjson::StringRef(arrayName), Value(rapidjson::kArrayType), allocator);
    return object;
}

} // namespace

bool isUntouchedStart(const Document& doc) {
    const Value* typeList = types(doc);
    if (!typeList || !typeList->IsArray() || typeList->Size() != 1)
        return false;
    const Value* groups = groupsOf(doc, 0);
    if (!groups)
        return true;
    if (!groups->IsArray() || groups->Size() > 1)
        return false;
    const Value* items = itemsOf(doc, 0, 0);
    return !items || !items->IsArray() || items->Empty();
}

int importApplications(Document& doc, const QVector<applicationmenu::Application>& applications,
                       const ImportNames& names, const QStringList& applicationFolders) {
    // What the catalog holds already, wherever the user has put it.
    QSet<QString> paths;
    QSet<QString> ids;
    forEachItem(doc, [&](int, int, int, const Value& item) {
        if (kindOf(item) != KindFile)
            return;
        const QString path = memberText(item, kPath);
        if (path.isEmpty())
            return;
        paths.insert(QDir::cleanPath(path));
        const QString canonical = QFileInfo(path).canonicalFilePath();
        if (!canonical.isEmpty())
            paths.insert(canonical);
        const QString id = entryId(path, applicationFolders);
        if (!id.isEmpty())
            ids.insert(id);
    });

    if (!doc.IsObject())
        return 0;
    Allocator& allocator = doc.GetAllocator();
    Value& typeList = arrayFor(doc, kType, allocator);
    Value* type = findByName(typeList, names.type);
    int added = 0;
    for (int c = 0; c < applicationmenu::kCategoryCount; ++c) {
        for (const applicationmenu::Application& application : applications) {
            if (int(application.category) != c || paths.contains(application.file) ||
                ids.contains(application.id) ||
                (!application.program.isEmpty() && paths.contains(application.program)))
                continue;
            if (!type) {
                typeList.PushBack(namedArrayHolder(names.type, kGroup, allocator), allocator);
                type = &typeList[typeList.Size() - 1];
            }
            Value& groups = arrayFor(*type, kGroup, allocator);
            const QString groupName = names.groups.value(c);
            Value* group = findByName(groups, groupName);
            if (!group) {
                groups.PushBack(namedArrayHolder(groupName, kItem, allocator), allocator);
                group = &groups[groups.Size() - 1];
            }
            arrayFor(*group, kItem, allocator)
                .PushBack(droppedItem(application.name, KindFile, application.file, allocator), allocator);
            paths.insert(application.file);
            ids.insert(application.id);
            ++added;
        }
    }
    return added;
}

QVector<GoneEntry> goneApplications(const Document& doc, const QStringList& applicationFolders) {
    QVector<GoneEntry> gone;
    forEachItem(doc, [&](int t, int g, int i, const Value& item) {
        const QString path = memberText(item, kPath);
        if (kindOf(item) == KindFile && !entryId(path, applicationFolders).isEmpty() &&
            !QFileInfo::exists(path))
            gone.push_back({t, g, i, memberText(item, kName)});
    });
    return gone;
}

void removeEntries(Document& doc, const QVector<GoneEntry>& gone) {
    // Last first, so the places found before stay right.
    for (auto it = gone.crbegin(); it != gone.crend(); ++it) {
        if (Value* items = itemsOf(doc, it->type, it->group))
            jsonEraseAt(*items, it->item);
    }
}

} // namespace catalog
