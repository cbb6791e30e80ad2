// pair_block_induction: pair_check for the discrete block pair (from the initial values,
// clock_enable 0 every STALL_PERIOD-th cycle), with the invariants that make its promise
// inductive, for the k-induction proof of tests/hdl/formal_invariants.sh. The probe wires
// (p_*) show registers inside the pair: the script drives each from the register it names
// after flattening (yosys connect), as Verilog-2001 gives no reference into another module.
//
// Both cores follow the count of enabled edges: the interleaver is at block position
// blk_q modulo IJ, writing while blk_q < IJ; the deinterleaver runs from power-up the same until
// its sync_in, the interleaver's first dout_valid after D enabled edges, and from there D edges
// behind. The tracked symbol taken at write position p is RAM word p of the interleaver until
// its read position r (r*J = p modulo IJ-1) reads it, then in the output registers, then RAM word
// r of the deinterleaver until it reads it back at position p, then in its output registers,
// LATENCY edges after it was taken.
`default_nettype none
module pair_block_induction #(
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
    localparam integer CW = 12;           // pair_check's counter width
    // Enabled edges from the interleaver's read to its dout (P1) and the deinterleaver's (P2).
    localparam integer P1 = EXTERNAL == 0 ? 3 : 1;
    localparam integer P2 = EXTERNAL == 0 ? 2 : 1;
    localparam integer LATENCY = 2 * N + P1 + P2 - 1;
    // The deinterleaver restarts at the enabled edge after D edges: the first dout_valid.
    localparam integer D = N + P1;

    pair_check #(
        .INT_TYPE("BLOCK"), .INT_DEPTH(I), .SYMBOL_DELAY(J), .SYMBOL_WIDTH(W), .EXTERNAL(EXTERNAL),
        .STALL_PERIOD(STALL_PERIOD), .FREE_STALLS(0), .FAULT(0), .FREE_START(0)
    ) pair (
        .clock(clock), .clock_enable(clock_enable), .sync_in(sync_in), .din(din), .pick(pick));

    // ---- the probes ----
    // pair_check's harness registers
    (* keep *) wire [CW-1:0] p_cycle, p_blk, p_since;
    (* keep *) wire p_fresh, p_started, p_pend, p_seen, p_picked, p_took;
    (* keep *) wire [W-1:0] p_sym;
    // each core's block position, phase, pending frame start and read flag (1 interleaver,
    // 2 deinterleaver)
    (* keep *) wire [PW-1:0] p_pos1, p_pos2;
    (* keep *) wire p_wphase1, p_wphase2, p_pend1, p_pend2, p_read_out1, p_read_out2;
    // each RAM's words (word x at bits x*W), its output register (ram_q, or the RAM's q with
    // genaddr), and conv_qzram's output pipeline and flags behind it
    (* keep *) wire [N*W-1:0] p_ram1, p_ram2;
    // conv_qzram's write of the last symbol's word, made at the next enabled edge
    (* keep *) wire p_write1, p_write2;
    (* keep *) wire [PW-1:0] p_write_addr1, p_write_addr2;
    (* keep *) wire [W-1:0] p_write_data1, p_write_data2;
    (* keep *) wire [W-1:0] p_out1, p_out2;
    (* keep *) wire [2*W-1:0] p_dout1;
    (* keep *) wire [W-1:0] p_dout2;
    (* keep *) wire [1:0] p_read_pipe1;
    (* keep *) wire p_read_pipe2;

    // The interleaver's read position of word p: r*J = p modulo IJ-1, word IJ-1 last.
    function [N*PW-1:0] read_positions;
        input integer dummy;
        integer r;
        begin
            read_positions = 0;
            for (r = 0; r < N - 1; r = r + 1)
                read_positions[((r * J) % (N - 1))*PW +: PW] = r;
            read_positions[(N-1)*PW +: PW] = N - 1;
        end
    endfunction
    localparam [N*PW-1:0] READ_POS = read_positions(0);

    localparam [CW-1:0] TWO_N = 2 * N;
    localparam [CW-1:0] N_C = N;
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
    // A count below 2N modulo N.
    function [CW-1:0] in_block;
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
    wire [CW-1:0] edges_c = edges_q;
    wire [CW-1:0] b2_c = behind(p_blk, D);                           // the deinterleaver's since its start
    wire [CW-1:0] at_c = behind(p_blk, p_since + 1'b1);               // the tracked symbol's position
    wire [PW-1:0] r_c = READ_POS[at_c[PW-1:0]*PW +: PW];
    wire [CW-1:0] s1_c = N_C + r_c - at_c;                            // out1 holds it
    wire [W-1:0] word1_c = p_ram1[at_c[PW-1:0]*W +: W];
    wire [W-1:0] word2_c = p_ram2[r_c*W +: W];
    wire held_c = p_picked && p_took && p_since <= LATENCY;

    always @* begin
        // The harness: the stall cycle, the enabled edges and the block count.
        assert(p_cycle < STALL_PERIOD);
        assert(p_fresh == (p_cycle != 1 && (p_started || p_cycle != 0)));
        assert(p_started == (edges_c != 0));
        if (!p_started)
            assert(p_cycle <= 1 && !p_picked);
        assert(p_blk < TWO_N && edges_c <= LATENCY + 1);
        if (edges_c <= LATENCY)
            assert(p_blk == behind(edges_c, 0));
        if (p_pend)
            assert(p_cycle == 1 && p_blk == 0);
        // The interleaver at the block count.
        assert(p_pend1 == p_pend);
        assert(p_pos1 == in_block(p_blk));
        assert(p_wphase1 == (p_blk < N_C));
        assert(p_read_out1 == (edges_c >= 1 && behind(p_blk, 1) >= N_C));
        if (EXTERNAL == 0) begin
            assert(p_read_pipe1[0] == (edges_c >= 2 && behind(p_blk, 2) >= N_C));
            assert(p_read_pipe1[1] == (edges_c >= 3 && behind(p_blk, 3) >= N_C));
        end
        assert(p_seen == (edges_c > D));
        // The deinterleaver: with the interleaver up to its start, D edges behind from there.
        assert(p_pend2 == (p_cycle == 1 && edges_c == D));
        if (edges_c <= D) begin
            assert(p_pos2 == in_block(p_blk));
            assert(p_wphase2 == (p_blk < N_C));
            assert(p_read_out2 == (edges_c >= 1 && behind(p_blk, 1) >= N_C));
            if (EXTERNAL == 0)
                assert(p_read_pipe2 == (edges_c >= 2 && behind(p_blk, 2) >= N_C));
        end else begin
            assert(p_pos2 == in_block(b2_c));
            assert(p_wphase2 == (b2_c < N_C));
            assert(p_read_out2 == (behind(b2_c, 1) >= N_C));
            if (EXTERNAL == 0)
                assert(p_read_pipe2 == (behind(b2_c, 2) >= N_C));
        end
        // The tracked symbol: taken while the interleaver wrote, and where it is now.
        if (p_picked)
            assert(p_started && p_since <= LATENCY + 1);
        if (p_picked && p_since <= LATENCY) begin
            assert(p_took == (at_c < N_C));
            assert(edges_c > LATENCY || edges_c > at_c + p_since);
        end
        if (held_c && p_since < s1_c) begin
            if (EXTERNAL == 0 && p_since == 0)
                assert(p_write1 && p_write_addr1 == at_c[PW-1:0] && p_write_data1 == p_sym);
            else
                assert(word1_c == p_sym);
        end
        if (held_c && p_since == s1_c)
            assert(p_out1 == p_sym);
        if (EXTERNAL == 0 && held_c && p_since == s1_c + 1)
            assert(p_dout1[W-1:0] == p_sym);
        if (EXTERNAL == 0 && held_c && p_since == s1_c + 2)
            assert(p_dout1[2*W-1:W] == p_sym);
        if (held_c && p_since >= s1_c + P1 && p_since < 2 * N + P1) begin
            if (EXTERNAL == 0 && p_since == s1_c + P1)
                assert(p_write2 && p_write_addr2 == r_c && p_write_data2 == p_sym);
            else
                assert(word2_c == p_sym);
        end
        if (held_c && p_since == 2 * N + P1)
            assert(p_out2 == p_sym);
    end
endmodule
`default_nettype wire
