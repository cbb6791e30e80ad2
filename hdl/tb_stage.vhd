-- One core of the testbench: conv_qzram, or genaddr with the synchronous RAM it needs,
-- I*(I-1)*J/2 + I words convolutional and I*J block (dual-port, returning the old word; the
-- discrete block's single port writes at read_addr with block_write_enable), or with
-- RAM_WRITES_LATE = 1 one that takes each write at the next enabled edge. The RAM is a process
-- variable, which the simulator keeps compactly.
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
        RAM_WRITES_LATE : integer;
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
begin
    internal : if EXTERNAL = 0 generate
        core : entity work.conv_qzram
            generic map (INT_TYPE => INT_TYPE, INT_DEPTH => INT_DEPTH, SYMBOL_DELAY => SYMBOL_DELAY,
                         INT_MODE => INT_MODE, SYMBOL_WIDTH => SYMBOL_WIDTH)
            port map (clock => clock, sync_in => sync_in, clock_enable => clock_enable, din => din, dout => dout,
                      next_din => next_din, dout_valid => dout_valid, sync_out => sync_out);
    end generate;

    outside : if EXTERNAL = 1 generate
        function ram_words return integer is
        begin
            if INT_TYPE = "CONVOLUTIONAL" then
                return INT_DEPTH * (INT_DEPTH - 1) * SYMBOL_DELAY / 2 + INT_DEPTH;
            end if;
            return INT_DEPTH * SYMBOL_DELAY;
        end function;
        constant WORDS : integer := ram_words;
        type ram_t is array (0 to WORDS - 1) of std_logic_vector(SYMBOL_WIDTH - 1 downto 0);
        signal q : std_logic_vector(SYMBOL_WIDTH - 1 downto 0);
        signal ra, wa : std_logic_vector(A - 1 downto 0);
        signal bwe, full : std_logic;
    begin
        core : entity work.genaddr
            generic map (INT_TYPE => INT_TYPE, INT_DEPTH => INT_DEPTH, SYMBOL_DELAY => SYMBOL_DELAY,
                         INT_MODE => INT_MODE)
            port map (clock => clock, sync_in => sync_in, clock_enable => clock_enable, sync_out => sync_out,
                      read_addr => ra, write_addr => wa, block_write_enable => bwe, block_full => full,
                      block_empty => block_empty);
        memory : process (clock)
            variable ram : ram_t;
            variable write_v : boolean;
            variable address_v : std_logic_vector(A - 1 downto 0);
            variable late_v : boolean := false;
            variable late_address_v : std_logic_vector(A - 1 downto 0);
            variable late_data_v : std_logic_vector(SYMBOL_WIDTH - 1 downto 0);
        begin
            if rising_edge(clock) and clock_enable = '1' then
                q <= ram(to_integer(unsigned(ra)));
                write_v := INT_TYPE /= "BLOCK" or bwe = '1';
                if INT_TYPE = "BLOCK" then
                    address_v := ra;
                else
                    address_v := wa;
                end if;
                if RAM_WRITES_LATE = 0 then
                    if write_v then
                        ram(to_integer(unsigned(address_v))) := din;
                    end if;
                else
                    -- The last symbol's write, after this symbol's read.
                    if late_v then
                        ram(to_integer(unsigned(late_address_v))) := late_data_v;
                    end if;
                    late_v := write_v;
                    late_address_v := address_v;
                    late_data_v := din;
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
