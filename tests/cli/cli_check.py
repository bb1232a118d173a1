"""What the command's check scripts share: the failures found so far, a check
that records one, and a run of glyphcensus (set `program` first)."""
import subprocess

failures = []
program = None


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL", message)


def run(*args, timeout=600):
    """Exit status, stdout and stderr (UTF-8) of glyphcensus with `args`."""
    result = subprocess.run([program, *args], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                            timeout=timeout)
    return result.returncode, result.stdout.decode("utf-8"), result.stderr.decode("utf-8")
