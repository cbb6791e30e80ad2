// genaddr with the synchronous RAM a design puts beside it, built as tb_stage.v's outside branch
// builds it: a write port (din at write_addr at every enabled edge; the discrete block's single
// port writes at read_addr while block_write_enable is 1) and a registered read port at
// read_addr whose register is the output. The benchmark's iCE40 figure for genaddr is this
// module's.
//
// With WRITE_LATE = 1 the RAM takes each write at the next enabled edge, from registers (as
// conv_qzram writes its own), which hdl/README.md allows: the frame start's address then reaches
// the read port alone, not the write port's enables.
//
// A is genaddr's address width (the benchmark reads it from genaddr's elaborated read_addr).
// The RAM holds WORDS words: 2^A with POW2_RAM = 1 (the RAM of the cores whose addresses are
// {branch, offset} fields), else the words the addresses reach: I·(I-1)·J/2 + I convolutional,
// I·J block.
module genaddr_with_ram #(
    parameter INT_TYPE = "CONVOLUTIONAL",
    parameter INT_DEPTH = 12,
    parameter SYMBOL_DELAY = 17,
    parameter INT_MODE = "INTERLEAVER",
    parameter SYMBOL_WIDTH = 8,
    parameter A = 12,
    parameter POW2_RAM = 0,
    parameter WRITE_LATE = 0
) (
    input wire clock,
    input wire sync_in,
    input wire clock_enable,
    input wire [SYMBOL_WIDTH-1:0] din,
    output wire [SYMBOL_WIDTH-1:0] dout,
    output wire sync_out,
    output wire block_full
);
    localparam integer WORDS = POW2_RAM != 0 ? (1 << A) :
        INT_TYPE == "CONVOLUTIONAL" ? INT_DEPTH * (INT_DEPTH - 1) * SYMBOL_DELAY / 2 + INT_DEPTH :
        INT_DEPTH * SYMBOL_DELAY;

    wire [A-1:0] read_addr, write_addr;
    wire block_write_enable, block_empty;
    reg [SYMBOL_WIDTH-1:0] q;

    genaddr #(INT_TYPE, INT_DEPTH, SYMBOL_DELAY, INT_MODE) core (
        .clock(clock), .sync_in(sync_in), .clock_enable(clock_enable), .sync_out(sync_out),
        .read_addr(read_addr), .write_addr(write_addr), .block_write_enable(block_write_enable),
        .block_full(block_full), .block_empty(block_empty));

    wire write_c = INT_TYPE != "BLOCK" || block_write_enable;
    wire [A-1:0] write_addr_c = INT_TYPE == "BLOCK" ? read_addr : write_addr;
    generate
        if (WRITE_LATE == 0) begin : at_the_edge
            // Read and written at one edge, the old word read (convolutional cores read and
            // write one address).
            reg [SYMBOL_WIDTH-1:0] ram [0:WORDS-1];
            always @(posedge clock) begin
                if (clock_enable) begin
                    q <= ram[read_addr];
                    if (write_c) ram[write_addr_c] <= din;
                end
            end
        end else begin : a_symbol_late
            // The write of the last symbol, from registers: no word is read at the symbol after
            // its write but where the word read is not used, so the RAM block's own read of a
            // word written at the same edge (undefined on an iCE40) is taken.
            (* no_rw_check *) reg [SYMBOL_WIDTH-1:0] ram [0:WORDS-1];
            reg write_q = 1'b0;
            reg [A-1:0] write_addr_q = 0;
            reg [SYMBOL_WIDTH-1:0] write_data_q = 0;
            always @(posedge clock) begin
                if (clock_enable) begin
                    q <= ram[read_addr];
                    if (write_q) ram[write_addr_q] <= write_data_q;
                    write_q <= write_c;
                    write_addr_q <= write_addr_c;
                    write_data_q <= din;
                end
            end
        end
    endgenerate
    assign dout = q;
endmodule
