"""python_client.py SOCKET: one exchange with the standard library, as a user might write it."""
import json
import os
import socket
import sys
import uuid

env = {key: os.environ.get(name) or None for key, name in
       (("context", "QUILLO_CONTEXT"), ("project_path", "QUILLO_PROJECT_PATH"), ("roost", "QUILLO_ROOST"))}
request = {"_env": env, "id": str(uuid.uuid4()), "method": "ping", "params": {}}
with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as s:
    s.connect(sys.argv[1])
    s.sendall((json.dumps(request, sort_keys=True, separators=(",", ":")) + "\n").encode())
    chunks = []
    while True:
        chunk = s.recv(8192)
        if not chunk:
            break
        chunks.append(chunk)
        if b"\n" in chunk:
            break
line = b"".join(chunks).split(b"\n", 1)[0]
sys.stdout.write(line.decode() + "\n")
