// pair_conv_induction: pair_check for the convolutional pair, conv_qzram (EXTERNAL 0, I*J > 4)
// or genaddr with its RAM (EXTERNAL 1), from the initial values with clock_enable 0 every
// STALL_PERIOD-th cycle, with the invariants that make its promise inductive, for the
// k-induction proof of tests/hdl/formal_invariants.sh. The probe wires (p_*) show registers
// inside the pair: the script drives each from the register it names after flattening (yosys
// connect), as Verilog-2001 gives no reference into another module.
//
// The interleaver never restarts (every frame starts at branch 0, in step): its branch is the
// count of enabled edges modulo I. Its frame marks reach sync_out D0 edges after the symbol was
// taken (conv_qzram's pipeline, genaddr's countdown of one), where the deinterleaver restarts
// once (or is already in step; its FIFO registers and marks an edge late, at D0 + 1, when the
// one symbol in its FIFOs is the frame's first, at FIFO 0's first word) and from then on is D0
// edges behind, on the branch of the symbol the interleaver shows. The tracked symbol, taken at branch b, is in the interleaver's
// FIFO of branch b (the word its pointer left 1 + since/I visits ago) until read back, then in
// the output registers (conv_qzram's zero-delay branch passes beside the RAM); then in the
// deinterleaver's FIFO of branch b (conv_qzram's branch I-1 passes by), then in its output
// registers, LATENCY edges after it was taken.
// Frame marks: the interleaver's follow the frame length; the deinterleaver holds a countdown
// for each frame start in its FIFO 0, the newest from the last one it took (gap_q), each at
// least J below the next newer one, so that the slot a frame start takes holds no mark still
// due; the tracked symbol has a count at its reads to come exactly when it is a frame start.
// Until the first mark can come out every count stands at or above the first frame's.
`default_nettype none
module pair_conv_induction #(
    parameter INT_DEPTH = 2,
    parameter SYMBOL_DELAY = 2,
    parameter SYMBOL_WIDTH = 2,
    parameter EXTERNAL = 0,               // 0: conv_qzram; 1: genaddr with a RAM
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
    localparam integer CW = 12;           // pair_check's counter width
    localparam integer X = EXTERNAL;
    localparam integer LATENCY = X == 0 ? (I - 1) * J * I + 6 : (I - 1) * J * I + 2 * I + 1;
    localparam integer WORDS = I * (I - 1) * J / 2 + X * I;
    localparam integer AW = X == 0 ? bit_length(WORDS - 1) : address_width("CONVOLUTIONAL", I, J);
    localparam integer F = I - 1 + X;     // FIFOs of each core
    // Enabled edges from a symbol taken to its frame mark at the interleaver's sync_out: the
    // deinterleaver starts at the edge after that many.
    localparam integer D0 = X == 0 ? 4 : I + 1;
    localparam integer EMAX = D0 + 2;     // edges_q counts up to this
    localparam integer BW = bit_length(I - 1);
    localparam integer QW = bit_length(LATENCY / I + 1);

    pair_check #(
        .INT_TYPE("CONVOLUTIONAL"), .INT_DEPTH(I), .SYMBOL_DELAY(J), .SYMBOL_WIDTH(W), .EXTERNAL(X),
        .STALL_PERIOD(STALL_PERIOD), .FREE_STALLS(0), .FAULT(0), .FREE_START(0)
    ) pair (
        .clock(clock), .clock_enable(clock_enable), .sync_in(sync_in), .din(din), .pick(pick));

    // ---- the probes ----
    // pair_check's harness registers
    (* keep *) wire [CW-1:0] p_cycle, p_since, p_fmod;
    (* keep *) wire p_fresh, p_started, p_pend, p_picked, p_took;
    (* keep *) wire [W-1:0] p_sym;
    // each core's branch, pending frame start, FIFO addresses, flags and output registers
    // (1 interleaver, 2 deinterleaver)
    (* keep *) wire [BW-1:0] p_br1, p_br2;
    (* keep *) wire p_pend1, p_pend2, p_pend_restart1, p_pend_restart2;
    (* keep *) wire p_late1, p_late2;     // each core's late restart
    (* keep *) wire [F*AW-1:0] p_ring1, p_ring2;
    (* keep *) wire p_bypass1, p_bypass2, p_pass1, p_pass2, p_mark_out1;
    (* keep *) wire [2:0] p_mark_pipe1;   // conv_qzram
    (* keep *) wire p_count1;             // genaddr: the interleaver's countdown (one, of 1)
    (* keep *) wire [W-1:0] p_din1, p_din2, p_passed1, p_passed2, p_out1, p_out2;
    (* keep *) wire [3*W-1:0] p_dout1;
    (* keep *) wire [2*W-1:0] p_dout2;
    (* keep *) wire [WORDS*W-1:0] p_ram1, p_ram2;
    // conv_qzram's write of the last symbol's word, made at the next enabled edge
    (* keep *) wire p_write1, p_write2;
    (* keep *) wire [AW-1:0] p_write_addr1, p_write_addr2;
    (* keep *) wire [W-1:0] p_write_data1, p_write_data2;
    // the frame marks: pair_check's frame length, age and the tracked symbol's start flag; the
    // deinterleaver's countdowns, its slot pointer and its marks behind the RAM
    (* keep *) wire [CW-1:0] p_flen, p_age;
    (* keep *) wire p_start, p_mark_out2;
    (* keep *) wire [1:0] p_mark_pipe2;
    localparam integer FULL = J * (I - 1) + X;   // the deinterleaver's branch 0 delay in its symbols
    localparam integer MARKS = I - 1 + X;
    localparam integer CW2 = bit_length(FULL);
    localparam integer MW = bit_length(MARKS - 1) > 0 ? bit_length(MARKS - 1) : 1;
    (* keep *) wire [MARKS*CW2-1:0] p_counts;
    (* keep *) wire [MW-1:0] p_slot;

    // Each core's FIFO m: its region's first word and its length.
    function [F*AW-1:0] bases;
        input is_int;
        integer m;
        begin
            bases = 0;
            for (m = 0; m < F; m = m + 1)
                bases[m*AW +: AW] = is_int ? J * (m * (m - 1) / 2 + (1 - X) * m) + X * m :
                                             J * (m * (I - 1) - m * (m - 1) / 2) + X * m;
        end
    endfunction
    localparam [F*AW-1:0] BASE1 = bases(1'b1);
    localparam [F*AW-1:0] BASE2 = bases(1'b0);
    // ceil((D0 - r) / I) for r < I, 0 from r = D0 on: floor((since - D0) / I) = since / I - this.
    function [3*8-1:0] lags;
        input integer dummy;
        integer r;
        begin
            lags = 0;
            for (r = 0; r < I && r < 8; r = r + 1)
                lags[r*3 +: 3] = r >= D0 ? 0 : (D0 - r + I - 1) / I;
        end
    endfunction
    localparam [3*8-1:0] LAG = lags(0);
    localparam [BW:0] I_B = I;

    // Enabled edges so far, up to EMAX; since_q as since/I and since modulo I.
    reg [3:0] edges_q = 0;
    always @(posedge clock)
        if (clock_enable && edges_q < EMAX)
            edges_q <= edges_q + 1'b1;
    reg [QW-1:0] sq_q = 0;
    reg [BW-1:0] sr_q = 0;
    always @(posedge clock)
        if (clock_enable) begin
            if (!p_picked && pick) begin
                sq_q <= 0;
                sr_q <= 0;
            end else if (p_picked && p_since <= LATENCY) begin
                sr_q <= sr_q == I - 1 ? 0 : sr_q + 1'b1;
                if (sr_q == I - 1)
                    sq_q <= sq_q + 1'b1;
            end
        end

    // The frame marks. first_q: the count of the first frame's mark (set at the deinterleaver's
    // start) as it would run down, FULL down to 0; gap_q: branch 0 symbols the deinterleaver took
    // since the last frame start it took, up to J.
    localparam [CW2-1:0] FULL_C = FULL;
    localparam [CW2-1:0] J_C = J;
    reg [CW2-1:0] first_q = FULL;
    reg [CW2-1:0] gap_q = J;
    always @(posedge clock)
        if (clock_enable) begin
            if (edges_q > D0 && p_br2 == 0 && first_q != 0)
                first_q <= first_q - 1'b1;
            if (so1_c)
                gap_q <= 0;
            else if (edges_q > D0 && p_br2 == 0 && gap_q != J_C)
                gap_q <= gap_q + 1'b1;
        end
    // Enabled edges so far, up to LATENCY + 1.
    wire [CW-1:0] age_c = p_started ? p_age + 1'b1 : {CW{1'b0}};
    // Branch 0 symbols the deinterleaver takes from frame length f to the frame start's (at D0):
    // (D0 - g) modulo I = 0 for g = f .. D0 - 1.
    function [2:0] to_come;
        input [CW-1:0] f;
        integer g;
        begin
            to_come = 0;
            for (g = 1; g < D0; g = g + 1)
                if (g >= f && (D0 - g) % I == 0)
                    to_come = to_come + 1'b1;
        end
    endfunction
    // The least gap_q at frame length f from D0 + 1 on with no frame start in flight:
    // (f - 1 - D0) / I, up to J.
    function [(I*J+1)*CW2-1:0] least_gaps;
        input integer dummy;
        integer f;
        begin
            least_gaps = 0;
            for (f = D0 + 1; f <= I * J; f = f + 1)
                least_gaps[f*CW2 +: CW2] = (f - 1 - D0) / I < J ? (f - 1 - D0) / I : J;
        end
    endfunction
    localparam [(I*J+1)*CW2-1:0] LEAST_GAP = least_gaps(0);
    // f modulo I for the frame lengths 0 .. I*J (a table: a divider slows yosys down).
    function [(I*J+1)*BW-1:0] lengths_mod;
        input integer dummy;
        integer f;
        begin
            lengths_mod = 0;
            for (f = 0; f <= I * J; f = f + 1)
                lengths_mod[f*BW +: BW] = f % I;
        end
    endfunction
    localparam [(I*J+1)*BW-1:0] FLEN_MOD = lengths_mod(0);
    // The countdown slots from the oldest (the slot pointer's, taken by the next frame start) to
    // the newest.
    function [MW-1:0] slot_at;
        input [MW-1:0] base;
        input integer n;
        reg [MW+1:0] sum;
        begin
            sum = base + n;
            if (sum >= MARKS)
                sum = sum - MARKS;
            slot_at = sum[MW-1:0];
        end
    endfunction
    wire [MW-1:0] newest_c = slot_at(p_slot, MARKS - 1);
    wire [CW2-1:0] newest_count_c = p_counts[newest_c*CW2 +: CW2];
    // A frame start not yet at the deinterleaver, and the interleaver's sync_out.
    wire in_flight_c = X == 0 ? p_mark_out1 || p_mark_pipe1 != 0 : p_count1 || p_mark_out1;
    wire so1_c = X == 0 ? p_mark_pipe1[2] : p_mark_out1;

    // x + n modulo I, for x < I and n < 2I.
    function [BW-1:0] turn;
        input [BW-1:0] x;
        input integer n;
        reg [BW+2:0] sum;
        begin
            sum = x + n;
            if (sum >= I)
                sum = sum - I;
            if (sum >= I)
                sum = sum - I;
            turn = sum[BW-1:0];
        end
    endfunction
    // The ring place of FIFO m when the head is FIFO h.
    function [BW-1:0] place;
        input [BW-1:0] m;
        input [BW-1:0] h;
        begin
            place = m >= h ? m - h : m + F[BW-1:0] - h;
        end
    endfunction
    // The word a FIFO's pointer left back visits ago (back < length).
    function [AW-1:0] left;
        input [AW-1:0] pointer;
        input [AW-1:0] base;
        input [AW:0] length;
        input [QW:0] back;
        reg [AW+QW+1:0] offset;
        begin
            offset = pointer - base + length - back;
            if (offset >= length)
                offset = offset - length;
            left = base + offset[AW-1:0];
        end
    endfunction

    wire [BW-1:0] h1_c = X == 1 || p_br1 == 0 ? p_br1 : p_br1 - 1'b1;     // head FIFOs
    wire [BW-1:0] h2_c = X == 0 && p_br2 == I - 1 ? 0 : p_br2;
    wire [BW-1:0] b_c = turn(p_br1, 2 * I - 1 - sr_q);                // the tracked symbol's branch
    wire [AW:0] len1_c = b_c * J + X;                                 // its FIFOs' lengths
    wire [AW:0] len2_c = (I - 1 - b_c) * J + X;
    wire fifo1_c = X == 1 || b_c != 0;                                // it passes a RAM
    wire fifo2_c = X == 1 || b_c != I - 1;
    wire [CW-1:0] d1_c = len1_c * I + 3 * (1 - X);                    // on the interleaver's dout
    wire [CW-1:0] d2_c = (I - 1 - b_c) * J * I + X * I;               // in the deinterleaver's FIFO
    wire [BW-1:0] m1_c = X == 1 ? b_c : b_c - 1'b1;
    wire [AW-1:0] ptr1_c = p_ring1[place(m1_c, h1_c)*AW +: AW];
    wire [AW-1:0] ptr2_c = p_ring2[place(b_c, h2_c)*AW +: AW];
    wire [AW-1:0] base1_c = BASE1[m1_c*AW +: AW];
    wire [AW-1:0] base2_c = BASE2[b_c*AW +: AW];
    // visits of the symbol's deinterleaver FIFO since it was written: (since - d1 - 1) / I
    wire [QW:0] k2_c = sq_q - LAG[sr_q*3 +: 3] - b_c * J;
    wire [AW-1:0] word1_c = left(ptr1_c, base1_c, len1_c, sq_q + 1'b1);
    wire [AW-1:0] word2_c = p_late2 ? base2_c : left(ptr2_c, base2_c, len2_c, k2_c + 1'b1);
    wire held_c = p_picked && p_since <= LATENCY;
    integer f_n;
    reg f_found;

    always @* begin
        // The harness: the stall cycle and the enabled edges.
        assert(p_cycle < STALL_PERIOD);
        assert(p_fresh == (p_cycle != 1 && (p_started || p_cycle != 0)));
        assert(p_started == (edges_q != 0) && edges_q <= EMAX);
        if (!p_started)
            assert(p_cycle <= 1 && !p_picked);
        // The interleaver: in step at every frame start, its branch the frame's position.
        assert(p_fmod == p_br1);
        if (p_pend)
            assert(p_cycle == 1 && p_br1 == 0);
        assert(p_pend1 == p_pend && !p_pend_restart1);
        assert(!p_late1);
        if (X == 0) begin
            assert(p_bypass1 == (edges_q >= 1 && p_br1 == turn(0, 1)));
            assert(p_pass1 == (edges_q >= 2 && p_br1 == turn(0, 2)));
            // Its frame marks, taken at branch 0, move to sync_out; the first reaches it at 4.
            assert(!p_mark_out1 || (edges_q >= 1 && p_br1 == turn(0, 1)));
            assert(!p_mark_pipe1[0] || (edges_q >= 2 && p_br1 == turn(0, 2)));
            assert(!p_mark_pipe1[1] || (edges_q >= 3 && p_br1 == turn(0, 3)));
            assert(!p_mark_pipe1[2] || (edges_q >= 4 && p_br1 == turn(0, 4)));
            assert(p_mark_out1 || edges_q != 1);
            assert(p_mark_pipe1[0] || edges_q != 2);
            assert(p_mark_pipe1[1] || edges_q != 3);
            assert(p_mark_pipe1[2] || edges_q != 4);
        end else begin
            // genaddr: a frame start's countdown of 1 runs out at the next branch 0 symbol,
            // I + 1 edges after it was taken.
            assert(p_count1 == (p_started && p_flen <= I));
            assert(p_mark_out1 == (p_started && p_flen == I + 1));
        end
        // The deinterleaver: with the interleaver up to its start at D0 edges, D0 behind after.
        if (edges_q <= D0)
            assert(p_br2 == p_br1);
        else
            assert(p_br2 == turn(p_br1, I - D0 % I));
        if (p_pend2)
            assert(p_cycle == 1 && so1_c);
        assert(!p_pend_restart2 || edges_q == D0);
        assert(!p_late2 || edges_q == D0 + 1);
        if (X == 0) begin
            assert(p_bypass2 == (edges_q >= 1 && p_br2 == 0));
            if (edges_q == 5)
                assert(p_pass2 == (4 % I == 0));
            else
                assert(p_pass2 == (edges_q >= 2 && p_br2 == turn(0, 1)));
        end
        // The tracked symbol.
        if (p_picked) begin
            assert(p_started && p_took && p_since <= LATENCY + 1);
            assert(sr_q < I && p_since == sq_q * I + sr_q);
            assert(edges_q == EMAX || edges_q > p_since);
        end
        if (held_c && fifo1_c && p_since < len1_c * I) begin
            if (X == 0 && p_since == 0)
                assert(p_write1 && p_write_addr1 == word1_c && p_write_data1 == p_sym);
            else
                assert(p_ram1[word1_c*W +: W] == p_sym);
        end
        if (held_c && fifo1_c && p_since == len1_c * I)
            assert(p_out1 == p_sym);
        if (X == 0) begin
            if (held_c && fifo1_c && p_since == d1_c - 2)
                assert(p_dout1[W-1:0] == p_sym);
            if (held_c && !fifo1_c && p_since == 0)
                assert(p_din1 == p_sym);
            if (held_c && !fifo1_c && p_since == 1)
                assert(p_passed1 == p_sym);
            if (held_c && p_since == d1_c - 1)
                assert(p_dout1[2*W-1:W] == p_sym);
            if (held_c && p_since == d1_c)
                assert(p_dout1[3*W-1:2*W] == p_sym);
        end
        if (held_c && fifo2_c && p_since > d1_c && p_since <= d1_c + d2_c) begin
            if (X == 0 && p_since == d1_c + 1)
                assert(p_write2 && p_write_addr2 == word2_c && p_write_data2 == p_sym);
            else
                assert(p_ram2[word2_c*W +: W] == p_sym);
        end
        if (held_c && fifo2_c && p_since == d1_c + d2_c + 1)
            assert(p_out2 == p_sym);
        if (X == 0) begin
            if (held_c && fifo2_c && p_since == d1_c + d2_c + 2)
                assert(p_dout2[W-1:0] == p_sym);
            if (held_c && !fifo2_c && p_since == d1_c + 1)
                assert(p_din2 == p_sym);
            if (held_c && !fifo2_c && p_since == d1_c + 2)
                assert(p_passed2 == p_sym);
        end

        // Frame starts: the interleaver's marks in flight stand at the frame length (I*J > 4:
        // the length counts past them), and the tracked symbol's mark goes with it.
        assert(p_started || (p_flen == 0 && !in_flight_c));
        if (p_started) begin
            assert(p_flen >= 1 && p_flen <= I * J);
            if (p_flen < I * J)
                assert(p_fmod == FLEN_MOD[p_flen*BW +: BW]);
            // the first frame starts at the first edge, the next I*J edges later at the earliest
            if (edges_q < EMAX)
                assert(p_flen == (edges_q < I * J ? edges_q : I * J));
            if (X == 0)
                assert(p_mark_out1 == (p_flen == 1) && p_mark_pipe1[0] == (p_flen == 2) &&
                       p_mark_pipe1[1] == (p_flen == 3) && p_mark_pipe1[2] == (p_flen == 4));
        end
        if (held_c && p_start)
            assert(b_c == 0);
        if (held_c && edges_q < EMAX && edges_q == p_since + 1)
            assert(p_start);
        if (held_c && p_since + 1 < I * J)
            assert((p_flen == p_since + 1) == p_start);
        if (X == 0 && held_c && b_c == 0 && p_since <= 3)
            assert(p_start == (p_since == 0 ? p_mark_out1 : p_mark_pipe1[p_since - 1]));
        if (X == 1 && held_c && b_c == 0 && p_since < I)
            assert(p_start == p_count1);
        if (X == 1 && held_c && b_c == 0 && p_since == I)
            assert(p_start == p_mark_out1);
        // The deinterleaver's countdowns: none before its start; the newest counts down from
        // the last frame start it took (gap_q), which came at least J of its branch 0 symbols
        // after the one before (the frame length in flight, or the gap and the frame length
        // since); each live count at least J below the next newer one's.
        assert(gap_q <= J_C && first_q <= FULL_C && p_age <= LATENCY);
        assert(edges_q == EMAX ? age_c >= EMAX : age_c == edges_q);
        if (edges_q <= D0)
            assert(p_counts == 0 && gap_q == J_C && first_q == FULL_C);
        else if (p_late2)
            assert(gap_q == 0 && first_q == FULL_C);
        else if (gap_q != J_C)
            assert(newest_count_c == FULL_C - gap_q);
        else
            assert(newest_count_c <= FULL_C - J_C);
        if (p_started && in_flight_c)
            assert(gap_q + to_come(p_flen) >= J - 1);
        if (p_started && !in_flight_c && edges_q > D0)
            assert(gap_q >= LEAST_GAP[p_flen*CW2 +: CW2]);
        for (f_n = 0; f_n < MARKS - 1; f_n = f_n + 1)
            if (!p_late2 && p_counts[slot_at(p_slot, f_n)*CW2 +: CW2] != 0)
                assert(p_counts[slot_at(p_slot, f_n + 1)*CW2 +: CW2] >=
                       p_counts[slot_at(p_slot, f_n)*CW2 +: CW2] + J_C);
        // The tracked symbol in the deinterleaver's FIFO 0, its reads to come FULL - k2: a count
        // at that value exactly when it is a frame start; then its mark behind the RAM.
        if (held_c && b_c == 0 && p_since > d1_c && p_since <= d1_c + d2_c && !p_late2) begin
            f_found = 1'b0;
            for (f_n = 0; f_n < MARKS; f_n = f_n + 1)
                if (p_counts[f_n*CW2 +: CW2] == FULL_C - k2_c)
                    f_found = 1'b1;
            assert(f_found == p_start);
        end
        if (held_c && b_c == 0 && p_since == d1_c + d2_c + 1)
            assert(p_mark_out2 == p_start);
        if (X == 0 && held_c && b_c == 0 && p_since == d1_c + d2_c + 2)
            assert(p_mark_pipe2[0] == p_start);
        assert(!p_mark_out2 || p_br2 == turn(0, 1));
        if (X == 0)
            assert(!p_mark_pipe2[0] || p_br2 == turn(0, 2));
        // Before the first frame start comes out: the first frame's count as first_q runs it
        // down, every live count at or above it, and no mark behind the RAM.
        if (edges_q > D0 && age_c <= LATENCY && first_q != 0)
            assert(age_c == D0 + I * (FULL - first_q + (p_br2 == 0)) + p_br2);
        if (edges_q > D0 && first_q == 0)
            assert(age_c >= D0 + I * FULL + 1);
        if (age_c <= LATENCY)
            for (f_n = 0; f_n < MARKS; f_n = f_n + 1)
                assert(p_counts[f_n*CW2 +: CW2] == 0 || p_counts[f_n*CW2 +: CW2] >= first_q);
        assert(!p_mark_out2 || age_c >= D0 + I * FULL + 1);
        if (X == 0)
            assert(!p_mark_pipe2[0] || age_c >= LATENCY);
        if (X == 0)
            assert(!p_mark_pipe2[1] || age_c >= LATENCY + 1);
    end
endmodule
`default_nettype wire
