#include "bridge_log.h"

#include "bridge_limits.h"

namespace benchbridge {

void BridgeLog::Listening(std::string_view where) { Write("listening on " + std::string(where)); }

void BridgeLog::Stopped(std::string_view where) {
  Write("stopped listening on " + std::string(where));
}

void BridgeLog::Connected(std::string_view peer, int clients) {
  Write(std::string(peer) + " connected (" + std::to_string(clients) + " of " +
        std::to_string(kBridgeClientLimit) + ")");
}

void BridgeLog::Refused(std::string_view peer, std::string_view why) {
  Write(std::string(peer) + " refused: " + std::string(why));
}

void BridgeLog::Disconnected(std::string_view peer, std::string_view why) {
  Write(std::string(peer) + " disconnected: " + std::string(why));
}

void BridgeLog::Exchange(std::string_view peer, std::string_view command, std::string_view reply) {
  std::string line(peer);
  line += ": ";
  line += command;
  line += " -> ";
  line += reply.empty() ? std::string_view("(no reply)") : reply;
  Write(line);
}

}  // namespace benchbridge
