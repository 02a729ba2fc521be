// quillo mcp through the protocol's own client library at revision 2025-11-25: the list, a
// call of every family (its text that of the command line), bad arguments, an unknown tool, a
// wait that reports its progress and is cancelled, an error of the IDE, and the options.
import assert from "node:assert/strict";
import { after, before, test } from "node:test";
import { Client } from "@modelcontextprotocol/sdk/client/index.js";
import { StdioClientTransport } from "@modelcontextprotocol/sdk/client/stdio.js";
import { LATEST_PROTOCOL_VERSION } from "@modelcontextprotocol/sdk/types.js";
import { checkTools, commandLine, readers, server, startStandin } from "./common.mjs";

let ide, client;
before(async () => {
  ide = await startStandin();
  client = new Client({ name: "quillo-tests", version: "1.0.0" });
  await client.connect(new StdioClientTransport(server(ide.socket)));
});
after(async () => {
  await client.close();
  await ide.stop();
});

const text = (result) => result.content.map((block) => block.text).join("");

test("initialize agrees on the revision asked for and the server says who it is", async () => {
  assert.equal(LATEST_PROTOCOL_VERSION, "2025-11-25");  // what this client asks for (and accepts only known ones)
  assert.deepEqual(client.getServerCapabilities(), { tools: {} });
  assert.equal(client.getServerVersion().name, "quillo");
  assert.match(client.getInstructions(), /running IDE/);
  assert.deepEqual(await client.ping(), {});
});

test("tools/list: every tool, named, typed and hinted from its declaration", async () => {
  checkTools((await client.listTools()).tools);
});

test("one tool of each family: not an error, and the text of the command line", async () => {
  for (const [name, args, words] of readers) {
    const result = await client.callTool({ name, arguments: args });
    assert.equal(result.isError, false, name);
    assert.equal(text(result), commandLine(ide.socket, words).text, name);
    const bad = await client.callTool({ name, arguments: { ...args, bogus: 1 } });
    assert.equal(bad.isError, true, name);
    assert.match(text(bad), /^bogus: not an argument of this tool/, name);
  }
  const wrong = await client.callTool({ name: "terminal_wait", arguments: { timeout: "soon" } });
  assert.equal(wrong.isError, true);
  assert.match(text(wrong), /^timeout: expected an integer/);
});

test("an unknown tool is refused", async () => {
  await assert.rejects(client.callTool({ name: "no_such_tool", arguments: {} }), /-32602.*unknown tool no_such_tool/);
});

test("an error of the IDE: its message as the command line gives it", async () => {
  const result = await client.callTool({ name: "terminal_close", arguments: { terminal_id: "term-404" } });
  assert.equal(result.isError, true);
  const expected = commandLine(ide.socket, ["terminal", "close", "--terminal-id", "term-404"]);
  assert.equal(expected.isError, true);
  assert.equal(text(result), expected.text);
});

test("a wait reports its progress, other calls go on meanwhile, and it can be cancelled", async () => {
  const cancel = new AbortController();
  let progressed;
  const progress = new Promise((resolve) => (progressed = resolve));
  const waiting = client.callTool({ name: "terminal_wait", arguments: { timeout: 600 } }, undefined,
    { signal: cancel.signal, timeout: 700_000, onprogress: progressed });
  assert.equal(text(await client.callTool({ name: "ping", arguments: {} })), commandLine(ide.socket, ["ping"]).text);
  assert.ok((await progress).progress > 0);
  cancel.abort("enough");
  await assert.rejects(waiting);
  assert.deepEqual(await client.ping(), {});
});

test("--families and --read-only serve fewer tools and refuse the others", async () => {
  const narrow = new Client({ name: "quillo-tests", version: "1.0.0" });
  await narrow.connect(new StdioClientTransport(server(ide.socket, "--families", "terminal", "--read-only")));
  const names = (await narrow.listTools()).tools.map((t) => t.name);
  assert.deepEqual(names, ["ping", "whoami", "help", "terminal_list", "terminal_wait"]);
  const refused = await narrow.callTool({ name: "terminal_send", arguments: { text: "x", terminal_id: "t" } });
  assert.equal(refused.isError, true);
  assert.match(text(refused), /read-only/);
  await assert.rejects(narrow.callTool({ name: "browser_list", arguments: {} }), /unknown tool/);
  await narrow.close();
});
