#!/usr/bin/env python3
"""Gives the registers without an initial value an equal, free start in both halves of a miter.

Usage: equal_start.py MITER_IN.il MITER_OUT.il VHDL_NETLIST.v

The miter (yosys `miter -equiv -flatten`, memories mapped to flip-flops) holds the Verilog core
as `gold` and the netlist ghdl synthesised from the VHDL (VHDL_NETLIST.v) as `gate`. Every other
register has an initial value in both languages; the RAM's words and its read register have
none. Each such flip-flop pair gets one new input of the miter, start_value_N, that the pair
shows in the first cycle instead of its flip-flops (a register `equal_start.started`, 0 at
first, picks): the solver chooses the start, but the same one on both sides. The Verilog's RAM
word k (`ram[k]`) is the word ghdl's netlist (`memory_ram`) indexes with address k: word k, or
word K-k where the netlist indexes the array from the top (`memory_ram[n] ... n = K - ram_addr`,
or the write's `K - write_addr_q`);
any other register pairs with the register of the same name. A register without an initial
value that has no partner, or a RAM indexed any other way, is an error (exit 1): the proof would
start the two halves unequal.
"""
import re
import sys


ADDRESSES = ("ram_addr", "write_addr_q")  # the read's address and the write's


def ram_indexing(netlist):
    """None where ghdl's memory_ram takes the addresses as its index, K where it takes K - them."""
    indices = set(re.findall(r"memory_ram\[([A-Za-z_]\w*)\]", netlist))
    if not indices:
        return None  # no RAM (genaddr)
    tops = set()
    for index in indices:
        if index in ADDRESSES:
            tops.add(None)
            continue
        m = re.search(r"assign " + index + r" = (\d+)'b([01]+) - (?:ram_addr|write_addr_q);", netlist)
        if not m:
            sys.exit(f"equal_start.py: the VHDL netlist indexes memory_ram with {index}, neither an address nor K - it")
        tops.add(int(m.group(2), 2))
    if len(tops) != 1:
        sys.exit("equal_start.py: the VHDL netlist reads and writes memory_ram indexed in different ways")
    return tops.pop()


def main():
    src, dst, netlist = sys.argv[1:4]
    lines = open(src).read().split("\n")
    top_word = ram_indexing(open(netlist).read())

    # Wires (width, initial value) and whole-wire aliases (connect \a \b at module level).
    widths, inits, aliases = {}, set(), {}
    pending_init = False
    for line in lines:
        s = line.strip()
        if s.startswith("attribute \\init "):
            # All bits unknown (ghdl's RAM words) is no initial value; some unknown is an error.
            bits = s.split()[2].split("'")[1]
            pending_init = set(bits) != {"x"}
            if pending_init and "x" in bits:
                sys.exit(f"equal_start.py: an initial value with unknown bits: {s}")
            continue
        m = re.match(r"wire (?:width (\d+) )?(?:(?:input|output|inout) \d+ )?(\S+)$", s)
        if m:
            widths[m.group(2)] = int(m.group(1) or 1)
            if pending_init:
                inits.add(m.group(2))
        if not s.startswith("attribute "):
            pending_init = False
        m = re.match(r"connect (\\\S+) (\\\S+)$", s)
        if m and line.startswith("  connect"):
            aliases.setdefault(m.group(2), set()).add(m.group(1))
            aliases.setdefault(m.group(1), set()).add(m.group(2))

    # Flip-flops: the line that connects each one's Q, and those without an initial value.
    cells_q = {}
    cell_type = None
    for n, line in enumerate(lines):
        s = line.strip()
        if s.startswith("cell "):
            cell_type = s.split()[1]
        elif s == "end":
            cell_type = None
        elif cell_type and "dff" in cell_type.lower() and s.startswith("connect \\Q "):
            cells_q[s.split(" ", 2)[2]] = n
    free = [q for q in cells_q if q not in inits]
    bad = [q for q in free if q not in widths]
    if bad:
        sys.exit(f"equal_start.py: a register without initial value drives part of a wire: {bad}")

    def names(q):
        return {q} | aliases.get(q, set())

    gold = [q for q in free if q.startswith("\\gold.")]
    gate = [q for q in free if q.startswith("\\gate.")]
    if len(gold) + len(gate) != len(free):
        sys.exit(f"equal_start.py: registers without initial value outside both cores: {free}")
    pairs = []
    for g in gold:
        m = re.match(r"\\gold\.ram\[(\d+)\]$", g)
        if m and top_word is None:
            want = f"\\gate.memory_ram[{m.group(1)}]"
        elif m:
            want = f"\\gate.memory_ram[{top_word - int(m.group(1))}]"
        else:
            want = "\\gate." + g[len("\\gold."):]
        partner = [h for h in gate if want in names(h)]
        if len(partner) != 1:
            sys.exit(f"equal_start.py: no register {want} in the VHDL netlist to start with {g}")
        if widths[g] != widths[partner[0]]:
            sys.exit(f"equal_start.py: {g} and {partner[0]} differ in width")
        pairs.append((g, partner[0]))
        gate.remove(partner[0])
    if gate:
        sys.exit(f"equal_start.py: registers without initial value only in the VHDL netlist: {gate}")

    port = max(int(m.group(1)) for m in (re.search(r" (?:input|output) (\d+) ", l) for l in lines) if m)
    decls = ["  attribute \\init 1'0", "  wire \\equal_start.started"]
    cells = ["  cell $dff \\equal_start.started_ff", "    parameter \\CLK_POLARITY 1'1",
             "    parameter \\WIDTH 1", "    connect \\CLK \\in_clock", "    connect \\D 1'1",
             "    connect \\Q \\equal_start.started", "  end"]
    for k, pair in enumerate(pairs):
        port += 1
        width = widths[pair[0]]
        start = f"\\start_value_{k}"
        decls.append(f"  wire width {width} input {port} {start}")
        for q in pair:
            held = f"\\equal_start.{q[1:]}"
            decls.append(f"  wire width {width} {held}")
            lines[cells_q[q]] = lines[cells_q[q]].replace(f"connect \\Q {q}", f"connect \\Q {held}")
            cells += [f"  cell $mux \\equal_start.{q[1:]}.pick", f"    parameter \\WIDTH {width}",
                      f"    connect \\A {start}", f"    connect \\B {held}",
                      "    connect \\S \\equal_start.started", f"    connect \\Y {q}", "  end"]
    top = next(n for n, l in enumerate(lines) if l.startswith("module "))
    last = max(n for n, l in enumerate(lines) if l == "end")
    out = lines[:top + 1] + decls + lines[top + 1:last] + cells + lines[last:]
    open(dst, "w").write("\n".join(out))
    print(f"{len(pairs)} register pairs start equal and free")


main()
