#include "design_files/design_files.h"
#include "design_files/hdl_identifiers.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

// A module m with a string and a numeric constant, a clock in, a 4-bit bus in through the inner
// port d and a 4-bit bus out of the inner port q, starting at bit 2.
const char kSmallVariation[] = "MODULE: m m\n"
                               "CONSTANT: MODE STRING \"A B\" m\n"
                               "CONSTANT: DEPTH NUMERIC \"5\" m\n"
                               "USED_PORT: clk 0 0 0 0 INPUT NODEFVAL clk\n"
                               "USED_PORT: a 0 0 4 0 INPUT NODEFVAL a[3..0]\n"
                               "USED_PORT: y 0 0 4 2 OUTPUT NODEFVAL y[5..2]\n"
                               "CONNECT: m@clk 0 0 0 0 clk 0 0 0 0\n"
                               "CONNECT: m@d 0 0 4 0 a 0 0 4 0\n"
                               "CONNECT: y 0 0 4 2 m@q 0 0 4 2\n";

InterfaceModel Model(const std::string& text)
{
    std::istringstream in(text);
    InterfaceModel model;
    model.Read(in);
    return model;
}

InterfaceModel SmallVariation()
{
    return Model(kSmallVariation);
}

// The small variation with the first occurrence of each from replaced by its to.
InterfaceModel Edited(const std::vector<std::pair<std::string, std::string>>& edits)
{
    std::string text = kSmallVariation;
    for (const auto& [from, to] : edits) {
        const size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos)
            text.replace(at, from.size(), to);
    }
    return Model(text);
}

// What a generator makes of model and name: its text, or "not made: " and the reason. A made file
// comes with no reason and a refused one with no text.
using Generator = std::string (*)(const InterfaceModel&, const std::string&, std::string&);
std::string Made(Generator generator, const InterfaceModel& model, const std::string& name)
{
    std::string reason = "stale";
    const std::string text = generator(model, name, reason);
    EXPECT_NE(text.empty(), reason.empty()) << text << reason;
    return text.empty() ? "not made: " + reason : text;
}

std::string Vhdl(const InterfaceModel& model, const std::string& name = "top")
{
    return Made(VhdlDesignFile, model, name);
}

std::string Verilog(const InterfaceModel& model, const std::string& name = "top")
{
    return Made(VerilogDesignFile, model, name);
}

std::string Component(const InterfaceModel& model, const std::string& name = "top")
{
    return Made(ComponentDeclaration, model, name);
}

TEST(DesignFiles, VhdlInstantiatesTheModulesEntityWithTheConnections)
{
    EXPECT_EQ(Vhdl(SmallVariation()),
              "library ieee;\nuse ieee.std_logic_1164.all;\n\n"
              "entity top is\n    port (\n"
              "        clk : in std_logic;\n"
              "        a : in std_logic_vector(3 downto 0);\n"
              "        y : out std_logic_vector(5 downto 2)\n"
              "    );\nend top;\n\n"
              "architecture rtl of top is\nbegin\n"
              "    m_inst : entity work.m\n"
              "        generic map (\n            MODE => \"A B\",\n            DEPTH => 5\n        )\n"
              "        port map (\n            clk => clk,\n            d => a,\n            q => y\n        );\n"
              "end rtl;\n");
}

TEST(DesignFiles, VerilogInstantiatesTheModuleWithTheConstantsAsParameters)
{
    EXPECT_EQ(Verilog(SmallVariation()),
              "module top (\n    input wire clk,\n    input wire [3:0] a,\n    output wire [5:2] y\n);\n"
              "    m #(\n        .MODE(\"A B\"),\n        .DEPTH(5)\n    ) m_inst (\n"
              "        .clk(clk),\n        .d(a),\n        .q(y)\n    );\nendmodule\n");
}

TEST(DesignFiles, ComponentDeclaresTheDesignsOwnPorts)
{
    EXPECT_EQ(Component(SmallVariation()),
              "component top\n    port (\n"
              "        clk : in std_logic;\n"
              "        a : in std_logic_vector(3 downto 0);\n"
              "        y : out std_logic_vector(5 downto 2)\n"
              "    );\nend component;\n");
}

