#include "completion/scripts.hpp"

#include "completion/offers.hpp"
#include "completion/shell_tables.hpp"

namespace quillo::completion {
namespace {

// The scripts' fixed parts: arrays rather than views, so that no run relocates them.
constexpr char kBashScript[] = R"SH(
# Reads the words before the cursor: the command path, how many positionals follow it, whether
# "--" ended the options, and the --socket given.
_quillo_walk() {
  _quillo_path="" _quillo_count=0 _quillo_ended="" _quillo_socket=()
  local i word skip=""
  for (( i = 1; i < COMP_CWORD; i++ )); do
    word="${COMP_WORDS[i]}"
    if [[ -n "$skip" ]]; then
      [[ "$skip" == --socket ]] && _quillo_socket=(--socket "$(_quillo_dequote "$word")")
      skip=""
    elif [[ -n "$_quillo_ended" ]]; then
      (( _quillo_count++ ))
    elif [[ "$word" == -- ]]; then
      _quillo_ended=1
    elif [[ "$word" == = ]]; then
      skip="${COMP_WORDS[i-1]}"  # "--option=value" arrives split at '=' (COMP_WORDBREAKS)
    elif [[ "$word" == -* ]]; then
      if [[ "${COMP_WORDS[i+1]}" != = ]] && _quillo_takes_value "$_quillo_path" "$word"; then skip="$word"; fi
    elif [[ " $(_quillo_subcommands "$_quillo_path") " == *" $word "* ]]; then
      _quillo_path="${_quillo_path:+$_quillo_path }$word"
    else
      (( _quillo_count++ ))
    fi
  done
}

# Completes a value as _quillo_value or _quillo_positional says.
_quillo_complete_value() {
  local listing word value quoted
  case "$1" in
    files)
      # The shell's own file completion, which quotes names as it should.
      if compopt -o default 2>/dev/null; then
        COMPREPLY=()
      else
        local IFS=$'\n'
        word="$(printf '%s' "$cur" | sed 's/\\\(.\)/\1/g')"
        COMPREPLY=($(compgen -f -- "$word"))
      fi ;;
    words\ *) COMPREPLY=($(compgen -W "${1#words }" -- "$cur")) ;;
    listed\ *)
      # The IDE's values, quoted for the line: compgen -W would expand what they hold.
      read -r listing _ <<< "${1#listed }"
      word="$(_quillo_dequote "$cur")"
      while IFS= read -r value; do
        [[ "$value" == "$word"* ]] || continue
        printf -v quoted '%q' "$value"
        COMPREPLY+=("$quoted")
      done < <(_quillo_listing "$listing" bash "$(_quillo_dequote "${COMP_WORDS[0]}")" "${_quillo_socket[@]}") ;;
  esac
}

_quillo() {
  local cur="${COMP_WORDS[COMP_CWORD]}" previous="${COMP_WORDS[COMP_CWORD-1]}" option=""
  _quillo_walk
  if [[ "$cur" == = ]]; then
    option="$previous"
    cur=""
  elif [[ "$previous" == = ]]; then
    option="${COMP_WORDS[COMP_CWORD-2]}"
  elif [[ -z "$_quillo_ended" && "$previous" == -* ]] && _quillo_takes_value "$_quillo_path" "$previous"; then
    option="$previous"
  fi
  COMPREPLY=()
  if [[ -n "$option" ]]; then
    _quillo_complete_value "$(_quillo_value "$_quillo_path" "$option")"
  elif [[ -z "$_quillo_ended" && "$cur" == -* ]]; then
    COMPREPLY=($(compgen -W "$(_quillo_options "$_quillo_path") --socket --json --help" -- "$cur"))
  elif [[ -z "$_quillo_ended" && -n "$(_quillo_subcommands "$_quillo_path")" ]]; then
    COMPREPLY=($(compgen -W "$(_quillo_subcommands "$_quillo_path")" -- "$cur"))
  else
    _quillo_complete_value "$(_quillo_positional "$_quillo_path" $((_quillo_count + 1)))"
  fi
  return 0
}

complete -F _quillo quillo
)SH";

