#include "commands/roost.hpp"

#include "core/sink.hpp"
#include "core/values.hpp"

namespace quillo::roost {
namespace {

// The four commands that act on one project send its path alone.
Json with_path(std::string_view path) { return {{"path", path}}; }

constexpr Argument project_path(std::string_view help) {
  return positional("path", "PATH", help).of_type(ValueType::Path);
}

constexpr Argument kAddArguments[] = {project_path("Absolute path to the project directory")};
constexpr Example kAddExamples[] = {
    {"quillo roost add-project /Users/me/site", "{\n  \"path\": \"/Users/me/site\",\n  \"state\": \"active\"\n}"}};
constexpr Command kAddProject{
    .name = "add-project",
    .help = "Add a project folder to the focused roost and focus it",
    .arguments = kAddArguments,
    .examples = kAddExamples,
    .method = "roost.addProject",
    .effect = Effect::Changes,
    .rendering = kPrettyJson,
    .idempotent = true,
    .params = bind<kAddArguments, with_path>,
};

constexpr Argument kRemoveArguments[] = {project_path("Absolute path of the project to remove")};
constexpr Example kRemoveExamples[] = {
    {"quillo roost remove-project /Users/me/site", "{\n  \"path\": \"/Users/me/site\",\n  \"removed\": true\n}"}};
constexpr Command kRemoveProject{
    .name = "remove-project",
    .help = "Remove a project from the focused roost, closing its terminals/browsers",
    .arguments = kRemoveArguments,
    .examples = kRemoveExamples,
    .method = "roost.removeProject",
    .effect = Effect::Removes,
    .rendering = kPrettyJson,
    .idempotent = true,
    .params = bind<kRemoveArguments, with_path>,
};

constexpr Argument kParkArguments[] = {project_path("Absolute path of the project to park")};
constexpr Example kParkExamples[] = {
    {"quillo roost park-project /Users/me/site", "{\n  \"path\": \"/Users/me/site\",\n  \"state\": \"parked\"\n}"}};
constexpr Command kParkProject{
    .name = "park-project",
    .help = "Park a project in the focused roost, persisting state and terminating sessions",
    .arguments = kParkArguments,
    .examples = kParkExamples,
    .method = "roost.parkProject",
    .effect = Effect::Changes,
    .rendering = kPrettyJson,
    .idempotent = true,
    .params = bind<kParkArguments, with_path>,
};

constexpr Argument kActivateArguments[] = {project_path("Absolute path of the parked project to activate")};
constexpr Example kActivateExamples[] = {
    {"quillo roost activate-project /Users/me/site", "{\n  \"path\": \"/Users/me/site\",\n  \"state\": \"active\"\n}"}};
constexpr Command kActivateProject{
    .name = "activate-project",
    .help = "Activate (unpark) a parked project in the focused roost and focus it",
    .arguments = kActivateArguments,
    .examples = kActivateExamples,
    .method = "roost.activateProject",
    .effect = Effect::Changes,
    .rendering = kPrettyJson,
    .idempotent = true,
    .params = bind<kActivateArguments, with_path>,
};

constexpr Example kListExamples[] = {
    {"quillo roost list-projects",
     "{\n  \"projects\": [\n    {\n      \"path\": \"/Users/me/app\",\n      \"state\": \"active\"\n    }\n  ],\n  "
     "\"roost\": \"main\"\n}"}};
constexpr Command kListProjects{
    .name = "list-projects",
    .help = "List active, parked, and unresolved projects in the focused roost",
    .examples = kListExamples,
    .method = "roost.listProjects",
    .effect = Effect::Reads,
    .rendering = kPrettyJson,
    .params = no_params,
};

constexpr Entry kCommands[] = {kAddProject, kRemoveProject, kParkProject, kActivateProject, kListProjects};
constexpr Example kExamples[] = {
    {"quillo roost add-project /Users/me/site", "{\n  \"path\": \"/Users/me/site\",\n  \"state\": \"active\"\n}"},
    {"quillo --json roost list-projects", "{\"projects\":[{\"path\":\"/Users/me/site\",\"state\":\"active\"}],\"roost\":\"main\"}"}};
constexpr Group kGroup{.name = kName, .help = kHelp, .entries = kCommands, .examples = kExamples};

}  // namespace

constexpr Table kTable = compile<kGroup>();

}  // namespace quillo::roost
