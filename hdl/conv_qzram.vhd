-- conv_qzram: a symbol interleaver or deinterleaver with its own RAM (see README.md).
-- Read line by line against conv_qzram.v.
--
-- The address counters (qz_addrgen) drive one RAM, read at every enabled edge and written at
-- the same address (the old word is read): I*(I-1)*J/2 words convolutional, each branch with a
-- delay holding exactly its symbols, I*J words block (the discrete block writes only while it
-- takes symbols). The word is written at the next enabled edge, from registers, so that the RAM
-- never reads and writes one word at one edge where the word read is used: a word is read again
-- two symbols after its write at the soonest (a convolutional branch comes round every I
-- symbols, a block's consecutive positions lie at different words). Only the zero-delay
-- branch's symbol, whose word is not used, and the first symbol after a restart, whose word
-- holds a symbol from before the frame start, can read the word being written. A RAM block
-- whose read of that word is undefined therefore needs no logic to make it the old word.
-- Behind the RAM's output register the output pipeline: its first stage takes the symbol of
-- the zero-delay branch instead of the memory word, convolutional cores have a dout register
-- behind it, and the interleaver retimes its output once more.
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
            return INT_DEPTH * (INT_DEPTH - 1) * SYMBOL_DELAY / 2;
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

    constant IS_CONV : boolean := INT_TYPE = "CONVOLUTIONAL";
    constant IS_BLOCK : boolean := INT_TYPE = "BLOCK";
    constant W : integer := SYMBOL_WIDTH;
    constant WORDS : integer := memory_words;
    constant AW : integer := bit_length(WORDS - 1);
    constant PIPE : integer := pipe_stages;

    type ram_t is array (0 to WORDS - 1) of std_logic_vector(W - 1 downto 0);

    signal ram_q : std_logic_vector(W - 1 downto 0);
    -- Stage s of the output pipeline is bits (s*W-1 downto (s-1)*W), stage 1 the newest.
    signal dout_q : std_logic_vector(PIPE * W - 1 downto 0) := (others => '0');
    signal mark_pipe_q : std_logic_vector(PIPE - 1 downto 0) := (others => '0');
    signal read_pipe_q : std_logic_vector(PIPE - 1 downto 0) := (others => '0');

    signal ram_addr : std_logic_vector(AW - 1 downto 0);
    signal wr_en : std_logic;
    signal write_addr_q : std_logic_vector(AW - 1 downto 0) := (others => '0');
    signal write_data_q : std_logic_vector(W - 1 downto 0) := (others => '0');
    signal write_q : std_logic := '0';
    signal mark_q : std_logic;
    signal flag_q : std_logic;

    signal dout_c : std_logic_vector(PIPE * W - 1 downto 0);
    signal mark_c, read_c : std_logic_vector(PIPE - 1 downto 0);
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
            addr => ram_addr,
            write_enable => wr_en,
            mark_q => mark_q,
            flag_q => flag_q
        );

    -- The symbol memory: read at the coming symbol's address into ram_q, written with the
    -- last symbol's word at its address. A variable, which the simulator keeps compactly;
    -- synthesis infers the RAM from it alike.
    memory : process (clock)
        variable ram : ram_t;
    begin
        if rising_edge(clock) then
            if clock_enable = '1' then
                ram_q <= ram(to_integer(unsigned(ram_addr)));
                if write_q = '1' then
                    ram(to_integer(unsigned(write_addr_q))) := write_data_q;
                end if;
                write_q <= wr_en;
                write_addr_q <= ram_addr;
                write_data_q <= din;
            end if;
        end if;
    end process;

    -- Each stage moves one up. The first takes the memory word and whether it was read out of
    -- a full block (flag_q, block); convolutional cores keep the zero-delay branch's symbol and
    -- its flag (flag_q) beside it, and their second stage takes one or the other.
    select_bypass : if IS_CONV generate
        signal din_q : std_logic_vector(W - 1 downto 0) := (others => '0');
        signal passed_q : std_logic_vector(W - 1 downto 0) := (others => '0');
        signal pass_q : std_logic := '0';
    begin
        bypass : process (clock)
        begin
            if rising_edge(clock) then
                if clock_enable = '1' then
                    din_q <= din;
                    passed_q <= din_q;
                    pass_q <= flag_q;
                end if;
            end if;
        end process;

        stages : process (dout_q, ram_q, pass_q, passed_q)
            variable v : std_logic_vector(PIPE * W - 1 downto 0);
        begin
            v := std_logic_vector(shift_left(unsigned(dout_q), W));
            v(W - 1 downto 0) := ram_q;
            if pass_q = '1' then
                v(2 * W - 1 downto W) := passed_q;
            end if;
            dout_c <= v;
        end process;
    end generate;

    memory_word : if not IS_CONV generate
        stages : process (dout_q, ram_q)
            variable v : std_logic_vector(PIPE * W - 1 downto 0);
        begin
            v := std_logic_vector(shift_left(unsigned(dout_q), W));
            v(W - 1 downto 0) := ram_q;
            dout_c <= v;
        end process;
    end generate;

    flags : process (mark_pipe_q, mark_q, read_pipe_q, flag_q)
        variable mv, rv : std_logic_vector(PIPE - 1 downto 0);
    begin
        mv := std_logic_vector(shift_left(unsigned(mark_pipe_q), 1));
        mv(0) := mark_q;
        rv := std_logic_vector(shift_left(unsigned(read_pipe_q), 1));
        if IS_CONV then
            rv(0) := '0';
        else
            rv(0) := flag_q;
        end if;
        mark_c <= mv;
        read_c <= rv;
    end process;

    output_pipe : process (clock)
    begin
        if rising_edge(clock) then
            if clock_enable = '1' then
                dout_q <= dout_c;
                mark_pipe_q <= mark_c;
                read_pipe_q <= read_c;
            end if;
        end if;
    end process;

    dout <= dout_q(PIPE * W - 1 downto (PIPE - 1) * W);
    sync_out <= '0' when IS_BLOCK else mark_pipe_q(PIPE - 1);
    dout_valid <= read_pipe_q(PIPE - 1) when IS_BLOCK else '0';
    next_din <= wr_en when IS_BLOCK else '0';
end rtl;
