#pragma once
// An in-memory stand-in for the Quillo IDE: it answers each method the client sends with a
// plausible result and keeps its state for the life of the server.

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "server.hpp"

namespace standin {

using nlohmann::json;

/// A refusal, sent as {"ok":false,"error":{"code":...,"message":...}}.
struct IdeError {
  std::string code;
  std::string message;
};

/// Reads a required string parameter or refuses the request.
std::string required_text(const json& params, const char* key);

class Ide {
 public:
  /// Takes the parameters and the request's "_env"; returns the result or throws IdeError.
  using Handler = std::function<json(const json& params, const json& env)>;

  Ide();

  /// Adds a method to the IDE and to its catalogue.
  void add(const std::string& domain, const std::string& method, const std::string& summary,
           json params_schema, Handler handler);

  /// The reply line, with its line feed, for one request line.
  std::string answer(const std::string& request_line);

  /// How long to hold back the reply to this request (waits that the IDE would block on).
  std::chrono::milliseconds delay_for(const std::string& request_line) const;

  /// Sets the hold-back of every reply to `method`.
  void set_delay(const std::string& method, std::chrono::milliseconds delay);

 private:
  struct MethodEntry {
    std::string domain;
    std::string summary;
    json params;
    Handler handler;
  };
  json catalogue(const json& params) const;

  std::map<std::string, MethodEntry> methods_;
  std::vector<std::string> domains_;  // in the order they were added
  std::map<std::string, std::chrono::milliseconds> delays_;
};

/// Serves `ide` (which must outlive the server) on every connection.
Behaviour serve(Ide& ide);

}  // namespace standin
