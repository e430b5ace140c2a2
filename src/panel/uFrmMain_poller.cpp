// What the meter session tells the panel: its changes of state, rendered on the keys and the
// display, and the poller's texts.

#include <QComboBox>
#include <QPushButton>

#include "fit_label.h"
#include "port_combo_box.h"
#include "qt_text.h"
#include "uFrmMain.h"
#include "uFrmMain_texts.h"

namespace benchbridge {

void TFrmMain::StateChanged(SessionState from, SessionState to) {
  if (from == SessionState::kConnected) {
    bridgeReadBackPending_ = false;  // the next connection reads it all
  }
  switch (to) {
    case SessionState::kConnecting:
      c1->setEnabled(false);
      ForgetPreviousConnection();
      rbtn1->setText(context_.Pick(main_text::kDisconnect));
      break;
    case SessionState::kReturning:
      ShowReturning();
      break;
    case SessionState::kConnected:
      if (from == SessionState::kReturning) {
        ShowLineBack();
      }
      break;
    case SessionState::kLineLost:
      ShowLineLost(from != SessionState::kReturning);
      break;
    case SessionState::kDisconnected:
      ShowStatusToolTip();
      rbtn1->setText(context_.Pick(main_text::kConnect));
      c1->setEnabled(true);
      ReleaseToConnectKeys();
      break;
    case SessionState::kClosing:
      break;
  }
  SweepMeterChanged();
}

void TFrmMain::PollerReleased() {
  TrendGap();
  emit PollerGone();
}

void TFrmMain::ReadingArrived(const Reading& reading) {
  LLs1->setText(ToQt(reading.primaryName) + QLatin1Char(':'));
  LLs2->setText(ToQt(reading.primaryValue));
  LLs3->setText(ToQt(reading.primaryUnit));
  LLs4->setText(ToQt(reading.secondaryName) + QLatin1Char(':'));
  LLs5->setText(ToQt(reading.secondaryValue));
  LLs6->setText(ToQt(reading.secondaryUnit));
  TrendReading(reading);
  emit ReadingDisplayed();
}

void TFrmMain::BinArrived(const std::string& text) {
  lls7->setText(ToQt(text));
  TrendBin(text);
}

void TFrmMain::StatArrived(const std::string& text) { bb4->setText(ToQt(text)); }

}  // namespace benchbridge
