#!/usr/bin/env bash
# Builds the benchmarks (bench/) in build-bench/, runs them on a virtual display of their own with
# a private Wine prefix, and prints the machine and one table: the viewer against bare Direct3D 9
# + D3DX doing the same work. It measures and prints; no figure makes it fail.
# Usage: bench.sh   (TESTDATA may name the folder holding dxsdk/C++/Direct3D/EffectParam/car2.x;
# without it the load is measured on the largest of the repository's own test files; both are
# compressed binary files. The sample scene's text file is loaded as well.)
# PELGRAV_D3D9=dxvk runs both sides on DXVK instead of Wine's own Direct3D 9.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source scripts/d3d9-choice.sh
d3d9_check_choice
scripts/setup.sh
cmake --no-warn-unused-cli -S . -B build-bench -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DVIEWER_BENCHMARKS=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build build-bench >/dev/null

bin=build-bench/bench
startup_runs=20   # even, so that each side goes first equally often
testdata=${TESTDATA:-$(cd .. && pwd)/shared/testdata/x}
model=$testdata/dxsdk/C++/Direct3D/EffectParam/car2.x
[ -f "$model" ] || model="$PWD/tests/data/x/dxsdk/Media/PRT Demo/Head_Sad.x"
model_windows="Z:${model//\//\\}"   # Wine's Z: drive is the Linux root
sample_model='objektumok\haz\map02.x'   # the sample scene's largest: text, bitmaps
many_model='objektumok\csempe\csempe.x'   # 128 materials naming 8 bitmaps

