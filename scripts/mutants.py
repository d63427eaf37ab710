#!/usr/bin/env python3
"""The mutation check: does the test suite notice faults a user would notice?

Each entry of MUTANTS is a one-line change (the nth occurrence of `old` in `file` becomes
`new`). For each: apply it, rebuild incrementally, run every test program the change reaches
(the programs the build relinked; a program it did not relink cannot see the change), record
caught or missed, put the file back. Run through scripts/mutants.sh, which starts the test
services once. Arguments: ids to run (default all); --check only verifies that every entry
applies; --prior=LOG takes the output of an earlier run and tries the programs that caught each
fault then first (built alone): when one of them still fails the fault counts as caught without
the whole build, otherwise every program the change reaches is built and run as without it.
"""
import os
import re
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.join(ROOT, "build")

# (id, file, old, new, nth, what a user would see)
MUTANTS = [
    ("csv-quote", "results/Csv.cpp", "if (c == '\"')", "if (false && c == '\"')", 1,
     "CSV: a double quote in a value is not doubled"),
    ("csv-tab", "results/FormFile.cpp", 'text.isEmpty() ? QStringLiteral("\\t")',
     'text.isEmpty() ? QStringLiteral(",")', 1,
     "CSV copy and export: an emptied delimiter box gives commas, not tabs"),
    ("grid-lastrow", "results/GridText.cpp", "r <= toRow && r < grid.Rows()", "r < toRow && r < grid.Rows()", 1,
     "copy/export: the last row of the range is left out"),
    ("export-header", "results/GridText.cpp", "columnHeaders ? 0 : 1", "columnHeaders ? 0 : 0", 1,
     "export: the column names are written although Column Headers is cleared"),
    ("delete-header", "results/GridDeletes.cpp", "std::max(range.top, 1)", "std::max(range.top, 0)", 1,
     "grid delete: the header row is deleted with the rows"),
    ("edit-rollback", "results/RecordsetModel.cpp", "connection_.rollback();", "connection_.commit();", 1,
     "direct edit: a refused change is committed instead of rolled back"),
    ("edit-twoRows", "results/RecordsetModel.cpp", "if (changed != 1) {", "if (changed < 0) {", 1,
     "direct edit: an edit matching two rows without a key is kept"),
    ("exact-mysql", "results/ExactMatch.cpp", "COLLATE utf8mb4_nopad_bin", "COLLATE utf8mb4_bin", 1,
     "direct edit on MySQL: 'abc' and 'abc ' are one row"),
    ("exact-sqlite", "results/ExactMatch.cpp", "COLLATE BINARY\", true}", "COLLATE BINARY\", false}", 1,
     "direct edit on SQLite: 1 and 1.0 are one row"),
    ("cs-brace", "query/db/ConnectionString.cpp", 'QStringLiteral("}}")', 'QStringLiteral("}")', 1,
     "connection string: a } in a password is not doubled"),
    ("cs-pgport", "query/ConnectionSettings.cpp", 'QStringLiteral("5432")', 'QStringLiteral("5433")', 1,
     "PostgreSQL: the default port is wrong"),
    ("rowcount-update", "query/QueryRunner.cpp", 'start == QLatin1String("updat")',
     'start == QLatin1String("delet")', 1, "SQL type: an update shows no Affected Rows"),
    ("selection-always", "query/QueryRunner.cpp",
     "c.fromSelection = request.runOnlySelectedText && !request.selection.isEmpty();",
     "c.fromSelection = !request.selection.isEmpty();", 1,
     "run: the selection runs although Run Only Selected Text is off"),
    ("null-empty", "query/ResultPresentation.cpp", "values[j].empty() && result.isNull(int(j))",
     "values[j].empty()", 1, "grid: an empty text is marked NULL"),
    ("cancel-grid", "query/ResultPresentation.cpp", "while (!result.Eof() && keepReading())",
     "while (!result.Eof() && (keepReading() || true))", 1, "grid: Cancel does not stop the read"),
    ("log-part", "query/log/StatementLog.cpp",
     "const bool ends = end == text.size() || text.mid(end).startsWith(cut);",
     "const bool ends = end == text.size() || text.mid(end).startsWith(cut) || true;", 1,
     "statement log: a statement that begins an earlier entry is not written"),
    ("log-trim", "query/log/StatementLog.cpp", "while (end > 0 && text[end - 1] == QLatin1Char(' '))",
     "while (false && end > 0)", 1, "statement log: trailing spaces are written"),
    ("names-glue", "profiles/NameList.cpp", "text.replace(target, comma, Qt::CaseSensitive);",
     "text.replace(target, QString(), Qt::CaseSensitive);", 1,
     "profiles: deleting a name glues its neighbours together"),
    ("names-quote", "profiles/NameList.cpp", 'if (base.endsWith(QStringLiteral(",\\"")))', "if (false)", 1,
     "profiles: an earlier version's list gains a phantom quote name"),
    ("passwords-case", "profiles/PasswordTable.cpp", "name, Qt::CaseInsensitive) == 0",
     "name, Qt::CaseSensitive) == 0", 1, "passwords: 'a' and 'A' get two entries"),
    ("reserved-section", "profiles/Profile.cpp", "if (profile.isEmpty() || isReservedName(profile))",
     "if (profile.isEmpty())", 1, "profiles: a profile named Options writes into the program's settings"),
    ("quick-case", "profiles/QuickQueries.cpp", "!listed.contains(name, Qt::CaseInsensitive)",
     "!listed.contains(name, Qt::CaseSensitive)", 1, "quick queries: 'Foo' and 'foo' listed twice"),
    ("settings-case", "settings/SettingsStore.cpp", "return name.toCaseFolded();", "return name;", 1,
     "settings: keys written in one case are not read in another"),
    ("settings-key", "settings/Keys.h", 'LoadProfile{"Profiles", "LoadProfile", "0"}',
     'LoadProfile{"Profiles", "LoadProfile", "1"}', 1,
     "settings: the last profile opens at start without being asked"),
    ("form-check4", "app/Form1Workspace.cpp", "Check4->setChecked(f.saveAllStatements);",
     "Check4->setChecked(f.saveCurrentStatement);", 1,
     "window: choosing a profile sets the second box from the first"),
    ("form-exit", "app/Form1.cpp", 'if (ui::askYesNo(QStringLiteral("Are You sure you want to Exit")))',
     'if (ui::askYesNo(QStringLiteral("Are You sure you want to Exit")) || true)', 1,
     "window: Exit ends the program although the answer is No"),
    ("form-quickremove", "app/Form1Workspace.cpp", "Combo4->removeItem(i);", "(void)i;", 1,
     "window: a removed quick query stays in the list"),
    ("tools-bracket", "tools/ObjectName.cpp", 'QLatin1String("]]")', 'QLatin1String("]")', 1,
     "tools: a ] in a table name is not doubled, so the name ends early"),
    ("compare-null", "tools/ObjectCompare.cpp", "null1 != set2.isNull(c) || ", "", 1,
     "compare: a NULL and an empty text are reported equal"),
    ("finder-systems", "tools/ValueFinder.cpp", "return checkSystems && (type", "return (checkSystems || true) && (type", 1,
     "finder: system tables and views are searched without Check Systems"),
    ("watch-one", "tools/LockWatch.cpp", "frame_.checkForLocks() && waiting != 0",
     "frame_.checkForLocks() && waiting > 1", 1, "lock watch: a single waiting lock sends no notice"),
    ("mail-dotstuff", "mail/MailMessage.cpp", "line.prepend(QLatin1Char('.'));", "(void)line;", 1,
     "mail: a body line that starts with a dot is not doubled"),
    ("grid-compact", "ui/GridCellStore.cpp", "c.offset = std::uint32_t(at);", "(void)at;", 1,
     "grid: after many edits the cells show other cells' text"),
    ("text-cr", "ui/TextLines.cpp", "if (end > begin && text_[end - 1] == '\\r')", "if (false)", 1,
     "plain text: lines read from CRLF text keep a carriage return"),
]


