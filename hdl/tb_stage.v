// One core of the testbench: conv_qzram, or genaddr with the synchronous RAM it needs,
// I*(I-1)*J/2 + I words convolutional and I*J block (dual-port, returning the old word; the
// discrete block's single port writes at read_addr with block_write_enable), or with
// RAM_WRITES_LATE = 1 one that takes each write at the next enabled edge.
// For genaddr, dout is the RAM's output and dout_valid its block_full.
`default_nettype none
`timescale 1ns / 1ns
module tb_stage #(
    parameter INT_TYPE = "CONVOLUTIONAL",
    parameter INT_DEPTH = 2,
    parameter SYMBOL_DELAY = 2,
    parameter INT_MODE = "INTERLEAVER",
    parameter SYMBOL_WIDTH = 1,
    parameter EXTERNAL = 0,
    parameter RAM_WRITES_LATE = 0,
    parameter A = 4
) (
    input wire clock, sync_in, clock_enable,
    input wire [SYMBOL_WIDTH-1:0] din,
    output wire [SYMBOL_WIDTH-1:0] dout,
    output wire next_din, dout_valid, sync_out,
    output wire [A-1:0] read_addr, write_addr,
    output wire block_write_enable, block_full, block_empty
);
    generate
        if (EXTERNAL == 0) begin : internal
            conv_qzram #(
                .INT_TYPE(INT_TYPE),
                .INT_DEPTH(INT_DEPTH),
                .SYMBOL_DELAY(SYMBOL_DELAY),
                .INT_MODE(INT_MODE),
                .SYMBOL_WIDTH(SYMBOL_WIDTH)
            ) core (
                .clock(clock), .sync_in(sync_in), .clock_enable(clock_enable), .din(din),
                .dout(dout), .next_din(next_din), .dout_valid(dout_valid), .sync_out(sync_out));
        end else begin : outside
            localparam integer WORDS = INT_TYPE == "CONVOLUTIONAL" ?
                INT_DEPTH * (INT_DEPTH - 1) * SYMBOL_DELAY / 2 + INT_DEPTH : INT_DEPTH * SYMBOL_DELAY;
            reg [SYMBOL_WIDTH-1:0] ram [0:WORDS-1];
            reg [SYMBOL_WIDTH-1:0] q;
            wire write_c = INT_TYPE != "BLOCK" || block_write_enable;
            wire [A-1:0] address_c = INT_TYPE == "BLOCK" ? read_addr : write_addr;
            reg late_q = 1'b0;
            reg [A-1:0] late_address_q = 0;
            reg [SYMBOL_WIDTH-1:0] late_data_q = 0;
            genaddr #(
                .INT_TYPE(INT_TYPE),
                .INT_DEPTH(INT_DEPTH),
                .SYMBOL_DELAY(SYMBOL_DELAY),
                .INT_MODE(INT_MODE)
            ) core (
                .clock(clock), .sync_in(sync_in), .clock_enable(clock_enable), .sync_out(sync_out),
                .read_addr(read_addr), .write_addr(write_addr), .block_write_enable(block_write_enable),
                .block_full(block_full), .block_empty(block_empty));
            always @(posedge clock) begin
                if (clock_enable) begin
                    q <= ram[read_addr];
                    if (RAM_WRITES_LATE == 0) begin
                        if (write_c) ram[address_c] <= din;
                    end else begin
                        // The last symbol's write.
                        if (late_q) ram[late_address_q] <= late_data_q;
                        late_q <= write_c;
                        late_address_q <= address_c;
                        late_data_q <= din;
                    end
                end
            end
            assign dout = q;
            assign dout_valid = block_full;
            assign next_din = block_write_enable;
        end
    endgenerate
endmodule
`default_nettype wire
