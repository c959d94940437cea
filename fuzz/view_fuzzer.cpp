// The structure check and the read-only mapped view over arbitrary bytes,
// as they are (last byte odd) or sealed (even: so that the checksum passes
// and the table and the records are looked at). The check must never read
// outside the file, and every record it reports, and every span the view
// hands out, lies inside the file. A full check passes exactly when the
// salvage check finds no problem, and then every record is complete.
#include <cstring>
#include <fstream>

#include "format/checksum.h"
#include "fuzz_support.h"
#include "fuzz_target.h"
#include "orvane/pulse_file_view.h"

namespace orvane::fuzz {

namespace {

// Reads from a buffer of exactly the file's size: a read outside is
// refused here and, should one bypass this source, caught by the sanitizer.
class ExactSource : public StructureSource {
 public:
  ExactSource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool ReadAt(uint64_t position, uint8_t* out, size_t n) override {
    if (position > size_ || n > size_ - position) return false;
    std::memcpy(out, data_ + position, n);
    return true;
  }

 private:
  const uint8_t* data_;
  size_t size_;
};

void CheckReport(const StructureReport& report, uint64_t length, bool stopAtFirst) {
  // A full check that stops at a problem in the records leaves the kinds'
  // boundaries unset: nothing reads them from a refused file.
  const bool finished = !stopAtFirst || report.problems.empty();
  size_t previous = 0;
  for (size_t k = 0; k < 4 && finished; ++k) {
    Check(report.firstOf[k] >= previous && report.firstOf[k] <= report.records.size(),
          "the kinds' first records are out of order");
    previous = report.firstOf[k];
  }
  for (size_t n = 0; n < report.records.size(); ++n) {
    const RecordExtent& record = report.records[n];
    const RecordDescription& info = DescribeRecord(record.type);
    const size_t kind = static_cast<size_t>(record.type);
    Check(!finished || (n >= report.firstOf[kind] && n < report.firstOf[kind + 1]),
          "a record is listed among another kind");
    Check(format::EntryPosition(record.entry) + format::kOffsetEntrySize <= length,
          "a record's table entry lies outside the file");
    Check(record.availableSamples <= record.declaredSamples, "more samples available than declared");
    if (!record.headerInside) {
      Check(record.availableSamples == 0, "samples of a record whose header lies outside");
      continue;
    }
    const uint64_t end =
        uint64_t{record.offset} + info.header.size + record.availableSamples * info.sampleBytes;
    Check(end <= length, "a record reaches beyond the end of the file");
  }
  if (!report.problems.empty()) return;
  Check(report.hasHeader, "a file without a header passed");
  Check(report.records.size() == report.header.EntryCount(), "a valid file lists another number of records");
  for (const RecordExtent& record : report.records)
    Check(record.headerInside && record.availableSamples == record.declaredSamples,
          "a valid file has an incomplete record");
}

void CheckView(const PulseFileView& view, const std::string& bytes) {
  Check(view.Length() == bytes.size(), "the view has another length than the file");
  const uint8_t* begin = view.Bytes().data();
  const uint8_t* end = begin + view.Length();
  auto inside = [&](std::span<const uint8_t> span) {
    return span.empty() || (span.data() >= begin && span.data() <= end &&
                            span.size() <= static_cast<size_t>(end - span.data()));
  };
  for (const RecordView& record : view.Records()) {
    Check(inside(record.header), "a record header span lies outside the file");
    Check(inside(record.samples), "a sample span lies outside the file");
    Check(record.header.empty() || record.header.size() == record.Info().header.size,
          "a record header span has the wrong size");
    Check(record.samples.size() <= record.declaredSamples * record.Info().sampleBytes,
          "more sample bytes than declared");
    Check(!record.complete || record.samples.size() == record.declaredSamples * record.Info().sampleBytes,
          "a complete record misses samples");
  }
  size_t listed = 0;
  for (RecordType type : {RecordType::T, RecordType::R, RecordType::I}) {
    for (const RecordView& record : view.Records(type)) {
      Check(record.type == type, "a record is listed among another kind");
      ++listed;
    }
  }
  Check(listed == view.Records().size(), "the kinds do not list every record");
}

// The view of bytes through a real file, as the view maps only files:
// the salvage view or the full one, each checked against the structure
// check's verdict (so the two agree with each other too).
void CheckViews(const std::string& bytes, bool valid, PulseFileView::Verify verify) {
  const fs::path path = WorkDir() / "view.spf";
  WriteAll(path, bytes);
  Outcome why;
  if (verify == PulseFileView::Verify::Salvage) {
    auto salvaged = PulseFileView::Open(path.string(), PulseFileView::Verify::Salvage, &why);
    Check(salvaged != nullptr, "the salvage view refused a readable file");
    CheckView(*salvaged, bytes);
    Check(salvaged->Valid() == valid, "the view and the structure check disagree");
    Check(why.ok() == valid, "the salvage view's outcome disagrees with its problems");
    // A trusting view leaves out only the word sum: the same records, and
    // the same problems once it sums the words.
    auto trusted = PulseFileView::Open(path.string(), PulseFileView::Verify::Trust);
    Check(trusted != nullptr, "the trusting view refused a readable file");
    CheckView(*trusted, bytes);
    Check(trusted->Records().size() == salvaged->Records().size(), "trusting and salvage views differ");
    const auto checked = trusted->CheckedProblems();
    Check(checked && checked->size() == salvaged->Problems().size(), "trusting view's problems differ");
    for (size_t k = 0; checked && k < checked->size(); ++k)
      Check((*checked)[k].what.message == salvaged->Problems()[k].what.message,
            "trusting view's problems differ");
    return;
  }
  auto full = PulseFileView::Open(path.string(), PulseFileView::Verify::Full, &why);
  Check((full != nullptr) == valid, "the full view and the structure check disagree");
  Check(why.ok() == valid, "the full view's outcome disagrees with its result");
  if (full) CheckView(*full, bytes);
}

void CheckBytes(const std::string& bytes, PulseFileView::Verify verify) {
  // A buffer of exactly the file's size, so that the sanitizer sees any
  // read beyond it.
  std::unique_ptr<uint8_t[]> exact(new uint8_t[bytes.size()]);
  std::memcpy(exact.get(), bytes.data(), bytes.size());
  const std::span<const uint8_t> all(exact.get(), bytes.size());
  bool valid = false;
  for (bool stopAtFirst : {true, false}) {
    ExactSource source(exact.get(), bytes.size());
    const StructureReport report =
        CheckStructure(all.first(std::min<size_t>(bytes.size(), format::kFileHeader.size)), bytes.size(),
                       WordSum(exact.get(), bytes.size()), source, stopAtFirst);
    CheckReport(report, bytes.size(), stopAtFirst);
    if (stopAtFirst) {
      valid = report.problems.empty();
      Check(report.problems.size() <= 1, "a full check went on after its first problem");
    } else {
      Check(report.problems.empty() == valid, "the full and the salvage check disagree");
    }
  }
  CheckViews(bytes, valid, verify);
}

}  // namespace

std::vector<std::string> SeedInputs(const fs::path& golden) {
  std::vector<std::string> seeds;
  for (const auto& entry : fs::recursive_directory_iterator(golden))
    if (entry.path().filename() == "data.spf") seeds.push_back(ReadAll(entry.path()));
  seeds.push_back(SmallTRecordFile({0.5f, -0.25f}));
  seeds.push_back(SmallMixedFile());
  seeds.push_back(std::string(316, '\0'));
  seeds.push_back("");
  return seeds;
}

}  // namespace orvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvane::fuzz;
  // The last byte picks, so that an input costs one check and a mutation
  // of a bit switches: bit 0 the bytes as they are or sealed, bit 1 the
  // salvage view or the full one.
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const uint8_t last = size > 0 ? data[size - 1] : 0;
  const auto verify =
      (last & 2) != 0 ? orvane::PulseFileView::Verify::Full : orvane::PulseFileView::Verify::Salvage;
  if ((last & 1) != 0)
    CheckBytes(bytes, verify);
  else
    CheckBytes(Sealed(bytes), verify);
  return 0;
}
