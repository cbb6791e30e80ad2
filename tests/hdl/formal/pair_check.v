// pair_check: the interleaver -> deinterleaver pair of one INT_TYPE/I/J/W, chained as
// hdl/tb_core.v chains it, with the assumptions of the cores' input protocol and the
// assertions of the pair's promise, for a bounded proof with yosys-smtbmc (read with
// read_verilog -formal; tests/hdl/formal_pair_test.sh runs it).
//
// The promise: every symbol the interleaver takes leaves the deinterleaver's dout unchanged
// exactly LATENCY enabled edges later (discrete block: where dout_valid is 1, and, from the first
// symbol out on, dout_valid is 0 where the interleaver took none), and the convolutional and
// continuous deinterleaver's sync_out is 1 exactly on the frame starts, the symbols that had
// sync_in at the interleaver's input. The outputs are checked right after each enabled edge.
//
// Tracked symbol: rather than a queue of every symbol in flight, the solver picks one enabled
// edge (the free input pick), the harness keeps that edge's symbol, whether the interleaver took
// it and whether it was a frame start, counts enabled edges and checks the deinterleaver's
// outputs LATENCY enabled edges later. The edge is any edge, so every symbol is checked.
`default_nettype none
module pair_check #(
    parameter INT_TYPE = "CONVOLUTIONAL", // or "BLOCK" (discrete), "BLOCK_CONTINOUS"
    parameter INT_DEPTH = 2,
    parameter SYMBOL_DELAY = 2,
    parameter SYMBOL_WIDTH = 2,
    parameter EXTERNAL = 0,               // 0: conv_qzram; 1: genaddr with a RAM
    parameter STALL_PERIOD = 6,           // clock_enable is 0 every STALL_PERIOD-th cycle ...
    parameter FREE_STALLS = 0,            // ... or, when > 0, free with at most this many 0s
    parameter FAULT = 0,                  // 1: the deinterleaver's sync_in one enabled edge late
    parameter FREE_START = 0              // 1: cores without initial values: the solver picks
                                          // every register and RAM word at the start
) (
    input wire clock,
    input wire clock_enable,
    input wire sync_in,
    input wire [SYMBOL_WIDTH-1:0] din,
    input wire pick                       // free: the tracked edge is the first enabled one with pick
);
    localparam IS_BLOCK = INT_TYPE == "BLOCK";
    localparam IS_CONT = INT_TYPE == "BLOCK_CONTINOUS";
    localparam integer I = INT_DEPTH;
    localparam integer J = SYMBOL_DELAY;
    localparam integer W = SYMBOL_WIDTH;
    // The pair's documented latency in enabled edges.
    localparam integer LATENCY = EXTERNAL == 0 ?
        (IS_BLOCK || IS_CONT ? 2 * I * J + 4 : (I - 1) * J * I + 6) :
        (IS_BLOCK || IS_CONT ? 2 * I * J + 1 : (I - 1) * J * I + 2 * I + 1);
    localparam integer CW = 12;           // counter width: LATENCY + 1, 2IJ and the cycles fit

    // ---- the pair, chained as tb_core.v chains it ----
    wire [W-1:0] dout1, dout2;
    wire nd1, dv1, so1, nd2, dv2, so2;
    reg seen_q = 1'b0;                    // the interleaver has shown a valid output
    // From any start the interleaver's output pipeline shows what it held for its first few
    // edges: the discrete deinterleaver's start waits until they have passed.
    reg [2:0] settle_q = 3'd0;
    wire armed_c = FREE_START == 0 || settle_q == 3'd5;
    always @(posedge clock) if (clock_enable && !armed_c) settle_q <= settle_q + 3'd1;
    always @(posedge clock) if (clock_enable) seen_q <= seen_q | (dv1 & armed_c);
    // The discrete deinterleaver starts at the interleaver's first valid output, the others
    // follow the interleaver's sync_out.
    wire sync2_c = IS_BLOCK ? (dv1 & ~seen_q & armed_c) : so1;
    reg sync2_late_q = 1'b0;
    always @(posedge clock) if (clock_enable) sync2_late_q <= sync2_c;
    wire sync2 = FAULT == 1 ? sync2_late_q : sync2_c;

    // Each core as hdl/tb_stage.v builds it: conv_qzram, or genaddr with its RAM.
    `include "qz_functions.vh"
    localparam integer A = address_width(INT_TYPE, I, J);
    wire [A-1:0] ra1, wa1, ra2, wa2;
    wire bwe1, bf1, be1, bwe2, bf2, be2;
    tb_stage #(
        .INT_TYPE(INT_TYPE), .INT_DEPTH(I), .SYMBOL_DELAY(J), .INT_MODE("INTERLEAVER"), .SYMBOL_WIDTH(W),
        .EXTERNAL(EXTERNAL), .A(A)
    ) first (
        .clock(clock), .sync_in(sync_in), .clock_enable(clock_enable), .din(din), .dout(dout1),
        .next_din(nd1), .dout_valid(dv1), .sync_out(so1), .read_addr(ra1), .write_addr(wa1),
        .block_write_enable(bwe1), .block_full(bf1), .block_empty(be1));
    tb_stage #(
        .INT_TYPE(INT_TYPE), .INT_DEPTH(I), .SYMBOL_DELAY(J), .INT_MODE("DEINTERLEAVER"), .SYMBOL_WIDTH(W),
        .EXTERNAL(EXTERNAL), .A(A)
    ) second (
        .clock(clock), .sync_in(sync2), .clock_enable(clock_enable), .din(dout1), .dout(dout2),
        .next_din(nd2), .dout_valid(dv2), .sync_out(so2), .read_addr(ra2), .write_addr(wa2),
        .block_write_enable(bwe2), .block_full(bf2), .block_empty(be2));

