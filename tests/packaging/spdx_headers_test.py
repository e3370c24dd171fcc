#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""scripts/spdx-headers on a scratch tree: each kind of source file gets the licence line in its own comment
style and place, other files and build directories are left alone, a second run changes nothing, and
--check reports what lacks the line without changing it.
    spdx_headers_test.py SCRIPT
"""

import os
import stat
import subprocess
import sys
import tempfile

LINE = "SPDX-License-Identifier: GPL-3.0-or-later"
# path, content before, content expected after (None: unchanged)
CASES = [
    ("src/a.cpp", "// A thing.\nint a;\n", f"// {LINE}\n// A thing.\nint a;\n"),
    ("src/a.h", "#pragma once\n", f"// {LINE}\n#pragma once\n"),
    ("src/CMakeLists.txt", "add_library(a a.cpp)\n", f"# {LINE}\nadd_library(a a.cpp)\n"),
    ("tests/check.cmake", "message(x)", f"# {LINE}\nmessage(x)"),
    ("scripts/run", "#!/usr/bin/env bash\nset -e\n", f"#!/usr/bin/env bash\n# {LINE}\nset -e\n"),
    ("scripts/tool", "#!/usr/bin/python3\nprint(1)\n", f"#!/usr/bin/python3\n# {LINE}\nprint(1)\n"),
    ("scripts/only_shebang", "#!/bin/sh", f"#!/bin/sh\n# {LINE}\n"),
    ("tools/gen.py", "import os\n", f"# {LINE}\nimport os\n"),
    ("src/windows.cpp", "int b;\r\nint c;\r\n", f"// {LINE}\r\nint b;\r\nint c;\r\n"),
    ("src/empty.h", "", f"// {LINE}\n"),
    ("src/has.cpp", f"// {LINE}\nint d;\n", None),
    ("src/has_late.cpp", f"// Copyright someone\n/* {LINE} */\nint e;\n", None),
    ("src/mentions.cpp", "int f;\n" * 10 + f'const char* s = "{LINE}";\n', "add"),
    ("README.md", "# k470\n", None),
    ("packaging/k470.desktop", "[Desktop Entry]\n", None),
    ("scripts/data", "#!/usr/bin/awk -f\n{ print }\n", None),
    ("tests/fixture.bin", "\x00\x01", None),
    ("build/gen.cpp", "int g;\n", None),
    ("build-release/gen.h", "int h;\n", None),
]


def write(root, path, text, executable=False):
    full = os.path.join(root, path)
    os.makedirs(os.path.dirname(full), exist_ok=True)
    with open(full, "w", encoding="utf-8", newline="") as f:
        f.write(text)
    if executable:
        os.chmod(full, os.stat(full).st_mode | stat.S_IXUSR)


def read(root, path):
    with open(os.path.join(root, path), encoding="utf-8", newline="") as f:
        return f.read()


def main(argv):
    script = os.path.abspath(argv[0])
    failures = []
    with tempfile.TemporaryDirectory() as root:
        for path, before, _ in CASES:
            write(root, path, before, executable=path.startswith("scripts/"))

        check = subprocess.run([sys.executable, script, "--check", root], capture_output=True, text=True)
        if check.returncode != 1 or "src/a.cpp" not in check.stdout or "README.md" in check.stdout:
            failures.append(f"--check before: exit {check.returncode}, {check.stdout!r}")
        if read(root, "src/a.cpp") != CASES[0][1]:
            failures.append("--check changed a file")

        for run in (1, 2):
            result = subprocess.run([sys.executable, script, root], capture_output=True, text=True)
            if result.returncode != 0:
                failures.append(f"run {run}: exit {result.returncode}: {result.stderr}")
            if run == 2 and result.stdout.strip():
                failures.append(f"the second run changed files: {result.stdout!r}")
            for path, before, after in CASES:
                text = read(root, path)
                if after == "add":
                    ok = text == f"// {LINE}\n" + before
                else:
                    ok = text == (before if after is None else after)
                if not ok:
                    failures.append(f"run {run}: {path} became {text!r}")
        if not os.access(os.path.join(root, "scripts/run"), os.X_OK):
            failures.append("scripts/run lost its executable bit")

        check = subprocess.run([sys.executable, script, "--check", root], capture_output=True, text=True)
        if check.returncode != 0 or check.stdout.strip():
            failures.append(f"--check after: exit {check.returncode}, {check.stdout!r}")
    for message in failures:
        print("FAIL:", message)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
