-- One core of the testbench: conv_qzram, or genaddr with the synchronous RAM of 2^A words
-- (dual-port; the discrete block's single port writes at read_addr with block_write_enable).
-- For genaddr, dout is the RAM's output and dout_valid its block_full.
library ieee;
use ieee.std_logic_1164.all;
use ieee.numeric_std.all;

entity tb_stage is
    generic (
        INT_TYPE : string;
        INT_DEPTH : integer;
        SYMBOL_DELAY : integer;
        INT_MODE : string;
        SYMBOL_WIDTH : integer;
        EXTERNAL : integer;
        A : integer
    );
    port (
        clock, sync_in, clock_enable : in std_logic;
        din : in std_logic_vector(SYMBOL_WIDTH - 1 downto 0);
        dout : out std_logic_vector(SYMBOL_WIDTH - 1 downto 0);
        next_din, dout_valid, sync_out : out std_logic;
        read_addr, write_addr : out std_logic_vector(A - 1 downto 0);
        block_write_enable, block_full, block_empty : out std_logic
    );
end tb_stage;

architecture sim of tb_stage is
    type ram_t is array (integer range 0 to 2 ** A - 1) of std_logic_vector(SYMBOL_WIDTH - 1 downto 0);
    signal ram : ram_t;
    signal q : std_logic_vector(SYMBOL_WIDTH - 1 downto 0);
    signal ra, wa : std_logic_vector(A - 1 downto 0);
    signal bwe, full : std_logic;
begin
    internal : if EXTERNAL = 0 generate
        core : entity work.conv_qzram
            generic map (INT_TYPE, INT_DEPTH, SYMBOL_DELAY, INT_MODE, SYMBOL_WIDTH)
            port map (clock, sync_in, clock_enable, din, dout, next_din, dout_valid, sync_out);
    end generate;

    outside : if EXTERNAL = 1 generate
        core : entity work.genaddr
            generic map (INT_TYPE, INT_DEPTH, SYMBOL_DELAY, INT_MODE)
            port map (clock, sync_in, clock_enable, sync_out, ra, wa, bwe, full, block_empty);
        memory : process (clock)
        begin
            if rising_edge(clock) and clock_enable = '1' then
                q <= ram(to_integer(unsigned(ra)));
                if INT_TYPE = "BLOCK" then
                    if bwe = '1' then
                        ram(to_integer(unsigned(ra))) <= din;
                    end if;
                else
                    ram(to_integer(unsigned(wa))) <= din;
                end if;
            end if;
        end process;
        dout <= q;
        dout_valid <= full;
        next_din <= bwe;
        read_addr <= ra;
        write_addr <= wa;
        block_write_enable <= bwe;
        block_full <= full;
    end generate;
end sim;
