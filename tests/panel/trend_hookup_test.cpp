// The trend window on the real panel and the scripted meter: opened with Ctrl+T or the display's
// context menu, it starts with the day's log and then follows what the display shows.

#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QTimer>
#include <cmath>
#include <fstream>

#include "log_writer.h"
#include "panel_harness.h"
#include "reading_format.h"
#include "trend_curve_item.h"
#include "trend_plot.h"
#include "trend_window.h"

namespace benchbridge::testing {
namespace {

using namespace std::chrono_literals;

std::vector<std::string> Lines(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class TrendHookupTest : public PanelHarness {
 protected:
  TFrmMain& ActivePanel() {
    TFrmMain& panel = StartPanel();
    panel.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&panel));
    return panel;
  }
};

TEST_F(TrendHookupTest, CtrlTOpensTheDaysLogThenReadingsBinsAndGapsFollowTheDisplay) {
  // Two readings logged a minute ago, before this session.
  const auto earlier = std::chrono::system_clock::now() - 1min;
  {
    std::filesystem::create_directories(home_.Path() / "log");
    std::ofstream log(home_.Path() / "log" / (FormatLogDate(earlier) + "_new.log"));
    for (int i = 0; i < 2; ++i) {
      log << NewLogLine(NormaliseReading({"Cs", "21.0", "nF", "D", "0.0030", ""})) << ", "
          << FormatLogStamp(earlier + i * 500ms) << "\n";
    }
  }
  auto script = StandardMeterScript();
  script["COMParator:STATe?"] = "ON";
  StartMeter(script);
  meter_->RespondInTurn("FETCH:INT?",
                        {ReplyLine("Cs,22.0nF,D,0.0031"), ReplyLine("Cs,22.2nF,D,0.0032"),
                         ReplyLine("exec err"), ReplyLine("Cs,22.4nF,D,0.0033")});
  meter_->RespondInTurn("COMParator:TOLerance:BIN?", {ReplyLine("1"), ReplyLine("O")});
  meter_->Reply("COMParator:TOLerance:BIN?", "2");

  TFrmMain& panel = ActivePanel();
  EXPECT_EQ(panel.Trend(), nullptr);
  QTest::keyClick(&panel, Qt::Key_T, Qt::ControlModifier);
  TrendWindow* trend = panel.Trend();
  ASSERT_NE(trend, nullptr);
  EXPECT_TRUE(trend->isVisible());
  ASSERT_TRUE(WaitUntil([&] { return !trend->Loading(); }));
  ASSERT_EQ(trend->LiveReadings().Size(), 2u);
  EXPECT_EQ(meter_->CommandCount(), 0u);  // opening it asked the meter nothing

  ConnectPanel();
  // Each cycle asks the bin after showing the reading: disconnect once the last bin is in.
  ASSERT_TRUE(WaitUntil([&] {
    return trend->LiveReadings().Size() >= 6 &&
           trend->Tally().Total() == trend->LiveReadings().Size() - 2;
  }));
  // Disconnected and connected again within a second: the line breaks all the same.
  panel.rbtn1->click();
  ASSERT_EQ(panel.Poller(), nullptr);
  PressConnectKey();
  const std::size_t before = trend->LiveReadings().Size();
  ASSERT_TRUE(WaitUntil([&] { return trend->LiveReadings().Size() > before; }));

  const ReadingStore& store = trend->LiveReadings();
  // Each live reading's bin follows it.
  ASSERT_TRUE(WaitUntil([&] { return trend->Tally().Total() == store.Size() - 2; }));
  const double expected[] = {21.0e-9, 21.0e-9, 22.0e-9, 22.2e-9, 22.4e-9, 1.2345e-9};
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_NEAR(store.ValueAt(Parameter::kPrimary, i), expected[i], 1e-15) << i;
  }
  EXPECT_EQ(store.Names(store.At(2).kind).primaryUnit, "F");
  // Breaks: session start (by time), the error reply, the reconnection.
  EXPECT_FALSE(store.BreakBefore(1));
  EXPECT_TRUE(store.BreakBefore(2));
  EXPECT_FALSE(store.BreakBefore(3));
  EXPECT_TRUE(store.BreakBefore(4));
  EXPECT_FALSE(store.BreakBefore(before - 1));
  EXPECT_TRUE(store.BreakBefore(before));
  EXPECT_EQ(store.At(2).bin, '1');
  EXPECT_EQ(store.At(3).bin, 'O');
  EXPECT_EQ(store.At(4).bin, '2');
  EXPECT_EQ(trend->Tally().Passed(), trend->Tally().Total() - 1);

  trend->View().SetSpan(TrendSpan::kAll);
  trend->RedrawNow();
  const auto& points = trend->findChild<TrendPlot*>("primaryPlot")->Curve().Points();
  EXPECT_EQ(std::count_if(points.begin(), points.end(),
                          [](const PlotPoint& p) { return std::isnan(p.value); }),
            3);

  // Every exported row tells the meter, the function and the settings rows as the panel
  // shows them, in columns of their own.
  ASSERT_TRUE(trend->ExportCsv(home_.Path() / "view.csv"));
  const auto csv = Lines(home_.Path() / "view.csv");
  ASSERT_GT(csv.size(), 2u);
  EXPECT_TRUE(csv[0].starts_with("time,primary,")) << csv[0];
  EXPECT_NE(csv[0].find(",meter,function,"), std::string::npos) << csv[0];
  EXPECT_NE(csv[0].find(",SPEED,"), std::string::npos) << csv[0];
  EXPECT_NE(csv[1].find(",\"LX2110, serial SN0042, version V1.02\"," +
                        panel.CB1->text().toStdString() + ","),
            std::string::npos)
      << csv[1];
  EXPECT_NE(csv[1].find(",FAST,"), std::string::npos) << csv[1];
}

TEST_F(TrendHookupTest, TheDisplaysContextMenuOpensItAndClosingThePanelClosesIt) {
  StartMeter();
  TFrmMain& panel = ActivePanel();
  QString offered;
  QTimer::singleShot(0, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (menu == nullptr) return;
    offered = menu->actions().value(0)->text();
    QTest::keyClick(menu, Qt::Key_Down);
    QTest::keyClick(menu, Qt::Key_Return);
  });
  const QPoint at = panel.LLs2->rect().center();
  QContextMenuEvent rightClick(QContextMenuEvent::Mouse, at, panel.LLs2->mapToGlobal(at));
  QApplication::sendEvent(panel.LLs2, &rightClick);
  EXPECT_EQ(offered, QStringLiteral("Trend and statistics…"));
  ASSERT_NE(panel.Trend(), nullptr);
  EXPECT_TRUE(panel.Trend()->isVisible());
  // No log yet today: nothing to report once the history has been looked for.
  ASSERT_TRUE(WaitUntil([&] { return !panel.Trend()->Loading(); }));
  EXPECT_EQ(panel.Trend()->findChild<QLabel*>("statusLabel")->text(), QString());

  panel.close();
  ASSERT_NE(panel.Trend(), nullptr);
  EXPECT_FALSE(panel.Trend()->isVisible());
}

}  // namespace
}  // namespace benchbridge::testing
