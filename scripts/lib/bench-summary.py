"""Merges Google Benchmark JSON files into one, prints the medians and checks them against the
targets.

    bench-summary.py OUT IN...

OUT gets the context of the first input and the benchmarks of all; an input that is a single
JSON object with a "name" (the idle measurement) is added as one benchmark of its own. Medians
over repetitions are used where there are repetitions, the single run where there is one."""
import json
import sys

out_path, in_paths = sys.argv[1], sys.argv[2:]
merged = None
for path in in_paths:
    with open(path, encoding="utf-8") as f:
        data = json.load(f)
    if "benchmarks" not in data:
        data = {"benchmarks": [dict(data, run_name=data["name"], run_type="iteration")]}
    if merged is None:
        merged = data
    else:
        merged["benchmarks"] += data["benchmarks"]
with open(out_path, "w", encoding="utf-8") as f:
    json.dump(merged, f, indent=2)

runs = merged["benchmarks"]
repeated = {r["run_name"] for r in runs if r.get("aggregate_name") == "median"}
medians = {r["run_name"]: r for r in runs
           if r.get("aggregate_name") == "median"
           or (r["run_name"] not in repeated and r.get("run_type") == "iteration")}
scale = {"ns": 1, "us": 1e3, "ms": 1e6, "s": 1e9}
ns = {name: r["real_time"] * scale[r["time_unit"]] for name, r in medians.items()
      if "real_time" in r}

context = merged.get("context", {})
if "load_avg" in context:
    print("load average at the start:", ", ".join(f"{x:.2f}" for x in context["load_avg"]))
print()
for name, t in ns.items():
    if not name.startswith("Window"):
        print(f"{name:24} {t:12.1f} ns")

window = {name: r for name, r in medians.items() if name.startswith("Window")}
print()
print(f"{'window, per press or command':32} {'median':>9} {'p99':>9}")
for name, r in window.items():
    if "p50_ms" in r:
        extra = ""
        if "stall_ms" in r:
            extra = f"   all in {r['loaded_p50_ms']:.0f} ms, longest stall {r['stall_ms']:.0f} ms"
        print(f"{name:32} {r['p50_ms']:7.1f}ms {r['p99_ms']:7.1f}ms{extra}")
for name, r in window.items():
    if "ratio" in r:
        print(f"{name:32} peak after Open {r['peak_open_mib']:.0f} MiB, after 50 operators "
              f"{r['peak_keys_mib']:.0f} MiB ({r['ratio']:.2f} x)")
    if "cpu_percent" in r:
        print(f"{name:32} {r['cpu_percent']:.2f} % of a core, idle")

checks = []
for i in range(5):
    if f"MuParser/{i}" in ns:
        checks.append((f"Evaluator/{i} <= MuParser/{i}", ns[f"Evaluator/{i}"] <= ns[f"MuParser/{i}"]))
checks.append(("Redraw < 100 us", ns["Redraw"] < 100e3))
checks.append(("DigitPress/1048576 <= 1.2 x DigitPress/1024",
               ns["DigitPress/1048576"] <= 1.2 * ns["DigitPress/1024"]))
checks.append(("OperatorPress/1024 < 100 us", ns["OperatorPress/1024"] < 100e3))


def check(what, name, key, limit):
    if name in window and key in window[name]:
        checks.append((f"{what} ({window[name][key]:.3g})", window[name][key] <= limit))
    else:
        checks.append((f"{what} (not measured)", False))


for key in ("digit", "operator", "equals", "up"):
    for doc in ("lines-1k", "lines-100k", "lines-1m", "lines-8m", "line-100k"):
        check(f"WindowKey/{key}/{doc} p99 <= 16 ms", f"WindowKey/{key}/{doc}", "p99_ms", 16)
    check(f"WindowKey/{key}/line-1m p99 <= 50 ms", f"WindowKey/{key}/line-1m", "p99_ms", 50)
    check(f"WindowKey/{key}/line-1m-rtl p99 <= 50 ms", f"WindowKey/{key}/line-1m-rtl", "p99_ms",
          50)
check("WindowOpen/lines-8m shown, p99 <= 1 s", "WindowOpen/lines-8m", "p99_ms", 1000)
check("WindowOpen/lines-8m never stalls > 100 ms", "WindowOpen/lines-8m", "stall_ms", 100)
check("WindowOpen/line-8m never stalls > 100 ms", "WindowOpen/line-8m", "stall_ms", 100)
check("WindowSave/lines-8m p99 <= 200 ms", "WindowSave/lines-8m", "p99_ms", 200)
check("WindowMemory/lines-8m peak after 50 operators <= 1.1 x after Open",
      "WindowMemory/lines-8m", "ratio", 1.1)
check("WindowIdle/line-1m < 1 % of a core", "WindowIdle/line-1m", "cpu_percent", 0.999)
print()
for what, ok in checks:
    print(f"{'met    ' if ok else 'MISSED '} {what}")