constexpr char kZshScript[] = R"SH(
_quillo() {
  local path_="" word skip="" ended="" option="" how cur="${words[CURRENT]}" previous="${words[CURRENT-1]}"
  local -a socket described candidates listing
  local -i i count=0
  for (( i = 2; i < CURRENT; i++ )); do
    word="${words[i]}"
    if [[ -n "$skip" ]]; then
      [[ "$skip" == --socket ]] && socket=(--socket "$(_quillo_dequote "$word")")
      skip=""
    elif [[ -n "$ended" ]]; then
      (( count++ ))
    elif [[ "$word" == -- ]]; then
      ended=1
    elif [[ "$word" == --socket=* ]]; then
      socket=("$word")
    elif [[ "$word" == -* && "$word" != *=* ]]; then
      _quillo_takes_value "$path_" "$word" && skip="$word"
    elif [[ "$word" != -* && " $(_quillo_subcommands "$path_") " == *" $word "* ]]; then
      path_="${path_:+$path_ }$word"
    elif [[ "$word" != -* ]]; then
      (( count++ ))
    fi
  done
  if [[ -z "$ended" && "$cur" == --*=* ]]; then
    option="${cur%%=*}"
    compset -P '*='
  elif [[ -z "$ended" && "$previous" == -* && "$previous" != *=* ]] && _quillo_takes_value "$path_" "$previous"; then
    option="$previous"
  fi
  if [[ -n "$option" ]]; then
    how="$(_quillo_value "$path_" "$option")"
  elif [[ -z "$ended" && "$cur" == -* ]]; then
    described=("${(@f)$(_quillo_described_options "$path_")}")
    _describe -t options 'option' described
    return
  elif [[ -z "$ended" && -n "$(_quillo_subcommands "$path_")" ]]; then
    described=("${(@f)$(_quillo_described_commands "$path_")}")
    _describe -t commands 'command' described
    return
  else
    how="$(_quillo_positional "$path_" $(( count + 1 )))"
  fi
  case "$how" in
    files) _files ;;
    words\ *) candidates=(${=${how#words }}); compadd -a candidates ;;
    listed\ *)
      # Each identifier with what it names: "term-1:zsh  /Users/me/app".
      listing=(${=${how#listed }})
      described=("${(@f)$(_quillo_listing "${listing[1]}" zsh "$(_quillo_dequote "${words[1]}")" "${socket[@]}")}")
      described=(${described:#})
      _describe -t values "${${(L)listing[2]}//_/ }" described ;;
  esac
}

# Autoloaded from a directory in $fpath, this file is the body of the function _quillo, which
# then completes; sourced (after compinit), it has _quillo complete quillo.
if [[ "${funcstack[1]}" == _quillo ]]; then
  _quillo "$@"
else
  compdef _quillo quillo
fi
)SH";

constexpr char kFishFunctions[] =
    R"SH(# Reads the command line before the cursor: the command path, how many positionals follow it,
# whether "--" ended the options, and the --socket given.
function __quillo_walk
    set -l tokens (commandline -opc)
    set -e tokens[1]
    set -g __quillo_path ''
    set -g __quillo_count 0
    set -g __quillo_ended 0
    set -g __quillo_socket
    set -l skip ''
    for token in $tokens
        if test -n "$skip"
            test "$skip" = --socket; and set -g __quillo_socket --socket $token
            set skip ''
        else if test $__quillo_ended = 1
            set -g __quillo_count (math $__quillo_count + 1)
        else
            switch $token
                case '--'
                    set -g __quillo_ended 1
                case '--socket=*'
                    set -g __quillo_socket $token
                case '--*=*'
                case '-*'
                    __quillo_takes_value "$__quillo_path" $token; and set skip $token
                case '*'
                    if contains -- $token (string split ' ' -- (__quillo_subcommands "$__quillo_path"))
                        set -g __quillo_path (string trim -- "$__quillo_path $token")
                    else
                        set -g __quillo_count (math $__quillo_count + 1)
                    end
            end
        end
    end
end

# At the command PATH, with options still allowed.
function __quillo_at
    __quillo_walk
    test "$__quillo_path" = "$argv[1]" -a $__quillo_ended = 0
end

function __quillo_options_allowed
    __quillo_walk
    test $__quillo_ended = 0
end

# At the Nth positional of the command PATH.
function __quillo_positional
    __quillo_walk
    test "$__quillo_path" = "$argv[1]" -a (math $__quillo_count + 1) = $argv[2]
end

# Runs `PROGRAM... --json COMMAND...` and prints the items of its listing, each with its
# description after a tab (KEY and DESCRIPTION as the awk program below says), when the IDE
# answers within a second; nothing when it is not running or does not answer.
function __quillo_ask
    set -l key $argv[1]
    set -l description $argv[2]
    sh -c '"$@" --json </dev/null 2>/dev/null & pid=$!; ( sleep 1; kill "$pid" ) >/dev/null 2>&1 & timer=$!; wait "$pid"; kill "$timer"' \
        sh $argv[3..-1] 2>/dev/null | env LC_ALL=C awk )SH";

constexpr char kFishCompletions[] = R"SH(
complete -c quillo -f
complete -c quillo -n __quillo_options_allowed -l help -d 'Print this help message and exit'
complete -c quillo -n '__quillo_at ""' -l version -d 'Display program version information and exit'
)SH";

constexpr char kBashHeader[] = R"SH(# bash completion for quillo: source <(quillo completion bash)
# Printed by `quillo completion bash` from the program's command table; do not edit.

)SH";

// The first line has zsh's compinit autoload the file for quillo.
constexpr char kZshHeader[] = R"SH(#compdef quillo
# zsh completion for quillo: autoloaded from a directory in $fpath as _quillo, or, after
# compinit: source <(quillo completion zsh)
# Printed by `quillo completion zsh` from the program's command table; do not edit.

)SH";

constexpr char kFishHeader[] = R"SH(# fish completion for quillo: quillo completion fish | source
# Printed by `quillo completion fish` from the program's command table; do not edit.

)SH";

