#include "mcp/server.hpp"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <list>
#include <memory>
#include <new>
#include <vector>

#include "core/exchange_cancel.hpp"
#include "core/json_parser.hpp"
#include "core/text.hpp"
#include "core/version.hpp"
#include "mcp/threads.hpp"

namespace quillo::mcp {
namespace {

constexpr int kParseError = -32700;
constexpr int kInvalidRequest = -32600;
constexpr int kMethodNotFound = -32601;
constexpr int kInvalidParams = -32602;
constexpr int kInternalError = -32603;
constexpr int kUnsupportedProtocolVersion = -32022;

constexpr const char* kProtocolVersionKey = "io.modelcontextprotocol/protocolVersion";
constexpr const char* kClientCapabilitiesKey = "io.modelcontextprotocol/clientCapabilities";
constexpr const char* kServerInfoKey = "io.modelcontextprotocol/serverInfo";

constexpr const char* kInstructions =
    "These tools drive the Quillo IDE running on this machine: its terminals, browser tabs, editor, "
    "shelf, shortcuts, roost projects, comments and todos. Every tool call is one request to the "
    "running IDE, and its text is what the quillo command line prints for the same command.";

// How long a client may keep the tool list: it is fixed for the life of the process. Private,
// since it depends on the options this process was started with.
constexpr std::int64_t kListTtlMs = 3'600'000;

// The longest part of an unknown name that an error message repeats.
constexpr std::size_t kEchoBytes = 128;

bool is_text(const Json& value, std::string_view text) {
  return value.is_string() && value.get_ref<const std::string&>() == text;
}

std::string line_of(const Json& message) {
  // Every text was checked as UTF-8 on the way in; replacing rather than throwing is for safety.
  return message.dump(-1, ' ', false, Json::error_handler_t::replace) + '\n';
}

Json error_message(const Json& id, int code, std::string message, Json data = nullptr) {
  Json error{{"code", code}, {"message", std::move(message)}};
  if (!data.is_null()) error["data"] = std::move(data);
  return {{"jsonrpc", "2.0"}, {"id", id}, {"error", std::move(error)}};
}

Json result_message(const Json& id, Json result) {
  return {{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}};
}

Json server_info(Revision revision) {
  Json info{{"name", "quillo"}, {"version", kVersion}};
  if (revision >= Revision::k2025_06_18) info["title"] = "Quillo IDE";
  return info;
}

// The versions that a request naming its own in _meta is served at: the stateless revision
// alone. The others begin with initialize, which a client told to use one of these would not
// send (it retries with _meta instead), so listing them would only have it ask again in vain.
Json stateless_versions() { return Json::array({revision_name(Revision::k2026_07_28)}); }

// The stateless revision's result fields: its type, the server's identity, and for the lists
// how long they keep.
void add_stateless_fields(Json& result, bool cacheable) {
  result["resultType"] = "complete";
  result["_meta"][kServerInfoKey] = server_info(Revision::k2026_07_28);
  if (cacheable) {
    result["ttlMs"] = kListTtlMs;
    result["cacheScope"] = "private";
  }
}

// The answer to a line that is not served as it is read, before a value is built from it.
std::optional<Json> refusal(const Survey& survey, std::size_t max_values) {
  switch (survey.verdict) {
    case Survey::Verdict::Json:
      return std::nullopt;
    case Survey::Verdict::NotJson:
      return error_message(nullptr, kParseError, "Parse error: the line is not one JSON value");
    case Survey::Verdict::TooDeep:
      return error_message(nullptr, kInvalidRequest,
                           "Invalid Request: nested deeper than " + std::to_string(kMaxJsonDepth) + " levels");
    case Survey::Verdict::NumberTooLarge:
      return error_message(nullptr, kInvalidRequest, "Invalid Request: a number beyond the range of a double");
    case Survey::Verdict::TooManyValues:
      return error_message(survey.id, kInvalidRequest,
                           "Invalid Request: more than " + std::to_string(max_values) + " JSON values in one message");
  }
  return std::nullopt;
}

// A tools/call result: one text block, and whether it tells of an error.
Json tool_result(const std::string& text, bool is_error, bool stateless) {
  Json result{{"content", Json::array({{{"type", "text"}, {"text", text}}})}, {"isError", is_error}};
  if (stateless) add_stateless_fields(result, false);
  return result;
}

std::string echoed(const std::string& text) {
  if (text.size() <= kEchoBytes) return text;
  std::size_t end = kEchoBytes;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end) + "...";
}

using Clock = std::chrono::steady_clock;

/// The answers to the requests of a batch, written as one array once the last is in.
struct Batch {
  Json answers = Json::array();
  int open = 1;  ///< its reading, and each of its calls still running
};

struct Call {
  Json id;
  std::shared_ptr<Batch> batch;  ///< null: answered alone
  Json progress_token;  ///< null: no progress asked for
  Revision revision = Revision::k2025_11_25;  ///< the one the call was made at
  Clock::time_point started, next_progress;
  ExchangeCancel cancel;
  int ticks = 0;
  bool abandoned = false;  ///< cancelled, or the input ended: no answer
  bool finished = false;
  Thread thread;
};

class McpSession {
 public:
  McpSession(Sink& out, const ServerSettings& settings) : out_(out), settings_(settings) {
    for (Tool& tool : all_tools(program().root)) {
      if (!in_families(tool, settings.filter)) continue;
      (allowed(tool, settings.filter) ? served_ : refused_).push_back(std::move(tool));
    }
  }
  ~McpSession() { finish(); }
  McpSession(const McpSession&) = delete;
  McpSession& operator=(const McpSession&) = delete;

