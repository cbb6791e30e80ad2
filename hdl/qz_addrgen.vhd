-- qz_addrgen: the commutator and address counters of the interleaver cores. conv_qzram
-- (EXTERNAL = 0) puts them on its own RAM, genaddr (EXTERNAL = 1) on a RAM outside.
--
-- The addresses and write_enable are for the coming enabled edge and follow that edge's
-- sync_in; mark_q, read_q and bypass_q belong to the word the memory read at the last one.
--
-- Convolutional: branch b owns the region at b * REGION; a rotation counter, advanced by each
-- symbol on branch 0, is the write offset, and a branch that holds d symbols reads offset
-- (rotation - d) modulo the rotation length, the word written d rotations ago (the old word
-- when d is the whole length). conv_qzram's regions are (I-1)J words and its zero-delay branch
-- passes the memory by (bypass_q); genaddr's regions are 2^BitLength((I-1)J) words and each
-- branch holds one symbol more, so no branch needs the symbol of the same edge.
--
-- Block: positions count the block's symbols. Discrete blocks write linear addresses, then
-- read with a step of J (interleaver) or I (deinterleaver) modulo IJ-1, the last word being
-- IJ-1. Continuous blocks read and write one address; block k walks with the k-th power of
-- that step, so each block takes the place of the one read out. The next block's step is
-- summed over the first positions of the current one.
-- Sizes derived from the generics, shared by the cores' entities and architectures.
package qz_sizes is
    -- floor(log2 x) + 1 for x > 0, 0 otherwise.
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

library ieee;
use ieee.std_logic_1164.all;
use ieee.numeric_std.all;
use work.qz_sizes.all;

entity qz_addrgen is
    generic (
        INT_TYPE : string;
        INT_DEPTH : integer;
        SYMBOL_DELAY : integer;
        INT_MODE : string;
        EXTERNAL : integer;
        ADDR_WIDTH : integer
    );
    port (
        clock : in std_logic;
        sync_in : in std_logic;
        clock_enable : in std_logic;
        write_addr : out std_logic_vector(ADDR_WIDTH - 1 downto 0);
        read_addr : out std_logic_vector(ADDR_WIDTH - 1 downto 0);
        write_enable : out std_logic;
        mark_q : out std_logic;
        read_q : out std_logic;
        bypass_q : out std_logic
    );
end qz_addrgen;

architecture rtl of qz_addrgen is
    function pick(c : boolean; a : integer; b : integer) return integer is
    begin
        if c then
            return a;
        end if;
        return b;
    end function;

    constant IS_CONV : boolean := INT_TYPE = "CONVOLUTIONAL";
    constant IS_BLOCK : boolean := INT_TYPE = "BLOCK";
    constant IS_INT : boolean := INT_MODE = "INTERLEAVER";
    constant I : integer := INT_DEPTH;
    constant J : integer := SYMBOL_DELAY;
    constant R : integer := (I - 1) * J;
    -- Rotation length, region size and the delay of branch 0, in rotations.
    constant MC : integer := R + EXTERNAL;
    constant REGION : integer := pick(EXTERNAL = 1, 2 ** bit_length(R), R);
    constant D0 : integer := pick(IS_INT, EXTERNAL, R + EXTERNAL);
    -- Block size, the address walk's modulus and the step of the read walk.
    constant N : integer := I * J;
    constant M : integer := N - 1;
    constant K : integer := pick(IS_INT, J, I);

    signal pend_q : std_logic := '0';
    signal branch_q : integer range 0 to I - 1 := 0;
    signal rot_q : integer range 0 to MC - 1 := 0;
    signal dly_q : integer range 0 to MC := D0;
    signal base_q : integer range 0 to (I - 1) * REGION := 0;
    signal cnt_q : integer range 0 to MC := 0;
    signal pos_q : integer range 0 to N - 1 := 0;
    signal addr_q : integer range 0 to M := 0;
    signal step_q : integer range 1 to M - 1 := 1;
    signal acc_q : integer range 0 to M - 1 := 0;
    signal wphase_q : std_logic := '1';
    signal bsync_q : std_logic := '0';
    signal mark_r : std_logic := '0';
    signal read_r : std_logic := '0';
    signal bypass_r : std_logic := '0';

    signal first_c : std_logic;
    signal br_c : integer range 0 to I - 1;
    signal dly_c : integer range 0 to MC;
    signal base_c : integer range 0 to (I - 1) * REGION;
    signal rot_inc : integer range 0 to MC - 1;
    signal rot_c : integer range 0 to MC - 1;
    signal roff_c : integer range 0 to MC - 1;
    signal pos_c : integer range 0 to N - 1;
    signal addr_c : integer range 0 to M;
    signal acc_c : integer range 0 to M - 1;
    signal wph_c : std_logic;
    signal stepv_c : integer range 1 to M - 1;
    signal addr_sum : integer range 0 to 2 * M;
    signal addr_nxt : integer range 0 to M;
    signal acc_sum : integer range 0 to 2 * M;
    signal acc_nxt : integer range 0 to M - 1;
