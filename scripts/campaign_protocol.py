"""Running campaign_runner.exe under Wine: its lines, its timeouts, and the findings it leaves."""

import dataclasses
import os
import queue
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
from pathlib import Path

from campaign_cases import REPO, copy_textures, windows_path

WINE_RUN = REPO / "scripts" / "wine-run.sh"
CASES_BEFORE = 3              # kept with a finding: damage to the heap can show later
STARTUP_SECONDS = 120         # the first start may make the Wine prefix
SILENCE_MARGIN = 20           # beyond the runner's own timeout, before it counts as stuck


def runner_environment():
    """The runner's path and the environment to run it in: the build the tests use, a virtual
    display of its own for each start, as the tests have, and a Wine prefix of its own. A Wine
    program ends when its prefix's server is ended, with status 1: in the tests' prefix every
    test's clean-up ended the runner, and each of the campaign's ended the tests' programs."""
    env = dict(os.environ)
    env.pop("DISPLAY", None)
    build = Path(env.get("VIEWER_BUILD_DIR", REPO / "build"))
    env.setdefault("CRASH_GUARD_EXE", str(build / "crash_guard.exe"))
    # Beside the tests' prefixes, named as scripts/wine-run.sh wants it for each Direct3D 9.
    suffix = "-dxvk" if env.get("PELGRAV_D3D9") == "dxvk" else ""
    env["WINEPREFIX"] = str(build / f"wineprefix-campaign{suffix}")
    return Path(env.get("CAMPAIGN_RUNNER_EXE", build / "tests" / "campaign_runner.exe")), env


def read_lines(stream, lines):
    for line in stream:
        lines.put(line.split())
    lines.put(None)


def stop(process, env):
    """Ends a runner that went silent: its process group (Wine, the guard, the display) and the
    prefix's server with whatever it still runs."""
    os.killpg(process.pid, signal.SIGKILL)
    process.wait()
    subprocess.run(["wineserver", "-k"], env=env, stderr=subprocess.DEVNULL, timeout=60)


def run_runner(runner, env, list_file, first, timeout):
    """The runner's lines from case `first` on, how it ended ("" when it ended well, else the crash
    guard's line or why not) and what that makes of the case it was on: "", "crashed" (the guard
    saw a fault, or the runner died) or "hung" (it went silent, or did not end)."""
    command = [str(WINE_RUN), str(runner), windows_path(list_file), str(first), str(timeout)]
    with tempfile.TemporaryFile() as errors:
        process = subprocess.Popen(command, cwd=REPO, env=env, stdin=subprocess.DEVNULL,
                                   stdout=subprocess.PIPE, stderr=errors, text=True,
                                   start_new_session=True)
        lines, said, wait = queue.Queue(), [], STARTUP_SECONDS
        threading.Thread(target=read_lines, args=(process.stdout, lines), daemon=True).start()
        while True:
            try:
                words = lines.get(timeout=wait)
            except queue.Empty:
                stop(process, env)
                return said, f"the runner said nothing for {wait} s", "hung"
            if words is None:
                break
            said.append(words)
            wait = timeout + SILENCE_MARGIN
        try:
            status = process.wait(timeout=wait)
        except subprocess.TimeoutExpired:
            stop(process, env)
            return said, f"the runner did not end within {wait} s of its last line", "hung"
        errors.seek(0)
        guard = [line for line in errors.read().decode(errors="replace").splitlines()
                 if "crash_guard" in line]
        if guard:
            return said, guard[-1], "crashed"
        if status:
            return said, f"the runner ended with status {status}", "crashed"
        return said, "", ""


def settle(cases, said, ending, verdict, timeout):
    """Gives each case the runner reached its outcome; returns the number of the one it reached
    last, or None when it started none. The case running when the runner died, or the last one when
    it died while ending, is the one that crashed or hung it."""
    current, done = None, False
    for words in said:
        index = int(words[1]) if len(words) > 1 and words[1].isdigit() else None
        if index is not None and not 0 <= index < len(cases):
            continue
        if words[0] == "start" and index is not None:
            current = index
        elif words[0] == "case" and index is not None:
            loaded = words[2:] == ["loaded", "0"]
            cases[index].outcome, cases[index].note = "loaded" if loaded else "refused", " ".join(words[2:])
        elif words[0] == "crash" and index is not None and len(words) > 2:
            cases[index].outcome, cases[index].note = "crashed", "exception " + words[2].upper()
        elif words[0] == "hang" and index is not None:
            cases[index].outcome, cases[index].note = "hung", f"no answer within {timeout} s"
        done = done or words == ["done"]
    if current is None:
        return None
    culprit = cases[current]
    if (verdict or not done) and culprit.outcome not in ("crashed", "hung"):
        later = " (after its load)" if culprit.outcome else ""
        culprit.outcome = verdict or "hung"
        culprit.note = (ending or "the runner ended before it said done") + later
    return current


def run_cases(cases, scratch, runner, env, timeout, keep):
    """Runs the cases in order in one runner, and in a new one from the next case after each
    crash or hang; each such case is run again alone, and `keep` is given it with those run before
    it in the same runner."""
    list_file = scratch.root / "cases.txt"
    list_file.write_text("".join(windows_path(scratch.write(case)) + "\n" for case in cases))
    first = 0
    while first < len(cases):
        said, ending, verdict = run_runner(runner, env, list_file, first, timeout)
        last = settle(cases, said, ending, verdict, timeout)
        if last is None:
            sys.exit(f"campaign: the runner started no case: {' '.join(map(' '.join, said))} {ending}")
        if cases[last].outcome in ("crashed", "hung"):
            confirm_alone(cases[last], scratch, runner, env, timeout)
            keep(cases[last], cases[max(first, last - CASES_BEFORE):last])
        first = last + 1
    for case in cases:
        scratch.remove(case)


def confirm_alone(case, scratch, runner, env, timeout):
    """Runs a case that crashed or hung its runner again, alone in a fresh runner with the same
    timeout: one that then loads or is refused is flaky, and no finding of its own."""
    alone = scratch.root / "alone.txt"
    alone.write_text(windows_path(scratch.root / case.files[0]) + "\n")
    again = dataclasses.replace(case, outcome="", note="")
    said, ending, verdict = run_runner(runner, env, alone, 0, timeout)
    if settle([again], said, ending, verdict, timeout) is None or again.outcome in ("crashed", "hung"):
        case.note += f"; alone again: {again.outcome or 'not started'} {again.note or ending}".rstrip()
        return
    case.note = f"{case.outcome} with the others ({case.note}), {again.outcome} alone ({again.note})"
    case.outcome = "flaky"


def keep_finding(scratch, findings, seed, case, before):
    """Copies the case and those before it, with the textures they name, into a folder of its
    own, with the list that runs them again in the same order and what each one is."""
    folder = findings / f"seed{seed}-case{case.name}-{case.outcome}"
    shutil.rmtree(folder, ignore_errors=True)
    for run in before + [case]:
        group = scratch.group(run.source)
        if not (folder / group).exists() and run.source.folder is not None:
            copy_textures(run.source.folder, folder / group)
        for name in run.files:
            (folder / name).parent.mkdir(parents=True, exist_ok=True)
            shutil.copyfile(scratch.root / name, folder / name)
    runs = before + [case]
    (folder / "cases.txt").write_text("".join(windows_path(folder / run.files[0]) + "\n" for run in runs))
    (folder / "cases.tsv").write_text("".join(
        "\t".join((run.name, run.source.kind, run.mutation, run.source.name, run.detail, run.outcome,
                   run.note)) + "\n" for run in runs))
    case.finding = folder
