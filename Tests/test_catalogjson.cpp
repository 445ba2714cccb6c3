#include "catalog/catalogjson.h"

#include <QtTest>

using catalog::Document;
using catalog::Value;

namespace {

QByteArray roundTrip(const QByteArray& text) {
    Document doc;
    if (!catalog::parse(doc, text.constData()))
        return QByteArray("<parse error>");
    return catalog::serialize(doc);
}

QByteArray names(const Value& array) {
    QByteArray out;
    for (const Value& v : array.GetArray())
        out += v.GetString();
    return out;
}

} // namespace

class TestCatalogJson : public QObject {
    Q_OBJECT

private slots:
    void templatesAreExact() {
        Document doc;
        auto& a = doc.GetAllocator();
        QCOMPARE(catalog::serialize(catalog::defaultType(a)),
                 QByteArray(R"({"name":"默认分类","group":[{"name":"默认分组","item":[]}]})"));
        QCOMPARE(catalog::serialize(catalog::newGroup(a)), QByteArray(R"({"name":"新分组","item":[]})"));
        QCOMPARE(catalog::serialize(catalog::newItem(a)),
                 QByteArray(R"({"name":"","type":0,"param":"","path":"","customIcon":""})"));
    }

    void escapeTableIsTheLibrarys() {
        // Every byte below 0x20, the quote, the backslash, the slash, DEL and
        // a Chinese character, in one name.
        QByteArray raw;
        for (char c = 0; c < 0x20; ++c)
            raw += c;
        raw += "\"\\/\x7f中";
        Document doc;
        doc.SetObject();
        doc.AddMember("name", Value(raw.constData(), raw.size(), doc.GetAllocator()), doc.GetAllocator());
        const QByteArray expected = "{\"name\":\""
                                    "\\u0000\\u0001\\u0002\\u0003\\u0004\\u0005\\u0006\\u0007"
                                    "\\b\\t\\n\\u000B\\f\\r\\u000E\\u000F"
                                    "\\u0010\\u0011\\u0012\\u0013\\u0014\\u0015\\u0016\\u0017"
                                    "\\u0018\\u0019\\u001A\\u001B\\u001C\\u001D\\u001E\\u001F"
                                    "\\\"\\\\/\x7f中\"}";
        const QByteArray written = catalog::serialize(doc);
        QCOMPARE(written, expected);

        Document back;
        QVERIFY(catalog::parse(back, written.constData()));
        QCOMPARE(QByteArray(back["name"].GetString(), back["name"].GetStringLength()), raw);
    }

    void prettyChineseComesBackCompact() {
        const QByteArray pretty =
            "{\n  \"type\" : [\n    {\n      \"name\" : \"常用工具\",\r\n\t\"group\" : [ ]\n    }\n  ]\n}\n";
        QCOMPARE(roundTrip(pretty), QByteArray(R"({"type":[{"name":"常用工具","group":[]}]})"));
    }

    void unknownMembersStayInPlace() {
        const QByteArray text =
            R"({"version":3,"type":[{"color":"red","name":"T","group":[{"name":"G","sort":null,)"
            R"("item":[{"pinned":true,"name":"I","type":1,"param":"-x","path":"/p","customIcon":"",)"
            R"("hits":[1,2.5,-7,{"a":{}}]}]}]}],"z":false})";
        QCOMPARE(roundTrip(text), text);
    }

    void numbersAreWrittenAsTheyAre() {
        QCOMPARE(roundTrip("[0,1,2,-1,2147483647,4294967295,-9223372036854775808,18446744073709551615]"),
                 QByteArray("[0,1,2,-1,2147483647,4294967295,-9223372036854775808,18446744073709551615]"));
        // Fractions stay fractions; kind codes the program makes are integers.
        QCOMPARE(roundTrip("[1.5,0.0,1e10]"), QByteArray("[1.5,0.0,10000000000.0]"));
        // Numbers come back exactly, save after save, and zeros with huge
        // exponents stay zeros (both found by fuzzing).
        const QByteArray once =
            roundTrip("[99999999999999999999999991.5,0.30000000000000004,1.7976931348623157e308]");
        // The same doubles, in the writer's own digits.
        QCOMPARE(once, QByteArray("[1e26,0.30000000000000007,1.7976931348623157e308]"));
        catalog::Document a, b;
        QVERIFY(catalog::parse(a, "[0.30000000000000004]") && catalog::parse(b, "[0.30000000000000007]"));
        QCOMPARE(a[0].GetDouble(), b[0].GetDouble());
        QCOMPARE(roundTrip(once), once);
        QCOMPARE(roundTrip("[0e93,-0e-400,1e-400,18446744073709551616]"),
                 QByteArray("[0.0,-0.0,0.0,18446744073709553000.0]"));
        QCOMPARE(roundTrip("[1e400]"), QByteArray("<parse error>"));
        // Integers beyond 32 bits, either sign, and doubles at the ends of
        // their range.
        const QByteArray wide = "[5000000000,4294967296,-5000000000,-2147483649,2147483648,"
                                "9223372036854775807,9223372036854775808,0.1,5e-324,-0.0,1e300]";
        QCOMPARE(roundTrip(wide), wide);
        Document doc;
        Value item = catalog::newItem(doc.GetAllocator());
        QVERIFY(item["type"].IsInt());
    }

