// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/itemindex.h"
#include "search/pinyin.h"
#include "search/textfold.h"
#include "search/usagestore.h"

#include <QtTest>

#include <random>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <sys/types.h>
#endif

using search::ItemIndex;
using search::ItemRef;
using search::MatchKind;
using search::UsageStore;

namespace {

QString u8(const char* s) {
    return QString::fromUtf8(s);
}

struct Entry {
    const char* name;
    const char* path;
};

// One Type; each inner list is a Group.
void makeCatalog(catalog::Document& doc, const std::vector<std::vector<Entry>>& groups) {
    doc.SetObject();
    auto& a = doc.GetAllocator();
    catalog::Value groupArray(rapidjson::kArrayType);
    for (const auto& g : groups) {
        catalog::Value items(rapidjson::kArrayType);
        for (const Entry& e : g) {
            catalog::Value item = catalog::newItem(a);
            item["name"].SetString(e.name, a);
            item["path"].SetString(e.path, a);
            items.PushBack(item, a);
        }
        catalog::Value group = catalog::newGroup(a);
        group["item"] = items;
        groupArray.PushBack(group, a);
    }
    catalog::Value type = catalog::defaultType(a);
    type["group"] = groupArray;
    catalog::Value types(rapidjson::kArrayType);
    types.PushBack(type, a);
    doc.AddMember("type", types, a);
}

// Names of the matches, best first.
QStringList names(const catalog::Document& doc, const std::vector<ItemRef>& refs) {
    QStringList out;
    for (const ItemRef& r : refs)
        out << u8(doc["type"][r.type]["group"][r.group]["item"][r.item]["name"].GetString());
    return out;
}

// The matching rule written plainly, without the index's filters, memo
// and shortcuts, on folded text (case, width and marks away). From a
// character that is not a separator (or a separator typed as itself), each
// character is typed as itself or as a non-empty start of one of its
// readings; separators inside may be left out, and so may punctuation that
// begins the query. Failing that with the query's spaces left out:
// starts of words in order, each typed in part; failing that, each word of
// the query on its own.
bool separator(uint c) {
    const QChar::Category cat = QChar::category(c);
    return QChar::isSpace(c) || (cat >= QChar::Punctuation_Connector && cat <= QChar::Symbol_Other);
}

struct Typed {
    QVector<uint> q;
    int lead = 0;
};

Typed typed(const QString& folded) {
    Typed t;
    t.q = folded.toUcs4();
    while (t.lead < t.q.size() && separator(t.q[t.lead]))
        ++t.lead;
    if (t.lead == t.q.size())
        t.lead = 0;
    return t;
}

QString text(const QVector<uint>& codePoints, int from, int count) {
    // The char32_t overload is the one both Qt 5 and Qt 6 keep undeprecated.
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(codePoints.constData()) + from, count);
}

bool plainMatchFrom(const QVector<uint>& t, int u, const Typed& q, int p) {
    if (p == q.q.size())
        return true;
    if (u == t.size())
        return false;
    if (t[u] == q.q[p] && plainMatchFrom(t, u + 1, q, p + 1))
        return true;
    const QString rest = text(q.q, p, q.q.size() - p);
    for (const QString& r : search::pinyin::readingsOf(t[u]))
        for (int k = 1; k <= r.size() && k <= rest.size() && rest.left(k) == r.left(k); ++k)
            if (plainMatchFrom(t, u + 1, q, p + k))
                return true;
    if (p > q.lead && separator(t[u]) && plainMatchFrom(t, u + 1, q, p))
        return true;
    return p < q.lead && plainMatchFrom(t, u, q, p + 1);
}

bool contiguous(const QVector<uint>& t, const Typed& q) {
    for (int u = 0; u < t.size() && !q.q.isEmpty(); ++u) {
        if (!separator(t[u]) && plainMatchFrom(t, u, q, 0))
            return true;
        for (int p = 0; p <= q.lead && p < q.q.size(); ++p)
            if (t[u] == q.q[p] && plainMatchFrom(t, u + 1, q, p + 1))
                return true;
    }
    return false;
}

bool isHan(uint c) {
    return !search::pinyin::readingsOf(c).isEmpty() || (c >= 0x4e00 && c <= 0x9fff) || c >= 0x20000;
}

