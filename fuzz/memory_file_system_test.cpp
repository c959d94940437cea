// The memory file system the fuzz targets run the engine on: files with
// holes and long runs of zeros read back as a disk's file system gives them.
#include "memory_file_system.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace orvane::fuzz {
namespace {

class MemoryFiles : public ::testing::Test {
 protected:
  MemoryFiles() { memory.MakeFolder("/m"); }
  int Create(const std::string& path) {
    memory.Put(path, "");
    return memory.Open(path, O_RDWR);
  }
  std::string Read(int fd, uint64_t offset, size_t n) {
    std::string out(n, 'x');
    out.resize(static_cast<size_t>(std::max<ssize_t>(memory.PRead(fd, out.data(), n, offset), 0)));
    return out;
  }
  uint64_t Size(int fd) {
    struct stat st {};
    EXPECT_EQ(memory.Fstat(fd, &st), 0);
    return static_cast<uint64_t>(st.st_size);
  }
  MemoryFileSystem memory;
};

TEST_F(MemoryFiles, AWriteBeyondTheEndLeavesAHoleOfZeros) {
  const int fd = Create("/m/a");
  ASSERT_EQ(memory.PWrite(fd, "head", 4, 0), 4);
  const uint64_t far = (uint64_t{3} << 20) + 5;  // pages away, not on a page boundary
  ASSERT_EQ(memory.PWrite(fd, "tail", 4, far), 4);
  EXPECT_EQ(Size(fd), far + 4);
  EXPECT_EQ(Read(fd, 0, 6), std::string("head\0\0", 6));
  EXPECT_EQ(Read(fd, far - 2, 10), std::string("\0\0tail", 6));  // short at the end
  EXPECT_EQ(Read(fd, far + 4, 10), "");
  const std::string all = memory.Get("/m/a").value();
  ASSERT_EQ(all.size(), far + 4);
  EXPECT_EQ(all.substr(0, 4), "head");
  EXPECT_EQ(all.find_first_not_of('\0', 4), far);
  EXPECT_EQ(memory.Close(fd), 0);
}

TEST_F(MemoryFiles, WritesAcrossPagesAndOverZerosReadBackExactly) {
  const int fd = Create("/m/b");
  std::string expected(200000, '\0');
  std::string zeros(150000, '\0');
  ASSERT_EQ(memory.PWrite(fd, zeros.data(), zeros.size(), 0), static_cast<ssize_t>(zeros.size()));
  std::string text;
  for (int n = 0; text.size() < 100000; ++n) text += std::to_string(n) + ",";
  ASSERT_EQ(memory.PWrite(fd, text.data(), text.size(), 60000), static_cast<ssize_t>(text.size()));
  expected.replace(60000, text.size(), text);
  expected.resize(std::max<size_t>(150000, 60000 + text.size()));
  ASSERT_EQ(memory.PWrite(fd, zeros.data(), 1000, 65000), 1000);  // zeros over written bytes
  expected.replace(65000, 1000, std::string(1000, '\0'));
  EXPECT_EQ(Size(fd), expected.size());
  EXPECT_EQ(Read(fd, 0, expected.size() + 10), expected);
  EXPECT_EQ(Read(fd, 65530, 20), expected.substr(65530, 20));
  EXPECT_EQ(memory.Get("/m/b").value(), expected);
  memory.Put("/m/c", expected);
  EXPECT_EQ(memory.Get("/m/c").value(), expected);
  EXPECT_EQ(memory.Close(fd), 0);
}

TEST_F(MemoryFiles, AWritePastTheSizeLimitFails) {
  MemoryFileSystem small(1 << 20);
  small.MakeFolder("/m");
  small.Put("/m/d", "");
  const int fd = small.Open("/m/d", O_RDWR);
  EXPECT_EQ(small.PWrite(fd, "x", 1, 1 << 20), -1);
  EXPECT_EQ(errno, EFBIG);
  EXPECT_EQ(small.PWrite(fd, "x", 1, (1 << 20) - 1), 1);
}

}  // namespace
}  // namespace orvane::fuzz
