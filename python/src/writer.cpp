// Writes a pulse file from header bytes and sample buffers, laid out as an
// import lays it out: header, offset table, the records in table order from
// 316 + 4N, a 16-bit zero after an odd number of T or I samples, and the seal
// word. The file is written beside the target under a temporary name,
// fsynced and renamed into place only when complete.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <pybind11/stl.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "bindings.h"
#include "checksum.h"
#include "orvane/byte_order.h"
#include "orvane/format.h"

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

[[noreturn]] void ThrowErrno(const std::string& path) {
  const int e = errno;
  PyErr_SetFromErrnoWithFilename(PyExc_OSError, path.c_str());
  (void)e;
  throw py::error_already_set();
}

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

// Writes chunks to a temporary file beside path and renames it into place.
// Returns 0 or the errno of the failure; the temporary file is removed then.
int WriteReplacing(const std::string& path, const std::vector<Chunk>& chunks) {
  std::string temp = path + ".tmp-XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) return errno;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  uint16_t sum = 0;
  uint64_t length = 0;
  bool ok = ::fchmod(fd, 0666 & ~mask) == 0;
  for (const Chunk& c : chunks) {
    if (!ok) break;
    // Every chunk has an even size, so each starts on an even offset.
    sum = static_cast<uint16_t>(sum + WordSum(c.data, c.size));
    length += c.size;
    ok = WriteAll(fd, c.data, c.size);
  }
  if (ok) {
    uint8_t seal[3];
    const size_t n = SealBytes(sum, length, 0, seal);
    ok = WriteAll(fd, seal, n) && ::fsync(fd) == 0;
  }
  int err = ok ? 0 : errno;
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err == 0 && ::rename(temp.c_str(), path.c_str()) != 0) err = errno;
  if (err != 0) {
    ::unlink(temp.c_str());
    return err;
  }
  const int dir = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return 0;
}

// records: (header bytes, samples buffer, pad after an odd count) in table order.
void WriteFile(const std::string& path, const std::string& header, const py::list& records) {
  if (header.size() != format::file::kSize) throw py::value_error("the file header must be 316 bytes");
  std::vector<PlannedRecord> planned;
  planned.reserve(records.size());
  for (const py::handle item : records) {
    auto t = item.cast<py::tuple>();
    planned.push_back({t[0].cast<std::string>(), t[1].cast<py::buffer>().request(), t[2].cast<bool>()});
    if (!planned.back().samples.item_type_is_equivalent_to<uint8_t>() && planned.back().samples.ndim != 1)
      throw py::type_error("samples must be one-dimensional");
  }
  const uint64_t entries = planned.size();
  if (entries >= format::kOffsetLimit) throw py::value_error("too many records for a pulse file");
  std::string table(entries * format::kOffsetEntrySize, '\0');
  static const uint8_t kPad[2] = {0, 0};
  std::vector<Chunk> chunks{{reinterpret_cast<const uint8_t*>(header.data()), header.size()},
                            {reinterpret_cast<const uint8_t*>(table.data()), table.size()}};
  uint64_t position = format::EntryPosition(entries);
  for (size_t k = 0; k < planned.size(); ++k) {
    const PlannedRecord& r = planned[k];
    if (position >= format::kOffsetLimit)
      throw py::value_error("record " + std::to_string(k) + " would start at " + std::to_string(position) +
                            ", beyond the 32-bit offsets of a pulse file");
    StoreU32(reinterpret_cast<uint8_t*>(table.data()) + k * format::kOffsetEntrySize,
             static_cast<uint32_t>(position));
    const size_t bytes = static_cast<size_t>(r.samples.size * r.samples.itemsize);
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
    ThrowErrno(path);
  }
}

}  // namespace

void BindWriter(py::module_& m) {
  m.def("write_file", &WriteFile, py::arg("path"), py::arg("header"), py::arg("records"));
}

}  // namespace orvane::python
