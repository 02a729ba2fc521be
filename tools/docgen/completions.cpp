#include "completions.hpp"

#include <sstream>

#include "shell_tables.hpp"

namespace docgen {
namespace {

const char* const kGenerated = "generated from quillo's grammar by quillo-docgen; do not edit";

// Words that end in the global options, so that they are offered at every depth.
std::string global_option_words(const Command& root) {
  std::string words;
  for (const Option& option : root.options) words += " " + option.name;
  return words + " --help";
}

std::string fish_quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "'";
}

}  // namespace

std::string bash_completion(const Command& root) {
  std::ostringstream out;
  out << "# bash completion for quillo, " << kGenerated << ".\n\n"
      << shell_tables(root) << R"SH(
# The command path of the words before the cursor: subcommands extend it, options that take a
# value skip that value, and "--option=value" arrives split at '=' (COMP_WORDBREAKS).
_quillo_command_path() {
  local i word cmdpath=""
  for (( i = 1; i < COMP_CWORD; i++ )); do
    word="${COMP_WORDS[i]}"
    case "$word" in
      --) break ;;
      =) (( i++ )) ;;
      -*) if [[ "${COMP_WORDS[i+1]}" != "=" ]] && _quillo_takes_value "$cmdpath" "$word"; then (( i++ )); fi ;;
      *) case " $(_quillo_subcommands "$cmdpath") " in *" $word "*) cmdpath="${cmdpath:+$cmdpath }$word" ;; esac ;;
    esac
  done
  echo "$cmdpath"
}

_quillo() {
  local cur="${COMP_WORDS[COMP_CWORD]}" previous="${COMP_WORDS[COMP_CWORD-1]}" option=""
  local cmdpath
  cmdpath="$(_quillo_command_path)"
  if [[ "$cur" == "=" ]]; then
    option="$previous"
    cur=""
  elif [[ "$previous" == "=" ]]; then
    option="${COMP_WORDS[COMP_CWORD-2]}"
  elif [[ "$previous" == -* ]] && _quillo_takes_value "$cmdpath" "$previous"; then
    option="$previous"
  fi
  if [[ -n "$option" ]]; then
    if _quillo_value_files "$cmdpath" "$option"; then
      compopt -o filenames 2>/dev/null
      COMPREPLY=($(compgen -f -- "$cur"))
    else
      COMPREPLY=($(compgen -W "$(_quillo_value_words "$cmdpath" "$option")" -- "$cur"))
    fi
    return 0
  fi
  if [[ "$cur" == -* ]]; then
    COMPREPLY=($(compgen -W "$(_quillo_options "$cmdpath"))SH" << global_option_words(root) << R"SH(" -- "$cur"))
    return 0
  fi
  local subcommands
  subcommands="$(_quillo_subcommands "$cmdpath")"
  if [[ -n "$subcommands" ]]; then
    COMPREPLY=($(compgen -W "$subcommands" -- "$cur"))
  elif _quillo_positional_files "$cmdpath"; then
    compopt -o filenames 2>/dev/null
    COMPREPLY=($(compgen -f -- "$cur"))
  fi
  return 0
}

complete -F _quillo quillo
)SH";
  return out.str();
}

std::string zsh_completion(const Command& root) {
  std::ostringstream out;
  out << "#compdef quillo\n# zsh completion for quillo, " << kGenerated << ".\n\n"
      << shell_tables(root) << R"SH(
_quillo() {
  local cmdpath="" word option="" cur="${words[CURRENT]}" previous="${words[CURRENT-1]}"
  local -i i
  for (( i = 2; i < CURRENT; i++ )); do
    word="${words[i]}"
    case "$word" in
      --) break ;;
      --*=*) ;;
      -*) if _quillo_takes_value "$cmdpath" "$word"; then (( i++ )); fi ;;
      *) if [[ " $(_quillo_subcommands "$cmdpath") " == *" $word "* ]]; then cmdpath="${cmdpath:+$cmdpath }$word"; fi ;;
    esac
  done
  if [[ "$cur" == --*=* ]]; then
    option="${cur%%=*}"
    compset -P '*='
  elif [[ "$previous" == -* && "$previous" != *=* ]] && _quillo_takes_value "$cmdpath" "$previous"; then
    option="$previous"
  fi
  local -a candidates
  if [[ -n "$option" ]]; then
    if _quillo_value_files "$cmdpath" "$option"; then
      _files
    else
      candidates=(${=$(_quillo_value_words "$cmdpath" "$option")})
      compadd -a candidates
    fi
    return
  fi
  if [[ "$cur" == -* ]]; then
    candidates=(${=$(_quillo_options "$cmdpath")})SH" << global_option_words(root) << R"SH()
    compadd -a candidates
    return
  fi
  candidates=(${=$(_quillo_subcommands "$cmdpath")})
  if (( ${#candidates} )); then
    compadd -a candidates
  elif _quillo_positional_files "$cmdpath"; then
    _files
  fi
}

_quillo "$@"
)SH";
  return out.str();
}

