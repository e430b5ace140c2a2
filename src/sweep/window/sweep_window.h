#pragma once
// The sweep window: the meter driven point by point over test frequency, test level or DC bias,
// plotted as it goes (two plots sharing the swept axis: what the meter measured or quantities
// derived from it), compared with kept or loaded reference sweeps, exported as CSV and PNG.
//
// The sweep runs on a thread of its own on a line the panel hands over (poller paused, bridge
// clients held); points come back through a queue drained on the window's thread. Whatever ends
// it, the swept setting goes back to its value before, the line is given back and, while the
// meter is there, the panel reads its settings again.

#include <QColor>
#include <QWidget>
#include <chrono>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "sweep_host.h"
#include "sweep_record.h"
#include "sweep_series.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QProgressBar;
class QPushButton;
class QSpinBox;

namespace benchbridge {

class SweepPlot;

class SweepWindow : public QWidget, private SweepObserver {
  Q_OBJECT

 public:
  explicit SweepWindow(SweepHost& host, QWidget* parent = nullptr);
  ~SweepWindow() override;

  // The panel's connection changed (or its meter): what can be swept is set up again.
  void MeterChanged();
  // Before a disconnect or close: a sweep under way stops now, its setting goes back while the
  // line is there, and the line is given back (no readback: the panel is going).
  void EndSweepNow();

  // From Start until the panel has read the meter back after the sweep.
  bool Sweeping() const { return runner_ != nullptr || concluding_; }
  const SweepRecord& Current() const { return current_; }
  const std::vector<SweepRecord>& References() const { return references_; }
  bool ExportCsv(const std::filesystem::path& file);
  bool ExportPng(const std::filesystem::path& file);
  bool LoadReference(const std::filesystem::path& file);
  // The plot choices ("|Z|", "θ", "Measured", ...) as the combo boxes offer them.
  void ChoosePlots(int upper, int lower);

 signals:
  // A point was drawn; the sweep ended (its record and how are in Current()).
  void PointShown(int index);
  void SweepEnded();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls();
  QWidget* BuildSidePanel();
  void Name(QWidget* widget, const char* objectName, const QString& accessible,
            const QString& description);
  void SettingChosen();
  // The start and stop ranges of the swept setting on this meter; defaults: its usual values too.
  void ShowLimits(bool defaults);
  void StartSweep();
  void StopSweep();
  // SweepObserver, on the sweep's thread.
  void PointTaken(int index, const SweepPoint& point, std::chrono::nanoseconds took) override;
  void DrainPoints();
  void Conclude(bool readBack);
  void LineTakenBack();
  void Redraw();
  void ShowPointer(double x);
  void ShowStatus(const QString& text);
  void ShowProgress();
  void EnableControls();
  void KeepCurrent();
  void AddReference(SweepRecord record);
  void ChooseLoad();
  void ChooseCsv();
  void ChoosePng();
  void RemoveReference();
  void ReferenceEdited(QListWidgetItem* item);
  SweptSetting Setting() const;
  const SweepLimits& Limits() const;
  PlotChoice Choice(const QComboBox* box, MeasuredSide side) const;
  QColor NextColour();

  SweepHost& host_;
  SweepMeter meter_;
  SweepRecord current_;
  std::vector<SweepRecord> references_;
  std::vector<QColor> referenceColours_;
  std::vector<bool> referenceShown_;
  int coloursUsed_ = 0;
  int sweepsRun_ = 0;
  bool concluding_ = false;
  bool shownOnce_ = false;
  // What the pointer readout looks up: the first sweep drawn in each plot.
  SweepSeries pointerUpper_, pointerLower_;

  std::unique_ptr<SweepLine> line_;
  std::unique_ptr<SweepRunner> runner_;
  std::thread thread_;
  std::mutex pendingMutex_;
  std::vector<std::pair<int, SweepPoint>> pending_;   // guarded by pendingMutex_
  std::vector<std::chrono::nanoseconds> pointTimes_;  // guarded by pendingMutex_
  std::optional<SweepOutcome> outcome_;               // guarded by pendingMutex_
  std::vector<std::chrono::nanoseconds> shownTimes_;

  QComboBox* settingBox_;
  QSpinBox* startBox_;
  QSpinBox* stopBox_;
  QSpinBox* pointsBox_;
  QComboBox* spacingBox_;
  QSpinBox* everyBox_;
  QSpinBox* averagingBox_;
  QPushButton* startButton_;
  QPushButton* stopButton_;
  QProgressBar* progress_;
  QLabel* statusLabel_;
  SweepPlot* upperPlot_;
  SweepPlot* lowerPlot_;
  QWidget* plots_;
  QComboBox* upperShow_;
  QComboBox* lowerShow_;
  QComboBox* circuitBox_;
  QCheckBox* logX_;
  QCheckBox* logUpper_;
  QCheckBox* logLower_;
  QLabel* pointerLabel_;
  QListWidget* referenceList_;
  QPushButton* keepButton_;
  QPushButton* loadButton_;
  QPushButton* removeButton_;
  QPushButton* csvButton_;
  QPushButton* pngButton_;
};

}  // namespace benchbridge