  /// Answers one line. Whatever it holds, the server goes on: a message that there is not memory
  /// enough to serve, or that fails otherwise, is answered -32603 with id null.
  void serve_line(std::string_view line) noexcept {
    try {
      handle(line);
    } catch (const std::bad_alloc&) {
      refuse_no_memory();
    } catch (const std::exception& e) {
      refuse(kInternalError, std::string("Internal error: ") + e.what());
    }
  }
  void refuse_long_line() noexcept {
    refuse(kInvalidRequest, "Invalid Request: the line is longer than " + std::to_string(settings_.max_message_bytes) + " bytes");
  }
  void refuse_no_memory() noexcept { refuse(kInternalError, "Internal error: out of memory for this message"); }
  void finish();

 private:
  void write(const Json& message) {
    const Lock lock(mutex_);
    deliver(batch_.get(), message);
  }
  // An answer, on its own line or into its batch; the lock held.
  void deliver(Batch* batch, const Json& message) {
    if (batch != nullptr) {
      batch->answers.push_back(message);
    } else {
      out_ << line_of(message);
    }
  }
  // One part of a batch done, the lock held; the last writes its answers, if it has any (a batch
  // of notifications has none) and the input has not ended.
  void settle(Batch& batch) {
    if (--batch.open == 0 && !batch.answers.empty() && !stopping_) out_ << line_of(batch.answers);
  }
  // An answer with id null to a line not served, written when there is memory enough for it.
  template <class Message>
  void refuse(int code, Message&& message) noexcept {
    try {
      write(error_message(nullptr, code, std::string(std::forward<Message>(message))));
    } catch (...) {  // no memory even for that: unanswered, and the next line is read
    }
  }
  void handle(std::string_view line);
  void handle_batch(const Json& messages);
  void handle_message(const Json& message);
  void notification(const std::string& method, const Json& params);
  void request(const Json& id, const std::string& method, const Json& params);
  void stateless_request(const Json& id, const std::string& method, const Json& params, const Json& meta);
  void initialize(const Json& id, const Json& params);
  void list_tools(const Json& id, const Json& params, Revision revision, bool stateless);
  void start_call(const Json& id, const Json& params, bool stateless);
  void run_call(Call& call, NodeRef command, const Json& arguments, bool stateless) noexcept;
  void reap_finished();
  void tick();
  void tell_progress(Call& call, Clock::time_point now);

