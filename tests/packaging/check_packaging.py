#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Checks the files that integrate k470 with the desktop and the shell, without building a package:
    check_packaging.py SOURCE_DIR VERSION K470_CLI K470_SIM [K470]

- every k470-cli command, and every option its --help names, is in the manual page and both completions;
  every option of k470-sim and k470 is in its manual page;
- the manual pages format without a warning (groff), the desktop entry and the AppStream entry validate;
- the bash completion completes commands, options and option values, and the zsh one parses;
- the version of the program is the one of the manual pages, the newest release note and the changelog.
Tools that are not installed are skipped with a note; any finding fails the test.
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile

failures = []


def fail(message):
    failures.append(message)


def run(args, **kwargs):
    return subprocess.run(args, capture_output=True, text=True, **kwargs)


def have(tool):
    if shutil.which(tool):
        return True
    print(f"note: {tool} is not installed; its check is skipped")
    return False


def read(path):
    with open(path, encoding="utf-8") as f:
        return f.read()


def cli_commands(cli):
    """The commands of the overview, each with the options its --help names."""
    overview = run([cli, "--help"]).stdout
    names = re.findall(r"^  ([a-z0-9]+) ", overview, re.M)
    if not names:
        fail("k470-cli --help lists no commands")
    commands = {}
    for name in names:
        usage = run([cli, name, "--help"]).stdout
        # The options of the usage lines, and of the option column (before the gap that starts the text).
        named = "\n".join(re.findall(r"^(?:Usage: .*|\s+\[.*)$", usage, re.M))
        options = set(re.findall(r"(?<![\w-])(--[a-z0-9][a-z0-9-]*|-[a-z])(?![\w-])", named))
        commands[name] = (options | option_column(usage)) - {"-h", "--help"}
    return commands


def option_column(usage):
    """The options named in the option column of a --help text (before the gap that starts the text)."""
    column = [line.strip().split("  ")[0] for line in usage.splitlines() if re.match(r"\s+-", line)]
    return set(re.findall(r"(?<![\w-])(--[a-z0-9][a-z0-9-]*|-[a-z])(?![\w-])", "\n".join(column)))


def check_program_options(program, page_name, source):
    """Every option of the program's --help is described in its manual page."""
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    if not os.access(program, os.X_OK):
        fail(f"{program} is not built")
        return
    result = run([program, "--help"], env=env, timeout=60)
    options = option_column(result.stdout)
    if result.returncode != 0 or not options:
        fail(f"{os.path.basename(program)} --help: exit {result.returncode}, no options")
    page = read(os.path.join(source, "packaging/man", page_name)).replace("\\-", "-")
    for option in sorted(options):
        if not re.search(rf"(?<![\w-]){re.escape(option)}(?![\w-])", page):
            fail(f"{page_name}: option {option} not described")


def man_sections(page):
    """The text of each command's subsections in the k470-cli page, escapes removed, by command name."""
    text = page.replace("\\-", "-")
    sections = {}
    for match in re.finditer(r'^\.SS "?([a-z0-9]+)(.*?)(?=^\.S[SH] )', text, re.M | re.S):
        sections[match.group(1)] = sections.get(match.group(1), "") + match.group(0)
    return sections


def check_documented(source, commands):
    sections = man_sections(read(os.path.join(source, "packaging/man/k470-cli.1")))
    bash = read(os.path.join(source, "packaging/completion/k470-cli.bash"))
    zsh = read(os.path.join(source, "packaging/completion/_k470-cli"))
    bash_commands = re.search(r'_k470_cli_commands="([^"]*)"', bash).group(1).split()
    for name, options in commands.items():
        if name not in sections:
            fail(f"manual page: no section for command {name}")
        if name not in bash_commands:
            fail(f"bash completion: command {name} missing")
        if not re.search(rf"^\s*'{name}:", zsh, re.M):
            fail(f"zsh completion: command {name} missing")
        bash_case = re.search(rf"^\s*{name}\) echo \"([^\"]*)\"", bash, re.M)
        zsh_case = re.search(rf"^  {name}\)\n(.*?);;", zsh, re.M | re.S)
        for option in sorted(options):
            if option in ("-q", "--quiet"):
                continue  # every command takes them; the global part of each file names them
            described = sections.get(name, "")
            if option not in described and not (option == "--output" and re.search(r"\B-o\b", described)):
                fail(f"manual page: {name} {option} not described")
            if not bash_case or option not in bash_case.group(1).split():
                fail(f"bash completion: {name} {option} missing")
            if option == "-o" or option == "--output":
                found = zsh_case and "$out" in zsh_case.group(1)
            else:
                found = zsh_case and re.search(rf"{re.escape(option)}\b", zsh_case.group(1))
                found = found or (zsh_case and option in ("--records",) and "$records" in zsh_case.group(1))
                found = found or (zsh_case and option in ("--scale", "--calibration") and "$wavscale" in
                                  zsh_case.group(1))
                found = found or (zsh_case and option in ("--channel", "--record", "--start", "--length") and
                                  "$range" in zsh_case.group(1))
            if not found:
                fail(f"zsh completion: {name} {option} missing")


