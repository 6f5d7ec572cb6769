#!/usr/bin/env python3
"""Checks the estimates against the truth of simulated studies of the three data classes.

    scripts/coverage.py [BUILD_DIR] [SEEDS]

For each class and seed it simulates a study with rivulet-sim, loads and fits it with
rivulet-cli ("Fit All Models"), and then counts, over the most general model fitted, how often
the true value lies inside the 95% Wald interval of a free estimate. It also counts the fits
that failed, any estimate outside [0, 1], the estimates not at a bound that have a standard
error, and how often the profile intervals of the others cover the truth. About 95% of the
truths should be inside; far fewer means the standard errors or the fit are wrong.
"""
import csv
import os
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.abspath(sys.argv[1]) if len(sys.argv) > 1 else os.path.join(ROOT, "build")
SEEDS = int(sys.argv[2]) if len(sys.argv) > 2 else 8
SIM = os.path.join(BUILD, "tools", "rivulet-sim")
CLI = os.path.join(BUILD, "cli", "rivulet-cli")

RICH = ["--years", "2", "--fish", "3000"]
CLASSES = {
    "one release site, one release year": RICH + ["--release-sites", "1", "--release-years", "1"],
    "several release sites, one release year":
        RICH + ["--release-sites", "3", "--release-years", "1"],
    "several release sites and release years":
        RICH + ["--release-sites", "2", "--release-years", "2"],
    # Few fish hold over, so cells are empty and estimates sit at their bounds, as in most
    # real studies.
    "sparse, several release sites and years":
        ["--years", "4", "--fish", "800", "--release-sites", "2", "--release-years", "3"],
}


ENV = dict(os.environ)


def run(arguments):
    result = subprocess.run(arguments, capture_output=True, text=True, env=ENV)
    if result.returncode != 0:
        print(" ".join(arguments) + "\n" + result.stderr[-400:], file=sys.stderr)
    return result.returncode == 0


def read_csv(path):
    with open(path, encoding="utf-8") as f:
        return list(csv.DictReader(line for line in f if not line.startswith("#")))


def check(folder):
    """(inside, total, outside [0, 1], with a standard error, inside their space) of one fitted
    study, or None when it did not fit."""
    db = os.path.join(folder, "study.db")
    out = os.path.join(folder, "out")
    if not (run([CLI, "--db", db, "--sites-config", os.path.join(folder, "sites_config.txt"),
                 "load-observations", os.path.join(folder, "observations.csv")])
            and run([CLI, "--db", db, "fit", "--out", out])):
        return None
    truth = {(t["family"], t["r"], t["s"], t["y1"], t["y2"]): float(t["value"])
             for t in read_csv(os.path.join(folder, "truth.csv"))}
    general = max(read_csv(os.path.join(out, "comparison.csv")),
                  key=lambda row: int(row["num_params"]))["model"]
    inside = total = outside = with_error = interior = profiled = profile_inside = 0
    for e in read_csv(os.path.join(out, "estimates.csv")):
        if not 0.0 <= float(e["estimate"]) <= 1.0:
            outside += 1
        if e["model"] == general and e["status"] in ("estimated", "not estimable"):
            interior += 1
            with_error += e["se"] not in ("", "NA")
        if e["model"] != general or e["fixed"] == "1" or e["lcl"] in ("", "NA"):
            continue
        key = (e["family"], e["release"], e["site"], e["year1"], e["year2"])
        if key not in truth:
            continue
        hit = float(e["lcl"]) <= truth[key] <= float(e["ucl"])
        if e["interval"] == "profile":
            profiled += 1
            profile_inside += hit
        else:
            total += 1
            inside += hit
    return inside, total, outside, with_error, interior, profiled, profile_inside


def main():
    with tempfile.TemporaryDirectory(prefix="rivulet-coverage-") as scratch:
        # The program's settings and shared folder go to the scratch folder, not the user's.
        for variable in ("HOME", "LOCALAPPDATA", "XDG_CONFIG_HOME", "XDG_DATA_HOME",
                         "XDG_CACHE_HOME"):
            ENV[variable] = scratch
        for index, (name, options) in enumerate(CLASSES.items(), start=1):
            inside = total = outside = failed = with_error = interior = 0
            profiled = profile_inside = 0
            for seed in range(1, SEEDS + 1):
                folder = os.path.join(scratch, f"class{index}-seed{seed}")
                if not run([SIM, "--seed", str(seed)] + options + [folder]):
                    failed += 1
                    continue
                result = check(folder)
                if result is None:
                    failed += 1
                    continue
                inside += result[0]
                total += result[1]
                outside += result[2]
                with_error += result[3]
                interior += result[4]
                profiled += result[5]
                profile_inside += result[6]
            share = inside / total if total else 0.0
            errors = with_error / interior if interior else 0.0
            print(f"{name}: {SEEDS} studies, {failed} failed, {outside} estimates outside [0, 1], "
                  f"truth inside the 95% interval {inside} of {total} ({share:.1%}), "
                  f"standard errors for {with_error} of {interior} estimates not at a bound "
                  f"({errors:.1%}), profile intervals of estimates without one covering the truth "
                  f"{profile_inside} of {profiled}")


if __name__ == "__main__":
    main()