begin
    -- The symbol of the coming edge: the first of a frame when sync_in is high now or was
    -- high at an edge with clock_enable low since the last symbol.
    first_c <= sync_in or pend_q;

    -- Convolutional commutator.
    br_c <= 0 when first_c = '1' else branch_q;
    dly_c <= D0 when first_c = '1' else dly_q;
    base_c <= 0 when first_c = '1' else base_q;
    rot_inc <= 0 when rot_q = MC - 1 else rot_q + 1;
    rot_c <= rot_inc when br_c = 0 else rot_q;
    roff_c <= rot_c - dly_c when rot_c >= dly_c else rot_c + MC - dly_c;

    -- Block position and address walk.
    pos_c <= 0 when first_c = '1' else pos_q;
    addr_c <= 0 when first_c = '1' else addr_q;
    acc_c <= 0 when pos_c = 0 else acc_q;
    wph_c <= first_c or wphase_q;
    -- A sync that cuts a continuous block short starts the walk afresh.
    stepv_c <= 1 when IS_BLOCK and wph_c = '1' else
               K when IS_BLOCK else
               1 when first_c = '1' and pos_q /= 0 else
               step_q;
    addr_sum <= addr_c + stepv_c;
    addr_nxt <= 0 when pos_c = N - 1 else
                M when pos_c + 1 = M else
                addr_sum - M when addr_sum >= M else
                addr_sum;
    acc_sum <= acc_c + stepv_c;
    acc_nxt <= acc_c when pos_c >= K else
               acc_sum - M when acc_sum >= M else
               acc_sum;

    write_addr <= std_logic_vector(to_unsigned(base_c + rot_c, ADDR_WIDTH)) when IS_CONV else
                  std_logic_vector(to_unsigned(addr_c, ADDR_WIDTH));
    read_addr <= std_logic_vector(to_unsigned(base_c + roff_c, ADDR_WIDTH)) when IS_CONV else
                 std_logic_vector(to_unsigned(addr_c, ADDR_WIDTH));
    write_enable <= wph_c when IS_BLOCK else '1';
    mark_q <= mark_r;
    read_q <= read_r;
    bypass_q <= bypass_r;

    counters : process (clock)
    begin
        if rising_edge(clock) then
            if clock_enable = '1' then
                pend_q <= '0';
                if IS_CONV then
                    rot_q <= rot_c;
                    if br_c = I - 1 then
                        branch_q <= 0;
                        dly_q <= D0;
                        base_q <= 0;
                    else
                        branch_q <= br_c + 1;
                        if IS_INT then
                            dly_q <= dly_c + J;
                        else
                            dly_q <= dly_c - J;
                        end if;
                        base_q <= base_c + REGION;
                    end if;
                    -- The frame's first symbol leaves branch 0 D0 rotations later; one frame
                    -- start is followed at a time.
                    mark_r <= '0';
                    if br_c = 0 then
                        if D0 = 0 then
                            mark_r <= first_c;
                        else
                            if cnt_q = 1 then
                                mark_r <= '1';
                            end if;
                            if first_c = '1' and cnt_q <= 1 then
                                cnt_q <= D0;
                            elsif cnt_q > 0 then
                                cnt_q <= cnt_q - 1;
                            end if;
                        end if;
                    end if;
                    if dly_c = 0 then
                        bypass_r <= '1';
                    else
                        bypass_r <= '0';
                    end if;
                    read_r <= '0';
                else
                    if pos_c = N - 1 then
                        pos_q <= 0;
                    else
                        pos_q <= pos_c + 1;
                    end if;
                    addr_q <= addr_nxt;
                    bypass_r <= '0';
                    if IS_BLOCK then
                        if pos_c = N - 1 then
                            wphase_q <= not wph_c;
                        else
                            wphase_q <= wph_c;
                        end if;
                        read_r <= not wph_c;
                        mark_r <= '0';
                    else
                        acc_q <= acc_nxt;
                        if pos_c = N - 1 then
                            step_q <= acc_nxt;
                        else
                            step_q <= stepv_c;
                        end if;
                        read_r <= '0';
                        -- A block that began with sync_in leaves with sync_out.
                        mark_r <= '0';
                        if pos_c = 0 then
                            mark_r <= bsync_q;
                            bsync_q <= first_c;
                        end if;
                    end if;
                end if;
            else
                pend_q <= pend_q or sync_in;
            end if;
        end if;
    end process;
end rtl;
