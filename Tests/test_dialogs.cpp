// SPDX-License-Identifier: GPL-3.0-or-later
// The Item properties, move and settings dialogs.
#include "app/systemfonts.h"
#include "app/version.h"
#include "dialogs/formattribute.h"
#include "dialogs/formmove.h"
#include "dialogs/formsettings.h"
#include "hotkey/hotkeyrule.h"
#include "mainform/mainform.h"

#include "launch/desktopentry.h"
#include "settings/appsettings.h"
#include "support/datafolder.h"
#include "support/jsontext.h"
#include "support/mainformfixture.h"
#include "support/modalanswerer.h"
#include "support/modalwatchdog.h"
#include "support/urlrecorder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QInputDialog>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextBrowser>
#include <QtTest>

Q_DECLARE_METATYPE(HotkeyFault)

namespace {

template <class T> T* child(QWidget& parent, const char* name) {
    return parent.findChild<T*>(QString::fromLatin1(name));
}

// What the icon label shows, at the 48 x 48 it is drawn in.
QImage labelImage(FormAttribute& dialog) {
    const QPixmap shown = child<QLabel>(dialog, "label_icon")->pixmap(Qt::ReturnByValue);
    return shown.toImage().scaled(48, 48).convertToFormat(QImage::Format_ARGB32);
}

QImage iconImage(const QString& resource) {
    return QIcon(resource).pixmap(48, 48).toImage().scaled(48, 48).convertToFormat(QImage::Format_ARGB32);
}

const auto choose = ModalAnswerer::choosePath;
const auto typeText = ModalAnswerer::typeText;

QList<FormSettings*> settingsWindows() {
    QList<FormSettings*> found;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* settings = qobject_cast<FormSettings*>(widget))
            found << settings;
    return found;
}

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT

    QTemporaryDir files;
    QTemporaryDir config; // XDG_CONFIG_HOME: the login entry lands here
    catalog::Document doc;
    QString at(const QString& name) const { return files.filePath(name); }

    catalog::Value& parsedItem(const QByteArray& json) {
        catalog::parse(doc, json.constData());
        return doc;
    }

