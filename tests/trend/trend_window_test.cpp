// The trend window on real widgets offscreen, fed as the panel feeds it, and with real logs.
#include "trend_window.h"

#include <gtest/gtest.h>

#include <QChartView>
#include <QImage>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QValueAxis>
#include <QWheelEvent>
#include <cmath>
#include <fstream>

#include "engineering_axis.h"
#include "histogram_view.h"
#include "log_files.h"
#include "log_writer.h"
#include "temp_home.h"
#include "trend_curve_item.h"
#include "trend_plot.h"

namespace benchbridge {
namespace {

using std::chrono::system_clock;
using testing::FileLines;
using testing::LocalTime;
using testing::TempHome;

QString Cell(const QTableWidget& table, int row, int column) {
  return table.item(row, column) ? table.item(row, column)->text() : QString();
}

TEST(TrendWindow, DrawsLiveReadingsWithTheirStatisticsBinsAndGaps) {
  TrendWindow window;
  window.show();
  const TimeMs start = ToTimeMs(LocalTime(2026, 12, 7, 14, 0, 0, 0));
  const char* bins[] = {"BIN:1", "BIN:2", "BIN:1", "BIN:OUT", "BIN:AUX"};
  for (int i = 0; i < 30; ++i) {
    if (i == 20) window.MarkGap();  // the meter was disconnected
    const std::string value = i % 2 ? "22.5" : "21.5";
    window.AddReading({"Cs", value, "nF", "D", "0.0031", ""}, start + 500 * i);
    window.AddBin(bins[i % 5]);
  }
  window.AddReading({"", "", "", "", "", ""}, start + 15'500);  // an empty reply
  window.AddBin("BIN:1");  // its bin still counts, but belongs to no reading
  QSignalSpy redrawn(&window, &TrendWindow::Redrawn);
  ASSERT_TRUE(redrawn.wait(5000));  // the coalesced redraw comes by itself

  auto* statistics = window.findChild<QTableWidget*>("statisticsTable");
  ASSERT_EQ(statistics->rowCount(), 2);
  EXPECT_EQ(Cell(*statistics, 0, 0), "Cs");
  EXPECT_EQ(Cell(*statistics, 0, 1), "30");
  EXPECT_EQ(Cell(*statistics, 0, 2), "22 nF");
  EXPECT_EQ(Cell(*statistics, 0, 4), "21.5 nF");
  EXPECT_EQ(Cell(*statistics, 0, 5), "22.5 nF");
  EXPECT_EQ(Cell(*statistics, 1, 0), "D");
  auto* primary = window.findChild<TrendPlot*>("primaryPlot");
  const auto& points = primary->Curve().Points();
  EXPECT_EQ(std::count_if(points.begin(), points.end(),
                          [](const PlotPoint& p) { return std::isnan(p.value); }),
            1);
  EXPECT_EQ(primary->ValueAxis().titleText(), "Cs (nF)");
  EXPECT_EQ(window.findChild<TrendPlot*>("secondaryPlot")->ValueAxis().titleText(), "D");
  EXPECT_GT(window.findChild<HistogramView*>("histogram")->Outline().count(), 0);

  auto* tally = window.findChild<QTableWidget*>("tallyTable");
  ASSERT_EQ(tally->rowCount(), 4);
  EXPECT_EQ(Cell(*tally, 0, 0), "1");
  EXPECT_EQ(Cell(*tally, 0, 1), "13");
  EXPECT_EQ(Cell(*tally, 3, 0), "AUX");
  auto* yield = window.findChild<QLabel*>("yieldLabel");
  EXPECT_TRUE(yield->text().startsWith("Yield: 61.3 % (19 of 31")) << yield->text().toStdString();
  EXPECT_EQ(window.LiveReadings().At(3).bin, 'O');

  // The wheel holds the view, Follow lets it go again.
  QWheelEvent wheel(QPointF(200, 100), primary->mapToGlobal(QPointF(200, 100)), QPoint(),
                    QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(primary->viewport(), &wheel);
  EXPECT_FALSE(window.View().Following());
  auto* follow = window.findChild<QPushButton*>("followButton");
  ASSERT_TRUE(follow->isEnabled());
  QTest::mouseClick(follow, Qt::LeftButton);
  EXPECT_TRUE(window.View().Following());
  QTest::mouseClick(window.findChild<QPushButton*>("spanAll"), Qt::LeftButton);

  TempHome home;
  window.SetExportContext("LX2110 SIM0001 V1.3.0", "Cs-D", {"Level: 1V"});
  ASSERT_TRUE(window.ExportCsv(home.Path() / "view.csv"));
  const auto lines = FileLines(home.Path() / "view.csv");
  ASSERT_EQ(lines.size(), 6u + 30u);
  EXPECT_EQ(lines[3], "# Setting: Level: 1V\r");
  ASSERT_TRUE(window.ExportPng(home.Path() / "chart.png"));
  EXPECT_FALSE(QImage(QString::fromStdString((home.Path() / "chart.png").string())).isNull());

  QTest::mouseClick(window.findChild<QPushButton*>("resetTallyButton"), Qt::LeftButton);
  EXPECT_EQ(tally->rowCount(), 0);
  EXPECT_EQ(window.Tally().Total(), 0u);
}

// What a chart's axis says: its title, its range and the labels at its ticks.
struct AxisText {
  QString title;
  double low, high;
  QStringList labels;
};
AxisText Read(const EngineeringAxis& axis) {
  return {axis.titleText(), axis.min(), axis.max(), axis.TickLabels()};
}

TEST(EngineeringAxis, PutsTheScalesLabelsOnAChartAndDrawsValuesInItsUnits) {
  QChartView view(new QChart);
  auto* series = new QLineSeries;
  view.chart()->addSeries(series);
  auto* x = new EngineeringAxis;
  auto* y = new EngineeringAxis;
  view.chart()->addAxis(x, Qt::AlignBottom);
  view.chart()->addAxis(y, Qt::AlignLeft);
  series->attachAxis(x);
  series->attachAxis(y);
  x->Show(LogScale(20, 1e6, {"f", "Hz"}));
  y->Show(LinearScale(99.98e-12, 100.03e-12, {"Cs", "F"}));
  for (double f : {20.0, 1e3, 1e6})
    series->append(x->Scale().ToPlot(f), y->Scale().ToPlot(100e-12));
  view.resize(640, 400);
  view.show();
  const AxisText logAxis = Read(*x);
  EXPECT_EQ(logAxis.title, "f (kHz)");
  EXPECT_EQ(logAxis.labels, QStringList({"0.1", "1", "10", "100", "1000"}));
  const AxisText values = Read(*y);
  EXPECT_EQ(values.title, "Cs (pF)");
  EXPECT_EQ(values.labels, QStringList({"99.98", "100.00", "100.02"}));
  EXPECT_NEAR(values.low, 99.9775, 1e-9);
  // What Qt drew: the series at 100 pF in the middle of the plot, not squeezed to a line.
  const QPointF at = view.chart()->mapToPosition(series->at(1), series);
  EXPECT_GT(at.y(), view.chart()->plotArea().top() + 10);
  EXPECT_LT(at.y(), view.chart()->plotArea().bottom() - 10);
  // The same labels again change nothing; new ones replace them all.
  QSignalSpy changed(y, &QCategoryAxis::categoriesChanged);
  y->Show(y->Scale());
  EXPECT_EQ(changed.count(), 0);
  y->Show(LinearScale(0.003, 0.003, {"D", "", 1e-5}));
  EXPECT_EQ(Read(*y).labels, QStringList({"0.00298", "0.00299", "0.00300", "0.00301", "0.00302"}));
  EXPECT_EQ(Read(*y).title, "D");
}

TEST(TrendWindow, AxesReadInEngineersUnitsForSmallAndSteadyValues) {
  TrendWindow window;
  window.show();
  const TimeMs start = ToTimeMs(LocalTime(2026, 12, 7, 14, 0, 0, 0));
  for (int i = 0; i < 40; ++i) {
    // A 4.7 pF part with a scatter of a few 1e-14 F beside a D that does not move.
    window.AddReading({"Cs", i % 3 ? "4.7013" : "4.6998", "pF", "D", "0.0030", ""},
                      start + 500 * i + 37);
  }
  window.RedrawNow();
  auto* primary = window.findChild<TrendPlot*>("primaryPlot");
  auto* secondary = window.findChild<TrendPlot*>("secondaryPlot");
  AxisText cs = Read(primary->ValueAxis());
  EXPECT_EQ(cs.title, "Cs (pF)");
  EXPECT_LT(cs.low, 4.6998);
  EXPECT_GT(cs.high, 4.7013);
  EXPECT_LT(cs.high - cs.low, 0.01);
  EXPECT_GE(cs.labels.size(), 3);
  EXPECT_EQ(cs.labels.removeDuplicates(), 0);
  AxisText d = Read(secondary->ValueAxis());
  EXPECT_EQ(d.title, "D");
  EXPECT_LT(d.low, 0.003);
  EXPECT_GT(d.high, 0.003);
  EXPECT_GE(d.labels.size(), 3);
  EXPECT_EQ(d.labels.removeDuplicates(), 0);
  // Time ticks on round seconds (the span is 10 min: whole minutes).
  for (const QString& label : Read(primary->TimeAxis()).labels) {
    EXPECT_TRUE(label.endsWith(":00") || label.size() == 5) << label.toStdString();
  }
  auto* histogram = window.findChild<HistogramView*>("histogram");
  EXPECT_EQ(Read(histogram->ValueAxis()).title, "Cs (pF)");
  for (const QString& label : Read(histogram->CountAxis()).labels) {
    bool whole = false;
    label.toInt(&whole);
    EXPECT_TRUE(whole) << label.toStdString();
  }
}

TEST(TrendWindow, LoadsLogsInTheBackgroundAndSaysWhatWentWrong) {
  TempHome home;
  system_clock::time_point now = LocalTime(2026, 12, 7, 9, 0, 0, 0);
  LogWriter log(home.Path() / "log", [&now] { return now; });
  for (int i = 0; i < 10; ++i) {
    now += std::chrono::milliseconds(500);
    log.WriteLog("Cs,2" + std::to_string(i) + "e-9,F,D,0.003,", "_new");
  }
  const auto file = home.Path() / "log" / "2026-12-07_new.log";
  std::ofstream(file, std::ios::app) << "not a reading\n";

  TrendWindow window;
  window.show();
  auto* status = window.findChild<QLabel*>("statusLabel");
  auto load = [&](auto&& start) {
    QSignalSpy loaded(&window, &TrendWindow::LogLoaded);
    start();
    EXPECT_TRUE(window.Loading() || loaded.count() == 1);
    ASSERT_TRUE(loaded.count() == 1 || loaded.wait(10000));
  };

  load([&] { window.OpenLog(file); });
  EXPECT_EQ(window.ShownReadings().Size(), 10u);
  EXPECT_EQ(status->text(),
            "2026-12-07_new.log: 10 readings; 1 lines that are not readings skipped");
  auto* statistics = window.findChild<QTableWidget*>("statisticsTable");
  EXPECT_EQ(Cell(*statistics, 0, 1), "10");
  EXPECT_TRUE(window.findChild<QPushButton*>("backToLiveButton")->isVisibleTo(&window));

  load([&] { window.OpenLog(home.Path() / "log"); });
  EXPECT_EQ(status->text(), "log is a folder, not a log file");
  EXPECT_EQ(window.ShownReadings().Size(), 10u);  // what was shown stays

  // History on opening: the log's readings before the live ones, none twice.
  QTest::mouseClick(window.findChild<QPushButton*>("backToLiveButton"), Qt::LeftButton);
  const TimeMs live = ToTimeMs(LocalTime(2026, 12, 7, 9, 0, 4, 0));
  window.AddReading({"Cs", "30", "nF", "D", "0.003", ""}, live);
  load([&] { window.LoadHistory(file, live); });
  const ReadingStore& readings = window.LiveReadings();
  ASSERT_EQ(readings.Size(), 8u);
  EXPECT_DOUBLE_EQ(readings.At(6).primary, 26e-9);
  EXPECT_DOUBLE_EQ(readings.At(7).primary, 30e-9);
}

}  // namespace
}  // namespace benchbridge
