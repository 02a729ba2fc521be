#include "ide.hpp"

#include <algorithm>

#include "core/version.hpp"
#include "families.hpp"

namespace standin {
namespace {

json ok(json result) { return json{{"ok", true}, {"result", std::move(result)}}; }

json refusal(const IdeError& error) {
  return json{{"ok", false}, {"error", {{"code", error.code}, {"message", error.message}}}};
}

std::string line_of(const json& reply) { return reply.dump() + "\n"; }

}  // namespace

std::string required_text(const json& params, const char* key) {
  if (!params.is_object() || !params.contains(key) || !params[key].is_string()) {
    throw IdeError{"invalid_params", std::string("missing string parameter \"") + key + "\""};
  }
  return params[key].get<std::string>();
}

Ide::Ide() {
  add("system", "ping", "Health check", json::object(), [](const json&, const json&) {
    return json{{"app", "Quillo"}, {"version", quillo::kVersion}, {"build", "standin"},
                {"protocol_version", 1}};
  });
  add("system", "whoami", "The caller's resolved context", json::object(),
      [](const json&, const json& env) {
        return json{{"surface", env.value("context", json(nullptr))},
                    {"roost", env.value("roost", json(nullptr))},
                    {"project", env.value("project_path", json(nullptr))}};
      });
  add("system", "help", "The method catalogue, or one method's schema",
      json{{"method", {{"type", "string"}, {"required", false}}}},
      [this](const json& params, const json&) { return catalogue(params); });
  add_workspace_methods(*this);
  add_terminal_methods(*this);
  add_browser_methods(*this);
  add_notes_methods(*this);
}

void Ide::add(const std::string& domain, const std::string& method, const std::string& summary,
              json params_schema, Handler handler) {
  if (std::find(domains_.begin(), domains_.end(), domain) == domains_.end()) {
    domains_.push_back(domain);
  }
  methods_[method] = MethodEntry{domain, summary, std::move(params_schema), std::move(handler)};
}

json Ide::catalogue(const json& params) const {
  if (params.is_object() && params.contains("method") && params["method"].is_string()) {
    const std::string name = params["method"].get<std::string>();
    const auto it = methods_.find(name);
    if (it == methods_.end()) throw IdeError{"unknown_method", "no method named " + name};
    return json{{"commands", json::array({json{{"method", name},
                                                {"summary", it->second.summary},
                                                {"params", it->second.params}}})}};
  }
  json domains = json::array();
  for (const std::string& domain : domains_) {
    json commands = json::array();
    for (const auto& [name, method] : methods_) {
      if (method.domain == domain) commands.push_back({{"method", name}, {"summary", method.summary}});
    }
    domains.push_back({{"name", domain}, {"description", "The " + domain + " methods"},
                       {"commands", std::move(commands)}});
  }
  return json{{"app", "Quillo"},
              {"summary", "Stand-in IDE for quillo's tests and demo"},
              {"concepts", json::array({json{{"term", "roost"},
                                             {"definition", "a workspace of several projects"}},
                                        json{{"term", "surface"},
                                             {"definition", "where a caller runs"}}})},
              {"domains", std::move(domains)}};
}

std::string Ide::answer(const std::string& request_line) {
  const json request = json::parse(request_line, nullptr, false);
  if (request.is_discarded() || !request.is_object()) {
    return line_of(refusal({"bad_request", "request is not a JSON object"}));
  }
  const std::string name = request.value("method", std::string());
  const auto it = methods_.find(name);
  if (it == methods_.end()) {
    return line_of(refusal({"unknown_method", "unknown method: " + name}));
  }
  try {
    return line_of(ok(it->second.handler(request.value("params", json::object()),
                                         request.value("_env", json::object()))));
  } catch (const IdeError& error) {
    return line_of(refusal(error));
  } catch (const json::exception& error) {
    return line_of(refusal({"invalid_params", error.what()}));
  }
}

std::chrono::milliseconds Ide::delay_for(const std::string& request_line) const {
  const json request = json::parse(request_line, nullptr, false);
  if (!request.is_object() || !request.contains("method") || !request["method"].is_string()) {
    return {};
  }
  const auto it = delays_.find(request["method"].get<std::string>());
  return it == delays_.end() ? std::chrono::milliseconds{} : it->second;
}

void Ide::set_delay(const std::string& method, std::chrono::milliseconds delay) {
  delays_[method] = delay;
}

Behaviour serve(Ide& ide) {
  return {true, [&ide](const std::string& line) {
            return Reply{ide.answer(line), ide.delay_for(line)};
          }};
}

}  // namespace standin
