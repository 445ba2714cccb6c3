// SPDX-License-Identifier: GPL-3.0-or-later
// The languages: English leaves no Chinese text in the menus and dialogs,
// Chinese shows the texts as written, and the English translation covers
// every text in the sources.
#include "app/language.h"
#include "app/translations.h"
#include "dialogs/formattribute.h"
#include "dialogs/formmove.h"
#include "dialogs/formsettings.h"
#include "mainform/mainform.h"

#include "support/datafolder.h"
#include "support/mainformfixture.h"
#include "support/modalanswerer.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTextBrowser>
#include <QXmlStreamReader>
#include <QtTest>

namespace {

bool hasChinese(const QString& text) {
    static const QRegularExpression cjk(
        QStringLiteral("[\\x{2E80}-\\x{9FFF}\\x{F900}-\\x{FAFF}\\x{FE30}-\\x{FE4F}\\x{FF00}-\\x{FFEF}]"));
    return text.contains(cjk);
}

// Every text a window shows or can show, each with where it is, leaving out
// what the user typed (line edits, the entries of the lists).
QStringList shownTexts(QWidget* window) {
    QStringList out;
    auto add = [&out](const QObject* where, const QString& text) {
        if (!text.isEmpty())
            out << where->objectName() + QLatin1String(": ") + text;
    };
    add(window, window->windowTitle());
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    widgets.prepend(window);
    for (QWidget* widget : widgets) {
        add(widget, widget->toolTip());
        if (auto* label = qobject_cast<QLabel*>(widget))
            add(label, label->text());
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            add(button, button->text());
        if (auto* box = qobject_cast<QGroupBox*>(widget))
            add(box, box->title());
        if (auto* tabs = qobject_cast<QTabWidget*>(widget))
            for (int i = 0; i < tabs->count(); ++i)
                add(tabs, tabs->tabText(i));
        if (auto* combo = qobject_cast<QComboBox*>(widget))
            for (int i = 0; i < combo->count(); ++i)
                add(combo, combo->itemText(i));
        if (auto* browser = qobject_cast<QTextBrowser*>(widget))
            add(browser, browser->toPlainText());
        if (auto* menu = qobject_cast<QMenu*>(widget))
            for (const QAction* action : menu->actions())
                add(menu, action->text());
    }
    return out;
}

QStringList chineseIn(const QStringList& texts) {
    QStringList found;
    for (const QString& text : texts)
        if (hasChinese(text))
            found << text;
    return found;
}

// Texts placed by hand (no layout sizes them) that their widget cuts off.
QStringList clipped(QWidget* window) {
    QStringList found;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        const QWidget* parent = widget->parentWidget();
        if ((parent && parent->layout()) ||
            (!qobject_cast<QLabel*>(widget) && !qobject_cast<QAbstractButton*>(widget)))
            continue;
        const auto* label = qobject_cast<QLabel*>(widget);
        const auto* button = qobject_cast<QAbstractButton*>(widget);
        if ((label ? label->text() : button->text()).isEmpty())
            continue; // a picture
        if (widget->sizeHint().width() > widget->width())
            found << widget->objectName();
    }
    return found;
}

QStringList menuEntries(const MainForm& window) {
    QStringList out;
    for (const QMenu* menu : window.findChildren<QMenu*>())
        for (const QAction* action : menu->actions())
            if (!action->isSeparator())
                out << action->text();
    return out;
}

} // namespace

class TestTranslations : public QObject {
    Q_OBJECT

    void speak(const char* chosen) {
        QVERIFY2(installTranslations(*QCoreApplication::instance(), QString::fromLatin1(chosen)), chosen);
    }

private slots:
    void initTestCase() {
        // As Tarn's main() does; the fit check measures with it.
        QApplication::setFont(QFont(QStringLiteral("微软雅黑"), 10));
    }

    void cleanup() { speak(language::chinese); }

