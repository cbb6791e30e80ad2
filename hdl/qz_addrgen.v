// qz_addrgen: the commutator and address counters of the interleaver cores. conv_qzram
// (EXTERNAL = 0) puts them on its own RAM, genaddr (EXTERNAL = 1) on a RAM outside.
// Read line by line against qz_addrgen.vhd: the same names, stages and arithmetic.
//
// addr and write_enable are for the coming enabled edge: the RAM reads the word at addr (the
// old word) and writes din there when write_enable is 1. Both come from registers computed one
// symbol ahead; the only logic between sync_in and them chooses the address of a frame that
// starts out of step (a constant) over the running frame's. mark_q, read_q and bypass_q belong
// to the word the RAM read at the last enabled edge.
//
// A sync_in in step with the counters (a convolutional frame starting at branch 0, a block at
// its first position) changes nothing; one out of step restarts every counter, pointer and
// frame mark from the values of a frame start. The choice is written so that counters in an
// unknown state (a start without initial values) take the restart.
module qz_addrgen #(
    parameter INT_TYPE = "CONVOLUTIONAL",
    parameter INT_DEPTH = 12,
    parameter SYMBOL_DELAY = 17,
    parameter INT_MODE = "INTERLEAVER",
    parameter EXTERNAL = 0,
    parameter ADDR_WIDTH = 12
) (
    input wire clock,
    input wire sync_in,
    input wire clock_enable,
    output wire [ADDR_WIDTH-1:0] addr,
    output wire write_enable,
    output wire mark_q,
    output wire read_q,
    output wire bypass_q
);
    localparam IS_INT = INT_MODE == "INTERLEAVER";

    generate
        if (INT_TYPE == "CONVOLUTIONAL") begin : convolutional
            qz_conv_addr #(
                .INT_DEPTH(INT_DEPTH),
                .SYMBOL_DELAY(SYMBOL_DELAY),
                .INTERLEAVER(IS_INT ? 1 : 0),
                .EXTERNAL(EXTERNAL),
                .ADDR_WIDTH(ADDR_WIDTH)
            ) counters (
                .clock(clock),
                .sync_in(sync_in),
                .clock_enable(clock_enable),
                .addr(addr),
                .write_enable(write_enable),
                .mark_q(mark_q),
                .bypass_q(bypass_q)
            );
            assign read_q = 1'b0;
        end else begin : block
            qz_block_addr #(
                .INT_DEPTH(INT_DEPTH),
                .SYMBOL_DELAY(SYMBOL_DELAY),
                .INTERLEAVER(IS_INT ? 1 : 0),
                .DISCRETE(INT_TYPE == "BLOCK" ? 1 : 0),
                .ADDR_WIDTH(ADDR_WIDTH)
            ) counters (
                .clock(clock),
                .sync_in(sync_in),
                .clock_enable(clock_enable),
                .addr(addr),
                .write_enable(write_enable),
                .mark_q(mark_q),
                .read_q(read_q)
            );
            assign bypass_q = 1'b0;
        end
    endgenerate
endmodule

