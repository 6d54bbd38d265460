"""The accessible tree of the running program, as a screen reader gets it through AT-SPI: the list,
the two totals and the About button named in the interface language, each total labelled by its
label, and a total's value (its description) following what is typed. Exits with status 1 and a message on the first
thing that is not so."""
import os
import subprocess
import sys
import time

import pyatspi

NAMES = {
    "ja": {"list": "時間の一覧（1行に1つ）", "all": "全合計時間", "selection": "選択範囲合計時間",
           "about": "about"},
    "en": {"list": "Durations, one per line", "all": "Total of all lines",
           "selection": "Total of selection", "about": "About"},
}


def fail(message):
    print(message, file=sys.stderr)
    sys.exit(1)


def wait_for(what, find, seconds=20):
    """Polls `find` until it gives something other than None."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        found = find()
        if found is not None:
            return found
        time.sleep(0.2)
    fail("never found " + what)


def application(pid):
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.get_process_id() == pid:
            return app
    return None


def descendants(node):
    for child in node:
        if child is None:
            continue
        yield child
        yield from descendants(child)


def text_of(node):
    text = node.queryText()
    return text.getText(0, text.characterCount)


def value_of(total):
    """A total's value: its description, as the label it is offers no text of its own."""
    return total.description


def main():
    program = sys.argv[1]
    names = NAMES[os.environ.get("TALLIMO_TEST_LANGUAGE", "en")]
    process = subprocess.Popen([program])
    try:
        app = wait_for("the program on the accessibility bus", lambda: application(process.pid))
        window = wait_for("the Tallimo window", lambda: next(
            (w for w in app if w is not None and w.name == "Tallimo"), None))
        by_name = {}
        # A total bears its label's name: the one labelled by another is the total.
        for node in descendants(window):
            if node.name in by_name and not any(
                    relation.getRelationType() == pyatspi.RELATION_LABELLED_BY
                    for relation in node.getRelationSet()):
                continue
            by_name[node.name] = node

        for key in ("list", "all", "selection", "about"):
            if names[key] not in by_name:
                fail("no control named %r; names: %r" % (names[key], sorted(by_name)))
        listbox = by_name[names["list"]]
        if not listbox.getState().contains(pyatspi.STATE_EDITABLE):
            fail("the control named %r is not an editable text" % names["list"])
        if by_name[names["about"]].getRole() != pyatspi.ROLE_PUSH_BUTTON:
            fail("the control named %r is not a button" % names["about"])

        for key in ("all", "selection"):
            total = by_name[names[key]]
            if value_of(total) != "0:00.00":
                fail("%s reads %r at the start, not 0:00.00" % (names[key], value_of(total)))
            labels = [target for relation in total.getRelationSet()
                      if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY
                      for target in (relation.getTarget(i)
                                     for i in range(relation.getNTargets()))]
            if [label.name for label in labels] != [names[key]]:
                fail("%s is labelled by %r" % (names[key], [label.name for label in labels]))

        # Typed as a user types, the total follows.
        window_id = subprocess.run(
            ["xdotool", "search", "--sync", "--name", "^Tallimo$"], check=True,
            capture_output=True, text=True, timeout=20).stdout.split()[0]
        subprocess.run(["xdotool", "windowfocus", "--sync", window_id], check=True, timeout=20)
        subprocess.run(["xdotool", "type", "--delay", "20", "1:05.08"], check=True, timeout=20)
        subprocess.run(["xdotool", "key", "Return"], check=True, timeout=20)
        subprocess.run(["xdotool", "type", "--delay", "20", "0:42.30"], check=True, timeout=20)
        total = by_name[names["all"]]
        wait_for("the total of all lines reading 1:47.38",
                 lambda: True if value_of(total) == "1:47.38" else None)
        if text_of(listbox) != "1:05.08\n0:42.30":
            fail("the list reads %r" % text_of(listbox))
    finally:
        process.kill()
        process.wait()


main()
