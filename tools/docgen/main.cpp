// quillo-docgen DIRECTORY: writes the shell completions, the manual page and the fuzzing
// dictionary of quillo, read from its command table, into DIRECTORY. The completions are what
// `quillo completion SHELL` prints, from the same code.
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iostream>

#include "cli.hpp"
#include "completion/scripts.hpp"
#include "dictionary.hpp"
#include "manpage.hpp"

namespace {

bool write(const std::string& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary);
  file << text;
  return static_cast<bool>(file);
}

// The date on the page: SOURCE_DATE_EPOCH for reproducible builds, else today.
std::string page_date() {
  std::time_t now = std::time(nullptr);
  if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"))
    now = static_cast<std::time_t>(std::atoll(epoch));
  char text[16];
  std::strftime(text, sizeof text, "%Y-%m-%d", std::gmtime(&now));
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: quillo-docgen DIRECTORY\n";
    return 2;
  }
  using quillo::completion::completion_script;
  using quillo::completion::Shell;
  const std::string directory = argv[1];
  const quillo::NodeRef root = quillo::program().root;
  const bool written = write(directory + "/quillo.bash", completion_script(Shell::Bash, root)) &&
                       write(directory + "/_quillo", completion_script(Shell::Zsh, root)) &&
                       write(directory + "/quillo.fish", completion_script(Shell::Fish, root)) &&
                       write(directory + "/quillo.1", docgen::manual_page(root, page_date())) &&
                       write(directory + "/grammar.dict", docgen::fuzz_dictionary(root));
  if (!written) {
    std::cerr << "quillo-docgen: cannot write into " << directory << '\n';
    return 1;
  }
  return 0;
}
