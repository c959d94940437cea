#include "convert/export_losses.h"

#include <cstring>

#include "orvane/byte_order.h"
#include "text/exact_reals.h"
#include "text/text_format.h"

namespace orvane {

namespace {

void Warn(RunReport& report, const std::string& file, std::string_view field, ExportLoss loss,
          std::string text, uint64_t count = 0, uint64_t total = 0) {
  report.Warn(ExportWarning{file, std::string(field), loss, count, total, file + ": " + text});
}

void WarnOfReal(const FieldDescription& field, float value, const std::string& file, RunReport& report) {
  const std::string label(field.label);
  if (text::HasNanPayload(value)) {
    Warn(report, file, field.label, ExportLoss::NanReal,
         label + " is a NaN with a payload, " + text::FormatExactReal(value) +
             ", and will come back as a plain NaN; --exact keeps it");
  } else if (!text::FixedSixKeeps(value)) {
    Warn(report, file, field.label, ExportLoss::RoundedReal,
         label + " " + text::FormatExactReal(value) + " needs more than six decimals and will come back as " +
             text::FormatFixed6(value) + "; --exact keeps it");
  }
}

void WarnOfText(const FieldDescription& field, const uint8_t* at, const std::string& file,
                RunReport& report) {
  const size_t length = strnlen(reinterpret_cast<const char*>(at), format::kTextFieldSize);
  const std::string label(field.label);
  if (std::memchr(at, '#', length) != nullptr)
    Warn(report, file, field.label, ExportLoss::HashInText,
         label + " holds a \"#\": the import drops it and everything after it");
  if (std::memchr(at, '\n', length) != nullptr || std::memchr(at, '\r', length) != nullptr)
    Warn(report, file, field.label, ExportLoss::LineEndInText,
         label + " holds a line end, which its text line carries as a blank");
  if (length == format::kTextFieldSize)
    Warn(report, file, field.label, ExportLoss::CutText,
         label + " fills all 80 characters; the import keeps 79");
}

}  // namespace

void WarnOfHeaderLosses(const HeaderDescription& header, const uint8_t* bytes, bool exact,
                        const std::string& file, RunReport& report) {
  for (const FieldDescription& field : header.fields) {
    if (field.type == FieldType::Real32 && !exact) {
      WarnOfReal(field, LoadF32(bytes + field.offset), file, report);
    } else if (field.type == FieldType::Text80) {
      WarnOfText(field, bytes + field.offset, file, report);
    }
  }
}

void WarnOfSampleLosses(const RealSampleLosses& losses, uint64_t total, const std::string& file,
                        RunReport& report) {
  if (losses.rounded != 0)
    Warn(report, file, "", ExportLoss::RoundedSamples,
         std::to_string(losses.rounded) + " of " + std::to_string(total) +
             " samples need nine digits and will come back rounded; --exact keeps them",
         losses.rounded, total);
  if (losses.nans != 0)
    Warn(report, file, "", ExportLoss::NanSamples,
         std::to_string(losses.nans) + " of " + std::to_string(total) +
             " samples are NaNs with a payload and will come back as a plain NaN; --exact keeps them",
         losses.nans, total);
}

}  // namespace orvane
