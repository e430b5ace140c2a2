#include "fake_instrument.h"

#include <algorithm>

#include "gbk.h"

namespace benchbridge::testing {

Response ReplyLine(std::string_view utf8Text) { return Response::Line(Utf8ToGbk(utf8Text)); }

Response RawBytes(std::string bytes) {
  return Pieces({{std::move(bytes), std::chrono::milliseconds(0)}});
}

Response Pieces(std::vector<ResponsePiece> pieces) {
  Response response;
  response.pieces = std::move(pieces);
  return response;
}

Response Delayed(Response response, std::chrono::milliseconds delay) {
  if (response.pieces.empty()) return response;
  response.pieces.front().delayBefore += delay;
  return response;
}

Response ThenHangUp(Response response) {
  response.hangUpAfter = true;
  return response;
}

Response HangUpInstead() { return ThenHangUp(Response::Silence()); }

FakeInstrument::FakeInstrument(const std::filesystem::path& home, FakeOptions options)
    : comNumber_(options.comNumber) {
  auto endpoint = std::make_unique<sim::PtyEndpoint>(home, options.comNumber);
  endpoint->SetLineLimit(options.lineLimit);
  endpoint->SetReadPause(options.readPause);
  sim::PtyServerOptions serverOptions;
  serverOptions.pacingBaud = options.pacingBaud;
  serverOptions.onTranscript = [this](const sim::TranscriptEntry& entry) {
    if (entry.kind != sim::TranscriptEntry::Kind::Reply) return;
    {
      std::lock_guard guard(mutex_);
      ++replies_;
    }
    arrived_.notify_all();
  };
  server_ = std::make_unique<sim::PtyServer>(
      std::move(endpoint), [this](const std::string& command) { return Answer(command); },
      serverOptions);
  server_->Start();
}

FakeInstrument::~FakeInstrument() { server_->Stop(); }

Response FakeInstrument::Answer(const std::string& gbkCommand) {
  const std::string command = GbkToUtf8(gbkCommand);
  Script script;
  {
    std::lock_guard guard(mutex_);
    commands_.push_back(command);
    script = script_;
  }
  arrived_.notify_all();
  if (script) {
    if (auto response = script(command)) return *response;
  }
  std::lock_guard guard(mutex_);
  if (auto turn = inTurn_.find(command); turn != inTurn_.end() && !turn->second.empty()) {
    Response response = std::move(turn->second.front());
    turn->second.pop_front();
    return response;
  }
  if (auto fixed = fixed_.find(command); fixed != fixed_.end()) return fixed->second;
  return default_;
}

void FakeInstrument::Reply(const std::string& command, std::string_view utf8Text) {
  Respond(command, ReplyLine(utf8Text));
}

void FakeInstrument::Respond(const std::string& command, Response response) {
  std::lock_guard guard(mutex_);
  fixed_[command] = std::move(response);
}

void FakeInstrument::RespondInTurn(const std::string& command, std::vector<Response> responses) {
  std::lock_guard guard(mutex_);
  auto& queue = inTurn_[command];
  for (auto& response : responses) queue.push_back(std::move(response));
}

void FakeInstrument::SetDefault(Response response) {
  std::lock_guard guard(mutex_);
  default_ = std::move(response);
}

void FakeInstrument::SetScript(Script script) {
  std::lock_guard guard(mutex_);
  script_ = std::move(script);
}

bool FakeInstrument::Inject(const std::string& bytes) { return server_->Inject(bytes); }

bool FakeInstrument::InjectLine(std::string_view utf8Text) {
  return server_->Inject(Utf8ToGbk(utf8Text) + "\r\n");
}

void FakeInstrument::HangUp() { server_->HangUp(); }

std::vector<std::string> FakeInstrument::Commands() const {
  std::lock_guard guard(mutex_);
  return commands_;
}

std::size_t FakeInstrument::CommandCount() const {
  std::lock_guard guard(mutex_);
  return commands_.size();
}

std::size_t FakeInstrument::CountOf(const std::string& command) const {
  std::lock_guard guard(mutex_);
  return static_cast<std::size_t>(std::count(commands_.begin(), commands_.end(), command));
}

void FakeInstrument::ClearCommands() {
  std::lock_guard guard(mutex_);
  commands_.clear();
}

bool FakeInstrument::WaitForCommandCount(std::size_t count, std::chrono::milliseconds limit) const {
  std::unique_lock guard(mutex_);
  return arrived_.wait_for(guard, limit, [&] { return commands_.size() >= count; });
}

bool FakeInstrument::WaitForCommand(const std::string& command, std::chrono::milliseconds limit,
                                    std::size_t occurrences) const {
  std::unique_lock guard(mutex_);
  return arrived_.wait_for(guard, limit, [&] {
    return static_cast<std::size_t>(std::count(commands_.begin(), commands_.end(), command)) >=
           occurrences;
  });
}

std::size_t FakeInstrument::ReplyCount() const {
  std::lock_guard guard(mutex_);
  return replies_;
}

bool FakeInstrument::WaitForReplyCount(std::size_t count, std::chrono::milliseconds limit) const {
  std::unique_lock guard(mutex_);
  return arrived_.wait_for(guard, limit, [&] { return replies_ >= count; });
}

const std::filesystem::path& FakeInstrument::LinkPath() const {
  return server_->Endpoint().LinkPath();
}

}  // namespace benchbridge::testing
