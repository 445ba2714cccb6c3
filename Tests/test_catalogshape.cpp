// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/catalogshape.h"

#include <QtTest>

class TestCatalogShape : public QObject {
    Q_OBJECT

private slots:
    void repairs_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<bool>("repaired");

        auto row = [](const char* name, const char* in, const char* out, bool repaired) {
            QTest::newRow(name) << QByteArray(in) << QByteArray(out) << repaired;
        };
        const char* sound =
            R"({"x":1,"type":[{"name":"T","group":[{"name":"G","item":[)"
            R"({"name":"I","type":7,"param":"","path":"/p","customIcon":5}]}]},{"name":"NoGroups"}]})";
        row("sound, with a Type without group and odd kinds kept", sound, sound, false);
        row("no type member", R"({"other":[]})", R"({"other":[]})", false);
        row("root is an array", R"([1,2])", R"({})", true);
        row("root is a string", R"("text")", R"({})", true);
        row("root is null", R"(null)", R"({})", true);
        row("type is not an array", R"({"a":1,"type":{"name":"T"},"b":2})", R"({"a":1,"b":2})", true);
        row("type element not an object", R"({"type":[3,{"name":"T"},"x"]})", R"({"type":[{"name":"T"}]})",
            true);
        row("type name missing", R"({"type":[{"group":[]}]})", R"({"type":[{"group":[],"name":""}]})", true);
        row("type name a number", R"({"type":[{"name":12}]})", R"({"type":[{"name":""}]})", true);
        row("group not an array", R"({"type":[{"name":"T","group":"g"}]})",
            R"({"type":[{"name":"T","group":[]}]})", true);
        row("group element not an object", R"({"type":[{"name":"T","group":[[],{"name":"G","item":[]}]}]})",
            R"({"type":[{"name":"T","group":[{"name":"G","item":[]}]}]})", true);
        row("group without item", R"({"type":[{"name":"T","group":[{"name":"G"}]}]})",
            R"({"type":[{"name":"T","group":[{"name":"G","item":[]}]}]})", true);
        row("item not an object", R"({"type":[{"name":"T","group":[{"name":"G","item":[null]}]}]})",
            R"({"type":[{"name":"T","group":[{"name":"G","item":[]}]}]})", true);
        row("item missing everything", R"({"type":[{"name":"T","group":[{"name":"G","item":[{}]}]}]})",
            R"({"type":[{"name":"T","group":[{"name":"G","item":[{"name":"","type":0,"path":"","param":""}]}]}]})",
            true);
    }
    void repairs() {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, expected);
        QFETCH(bool, repaired);
        catalog::Document doc;
        QVERIFY(catalog::parse(doc, input.constData()));
        QCOMPARE(catalog::repairShape(doc) > 0, repaired);
        QCOMPARE(catalog::serialize(doc), expected);
    }

    void kindCodes_data() {
        QTest::addColumn<QByteArray>("kind");
        QTest::addColumn<int>("expected");
        QTest::addColumn<bool>("repaired");
        QTest::newRow("0") << QByteArray("0") << 0 << false;
        QTest::newRow("2") << QByteArray("2") << 2 << false;
        QTest::newRow("-1 (no kind chosen)") << QByteArray("-1") << -1 << false;
        QTest::newRow("0.0") << QByteArray("0.0") << 0 << true;
        QTest::newRow("2.0") << QByteArray("2.0") << 2 << true;
        QTest::newRow("1.5") << QByteArray("1.5") << 0 << true;
        QTest::newRow("1e10") << QByteArray("1e10") << 0 << true;
        QTest::newRow("3000000000") << QByteArray("3000000000") << 0 << true;
        QTest::newRow("text") << QByteArray("\"2\"") << 0 << true;
        QTest::newRow("true") << QByteArray("true") << 0 << true;
    }
    void kindCodes() {
        QFETCH(QByteArray, kind);
        QFETCH(int, expected);
        QFETCH(bool, repaired);
        const QByteArray text = R"({"type":[{"name":"T","group":[{"name":"G","item":[{"name":"I","type":)" +
                                kind + R"(,"param":"","path":""}]}]}]})";
        catalog::Document doc;
        QVERIFY(catalog::parse(doc, text.constData()));
        QCOMPARE(catalog::repairShape(doc) > 0, repaired);
        const catalog::Value& item = *catalog::itemAt(doc, 0, 0, 0);
        QVERIFY(item["type"].IsInt());
        QCOMPARE(item["type"].GetInt(), expected);
        // The kind stays in its place among the members.
        QCOMPARE((item.MemberBegin() + 1)->name.GetString(), "type");
    }
};

QTEST_GUILESS_MAIN(TestCatalogShape)
#include "test_catalogshape.moc"
