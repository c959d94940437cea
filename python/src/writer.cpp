// Writes a pulse file from header bytes and sample buffers, laid out as an
// import lays it out: header, offset table, the records in table order from
// 316 + 4N, a 16-bit zero after an odd number of T or I samples, and one
// seal word. The file is written beside the target under a temporary name,
// flushed and renamed into place only when complete, so a reader that has
// the old file mapped keeps it intact.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <pybind11/stl.h>

#include <cerrno>
#include <string>
#include <vector>

#include "bindings.h"
#include "orvane/byte_order.h"
#include "orvane/format.h"
#include "word_sum.h"

namespace py = pybind11;

namespace orvane::python {

namespace {

struct Chunk {
  const uint8_t* data;
  size_t size;
};

struct PlannedRecord {
  std::string header;
  py::buffer_info samples;
  bool pad;
};

bool WriteAll(int fd, const uint8_t* data, size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, std::min<size_t>(size, size_t{1} << 30));
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

void SyncFolder(const std::string& folder) {
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

// Writes the chunks and the seal word to fd; 0 or the errno of the failure.
int WriteSealed(int fd, const std::vector<Chunk>& chunks) {
  uint16_t sum = 0;
  for (const Chunk& c : chunks) {
    // Every chunk has an even size, so each starts at an even offset.
    sum = static_cast<uint16_t>(sum + WordSum(c.data, c.size));
    if (!WriteAll(fd, c.data, c.size)) return errno;
  }
  uint8_t seal[2];
  StoreU16(seal, static_cast<uint16_t>(0x10000 - sum));
  if (!WriteAll(fd, seal, sizeof seal) || ::fsync(fd) != 0) return errno;
  return 0;
}

// Writes the file under a temporary name in path's folder (a short name, so
// that any target name the file system accepts works) and renames it into
// place. Returns 0 or the errno of the failure; the temporary file is gone
// then.
int WriteReplacing(const std::string& path, const std::vector<Chunk>& chunks) {
  const std::string folder = FolderOf(path);
  std::string temp = folder + "/.orvane-write-XXXXXX";
  const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return errno;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  int err = ::fchmod(fd, 0666 & ~mask) == 0 ? WriteSealed(fd, chunks) : errno;
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err == 0 && ::rename(temp.c_str(), path.c_str()) != 0) err = errno;
  if (err != 0) {
    ::unlink(temp.c_str());
    return err;
  }
  SyncFolder(folder);
  return 0;
}

PlannedRecord Plan(const py::handle item) {
  auto t = item.cast<py::tuple>();
  PlannedRecord r{t[0].cast<std::string>(), t[1].cast<py::buffer>().request(), t[2].cast<bool>()};
  if (r.samples.ndim != 1 || (r.samples.size > 1 && r.samples.strides[0] != r.samples.itemsize))
    throw py::type_error("samples must be a contiguous one-dimensional array");
  return r;
}

// records: (header bytes, samples buffer, pad after an odd count) in table
// order. The caller has checked every header and dtype.
void WriteFile(const std::string& path, const std::string& header, const py::list& records) {
  if (header.size() != format::file::kSize) throw py::value_error("the file header must be 316 bytes");
  std::vector<PlannedRecord> planned;
  planned.reserve(records.size());
  for (const py::handle item : records) planned.push_back(Plan(item));

  const uint64_t entries = planned.size();
  std::string table(entries * format::kOffsetEntrySize, '\0');
  static const uint8_t kPad[2] = {0, 0};
  std::vector<Chunk> chunks{{reinterpret_cast<const uint8_t*>(header.data()), header.size()},
                            {reinterpret_cast<const uint8_t*>(table.data()), table.size()}};
  uint64_t position = format::EntryPosition(entries);
  for (size_t k = 0; k < planned.size(); ++k) {
    const PlannedRecord& r = planned[k];
    if (position >= format::kOffsetLimit)
      throw py::value_error("record " + std::to_string(k) + " would start at byte " +
                            std::to_string(position) +
                            ", beyond the 32-bit offsets of a pulse file; nothing was written");
    StoreU32(reinterpret_cast<uint8_t*>(table.data()) + k * format::kOffsetEntrySize,
             static_cast<uint32_t>(position));
    const auto bytes = static_cast<size_t>(r.samples.size * r.samples.itemsize);
    chunks.push_back({reinterpret_cast<const uint8_t*>(r.header.data()), r.header.size()});
    chunks.push_back({static_cast<const uint8_t*>(r.samples.ptr), bytes});
    position += r.header.size() + bytes;
    if (r.pad) {
      chunks.push_back({kPad, sizeof kPad});
      position += sizeof kPad;
    }
  }
  int err;
  {
    py::gil_scoped_release release;
    err = WriteReplacing(path, chunks);
  }
  if (err != 0) {
    errno = err;
    PyErr_SetFromErrnoWithFilename(PyExc_OSError, path.c_str());
    throw py::error_already_set();
  }
}

}  // namespace

void BindWriter(py::module_& m) {
  m.def("write_file", &WriteFile, py::arg("path"), py::arg("header"), py::arg("records"));
}

}  // namespace orvane::python
