#pragma once
// The network bridge: scripts reach the connected meter over a raw TCP socket (SCPI, one line per
// command, answered as a meter with a LAN port answers: a query gets its reply, a command none,
// errors wait in the client's error queue) while the panel keeps polling. Each command of a
// client's line is one Query through the channel lock, so clients, the poller and the operator's
// keys take turns on the wire one exchange at a time.
//
//   Bridge bridge(link, log, sink);
//   if (auto error = bridge.Start(*ParseListenAddress("5025").address, query); !error.empty()) ...
//   ...
//   bridge.Stop();  // at once, also with an exchange on the wire
//   bridge.Join();  // before the Query target goes away
//
// Runs an io thread (all sockets) and one exchange thread (the blocking Query) while started;
// no Qt, and nothing here ever waits on the caller's thread for a client or the meter.

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include <vector>

#include "channel_lock.h"
#include "client_command.h"
#include "exchange_worker.h"
#include "listen_address.h"
#include "log_writer.h"

namespace benchbridge {

// Hears of the bridge on its io thread; implementations queue to their own thread and return.
class BridgeSink {
 public:
  virtual ~BridgeSink() = default;
  virtual void ClientsChanged(int clients) = 0;
  // What clients changed on the meter (the meter took the command), in the order they did it,
  // kBridgeChangeGather after the first of them however busy the clients stay. Whoever mirrors
  // the meter's state follows the changes and reads the settings again.
  virtual void MeterChanged(std::vector<MeterChange> changes) = 0;
};

class Bridge {
 public:
  using QueryFunction = ExchangeWorker::QueryFunction;

  Bridge(LinkShared& link, LogWriter& log, BridgeSink& sink);
  ~Bridge();  // Stop() and Join()
  Bridge(const Bridge&) = delete;
  Bridge& operator=(const Bridge&) = delete;

  // Listens on address and serves clients through query until Stop(). Empty on success, else a
  // sentence saying why not (the port is taken, the address is not this machine's, ...), which
  // is logged too. A running bridge is stopped first.
  std::string Start(const ListenAddress& address, QueryFunction query,
                    ReplyMode mode = ReplyMode::kInstrument);
  // Closes the listener and every client and returns at once; why is the clients' disconnect
  // reason in the log. An exchange already on the wire finishes on its own (and is logged);
  // Join() waits for it.
  void Stop(std::string_view why = "the bridge stopped");
  void Join();

  // From any thread. Empty while not listening; otherwise the address really bound (port 0
  // replaced by the port the system gave).
  std::string ListeningOn() const;
  int ClientCount() const { return clients_.load(); }

 private:
  struct Running;

  LinkShared& link_;
  LogWriter& log_;
  BridgeSink& sink_;
  std::unique_ptr<Running> running_;
  std::unique_ptr<Running> stopped_;  // until the exchange Stop() left on the wire is over
  mutable std::mutex whereMutex_;
  std::string where_;
  std::atomic<int> clients_{0};
};

}  // namespace benchbridge
