#pragma once
// The real panel and benchbridge-sim in its own process on a pty linked as COM9 of a temporary
// home, paced like a 9600 baud line, with the simulator's transcript of every command and reply.

#include <QProcess>
#include <QStringList>
#include <filesystem>
#include <string>

#include "panel_harness.h"

namespace benchbridge::testing {

class SimPanelHarness : public PanelHarness {
 protected:
  // The component the simulated meter measures, the model, and any further options (faults).
  virtual std::string Dut() const { return "capacitor:C=22n,D=0.003"; }
  virtual QString Model() const { return QStringLiteral("LX2110"); }
  virtual QStringList MoreOptions() const { return {}; }

  void SetUp() override {
    sim_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sim_.start(
        QStringLiteral(BENCHBRIDGE_SIM_PATH),
        QStringList{"--home", QString::fromStdString(home_.Path().string()), "--com", "9",
                    "--model", Model(), "--dut", QString::fromStdString(Dut()), "--seed", "7",
                    "--pace", "--transcript", QString::fromStdString(Transcript().string())} +
            MoreOptions());
    ASSERT_TRUE(sim_.waitForStarted(10000));
    ASSERT_TRUE(
        WaitUntil([&] { return std::filesystem::exists(home_.Path() / "ports" / "com9"); }));
  }
  void TearDown() override {
    PanelHarness::TearDown();
    sim_.closeWriteChannel();  // the simulator goes with its standard input
    if (!sim_.waitForFinished(10000)) sim_.kill();
  }
  std::filesystem::path Transcript() const { return home_.Path() / "transcript.txt"; }

  // Picks COM9 and connects, as the operator does.
  void ConnectToSim(TFrmMain& panel) {
    const int com9 = panel.c1->findText("COM9");
    ASSERT_GE(com9, 0);
    panel.c1->setCurrentIndex(com9);
    emit panel.c1->activated(com9);
    panel.rbtn1->click();
  }

  QProcess sim_;
};

}  // namespace benchbridge::testing