def locate(text, old, nth):
    at = -1
    for _ in range(nth):
        at = text.find(old, at + 1)
        if at < 0:
            return -1
    return at


def mutated(entry):
    _, file, old, new, nth, _ = entry
    path = os.path.join(ROOT, file)
    with open(path, encoding="utf-8") as f:
        text = f.read()
    at = locate(text, old, nth)
    if at < 0:
        raise SystemExit(f"mutants: {file}: occurrence {nth} of {old!r} not found")
    return path, text, text[:at] + new + text[at + len(old):]


def programs():
    found = {}
    for dirpath, _, files in os.walk(os.path.join(BUILD, "tests")):
        for name in files:
            p = os.path.join(dirpath, name)
            if name.endswith("_test") and os.access(p, os.X_OK):
                found[name] = os.stat(p).st_mtime_ns
    exe = os.path.join(BUILD, "app", "quorvane")
    if os.path.exists(exe):
        found["quorvane"] = os.stat(exe).st_mtime_ns
    return found


def build(targets=()):
    if not targets:
        command = ["bash", os.path.join(ROOT, "scripts", "build.sh")]
    else:
        command = ["cmake", "--build", BUILD, "--parallel", str(os.cpu_count() or 1), "--target", *targets]
    return subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0


def prior_catchers(path, mutant):
    """The programs that caught `mutant` in the earlier run's output; waits while that run is
    still going and has not reached it yet."""
    while True:
        with open(path, encoding="utf-8") as f:
            text = f.read()
        m = re.search(r"^" + re.escape(mutant) + r"\s+(\S+)\s.*\[(.*)\]\s*$", text, re.M)
        if m:
            return m.group(2).split() if m.group(1) == "caught" else []
        if re.search(r"^mutants: \d+ of \d+ caught", text, re.M):
            return []
        time.sleep(10)


