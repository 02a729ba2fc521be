#pragma once
// ping, whoami and help: whether the IDE answers, who it thinks is calling, what it offers.

#include <optional>
#include <string>

#include "core/grammar.hpp"
#include "core/json.hpp"
#include "core/method_target.hpp"
#include "core/sink.hpp"

namespace quillo {

struct Ping {};
struct Whoami {};
struct Help {
  std::optional<std::string> method;
};

namespace introspection {

grammar::Node<Ping> ping_grammar();
grammar::Node<Whoami> whoami_grammar();
grammar::Node<Help> help_grammar();

MethodTarget to_target(const Ping&);
MethodTarget to_target(const Whoami&);
MethodTarget to_target(const Help& help);

/// "ok  {app} {version} (build {build})  protocol={protocol_version}"
void render_ping(const Json& result, Sink& out);
/// The method catalogue, or the schema of one method.
void print_catalogue(const Json& result, Sink& out);

}  // namespace introspection
}  // namespace quillo