def check_manual_pages(source, version):
    for page in ("k470.1", "k470-cli.1", "k470-sim.1"):
        path = os.path.join(source, "packaging/man", page)
        header = re.search(r'^\.TH \S+ 1 \S+ "k470 ([^"]+)"', read(path), re.M)
        if not header or header.group(1) != version:
            fail(f"{page}: the title line does not carry version {version}")
        if have("groff"):
            result = run(["groff", "-t", "-man", "-z", "-wall", "-Tutf8", path])
            if result.returncode != 0 or result.stderr.strip():
                fail(f"{page}: groff: {result.stderr.strip()}")


def check_desktop_and_appstream(source, version):
    desktop = os.path.join(source, "packaging/k470.desktop")
    if have("desktop-file-validate"):
        result = run(["desktop-file-validate", desktop])
        if result.returncode != 0 or result.stdout.strip() or result.stderr.strip():
            fail(f"k470.desktop: {result.stdout.strip()} {result.stderr.strip()}")
    metainfo = [os.path.join(source, "packaging", f) for f in os.listdir(os.path.join(source, "packaging"))
                if f.endswith(".metainfo.xml")]
    if len(metainfo) != 1:
        fail("packaging/ holds not exactly one AppStream entry")
        return
    newest = re.search(r'<release version="([^"]+)"', read(metainfo[0]))
    if not newest or newest.group(1) != version:
        fail(f"AppStream entry: the newest release is not {version}")
    if have("appstreamcli"):
        result = run(["appstreamcli", "validate", "--no-net", "--pedantic", metainfo[0]])
        if result.returncode != 0 or re.search(r"^[EWI]: ", result.stdout, re.M):
            fail(f"appstreamcli validate: {result.stdout.strip()}")
    changelog = read(os.path.join(source, "packaging/changelog"))
    if not changelog.startswith(f"k470 ({version}) "):
        fail(f"changelog: the newest entry is not {version}")


BASH_CASES = [
    # words on the command line (the last one is being completed), completions expected among the offers
    (["ex"], {"export"}, set()),
    ([""], {"info", "levels", "fft", "rt60", "record", "--version"}, set()),
    (["export", "--"], {"--linear", "--csv", "--output", "--quiet", "--help"}, {"--mode"}),
    (["-q", "sdt2wav", "--mode", ""], {"separate", "channel", "record"}, set()),
    (["sdt2wav", "--rate", ""], {"device", "24000", "48000"}, set()),
    (["fft", "--window", ""], {"rect", "hann", "flattop", "blackman-harris"}, set()),
    (["rt60", "--bands", ""], {"octave", "third"}, set()),
    (["sample", "--sdt", ""], {"calibrator", "pink", "events", "room", "vibration"}, set()),
    (["export", ""], {"a.bin", "sub"}, {"b.sdt", "c.wav", "d.txt"}),
    (["sdt2txt", ""], {"b.sdt"}, {"a.bin", "c.wav"}),
    (["levels", ""], {"b.sdt", "c.wav"}, {"a.bin", "d.txt"}),
    (["percentiles", "--level", ""], set(), {"a.bin"}),
]


def check_completion(source):
    bash_file = os.path.join(source, "packaging/completion/k470-cli.bash")
    zsh_file = os.path.join(source, "packaging/completion/_k470-cli")
    if have("zsh"):
        result = run(["zsh", "-n", zsh_file])
        if result.returncode != 0:
            fail(f"zsh completion does not parse: {result.stderr.strip()}")
    result = run(["bash", "-n", bash_file])
    if result.returncode != 0:
        fail(f"bash completion does not parse: {result.stderr.strip()}")
        return
    with tempfile.TemporaryDirectory() as work:
        for name in ("a.bin", "b.sdt", "c.wav", "d.txt"):
            open(os.path.join(work, name), "w").close()
        os.mkdir(os.path.join(work, "sub"))
        for words, wanted, unwanted in BASH_CASES:
            line = ["k470-cli"] + words
            script = (f"source {bash_file}\nCOMP_WORDS=({' '.join(repr(w) for w in line)})\n"
                      f"COMP_CWORD={len(line) - 1}\n_k470_cli\nprintf '%s\\n' \"${{COMPREPLY[@]}}\"\n")
            result = run(["bash", "-c", script], cwd=work)
            offered = set(result.stdout.split())
            if result.returncode != 0 or not wanted <= offered or offered & unwanted:
                fail(f"bash completion of {' '.join(line)!r}: offers {sorted(offered)}, "
                     f"wanted {sorted(wanted)}, not {sorted(unwanted)} {result.stderr.strip()}")


def main(argv):
    source, version, cli, sim = os.path.abspath(argv[0]), argv[1], argv[2], argv[3]
    check_documented(source, cli_commands(cli))
    check_program_options(sim, "k470-sim.1", source)
    if len(argv) > 4:
        check_program_options(argv[4], "k470.1", source)
    check_manual_pages(source, version)
    check_desktop_and_appstream(source, version)
    check_completion(source)
    for message in failures:
        print("FAIL:", message)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
