-- genaddr: the addresses and controls of a symbol interleaver or deinterleaver whose RAM is
-- outside (see README.md). Read line by line against genaddr.v. Convolutional and continuous
-- cores need a RAM with a write port (write_addr, every enabled edge) and a registered read
-- port (read_addr) returning the old word, the discrete block a single port (read_addr, written
-- when block_write_enable is high); the addresses stay below I*(I-1)*J/2 + I convolutional and
-- I*J block. The RAM's output is the core's output: sync_out and block_full
-- belong to the word it shows.
library ieee;
use ieee.std_logic_1164.all;
use work.qz_sizes.all;

entity genaddr is
    generic (
        INT_TYPE : string := "CONVOLUTIONAL";
        INT_DEPTH : integer := 12;
        SYMBOL_DELAY : integer := 17;
        INT_MODE : string := "INTERLEAVER"
    );
    port (
        clock : in std_logic;
        sync_in : in std_logic;
        clock_enable : in std_logic;
        sync_out : out std_logic;
        read_addr : out std_logic_vector(address_width(INT_TYPE, INT_DEPTH, SYMBOL_DELAY) - 1 downto 0);
        write_addr : out std_logic_vector(address_width(INT_TYPE, INT_DEPTH, SYMBOL_DELAY) - 1 downto 0);
        block_write_enable : out std_logic;
        block_full : out std_logic;
        block_empty : out std_logic
    );
end genaddr;

architecture rtl of genaddr is
    -- Stops elaboration on a generic outside its range, naming it.
    function generics_ok return boolean is
    begin
        assert INT_TYPE = "CONVOLUTIONAL" or INT_TYPE = "BLOCK" or INT_TYPE = "BLOCK_CONTINOUS"
            report "genaddr: INT_TYPE must be CONVOLUTIONAL, BLOCK or BLOCK_CONTINOUS" severity failure;
        assert INT_MODE = "INTERLEAVER" or INT_MODE = "DEINTERLEAVER"
            report "genaddr: INT_MODE must be INTERLEAVER or DEINTERLEAVER" severity failure;
        assert INT_DEPTH >= 2 and INT_DEPTH <= 40
            report "genaddr: INT_DEPTH must lie in 2 - 40" severity failure;
        assert SYMBOL_DELAY >= 2 and SYMBOL_DELAY <= 500
            report "genaddr: SYMBOL_DELAY must lie in 2 - 500" severity failure;
        return true;
    end function;
    constant GENERICS_CHECKED : boolean := generics_ok;

    constant IS_BLOCK : boolean := INT_TYPE = "BLOCK";
    constant A : integer := address_width(INT_TYPE, INT_DEPTH, SYMBOL_DELAY);

    signal ram_addr : std_logic_vector(A - 1 downto 0);
    signal wr_en : std_logic;
    signal mark_q : std_logic;
    signal flag_q : std_logic;
begin
    addresses : entity work.qz_addrgen
        generic map (
            INT_TYPE => INT_TYPE,
            INT_DEPTH => INT_DEPTH,
            SYMBOL_DELAY => SYMBOL_DELAY,
            INT_MODE => INT_MODE,
            EXTERNAL => 1,
            ADDR_WIDTH => A
        )
        port map (
            clock => clock,
            sync_in => sync_in,
            clock_enable => clock_enable,
            addr => ram_addr,
            write_enable => wr_en,
            mark_q => mark_q,
            flag_q => flag_q
        );

    read_addr <= ram_addr;
    write_addr <= (others => '0') when IS_BLOCK else ram_addr;
    block_write_enable <= wr_en when IS_BLOCK else '0';
    sync_out <= '0' when IS_BLOCK else mark_q;
    block_full <= flag_q when IS_BLOCK else '0';
    block_empty <= not flag_q when IS_BLOCK else '0';
end rtl;