std::string bash_script(NodeRef root) { return kBashHeader + shell_tables(root) + kBashScript; }

std::string zsh_script(NodeRef root) { return kZshHeader + shell_tables(root) + kZshScript; }

// The arguments of fish's `complete` that offer a value completed as `how` says.
std::string fish_value(const std::string& how) {
  if (how == "files") return " -r -F";
  if (how.starts_with("words ")) return " -x -a " + fish_quoted(how.substr(6));
  if (how.starts_with("listed ")) {
    return " -x -a " +
           fish_quoted("(__quillo_listing " + how.substr(7, how.find(' ', 7) - 7) + ")");
  }
  return " -x";
}

std::string fish_script(NodeRef root) {
  const std::vector<Listing> known = listings(root);
  const std::vector<ReachedNode> nodes = every_node(root);
  std::string out = kFishHeader;
  // The tables as fish functions.
  out += "function __quillo_subcommands\n    switch \"$argv[1]\"\n";
  for (const ReachedNode& reached : nodes) {
    if (!reached.node.is_group()) continue;
    out += "        case " + fish_quoted(reached.path) + "\n            echo";
    reached.node.for_each_child([&](const NodeRef& child) { out += " " + std::string(child.name()); });
    out += "\n";
  }
  out += "    end\nend\n\nfunction __quillo_takes_value\n    switch \"$argv[2]\"\n";
  for (const OfferedOption& option : options_of(root, known)) {
    if (!option.takes_value) continue;
    out += "        case " + std::string(option.name) + "\n            return 0\n";
  }
  out += "    end\n    switch \"$argv[1] $argv[2]\"\n";
  for (const ReachedNode& reached : nodes) {
    if (reached.path.empty()) continue;
    for (const OfferedOption& option : options_of(reached.node, known)) {
      if (!option.takes_value) continue;
      out += "        case " + fish_quoted(reached.path + " " + std::string(option.name)) +
             "\n            return 0\n";
    }
  }
  out += "    end\n    return 1\nend\n\n" + std::string(kFishFunctions) +
         fish_quoted(kItemsProgram) + R"SH( fish $key $description 2>/dev/null
end

# The identifiers the IDE holds for listing N (as the completions of values below name it),
# asked through the quillo and the --socket of the command line.
function __quillo_listing
    __quillo_walk
    set -l program (commandline -opc)[1]
    switch $argv[1]
)SH";
  for (std::size_t i = 0; i < known.size(); ++i) {
    out += "        case " + std::to_string(i + 1) + "\n            __quillo_ask " +
           fish_quoted(known[i].key) + " " + fish_quoted(known[i].description) +
           " $program $__quillo_socket " + std::string(known[i].command) + "\n";
  }
  out += "    end\nend\n" + std::string(kFishCompletions);
  for (const OfferedOption& option : options_of(root, known)) {
    out +=
        "complete -c quillo -n __quillo_options_allowed -l " + std::string(option.name.substr(2));
    if (option.takes_value) out += fish_value(option.how);
    out += " -d " + fish_quoted(option.help) + "\n";
  }
  for (const ReachedNode& reached : nodes) {
    const NodeRef node = reached.node;
    const std::string at = "-n " + fish_quoted("__quillo_at " + fish_quoted(reached.path));
    node.for_each_child([&](const NodeRef& child) {
      out += "complete -c quillo " + at + " -a " + std::string(child.name()) + " -d " + fish_quoted(child.help()) + "\n";
    });
    if (reached.path.empty()) continue;
    for (const OfferedOption& option : options_of(node, known)) {
      out += "complete -c quillo " + at + " -l " + std::string(option.name.substr(2));
      if (option.takes_value) out += fish_value(option.how);
      out += " -d " + fish_quoted(option.help) + "\n";
    }
    const std::vector<std::string> hows = positionals_of(node, known);
    for (std::size_t i = 0; i < hows.size(); ++i) {
      if (hows[i].empty()) continue;
      out += "complete -c quillo -n " +
             fish_quoted("__quillo_positional " + fish_quoted(reached.path) + " " +
                         std::to_string(i + 1)) +
             (hows[i] == "files" ? " -F" : fish_value(hows[i]).substr(3)) + "\n";
    }
  }
  return out;
}

}  // namespace

std::optional<Shell> shell_named(std::string_view name) {
  if (name == "bash") return Shell::Bash;
  if (name == "zsh") return Shell::Zsh;
  if (name == "fish") return Shell::Fish;
  return std::nullopt;
}

std::string completion_script(Shell shell, NodeRef root) {
  switch (shell) {
    case Shell::Bash:
      return bash_script(root);
    case Shell::Zsh:
      return zsh_script(root);
    case Shell::Fish:
      break;
  }
  return fish_script(root);
}

}  // namespace quillo::completion
