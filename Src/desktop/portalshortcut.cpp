// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/portalshortcut.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QRandomGenerator>

#include <utility>

QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcutEntry& entry) {
    argument.beginStructure();
    argument << entry.id << entry.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcutEntry& entry) {
    argument.beginStructure();
    argument >> entry.id >> entry.properties;
    argument.endStructure();
    return argument;
}

namespace portal {

void registerTypes() {
    static const bool once = [] {
        qDBusRegisterMetaType<PortalShortcutEntry>();
        qDBusRegisterMetaType<PortalShortcutList>();
        return true;
    }();
    Q_UNUSED(once)
}

namespace {

// xkbcommon's names for the printable ASCII keys, from 0x20 (space) on.
const char* const kAsciiNames[] = {
    "space",      "exclam",    "quotedbl",   "numbersign", "dollar", "percent", "ampersand",
    "apostrophe", "parenleft", "parenright", "asterisk",   "plus",   "comma",   "minus",
    "period",     "slash",     "0",          "1",          "2",      "3",       "4",
    "5",          "6",         "7",          "8",          "9",      "colon",   "semicolon",
    "less",       "equal",     "greater",    "question",   "at",     nullptr, // letters
};
const char* const kAfterLetters[] = {"bracketleft", "backslash",  "bracketright",
                                     "asciicircum", "underscore", "grave"};
const char* const kAfterSmallLetters[] = {"braceleft", "bar", "braceright", "asciitilde"};

QString keyName(int key) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return QString(QChar(char16_t(key - Qt::Key_A + 'a')));
    if (key >= 0x20 && key <= 0x40)
        return QString::fromLatin1(kAsciiNames[key - 0x20]);
    if (key >= 0x5b && key <= 0x60)
        return QString::fromLatin1(kAfterLetters[key - 0x5b]);
    if (key >= 0x7b && key <= 0x7e)
        return QString::fromLatin1(kAfterSmallLetters[key - 0x7b]);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F35)
        return QStringLiteral("F%1").arg(key - Qt::Key_F1 + 1);
    static const std::pair<int, const char*> special[] = {
        {Qt::Key_Escape, "Escape"},
        {Qt::Key_Tab, "Tab"},
        {Qt::Key_Backspace, "BackSpace"},
        {Qt::Key_Return, "Return"},
        {Qt::Key_Enter, "KP_Enter"},
        {Qt::Key_Insert, "Insert"},
        {Qt::Key_Delete, "Delete"},
        {Qt::Key_Pause, "Pause"},
        {Qt::Key_Print, "Print"},
        {Qt::Key_Home, "Home"},
        {Qt::Key_End, "End"},
        {Qt::Key_Left, "Left"},
        {Qt::Key_Up, "Up"},
        {Qt::Key_Right, "Right"},
        {Qt::Key_Down, "Down"},
        {Qt::Key_PageUp, "Page_Up"},
        {Qt::Key_PageDown, "Page_Down"},
        {Qt::Key_Menu, "Menu"},
        {Qt::Key_ScrollLock, "Scroll_Lock"},
    };
    for (const auto& [qtKey, name] : special)
        if (qtKey == key)
            return QString::fromLatin1(name);
    return QString();
}

} // namespace

QString trigger(int combination) {
    const QString key = keyName(combination & ~Qt::KeyboardModifierMask);
    if (key.isEmpty())
        return QString();
    QString text;
    if (combination & Qt::ControlModifier)
        text += QLatin1String("CTRL+");
    if (combination & Qt::AltModifier)
        text += QLatin1String("ALT+");
    if (combination & Qt::ShiftModifier)
        text += QLatin1String("SHIFT+");
    if (combination & Qt::MetaModifier)
        text += QLatin1String("LOGO+");
    return text + key;
}

QString parentWindow(const QString& platformName, quintptr window) {
    if (platformName == QLatin1String("xcb") && window != 0)
        return QLatin1String("x11:") + QString::number(window, 16);
    return QString();
}

} // namespace portal