TEST(DesignFiles, NoModuleNoDesignFile)
{
    const std::string none = "not made: the retrieval information names no module and its ports";
    EXPECT_EQ(Vhdl(InterfaceModel()), none);
    EXPECT_EQ(Verilog(InterfaceModel()), none);
    EXPECT_EQ(Component(InterfaceModel()), none);
    // Ports alone make a component declaration, but no design file.
    const InterfaceModel portsOnly = Model("USED_PORT: clk 0 0 0 0 INPUT NODEFVAL clk\n");
    EXPECT_EQ(Vhdl(portsOnly), none);
    EXPECT_EQ(Verilog(portsOnly), none);
    EXPECT_EQ(Component(portsOnly), "component top\n    port (\n        clk : in std_logic\n    );\nend component;\n");
}

TEST(DesignFiles, AnAddressBusNarrowerThanGenaddrsIsRefusedAndAWiderOneHasItsTopBitsZero)
{
    // A continuous block keeps the wizard's last address width, where 40 x 500 needs 15 bits.
    const auto model = [](int width) {
        const std::string bus = "read_addr 0 0 " + std::to_string(width) + " 0";
        return Model("MODULE: genaddr genaddr\n"
                     "CONSTANT: INT_TYPE STRING \"BLOCK_CONTINOUS\" genaddr\n"
                     "CONSTANT: INT_DEPTH NUMERIC \"40\" genaddr\n"
                     "CONSTANT: SYMBOL_DELAY NUMERIC \"500\" genaddr\n"
                     "USED_PORT: " + bus + " OUTPUT NODEFVAL read_addr[" + std::to_string(width - 1) + "..0]\n"
                     "CONNECT: " + bus + " genaddr@" + bus + "\n");
    };
    const std::string refused = "not made: the address bus read_addr has 12 bits in the retrieval information, and "
                                "genaddr's read_addr needs 15 for these generics";
    EXPECT_EQ(Vhdl(model(12)), refused);
    EXPECT_EQ(Verilog(model(12)), refused);
    // Of 17 bits, genaddr drives the lower 15 and the design the upper two with 0.
    const std::string vhdl = Vhdl(model(17));
    EXPECT_NE(vhdl.find("            read_addr => read_addr(14 downto 0)\n        );\n"
                        "    read_addr(16 downto 15) <= (others => '0');\nend rtl;\n"),
              std::string::npos)
        << vhdl;
    const std::string verilog = Verilog(model(17));
    EXPECT_NE(verilog.find("        .read_addr(read_addr[14:0])\n    );\n"
                           "    assign read_addr[16:15] = 2'b0;\nendmodule\n"),
              std::string::npos)
        << verilog;
}

} // namespace

