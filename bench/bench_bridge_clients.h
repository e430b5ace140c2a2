#pragma once
// Bridge clients in a child process forked before the benchmark starts any thread, so their CPU
// is not the panel's. Told a port, a number of clients and a time, each client sends queries back
// to back (send, wait for the reply line, send the next) and notes when each went out and when
// its reply came, on the system clock the meter's transcript uses. With settingEvery > 0, every
// that many lines one is a setting (the speed, SLOW and MEDium in turn), sent without waiting,
// as a script's write() is: it gets no reply.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "bench_meter_child.h"

namespace benchbridge::bench {

struct ClientExchangeTimes {
  int client = 0;
  std::int64_t sent = 0, answered = 0;  // system clock, ns; answered 0: no reply
  bool setting = false;                 // a setting: answered is when it was sent
};

class ClientsChild {
 public:
  bool Start() {
    int order[2], result[2];
    if (pipe(order) != 0 || pipe(result) != 0) return false;
    pid_ = fork();
    if (pid_ == 0) {
      close(order[1]);
      close(result[0]);
      Serve(order[0], result[1]);
    }
    close(order[0]);
    close(result[1]);
    orderFd_ = order[1];
    resultFd_ = result[0];
    return pid_ > 0;
  }

  // Tells the child to run clients on 127.0.0.1:port for the given time (or, with exchanges > 0,
  // one client for that many exchanges); Collect() then gets what they saw.
  bool Order(int port, int clients, int milliseconds, int exchanges, int settingEvery = 0) {
    const int order[5] = {port, clients, milliseconds, exchanges, settingEvery};
    return write(orderFd_, order, sizeof order) == sizeof order;
  }

  // False while the clients still run (after waiting up to limit); true with their times.
  bool Collect(std::vector<ClientExchangeTimes>& times, std::chrono::milliseconds limit) {
    pollfd p{resultFd_, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(limit.count())) <= 0) return false;
    std::uint64_t count = 0;
    if (!ReadAll(resultFd_, &count, sizeof count)) return true;
    times.resize(count);
    if (!ReadAll(resultFd_, times.data(), count * sizeof(ClientExchangeTimes))) times.clear();
    return true;
  }

  void Stop() {
    close(orderFd_);
    close(resultFd_);
    int status = 0;
    waitpid(pid_, &status, 0);
  }

 private:
  static bool ReadAll(int fd, void* data, std::size_t size) {
    auto* at = static_cast<char*>(data);
    while (size > 0) {
      const ssize_t n = read(fd, at, size);
      if (n <= 0) return false;
      at += n;
      size -= static_cast<std::size_t>(n);
    }
    return true;
  }

  static int Connect(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
      close(fd);
      return -1;
    }
    return fd;
  }

  // One query, its reply line (3.5 s at most, as a script's timeout would be); a setting only
  // goes out.
  static bool Exchange(int fd, const char* line, std::string& buffer, bool setting = false) {
    const std::string out = std::string(line) + "\n";
    if (send(fd, out.data(), out.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(out.size())) {
      return false;
    }
    for (; !setting;) {
      if (const auto end = buffer.find('\n'); end != std::string::npos) {
        buffer.erase(0, end + 1);
        return true;
      }
      pollfd p{fd, POLLIN, 0};
      if (poll(&p, 1, 3500) <= 0) return false;
      char chunk[512];
      const ssize_t n = recv(fd, chunk, sizeof chunk, 0);
      if (n <= 0) return false;
      buffer.append(chunk, static_cast<std::size_t>(n));
    }
    return true;
  }

  [[noreturn]] static void Serve(int orderFd, int resultFd) {
    static const char* const kQueries[] = {"FREQuency:CW?", "APERture?", "OUTput:RESistance?",
                                           "*IDN?"};
    static const char* const kSettings[] = {"APERture SLOW", "APERture MEDium"};
    int order[5];
    while (ReadAll(orderFd, order, sizeof order)) {
      const auto [port, clients, milliseconds, exchanges, settingEvery] = order;
      const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
      std::vector<std::vector<ClientExchangeTimes>> seen(static_cast<std::size_t>(clients));
      std::vector<std::thread> threads;
      for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&, c] {
          const int fd = Connect(port);
          if (fd < 0) return;
          std::string buffer;
          for (int i = 0; exchanges > 0 ? i < exchanges : std::chrono::steady_clock::now() < until;
               ++i) {
            ClientExchangeTimes times;
            times.client = c;
            times.sent = Nanos(std::chrono::system_clock::now());
            times.setting = settingEvery > 0 && i % settingEvery == 0;
            const char* line = times.setting ? kSettings[(i / settingEvery) % 2] : kQueries[i % 4];
            const bool answered = Exchange(fd, line, buffer, times.setting);
            times.answered = answered ? Nanos(std::chrono::system_clock::now()) : 0;
            seen[static_cast<std::size_t>(c)].push_back(times);
            if (!answered) break;
          }
          close(fd);
        });
      }
      for (auto& thread : threads) thread.join();
      std::vector<ClientExchangeTimes> all;
      for (const auto& one : seen) all.insert(all.end(), one.begin(), one.end());
      const std::uint64_t count = all.size();
      (void)!write(resultFd, &count, sizeof count);
      (void)!write(resultFd, all.data(), count * sizeof(ClientExchangeTimes));
    }
    _exit(0);
  }

  pid_t pid_ = -1;
  int orderFd_ = -1, resultFd_ = -1;
};

}  // namespace benchbridge::bench
