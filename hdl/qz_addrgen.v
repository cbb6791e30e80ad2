// qz_addrgen: the commutator and address counters of the interleaver cores. conv_qzram
// (EXTERNAL = 0) puts them on its own RAM, genaddr (EXTERNAL = 1) on a RAM outside.
// Read line by line against qz_addrgen.vhd: the same names, stages and arithmetic.
//
// The addresses and write_enable are for the coming enabled edge and follow that edge's
// sync_in; mark_q, read_q and bypass_q belong to the word the memory read at the last one.
//
// Convolutional: branch b owns the region at b * REGION; a rotation counter, advanced by each
// symbol on branch 0, is the write offset, and a branch that holds d symbols reads offset
// (rotation - d) modulo the rotation length, the word written d rotations ago (the old word
// when d is the whole length). conv_qzram's regions are (I-1)J words and its zero-delay branch
// passes the memory by (bypass_q); genaddr's regions are 2^BitLength((I-1)J) words and each
// branch holds one symbol more, so no branch needs the symbol of the same edge.
//
// Block: positions count the block's symbols. Discrete blocks write linear addresses, then
// read with a step of J (interleaver) or I (deinterleaver) modulo IJ-1, the last word being
// IJ-1. Continuous blocks read and write one address; block k walks with the k-th power of
// that step, so each block takes the place of the one read out. The next block's step is
// summed over the first positions of the current one.
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
    output wire [ADDR_WIDTH-1:0] write_addr,
    output wire [ADDR_WIDTH-1:0] read_addr,
    output wire write_enable,
    output wire mark_q,
    output wire read_q,
    output wire bypass_q
);
    function integer bit_length;
        input integer x;
        integer k;
        begin
            bit_length = 0;
            for (k = 0; k < 31; k = k + 1)
                if (x >= (1 << k)) bit_length = k + 1;
        end
    endfunction

    localparam IS_CONV = INT_TYPE == "CONVOLUTIONAL";
    localparam IS_BLOCK = INT_TYPE == "BLOCK";
    localparam IS_INT = INT_MODE == "INTERLEAVER";
    localparam integer I = INT_DEPTH;
    localparam integer J = SYMBOL_DELAY;
    localparam integer R = (I - 1) * J;
    // Rotation length, region size and the delay of branch 0, in rotations.
    localparam integer MC = R + EXTERNAL;
    localparam integer REGION = EXTERNAL == 1 ? (1 << bit_length(R)) : R;
    localparam integer D0 = IS_INT ? EXTERNAL : R + EXTERNAL;
    // Block size, the address walk's modulus and the step of the read walk.
    localparam integer N = I * J;
    localparam integer M = N - 1;
    localparam integer K = IS_INT ? J : I;
    localparam integer BR_W = bit_length(I);
    localparam integer ROT_W = bit_length(MC);
    localparam integer BASE_W = bit_length((I - 1) * REGION);
    localparam integer POS_W = bit_length(N);

    reg pend_q = 1'b0;
    reg [BR_W-1:0] branch_q = 0;
    reg [ROT_W-1:0] rot_q = 0;
    reg [ROT_W-1:0] dly_q = D0;
    reg [BASE_W-1:0] base_q = 0;
    reg [ROT_W-1:0] cnt_q = 0;
    reg [POS_W-1:0] pos_q = 0;
    reg [POS_W-1:0] addr_q = 0;
    reg [POS_W-1:0] step_q = 1;
    reg [POS_W-1:0] acc_q = 0;
    reg wphase_q = 1'b1;
    reg bsync_q = 1'b0;
    reg mark_r = 1'b0;
    reg read_r = 1'b0;
    reg bypass_r = 1'b0;

    // The symbol of the coming edge: the first of a frame when sync_in is high now or was
    // high at an edge with clock_enable low since the last symbol.
    wire first_c = sync_in | pend_q;
    integer br_c, dly_c, base_c, rot_inc, rot_c, roff_c;
    integer pos_c, addr_c, acc_c, stepv_c, addr_sum, addr_nxt, acc_sum, acc_nxt;
    reg wph_c;

    always @* begin
        // Convolutional commutator.
        br_c = first_c ? 0 : branch_q;
        dly_c = first_c ? D0 : dly_q;
        base_c = first_c ? 0 : base_q;
        rot_inc = rot_q == MC - 1 ? 0 : rot_q + 1;
        rot_c = br_c == 0 ? rot_inc : rot_q;
        roff_c = rot_c >= dly_c ? rot_c - dly_c : rot_c + MC - dly_c;
        // Block position and address walk.
        pos_c = first_c ? 0 : pos_q;
        addr_c = first_c ? 0 : addr_q;
        acc_c = pos_c == 0 ? 0 : acc_q;
        wph_c = first_c | wphase_q;
        // A sync that cuts a continuous block short starts the walk afresh.
        if (IS_BLOCK)
            stepv_c = wph_c ? 1 : K;
        else
            stepv_c = (first_c && pos_q != 0) ? 1 : step_q;
        addr_sum = addr_c + stepv_c;
        if (pos_c == N - 1)
            addr_nxt = 0;
        else if (pos_c + 1 == M)
            addr_nxt = M;
        else if (addr_sum >= M)
            addr_nxt = addr_sum - M;
        else
            addr_nxt = addr_sum;
        acc_sum = acc_c + stepv_c;
        if (pos_c >= K)
            acc_nxt = acc_c;
        else if (acc_sum >= M)
            acc_nxt = acc_sum - M;
        else
            acc_nxt = acc_sum;
    end

    assign write_addr = IS_CONV ? base_c + rot_c : addr_c;
    assign read_addr = IS_CONV ? base_c + roff_c : addr_c;
    assign write_enable = IS_BLOCK ? wph_c : 1'b1;
    assign mark_q = mark_r;
    assign read_q = read_r;
    assign bypass_q = bypass_r;

    always @(posedge clock) begin
        if (clock_enable) begin
            pend_q <= 1'b0;
            if (IS_CONV) begin
                rot_q <= rot_c;
                if (br_c == I - 1) begin
                    branch_q <= 0;
                    dly_q <= D0;
                    base_q <= 0;
                end else begin
                    branch_q <= br_c + 1;
                    if (IS_INT)
                        dly_q <= dly_c + J;
                    else
                        dly_q <= dly_c - J;
                    base_q <= base_c + REGION;
                end
                // The frame's first symbol leaves branch 0 D0 rotations later; one frame
                // start is followed at a time.
                mark_r <= 1'b0;
                if (br_c == 0) begin
                    if (D0 == 0) begin
                        mark_r <= first_c;
                    end else begin
                        if (cnt_q == 1)
                            mark_r <= 1'b1;
                        if (first_c && cnt_q <= 1)
                            cnt_q <= D0;
                        else if (cnt_q > 0)
                            cnt_q <= cnt_q - 1;
                    end
                end
                bypass_r <= dly_c == 0;
                read_r <= 1'b0;
            end else begin
                if (pos_c == N - 1)
                    pos_q <= 0;
                else
                    pos_q <= pos_c + 1;
                addr_q <= addr_nxt;
                bypass_r <= 1'b0;
                if (IS_BLOCK) begin
                    if (pos_c == N - 1)
                        wphase_q <= ~wph_c;
                    else
                        wphase_q <= wph_c;
                    read_r <= ~wph_c;
                    mark_r <= 1'b0;
                end else begin
                    acc_q <= acc_nxt;
                    if (pos_c == N - 1)
                        step_q <= acc_nxt;
                    else
                        step_q <= stepv_c;
                    read_r <= 1'b0;
                    // A block that began with sync_in leaves with sync_out.
                    mark_r <= 1'b0;
                    if (pos_c == 0) begin
                        mark_r <= bsync_q;
                        bsync_q <= first_c;
                    end
                end
            end
        end else begin
            pend_q <= pend_q | sync_in;
        end
    end
endmodule
