// genaddr: the addresses and controls of a symbol interleaver or deinterleaver whose RAM is
// outside (see README.md). Read line by line against genaddr.vhd. Convolutional and continuous
// cores need a RAM with a write port (write_addr, every enabled edge) and a registered read
// port (read_addr) returning the old word, the discrete block a single port (read_addr, written
// when block_write_enable is high); the addresses stay below I*(I-1)*J/2 + I convolutional and
// I*J block. The RAM's output is the core's output: sync_out and block_full
// belong to the word it shows.
`default_nettype none
module genaddr #(
    parameter [8*15-1:0] INT_TYPE = "CONVOLUTIONAL",
    parameter INT_DEPTH = 12,
    parameter SYMBOL_DELAY = 17,
    parameter [8*13-1:0] INT_MODE = "INTERLEAVER"
) (
    input wire clock,
    input wire sync_in,
    input wire clock_enable,
    output wire sync_out,
    output wire [A-1:0] read_addr,
    output wire [A-1:0] write_addr,
    output wire block_write_enable,
    output wire block_full,
    output wire block_empty
);
    `include "qz_functions.vh"

    localparam IS_BLOCK = INT_TYPE == "BLOCK";
    localparam integer A = address_width(INT_TYPE, INT_DEPTH, SYMBOL_DELAY);

    // A generic outside its range stops elaboration: the module it asks for names the generic.
    generate
        if (INT_TYPE != "CONVOLUTIONAL" && INT_TYPE != "BLOCK" && INT_TYPE != "BLOCK_CONTINOUS") begin : bad_type
            genaddr_INT_TYPE_must_be_CONVOLUTIONAL_BLOCK_or_BLOCK_CONTINOUS generic_out_of_range();
        end
        if (INT_MODE != "INTERLEAVER" && INT_MODE != "DEINTERLEAVER") begin : bad_mode
            genaddr_INT_MODE_must_be_INTERLEAVER_or_DEINTERLEAVER generic_out_of_range();
        end
        if (INT_DEPTH < 2 || INT_DEPTH > 40) begin : bad_depth
            genaddr_INT_DEPTH_must_lie_in_2_to_40 generic_out_of_range();
        end
        if (SYMBOL_DELAY < 2 || SYMBOL_DELAY > 500) begin : bad_delay
            genaddr_SYMBOL_DELAY_must_lie_in_2_to_500 generic_out_of_range();
        end
    endgenerate

    wire [A-1:0] ram_addr;
    wire wr_en;
    wire mark_q;
    wire flag_q;

    qz_addrgen #(
        .INT_TYPE(INT_TYPE),
        .INT_DEPTH(INT_DEPTH),
        .SYMBOL_DELAY(SYMBOL_DELAY),
        .INT_MODE(INT_MODE),
        .EXTERNAL(1),
        .ADDR_WIDTH(A)
    ) addresses (
        .clock(clock),
        .sync_in(sync_in),
        .clock_enable(clock_enable),
        .addr(ram_addr),
        .write_enable(wr_en),
        .mark_q(mark_q),
        .flag_q(flag_q)
    );

    assign read_addr = ram_addr;
    assign write_addr = IS_BLOCK ? {A{1'b0}} : ram_addr;
    assign block_write_enable = IS_BLOCK ? wr_en : 1'b0;
    assign sync_out = IS_BLOCK ? 1'b0 : mark_q;
    assign block_full = IS_BLOCK ? flag_q : 1'b0;
    assign block_empty = IS_BLOCK ? ~flag_q : 1'b0;
endmodule
`default_nettype wire
