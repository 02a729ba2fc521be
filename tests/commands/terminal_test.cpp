#include <gtest/gtest.h>

#include <sstream>

#include "cli.hpp"
#include "ide.hpp"
#include "server.hpp"
#include "support/argument_table.hpp"
#include "support/temp_dir.hpp"

namespace {

using namespace testing_support;
using namespace std::chrono_literals;

TEST(Terminal, Requests) {
  expect_requests({
      {{"terminal", "list"}, "terminal.list", "{}"},
      {{"terminal", "create"}, "terminal.create", R"({"cwd":null,"name":null})"},
      {{"terminal", "create", "--name", "build"}, "terminal.create", R"({"cwd":null,"name":"build"})"},
      {{"terminal", "create", "--cwd", "rel/dir", "--name", ""}, "terminal.create",
       R"({"cwd":"rel/dir","name":""})"},
      {{"terminal", "send", "ls -la", "--terminal-id", "T1"}, "terminal.send",
       R"({"submit":false,"terminal_id":"T1","text":"ls -la"})"},
      {{"terminal", "send", "--submit", "--terminal-id", "T1", "ls -la"}, "terminal.send",
       R"({"submit":true,"terminal_id":"T1","text":"ls -la"})"},
      {{"terminal", "send", "--terminal-id", "T1", "--", "-h"}, "terminal.send",
       R"({"submit":false,"terminal_id":"T1","text":"-h"})"},
      {{"terminal", "send", "--terminal-id=T1", "é\t\"x\""}, "terminal.send",
       R"({"submit":false,"terminal_id":"T1","text":"é\t\"x\""})"},
      {{"terminal", "send-key", "Ctrl+C", "--terminal-id", "T1"}, "terminal.send_key",
       R"({"key":"Ctrl+C","terminal_id":"T1"})"},
      {{"terminal", "close", "--terminal-id", "abc"}, "terminal.close", R"({"terminal_id":"abc"})"},
      {{"terminal", "wait"}, "terminal.wait",
       R"({"exit":false,"terminal_id":null,"text":null,"timeout":30})"},
      {{"terminal", "wait", "--text", "ready", "--wait-exit", "--timeout", "0", "--terminal-id", "T2"},
       "terminal.wait", R"({"exit":true,"terminal_id":"T2","text":"ready","timeout":0})"},
      {{"terminal", "wait", "--timeout", "601"}, "terminal.wait",
       R"({"exit":false,"terminal_id":null,"text":null,"timeout":601})"},
      {{"terminal", "wait", "--timeout", "4294967295"}, "terminal.wait",
       R"({"exit":false,"terminal_id":null,"text":null,"timeout":4294967295})"},
      {{"--json", "terminal", "list", "--socket", "/s"}, "terminal.list", "{}"},
  });
}

TEST(Terminal, UsageErrors) {
  expect_usage_errors({
      {{"terminal", "close"}, "--terminal-id is required"},
      {{"terminal", "send", "--terminal-id", "T1"}, "TEXT is required"},
      {{"terminal", "send", "text"}, "--terminal-id is required"},
      {{"terminal", "send", "a", "b", "--terminal-id", "T1"}, "not expected: b"},
      {{"terminal", "send-key", "--terminal-id", "T1"}, "KEY is required"},
      {{"terminal", "send-key", "Enter"}, "--terminal-id is required"},
      {{"terminal", "wait", "--timeout=-1"}, "not an unsigned 32-bit integer"},
      {{"terminal", "wait", "--timeout", "-1"}, "--timeout: a value is required"},
      {{"terminal", "send", "-5", "--terminal-id", "T1"}, "not expected: -5"},
      {{"terminal", "create", "--name", "--cwd", "/w"}, "--name: a value is required"},
      {{"terminal", "wait", "--timeout", "1.5"}, "not an unsigned 32-bit integer"},
      {{"terminal", "wait", "--timeout", "4294967296"}, "not an unsigned 32-bit integer"},
      {{"terminal", "wait", "--timeout", "ten"}, "not an unsigned 32-bit integer"},
      {{"terminal", "create", "--cwd"}, "--cwd"},
      {{"terminal", "send", "\xC3", "--terminal-id", "T1"}, "invalid UTF-8"},
  });
}

TEST(Terminal, Help) {
  expect_help({
      {{"terminal"},
       {"Usage: quillo terminal [OPTIONS] SUBCOMMAND",
        "list                        List all terminals in the focused roost",
        "create                      Spawn a new terminal", "send                        Inject text into a terminal",
        "send-key                    Send a named key event (Enter, Ctrl+C, Tab, arrows, etc.)",
        "close                       Close a terminal",
        "wait                        Block until output matches text or the process exits"}},
      {{"terminal", "wait", "--help"},
       {"--text TEXT                 Wait until this substring appears in output",
        "--wait-exit                 Wait until the terminal process exits",
        "--timeout TIMEOUT=30        Seconds to wait (1-600)",
        "--terminal-id TERMINAL_ID   Tagged or bare terminal UUID"}},
  });
}


TEST(Terminal, Renderings) {
  expect_renderings({
      {"terminal.list", R"({"terminals":[]})", "(no terminals)\n"},
      {"terminal.list", "{}", ""},
      {"terminal.list", R"({"terminals":{}})", ""},
      {"terminal.list", R"({"terminals":null})", ""},
      {"terminal.list", "null", ""},
      {"terminal.list",
       R"({"terminals":[{"terminal_id":"T1","title":"main","cwd":"/w","focused":true,"is_caller":false}]})",
       "*  T1  main  /w\n"},
      {"terminal.list",
       R"({"terminals":[{"terminal_id":"T1","title":"main","cwd":"/w","focused":true,"is_caller":true},
                        {"terminal_id":"T2","title":"b","cwd":"/x"},
                        {"terminal_id":"T3","focused":"true","is_caller":1},
                        7]})",
       "*@ T1  main  /w\n   T2  b  /x\n   T3  ?  ?\n   ?  ?  ?\n"},
      {"terminal.list", R"({"terminals":[{"is_caller":true,"title":5}]})", " @ ?  ?  ?\n"},
      {"terminal.create", R"({"terminal_id":"T9"})", "created: T9\n"},
      {"terminal.create", "{}", "created: ?\n"},
      {"terminal.create", R"({"terminal_id":9})", "created: ?\n"},
      {"terminal.send", "null", "ok\n"},
      {"terminal.send_key", R"({"anything":1})", "ok\n"},
      {"terminal.close", "{}", "ok\n"},
      {"terminal.close", "null", "ok\n"},
      {"terminal.wait", R"({"matched":false,"text":"x"})", "timeout\n"},
      {"terminal.wait", "{}", "timeout\n"},
      {"terminal.wait", R"({"matched":"true","text":"x"})", "timeout\n"},
      {"terminal.wait", R"({"matched":true,"text":"ready","exit_code":3})", "matched: ready\n"},
      {"terminal.wait", R"({"matched":true,"exit_code":-1})", "exited: -1\n"},
      {"terminal.wait", R"({"matched":true,"exit_code":1.0})", "matched\n"},
      {"terminal.wait", R"({"matched":true,"exit_code":9223372036854775808})", "matched\n"},
      {"terminal.wait", R"({"matched":true,"text":null,"exit_code":"1"})", "matched\n"},
      {"terminal.wait", R"({"matched":true})", "matched\n"},
  });
}

}  // namespace
