#!/usr/bin/python3
"""Runs tarnwick --json over runs of every outcome and checks that each prints exactly one JSON
object that the report's schema accepts, with the outcome and exit status the run ended with.

usage: json_report_schema_check.py TARNWICK STAND_IN_WIZARD SCHEMA WORK_FOLDER
"""
import json
import os
import shutil
import subprocess
import sys

import jsonschema

tarnwick, stand_in, schema_path, work = sys.argv[1:5]
shutil.rmtree(work, ignore_errors=True)
designs = os.path.join(work, "designs")
os.makedirs(designs)
with open(schema_path, encoding="utf-8") as f:
    schema = json.load(f)
jsonschema.Draft202012Validator.check_schema(schema)
validator = jsonschema.Draft202012Validator(schema)

with open(os.path.join(designs, "mixed.cnx"), "w", encoding="utf-8") as f:
    f.write('PRIVATE: INTERNAL_DPRAM NUMERIC "1"\nPRIVATE: EXTERNAL_DPRAM NUMERIC "1"\n')

d = lambda name: os.path.join(designs, name)
# args, extra environment, exit status, outcome, a field the report must hold
cases = [
    (["-n", "-silent", d("f.vhd")], {}, 0, "finished", "derived"),
    (["-silent", "--set", "I=41", d("f.vhd")], {}, 125, "refused", "error"),
    (["-silent", "--set", "INTERNAL_DPRAM=0", d("f.vhd")], {}, 125, "refused", "error"),
    (["-n", "-silent", "--zorvex", "/nonexistent/zorvex", d("f.vhd")], {}, 127, "failed", "error"),
    (["-n", "-silent", "--svg", d("missing/f.svg"), d("f.vhd")], {}, 125, "failed", "error"),
    (["-n", "-silent", "--svg", d("f.cnx"), d("f.vhd")], {}, 125, "refused", "error"),
    (["--bogus", d("f.vhd")], {}, 125, "refused", "error"),
    (["-silent", d("mixed.vhd")], {}, 0, "finished", "inconsistencies"),
    (["-n", "--zorvex", stand_in, d("g.vhd")], {"STAND_IN_STATUS": "2"}, 2, "cancelled", "files"),
    (["-n", "--zorvex", stand_in, d("g.vhd")], {"STAND_IN_STATUS": "1"}, 1, "start-up-failed", "files"),
    (["-n", "--zorvex", stand_in, d("g.vhd")],
     {"STAND_IN_STATUS": "3", "STAND_IN_MESSAGES": "1034 10 20"}, 3, "back", "pageExits"),
    (["-n", "--zorvex", stand_in, d("g.vhd")], {"STAND_IN_STATUS": "kill"}, 128 + 9, "failed", "files"),
    (["--simulate-only", d("absent.vhd")], {}, 125, "failed", "error"),
]
# With the simulators installed, simulated runs too, a passing one and one of a wrong core.
if shutil.which("ghdl") and shutil.which("iverilog"):
    cases += [
        (["-n", "-silent", "--simulate", d("s.v")], {}, 0, "finished", "simulation"),
        (["--simulate-only", "--testbench", d("s.v")], {}, 0, "simulated", "simulation"),
    ]
    # Verilator's report names it as its simulator.
    if shutil.which("verilator"):
        cases.append((["--simulate-only", "--simulator", "verilator", d("s.v")], {}, 0, "simulated", "simulation"))
# With yosys and nextpnr-ice40, a synthesised core and one too large for the device.
if shutil.which("yosys") and shutil.which("nextpnr-ice40"):
    cases += [
        (["-n", "-silent", "--synthesize", "--set", "I=4", "--set", "J=8", "--set", "W=4", d("y.v")], {}, 0,
         "finished", "synthesis"),
        (["-n", "-silent", "--synthesize", "--set", "I=40", "--set", "J=500", d("z.v")], {}, 0, "finished",
         "synthesis"),
    ]
failures = 0
for args, extra, status, outcome, field in cases:
    environment = dict(os.environ, DISPLAY="", **extra)
    environment.pop("WAYLAND_DISPLAY", None)
    run = subprocess.run([tarnwick, "--json"] + args, cwd=work, env=environment, capture_output=True, timeout=180)
    shown = " ".join(args)
    try:
        report = json.loads(run.stdout.decode("utf-8"))
        validator.validate(report)
    except (ValueError, jsonschema.ValidationError) as error:
        print(f"FAIL {shown}: {error}\nstdout: {run.stdout!r}\nstderr: {run.stderr!r}")
        failures += 1
        continue
    problems = []
    if run.returncode != status:
        problems.append(f"exit status {run.returncode}, expected {status}")
    if report["exitStatus"] != run.returncode:
        problems.append(f"reported exit status {report['exitStatus']} but ended with {run.returncode}")
    if report["outcome"] != outcome:
        problems.append(f"outcome {report['outcome']}, expected {outcome}")
    if field not in report or report[field] in ([], None):
        problems.append(f"no {field}")
    if outcome in ("refused", "failed") and status >= 125 and report["changed"]:
        problems.append(f"changed {report['changed']} although tarnwick failed")
    if problems:
        print(f"FAIL {shown}: " + "; ".join(problems) + f"\nstdout: {run.stdout!r}\nstderr: {run.stderr!r}")
        failures += 1
    else:
        print(f"ok   {shown}: {report['outcome']}")
sys.exit(1 if failures else 0)