    void strictGrammar_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("empty") << QByteArray("");
        QTest::newRow("blank") << QByteArray(" \r\n\t");
        QTest::newRow("trailing comma") << QByteArray(R"({"type":[1,]})");
        QTest::newRow("comment") << QByteArray("{} // x");
        QTest::newRow("garbage after root") << QByteArray("{}x");
        QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBF{}");
        QTest::newRow("NaN") << QByteArray("[NaN]");
        QTest::newRow("unterminated") << QByteArray(R"({"type":[)");
    }
    void strictGrammar() {
        QFETCH(QByteArray, text);
        Document doc;
        QVERIFY(!catalog::parse(doc, text.constData()));
        QVERIFY(doc.IsNull());
    }

    void textEndsAtFirstNul() {
        // The file text ends at its first NUL byte; a name holding one
        // displays up to it but is stored whole.
        Document doc;
        QVERIFY(catalog::parse(doc, "{\"type\":[]}\0junk"));
        QVERIFY(catalog::parse(doc, R"({"name":"ab\u0000cd"})"));
        QCOMPARE(catalog::text(doc["name"]), QStringLiteral("ab"));
        QCOMPARE(doc["name"].GetStringLength(), 5u);
        QCOMPARE(catalog::serialize(doc), QByteArray(R"({"name":"ab\u0000cd"})"));
    }

    void textConversionCopies() {
        Document doc;
        doc.SetObject();
        {
            const QString name = QStringLiteral("名字 \"x\"");
            doc.AddMember("name", catalog::string(name, doc.GetAllocator()), doc.GetAllocator());
        }
        QCOMPARE(catalog::memberText(doc, "name"), QStringLiteral("名字 \"x\""));
        QCOMPARE(catalog::memberText(doc, "missing"), QString());
        doc.AddMember("number", 5, doc.GetAllocator());
        QCOMPARE(catalog::memberText(doc, "number"), QString());
    }

    void deepNestingNeitherParseNorSaveOverflows() {
        const int depth = 100000;
        const QByteArray arrays = QByteArray(depth, '[') + QByteArray(depth, ']');
        QCOMPARE(roundTrip(arrays), arrays);
        QByteArray objects;
        for (int i = 0; i < depth; ++i)
            objects += "{\"a\":";
        objects += "1" + QByteArray(depth, '}');
        QCOMPARE(roundTrip(objects), objects);
    }

    void eraseAt() {
        Document doc;
        QVERIFY(catalog::parse(doc, R"({"a":["0","1","2"],"s":"x"})"));
        jsonEraseAt(doc["a"], 1);
        QCOMPARE(names(doc["a"]), QByteArray("02"));
        jsonEraseAt(doc["a"], -1);
        jsonEraseAt(doc["a"], 2);
        QCOMPARE(names(doc["a"]), QByteArray("02"));
        jsonEraseAt(doc["a"], 1);
        jsonEraseAt(doc["a"], 0);
        QCOMPARE(doc["a"].Size(), 0u);
        jsonEraseAt(doc["a"], 0);
        jsonEraseAt(doc["s"], 0);
        QCOMPARE(catalog::serialize(doc), QByteArray(R"({"a":[],"s":"x"})"));
    }

    void navigationRefusesRowsOutside() {
        Document doc;
        QVERIFY(catalog::parse(doc, R"({"type":[{"name":"A","group":[{"name":"G","item":[{"name":"I"}]}]},)"
                                    R"({"name":"NoGroups"}]})"));
        QVERIFY(catalog::typeAt(doc, 0));
        QVERIFY(!catalog::typeAt(doc, -1));
        QVERIFY(!catalog::typeAt(doc, 2));
        QVERIFY(!catalog::groupsOf(doc, 1));
        QVERIFY(!catalog::groupAt(doc, 0, 1));
        QVERIFY(!catalog::itemsOf(doc, 0, -1));
        QCOMPARE(catalog::memberText(*catalog::itemAt(doc, 0, 0, 0), "name"), QStringLiteral("I"));
        QVERIFY(!catalog::itemAt(doc, 0, 0, 1));
        QVERIFY(!catalog::itemAt(doc, -1, 0, 0));
        Document empty;
        QVERIFY(!catalog::types(empty));
        QVERIFY(!catalog::itemAt(empty, 0, 0, 0));
    }
};

QTEST_MAIN(TestCatalogJson)
#include "test_catalogjson.moc"