TEST(HdlIdentifiers, FollowEachLanguagesRulesAndRefuseItsReservedWords)
{
    const std::string vhdl = " is not a VHDL-93 basic identifier: ";
    const std::string verilog = " is not a Verilog-2001 identifier: ";
    const std::string vhdlChar = "which is not an ASCII letter, a digit or an underscore";
    const std::string verilogChar = "which is not an ASCII letter, a digit, an underscore or a dollar sign";
    struct Case {
        std::string name;
        std::string vhdlReason; // empty: legal
        std::string verilogReason;
    };
    const std::vector<Case> cases = {
        {"conv_qzram", "", ""},
        {"Clk2", "", ""},
        {"a$b", "\"a$b\"" + vhdl + "it holds \"$\", " + vhdlChar, ""},
        {"_x", "\"_x\"" + vhdl + "it does not start with an ASCII letter", ""},
        {"x_", "\"x_\"" + vhdl + "it ends with an underscore", ""},
        {"a__b", "\"a__b\"" + vhdl + "it holds two underscores in a row", ""},
        {"", "\"\"" + vhdl + "it is empty", "\"\"" + verilog + "it is empty"},
        {"a;b", "\"a;b\"" + vhdl + "it holds \";\", " + vhdlChar,
         "\"a;b\"" + verilog + "it holds \";\", " + verilogChar},
        {"a b", "\"a b\"" + vhdl + "it holds \" \", " + vhdlChar,
         "\"a b\"" + verilog + "it holds \" \", " + verilogChar},
        {"rx-deint", "\"rx-deint\"" + vhdl + "it holds \"-\", " + vhdlChar,
         "\"rx-deint\"" + verilog + "it holds \"-\", " + verilogChar},
        {"1abc", "\"1abc\"" + vhdl + "it does not start with an ASCII letter",
         "\"1abc\"" + verilog + "it does not start with an ASCII letter or an underscore"},
        {"2nd", "\"2nd\"" + vhdl + "it does not start with an ASCII letter",
         "\"2nd\"" + verilog + "it does not start with an ASCII letter or an underscore"},
        {"\xc3\xa9", "\"\xc3\xa9\"" + vhdl + "it does not start with an ASCII letter",
         "\"\xc3\xa9\"" + verilog + "it does not start with an ASCII letter or an underscore"},
        {"a\xc3\xa9", "\"a\xc3\xa9\"" + vhdl + "it holds \"\\xc3\", " + vhdlChar,
         "\"a\xc3\xa9\"" + verilog + "it holds \"\\xc3\", " + verilogChar},
        // A name that would act on a terminal is shown escaped in the reason.
        {"a\x1b[2J", "\"a\\x1b[2J\"" + vhdl + "it holds \"\\x1b\", " + vhdlChar,
         "\"a\\x1b[2J\"" + verilog + "it holds \"\\x1b\", " + verilogChar},
        // Reserved words: VHDL's in any case, Verilog's as written; the first and the last of each
        // list, and words one language reserves and the other does not.
        {"entity", "\"entity\" is a reserved word of VHDL-93", ""},
        {"End", "\"End\" is a reserved word of VHDL-93", ""},
        {"end", "\"end\" is a reserved word of VHDL-93", "\"end\" is a keyword of Verilog-2001"},
        {"in", "\"in\" is a reserved word of VHDL-93", ""},
        {"signal", "\"signal\" is a reserved word of VHDL-93", ""},
        {"abs", "\"abs\" is a reserved word of VHDL-93", ""},
        {"XOR", "\"XOR\" is a reserved word of VHDL-93", ""},
        {"xor", "\"xor\" is a reserved word of VHDL-93", "\"xor\" is a keyword of Verilog-2001"},
        {"sla", "\"sla\" is a reserved word of VHDL-93", ""},
        {"module", "", "\"module\" is a keyword of Verilog-2001"},
        {"Module", "", ""},
        {"wire", "", "\"wire\" is a keyword of Verilog-2001"},
        {"always", "", "\"always\" is a keyword of Verilog-2001"},
        {"pulsestyle_onevent", "", "\"pulsestyle_onevent\" is a keyword of Verilog-2001"},
        {"noshowcancelled", "", "\"noshowcancelled\" is a keyword of Verilog-2001"},
        {"localparam", "", "\"localparam\" is a keyword of Verilog-2001"},
        // SystemVerilog's words are not Verilog-2001's.
        {"logic", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.name));
        std::string reason;
        EXPECT_EQ(IsHdlIdentifier(HdlLanguage::Vhdl93, c.name, reason), c.vhdlReason.empty());
        EXPECT_EQ(reason, c.vhdlReason);
        reason.clear();
        EXPECT_EQ(IsHdlIdentifier(HdlLanguage::Verilog2001, c.name, reason), c.verilogReason.empty());
        EXPECT_EQ(reason, c.verilogReason);
    }
}

TEST(DesignFiles, StringConstantsAreEscapedForEachLanguage)
{
    // In the .cnx, \\ is one backslash; a quote inside a quoted value stays.
    const InterfaceModel model = Edited({{"\"A B\"", "\"a\\\\b\"c\\\\\""}});
    EXPECT_NE(Vhdl(model).find("MODE => \"a\\b\"\"c\\\","), std::string::npos) << Vhdl(model);
    EXPECT_NE(Verilog(model).find(".MODE(\"a\\\\b\\\"c\\\\\"),"), std::string::npos) << Verilog(model);
}