namespace {

QDBusMessage portalCall(const char* interface, const char* method) {
    return QDBusMessage::createMethodCall(QLatin1String(portal::service), QLatin1String(portal::path),
                                          QLatin1String(interface), QLatin1String(method));
}

} // namespace

PortalShortcut::PortalShortcut(const QString& shortcutId, const QString& shortcutDescription,
                               const QString& trigger, QObject* parent)
    : QObject(parent), id(shortcutId), description(shortcutDescription), preferred(trigger) {
    portal::registerTypes();
}

PortalShortcut::~PortalShortcut() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!awaited.isEmpty())
        bus.send(QDBusMessage::createMethodCall(QLatin1String(portal::service), awaited,
                                                QLatin1String(portal::request), QStringLiteral("Close")));
    stopAwaiting();
    if (!sessionPath.isEmpty()) {
        bus.disconnect(QLatin1String(portal::service), QLatin1String(portal::path),
                       QLatin1String(portal::globalShortcuts), QStringLiteral("Activated"), this,
                       SLOT(shortcutActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
        bus.disconnect(QLatin1String(portal::service), QLatin1String(portal::path),
                       QLatin1String(portal::globalShortcuts), QStringLiteral("ShortcutsChanged"), this,
                       SLOT(shortcutsChanged(QDBusObjectPath, PortalShortcutList)));
        bus.disconnect(QLatin1String(portal::service), sessionPath, QLatin1String(portal::session),
                       QStringLiteral("Closed"), this, SLOT(sessionClosed()));
        bus.send(QDBusMessage::createMethodCall(QLatin1String(portal::service), sessionPath,
                                                QLatin1String(portal::session), QStringLiteral("Close")));
    }
}

void PortalShortcut::start() {
    if (current != State::Idle)
        return;
    current = State::Asking;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        finish(State::Missing);
        return;
    }
    // Asking for the interface's version tells a missing portal (or one
    // without GlobalShortcuts) apart before anything is created.
    QDBusMessage query = QDBusMessage::createMethodCall(
        QLatin1String(portal::service), QLatin1String(portal::path),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    query << QLatin1String(portal::globalShortcuts) << QStringLiteral("version");
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(query), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
        call->deleteLater();
        if (call->isError())
            finish(State::Missing);
        else
            createSession();
    });
}

QString PortalShortcut::newToken() {
    return QStringLiteral("tarn%1").arg(QRandomGenerator::global()->generate());
}

QString PortalShortcut::requestPathFor(const QString& token) const {
    QString sender = QDBusConnection::sessionBus().baseService();
    sender.remove(0, 1).replace(QLatin1Char('.'), QLatin1Char('_'));
    return QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
}

void PortalShortcut::awaitResponse(const QString& requestPath) {
    stopAwaiting();
    awaited = requestPath;
    QDBusConnection::sessionBus().connect(QLatin1String(portal::service), awaited,
                                          QLatin1String(portal::request), QStringLiteral("Response"), this,
                                          SLOT(requestAnswered(uint, QVariantMap)));
}

void PortalShortcut::stopAwaiting() {
    if (awaited.isEmpty())
        return;
    QDBusConnection::sessionBus().disconnect(QLatin1String(portal::service), awaited,
                                             QLatin1String(portal::request), QStringLiteral("Response"), this,
                                             SLOT(requestAnswered(uint, QVariantMap)));
    awaited.clear();
}

void PortalShortcut::call(const QDBusMessage& message, Step sent) {
    step = sent;
    auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(message), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, sent](QDBusPendingCallWatcher* reply) { followRequest(reply, sent); });
}

void PortalShortcut::followRequest(QDBusPendingCallWatcher* watcher, Step sent) {
    watcher->deleteLater();
    // Answered already: the path the reply names is done with, and the one
    // listened to now is the next request's.
    if (step != sent)
        return;
    const QDBusPendingReply<QDBusObjectPath> reply = *watcher;
    if (reply.isError()) {
        finish(State::Missing);
        return;
    }
    const QString path = reply.value().path();
    if (path != awaited)
        awaitResponse(path);
}

