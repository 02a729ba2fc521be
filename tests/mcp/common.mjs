// What the tests of both client libraries share: the stand-in IDE, the command line to compare
// with, and the checks of a tool list.
import assert from "node:assert/strict";
import { execFileSync, spawn } from "node:child_process";
import { mkdtempSync, rmSync } from "node:fs";
import { once } from "node:events";

export const [quillo, standinBinary] = process.argv.slice(2);
if (!quillo || !standinBinary) throw new Error("usage: node TEST QUILLO QUILLO_STANDIN");

// The stand-in IDE on a socket of its own, every terminal wait held back for ten minutes.
export async function startStandin() {
  const dir = mkdtempSync("/tmp/qm.");
  const socket = `${dir}/s`;
  const child = spawn(standinBinary, ["--hold", "terminal.wait=600000", socket], { stdio: ["ignore", "pipe", "inherit"] });
  await once(child.stdout, "data");
  return {
    socket,
    async stop() {
      child.kill();
      await once(child, "exit");
      rmSync(dir, { recursive: true, force: true });
    },
  };
}

// What `quillo --socket SOCKET ARGS...` prints: its standard output, or (failing) its error
// message without the program's name.
export function commandLine(socket, args) {
  try {
    return { text: execFileSync(quillo, ["--socket", socket, ...args], { encoding: "utf8", stdio: "pipe" }), isError: false };
  } catch (failed) {
    return { text: failed.stderr.replace(/^quillo: /, "").replace(/\n$/, ""), isError: true };
  }
}

export const server = (socket, ...options) => ({ command: quillo, args: ["--socket", socket, "mcp", ...options], stderr: "inherit" });

// One tool of each family that reads, with its command line, for texts to compare.
export const readers = [
  ["ping", {}, ["ping"]],
  ["whoami", {}, ["whoami"]],
  ["help", { method: "terminal.close" }, ["help", "terminal.close"]],
  ["shelf_list", {}, ["shelf", "list"]],
  ["terminal_list", {}, ["terminal", "list"]],
  ["file_open", { path: "notes.md", line: 3 }, ["file", "open", "notes.md", "--line", "3"]],
  ["shortcut_list", {}, ["shortcut", "list"]],
  ["browser_list", {}, ["browser", "list"]],
  ["roost_list_projects", {}, ["roost", "list-projects"]],
  ["comments_list", {}, ["comments", "list"]],
  ["todo_list", {}, ["todo", "list"]],
];

const loadsPages = ["browser_open", "browser_navigate", "browser_back", "browser_forward", "browser_reload", "browser_raw"];

// Every key of a schema, at every depth.
function* keysOf(value) {
  if (value === null || typeof value !== "object") return;
  for (const [key, inner] of Object.entries(value)) {
    yield [key, inner];
    yield* keysOf(inner);
  }
}

// The checks of a whole tool list: names, schemas and hints as the declarations make them.
export function checkTools(tools) {
  assert.equal(tools.length, 54);
  assert.equal(new Set(tools.map((t) => t.name)).size, tools.length, "no two tools share a name");
  for (const tool of tools) {
    const where = `tool ${tool.name}`;
    assert.match(tool.name, /^[a-zA-Z0-9_-]{1,64}$/, where);
    assert.ok(tool.description && tool.title, where);
    const schema = tool.inputSchema;
    assert.equal(schema.type, "object", where);
    assert.equal(schema.additionalProperties, false, where);
    for (const name of schema.required ?? []) assert.ok(name in schema.properties, `${where}: ${name}`);
    for (const [key, inner] of keysOf(schema)) {
      assert.ok(!["oneOf", "anyOf", "allOf", "$ref"].includes(key), `${where}: ${key}`);
      if (key === "type") assert.equal(typeof inner, "string", `${where}: a type is one name`);
    }
    for (const [name, property] of Object.entries(schema.properties)) {
      assert.ok(["string", "boolean", "integer"].includes(property.type), `${where}: ${name}`);
      assert.doesNotMatch(name, /_file$/, `${where}: a file form is no argument here`);
      if (property.type === "integer") {
        const range = [property.minimum, property.maximum].join(" ");
        assert.ok(["0 4294967295", `${-(2 ** 63)} ${2 ** 63}`].includes(range), `${where}: ${name} ${range}`);
      }
    }
    const hints = tool.annotations;
    for (const hint of ["readOnlyHint", "destructiveHint", "idempotentHint", "openWorldHint"]) {
      assert.equal(typeof hints[hint], "boolean", `${where}: ${hint}`);
    }
    if (hints.readOnlyHint) assert.ok(hints.idempotentHint && !hints.destructiveHint, where);
    assert.equal(hints.openWorldHint, loadsPages.includes(tool.name), where);
  }
  const byName = Object.fromEntries(tools.map((t) => [t.name, t]));
  assert.deepEqual(
    ["terminal_list", "terminal_send", "terminal_close", "roost_add_project", "todo_message_add", "browser_url", "browser_raw"].map((n) => {
      const h = byName[n].annotations;
      return [n, h.readOnlyHint, h.destructiveHint, h.idempotentHint];
    }),
    [["terminal_list", true, false, true], ["terminal_send", false, false, false], ["terminal_close", false, true, true],
     ["roost_add_project", false, false, true], ["todo_message_add", false, false, false], ["browser_url", true, false, true],
     ["browser_raw", false, true, false]],
  );
  assert.deepEqual(byName.terminal_send.inputSchema.required.sort(), ["terminal_id", "text"]);
  assert.deepEqual(byName.terminal_wait.inputSchema.properties.timeout,
    { type: "integer", minimum: 0, maximum: 4294967295, default: 30, description: "Seconds to wait (1-600). A whole number of seconds" });
  assert.equal(byName.todo_message_add.description.includes("Thread message operations"), true);
}