// Every file that would not say what the retrieval information means is refused with the reason,
// while the others are made from the same model.
TEST(DesignFiles, RefusedWithTheReasonWhenANameOrValueBreaksTheLanguagesRules)
{
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::string>> edits;
        std::string name;
        std::string vhdlReason; // empty: made
        std::string verilogReason;
        std::string componentReason;
    };
    const std::string not93 = " is not a VHDL-93 basic identifier: ";
    const std::string not2001 = " is not a Verilog-2001 identifier: ";
    const std::string semicolon93 = "it holds \";\", which is not an ASCII letter, a digit or an underscore";
    const std::string semicolon2001 =
        "it holds \";\", which is not an ASCII letter, a digit, an underscore or a dollar sign";
    const std::string lineEnd = "the constant \"MODE\" cannot be written: the text \"A\\nB\" holds a line end, "
                                "which a string literal cannot hold";
    const std::string inverted = "the text \"A\\xc2\\x9b\" holds a byte that VHDL-93 reads as a control character, "
                                 "which a string literal cannot hold";
    const std::vector<Case> cases = {
        {"design name", {}, "entity", "\"entity\" is a reserved word of VHDL-93", "",
         "\"entity\" is a reserved word of VHDL-93"},
        {"design name", {}, "a;b", "\"a;b\"" + not93 + semicolon93, "\"a;b\"" + not2001 + semicolon2001,
         "\"a;b\"" + not93 + semicolon93},
        {"design name taken from the libraries", {}, "std_logic",
         "\"std_logic\" is a name that the VHDL file takes from its libraries", "",
         "\"std_logic\" is a name that the VHDL file takes from its libraries"},
        {"design named after the library module", {}, "M",
         "the design \"M\" cannot hold an instance of the library module \"m\", which is itself", "", ""},
        {"design named after the library module", {}, "m",
         "the design \"m\" cannot hold an instance of the library module \"m\", which is itself",
         "the design \"m\" cannot hold an instance of the library module \"m\", which is itself", ""},
        {"string constant with a line end", {{"\"A B\"", "\"A\\nB\""}}, "top", lineEnd, lineEnd, ""},
        {"string constant with a tab", {{"\"A B\"", "\"A\\tB\""}}, "top",
         "the constant \"MODE\" cannot be written: the text \"A\\tB\" holds a control character, which a string "
         "literal cannot hold",
         "the constant \"MODE\" cannot be written: the text \"A\\tB\" holds a control character, which a string "
         "literal cannot hold",
         ""},
        {"string constant with a C1 control", {{"\"A B\"", "\"A\xc2\x9b\""}}, "top",
         "the constant \"MODE\" cannot be written: " + inverted, "", ""},
        {"numeric constant with a line end is a number", {{"\"5\"", "\"5\\n\""}}, "top", "", "", ""},
        {"constant name", {{"MODE", "MODE;X"}}, "top", "\"MODE;X\"" + not93 + semicolon93,
         "\"MODE;X\"" + not2001 + semicolon2001, ""},
        {"constant named twice", {{"DEPTH", "mode"}}, "top",
         "\"mode\" is declared twice in one scope of the file: as a constant and as a constant", "", ""},
        {"constant named like a port of the module", {{"DEPTH", "d"}}, "top",
         "\"d\" is declared twice in one scope of the file: as a constant and as a port of the library module", "",
         ""},
        {"port name", {{"USED_PORT: a ", "USED_PORT: a;b "}, {"m@d 0 0 4 0 a ", "m@d 0 0 4 0 a;b "}}, "top",
         "\"a;b\"" + not93 + semicolon93, "\"a;b\"" + not2001 + semicolon2001, "\"a;b\"" + not93 + semicolon93},
        {"port named twice", {{"USED_PORT: y ", "USED_PORT: CLK "}}, "top",
         "\"CLK\" is declared twice in one scope of the file: as a port of the design and as a port of the design",
         "the library module's output \"q\" is connected to \"y\", which is not a port of the design",
         "\"CLK\" is declared twice in one scope of the file: as a port of the design and as a port of the design"},
        // The library's entity is named through work, which a port does not hide.
        {"port named like the library module", {{"USED_PORT: y ", "USED_PORT: m "}, {"CONNECT: y ", "CONNECT: m "}},
         "top", "", "", ""},
        {"port named like the working library",
         {{"USED_PORT: y ", "USED_PORT: work "}, {"CONNECT: y ", "CONNECT: work "}},
         "top", "\"work\" is a name that the VHDL file takes from its libraries", "",
         "\"work\" is a name that the VHDL file takes from its libraries"},
        {"port named like the instance",
         {{"USED_PORT: y ", "USED_PORT: m_inst "}, {"CONNECT: y ", "CONNECT: m_inst "}}, "top",
         "\"m_inst\" is declared twice in one scope of the file: as a port of the design and as the instance of the "
         "library module",
         "\"m_inst\" is declared twice in one scope of the file: as a port of the design and as the instance of the "
         "library module",
         ""},
        {"port named like a library type", {{"USED_PORT: y ", "USED_PORT: std_logic_vector "},
                                            {"CONNECT: y ", "CONNECT: std_logic_vector "}},
         "top", "\"std_logic_vector\" is a name that the VHDL file takes from its libraries", "",
         "\"std_logic_vector\" is a name that the VHDL file takes from its libraries"},
        {"module name", {{"m@clk", "m;x@clk"}}, "top", "the connections name two library modules, \"m;x\" and \"m\"",
         "the connections name two library modules, \"m;x\" and \"m\"", ""},
        {"module name", {{"m@clk", "m;x@clk"}, {"m@d", "m;x@d"}, {"m@q", "m;x@q"}}, "top",
         "\"m;x\"" + not93 + semicolon93, "\"m;x\"" + not2001 + semicolon2001, ""},
        {"module port name", {{"m@d", "m@d;"}}, "top", "\"d;\"" + not93 + "it holds \";\", which is not an ASCII "
                                                                          "letter, a digit or an underscore",
         "\"d;\"" + not2001 + "it holds \";\", which is not an ASCII letter, a digit, an underscore or a dollar sign",
         ""},
        {"module port named twice", {{"m@d", "m@CLK"}}, "top",
         "\"CLK\" is declared twice in one scope of the file: as a port of the library module and as a port of the "
         "library module",
         "", ""},
        {"connected signal name", {{"CONNECT: y ", "CONNECT: y) "}}, "top",
         "\"y)\"" + not93 + "it holds \")\", which is not an ASCII letter, a digit or an underscore",
         "\"y)\"" + not2001 + "it holds \")\", which is not an ASCII letter, a digit, an underscore or a dollar sign",
         ""},
        {"connected signal that is not a port", {{"CONNECT: y ", "CONNECT: z "}}, "top",
         "the library module's output \"q\" is connected to \"z\", which is not a port of the design",
         "the library module's output \"q\" is connected to \"z\", which is not a port of the design", ""},
        {"module input read from a design output", {{"a 0 0 4 0 INPUT", "a 0 0 4 0 OUTPUT"}}, "top",
         "the library module's input \"d\" is connected to the design's output \"a\"",
         "the library module's input \"d\" is connected to the design's output \"a\"", ""},
        {"module output driving a design input", {{"y 0 0 4 2 OUTPUT", "y 0 0 4 2 INPUT"}}, "top",
         "the library module's output \"q\" is connected to the design's input \"y\"",
         "the library module's output \"q\" is connected to the design's input \"y\"", ""},
        // Bit ranges: VHDL's indices are natural, Verilog's bounds 32-bit.
        {"range past 32 bits", {{"y 0 0 4 2 OUTPUT", "y 0 0 2 2147483647 OUTPUT"}}, "top",
         "the bits 2147483648 downto 2147483647 of the port \"y\" lie outside the indices of std_logic_vector, 0 to "
         "2147483647",
         "the bits [2147483648:2147483647] of the port \"y\" lie outside Verilog's 32-bit integers",
         "the bits 2147483648 downto 2147483647 of the port \"y\" lie outside the indices of std_logic_vector, 0 to "
         "2147483647"},
        {"module range past 32 bits", {{"m@q 0 0 4 2", "m@q 0 0 2147483647 2"}}, "top",
         "the bits 2147483648 downto 2 of the port \"q\" lie outside the indices of std_logic_vector, 0 to 2147483647",
         "the bits [2147483648:2] of the port \"q\" lie outside Verilog's 32-bit integers", ""},
        {"range up to the last index", {{"y 0 0 4 2 OUTPUT", "y 0 0 2 2147483646 OUTPUT"}}, "top", "", "", ""},
        {"negative range", {{"a 0 0 4 0 INPUT", "a 0 0 4 -1 INPUT"}}, "top",
         "the bits 2 downto -1 of the port \"a\" lie outside the indices of std_logic_vector, 0 to 2147483647", "",
         "the bits 2 downto -1 of the port \"a\" lie outside the indices of std_logic_vector, 0 to 2147483647"},
        {"single bit at the last index", {{"a 0 0 4 0 INPUT", "a 0 0 1 2147483647 INPUT"}}, "top", "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.what) + " " + ::testing::PrintToString(c.name));
        const InterfaceModel model = Edited(c.edits);
        const auto expected = [](const std::string& reason) { return reason.empty() ? "" : "not made: " + reason; };
        const auto refused = [](const std::string& text) { return text.starts_with("not made: ") ? text : ""; };
        EXPECT_EQ(refused(Vhdl(model, c.name)), expected(c.vhdlReason));
        EXPECT_EQ(refused(Verilog(model, c.name)), expected(c.verilogReason));
        EXPECT_EQ(refused(Component(model, c.name)), expected(c.componentReason));
    }
}
