// The engine's one description of the binary form for Python: every header
// field's label, offset and storage type, each header's size and each
// record kind's sample type. The package builds its numpy dtypes and its
// Header fields from these, so that no layout is kept twice.
#include <pybind11/stl.h>

#include <string>

#include "bindings.h"

namespace py = pybind11;

namespace orvane::python {

namespace {

constexpr RecordType kRecordTypes[] = {RecordType::T, RecordType::R, RecordType::I};

// "file", or a record kind's letter.
HeaderKind HeaderKindOf(const std::string& name) {
  if (name == "file") return HeaderKind::File;
  if (name.size() == 1) return HeaderKindOf(RecordTypeOf(name[0]));
  throw py::value_error("header kind must be 'file', 'T', 'R' or 'I', not '" + name + "'");
}

const char* FieldTypeName(FieldType type) {
  switch (type) {
    case FieldType::Text80: return "Text80";
    case FieldType::UInt32: return "UInt32";
    case FieldType::Int32: return "Int32";
    case FieldType::UInt16: return "UInt16";
    case FieldType::Real32: return "Real32";
  }
  return "unknown";
}

// (label, offset, storage type) of every field, in the order of the text lines.
py::list HeaderFields(const std::string& kind) {
  py::list out;
  for (const FieldDescription& field : DescribeHeader(HeaderKindOf(kind)).fields)
    out.append(py::make_tuple(std::string(field.label), field.offset, FieldTypeName(field.type)));
  return out;
}

size_t HeaderSize(const std::string& kind) { return DescribeHeader(HeaderKindOf(kind)).size; }

std::string RecordSampleDtype(char letter) {
  return SampleDtype(DescribeRecord(RecordTypeOf(letter)).sample);
}

}  // namespace

RecordType RecordTypeOf(char letter) {
  for (RecordType type : kRecordTypes)
    if (DescribeRecord(type).letter == letter) return type;
  throw py::value_error(std::string("record kind must be 'T', 'R' or 'I', not '") + letter + "'");
}

const char* SampleDtype(SampleType type) {
  switch (type) {
    case SampleType::Int16: return "<i2";
    case SampleType::Real32: return "<f4";
  }
  return "";
}

void BindDescriptions(py::module_& m) {
  m.def("header_fields", &HeaderFields, py::arg("kind"),
        "(label, offset, storage type) of every field of a header kind ('file', 'T', 'R', 'I')");
  m.def("header_size", &HeaderSize, py::arg("kind"), "Bytes of a header kind ('file', 'T', 'R', 'I')");
  m.def("sample_dtype", &RecordSampleDtype, py::arg("letter"), "The numpy dtype of a record kind's samples");
  m.attr("MAGIC") = format::kMagic;
  m.attr("TEXT_FIELD_SIZE") = format::kTextFieldSize;
}

}  // namespace orvane::python
