// Constant functions shared by the cores' modules, included inside each module body
// (Verilog-2001 has no packages). The VHDL package qz_sizes (qz_sizes.vhd) holds the same.

// floor(log2 x) + 1 for x > 0, 0 otherwise: the bits an unsigned x needs.
function integer bit_length;
    input integer x;
    integer k;
    begin
        bit_length = 0;
        for (k = 0; k < 31; k = k + 1)
            if (x >= (1 << k)) bit_length = k + 1;
    end
endfunction

// genaddr's address width: room for I*(I-1)*J/2 + I words convolutional, I*J block.
function integer address_width;
    input [8*15-1:0] int_type;
    input integer depth;
    input integer delay;
    begin
        if (int_type == "CONVOLUTIONAL")
            address_width = bit_length(depth) + bit_length(delay * (depth - 1));
        else
            address_width = bit_length(depth) + bit_length(delay);
    end
endfunction
