#include "panel_context.h"

#include <QEventLoop>
#include <QTimer>
#include <utility>

#include "meter_commands.h"
#include "qt_text.h"

namespace benchbridge {

namespace {

// LinkReady only ever waits for the first exchange of the process (at most one Query time
// limit), so a short look interval costs nothing and keeps the window responsive.
constexpr int kLinkReadyLookMs = 5;

}  // namespace

PanelContext::PanelContext(std::filesystem::path home)
    : home_(std::move(home)), log_(home_ / "log") {}

void PanelContext::WaitLinkReady() {
  while (!shuttingDown_ && Poller() != nullptr && !link_.LinkReady()) {
    QEventLoop loop;
    QTimer::singleShot(kLinkReadyLookMs, &loop, &QEventLoop::quit);
    // -1: the application is quitting and every event loop returns at once; waiting on would spin.
    if (loop.exec() < 0) {
      return;
    }
  }
}

ExchangeResult PanelContext::Exchange(const std::string& command) {
  WaitLinkReady();
  // The wait processes events: the poller may have gone or shutdown begun meanwhile.
  ExchangeResult result;
  if (!shuttingDown_ && session_ != nullptr) {
    result = session_->Ask(command + "\n");
  }
  state_.replyText = result.reply;
  return result;
}

std::string PanelContext::SendWithoutWait(const std::string& command) {
  if (shuttingDown_ || session_ == nullptr) {
    state_.replyText.clear();
    return {};
  }
  state_.replyText = session_->Query(command + "\n");
  return state_.replyText;
}

std::optional<std::string> PanelContext::Ask(const std::string& command) {
  ExchangeResult result = Exchange(command);
  if (!result.Ok() || shuttingDown_) {
    return std::nullopt;
  }
  return std::move(result.reply);
}

bool PanelContext::Tell(const std::string& command) {
  Send(command);
  return !shuttingDown_;
}

void PanelContext::SetBinQuery(bool on) {
  if (TsmThread* poller = Poller()) {
    poller->SetBinQuery(on ? command::Line(command::kAskBin) : "");
  }
}

void PanelContext::SetStatQuery(bool on) {
  if (TsmThread* poller = Poller()) {
    poller->SetStatQuery(on ? command::Line(command::kAskStatisticValue) : "");
  }
}

QString PanelContext::Pick(const char* chinese, const char* english) const {
  return ToQt(state_.uiLanguage == UiLanguage::Chinese ? chinese : english);
}

void PanelContext::BeginShutdown() {
  shuttingDown_ = true;
  log_.Shutdown();
}

}  // namespace benchbridge
