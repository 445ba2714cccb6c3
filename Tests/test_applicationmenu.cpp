// SPDX-License-Identifier: GPL-3.0-or-later
// The installed applications: which entries the menu shows, and how they
// fill and refresh the catalog.
#include "catalog/catalogimport.h"
#include "launch/applicationmenu.h"

#include "support/datafolder.h"
#include "support/jsontext.h"

#include <QtTest>

using applicationmenu::Application;
using applicationmenu::Category;

class TestApplicationMenu : public QObject {
    Q_OBJECT

    QTemporaryDir home, system, bin;
    QStringList folders() const { return {home.filePath("applications"), system.filePath("applications")}; }

    static void write(const QString& path, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(path).path());
        DataFolder::writeFile(path, bytes);
    }
    void entry(QTemporaryDir& in, const QString& name, const QByteArray& keys) {
        write(in.filePath("applications/" + name), "[Desktop Entry]\n" + keys);
    }
    static QStringList names(const QVector<Application>& applications) {
        QStringList out;
        for (const Application& a : applications)
            out << a.name;
        return out;
    }
    static const Application* byId(const QVector<Application>& applications, const QString& id) {
        for (const Application& a : applications)
            if (a.id == id)
                return &a;
        return nullptr;
    }
    catalog::ImportNames importNames() const {
        QStringList groups;
        for (int c = 0; c < applicationmenu::kCategoryCount; ++c)
            groups << QStringLiteral("G%1").arg(c);
        return {"Apps", groups};
    }

