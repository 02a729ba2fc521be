#pragma once
// The help screen of every command as C++ source: the program looks its help up there instead
// of laying it out at run time, which would bring the command-line library and the standard
// streams into every run.

#include <string>

namespace docgen {

/// A translation unit that defines quillo::grammar::help_text over a table of every screen.
std::string help_screens_source();

}  // namespace docgen
