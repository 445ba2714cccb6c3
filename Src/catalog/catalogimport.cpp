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
        const QString id = applicationmenu::menuId(path, applicationFolders);
        if (!id.isEmpty())
            ids.insert(id);
    });

    if (!doc.IsObject())
        return 0;
    Allocator& allocator = doc.GetAllocator();
    Value& typeList = arrayFor(doc, kType, allocator);
    Value* type = findByName(typeList, names.type);
    // The Groups in their order: the categories', then a menu's own folders.
    QStringList groupOrder;
    for (int c = 0; c < applicationmenu::kCategoryCount; ++c) {
        const bool used = std::any_of(applications.begin(), applications.end(), [&](const auto& application) {
            return application.folder.isEmpty() && int(application.category) == c;
        });
        if (used)
            groupOrder << names.groups.value(c);
    }
    QStringList folders;
    for (const applicationmenu::Application& application : applications) {
        if (!application.folder.isEmpty() && !folders.contains(application.folder))
            folders << application.folder;
    }
    std::sort(folders.begin(), folders.end(),
              [](const QString& a, const QString& b) { return QString::localeAwareCompare(a, b) < 0; });
    groupOrder += folders;
    auto groupOf = [&](const applicationmenu::Application& application) {
        return application.folder.isEmpty() ? names.groups.value(int(application.category))
                                            : application.folder;
    };

    int added = 0;
    for (const QString& groupName : groupOrder) {
        for (const applicationmenu::Application& application : applications) {
            if (groupOf(application) != groupName || paths.contains(application.file) ||
                ids.contains(application.id) ||
                (!application.program.isEmpty() && paths.contains(application.program)))
                continue;
            if (!type) {
                typeList.PushBack(namedArrayHolder(names.type, kGroup, allocator), allocator);
                type = &typeList[typeList.Size() - 1];
            }
            Value& groups = arrayFor(*type, kGroup, allocator);
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
        if (kindOf(item) == KindFile && !applicationmenu::menuId(path, applicationFolders).isEmpty() &&
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
