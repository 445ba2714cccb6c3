// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/usersocket.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#if defined(Q_OS_UNIX)
#include <cerrno>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace usersocket {

#if defined(Q_OS_UNIX)

Folder folder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (QDir::isAbsolutePath(runtime) && QFileInfo(runtime).isDir())
        return {QDir::cleanPath(runtime), true};

    const QString path = QDir::tempPath() + QStringLiteral("/tarn-") + QString::number(::getuid());
    const QByteArray name = QFile::encodeName(path);
    // Made or found, it is checked the same way: whoever made it first.
    if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST)
        return {path, false};
    struct stat info;
    const bool own = ::lstat(name.constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
                     info.st_uid == ::getuid() && (info.st_mode & (S_IRWXG | S_IRWXO)) == 0;
    return {path, own};
}

bool peerIsThisUser(qintptr descriptor) {
#if defined(Q_OS_LINUX)
    struct ucred peer;
    socklen_t size = sizeof peer;
    return ::getsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
           peer.uid == ::getuid();
#elif defined(Q_OS_DARWIN) || defined(Q_OS_FREEBSD) || defined(Q_OS_NETBSD) || defined(Q_OS_OPENBSD)
    uid_t uid;
    gid_t gid;
    return ::getpeereid(static_cast<int>(descriptor), &uid, &gid) == 0 && uid == ::getuid();
#else
    // No way to ask: the folder's permissions are all there is.
    Q_UNUSED(descriptor)
    return true;
#endif
}

#else

Folder folder() {
    return {};
}

bool peerIsThisUser(qintptr) {
    return true;
}

#endif

} // namespace usersocket
