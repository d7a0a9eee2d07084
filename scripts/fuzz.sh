#!/usr/bin/env bash
# Builds formats/ natively with clang, libFuzzer and the sanitizers in build-fuzz/, and fuzzes each
# of its entry points in turn, seeded from the repository's models and textures.
# Usage: fuzz.sh [seconds per target, 30 unless told] [--side-by-side]
# The targets run in turn, or all at once with --side-by-side, which a long run on few cores
# wants. Fails when any target finds something: a crash, a sanitizer's report, a leak, a broken
# property, a timeout or too much memory; the input that caused it is kept in
# build-fuzz/findings/<target>/.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
seconds=${1:-30}
side_by_side=${2:-}
if ! [[ $seconds =~ ^[1-9][0-9]*$ ]] || ! [[ $side_by_side =~ ^(--side-by-side)?$ ]]; then
    echo "usage: $0 [seconds per target] [--side-by-side]" >&2
    exit 2
fi
scripts/setup.sh

out=build-fuzz
[ -f $out/build.ninja ] || CXX=clang++ cmake -S formats/fuzz -B $out -G Ninja >/dev/null
cmake --build $out --parallel 2

# The seeds: the bundled scene, the test models with the textures beside them, and the larger
# collection beside the repository when it is there. Copied anew on each run, named by content.
seed_folders=(tests/data/x objektumok)
[ -d ../shared/testdata/x ] && seed_folders+=(../shared/testdata/x)
copy_seeds() {   # destination, then find's tests of a file's name
    local destination=$1 file
    shift
    rm -rf "$destination"
    mkdir -p "$destination"
    find "${seed_folders[@]}" -type f \( "$@" \) -print0 |
        while IFS= read -r -d '' file; do
            cp "$file" "$destination/$(sha1sum <"$file" | cut -c1-40)"
        done
}
copy_seeds $out/seeds/x -iname '*.x'
copy_seeds $out/seeds/images -iname '*.bmp' -o -iname '*.dds' -o -iname '*.tga' -o -iname '*.png' \
    -o -iname '*.jpg' -o -iname '*.jpeg'

export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}

# One target: its seeds and dictionary go by its name. Each run starts from the seeds alone, so
# that a run's length is the time given, however long the last one was.
fuzz() {
    local target=$1 seeds options
    case $target in
    FuzzXFile*) seeds=x options=(-max_len=1048576 -dict=formats/fuzz/xfile.dict) ;;
    FuzzImage*) seeds=images options=(-max_len=262144) ;;
    *) echo "$target: no seeds are known for a target of this name" >&2; return 1 ;;
    esac
    rm -rf $out/corpus/$target
    mkdir -p $out/corpus/$target $out/findings/$target $out/logs
    $out/$target -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix=$out/findings/$target/ "${options[@]}" $out/corpus/$target $out/seeds/$seeds \
        >$out/logs/$target.log 2>&1
}

# What a run that failed found, from its log: the input it kept (named crash-, leak-, timeout- or
# oom- by libFuzzer) and the first lines of the report.
report_finding() {
    local log=$1 kept
    kept=$(sed -n 's/.*Test unit written to //p' "$log" | tail -n 1)
    if [ -n "$kept" ]; then
        echo "  the input is kept in $kept"
    else
        echo "  failed without keeping an input"
    fi
    grep -m1 -A30 -E 'ERROR: |runtime error: |Property does not hold' "$log" || tail -n 30 "$log"
}

targets=()
for source in formats/fuzz/Fuzz*.cpp; do
    targets+=("$(basename "$source" .cpp)")
done
declare -A status
if [ -n "$side_by_side" ]; then
    declare -A pid
    for target in "${targets[@]}"; do
        fuzz "$target" &
        pid[$target]=$!
    done
    for target in "${targets[@]}"; do
        wait "${pid[$target]}" && status[$target]=0 || status[$target]=$?
    done
else
    for target in "${targets[@]}"; do
        fuzz "$target" && status[$target]=0 || status[$target]=$?
    done
fi

found=()
for target in "${targets[@]}"; do
    log=$out/logs/$target.log
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" 2>/dev/null || true)
    if [ "${status[$target]}" -eq 0 ]; then
        echo "$target: ${runs:-no} runs, found nothing"
    else
        echo "$target: ${runs:-no} runs, FOUND SOMETHING (exit code ${status[$target]}; log: $log)"
        report_finding "$log"
        found+=("$target")
    fi
done
if [ ${#found[@]} -gt 0 ]; then
    echo "Findings in ${found[*]}: the inputs are in $out/findings/" >&2
    exit 1
fi