  Sink& out_;
  const ServerSettings& settings_;
  std::vector<Tool> served_, refused_;
  /// The revision that initialize agreed on; the latest before it.
  Revision revision_ = Revision::k2025_11_25;
  /// The batch being read, on the loop's thread; null while a line holds one message.
  std::shared_ptr<Batch> batch_;

  Mutex mutex_;  ///< guards the output and the calls
  std::list<Call> calls_;
  Condition ticking_;
  bool stopping_ = false;
  Thread ticker_;
};

void McpSession::handle(std::string_view line) {
  if (!is_valid_utf8(line)) {
    write(error_message(nullptr, kParseError, "Parse error: the line is not valid UTF-8"));
    return;
  }
  if (trim(line).empty()) return;  // an empty line holds no message
  if (const auto refused = refusal(survey_line(line, settings_.max_message_values), settings_.max_message_values)) {
    write(*refused);
    return;
  }
  auto parsed = parse_json(line);
  if (!parsed.ok()) {  // not expected: the survey read the same text
    write(error_message(nullptr, kParseError, "Parse error: the line is not one JSON value"));
    return;
  }
  const Json& message = parsed.value();
  if (!message.is_array()) {
    handle_message(message);
  } else if (revision_ != Revision::k2025_03_26) {
    // Only that revision has batches: the earlier one leaves them to JSON-RPC, the later ones
    // took them out again.
    write(error_message(nullptr, kInvalidRequest,
                        "Invalid Request: a batch is served at revision 2025-03-26 only; send one message a line"));
  } else if (message.empty()) {
    write(error_message(nullptr, kInvalidRequest, "Invalid Request: an empty batch"));
  } else {
    handle_batch(message);
  }
}

// Each message of the batch handled as a line of its own would be, its answers gathered.
void McpSession::handle_batch(const Json& messages) {
  batch_ = std::make_shared<Batch>();
  struct Done {
    std::shared_ptr<Batch>& batch;
    ~Done() { batch.reset(); }  // also when a message fails: the next line is no batch's
  } done{batch_};
  for (const Json& message : messages) handle_message(message);
  const Lock lock(mutex_);
  settle(*batch_);
}

void McpSession::handle_message(const Json& message) {
  if (!message.is_object()) {
    write(error_message(nullptr, kInvalidRequest, "Invalid Request: a message is a JSON object"));
    return;
  }
  const Json* id = member(message, "id");
  if (id != nullptr && !id->is_string() && !id->is_number_integer()) {
    write(error_message(nullptr, kInvalidRequest, "Invalid Request: an id is a string or an integer"));
    return;
  }
  const Json reply_id = id != nullptr ? *id : Json(nullptr);
  const Json* version = member(message, "jsonrpc");
  if (version == nullptr || !is_text(*version, "2.0")) {
    write(error_message(reply_id, kInvalidRequest, "Invalid Request: \"jsonrpc\" must be \"2.0\""));
    return;
  }
  const Json* method = member(message, "method");
  if (method == nullptr || !method->is_string()) {
    write(error_message(reply_id, kInvalidRequest, "Invalid Request: a request names its method"));
    return;
  }
  const Json* params = member(message, "params");
  const Json no_params = Json::object();
  if (id == nullptr) {
    notification(method->get<std::string>(), params != nullptr ? *params : no_params);
  } else if (params != nullptr && !params->is_object()) {
    write(error_message(reply_id, kInvalidParams, "Invalid params: params must be an object"));
  } else {
    request(reply_id, method->get<std::string>(), params != nullptr ? *params : no_params);
  }
}

void McpSession::notification(const std::string& method, const Json& params) {
  // notifications/initialized needs nothing; other notifications are not for this server.
  if (method != "notifications/cancelled") return;
  const Json* request_id = member(params, "requestId");
  if (request_id == nullptr) return;
  const Lock lock(mutex_);
  for (Call& call : calls_) {
    if (call.finished || call.abandoned || call.id != *request_id) continue;
    call.abandoned = true;
    call.cancel.cancel();
    return;
  }
}

void McpSession::request(const Json& id, const std::string& method, const Json& params) {
  // The stateless revision names itself in every request; initialize chooses a revision of the
  // others for the rest of the process.
  const Json* meta = member(params, "_meta");
  if (method == "initialize") {
    initialize(id, params);
  } else if (meta != nullptr && member(*meta, kProtocolVersionKey) != nullptr) {
    stateless_request(id, method, params, *meta);
  } else if (method == "server/discover") {
    write(error_message(id, kInvalidParams,
                        std::string("Invalid params: server/discover needs ") + kProtocolVersionKey + " and " +
                            kClientCapabilitiesKey + " in _meta"));
  } else if (method == "ping") {
    write(result_message(id, Json::object()));
  } else if (method == "tools/list") {
    list_tools(id, params, revision_, false);
  } else if (method == "tools/call") {
    start_call(id, params, false);
  } else {
    write(error_message(id, kMethodNotFound, "Method not found"));
  }
}

void McpSession::stateless_request(const Json& id, const std::string& method, const Json& params, const Json& meta) {
  const Json& asked = *member(meta, kProtocolVersionKey);
  if (!is_text(asked, revision_name(Revision::k2026_07_28))) {
    write(error_message(id, kUnsupportedProtocolVersion, "Unsupported protocol version",
                        {{"supported", stateless_versions()}, {"requested", asked}}));
    return;
  }
  const Json* capabilities = member(meta, kClientCapabilitiesKey);
  if (capabilities == nullptr || !capabilities->is_object()) {
    write(error_message(id, kInvalidParams, std::string("Invalid params: _meta lacks ") + kClientCapabilitiesKey));
    return;
  }
  if (method == "server/discover") {
    Json result{{"supportedVersions", stateless_versions()},
                {"capabilities", {{"tools", Json::object()}}},
                {"instructions", kInstructions}};
    add_stateless_fields(result, true);
    write(result_message(id, std::move(result)));
  } else if (method == "tools/list") {
    list_tools(id, params, Revision::k2026_07_28, true);
  } else if (method == "tools/call") {
    start_call(id, params, true);
  } else {
    // ping among them: this revision has none.
    write(error_message(id, kMethodNotFound, "Method not found"));
  }
}

void McpSession::initialize(const Json& id, const Json& params) {
  // A revision this server knows is answered in kind; any other gets the latest of those that
  // begin with initialize, for the client to accept or leave.
  revision_ = Revision::k2025_11_25;
  if (const Json* asked = member(params, "protocolVersion")) {
    for (int r = 0; r < static_cast<int>(Revision::k2026_07_28); ++r) {
      if (is_text(*asked, revision_name(static_cast<Revision>(r)))) revision_ = static_cast<Revision>(r);
    }
  }
  write(result_message(id, {{"protocolVersion", revision_name(revision_)},
                            {"capabilities", {{"tools", Json::object()}}},
                            {"serverInfo", server_info(revision_)},
                            {"instructions", kInstructions}}));
}

void McpSession::list_tools(const Json& id, const Json& params, Revision revision, bool stateless) {
  if (const Json* cursor = member(params, "cursor"); cursor != nullptr && !cursor->is_null()) {
    write(error_message(id, kInvalidParams, "Invalid params: this server gave no cursor; its list has one page"));
    return;
  }
  Json tools = Json::array();
  for (const Tool& tool : served_) tools.push_back(tool_json(tool, revision));
  Json result{{"tools", std::move(tools)}};
  if (stateless) add_stateless_fields(result, true);
  write(result_message(id, std::move(result)));
}

void McpSession::start_call(const Json& id, const Json& params, bool stateless) {
  const Json* name = member(params, "name");
  if (name == nullptr || !name->is_string()) {
    write(error_message(id, kInvalidParams, "Invalid params: tools/call names its tool"));
    return;
  }
  const auto named = [name](const Tool& tool) { return is_text(*name, tool.name); };
  const auto tool = std::find_if(served_.begin(), served_.end(), named);
  if (tool == served_.end()) {
    // A tool left out by --read-only is one the model may well ask for: told as a tool's error,
    // which it reads, why it cannot have it. Any other name is unknown to this server.
    if (std::find_if(refused_.begin(), refused_.end(), named) != refused_.end()) {
      write(result_message(id, tool_result(name->get<std::string>() +
                                               " changes the IDE, and this server is read-only (quillo mcp "
                                               "--read-only): it serves only the tools that read",
                                           true, stateless)));
    } else {
      write(error_message(id, kInvalidParams, "Invalid params: unknown tool " + echoed(name->get<std::string>())));
    }
    return;
  }
  const Json* arguments = member(params, "arguments");
  if (arguments != nullptr && !arguments->is_null() && !arguments->is_object()) {
    write(error_message(id, kInvalidParams, "Invalid params: arguments must be an object"));
    return;
  }
  if (arguments != nullptr && arguments->is_object()) {
    if (const MaybeError problem = call_problem(*tool, *arguments)) {
      write(result_message(id, tool_result(problem->message, true, stateless)));
      return;
    }
  }
  const Json* meta = member(params, "_meta");
  const Json* token = meta != nullptr ? member(*meta, "progressToken") : nullptr;
  reap_finished();
  const Lock lock(mutex_);
  Call& call = calls_.emplace_back();
  call.id = id;
  call.batch = batch_;
  if (call.batch) ++call.batch->open;
  // A token is a string or any number, echoed as it came (a number as the same number).
  if (token != nullptr && (token->is_string() || token->is_number())) call.progress_token = *token;
  call.revision = stateless ? Revision::k2026_07_28 : revision_;
  call.started = Clock::now();
  call.next_progress = call.started + settings_.progress_interval;
  const NodeRef command = tool->command;
  Json given = arguments != nullptr && arguments->is_object() ? *arguments : Json::object();
  bool started = false;
  try {
    started = call.thread.start([this, &call, command, given = std::move(given), stateless] {
      run_call(call, command, given, stateless);
    });
  } catch (const std::bad_alloc&) {  // the function's own copy, before a thread could start
  }
  if (!started) {
    if (call.batch) --call.batch->open;
    calls_.pop_back();
    deliver(batch_.get(), error_message(id, kInternalError, "Internal error: no thread or memory left to run the call"));
    return;
  }
  // Without a thread for them, progress notifications are not sent; the call goes on.
  if (!call.progress_token.is_null() && !ticker_.running()) ticker_.start([this] { tick(); });
}

// On the call's own thread, where nothing may escape: a failure, out of memory among them, is
// the call's answer, and one that cannot even be written leaves the call unanswered.
void McpSession::run_call(Call& call, NodeRef command, const Json& arguments, bool stateless) noexcept {
  Json answer;
  try {
    CallSettings settings{settings_.socket, settings_.json, settings_.max_output, settings_.run};
    settings.run.cancel = &call.cancel;
    const CallOutcome outcome = call_command(command, arguments, settings);
    answer = result_message(call.id, tool_result(outcome.text, outcome.is_error, stateless));
  } catch (const std::exception& e) {
    try {
      answer = error_message(call.id, kInternalError, std::string("Internal error: ") + e.what());
    } catch (...) {  // unanswered, as said
    }
  }
  const Lock lock(mutex_);
  try {
    if (!call.abandoned && !answer.is_null()) deliver(call.batch.get(), answer);
    if (call.batch) settle(*call.batch);
  } catch (...) {  // a sink out of memory: the call is over all the same
  }
  call.finished = true;
}

void McpSession::reap_finished() {
  std::list<Call> done;
  {
    const Lock lock(mutex_);
    for (auto it = calls_.begin(); it != calls_.end();) {
      const auto next = std::next(it);
      if (it->finished) done.splice(done.end(), calls_, it);
      it = next;
    }
  }
  for (Call& call : done) call.thread.join();
}

// Each call that asked for progress is told of it every interval from its own start. The wait
// ends at the next call due, and at the latest an interval from now: a call started meanwhile
// is due no sooner than that.
void McpSession::tick() {
  const Lock lock(mutex_);
  while (!stopping_) {
    const auto now = Clock::now();
    auto due = now + settings_.progress_interval;
    for (Call& call : calls_) {
      if (call.finished || call.abandoned || call.progress_token.is_null()) continue;
      if (call.next_progress <= now) tell_progress(call, now);
      due = std::min(due, call.next_progress);
    }
    ticking_.wait_for(mutex_, std::chrono::duration_cast<std::chrono::milliseconds>(due - now) + std::chrono::milliseconds(1));
  }
}

void McpSession::tell_progress(Call& call, Clock::time_point now) {
  ++call.ticks;
  call.next_progress += settings_.progress_interval;
  if (call.next_progress <= now) call.next_progress = now + settings_.progress_interval;  // once, after a late wake
  Json params{{"progressToken", call.progress_token}, {"progress", call.ticks}};
  // The message is a field from 2025-03-26 on.
  if (call.revision >= Revision::k2025_03_26) {
    const auto waited = std::chrono::duration_cast<std::chrono::seconds>(now - call.started);
    params["message"] = "waiting for the IDE, " + std::to_string(waited.count()) + " s so far";
  }
  out_ << line_of({{"jsonrpc", "2.0"}, {"method", "notifications/progress"}, {"params", std::move(params)}});
}

void McpSession::finish() {
  {
    const Lock lock(mutex_);
    if (stopping_) return;
    stopping_ = true;
    for (Call& call : calls_) {
      if (call.finished) continue;
      call.abandoned = true;
      call.cancel.cancel();
    }
  }
  ticking_.notify_all();
  for (Call& call : calls_) call.thread.join();
  ticker_.join();
}

}  // namespace

