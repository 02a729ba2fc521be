#include <gtest/gtest.h>

#include "support/argument_table.hpp"

namespace {

using namespace testing_support;

TEST(Terminal, Requests) {
  expect_requests({
      {{"terminal", "list"}, "terminal.list", "{}"},
      {{"terminal", "create"}, "terminal.create", R"({"cwd":null,"name":null})"},
      {{"terminal", "create", "--cwd", "rel/dir", "--name", ""}, "terminal.create",
       R"({"cwd":"rel/dir","name":""})"},
      {{"terminal", "send", "ls -la", "--terminal-id", "T1"}, "terminal.send",
       R"({"submit":false,"terminal_id":"T1","text":"ls -la"})"},
      {{"terminal", "send", "--submit", "--terminal-id=T1", "--", "-h"}, "terminal.send",
       R"({"submit":true,"terminal_id":"T1","text":"-h"})"},
      {{"terminal", "send-key", "Ctrl+C", "--terminal-id", "T1"}, "terminal.send_key",
       R"({"key":"Ctrl+C","terminal_id":"T1"})"},
      {{"terminal", "close", "--terminal-id", "abc"}, "terminal.close", R"({"terminal_id":"abc"})"},
      {{"terminal", "wait"}, "terminal.wait",
       R"({"exit":false,"terminal_id":null,"text":null,"timeout":30})"},
      {{"terminal", "wait", "--text", "ready", "--wait-exit", "--timeout", "4294967295", "--terminal-id", "T2"},
       "terminal.wait", R"({"exit":true,"terminal_id":"T2","text":"ready","timeout":4294967295})"},
  });
}

TEST(Terminal, Renderings) {
  expect_renderings({
      {"terminal.list", R"({"terminals":[]})", "(no terminals)\n"},
      {"terminal.list", "{}", ""},
      {"terminal.list",
       R"({"terminals":[{"terminal_id":"T1","title":"main","cwd":"/w","focused":true,"is_caller":true},
                        {"terminal_id":"T2","title":"b","cwd":"/x"},{"is_caller":true},7]})",
       "*@ T1  main  /w\n   T2  b  /x\n @ ?  ?  ?\n   ?  ?  ?\n"},
      {"terminal.create", R"({"terminal_id":"T9"})", "created: T9\n"},
      {"terminal.create", "{}", "created: ?\n"},
      {"terminal.send", "null", "ok\n"},
      {"terminal.send_key", R"({"anything":1})", "ok\n"},
      {"terminal.close", "{}", "ok\n"},
      {"terminal.wait", R"({"matched":false,"text":"x"})", "timeout\n"},
      {"terminal.wait", "{}", "timeout\n"},
      {"terminal.wait", R"({"matched":true,"text":"ready","exit_code":3})", "matched: ready\n"},
      {"terminal.wait", R"({"matched":true,"exit_code":-1})", "exited: -1\n"},
      {"terminal.wait", R"({"matched":true,"exit_code":1.0})", "matched\n"},
      {"terminal.wait", R"({"matched":true,"text":null})", "matched\n"},
  });
}

}  // namespace
