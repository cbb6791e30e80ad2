#include "tools/tarnwick/design_files.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

// A module m with a string and a numeric constant, a clock in, a 4-bit bus in through the inner
// port d and a 4-bit bus out of the inner port q, starting at bit 2.
InterfaceModel SmallVariation()
{
    std::istringstream in("MODULE: m m\n"
                          "CONSTANT: MODE STRING \"A B\" m\n"
                          "CONSTANT: DEPTH NUMERIC \"5\" m\n"
                          "USED_PORT: clk 0 0 0 0 INPUT NODEFVAL clk\n"
                          "USED_PORT: a 0 0 4 0 INPUT NODEFVAL a[3..0]\n"
                          "USED_PORT: y 0 0 4 2 OUTPUT NODEFVAL y[5..2]\n"
                          "CONNECT: m@clk 0 0 0 0 clk 0 0 0 0\n"
                          "CONNECT: m@d 0 0 4 0 a 0 0 4 0\n"
                          "CONNECT: y 0 0 4 2 m@q 0 0 4 2\n");
    InterfaceModel model;
    model.Read(in);
    return model;
}

TEST(DesignFiles, VhdlDeclaresTheModuleFromTheConnectionsAndMapsOneInstance)
{
    EXPECT_EQ(VhdlDesignFile(SmallVariation(), "top"),
              "library ieee;\nuse ieee.std_logic_1164.all;\n\n"
              "entity top is\n    port (\n"
              "        clk : in std_logic;\n"
              "        a : in std_logic_vector(3 downto 0);\n"
              "        y : out std_logic_vector(5 downto 2)\n"
              "    );\nend top;\n\n"
              "architecture rtl of top is\n    component m\n"
              "        generic (\n            MODE : string;\n            DEPTH : integer\n        );\n"
              "        port (\n"
              "            clk : in std_logic;\n"
              "            d : in std_logic_vector(3 downto 0);\n"
              "            q : out std_logic_vector(5 downto 2)\n"
              "        );\n    end component;\nbegin\n"
              "    m_inst : m\n"
              "        generic map (\n            MODE => \"A B\",\n            DEPTH => 5\n        )\n"
              "        port map (\n            clk => clk,\n            d => a,\n            q => y\n        );\n"
              "end rtl;\n");
}

TEST(DesignFiles, VerilogInstantiatesTheModuleWithTheConstantsAsParameters)
{
    EXPECT_EQ(VerilogDesignFile(SmallVariation(), "top"),
              "module top (\n    input wire clk,\n    input wire [3:0] a,\n    output wire [5:2] y\n);\n"
              "    m #(\n        .MODE(\"A B\"),\n        .DEPTH(5)\n    ) m_inst (\n"
              "        .clk(clk),\n        .d(a),\n        .q(y)\n    );\nendmodule\n");
}

TEST(DesignFiles, NoModuleNoDesignFile)
{
    InterfaceModel model;
    EXPECT_EQ(VhdlDesignFile(model, "top"), "");
    EXPECT_EQ(VerilogDesignFile(model, "top"), "");
}

} // namespace
