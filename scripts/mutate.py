#!/usr/bin/env python3
"""Mutation testing of the files that carry Velmora's behaviour.

Each mutant is one small change to one line of a source file, of the kinds a regular-expression
mutation tool makes (a comparison turned round, + for -, && for ||, a constant off by one, true
for false, a statement left out). The sample is fixed: the file list below and a seed pick the
same mutants every time, so that the suite can be measured before and after a change to the
tests. For each mutant the script rebuilds what the file goes into, runs the tests of that area
and records whether a test failed (killed), all passed (survived) or the mutant did not compile
(invalid, not counted).

    scripts/mutate.py [--build DIR] [--count N] [--seed S] [--only ID,ID] [--report FILE]
                      [--list] [--save FILE] [--sample FILE]

--save writes the drawn sample (one JSON object a line) and stops; --sample runs a saved one.
A saved mutant is found again by its line's text (the nearest line with that text), so a sample
drawn before a change to the sources still applies after it; a mutant whose line is gone is
reported as "gone" and not counted.

The source tree is changed in place while a mutant runs and restored afterwards (also on Ctrl-C).
The build folder must be configured with tests on and warnings not as errors:
    cmake -S . -B build-mutants -DVELMORA_BENCH=OFF -DVELMORA_WERROR=OFF
"""

import argparse
import json
import os
import random
import re
import signal
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# The files under test and the test programs (in BUILD/tests) that cover their area.
AREAS = {
    "cats": (["cats/dog_movement.cpp", "cats/dog_collisions.cpp", "cats/dog_control.cpp",
              "cats/footprints.cpp", "cats/one_dog.cpp"],
             ["cats_tests", "scene_tests", "toys_tests"]),
    "toys": (["toys/one_toy.cpp", "toys/rope_simulation.cpp"], ["toys_tests", "cats_tests"]),
    "scene": (["scene/camera.cpp", "scene/overlay.cpp", "scene/ssmain.cpp", "scene/frustum.cpp"],
              ["scene_tests"]),
    "model": (["model/ms3d.cpp", "model/playback.cpp", "model/one_model.cpp",
               "model/skeleton.cpp"],
              ["model_tests", "model_gl_tests", "robust_tests"]),
    "packs": (["assets/resfile.cpp", "assets/tga.cpp", "assets/texture.cpp",
               "assets/pack_textures.cpp", "assets/regular_file.cpp"],
              ["assets_tests", "robust_tests"]),
    "settings": (["host/settings.cpp", "platform/keyfile_store.cpp"],
                 ["settings_tests", "settings_sheet_tests", "host_view_tests"]),
    "view": (["host/velmora_view.cpp"], ["host_view_tests"]),
    "pictures": (["assets/background_pictures.cpp", "host/background_source.cpp",
                  "platform/desktop_picture.cpp", "platform/wallpaper_config.cpp",
                  "platform/gnome_slideshow.cpp"],
                 ["background_tests", "host_view_tests"]),
}

# (name, pattern, replacement): applied to one match on one line.
OPERATORS = [
    ("lt-le", r"(?<![<<-])<(?![<=])", "<="),
    ("le-lt", r"<=", "<"),
    ("gt-ge", r"(?<![->])>(?![>=])", ">="),
    ("ge-gt", r">=", ">"),
    ("eq-ne", r"==", "!="),
    ("ne-eq", r"!=", "=="),
    ("and-or", r"&&", "||"),
    ("or-and", r"\|\|", "&&"),
    ("plus-minus", r"(?<=\s)\+(?=\s)", "-"),
    ("minus-plus", r"(?<=\s)-(?=\s)", "+"),
    ("times-div", r"(?<=\s)\*(?=\s)", "/"),
    ("div-times", r"(?<=\s)/(?=\s)", "*"),
    ("true-false", r"\btrue\b", "false"),
    ("false-true", r"\bfalse\b", "true"),
    ("not-drop", r"(?<![!=])!(?!=)", ""),
    ("int-plus1", r"(?<![\w.])(\d+)(?![\w.])", lambda m: str(int(m.group(1)) + 1)),
    ("float-half", r"(?<![\w.])(\d+\.\d+)f?(?![\w.])", lambda m: repr(float(m.group(1)) / 2)),
    ("inc-dec", r"\+\+", "--"),
    ("plus-eq", r"\+=", "-="),
    ("minus-eq", r"-=", "+="),
]

# Lines that are not worth mutating: comments, preprocessor lines, declarations of includes,
# assertions of layout, log texts.
SKIP_LINE = re.compile(r"^\s*(//|#|\*|/\*|static_assert|namespace|}|\{|case\b.*:$)")
STATEMENT = re.compile(r"^\s+[A-Za-z_][\w:.\->\[\]]*(\(.*\)|\s*[-+*/]?=\s*.+);\s*$")


def code_part(line):
    """The line without a trailing comment or string literals (so operators inside them are
    left alone)."""
    out, i, quote = [], 0, None
    while i < len(line):
        c = line[i]
        if quote:
            if c == "\\":
                out.append("  ")
                i += 2
                continue
            out.append(" ")
            if c == quote:
                quote = None
        elif c in "\"'":
            quote = c
            out.append(" ")
        elif line.startswith("//", i):
            break
        else:
            out.append(c)
        i += 1
    return "".join(out)