private slots:
    void initTestCase() {
        installModalWatchdog();
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        QImage red(16, 16, QImage::Format_ARGB32);
        red.fill(Qt::red);
        QVERIFY(red.save(at(QStringLiteral("red.png")), "PNG"));
        QVERIFY(red.save(at(QStringLiteral("red.PNG")), "PNG"));
        DataFolder::writeFile(at(QStringLiteral("notes.txt")), "x");
        QDir(files.path()).mkdir(QStringLiteral("folder"));
    }

    // FormAttribute

    void attributeIsFilledFromTheItem() {
        catalog::Value& item =
            parsedItem(json("{'name':'记事本','type':0,'param':'-n','path':'") +
                       at(QStringLiteral("notes.txt")).toUtf8() + json("','customIcon':''}"));
        FormAttribute dialog;
        dialog.setItemData(&item, &doc.GetAllocator());
        QCOMPARE(dialog.windowTitle(), QStringLiteral("属性"));
        QCOMPARE(dialog.height(), 276);
        QCOMPARE(child<QLineEdit>(dialog, "lineEdit_name")->text(), QStringLiteral("记事本"));
        QCOMPARE(child<QLineEdit>(dialog, "lineEdit_path")->text(), at(QStringLiteral("notes.txt")));
        QCOMPARE(child<QLineEdit>(dialog, "lineEdit_param")->text(), QStringLiteral("-n"));
        QCOMPARE(child<QComboBox>(dialog, "comboBox_type")->currentText(), QStringLiteral("文件"));
        QCOMPARE(child<QComboBox>(dialog, "comboBox_type")->count(), 3);
        QVERIFY(labelImage(dialog) != iconImage(QStringLiteral(":/img/Lost.png")));
        QVERIFY(labelImage(dialog) != iconImage(QStringLiteral(":/img/App.ico")));
    }

    void attributeCancelPathsLeaveTheItemAsItWas_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("取消") << "cancel";
        QTest::newRow("Esc") << "esc";
        QTest::newRow("close button") << "close";
    }
    void attributeCancelPathsLeaveTheItemAsItWas() {
        QFETCH(QString, how);
        catalog::Value& item =
            parsedItem(json("{'name':'a','type':0,'param':'','path':'/gone','customIcon':'','x':1}"));
        const QByteArray before = catalog::serialize(item);
        FormAttribute dialog;
        dialog.setItemData(&item, &doc.GetAllocator());
        child<QComboBox>(dialog, "comboBox_type")->setCurrentIndex(1);
        ModalAnswerer answers;
        answers.handle(choose(at(QStringLiteral("folder")))).handle(choose(at(QStringLiteral("red.png"))));
        QTimer::singleShot(0, [&] {
            QTest::mouseClick(child<QPushButton>(dialog, "pushButton_change"), Qt::LeftButton);
            QTest::mousePress(child<QLabel>(dialog, "label_icon"), Qt::LeftButton);
            QCOMPARE(child<QLineEdit>(dialog, "lineEdit_path")->text(), at(QStringLiteral("folder")));
            QCOMPARE(labelImage(dialog).pixelColor(24, 24), QColor(Qt::red));
            child<QLineEdit>(dialog, "lineEdit_name")->setText(QStringLiteral("changed"));
            if (how == QStringLiteral("cancel"))
                QTest::mouseClick(child<QPushButton>(dialog, "pushButton_no"), Qt::LeftButton);
            else if (how == QStringLiteral("esc"))
                QTest::keyClick(&dialog, Qt::Key_Escape);
            else
                dialog.close();
        });
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QCOMPARE(answers.boxes().size(), 2);
        QCOMPARE(answers.boxes()[0].title, QStringLiteral("选择新路径"));
        QCOMPARE(answers.boxes()[1].title, QStringLiteral("选择一个资源文件"));
        QCOMPARE(catalog::serialize(item), before);
    }

    void attributeOkStoresEveryField() {
        catalog::Value& item =
            parsedItem(json("{'name':'a','type':0,'param':'','path':'/gone','customIcon':''}"));
        FormAttribute dialog;
        dialog.setItemData(&item, &doc.GetAllocator());
        child<QLineEdit>(dialog, "lineEdit_name")->setText(QStringLiteral("网站"));
        child<QComboBox>(dialog, "comboBox_type")->setCurrentIndex(2);
        child<QLineEdit>(dialog, "lineEdit_param")->setText(QStringLiteral("p q"));
        ModalAnswerer answers;
        answers.handle(typeText(QStringLiteral("https://www.debian.org"))).handle(typeText(QString()));
        QTest::mouseClick(child<QPushButton>(dialog, "pushButton_change"), Qt::LeftButton);
        QCOMPARE(answers.boxes()[0].title, QStringLiteral("输入"));
        // An empty address keeps the previous one.
        QTest::mouseClick(child<QPushButton>(dialog, "pushButton_change"), Qt::LeftButton);
        QCOMPARE(child<QLineEdit>(dialog, "lineEdit_path")->text(), QStringLiteral("https://www.debian.org"));
        QCOMPARE(labelImage(dialog), iconImage(QStringLiteral(":/img/Web.png")));
        // Return in the name field is OK.
        QTest::keyClick(child<QLineEdit>(dialog, "lineEdit_name"), Qt::Key_Return);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(
            catalog::serialize(item),
            json("{'name':'网站','type':2,'param':'p q','path':'https://www.debian.org','customIcon':''}"));
    }

    // The arguments field is off, and says why, for a menu entry that takes
    // no files; what it holds is kept.
    void attributeArgumentsOnlyWhereTheEntryTakesThem() {
        DataFolder::writeFile(at(QStringLiteral("plain.desktop")),
                              "[Desktop Entry]\nType=Application\nName=P\nExec=sh -c true\n");
        DataFolder::writeFile(at(QStringLiteral("files.desktop")),
                              "[Desktop Entry]\nType=Application\nName=F\nExec=sh %U\n");
        catalog::Value& item = parsedItem(json("{'name':'p','type':0,'param':'kept','path':'") +
                                          at(QStringLiteral("plain.desktop")).toUtf8() + json("'}"));
        FormAttribute dialog;
        dialog.setItemData(&item, &doc.GetAllocator());
        auto* param = child<QLineEdit>(dialog, "lineEdit_param");
        QVERIFY(!param->isEnabled());
        QVERIFY(!param->toolTip().isEmpty());
        // Following the path as it is edited.
        child<QLineEdit>(dialog, "lineEdit_path")->setText(at(QStringLiteral("files.desktop")));
        QVERIFY(param->isEnabled());
        QVERIFY(param->toolTip().isEmpty());
        child<QLineEdit>(dialog, "lineEdit_path")->setText(at(QStringLiteral("plain.desktop")));
        QVERIFY(!param->isEnabled());
        child<QComboBox>(dialog, "comboBox_type")->setCurrentIndex(2);
        QVERIFY(param->isEnabled());
        child<QComboBox>(dialog, "comboBox_type")->setCurrentIndex(0);
        QTest::keyClick(child<QLineEdit>(dialog, "lineEdit_name"), Qt::Key_Return);
        QCOMPARE(catalog::memberText(item, catalog::kParam), QStringLiteral("kept"));
    }

    void attributeKeypadEnterDoesNothing() {
        catalog::Value& item = parsedItem(json("{'name':'a','type':0,'param':'','path':''}"));
        FormAttribute dialog;
        dialog.setItemData(&item, &doc.GetAllocator());
        dialog.show();
        child<QLineEdit>(dialog, "lineEdit_name")->setText(QStringLiteral("b"));
        QTest::keyClick(child<QLineEdit>(dialog, "lineEdit_name"), Qt::Key_Enter, Qt::KeypadModifier);
        QVERIFY(dialog.isVisible());
        QCOMPARE(catalog::memberText(item, "name"), QStringLiteral("a"));
    }

    void attributeRestoreDefaults() {
        catalog::Value& item = parsedItem(json("{'name':'a','type':1,'param':'x','path':'") +
                                          at(QStringLiteral("folder")).toUtf8() + json("','customIcon':''}"));
        FormAttribute dialog;
        dialog.setItemData(&item, &doc.GetAllocator());
        const QImage original = labelImage(dialog);
        ModalAnswerer answers;
        answers.handle(choose(at(QStringLiteral("red.png"))));
        QTest::mousePress(child<QLabel>(dialog, "label_icon"), Qt::LeftButton);
        child<QLineEdit>(dialog, "lineEdit_name")->setText(QStringLiteral("b"));
        child<QLineEdit>(dialog, "lineEdit_path")->setText(QStringLiteral("/elsewhere"));
        child<QLineEdit>(dialog, "lineEdit_param")->setText(QStringLiteral("y"));
        child<QComboBox>(dialog, "comboBox_type")->setCurrentIndex(2);
        QVERIFY(labelImage(dialog) != original);
        QTest::mouseClick(child<QPushButton>(dialog, "pushButton_default"), Qt::LeftButton);
        QCOMPARE(child<QLineEdit>(dialog, "lineEdit_name")->text(), QStringLiteral("a"));
        QCOMPARE(child<QLineEdit>(dialog, "lineEdit_path")->text(), at(QStringLiteral("folder")));
        QCOMPARE(child<QLineEdit>(dialog, "lineEdit_param")->text(), QStringLiteral("x"));
        QCOMPARE(child<QComboBox>(dialog, "comboBox_type")->currentIndex(), 1);
        QCOMPARE(labelImage(dialog), original);
        QTest::mouseClick(child<QPushButton>(dialog, "pushButton_yes"), Qt::LeftButton);
        QCOMPARE(catalog::memberText(item, "customIcon"), QString());
    }

    void attributePreviews_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("expected"); // a resource, "red", or "system"
        const QByteArray gone = json(",'param':'','path':'/nonexistent'");
        QTest::newRow("web") << json("{'name':'w','type':2,'param':'','path':'https://x.org'}")
                             << ":/img/Web.png";
        QTest::newRow("missing path")
            << QByteArray(json("{'name':'m','type':0") + gone + "}") << ":/img/Lost.png";
        QTest::newRow("custom png") << QByteArray(json("{'name':'m','type':0") + gone +
                                                  json(",'customIcon':'") +
                                                  at(QStringLiteral("red.png")).toUtf8() + "\"}")
                                    << "red";
        QTest::newRow("custom PNG is a file icon")
            << QByteArray(json("{'name':'m','type':0") + gone + json(",'customIcon':'") +
                          at(QStringLiteral("red.PNG")).toUtf8() + "\"}")
            << "system";
    }
    void attributePreviews() {
        QFETCH(QByteArray, json);
        QFETCH(QString, expected);
        catalog::Value& item = parsedItem(json);
        FormAttribute dialog;
        dialog.setItemData(&item, &doc.GetAllocator());
        const QImage shown = labelImage(dialog);
        if (expected == QStringLiteral("red")) {
            QCOMPARE(shown.pixelColor(24, 24), QColor(Qt::red));
        } else if (expected == QStringLiteral("system")) {
            QVERIFY(shown.pixelColor(24, 24) != QColor(Qt::red));
            QVERIFY(shown != iconImage(QStringLiteral(":/img/Lost.png")));
        } else {
            QCOMPARE(shown, iconImage(expected));
        }
    }

    void attributeOddKindAndMissingCustomIcon() {
        catalog::Value& item = parsedItem(json("{'name':'a','type':7,'param':'','path':''}"));
        FormAttribute dialog;
        dialog.setItemData(&item, &doc.GetAllocator());
        QCOMPARE(child<QComboBox>(dialog, "comboBox_type")->currentIndex(), -1);
        // A custom icon can be chosen and previewed, but is not stored.
        ModalAnswerer answers;
        answers.handle(choose(at(QStringLiteral("red.png"))));
        QTest::mousePress(child<QLabel>(dialog, "label_icon"), Qt::LeftButton);
        QCOMPARE(labelImage(dialog).pixelColor(24, 24), QColor(Qt::red));
        QTest::mouseClick(child<QPushButton>(dialog, "pushButton_yes"), Qt::LeftButton);
        QCOMPARE(catalog::serialize(item), QByteArray(json("{'name':'a','type':-1,'param':'','path':''}")));
    }

    // FormMove

    void moveOffersTheFirstTypeAndGroup() {
        parsedItem(json("{'type':[{'name':'A','group':[{'name':'a1'},{'name':'a2'}]},{'name':'B'},"
                        "{'name':'C','group':[{'name':'c1'}]}]}"));
        FormMove dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("移动"));
        dialog.setTypeData(catalog::types(doc));
        auto* types = child<QListWidget>(dialog, "listWidget_Type");
        auto* groups = child<QListWidget>(dialog, "listWidget_group");
        QCOMPARE(types->count(), 3);
        QCOMPARE(types->currentRow(), 0);
        QCOMPARE(types->item(0)->textAlignment(), int(Qt::AlignCenter));
        QCOMPARE(groups->count(), 2);
        QCOMPARE(groups->currentRow(), 0);
        types->setCurrentRow(2);
        QCOMPARE(groups->count(), 1);
        QCOMPARE(groups->item(0)->text(), QStringLiteral("c1"));
        QCOMPARE(groups->currentRow(), 0);

        // A Type without Groups leaves nowhere to land: OK does nothing.
        types->setCurrentRow(1);
        QCOMPARE(groups->count(), 0);
        auto* ok = child<QPushButton>(dialog, "pushButton_ok");
        QVERIFY(!ok->isEnabled());
        QTimer::singleShot(0, [&] {
            QTest::keyClick(&dialog, Qt::Key_Return);
            QVERIFY(dialog.isVisible());
            types->setCurrentRow(0);
            groups->setCurrentRow(1);
            QVERIFY(ok->isEnabled());
            QTest::mouseClick(ok, Qt::LeftButton);
        });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QCOMPARE(dialog.selectedTypeRow, 0);
        QCOMPARE(dialog.selectedGroupRow, 1);
    }

    void moveOfAGroupShowsOnlyTypes() {
        parsedItem(json("{'type':[{'name':'A','group':[{'name':'a1'}]},{'name':'B'}]}"));
        FormMove dialog;
        dialog.hideGroupList();
        dialog.setTypeData(catalog::types(doc));
        QVERIFY(dialog.maximumWidth() < 252); // narrower than for an Item
        QVERIFY(child<QListWidget>(dialog, "listWidget_group")->isHidden());
        QCOMPARE(child<QListWidget>(dialog, "listWidget_group")->count(), 0);
        child<QListWidget>(dialog, "listWidget_Type")->setCurrentRow(1);
        QCOMPARE(child<QListWidget>(dialog, "listWidget_group")->count(), 0);
        QTimer::singleShot(
            0, [&] { QTest::mouseClick(child<QPushButton>(dialog, "pushButton_ok"), Qt::LeftButton); });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QCOMPARE(dialog.selectedTypeRow, 1);
    }

    void moveCancelled() {
        parsedItem(json("{'type':[{'name':'A','group':[]}]}"));
        FormMove dialog;
        dialog.setTypeData(catalog::types(doc));
        QTimer::singleShot(
            0, [&] { QTest::mouseClick(child<QPushButton>(dialog, "pushButton_no"), Qt::LeftButton); });
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QCOMPARE(dialog.selectedTypeRow, 0);
    }

    // FormSettings

    void settingsShowTheMirrorsAndAboutFirst() {
        hotKeyShowAndHide = QStringLiteral("alt+`");
        formCursorPos = true;
        formOpenThenHide = true;
        FormSettings window;
        QCOMPARE(window.windowTitle(), QStringLiteral("设置"));
        QCOMPARE(window.minimumSize(), QSize(630, 540));
        QCOMPARE(window.maximumSize(), QSize(630, 540));
        QCOMPARE(child<QTabWidget>(window, "tabWidget")->currentIndex(), 0);
        QVERIFY(child<QRadioButton>(window, "radioButton_cursor")->isChecked());
        QVERIFY(!child<QRadioButton>(window, "radioButton_lastPos")->isChecked());
        QVERIFY(child<QCheckBox>(window, "checkBox_openThenHide")->isChecked());
        QCOMPARE(child<QKeySequenceEdit>(window, "keySequenceEdit_showAndHide")->keySequence(),
                 QKeySequence(Qt::ALT | Qt::Key_QuoteLeft));
        const QString about = child<QTextBrowser>(window, "textBrowser")->toPlainText();
        QVERIFY(about.startsWith("Tarn\n版本：1.0.0\n"));
        QVERIFY(about.contains("计算机的使用应该更简单一些。"));
        // One at a time, so each control is known to mirror its own setting.
        for (const bool cursor : {false, true}) {
            formCursorPos = cursor;
            formOpenThenHide = !cursor;
            FormSettings other;
            QCOMPARE(child<QRadioButton>(other, "radioButton_cursor")->isChecked(), cursor);
            QCOMPARE(child<QRadioButton>(other, "radioButton_lastPos")->isChecked(), !cursor);
            QCOMPARE(child<QCheckBox>(other, "checkBox_openThenHide")->isChecked(), !cursor);
        }
    }

    // In the application's font, as main() sets it, which has the Chinese
    // letters: never a family of its own, which may come out as a serif.
    void aboutIsInTheApplicationFont() {
        const QFont before = QApplication::font();
        QApplication::setFont(
            systemfonts::fontOf(systemfonts::faceFor(QStringLiteral("微软雅黑"), "zh-cn"), 10));
        const QString wanted = QFontInfo(QApplication::font()).family();
        QStringList others;
        {
            FormSettings window;
            const QTextDocument* about = child<QTextBrowser>(window, "textBrowser")->document();
            for (QTextBlock block = about->begin(); block.isValid(); block = block.next())
                for (auto at = block.begin(); !at.atEnd(); ++at) {
                    const QTextFragment text = at.fragment();
                    const QString family =
                        QFontInfo(text.charFormat().font().resolve(about->defaultFont())).family();
                    if (family != wanted)
                        others << text.text() + QLatin1String(": ") + family;
                }
        }
        QApplication::setFont(before);
        QVERIFY2(others.isEmpty(), qPrintable(wanted + QLatin1String(" wanted; ") + others.join(", ")));
    }

    void aboutLinksLeadToShippedDocuments() {
        const QString html = FormSettings::aboutHtml();
        QRegularExpression href(QStringLiteral("href=\"([^\"]+)\""));
        int links = 0;
        for (auto match = href.globalMatch(html); match.hasNext(); ++links) {
            const QUrl url(match.next().captured(1));
            QVERIFY2(url.isLocalFile() && QFileInfo::exists(url.toLocalFile()), qPrintable(url.toString()));
        }
        QCOMPARE(links, 2);
        UrlRecorder recorder;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, "open");
        FormSettings window;
        emit child<QTextBrowser>(window, "textBrowser")
            ->anchorClicked(QUrl::fromLocalFile(QStringLiteral("/x/README.md")));
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(recorder.urls, QList<QUrl>{QUrl::fromLocalFile(QStringLiteral("/x/README.md"))});
    }

    void actionsApplyWritesOnlyItsKeys() {
        DataFolder data;
        loadSettings(QStringLiteral("../Data/Config"));
        FormSettings window;
        child<QKeySequenceEdit>(window, "keySequenceEdit_showAndHide")
            ->setKeySequence(QKeySequence(QStringLiteral("Ctrl+K")));
        ModalAnswerer answers;
        // One control at a time, so each setting is known to come from its own.
        for (const bool cursor : {true, false}) {
            child<QRadioButton>(window, cursor ? "radioButton_cursor" : "radioButton_lastPos")
                ->setChecked(true);
            child<QCheckBox>(window, "checkBox_openThenHide")->setChecked(!cursor);
            answers.press("好的");
            QTest::mouseClick(child<QPushButton>(window, "pushButton_formPos"), Qt::LeftButton);
            QCOMPARE(formCursorPos, cursor);
            QCOMPARE(formOpenThenHide, !cursor);
            configSettings->sync();
            QSettings written(data.configPath(), QSettings::IniFormat);
            QCOMPARE(written.allKeys(), (QStringList{"Form/CursorPos", "Form/OpenThenHide"}));
            QCOMPARE(written.value("Form/CursorPos").toBool(), cursor);
            QCOMPARE(written.value("Form/OpenThenHide").toBool(), !cursor);
        }
        QCOMPARE(answers.boxes().size(), 2);
        QCOMPARE(answers.boxes()[0].title, QStringLiteral("提示"));
        QCOMPARE(answers.boxes()[0].text, QStringLiteral("设置完成"));
        QCOMPARE(answers.boxes()[0].buttons, QStringList{"好的"});
        QCOMPARE(answers.unexpected(), 0);
    }

    void autostartBoxWritesAndRemovesTheLoginEntry() {
        DataFolder data;
        loadSettings("../Data/Config");
        const QString entry = config.filePath("autostart/" TARN_APP_ID ".desktop");
        auto apply = [](FormSettings& window, const QString& button) {
            ModalAnswerer answers;
            answers.press(button);
            QTest::mouseClick(child<QPushButton>(window, "pushButton_formPos"), Qt::LeftButton);
            return answers.boxes().size() == 1 ? answers.boxes()[0].title : QString();
        };
        {
            FormSettings window;
            auto* box = child<QCheckBox>(window, "checkBox_autostart");
            QCOMPARE(box->parentWidget()->objectName(), QStringLiteral("Action"));
            QCOMPARE(box->text(), QStringLiteral("登录时启动"));
            QVERIFY(!box->isChecked());
            box->setChecked(true);
            QVERIFY(!QFile::exists(entry));
            QCOMPARE(apply(window, "好的"), QStringLiteral("提示"));
        }
        const desktopentry::Entry written = desktopentry::read(entry);
        QCOMPARE(written.path, QDir::currentPath());
        QStringList argv;
        QVERIFY(desktopentry::splitExec(written.exec, &argv));
        QCOMPARE(argv, QStringList{QCoreApplication::applicationFilePath()});
        {
            FormSettings window;
            auto* box = child<QCheckBox>(window, "checkBox_autostart");
            QVERIFY(box->isChecked());
            box->setChecked(false);
            QCOMPARE(apply(window, "好的"), QStringLiteral("提示"));
            QVERIFY(!QFile::exists(entry));
        }
        // A folder that cannot be made: a warning, not "设置完成".
        QVERIFY(QDir(config.filePath("autostart")).removeRecursively());
        DataFolder::writeFile(config.filePath("autostart"), "in the way");
        FormSettings window;
        child<QCheckBox>(window, "checkBox_autostart")->setChecked(true);
        QCOMPARE(apply(window, "OK"), QStringLiteral("警告"));
        QVERIFY(QFile::remove(config.filePath("autostart")));
    }

    void keysApplyRecordsOneCombination() {
        DataFolder data;
        loadSettings(QStringLiteral("../Data/Config"));
        FormSettings window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* edit = child<QKeySequenceEdit>(window, "keySequenceEdit_showAndHide");
        child<QTabWidget>(window, "tabWidget")->setCurrentIndex(2);
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_QuoteLeft, Qt::AltModifier);
        QCOMPARE(edit->keySequence(), QKeySequence(Qt::ALT | Qt::Key_QuoteLeft));
        child<QRadioButton>(window, "radioButton_cursor")->setChecked(true);
        QSignalSpy reset(&window, &FormSettings::hotKeyReset);
        QString storedWhenSignalled;
        connect(&window, &FormSettings::hotKeyReset, [&] {
            storedWhenSignalled = configSettings->value(QStringLiteral("HotKey/ShowAndHide")).toString();
        });
        QTest::mouseClick(child<QPushButton>(window, "pushButton_showAndHide"), Qt::LeftButton);
        QCOMPARE(reset.count(), 1);
        QCOMPARE(storedWhenSignalled, QStringLiteral("Alt+`"));
        QCOMPARE(hotKeyShowAndHide, QStringLiteral("Alt+`"));
        configSettings->sync();
        QSettings written(data.configPath(), QSettings::IniFormat);
        QCOMPARE(written.allKeys(), QStringList{QStringLiteral("HotKey/ShowAndHide")});
    }

    void hotkeyRule_data() {
        QTest::addColumn<QKeySequence>("sequence");
        QTest::addColumn<HotkeyFault>("fault");
        QTest::newRow("empty") << QKeySequence() << HotkeyFault::Empty;
        QTest::newRow("a") << QKeySequence(Qt::Key_A) << HotkeyFault::NoModifier;
        QTest::newRow("shift+a") << QKeySequence(Qt::SHIFT | Qt::Key_A) << HotkeyFault::NoModifier;
        QTest::newRow("grave") << QKeySequence(Qt::Key_QuoteLeft) << HotkeyFault::NoModifier;
        QTest::newRow("space") << QKeySequence(Qt::Key_Space) << HotkeyFault::NoModifier;
        QTest::newRow("a letter beyond Latin-1") << QKeySequence(0x0436) << HotkeyFault::NoModifier;
        QTest::newRow("return") << QKeySequence(Qt::Key_Return) << HotkeyFault::NoModifier;
        QTest::newRow("shift+left") << QKeySequence(Qt::SHIFT | Qt::Key_Left) << HotkeyFault::NoModifier;
        QTest::newRow("alt+`") << QKeySequence(Qt::ALT | Qt::Key_QuoteLeft) << HotkeyFault::None;
        QTest::newRow("ctrl+a") << QKeySequence(Qt::CTRL | Qt::Key_A) << HotkeyFault::None;
        QTest::newRow("meta+space") << QKeySequence(Qt::META | Qt::Key_Space) << HotkeyFault::None;
        QTest::newRow("ctrl+shift+return")
            << QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Return) << HotkeyFault::None;
        QTest::newRow("f1") << QKeySequence(Qt::Key_F1) << HotkeyFault::None;
        QTest::newRow("shift+f12") << QKeySequence(Qt::SHIFT | Qt::Key_F12) << HotkeyFault::None;
        QTest::newRow("f35") << QKeySequence(Qt::Key_F35) << HotkeyFault::None;
        QTest::newRow("pause") << QKeySequence(Qt::Key_Pause) << HotkeyFault::None;
    }
    void hotkeyRule() {
        QFETCH(QKeySequence, sequence);
        QFETCH(HotkeyFault, fault);
        QCOMPARE(hotkeyFault(sequence), fault);
    }

    void keysApplyRefusesKeysEveryProgramNeeds() {
        DataFolder data;
        loadSettings("../Data/Config");
        hotKeyShowAndHide = "alt+`";
        FormSettings window;
        auto* edit = child<QKeySequenceEdit>(window, "keySequenceEdit_showAndHide");
        auto* apply = child<QPushButton>(window, "pushButton_showAndHide");
        QSignalSpy reset(&window, &FormSettings::hotKeyReset);
        ModalAnswerer answers;
        for (const char* refused : {"A", "Shift+A", "Space", ""}) {
            edit->setKeySequence(QKeySequence(QString::fromLatin1(refused)));
            answers.press("已知晓");
            QTest::mouseClick(apply, Qt::LeftButton);
        }
        QCOMPARE(answers.boxes().size(), 4);
        for (const ModalAnswerer::Box& box : answers.boxes()) {
            QCOMPARE(box.title, QStringLiteral("警告"));
            QCOMPARE(box.buttons, QStringList{"已知晓"});
        }
        QVERIFY(answers.boxes()[1].text.contains("Shift+A"));
        QVERIFY(answers.boxes()[1].text.contains("Ctrl、Alt 或 Meta"));
        QVERIFY(answers.boxes()[3].text.contains("不能为空"));
        QCOMPARE(reset.count(), 0);
        QCOMPARE(hotKeyShowAndHide, QStringLiteral("alt+`"));
        configSettings->sync();
        QVERIFY(!QSettings(data.configPath(), QSettings::IniFormat).contains("HotKey/ShowAndHide"));

        // A function key alone is a hotkey.
        edit->setKeySequence(QKeySequence(Qt::Key_F9));
        QTest::mouseClick(apply, Qt::LeftButton);
        QCOMPARE(reset.count(), 1);
        QCOMPARE(hotKeyShowAndHide, QStringLiteral("F9"));
        QCOMPARE(answers.boxes().size(), 4);
    }

    void settingsWindowIsSingleAndTalksToTheMainWindow() {
        MainFormFixture shown;
        QVERIFY(shown.show());
        auto* settingsButton = shown.form().findChild<QAbstractButton*>("toolButton_settings");
        QTest::mouseClick(settingsButton, Qt::LeftButton);
        QTest::mouseClick(settingsButton, Qt::LeftButton);
        QCOMPARE(settingsWindows().size(), 1);
        FormSettings* first = settingsWindows().first();
        QVERIFY(formSettingsOpen);
        QVERIFY(first->windowFlags() & Qt::WindowStaysOnTopHint);

        // The stored hotkey is what the main window registers next.
        child<QKeySequenceEdit>(*first, "keySequenceEdit_showAndHide")
            ->setKeySequence(QKeySequence(QStringLiteral("Ctrl+Alt+J")));
        ModalAnswerer answers;
        answers.press(QStringLiteral("已知晓"));
        QTest::mouseClick(child<QPushButton>(*first, "pushButton_showAndHide"), Qt::LeftButton);
        QCOMPARE(answers.boxes().size(), 1);
        QCOMPARE(answers.boxes()[0].text, QStringLiteral("热键修改成功"));
        QCOMPARE(hotKeyShowAndHide, QStringLiteral("Ctrl+Alt+J"));

        first->close();
        QTRY_VERIFY(settingsWindows().isEmpty());
        QVERIFY(!formSettingsOpen);
        QTest::mouseClick(settingsButton, Qt::LeftButton);
        QCOMPARE(settingsWindows().size(), 1);
        settingsWindows().first()->close();
        QTRY_VERIFY(settingsWindows().isEmpty());
    }
};

QTEST_MAIN(TestDialogs)
#include "test_dialogs.moc"
