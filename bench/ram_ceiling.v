// The ceiling a core with conv_qzram's memory can reach: the same single inferred RAM (the words
// conv_qzram stores at these generics), read at a registered address every enabled edge and
// written there at the next enabled edge from registers, as conv_qzram writes it (no_rw_check:
// the RAM block's own read of a word written at the same edge), its registered word taken by
// one more register. No address logic at all, so the Fmax nextpnr gives for it is what the RAM
// and the multiplexer between its banks allow.
`default_nettype none
module ram_ceiling #(
    parameter [8*15-1:0] INT_TYPE = "CONVOLUTIONAL",
    parameter INT_DEPTH = 12,
    parameter SYMBOL_DELAY = 17,
    parameter [8*13-1:0] INT_MODE = "INTERLEAVER",
    parameter SYMBOL_WIDTH = 8
) (
    input wire clock,
    input wire clock_enable,
    input wire write_enable,
    input wire [15:0] addr,
    input wire [SYMBOL_WIDTH-1:0] din,
    output reg [SYMBOL_WIDTH-1:0] dout
);
    localparam integer WORDS = INT_TYPE == "CONVOLUTIONAL" ? INT_DEPTH * (INT_DEPTH - 1) * SYMBOL_DELAY / 2 :
                               INT_DEPTH * SYMBOL_DELAY;
    (* no_rw_check *) reg [SYMBOL_WIDTH-1:0] ram [0:WORDS-1];
    reg [SYMBOL_WIDTH-1:0] ram_q;
    reg [15:0] addr_q = 0;
    reg write_q = 1'b0;
    reg [15:0] write_addr_q = 0;
    reg [SYMBOL_WIDTH-1:0] write_data_q = 0;
    reg write_next_q = 1'b0;

    always @(posedge clock) begin
        if (clock_enable) begin
            addr_q <= addr < WORDS ? addr : 16'd0;
            write_q <= write_enable;
            write_next_q <= write_q;
            write_addr_q <= addr_q;
            write_data_q <= din;
            if (write_next_q)
                ram[write_addr_q] <= write_data_q;
            ram_q <= ram[addr_q];
            dout <= ram_q;
        end
    end
endmodule
`default_nettype wire
