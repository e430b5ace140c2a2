#include "wire_account.h"

#include <algorithm>

#include "gbk.h"
#include "reading_format.h"

namespace benchbridge::testing {

void TranscriptRecorder::Add(const sim::TranscriptEntry& entry) {
  std::lock_guard guard(mutex_);
  entries_.push_back(entry);
  added_.notify_all();
}

std::vector<sim::TranscriptEntry> TranscriptRecorder::Entries() const {
  std::lock_guard guard(mutex_);
  return entries_;
}

std::vector<sim::TranscriptEntry> TranscriptRecorder::EntriesOnceAnswered(
    std::chrono::milliseconds limit) const {
  std::unique_lock guard(mutex_);
  added_.wait_for(guard, limit, [&] {
    return !entries_.empty() && entries_.back().kind == sim::TranscriptEntry::Kind::Reply;
  });
  return entries_;
}

std::string ReplyText(const std::string& wireBytes) {
  std::string bytes = wireBytes;
  if (bytes.ends_with("\r\n")) bytes.resize(bytes.size() - 2);
  return GbkToUtf8(bytes);
}

PollerTraffic PollerTrafficOf(const std::vector<sim::TranscriptEntry>& transcript) {
  using Kind = sim::TranscriptEntry::Kind;
  PollerTraffic traffic;
  for (std::size_t i = 0; i + 1 < transcript.size(); ++i) {
    if (transcript[i].kind != Kind::Command || transcript[i + 1].kind != Kind::Reply) continue;
    const std::string& command = transcript[i].bytes;
    const std::string reply = ReplyText(transcript[i + 1].bytes);
    if (command == "FETCH:INT?") {
      ++traffic.polls;
      traffic.mainLog.push_back(reply);
      if (reply.find("cmd err") == std::string::npos &&
          reply.find("exec err") == std::string::npos) {
        traffic.newLog.push_back(NewLogLine(NormaliseReading(SplitReading(reply))));
      }
    } else if (command == "COMParator:TOLerance:BIN?") {
      ++traffic.bins;
      traffic.mainLog.push_back(reply);
    }
  }
  return traffic;
}

LogAccount Account(const std::vector<std::string>& sent, const std::vector<std::string>& logged) {
  LogAccount account;
  account.sent = sent.size();
  auto from = logged.begin();
  for (const std::string& reply : sent) {
    const auto at = std::find(from, logged.end(), reply);
    if (at == logged.end()) {
      ++account.missing;
      continue;
    }
    ++account.found;
    from = at + 1;
  }
  account.extra = logged.size() - account.found;
  return account;
}

}  // namespace benchbridge::testing
