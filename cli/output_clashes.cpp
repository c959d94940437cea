#include "output_clashes.h"

#include <cstdlib>
#include <map>
#include <set>
#include <utility>

namespace orvane::cli {

namespace {

// Each folder is resolved once per command: a batch of thousands of files
// in one folder would otherwise ask the system the same thing for each,
// twice. orvane-cli resolves every output before the first run starts.
std::string RealFolder(const std::string& folder) {
  static std::map<std::string, std::string> resolved;
  if (auto known = resolved.find(folder); known != resolved.end()) return known->second;
  char* real = ::realpath(folder.c_str(), nullptr);
  std::string result = real ? std::string(real) : folder;
  std::free(real);
  resolved.emplace(folder, result);
  return result;
}

// Every file of a run is named from this: the input's base name in the
// folder it resolves to.
std::string ResolvedInputBase(const ConversionRequest& request) {
  return ResolvedPath(DeriveBaseName(request.fileName));
}

std::string OutputShown(const ConversionRequest& request) {
  return OutputBasePath(request) + (request.direction == Direction::ToText ? ".*" : ".spf");
}

}  // namespace

std::string ResolvedPath(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return RealFolder(".") + "/" + path;
  const std::string folder = slash == 0 ? "/" : path.substr(0, slash);
  return RealFolder(folder) + "/" + path.substr(slash + 1);
}

std::string ResolvedOutputBase(const ConversionRequest& request) {
  return ResolvedPath(OutputBasePath(request));
}

std::vector<OutputClash> FindOutputClashes(const std::vector<ConversionRequest>& requests) {
  std::vector<OutputClash> clashes;
  std::map<std::string, size_t> firstOfOutput;
  std::set<std::pair<std::string, std::string>> named;  // output, input
  for (size_t i = 0; i < requests.size(); ++i) {
    const std::string output = ResolvedOutputBase(requests[i]);
    const std::string input = ResolvedInputBase(requests[i]);
    auto [first, isFirst] = firstOfOutput.try_emplace(output, i);
    const bool newInput = named.emplace(output, input).second;
    if (isFirst || !newInput) continue;
    const ConversionRequest& earlier = requests[first->second];
    clashes.push_back({earlier.fileName, requests[i].fileName, OutputShown(earlier)});
  }
  return clashes;
}

}  // namespace orvane::cli
