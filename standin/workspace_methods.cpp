// The shelf, file opening, terminal shortcuts and the roost's projects, kept in memory.
#include <algorithm>
#include <memory>
#include <vector>

#include "families.hpp"
#include "ide.hpp"

namespace standin {
namespace {

// A relative path is taken relative to the caller's project, as the IDE does.
std::string absolute(const std::string& path, const json& env) {
  if (path.starts_with("/")) return path;
  const json& project = env.is_object() ? env.value("project_path", json(nullptr)) : json(nullptr);
  const std::string base = project.is_string() ? project.get<std::string>() : "/Users/demo/project";
  return base + "/" + path;
}

struct ShelfItem {
  std::string path;
  bool selected = false;
};

struct Shortcut {
  std::string id, name, command, launch_behavior, scope;
};

struct Project {
  std::string path;
  std::string state;  // active, parked or unresolved
};

void add_shelf_methods(Ide& ide) {
  auto items = std::make_shared<std::vector<ShelfItem>>();
  const auto kind = [](const std::string& path) {
    return path.ends_with("/") || path.find('.') == std::string::npos ? "folder" : "file";
  };
  ide.add("shelf", "shelf.add", "Add a file or folder to the shelf",
          {{"path", "string"}, {"select", "boolean"}},
          [items, kind](const json& params, const json& env) {
            const std::string path = absolute(required_text(params, "path"), env);
            const bool select = params.value("select", false);
            auto found = std::find_if(items->begin(), items->end(),
                                      [&](const ShelfItem& item) { return item.path == path; });
            const bool added = found == items->end();
            if (added) {
              items->push_back({path, false});
              found = items->end() - 1;
            }
            if (select) {
              for (auto& item : *items) item.selected = false;
              found->selected = true;
            }
            return json{{"added", added}, {"path", path}, {"kind", kind(path)},
                        {"selected", found->selected}};
          });
  ide.add("shelf", "shelf.list", "List the shelf", json::object(),
          [items, kind](const json&, const json&) {
            json list = json::array();
            for (const auto& item : *items) {
              list.push_back({{"path", item.path}, {"kind", kind(item.path)},
                              {"exists", !item.path.ends_with(".missing")},
                              {"selected", item.selected}});
            }
            return json{{"items", list}};
          });
  ide.add("shelf", "shelf.remove", "Remove a path from the shelf", {{"path", "string"}},
          [items](const json& params, const json& env) {
            const std::string path = absolute(required_text(params, "path"), env);
            const auto before = items->size();
            std::erase_if(*items, [&](const ShelfItem& item) { return item.path == path; });
            return json{{"removed", items->size() != before}};
          });
}

void add_file_methods(Ide& ide) {
  ide.add("file", "file.open", "Open a file in the editor",
          {{"path", "string"}, {"line", "integer or null"}, {"column", "integer or null"}},
          [](const json& params, const json& env) {
            return json{{"path", absolute(required_text(params, "path"), env)},
                        {"line", params.value("line", json(nullptr))},
                        {"column", params.value("column", json(nullptr))}};
          });
}

void add_shortcut_methods(Ide& ide) {
  auto shortcuts = std::make_shared<std::vector<Shortcut>>();
  auto next = std::make_shared<int>(1);
  ide.add("shortcut", "shortcut.list", "List saved terminal shortcuts", json::object(),
          [shortcuts](const json&, const json&) {
            json list = json::array();
            for (const auto& s : *shortcuts) {
              list.push_back({{"id", s.id}, {"name", s.name}, {"command", s.command},
                              {"launch_behavior", s.launch_behavior}, {"scope", s.scope}});
            }
            return json{{"shortcuts", list}};
          });
  ide.add("shortcut", "shortcut.add", "Register a terminal shortcut",
          {{"name", "string"}, {"command", "string"}, {"launch_behavior", "string"}, {"scope", "string"}},
          [shortcuts, next](const json& params, const json&) {
            Shortcut s{"shortcut-" + std::to_string((*next)++), required_text(params, "name"),
                       required_text(params, "command"), required_text(params, "launch_behavior"),
                       required_text(params, "scope")};
            if (s.scope != "roost" && s.scope != "project") {
              throw IdeError{"invalid_params", "scope must be roost or project"};
            }
            shortcuts->push_back(s);
            return json{{"id", s.id}, {"name", s.name}, {"scope", s.scope}};
          });
  ide.add("shortcut", "shortcut.remove", "Remove a shortcut", {{"id", "string"}},
          [shortcuts](const json& params, const json&) {
            const std::string id = required_text(params, "id");
            const auto before = shortcuts->size();
            std::erase_if(*shortcuts, [&](const Shortcut& s) { return s.id == id; });
            return json{{"removed", shortcuts->size() != before}};
          });
}

void add_roost_methods(Ide& ide) {
  auto projects = std::make_shared<std::vector<Project>>();
  projects->push_back({"/Users/demo/project", "active"});
  const auto find = [projects](const json& params) -> Project& {
    const std::string path = required_text(params, "path");
    for (auto& project : *projects) {
      if (project.path == path) return project;
    }
    throw IdeError{"not_found", "no project " + path + " in the focused roost"};
  };
  const auto listing = [projects] {
    json list = json::array();
    for (const auto& p : *projects) list.push_back({{"path", p.path}, {"state", p.state}});
    return json{{"roost", "main"}, {"projects", list}};
  };
  ide.add("roost", "roost.addProject", "Add a project and focus it", {{"path", "string"}},
          [projects, listing](const json& params, const json&) {
            projects->push_back({required_text(params, "path"), "active"});
            return listing();
          });
  ide.add("roost", "roost.removeProject", "Remove a project", {{"path", "string"}},
          [projects, find, listing](const json& params, const json&) {
            const std::string path = find(params).path;
            std::erase_if(*projects, [&](const Project& p) { return p.path == path; });
            return listing();
          });
  ide.add("roost", "roost.parkProject", "Park a project", {{"path", "string"}},
          [find, listing](const json& params, const json&) {
            find(params).state = "parked";
            return listing();
          });
  ide.add("roost", "roost.activateProject", "Activate a parked project", {{"path", "string"}},
          [find, listing](const json& params, const json&) {
            Project& project = find(params);
            if (project.state != "parked") throw IdeError{"invalid_state", "project is not parked"};
            project.state = "active";
            return listing();
          });
  ide.add("roost", "roost.listProjects", "List the projects of the focused roost", json::object(),
          [listing](const json&, const json&) { return listing(); });
}

}  // namespace

void add_workspace_methods(Ide& ide) {
  add_shelf_methods(ide);
  add_file_methods(ide);
  add_shortcut_methods(ide);
  add_roost_methods(ide);
}

}  // namespace standin