std::size_t FdSource::read(char* buffer, std::size_t size) {
  for (;;) {
    const ssize_t got = ::read(fd_, buffer, size);
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno != EINTR) return 0;
  }
}

void serve(ByteSource& input, Sink& output, const ServerSettings& settings) {
  McpSession server(output, settings);
  std::vector<char> buffer(std::size_t{1} << 16);
  std::string line;
  // Whether the line so far is being skipped, not kept: past the bound, or past the memory there is.
  enum class Skipped { No, TooLong, NoMemory } skipped = Skipped::No;
  const auto skip = [&](Skipped why) {
    skipped = why;
    std::string().swap(line);
  };
  const auto end_line = [&] {
    if (skipped == Skipped::TooLong) server.refuse_long_line();
    if (skipped == Skipped::NoMemory) server.refuse_no_memory();
    if (skipped == Skipped::No) server.serve_line(line);
    skipped = Skipped::No;
    line.clear();
  };
  for (;;) {
    const std::size_t got = input.read(buffer.data(), buffer.size());
    if (got == 0) break;
    std::string_view chunk(buffer.data(), got);
    for (;;) {
      const auto newline = chunk.find('\n');
      const std::string_view piece = chunk.substr(0, newline);
      if (skipped == Skipped::No && line.size() + piece.size() > settings.max_message_bytes) skip(Skipped::TooLong);
      if (skipped == Skipped::No) {
        try {
          line.append(piece);
        } catch (const std::bad_alloc&) {
          skip(Skipped::NoMemory);
        }
      }
      if (newline == std::string_view::npos) break;
      end_line();
      chunk.remove_prefix(newline + 1);
    }
  }
  if (skipped != Skipped::No || !line.empty()) end_line();
  server.finish();
}

}  // namespace quillo::mcp
