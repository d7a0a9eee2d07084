"""The campaign's report: how many cases of each format and family loaded, were refused, crashed
or hung, or did so only among the others (flaky), and each case of the last three."""

from collections import Counter

OUTCOMES = ("loaded", "refused", "flaky", "crashed", "hung")


def report(cases, seconds, families):
    """Prints the counts by format, each family's and then the format's all together, in the
    order of `families`, the (format, family, change) table the cases were made from."""
    counts = Counter((case.source.kind, case.mutation, case.outcome) for case in cases)
    width = max(len(name) for _, name, _ in families) + 1
    print(f"{len(cases)} cases in {seconds:.0f} s")
    print(f"{'format':8} {'mutation':{width}}" + "".join(f"{outcome:>9}" for outcome in OUTCOMES))
    for kind in dict.fromkeys(kind for kind, _, _ in families):
        for name in [name for family_kind, name, _ in families if family_kind == kind] + [None]:
            row = [sum(n for (k, m, o), n in counts.items() if k == kind and name in (None, m) and o == outcome)
                   for outcome in OUTCOMES]
            if any(row):
                print(f"{kind:8} {name or 'all':{width}}" + "".join(f"{n:9}" for n in row))
    for case in cases:
        if case.outcome in ("flaky", "crashed", "hung"):
            print(f"{case.outcome} case {case.name}: {case.source.kind} {case.mutation} of {case.source.name}: "
                  f"{case.detail}; {case.note}; kept in {case.finding}")