// Word starts: after a separator, at and after a Chinese character, at a
// capital after a small letter, where digits begin or end.
QVector<bool> wordStarts(const QString& original, const QVector<uint>& t) {
    QVector<bool> starts(t.size(), false);
    const QVector<uint> o = original.toUcs4();
    const bool aligned = o.size() == t.size();
    for (int u = 0; u < t.size(); ++u) {
        if (separator(t[u]))
            continue;
        const bool prevSep = u == 0 || separator(t[u - 1]);
        const bool hump = aligned && u > 0 && QChar::isUpper(o[u]) && QChar::isLower(o[u - 1]);
        const bool digits = u > 0 && QChar::isDigit(t[u]) != QChar::isDigit(t[u - 1]);
        starts[u] = prevSep || isHan(t[u]) || (u > 0 && isHan(t[u - 1])) || hump || digits;
    }
    return starts;
}

bool initialsFrom(const QVector<uint>& t, const QVector<bool>& starts, int u, const QVector<uint>& q, int p) {
    for (int k = 0; p + k < q.size() && u + k < t.size(); ++k) {
        if ((k > 0 && (starts[u + k] || separator(t[u + k]))) || t[u + k] != q[p + k])
            return false;
        if (p + k + 1 == q.size())
            return true;
        for (int v = u + k + 1; v < t.size(); ++v)
            if (starts[v] && initialsFrom(t, starts, v, q, p + k + 1))
                return true;
    }
    return false;
}

bool initials(const QString& original, const QVector<uint>& t, const Typed& typedQuery) {
    const QVector<uint> q = typedQuery.q.mid(typedQuery.lead);
    if (q.size() < 2)
        return false;
    const QVector<bool> starts = wordStarts(original, t);
    for (int u = 0; u < t.size(); ++u)
        if (starts[u] && initialsFrom(t, starts, u, q, 0))
            return true;
    return false;
}

bool plainMatch(const QString& name, const QString& query, bool isName = true) {
    const QVector<uint> t = search::textfold::fold(name).toUcs4();
    QStringList words;
    for (const QString& w : query.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        words << search::textfold::fold(w);
    const Typed whole = typed(words.join(QString()));
    if (contiguous(t, whole))
        return true;
    if (!isName)
        return false;
    if (initials(name, t, whole))
        return true;
    if (words.size() < 2)
        return false;
    for (const QString& w : words)
        if (!contiguous(t, typed(w)))
            return false;
    return true;
}

} // namespace

class TestSearch : public QObject {
    Q_OBJECT

    QStringList find(const std::vector<std::vector<Entry>>& groups, const QString& query,
                     const UsageStore* usage = nullptr) {
        catalog::Document doc;
        makeCatalog(doc, groups);
        ItemIndex index;
        index.rebuild(doc);
        return names(doc, index.find(query, usage, -1));
    }

private slots:
    void readingsFromTable() {
        // Polyphonic characters keep every modern reading; ü reads v and u.
        const QStringList zhong = search::pinyin::readingsOf(U'重');
        QCOMPARE(zhong.value(0), u8("zhong"));
        QVERIFY(zhong.contains(u8("chong")));
        QVERIFY(search::pinyin::readingsOf(U'行').contains(u8("hang")));
        QCOMPARE(search::pinyin::readingsOf(U'绿'), (QStringList{u8("lv"), u8("lu")}));
        QCOMPARE(search::pinyin::readingsOf(U'𠀀').isEmpty(), false); // beyond the BMP
        QVERIFY(search::pinyin::readingsOf(U'a').isEmpty());
        QVERIFY(search::pinyin::readingsOf(0x10ffff).isEmpty());
    }

    void readingsAtTheEndsOfRuns() {
        // The table's first run is U+3400 and U+3401; U+3402 has no reading.
        QCOMPARE(search::pinyin::readingsOf(0x3401), QStringList{u8("tian")});
        QCOMPARE(search::pinyin::readingSet(0x3402), 0);
        const std::vector<std::vector<Entry>> cat = {{{"\u3401", "/\u3401"}, {"\u3402", "/\u3402"}}};
        QCOMPARE(find(cat, u8("t")), QStringList{u8("\u3401")});
        for (char letter = 'a'; letter <= 'z'; ++letter) {
            const char query[] = {letter, '\0'};
            QVERIFY2(!find(cat, u8(query)).contains(u8("\u3402")), query);
        }
        // The last code point of the last run, and the one past it: a read
        // beyond the table trips the sanitizer build.
        QCOMPARE(search::pinyin::readingsOf(0x30ede), QStringList{u8("biang")});
        QCOMPARE(search::pinyin::readingSet(0x30edf), 0);
    }

