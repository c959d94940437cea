// Repair and salvage: a damaged pulse file mended into a new file, the
// input only read. See orvane/repair.h.
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "format/checksum.h"
#include "io/file_io.h"
#include "orvane/mapped_read.h"
#include "orvane/pulse_file_writer.h"
#include "orvane/repair.h"

namespace orvane {

namespace {

// Bytes copied per guarded read: even, so that every piece but the last
// starts and ends on a word.
constexpr size_t kCopyBlock = size_t{1} << 20;

Outcome Refused(Failure code, const std::string& path, std::string reason, int error = 0) {
  Outcome outcome{code, FormatMessage(code, path.c_str()), std::move(reason)};
  outcome.path = path;
  outcome.error = error;
  return outcome;
}

Outcome SystemRefused(Failure code, const std::string& path) {
  io::FailureReason why = io::TakeFailureReason();
  return Refused(code, path, std::move(why.text), why.error);
}

Outcome Success() { return Outcome{Failure::None, MessageFormat(Failure::None)}; }

// A view opened for salvage sums the words: its problems are all there are.
FoundProblems ProblemsOf(const PulseFileView& view) {
  FoundProblems found;
  for (const StructureProblem& p : view.Problems())
    found.push_back(
        {p.what, p.record >= 0 ? view.Records()[static_cast<size_t>(p.record)].Name() : "", p.offset});
  return found;
}

// True when output names the input file itself, by any name or link: writing
// it would replace the only copy of what is being mended.
bool IsTheInput(const PulseFileView& input, const std::string& output) {
  struct stat in {
  }, out{};
  return ::stat(input.Path().c_str(), &in) == 0 && ::stat(output.c_str(), &out) == 0 &&
         in.st_dev == out.st_dev && in.st_ino == out.st_ino;
}

// The input opened as far as it goes, its problems in result.found; null
// with result.outcome set when it cannot be read.
template <class Result>
std::shared_ptr<const PulseFileView> OpenInput(const std::string& input, Result& result) {
  Outcome why;
  auto view = PulseFileView::Open(input, PulseFileView::Verify::Salvage, &why);
  if (view)
    result.found = ProblemsOf(*view);
  else
    result.outcome = why;
  return view;
}

Outcome OutputIsInput(const std::string& output) {
  return Refused(Failure::CantOpenForWriting, output, "it is the file being mended; name another output");
}

}  // namespace

RepairResult RepairPulseFile(const std::string& input, const std::string& output) {
  RepairResult result;
  const auto view = OpenInput(input, result);
  if (!view) return result;
  result.sum = view->WordSum();
  for (const FoundProblem& problem : result.found) {
    if (problem.what.code == Failure::ChecksumError) continue;
    result.outcome = Refused(Failure::NotAValidPulseFile, input,
                             problem.what.message +
                                 "; repair reseals only a file whose one fault is its word "
                                 "sum (salvage keeps its whole records)");
    return result;
  }
  if (IsTheInput(*view, output)) {
    result.outcome = OutputIsInput(output);
    return result;
  }
  auto out = io::ReplacementFile::Create(output);
  if (!out) {
    result.outcome = SystemRefused(Failure::CantOpenForWriting, output);
    return result;
  }
  io::File& file = out->Stream();
  // The sum is taken of the bytes as they are written, so that the seal
  // fits them even if they are not the bytes the check summed; a
  // difference means the file changed under the copy.
  const std::span<const uint8_t> bytes = view->Bytes();
  std::vector<uint8_t> block(std::min<uint64_t>(kCopyBlock, bytes.size()));
  uint32_t sum = 0;
  for (uint64_t at = 0; at < bytes.size(); at += block.size()) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(block.size(), bytes.size() - at));
    if (!CopyMapped(block.data(), bytes.data() + at, n)) {
      result.outcome = FileChangedWhileRead(input);
      return result;
    }
    sum += WordSum(block.data(), n);
    if (!file.Write(block.data(), n)) {
      result.outcome = SystemRefused(Failure::BinaryWriteErrorOn, output);
      return result;
    }
  }
  if (static_cast<uint16_t>(sum) != result.sum || view->Changed()) {
    result.outcome = FileChangedWhileRead(input);
    return result;
  }
  if (result.sum != 0) {
    const uint8_t last = bytes.empty() ? 0 : block[(bytes.size() - 1) % block.size()];
    uint8_t seal[3];
    const size_t size = SealBytes(result.sum, bytes.size(), last, seal);
    result.sealBytes = size;
    if (!file.Write(seal, size)) {
      result.outcome = SystemRefused(Failure::BinaryWriteErrorOn, output);
      return result;
    }
  }
  if (!out->Commit(true)) {
    result.outcome = SystemRefused(Failure::BinaryWriteErrorOn, output);
    return result;
  }
  result.length = bytes.size() + result.sealBytes;
  result.outcome = Success();
  return result;
}