void PortalShortcut::createSession() {
    // Listening starts before the call, on the path the token predicts, so
    // an early Response is not missed.
    const QString token = newToken();
    awaitResponse(requestPathFor(token));
    QDBusMessage message = portalCall(portal::globalShortcuts, "CreateSession");
    message << QVariantMap{{QStringLiteral("handle_token"), token},
                           {QStringLiteral("session_handle_token"), newToken()}};
    call(message, Step::Creating);
}

void PortalShortcut::bindShortcut() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.connect(QLatin1String(portal::service), QLatin1String(portal::path),
                QLatin1String(portal::globalShortcuts), QStringLiteral("Activated"), this,
                SLOT(shortcutActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
    // The user may give the shortcut another key in the desktop's settings.
    bus.connect(QLatin1String(portal::service), QLatin1String(portal::path),
                QLatin1String(portal::globalShortcuts), QStringLiteral("ShortcutsChanged"), this,
                SLOT(shortcutsChanged(QDBusObjectPath, PortalShortcutList)));
    bus.connect(QLatin1String(portal::service), sessionPath, QLatin1String(portal::session),
                QStringLiteral("Closed"), this, SLOT(sessionClosed()));

    const QString token = newToken();
    awaitResponse(requestPathFor(token));
    PortalShortcutEntry entry{id, {{QStringLiteral("description"), description}}};
    if (!preferred.isEmpty())
        entry.properties.insert(QStringLiteral("preferred_trigger"), preferred);
    QDBusMessage message = portalCall(portal::globalShortcuts, "BindShortcuts");
    message << QVariant::fromValue(QDBusObjectPath(sessionPath))
            << QVariant::fromValue(PortalShortcutList{entry}) << parentHandle
            << QVariantMap{{QStringLiteral("handle_token"), token}};
    call(message, Step::Binding);
}

void PortalShortcut::requestAnswered(uint response, const QVariantMap& results) {
    const Step answered = step;
    step = Step::None;
    stopAwaiting();
    if (response != 0) {
        finish(State::Refused);
        return;
    }
    if (answered == Step::Creating) {
        // Older portals send the handle as a string, newer ones as a path.
        const QVariant handle = results.value(QStringLiteral("session_handle"));
        sessionPath =
            handle.canConvert<QDBusObjectPath>() ? handle.value<QDBusObjectPath>().path() : handle.toString();
        if (sessionPath.isEmpty())
            finish(State::Refused);
        else
            bindShortcut();
    } else if (answered == Step::Binding) {
        // The answer lists what was bound; a portal that lists nothing at
        // all is taken at its word.
        const QVariant listed = results.value(QStringLiteral("shortcuts"));
        if (!listed.isValid()) {
            finish(State::Bound);
            return;
        }
        const auto shortcuts = qdbus_cast<PortalShortcutList>(listed.value<QDBusArgument>());
        for (const PortalShortcutEntry& entry : shortcuts) {
            if (entry.id == id) {
                describe(entry.properties.value(QStringLiteral("trigger_description")).toString());
                finish(State::Bound);
                return;
            }
        }
        finish(State::Refused);
    }
}

void PortalShortcut::shortcutActivated(const QDBusObjectPath& session, const QString& shortcut, qulonglong,
                                       const QVariantMap&) {
    if (current == State::Bound && session.path() == sessionPath && shortcut == id)
        emit activated();
}

void PortalShortcut::sessionClosed() {
    sessionPath.clear();
    if (current == State::Bound || current == State::Asking)
        finish(State::Refused);
}

void PortalShortcut::shortcutsChanged(const QDBusObjectPath& session, const PortalShortcutList& shortcuts) {
    if (session.path() != sessionPath)
        return;
    const QString key = QStringLiteral("trigger_description");
    for (const PortalShortcutEntry& entry : shortcuts)
        if (entry.id == id && entry.properties.contains(key))
            describe(entry.properties.value(key).toString());
}

void PortalShortcut::describe(const QString& triggerDescription) {
    if (triggerDescription == described)
        return;
    described = triggerDescription;
    emit triggerDescriptionChanged(described);
}

void PortalShortcut::finish(State outcome) {
    current = outcome;
    emit finished(outcome == State::Bound);
}
