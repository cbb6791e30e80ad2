"""What a screen reader reads on each page of the wizard, read through the desktop's accessibility
layer (AT-SPI) by a real client while the pages are driven by keystrokes.

Run by atspi_e2e.sh, which provides the X server and a private session bus.
Usage: atspi_pages.py <wizard prefix> <work folder>
"""
import os
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

PREFIX, WORK = sys.argv[1], sys.argv[2]
passed = 0
failed = 0


def check(what, got, want):
    global passed, failed
    if got == want:
        passed += 1
    else:
        failed += 1
        print(f"FAIL {what}\n  got:  {got!r}\n  want: {want!r}")


def pump_events():
    """Hands the events that have arrived to their listeners."""
    context = GLib.MainContext.default()
    while context.iteration(False):
        pass


def poll(read, want, seconds=10.0):
    """read() once it equals want, or its last value after seconds; events arriving meanwhile are
    handed to their listeners."""
    deadline = time.monotonic() + seconds
    while True:
        pump_events()
        try:
            got = read()
        except Exception as error:  # the page may be changing under the reader
            got = f"<{type(error).__name__}: {error}>"
        if got == want or time.monotonic() > deadline:
            return got
        time.sleep(0.1)


# A screen reader keeps what it has read and learns of changes from events: the controls whose
# description changed, each as (name, description read when the event came).
announced = []


def on_description_change(event):
    announced.append((event.source.name, event.source.description))


pyatspi.Registry.registerEventListener(on_description_change, "object:property-change:accessible-description")

# The texts that announced a change of their text (a screen reader speaks a live text's new text).
text_changes = []


def on_text_change(event):
    text_changes.append(event.source.name)


pyatspi.Registry.registerEventListener(on_text_change, "object:text-changed")


# --- the accessible tree ----------------------------------------------------------------------

def children(accessible):
    for index in range(accessible.childCount):
        child = accessible.getChildAtIndex(index)
        if child is not None:
            yield child


def page(number):
    """The dialog of page number, or None while it is not there."""
    desktop = pyatspi.Registry.getDesktop(0)
    for app in children(desktop):
        if app.name != "zorvex":
            continue
        for window in children(app):
            if f"[page {number} of 4]" in window.name and window.getState().contains(pyatspi.STATE_SHOWING):
                return window
    return None


def wait_page(number):
    deadline = time.monotonic() + 20
    while time.monotonic() < deadline:
        try:
            dialog = page(number)
        except Exception:
            dialog = None
        if dialog is not None:
            return dialog
        time.sleep(0.2)
    raise SystemExit(f"FAIL no page {number} in the accessibility tree")


def role(accessible):
    return accessible.getRoleName()


def text_of(accessible):
    try:
        return accessible.queryText().getText(0, -1)
    except NotImplementedError:
        return None


def controls(dialog, wanted_role):
    return [child for child in children(dialog) if role(child) == wanted_role]


def names(dialog, wanted_role):
    return [child.name for child in controls(dialog, wanted_role)]


def relation_targets(accessible, relation):
    """The names of the objects accessible has the relation to."""
    targets = []
    for entry in accessible.getRelationSet():
        if entry.getRelationType() == relation:
            targets.extend(entry.getTarget(index).name.strip() for index in range(entry.getNTargets()))
    return targets


def labels_and_boxes(dialog):
    """Each value box with the labels it is labelled by, and each label with the boxes it labels."""
    boxes = [(box.name, relation_targets(box, pyatspi.RELATION_LABELLED_BY))
             for box in controls(dialog, "combo box") + controls(dialog, "list")]
    labels = [(label.name.strip(), relation_targets(label, pyatspi.RELATION_LABEL_FOR)) for label in controls(dialog, "label")
              if relation_targets(label, pyatspi.RELATION_LABEL_FOR)]
    return boxes, labels


def buttons(dialog):
    return sorted(names(dialog, "push button"))


def preview(dialog):
    found = [child for child in controls(dialog, "image") if child.name == "Symbol preview"]
    return found[0].description if len(found) == 1 else f"<{len(found)} symbol previews>"


def focused_control(dialog):
    """The control of the dialog that has the focus; a combo box for the edit inside it."""
    for child in children(dialog):
        if child.getState().contains(pyatspi.STATE_FOCUSED):
            return child
        for inner in children(child):
            if inner.getState().contains(pyatspi.STATE_FOCUSED):
                return child
    return None


def describe(accessible, depth=0):
    """The tree below accessible as a screen reader's object navigation finds it, one line each;
    the entries of drop-down lists, scroll bars and empty fillers are left out."""
    lines = []
    for child in children(accessible):
        kind = role(child)
        if kind in ("list item", "scroll bar", "filler"):
            continue
        states = child.getState()
        marks = [mark for state, mark in ((pyatspi.STATE_FOCUSABLE, "focusable"), (pyatspi.STATE_CHECKED, "checked"))
                 if states.contains(state)]
        line = f"{'  ' * depth}{kind} \"{child.name}\""
        if child.description:
            line += f" -- {child.description}"
        value = text_of(child)
        if value and value != child.name and kind != "combo box":
            line += f" [text: {value}]"
        if marks:
            line += f" ({', '.join(marks)})"
        lines.append(line)
        if kind == "combo box":
            lines.extend(describe(child, depth + 1))
    return lines


