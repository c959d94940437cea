#include "convert/base_name.h"

namespace orvane {

std::string DeriveBaseName(const std::string& fileName) {
  size_t dot = fileName.rfind('.');
  if (dot == std::string::npos || dot == 0) return fileName;
  std::string suffix = fileName.substr(dot);
  if (suffix == ".spf" || suffix == ".pfh") return fileName.substr(0, dot);
  return fileName;
}

std::string OutputName(const std::string& outputDir, const std::string& baseName, const std::string& suffix) {
  if (outputDir.empty()) return baseName + suffix;
  const size_t slash = baseName.rfind('/');
  const std::string name = slash == std::string::npos ? baseName : baseName.substr(slash + 1);
  std::string folder = outputDir;
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return (folder == "/" ? folder : folder + "/") + name + suffix;
}

std::string OutputBasePath(const ConversionRequest& request) {
  return OutputName(request.outputDir, DeriveBaseName(request.fileName), "");
}

}  // namespace orvane