private slots:
    void initTestCase() {
        DataFolder::writeFile(bin.filePath("editor"), "#!/bin/sh\n");
        QFile::setPermissions(bin.filePath("editor"), QFile::ReadOwner | QFile::ExeOwner);
        const QByteArray app = "Type=Application\nExec=sh\n";
        entry(system, "a.desktop", app + "Name=Alpha\nCategories=GTK;Audio;Development;\n");
        entry(system, "shadowed.desktop", app + "Name=System copy\n");
        entry(home, "shadowed.desktop", app + "Name=Home copy\nCategories=Game;\n");
        entry(system, "removed.desktop", app + "Name=Removed\n");
        entry(home, "removed.desktop", app + "Name=Removed\nHidden=true\n");
        entry(home, "kde4/viewer.desktop", app + "Name=Viewer\nCategories=Graphics;\n");
        entry(system, "kde4-viewer.desktop", app + "Name=Not this one\n");
        entry(system, "link.desktop", "Type=Link\nName=Link\nURL=https://debian.org\n");
        entry(system, "nodisplay.desktop", app + "Name=NoDisplay\nNoDisplay=true\n");
        entry(system, "kdeonly.desktop", app + "Name=KDE only\nOnlyShowIn=KDE;\n");
        entry(system, "notgnome.desktop", app + "Name=Not GNOME\nNotShowIn=GNOME;\n");
        entry(system, "tryexec.desktop", app + "Name=TryExec\nTryExec=tarn-not-installed\n");
        entry(system, "missing.desktop", "Type=Application\nName=Missing\nExec=tarn-not-installed\n");
        entry(system, "broken.desktop", "Type=Application\nName=Broken\nExec=sh 'open\n");
        entry(system, "editor.desktop",
              "Type=Application\nName=Editor\nName[zh_CN]=编辑器\nCategories=Utility;\nExec=" +
                  bin.filePath("editor").toUtf8() + " %F\n");
        entry(system, "org.example.Bus.desktop", "Type=Application\nName=Bus\nDBusActivatable=true\n");
    }

    // Precedence, sub-folder ids and every rule that leaves an entry out.
    void theMenuShowsWhatTheRulesLetThrough() {
        const QVector<Application> found = applicationmenu::scan(folders(), {"GNOME"}, {"en"});
        QCOMPARE(names(found), (QStringList{"Alpha", "Bus", "Editor", "Home copy", "Viewer"}));
        QVERIFY(byId(found, "shadowed.desktop") && byId(found, "kde4-viewer.desktop"));
        QCOMPARE(byId(found, "shadowed.desktop")->file, home.filePath("applications/shadowed.desktop"));
        QCOMPARE(byId(found, "kde4-viewer.desktop")->file, home.filePath("applications/kde4/viewer.desktop"));
        // Desktops: OnlyShowIn and NotShowIn follow the names given.
        const QStringList onKde = names(applicationmenu::scan(folders(), {"KDE"}, {"en"}));
        QVERIFY(onKde.contains("KDE only"));
        QVERIFY(onKde.contains("Not GNOME"));
        QVERIFY(
            !names(applicationmenu::scan(folders(), {"X-Cinnamon", "GNOME"}, {"en"})).contains("Not GNOME"));
        QVERIFY(!names(applicationmenu::scan(folders(), {}, {"en"})).contains("KDE only"));
    }

    void categoriesNamesAndOrder() {
        QCOMPARE(applicationmenu::mainCategory({"GTK", "Audio", "Development"}), Category::AudioVideo);
        QCOMPARE(applicationmenu::mainCategory({"Qt", "Video"}), Category::AudioVideo);
        QCOMPARE(applicationmenu::mainCategory({"TextEditor", "Utility", "Office"}), Category::Utility);
        QCOMPARE(applicationmenu::mainCategory({"X-Own", "ConsoleOnly"}), Category::Other);
        QCOMPARE(applicationmenu::mainCategory({}), Category::Other);
        const QVector<Application> found = applicationmenu::scan(folders(), {}, {"zh_CN.UTF-8"});
        QVERIFY(byId(found, "editor.desktop") && byId(found, "a.desktop") &&
                byId(found, "org.example.Bus.desktop"));
        QCOMPARE(byId(found, "editor.desktop")->name, QStringLiteral("编辑器"));
        QCOMPARE(byId(found, "editor.desktop")->program,
                 QFileInfo(bin.filePath("editor")).canonicalFilePath());
        // Only an entry that starts its program alone stands for it.
        QVERIFY(byId(found, "a.desktop")->program.isEmpty() == false);
        QVERIFY(byId(found, "org.example.Bus.desktop")->program.isEmpty());
        // Chinese names sort by pinyin.
        QStringList chinese;
        for (const char* name : {"终端", "浏览器", "阿里", "编辑器"}) {
            const QString file = QStringLiteral("zh-%1.desktop").arg(chinese.size());
            write(bin.filePath("zh/applications/" + file),
                  "[Desktop Entry]\nType=Application\nExec=sh\nName=" + QByteArray(name) + "\n");
            chinese << QString::fromUtf8(name);
        }
        QCOMPARE(names(applicationmenu::scan({bin.filePath("zh/applications")}, {}, {"zh_CN"})),
                 (QStringList{"阿里", "编辑器", "浏览器", "终端"}));
    }

    // One Type, a Group per category in order, nothing twice; a second run
    // adds only what is new and leaves the user's changes alone.
    void importThenRefresh() {
        catalog::Document doc;
        // Already there: the editor as a program Item, elsewhere.
        QVERIFY(catalog::parse(doc, json("{'type':[{'name':'Mine','group':[{'name':'g','item':["
                                         "{'name':'ed','type':0,'param':'','path':'") +
                                        bin.filePath("editor").toUtf8() + json("'}]}]}]}")));
        QVector<Application> found = applicationmenu::scan(folders(), {"GNOME"}, {"en"});
        QCOMPARE(catalog::importApplications(doc, found, importNames(), folders()), 4);
        // A Group of one imported Item, as the catalog file holds it.
        auto group = [](const char* name, const char* item, const QString& path) {
            return json("{'name':'") + name + json("','item':[{'name':'") + item +
                   json("','type':0,'param':'','path':'") + path.toUtf8() + json("','customIcon':''}]}");
        };
        QCOMPARE(catalog::serialize(doc),
                 json("{'type':[{'name':'Mine','group':[{'name':'g','item':[{'name':'ed','type':0,'param':'',"
                      "'path':'") +
                     bin.filePath("editor").toUtf8() + json("'}]}]},{'name':'Apps','group':[") +
                     group("G0", "Alpha", system.filePath("applications/a.desktop")) + "," +
                     group("G3", "Home copy", home.filePath("applications/shadowed.desktop")) + "," +
                     group("G4", "Viewer", home.filePath("applications/kde4/viewer.desktop")) + "," +
                     group("G11", "Bus", system.filePath("applications/org.example.Bus.desktop")) + "]}]}");
        QCOMPARE(catalog::importApplications(doc, found, importNames(), folders()), 0);

        // The user renames Alpha and moves Viewer to their own Group; a new
        // application arrives, and one goes away.
        catalog::Value& apps = doc["type"][1]["group"];
        apps[0]["item"][0]["name"] = "My alpha";
        catalog::Value viewer(apps[2]["item"][0], doc.GetAllocator());
        doc["type"][0]["group"][0]["item"].PushBack(viewer, doc.GetAllocator());
        jsonEraseAt(apps[2]["item"], 0);
        entry(system, "new.desktop", "Type=Application\nExec=sh\nName=Newcomer\nCategories=Graphics;\n");
        QVERIFY(QFile::remove(home.filePath("applications/shadowed.desktop")));
        found = applicationmenu::scan(folders(), {"GNOME"}, {"en"});
        // The system's shadowed entry now shows: a new id for the catalog?
        // No: the same id as the Item the user has.
        QCOMPARE(catalog::importApplications(doc, found, importNames(), folders()), 1);
        QCOMPARE(catalog::memberText(apps[0]["item"][0], catalog::kName), QStringLiteral("My alpha"));
        QCOMPARE(apps[2]["item"].Size(), 1u);
        QCOMPARE(catalog::memberText(apps[2]["item"][0], catalog::kName), QStringLiteral("Newcomer"));
        QCOMPARE(doc["type"][0]["group"][0]["item"].Size(), 2u);

        // What is no longer installed is found, and removed only when asked.
        const QVector<catalog::GoneEntry> gone = catalog::goneApplications(doc, folders());
        QCOMPARE(gone.size(), 1);
        QCOMPARE(gone[0].name, QStringLiteral("Home copy"));
        QCOMPARE(gone[0].type, 1);
        catalog::removeEntries(doc, gone);
        QCOMPARE(apps[1]["item"].Size(), 0u);
        QVERIFY(catalog::goneApplications(doc, folders()).isEmpty());
    }

    // The Windows Start Menu, on a tree shaped like one: the user's root
    // first, paths compared without case, a Group per top folder.
    void startMenuShortcutsByTopFolder() {
        QTemporaryDir user, everyone;
        for (const char* path : {"Tools/Editor.lnk", "Game.lnk", "Office/Word.lnk", "desktop.ini"})
            write(user.filePath(path), "L");
        for (const char* path : {"tools/EDITOR.lnk", "Office/Excel.lnk", "Office/Sub/Notes.lnk"})
            write(everyone.filePath(path), "L");
        const QStringList roots{user.path(), everyone.path()};
        const QVector<Application> found = applicationmenu::scanStartMenu(roots, {"en"});
        QCOMPARE(names(found), (QStringList{"Editor", "Excel", "Game", "Notes", "Word"}));
        QCOMPARE(found[0].file, user.filePath("Tools/Editor.lnk"));
        QCOMPARE(found[0].folder, QStringLiteral("Tools"));
        QCOMPARE(found[3].folder, QStringLiteral("Office"));
        QVERIFY(found[2].folder.isEmpty());

        catalog::Document doc;
        QVERIFY(catalog::parse(doc, json("{'type':[]}")));
        QCOMPARE(catalog::importApplications(doc, found, importNames(), roots), 5);
        QStringList groups;
        for (const catalog::Value& group : doc["type"][0]["group"].GetArray())
            groups << catalog::memberText(group, catalog::kName) + ":" +
                          QString::number(group["item"].Size());
        QCOMPARE(groups, (QStringList{"G11:1", "Office:3", "Tools:1"}));
        // Found again under another case: the same shortcut.
        QVERIFY(QFile::rename(user.filePath("Tools/Editor.lnk"), user.filePath("Tools/editor.lnk")));
        QCOMPARE(catalog::importApplications(doc, applicationmenu::scanStartMenu(roots, {"en"}),
                                             importNames(), roots),
                 0);
    }
};

QTEST_GUILESS_MAIN(TestApplicationMenu)
#include "test_applicationmenu.moc"