def mutants_of(path):
    with open(os.path.join(ROOT, path)) as f:
        lines = f.read().split("\n")
    found = []
    for number, line in enumerate(lines, 1):
        if SKIP_LINE.match(line) or not line.strip():
            continue
        code = code_part(line)
        if "#include" in code or "TEXT(" in code:
            continue
        for name, pattern, replacement in OPERATORS:
            for match in re.finditer(pattern, code):
                new = replacement(match) if callable(replacement) else replacement
                mutated = line[:match.start()] + new + line[match.end():]
                if mutated != line:
                    found.append((path, number, name, line, mutated))
        if STATEMENT.match(code) and "return" not in code:
            found.append((path, number, "drop-statement", line, ""))
    return found


def sample(count, seed):
    """Spreads the count over the areas in proportion to their mutants, at least 8 an area."""
    rng = random.Random(seed)
    per_area = {area: [m for f in files for m in mutants_of(f)]
                for area, (files, _) in AREAS.items()}
    total = sum(len(v) for v in per_area.values())
    chosen = []
    for area in sorted(per_area):
        pool = per_area[area]
        want = max(8, round(count * len(pool) / total))
        for m in rng.sample(pool, min(want, len(pool))):
            chosen.append((area,) + m)
    chosen.sort(key=lambda m: (m[1], m[2], m[3]))
    return [("M%03d" % i,) + m for i, m in enumerate(chosen, 1)]


def run(command, timeout):
    try:
        done = subprocess.run(command, cwd=ROOT, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, timeout=timeout)
        return done.returncode
    except subprocess.TimeoutExpired:
        return "timeout"


def find_line(lines, number, original):
    """The line number holding `original` nearest to `number`, or None."""
    hits = [i + 1 for i, line in enumerate(lines) if line == original]
    return min(hits, key=lambda n: abs(n - number)) if hits else None


def try_mutant(build, mutant):
    ident, area, path, number, name, original, mutated = mutant
    full = os.path.join(ROOT, path)
    if not os.path.exists(full):
        return "gone"
    with open(full) as f:
        text = f.read()
    lines = text.split("\n")
    number = find_line(lines, number, original)
    if number is None:
        return "gone"
    lines[number - 1] = mutated
    tests = AREAS[area][1]
    try:
        with open(full, "w") as f:
            f.write("\n".join(lines))
        if run(["cmake", "--build", build, "-j2", "--target"] + tests, 900) != 0:
            return "invalid"
        env_timeout = 120
        for test in tests:
            status = run([os.path.join(build, "tests", test), "--gtest_brief=1"], env_timeout)
            if status != 0:
                return "killed"
        return "survived"
    finally:
        with open(full, "w") as f:
            f.write(text)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", default="build-mutants")
    parser.add_argument("--count", type=int, default=120)
    parser.add_argument("--seed", type=int, default=20261207)
    parser.add_argument("--only", default="")
    parser.add_argument("--report", default="")
    parser.add_argument("--list", action="store_true")
    parser.add_argument("--save", default="")
    parser.add_argument("--sample", default="")
    args = parser.parse_args()
    build = os.path.abspath(os.path.join(ROOT, args.build))

    if args.sample:
        with open(args.sample) as f:
            mutants = [tuple(json.loads(line)) for line in f if line.strip()]
    else:
        mutants = sample(args.count, args.seed)
    if args.save:
        with open(args.save, "w") as f:
            for m in mutants:
                f.write(json.dumps(list(m)) + "\n")
        return 0
    if args.only:
        wanted = set(args.only.split(","))
        mutants = [m for m in mutants if m[0] in wanted]
    if args.list:
        for ident, area, path, number, name, original, mutated in mutants:
            print(f"{ident}\t{area}\t{path}:{number}\t{name}\t{mutated.strip() or '(removed)'}")
        return 0

    # Ctrl-C restores the file of the running mutant (try_mutant's finally) before leaving.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(130))
    results = []
    report = open(args.report, "w") if args.report else None
    for mutant in mutants:
        ident, area, path, number, name, original, mutated = mutant
        started = time.time()
        outcome = try_mutant(build, mutant)
        results.append((mutant, outcome))
        line = (f"{ident}\t{outcome}\t{area}\t{path}:{number}\t{name}\t"
                f"{original.strip()}\t=>\t{mutated.strip() or '(removed)'}")
        print(f"{line}\t{time.time() - started:.0f}s", flush=True)
        if report:
            report.write(line + "\n")
            report.flush()
    # The build is left matching the restored sources.
    run(["cmake", "--build", build, "-j2"], 1800)
    killed = sum(1 for _, o in results if o == "killed")
    survived = sum(1 for _, o in results if o == "survived")
    invalid = sum(1 for _, o in results if o == "invalid")
    gone = sum(1 for _, o in results if o == "gone")
    score = killed / (killed + survived) if killed + survived else 0.0
    summary = (f"mutants: {len(results)}; killed {killed}, survived {survived}, "
               f"invalid {invalid}, gone {gone}; score {score:.3f}")
    print(summary)
    if report:
        report.write("# " + summary + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
