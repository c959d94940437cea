// A pulse file header with edge values in every kind of field, and the exact
// header text files its export writes in the two layouts.
#pragma once

#include <string>

#include "pulse_file_builder.h"

namespace orvane::testing {

inline const std::string kEightyChars =
    "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ!$%&()*+,-./:;<=>?";

inline HeaderFields EdgeHeader() {
  HeaderFields h(format::kFileHeader);
  h.Int("MAGC", format::kMagic).Text("DESC", kEightyChars).Int("SUBS", -1).Text("PNAM", "name");
  h.Int("FMIN", INT32_MIN).Int("FMAX", INT32_MAX).Int("TIME", 0).Int("PID", 0xFFFF).Int("UNUS", 0x8000);
  h.Int("STYP", 5).Int("PTYP", -5).Real("MXPR", 1.5f);
  const int32_t rs[] = {0, 1, 2, -7, 4, 5, 6};
  for (int k = 0; k < 7; ++k) h.Int("RS" + std::to_string(k), rs[k]);
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
inline HeaderFields EdgeHeaderImported() {
  HeaderFields h = EdgeHeader();
  h.Text("DESC", kEightyChars.substr(0, 79)).Text("PNAM", "name" + std::string(75, ' '));
  h.Text("PDES", std::string(79, ' '));
  return h;
}

}  // namespace orvane::testing
