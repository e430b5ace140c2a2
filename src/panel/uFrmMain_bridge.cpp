// The network bridge as the panel shows it. The meter session runs it: it listens only while the
// panel is connected (from the end of the connect sequence to the start of disconnect or close).
// bb5's tooltip tells where and to how many clients, and a client's setting is followed by the
// panel's own readback of the meter's state, so the panel never shows a state a script changed
// behind its back.

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTimer>

#include "bilingual.h"
#include "fit_label.h"
#include "message_box.h"
#include "qt_text.h"
#include "uFrmMain.h"
#include "uFrmMain_texts.h"

namespace benchbridge {

namespace {

inline constexpr Bilingual kBridgeListening{"脚本桥：在 %1 监听，已连接客户端 %2 个",
                                            "Scripting bridge: listening on %1, %2 client(s)"};
inline constexpr Bilingual kBridgeWaiting{"脚本桥：连接仪器后在 %1 监听",
                                          "Scripting bridge: listens on %1 while connected"};
inline constexpr Bilingual kBridgeOff{"脚本桥未启用：%1", "Scripting bridge off: %1"};
inline constexpr Bilingual kBridgeNotStarted{
    "脚本桥未启用：%1\n面板照常工作，只是脚本无法访问仪器。",
    "The scripting bridge is off: %1\nThe panel works on; only scripts cannot reach the meter."};

// While a handler or a dialog keeps the readback waiting, it looks again this often.
constexpr int kReadBackRetryMs = 200;

}  // namespace

std::string TFrmMain::SetBridgeListen(const std::string& text, const std::string& source) {
  std::optional<ListenAddress> address;
  std::string problem;
  if (!text.empty()) {
    ListenAddressParse parse = ParseListenAddress(text);
    if (parse.address) {
      address = std::move(parse.address);
    } else {
      problem = source + ": " + parse.error;
    }
  }
  session_->SetBridgeListen(std::move(address), problem);
  ShowStatusToolTip();
  return problem;
}

std::string TFrmMain::SetBridgeReplies(const std::string& text, const std::string& source) {
  const std::optional<ReplyMode> mode = ParseReplyMode(text);
  if (!mode) return source + ": " + ReplyModeProblem(text);
  session_->SetBridgeReplies(*mode);
  return {};
}

std::string TFrmMain::BridgeListeningOn() const { return session_->BridgeListeningOn(); }

int TFrmMain::BridgeClients() const { return session_->BridgeClients(); }

void TFrmMain::TellBridgeProblem() {
  ShowStatusToolTip();
  const std::string& problem = session_->BridgeProblem();
  if (!problem.empty() && problem != bridgeProblemTold_) {
    // Once per cause: reconnecting to the meter does not repeat what the operator knows.
    bridgeProblemTold_ = problem;
    ShowMessageBox(this, QMessageBox::Warning, context_.Pick(main_text::kMessageTitle),
                   context_.Pick(kBridgeNotStarted).arg(ToQt(problem)));
  }
}

void TFrmMain::ShowStatusToolTip() {
  QStringList lines;
  if (const auto since = session_->LostSince()) {
    lines << context_.Pick(main_text::kOfflineSince) +
                 QDateTime::fromMSecsSinceEpoch(
                     std::chrono::duration_cast<std::chrono::milliseconds>(
                         since->time_since_epoch())
                         .count())
                     .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
  }
  if (logLoss_) {
    lines << context_.Pick(main_text::kLogLossSince) +
                 logLossSince_.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) + QLatin1Char('\n') +
                 LogLossText(*logLoss_);
  }
  if (const std::string where = BridgeListeningOn(); !where.empty()) {
    lines << context_.Pick(kBridgeListening).arg(ToQt(where)).arg(BridgeClients());
  } else if (!session_->BridgeProblem().empty()) {
    lines << context_.Pick(kBridgeOff).arg(ToQt(session_->BridgeProblem()));
  } else if (const std::optional<ListenAddress>& listen = session_->BridgeListen()) {
    lines << context_.Pick(kBridgeWaiting).arg(ToQt(FormatListenAddress(*listen)));
  }
  bb5->setToolTip(lines.join(QLatin1Char('\n')));
}

void TFrmMain::BridgeClientsChanged(int /*clients*/) { ShowStatusToolTip(); }

void TFrmMain::BridgeMeterChanged(const std::vector<MeterChange>& changes) {
  bridgeChanges_.insert(bridgeChanges_.end(), changes.begin(), changes.end());
  bridgeReadBackPending_ = true;
  ReadBackForBridge();
}

// What the re-read cannot see, as the panel's own keys would have left it.
void TFrmMain::FollowClientChanges(const std::vector<MeterChange>& changes) {
  using Kind = MeterChange::Kind;
  const auto showStatistic = [this](const std::string& name) {
    ShowStatistic(name == "OFF" ? std::string() : name);
  };
  for (const MeterChange& change : changes) {
    switch (change.kind) {
      case Kind::kStatistics:
        showStatistic(change.value);
        break;
      case Kind::kDeviation:
        context_.State().deviationOn = change.value == "ON";
        break;
      case Kind::kListState:
        cb9->setCurrentIndex(change.value == "ON" ? 1 : 0);  // from code: no change handler
        break;
      case Kind::kReset:
        // A reset meter has statistics, deviation and the list sweep off; the comparator and
        // the settings come with the re-read.
        showStatistic("OFF");
        context_.State().deviationOn = false;
        cb9->setCurrentIndex(0);
        break;
      case Kind::kSetting:
        break;
    }
  }
}

bool TFrmMain::PanelBusy() const {
  // The panel lock disables every key, the close key included; operator dialogs and message
  // boxes are modal; an open drop-down list would have its items replaced under the pointer.
  return !rbtnQ->isEnabled() || QApplication::activeModalWidget() != nullptr ||
         QApplication::activePopupWidget() != nullptr;
}

void TFrmMain::ReadBackForBridge() {
  if (!bridgeReadBackPending_) {
    return;
  }
  if (session_->State() != SessionState::kConnected || BridgeListeningOn().empty()) {
    bridgeReadBackPending_ = false;  // disconnected meanwhile: the next connection reads it all
    bridgeChanges_.clear();
    return;
  }
  if (PanelBusy()) {
    if (!bridgeRetryArmed_) {
      bridgeRetryArmed_ = true;
      QTimer::singleShot(kReadBackRetryMs, this, [this] {
        bridgeRetryArmed_ = false;
        ReadBackForBridge();
      });
    }
    return;
  }
  bridgeReadBackPending_ = false;
  std::vector<MeterChange> changes;
  changes.swap(bridgeChanges_);
  RunUnderPanelLock([this, &changes] {
    FollowClientChanges(changes);
    const bool binWasOn = Poller() && !Poller()->BinQuery().empty();
    const QString binShown = lls7->text();
    if (!ReadMeterState()) {
      return;
    }
    // The connect sequence starts from a switched-off comparator; here it may have been on. Still
    // on: the last bin stays until the next poll brings one (not the layout's "BIN:OUT"). Now
    // off: the bin display goes, as with the operator's switch.
    if (binWasOn && cb6->currentIndex() == 1) {
      lls7->setText(binShown);
    } else if (binWasOn && cb6->currentIndex() == 0) {
      context_.SetBinQuery(false);
      RestoreReadingLayout();
    }
    UpdateListSwitch();
  });
  if (session_->State() != SessionState::kClosing) {
    emit BridgeReadBackDone();
  }
}

}  // namespace benchbridge
