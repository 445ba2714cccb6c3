// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QtGlobal>

// Local sockets that only their own user can reach. A bare name would put
// the socket in the shared temporary folder, where another user can take
// the name first and every later start talks to them.
namespace usersocket {

struct Folder {
    QString path;
    bool usable = false;
};

// Where this user's sockets go: $XDG_RUNTIME_DIR when it names a folder;
// else tarn-<uid> in the temporary folder, made when missing with mode 0700
// and usable only while it is a real folder (no link) of this user's that
// nobody else may enter or list. Unix only; elsewhere never usable.
Folder folder();

// Whether the process at the other end of a connected local socket runs
// as this user. True where the system cannot tell (a pipe on Windows is
// closed to other users when it is made).
bool peerIsThisUser(qintptr descriptor);

} // namespace usersocket
