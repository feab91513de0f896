"""Prints the medians of a Google Benchmark JSON file and checks them against the targets."""
import json
import sys

with open(sys.argv[1], encoding="utf-8") as f:
    runs = json.load(f)["benchmarks"]
ns = {r["run_name"]: r["real_time"] * {"ns": 1, "us": 1e3, "ms": 1e6}[r["time_unit"]]
      for r in runs if r.get("aggregate_name") == "median"}

for name, t in ns.items():
    print(f"{name:24} {t:12.1f} ns")

checks = []
for i in range(5):
    if f"MuParser/{i}" in ns:
        checks.append((f"Evaluator/{i} <= MuParser/{i}", ns[f"Evaluator/{i}"] <= ns[f"MuParser/{i}"]))
checks.append(("Redraw < 100 us", ns["Redraw"] < 100e3))
checks.append(("DigitPress/1048576 <= 1.2 x DigitPress/1024",
               ns["DigitPress/1048576"] <= 1.2 * ns["DigitPress/1024"]))
checks.append(("OperatorPress/1024 < 100 us", ns["OperatorPress/1024"] < 100e3))
print()
for what, ok in checks:
    print(f"{'met    ' if ok else 'MISSED '} {what}")
