// The sweep window's references (kept or loaded, shown or hidden, renamed, removed) and its
// exports: the last sweep as CSV, both plots as PNG.
#include <QFileDialog>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <fstream>

#include "sweep_csv.h"
#include "sweep_window.h"

namespace benchbridge {
namespace {

QString FileName(const std::filesystem::path& file) {
  return QString::fromStdString(file.filename().string());
}

}  // namespace

QColor SweepWindow::NextColour() {
  static const QColor kColours[] = {QColor(0, 110, 200),  QColor(0, 150, 80),
                                    QColor(160, 40, 160), QColor(110, 110, 110),
                                    QColor(200, 40, 40),  QColor(0, 160, 160)};
  return kColours[coloursUsed_++ % std::size(kColours)];
}

void SweepWindow::KeepCurrent() {
  if (current_.points.empty()) return;
  SweepRecord kept = current_;
  kept.name = QStringLiteral("%1 (%2 points)")
                  .arg(QString::fromStdString(current_.name))
                  .arg(current_.points.size())
                  .toStdString();
  AddReference(std::move(kept));
}

void SweepWindow::AddReference(SweepRecord record) {
  references_.push_back(std::move(record));
  referenceColours_.push_back(NextColour());
  referenceShown_.push_back(true);
  auto* item = new QListWidgetItem(QString::fromStdString(references_.back().name));
  item->setFlags(item->flags() | Qt::ItemIsUserCheckable | Qt::ItemIsEditable);
  item->setCheckState(Qt::Checked);
  item->setData(Qt::DecorationRole, referenceColours_.back());
  {
    const QSignalBlocker quiet(referenceList_);
    referenceList_->addItem(item);
  }
  EnableControls();
  Redraw();
}

bool SweepWindow::LoadReference(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::string why = "It could not be opened.";
  std::optional<SweepRecord> record;
  if (in) record = ReadSweepCsv(in, &why);
  if (!record) {
    ShowStatus(
        QStringLiteral("%1 was not loaded: %2").arg(FileName(file), QString::fromStdString(why)));
    return false;
  }
  record->name = file.stem().string();
  AddReference(std::move(*record));
  ShowStatus(QStringLiteral("%1 loaded as a reference").arg(FileName(file)));
  return true;
}

void SweepWindow::RemoveReference() {
  const int row = referenceList_->currentRow();
  if (row < 0 || row >= static_cast<int>(references_.size())) return;
  delete referenceList_->takeItem(row);
  references_.erase(references_.begin() + row);
  referenceColours_.erase(referenceColours_.begin() + row);
  referenceShown_.erase(referenceShown_.begin() + row);
  EnableControls();
  Redraw();
}

void SweepWindow::ReferenceEdited(QListWidgetItem* item) {
  const int row = referenceList_->row(item);
  if (row < 0 || row >= static_cast<int>(references_.size())) return;
  references_[row].name = item->text().toStdString();
  referenceShown_[row] = item->checkState() == Qt::Checked;
  Redraw();
}

void SweepWindow::ChooseLoad() {
  const QString file = QFileDialog::getOpenFileName(this, "Load a sweep as a reference", QString(),
                                                    "Sweep CSV (*.csv)");
  if (!file.isEmpty()) LoadReference(file.toStdString());
}

void SweepWindow::ChooseCsv() {
  const QString file =
      QFileDialog::getSaveFileName(this, "Export the sweep", "sweep.csv", "CSV (*.csv)");
  if (!file.isEmpty()) ExportCsv(file.toStdString());
}

void SweepWindow::ChoosePng() {
  const QString file =
      QFileDialog::getSaveFileName(this, "Save the plots", "sweep.png", "PNG image (*.png)");
  if (!file.isEmpty()) ExportPng(file.toStdString());
}

bool SweepWindow::ExportCsv(const std::filesystem::path& file) {
  CsvContext context = host_.ExportContext();
  context.exportTime = ToTimeMs(std::chrono::system_clock::now());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  if (out) WriteSweepCsv(out, context, current_, Choice(upperShow_, MeasuredSide::Primary).circuit);
  out.close();
  if (!out) {
    ShowStatus(QStringLiteral("Could not write %1").arg(FileName(file)));
    return false;
  }
  ShowStatus(
      QStringLiteral("%1 points written to %2").arg(current_.points.size()).arg(FileName(file)));
  return true;
}

bool SweepWindow::ExportPng(const std::filesystem::path& file) {
  const bool saved = plots_->grab().save(QString::fromStdString(file.string()), "PNG");
  ShowStatus(saved ? QStringLiteral("Plots saved to %1").arg(FileName(file))
                   : QStringLiteral("Could not write %1").arg(FileName(file)));
  return saved;
}

}  // namespace benchbridge