namespace {

// A record kept by the salvage, copied out of the mapping: the writer reads
// its input in one go, and only guarded reads may touch a mapping another
// program can cut short.
struct CopiedRecord {
  RecordType type;
  std::vector<uint8_t> header, samples;
};

// The entries of the table that lie past the end of the file have no
// record view; they are dropped with this reason.
constexpr char kEntryOutside[] = "its offset table entry lies outside the file";

// "T3", ...; appended, not concatenated, which g++ 12 warns of wrongly.
std::string RecordName(char letter, uint64_t number) {
  std::string name(1, letter);
  name += std::to_string(number);
  return name;
}

std::string EntryName(const PulseFileHeader& header, uint64_t entry) {
  const uint64_t t = header.TCount(), r = header.RCount();
  if (entry < t) return RecordName('T', entry);
  if (entry < t + r) return RecordName('R', entry - t);
  return RecordName('I', entry - t - r);
}

}  // namespace

SalvageResult SalvagePulseFile(const std::string& input, const std::string& output) {
  SalvageResult result;
  const auto view = OpenInput(input, result);
  if (!view) return result;
  // Without its magic number the file is no pulse file, and whatever its
  // table points at would be taken for records.
  for (const FoundProblem& problem : result.found) {
    if (problem.what.code != Failure::InvalidMagicNumber && problem.what.code != Failure::BinaryReadErrorOn)
      continue;
    result.outcome =
        Refused(Failure::NotAValidPulseFile, input, problem.what.message + "; nothing of it can be salvaged");
    return result;
  }
  if (IsTheInput(*view, output)) {
    result.outcome = OutputIsInput(output);
    return result;
  }

  std::vector<CopiedRecord> copies;
  uint32_t numbers[3] = {0, 0, 0};
  for (const RecordView& record : view->Records()) {
    const FoundProblem* problem = nullptr;
    for (const FoundProblem& p : result.found)
      if (p.record == record.Name()) problem = &p;
    if (!record.complete || problem) {
      result.dropped.push_back({record.Name(), record.entry, record.offset,
                                problem ? problem->what.message : "it does not lie whole inside the file"});
      continue;
    }
    CopiedRecord copy{record.type, std::vector<uint8_t>(record.header.size()),
                      std::vector<uint8_t>(record.samples.size())};
    if (!CopyMapped(copy.header.data(), record.header.data(), record.header.size()) ||
        !CopyMapped(copy.samples.data(), record.samples.data(), record.samples.size())) {
      result.outcome = FileChangedWhileRead(input);
      return result;
    }
    const auto k = static_cast<size_t>(record.type);
    result.kept.push_back(
        {record.Name(), RecordName(record.Info().letter, numbers[k]++), record.SampleCount()});
    copies.push_back(std::move(copy));
  }
  const PulseFileHeader& header = view->Header();
  for (uint64_t entry = view->Records().size(); entry < header.EntryCount(); ++entry)
    result.dropped.push_back({EntryName(header, entry), entry, std::nullopt, kEntryOutside});
  if (view->Changed()) {
    result.outcome = FileChangedWhileRead(input);
    return result;
  }

  std::vector<RecordToWrite> records;
  records.reserve(copies.size());
  uint64_t length = header.bytes.size() + copies.size() * format::kOffsetEntrySize + 2;
  for (const CopiedRecord& copy : copies) {
    records.push_back({copy.type, copy.header, copy.samples});
    const RecordDescription& kind = DescribeRecord(copy.type);
    length += kind.RecordBytes(copy.samples.size() / kind.sampleBytes);
  }
  result.outcome = WritePulseFile(output, header.bytes, records);
  if (result.outcome.ok()) result.length = length;
  return result;
}

}  // namespace orvane
