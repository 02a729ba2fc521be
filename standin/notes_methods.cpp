// Comments anchored to line ranges, and todos with threads, kept in memory.
#include <algorithm>
#include <memory>
#include <vector>

#include "families.hpp"
#include "ide.hpp"

namespace standin {
namespace {

json text_or_null(const json& params, const char* key) {
  return params.contains(key) && params[key].is_string() ? params[key] : json(nullptr);
}

std::string author_of(const json& env) {
  return env.is_object() && env.value("context", json(nullptr)) == "agent" ? "agent" : "user";
}

bool status_matches(const json& comment, const std::string& status) {
  const bool resolved = comment["resolvedAt"].is_string();
  if (status == "all") return true;
  if (status == "resolved") return resolved;
  if (status == "stale") return comment["isStale"].get<bool>();
  return !resolved;  // active, and anything the stand-in does not know
}

struct Comments {
  std::vector<json> list;
  int next_number = 1;

  json& find(const std::string& id) {
    for (auto& comment : list) {
      if (comment["id"] == id) return comment;
    }
    throw IdeError{"not_found", "no comment " + id};
  }

  json& add(json comment) {
    comment["id"] = std::string("c").append(std::to_string(next_number++));
    list.push_back(std::move(comment));
    return list.back();
  }
};

void add_comment_methods(Ide& ide) {
  auto comments = std::make_shared<Comments>();
  const auto listing = [](const std::vector<json>& found) { return json{{"comments", found}}; };

  ide.add("comments", "comments.add", "Add a comment to a line range",
          {{"file", "string"}, {"start_line", "integer"}, {"start_column", "integer"},
           {"end_line", "integer"}, {"end_column", "integer or null"}, {"body", "string"},
           {"parent_id", "string or null"}},
          [comments](const json& params, const json& env) {
            json anchor{{"startLine", params.at("start_line")},
                        {"startColumn", params.at("start_column")},
                        {"endLine", params.at("end_line")},
                        {"endColumn", params.value("end_column", json(nullptr))}};
            const json& added = comments->add({{"filePath", required_text(params, "file")},
                                               {"anchor", anchor},
                                               {"body", required_text(params, "body")},
                                               {"authorKind", author_of(env)},
                                               {"isStale", false},
                                               {"resolvedAt", nullptr},
                                               {"parentId", text_or_null(params, "parent_id")}});
            return json{{"id", added["id"]}};
          });
  ide.add("comments", "comments.reply", "Reply to a thread", {{"id", "string"}, {"body", "string"}},
          [comments](const json& params, const json& env) {
            const json parent = comments->find(required_text(params, "id"));
            const json& added = comments->add({{"filePath", parent["filePath"]},
                                               {"anchor", parent["anchor"]},
                                               {"body", required_text(params, "body")},
                                               {"authorKind", author_of(env)},
                                               {"isStale", false},
                                               {"resolvedAt", nullptr},
                                               {"parentId", parent["id"]}});
            return json{{"id", added["id"]}};
          });
  ide.add("comments", "comments.update", "Edit a comment", {{"id", "string"}, {"body", "string"}},
          [comments](const json& params, const json&) {
            json& comment = comments->find(required_text(params, "id"));
            comment["body"] = required_text(params, "body");
            return json{{"id", comment["id"]}};
          });
  ide.add("comments", "comments.resolve", "Resolve or reopen a thread",
          {{"id", "string"}, {"unresolve", "boolean"}},
          [comments](const json& params, const json&) {
            json& comment = comments->find(required_text(params, "id"));
            comment["resolvedAt"] =
                params.value("unresolve", false) ? json(nullptr) : json("2026-12-06T12:00:00Z");
            return json{{"id", comment["id"]}, {"resolvedAt", comment["resolvedAt"]}};
          });
  ide.add("comments", "comments.delete", "Delete a comment and its replies", {{"id", "string"}},
          [comments](const json& params, const json&) {
            const std::string id = required_text(params, "id");
            comments->find(id);
            const auto before = comments->list.size();
            std::erase_if(comments->list, [&](const json& c) {
              return c["id"] == id || c["parentId"] == id;
            });
            return json{{"id", id}, {"deletedCount", before - comments->list.size()}};
          });
  ide.add("comments", "comments.list", "List comments of a file or the roost",
          {{"file", "string or null"}, {"status", "string"}},
          [comments, listing](const json& params, const json&) {
            const json file = text_or_null(params, "file");
            const std::string status = params.value("status", std::string("active"));
            std::vector<json> found;
            for (const auto& c : comments->list) {
              if ((file.is_null() || c["filePath"] == file) && status_matches(c, status)) {
                found.push_back(c);
              }
            }
            return listing(found);
          });
  ide.add("comments", "comments.search", "Search comments",
          {{"query", "string or null"}, {"file_prefix", "string or null"}, {"status", "string"}},
          [comments, listing](const json& params, const json&) {
            const json query = text_or_null(params, "query");
            const json prefix = text_or_null(params, "file_prefix");
            const std::string status = params.value("status", std::string("active"));
            std::vector<json> found;
            for (const auto& c : comments->list) {
              const auto& body = c["body"].get_ref<const std::string&>();
              const auto& path = c["filePath"].get_ref<const std::string&>();
              if (query.is_string() && body.find(query.get<std::string>()) == std::string::npos) continue;
              if (prefix.is_string() && !path.starts_with(prefix.get<std::string>())) continue;
              if (status_matches(c, status)) found.push_back(c);
            }
            return listing(found);
          });
}

struct Todos {
  std::vector<json> list;
  int next_number = 1;

