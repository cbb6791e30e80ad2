-- conv_qzram: a symbol interleaver or deinterleaver with its own RAM (see README.md).
--
-- The address counters (qz_addrgen) drive one RAM of memoryWords words, written and read at
-- every enabled edge (the discrete block writes only while it takes symbols, at the address
-- it reads). Behind the RAM's output register the output pipeline: its first stage takes the
-- symbol of the zero-delay branch instead of the memory word, convolutional cores have a dout
-- register behind it, and the interleaver retimes its output once more.
library ieee;
use ieee.std_logic_1164.all;
use ieee.numeric_std.all;
use work.qz_sizes.all;

entity conv_qzram is
    generic (
        INT_TYPE : string := "CONVOLUTIONAL";
        INT_DEPTH : integer := 12;
        SYMBOL_DELAY : integer := 17;
        INT_MODE : string := "INTERLEAVER";
        SYMBOL_WIDTH : integer := 8
    );
    port (
        clock : in std_logic;
        sync_in : in std_logic;
        clock_enable : in std_logic;
        din : in std_logic_vector(SYMBOL_WIDTH - 1 downto 0);
        dout : out std_logic_vector(SYMBOL_WIDTH - 1 downto 0);
        next_din : out std_logic;
        dout_valid : out std_logic;
        sync_out : out std_logic
    );
end conv_qzram;

architecture rtl of conv_qzram is
    -- Stops elaboration on a generic outside its range, naming it.
    function generics_ok return boolean is
    begin
        assert INT_TYPE = "CONVOLUTIONAL" or INT_TYPE = "BLOCK" or INT_TYPE = "BLOCK_CONTINOUS"
            report "conv_qzram: INT_TYPE must be CONVOLUTIONAL, BLOCK or BLOCK_CONTINOUS" severity failure;
        assert INT_MODE = "INTERLEAVER" or INT_MODE = "DEINTERLEAVER"
            report "conv_qzram: INT_MODE must be INTERLEAVER or DEINTERLEAVER" severity failure;
        assert INT_DEPTH >= 2 and INT_DEPTH <= 40
            report "conv_qzram: INT_DEPTH must lie in 2 - 40" severity failure;
        assert SYMBOL_DELAY >= 2 and SYMBOL_DELAY <= 500
            report "conv_qzram: SYMBOL_DELAY must lie in 2 - 500" severity failure;
        assert SYMBOL_WIDTH >= 1 and SYMBOL_WIDTH <= 64
            report "conv_qzram: SYMBOL_WIDTH must lie in 1 - 64" severity failure;
        return true;
    end function;
    constant GENERICS_CHECKED : boolean := generics_ok;

    function memory_words return integer is
    begin
        if INT_TYPE = "CONVOLUTIONAL" then
            return INT_DEPTH * (INT_DEPTH - 1) * SYMBOL_DELAY;
        end if;
        return INT_DEPTH * SYMBOL_DELAY;
    end function;

    function pipe_stages return integer is
        variable n : integer := 1;
    begin
        if INT_TYPE = "CONVOLUTIONAL" then
            n := n + 1;
        end if;
        if INT_MODE = "INTERLEAVER" then
            n := n + 1;
        end if;
        return n;
    end function;

    constant IS_BLOCK : boolean := INT_TYPE = "BLOCK";
    constant W : integer := SYMBOL_WIDTH;
    constant WORDS : integer := memory_words;
    constant AW : integer := bit_length(WORDS - 1);
    constant PIPE : integer := pipe_stages;

    type ram_t is array (0 to WORDS - 1) of std_logic_vector(W - 1 downto 0);
    type pipe_t is array (1 to PIPE) of std_logic_vector(W - 1 downto 0);

    signal ram : ram_t;
    signal ram_q : std_logic_vector(W - 1 downto 0);
    signal din_q : std_logic_vector(W - 1 downto 0) := (others => '0');
    signal dout_q : pipe_t := (others => (others => '0'));
    signal mark_pipe_q : std_logic_vector(1 to PIPE) := (others => '0');
    signal read_pipe_q : std_logic_vector(1 to PIPE) := (others => '0');

    signal wr_addr : std_logic_vector(AW - 1 downto 0);
    signal rd_addr : std_logic_vector(AW - 1 downto 0);
    signal ram_wr_addr : std_logic_vector(AW - 1 downto 0);
    signal wr_en : std_logic;
    signal mark_q : std_logic;
    signal read_q : std_logic;
    signal bypass_q : std_logic;
begin
    addresses : entity work.qz_addrgen
        generic map (
            INT_TYPE => INT_TYPE,
            INT_DEPTH => INT_DEPTH,
            SYMBOL_DELAY => SYMBOL_DELAY,
            INT_MODE => INT_MODE,
            EXTERNAL => 0,
            ADDR_WIDTH => AW
        )
        port map (
            clock => clock,
            sync_in => sync_in,
            clock_enable => clock_enable,
            write_addr => wr_addr,
            read_addr => rd_addr,
            write_enable => wr_en,
            mark_q => mark_q,
            read_q => read_q,
            bypass_q => bypass_q
        );

    -- The discrete block's single port writes where it reads.
    ram_wr_addr <= rd_addr when IS_BLOCK else wr_addr;

    -- The symbol memory: one write port, one registered read port returning the old word.
    memory : process (clock)
    begin
        if rising_edge(clock) then
            if clock_enable = '1' then
                if wr_en = '1' then
                    ram(to_integer(unsigned(ram_wr_addr))) <= din;
                end if;
                ram_q <= ram(to_integer(unsigned(rd_addr)));
            end if;
        end if;
    end process;

    output_pipe : process (clock)
    begin
        if rising_edge(clock) then
            if clock_enable = '1' then
                din_q <= din;
                if bypass_q = '1' then
                    dout_q(1) <= din_q;
                else
                    dout_q(1) <= ram_q;
                end if;
                mark_pipe_q(1) <= mark_q;
                read_pipe_q(1) <= read_q;
                for s in 2 to PIPE loop
                    dout_q(s) <= dout_q(s - 1);
                    mark_pipe_q(s) <= mark_pipe_q(s - 1);
                    read_pipe_q(s) <= read_pipe_q(s - 1);
                end loop;
            end if;
        end if;
    end process;

    dout <= dout_q(PIPE);
    sync_out <= '0' when IS_BLOCK else mark_pipe_q(PIPE);
    dout_valid <= read_pipe_q(PIPE) when IS_BLOCK else '0';
    next_din <= wr_en when IS_BLOCK else '0';
end rtl;