std::string fish_completion(const Command& root) {
  std::ostringstream out;
  out << "# fish completion for quillo, " << kGenerated << ".\n\n";
  // The tables as fish functions.
  out << "function __quillo_subcommands\n    switch \"$argv[1]\"\n";
  for (const Command* command : all_commands(root)) {
    if (command->subcommands.empty()) continue;
    out << "        case " << fish_quote(command->joined_path()) << "\n            echo";
    for (const auto& sub : command->subcommands) out << ' ' << sub.path.back();
    out << '\n';
  }
  out << "    end\nend\n\n";
  out << "function __quillo_takes_value\n    switch \"$argv[2]\"\n";
  for (const Option& option : root.options) {
    if (!option.value_name.empty()) out << "        case " << option.name << "\n            return 0\n";
  }
  out << "    end\n    switch \"$argv[1] $argv[2]\"\n";
  for (const Command* command : all_commands(root)) {
    if (command == &root) continue;
    for (const Option& option : command->options) {
      if (option.value_name.empty()) continue;
      out << "        case " << fish_quote(command->joined_path() + " " + option.name) << "\n            return 0\n";
    }
  }
  out << "    end\n    return 1\nend\n\n";
  out << R"SH(# The command path of the command line before the cursor.
function __quillo_command_path
    set -l tokens (commandline -opc)
    set -e tokens[1]
    set -l cmdpath ''
    set -l skip 0
    for token in $tokens
        if test $skip = 1
            set skip 0
            continue
        end
        switch $token
            case '--'
                break
            case '--*=*'
            case '-*'
                if __quillo_takes_value "$cmdpath" $token
                    set skip 1
                end
            case '*'
                if contains -- $token (string split ' ' -- (__quillo_subcommands "$cmdpath"))
                    set cmdpath (string trim -- "$cmdpath $token")
                end
        end
    end
    echo $cmdpath
end

function __quillo_at
    test (__quillo_command_path) = "$argv[1]"
end

complete -c quillo -f
complete -c quillo -l help -d 'Print this help message and exit'
complete -c quillo -n '__quillo_at ""' -l version -d 'Display program version information and exit'
)SH";
  for (const Option& option : root.options) {
    out << "complete -c quillo -l " << option.name.substr(2);
    if (!option.value_name.empty()) out << (option.path ? " -r -F" : " -x");
    out << " -d " << fish_quote(option.help) << '\n';
  }
  for (const Command* command : all_commands(root)) {
    const std::string at = "-n " + fish_quote("__quillo_at " + fish_quote(command->joined_path()));
    for (const auto& sub : command->subcommands) {
      out << "complete -c quillo " << at << " -a " << sub.path.back() << " -d " << fish_quote(sub.help) << '\n';
    }
    if (command == &root) continue;
    for (const Option& option : command->options) {
      out << "complete -c quillo " << at << " -l " << option.name.substr(2);
      if (!option.value_name.empty()) {
        // -x: a value, and no files unless they are asked for.
        out << (option.path ? " -r -F" : " -x");
        if (!option.choices.empty()) {
          std::string words;
          for (const auto& word : option.choices) words += (words.empty() ? "" : " ") + word;
          out << " -a " << fish_quote(words);
        }
      }
      out << " -d " << fish_quote(option.help.empty() ? option.value_name : option.help) << '\n';
    }
    for (const Positional& positional : command->positionals) {
      if (positional.path) {
        out << "complete -c quillo " << at << " -F\n";
        break;
      }
    }
  }
  return out.str();
}

}  // namespace docgen
