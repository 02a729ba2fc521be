#pragma once
// The projects of the focused roost: add, remove, park, activate, list. The replies are shown
// as indented JSON.

#include <string>
#include <variant>

#include "core/grammar.hpp"
#include "core/method_target.hpp"

namespace quillo {
namespace roost {

struct AddProject {
  std::string path;
};
struct RemoveProject {
  std::string path;
};
struct ParkProject {
  std::string path;
};
struct ActivateProject {
  std::string path;
};
struct ListProjects {};

}  // namespace roost

using RoostCommand = std::variant<roost::AddProject, roost::RemoveProject, roost::ParkProject,
                                  roost::ActivateProject, roost::ListProjects>;

namespace roost {

/// The group's name and help line, known without building its grammar.
inline constexpr const char* kName = "roost";
inline constexpr const char* kHelp = "Roost project operations";

grammar::Node<RoostCommand> grammar();
MethodTarget to_target(const RoostCommand& command);

}  // namespace roost
}  // namespace quillo