  json& find(const json& params) {
    const std::string id = required_text(params, "id");
    for (auto& todo : list) {
      if (todo["id"] == id) return todo;
    }
    throw IdeError{"not_found", "no todo " + id};
  }
};

void add_todo_methods(Ide& ide) {
  auto todos = std::make_shared<Todos>();
  const auto summary = [](const json& todo) {
    return json{{"id", todo["id"]}, {"title", todo["title"]}, {"status", todo["status"]}};
  };
  const auto set_status = [todos, summary](const char* status) {
    return [todos, summary, status](const json& params, const json&) {
      json& todo = todos->find(params);
      todo["status"] = status;
      return summary(todo);
    };
  };

  ide.add("todo", "todo.add", "Create a todo",
          {{"text", "string"}, {"project", "string or null"}, {"body", "string or null"},
           {"color", "string or null"}, {"file", "string or null"}},
          [todos, summary](const json& params, const json& env) {
            json project = text_or_null(params, "project");
            if (project.is_null() && env.is_object()) project = env.value("project_path", json(nullptr));
            todos->list.push_back({{"id", std::string("todo-").append(std::to_string(todos->next_number++))},
                                   {"title", required_text(params, "text")},
                                   {"body", text_or_null(params, "body")},
                                   {"color", text_or_null(params, "color")},
                                   {"file", text_or_null(params, "file")},
                                   {"project", project},
                                   {"status", "active"},
                                   {"messages", json::array()}});
            return summary(todos->list.back());
          });
  ide.add("todo", "todo.list", "List todos", {{"project", "string or null"}, {"status", "string"}},
          [todos, summary](const json& params, const json&) {
            const std::string status = params.value("status", std::string("active"));
            const json project = text_or_null(params, "project");
            json found = json::array();
            for (const auto& todo : todos->list) {
              if (status != "all" && todo["status"] != status) continue;
              if (project.is_string() && todo["project"] != project) continue;
              found.push_back(summary(todo));
            }
            return json{{"todos", found}};
          });
  ide.add("todo", "todo.complete", "Complete a todo", {{"id", "string"}}, set_status("completed"));
  ide.add("todo", "todo.reopen", "Reopen a todo", {{"id", "string"}}, set_status("active"));
  ide.add("todo", "todo.update", "Edit a todo",
          {{"id", "string"}, {"text", "string or null"}, {"body", "string or null"},
           {"color", "string or null"}},
          [todos](const json& params, const json&) {
            json& todo = todos->find(params);
            if (params.value("text", json(nullptr)).is_string()) todo["title"] = params["text"];
            if (params.value("body", json(nullptr)).is_string()) todo["body"] = params["body"];
            if (params.value("color", json(nullptr)).is_string()) todo["color"] = params["color"];
            return json{{"id", todo["id"]}};
          });
  ide.add("todo", "todo.remove", "Delete a todo", {{"id", "string"}},
          [todos](const json& params, const json&) {
            const json id = todos->find(params)["id"];
            std::erase_if(todos->list, [&](const json& todo) { return todo["id"] == id; });
            return json{{"id", id}};
          });
  ide.add("todo", "todo.show", "A todo with its thread", {{"id", "string"}},
          [todos](const json& params, const json&) { return todos->find(params); });
  ide.add("todo", "todo.message.add", "Append to a todo's thread", {{"id", "string"}, {"text", "string"}},
          [todos](const json& params, const json& env) {
            json& todo = todos->find(params);
            todo["messages"].push_back(
                {{"authorKind", author_of(env)}, {"body", required_text(params, "text")}});
            return json{{"id", todo["id"]}};
          });
}

}  // namespace

void add_notes_methods(Ide& ide) {
  add_comment_methods(ide);
  add_todo_methods(ide);
}

}  // namespace standin
