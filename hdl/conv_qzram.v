// conv_qzram: a symbol interleaver or deinterleaver with its own RAM (see README.md).
// Read line by line against conv_qzram.vhd.
//
// The address counters (qz_addrgen) drive one RAM, read at every enabled edge and written at
// the same address (the old word is read): I*(I-1)*J/2 words convolutional, each branch with a
// delay holding exactly its symbols, I*J words block (the discrete block writes only while it
// takes symbols). The word is written at the next enabled edge, from registers, so that the RAM
// never reads and writes one word at one edge where the word read is used: a word is read again
// two symbols after its write at the soonest (a convolutional branch comes round every I
// symbols, a block's consecutive positions lie at different words). Only the zero-delay
// branch's symbol, whose word is not used, and the first symbol after a restart, whose word
// holds a symbol from before the frame start, can read the word being written. A RAM block
// whose read of that word is undefined therefore needs no logic to make it the old word.
// Behind the RAM's output register the output pipeline: its first stage takes the symbol of
// the zero-delay branch instead of the memory word, convolutional cores have a dout register
// behind it, and the interleaver retimes its output once more.
`default_nettype none
module conv_qzram #(
    parameter [8*15-1:0] INT_TYPE = "CONVOLUTIONAL",
    parameter INT_DEPTH = 12,
    parameter SYMBOL_DELAY = 17,
    parameter [8*13-1:0] INT_MODE = "INTERLEAVER",
    parameter SYMBOL_WIDTH = 8
) (
    input wire clock,
    input wire sync_in,
    input wire clock_enable,
    input wire [SYMBOL_WIDTH-1:0] din,
    output wire [SYMBOL_WIDTH-1:0] dout,
    output wire next_din,
    output wire dout_valid,
    output wire sync_out
);
    // A generic outside its range stops elaboration: the module it asks for names the generic.
    generate
        if (INT_TYPE != "CONVOLUTIONAL" && INT_TYPE != "BLOCK" && INT_TYPE != "BLOCK_CONTINOUS") begin : bad_type
            conv_qzram_INT_TYPE_must_be_CONVOLUTIONAL_BLOCK_or_BLOCK_CONTINOUS generic_out_of_range();
        end
        if (INT_MODE != "INTERLEAVER" && INT_MODE != "DEINTERLEAVER") begin : bad_mode
            conv_qzram_INT_MODE_must_be_INTERLEAVER_or_DEINTERLEAVER generic_out_of_range();
        end
        if (INT_DEPTH < 2 || INT_DEPTH > 40) begin : bad_depth
            conv_qzram_INT_DEPTH_must_lie_in_2_to_40 generic_out_of_range();
        end
        if (SYMBOL_DELAY < 2 || SYMBOL_DELAY > 500) begin : bad_delay
            conv_qzram_SYMBOL_DELAY_must_lie_in_2_to_500 generic_out_of_range();
        end
        if (SYMBOL_WIDTH < 1 || SYMBOL_WIDTH > 64) begin : bad_width
            conv_qzram_SYMBOL_WIDTH_must_lie_in_1_to_64 generic_out_of_range();
        end
    endgenerate

    `include "qz_functions.vh"

    localparam IS_CONV = INT_TYPE == "CONVOLUTIONAL";
    localparam IS_BLOCK = INT_TYPE == "BLOCK";
    localparam IS_INT = INT_MODE == "INTERLEAVER";
    localparam integer W = SYMBOL_WIDTH;
    localparam integer WORDS = IS_CONV ? INT_DEPTH * (INT_DEPTH - 1) * SYMBOL_DELAY / 2 : INT_DEPTH * SYMBOL_DELAY;
    localparam integer AW = bit_length(WORDS - 1);
    localparam integer PIPE = 1 + (IS_CONV ? 1 : 0) + (IS_INT ? 1 : 0);

    // no_rw_check: synthesis takes the RAM block's own read of a word written at the same edge.
    (* no_rw_check *) reg [W-1:0] ram [0:WORDS-1];
    reg [W-1:0] ram_q;
    // Stage s of the output pipeline is bits [s*W-1 -: W], stage 1 the newest.
    reg [PIPE*W-1:0] dout_q = 0;
    reg [PIPE-1:0] mark_pipe_q = 0;
    reg [PIPE-1:0] read_pipe_q = 0;

    wire [AW-1:0] ram_addr;
    wire wr_en;
    wire mark_q;
    wire flag_q;

    qz_addrgen #(
        .INT_TYPE(INT_TYPE),
        .INT_DEPTH(INT_DEPTH),
        .SYMBOL_DELAY(SYMBOL_DELAY),
        .INT_MODE(INT_MODE),
        .EXTERNAL(0),
        .ADDR_WIDTH(AW)
    ) addresses (
        .clock(clock),
        .sync_in(sync_in),
        .clock_enable(clock_enable),
        .addr(ram_addr),
        .write_enable(wr_en),
        .mark_q(mark_q),
        .flag_q(flag_q)
    );

    // The symbol memory: read at the coming symbol's address into ram_q, written with the
    // last symbol's word at its address.
    reg [AW-1:0] write_addr_q = 0;
    reg [W-1:0] write_data_q = 0;
    reg write_q = 1'b0;
