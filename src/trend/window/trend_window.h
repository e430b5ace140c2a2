#pragma once
// The trend, statistics and yield window: the primary and the secondary value against time,
// statistics and a histogram of what is in view, the bin tally with the yield, the day's log
// as history or any "_new" log opened from disk, and export to CSV and PNG.
//
// The panel feeds it (readings as shown, bins, gaps) and nothing here talks to the meter.
// Drawing is coalesced: readings arriving faster than the redraw period cost one redraw.

#include <QPointer>
#include <QStringList>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "axis_scale.h"
#include "bin_tally.h"
#include "capability.h"
#include "column_reduction.h"
#include "csv_export.h"
#include "new_log_reader.h"
#include "range_statistics.h"
#include "reading_format.h"
#include "reading_store.h"
#include "trend_view.h"

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace benchbridge {

class HistogramView;
class TrendPlot;

class TrendWindow : public QWidget {
  Q_OBJECT

 public:
  // At most this often the chart is drawn again while readings stream in.
  static constexpr int kRedrawPeriodMs = 150;
  static constexpr int kMinimumWidth = 800, kMinimumHeight = 500;

  // capacity: how many readings the window keeps, live and of a log opened.
  explicit TrendWindow(QWidget* parent = nullptr,
                       std::size_t capacity = ReadingStore::kDefaultCapacity);
  ~TrendWindow() override;

  // A reading as the panel shows it (the display texts, names without ":"); normalised here as
  // the "_new" log normalises it. One without any number breaks the line. deviation: the
  // meter is in its deviation mode, its primary value is the difference from the nulled one.
  void AddReading(const Reading& displayTexts, TimeMs time, bool deviation = false);
  // The bin as lls7 shows it ("BIN:3", "BIN:OUT"); it belongs to the reading just added.
  void AddBin(const std::string& displayText);
  // Readings stopped (error replies, disconnection): the line breaks before the next one.
  void MarkGap();
  // What the CSV header says about the meter.
  void SetExportContext(std::string identity, std::string function,
                        std::vector<std::string> settingsRows);
  // The comparator as the panel last read or set it: while it is on (or the readings in view
  // have bins) each reading's point shows its bin's colour, its nominal and bin limits are drawn
  // on the primary plot and Cp and Cpk are measured against the bin the operator picks (the
  // widest numbered bin until then).
  void SetComparator(const ComparatorLimits& limits);
  // Asked at each export of the live readings instead, so the header tells the meter's state
  // at that moment. A log opened from disk is exported without the meter's details.
  void SetExportContextSource(std::function<CsvContext()> source);

  // Today's history in the background: the readings of newLog stamped before until go in
  // front of the live ones. Does nothing while another log is loading. "Open log…" starts in
  // newLog's folder, the log folder the panel writes.
  void LoadHistory(const std::filesystem::path& newLog, TimeMs until);
  // Shows a "_new" log instead of the live readings (which go on being collected).
  void OpenLog(const std::filesystem::path& newLog);
  void ShowLive();

  // What "Export CSV…" writes: the readings in view (from the lot's start on, as the statistics
  // count), or every reading of the lot, whatever the view shows of it.
  enum class CsvScope { kView, kLot };
  bool ExportCsv(const std::filesystem::path& file, CsvScope scope = CsvScope::kView);
  bool ExportPng(const std::filesystem::path& file);

  // Draws at once instead of at the next redraw period.
  void RedrawNow();
  bool Loading() const { return loadThread_ != nullptr; }
  const ReadingStore& LiveReadings() const { return live_; }
  const ReadingStore& ShownReadings() const { return showingFile_ ? file_ : live_; }
  // The bins of the shown pair's readings in view (since the lot's start).
  const BinTally& Tally() const { return tally_; }
  // "New lot": statistics, tally, histogram and export count from now on.
  void StartLot();
  TrendView& View() { return view_; }

 signals:
  void Redrawn();
  void LogLoaded();

 private:
  struct LoadJob {
    std::filesystem::path file;
    TimeMs until = 0;
    bool history = false;
    explicit LoadJob(std::size_t capacity) : store(capacity) {}
    ReadingStore store;
    LogLoadProgress progress;
    LogLoadResult result;
  };

  // A hidden window draws nothing; it catches up when shown.
  void showEvent(QShowEvent* event) override;

  QWidget* BuildToolbar();
  QWidget* BuildSidePanel();
  QWidget* BuildStatisticsBox();
  QWidget* BuildStatusRow();
  void ScheduleRedraw();
  // What is shown was replaced: the next redraw reduces and counts it from the start.
  void ForgetReductions();
  void StartLoad(const std::filesystem::path& file, TimeMs until, bool history);
  void FinishLoad();
  void ShowLoadProgress();
  void ChooseLog();
  void ChooseCsv(CsvScope scope);
  void ChoosePng();
  void RedrawTally();
  void ChoosePair(int index);
  // The numbered bin Cp and Cpk are measured against (0: none has limits); fills the picker.
  int CapabilityBin(bool limitsApply);
  void ShowStatistics(const std::vector<ParameterStatistics>& rows, const AxisQuantity& primary,
                      int capabilityBin);
  // The indices of the readings in view (from the lot's start on).
  std::pair<std::uint64_t, std::uint64_t> IndicesInView() const;
  // The kind the plots show (the newest in view, or the one picked), -1 for none; fills the
  // pair selector.
  int ShownKind(const ReadingStore& store, std::uint64_t begin, std::uint64_t end);
  void ShowStatus(const QString& text, bool problem);
  // Oldest and newest time of what is shown (now and now while empty), and its range in view.
  TrendView::Range Extent() const;
  TrendView::Range ShownRange() const;

  std::size_t capacity_;
  ReadingStore live_;
  ReadingStore file_;
  bool showingFile_ = false;
  bool binPending_ = false;
  BinTally tally_;
  std::optional<TimeMs> lotStart_;
  ComparatorLimits comparator_;
  std::optional<ParameterNames> chosenPair_;
  std::optional<int> chosenCapabilityBin_;  // picked by the operator
  QStringList capabilityItems_;
  QStringList pairItems_;
  std::vector<std::uint16_t> pairKinds_;  // of pairItems_
  TrendView view_;
  CsvContext context_;
  ColumnReducer primaryReducer_, secondaryReducer_;
  HistogramCounter histogramCounter_;
  std::function<CsvContext()> contextSource_;
  std::filesystem::path logFolder_;  // where "Open log…" starts
  QTimer redrawTimer_;
  QTimer progressTimer_;
  std::unique_ptr<LoadJob> load_;
  QPointer<QThread> loadThread_;

  TrendPlot* primaryPlot_;
  TrendPlot* secondaryPlot_;
  QWidget* plots_;
  HistogramView* histogram_;
  QTableWidget* statistics_;
  QTableWidget* tallyTable_;
  QLabel* yieldLabel_;
  QLabel* lotLabel_;
  QComboBox* pairSelector_;
  QComboBox* capabilityBinSelector_;
  QWidget* capabilityPicker_;
  QPushButton* exportCsv_;
  QLabel* sourceLabel_;
  QLabel* statusLabel_;
  QProgressBar* progress_;
  QPushButton* cancelLoad_;
  QPushButton* followButton_;
  QPushButton* openLog_;
  QPushButton* backToLive_;
  std::vector<QPushButton*> spanButtons_;
};

}  // namespace benchbridge
