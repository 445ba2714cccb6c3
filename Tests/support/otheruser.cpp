// SPDX-License-Identifier: GPL-3.0-or-later
// Another user's process on the same machine, for the hand-over's tests.
// Started as root, it becomes nobody (65534), then
//   otheruser serve PATH       listens on PATH (made while still root, so it
//                              can be in root's own folder), says
//                              "listening", and answers one line with "ok"
//   otheruser send PATH WORD   sends WORD to the socket at PATH and prints
//                              "answer:" and whatever came back
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include <grp.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr unsigned kNobody = 65534;

bool becomeNobody() {
    return ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0 &&
           ::getuid() == kNobody;
}

bool address(const char* path, sockaddr_un* where) {
    std::memset(where, 0, sizeof *where);
    where->sun_family = AF_UNIX;
    if (std::strlen(path) >= sizeof where->sun_path)
        return false;
    std::strcpy(where->sun_path, path);
    return true;
}

int serve(const char* path) {
    sockaddr_un where;
    const int listening = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (listening < 0 || !address(path, &where) ||
        ::bind(listening, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0)
        return 3;
    // The peer's credentials are those of whoever called listen().
    if (!becomeNobody())
        return 4;
    if (::listen(listening, 4) != 0)
        return 3;
    std::printf("listening\n");
    std::fflush(stdout);
    const int client = ::accept(listening, nullptr, nullptr);
    if (client < 0)
        return 3;
    char c;
    while (::read(client, &c, 1) == 1 && c != '\n') {
    }
    [[maybe_unused]] const ssize_t written = ::write(client, "ok\n", 3);
    ::close(client);
    return 0;
}

int send(const char* path, const char* word) {
    if (!becomeNobody())
        return 4;
    sockaddr_un where;
    const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (socket < 0 || !address(path, &where) ||
        ::connect(socket, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0) {
        std::printf("unreachable: %s\n", std::strerror(errno));
        return 3;
    }
    // A server that drops this end may do so before the word is written.
    std::printf("answer:");
    std::string line = std::string(word) + '\n';
    [[maybe_unused]] const ssize_t written = ::write(socket, line.data(), line.size());
    char buffer[64];
    ssize_t got;
    while ((got = ::read(socket, buffer, sizeof buffer)) > 0)
        std::fwrite(buffer, 1, static_cast<size_t>(got), stdout);
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    // Never outlives a test that went wrong; an end that went away is an
    // answer, not a reason to die.
    ::alarm(30);
    std::signal(SIGPIPE, SIG_IGN);
    if (argc == 3 && std::strcmp(argv[1], "serve") == 0)
        return serve(argv[2]);
    if (argc == 4 && std::strcmp(argv[1], "send") == 0)
        return send(argv[2], argv[3]);
    std::fprintf(stderr, "usage: otheruser serve PATH | otheruser send PATH WORD\n");
    return 2;
}
