"""make_replies.py DIR MB...: writes, for each size, a reply of comment-like objects, one of a
single long string, and two of objects nested 510 deep whose keys come sorted at every level or
unsorted at every level, and the bare results (what `jq -cS .` reads)."""
import base64
import json
import os
import random
import sys

out_dir = sys.argv[1]
random.seed(7)
words = "the quick brown fox jumps over lazy dog fix typo here see notes todo later please check".split()


def comment(i):
    return {"id": f"c{i}", "filePath": f"src/module{i % 97}/file{i % 13}.cpp",
            "anchor": {"startLine": i % 5000 + 1, "startColumn": 1, "endLine": i % 5000 + 3, "endColumn": None},
            "body": " ".join(random.choice(words) for _ in range(12)) + "\nSecond line.",
            "authorKind": "agent" if i % 3 else "user", "isStale": i % 7 == 0,
            "resolvedAt": "2026-01-01T00:00:00Z" if i % 5 == 0 else None, "score": i * 0.25}


for mb in sys.argv[2:]:
    target = int(float(mb) * 1_000_000)
    items, size, i = [], 0, 0
    while size < target:
        text = json.dumps(comment(i))
        items.append(text)
        size += len(text) + 1
        i += 1
    objects = '{"comments":[' + ",".join(items) + "]}"
    raw = random.randbytes(target * 3 // 4)
    string = json.dumps({"size": len(raw), "format": "png", "data": base64.b64encode(raw).decode()})
    # 510 levels, each with a member "a" holding the next and a member "b" of filler text.
    filler = '"' + "x" * (target // 510) + '"'
    unsorted = ('{"b":' + filler + ',"a":') * 510 + "0" + "}" * 510
    in_order = '{"a":' * 510 + "0" + (',"b":' + filler + "}") * 510
    for name, result in (("objects", objects), ("string", string), ("nested-unsorted", unsorted),
                         ("nested-sorted", in_order)):
        with open(os.path.join(out_dir, f"{name}-{mb}.result.json"), "w") as f:
            f.write(result)
        with open(os.path.join(out_dir, f"{name}-{mb}.reply"), "w") as f:
            f.write('{"id":"x","ok":true,"result":' + result + "}\n")
