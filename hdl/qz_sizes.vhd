-- qz_sizes: sizes derived from the cores' generics, shared by their entities and
-- architectures; qz_functions.vh holds the same for the Verilog cores.
package qz_sizes is
    -- floor(log2 x) + 1 for x > 0, 0 otherwise: the bits an unsigned x needs.
    function bit_length(x : integer) return integer;
    -- genaddr's address width A.
    function address_width(int_type : string; depth : integer; delay : integer) return integer;
end qz_sizes;

package body qz_sizes is
    function bit_length(x : integer) return integer is
        variable v : integer := x;
        variable n : integer := 0;
    begin
        while v > 0 loop
            n := n + 1;
            v := v / 2;
        end loop;
        return n;
    end function;

    function address_width(int_type : string; depth : integer; delay : integer) return integer is
    begin
        if int_type = "CONVOLUTIONAL" then
            return bit_length(depth) + bit_length(delay * (depth - 1));
        end if;
        return bit_length(depth) + bit_length(delay);
    end function;
end qz_sizes;
