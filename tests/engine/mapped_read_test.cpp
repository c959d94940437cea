// Guarded reads of a file mapping: a file cut short under its mapping makes
// a guarded read return false, in any thread and nested, and the process
// lives on; a fault outside a guarded read, or a SIGBUS sent to the process,
// still ends it, or reaches the handler that was installed before the guard.
// Also: a mapped pulse file tells when its path changed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <thread>

#include "orvane/mapped_read.h"
#include "orvane/pulse_file_view.h"
#include "pulse_file_builder.h"

namespace orvane::testing {
namespace {

const size_t kPage = static_cast<size_t>(sysconf(_SC_PAGESIZE));

// A file of four pages of known bytes, mapped read-only; Cut() truncates
// the file to one page under the mapping, as a program writing in place does.
class CutMapping {
 public:
  CutMapping() : path_(scratch_ / "mapped.bin") {
    std::string bytes(4 * kPage, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
    WriteFile(path_, bytes);
    const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    data_ = static_cast<const uint8_t*>(::mmap(nullptr, 4 * kPage, PROT_READ, MAP_SHARED, fd, 0));
    ::close(fd);
  }
  ~CutMapping() { ::munmap(const_cast<uint8_t*>(data_), 4 * kPage); }
  void Cut() { EXPECT_EQ(::truncate(path_.c_str(), static_cast<off_t>(kPage)), 0); }
  const uint8_t* Whole() const { return data_; }             // inside the page that stays
  const uint8_t* Gone() const { return data_ + 2 * kPage; }  // beyond the new end
  uint8_t Expected(size_t at) const { return static_cast<uint8_t>(at * 7); }

 private:
  ScratchDir scratch_;
  std::string path_;
  const uint8_t* data_ = nullptr;
};

bool SigbusBlocked() {
  sigset_t mask;
  pthread_sigmask(SIG_BLOCK, nullptr, &mask);
  return sigismember(&mask, SIGBUS) == 1;
}

// Death tests start the test program again for the one test, so that the
// guard is not yet installed in the child unless the test installs it.
void StartChildrenAfresh() { GTEST_FLAG_SET(death_test_style, "threadsafe"); }

// A child that is meant to crash leaves no core file behind.
void NoCoreFile() {
  const rlimit none{0, 0};
  setrlimit(RLIMIT_CORE, &none);
}

// How a fault outside a guarded read ends the child: with SIGBUS, or under
// AddressSanitizer (whose handler was there before the guard) with its
// report, which ends the child too.
bool EndedByTheFault(int status) {
#if defined(__SANITIZE_ADDRESS__)
  return !(WIFEXITED(status) && WEXITSTATUS(status) == 0);
#else
  return WIFSIGNALED(status) && WTERMSIG(status) == SIGBUS;
#endif
}

TEST(MappedRead, ACopyFromACutFileFailsWhereTheBytesAreGoneAndTheProcessGoesOn) {
  CutMapping mapping;
  uint8_t out[64];
  ASSERT_TRUE(CopyMapped(out, mapping.Gone(), sizeof out)) << "the file is whole yet";
  EXPECT_EQ(out[0], mapping.Expected(2 * kPage));
  mapping.Cut();
  for (int round = 0; round < 100; ++round) {
    EXPECT_FALSE(CopyMapped(out, mapping.Gone(), sizeof out));
    EXPECT_FALSE(SigbusBlocked()) << "the jump out of the handler restores the signal mask";
    ASSERT_TRUE(CopyMapped(out, mapping.Whole() + 10, sizeof out)) << "the page that is left reads";
    EXPECT_EQ(out[0], mapping.Expected(10));
  }
  EXPECT_TRUE(CopyMapped(out, mapping.Gone(), 0)) << "nothing to copy reads nothing";
}

TEST(MappedRead, AFaultEndsOnlyTheInnermostGuardedReadAndEveryThreadsOwn) {
  CutMapping mapping;
  mapping.Cut();
  auto read = [](const uint8_t* at) { return *static_cast<const volatile uint8_t*>(at); };
  bool inner = true;
  int gone = -1, after = -1;
  const bool outer = ReadMapped([&] {
    inner = ReadMapped([&] { gone = read(mapping.Gone()); });
    after = read(mapping.Whole());
  });
  EXPECT_TRUE(outer);
  EXPECT_FALSE(inner);
  EXPECT_EQ(gone, -1);
  EXPECT_EQ(after, mapping.Expected(0)) << "the outer read goes on after the inner one failed";

  std::vector<std::thread> threads;
  std::vector<int> failed(4, 0), copied(4, 0);
  for (size_t t = 0; t < failed.size(); ++t)
    threads.emplace_back([&, t] {
      uint8_t out[16];
      for (int round = 0; round < 200; ++round) {
        failed[t] += !CopyMapped(out, mapping.Gone() + t, sizeof out);
        copied[t] += CopyMapped(out, mapping.Whole() + t, sizeof out);
      }
    });
  for (std::thread& thread : threads) thread.join();
  for (size_t t = 0; t < failed.size(); ++t) {
    EXPECT_EQ(failed[t], 200) << t;
    EXPECT_EQ(copied[t], 200) << t;
  }
}

TEST(MappedRead, AFaultOutsideAGuardedReadStillEndsTheProcess) {
  StartChildrenAfresh();
  CutMapping mapping;
  mapping.Cut();
  EXPECT_EXIT(
      {
        NoCoreFile();
        uint8_t out[8];
        if (CopyMapped(out, mapping.Gone(), sizeof out)) std::_Exit(10);  // the guard is in place
        volatile uint8_t byte = mapping.Gone()[0];
        (void)byte;
        std::_Exit(0);
      },
      EndedByTheFault, "");
}

TEST(MappedRead, ASigbusSentToTheProcessIsNotTakenForAFault) {
  StartChildrenAfresh();
  EXPECT_EXIT(
      {
        NoCoreFile();
        ReadMapped([] { raise(SIGBUS); });
        std::_Exit(0);
      },
      EndedByTheFault, "");
}

// The handler that was there before the guard, as Python's faulthandler.
void EarlierHandler(int, siginfo_t*, void*) {
  const char text[] = "the earlier handler has it\n";
  [[maybe_unused]] auto written = ::write(2, text, sizeof text - 1);
  std::_Exit(3);
}

TEST(MappedRead, AFaultOutsideAGuardedReadGoesToTheHandlerThatWasThereBefore) {
  StartChildrenAfresh();
  CutMapping mapping;
  mapping.Cut();
  EXPECT_EXIT(
      {
        struct sigaction earlier {};
        earlier.sa_sigaction = EarlierHandler;
        earlier.sa_flags = SA_SIGINFO;
        sigaction(SIGBUS, &earlier, nullptr);
        InstallMappedReadGuard();
        uint8_t out[8];
        if (CopyMapped(out, mapping.Gone(), sizeof out)) std::_Exit(10);
        volatile uint8_t byte = mapping.Gone()[0];
        (void)byte;
        std::_Exit(0);
      },
      ::testing::ExitedWithCode(3), "the earlier handler has it");
}

class MappedPulseFile : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<int16_t> samples(100'000);
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<int16_t>(i);
    PulseFileBuilder().T(samples).WriteTo(Spf());
    view = PulseFileView::Open(Spf());
    ASSERT_TRUE(view);
    ASSERT_FALSE(view->Changed());
  }
  std::string Spf() const { return scratch / "data.spf"; }
  ScratchDir scratch;
  std::shared_ptr<const PulseFileView> view;
};

TEST_F(MappedPulseFile, ACutFileIsChangedAndItsSamplesFailToCopyInsteadOfCrashing) {
  std::vector<uint8_t> copy(view->Records()[0].samples.size());
  const std::span<const uint8_t> samples = view->Records()[0].samples;
  EXPECT_TRUE(CopyMapped(copy.data(), samples.data(), samples.size()));
  EXPECT_EQ(LoadI16(copy.data() + 2 * 12345), 12345);
  ASSERT_EQ(::truncate(Spf().c_str(), 1000), 0);
  EXPECT_TRUE(view->Changed());
  EXPECT_FALSE(CopyMapped(copy.data(), samples.data(), samples.size()));
  uint8_t header[format::kFileHeader.size];
  EXPECT_TRUE(CopyMapped(header, view->Bytes().data(), sizeof header)) << "the header is still in the file";
}

TEST_F(MappedPulseFile, AFileRewrittenRenamedOverRemovedOrTouchedIsChanged) {
  const std::string bytes = ReadFile(Spf());
  // Rewritten in place with other bytes (as cp does): another length.
  WriteFile(Spf(), bytes + "xy");
  EXPECT_TRUE(view->Changed());
  WriteFile(Spf(), bytes);
  view = PulseFileView::Open(Spf());
  ASSERT_FALSE(view->Changed());
  // Another file renamed into place, even one of the same bytes.
  WriteFile(scratch / "new.spf", bytes);
  ASSERT_EQ(std::rename((scratch / "new.spf").c_str(), Spf().c_str()), 0);
  EXPECT_TRUE(view->Changed());
  view = PulseFileView::Open(Spf());
  // The same length, written at another time.
  const timespec past[2] = {{1'000'000'000, 0}, {1'000'000'000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, Spf().c_str(), past, 0), 0);
  EXPECT_TRUE(view->Changed());
  view = PulseFileView::Open(Spf());
  EXPECT_FALSE(view->Changed()) << "reading a file changes nothing";
  fs::remove(Spf());
  EXPECT_TRUE(view->Changed());
  EXPECT_EQ(view->Records()[0].SampleCount(), 100'000u) << "the view still shows what it mapped";
}

}  // namespace
}  // namespace orvane::testing
