// Drives one core (conv_qzram, or genaddr with the synchronous RAM) or the interleaver ->
// deinterleaver pair from a stimulus file, one edge a line ("clock_enable sync_in din"), and
// dumps every edge's outputs for zorvex_core_expect --check; the same timing as tb_core.vhd.
`default_nettype none
`timescale 1ns / 1ns
module tb_core;
    parameter INT_TYPE = "CONVOLUTIONAL";
    parameter INT_DEPTH = 2;
    parameter SYMBOL_DELAY = 2;
    parameter INT_MODE = "INTERLEAVER";
    parameter SYMBOL_WIDTH = 1;
    parameter EXTERNAL = 0;
    parameter RAM_WRITES_LATE = 0;  // 1: genaddr's RAM takes each write at the next enabled edge
    parameter PAIR = 0;
    parameter CYCLES = 100;
    parameter STIMULUS = "stimulus.txt";
    parameter DUMP = "dump.txt";

    `include "qz_functions.vh"
    localparam W = SYMBOL_WIDTH;
    localparam IS_BLOCK = INT_TYPE == "BLOCK";
    localparam integer A = address_width(INT_TYPE, INT_DEPTH, SYMBOL_DELAY);

    reg clock = 1'b0;
    reg clock_enable = 1'b0, sync_in = 1'b0;
    reg [W-1:0] din = 0;
    wire [W-1:0] dout1, dout2;
    wire nd1, dv1, so1, bwe1, bf1, be1, nd2, dv2, so2, bwe2, bf2, be2;
    wire [A-1:0] ra1, wa1, ra2, wa2;
    reg seen_q = 1'b0;
    // The discrete deinterleaver starts at the interleaver's first valid output.
    wire sync2 = IS_BLOCK ? (dv1 & ~seen_q) : so1;

    always #20 clock = ~clock;
    always @(posedge clock) if (clock_enable) seen_q <= seen_q | dv1;

    tb_stage #(
        .INT_TYPE(INT_TYPE),
        .INT_DEPTH(INT_DEPTH),
        .SYMBOL_DELAY(SYMBOL_DELAY),
        .INT_MODE(INT_MODE),
        .SYMBOL_WIDTH(SYMBOL_WIDTH),
        .EXTERNAL(EXTERNAL),
        .RAM_WRITES_LATE(RAM_WRITES_LATE),
        .A(A)
    ) first (
        .clock(clock), .sync_in(sync_in), .clock_enable(clock_enable), .din(din), .dout(dout1),
        .next_din(nd1), .dout_valid(dv1), .sync_out(so1), .read_addr(ra1), .write_addr(wa1),
        .block_write_enable(bwe1), .block_full(bf1), .block_empty(be1));
    generate
        if (PAIR == 1) begin : chained
            tb_stage #(
                .INT_TYPE(INT_TYPE),
                .INT_DEPTH(INT_DEPTH),
                .SYMBOL_DELAY(SYMBOL_DELAY),
                .INT_MODE("DEINTERLEAVER"),
                .SYMBOL_WIDTH(SYMBOL_WIDTH),
                .EXTERNAL(EXTERNAL),
                .RAM_WRITES_LATE(RAM_WRITES_LATE),
                .A(A)
            ) second (
                .clock(clock), .sync_in(sync2), .clock_enable(clock_enable), .din(dout1), .dout(dout2),
                .next_din(nd2), .dout_valid(dv2), .sync_out(so2), .read_addr(ra2), .write_addr(wa2),
                .block_write_enable(bwe2), .block_full(bf2), .block_empty(be2));
        end
    endgenerate

    integer stim, outf, k, n;
    reg ce_read, sync_read;
    reg [W-1:0] din_read;
    reg e_nd1, e_bwe1, e_nd2, e_bwe2;
    reg [A-1:0] e_ra1, e_wa1, e_ra2, e_wa2;

    // Each edge: the stimulus line read and put on the inputs (read into variables of its own,
    // as a compiled simulation lost the first line's din read straight into din), the outputs
    // that belong to the edge's start (next_din; genaddr's addresses and block_write_enable)
    // taken before it, the rest after it, and one line written: every stage's fields and a
    // space after each. One $fscanf and one $fwrite an edge, and no copies the dump does not
    // use: a simulator pays for each call and each signal it reads.
    initial begin
        stim = $fopen(STIMULUS, "r");
        outf = $fopen(DUMP, "w");
        for (k = 0; k < CYCLES; k = k + 1) begin
            n = $fscanf(stim, "%b %b %b\n", ce_read, sync_read, din_read);
            clock_enable = ce_read;
            sync_in = sync_read;
            din = din_read;
            #10;
            e_nd1 = nd1;
            if (PAIR == 1)
                e_nd2 = nd2;
            if (EXTERNAL == 1) begin
                e_bwe1 = bwe1; e_ra1 = ra1; e_wa1 = wa1;
                e_bwe2 = bwe2; e_ra2 = ra2; e_wa2 = wa2;
            end
            #20;
            if (EXTERNAL == 0 && PAIR == 1)
                $fwrite(outf, "%b %b %b %b %b %b %b %b \n", e_nd1, dout1, so1, dv1, e_nd2, dout2, so2, dv2);
            else if (EXTERNAL == 0)
                $fwrite(outf, "%b %b %b %b \n", e_nd1, dout1, so1, dv1);
            else if (PAIR == 1)
                $fwrite(outf, "%b %b %b %b %b %b %b %b %b %b %b %b %b %b \n", e_ra1, e_wa1, e_bwe1, so1, bf1, be1, dout1,
                        e_ra2, e_wa2, e_bwe2, so2, bf2, be2, dout2);
            else
                $fwrite(outf, "%b %b %b %b %b %b %b \n", e_ra1, e_wa1, e_bwe1, so1, bf1, be1, dout1);
            #10;
        end
        $fclose(outf);
        $finish;
    end
endmodule
`default_nettype wire
