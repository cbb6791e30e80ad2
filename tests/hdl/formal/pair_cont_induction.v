// pair_cont_induction: pair_check for the continuous block pair, conv_qzram (EXTERNAL 0) or
// genaddr with its RAM (EXTERNAL 1), from the initial values with clock_enable 0 every
// STALL_PERIOD-th cycle, with the invariants that make its promise
// inductive, for the k-induction proof of tests/hdl/formal_invariants.sh. The probe wires (p_*)
// show registers inside the pair: the script drives each from the register it names after
// flattening (yosys connect), as Verilog-2001 gives no reference into another module.
//
// The interleaver never restarts (every frame starts at a block start, in step): its position is
// the count of enabled edges modulo IJ. Its first block's mark reaches sync_out D edges in
// (IJ + 3 conv_qzram, IJ + 1 genaddr), where the deinterleaver restarts (its first block with
// step 1) and from then on is D edges behind. Position p of a block with step s is word p*s modulo IJ-1 (the last position word
// IJ-1), and the next block, whose step is K*s, reads that word at position p/K: the tracked
// symbol, taken at position p, is the interleaver's word until its read at position p*I, then in
// the output registers, then the deinterleaver's word of position p*I with its block's step
// until read back at position p, then in its output register. A frame start is a block's first
// symbol: its block carries bsync_q in each core, and the next block's first position marks it.
`default_nettype none
module pair_cont_induction #(
    parameter INT_DEPTH = 2,
    parameter SYMBOL_DELAY = 2,
    parameter SYMBOL_WIDTH = 2,
    parameter EXTERNAL = 0,
    parameter STALL_PERIOD = 6
) (
    input wire clock,
    input wire clock_enable,
    input wire sync_in,
    input wire [SYMBOL_WIDTH-1:0] din,
    input wire pick
);
    `include "qz_functions.vh"
    localparam integer I = INT_DEPTH;
    localparam integer J = SYMBOL_DELAY;
    localparam integer W = SYMBOL_WIDTH;
    localparam integer N = I * J;
    localparam integer PW = bit_length(N - 1);
    localparam integer X = EXTERNAL;
    localparam integer AW = X == 0 ? bit_length(N - 1) : address_width("BLOCK_CONTINOUS", I, J);
    localparam integer CW = 12;                   // pair_check's counter width
    localparam integer P1 = 2 - 2 * X;            // the interleaver's registers behind its RAM's
    localparam integer LATENCY = 2 * N + 4 - 3 * X;
    localparam integer D = N + 1 + P1;            // the deinterleaver restarts at the edge after D

    pair_check #(
        .INT_TYPE("BLOCK_CONTINOUS"), .INT_DEPTH(I), .SYMBOL_DELAY(J), .SYMBOL_WIDTH(W), .EXTERNAL(X),
        .STALL_PERIOD(STALL_PERIOD), .FREE_STALLS(0), .FAULT(0), .FREE_START(0)
    ) pair (
        .clock(clock), .clock_enable(clock_enable), .sync_in(sync_in), .din(din), .pick(pick));

    // ---- the probes ----
    // pair_check's harness registers
    (* keep *) wire [CW-1:0] p_cycle, p_blk, p_since, p_age;
    (* keep *) wire p_fresh, p_started, p_pend, p_picked, p_took, p_start;
    (* keep *) wire [W-1:0] p_sym;
    // each core's position, step, restart step flag, frame flags, RAM and output registers
    // (1 interleaver, 2 deinterleaver)
    (* keep *) wire [PW-1:0] p_pos1, p_pos2;
    (* keep *) wire [AW-1:0] p_step1, p_step2;
    (* keep *) wire p_unit1, p_unit2, p_pend1, p_pend2, p_pend_restart1, p_pend_restart2;
    (* keep *) wire p_bsync1, p_bsync2, p_mark_out1, p_mark_out2;
    (* keep *) wire [1:0] p_mark_pipe1;   // conv_qzram
    (* keep *) wire p_mark_pipe2;
    (* keep *) wire [N*W-1:0] p_ram1, p_ram2;
    // conv_qzram's write of the last symbol's word, made at the next enabled edge
    (* keep *) wire p_write1, p_write2;
    (* keep *) wire [AW-1:0] p_write_addr1, p_write_addr2;
    (* keep *) wire [W-1:0] p_write_data1, p_write_data2;
    (* keep *) wire [W-1:0] p_out1, p_out2;
    (* keep *) wire [2*W-1:0] p_dout1;
    (* keep *) wire [W-1:0] p_dout2;

    localparam [PW+AW-1:0] MODULUS = N - 1;
    localparam [CW-1:0] TWO_N = 2 * N;
    localparam [CW-1:0] N_C = N;
    // k steps of s from word 0, modulo IJ-1.
    function [AW-1:0] walk;
        input [PW-1:0] k;
        input [AW-1:0] s;
        reg [PW+AW-1:0] product;
        begin
            product = k * s;
            product = product % MODULUS;
            walk = product[AW-1:0];
        end
    endfunction
    // s times a constant modulo IJ-1, for every s the address bits hold: the step of the block
    // before (the constant K's inverse: I for the interleaver's step J, J for the other's) and
    // the read position of a word.
    function [(1<<AW)*AW-1:0] times;
        input integer factor;
        integer v;
        begin
            times = 0;
            for (v = 0; v < 1 << AW; v = v + 1)
                times[v*AW +: AW] = (v * factor) % (N - 1);
        end
    endfunction
    localparam [(1<<AW)*AW-1:0] TIMES_I = times(I);
    localparam [(1<<AW)*AW-1:0] TIMES_J = times(J);
    // x - back modulo 2N, for x + 8N - back < 12N (subtractions: a divider slows yosys down).
    function [CW-1:0] behind;
        input [CW-1:0] x;
        input [CW-1:0] back;
        reg [CW-1:0] sum;
        integer n;
        begin
            sum = x + 4 * TWO_N - back;
            for (n = 0; n < 5; n = n + 1)
                if (sum >= TWO_N)
                    sum = sum - TWO_N;
            behind = sum;
        end
    endfunction
    function [CW-1:0] in_block;   // a count below 2N modulo N
        input [CW-1:0] x;
        begin
            in_block = x >= N_C ? x - N_C : x;
        end
    endfunction

    // Enabled edges so far, up to LATENCY + 1.
    reg [CW-1:0] edges_q = 0;
    always @(posedge clock)
        if (clock_enable && edges_q <= LATENCY)
            edges_q <= edges_q + 1'b1;

    // The tracked symbol: its position p, the read positions, and the steps of the blocks it was
    // written in (the running block's, or the one before's when the walk has moved on).
    wire [CW-1:0] at_c = in_block(behind(p_blk, p_since + 1'b1));
    wire [PW-1:0] p_c = at_c[PW-1:0];
    wire [PW-1:0] r1_c = p_c == N - 1 ? N - 1 : TIMES_I[p_c*AW +: AW];
    wire [CW-1:0] d1_c = N_C - at_c + r1_c + P1;              // on the interleaver's dout
    wire [CW-1:0] d2_c = d1_c + N_C - r1_c + at_c;             // read back by the deinterleaver
    // A block's step: step_q, 1 after a restart; at the last position step_q is the next one's.
    wire [AW-1:0] bstep1_c = p_pos1 == N - 1 ? TIMES_I[p_step1*AW +: AW] : p_step1;
    wire [AW-1:0] bstep2_c = p_unit2 ? 1 : p_pos2 == N - 1 ? TIMES_J[p_step2*AW +: AW] : p_step2;
    wire [AW-1:0] wstep1_c = at_c + 1 + p_since < N_C ? bstep1_c : TIMES_I[bstep1_c*AW +: AW];
    wire [AW-1:0] wstep2_c = r1_c + p_since - d1_c < N_C ? bstep2_c : TIMES_J[bstep2_c*AW +: AW];
    wire [AW-1:0] word1_c = p_c == N - 1 ? N - 1 : walk(p_c, wstep1_c);
    wire [AW-1:0] word2_c = r1_c == N - 1 ? N - 1 : walk(r1_c, wstep2_c);
    wire held_c = p_picked && p_since <= LATENCY;

    always @* begin
        // The harness: the stall cycle, the enabled edges and the block count.
        assert(p_cycle < STALL_PERIOD);
        assert(p_fresh == (p_cycle != 1 && (p_started || p_cycle != 0)));
        assert(p_started == (edges_q != 0) && p_age == (p_started ? edges_q - 1'b1 : 0));
        if (!p_started)
            assert(p_cycle <= 1 && !p_picked);
        assert(p_blk < TWO_N && edges_q <= LATENCY + 1);
        if (edges_q <= LATENCY)
            assert(p_blk == behind(edges_q, 0));
        if (p_pend)
            assert(p_cycle == 1 && in_block(p_blk) == 0);
        // The interleaver at the block count, never restarted; its first block's mark.
        assert(p_pend1 == p_pend && !p_pend_restart1 && !p_unit1);
        assert(p_pos1 == in_block(p_blk));
        if (edges_q >= 1 && edges_q <= N)
            assert(p_bsync1);
        assert(!p_mark_out1 || (p_pos1 == 1 && edges_q >= N + 1));
        assert(p_mark_out1 || edges_q != N + 1);
        if (X == 0) begin
            assert(!p_mark_pipe1[0] || (p_pos1 == 2 && edges_q >= N + 2));
            assert(!p_mark_pipe1[1] || (p_pos1 == 3 && edges_q >= N + 3));
            assert(p_mark_pipe1[0] || edges_q != N + 2);
            assert(p_mark_pipe1[1] || edges_q != N + 3);
        end
        // The deinterleaver: with the interleaver up to its start, D edges behind from there,
        // its first block with step 1; no mark before the first block's.
        if (edges_q <= D) begin
            assert(p_pos2 == in_block(p_blk) && !p_unit2 && !p_bsync2);
        end else begin
            assert(p_pos2 == in_block(behind(p_blk, D)));
            assert(p_unit2 == (edges_q <= D + N - 2));
        end
        if (p_pend2)
            assert(p_cycle == 1 && (X == 0 ? p_mark_pipe1[1] : p_mark_out1));
        assert(!p_pend_restart2 || edges_q == D);
        assert(!p_mark_out2 || (p_pos2 == 1 && edges_q >= D + N + 1));
        if (X == 0)
            assert(!p_mark_pipe2 || (p_pos2 == 2 && edges_q >= D + N + 2));
        // The tracked symbol.
        if (p_picked)
            assert(p_started && p_took && p_since <= LATENCY + 1);
        if (held_c) begin
            assert(edges_q > LATENCY || edges_q >= p_since + 1 + at_c);
            assert(!p_start || p_c == 0);
        end
        if (held_c && p_since < d1_c - P1) begin
            if (X == 0 && p_since == 0)
                assert(p_write1 && p_write_addr1 == word1_c && p_write_data1 == p_sym);
            else
                assert(p_ram1[word1_c*W +: W] == p_sym);
        end
        if (held_c && p_since == d1_c - P1)
            assert(p_out1 == p_sym);
        if (X == 0 && held_c && p_since == d1_c - 1)
            assert(p_dout1[W-1:0] == p_sym);
        if (X == 0 && held_c && p_since == d1_c)
            assert(p_dout1[2*W-1:W] == p_sym);
        if (held_c && p_since > d1_c && p_since <= d2_c) begin
            if (X == 0 && p_since == d1_c + 1)
                assert(p_write2 && p_write_addr2 == word2_c && p_write_data2 == p_sym);
            else
                assert(p_ram2[word2_c*W +: W] == p_sym);
        end
        if (held_c && p_since == d2_c + 1)
            assert(p_out2 == p_sym);
        // Its frame start: its block's flag in each core, the mark of the next block's first.
        if (held_c && p_c == 0 && p_since < N)
            assert(p_bsync1 == p_start);
        if (held_c && p_c == 0 && p_since == N)
            assert(p_mark_out1 == p_start);
        if (X == 0 && held_c && p_c == 0 && p_since == N + 1)
            assert(p_mark_pipe1[0] == p_start);
        if (X == 0 && held_c && p_c == 0 && p_since == N + 2)
            assert(p_mark_pipe1[1] == p_start);
        if (held_c && p_c == 0 && p_since > d1_c && p_since <= d1_c + N)
            assert(p_bsync2 == p_start);
        if (held_c && p_c == 0 && p_since == d1_c + N + 1)
            assert(p_mark_out2 == p_start);
    end
endmodule
`default_nettype wire