`ifdef FORMAL
    // ---- what the harness follows of the input ----
    // A sync_in at an edge with clock_enable 0 marks the next symbol taken.
    reg pend_q = 1'b0;
    always @(posedge clock) pend_q <= clock_enable ? 1'b0 : (pend_q | sync_in);
    wire frame_c = sync_in | pend_q;      // the coming enabled edge's symbol starts a frame
    // The interleaver takes a symbol at every enabled edge; the discrete block only while it
    // writes a block (next_din 1).
    wire takes_c = IS_BLOCK ? nd1 : 1'b1;

    // From any start the cores judge a frame start from their own state from their third
    // enabled edge on (they check their state two symbols ahead): the stream starts there,
    // after two enabled edges without sync_in.
    reg [1:0] lead_q = 2'd0;
    wire live_c = FREE_START == 0 || lead_q == 2'd2;
    always @(posedge clock) if (clock_enable && !live_c) lead_q <= lead_q + 2'd1;

    reg started_q = 1'b0;                 // the first enabled edge has passed
    reg [CW-1:0] age_q = 0;               // enabled edges since the first, up to LATENCY
    reg [CW-1:0] flen_q = 0;              // symbols since the frame start, up to I*J
    reg [CW-1:0] fmod_q = 0;              // the same modulo I
    reg [CW-1:0] blk_q = 0;               // enabled edges since the first, modulo 2IJ
    reg [CW-1:0] cycle_q = 0;             // cycles modulo STALL_PERIOD
    reg [CW-1:0] stalls_q = 0;            // cycles with clock_enable 0 so far
    always @(posedge clock) begin
        cycle_q <= cycle_q == STALL_PERIOD - 1 ? 0 : cycle_q + 1;
        if (!clock_enable)
            stalls_q <= stalls_q + 1;
        if (clock_enable && live_c) begin
            started_q <= 1'b1;
            if (started_q && age_q < LATENCY)
                age_q <= age_q + 1;
            if (frame_c) begin
                flen_q <= 1;
                fmod_q <= 1 % I;
            end else begin
                if (flen_q < I * J)
                    flen_q <= flen_q + 1;
                fmod_q <= fmod_q == I - 1 ? 0 : fmod_q + 1;
            end
            blk_q <= blk_q == 2 * I * J - 1 ? 0 : blk_q + 1;
        end
    end

    // ---- assumptions: the documented input protocol ----
    always @* begin
        // din is free. clock_enable: a cycle with clock_enable 0 changes nothing in the cores
        // but the pending sync_in, so what matters is where the 0s fall. Free 0s cost the
        // solver dearly (each one may shift the rest of the trace: a single free 0 makes I=3,
        // J=2 twenty times slower and I=4, J=3 take more than two minutes), so the script runs
        // every configuration with a 0 every STALL_PERIOD-th cycle from the first one on (a
        // sync_in may come there, for the next symbol; the STALL_PERIOD - 1 = 5 enabled edges
        // between the 0s are coprime to I, I*J and 2*I*J, so the 0s fall on every commutator,
        // frame and block position in turn), and the smallest configurations with clock_enable
        // free but at most FREE_STALLS 0s anywhere. The script sets the depth in cycles so that
        // a trace has at least 3 * LATENCY enabled edges.
        if (FREE_STALLS > 0) begin
            if (!clock_enable)
                assume(stalls_q < FREE_STALLS);
        end else begin
            assume(clock_enable == (cycle_q != 0));
        end
        // The first sync_in comes at or before the first symbol.
        if (!live_c)
            assume(!sync_in);
        if (clock_enable && live_c && !started_q)
            assume(frame_c);
        if (IS_BLOCK) begin
            // Discrete block: sync_in on the first symbol of the stream, or later only at the
            // start of a block (the blocks then follow by themselves: IJ edges writing, IJ
            // edges reading, counted from the first symbol). A sync_in at an edge with
            // clock_enable 0 is held to the same rule, for the next symbol.
            if (frame_c)
                assume(blk_q == 0);
        end else if (IS_CONT) begin
            // Continuous block: a frame starts with sync_in on a block's first symbol, in step
            // with the blocks that follow from the first symbol.
            if (frame_c)
                assume(blk_q == 0 || blk_q == I * J);
        end else begin
            // Convolutional: a frame starts with sync_in on its first symbol; a frame is a
            // multiple of I symbols and at least I*J symbols long (every I*J symbols is the
            // common case), the last one may be cut off by the end of the trace.
            if (started_q && frame_c)
                assume(flen_q >= I * J && fmod_q == 0);
        end
    end

    // ---- the tracked symbol ----
    reg picked_q = 1'b0;                  // the tracked edge has passed
    reg [W-1:0] sym_q = 0;                // its symbol
    reg took_q = 1'b0;                    // the interleaver took it
    reg start_q = 1'b0;                   // it was a frame start
    reg [CW-1:0] since_q = 0;             // enabled edges since the tracked one, up to LATENCY + 1
    reg fresh_q = 1'b0;                   // the last edge was enabled: the outputs just moved
    always @(posedge clock) begin
        fresh_q <= clock_enable;
        if (clock_enable) begin
            if (!picked_q && pick && live_c) begin
                picked_q <= 1'b1;
                sym_q <= din;
                took_q <= takes_c;
                start_q <= frame_c;
                since_q <= 0;
            end else if (picked_q && since_q <= LATENCY) begin
                since_q <= since_q + 1;
            end
        end
    end

    // ---- assertions: the promise, right after each enabled edge ----
    wire due_c = fresh_q && picked_q && since_q == LATENCY;    // the tracked symbol is out
    wire early_c = fresh_q && age_q < LATENCY;                  // no symbol can be out yet
    always @* begin
        // The tracked symbol comes out unchanged.
        if (due_c && took_q)
            assert(dout2 == sym_q);
        // Discrete block: dout_valid is 1 exactly where a taken symbol comes out. (Before the
        // first symbol is out the deinterleaver may show a block of its own: not checked.)
        if (IS_BLOCK && due_c)
            assert(dv2 == took_q);
        // Convolutional and continuous block: sync_out is 1 exactly on the frame starts, and
        // never before the first symbol is out (from any start, marks the cores held at the
        // start may come out then).
        if (!IS_BLOCK && due_c)
            assert(so2 == start_q);
        if (!IS_BLOCK && early_c && FREE_START == 0)
            assert(!so2);
    end
`endif
endmodule

`default_nettype wire
