#include "commands/roost.hpp"

namespace quillo::roost {
namespace {

using grammar::Values;

// The four subcommands that act on one project path differ only in their words.
template <class Command>
grammar::Node<RoostCommand> project_command(std::string name, std::string help,
                                            std::string path_help) {
  return grammar::leaf<RoostCommand>(std::move(name), std::move(help),
                                     {grammar::positional("path", "PATH", std::move(path_help))
                                          .of_type(grammar::ValueType::Path)},
                                     [](const Values& v) { return Command{.path = v.text("path")}; });
}

MethodTarget with_path(const char* method, const std::string& path) {
  return {method, {{"path", path}}};
}

struct Mapper {
  MethodTarget operator()(const AddProject& c) const {
    return with_path("roost.addProject", c.path);
  }
  MethodTarget operator()(const RemoveProject& c) const {
    return with_path("roost.removeProject", c.path);
  }
  MethodTarget operator()(const ParkProject& c) const {
    return with_path("roost.parkProject", c.path);
  }
  MethodTarget operator()(const ActivateProject& c) const {
    return with_path("roost.activateProject", c.path);
  }
  MethodTarget operator()(const ListProjects&) const {
    return {"roost.listProjects", Json::object()};
  }
};

}  // namespace

grammar::Node<RoostCommand> grammar() {
  return grammar::group<RoostCommand>(
      kName, kHelp,
      project_command<AddProject>("add-project",
                                  "Add a project folder to the focused roost and focus it",
                                  "Absolute path to the project directory")
          .example("quillo roost add-project /Users/me/site",
                   "{\n  \"path\": \"/Users/me/site\",\n  \"state\": \"active\"\n}"),
      project_command<RemoveProject>(
          "remove-project",
          "Remove a project from the focused roost, closing its terminals/browsers",
          "Absolute path of the project to remove")
          .example("quillo roost remove-project /Users/me/site",
                   "{\n  \"path\": \"/Users/me/site\",\n  \"removed\": true\n}"),
      project_command<ParkProject>(
          "park-project",
          "Park a project in the focused roost, persisting state and terminating sessions",
          "Absolute path of the project to park")
          .example("quillo roost park-project /Users/me/site",
                   "{\n  \"path\": \"/Users/me/site\",\n  \"state\": \"parked\"\n}"),
      project_command<ActivateProject>(
          "activate-project",
          "Activate (unpark) a parked project in the focused roost and focus it",
          "Absolute path of the parked project to activate")
          .example("quillo roost activate-project /Users/me/site",
                   "{\n  \"path\": \"/Users/me/site\",\n  \"state\": \"active\"\n}"),
      grammar::leaf<RoostCommand>(
          "list-projects", "List active, parked, and unresolved projects in the focused roost", {},
          [](const Values&) { return ListProjects{}; })
          .example("quillo roost list-projects",
                   "{\n  \"projects\": [\n    {\n      \"path\": \"/Users/me/app\",\n      \"state\": \"active\"\n    }\n  ],\n  \"roost\": \"main\"\n}"));
}

MethodTarget to_target(const RoostCommand& command) { return std::visit(Mapper{}, command); }

}  // namespace quillo::roost
