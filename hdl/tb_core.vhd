-- Drives one core (conv_qzram, or genaddr with the synchronous RAM) or the interleaver ->
-- deinterleaver pair from a stimulus file, one edge a line ("clock_enable sync_in din"), and
-- dumps every edge's outputs for zorvex_core_expect --check. Rising edges at 20 + 40k ns; the
-- inputs of edge k change at 40k; outputs that follow the edge's inputs (next_din, the
-- addresses, block_write_enable) are taken at 40k + 10, the registered ones at 40k + 30.
library ieee;
use ieee.std_logic_1164.all;
use std.textio.all;
use work.qz_sizes.all;

entity tb_core is
    generic (
        INT_TYPE : string := "CONVOLUTIONAL";
        INT_DEPTH : integer := 2;
        SYMBOL_DELAY : integer := 2;
        INT_MODE : string := "INTERLEAVER";
        SYMBOL_WIDTH : integer := 1;
        EXTERNAL : integer := 0;
        -- 1: genaddr's RAM takes each write at the next enabled edge
        RAM_WRITES_LATE : integer := 0;
        PAIR : integer := 0;
        CYCLES : integer := 100;
        STIMULUS : string := "stimulus.txt";
        DUMP : string := "dump.txt"
    );
end tb_core;

architecture sim of tb_core is
    constant W : integer := SYMBOL_WIDTH;
    constant A : integer := address_width(INT_TYPE, INT_DEPTH, SYMBOL_DELAY);
    constant IS_BLOCK : boolean := INT_TYPE = "BLOCK";

    type stage_t is record
        dout : std_logic_vector(W - 1 downto 0);
        next_din, dout_valid, sync_out : std_logic;
        read_addr, write_addr : std_logic_vector(A - 1 downto 0);
        block_write_enable, block_full, block_empty : std_logic;
    end record;

    signal clock : std_logic := '0';
    signal done : boolean := false;
    signal clock_enable, sync_in : std_logic := '0';
    signal din : std_logic_vector(W - 1 downto 0) := (others => '0');
    signal s1, s2 : stage_t;
    signal sync2 : std_logic;
    signal seen_q : std_logic := '0';

    function bin(v : std_logic_vector) return string is
        variable s : string(1 to v'length);
        variable k : integer := 1;
    begin
        for b in v'range loop
            case v(b) is
                when '0' => s(k) := '0';
                when '1' => s(k) := '1';
                when others => s(k) := 'x';
            end case;
            k := k + 1;
        end loop;
        return s;
    end function;

    function bin(b : std_logic) return string is
        variable v : std_logic_vector(0 downto 0);
    begin
        v(0) := b;
        return bin(v);
    end function;

    -- The fields zorvex_core_expect reads, with the edge's early outputs taken before it.
    procedure put(l : inout line; s : stage_t; early : stage_t) is
    begin
        if EXTERNAL = 0 then
            write(l, bin(early.next_din) & " " & bin(s.dout) & " " & bin(s.sync_out) & " " & bin(s.dout_valid) & " ");
        else
            write(l, bin(early.read_addr) & " " & bin(early.write_addr) & " " & bin(early.block_write_enable) & " " &
                  bin(s.sync_out) & " " & bin(s.block_full) & " " & bin(s.block_empty) & " " & bin(s.dout) & " ");
        end if;
    end procedure;
begin
    clock <= not clock after 20 ns when not done else '0';

    first : entity work.tb_stage
        generic map (INT_TYPE => INT_TYPE, INT_DEPTH => INT_DEPTH, SYMBOL_DELAY => SYMBOL_DELAY, INT_MODE => INT_MODE,
                     SYMBOL_WIDTH => SYMBOL_WIDTH, EXTERNAL => EXTERNAL,
                     RAM_WRITES_LATE => RAM_WRITES_LATE, A => A)
        port map (clock => clock, sync_in => sync_in, clock_enable => clock_enable, din => din, dout => s1.dout,
                  next_din => s1.next_din, dout_valid => s1.dout_valid, sync_out => s1.sync_out,
                  read_addr => s1.read_addr, write_addr => s1.write_addr,
                  block_write_enable => s1.block_write_enable, block_full => s1.block_full,
                  block_empty => s1.block_empty);

    chained : if PAIR = 1 generate
        -- The discrete deinterleaver starts at the interleaver's first valid output.
        sync2 <= (s1.dout_valid and not seen_q) when IS_BLOCK else s1.sync_out;
        process (clock)
        begin
            if rising_edge(clock) and clock_enable = '1' then
                seen_q <= seen_q or s1.dout_valid;
            end if;
        end process;
        second : entity work.tb_stage
            generic map (INT_TYPE => INT_TYPE, INT_DEPTH => INT_DEPTH, SYMBOL_DELAY => SYMBOL_DELAY, INT_MODE => "DEINTERLEAVER",
                         SYMBOL_WIDTH => SYMBOL_WIDTH, EXTERNAL => EXTERNAL,
                         RAM_WRITES_LATE => RAM_WRITES_LATE, A => A)
            port map (clock => clock, sync_in => sync2, clock_enable => clock_enable, din => s1.dout, dout => s2.dout,
                      next_din => s2.next_din, dout_valid => s2.dout_valid, sync_out => s2.sync_out,
                      read_addr => s2.read_addr, write_addr => s2.write_addr,
                      block_write_enable => s2.block_write_enable, block_full => s2.block_full,
                      block_empty => s2.block_empty);
    end generate;

    run : process
        file stim : text open read_mode is STIMULUS;
        file outf : text open write_mode is DUMP;
        variable l, o : line;
        variable ce, sy : bit;
        variable d : bit_vector(W - 1 downto 0);
        variable early1, early2 : stage_t;
    begin
        for k in 0 to CYCLES - 1 loop
            readline(stim, l);
            read(l, ce);
            read(l, sy);
            read(l, d);
            clock_enable <= to_stdulogic(ce);
            sync_in <= to_stdulogic(sy);
            din <= to_stdlogicvector(d);
            wait for 10 ns;
            early1 := s1;
            early2 := s2;
            wait for 20 ns;
            put(o, s1, early1);
            if PAIR = 1 then
                put(o, s2, early2);
            end if;
            writeline(outf, o);
            wait for 10 ns;
        end loop;
        done <= true;
        wait;
    end process;
end sim;