    void englishLeavesNoChinese() {
        speak(language::english);
        ModalAnswerer answers;
        MainFormFixture shown;
        QVERIFY(shown.show());
        MainForm& window = shown.form();
        QStringList texts = shownTexts(&window);
        // A first run names its first Type and Group in the language spoken.
        const QListWidget* types = shown.typeList();
        const QListWidget* groups = shown.groupList();
        QCOMPARE(types->item(0)->text(), QStringLiteral("Default category"));
        QCOMPARE(groups->item(0)->text(), QStringLiteral("Default group"));
        QVERIFY(menuEntries(window).contains(QStringLiteral("Open Containing Folder")));
        QVERIFY(menuEntries(window).contains(QStringLiteral("Quit")));

        FormMove move;
        FormAttribute attribute;
        FormSettings settings;
        QVERIFY(settings.findChild<QTextBrowser*>()->toPlainText().startsWith(
            QStringLiteral("Tarn\nVersion: 1.0.0\n")));
        for (QWidget* dialog : std::initializer_list<QWidget*>{&move, &attribute, &settings}) {
            texts += shownTexts(dialog);
            const QStringList cut = clipped(dialog);
            QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QLatin1Char(' '))));
        }
        QVERIFY(texts.size() > 50);
        const QStringList chinese = chineseIn(texts);
        QVERIFY2(chinese.isEmpty(), qPrintable(chinese.join(QLatin1Char('\n'))));
        QCOMPARE(answers.unexpected(), 0);

        // A question asked while Tarn runs, with Qt's own buttons.
        answers.press(QStringLiteral("No"));
        shown.typeList()->setCurrentRow(0);
        QVERIFY(shown.triggerAction("actTypeDelete"));
        QVERIFY(answers.waitFor(1));
        const ModalAnswerer::Box& box = answers.boxes().first();
        QCOMPARE(box.title, QStringLiteral("Question"));
        QCOMPARE(box.text, QStringLiteral("Delete this category?"));
        QCOMPARE(box.buttons, (QStringList{QStringLiteral("Yes"), QStringLiteral("No")}));
    }

    // A window manager keeps a window within its maximum width and elides the
    // title to fit beside its own icon and buttons ("M…").
    void englishGroupMoveIsWideEnoughForItsTitle() {
        speak(language::english);
        FormMove move;
        move.hideGroupList();
        move.show();
        QVERIFY(QTest::qWaitForWindowExposed(&move));
        QFont bold = move.font();
        bold.setBold(true);
        // The window manager's icon and buttons: a title bar's height each.
        const int decorations = 4 * move.style()->pixelMetric(QStyle::PM_TitleBarHeight);
        const int needed = QFontMetrics(bold).horizontalAdvance(move.windowTitle()) + decorations;
        QCOMPARE(move.windowTitle(), QStringLiteral("Move"));
        QVERIFY2(move.width() >= needed && move.maximumWidth() >= needed,
                 qPrintable(QStringLiteral("%1 wide, at most %2, for %3")
                                .arg(move.width())
                                .arg(move.maximumWidth())
                                .arg(needed)));
        // Nor may it ask for less than its own buttons need.
        QVERIFY(move.maximumWidth() >= move.minimumSizeHint().width());
    }

    // Tarn's font is a Chinese one, which draws curly quotes and Chinese
    // punctuation as wide as a Chinese character: English keeps to ASCII.
    void englishUsesNarrowPunctuation() {
        QFile ts(QStringLiteral(TARN_SOURCE_DIR "/Resources/translations/tarn_en.ts"));
        QVERIFY(ts.open(QIODevice::ReadOnly));
        static const QRegularExpression wide(
            QStringLiteral("[\\x{2018}-\\x{201F}\\x{2026}\\x{3000}-\\x{303F}\\x{FF00}-\\x{FFEF}]"));
        QStringList found;
        int translations = 0;
        for (QXmlStreamReader xml(&ts); !xml.atEnd();) {
            if (xml.readNext() != QXmlStreamReader::StartElement ||
                xml.name() != QLatin1String("translation"))
                continue;
            ++translations;
            const QString text = xml.readElementText(QXmlStreamReader::IncludeChildElements);
            if (text.contains(wide))
                found << text;
        }
        QVERIFY(translations > 50);
        QVERIFY2(found.isEmpty(), qPrintable(found.join(QLatin1Char('\n'))));
    }

    void chineseKeepsTheTextsAsWritten() {
        speak(language::chinese);
        ModalAnswerer answers;
        MainFormFixture shown;
        QVERIFY(shown.show());
        const MainForm& window = shown.form();
        const QStringList entries = menuEntries(window);
        for (const char* text : {"新建分类", "重命名", "删除全部分组", "清空本组", "打开文件位置",
                                 "复制完整路径", "移动到...", "属性", "退出"})
            QVERIFY2(entries.contains(QString::fromUtf8(text)), text);
        QCOMPARE(shown.typeList()->item(0)->text(), QStringLiteral("默认分类"));
        FormSettings settings;
        const auto* tabs = settings.findChild<QTabWidget*>(QStringLiteral("tabWidget"));
        QCOMPARE((QStringList{tabs->tabText(0), tabs->tabText(1), tabs->tabText(2)}),
                 (QStringList{"关于", "动作", "按键"}));
        QCOMPARE(settings.windowTitle(), QStringLiteral("设置"));
        // The scan the English case relies on sees them.
        QVERIFY(chineseIn(shownTexts(&settings)).size() > 15);
        FormAttribute attribute;
        QCOMPARE(attribute.findChild<QAbstractButton*>(QStringLiteral("pushButton_default"))->text(),
                 QStringLiteral("恢复默认"));

        // Qt's own buttons speak Chinese too.
        QMessageBox box(QMessageBox::Question, QStringLiteral("询问"), QStringLiteral("?"),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Ok | QMessageBox::Cancel);
        for (QMessageBox::StandardButton which :
             {QMessageBox::Yes, QMessageBox::No, QMessageBox::Ok, QMessageBox::Cancel})
            QVERIFY2(hasChinese(box.button(which)->text()), qPrintable(box.button(which)->text()));
        QCOMPARE(answers.unexpected(), 0);

        // The hotkey is stored in Qt's portable names and read back as native
        // text, which Qt's Chinese translation renames ("Space" is "空格").
        const QKeySequence stored(QStringLiteral("Ctrl+Alt+Space"), QKeySequence::NativeText);
        QCOMPARE(stored, QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Space));
    }

    // Every text the sources mark for translation has its English one: a text
    // added without it leaves lupdate something new, or unfinished, to report.
    void englishCoversTheSources() {
        const QString lupdate = QStringLiteral(TARN_LUPDATE);
        if (lupdate.isEmpty() || !QFileInfo(lupdate).isExecutable())
            QSKIP("lupdate is not installed (qttools5-dev-tools)");
        QTemporaryDir dir;
        const QString copy = dir.filePath(QStringLiteral("tarn_en.ts"));
        QVERIFY(QFile::copy(QStringLiteral(TARN_SOURCE_DIR "/Resources/translations/tarn_en.ts"), copy));
        QProcess run;
        run.setProcessChannelMode(QProcess::MergedChannels);
        run.start(lupdate, {"-no-obsolete", "-locations", "none", QStringLiteral(TARN_SOURCE_DIR "/Src"),
                            "-ts", copy});
        QVERIFY(run.waitForFinished(60000));
        QCOMPARE(run.exitCode(), 0);
        QFile updated(copy);
        QVERIFY(updated.open(QIODevice::ReadOnly));
        const QByteArray ts = updated.readAll();
        QVERIFY(ts.contains("<translation>"));
        QVERIFY2(!ts.contains("type=\"unfinished\""),
                 "Resources/translations/tarn_en.ts lacks English texts: "
                 "run the update_translations target and translate them");
        QVERIFY2(!ts.contains("type=\"vanished\"") && !ts.contains("type=\"obsolete\""),
                 run.readAll().constData());
    }
};

QTEST_MAIN(TestTranslations)
#include "test_translations.moc"
