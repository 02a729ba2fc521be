#include "support/argument_table.hpp"

#include <gtest/gtest.h>

#include "core/json_document.hpp"
#include "core/output.hpp"

namespace testing_support {

ParseOutcome parse_args(const std::vector<std::string>& args) {
  quillo::StringSink out, err;
  auto parsed = quillo::parse_cli(args, out, err);
  ParseOutcome outcome;
  if (auto* cli = std::get_if<quillo::Cli>(&parsed)) {
    outcome.cli = std::move(*cli);
  } else {
    outcome.status = std::get<int>(parsed);
  }
  outcome.out = out.text();
  outcome.err = err.text();
  return outcome;
}

std::string joined(const std::vector<std::string>& args) {
  std::string text;
  for (const auto& arg : args) text += (text.empty() ? "" : " ") + arg;
  return text;
}

void expect_requests(const std::vector<RequestCase>& cases) {
  for (const auto& row : cases) {
    SCOPED_TRACE("quillo " + joined(row.args));
    const ParseOutcome outcome = parse_args(row.args);
    ASSERT_TRUE(outcome.cli.has_value()) << outcome.err;
    const quillo::MethodTarget target = quillo::to_target(*outcome.cli);
    EXPECT_EQ(target.method, row.method);
    EXPECT_EQ(target.params.dump(), row.params);
  }
}

void expect_usage_errors(const std::vector<UsageErrorCase>& cases) {
  for (const auto& row : cases) {
    SCOPED_TRACE("quillo " + joined(row.args));
    const ParseOutcome outcome = parse_args(row.args);
    EXPECT_FALSE(outcome.cli.has_value());
    EXPECT_EQ(outcome.status, 2);
    EXPECT_EQ(outcome.out, "");
    EXPECT_NE(outcome.err.find(row.message_part), std::string::npos) << outcome.err;
  }
}

void expect_outcomes(const std::vector<OutcomeCase>& cases) {
  for (const auto& row : cases) {
    SCOPED_TRACE("quillo " + joined(row.args));
    const ParseOutcome outcome = parse_args(row.args);
    std::string text = std::to_string(outcome.status) + ": " + outcome.err + outcome.out;
    if (outcome.cli) {
      const quillo::MethodTarget target = quillo::to_target(*outcome.cli);
      text = target.method + " " + target.params.dump() + (outcome.cli->json ? " --json" : "") +
             (outcome.cli->socket ? " --socket=" + *outcome.cli->socket : "");
    }
    EXPECT_EQ(text, row.outcome);
  }
}

quillo::MaybeError print_human(std::string_view method, std::string_view result_text, quillo::Sink& out) {
  auto document = quillo::JsonDocument::read(result_text);
  if (!document.ok()) return quillo::Error{document.error()};
  quillo::render(quillo::rendering_for(quillo::program().root, method), document.value().root(), out);
  return std::nullopt;
}

void expect_renderings(const std::vector<RenderCase>& cases) {
  for (const auto& row : cases) {
    SCOPED_TRACE(row.method + " " + row.result);
    // From the text as it came, and from the same value written as the value type writes it
    // (keys sorted, one of each name, other escapes): a rendering depends on the value alone.
    for (const std::string& text : {row.result, quillo::Json::parse(row.result).dump()}) {
      quillo::StringSink out;
      EXPECT_FALSE(print_human(row.method, text, out).has_value());
      EXPECT_EQ(out.text(), row.expected);
    }
  }
}

}  // namespace testing_support
