// qz_addrgen: the commutator and address counters of the interleaver cores. conv_qzram
// (EXTERNAL = 0) puts them on its own RAM, genaddr (EXTERNAL = 1) on a RAM outside.
// Read line by line against qz_addrgen.vhd: the same names, stages and arithmetic.
//
// addr and write_enable are for the coming enabled edge: the RAM reads the word at addr (the
// old word) and writes din there when write_enable is 1. Both come from registers computed one
// symbol ahead; the only logic between sync_in and them puts out the address of a frame that
// starts out of step (a constant) instead of the running frame's. mark_q and flag_q belong to
// the word the RAM read at the last enabled edge: mark_q marks a frame's first symbol, flag_q
// is, convolutional, the zero-delay branch's symbol (conv_qzram passes the RAM by) and, block,
// a symbol read out of a full block.
//
// A sync_in in step with the counters (a convolutional frame starting at branch 0, a block at
// its first position) changes nothing; one out of step restarts every counter, pointer and
// frame mark from the values of a frame start. In step means that every register following
// from the counters holds a frame start's value. The check is made ahead and kept in registers
// (in_step_q, convolutional turn_ok_q), so that the choice is one gate from registers and
// sync_in: the first sync_in from the third enabled edge after any state (a start without
// initial values, an upset) goes on from a consistent one or restarts; an unknown
// state takes the restart.
//
// Convolutional: branch k of the interleaver delays its symbols by k*J of its own symbols,
// branch k of the deinterleaver by (I-1-k)*J (each one more with EXTERNAL, since a RAM that
// returns the old word cannot give back the symbol of the same edge). Every branch with a
// delay is a FIFO: a region of the RAM as long as the delay, read and written at one address
// that steps through the region, so the word read is the one written a delay ago. The regions
// lie one after the other in commutator order; conv_qzram's zero-delay branch has none. The
// FIFOs' addresses sit in a ring of registers, the coming FIFO's at its head: a FIFO symbol
// takes the head's address and puts the next one (head + 1, or the region's first word) at the
// tail. base_q is the head's region's first word and wrap_q tells that the head is its last;
// the next FIFO's first and last words wait in next_base_q and next_last_q, and the region
// after them in far_base_q and far_last_q, looked up by after_q, the index of the FIFO after
// that. A frame start out of step restarts these registers and the frame marks an enabled
// edge late (late_restart_q), at branch 1's symbol, whose address is a constant.
// The frame's first symbol takes branch 0; where branch 0 delays it, each frame in flight has a
// countdown of branch 0's symbols until its first symbol is read back, as many as frames of
// I*J symbols fit in the delay; the word read when one runs out is marked.
//
// Block: positions count the block's symbols. Discrete blocks write linear addresses, then
// read with a step of J (interleaver) or I (deinterleaver) modulo IJ-1, the last word being
// IJ-1. Continuous blocks read and write one address; block k walks with the k-th power of
// that step, so each block takes the place of the one read out, and where the walk stands
// after K steps is the next block's step. Both walks are kept one position ahead of the address.
// The next address and the flags of the next position (first, last, one before last, within
// the first K) are registers. A discrete block restarts at every frame start: at a block start
// of the write phase the restart sets the values the block would take, so that one in step
// changes nothing.
`default_nettype none
module qz_addrgen #(
    parameter [8*15-1:0] INT_TYPE = "CONVOLUTIONAL",
    parameter INT_DEPTH = 12,
    parameter SYMBOL_DELAY = 17,
    parameter [8*13-1:0] INT_MODE = "INTERLEAVER",
    parameter EXTERNAL = 0,
    parameter ADDR_WIDTH = 12
) (
    input wire clock,
    input wire sync_in,
    input wire clock_enable,
    output wire [ADDR_WIDTH-1:0] addr,
    output wire write_enable,
    output wire mark_q,
    output wire flag_q
);
    `include "qz_functions.vh"

    localparam integer I = INT_DEPTH;
    localparam integer J = SYMBOL_DELAY;
    localparam integer AW = ADDR_WIDTH;
    localparam IS_INT = INT_MODE == "INTERLEAVER";
    localparam [AW-1:0] ONE = 1;

    // The length of convolutional FIFO m in commutator order, and where its region starts (the
    // lengths of the FIFOs before it summed). Interleaver: FIFO m is branch m + SKIP, where SKIP
    // is 1 when conv_qzram passes the zero-delay branch by; deinterleaver: branch m. Each branch
    // delays by its J-multiple, one word more with EXTERNAL.
    localparam integer SKIP = (IS_INT && EXTERNAL == 0) ? 1 : 0;
    function integer fifo_len;
        input integer m;
        begin
            fifo_len = (IS_INT ? J * (m + SKIP) : J * (I - 1 - m)) + EXTERNAL;
        end
    endfunction

    function integer fifo_base;
        input integer m;
        begin
            fifo_base = (IS_INT ? J * (m * (m - 1) / 2 + SKIP * m) : J * (m * (I - 1) - m * (m - 1) / 2)) +
                        EXTERNAL * m;
        end
    endfunction

    // A word's address: an integer's low AW bits (the rest are 0 for every word of the RAM).
    // verilator lint_off UNUSEDSIGNAL
    function [AW-1:0] address;
        input integer x;
        begin
            address = x[AW-1:0];
        end
    endfunction
    // verilator lint_on UNUSEDSIGNAL

    // x <= bound, written bit by bit from the lowest so that a constant bound gives a tree of
    // gates rather than a carry chain.
    function at_most;
        input [AW-1:0] x;
        input [AW-1:0] bound;
        integer b;
        begin
            at_most = 1'b1;
            for (b = 0; b < AW; b = b + 1)
                at_most = bound[b] ? (!x[b] || at_most) : (!x[b] && at_most);
        end
    endfunction

    // Every convolutional FIFO's first address (lasts 0) or last address (lasts 1), FIFO m + shift
    // (modulo the FIFOs) at bits m*TW, for every m the index's XW bits can hold: one past the last
    // FIFO (only a register upset or a start without initial values leaves such an index) as 0.
    // Each entry takes TW bits, AW rounded up to a power of two, so that a register's index
    // selects an entry by its bits alone: with AW bits an entry, the index times AW is a sum,
    // which synthesis builds as a carry chain that the lookup's logic cannot be merged through.
    localparam integer FIFOS = EXTERNAL == 1 ? I : I - 1;
    localparam integer XW = bit_length(FIFOS - 1) > 0 ? bit_length(FIFOS - 1) : 1;
    localparam integer TB = bit_length(AW - 1);
    localparam integer TW = 1 << TB;
    function [(1 << XW)*TW-1:0] region_table;
        input lasts;
        input integer shift;
        integer n, m;
        begin
            region_table = 0;
            for (n = 0; n < 1 << XW; n = n + 1) begin
                m = ((n < FIFOS ? n : 0) + shift) % FIFOS;
                region_table[n*TW +: AW] = address(lasts ? fifo_base(m) + fifo_len(m) - 1 : fifo_base(m));
            end
        end
    endfunction

    // The index after index n (modulo the FIFOs; 0 after one past the last) at bits n*XT, XW
    // rounded up to a power of two: a table, so that a convolutional core's region index steps
    // through gates from its own bits alone, not through a carry chain and a wrap flag.
    localparam integer XB = bit_length(XW - 1);
    localparam integer XT = 1 << XB;
    // verilator lint_off UNUSEDSIGNAL
    function [(1 << XW)*XT-1:0] index_table;
        input integer unused;
        integer n, after;
        begin
            index_table = 0;
            for (n = 0; n < 1 << XW; n = n + 1) begin
                after = n + 1 < FIFOS ? n + 1 : 0;
                index_table[n*XT +: XT] = after[XT-1:0];
            end
        end
    endfunction
    // verilator lint_on UNUSEDSIGNAL

    // The FIFO addresses after the first `took` FIFOs of a frame have taken its first symbol
    // each (0: at power-up): the head at FIFO `took`, every FIFO at its region's first word,
    // and those that have taken theirs at its next (a FIFO of one word at its only one).
    function [(EXTERNAL == 1 ? I : I - 1)*AW-1:0] ring_start;
        input integer took;
        integer n, m, fifos;
        begin
            fifos = EXTERNAL == 1 ? I : I - 1;
            ring_start = 0;
            for (n = 0; n < fifos; n = n + 1) begin
                m = (n + took) % fifos;
                ring_start[n*AW +: AW] = address(fifo_base(m) + (m < took && fifo_len(m) != 1 ? 1 : 0));
            end
        end
    endfunction

    // The symbol of the coming edge is a frame's first when sync_in is high now or was high at
    // an edge with clock_enable low since the last symbol.
    reg pend_q = 1'b0;
    wire first = sync_in | pend_q;
    // keep: the running frame goes on (no frame start, or one in step with the counters,
    // in_step); otherwise the counters restart. An unknown in_step restarts them. A frame start
    // pending from a disabled edge is judged there (in_step does not change before the next
    // enabled edge), so that the choice is one gate from registers and sync_in.
    wire in_step;
    reg pend_restart_q = 1'b0;
    reg keep;
    always @* begin
        if (!pend_restart_q && (!sync_in || in_step))
            keep = 1'b1;
        else
            keep = 1'b0;
    end

    always @(posedge clock) begin
        if (clock_enable) begin
            pend_q <= 1'b0;
            pend_restart_q <= 1'b0;
        end else begin
            pend_q <= pend_q | sync_in;
            pend_restart_q <= pend_restart_q | (sync_in & !in_step);
        end
    end

    generate
        if (INT_TYPE == "CONVOLUTIONAL") begin : convolutional
            // FIFO branches in commutator order; the internal interleaver's first is branch 1.
            localparam integer F = EXTERNAL == 1 ? I : I - 1;
            localparam integer FIRST_LEN = fifo_len(0);
            localparam integer MARKS = SKIP == 1 ? 1 : (FIRST_LEN + J - 1) / J;
            // The FIFO registers restart an enabled edge after the frame start's (late_restart_q),
            // at branch 1's symbol, with the state the frame's symbols up to it leave: TAKEN FIFOs
            // have taken their first, FIFO 0 where branch 0 is a FIFO and branch 1's FIFO where
            // it is one; the head is FIFO RH. That symbol's address is its FIFO's first word (FIFO
            // LATE_FIFO's), a constant, as is the frame start's (FIFO 0's first word, 0).
            localparam BRANCH1_FIFO = SKIP == 1 || EXTERNAL == 1 || I > 2;
            localparam integer TAKEN = (SKIP == 1 ? 0 : 1) + (BRANCH1_FIFO ? 1 : 0);
            localparam integer LATE_FIFO = TAKEN - 1;
            localparam integer RH = TAKEN % F;
            localparam integer BW = bit_length(I - 1);
            localparam integer I_LAST = I - 1;
            localparam integer I_PENULT = I - 2;
            localparam [BW-1:0] BR_ONE = 1;
            localparam [BW-1:0] BR_PENULT = I_PENULT[BW-1:0];
            localparam integer MW = bit_length(MARKS - 1) > 0 ? bit_length(MARKS - 1) : 1;
            localparam integer MARKS_LAST_I = MARKS - 1;
            localparam [MW-1:0] SLOT_ONE = 1;
            localparam [MW-1:0] SLOT_LAST = MARKS_LAST_I[MW-1:0];
            localparam integer CW = bit_length(FIRST_LEN);
            localparam [CW-1:0] COUNT_ONE = 1;
            localparam [CW-1:0] COUNT_FULL = FIRST_LEN[CW-1:0];

            // The FIFO after the head (next) and the one after that (after), at power-up and
            // after a restart.
            localparam integer ONE_MOD_F = 1 % F;
            localparam integer AFTER_POWER_UP_I = 2 % F;
            localparam integer NEXT_RESTART = (RH + 1) % F;
            localparam integer AFTER_RESTART_I = (RH + 2) % F;
            localparam [XW-1:0] AFTER_POWER_UP = AFTER_POWER_UP_I[XW-1:0];
            localparam [XW-1:0] AFTER_RESTART = AFTER_RESTART_I[XW-1:0];
            localparam [(1 << XW)*XT-1:0] AFTERS_ON = index_table(0);
            // Each FIFO's first and last address, looked up by index.
            localparam [(1<<XW)*TW-1:0] BASES = region_table(1'b0, 0);
            localparam [(1<<XW)*TW-1:0] LASTS = region_table(1'b1, 0);
            // The same, FIFO m + 1 at bits m*TW.
            localparam [(1<<XW)*TW-1:0] BASES_ON = region_table(1'b0, 1);
            localparam [(1<<XW)*TW-1:0] LASTS_ON = region_table(1'b1, 1);
            localparam [F*AW-1:0] RING_POWER_UP = ring_start(0);
            localparam [F*AW-1:0] RING_RESTART = ring_start(TAKEN);

            // The coming symbol's branch when no frame starts, and what follows from it.
            reg [BW-1:0] br_q = 0;
            reg branch0_q = 1'b1;
            reg br_last_q = 1'b0;
            reg fifo_q = SKIP == 0;
            // The FIFO addresses, the head's region and the index of the FIFO after the head.
            reg [F*AW-1:0] ring_q = RING_POWER_UP;
            reg [AW-1:0] base_q = 0;
            reg wrap_q = FIRST_LEN == 1;
            reg [AW-1:0] next_base_q = BASES[ONE_MOD_F*TW +: AW];
            reg [AW-1:0] next_last_q = LASTS[ONE_MOD_F*TW +: AW];
            reg [XW-1:0] after_q = AFTER_POWER_UP;
            // The region of FIFO after_q.
            reg [AW-1:0] far_base_q = BASES[AFTER_POWER_UP_I*TW +: AW];
            reg [AW-1:0] far_last_q = LASTS[AFTER_POWER_UP_I*TW +: AW];
            // Frame marks in flight, one countdown a frame in MARKS slots: how many of branch 0's
            // symbols are left until the frame's first symbol is read back from FIFO 0, which
            // is FIRST_LEN of them after it was written. A count of 0, or one past FIRST_LEN
            // (which no frame leaves), is a free slot. A frame start takes the slot at
            // mark_slot_q, whose frame has left: frames are at least J of branch 0's symbols
            // apart and MARKS * J >= FIRST_LEN. A count that no frame left (a register upset or
            // a start without initial values) runs out within FIRST_LEN of branch 0's symbols
            // and takes no frame's place.
            reg [MARKS*CW-1:0] mark_count_q = 0;
            // Whether each slot's count is 1 (its frame's first symbol is read at the coming
            // symbol of branch 0), set as the count is: the mark's decision is then an OR of
            // registers, not of comparisons.
            reg [MARKS-1:0] count_one_q = 0;
            reg [MW-1:0] mark_slot_q = 0;
            reg mark_out_q = 1'b0;
            reg bypass_q = 1'b0;

            wire [AW-1:0] head = ring_q[AW-1:0];
            wire [AW-1:0] head_next = wrap_q ? base_q : head + ONE;

            // A FIFO address comes to the head from ring place 1 and is there kept inside its
            // FIFO's region (next_base_q .. next_last_q): one outside it (only a register upset
            // or a start without initial values leaves one) comes to the head as the region's
            // first word instead. Whether place 1's address lies outside is found as it comes to
            // place 1 and kept in two registers, coming_below_q (below the region's first word)
            // and coming_above_q (above its last), so that no comparison lies between the ring
            // and the head and each comparison goes straight into a register of its own. With a
            // single FIFO the head's next address is kept inside instead.
            localparam [AW-1:0] LAST0 = LASTS[AW-1:0];
            // The shortest FIFO is the first (interleaver) or the last (deinterleaver).
            localparam ONE_WORD_FIFO = (IS_INT ? fifo_len(0) : fifo_len(F - 1)) == 1;
            // verilator lint_off UNUSEDSIGNAL
            reg coming_below_q = 1'b0;  // not used with a single FIFO
            reg coming_above_q = 1'b0;
            wire coming_out = coming_below_q | coming_above_q;
            // verilator lint_on UNUSEDSIGNAL

            // In step: the coming symbol is branch 0, the commutator and the FIFO registers hold
            // what every branch 0 finds (their power-up values), the head inside FIFO 0's region
            // and, for the marks, the slot pointer among the slots; any other state, whatever
            // left it, takes the restart at a frame start. So that the choice at a frame start
            // is one gate from registers, the check runs two symbols ahead: at the symbol of
            // branch I-2, turn_ok_q, far_ok_q and head_ok_q take whether the FIFO registers will
            // hold what branch I-1 finds (the commutator's flag and the next regions, the regions
            // after them, the head), and at branch I-1's symbol in_step_q takes the three with
            // the commutator (br_last_q sets every commutator register of branch 0) and the slot
            // pointer. Three registers, so that no check is deeper than a few gates. Branch I-1's
            // FIFO registers become branch 0's as a step makes them.
            //
            // At branch I-1 the head is the last FIFO when branch I-1's symbol is a FIFO's (its
            // move brings FIFO 0's address to the head, kept inside), otherwise FIFO 0, which
            // came to the head at branch I-2's symbol: kept inside there unless coming_out was
            // not yet found from the registers, so it is checked. Branch I-2's symbol moves the
            // ring unless it is the zero-delay branch's.
            localparam MOVES_LAST = SKIP == 1 || EXTERNAL == 1;
            localparam MOVES_PENULT = SKIP == 0 || I > 2;
            localparam integer HEAD_LAST = MOVES_LAST ? F - 1 : 0;
            localparam integer NEXT_LAST = (HEAD_LAST + 1) % F;
            localparam integer AFTER_LAST = (HEAD_LAST + 2) % F;
            localparam [XW-1:0] IDX_NEXT_LAST = NEXT_LAST[XW-1:0];
            localparam [XW-1:0] IDX_AFTER_LAST = AFTER_LAST[XW-1:0];
            wire near_ok_c, far_ok_c;
            if (MOVES_PENULT) begin : ring_moves
                assign near_ok_c = next_base_q == BASES[HEAD_LAST*TW +: AW] &&
                                   next_last_q == LASTS[HEAD_LAST*TW +: AW];
                assign far_ok_c = far_base_q == BASES[NEXT_LAST*TW +: AW] &&
                                  far_last_q == LASTS[NEXT_LAST*TW +: AW] &&
                                  after_q == IDX_NEXT_LAST;
            end else begin : ring_holds
                assign near_ok_c = base_q == BASES[HEAD_LAST*TW +: AW] &&
                                   wrap_q == (head == LASTS[HEAD_LAST*TW +: AW]) &&
                                   next_base_q == BASES[NEXT_LAST*TW +: AW] &&
                                   next_last_q == LASTS[NEXT_LAST*TW +: AW];
                assign far_ok_c = far_base_q == BASES[AFTER_LAST*TW +: AW] &&
                                  far_last_q == LASTS[AFTER_LAST*TW +: AW] &&
                                  after_q == IDX_AFTER_LAST;
            end
            // Place 1 must lie inside FIFO 0's region, unless the ring keeps its head inside or
            // coming_out brings FIFO 0's first word instead. at_most is asked in the register's
            // process, only at the symbol that makes the check: a simulator works through its
            // loop anew at every call, and in a continuous assignment that is every symbol.
            localparam HEAD_CHECKED = !MOVES_LAST && F != 1;
            // Place 1's address (with a single FIFO the head's).
            wire [AW-1:0] place1_c = ring_q[(F == 1 ? 0 : AW) +: AW];
            wire slot_ok_c;
            if (MARKS == 1 << MW) begin : slot_in_range
                assign slot_ok_c = 1'b1;
            end else begin : slot_beyond
                assign slot_ok_c = mark_slot_q <= SLOT_LAST;
            end
            reg turn_ok_q = 1'b0;
            reg far_ok_q = 1'b0;
            // Always 1 where the head is not checked (a constant, no register).
            reg head_ok_q = !HEAD_CHECKED;
            reg in_step_q = 1'b1;
            assign in_step = in_step_q;

            // The region of the FIFO after FIFO after_q, looked up in the tables (the last FIFO's
            // entry is FIFO 0's). The entry's first bit is after_q with TB zeros after it, the
            // same as after_q * TW, which a simulator would work out with a multiplier at every
            // symbol. The lookup is after_q's alone: with a flag for the last FIFO beside it,
            // synthesis turns FIFO 0's constant bits into set/resets shared with the restart's,
            // a chain of gates from sync_in to the region registers.
            wire [XW+TB-1:0] entry_c = {after_q, {TB{1'b0}}};
            wire [AW-1:0] far_base_next_c = BASES_ON[entry_c +: AW];
            wire [AW-1:0] far_last_next_c = LASTS_ON[entry_c +: AW];
            // The index after after_q, from its table.
            wire [XW-1:0] after_next_c = AFTERS_ON[{after_q, {XB{1'b0}}} +: XW];

            // The ring after a FIFO symbol: the next head moves up, kept inside its region, and
            // the new address goes to the tail; ring_low_c is the address that comes to the head,
            // wrap_next_c tells that it is its region's last word; whether the new place 1 lies
            // below or above its region is found in the registers' process below.
            wire [AW-1:0] ring_low_c;
            wire wrap_next_c;
            // The address that comes to place 1: place 2's, or the head's next with two FIFOs
            // (with one, not used).
            wire [AW-1:0] second_c = F <= 2 ? head_next : ring_q[(F <= 2 ? 0 : 2)*AW +: AW];
            if (F == 1) begin : ring_of_one
                assign ring_low_c = at_most(head, LAST0) ? head_next : {AW{1'b0}};
                assign wrap_next_c = ring_low_c == next_last_q;
            end else begin : ring_of_more
                assign ring_low_c = coming_out ? next_base_q : place1_c;
                // An address found outside comes to the head as its region's first word, which is
                // also the last only in a FIFO of one word (genaddr's zero-delay branch): without
                // one, wrap_next_c is a single equality.
                assign wrap_next_c = coming_out ? ONE_WORD_FIFO && next_base_q == next_last_q : place1_c == next_last_q;
            end

            // The FIFO registers and the frame marks move on at a FIFO symbol (the marks at branch
            // 0's) and restart at the enabled edge after a frame start out of step
            // (late_restart_q): their enable and restart come from registers alone, not from
            // sync_in. What they do at the frame start's own edge is overwritten there.
            reg late_restart_q = 1'b0;
            wire fifos_move = fifo_q || late_restart_q;

            // A frame's first symbol is read from FIFO 0 at this symbol of branch 0 (a count at
            // 1); each count in 1 .. FIRST_LEN moves one down at branch 0's symbols, any other
            // is cleared.
            wire [MARKS-1:0] count_live_c;
            genvar slot;
            for (slot = 0; slot < MARKS; slot = slot + 1) begin : counts
                wire [CW-1:0] count = mark_count_q[slot*CW +: CW];
                if (FIRST_LEN == (1 << CW) - 1) begin : whole_range
                    assign count_live_c[slot] = count != {CW{1'b0}};
                end else begin : below_full
                    assign count_live_c[slot] = count != {CW{1'b0}} && count <= COUNT_FULL;
                end
            end
            localparam integer TWO_I = 2;
            wire due_c = count_one_q != {MARKS{1'b0}};
            reg [MARKS*CW-1:0] count_down_c;
            // The counts that move down to 1.
            reg [MARKS-1:0] count_two_c;
            integer m;
            always @* begin
                count_down_c = {MARKS*CW{1'b0}};
                count_two_c = {MARKS{1'b0}};
                for (m = 0; m < MARKS; m = m + 1) begin
                    if (count_live_c[m])
                        count_down_c[m*CW +: CW] = mark_count_q[m*CW +: CW] - COUNT_ONE;
                    count_two_c[m] = FIRST_LEN >= 2 && mark_count_q[m*CW +: CW] == TWO_I[CW-1:0];
                end
            end

            // A frame start out of step takes FIFO 0's first word (0), also right after a restart.
            assign addr = !keep ? {AW{1'b0}} : late_restart_q ? BASES[LATE_FIFO*TW +: AW] : head;
            assign write_enable = keep ? fifo_q : SKIP == 0;
            assign mark_q = mark_out_q;
            assign flag_q = bypass_q;

            // The commutator. fifo_q holds at genaddr's symbols (every branch a FIFO).
            wire fifo_next_c = !keep ? SKIP == 1 || EXTERNAL == 1 || I_LAST != 1 :
                               SKIP == 1 ? !br_last_q : EXTERNAL == 0 ? br_last_q || br_q != BR_PENULT : fifo_q;
            always @(posedge clock) begin
                if (clock_enable) begin
                    fifo_q <= fifo_next_c;
                    late_restart_q <= !keep;
                    // far_ok_q and head_ok_q are set, not judged, at the edge after a restart
                    // (with I = 2 at the restart's own, which leaves branch I-1) and take no
                    // restart value, so that sync_in reaches neither. at_most is asked at branch
                    // I-2's symbol alone.
                    if (late_restart_q || (I == 2 && !keep))
                        far_ok_q <= 1'b1;
                    else
                        far_ok_q <= far_ok_c;
                    if (late_restart_q || (I == 2 && !keep) || !HEAD_CHECKED || coming_out || br_q != BR_PENULT)
                        head_ok_q <= 1'b1;
                    else
                        head_ok_q <= at_most(place1_c, LAST0);
                    if (keep) begin
                        br_q <= br_last_q ? {BW{1'b0}} : br_q + BR_ONE;
                        // The FIFO registers restarting at this edge take what branch 2 finds: the
                        // state branch I-1 finds, checked at branch I-2, when I is 3.
                        if (late_restart_q)
                            turn_ok_q <= I == 3 && fifo_q == MOVES_PENULT;
                        else
                            turn_ok_q <= fifo_q == MOVES_PENULT && near_ok_c;
                        in_step_q <= br_last_q && turn_ok_q && far_ok_q && head_ok_q && slot_ok_c;
                        branch0_q <= br_last_q;
                        br_last_q <= !br_last_q && br_q == BR_PENULT;
                        bypass_q <= EXTERNAL == 0 && !fifo_q;
                    end else begin
                        br_q <= BR_ONE;
                        turn_ok_q <= 1'b1;
                        in_step_q <= 1'b0;
                        branch0_q <= 1'b0;
                        br_last_q <= I_LAST == 1;
                        bypass_q <= SKIP == 1;
                    end
                end
            end

            // The FIFO regions beside the ring (which moves below); wrap_q tells that the head is its
            // region's last word.
            always @(posedge clock) begin
                if (clock_enable && fifos_move) begin
                    if (!late_restart_q) begin
                        // Whether the new place 1 lies below or above its region. Synthesis
                        // builds each comparison as a carry chain; written here rather than as
                        // continuous subtractions, a simulator makes them at the FIFO symbols
                        // alone, not at every move of their operands.
                        coming_below_q <= F != 1 && second_c < far_base_q;
                        coming_above_q <= F != 1 && far_last_q < second_c;
                        base_q <= next_base_q;
                        wrap_q <= wrap_next_c;
                        next_base_q <= far_base_q;
                        next_last_q <= far_last_q;
                        far_base_q <= far_base_next_c;
                        far_last_q <= far_last_next_c;
                        after_q <= after_next_c;
                    end else begin
                        coming_below_q <= 1'b0;
                        coming_above_q <= 1'b0;
                        base_q <= BASES[RH*TW +: AW];
                        wrap_q <= RING_RESTART[AW-1:0] == LASTS[RH*TW +: AW];
                        next_base_q <= BASES[NEXT_RESTART*TW +: AW];
                        next_last_q <= LASTS[NEXT_RESTART*TW +: AW];
                        far_base_q <= BASES[AFTER_RESTART_I*TW +: AW];
                        far_last_q <= LASTS[AFTER_RESTART_I*TW +: AW];
                        after_q <= AFTER_RESTART;
                    end
                end
            end

            // The ring moves straight into its register, in a process of its own for each number
            // of FIFOs: a ring-wide wire between costs a simulator a bit at a time at every symbol.
            if (F == 1) begin : move_one
                always @(posedge clock)
                    if (clock_enable && fifos_move)
                        ring_q <= !late_restart_q ? ring_low_c : RING_RESTART;
            end else if (F == 2) begin : move_two
                always @(posedge clock)
                    if (clock_enable && fifos_move)
                        ring_q <= !late_restart_q ? {head_next, ring_low_c} : RING_RESTART;
            end else begin : move_more
                always @(posedge clock)
                    if (clock_enable && fifos_move)
                        ring_q <= !late_restart_q ? {head_next, ring_q[F*AW-1:2*AW], ring_low_c} : RING_RESTART;
            end

            // The frame marks: a restart puts its own frame start in slot 0 (an edge late, with no
            // branch 0 symbol between); at branch 0's symbols the counts move down and a frame
            // start in step takes its slot.
            always @(posedge clock) begin
                if (clock_enable) begin
                    if (SKIP == 1)
                        mark_out_q <= first;
                    else
                        mark_out_q <= keep && branch0_q && due_c;
                    if (late_restart_q) begin
                        for (m = 0; m < MARKS; m = m + 1) begin
                            mark_count_q[m*CW +: CW] <= m == 0 ? COUNT_FULL : {CW{1'b0}};
                            count_one_q[m] <= m == 0 && FIRST_LEN == 1;
                        end
                        mark_slot_q <= MARKS == 1 ? {MW{1'b0}} : SLOT_ONE;
                    end else if (branch0_q) begin
                        mark_count_q <= count_down_c;
                        count_one_q <= count_two_c;
                        if (first) begin
                            for (m = 0; m < MARKS; m = m + 1)
                                if (mark_slot_q == m[MW-1:0]) begin
                                    mark_count_q[m*CW +: CW] <= COUNT_FULL;
                                    count_one_q[m] <= FIRST_LEN == 1;
                                end
                            mark_slot_q <= mark_slot_q == SLOT_LAST ? {MW{1'b0}} : mark_slot_q + SLOT_ONE;
                        end
                    end
                end
            end
`ifdef FORMAL
            // The state every run from the initial values keeps, whatever sync_in and
            // clock_enable do (read_verilog -formal only; tests/hdl/formal_invariants.sh proves
            // these assertions by induction). The commutator's flags follow br_q, the coming
            // FIFO (the head's, f_head_c) follows the branch, ring place p holds FIFO
            // f_head_c + p inside its region, the region registers hold the table entries of the
            // FIFOs after it, no place-1 address is found outside, the marks' counts and slot
            // pointer stay in range and the checks made ahead hold at the branches they judge.
            reg [XW:0] f_head_c;
            always @* begin
                if (SKIP == 1)
                    f_head_c = br_q == {BW{1'b0}} ? 0 : br_q - BR_ONE;
                else if (EXTERNAL == 0)
                    f_head_c = br_q == I_LAST[BW-1:0] ? 0 : br_q;
                else
                    f_head_c = br_q;
            end
            // FIFO f_head_c + n, modulo the FIFOs, for n = 0 .. F + 1.
            reg [(F+2)*(XW+1)-1:0] f_fifo_c;
            reg [XW+1:0] f_sum_c;
            integer f_p;
            always @* begin
                for (f_p = 0; f_p < F + 2; f_p = f_p + 1) begin
                    f_sum_c = {1'b0, f_head_c} + f_p[XW+1:0];
                    if (f_sum_c >= F)
                        f_sum_c = f_sum_c - F[XW+1:0];
                    if (f_sum_c >= F)
                        f_sum_c = f_sum_c - F[XW+1:0];
                    f_fifo_c[f_p*(XW+1) +: XW+1] = f_sum_c[XW:0];
                end
            end
            always @* begin
                assert(br_q <= I_LAST);
                assert(branch0_q == (br_q == {BW{1'b0}}));
                assert(br_last_q == (br_q == I_LAST[BW-1:0]));
                assert(fifo_q == (SKIP == 1 ? br_q != {BW{1'b0}} :
                                  EXTERNAL == 0 ? br_q != I_LAST[BW-1:0] : 1'b1));
                assert(!pend_restart_q || pend_q);
                // Restarted at the last enabled edge: at branch 1, the FIFO registers restarting at
                // the coming one.
                assert(!late_restart_q || br_q == BR_ONE);
                if (!late_restart_q) begin
                    for (f_p = 0; f_p < F; f_p = f_p + 1) begin
                        assert(ring_q[f_p*AW +: AW] >= BASES[f_fifo_c[f_p*(XW+1) +: XW+1]*TW +: AW]);
                        assert(ring_q[f_p*AW +: AW] <= LASTS[f_fifo_c[f_p*(XW+1) +: XW+1]*TW +: AW]);
                    end
                    assert(base_q == BASES[f_fifo_c[0*(XW+1) +: XW+1]*TW +: AW]);
                    assert(wrap_q == (head == LASTS[f_fifo_c[0*(XW+1) +: XW+1]*TW +: AW]));
                    assert(next_base_q == BASES[f_fifo_c[1*(XW+1) +: XW+1]*TW +: AW]);
                    assert(next_last_q == LASTS[f_fifo_c[1*(XW+1) +: XW+1]*TW +: AW]);
                    assert(after_q == f_fifo_c[2*(XW+1) +: XW+1]);
                    assert(far_base_q == BASES[f_fifo_c[2*(XW+1) +: XW+1]*TW +: AW]);
                    assert(far_last_q == LASTS[f_fifo_c[2*(XW+1) +: XW+1]*TW +: AW]);
                    assert(!coming_out);
                end
                for (f_p = 0; f_p < MARKS; f_p = f_p + 1) begin
                    assert(mark_count_q[f_p*CW +: CW] <= COUNT_FULL);
                    assert(count_one_q[f_p] == (mark_count_q[f_p*CW +: CW] == COUNT_ONE));
                end
                assert(mark_slot_q <= SLOT_LAST);
                assert(in_step_q == branch0_q);
                assert(!br_last_q || (turn_ok_q && far_ok_q && head_ok_q));
            end
`endif
        end else begin : block
            localparam DISCRETE = INT_TYPE == "BLOCK";
            // Block size, the address walk's modulus and the step of the read walk.
            localparam integer N = I * J;
            localparam integer PW = bit_length(N - 1);
            localparam integer N_PENULT = N - 2;
            localparam integer N_LAST = N - 1;
            localparam integer K = IS_INT ? J : I;
            localparam [PW-1:0] POS_ONE = 1;
            localparam integer N_THIRD = N - 3;
            localparam integer K_PREV = K - 1;
            localparam [PW-1:0] POS_THIRD = N_THIRD[PW-1:0];
            localparam [PW-1:0] POS_LOW_PREV = K_PREV[PW-1:0];
            localparam [AW-1:0] STEP_K = K[AW-1:0];
            localparam [AW-1:0] TWO = 2;
            // Sums one bit wider than the modulus, so that subtracting it shows a borrow; a step
            // is added with and without the modulus taken off, side by side.
            localparam [AW:0] MODULUS = N_LAST[AW:0];
            localparam [AW-1:0] STEP_LAST = N_PENULT[AW-1:0];
            localparam [AW:0] STEP_WRAP_ONE = {1'b0, ONE} - MODULUS;
            localparam [AW:0] STEP_WRAP_K = {1'b0, STEP_K} - MODULUS;

            reg [PW-1:0] pos_q = 0;
            reg [AW-1:0] addr_q = 0;
            // The walk one position ahead of addr_q (k+1 steps from the block's word 0 when the
            // coming position is k, 0 when it is the last).
            reg [AW-1:0] ahead_q = ONE;
            reg [AW-1:0] step_q = 1;
            reg [AW:0] step_wrap_q = STEP_WRAP_ONE;
            // Continuous: the walk takes step 1 instead of step_q, from a restart to the position
            // before last, where step_q takes the next block's step.
            reg unit_q = 1'b0;
            reg [AW-1:0] acc_q = 0;
            reg pos_first_q = 1'b1;
            reg pos_last_q = 1'b0;
            reg pos_penult_q = 1'b0;
            reg pos_low_q = 1'b1;
            reg wphase_q = 1'b1;
            // Discrete: the phase of the position after the coming one, whose step the walk ahead
            // takes (1 writing, K reading).
            reg wahead_q = 1'b1;
            reg bsync_q = 1'b0;
            // A continuous step that shares a factor with IJ-1 (only a register upset or a start
            // without initial values leaves one) walks back to word 0 before the block's end;
            // the block that sees it starts the next one with step 1 instead.
            reg step_bad_q = 1'b0;
            reg mark_out_q = 1'b0;
            reg read_out_q = 1'b0;

            // In step (continuous): the coming symbol is a block's first and every counter holds a
            // block start's value, so that the block goes on correctly whatever the registers held
            // before; any other state takes the restart. The check is made one symbol ahead, at the
            // last position, where pos_last_q sets the position, the address and the position flags
            // of the coming first; the one before last must not be set beside it, the position and
            // address must be the last's, the walk ahead at word 0 with step_q, and the step taken
            // over at the position before must lie in 1 .. IJ-2. It is kept in in_step_q, so that the choice at
            // a frame start is one gate from registers. A discrete block is never in step: a frame
            // start restarts it, and at a block start of the write phase the restart sets exactly
            // the values the block would take.
            wire step_next_ok_c = step_q != {AW{1'b0}} && at_most(step_q, STEP_LAST);
            wire in_step_next_c = pos_last_q && !pos_penult_q && pos_q == N_LAST[PW-1:0] && addr_q == MODULUS[AW-1:0] &&
                                  ahead_q == {AW{1'b0}} && !unit_q && step_next_ok_c;
            reg in_step_q = 1'b1;
            assign in_step = !DISCRETE && in_step_q;

            // The running block's next position and address, from registers only: the address
            // takes the walk ahead, which takes the next step.
            wire wphase_next = wphase_q ^ pos_last_q;
            wire [AW-1:0] step_c = DISCRETE ? (wahead_q ? ONE : STEP_K) : unit_q ? ONE : step_q;
            wire [AW:0] step_wrap_c = DISCRETE ? (wahead_q ? STEP_WRAP_ONE : STEP_WRAP_K) : unit_q ? STEP_WRAP_ONE : step_wrap_q;
            wire [AW-1:0] walk_sum = ahead_q + step_c;
            wire [AW:0] walk_wrap = {1'b0, ahead_q} + step_wrap_c;
            wire [AW-1:0] walk_step = walk_wrap[AW] ? walk_sum : walk_wrap[AW-1:0];
            wire [AW-1:0] addr_next = pos_penult_q ? MODULUS[AW-1:0] : ahead_q;
            wire [AW-1:0] ahead_next = pos_penult_q ? {AW{1'b0}} : walk_step;
            wire [PW-1:0] pos_next = pos_last_q ? {PW{1'b0}} : pos_q + POS_ONE;

            // The RAM's address: a frame's first symbol takes word 0 (in step the block start's).
            assign addr = first ? {AW{1'b0}} : addr_q;
            assign write_enable = !DISCRETE || first || wphase_q;
            assign mark_q = mark_out_q;
            assign flag_q = read_out_q;

            always @(posedge clock) begin
                if (clock_enable) begin
                    // The position counters and flags restart at every frame start: in step they
                    // stand at a block start, where the restart sets the values they would take.
                    if (!first) begin
                        pos_q <= pos_next;
                        in_step_q <= in_step_next_c;
                        pos_first_q <= pos_last_q;
                        pos_last_q <= pos_penult_q;
                        pos_penult_q <= !pos_last_q && pos_q == POS_THIRD;
                        pos_low_q <= pos_last_q || pos_q < POS_LOW_PREV;
                        wphase_q <= wphase_next;
                        wahead_q <= wphase_next ^ pos_penult_q;
                        read_out_q <= DISCRETE && !wphase_q;
                        step_bad_q <= !DISCRETE && !pos_last_q &&
                                      (step_bad_q || (!pos_first_q && addr_q == {AW{1'b0}}));
                    end else begin
                        // A frame start: position 0 taken, at address 0.
                        pos_q <= POS_ONE;
                        in_step_q <= 1'b0;
                        pos_first_q <= 1'b0;
                        pos_last_q <= N_LAST == 1;
                        pos_penult_q <= N_PENULT == 1;
                        pos_low_q <= K > 1;
                        wphase_q <= 1'b1;
                        wahead_q <= N_LAST != 1;
                        read_out_q <= 1'b0;
                        step_bad_q <= 1'b0;
                    end
                    // The address walk goes on at a frame start in step and restarts with step 1
                    // at one out of step.
                    if (keep) begin
                        addr_q <= addr_next;
                        ahead_q <= ahead_next;
                    end else begin
                        addr_q <= ONE;
                        ahead_q <= TWO;
                    end
                    unit_q <= !keep || (unit_q && !pos_penult_q);
                    // The sum is complete before the position before last: the next block's step.
                    if (pos_penult_q) begin
                        step_q <= step_bad_q ? ONE : acc_q;
                        step_wrap_q <= step_bad_q ? STEP_WRAP_ONE : {1'b0, acc_q} - MODULUS;
                    end
                    // The next block's step is K steps of this one's walk: the walk ahead at the
                    // first K positions, the last taken at position K-1 (a restart's own is
                    // taken over at the positions after it).
                    if (pos_low_q)
                        acc_q <= ahead_q;
                    // A continuous block that began with sync_in leaves with sync_out: bsync_q tells
                    // that the running block began with it, up to the next block's first symbol.
                    mark_out_q <= !DISCRETE && (first || pos_first_q) && bsync_q;
                    bsync_q <= !DISCRETE && (first || (bsync_q && !pos_first_q));
                end
            end
`ifdef FORMAL
            // The state every run from the initial values keeps, whatever sync_in and
            // clock_enable do (read_verilog -formal only; tests/hdl/formal_invariants.sh proves
            // these assertions by induction). The position flags follow pos_q; addr_q is the
            // coming position's word and ahead_q the next position's (k steps of the position's
            // step modulo IJ-1, the last position at word IJ-1), a discrete block's step 1 while
            // writing and K while reading, a continuous block's step_q or, after a restart, 1;
            // a continuous step is prime to IJ-1, acc_q is where the walk stood after the first
            // K steps (the next step from the position before last on), and in_step_q is set
            // exactly at the block start.
            localparam [PW+AW-1:0] F_MODULUS = N_LAST;
            // k steps of s from word 0, modulo IJ-1.
            function [AW-1:0] f_walk;
                input [PW:0] k;
                input [AW-1:0] s;
                reg [PW+AW-1:0] product;
                begin
                    product = k * s;
                    product = product % F_MODULUS;
                    f_walk = product[AW-1:0];
                end
            endfunction
            // The continuous steps a run keeps: 1 .. IJ-2, prime to IJ-1.
            function [(1<<AW)-1:0] f_prime_steps;
                input integer modulus;
                integer v, a, b, t, n;
                begin
                    f_prime_steps = 0;
                    for (v = 1; v < modulus && v < 1 << AW; v = v + 1) begin
                        a = modulus;
                        b = v;
                        for (n = 0; n < 32; n = n + 1)
                            if (b != 0) begin
                                t = a % b;
                                a = b;
                                b = t;
                            end
                        f_prime_steps[v] = a == 1;
                    end
                end
            endfunction
            localparam [(1<<AW)-1:0] F_STEPS = f_prime_steps(N_LAST);
            localparam [PW:0] F_K = K;
            reg f_moved_q = 1'b0;  // an enabled edge has passed
            always @(posedge clock)
                if (clock_enable)
                    f_moved_q <= 1'b1;
            // The step of the coming position (step_c is the next one's).
            wire [AW-1:0] f_step_c = DISCRETE ? (wphase_q ? ONE : STEP_K) : unit_q ? ONE : step_q;
            wire [PW:0] f_pos_c = {1'b0, pos_q};
            always @* begin
                assert(pos_q <= N_LAST);
                assert(pos_first_q == (pos_q == {PW{1'b0}}));
                assert(pos_last_q == (pos_q == N_LAST[PW-1:0]));
                assert(pos_penult_q == (pos_q == N_PENULT[PW-1:0]));
                assert(pos_low_q == (pos_q <= K_PREV));
                assert(addr_q == (pos_last_q ? MODULUS[AW-1:0] : f_walk(f_pos_c, f_step_c)));
                assert(ahead_q == (pos_last_q ? {AW{1'b0}} : f_walk(f_pos_c + 1'b1, step_c)));
                assert(!step_bad_q);
                if (DISCRETE) begin
                    assert(wahead_q == (wphase_q ^ pos_last_q));
                    assert(pend_restart_q == pend_q);
                end else begin
                    // A frame start pending in step keeps the block start it found.
                    assert(!pend_restart_q || pend_q);
                    assert(!pend_q || pend_restart_q || in_step_q);
                    assert(!unit_q || (!pos_first_q && !pos_last_q));
                    assert(in_step_q == pos_first_q);
                    assert(F_STEPS[step_q]);
                    assert(step_wrap_q == {1'b0, step_q} - MODULUS);
                    if (f_pos_c >= 2 && f_pos_c <= F_K)
                        assert(acc_q == f_walk(f_pos_c, f_step_c));
                    if (pos_q == POS_ONE && !unit_q)
                        assert(acc_q == step_q);
                    if (f_pos_c > F_K && !pos_last_q)
                        assert(acc_q == f_walk(F_K, f_step_c));
                    if ((pos_first_q && f_moved_q) || pos_last_q)
                        assert(acc_q == step_q);
                end
            end
`endif
        end
    endgenerate

endmodule
`default_nettype wire
