-- qz_addrgen: the commutator and address counters of the interleaver cores. conv_qzram
-- (EXTERNAL = 0) puts them on its own RAM, genaddr (EXTERNAL = 1) on a RAM outside.
-- Read line by line against qz_addrgen.v: the same names, stages and arithmetic.
--
-- addr and write_enable are for the coming enabled edge: the RAM reads the word at addr (the
-- old word) and writes din there when write_enable is 1. Both come from registers computed one
-- symbol ahead; the only logic between sync_in and them puts out the address of a frame that
-- starts out of step (a constant) instead of the running frame's. mark_q and flag_q belong to
-- the word the RAM read at the last enabled edge: mark_q marks a frame's first symbol, flag_q
-- is, convolutional, the zero-delay branch's symbol (conv_qzram passes the RAM by) and, block,
-- a symbol read out of a full block.
--
-- A sync_in in step with the counters (a convolutional frame starting at branch 0, a block at
-- its first position) changes nothing; one out of step restarts every counter, pointer and
-- frame mark from the values of a frame start. In step means that every register following
-- from the counters holds a frame start's value. The check is made ahead and kept in registers
-- (in_step_q, convolutional turn_ok_q), so that the choice is one gate from registers and
-- sync_in: the first sync_in from the third enabled edge after any state (a start without
-- initial values, an upset) goes on from a consistent one or restarts; an unknown
-- state ('U' or 'X') takes the restart.
--
-- Convolutional: branch k of the interleaver delays its symbols by k*J of its own symbols,
-- branch k of the deinterleaver by (I-1-k)*J (each one more with EXTERNAL, since a RAM that
-- returns the old word cannot give back the symbol of the same edge). Every branch with a
-- delay is a FIFO: a region of the RAM as long as the delay, read and written at one address
-- that steps through the region, so the word read is the one written a delay ago. The regions
-- lie one after the other in commutator order; conv_qzram's zero-delay branch has none. The
-- FIFOs' addresses sit in a ring of registers, the coming FIFO's at its head: a FIFO symbol
-- takes the head's address and puts the next one (head + 1, or the region's first word) at the
-- tail. base_q is the head's region's first word and wrap_q tells that the head is its last;
-- the next FIFO's first and last words wait in next_base_q and next_last_q, and the region
-- after them in far_base_q and far_last_q, looked up by after_q, the index of the FIFO after
-- that. A frame start out of step restarts these registers and the frame marks an enabled
-- edge late (late_restart_q), at branch 1's symbol, whose address is a constant.
-- The frame's first symbol takes branch 0; where branch 0 delays it, each frame in flight has a
-- countdown of branch 0's symbols until its first symbol is read back, as many as frames of
-- I*J symbols fit in the delay; the word read when one runs out is marked.
--
-- Block: positions count the block's symbols. Discrete blocks write linear addresses, then
-- read with a step of J (interleaver) or I (deinterleaver) modulo IJ-1, the last word being
-- IJ-1. Continuous blocks read and write one address; block k walks with the k-th power of
-- that step, so each block takes the place of the one read out, and where the walk stands
-- after K steps is the next block's step. Both walks are kept one position ahead of the address.
-- The next address and the flags of the next position (first, last, one before last, within
-- the first K) are registers. A discrete block restarts at every frame start: at a block start
-- of the write phase the restart sets the values the block would take, so that one in step
-- changes nothing.

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
        addr : out std_logic_vector(ADDR_WIDTH - 1 downto 0);
        write_enable : out std_logic;
        mark_q : out std_logic;
        flag_q : out std_logic
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

    function to_sl(b : boolean) return std_logic is
    begin
        if b then
            return '1';
        end if;
        return '0';
    end function;

    -- The low w bits of x (a negative x in two's complement), as a sized constant; w may
    -- pass the integer's width.
    function low_bits(x : integer; w : integer) return unsigned is
        variable r : unsigned(w - 1 downto 0);
        variable v : integer := x;
    begin
        for b in 0 to w - 1 loop
            if v mod 2 = 1 then
                r(b) := '1';
            else
                r(b) := '0';
            end if;
            v := (v - v mod 2) / 2;
        end loop;
        return r;
    end function;

    -- x <= bound, written bit by bit from the lowest so that a constant bound gives a tree of
    -- gates rather than a carry chain.
    function at_most(x : unsigned; bound : unsigned) return boolean is
        variable le : boolean := true;
    begin
        for b in natural range 0 to x'length - 1 loop
            if bound(bound'low + b) = '1' then
                le := x(x'low + b) = '0' or le;
            else
                le := x(x'low + b) = '0' and le;
            end if;
        end loop;
        return le;
    end function;

    constant I : integer := INT_DEPTH;
    constant J : integer := SYMBOL_DELAY;
    constant AW : integer := ADDR_WIDTH;
    constant IS_INT : boolean := INT_MODE = "INTERLEAVER";
    constant ONE : unsigned(AW - 1 downto 0) := low_bits(1, AW);

    -- The length of convolutional FIFO m in commutator order, and where its region starts (the
    -- lengths of the FIFOs before it summed). Interleaver: FIFO m is branch m + SKIP, where SKIP
    -- is 1 when conv_qzram passes the zero-delay branch by; deinterleaver: branch m. Each branch
    -- delays by its J-multiple, one word more with EXTERNAL.
    constant SKIP : integer := pick(IS_INT and EXTERNAL = 0, 1, 0);
    function fifo_len(m : integer) return integer is
    begin
        return pick(IS_INT, J * (m + SKIP), J * (I - 1 - m)) + EXTERNAL;
    end function;

    function fifo_base(m : integer) return integer is
    begin
        return pick(IS_INT, J * (m * (m - 1) / 2 + SKIP * m), J * (m * (I - 1) - m * (m - 1) / 2)) + EXTERNAL * m;
    end function;

    -- The symbol of the coming edge is a frame's first when sync_in is high now or was high at
    -- an edge with clock_enable low since the last symbol.
    signal pend_q : std_logic := '0';
    signal first : std_logic;
    -- keep: the running frame goes on (no frame start, or one in step with the counters,
    -- in_step); otherwise the counters restart. An unknown in_step restarts them. A frame start
    -- pending from a disabled edge is judged there (in_step does not change before the next
    -- enabled edge), so that the choice is one gate from registers and sync_in.
    signal in_step : std_logic;
    signal pend_restart_q : std_logic := '0';
    signal keep : std_logic;
begin
    first <= sync_in or pend_q;

    choice : process (pend_restart_q, sync_in, in_step)
    begin
        if pend_restart_q = '0' and (sync_in = '0' or in_step = '1') then
            keep <= '1';
        else
            keep <= '0';
        end if;
    end process;

    pending : process (clock)
    begin
        if rising_edge(clock) then
            if clock_enable = '1' then
                pend_q <= '0';
                pend_restart_q <= '0';
            else
                pend_q <= pend_q or sync_in;
                pend_restart_q <= pend_restart_q or (sync_in and not in_step);
            end if;
        end if;
    end process;

    convolutional : if INT_TYPE = "CONVOLUTIONAL" generate
        -- FIFO branches in commutator order; the internal interleaver's first is branch 1.
        constant F : integer := pick(EXTERNAL = 1, I, I - 1);
        constant FIRST_LEN : integer := fifo_len(0);
        constant MARKS : integer := pick(SKIP = 1, 1, (FIRST_LEN + J - 1) / J);
        -- The FIFO registers restart an enabled edge after the frame start's (late_restart_q), at
        -- branch 1's symbol, with the state the frame's symbols up to it leave: TAKEN FIFOs have
        -- taken their first, FIFO 0 where branch 0 is a FIFO and branch 1's FIFO where it is one;
        -- the head is FIFO RH. That symbol's address is its FIFO's first word (FIFO LATE_FIFO's),
        -- a constant, as is the frame start's (FIFO 0's first word, 0).
        constant BRANCH1_FIFO : boolean := SKIP = 1 or EXTERNAL = 1 or I > 2;
        constant TAKEN : integer := pick(SKIP = 1, 0, 1) + pick(BRANCH1_FIFO, 1, 0);
        constant LATE_FIFO : integer := TAKEN - 1;
        constant RH : integer := TAKEN mod F;
        constant BW : integer := bit_length(I - 1);
        constant I_LAST : integer := I - 1;
        constant I_PENULT : integer := I - 2;
        constant BR_ONE : unsigned(BW - 1 downto 0) := low_bits(1, BW);
        constant BR_PENULT : unsigned(BW - 1 downto 0) := low_bits(I_PENULT, BW);
        constant XW : integer := pick(bit_length(F - 1) > 0, bit_length(F - 1), 1);
        constant XN : integer := 2 ** XW;
        constant MW : integer := pick(bit_length(MARKS - 1) > 0, bit_length(MARKS - 1), 1);
        constant MARKS_LAST_I : integer := MARKS - 1;
        constant SLOT_ONE : unsigned(MW - 1 downto 0) := low_bits(1, MW);
        constant SLOT_LAST : unsigned(MW - 1 downto 0) := low_bits(MARKS_LAST_I, MW);
        constant CW : integer := bit_length(FIRST_LEN);
        constant COUNT_ONE : unsigned(CW - 1 downto 0) := low_bits(1, CW);
        constant COUNT_FULL : unsigned(CW - 1 downto 0) := low_bits(FIRST_LEN, CW);

        -- The FIFO after the head (next) and the one after that (after), at power-up and
        -- after a restart.
        constant ONE_MOD_F : integer := 1 mod F;
        constant AFTER_POWER_UP_I : integer := 2 mod F;
        constant NEXT_RESTART : integer := (RH + 1) mod F;
        constant AFTER_RESTART_I : integer := (RH + 2) mod F;
        constant AFTER_POWER_UP : unsigned(XW - 1 downto 0) := low_bits(AFTER_POWER_UP_I, XW);
        constant AFTER_RESTART : unsigned(XW - 1 downto 0) := low_bits(AFTER_RESTART_I, XW);
        constant MOVES_LAST : boolean := SKIP = 1 or EXTERNAL = 1;
        constant MOVES_PENULT : boolean := SKIP = 0 or I > 2;
        constant HEAD_CHECKED : boolean := not MOVES_LAST and F > 1;
        constant HEAD_LAST : integer := pick(MOVES_LAST, F - 1, 0);
        constant NEXT_LAST : integer := (HEAD_LAST + 1) mod F;
        constant AFTER_LAST : integer := (HEAD_LAST + 2) mod F;

        -- Every FIFO's first address (lasts false) or last address (lasts true), FIFO n + shift
        -- (modulo the FIFOs) at n, for every n the index's XW bits can hold: one past the last
        -- FIFO (only a register upset or a start without initial values leaves such an index)
        -- as 0.
        type table_t is array (integer range 0 to XN - 1) of unsigned(AW - 1 downto 0);
        -- The index after index n (modulo the FIFOs; 0 after one past the last): a table, so
        -- that the index steps through gates from its own bits alone, not through a carry chain
        -- and a wrap flag.
        type index_table_t is array (integer range 0 to XN - 1) of unsigned(XW - 1 downto 0);
        function index_table return index_table_t is
            variable t : index_table_t;
        begin
            for n in index_table_t'range loop
                t(n) := low_bits(pick(n + 1 < F, n + 1, 0), XW);
            end loop;
            return t;
        end function;
        constant AFTERS_ON : index_table_t := index_table;
        function region_table(lasts : boolean; shift : integer) return table_t is
            variable t : table_t;
            variable m : integer;
        begin
            for n in table_t'range loop
                m := (pick(n < F, n, 0) + shift) mod F;
                if lasts then
                    t(n) := low_bits(fifo_base(m) + fifo_len(m) - 1, AW);
                else
                    t(n) := low_bits(fifo_base(m), AW);
                end if;
            end loop;
            return t;
        end function;

        -- The FIFO addresses after the first `took` FIFOs of a frame have taken its first
        -- symbol each (0: at power-up): the head at FIFO `took`, every FIFO at its region's first
        -- word, and those that have taken theirs at its next (a FIFO of one word at its only
        -- one). Ring place n at bits n*AW.
        function ring_start(took : integer) return unsigned is
            variable r : unsigned(F * AW - 1 downto 0) := (others => '0');
            variable m : integer;
        begin
            for n in 0 to F - 1 loop
                m := (n + took) mod F;
                r(n * AW + AW - 1 downto n * AW) :=
                    low_bits(fifo_base(m) + pick(m < took and fifo_len(m) /= 1, 1, 0), AW);
            end loop;
            return r;
        end function;

        -- Each FIFO's first and last address, looked up by index.
        constant BASES : table_t := region_table(false, 0);
        constant LASTS : table_t := region_table(true, 0);
        -- The same, FIFO n + 1 at n.
        constant BASES_ON : table_t := region_table(false, 1);
        constant LASTS_ON : table_t := region_table(true, 1);
        constant RING_POWER_UP : unsigned(F * AW - 1 downto 0) := ring_start(0);
        constant RING_RESTART : unsigned(F * AW - 1 downto 0) := ring_start(TAKEN);

        -- The coming symbol's branch when no frame starts, and what follows from it.
        signal br_q : unsigned(BW - 1 downto 0) := (others => '0');
        signal branch0_q : std_logic := '1';
        signal br_last_q : std_logic := '0';
        signal fifo_q : std_logic := to_sl(SKIP = 0);
        signal fifo_next_c : std_logic;
        -- The FIFO addresses, the head's region and the index of the FIFO after the head.
        signal ring_q : unsigned(F * AW - 1 downto 0) := RING_POWER_UP;
        signal base_q : unsigned(AW - 1 downto 0) := (others => '0');
        signal wrap_q : std_logic := to_sl(FIRST_LEN = 1);
        signal next_base_q : unsigned(AW - 1 downto 0) := BASES(ONE_MOD_F);
        signal next_last_q : unsigned(AW - 1 downto 0) := LASTS(ONE_MOD_F);
        signal after_q : unsigned(XW - 1 downto 0) := AFTER_POWER_UP;
        -- The region of FIFO after_q.
        signal far_base_q : unsigned(AW - 1 downto 0) := BASES(AFTER_POWER_UP_I);
        signal far_last_q : unsigned(AW - 1 downto 0) := LASTS(AFTER_POWER_UP_I);
        -- Frame marks in flight, one countdown a frame in MARKS slots: how many of branch 0's
        -- symbols are left until the frame's first symbol is read back from FIFO 0, which
        -- is FIRST_LEN of them after it was written. A count of 0, or one past FIRST_LEN
        -- (which no frame leaves), is a free slot. A frame start takes the slot at
        -- mark_slot_q, whose frame has left: frames are at least J of branch 0's symbols
        -- apart and MARKS * J >= FIRST_LEN. A count that no frame left (a register upset or
        -- a start without initial values) runs out within FIRST_LEN of branch 0's symbols
        -- and takes no frame's place.
        signal mark_count_q : unsigned(MARKS * CW - 1 downto 0) := (others => '0');
        -- Whether each slot's count is 1 (its frame's first symbol is read at the coming symbol
        -- of branch 0), set as the count is: the mark's decision is then an OR of registers, not
        -- of comparisons.
        signal count_one_q : std_logic_vector(MARKS - 1 downto 0) := (others => '0');
        signal mark_slot_q : unsigned(MW - 1 downto 0) := (others => '0');
        signal mark_out_q : std_logic := '0';
        signal bypass_q : std_logic := '0';

        alias head : unsigned(AW - 1 downto 0) is ring_q(AW - 1 downto 0);
        signal head_next : unsigned(AW - 1 downto 0);
        signal far_base_next_c, far_last_next_c : unsigned(AW - 1 downto 0);
        signal after_next_c : unsigned(XW - 1 downto 0);
        -- A FIFO address comes to the head from ring place 1 and is there kept inside its
        -- FIFO's region (next_base_q .. next_last_q): one outside it (only a register upset or
        -- a start without initial values leaves one) comes to the head as the region's first
        -- word instead. Whether place 1's address lies outside is found as it comes to place 1
        -- and kept in two registers, coming_below_q (below the region's first word) and
        -- coming_above_q (above its last), so that no comparison lies between the ring and the
        -- head and each comparison goes straight into a register of its own. With a single FIFO
        -- the head's next address is kept inside instead.
        constant LAST0 : unsigned(AW - 1 downto 0) := LASTS(0);
        -- The shortest FIFO is the first (interleaver) or the last (deinterleaver).
        constant ONE_WORD_FIFO : boolean := pick(IS_INT, fifo_len(0), fifo_len(F - 1)) = 1;
        signal coming_below_q, coming_above_q : std_logic := '0';
        signal coming_out : std_logic;
        signal wrap_next_c : std_logic;
        -- The address that comes to place 1 (with one FIFO, not used).
        signal second_c : unsigned(AW - 1 downto 0);
        signal place1_c : unsigned(AW - 1 downto 0);
        -- The address that comes to the head as the ring moves: place 1's, kept inside its
        -- region; with one FIFO the head's next, kept inside.
        signal ring_low_c : unsigned(AW - 1 downto 0);
        signal late_restart_q : std_logic := '0';
        signal fifos_move : std_logic;
        signal slot_ok_c, due_c : std_logic;
        signal near_ok_c, far_ok_c : std_logic;
        signal turn_ok_q, far_ok_q : std_logic := '0';
        -- Always 1 where the head is not checked (a constant, no register).
        signal head_ok_q : std_logic := to_sl(not HEAD_CHECKED);
        signal in_step_q : std_logic := '1';
        signal count_live_c : std_logic_vector(MARKS - 1 downto 0);
        signal count_down_c : unsigned(MARKS * CW - 1 downto 0);
        -- The counts that move down to 1.
        signal count_two_c : std_logic_vector(MARKS - 1 downto 0);
    begin
        head_next <= base_q when wrap_q = '1' else head + ONE;

        -- In step: the coming symbol is branch 0, the commutator and the FIFO registers hold
        -- what every branch 0 finds (their power-up values), the head inside FIFO 0's region
        -- and, for the marks, the slot pointer among the slots; any other state, whatever left
        -- it, takes the restart at a frame start. So that the choice at a frame start is one
        -- gate from registers, the check runs two symbols ahead: at the symbol of branch I-2,
        -- turn_ok_q, far_ok_q and head_ok_q take whether the FIFO registers will hold what
        -- branch I-1 finds (the commutator's flag and the next regions, the regions after them,
        -- the head), and at branch I-1's symbol in_step_q takes the three with the commutator
        -- (br_last_q sets every commutator register of branch 0) and the slot pointer. Three
        -- registers, so that no check is deeper than a few gates. Branch I-1's FIFO registers
        -- become branch 0's as a step makes them.
        --
        -- At branch I-1 the head is the last FIFO when branch I-1's symbol is a FIFO's (its
        -- move brings FIFO 0's address to the head, kept inside), otherwise FIFO 0, which came
        -- to the head at branch I-2's symbol: kept inside there unless coming_out was not yet
        -- found from the registers, so it is checked. Branch I-2's symbol moves the ring unless
        -- it is the zero-delay branch's.
        ring_moves : if MOVES_PENULT generate
            near_ok_c <= to_sl(next_base_q = BASES(HEAD_LAST) and next_last_q = LASTS(HEAD_LAST));
            far_ok_c <= to_sl(far_base_q = BASES(NEXT_LAST) and far_last_q = LASTS(NEXT_LAST) and
                              after_q = low_bits(NEXT_LAST, XW));
        end generate;
        ring_holds : if not MOVES_PENULT generate
            near_ok_c <= to_sl(base_q = BASES(HEAD_LAST) and wrap_q = to_sl(head = LASTS(HEAD_LAST)) and
                               next_base_q = BASES(NEXT_LAST) and next_last_q = LASTS(NEXT_LAST));
            far_ok_c <= to_sl(far_base_q = BASES(AFTER_LAST) and far_last_q = LASTS(AFTER_LAST) and
                              after_q = low_bits(AFTER_LAST, XW));
        end generate;
        -- Place 1 must lie inside FIFO 0's region, unless the ring keeps its head inside or
        -- coming_out brings FIFO 0's first word instead; at_most is asked in the register's
        -- process, only at the symbol that makes the check. place1_c: place 1's address (with a
        -- single FIFO the head's).
        place_one : if F = 1 generate
            place1_c <= ring_q(AW - 1 downto 0);
        end generate;
        place_more : if F > 1 generate
            place1_c <= ring_q(2 * AW - 1 downto AW);
        end generate;
        slot_ok_c <= to_sl(mark_slot_q <= SLOT_LAST);
        in_step <= in_step_q;

        -- The region of the FIFO after FIFO after_q, looked up in the tables (the last FIFO's
        -- entry is FIFO 0's). The lookup is after_q's alone: with a flag for the last FIFO
        -- beside it, synthesis turns FIFO 0's constant bits into set/resets shared with the
        -- restart's, a chain of gates from sync_in to the region registers.
        -- The index after after_q comes from its table in the same loop.
        lookup : process (after_q)
            variable base_v, last_v : unsigned(AW - 1 downto 0);
            variable after_v : unsigned(XW - 1 downto 0);
            variable index_v : integer;
        begin
            base_v := BASES(0);
            last_v := LASTS(0);
            after_v := (others => '0');
            index_v := to_integer(after_q);
            for n in BASES_ON'range loop
                if index_v = n then
                    base_v := BASES_ON(n);
                    last_v := LASTS_ON(n);
                    after_v := AFTERS_ON(n);
                end if;
            end loop;
            far_base_next_c <= base_v;
            far_last_next_c <= last_v;
            after_next_c <= after_v;
        end process;

        -- The ring after a FIFO symbol: the next head moves up, kept inside its region, and the
        -- new address goes to the tail; wrap_next_c tells that the new head is its region's last
        -- word; whether the new place 1 lies below or above its region is found in the
        -- registers' process below.
        coming_out <= coming_below_q or coming_above_q;
        ring_of_one : if F = 1 generate
            ring_low_c <= head_next when at_most(head, LAST0) else (others => '0');
            wrap_next_c <= to_sl(ring_low_c = next_last_q);
            second_c <= head_next;
        end generate;
        ring_of_more : if F > 1 generate
            ring_low_c <= next_base_q when coming_out = '1' else place1_c;
            two : if F = 2 generate
                -- The address that comes to place 1: the head's next with two FIFOs.
                second_c <= head_next;
            end generate;
            three_or_more : if F > 2 generate
                -- The address that comes to place 1: place 2's.
                second_c <= ring_q(3 * AW - 1 downto 2 * AW);
            end generate;
            -- An address found outside comes to the head as its region's first word, which is
            -- also the last only in a FIFO of one word (genaddr's zero-delay branch): without
            -- one, wrap_next_c is a single equality.
            wrap_next_c <= to_sl(ONE_WORD_FIFO and next_base_q = next_last_q) when coming_out = '1' else
                           to_sl(place1_c = next_last_q);
        end generate;

        -- The FIFO registers and the frame marks move on at a FIFO symbol (the marks at branch
        -- 0's) and restart at the enabled edge after a frame start out of step
        -- (late_restart_q): their enable and restart come from registers alone, not from
        -- sync_in. What they do at the frame start's own edge is overwritten there.
        fifos_move <= fifo_q or late_restart_q;

        -- A frame's first symbol is read from FIFO 0 at this symbol of branch 0 (a count at
        -- 1); each count in 1 .. FIRST_LEN moves one down at branch 0's symbols, any other
        -- is cleared.
        counts : for slot in 0 to MARKS - 1 generate
            count_live_c(slot) <= to_sl(mark_count_q(slot * CW + CW - 1 downto slot * CW) /= 0 and
                                        mark_count_q(slot * CW + CW - 1 downto slot * CW) <= COUNT_FULL);
        end generate;
        due_c <= '0' when count_one_q = (count_one_q'range => '0') else '1';
        countdown : process (mark_count_q, count_live_c)
            variable down_v : unsigned(MARKS * CW - 1 downto 0);
            variable two_v : std_logic_vector(MARKS - 1 downto 0);
        begin
            down_v := (others => '0');
            two_v := (others => '0');
            for m in 0 to MARKS - 1 loop
                if count_live_c(m) = '1' then
                    down_v(m * CW + CW - 1 downto m * CW) := mark_count_q(m * CW + CW - 1 downto m * CW) - COUNT_ONE;
                end if;
                two_v(m) := to_sl(FIRST_LEN >= 2 and mark_count_q(m * CW + CW - 1 downto m * CW) = low_bits(2, CW));
            end loop;
            count_down_c <= down_v;
            count_two_c <= two_v;
        end process;

        -- A frame start out of step takes FIFO 0's first word (0), also right after a restart.
        addr <= (others => '0') when keep = '0' else
                std_logic_vector(BASES(LATE_FIFO)) when late_restart_q = '1' else
                std_logic_vector(head);
        write_enable <= fifo_q when keep = '1' else to_sl(SKIP = 0);
        mark_q <= mark_out_q;
        flag_q <= bypass_q;

        -- The commutator. fifo_q holds at genaddr's symbols (every branch a FIFO).
        fifo_next_c <= to_sl(SKIP = 1 or EXTERNAL = 1 or I_LAST /= 1) when keep = '0' else
                       not br_last_q when SKIP = 1 else
                       br_last_q or to_sl(br_q /= BR_PENULT) when EXTERNAL = 0 else
                       fifo_q;
        commutator : process (clock)
        begin
            if rising_edge(clock) then
                if clock_enable = '1' then
                    fifo_q <= fifo_next_c;
                    late_restart_q <= not keep;
                    -- far_ok_q and head_ok_q are set, not judged, at the edge after a restart
                    -- (with I = 2 at the restart's own, which leaves branch I-1) and take no
                    -- restart value, so that sync_in reaches neither. at_most is asked at branch
                    -- I-2's symbol alone.
                    if late_restart_q = '1' or (I = 2 and keep = '0') then
                        far_ok_q <= '1';
                    else
                        far_ok_q <= far_ok_c;
                    end if;
                    if late_restart_q = '1' or (I = 2 and keep = '0') or not HEAD_CHECKED or coming_out = '1' or
                       br_q /= BR_PENULT then
                        head_ok_q <= '1';
                    else
                        head_ok_q <= to_sl(at_most(place1_c, LAST0));
                    end if;
                    if keep = '1' then
                        if br_last_q = '1' then
                            br_q <= (others => '0');
                        else
                            br_q <= br_q + BR_ONE;
                        end if;
                        -- The FIFO registers restarting at this edge take what branch 2 finds: the
                        -- state branch I-1 finds, checked at branch I-2, when I is 3.
                        if late_restart_q = '1' then
                            turn_ok_q <= to_sl(I = 3 and fifo_q = to_sl(MOVES_PENULT));
                        else
                            turn_ok_q <= to_sl(fifo_q = to_sl(MOVES_PENULT)) and near_ok_c;
                        end if;
                        in_step_q <= br_last_q and turn_ok_q and far_ok_q and head_ok_q and slot_ok_c;
                        branch0_q <= br_last_q;
                        br_last_q <= not br_last_q and to_sl(br_q = BR_PENULT);
                        bypass_q <= to_sl(EXTERNAL = 0) and not fifo_q;
                    else
                        br_q <= BR_ONE;
                        turn_ok_q <= '1';
                        in_step_q <= '0';
                        branch0_q <= '0';
                        br_last_q <= to_sl(I_LAST = 1);
                        bypass_q <= to_sl(SKIP = 1);
                    end if;
                end if;
            end if;
        end process;

        -- The FIFO addresses; wrap_q tells that the head is its region's last word.
        fifo_addresses : process (clock)
        begin
            if rising_edge(clock) then
                if clock_enable = '1' and fifos_move = '1' then
                    if late_restart_q = '0' then
                        -- The ring moves down a place, the head's next to the tail and
                        -- ring_low_c to the head; written straight into the register, as a
                        -- ring-wide signal would cost a simulator an event a bit at every symbol.
                        if F = 1 then
                            ring_q <= ring_low_c;
                        else
                            ring_q <= head_next & ring_q(F * AW - 1 downto 2 * AW) & ring_low_c;
                        end if;
                        -- Whether the new place 1 lies below or above its region. Synthesis
                        -- builds each comparison as a carry chain; written here rather than as
                        -- concurrent subtractions, a simulator makes them at the FIFO symbols
                        -- alone, not at every move of their operands.
                        coming_below_q <= to_sl(F > 1 and second_c < far_base_q);
                        coming_above_q <= to_sl(F > 1 and far_last_q < second_c);
                        base_q <= next_base_q;
                        wrap_q <= wrap_next_c;
                        next_base_q <= far_base_q;
                        next_last_q <= far_last_q;
                        far_base_q <= far_base_next_c;
                        far_last_q <= far_last_next_c;
                        after_q <= after_next_c;
                    else
                        ring_q <= RING_RESTART;
                        coming_below_q <= '0';
                        coming_above_q <= '0';
                        base_q <= BASES(RH);
                        wrap_q <= to_sl(RING_RESTART(AW - 1 downto 0) = LASTS(RH));
                        next_base_q <= BASES(NEXT_RESTART);
                        next_last_q <= LASTS(NEXT_RESTART);
                        far_base_q <= BASES(AFTER_RESTART_I);
                        far_last_q <= LASTS(AFTER_RESTART_I);
                        after_q <= AFTER_RESTART;
                    end if;
                end if;
            end if;
        end process;

        -- The frame marks: a restart puts its own frame start in slot 0 (an edge late, with no
        -- branch 0 symbol between); at branch 0's symbols the counts move down and a frame start
        -- in step takes its slot.
        frame_marks : process (clock)
        begin
            if rising_edge(clock) then
                if clock_enable = '1' then
                    if SKIP = 1 then
                        mark_out_q <= first;
                    else
                        mark_out_q <= keep and branch0_q and due_c;
                    end if;
                    if late_restart_q = '1' then
                        for m in 0 to MARKS - 1 loop
                            if m = 0 then
                                mark_count_q(m * CW + CW - 1 downto m * CW) <= COUNT_FULL;
                            else
                                mark_count_q(m * CW + CW - 1 downto m * CW) <= (others => '0');
                            end if;
                            count_one_q(m) <= to_sl(m = 0 and FIRST_LEN = 1);
                        end loop;
                        if MARKS = 1 then
                            mark_slot_q <= (others => '0');
                        else
                            mark_slot_q <= SLOT_ONE;
                        end if;
                    elsif branch0_q = '1' then
                        mark_count_q <= count_down_c;
                        count_one_q <= count_two_c;
                        if first = '1' then
                            for m in 0 to MARKS - 1 loop
                                if mark_slot_q = low_bits(m, MW) then
                                    mark_count_q(m * CW + CW - 1 downto m * CW) <= COUNT_FULL;
                                    count_one_q(m) <= to_sl(FIRST_LEN = 1);
                                end if;
                            end loop;
                            if mark_slot_q = SLOT_LAST then
                                mark_slot_q <= (others => '0');
                            else
                                mark_slot_q <= mark_slot_q + SLOT_ONE;
                            end if;
                        end if;
                    end if;
                end if;
            end if;
        end process;
    end generate;

    -- The Verilog's generate block "block" (block is a reserved word in VHDL).
    blocks : if INT_TYPE /= "CONVOLUTIONAL" generate
        constant DISCRETE : boolean := INT_TYPE = "BLOCK";
        -- Block size, the address walk's modulus and the step of the read walk.
        constant N : integer := I * J;
        constant PW : integer := bit_length(N - 1);
        constant N_PENULT : integer := N - 2;
        constant N_LAST : integer := N - 1;
        constant K : integer := pick(IS_INT, J, I);
        constant POS_ONE : unsigned(PW - 1 downto 0) := low_bits(1, PW);
        constant N_THIRD : integer := N - 3;
        constant K_PREV : integer := K - 1;
        constant POS_THIRD : unsigned(PW - 1 downto 0) := low_bits(N_THIRD, PW);
        constant POS_LOW_PREV : unsigned(PW - 1 downto 0) := low_bits(K_PREV, PW);
        constant STEP_K : unsigned(AW - 1 downto 0) := low_bits(K, AW);
        -- Sums one bit wider than the modulus, so that subtracting it shows a borrow; a step
        -- is added with and without the modulus taken off, side by side.
        constant MODULUS : unsigned(AW downto 0) := low_bits(N_LAST, AW + 1);
        constant STEP_LAST : unsigned(AW - 1 downto 0) := low_bits(N_PENULT, AW);
        constant STEP_WRAP_ONE : unsigned(AW downto 0) := resize(ONE, AW + 1) - MODULUS;
        constant STEP_WRAP_K : unsigned(AW downto 0) := resize(STEP_K, AW + 1) - MODULUS;
        constant TWO : unsigned(AW - 1 downto 0) := low_bits(2, AW);

        signal pos_q : unsigned(PW - 1 downto 0) := (others => '0');
        signal addr_q : unsigned(AW - 1 downto 0) := (others => '0');
        -- The walk one position ahead of addr_q (k+1 steps from the block's word 0 when the
        -- coming position is k, 0 when it is the last).
        signal ahead_q : unsigned(AW - 1 downto 0) := ONE;
        signal step_q : unsigned(AW - 1 downto 0) := ONE;
        signal step_wrap_q : unsigned(AW downto 0) := STEP_WRAP_ONE;
        -- Continuous: the walk takes step 1 instead of step_q, from a restart to the position
        -- before last, where step_q takes the next block's step.
        signal unit_q : std_logic := '0';
        signal acc_q : unsigned(AW - 1 downto 0) := (others => '0');
        signal pos_first_q : std_logic := '1';
        signal pos_last_q : std_logic := '0';
        signal pos_penult_q : std_logic := '0';
        signal pos_low_q : std_logic := '1';
        signal wphase_q : std_logic := '1';
        -- Discrete: the phase of the position after the coming one, whose step the walk ahead
        -- takes (1 writing, K reading).
        signal wahead_q : std_logic := '1';
        signal bsync_q : std_logic := '0';
        -- A continuous step that shares a factor with IJ-1 (only a register upset or a start
        -- without initial values leaves one) walks back to word 0 before the block's end;
        -- the block that sees it starts the next one with step 1 instead.
        signal step_bad_q : std_logic := '0';
        signal mark_out_q : std_logic := '0';
        signal read_out_q : std_logic := '0';

        signal step_c : unsigned(AW - 1 downto 0);
        signal step_wrap_c : unsigned(AW downto 0);
        signal walk_sum : unsigned(AW - 1 downto 0);
        signal walk_wrap : unsigned(AW downto 0);
        signal walk_step : unsigned(AW - 1 downto 0);
        signal addr_next : unsigned(AW - 1 downto 0);
        signal ahead_next : unsigned(AW - 1 downto 0);
        signal pos_next : unsigned(PW - 1 downto 0);
        signal wphase_next : std_logic;
        signal step_next_ok_c, last_c : std_logic;
        signal in_step_next_c : std_logic;
        signal in_step_q : std_logic := '1';
    begin
        -- In step (continuous): the coming symbol is a block's first and every counter holds a
        -- block start's value, so that the block goes on correctly whatever the registers held
        -- before; any other state takes the restart. The check is made one symbol ahead, at the
        -- last position, where pos_last_q sets the position, the address and the position flags
        -- of the coming first; the one before last must not be set beside it, the position and
        -- address must be the last's, the walk ahead at word 0 with step_q, and the step taken
        -- over at the position before must lie in 1 .. IJ-2. It is kept in in_step_q, so that the choice at
        -- a frame start is one gate from registers. A discrete block is never in step: a frame
        -- start restarts it, and at a block start of the write phase the restart sets exactly
        -- the values the block would take.
        step_next_ok_c <= to_sl(step_q /= 0 and at_most(step_q, STEP_LAST));
        last_c <= pos_last_q and not pos_penult_q and to_sl(pos_q = N_LAST and addr_q = MODULUS(AW - 1 downto 0));
        in_step_next_c <= last_c and to_sl(ahead_q = 0) and not unit_q and step_next_ok_c;
        in_step <= in_step_q when not DISCRETE else '0';

        -- The running block's next position and address, from registers only: the address
        -- takes the walk ahead, which takes the next step.
        wphase_next <= wphase_q xor pos_last_q;
        step_c <= step_q when not DISCRETE and unit_q = '0' else
                  ONE when not DISCRETE or wahead_q = '1' else
                  STEP_K;
        step_wrap_c <= step_wrap_q when not DISCRETE and unit_q = '0' else
                       STEP_WRAP_ONE when not DISCRETE or wahead_q = '1' else
                       STEP_WRAP_K;
        walk_sum <= ahead_q + step_c;
        walk_wrap <= resize(ahead_q, AW + 1) + step_wrap_c;
        walk_step <= walk_sum when walk_wrap(AW) = '1' else walk_wrap(AW - 1 downto 0);
        addr_next <= MODULUS(AW - 1 downto 0) when pos_penult_q = '1' else ahead_q;
        ahead_next <= (others => '0') when pos_penult_q = '1' else walk_step;
        pos_next <= (others => '0') when pos_last_q = '1' else pos_q + POS_ONE;

        -- The RAM's address: a frame's first symbol takes word 0 (in step the block start's).
        addr <= (others => '0') when first = '1' else std_logic_vector(addr_q);
        write_enable <= to_sl(not DISCRETE) or first or wphase_q;
        mark_q <= mark_out_q;
        flag_q <= read_out_q;

        counters : process (clock)
        begin
            if rising_edge(clock) then
                if clock_enable = '1' then
                    -- The position counters and flags restart at every frame start: in step they
                    -- stand at a block start, where the restart sets the values they would take.
                    if first = '0' then
                        pos_q <= pos_next;
                        in_step_q <= in_step_next_c;
                        pos_first_q <= pos_last_q;
                        pos_last_q <= pos_penult_q;
                        pos_penult_q <= not pos_last_q and to_sl(pos_q = POS_THIRD);
                        pos_low_q <= pos_last_q or to_sl(pos_q < POS_LOW_PREV);
                        wphase_q <= wphase_next;
                        wahead_q <= wphase_next xor pos_penult_q;
                        read_out_q <= to_sl(DISCRETE) and not wphase_q;
                        step_bad_q <= to_sl(not DISCRETE) and not pos_last_q and
                                      (step_bad_q or (not pos_first_q and to_sl(addr_q = 0)));
                    else
                        -- A frame start: position 0 taken, at address 0.
                        pos_q <= POS_ONE;
                        in_step_q <= '0';
                        pos_first_q <= '0';
                        pos_last_q <= to_sl(N_LAST = 1);
                        pos_penult_q <= to_sl(N_PENULT = 1);
                        pos_low_q <= to_sl(K > 1);
                        wphase_q <= '1';
                        wahead_q <= to_sl(N_LAST /= 1);
                        read_out_q <= '0';
                        step_bad_q <= '0';
                    end if;
                    -- The address walk goes on at a frame start in step and restarts with step 1
                    -- at one out of step.
                    if keep = '1' then
                        addr_q <= addr_next;
                        ahead_q <= ahead_next;
                    else
                        addr_q <= ONE;
                        ahead_q <= TWO;
                    end if;
                    unit_q <= not keep or (unit_q and not pos_penult_q);
                    -- The sum is complete before the position before last: the next block's step.
                    if pos_penult_q = '1' then
                        if step_bad_q = '1' then
                            step_q <= ONE;
                            step_wrap_q <= STEP_WRAP_ONE;
                        else
                            step_q <= acc_q;
                            step_wrap_q <= resize(acc_q, AW + 1) - MODULUS;
                        end if;
                    end if;
                    -- The next block's step is K steps of this one's walk: the walk ahead at the
                    -- first K positions, the last taken at position K-1 (a restart's own is
                    -- taken over at the positions after it).
                    if pos_low_q = '1' then
                        acc_q <= ahead_q;
                    end if;
                    -- A continuous block that began with sync_in leaves with sync_out: bsync_q tells
                    -- that the running block began with it, up to the next block's first symbol.
                    mark_out_q <= to_sl(not DISCRETE) and (first or pos_first_q) and bsync_q;
                    bsync_q <= to_sl(not DISCRETE) and (first or (bsync_q and not pos_first_q));
                end if;
            end if;
        end process;
    end generate;
end rtl;