    void pinyinMatching_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("query");
        QTest::addColumn<bool>("matches");
        const auto row = [](const char* name, const char* query, bool matches) {
            QTest::addRow("%s / %s", name, query) << u8(name) << u8(query) << matches;
        };
        row("文档", "wendang", true);
        row("文档", "wend", true);
        row("文档", "wd", true);
        row("文档", "wendan", true);
        row("文档", "wdang", true);
        row("文档", "WenDang", true);
        row("文档", "文档", true);
        row("文档", "dang", true);
        row("文档", "dw", false);
        row("文档", "ang", false);
        row("文档", "wendangx", false);
        row("QQ音乐", "qqyy", true);
        row("QQ音乐", "qqyinyue", true);
        row("QQ音乐", "qqyinle", true);
        row("QQ音乐", "QQYinYue", true);
        row("QQ音乐", "qyy", true);
        row("QQ音乐", "qqyyx", false);
        row("重庆", "chongqing", true);
        row("重庆", "cq", true);
        row("重庆", "zhongqing", true);
        row("招商银行", "yinhang", true);
        row("招商银行", "zsyh", true);
        row("招商银行", "yinxing", true);
        row("绿色", "lvse", true);
        row("绿色", "luse", true);
        row("Visual Studio Code", "studio code", true);
        row("Visual Studio Code", "visualstudio", true);
        row("Visual Studio Code", "VISUAL", true);
        row("Visual Studio Code", "vsc", true);
        row("Notepad++", "pad++", true);
        row("微信 - 文件", "wxwj", true);
        row("微信-文件", "wx-wenj", true);
        row("", "a", false);
    }
    void pinyinMatching() {
        QFETCH(QString, name);
        QFETCH(QString, query);
        QFETCH(bool, matches);
        const QByteArray n = name.toUtf8();
        const QStringList found = find({{{n.constData(), "/x/y"}}}, query);
        QCOMPARE(found.size(), matches ? 1 : 0);
    }

    // What people type, and what should come first: each row is a catalog
    // (names separated by "|"), a query and the names found, best first.
    void findsWhatPeopleType_data() {
        QTest::addColumn<QString>("catalog");
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("found");
        const auto row = [](const char* label, const char* cat, const char* query, const char* found) {
            QTest::newRow(label) << u8(cat) << u8(query) << u8(found);
        };
        // Width: what an input method sends in fullwidth mode, and names
        // written in it.
        row("fullwidth name", "ＱＱ浏览器|Other", "qq", "ＱＱ浏览器");
        row("fullwidth digit", "第２版|第3版", "di2", "第２版");
        row("fullwidth digit typed plain", "第２版|第3版", "第2", "第２版");
        row("fullwidth query", "文档|Other", "ＷＤ", "文档");
        row("ideographic space", "Visual Studio|Other", "visual\u3000studio", "Visual Studio");
        // Words in any order; in order ranks higher.
        row("words reversed", "Notepad|Other", "pad note", "Notepad");
        row("words in order first", "Code Visual Thing|Visual Studio Code", "visual code",
            "Visual Studio Code|Code Visual Thing");
        row("pinyin words reversed", "音乐播放器|Other", "bofang yinyue", "音乐播放器");
        row("every word needed", "Notepad|Other", "pad word", "");
        // Marks on letters.
        row("accent in name", "Café Finder|Other", "cafe", "Café Finder");
        row("umlaut in name", "Ärger Manager|Other", "arger", "Ärger Manager");
        row("greek", "Αθήνα Maps|Other", "αθηνα", "Αθήνα Maps");
        row("cyrillic", "Ёлка|Other", "елка", "Ёлка");
        row("literal accent first", "Cafe Bar|Café Finder", "café", "Café Finder|Cafe Bar");
        row("literal plain first", "Café Finder|Cafe Bar", "cafe", "Cafe Bar|Café Finder");
        row("sharp s", "Straße Atlas|Other", "strasse", "Straße Atlas");
        // ü typed for the pinyin's v or u.
        row("lü", "绿色软件|Other", "lü", "绿色软件");
        row("nü", "女儿|Other", "nü", "女儿");
        row("lüse", "绿色软件|Other", "lüse", "绿色软件");
        // Initials of Latin names, below prefix and word-start matches.
        row("initials", "Visual Studio Code|Other", "vsc", "Visual Studio Code");
        row("initials and a word", "Visual Studio Code|Other", "vscode", "Visual Studio Code");
        row("camel initials", "PhotoShop CS6|Other", "ps", "PhotoShop CS6");
        row("initials rank below prefix and word start", "PhotoShop CS6|Maps|Psst|My Psalms", "ps",
            "Psst|My Psalms|PhotoShop CS6|Maps");
        // Punctuation at the ends of the query.
        row("leading punctuation", "Writer (LibreOffice)|Other", "(libre", "Writer (LibreOffice)");
        row("punctuation typed as it stands", "C++ IDE|Calc", "c++", "C++ IDE");
        row("only punctuation", "C++ IDE|Calc", "++", "C++ IDE");
        // Polyphones: every reading matches, the common one ranks higher.
        row("rare reading below", "重要文件|Calculator", "c", "Calculator|重要文件");
        row("word reading as common as customary", "重庆|冲青", "chongqing", "重庆|冲青");
        row("customary reading first", "重庆|钟情", "zhongqing", "钟情|重庆");
        row("word reading over customary", "银行|隐形", "yinxing", "隐形|银行");
    }
    void findsWhatPeopleType() {
        QFETCH(QString, catalog);
        QFETCH(QString, query);
        QFETCH(QString, found);
        std::vector<QByteArray> bytes;
        for (const QString& name : catalog.split(QLatin1Char('|')))
            bytes.push_back(name.toUtf8());
        std::vector<Entry> entries;
        for (const QByteArray& b : bytes)
            entries.push_back(Entry{b.constData(), "/x"});
        QCOMPARE(find({entries}, query).join(QLatin1Char('|')), found);
    }

    // A long query is matched whole: nothing beyond some length is dropped
    // unseen, and a query longer than any field holds finds nothing.
    void longQueriesMatchWhole() {
        const QByteArray name = (QString(64, QLatin1Char('a')) + u8("zzz")).toUtf8();
        const std::vector<std::vector<Entry>> cat = {{{name.constData(), "/a"}}};
        QCOMPARE(find(cat, QString(64, QLatin1Char('a'))).size(), 1);
        QVERIFY(find(cat, QString(64, QLatin1Char('a')) + u8("b")).isEmpty());
        QCOMPARE(find(cat, QString(64, QLatin1Char('a')) + u8("zzz")).size(), 1);
        QVERIFY(find(cat, QString(ItemIndex::kMaxQueryLength + 1, QLatin1Char('a'))).isEmpty());
    }

    // The index's filters and shortcuts never lose a match the plain rule
    // finds, nor invent one, on random names mixing every kind of character.
    void agreesWithThePlainRule() {
        const QStringList pieces = {u8("重"), u8("行"), u8("文"), u8("档"), u8("乐"), u8("绿"),
                                    u8("𠀀"), u8("a"),  u8("B"),  u8("n"),  u8("g"),  u8("7"),
                                    u8(" "),  u8("-"),  u8("+"),  u8("é"),  u8("Ｇ"), u8("(")};
        std::mt19937 rng(3);
        const auto randomText = [&](int most) {
            QString t;
            for (int i = int(rng() % unsigned(most)) + 1; i > 0; --i)
                t += pieces[int(rng() % unsigned(pieces.size()))];
            return t;
        };
        std::vector<QByteArray> names, files;
        for (int i = 0; i < 300; ++i) {
            names.push_back(randomText(7).toUtf8());
            files.push_back((u8("/d/") + randomText(5)).toUtf8());
        }
        std::vector<Entry> entries;
        for (int i = 0; i < 300; ++i)
            entries.push_back(Entry{names[size_t(i)].constData(), files[size_t(i)].constData()});
        catalog::Document doc;
        makeCatalog(doc, {entries});
        ItemIndex index;
        index.rebuild(doc);

        const QStringList letters = {u8("zh"), u8("ch"), u8("o"), u8("ng"), u8("h"),  u8("x"),  u8("i"),
                                     u8("w"),  u8("e"),  u8("d"), u8("a"),  u8("l"),  u8("v"),  u8("u"),
                                     u8("y"),  u8("b"),  u8("+"), u8("-"),  u8("7"),  u8(" "),  u8("文"),
                                     u8("é"),  u8("𠀀"), u8("ü"), u8("("),  u8("Ｎ"), u8("bg"), u8("ab")};
        int matched = 0;
        for (int n = 0; n < 400; ++n) {
            QString query;
            for (int i = int(rng() % 4) + 1; i > 0; --i)
                query += letters[int(rng() % unsigned(letters.size()))];
            std::vector<bool> found(300, false);
            const std::vector<ItemRef> refs = index.find(query, nullptr, -1);
            for (const ItemRef& r : refs)
                found[size_t(r.item)] = true;
            // Before the index is built, the catalog is searched straight
            // through: the same Items in the same order.
            std::vector<ItemRef> scanned;
            for (const search::Match& m : ItemIndex::scan(doc, query, nullptr, -1))
                scanned.push_back(m.ref);
            QVERIFY2(scanned == refs, qPrintable(query));
            for (int i = 0; i < 300; ++i) {
                const bool expected = plainMatch(QString::fromUtf8(names[size_t(i)]), query) ||
                                      plainMatch(QString::fromUtf8(files[size_t(i)]).mid(3), query, false);
                if (found[size_t(i)] != expected)
                    QFAIL(qPrintable(QStringLiteral("\"%1\" on \"%2\" / \"%3\": index %4, plain rule %5")
                                         .arg(query, QString::fromUtf8(names[size_t(i)]),
                                              QString::fromUtf8(files[size_t(i)]))
                                         .arg(found[size_t(i)])
                                         .arg(expected)));
                matched += expected;
            }
        }
        QVERIFY(matched > 1000); // the queries did reach names
    }

    // Texts nobody would type still index and match without reading out of
    // bounds: a character pair cut at the length kept, invalid UTF-8, a long
    // query, a long run of characters with several readings.
    void oddTexts() {
        const QByteArray cut =
            (QString(511, QLatin1Char('a')) + u8("𠀀") + QString(88, QLatin1Char('a'))).toUtf8();
        const QByteArray invalid("\xe9\x87\x8d\xff\xfe\xe5\xba\x86"); // 重, two stray bytes, 庆
        const QByteArray hans = QString(400, QChar(0x91cd)).toUtf8(); // 重 x 400
        const std::vector<std::vector<Entry>> cat = {
            {{cut.constData(), "/a"}, {invalid.constData(), "/b"}, {hans.constData(), "/c"}}};
        QCOMPARE(find(cat, QString(100, QLatin1Char('a'))), QStringList{QString::fromUtf8(cut)});
        QCOMPARE(find(cat, u8("cq")), QStringList{QString::fromUtf8(invalid)});
        QCOMPARE(find(cat, QString(30, QLatin1Char('c')) + u8("zhong")),
                 QStringList{QString::fromUtf8(hans)});
    }

    void pathFileNameMatches() {
        const std::vector<std::vector<Entry>> cat = {
            {{"编辑器", "C:\\Tools\\Notepad++\\notepad++.exe"}, {"站点", "https://www.bilibili.com/"}}};
        QCOMPARE(find(cat, u8("notepad")), QStringList{u8("编辑器")});
        QCOMPARE(find(cat, u8("bilibili")), QStringList{u8("站点")});
        // Folders above the file do not count.
        QVERIFY(find(cat, u8("tools")).isEmpty());
    }

    void rankingOrder() {
        // Catalog order is the reverse of the expected ranking, across Groups.
        const std::vector<std::vector<Entry>> cat = {
            {{"Editor", "/usr/bin/note"}, {"Keynote", "/a"}},
            {{"My Notebook", "/b"}, {"Notepad", "/c"}, {"note", "/d"}}};
        QCOMPARE(find(cat, u8("note")),
                 (QStringList{u8("note"), u8("Notepad"), u8("My Notebook"), u8("Keynote"), u8("Editor")}));
        // A camelCase hump is a word start.
        QCOMPARE(find({{{"Keynote", "/a"}, {"OneNote", "/b"}}}, u8("note")),
                 (QStringList{u8("OneNote"), u8("Keynote")}));
        const std::vector<std::vector<Entry>> zh = {{{"我的文档", "/a"}, {"文档管理", "/b"}, {"文档", "/c"}}};
        // "wd" would also be the start of 我的文档 (wo de).
        QCOMPARE(find(zh, u8("wendang")), (QStringList{u8("文档"), u8("文档管理"), u8("我的文档")}));
        QCOMPARE(find(zh, u8("wd")).first(), u8("文档"));

        catalog::Document doc;
        makeCatalog(doc, zh);
        ItemIndex index;
        index.rebuild(doc);
        const auto m = index.findMatches(u8("wendang"), nullptr, 2);
        QCOMPARE(int(m.size()), 2);
        QCOMPARE(m[0].kind, MatchKind::Exact);
        QCOMPARE(m[1].kind, MatchKind::Prefix);
    }

    void usageBreaksTies() {
        catalog::Document doc;
        makeCatalog(doc, {{{"Firefox A", "/a"}, {"Firefox B", "/b"}, {"Firefox C", "/c"}}});
        ItemIndex index;
        index.rebuild(doc);
        const catalog::Value& items = doc["type"][0]["group"][0]["item"];
        UsageStore usage;
        QCOMPARE(names(doc, index.find(u8("fire"), &usage, -1)),
                 (QStringList{u8("Firefox A"), u8("Firefox B"), u8("Firefox C")}));

        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        const qint64 hour = 3600 * 1000;
        usage.recordLaunch(items[2], now - 3 * hour);
        usage.recordLaunch(items[2], now - 2 * hour);
        usage.recordLaunch(items[1], now - hour);
        // More launches first; the same count goes to the more recent.
        QCOMPARE(names(doc, index.find(u8("fire"), &usage, -1)),
                 (QStringList{u8("Firefox C"), u8("Firefox B"), u8("Firefox A")}));
        usage.recordLaunch(items[1], now - 4 * hour);
        QCOMPARE(names(doc, index.find(u8("fire"), &usage, 2)),
                 (QStringList{u8("Firefox C"), u8("Firefox B")}));
        usage.recordLaunch(items[1], now);
        QCOMPARE(names(doc, index.find(u8("fire"), &usage, 1)), QStringList{u8("Firefox B")});
        // Launches long ago weigh less than a few this week.
        for (int i = 0; i < 5; ++i)
            usage.recordLaunch(items[0], now - 200LL * 24 * hour);
        QCOMPARE(names(doc, index.find(u8("fire"), &usage, -1)).last(), u8("Firefox A"));
        // Usage never lifts an Item over a better kind of match.
        QCOMPARE(names(doc, index.find(u8("firefox b"), &usage, 1)), QStringList{u8("Firefox B")});
        usage.recordLaunch(items[0], now);
        usage.recordLaunch(items[0], now);
        usage.recordLaunch(items[0], now);
        QCOMPARE(names(doc, index.find(u8("firefox c"), &usage, -1)), QStringList{u8("Firefox C")});
    }

    void usageFollowsTheItem() {
        QTemporaryDir dir;
        const QString file = dir.filePath(u8("Usage"));
        catalog::Document doc;
        makeCatalog(doc, {{{"Editor", "C:\\Apps\\edit.exe"}, {"Other", "/o"}}, {}});
        auto& a = doc.GetAllocator();
        UsageStore usage;
        usage.recordLaunch(doc["type"][0]["group"][0]["item"][0], 1000);
        usage.recordLaunch(doc["type"][0]["group"][0]["item"][0], 2000);
        QVERIFY(usage.isDirty());
        QVERIFY(usage.save(file));
        QVERIFY(!usage.isDirty());

        // Rename the Item, move it to the second Group, write its path with
        // the other separator: its launches stay.
        catalog::Value moved;
        moved.CopyFrom(doc["type"][0]["group"][0]["item"][0], a);
        moved["name"].SetString("Renamed", a);
        moved["path"].SetString("C:/Apps/edit.exe", a);
        doc["type"][0]["group"][1]["item"].PushBack(moved, a);
        jsonEraseAt(doc["type"][0]["group"][0]["item"], 0);

        UsageStore loaded;
        QVERIFY(loaded.load(file));
        const catalog::Value& item = doc["type"][0]["group"][1]["item"][0];
        QCOMPARE(loaded.entryOf(item).count, 2);
        QCOMPARE(loaded.entryOf(item).lastLaunch, qint64(2000));
        // Another parameter is another target.
        catalog::Value other;
        other.CopyFrom(item, a);
        other["param"].SetString("--new", a);
        QCOMPARE(loaded.entryOf(other).count, 0);
        QCOMPARE(loaded.entryOf(doc["type"][0]["group"][0]["item"][0]).count, 0);

        ItemIndex index;
        index.rebuild(doc);
        QCOMPARE(names(doc, index.find(u8("e"), &loaded, -1)).first(), u8("Renamed"));
    }

    void recencySurvivesARestart() {
        // Real launch times: they no longer fit in 32 bits.
        QTemporaryDir dir;
        const QString file = dir.filePath(u8("Usage"));
        catalog::Document doc;
        makeCatalog(doc, {{{"Editor old", "/old"}, {"Editor new", "/new"}}});
        const catalog::Value& items = doc["type"][0]["group"][0]["item"];
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        const qint64 day = 24LL * 3600 * 1000;
        UsageStore usage;
        for (int i = 0; i < 10; ++i)
            usage.recordLaunch(items[0], now - 60 * day);
        for (int i = 0; i < 5; ++i)
            usage.recordLaunch(items[1], now - 1000);
        QVERIFY(usage.save(file));

        UsageStore loaded;
        QVERIFY(loaded.load(file));
        ItemIndex index;
        index.rebuild(doc);
        QCOMPARE(names(doc, index.find(u8("editor"), &loaded, -1)),
                 (QStringList{u8("Editor new"), u8("Editor old")}));
    }

    void brokenUsageFileIsIgnored_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("garbage") << QByteArray("\x00\xff{[", 4);
        QTest::newRow("truncated") << QByteArray("{\"items\":[{\"kind\":0,");
        QTest::newRow("wrong shape") << QByteArray("[1,2,3]");
        QTest::newRow("wrong members") << QByteArray("{\"items\":[{\"kind\":\"x\",\"count\":1e999},7]}");
        QTest::newRow("empty") << QByteArray();
    }
    void brokenUsageFileIsIgnored() {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        const QString file = dir.filePath(u8("Usage"));
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        UsageStore usage;
        QVERIFY(!usage.load(file));
        QVERIFY(usage.isEmpty());
        if (!content.isEmpty()) {
            QFile copy(file + u8(".bak"));
            QVERIFY(copy.open(QIODevice::ReadOnly));
            QCOMPARE(copy.readAll(), content);
        }
        // The next save replaces it with a sound file.
        catalog::Document doc;
        makeCatalog(doc, {{{"A", "/a"}}});
        usage.recordLaunch(doc["type"][0]["group"][0]["item"][0]);
        QVERIFY(usage.save(file));
        UsageStore again;
        QVERIFY(again.load(file));
        QCOMPARE(again.size(), 1);
    }

    void usageFileThatIsNotAFile() {
        QTemporaryDir dir;
        UsageStore usage;
        QVERIFY(!usage.load(dir.path()));
        QVERIFY(!usage.load(dir.filePath(u8("missing"))));
#ifdef Q_OS_UNIX
        // A FIFO with no writer would block a plain open for ever.
        const QString fifo = dir.filePath(u8("Usage"));
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QVERIFY(!usage.load(fifo));
#endif
        QVERIFY(usage.isEmpty());
    }

    void rebuildFollowsEdits() {
        catalog::Document doc;
        makeCatalog(doc, {{{"文档", "/a/x.txt"}, {"文档", "/b/y.txt"}, {"Other", "/c"}}});
        ItemIndex index;
        index.rebuild(doc);
        QCOMPARE(index.size(), 3);
        QCOMPARE(int(index.find(u8("wd"), nullptr, -1).size()), 2);
        // Rename one of two equal names; the other keeps its readings.
        doc["type"][0]["group"][0]["item"][1]["name"].SetString(u8("音乐").toUtf8().constData(),
                                                                doc.GetAllocator());
        index.rebuild(doc);
        QCOMPARE(names(doc, index.find(u8("wd"), nullptr, -1)), QStringList{u8("文档")});
        QCOMPARE(names(doc, index.find(u8("yy"), nullptr, -1)), QStringList{u8("音乐")});
        QCOMPARE(names(doc, index.find(u8("y.txt"), nullptr, -1)), QStringList{u8("音乐")});

        // Shapes the index cannot walk give no Items, and never crash.
        catalog::Document odd;
        catalog::parse(odd, "{\"type\":[1,{\"group\":{}},{\"group\":[{\"item\":[null,{\"name\":5}]}]}]}");
        index.rebuild(odd);
        QCOMPARE(index.size(), 1);
        QVERIFY(index.find(u8("a"), nullptr, -1).empty());
        index.rebuild(catalog::Value());
        QCOMPARE(index.size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestSearch)
#include "test_search.moc"
