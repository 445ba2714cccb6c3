// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/formsettings.h"
#include "dialogs/messagebox.h"

#include "ui_formsettings.h"

#include "app/version.h"
#include "dialogs/desktopbindingnotice.h"
#include "dialogs/documents.h"
#include "hotkey/hotkeyrule.h"
#include "platform/autostart.h"
#include "platform/datapaths.h"
#include "settings/appsettings.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScrollArea>

namespace {

// Writes the settings file now; a failure is told, naming the reason and
// the file, and the settings stay in force for this session.
bool storeSettings(QWidget* parent) {
    QString error;
    if (configSettings->sync(&error))
        return true;
    QMessageBox::warning(parent, FormSettings::tr("警告"),
                         FormSettings::tr("配置文件保存失败：%1").arg(error));
    return false;
}

} // namespace

FormSettings::FormSettings(QWidget* parent) : QWidget(parent), ui(new Ui::FormSettings) {
    ui->setupUi(this);
    ui->textBrowser->setHtml(aboutHtml());
    ui->keySequenceEdit_showAndHide->setKeySequence(
        QKeySequence(hotKeyShowAndHide, QKeySequence::NativeText));
    ui->keySequenceEdit_showAndHide->installEventFilter(this);
    ui->radioButton_cursor->setChecked(formCursorPos);
    ui->checkBox_openThenHide->setChecked(formOpenThenHide);
    ui->checkBox_autostart->setChecked(autostart::isEnabled());
    ui->tabWidget->setCurrentIndex(0);
    connect(ui->pushButton_showAndHide, &QPushButton::clicked, this, &FormSettings::settingShowAndHide);
    connect(ui->pushButton_formPos, &QPushButton::clicked, this, &FormSettings::settingFormPos);
    connect(ui->textBrowser, &QTextBrowser::anchorClicked, this, &FormSettings::openLinks);
    ui->label_desktopBinding->setText(desktopBindingText());
    ui->widget_desktopBinding->hide();
    ui->label_desktopKey->hide();
    connect(ui->pushButton_copyCommand, &QPushButton::clicked, this,
            [this] { QGuiApplication::clipboard()->setText(ui->lineEdit_toggleCommand->text()); });
}

void FormSettings::showDesktopBinding(const QString& command) {
    ui->lineEdit_toggleCommand->setText(command);
    ui->lineEdit_toggleCommand->setCursorPosition(0);
    ui->widget_desktopBinding->setVisible(!command.isEmpty());
}

void FormSettings::showDesktopKey(DesktopKey state, const QString& triggerDescription) {
    switch (state) {
    case DesktopKey::None:
        ui->label_desktopKey->hide();
        return;
    case DesktopKey::Asking:
        ui->label_desktopKey->setText(tr("桌面实际绑定：等待桌面答复…"));
        break;
    case DesktopKey::Bound:
        ui->label_desktopKey->setText(
            triggerDescription.isEmpty()
                ? tr("桌面实际绑定：桌面没有说明是哪个键，请在桌面的快捷键设置中查看")
                : tr("桌面实际绑定：%1").arg(triggerDescription));
        break;
    }
    ui->label_desktopKey->show();
}

void FormSettings::fitInto(const QSize& room) {
    const QSize fitted = size().boundedTo(room);
    if (fitted == size())
        return;
    if (!scroller) {
        // The tabs keep their size: their controls are placed by hand and
        // would be cut off, not rearranged.
        ui->tabWidget->setMinimumSize(size());
        scroller = new QScrollArea(this);
        scroller->setObjectName(QStringLiteral("scrollArea_tabs"));
        scroller->setFrameShape(QFrame::NoFrame);
        scroller->setWidgetResizable(true);
        // The layout item that held the tabs is the caller's to delete.
        delete ui->verticalLayout->replaceWidget(ui->tabWidget, scroller);
        scroller->setWidget(ui->tabWidget);
    }
    setFixedSize(fitted);
}

FormSettings::~FormSettings() {
    formSettingsOpen = false;
}