def run_tests(names):
    pattern = "^(" + "|".join(sorted(names)) + ")$"
    out = subprocess.run(["ctest", "--test-dir", BUILD, "--parallel", str(os.cpu_count() or 1), "-R", pattern],
                         stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True).stdout
    failed = re.findall(r"^\s*\d+ - (\S+) \(", out, re.M)
    return sorted(set(failed))


def main(args):
    check = "--check" in args
    prior = None
    for a in args:
        if a.startswith("--prior="):
            prior = a.split("=", 1)[1]
    ids = [a for a in args if not a.startswith("--")]
    chosen = [m for m in MUTANTS if not ids or m[0] in ids]
    for m in chosen:
        mutated(m)
    if check:
        print(f"mutants: all {len(chosen)} entries apply")
        return 0
    if not build():
        raise SystemExit("mutants: the unchanged tree does not build")
    caught = 0
    rows = []
    for m in chosen:
        path, original, changed = mutated(m)
        before = programs()
        known = [t for t in prior_catchers(prior, m[0]) if t in before] if prior else []
        started = time.time()
        try:
            with open(path, "w", encoding="utf-8") as f:
                f.write(changed)
            extra = ["quorvane"] if "app_habits_test" in known else []
            failing = run_tests(known) if known and build(known + extra) else []
            if failing:
                verdict = "caught"
            elif not build():
                verdict, failing = "no-build", []
            else:
                after = programs()
                reached = {n for n, t in after.items() if before.get(n) != t}
                if "quorvane" in reached:
                    reached.discard("quorvane")
                    reached.add("app_habits_test")  # runs the program itself
                failing = run_tests(reached) if reached else []
                verdict = "caught" if failing else "MISSED"
        finally:
            # The mutated object is rebuilt from the restored file on the next build (the
            # file's time is new, so the build cannot mistake the mutant for it).
            with open(path, "w", encoding="utf-8") as f:
                f.write(original)
        caught += verdict == "caught"
        row = f"{m[0]:18} {verdict:8} {int(time.time() - started):4}s  {m[5]}  [{' '.join(failing)}]"
        rows.append(row)
        print(row, flush=True)
    build()
    print(f"mutants: {caught} of {len(chosen)} caught")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
