// Constant functions shared by the cores' modules, included inside each module body
// (Verilog-2001 has no packages). qz_addrgen.vhd's package qz_sizes holds the same in VHDL.

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
