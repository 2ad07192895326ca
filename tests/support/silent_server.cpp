#include "tests/support/silent_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <stdexcept>

namespace testing_support {
namespace {

sockaddr_in loopback(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    return a;
}

int connect_to(int port) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a = loopback(port);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) return fd;
    if (fd >= 0) ::close(fd);
    return -1;
}

}  // namespace

SilentServer::SilentServer(int relay_to, std::chrono::seconds hang_up_after)
    : relay_to_(relay_to), hang_up_after_(hang_up_after) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a = loopback(0);
    socklen_t length = sizeof a;
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        ::listen(listener_, 16) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &length) != 0 ||
        ::pipe2(wake_, O_CLOEXEC) != 0)
        throw std::runtime_error("the silent server cannot listen on 127.0.0.1");
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this] { run(); });
}

SilentServer::~SilentServer() {
    stopping_ = true;
    wake();
    thread_.join();
    cut_relays();
    for (const Held& h : held_) ::close(h.fd);
    for (int fd : {listener_, wake_[0], wake_[1]}) ::close(fd);
}

void SilentServer::go_silent() {
    silent_ = true;
    wake();
    while (!cut_) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void SilentServer::wake() {
    // A pipe too full to take the byte wakes the thread all the same.
    if (::write(wake_[1], "x", 1) < 0) return;
}

void SilentServer::run() {
    while (!stopping_) {
        if (silent_ && !cut_) {
            cut_relays();
            cut_ = true;
        }
        hang_up_old();
        std::vector<pollfd> fds{{listener_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        for (const Relayed& r : relayed_) {
            fds.push_back({r.client, POLLIN, 0});
            fds.push_back({r.server, POLLIN, 0});
        }
        if (::poll(fds.data(), fds.size(), 100) <= 0) continue;
        if (fds[1].revents) {
            char drained[16];
            if (::read(wake_[0], drained, sizeof drained) < 0) continue;
        }
        std::vector<Relayed> open;
        for (std::size_t i = 0; i < relayed_.size(); ++i) {
            const Relayed& r = relayed_[i];
            const bool up = !fds[2 + 2 * i].revents || pass_on(r.client, r.server);
            if (up && (!fds[3 + 2 * i].revents || pass_on(r.server, r.client))) {
                open.push_back(r);
            } else {
                ::close(r.client);
                ::close(r.server);
            }
        }
        relayed_ = std::move(open);
        if (fds[0].revents & POLLIN) accept_one();
    }
}

void SilentServer::accept_one() {
    const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return;
    if (relay_to_ == 0 || silent_) {
        held_.push_back({fd, std::chrono::steady_clock::now()});
        return;
    }
    const int server = connect_to(relay_to_);
    if (server < 0) {
        ::close(fd);
        return;
    }
    relayed_.push_back({fd, server});
}

bool SilentServer::pass_on(int from, int to) {
    char buffer[65536];
    const ssize_t n = ::read(from, buffer, sizeof buffer);
    if (n <= 0) return false;
    for (ssize_t sent = 0; sent < n;) {
        const ssize_t k =
            ::send(to, buffer + sent, static_cast<std::size_t>(n - sent), MSG_NOSIGNAL);
        if (k <= 0) return false;
        sent += k;
    }
    return true;
}

void SilentServer::cut_relays() {
    for (const Relayed& r : relayed_) {
        ::close(r.client);
        ::close(r.server);
    }
    relayed_.clear();
}

void SilentServer::hang_up_old() {
    const auto now = std::chrono::steady_clock::now();
    std::erase_if(held_, [&](const Held& h) {
        if (now - h.since < hang_up_after_) return false;
        ::close(h.fd);
        return true;
    });
}

}  // namespace testing_support
