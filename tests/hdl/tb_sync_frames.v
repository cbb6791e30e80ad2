// Drives conv_qzram, or genaddr with a synchronous RAM, alone or as the interleaver ->
// deinterleaver pair (chained as tb_core.v does), with random din, clock_enable 1 or with
// random gaps (+gaps=1: the first edge and about one in four disabled) and a frame start at
// the first symbol and then every +frame=N symbols (0: the first only). A frame start due
// while clock_enable is 0 comes as sync_in at those disabled edges, else at the symbol's edge.
// Prints "FAIL ..." when
//  - an output bit of any core (the RAM's output included) is X or Z at an edge from the
//    +bound=B-th enabled edge after the first symbol's on: their count and the first one seen;
//  - with +latency=L: the last core's sync_out is 1 other than L enabled edges after each frame
//    start or its dout differs from the din of L enabled edges earlier; with +first=F (pair):
//    the first core's sync_out is 1 other than F enabled edges after each frame start. With
//    +arbitrary=1 (the cores started from any state) only outputs from L (F) enabled edges on,
//    the first symbol's, are judged; discrete blocks: dout where a symbol taken comes out and
//    dout_valid (frames of 2*I*J: a block written, then read); +free=S starts the frames at
//    the S-th symbol instead of the first, and +align=1 at the first symbol from the S-th on at
//    which the first core is in step (so that it keeps whatever state it ran into), or two
//    frames later.
// Ends with a summary line "done ...".
`default_nettype none
`timescale 1ns / 1ns
module tb_sync_frames;
    parameter INT_TYPE = "CONVOLUTIONAL";
    parameter INT_DEPTH = 3;
    parameter SYMBOL_DELAY = 2;
    parameter INT_MODE = "INTERLEAVER";
    parameter SYMBOL_WIDTH = 4;
    parameter EXTERNAL = 0;
    parameter PAIR = 0;

    `include "qz_functions.vh"
    localparam W = SYMBOL_WIDTH;
    localparam IS_BLOCK = INT_TYPE == "BLOCK";
    localparam integer A = address_width(INT_TYPE, INT_DEPTH, SYMBOL_DELAY);
    localparam OW = EXTERNAL ? 2 * A + 4 + W : W + 3;

    reg clock = 1'b0, clock_enable = 1'b0, sync_in = 1'b0;
    reg [W-1:0] din = 0;
    wire [W-1:0] dout1, dout2;
    wire so1, dv1, so2, dv2;
    wire [OW-1:0] out1, out2;
    // The discrete deinterleaver starts at the interleaver's first valid output (X counts as 0),
    // from any state the first after the interleaver's first block (armed).
    reg seen = 1'b0, armed = 1'b1;
    wire sync2 = IS_BLOCK ? (dv1 === 1'b1 && !seen && armed) : so1;
    always #20 clock = ~clock;
    always @(posedge clock) if (clock_enable) seen <= seen | (dv1 === 1'b1 && armed);

    tb_sync_stage #(
        .INT_TYPE(INT_TYPE), .INT_DEPTH(INT_DEPTH), .SYMBOL_DELAY(SYMBOL_DELAY), .INT_MODE(INT_MODE),
        .W(W), .EXTERNAL(EXTERNAL), .A(A), .OW(OW)
    ) first (
        .clock(clock), .sync_in(sync_in), .clock_enable(clock_enable), .din(din), .dout(dout1),
        .sync_out(so1), .dout_valid(dv1), .outs(out1));
    // Whether the first core would keep its running frame at a frame start now (+align).
    wire first_in_step;
    generate
        if (EXTERNAL == 1) begin : probe_outside
            assign first_in_step = first.core.outside.core.addresses.in_step;
        end else begin : probe_internal
            assign first_in_step = first.core.internal.core.addresses.in_step;
        end
    endgenerate
    generate
        if (PAIR == 1) begin : chained
            tb_sync_stage #(
                .INT_TYPE(INT_TYPE), .INT_DEPTH(INT_DEPTH), .SYMBOL_DELAY(SYMBOL_DELAY), .INT_MODE("DEINTERLEAVER"),
                .W(W), .EXTERNAL(EXTERNAL), .A(A), .OW(OW)
            ) second (
                .clock(clock), .sync_in(sync2), .clock_enable(clock_enable), .din(dout1), .dout(dout2),
                .sync_out(so2), .dout_valid(dv2), .outs(out2));
        end else begin : alone
            assign dout2 = dout1;
            assign so2 = so1;
            assign dv2 = dv1;
            assign out2 = 0;
        end
    endgenerate

    integer cycles, gaps, frame, bound, latency, first_latency, arbitrary, free, align, start0;
    reg [31:0] seed;
    reg [63:0] word;
    integer k, b, n, xbits, starts, marks, marks_missed, stray, stray1, mism;
    reg pend;
    reg [2*OW-1:0] obs;
    reg [63:0] hist [0:65535];

    // xorshift32: the same sequence in every simulator (the seed must not be 0).
    function [31:0] next_random;
        input [31:0] x;
        reg [31:0] y;
        begin
            y = x ^ (x << 13);
            y = y ^ (y >> 17);
            next_random = y ^ (y << 5);
        end
    endfunction

    // Whether the symbol taken at enabled edge s (counted from 0) starts a frame.
    function is_start;
        input integer s;
        is_start = s >= start0 && (frame > 0 ? (s - start0) % frame == 0 : s == start0);
    endfunction

    // Whether the symbol at enabled edge s is taken: discrete blocks take a block of I*J symbols
    // from each frame start (a frame is then written and read, +frame=2*I*J), others all.
    function taken;
        input integer s;
        taken = !IS_BLOCK || (s >= start0 && (frame > 0 ? (s - start0) % frame < INT_DEPTH * SYMBOL_DELAY
                                                        : s - start0 < INT_DEPTH * SYMBOL_DELAY));
    endfunction

    // One core's outputs, named.
    task put;
        input [OW-1:0] o;
        if (EXTERNAL)
            $write(" read_addr %b write_addr %b block_write_enable %b block_full %b block_empty %b sync_out %b q %b",
                   o[OW-1 -: A], o[OW-A-1 -: A], o[W+3], o[W+2], o[W+1], o[W], o[W-1:0]);
        else
            $write(" dout %b sync_out %b dout_valid %b next_din %b", o[OW-1:3], o[2], o[1], o[0]);
    endtask

    initial begin
        if (!$value$plusargs("seed=%d", seed) || seed == 0) seed = 1;
        if (!$value$plusargs("cycles=%d", cycles)) cycles = 1000;
        if (!$value$plusargs("gaps=%d", gaps)) gaps = 0;
        if (!$value$plusargs("frame=%d", frame)) frame = 0;
        if (!$value$plusargs("bound=%d", bound)) bound = cycles;
        if (!$value$plusargs("latency=%d", latency)) latency = -1;
        if (!$value$plusargs("first=%d", first_latency)) first_latency = -1;
        if (!$value$plusargs("arbitrary=%d", arbitrary)) arbitrary = 0;
        if (!$value$plusargs("free=%d", free)) free = 0;
        if (!$value$plusargs("align=%d", align)) align = 0;
        start0 = align ? 1 << 30 : free;
        if (latency > 65535) $display("FAIL latency %0d beyond the din history", latency);
        n = 0; pend = 0; xbits = 0; starts = 0; marks = 0; marks_missed = 0; stray = 0; stray1 = 0; mism = 0;
        for (k = 0; k < cycles; k = k + 1) begin
            // Inputs at 40k, the rising edge at 40k + 20, outputs taken at 40k + 30.
            seed = next_random(seed);
            clock_enable = gaps ? (k > 0 && seed[1:0] != 0) : 1'b1;
            if (align && n >= free && start0 > n && (first_in_step === 1'b1 || n >= free + 2 * frame)) begin
                start0 = n;
                $display("first frame start at enabled edge %0d, %s", n, first_in_step === 1'b1 ? "in step" : "a restart");
            end
            sync_in = is_start(n) && !(clock_enable && pend);
            armed = !arbitrary || n >= start0 + INT_DEPTH * SYMBOL_DELAY;
            seed = next_random(seed);
            word[31:0] = seed;
            seed = next_random(seed);
            word[63:32] = seed;
            din = word[W-1:0];
            #30;
            obs = {out2, out1};
            if (n > bound || (n == bound && clock_enable))
                for (b = 0; b < 2 * OW; b = b + 1)
                    if (obs[b] !== 1'b0 && obs[b] !== 1'b1) begin
                        if (xbits == 0) begin
                            $write("FAIL first X/Z at edge %0d (%0d enabled): first core", k, n + clock_enable);
                            put(out1);
                            if (PAIR == 1) begin $write(", second"); put(out2); end
                            $display("");
                        end
                        xbits = xbits + 1;
                    end
            pend = clock_enable ? 1'b0 : pend | sync_in;
            if (clock_enable && latency >= 0) begin
                hist[n & 65535] = din;
                if (is_start(n - latency)) starts = starts + 1;
                if (so2 === 1'b1 && is_start(n - latency)) marks = marks + 1;
                // Judged here as well as in the summary, which some simulators read stale.
                if (!IS_BLOCK && so2 !== 1'b1 && is_start(n - latency) && marks_missed == 0)
                    $display("FAIL frame start at enabled edge %0d not marked %0d later", n - latency, latency);
                if (!IS_BLOCK && so2 !== 1'b1 && is_start(n - latency)) marks_missed = marks_missed + 1;
                if (so2 !== 1'b0 && !is_start(n - latency) && (!arbitrary || n >= start0 + latency)) begin
                    if (stray == 0) $display("FAIL sync_out %b at enabled edge %0d, no frame start %0d before", so2, n, latency);
                    stray = stray + 1;
                end
                if (first_latency >= 0 && so1 !== is_start(n - first_latency) && (!arbitrary || n >= start0 + first_latency)) begin
                    if (stray1 == 0) $display("FAIL first core's sync_out %b at enabled edge %0d", so1, n);
                    stray1 = stray1 + 1;
                end
                if (IS_BLOCK && n >= start0 + latency && dv2 !== taken(n - latency)) begin
                    if (mism == 0) $display("FAIL dout_valid %b at enabled edge %0d", dv2, n);
                    mism = mism + 1;
                end
                if (n >= start0 + latency && taken(n - latency) && dout2 !== hist[(n - latency) & 65535][W-1:0]) begin
                    if (mism == 0) $display("FAIL dout %b at enabled edge %0d, din %0d before was %b", dout2, n, latency,
                                            hist[(n - latency) & 65535][W-1:0]);
                    mism = mism + 1;
                end
            end
            n = n + clock_enable;
            #10;
        end
        if (xbits > 0) $display("FAIL %0d output bits X or Z after %0d enabled edges", xbits, bound);
        if (latency >= 0 && ((!IS_BLOCK && marks != starts) || stray + stray1 + mism > 0))
            $display("FAIL %0d of %0d frame starts marked, %0d other sync_out, %0d first core's sync_out wrong, %0d dout wrong",
                     marks, starts, stray, stray1, mism);
        $write("done: %0d edges, %0d enabled, %0d X/Z bits", cycles, n, xbits);
        if (latency >= 0) $write(", %0d of %0d frame starts marked", marks, starts);
        $display("");
        $finish;
    end
endmodule

// One core, hdl/tb_stage.v's: conv_qzram (outs = dout, sync_out, dout_valid, next_din), or
// genaddr with its RAM, which has no initial contents (outs = read_addr, write_addr,
// block_write_enable, block_full, block_empty, sync_out, the RAM's output).
module tb_sync_stage #(
    parameter INT_TYPE = "CONVOLUTIONAL",
    parameter INT_DEPTH = 2,
    parameter SYMBOL_DELAY = 2,
    parameter INT_MODE = "INTERLEAVER",
    parameter W = 1,
    parameter EXTERNAL = 0,
    parameter A = 4,
    parameter OW = 4
) (
    input wire clock, sync_in, clock_enable,
    input wire [W-1:0] din,
    output wire [W-1:0] dout,
    output wire sync_out, dout_valid,
    output wire [OW-1:0] outs
);
    wire next_din, block_write_enable, block_full, block_empty;
    wire [A-1:0] read_addr, write_addr;
    tb_stage #(
        .INT_TYPE(INT_TYPE), .INT_DEPTH(INT_DEPTH), .SYMBOL_DELAY(SYMBOL_DELAY), .INT_MODE(INT_MODE),
        .SYMBOL_WIDTH(W), .EXTERNAL(EXTERNAL), .A(A)
    ) core (
        .clock(clock), .sync_in(sync_in), .clock_enable(clock_enable), .din(din), .dout(dout),
        .next_din(next_din), .dout_valid(dout_valid), .sync_out(sync_out), .read_addr(read_addr),
        .write_addr(write_addr), .block_write_enable(block_write_enable), .block_full(block_full),
        .block_empty(block_empty));
    generate
        if (EXTERNAL == 0) begin : internal
            assign outs = {dout, sync_out, dout_valid, next_din};
        end else begin : outside
            assign outs = {read_addr, write_addr, block_write_enable, block_full, block_empty, sync_out, dout};
        end
    endgenerate
endmodule
`default_nettype wire
