// A pulse file header with edge values in every kind of field, and the exact
// header text files its export writes in the two layouts.
#pragma once

#include <string>

#include "pulse_file_builder.h"

namespace orvane::testing {

inline const std::string kEightyChars =
    "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ!$%&()*+,-./:;<=>?";

inline FileHeaderSpec EdgeHeader() {
  FileHeaderSpec h;
  h.desc = kEightyChars;
  h.subs = -1;
  h.pnam = "name";
  h.fmin = INT32_MIN;
  h.fmax = INT32_MAX;
  h.time = 0;
  h.pid = 0xFFFF;
  h.unus = 0x8000;
  h.styp = 5;
  h.ptyp = -5;
  h.mxpr = 1.5f;
  h.rs = {0, 1, 2, -7, 4, 5, 6};
  return h;
}

inline std::string EdgeHeaderText(bool labelled, uint32_t t = 0, uint32_t r = 0, uint32_t i = 0) {
  const std::string labels[] = {
      "MAGC: ", "DESC: ", "SUBS: ", "PNAM: ", "PDES: ", "FMIN: ", "FMAX: ", "TIME: ",
      "PID : ", "UNUS: ", "STYP: ", "PTYP: ", "TCNT: ", "RCNT: ", "ICNT: ", "MXPR: ",
      "RS 0: ", "RS 1: ", "RS 2: ", "RS 3: ", "RS 4: ", "RS 5: ", "RS 6: "};
  const std::string values[] = {"35799753",
                                kEightyChars,
                                "-1",
                                "name",
                                "",
                                "-2147483648",
                                "2147483647",
                                "0",
                                "65535",
                                "32768",
                                "5",
                                "-5",
                                std::to_string(t),
                                std::to_string(r),
                                std::to_string(i),
                                "1.500000",
                                "0",
                                "1",
                                "2",
                                "-7",
                                "4",
                                "5",
                                "6"};
  std::string text;
  for (size_t k = 0; k < 23; ++k) text += (labelled ? labels[k] : "") + values[k] + "\n";
  return text;
}

// The header an import builds from EdgeHeaderText: text fields padded with
// blanks to 79 characters, or cut there.
inline FileHeaderSpec EdgeHeaderImported() {
  FileHeaderSpec h = EdgeHeader();
  h.desc = kEightyChars.substr(0, 79);
  h.pnam = "name" + std::string(75, ' ');
  h.pdes = std::string(79, ' ');
  return h;
}

}  // namespace orvane::testing
