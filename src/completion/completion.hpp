#pragma once
// completion: prints the completion script of bash, zsh or fish, generated from the command
// table only when it is asked for. A command of the program's own group, declared here rather
// than compiled into a table of its own, which every run would step through to find its command.

#include "completion/scripts.hpp"
#include "core/declaration.hpp"

namespace quillo::completion {

/// Refuses a shell that no script is made for.
MaybeError known_shell(std::string_view name);

/// Prints the script of the shell given, for the whole program.
MaybeError print_script(const Cli& cli, Sink& out, const RunSettings& settings);

inline constexpr Argument kArguments[] = {
    positional("shell", "SHELL", "bash, zsh or fish")
        .with_choices(kShellNames)
        .checked_by(known_shell),
};

inline constexpr Example kExamples[] = {
    {"quillo completion bash", "# bash completion for quillo: source <(quillo completion bash)"},
    {"quillo completion fish", "# fish completion for quillo: quillo completion fish | source"}};

inline constexpr Command kCommand{
    .name = "completion",
    .help = "Print the shell completion script for bash, zsh or fish",
    .arguments = kArguments,
    .examples = kExamples,
    .method = {},  // it sends nothing: it prints what it makes
    .effect = Effect::Local,
    .rendering = {},
    .local = print_script,
};

}  // namespace quillo::completion
