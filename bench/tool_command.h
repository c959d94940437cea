// The command line both benchmark tools take (the engine's driver and the
// naive stdio conversion), so that run_bench.sh times them alike.
//
//   TOOL export|import BASE labelled|bare
//   TOOL validate FILE.spf
//   TOOL get BASE
//   TOOL set BASE "VALUES"
#pragma once

#include <cstdio>
#include <optional>
#include <string>

struct ToolCommand {
  enum class Kind { Export, Import, Validate, Get, Set };
  Kind kind;
  std::string target;
  bool labelled = true;  // export and import
  std::string values;    // set
};

inline std::optional<ToolCommand> ParseToolCommand(int argc, char** argv) {
  if (argc < 3) return std::nullopt;
  const std::string command = argv[1];
  ToolCommand tool{ToolCommand::Kind::Validate, argv[2], true, {}};
  if ((command == "export" || command == "import") && argc == 4) {
    const std::string layout = argv[3];
    if (layout != "labelled" && layout != "bare") return std::nullopt;
    tool.kind = command == "export" ? ToolCommand::Kind::Export : ToolCommand::Kind::Import;
    tool.labelled = layout == "labelled";
    return tool;
  }
  if (command == "validate" && argc == 3) return tool;
  if (command == "get" && argc == 3) {
    tool.kind = ToolCommand::Kind::Get;
    return tool;
  }
  if (command == "set" && argc == 4) {
    tool.kind = ToolCommand::Kind::Set;
    tool.values = argv[3];
    return tool;
  }
  return std::nullopt;
}

inline int ToolUsage(const char* program) {
  std::fprintf(stderr,
               "usage: %s export|import BASE labelled|bare\n"
               "       %s validate FILE.spf\n"
               "       %s get BASE\n"
               "       %s set BASE \"VALUES\"\n",
               program, program, program, program);
  return 2;
}
