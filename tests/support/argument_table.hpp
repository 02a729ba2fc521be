#pragma once
// Runs argument vectors through the real grammar and mapping, without a process or a socket.

#include <optional>
#include <string>
#include <vector>

#include "cli.hpp"

namespace testing_support {

struct ParseOutcome {
  std::optional<quillo::Cli> cli;  ///< set when the parse chose a command
  int status = 0;                  ///< the parser's exit status otherwise
  std::string out;
  std::string err;
};

ParseOutcome parse_args(const std::vector<std::string>& args);

/// The human rendering of the result `result_text` for `method`, as a raw call of it prints it;
/// or what is wrong with the text.
quillo::MaybeError print_human(std::string_view method, std::string_view result_text, quillo::Sink& out);

/// One row of a table: arguments in, request out.
struct RequestCase {
  std::vector<std::string> args;
  std::string method;
  std::string params;  ///< compact JSON, keys sorted
};

/// One row of a table: arguments that the parser must refuse.
struct UsageErrorCase {
  std::vector<std::string> args;
  std::string message_part;  ///< a piece of the parser's message on standard error
};

/// One row of a table: arguments in; out, the request ("method params", then " --json" and
/// " --socket=S" when given), or the exit status and all that was printed ("2: " and standard
/// error, "0: " and standard output).
struct OutcomeCase {
  std::vector<std::string> args;
  std::string outcome;
};

/// One row of a table: a result in, the human rendering out.
struct RenderCase {
  std::string method;
  std::string result;  ///< JSON text
  std::string expected;
};

/// Runs the kinds of tables; failures name the row.
void expect_requests(const std::vector<RequestCase>& cases);
void expect_usage_errors(const std::vector<UsageErrorCase>& cases);
void expect_outcomes(const std::vector<OutcomeCase>& cases);
void expect_renderings(const std::vector<RenderCase>& cases);

/// The arguments joined by spaces, for failure messages.
std::string joined(const std::vector<std::string>& args);

}  // namespace testing_support
