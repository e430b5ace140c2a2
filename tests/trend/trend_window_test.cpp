// The trend window on real widgets offscreen, fed as the panel feeds it, and with real logs.
#include "trend_window.h"

#include <gtest/gtest.h>

#include <QChartView>
#include <QComboBox>
#include <QGraphicsLineItem>
#include <QGraphicsScene>
#include <QImage>
#include <QLabel>
#include <QLineSeries>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QValueAxis>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <fstream>
#include <set>

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
  window.AddBin("BIN:1");  // belongs to no reading: counted nowhere
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

  // The tally counts the readings in view, so it agrees with the statistics.
  auto* tally = window.findChild<QTableWidget*>("tallyTable");
  ASSERT_EQ(tally->rowCount(), 4);
  EXPECT_EQ(Cell(*tally, 0, 0), "1");
  EXPECT_EQ(Cell(*tally, 0, 1), "12");
  EXPECT_EQ(Cell(*tally, 3, 0), "AUX");
  auto* yield = window.findChild<QLabel*>("yieldLabel");
  EXPECT_TRUE(yield->text().startsWith("Yield: 60.0 % (18 of 30")) << yield->text().toStdString();
  EXPECT_EQ(window.LiveReadings().At(3).bin, 'O');

  // The comparator's nominal and limits on the plot, Cp and Cpk against its widest bin.
  ComparatorLimits comparator;
  comparator.nominal = 22e-9;
  comparator.low = {-1, -5, -10};
  comparator.high = {1, 5, 10};
  window.SetComparator(comparator);
  window.RedrawNow();
  const std::vector<double> limitLines = primary->LimitLines();
  ASSERT_EQ(limitLines.size(), 7u);
  EXPECT_DOUBLE_EQ(limitLines[0], 22e-9);
  EXPECT_DOUBLE_EQ(limitLines[5], 19.8e-9);
  // The same across the histogram: the nominal and bin 1's limits (those within its range, in
  // the nominal's colour) drawn at their places.
  auto* histogram = window.findChild<HistogramView*>("histogram");
  EXPECT_EQ(histogram->LimitValues(), limitLines);
  std::vector<double> drawnAt;
  for (QGraphicsItem* item : histogram->scene()->items()) {
    const auto* line = dynamic_cast<QGraphicsLineItem*>(item);
    if (line && line->isVisible() && line->pen().color() == QColor(180, 30, 30)) {
      drawnAt.push_back(line->line().x1());
    }
  }
  const QRectF area = histogram->chart()->plotArea();
  const AxisScale& scale = histogram->ValueAxis().Scale();
  std::vector<double> expected;
  for (std::size_t i = 0; i < 3; ++i) {
    expected.push_back(area.left() + area.width() * (scale.ToPlot(limitLines[i]) - scale.low) /
                                         (scale.high - scale.low));
  }
  std::sort(drawnAt.begin(), drawnAt.end());
  std::sort(expected.begin(), expected.end());
  ASSERT_EQ(drawnAt.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) EXPECT_NEAR(drawnAt[i], expected[i], 0.5);
  EXPECT_EQ(Cell(*statistics, 0, 6), "1.44");  // 4.4 nF / 6 s, s = 0.5085 nF
  EXPECT_EQ(Cell(*statistics, 0, 7), "1.44");
  EXPECT_EQ(Cell(*statistics, 1, 6), "-");

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
  ASSERT_EQ(lines.size(), 1u + 30u);
  EXPECT_TRUE(lines[0].starts_with("time,primary,")) << lines[0];
  EXPECT_NE(lines[0].find(",nominal,limit 1,limit 2,limit 3,exported"), std::string::npos);
  EXPECT_NE(lines[1].find(",22 nF,-1 % to 1 %,"), std::string::npos) << lines[1];
  ASSERT_TRUE(window.ExportPng(home.Path() / "chart.png"));
  EXPECT_FALSE(QImage(QString::fromStdString((home.Path() / "chart.png").string())).isNull());

  // A new lot counts from now: nothing yet, then the next reading.
  QTest::mouseClick(window.findChild<QPushButton*>("newLotButton"), Qt::LeftButton);
  EXPECT_EQ(tally->rowCount(), 0);
  EXPECT_EQ(statistics->rowCount(), 0);
  window.AddReading({"Cs", "22.1", "nF", "D", "0.0031", ""}, ToTimeMs(system_clock::now()) + 5);
  window.AddBin("BIN:2");
  window.RedrawNow();
  EXPECT_EQ(window.Tally().Total(), 1u);
  EXPECT_EQ(Cell(*statistics, 0, 1), "1");
}

