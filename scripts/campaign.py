#!/usr/bin/env python3
"""A campaign of malformed files: .x models (text, binary, compressed) and the images they name,
made from the sample scene and the bundled real files with a fixed seed, and loaded in sequence
through the viewer's own loading code by campaign_runner.exe under Wine, in a Wine prefix of its
own (build/wineprefix-campaign). Prints what loaded, was refused, crashed or hung, per format and
mutation. A case that crashed or hung its runner is run again alone in a fresh one: only when it
crashes or hangs again does it count as crashed or hung; when it then loads or is refused it is
flaky. Every such case is kept, with the few loaded before it in the same process, in the
findings folder. Exits 1 when any case crashed or hung, flaky ones aside.

    python3 scripts/campaign.py --cases 10000 [--seed S] [--findings DIR] [--timeout S]

Case i is made from the seed and i alone, so any case can be made again. Before the cases, every
unmutated source is loaded once: each must load with no box, or the campaign stops (exit 2). A
case counts as loaded when its model loaded with no message box, as refused when the viewer
refused the model or one of its textures. The runner is build/tests/campaign_runner.exe
(VIEWER_BUILD_DIR names another build), run through scripts/wine-run.sh from the repository root;
so is a finding again: scripts/wine-run.sh build/tests/campaign_runner.exe <finding>/cases.txt.
"""

import argparse
import sys
import tempfile
import time
from pathlib import Path

# The campaign's parts lie beside this script, which Python puts first on the module path
# whether it is run from the repository's root, from CMake or from anywhere else.
from campaign_cases import FAMILIES, REPO, Case, Scratch, image_sources, make_case, mesh_sources
from campaign_images import REFUSED_SOURCES
from campaign_protocol import keep_finding, run_cases, runner_environment
from campaign_report import report

BATCH = 500                   # cases written and run at a time


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cases", type=int, default=1000)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--findings", type=Path, default=REPO / "build" / "campaign-findings")
    parser.add_argument("--timeout", type=float, default=10, help="seconds one case may take")
    args = parser.parse_args()
    runner, env = runner_environment()
    sources = mesh_sources() + image_sources()
    by_kind = {kind: [source for source in sources if source.kind == kind] for kind, _, _ in FAMILIES}
    started = time.monotonic()
    with tempfile.TemporaryDirectory(prefix="campaign-") as root:
        scratch = Scratch(root)

        def keep(case, before):
            keep_finding(scratch, args.findings.resolve(), args.seed, case, before)

        # The unmutated sources first: a case is worth something only if its source loads.
        baselines = [Case(f"base{k}", source, "none", "unmutated", source.data)
                     for k, source in enumerate(sources)]
        run_cases(baselines, scratch, runner, env, args.timeout, keep)
        failed = [case for case in baselines
                  if case.outcome != ("refused" if case.source.name in REFUSED_SOURCES else "loaded")]
        for case in failed:
            print(f"campaign: the unmutated {case.source.name} ({case.source.kind}) did not go as it should: "
                  f"{case.outcome} {case.note}", file=sys.stderr)
        if failed:
            return 2
        print(f"campaign: all {len(baselines)} unmutated sources load with no box, but for the "
              f"{len(REFUSED_SOURCES)} refused on purpose", file=sys.stderr)
        cases = []
        for start in range(0, args.cases, BATCH):
            batch = [make_case(args.seed, n, by_kind) for n in range(start, min(args.cases, start + BATCH))]
            run_cases(batch, scratch, runner, env, args.timeout, keep)
            cases += batch
            bad = sum(case.outcome in ("crashed", "hung") for case in cases)
            flaky = sum(case.outcome == "flaky" for case in cases)
            print(f"campaign: {len(cases)} of {args.cases} cases, {bad} crashed or hung, {flaky} flaky, "
                  f"{time.monotonic() - started:.0f} s", file=sys.stderr)
    report(cases, time.monotonic() - started, FAMILIES)
    return 1 if any(case.outcome in ("crashed", "hung") for case in cases) else 0


if __name__ == "__main__":
    sys.exit(main())
