"""Adds up JUnit XML reports and prints "N passed, N failed[, N skipped]".

Exits non-zero when anything failed or when a report is missing (a runner that
crashed before writing its report counts as a failure)."""
import sys
import xml.etree.ElementTree as ET


def count(path):
    root = ET.parse(path).getroot()
    suites = [root] if root.tag == "testsuite" else root.iter("testsuite")
    total = failed = skipped = 0
    for suite in suites:
        total += int(suite.get("tests", 0))
        failed += int(suite.get("failures", 0)) + int(suite.get("errors", 0))
        skipped += int(suite.get("skipped", 0) or suite.get("disabled", 0))
    return total, failed, skipped


def main(paths):
    passed = failed = skipped = 0
    broken = False
    for path in paths:
        try:
            t, f, s = count(path)
        except (OSError, ET.ParseError):
            print(f"missing or unreadable test report: {path}", file=sys.stderr)
            broken = True
            continue
        passed += t - f - s
        failed += f
        skipped += s
    if broken:
        failed += 1
    line = f"{passed} passed, {failed} failed"
    if skipped:
        line += f", {skipped} skipped"
    print(line)
    return 1 if failed or passed == 0 else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
