#include "model/interface_model.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

class FakeSymbol : public SymbolLineWriter {
public:
    bool WriteSymbolLines(std::ostream& file) const override
    {
        file << "SYMBOL: 1\n";
        return true;
    }
};

std::string Written(const InterfaceModel& model)
{
    std::ostringstream out;
    model.Write(out);
    return out.str();
}

} // namespace

TEST(RetrievalInfoWrite, SmallModelGivesEverySectionInOrder)
{
    const std::string moduleList = "conv_qzram@conv_qzram|";
    const FakeSymbol fake;
    const SymbolLineWriter* symbol = &fake;
    InterfaceModel model;
    model.Attach(&moduleList, &symbol);
    // Added in another order than the file's, to show that the sections keep their own order.
    model.connections.AddConnection("conv_qzram@din", "din", "8", 0);
    model.connections.AddConnection("x@en", "1", "4", 2);
    model.ports.AddPort("clock", 0, "NODEFVAL", 0, 0, 0, 0);
    model.ports.AddPort("dout", 8, "NODEFVAL", 1, 0, 0, 0);
    model.parameters.AddString("P", "a\nb", "", -1);
    model.constants.AddString("INT_TYPE", "C\tV\\X\"", "conv_qzram", -1);
    model.constants.AddNumber("INT_DEPTH", 12, "ram", 3);
    model.AddPrivate("CONVOLUTIONAL", 1);
    model.privates.AddString("RAW", "a\tb\\c", "", -1);

    EXPECT_EQ(Written(model),
              "GENERATION: STANDARD\n"
              "VERSION: WM1.0\n"
              "MODULE: conv_qzram conv_qzram\n"
              "\n"
              "PRIVATE: CONVOLUTIONAL NUMERIC \"1\"\n"
              "PRIVATE: RAW STRING \"a\tb\\c\"\n"
              "\n"
              "CONSTANT: INT_TYPE STRING \"C\\tV/X\"\" conv_qzram\n"
              "CONSTANT: INT_DEPTH NUMERIC \"12\" ram03\n"
              "\n"
              "PARAMETER: P STRING \"a\\nb\"\n"
              "\n"
              "USED_PORT: clock 0 0 0 0 INPUT NODEFVAL clock \n"
              "USED_PORT: dout 0 0 8 0 OUTPUT NODEFVAL dout[7..0] \n"
              "\n"
              "CONNECT: conv_qzram@din 0 0 8 0 din 0 0 8 0\n"
              "CONNECT: x@en 0 0 4 2 1 0 0 0 2\n"
              "\n"
              "SYMBOL: 1\n");
}

TEST(RetrievalInfoWrite, ModuleLinesFollowTheModuleList)
{
    const struct {
        std::string moduleList;
        std::string moduleLines;
    } cases[] = {
        {"", "MODULE: \n"},
        {"conv_qzram", "MODULE: conv_qzram\n"},
        {"a b|c", "MODULE: a b|c\n"},
        {"@|", "MODULE:  \n"},
        {"genaddr@genaddr|conv_qzram@ram01|", "MODULE: genaddr genaddr\nMODULE: conv_qzram ram01\n"},
        // Items that the wizard never makes still end: a last item without "|", an item without "@".
        {"a@b|c@d", "MODULE: a b\nMODULE: c d\n"},
        {"a|b@c|", "MODULE: a \nMODULE: b c\n"},
        {"a@b@c||", "MODULE: a b@c\nMODULE:  \n"},
    };
    for (const auto& c : cases) {
        InterfaceModel model;
        model.Attach(&c.moduleList, nullptr);
        EXPECT_EQ(Written(model), "GENERATION: STANDARD\nVERSION: WM1.0\n" + c.moduleLines + "\n") << c.moduleList;
    }
}

TEST(RetrievalInfoWrite, SymbolLinesOnlyWhenReferenceAndPointerAreSet)
{
    const std::string header = "GENERATION: STANDARD\nVERSION: WM1.0\nMODULE: \n\n";
    const FakeSymbol fake;
    const SymbolLineWriter* symbol = nullptr;
    InterfaceModel model;
    EXPECT_EQ(Written(model), header);
    model.Attach(nullptr, &symbol);
    EXPECT_EQ(Written(model), header);
    // The model sees the application's current pointer, not the one it had when attached.
    symbol = &fake;
    EXPECT_EQ(Written(model), header + "SYMBOL: 1\n");
}

TEST(RetrievalInfoWrite, EscapeAndUnescapeValue)
{
    EXPECT_EQ(EscapeValue("a\tb\nc\\d\"e\r"), "a\\tb\\nc/d\"e\r");
    const struct {
        std::string text;
        std::string plain;
    } cases[] = {
        {"\\\\", "\\"}, {"\\n", "\n"}, {"\\t", "\t"}, {"\\q", "\\q"}, {"a\\", "a\\"},
        {"\\\\n", "\\n"}, {"\\q\\n", "\\q\n"}, {"\\\"", "\\\""}, {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(UnescapeValue(c.text), c.plain) << c.text;
}
