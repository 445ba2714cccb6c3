// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/catalogedit.h"

#include "support/jsontext.h"

#include <QtTest>

namespace {

// The "name"s of an array's objects, joined: "1234".
QString order(const catalog::Value& array) {
    QString out;
    for (const catalog::Value& v : array.GetArray())
        out += catalog::memberText(v, "name");
    return out;
}

} // namespace

class TestCatalogEdit : public QObject {
    Q_OBJECT

    catalog::Document doc;
    catalog::Value& four() {
        catalog::parse(
            doc, json("{'a':[{'name':'1','x':[1]},{'name':'2'},{'name':'3'},{'name':'4','y':{'z':null}}],"
                      "'b':[{'name':'5'}]}"));
        return doc["a"];
    }

private slots:
    void moveWithin_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QString>("result");
        QTest::newRow("first to third") << 0 << 2 << "2314";
        QTest::newRow("fourth to second") << 3 << 1 << "1423";
        QTest::newRow("first to last") << 0 << 3 << "2341";
        QTest::newRow("last to first") << 3 << 0 << "4123";
        QTest::newRow("neighbours") << 1 << 2 << "1324";
        QTest::newRow("same row") << 2 << 2 << "1234";
        QTest::newRow("from outside") << 4 << 0 << "1234";
        QTest::newRow("to outside") << 0 << -1 << "1234";
    }
    void moveWithin() {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QString, result);
        catalog::Value& array = four();
        QCOMPARE(catalog::moveWithin(array, from, to, doc.GetAllocator()), result != QStringLiteral("1234"));
        QCOMPARE(order(array), result);
        QCOMPARE(array.Size(), 4u);
    }

    void unknownMembersTravelAlong() {
        catalog::Value& array = four();
        QVERIFY(catalog::moveWithin(array, 3, 0, doc.GetAllocator()));
        QVERIFY(catalog::moveWithin(array, 1, 3, doc.GetAllocator()));
        QCOMPARE(catalog::serialize(doc), json("{'a':[{'name':'4','y':{'z':null}},{'name':'2'},{'name':'3'},"
                                               "{'name':'1','x':[1]}],'b':[{'name':'5'}]}"));
    }

    void moveToEndOfAnother() {
        catalog::Value& array = four();
        QVERIFY(catalog::moveToEnd(array, 0, doc["b"], doc.GetAllocator()));
        QCOMPARE(order(doc["a"]), QStringLiteral("234"));
        QCOMPARE(catalog::serialize(doc["b"]), json("[{'name':'5'},{'name':'1','x':[1]}]"));
    }

    void moveToEndOfItsOwn() {
        catalog::Value& array = four();
        // Every element in turn: each must arrive whole, never as a copy of a
        // place the array has since reused.
        for (int round = 0; round < 4; ++round)
            QVERIFY(catalog::moveToEnd(array, 0, array, doc.GetAllocator()));
        QCOMPARE(order(array), QStringLiteral("1234"));
        QVERIFY(catalog::moveToEnd(array, 1, array, doc.GetAllocator()));
        QCOMPARE(order(array), QStringLiteral("1342"));
        QCOMPARE(catalog::serialize(array[0]), json("{'name':'1','x':[1]}"));
        QVERIFY(!catalog::moveToEnd(array, 4, array, doc.GetAllocator()));
        QVERIFY(!catalog::moveToEnd(array, -1, doc["b"], doc.GetAllocator()));
        QCOMPARE(order(array), QStringLiteral("1342"));
    }

    void arrayInsert() {
        catalog::Value& array = four();
        auto& a = doc.GetAllocator();
        catalog::Value v(rapidjson::kObjectType);
        v.AddMember("name", "v", a);
        jsonArrayInsert(array, 1, true, v, a);
        QCOMPARE(order(array), QStringLiteral("12v34"));
        catalog::Value w(rapidjson::kObjectType);
        w.AddMember("name", "w", a);
        jsonArrayInsert(array, 0, false, w, a);
        QCOMPARE(order(array), QStringLiteral("w12v34"));
        catalog::Value past(rapidjson::kObjectType);
        past.AddMember("name", "p", a);
        jsonArrayInsert(array, 99, false, past, a);
        QCOMPARE(order(array), QStringLiteral("w12v34p"));
        catalog::Value empty(rapidjson::kArrayType);
        catalog::Value only(rapidjson::kObjectType);
        only.AddMember("name", "o", a);
        jsonArrayInsert(empty, 0, true, only, a);
        QCOMPARE(order(empty), QStringLiteral("o"));
    }

    void deeplyNestedEntriesMoveWithoutCopying() {
        const int depth = 100000;
        QByteArray text = "[{\"name\":\"deep\",\"n\":" + QByteArray(depth, '[') + QByteArray(depth, ']') +
                          "},{\"name\":\"b\"}]";
        catalog::Document deep;
        QVERIFY(catalog::parse(deep, text.constData()));
        QVERIFY(catalog::moveWithin(deep, 0, 1, deep.GetAllocator()));
        QVERIFY(catalog::moveToEnd(deep, 0, deep, deep.GetAllocator()));
        QCOMPARE(catalog::serialize(deep), text);
    }

    void namesAndDroppedItems() {
        auto& a = doc.GetAllocator();
        catalog::Value& array = four();
        catalog::setName(array[0], QStringLiteral("  空白 保留  "), a);
        QCOMPARE(catalog::memberText(array[0], "name"), QStringLiteral("  空白 保留  "));
        QCOMPARE(
            catalog::serialize(catalog::droppedItem(QStringLiteral("report"), 0,
                                                    QStringLiteral("/tmp/report.final.docx"), a)),
            json("{'name':'report','type':0,'param':'','path':'/tmp/report.final.docx','customIcon':''}"));
    }
};

QTEST_GUILESS_MAIN(TestCatalogEdit)
#include "test_catalogedit.moc"
