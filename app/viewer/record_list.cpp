#include "record_list.h"

#include <array>

#include "orvane/convert.h"
#include "orvane/header_text.h"
#include "orvane/mapped_read.h"

namespace orvane::viewer {

std::string NotAPulseFile(const PulseFileView& file) {
  for (const StructureProblem& problem : file.Problems())
    if (problem.what.code == Failure::InvalidMagicNumber) return problem.what.message;
  return {};
}

std::vector<RecordRow> ListRecords(const PulseFileView& file, bool* read) {
  std::vector<RecordRow> rows;
  bool all = true;
  for (const RecordView& record : file.Records()) {
    RecordRow row;
    row.name = record.Name();
    std::array<uint8_t, 256> header;
    static_assert(format::kTHeader.size <= 256 && format::kRHeader.size <= 256 &&
                  format::kIHeader.size <= 256);
    if (!record.header.empty() && record.header.size() <= header.size()) {
      if (CopyMapped(header.data(), record.header.data(), record.header.size())) {
        const HeaderKind kind = HeaderKindOf(record.type);
        row.size = FieldText(kind, header.data(), "SIZE");
        if (DescribeHeader(kind).Find("GAIN")) row.gain = FieldText(kind, header.data(), "GAIN");
        row.desc = FieldText(kind, header.data(), "DESC");
      } else {
        all = false;
      }
    }
    rows.push_back(std::move(row));
  }
  if (read) *read = all;
  return rows;
}

int FindRecord(const PulseFileView& file, const std::string& name) {
  const auto& records = file.Records();
  for (size_t i = 0; i < records.size(); ++i)
    if (records[i].Name() == name) return static_cast<int>(i);
  return -1;
}

PlotContent LoadRecord(std::shared_ptr<const PulseFileView> file, size_t index) {
  PlotContent content = LoadRecord(*file, index);
  content.mapping = std::move(file);
  return content;
}

PlotContent LoadRecord(const PulseFileView& file, size_t index) {
  PlotContent content;
  const RecordView& record = file.Records().at(index);
  const auto kind =
      record.Info().sample == SampleType::Real32 ? SampleSource::Kind::Float32 : SampleSource::Kind::Int16;
  content.pyramid = std::make_shared<MinMaxPyramid>(SampleSource(record.samples, kind));
  if (content.pyramid->ReadFailed()) {
    content.pyramid.reset();
    content.unreadable = true;
    content.message = QString::fromLatin1(kFileChangedWhileDrawn);
  } else if (record.header.empty())
    content.message =
        QStringLiteral("The header of %1 lies outside the file.").arg(QString::fromStdString(record.Name()));
  else if (!record.complete)
    content.message = QStringLiteral("The samples end early: %1 of %2 declared samples are in the file.")
                          .arg(record.SampleCount())
                          .arg(record.declaredSamples);
  else if (record.SampleCount() == 0)
    content.message = QStringLiteral("%1 holds no samples.").arg(QString::fromStdString(record.Name()));
  return content;
}

std::string Explained(const Outcome& outcome) {
  return outcome.reason.empty() ? outcome.message : outcome.message + ": " + outcome.reason;
}

QString PulseFileOf(const QString& name) {
  return QString::fromStdString(DeriveBaseName(name.toStdString()) + ".spf");
}

QString ProblemText(const PulseFileView& file) {
  QString text;
  for (const StructureProblem& problem : file.Problems()) {
    if (problem.record >= 0 && size_t(problem.record) < file.Records().size())
      text += QString::fromStdString(file.Records()[problem.record].Name()) + QStringLiteral(": ");
    text += QString::fromStdString(problem.what.message) + QLatin1Char('\n');
  }
  return text.trimmed();
}

}  // namespace orvane::viewer
