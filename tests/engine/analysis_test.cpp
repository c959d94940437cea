// StatsOf and Compare through the public engine API: figures and
// differences of built files, and a file cut short under its view, which
// gives no result instead of a crash.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <limits>
#include <vector>

#include "orvane/analysis.h"
#include "pulse_file_builder.h"
#include "test_support.h"

namespace orvane {
namespace {

using testing::PulseFileBuilder;
using testing::ScratchDir;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

std::shared_ptr<const PulseFileView> Built(const ScratchDir& scratch, const std::string& name,
                                           const PulseFileBuilder& builder) {
  builder.WriteTo(scratch / name);
  return PulseFileView::Open(scratch / name);
}

TEST(StatsOfRecords, FiguresOfSixteenBitAndRealRecords) {
  ScratchDir scratch;
  PulseFileBuilder builder;
  builder.T({-32768, 32767, 32767, 4}).R({1.5f, kNaN, -kInf, -2.5f, kInf}).I({});
  auto view = Built(scratch, "a.spf", builder);
  ASSERT_TRUE(view);

  const auto t = StatsOf(*view, view->Records()[0]);
  ASSERT_TRUE(t);
  EXPECT_EQ(t->name, "T0");
  EXPECT_EQ(t->count, 4u);
  EXPECT_EQ(t->sum, 32770);
  EXPECT_EQ(t->minimum, -32768);
  EXPECT_EQ(t->maximum, 32767);
  EXPECT_DOUBLE_EQ(t->mean, 32770 / 4.0);
  EXPECT_DOUBLE_EQ(t->rms, std::sqrt((32768.0 * 32768 + 2 * 32767.0 * 32767 + 16) / 4));
  EXPECT_EQ(t->atMinimumLimit, 1u);
  EXPECT_EQ(t->atMaximumLimit, 2u);

  const auto r = StatsOf(*view, view->Records()[1]);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->count, 5u);
  EXPECT_EQ(r->nanCount, 1u);
  EXPECT_EQ(r->infiniteCount, 2u);
  EXPECT_EQ(r->minimum, -2.5);  // the finite samples only
  EXPECT_EQ(r->maximum, 1.5);
  EXPECT_DOUBLE_EQ(r->mean, -0.5);

  const auto i = StatsOf(*view, view->Records()[2]);
  ASSERT_TRUE(i);
  EXPECT_EQ(i->count, 0u);
  EXPECT_TRUE(std::isnan(i->mean));
}

TEST(PulseFileCompare, SamplesFieldsAndRecordsOfOneFile) {
  ScratchDir scratch;
  PulseFileBuilder first, second;
  first.T({1, 2, 3, 4}).R({kNaN, 1.0f, 2.0f}).I({7});
  second.T({1, 4, 3, 10}, 0.5f, "other").R({kNaN, kNaN, 2.5f});
  auto a = Built(scratch, "a.spf", first);
  auto b = Built(scratch, "b.spf", second);
  ASSERT_TRUE(a && b);

  const auto diff = Compare(*a, *b, 2);
  ASSERT_TRUE(diff);
  EXPECT_FALSE(diff->Equal());
  EXPECT_EQ(diff->onlyInFirst, std::vector<std::string>{"I0"});
  EXPECT_TRUE(diff->onlyInSecond.empty());
  ASSERT_EQ(diff->records.size(), 2u);
  const RecordComparison& t = diff->records[0];
  EXPECT_EQ(t.differing, 1u);  // 2 -> 4 lies within the tolerance, 4 -> 10 not
  EXPECT_EQ(t.firstIndex, 3u);
  EXPECT_EQ(t.largest, 6);
  const RecordComparison& r = diff->records[1];
  EXPECT_EQ(r.differing, 1u) << "the same NaN is equal, a NaN meeting 1.0 is not, 2 -> 2.5 is within";
  EXPECT_EQ(r.firstIndex, 1u);
  EXPECT_TRUE(std::isinf(r.largest));
  bool descDiffers = false;
  for (const FieldDifference& field : diff->fields)
    descDiffers = descDiffers || (field.where == "T0" && field.label == "DESC" && field.second == "other");
  EXPECT_TRUE(descDiffers);

  const auto same = Compare(*a, *a, 0);
  ASSERT_TRUE(same);
  EXPECT_TRUE(same->Equal());
}

TEST(PulseFileCompare, AFileCutShortUnderItsViewGivesNothing) {
  ScratchDir scratch;
  PulseFileBuilder builder;
  builder.T(std::vector<int16_t>(200000, 5)).R(std::vector<float>(100000, 1.0f));
  auto a = Built(scratch, "a.spf", builder);
  auto b = Built(scratch, "b.spf", builder);
  ASSERT_TRUE(a && b);
  ASSERT_EQ(::truncate((scratch / "b.spf").c_str(), 4096), 0);
  EXPECT_FALSE(Compare(*a, *b, 0));
  EXPECT_FALSE(StatsOf(*b, b->Records()[1]));
  EXPECT_TRUE(StatsOf(*a, a->Records()[1]));
  const Outcome why = ChangedWhileRead(*b);
  EXPECT_EQ(why.code, Failure::CantOpenForReading);
  EXPECT_EQ(why.path, scratch / "b.spf");
}

}  // namespace
}  // namespace orvane
