// quillo mcp through the next client library: pinned to the stateless revision 2026-07-28, and
// negotiating it by itself; the list and a call each way.
import assert from "node:assert/strict";
import { after, before, test } from "node:test";
import { Client } from "@modelcontextprotocol/client";
import { StdioClientTransport } from "@modelcontextprotocol/client/stdio";
import { checkTools, commandLine, server, startStandin } from "./common.mjs";

let ide;
before(async () => (ide = await startStandin()));
after(async () => await ide.stop());

for (const mode of [{ pin: "2026-07-28" }, "auto"]) {
  test(`revision 2026-07-28 (${JSON.stringify(mode)}): the list and a call`, async () => {
    const client = new Client({ name: "quillo-tests", version: "2.0.0" }, { versionNegotiation: { mode } });
    await client.connect(new StdioClientTransport(server(ide.socket)));
    assert.equal(client.getNegotiatedProtocolVersion(), "2026-07-28");
    assert.equal(client.getServerVersion()?.name, "quillo");
    checkTools((await client.listTools()).tools);
    const result = await client.callTool({ name: "terminal_list", arguments: {} });
    assert.equal(result.isError, false);
    assert.equal(result.content[0].text, commandLine(ide.socket, ["terminal", "list"]).text);
    const bad = await client.callTool({ name: "terminal_list", arguments: { terminal_id: 1 } });
    assert.equal(bad.isError, true);
    await client.close();
  });
}