def show(number, dialog):
    print(f"--- page {number}: {dialog.name}")
    print("\n".join(describe(dialog)))


# --- keystrokes ---------------------------------------------------------------------------------

def keys(number, *names):
    """Gives the page's window the keyboard focus and presses the keys, one at a time."""
    window = subprocess.run(["xdotool", "search", "--name", rf"\[page {number} of 4\]"],
                            capture_output=True, text=True).stdout.split()
    if not window:
        raise SystemExit(f"FAIL no window for page {number}")
    subprocess.run(["xdotool", "windowfocus", "--sync", window[-1]], check=True)
    for name in names:
        subprocess.run(["xdotool", "key", "--delay", "60", name], check=True)
        time.sleep(0.15)


# --- the pages -----------------------------------------------------------------------------------

def pins(inputs, outputs):
    return f"Inputs: {', '.join(inputs)}. Outputs: {', '.join(outputs)}."


CONTROL_PINS = ["sync_in", "clken", "clock"]
CONVOLUTIONAL_12_17 = "f, Interleaver 12 X 17, Convolutional. " + pins(
    ["din[7..0]"] + CONTROL_PINS, ["dout[7..0]", "sync_out"])
BLOCK_12_17 = "f, Interleaver 17 X 12, Block Discrete. " + pins(
    ["din[7..0]"] + CONTROL_PINS, ["dout[7..0]", "dout_valid", "next_din"])
BLOCK_5_17 = "f, Interleaver 17 X 5, Block Discrete. " + pins(
    ["din[7..0]"] + CONTROL_PINS, ["dout[7..0]", "dout_valid", "next_din"])
# External memory: the address bus takes the place of the data pins; 5 and 17 take 3 + 5 bits.
BLOCK_5_17_EXTERNAL = "f, Interleaver 17 X 5, Block Discrete. " + pins(
    CONTROL_PINS, ["addr[7..0]", "write_enable", "block_full", "block_empty"])
VALUE_BOX_NAMES_AFTER_I_AND_J = ["Symbol Width", "Codeword length", "Estimated burst error length"]

