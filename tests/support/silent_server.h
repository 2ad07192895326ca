// A TCP server on 127.0.0.1 that accepts connections and never answers, as a hung database
// server does. Given a port of a real server, it first relays connections to it, until
// go_silent() cuts them: a server that stops answering while a program is connected.
#pragma once

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace testing_support {

class SilentServer {
  public:
    // `relay_to`: the port on 127.0.0.1 to relay to, 0 for none. A connection held silent for
    // `hang_up_after` is closed, so a client that would wait for ever fails instead of
    // hanging the test.
    explicit SilentServer(int relay_to = 0,
                          std::chrono::seconds hang_up_after = std::chrono::seconds(60));
    ~SilentServer();
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;

    int port() const { return port_; }
    // Cuts the relayed connections and answers no one from then on. Returns once they are cut.
    void go_silent();

  private:
    struct Held {
        int fd;
        std::chrono::steady_clock::time_point since;
    };
    struct Relayed {
        int client, server;
    };

    void wake();
    void run();
    void accept_one();
    bool pass_on(int from, int to);
    void cut_relays();
    void hang_up_old();

    int listener_ = -1, port_ = 0, relay_to_ = 0;
    int wake_[2] = {-1, -1};
    std::chrono::seconds hang_up_after_;
    std::atomic<bool> silent_{false}, stopping_{false}, cut_{false};
    std::vector<Held> held_;
    std::vector<Relayed> relayed_;
    std::thread thread_;
};

}  // namespace testing_support