`ifdef FORMAL
    // The RAM block's read of the word it writes at the same edge is undefined: the proofs
    // (read_verilog -formal) read any word there, so that no symbol they follow depends on it.
    (* anyseq *) wire [W-1:0] f_undefined_word;
    wire f_collision = write_q && write_addr_q == ram_addr;
`endif
    always @(posedge clock) begin
        if (clock_enable) begin
            if (write_q)
                ram[write_addr_q] <= write_data_q;
            ram_q <= ram[ram_addr];
`ifdef FORMAL
            if (f_collision)
                ram_q <= f_undefined_word;
`endif
            write_q <= wr_en;
            write_addr_q <= ram_addr;
            write_data_q <= din;
        end
    end

    // Each stage moves one up. The first takes the memory word and whether it was read out of
    // a full block (flag_q, block); convolutional cores keep the zero-delay branch's symbol and
    // its flag (flag_q) beside it, and their second stage takes one or the other.
    reg [PIPE*W-1:0] dout_c;
    reg [PIPE-1:0] mark_c, read_c;
    generate
        if (IS_CONV) begin : select_bypass
            reg [W-1:0] din_q = 0;
            reg [W-1:0] passed_q = 0;
            reg pass_q = 1'b0;
            always @(posedge clock) begin
                if (clock_enable) begin
                    din_q <= din;
                    passed_q <= din_q;
                    pass_q <= flag_q;
                end
            end
            always @* begin
                dout_c = dout_q << W;
                dout_c[W-1:0] = ram_q;
                if (pass_q)
                    dout_c[W +: W] = passed_q;
            end
        end else begin : memory_word
            always @* begin
                dout_c = dout_q << W;
                dout_c[W-1:0] = ram_q;
            end
        end
    endgenerate
    always @* begin
        mark_c = mark_pipe_q << 1;
        mark_c[0] = mark_q;
        read_c = read_pipe_q << 1;
        read_c[0] = !IS_CONV && flag_q;
    end

    always @(posedge clock) begin
        if (clock_enable) begin
            dout_q <= dout_c;
            mark_pipe_q <= mark_c;
            read_pipe_q <= read_c;
        end
    end

    assign dout = dout_q[PIPE*W-1 -: W];
    assign sync_out = IS_BLOCK ? 1'b0 : mark_pipe_q[PIPE-1];
    assign dout_valid = IS_BLOCK ? read_pipe_q[PIPE-1] : 1'b0;
    assign next_din = IS_BLOCK ? wr_en : 1'b0;
endmodule
`default_nettype wire
