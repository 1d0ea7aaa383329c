#!/usr/bin/env python3
"""Plants one fault at a time in the sources and reports whether the tests notice it.

Usage: scripts/mutants.py LIST [--tree DIR] [--build DIR] [--only ID,ID...]

LIST holds one fault a line: "<file>: <old text> => <new text>", with "\\n" for a line break
in either text; a line starting with "#" is a comment. The old text must occur exactly once in
the file (append "@N" to the file name to take its N-th occurrence instead). Each fault is
written into the file of the tree (default: this checkout), the test program of that file's
side is rebuilt in the build folder (default: TREE/build) and run; the file is then restored.
A fault whose tree no longer builds is reported as such, not as caught. Faults in the Qt
platform or the application run the widget tests, all others the plain C++ tests (without the
slow sound-library and default-skin suites, which do not touch the game).
"""
import argparse
import os
import subprocess
import sys
import time


def parse(path):
    faults = []
    for number, line in enumerate(open(path, encoding="utf-8"), 1):
        line = line.rstrip("\n")
        if not line.strip() or line.lstrip().startswith("#"):
            continue
        where, _, change = line.partition(": ")
        old, sep, new = change.partition(" => ")
        if not sep:
            sys.exit(f"{path}:{number}: no ' => ' in the line")
        nth = 0
        if "@" in where:
            where, _, n = where.partition("@")
            nth = int(n)
        faults.append((number, where, old.replace("\\n", "\n"), new.replace("\\n", "\n"), nth))
    return faults


def plant(text, old, new, nth):
    count = text.count(old)
    if nth == 0:
        if count != 1:
            return None, f"old text found {count} times"
        return text.replace(old, new), ""
    if count < nth:
        return None, f"old text found {count} times, wanted occurrence {nth}"
    at = -1
    for _ in range(nth):
        at = text.find(old, at + 1)
    return text[:at] + new + text[at + len(old):], ""


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("list")
    ap.add_argument("--tree", default=os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    ap.add_argument("--build")
    ap.add_argument("--only", default="")
    ap.add_argument("--check", action="store_true", help="only check that every fault can be planted")
    args = ap.parse_args()
    build = args.build or os.path.join(args.tree, "build")
    only = {int(x) for x in args.only.split(",") if x}
    results = {"caught": 0, "SURVIVED": 0, "no-build": 0, "bad-line": 0}
    for number, rel, old, new, nth in parse(args.list):
        if only and number not in only:
            continue
        path = os.path.join(args.tree, "src", rel) if not rel.startswith(("src/", "tests/")) else os.path.join(args.tree, rel)
        original = open(path, encoding="utf-8").read()
        mutated, problem = plant(original, old, new, nth)
        if mutated is None:
            results["bad-line"] += 1
            print(f"bad-line  {number:4d} {rel}: {problem}", flush=True)
            continue
        if args.check:
            continue
        gui = rel.startswith(("platform/qt/", "app/", "src/platform/qt/", "src/app/"))
        target = "kt_gui_tests" if gui else "kt_unit_tests"
        started = time.time()
        try:
            with open(path, "w", encoding="utf-8") as f:
                f.write(mutated)
            made = subprocess.run(["cmake", "--build", build, "-j2", "--target", target],
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            if made.returncode != 0:
                status = "no-build"
            else:
                cmd = [os.path.join(build, "tests", target), "--gtest_brief=1"]
                if not gui:
                    cmd.append("--gtest_filter=-SdlSoundTest.*:DefaultSkin.*")
                env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
                try:
                    ran = subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                         env=env, timeout=300)
                    status = "caught" if ran.returncode != 0 else "SURVIVED"
                except subprocess.TimeoutExpired:
                    status = "caught"  # a hang is noticed too
        finally:
            with open(path, "w", encoding="utf-8") as f:
                f.write(original)
        results[status] += 1
        shown = " ".join(old.split())[:60] + " => " + " ".join(new.split())[:40]
        print(f"{status:9s} {number:4d} {rel}: {shown}  ({time.time() - started:.0f} s)", flush=True)
    print("summary: " + ", ".join(f"{k} {v}" for k, v in results.items()), flush=True)


if __name__ == "__main__":
    main()