// Convolutional commutator: branch k of the interleaver delays its symbols by k*J of its own
// symbols, branch k of the deinterleaver by (I-1-k)*J (each one more with EXTERNAL, since a RAM
// that returns the old word cannot give back the symbol of the same edge). Every branch with a
// delay is a FIFO: a region of the RAM as long as the delay, read and written at one address
// that steps through the region, so the word read is the one written a delay ago. The regions
// lie one after the other in commutator order; conv_qzram's zero-delay branch has none and
// passes the RAM by (bypass_q).
//
// The FIFOs' addresses sit in a ring of registers, the coming FIFO branch's at its head: a
// FIFO symbol takes the head's address and puts the next one (head + 1, or the region's first
// word) at the tail. base_q and last_q bound the head's region, next_len_q is the length of
// the region after it.
//
// Frame marks: the frame's first symbol takes branch 0. Where branch 0 delays it, the marks in
// flight wait in a queue of the addresses they were written at (at most MARKS of them, one
// frame of I*J symbols apart each); the word read at the queue head's address is marked.
module qz_conv_addr #(
    parameter INT_DEPTH = 12,
    parameter SYMBOL_DELAY = 17,
    parameter INTERLEAVER = 1,
    parameter EXTERNAL = 0,
    parameter ADDR_WIDTH = 11
) (
    input wire clock,
    input wire sync_in,
    input wire clock_enable,
    output wire [ADDR_WIDTH-1:0] addr,
    output wire write_enable,
    output wire mark_q,
    output wire bypass_q
);
    `include "qz_functions.vh"

    localparam integer I = INT_DEPTH;
    localparam integer J = SYMBOL_DELAY;
    localparam integer AW = ADDR_WIDTH;
    localparam integer BW = bit_length(I - 1);
    // FIFO branches, in commutator order; the interleaver's first with a delay is branch 1.
    localparam integer F = EXTERNAL == 1 ? I : I - 1;
    localparam integer SKIP = (INTERLEAVER == 1 && EXTERNAL == 0) ? 1 : 0;
    // Whether the frame's first symbol (branch 0) goes through a FIFO, and how many marks its
    // FIFO can hold in flight: one frame of J symbols on each branch apart.
    localparam integer START_FIFO = 1 - SKIP;
    localparam integer MARKS = START_FIFO == 1 ? (fifo_len(0) + J - 1) / J : 1;
    // After a restart: the head FIFO (the first consumed when branch 0 has one).
    localparam integer RH = START_FIFO == 1 ? 1 % F : 0;

    // The length of FIFO m (branch m + SKIP).
    function integer fifo_len;
        input integer m;
        begin
            if (INTERLEAVER == 1)
                fifo_len = (m + SKIP) * J + EXTERNAL;
            else
                fifo_len = (I - 1 - m) * J + EXTERNAL;
        end
    endfunction

    function integer fifo_base;
        input integer m;
        integer n;
        begin
            fifo_base = 0;
            for (n = 0; n < m; n = n + 1)
                fifo_base = fifo_base + fifo_len(n);
        end
    endfunction

    // The ring at power-up (after_start 0) or after a frame start that restarted it (1): every
    // FIFO at its region's first word; with after_start, FIFO 0 has taken that word.
    function [F*AW-1:0] ring_start;
        input integer after_start;
        integer n, m, a;
        begin
            ring_start = 0;
            for (n = 0; n < F; n = n + 1) begin
                m = (n + after_start) % F;
                a = fifo_base(m);
                if (after_start == 1 && n == F - 1 && fifo_len(0) > 1)
                    a = 1;
                ring_start[n*AW +: AW] = a[AW-1:0];
            end
        end
    endfunction

    function [AW-1:0] sized;
        input integer x;
        begin
            sized = x[AW-1:0];
        end
    endfunction

    localparam [BW-1:0] BR_ONE = 1;
    localparam [BW-1:0] BR_LAST = I - 1;
    localparam [BW-1:0] BR_PENULT = I - 2;
    localparam [AW-1:0] DELAY_STEP = J;
    localparam [AW-1:0] LAST_LEN = fifo_len(F - 1);
    localparam [F*AW-1:0] RING_POWER_UP = ring_start(0);
    localparam [F*AW-1:0] RING_RESTART = ring_start(START_FIFO);

    // The coming symbol's branch when no frame starts, and what follows from it.
    reg pend_q = 1'b0;
    reg [BW-1:0] br_q = 0;
    reg in_step_q = 1'b1;
    reg br_last_q = 1'b0;
    reg fifo_q = START_FIFO == 1;
    // The FIFO addresses and the head's region.
    reg [F*AW-1:0] ring_q = RING_POWER_UP;
    reg [AW-1:0] base_q = 0;
    reg [AW-1:0] last_q = sized(fifo_len(0) - 1);
    reg [AW-1:0] next_len_q = sized(fifo_len(1 % F));
    reg head_last_q = F == 1;
    // Frame marks in flight: valid bits and addresses, the oldest at 0.
    reg [MARKS-1:0] mark_valid_q = 0;
    reg [MARKS*AW-1:0] mark_addr_q = 0;
    reg mark_r = 1'b0;
    reg bypass_r = 1'b0;

    wire first = sync_in | pend_q;
    wire [AW-1:0] head = ring_q[AW-1:0];
    wire [AW-1:0] head_next = head == last_q ? base_q : head + 1'b1;
    wire mark_hit = mark_valid_q[0] && mark_addr_q[AW-1:0] == head;

    // The ring after a FIFO symbol: the next head moves up, the new address goes to the tail.
    reg [F*AW-1:0] ring_shifted;
    always @* begin
        ring_shifted = ring_q >> AW;
        ring_shifted[(F-1)*AW +: AW] = head_next;
    end

    // keep: the running frame goes on (no frame start, or one in step); otherwise the counters
    // restart. An unknown in_step_q restarts them.
    reg keep;
    always @* begin
        if (!first || in_step_q)
            keep = 1'b1;
        else
            keep = 1'b0;
    end

    assign addr = (SKIP == 1 || keep) ? head : {AW{1'b0}};
    assign write_enable = keep ? fifo_q : START_FIFO == 1;
    assign mark_q = mark_r;
    assign bypass_q = bypass_r;

    // The marks queue after this edge: the head leaves when its word is read (pop), a frame
    // start joins behind the others (push); a restart empties it first.
    reg [MARKS-1:0] valid_c;
    reg [MARKS*AW-1:0] addr_c;
    reg below_c, pop_c;
    integer m;
    always @* begin
        pop_c = keep && in_step_q && mark_hit;
        for (m = 0; m < MARKS; m = m + 1) begin
            if (!keep) begin
                valid_c[m] = 1'b0;
                addr_c[m*AW +: AW] = 0;
                below_c = m == 0;
            end else if (pop_c) begin
                valid_c[m] = m + 1 < MARKS ? mark_valid_q[(m + 1) % MARKS] : 1'b0;
                addr_c[m*AW +: AW] = mark_addr_q[((m + 1) % MARKS)*AW +: AW];
                below_c = m == 0 || mark_valid_q[m];
            end else begin
                valid_c[m] = mark_valid_q[m];
                addr_c[m*AW +: AW] = mark_addr_q[m*AW +: AW];
                below_c = m == 0 || mark_valid_q[(m + MARKS - 1) % MARKS];
            end
            if (first && below_c && !valid_c[m]) begin
                valid_c[m] = 1'b1;
                addr_c[m*AW +: AW] = keep ? head : {AW{1'b0}};
            end
        end
    end

    always @(posedge clock) begin
        if (clock_enable) begin
            pend_q <= 1'b0;
            if (keep) begin
                br_q <= br_last_q ? {BW{1'b0}} : br_q + BR_ONE;
                in_step_q <= br_last_q;
                br_last_q <= !br_last_q && br_q == BR_PENULT;
                if (SKIP == 1)
                    fifo_q <= !br_last_q;
                else if (EXTERNAL == 0)
                    fifo_q <= !(!br_last_q && br_q == BR_PENULT);
                if (fifo_q) begin
                    ring_q <= ring_shifted;
                    if (head_last_q) begin
                        base_q <= 0;
                        last_q <= sized(fifo_len(0) - 1);
                        next_len_q <= sized(fifo_len(1 % F));
                        head_last_q <= F == 1;
                    end else begin
                        base_q <= last_q + 1'b1;
                        last_q <= last_q + next_len_q;
                        next_len_q <= INTERLEAVER == 1 ? next_len_q + DELAY_STEP : next_len_q - DELAY_STEP;
                        head_last_q <= next_len_q == LAST_LEN;
                    end
                end
                bypass_r <= EXTERNAL == 0 && !fifo_q;
            end else begin
                br_q <= BR_ONE;
                in_step_q <= 1'b0;
                br_last_q <= I == 2;
                fifo_q <= EXTERNAL == 1 || SKIP == 1 || I != 2;
                ring_q <= RING_RESTART;
                base_q <= sized(fifo_base(RH));
                last_q <= sized(fifo_base(RH) + fifo_len(RH) - 1);
                next_len_q <= sized(fifo_len((RH + 1) % F));
                head_last_q <= RH == F - 1;
                bypass_r <= SKIP == 1;
            end
            if (START_FIFO == 1)
                mark_r <= pop_c;
            else
                mark_r <= first;
            mark_valid_q <= valid_c;
            mark_addr_q <= addr_c;
        end else begin
            pend_q <= pend_q | sync_in;
        end
    end
endmodule

// Block: positions count the block's symbols. Discrete blocks write linear addresses, then
// read with a step of J (interleaver) or I (deinterleaver) modulo IJ-1, the last word being
// IJ-1. Continuous blocks read and write one address; block k walks with the k-th power of
// that step, so each block takes the place of the one read out. The next block's step is
// summed over the first positions of the current one. The next address and the flags of the
// next position (last, one before last, first, within the first K) are registers.
module qz_block_addr #(
    parameter INT_DEPTH = 12,
    parameter SYMBOL_DELAY = 17,
    parameter INTERLEAVER = 1,
    parameter DISCRETE = 1,
    parameter ADDR_WIDTH = 8
) (
    input wire clock,
    input wire sync_in,
    input wire clock_enable,
    output wire [ADDR_WIDTH-1:0] addr,
    output wire write_enable,
    output wire mark_q,
    output wire read_q
);
    `include "qz_functions.vh"

    localparam integer I = INT_DEPTH;
    localparam integer J = SYMBOL_DELAY;
    localparam integer AW = ADDR_WIDTH;
    // Block size, the address walk's modulus and the step of the read walk.
    localparam integer N = I * J;
    localparam integer PW = bit_length(N - 1);
    localparam [PW-1:0] POS_ONE = 1;
    localparam [PW-1:0] POS_PENULT = N - 2;
    localparam [PW-1:0] POS_LAST = N - 1;
    localparam [PW-1:0] STEP_K = INTERLEAVER == 1 ? J : I;
    // Sums one bit wider than the modulus, so that subtracting it shows a borrow.
    localparam [PW:0] MODULUS = N - 1;

    reg pend_q = 1'b0;
    reg [PW-1:0] pos_q = 0;
    reg [PW-1:0] addr_q = 0;
    reg [PW-1:0] step_q = 1;
    reg [PW-1:0] acc_q = 0;
    reg pos_first_q = 1'b1;
    reg pos_last_q = 1'b0;
    reg pos_penult_q = 1'b0;
    reg pos_low_q = 1'b1;
    reg wphase_q = 1'b1;
    reg in_step_q = 1'b1;
    reg bsync_q = 1'b0;
    reg mark_r = 1'b0;
    reg read_r = 1'b0;

    wire first = sync_in | pend_q;
    reg keep;
    always @* begin
        if (!first || in_step_q)
            keep = 1'b1;
        else
            keep = 1'b0;
    end

    // The running block's next position and address, from registers only.
    wire [PW-1:0] step_v = DISCRETE == 1 ? (wphase_q ? POS_ONE : STEP_K) : step_q;
    wire [PW:0] addr_sum = {1'b0, addr_q} + {1'b0, step_v};
    wire [PW:0] addr_wrap = addr_sum - MODULUS;
    wire [PW-1:0] addr_step = addr_wrap[PW] ? addr_sum[PW-1:0] : addr_wrap[PW-1:0];
    wire [PW-1:0] addr_next = pos_last_q ? {PW{1'b0}} : pos_penult_q ? MODULUS[PW-1:0] : addr_step;
    wire [PW-1:0] pos_next = pos_last_q ? {PW{1'b0}} : pos_q + POS_ONE;
    wire wphase_next = pos_last_q ? !wphase_q : wphase_q;
    wire [PW-1:0] acc_v = pos_first_q ? {PW{1'b0}} : acc_q;
    wire [PW:0] acc_sum = {1'b0, acc_v} + {1'b0, step_q};
    wire [PW:0] acc_wrap = acc_sum - MODULUS;
    wire [PW-1:0] acc_next = !pos_low_q ? acc_v : acc_wrap[PW] ? acc_sum[PW-1:0] : acc_wrap[PW-1:0];

    assign addr = keep ? {{(AW - PW){1'b0}}, addr_q} : {AW{1'b0}};
    assign write_enable = DISCRETE == 0 || !keep || wphase_q;
    assign mark_q = mark_r;
    assign read_q = read_r;

    always @(posedge clock) begin
        if (clock_enable) begin
            pend_q <= 1'b0;
            if (keep) begin
                pos_q <= pos_next;
                addr_q <= addr_next;
                pos_first_q <= pos_last_q;
                pos_last_q <= pos_penult_q;
                pos_penult_q <= pos_next == POS_PENULT;
                pos_low_q <= pos_next < STEP_K;
                if (DISCRETE == 1) begin
                    wphase_q <= wphase_next;
                    in_step_q <= pos_last_q && wphase_next;
                    read_r <= !wphase_q;
                end else begin
                    in_step_q <= pos_last_q;
                    acc_q <= acc_next;
                    step_q <= pos_last_q ? acc_next : step_q;
                end
            end else begin
                // A frame start out of step: position 0 taken, at address 0, step 1.
                pos_q <= POS_ONE;
                addr_q <= POS_ONE;
                pos_first_q <= 1'b0;
                pos_last_q <= POS_LAST == POS_ONE;
                pos_penult_q <= POS_PENULT == POS_ONE;
                pos_low_q <= 1'b1;
                wphase_q <= 1'b1;
                in_step_q <= 1'b0;
                read_r <= 1'b0;
                acc_q <= POS_ONE;
                step_q <= POS_ONE;
            end
            // A continuous block that began with sync_in leaves with sync_out.
            mark_r <= 1'b0;
            if (DISCRETE == 0 && (!keep || pos_first_q)) begin
                mark_r <= bsync_q;
                bsync_q <= first;
            end
        end else begin
            pend_q <= pend_q | sync_in;
        end
    end
endmodule
