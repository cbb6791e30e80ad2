#!/usr/bin/env python3
"""Runs the README's runnable shell examples and checks what they show.

A fenced block whose info string is "sh runnable" (plus "display" when it shows the pages) is run,
each in a scratch folder of its own in which build/ is the build tree and the built programs are on
PATH. Its lines are commands, one a line; in a block that holds lines beginning with "$ ", those
are the commands and the lines below each one are output it must print, in that order ("..."
stands for any text, a line of its own for any lines). A command exits with 0 unless its comment
says "# status N". Blocks marked "display" run on a private Xvfb, where Return is pressed on the
wizard's window until the command ends, as a user who accepts every page would. A block marked
"continues" runs in the folder of the block before it, on the files that one made. A block marked
"viewer" starts, on the Xvfb, a program that shows a window and stays open (its first word, e.g.
gtkwave): it passes when a window of that program's class appears while the program runs, which
then is ended; the block is skipped where the program is not installed.

Usage: readme_examples_check.py README BUILD_DIR. Exits 77 when Xvfb or xdotool is missing.
"""
import fnmatch
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

FENCE = re.compile(r"^```sh runnable(?P<attrs>.*)$")
STATUS = re.compile(r"#.*\bstatus (\d+)")


def blocks(readme):
    lines = open(readme, encoding="utf-8").read().split("\n")
    k = 0
    while k < len(lines):
        match = FENCE.match(lines[k])
        if match:
            start = k + 1
            end = start
            while lines[end] != "```":
                end += 1
            yield start + 1, match.group("attrs").split(), lines[start:end]
            k = end
        k += 1


def steps(body):
    """(command, expected output lines) pairs."""
    if not any(line.startswith("$ ") for line in body):
        return [(line, []) for line in body if line.strip() and not line.lstrip().startswith("#")]
    result = []
    for line in body:
        if line.startswith("$ "):
            result.append((line[2:], []))
        elif result:
            result[-1][1].append(line.rstrip())
    return result


def shows(output, expected):
    """The first expected line not found in order in output, or None."""
    got = output.split("\n")
    at = 0
    for want in expected:
        if want.strip() in ("", "..."):
            continue
        pattern = want.replace("[", "[[]").replace("*", "[*]").replace("?", "[?]").replace("...", "*")
        while at < len(got) and not fnmatch.fnmatchcase(got[at].rstrip(), pattern):
            at += 1
        if at == len(got):
            return want
        at += 1
    return None


class Display:
    def __init__(self):
        # Xvfb chooses a display no other server has and writes its number to the pipe. Without
        # -noreset it starts over each time its last client leaves (the readiness probe below, a
        # viewer closed) and refuses connections meanwhile, so the next wizard could find no display.
        read_end, write_end = os.pipe()
        self.server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24",
                                        "-nolisten", "tcp", "-noreset"], pass_fds=(write_end,),
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as numbers:
            number = numbers.readline().strip()
        if not number:
            raise SystemExit("Xvfb did not start")
        self.name = ":" + number
        for _ in range(50):
            if subprocess.run(["xdotool", "getdisplaygeometry"], env=self.env({}), capture_output=True).returncode == 0:
                break
            time.sleep(0.1)

    def env(self, base):
        env = dict(base)
        env["DISPLAY"] = self.name
        env.pop("WAYLAND_DISPLAY", None)
        env.pop("QT_QPA_PLATFORM", None)
        return env

    def accept_pages(self, process, env):
        """Presses Return on the wizard's window until process ends."""
        deadline = time.time() + 90
        while process.poll() is None and time.time() < deadline:
            found = subprocess.run(["xdotool", "search", "--onlyvisible", "--class", "zorvex"], env=env,
                                   capture_output=True, text=True).stdout.split()
            if found:
                subprocess.run(["xdotool", "windowfocus", "--sync", found[-1]], env=env, capture_output=True)
                subprocess.run(["xdotool", "key", "Return"], env=env, capture_output=True)
            time.sleep(0.4)
        if process.poll() is None:
            process.kill()

    def shows_window(self, process, program, env):
        """Whether a window of program's class appears while process runs; ends process."""
        deadline = time.time() + 60
        shown = False
        while not shown and process.poll() is None and time.time() < deadline:
            shown = subprocess.run(["xdotool", "search", "--onlyvisible", "--class", program], env=env,
                                   capture_output=True).returncode == 0
            time.sleep(0.4)
        shown = shown and process.poll() is None
        if process.poll() is None:
            process.kill()
        return shown

    def close(self):
        self.server.kill()
        self.server.wait()


def main():
    readme, build = sys.argv[1], os.path.abspath(sys.argv[2])
    display = None
    failures = 0
    ran = 0
    scratch = None
    for line, attrs, body in blocks(readme):
        if scratch is None or "continues" not in attrs:
            if scratch is not None:
                shutil.rmtree(scratch, ignore_errors=True)
            scratch = tempfile.mkdtemp(prefix="zorvex-readme-")
            os.symlink(build, os.path.join(scratch, "build"))
        env = dict(os.environ, PATH=build + os.pathsep + os.environ.get("PATH", ""), HOME=scratch)
        env.pop("DISPLAY", None)
        env.pop("WAYLAND_DISPLAY", None)
        if "display" in attrs or "viewer" in attrs:
            if not (shutil.which("Xvfb") and shutil.which("xdotool")):
                print("Xvfb or xdotool missing: skipped")
                return 77
            display = display or Display()
            env = display.env(env)
        for command, expected in steps(body):
            status = STATUS.search(command)
            want = int(status.group(1)) if status else 0
            viewer = command.split()[0] if "viewer" in attrs else None
            if viewer and not shutil.which(viewer):
                print("README line %d: %s is not installed: skipped" % (line, viewer))
                continue
            process = subprocess.Popen(["bash", "-c", "exec " + command if viewer else command], cwd=scratch,
                                       env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
            if viewer:
                shown = display.shows_window(process, viewer, env)
            elif "display" in attrs:
                display.accept_pages(process, env)
            output = process.communicate(timeout=600)[0]
            ran += 1
            missing = shows(output, expected)
            if viewer and not shown:
                failures += 1
                print("FAIL README line %d: %s showed no window" % (line, command))
                print("  " + output.replace("\n", "\n  ")[:3000])
            elif not viewer and (process.returncode != want or missing is not None):
                failures += 1
                print("FAIL README line %d: %s" % (line, command))
                print("  status %d, expected %d" % (process.returncode, want))
                if missing is not None:
                    print("  missing from its output: %s" % missing)
                print("  " + output.replace("\n", "\n  ")[:3000])
    if scratch is not None:
        shutil.rmtree(scratch, ignore_errors=True)
    if display:
        display.close()
    print("%d README commands run, %d failed" % (ran, failures))
    if ran == 0:
        print("FAIL no runnable example found")
        return 1
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
