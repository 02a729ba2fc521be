#pragma once
// The stand-in IDE's methods, one function per command family.

namespace standin {

class Ide;

void add_terminal_methods(Ide& ide);
void add_workspace_methods(Ide& ide);
void add_browser_methods(Ide& ide);
void add_notes_methods(Ide& ide);

}  // namespace standin