QString FormSettings::aboutHtml() {
    auto link = [](const QString& path) {
        const QUrl url = QUrl::fromLocalFile(path);
        return QStringLiteral("<a href=\"%1\"><span style=\" text-decoration: underline;\">%2</span></a>")
            .arg(url.toString(QUrl::FullyEncoded), url.toString().toHtmlEscaped());
    };
    const QString p = QStringLiteral("<p style=\" margin:0px;\">");
    const QString big = QStringLiteral("<span style=\" font-size:14pt; font-weight:600;\">%1</span>");
    const QString bold = QStringLiteral("<span style=\" font-size:11pt; font-weight:600;\">%1</span>");
    const QString plain = QStringLiteral("<span style=\" font-size:11pt;\">%1</span>");
    // No family of its own: the application's font is the one known to
    // have the Chinese letters, in every language.
    QString html =
        QStringLiteral("<html><head><style type=\"text/css\">p, li { white-space: pre-wrap; }</style>"
                       "</head><body style=\" font-size:9pt; color:#525252;\">");
    html += p + big.arg(QStringLiteral("Tarn")) + QStringLiteral("</p>");
    html += p + bold.arg(tr("版本：")) + plain.arg(QLatin1String(tarnversion::text)) + QStringLiteral("</p>");
    html += p + QStringLiteral("<br /></p>");
    html += p + big.arg(tr("介绍：")) + QStringLiteral("</p>");
    html += p + plain.arg(tr("软件开发目的是帮助用户很好的使用系统，快速打开软件，路径，网站等。")) +
            QStringLiteral("</p>");
    html += p + plain.arg(tr("计算机的使用应该更简单一些。")) + QStringLiteral("</p>");
    html += p + bold.arg(tr("系统的好朋友，你的好助手")) + QStringLiteral("</p>");
    html += p + QStringLiteral("<br /></p>");
    // Tarn has no public home yet: the links lead to documents installed
    // with it, never to invented addresses.
    //: Between "更新地址" and its link.
    const QString colon = tr("：");
    html += p + bold.arg(tr("更新地址")) + plain.arg(colon) + link(documents::changelogPath()) +
            QStringLiteral("</p>");
    html += p + bold.arg(tr("捐助作者：")) + link(documents::readmePath()) + QStringLiteral("</p>");
    html += p + bold.arg(tr("交流群：")) + plain.arg(tr("暂无")) + QStringLiteral("</p>");
    html += QStringLiteral("</body></html>");
    return html;
}

void FormSettings::settingShowAndHide() {
    const QKeySequence sequence = ui->keySequenceEdit_showAndHide->keySequence();
    const QString text = sequence.toString(QKeySequence::PortableText);
    // Nothing is stored that would leave Tarn without a hotkey or take a
    // typing key away from every other program.
    QString refusal;
    switch (hotkeyFault(sequence)) {
    case HotkeyFault::Empty:
        refusal = tr("热键不能为空，请在输入框中按下新的组合键后再应用。");
        break;
    case HotkeyFault::NoModifier:
        refusal = tr("热键( %1 )没有包含 Ctrl、Alt 或 Meta 键，注册后其他程序将无法输入这个键。\n"
                     "请加上 Ctrl、Alt 或 Meta 键（单独的功能键 F1-F35 可以使用）。")
                      .arg(sequence.toString(QKeySequence::NativeText));
        break;
    case HotkeyFault::None:
        break;
    }
    if (!refusal.isEmpty()) {
        messageBox(this, QMessageBox::Warning, tr("警告"), refusal, {tr("已知晓")});
        return;
    }
    configSettings->setValue(settingkeys::hotKeyShowAndHide, text);
    hotKeyShowAndHide = text;
    storeSettings(this);
    emit hotKeyReset();
}

void FormSettings::settingFormPos() {
    configSettings->setValue(settingkeys::formCursorPos, ui->radioButton_cursor->isChecked());
    formCursorPos = ui->radioButton_cursor->isChecked();
    configSettings->setValue(settingkeys::formOpenThenHide, ui->checkBox_openThenHide->isChecked());
    formOpenThenHide = ui->checkBox_openThenHide->isChecked();
    if (!storeSettings(this))
        return;
    if (!applyAutostart()) {
        QMessageBox::warning(this, tr("警告"), tr("无法更改登录时启动：\n") + autostart::entryPath());
        return;
    }
    messageBox(this, QMessageBox::Information, tr("提示"), tr("设置完成"), {tr("好的")});
}

bool FormSettings::applyAutostart() {
    const bool wanted = ui->checkBox_autostart->isChecked();
    if (wanted == autostart::isEnabled())
        return true;
    // Login starts it on the same data as now.
    return wanted ? autostart::enable(QCoreApplication::applicationFilePath(), datapaths::startArguments(),
                                      datapaths::startFolder())
                  : autostart::disable();
}

void FormSettings::openLinks(const QUrl& _url) {
    QDesktopServices::openUrl(_url);
}

bool FormSettings::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->keySequenceEdit_showAndHide) {
        switch (event->type()) {
        case QEvent::ShortcutOverride:
            // Setting the sequence back ends the recording, so the next press
            // starts a new one: the editor only ever holds the last
            // combination pressed.
            ui->keySequenceEdit_showAndHide->setKeySequence(ui->keySequenceEdit_showAndHide->keySequence());
            break;
        case QEvent::FocusIn:
            emit hotKeyRecording(true);
            break;
        case QEvent::FocusOut:
            emit hotKeyRecording(false);
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}
