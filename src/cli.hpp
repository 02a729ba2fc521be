#pragma once
// The program's top level: its group of every family's commands and the global options, the
// parsed command line, the mapping of a command to its request, and the run driver.

#include <span>
#include <variant>

#include "core/argument_parser.hpp"
#include "core/invocation.hpp"
#include "core/method_target.hpp"
#include "core/result.hpp"
#include "core/sink.hpp"

namespace quillo {

/// The program: its name, its version and every command.
const Program& program();

/// Parses the arguments (without the program name). On a usage error, --help or --version the
/// parser has printed (help and version on `out`, errors on `err`) and the exit status is
/// returned instead.
std::variant<Cli, int> parse_cli(std::span<const std::string> args, Sink& out, Sink& err,
                                 const ParseSettings& settings = {});

/// The method and parameters of the command. Pure: reads neither environment nor files.
MethodTarget to_target(const Cli& cli);

/// Resolves the socket, sends the command's request, prints the result on `out`; or does what
/// a local command does.
MaybeError run(const Cli& cli, Sink& out, const RunSettings& settings = {});

}  // namespace quillo