// A 22 nF lot with the comparator on: every reading's dot in its bin's colour (the tally's key
// shows the same colours), Cp and Cpk against the widest bin and then the bin the operator
// picks, and the lot exported whole while the view shows only its last minute.
TEST(TrendWindow, ColoursReadingsByBinAndMeasuresCapabilityAgainstThePickedBin) {
  TrendWindow window;
  window.show();
  ComparatorLimits comparator;
  comparator.on = true;
  comparator.nominal = 22e-9;
  comparator.low = {-1, -5, -10};
  comparator.high = {1, 5, 10};
  window.SetComparator(comparator);
  const TimeMs start = ToTimeMs(LocalTime(2026, 12, 7, 14, 0, 0, 0));
  std::vector<double> values;
  for (int i = 0; i < 40; ++i) {
    const double nF = i == 17 ? 23.5 : i == 29 ? 26.0 : 21.8 + 0.01 * i;
    values.push_back(nF * 1e-9);
    window.AddReading({"Cs", QString::number(nF, 'f', 2).toStdString(), "nF", "D", "0.003", ""},
                      start + 500 * i);
    if (i != 8) window.AddBin(i == 17 ? "BIN:3" : i == 29 ? "BIN:OUT" : "BIN:1");  // 8's lost
  }
  window.RedrawNow();

  auto* primary = window.findChild<TrendPlot*>("primaryPlot");
  const std::vector<BinMark>& marks = primary->Curve().Marks();
  ASSERT_EQ(marks.size(), 39u);  // each reading with a bin, alone in its column or at its extremes
  for (const BinMark& mark : marks) {
    const auto i = static_cast<std::size_t>((mark.time - start) / 500);
    EXPECT_NE(i, 8u);
    EXPECT_NEAR(mark.value, values[i], 1e-18);
    EXPECT_EQ(mark.bin, i == 17 ? '3' : i == 29 ? 'O' : '1') << i;
  }
  EXPECT_TRUE(window.findChild<TrendPlot*>("secondaryPlot")->Curve().Marks().empty());
  auto* tally = window.findChild<QTableWidget*>("tallyTable");
  ASSERT_EQ(tally->rowCount(), 3);
  std::set<QRgb> colours;
  for (int r = 0; r < 3; ++r) {
    const QColor key = tally->item(r, 0)->data(Qt::DecorationRole).value<QColor>();
    EXPECT_EQ(key, BinColour(Cell(*tally, r, 0) == "OUT" ? 'O' : Cell(*tally, r, 0)[0].toLatin1()));
    colours.insert(key.rgb());
  }
  EXPECT_EQ(colours.size(), 3u);

  // Cp = (upper - lower) / 6 s, Cpk = min(upper - mean, mean - lower) / 3 s over the 40 values.
  double mean = 0, squares = 0;
  for (double v : values) mean += v / 40;
  for (double v : values) squares += (v - mean) * (v - mean);
  const double s = std::sqrt(squares / 39);
  auto* statistics = window.findChild<QTableWidget*>("statisticsTable");
  auto* picker = window.findChild<QComboBox*>("capabilityBinSelector");
  ASSERT_TRUE(picker->isVisible());
  ASSERT_EQ(picker->count(), 3);
  EXPECT_EQ(picker->itemText(0), "Bin 1 (±1 %)");
  EXPECT_EQ(picker->currentIndex(), 2);  // the widest
  EXPECT_EQ(Cell(*statistics, 0, 6), QString::number(4.4e-9 / (6 * s), 'f', 2));
  EXPECT_EQ(Cell(*statistics, 0, 7),
            QString::number(std::min(24.2e-9 - mean, mean - 19.8e-9) / (3 * s), 'f', 2));
  picker->setCurrentIndex(0);
  emit picker->activated(0);
  EXPECT_EQ(Cell(*statistics, 0, 6), QString::number(0.44e-9 / (6 * s), 'f', 2));
  EXPECT_EQ(Cell(*statistics, 0, 7),
            QString::number(std::min(22.22e-9 - mean, mean - 21.78e-9) / (3 * s), 'f', 2));
  EXPECT_TRUE(statistics->horizontalHeaderItem(6)->toolTip().contains("bin 1"));
  window.AddReading({"Cs", "22.00", "nF", "D", "0.003", ""}, start + 20'000);
  window.RedrawNow();
  EXPECT_EQ(picker->currentIndex(), 0);  // the pick stays

  // The lot: ten readings over three minutes, the view the last minute of them (four).
  QTest::mouseClick(window.findChild<QPushButton*>("newLotButton"), Qt::LeftButton);
  const TimeMs second = (ToTimeMs(system_clock::now()) / 1000 + 1) * 1000;
  for (int i = 0; i < 10; ++i) {
    window.AddReading({"Cs", "22.00", "nF", "D", "0.003", ""}, second + 10'000 + 20'000 * i);
  }
  QTest::mouseClick(window.findChild<QPushButton*>("spanMinute"), Qt::LeftButton);
  TempHome home;
  ASSERT_TRUE(window.ExportCsv(home.Path() / "view.csv"));
  ASSERT_TRUE(window.ExportCsv(home.Path() / "lot.csv", TrendWindow::CsvScope::kLot));
  EXPECT_EQ(FileLines(home.Path() / "view.csv").size(), 1u + 4u);
  EXPECT_EQ(FileLines(home.Path() / "lot.csv").size(), 1u + 10u);
  EXPECT_NE(window.findChild<QPushButton*>("exportCsvButton")->menu(), nullptr);
  EXPECT_FALSE(TrendWindow().ExportCsv(home.Path() / "none.csv", TrendWindow::CsvScope::kLot));
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

TEST(TrendWindow, CursorsReadTheReadingUnderThePointerAndTheDifferenceOfTwo) {
  TrendWindow window;
  window.resize(1200, 700);
  window.show();
  const TimeMs start = ToTimeMs(LocalTime(2026, 12, 7, 14, 0, 0, 0));
  for (int i = 0; i < 60; ++i) {
    window.AddReading({"Cs", i < 30 ? "22.0031" : "22.0047", "nF", "D", "0.0031", ""},
                      start + 1000 * i);
  }
  QTest::mouseClick(window.findChild<QPushButton*>("spanAll"), Qt::LeftButton);
  QTest::qWait(50);
  window.RedrawNow();
  auto* plot = window.findChild<TrendPlot*>("primaryPlot");
  const QRectF area = plot->chart()->plotArea();
  auto at = [&](int second) {  // where the reading of that second is drawn, in the viewport
    const double x = area.left() + area.width() * (1000.0 * second) /
                                       (plot->TimeAxis().max() - plot->TimeAxis().min());
    return plot->mapFromScene(plot->chart()->mapToScene(QPointF(x, area.center().y())));
  };
  auto send = [&](QEvent::Type type, QPoint where, Qt::MouseButtons buttons) {
    QMouseEvent event(type, where, plot->viewport()->mapToGlobal(where),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(plot->viewport(), &event);
  };
  send(QEvent::MouseMove, at(10), Qt::NoButton);
  EXPECT_EQ(plot->Readout(), "14:00:10.000  22.0031 nF");
  for (int second : {10, 40}) {
    send(QEvent::MouseButtonPress, at(second), Qt::LeftButton);
    send(QEvent::MouseButtonRelease, at(second), Qt::NoButton);
  }
  EXPECT_TRUE(plot->Readout().endsWith("B - A: 30.000 s, 1.6 pF")) << plot->Readout().toStdString();
  EXPECT_TRUE(window.View().Following());  // clicks placed cursors, they did not pan
}

// What python3 prints for script with the file as its argument ("" without a python3).
QString Python(const QString& script, const std::filesystem::path& file) {
  QProcess python;
  python.start("/usr/bin/python3", {"-c", script, QString::fromStdString(file.string())});
  if (!python.waitForFinished(60'000)) return {};
  return QString::fromUtf8(python.readAllStandardOutput() + python.readAllStandardError())
      .trimmed();
}

TEST(TrendWindow, KeepsDeviationsAndFunctionsApartAndExportsATableEveryToolReads) {
  TrendWindow window;
  window.show();
  const TimeMs start = ToTimeMs(LocalTime(2026, 12, 7, 14, 0, 0, 0));
  TimeMs time = start;
  for (int i = 0; i < 10; ++i) {
    window.AddReading({"Cs", i % 2 ? "22.0031" : "22.0029", "nF", "D", "0.0031", ""}, time += 500);
    window.AddBin("BIN:1");
  }
  for (int i = 0; i < 10; ++i) {  // NULL pressed: the meter sends deviations
    window.AddReading({"Cs", i % 2 ? "-5.02" : "-5.04", "pF", "D", "0.0031", ""}, time += 500,
                      true);
    window.AddBin("BIN:2");
  }
  for (int i = 0; i < 10; ++i) {  // the function changed
    window.AddReading({"Lp", "2.2", "mH", "Q", "30", ""}, time += 500);
    window.AddBin(i == 0 ? "BIN:OUT" : "BIN:3");
  }
  window.RedrawNow();
  auto* primary = window.findChild<TrendPlot*>("primaryPlot");
  auto* secondary = window.findChild<TrendPlot*>("secondaryPlot");
  EXPECT_EQ(primary->ValueAxis().titleText(), "Lp (mH)");
  EXPECT_EQ(secondary->ValueAxis().titleText(), "Q");
  EXPECT_EQ(window.Tally().Total(), 10u);  // the shown pair's bins
  auto* statistics = window.findChild<QTableWidget*>("statisticsTable");
  QStringList rows;
  for (int r = 0; r < statistics->rowCount(); ++r) {
    rows << Cell(*statistics, r, 0) + " " + Cell(*statistics, r, 1) + " " + Cell(*statistics, r, 2);
  }
  EXPECT_EQ(rows, QStringList({"Cs 10 22.003 nF", "D 20 0.0031", "Cs \u0394 10 -5.03 pF",
                               "Lp 10 2.2 mH", "Q 10 30"}));

  // The selector shows the other pairs; the plots then hold only that pair's readings.
  auto* selector = window.findChild<QComboBox*>("pairSelector");
  ASSERT_TRUE(selector->isVisibleTo(&window));
  EXPECT_EQ(selector->itemText(0), "Lp-Q (newest)");
  EXPECT_EQ(selector->itemText(1), "Cs \u0394-D");
  EXPECT_EQ(selector->itemText(2), "Cs-D");
  emit selector->activated(2);
  EXPECT_EQ(primary->ValueAxis().titleText(), "Cs (nF)");
  for (const PlotPoint& point : primary->Curve().Points()) {
    if (!std::isnan(point.value)) {
      EXPECT_NEAR(point.value, 22.003e-9, 0.0002e-9);
    }
  }
  EXPECT_EQ(window.Tally().Total(), 10u);
  EXPECT_EQ(window.Tally().Passed(), 10u);
  emit selector->activated(1);
  EXPECT_EQ(primary->ValueAxis().titleText(), "Cs \u0394 (pF)");

  TempHome home;
  window.SetExportContext("LX3102, serial SN0042, version V1.02", "Lp-Q",
                          {"Level: 1V", "Speed: Fast"});
  ASSERT_TRUE(window.ExportCsv(home.Path() / "view.csv"));
  const QString pandas = Python(
      "import sys, pandas\n"
      "t = pandas.read_csv(sys.argv[1])\n"
      "print(len(t), t['deviation'].eq('yes').sum(), t['primary value'].dtype,\n"
      "      t['meter'].unique().tolist(), t['Level'].unique().tolist(), t['bin'].iloc[20])\n",
      home.Path() / "view.csv");
  EXPECT_EQ(pandas, "30 10 float64 ['LX3102, serial SN0042, version V1.02'] ['1V'] OUT");
  const QString csvModule = Python(
      "import csv, sys\n"
      "rows = list(csv.reader(open(sys.argv[1])))\n"
      "print(rows[0][0], len(rows), {len(r) for r in rows} == {len(rows[0])})\n",
      home.Path() / "view.csv");
  EXPECT_EQ(csvModule, "time 31 True");
}

TEST(TrendWindow, HistoryBringsItsBinsAndSaysWhatItCouldNotKeep) {
  TempHome home;
  system_clock::time_point now = LocalTime(2026, 12, 7, 9, 0, 0, 0);
  LogWriter log(home.Path() / "log", [&now] { return now; });
  for (int i = 0; i < 8; ++i) {
    now += std::chrono::milliseconds(500);
    log.WriteLog("Cs,2" + std::to_string(i) + ".000nF,D,0.0030");  // the reply
    now += std::chrono::milliseconds(2);
    log.WriteLog("Cs,2" + std::to_string(i) + ".000e-9,F,D,0.0030,", "_new");
    now += std::chrono::milliseconds(40);
    if (i != 6) log.WriteLog(i == 7 ? "O" : "1");  // the bin reply (one lost)
  }
  const auto file = home.Path() / "log" / "2026-12-07_new.log";

  TrendWindow window(nullptr, 5);
  window.show();
  QSignalSpy loaded(&window, &TrendWindow::LogLoaded);
  window.OpenLog(file);
  ASSERT_TRUE(loaded.count() == 1 || loaded.wait(10000));
  EXPECT_EQ(window.findChild<QLabel*>("statusLabel")->text(),
            "2026-12-07_new.log: 8 read, the oldest 3 not kept");
  const auto* statistics = window.findChild<QTableWidget*>("statisticsTable");
  EXPECT_EQ(Cell(*statistics, 0, 1), "5");
  EXPECT_EQ(window.Tally().Total(), 4u);  // the one without its bin reply is not counted
  EXPECT_EQ(window.Tally().Passed(), 3u);
  EXPECT_EQ(window.ShownReadings().At(window.ShownReadings().End() - 1).bin, 'O');
}

TEST(TrendWindow, EverythingShowsWithoutOverlapAtTheMinimumAndDefaultSizes) {
  TrendWindow window;
  const TimeMs start = ToTimeMs(LocalTime(2026, 12, 7, 14, 0, 0, 0));
  for (int i = 0; i < 20; ++i) {
    window.AddReading({"Cs", "22.0031", "nF", "D", "0.003172", ""}, start + 500 * i);
    window.AddReading({"Cs", "-5.0123", "pF", "D", "0.003172", ""}, start + 500 * i + 250, true);
    window.AddBin("BIN:1");
  }
  // The newest a value, so the comparator's limits and the bin picker show.
  window.AddReading({"Cs", "22.0032", "nF", "D", "0.003172", ""}, start + 10'000);
  ComparatorLimits comparator;
  comparator.nominal = 22e-9;
  comparator.low = {-0.5, -1, -2.5};
  comparator.high = {0.5, 1, 2.5};
  window.SetComparator(comparator);
  window.show();
  for (const QSize size : {window.minimumSize(), QSize(1200, 700)}) {
    window.resize(size);
    QTest::qWait(50);
    window.RedrawNow();
    QTest::qWait(50);
    EXPECT_LE(window.minimumSize().width(), 800);
    EXPECT_LE(window.minimumSize().height(), 500);
    EXPECT_EQ(window.size(), size);
    std::vector<QWidget*> parts;
    for (const char* name :
         {"primaryPlot", "secondaryPlot", "histogram", "statisticsTable", "tallyTable",
          "yieldLabel", "newLotButton", "exportPngButton", "capabilityBinSelector"}) {
      parts.push_back(window.findChild<QWidget*>(name));
      ASSERT_NE(parts.back(), nullptr) << name;
    }
    for (std::size_t a = 0; a < parts.size(); ++a) {
      const QRect rect(parts[a]->mapTo(&window, QPoint(0, 0)), parts[a]->size());
      EXPECT_TRUE(window.rect().contains(rect)) << parts[a]->objectName().toStdString();
      EXPECT_GE(rect.height(), parts[a]->minimumSizeHint().height())
          << parts[a]->objectName().toStdString();
      for (std::size_t b = a + 1; b < parts.size(); ++b) {
        const QRect other(parts[b]->mapTo(&window, QPoint(0, 0)), parts[b]->size());
        EXPECT_FALSE(rect.intersects(other)) << parts[a]->objectName().toStdString() << " over "
                                             << parts[b]->objectName().toStdString();
      }
    }
    // Every column of the statistics whole, every row without scrolling.
    auto* statistics = window.findChild<QTableWidget*>("statisticsTable");
    EXPECT_FALSE(statistics->horizontalScrollBar()->isVisible());
    EXPECT_FALSE(statistics->verticalScrollBar()->isVisible());
    for (int c = 0; c < statistics->columnCount(); ++c) {
      for (int r = 0; r < statistics->rowCount(); ++r) {
        EXPECT_LE(statistics->fontMetrics().horizontalAdvance(Cell(*statistics, r, c)),
                  statistics->columnWidth(c))
            << r << "," << c;
      }
    }
    auto* yield = window.findChild<QLabel*>("yieldLabel");
    EXPECT_LE(yield->fontMetrics().horizontalAdvance(yield->text()), yield->width());
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