os.makedirs(WORK, exist_ok=True)
host = subprocess.Popen([os.path.join(PREFIX, "bin", "tarnwick"), "-n", os.path.join(WORK, "f.vhd")],
                        cwd=WORK, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
try:
    # Page 1: the radio buttons carry their group's title; the preview tells the symbol.
    dialog = wait_page(1)
    show(1, dialog)
    check("page 1 radio buttons",
          [(radio.name, radio.description) for radio in controls(dialog, "radio button")],
          [("Convolutional Interleaving", "Algorithm"), ("Block Interleaving (discrete mode)", "Algorithm"),
           ("Interleaver at the transmitter site", "Direction"),
           ("De-Interleaver at the receiver site", "Direction")])
    check("page 1 preview", preview(dialog), CONVOLUTIONAL_12_17)
    check("page 1 window names its step", dialog.description, "Step 1 of 4: Algorithm and direction")
    check("page 1 buttons named without arrows", buttons(dialog), ["Back", "Cancel", "Finish", "Next"])
    keys(1, "Return")

    # Page 2, convolutional: each value box is named by the label before it.
    dialog = wait_page(2)
    show(2, dialog)
    check("page 2 value boxes, convolutional", names(dialog, "combo box"),
          ["Number of branches (I)", "Unit delay element (J)"] + VALUE_BOX_NAMES_AFTER_I_AND_J)
    check("page 2 picture, convolutional",
          [(picture.name, picture.description) for picture in controls(dialog, "image")
           if picture.name != "Symbol preview"],
          [("Convolutional interleaver structure",
            "I branches between an input and an output commutator, with delays of 0, J, 2J up to "
            "(I-1)J symbols; din enters at the left, dout leaves at the right.")])
    check("page 2 window names its step", dialog.description, "Step 2 of 4: Characteristics")
    # The labels of I and J are labels, like the other static texts, each tied to its box both ways.
    check("page 2 labels", [name.strip() for name in names(dialog, "label")],
          ["Number of branches (I)", "Unit delay element (J)", "Symbol Width", "Codeword length",
           "Estimated burst error length"])
    boxes = ["Number of branches (I)", "Unit delay element (J)"] + VALUE_BOX_NAMES_AFTER_I_AND_J
    check("page 2 boxes labelled by their labels and labels for their boxes", labels_and_boxes(dialog),
          ([(name, [name]) for name in boxes], [(name, [name]) for name in boxes]))
    # The burst text, no tab stop, is in the tree with a short name, its paragraph as description.
    burst = controls(dialog, "text")
    check("page 2 burst text in the tree", [(text.name, text.description == text_of(text),
                                             "spread accross 11 codewords" in text_of(text)) for text in burst],
          [("Burst spread", True, True)])
    keys(2, "alt+b")

    # Page 1 again: block interleaving by the arrow key; the preview follows.
    dialog = wait_page(1)
    keys(1, "Down")
    check("page 1 preview after choosing block", poll(lambda: preview(page(1)), BLOCK_12_17), BLOCK_12_17)
    check("page 1 new preview announced", poll(lambda: ("Symbol preview", BLOCK_12_17) in announced, True), True)
    keys(1, "Return")

    # Page 2, block: the names follow the labels of I and J.
    dialog = wait_page(2)
    show(2, dialog)
    check("page 2 value boxes, block", names(dialog, "combo box"),
          ["Number of rows (I)", "Number of columns (J)"] + VALUE_BOX_NAMES_AFTER_I_AND_J)
    check("page 2 picture, block", [picture.name for picture in controls(dialog, "image")],
          ["Block interleaver structure", "Symbol preview"])
    # A typed value: the preview's description and the burst text follow at once, and the burst
    # text announces its change.
    burst_before = controls(dialog, "text")[-1].description
    del text_changes[:]
    keys(2, "ctrl+a", "5")
    check("page 2 preview after typing I = 5", poll(lambda: preview(page(2)), BLOCK_5_17), BLOCK_5_17)
    check("page 2 new preview announced", poll(lambda: ("Symbol preview", BLOCK_5_17) in announced, True), True)
    burst = controls(page(2), "text")[-1]
    check("page 2 burst text described by its new text",
          (burst.name, burst.description == text_of(burst), burst.description != burst_before),
          ("Burst spread", True, True))
    check("page 2 burst text announced its change", poll(lambda: "Burst spread" in text_changes, True), True)
    # Tab visits the value boxes and buttons, never the label edits of I and J.
    visited = []
    for _ in range(10):
        control = focused_control(page(2))
        visited.append((role(control), control.name) if control is not None else None)
        keys(2, "Tab")
    label_edits = {("text", "Number of rows (I)"), ("text", "Number of columns (J)")}
    check("page 2 label edits of I and J are no tab stops", sorted(set(visited) & label_edits), [])
    check("page 2 Tab reaches every value box in order",
          [name for kind, name in visited if kind == "combo box"][:5],
          ["Number of rows (I)", "Number of columns (J)"] + VALUE_BOX_NAMES_AFTER_I_AND_J)
    keys(2, "Return")

    # Page 3: the memory choice by the arrow key; the preview shows the address bus.
    dialog = wait_page(3)
    show(3, dialog)
    check("page 3 radio buttons", [(radio.name, radio.description) for radio in controls(dialog, "radio button")],
          [("Internal", "Memory Implementation"), ("External", "Memory Implementation")])
    check("page 3 window names its step", dialog.description, "Step 3 of 4: Memory implementation")
    check("page 3 texts by short names, described by their paragraphs",
          [(text.name, text.description == text_of(text)) for text in controls(dialog, "text")],
          [("Latency", True), ("Memory", True)])
    latency_before = controls(dialog, "text")[0].description
    del text_changes[:]
    # Down goes to "External", which stands beside "Internal": the arrows follow the group.
    keys(3, "Down")
    check("page 3 preview after choosing external memory", poll(lambda: preview(page(3)), BLOCK_5_17_EXTERNAL),
          BLOCK_5_17_EXTERNAL)
    latency = controls(page(3), "text")[0]
    check("page 3 latency text described by its new text",
          (latency.name, latency.description == text_of(latency), latency.description != latency_before),
          ("Latency", True, True))
    check("page 3 latency text announced its change", poll(lambda: "Latency" in text_changes, True), True)
    keys(3, "Return")

    # Page 4: the picture and the list of files.
    dialog = wait_page(4)
    show(4, dialog)
    check("summary picture", [(picture.name, picture.description) for picture in controls(dialog, "image")],
          [("Wizard picture", "A wizard's hat and a magic wand above three block symbols.")])
    check("summary list named by its label", names(dialog, "list"),
          ["The Tarnwick Plug-In Manager will create the following files:"])
    check("summary label for its list",
          [relation_targets(label, pyatspi.RELATION_LABEL_FOR) for label in controls(dialog, "label")
           if label.name.startswith("The Tarnwick")],
          [["The Tarnwick Plug-In Manager will create the following files:"]])
    check("summary window names its step", dialog.description, "Step 4 of 4: Summary")
    keys(4, "alt+f")
    check("wizard finished", host.wait(timeout=20), 0)
except SystemExit as failure:
    print(failure)
    failed += 1
finally:
    if host.poll() is None:
        host.kill()
    output = host.communicate()[0]
    if failed:
        print("--- tarnwick output:")
        print(output)

print(f"{passed} passed, {failed} failed")
sys.exit(1 if failed else 0)
