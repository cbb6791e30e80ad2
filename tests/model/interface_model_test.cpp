#include "model/interface_model.h"

#include <gtest/gtest.h>

#include <climits>
#include <sstream>

TEST(FormatName, NegativeIndexGivesBaseElseTwoDigitsAtLeast)
{
    const struct {
        std::string base;
        int index;
        std::string expected;
    } cases[] = {
        {"x", -1, "x"}, {"x", INT_MIN, "x"}, {"x", 0, "x00"}, {"x", 7, "x07"},
        {"x", 123, "x123"}, {"", 3, "03"}, {"ram", 10, "ram10"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatName(c.base, c.index), c.expected) << c.base << " " << c.index;
}

TEST(InterfaceList, AddPortNamesTheBusWithItsRangesOuterFirst)
{
    const struct {
        int width, lsb, width2, lsb2;
        std::string busName;
    } cases[] = {
        {0, 5, 3, 1, "din"},
        {1, 0, 0, 0, "din[0..0]"},
        {8, 0, 0, 0, "din[7..0]"},
        {4, 2, 3, 1, "din[3..1][5..2]"},
        {3, -2, 0, 0, "din[0..-2]"},
        // Bounds past the 32-bit range are written as they are, not wrapped.
        {INT_MAX, INT_MAX, 0, 0, "din[4294967293..2147483647]"},
    };
    for (const auto& c : cases) {
        InterfaceList list;
        EXPECT_TRUE(list.AddPort("din", c.width, "NODEFVAL", 0, c.lsb, c.width2, c.lsb2));
        EXPECT_EQ(list[0].busName, c.busName) << c.width << " " << c.lsb << " " << c.width2 << " " << c.lsb2;
    }
}

TEST(InterfaceList, AddPortStoresEveryFieldAsText)
{
    InterfaceList list;
    list.AddPort("q", 4, "NODEFVAL", 1, 2, 3, -1);
    InterfaceEntry expected;
    expected.name = "q";
    expected.type = "OUTPUT";
    expected.width2 = "3";
    expected.lsb2 = "-1";
    expected.width = "4";
    expected.lsb = "2";
    expected.value = "NODEFVAL";
    expected.busName = "q[1..-1][5..2]";
    EXPECT_EQ(list[0], expected);
}

TEST(InterfaceList, AddPortDirectionOtherThanZeroOrOneIsBidir)
{
    InterfaceList list;
    for (const int direction : {0, 1, 2, 5, -1})
        list.AddPort("p", 0, "", direction, 0, 0, 0);
    const char* expected[] = {"INPUT", "OUTPUT", "BIDIR", "BIDIR", "BIDIR"};
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(list[i].type, expected[i]);
}

TEST(InterfaceList, AddConnectionGivesLiteralSourcesWidthZero)
{
    InterfaceList list;
    for (const char* source : {"1", "-1", "", "clock", "a1"})
        list.AddConnection("conv_qzram@din", source, "8", 2);
    const char* widths[] = {"0", "0", "0", "8", "8"};
    for (size_t i = 0; i < 5; ++i) {
        const InterfaceEntry& e = list[i];
        EXPECT_EQ(e.width, widths[i]) << e.name;
        EXPECT_EQ(e.targetName, "conv_qzram@din");
        EXPECT_EQ(e.targetWidth, "8");
        EXPECT_EQ(e.targetLsb, "2");
        EXPECT_EQ(e.lsb, "2");
        EXPECT_EQ(e.targetWidth2 + e.targetLsb2 + e.width2 + e.lsb2, "0000");
        EXPECT_EQ(e.type, "UNDEF");
    }
}

TEST(InterfaceList, AddBusConnectionCopiesBothEndsInTheirPlaces)
{
    InterfaceList list;
    list.AddBusConnection(PortRef{"dout", 8, 0, 2, 1}, PortRef{"ram@q", 16, 4, 3, -2});
    const InterfaceEntry& e = list[0];
    EXPECT_EQ(e.targetName + " " + e.targetWidth2 + " " + e.targetLsb2 + " " + e.targetWidth + " " + e.targetLsb,
              "dout 2 1 8 0");
    EXPECT_EQ(e.name + " " + e.width2 + " " + e.lsb2 + " " + e.width + " " + e.lsb, "ram@q 3 -2 16 4");
}

TEST(InterfaceList, AddNumberAndAddStringKeepInsertionOrderAndDuplicates)
{
    InterfaceList list;
    list.AddNumber("N", -42, "conv_qzram", -1);
    list.AddString("N", "text with \"quotes\"", "ram", 1);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].type + list[0].value + list[0].instance, "NUMERIC-42conv_qzram");
    EXPECT_EQ(list[1].type + list[1].value + list[1].instance, "STRINGtext with \"quotes\"ram01");
    EXPECT_EQ(list.Find("N"), &list[0]);
    EXPECT_EQ(list.Find("n"), nullptr);
    EXPECT_EQ(list.Find("N "), nullptr);
}

TEST(InterfaceModel, GetPrivateConvertsTheFirstMatchOrGivesTheDefault)
{
    InterfaceModel model;
    model.privates.AddString("A", "abc", "", -1);
    model.privates.AddString("B", "12x", "", -1);
    model.privates.AddString("C", " \t-7", "", -1);
    model.privates.AddString("D", "99999999999", "", -1);
    model.privates.AddString("E", "-99999999999", "", -1);
    model.AddPrivate("F", 3);
    model.AddPrivate("F", 4);
    model.AddPrivate("symbol_width", 9);
    EXPECT_EQ(model.GetPrivate("A", 5), 0);
    EXPECT_EQ(model.GetPrivate("B", 5), 12);
    EXPECT_EQ(model.GetPrivate("C", 5), -7);
    EXPECT_EQ(model.GetPrivate("D", 5), INT_MAX);
    EXPECT_EQ(model.GetPrivate("E", 5), INT_MIN);
    EXPECT_EQ(model.GetPrivate("F", 5), 3);
    EXPECT_EQ(model.GetPrivate("SYMBOL_WIDTH", 5), 5);
    EXPECT_EQ(model.privates.size(), 8u);
    EXPECT_EQ(model.privates[5].instance, "");
}

TEST(InterfaceModel, ClearEmptiesTheListsAndKeepsTheModuleList)
{
    InterfaceModel model;
    const std::string moduleList = "genaddr@genaddr|";
    model.Attach(&moduleList, nullptr);
    model.Clear();
    model.AddPrivate("P", 1);
    model.constants.AddNumber("C", 1, "", -1);
    model.parameters.AddNumber("R", 1, "", -1);
    model.ports.AddPort("p", 0, "", 0, 0, 0, 0);
    model.connections.AddConnection("a", "b", "0", 0);
    model.Clear();
    EXPECT_TRUE(model.privates.empty() && model.constants.empty() && model.parameters.empty()
                && model.ports.empty() && model.connections.empty());
    std::ostringstream out;
    model.Write(out);
    EXPECT_EQ(out.str(), "GENERATION: STANDARD\nVERSION: WM1.0\nMODULE: genaddr genaddr\n\n");
}