export WINEPREFIX=$(d3d9_prefix "$PWD/build-bench/wineprefix")
export CRASH_GUARD_EXE=$PWD/build-bench/crash_guard.exe
results=build-bench/bench-results.txt   # every figure as the programs printed it
: >"$results"
display_file=$(mktemp)
run_output=$(mktemp -d)
xvfb_pid=
# Runs to its end on every way out, whatever fails in it (Xvfb may be gone already), and keeps
# the run's exit code; no signal cuts it short.
cleanup() {
    local status=$?
    set +e
    trap '' INT TERM HUP QUIT
    wineserver -k 2>/dev/null
    [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null
    rm -rf "$display_file" "$run_output"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 131' QUIT
trap 'exit 143' TERM

# One display and one lasting Wine server for every run: each program starts warm, and
# wine-run.sh leaves both alone when DISPLAY is set.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$display_file" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$display_file")"
scripts/wine-run.sh cmd /c exit </dev/null >/dev/null 2>&1   # makes the prefix the first time
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
wineserver -p </dev/null >/dev/null 2>&1
scripts/wine-run.sh cmd /c exit </dev/null >/dev/null 2>&1

# Runs one benchmark from the repository folder, which holds objektumok/; tags each line. A
# benchmark that fails is reported with its exit code and, when it crashed, the crash line.
run() {
    local tag=$1 exe=$2
    shift 2
    { scripts/wine-run.sh "$bin/$exe.exe" "$@" </dev/null 2>"$run_output/stderr"; echo $? >"$run_output/status"; } \
        | tr -d '\r' | sed "s/^/$tag /" >>"$results"
    if [ "$(cat "$run_output/status")" != 0 ]; then
        echo "$tag error $exe failed with exit code $(cat "$run_output/status")" >>"$results"
        grep 'crash_guard:' "$run_output/stderr" | sed "s/^/$tag error /" >>"$results" || true
    fi
}

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
started=$(date -u '+%Y-%m-%d %H:%M')
# Taking turns, so drift falls on both alike, and each side going first half the time, so that
# whatever a program leaves behind in Wine's server weighs on both alike too.
for round in $(seq $startup_runs); do
    if [ $((round % 2)) = 1 ]; then
        run viewer bench_startup_viewer
        run bare bench_startup_bare
    else
        run bare bench_startup_bare
        run viewer bench_startup_viewer
    fi
done
run both bench_frame
run both bench_scale
run both bench_load "$model_windows"
run sample bench_load "$sample_model"
run many bench_load "$many_model"
run viewer bench_memory viewer
run bare bench_memory bare

value() { awk -v t="$1" -v k="$2" '$1 == t && $2 == k { print $3; exit }' "$results"; }
median() {
    awk -v t="$1" -v k="$2" '$1 == t && $2 == k { print $3 }' "$results" | sort -g \
        | awk '{ v[NR] = $1 } END { if (NR) print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'
}
range() { awk -v t="$1" -v k="$2" '$1 == t && $2 == k { print $3 }' "$results" | sort -g | sed -n '1p;$p' | paste -sd-; }
calc() { awk "BEGIN { printf \"$1\", $2 }" 2>/dev/null || echo "-"; }
ratio() { calc "%.2f" "$1 / $2"; }
row() { printf '%-38s %10s %10s   %s\n' "$@" | sed 's/ *$//'; }

echo "date:    $started to $(date -u '+%H:%M UTC')"
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')"
echo "wine:    $(wine --version 2>/dev/null), load average before the runs: $load_before"
package_version() { dpkg-query -W -f='${Version}' "$1" 2>/dev/null || echo unknown; }
if [ "$d3d9_choice" = dxvk ]; then
    echo "d3d9:    DXVK $(package_version dxvk-wine64), Vulkan on Mesa $(package_version mesa-vulkan-drivers)"
else
    echo "d3d9:    Wine's own (wined3d)"
fi
echo
row benchmark viewer bare "ratio (target) / notes"

sv=$(median viewer startup_ms) sb=$(median bare startup_ms)
row "start-up to first frame (ms)" "$sv" "$sb" \
    "$(ratio "$sv" "$sb") (1.05)  median of $startup_runs runs each; ranges $(range viewer startup_ms), $(range bare startup_ms)"

fv=$(value both frame_viewer_ms) fb=$(value both frame_bare_ms)
row "idle turn, sample scene (ms)" "$fv" "$fb" \
    "$(ratio "$fv" "$fb") (1.03)  mean of $(value both frames); input poll alone $(value both frame_poll_ms) ms, bare $(value both frame_bare_poll_ms) ms"

lv=$(value both load_viewer_ms) lb=$(value both load_bare_ms)
row "load $(basename "$model") (ms)" "$lv" "$lb" "$(ratio "$lv" "$lb") (1.05)  median of $(value both runs) runs each"
lv=$(value sample load_viewer_ms) lb=$(value sample load_bare_ms)
row "load map02.x (ms)" "$lv" "$lb" "$(ratio "$lv" "$lb") (1.05)  median of $(value sample runs) runs each"
lv=$(value many load_viewer_ms) lb=$(value many load_bare_ms)
row "load csempe.x, 128 materials (ms)" "$lv" "$lb" "$(ratio "$lv" "$lb") (0.20)  median of $(value many runs) runs each"
lv=$(value many release_viewer_ms) lb=$(value many release_bare_ms)
row "release csempe.x (ms)" "$lv" "$lb" "$(ratio "$lv" "$lb") (0.20)"
lv=$(value many growth_viewer_kib) lb=$(value many growth_bare_kib)
row "memory held by csempe.x (KiB)" "$lv" "$lb" "$(ratio "$lv" "$lb") (1.00)  private bytes with it loaded, over those before"

for copies in 1 10 100 1000; do
    cv=$(value both scale_${copies}_viewer_ms) cb=$(value both scale_${copies}_bare_ms)
    row "idle turn, $copies cube(s) (ms)" "$cv" "$cb" "$(ratio "$cv" "$cb")"
done
for span in "1 100" "100 1000"; do
    set -- $span
    pv=$(calc "%.2f" "($(value both scale_$2_viewer_ms) - $(value both scale_$1_viewer_ms)) * 1000 / ($2 - $1)")
    pb=$(calc "%.2f" "($(value both scale_$2_bare_ms) - $(value both scale_$1_bare_ms)) * 1000 / ($2 - $1)")
    target=$([ "$1" = 100 ] && echo " (1.10)" || true)   # the 1-to-100 slope is too small to judge
    row "per extra cube, $1 to $2 (us)" "$pv" "$pb" "$(ratio "$pv" "$pb")$target  one draw call each"
done

for reloads in 1 100 1000 10000; do
    row "private memory, $reloads reload(s) (KiB)" "$(value viewer memory_${reloads}_kib)" \
        "$(value bare memory_${reloads}_kib)" ""
done
gv=$(calc "%.0f" "$(value viewer memory_1000_kib) - $(value viewer memory_1_kib)")
gb=$(calc "%.0f" "$(value bare memory_1000_kib) - $(value bare memory_1_kib)")
row "growth, 1 to 1000 reloads (KiB)" "$gv" "$gb" \
    "$(calc "%s" "$gv <= $gb ? \"met\" : \"not met\"") (target: no more than the bare program)"
for span in "100 1000" "1000 10000"; do
    set -- $span
    gv=$(calc "%.0f" "($(value viewer memory_$2_kib) - $(value viewer memory_$1_kib)) * 1024 / ($2 - $1)")
    gb=$(calc "%.0f" "($(value bare memory_$2_kib) - $(value bare memory_$1_kib)) * 1024 / ($2 - $1)")
    row "growth per reload, $1 to $2 (B)" "$gv" "$gb" ""
done

# Anything a benchmark noticed: failures, message boxes, an input poll that did not arrive.
awk '$2 == "error" || $2 == "note" || $2 == "messages" { $1 = $1 ":"; print }' "$results" \
    | sort -u | sed 's/^/  /'
