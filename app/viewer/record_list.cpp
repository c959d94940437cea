#include "record_list.h"

#include "orvane/header_text.h"

namespace orvane::viewer {

std::string NotAPulseFile(const PulseFileView& file) {
  for (const StructureProblem& problem : file.Problems())
    if (problem.what.code == Failure::InvalidMagicNumber) return problem.what.message;
  return {};
}

std::vector<RecordRow> ListRecords(const PulseFileView& file) {
  std::vector<RecordRow> rows;
  for (const RecordView& record : file.Records()) {
    RecordRow row;
    row.name = record.Name();
    if (!record.header.empty()) {
      const HeaderKind kind = HeaderKindOf(record.type);
      row.size = FieldText(kind, record.header.data(), "SIZE");
      if (DescribeHeader(kind).Find("GAIN")) row.gain = FieldText(kind, record.header.data(), "GAIN");
      row.desc = FieldText(kind, record.header.data(), "DESC");
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

int FindRecord(const PulseFileView& file, const std::string& name) {
  const auto& records = file.Records();
  for (size_t i = 0; i < records.size(); ++i)
    if (records[i].Name() == name) return static_cast<int>(i);
  return -1;
}

PlotContent LoadRecord(const PulseFileView& file, size_t index) {
  PlotContent content;
  const RecordView& record = file.Records().at(index);
  const auto kind =
      record.Info().sample == SampleType::Real32 ? SampleSource::Kind::Float32 : SampleSource::Kind::Int16;
  content.pyramid = std::make_shared<MinMaxPyramid>(SampleSource(record.samples, kind));
  if (record.header.empty())
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
