#include "convert/base_name.h"

namespace orvane {

std::string DeriveBaseName(const std::string& fileName) {
  size_t dot = fileName.rfind('.');
  if (dot == std::string::npos || dot == 0) return fileName;
  std::string suffix = fileName.substr(dot);
  if (suffix == ".spf" || suffix == ".pfh") return fileName.substr(0, dot);
  return fileName;
}

}  // namespace orvane
