#include "model/interface_model.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>

namespace {

// Gives its text, then fails as a file with an I/O error does.
class FailingBuffer : public std::streambuf {
public:
    explicit FailingBuffer(std::string text) : text_(std::move(text)) { setg(text_.data(), text_.data(), text_.data() + text_.size()); }

protected:
    int_type underflow() override { throw std::runtime_error("read error"); }

private:
    std::string text_;
};

std::vector<std::string> PrivateNames(const InterfaceModel& model)
{
    std::vector<std::string> names;
    for (const InterfaceEntry& entry : model.privates.entries())
        names.push_back(entry.name + "=" + entry.value);
    return names;
}

InterfaceModel ReadText(const std::string& text)
{
    InterfaceModel model;
    std::istringstream in(text);
    model.Read(in);
    return model;
}

} // namespace

TEST(RetrievalInfoRead, ValueTokens)
{
    const struct {
        std::string line;
        std::string type;
        std::string value;
    } cases[] = {
        {"PRIVATE: X NUMERIC \"1\"", "NUMERIC", "1"},
        {"PRIVATE: X NUMERIC 1", "NUMERIC", "1"},
        {"PRIVATE: X NUMERIC \"a  \t b\" c", "NUMERIC", "a b"},
        {"PRIVATE: X NUMERIC \"\"", "NUMERIC", ""},
        {"PRIVATE: X NUMERIC \" a\"", "NUMERIC", ""},
        {"PRIVATE: X NUMERIC \"ab\" cd\"", "NUMERIC", "ab"},
        {"PRIVATE: X NUMERIC a\"b\"", "NUMERIC", "a\"b\""},
        {"PRIVATE: X NUMERIC \"a\\tb\\\\c\\qd/\\\"", "NUMERIC", "a\tb\\c\\qd/\\"},
        {"PRIVATE:\tX\t\tNUMERIC \"7\"\r", "NUMERIC", "7"},
        {"  PRIVATE: X T", "T", ""},
        {"PRIVATE: X", "", ""},
        // Without its closing quote the value takes blanks in place of the missing tokens, 99 in all,
        // and loses its first and last character all the same.
        {"PRIVATE: X S \"abc", "S", "abc" + std::string(98, ' ')},
        {"PRIVATE: X S \"a b", "S", "a b" + std::string(97, ' ')},
    };
    for (const auto& c : cases) {
        const InterfaceModel model = ReadText(c.line + "\n");
        ASSERT_EQ(model.privates.size(), 1u) << c.line;
        EXPECT_EQ(model.privates[0].name, "X") << c.line;
        EXPECT_EQ(model.privates[0].type, c.type) << c.line;
        EXPECT_EQ(model.privates[0].value, c.value) << c.line;
    }
}

TEST(RetrievalInfoRead, UnterminatedValueIsCutAfter99MoreTokens)
{
    std::string line = "PARAMETER: P S \"w0";
    std::string expected = "w0";
    for (int i = 1; i <= 150; ++i) {
        line += " w" + std::to_string(i);
        if (i <= 99)
            expected += " w" + std::to_string(i);
    }
    expected.pop_back(); // the last character goes as if it were the closing quote
    const InterfaceModel model = ReadText(line);
    ASSERT_EQ(model.parameters.size(), 1u);
    EXPECT_EQ(model.parameters[0].value, expected);
}

TEST(RetrievalInfoRead, KeywordsAreExactAndOtherLinesAreSkipped)
{
    const InterfaceModel model = ReadText("GENERATION: STANDARD\nVERSION: WM1.0\nMODULE: a a\n\n"
                                          "private: X N \"1\"\nPRIVATE X N \"1\"\nPRIVATE:X N \"1\"\n"
                                          "SYMBOL: PRIVATE: X N \"1\"\n  \t \n"
                                          "CONSTANT: C NUMERIC \"12\" conv_qzram\n"
                                          "PARAMETER: P STRING \"a\\nb\" extra\n");
    EXPECT_TRUE(model.privates.empty());
    ASSERT_EQ(model.constants.size(), 1u);
    EXPECT_EQ(model.constants[0].value, "12");
    EXPECT_EQ(model.constants[0].instance, "");
    ASSERT_EQ(model.parameters.size(), 1u);
    EXPECT_EQ(model.parameters[0].value, "a\nb");
}

TEST(RetrievalInfoRead, PortAndConnectionFieldsInOrderMissingOnesEmpty)
{
    const InterfaceModel model = ReadText("USED_PORT: din 1 2 8 3 INPUT NODEFVAL din[10..3] inst more\n"
                                          "USED_PORT: q 0 0 4 0\n"
                                          "CONNECT: t a b c d s e f g h i\n"
                                          "CONNECT: t a\n");
    ASSERT_EQ(model.ports.size(), 2u);
    InterfaceEntry port;
    port.name = "din";
    port.width2 = "1";
    port.lsb2 = "2";
    port.width = "8";
    port.lsb = "3";
    port.type = "INPUT";
    port.value = "NODEFVAL";
    port.busName = "din[10..3]";
    EXPECT_EQ(model.ports[0], port);
    EXPECT_EQ(model.ports[1].width + "|" + model.ports[1].type + "|" + model.ports[1].value + "|"
                  + model.ports[1].busName,
              "4|||");

    ASSERT_EQ(model.connections.size(), 2u);
    InterfaceEntry connection;
    connection.targetName = "t";
    connection.targetWidth2 = "a";
    connection.targetLsb2 = "b";
    connection.targetWidth = "c";
    connection.targetLsb = "d";
    connection.name = "s";
    connection.width2 = "e";
    connection.lsb2 = "f";
    connection.width = "g";
    connection.lsb = "h";
    EXPECT_EQ(model.connections[0], connection);
    const InterfaceEntry& shortLine = model.connections[1];
    EXPECT_EQ(shortLine.targetLsb2 + "|" + shortLine.name + "|" + shortLine.lsb2 + "|" + shortLine.lsb, "|||");
}

TEST(RetrievalInfoRead, LongLinesAreReadWhole)
{
    std::string longValue;
    for (int i = 0; i < 10000; ++i)
        longValue += static_cast<char>('a' + i % 26);
    // A keyword placed where a 256-character line buffer would have cut the line.
    std::string line = "GENERATION: ";
    line.resize(255, 'x');
    line += "PRIVATE: Y NUMERIC \"5\"\n";
    const InterfaceModel model = ReadText(line + "PARAMETER: P STRING \"" + longValue + "\" PRIVATE: Z N 1\n");
    EXPECT_TRUE(model.privates.empty());
    ASSERT_EQ(model.parameters.size(), 1u);
    EXPECT_EQ(model.parameters[0].value, longValue);
}

TEST(RetrievalInfoRead, BinaryInputNeverFailsAndKeepsNulBytes)
{
    using namespace std::string_literals;
    const InterfaceModel model = ReadText("\xff\xfe\0\0garbage\x01\n\0PRIVATE: A B C\n\r\n"
                                          "PRIVATE: X NUMERIC \"a\0b\"\nPRIVATE: Y NUMERIC 4"s);
    ASSERT_EQ(model.privates.size(), 2u);
    EXPECT_EQ(model.privates[0].value, "a\0b"s);
    EXPECT_EQ(model.privates[1].value, "4");

    std::string allBytes;
    for (int round = 0; round < 64; ++round)
        for (int c = 0; c < 256; ++c)
            allBytes += static_cast<char>((c * 7 + round) & 0xff);
    const InterfaceModel noise = ReadText(allBytes);
    EXPECT_TRUE(noise.privates.empty() && noise.constants.empty() && noise.parameters.empty()
                && noise.ports.empty() && noise.connections.empty());
}

TEST(RetrievalInfoRead, WrittenModelReadsBackAndAReadAppends)
{
    std::string longValue(10000, 'v');
    longValue[5000] = '\t';
    InterfaceModel model;
    model.AddPrivate("CONVOLUTIONAL", 1);
    model.AddPrivate("I", -12);
    model.constants.AddString("INT_TYPE", "two words", "conv_qzram", -1);
    model.constants.AddString("SLASH", "a\\b", "conv_qzram", -1);
    model.parameters.AddString("LONG", longValue, "", -1);
    model.ports.AddPort("din", 4, "NODEFVAL", 0, 2, 3, 1);
    model.connections.AddConnection("conv_qzram@din", "din", "8", 0);
    model.connections.AddBusConnection(PortRef{"dout", 8, 0, 0, 0}, PortRef{"conv_qzram@dout", 8, 0, 0, 0});
    std::ostringstream out;
    model.Write(out);

    InterfaceModel copy;
    std::istringstream in(out.str() + out.str());
    copy.Read(in);

    // The reader does not restore instances, and a backslash is written as "/".
    InterfaceModel expected = model;
    expected.constants.Clear();
    expected.constants.AddString("INT_TYPE", "two words", "", -1);
    expected.constants.AddString("SLASH", "a/b", "", -1);
    for (const auto& [read, written] : {std::pair{&copy.privates, &expected.privates},
                                        {&copy.constants, &expected.constants},
                                        {&copy.parameters, &expected.parameters},
                                        {&copy.ports, &expected.ports},
                                        {&copy.connections, &expected.connections}}) {
        std::vector<InterfaceEntry> twice = written->entries();
        twice.insert(twice.end(), written->entries().begin(), written->entries().end());
        EXPECT_EQ(read->entries(), twice);
    }
    EXPECT_EQ(copy.GetPrivate("I", 0), -12);
}

TEST(RetrievalInfoRead, LineEndsAndReadFailures)
{
    // LF, CR LF and a lone CR each end a line.
    const InterfaceModel model
        = ReadText("PRIVATE: A N \"1\"\rPRIVATE: B N \"2\"\r\nPRIVATE: C N \"3\"\n\rPRIVATE: D N 4\r\rPRIVATE: E N 5");
    EXPECT_EQ(PrivateNames(model), (std::vector<std::string>{"A=1", "B=2", "C=3", "D=4", "E=5"}));

    // A read error is not the end of the file: the read fails, and what came before stays.
    FailingBuffer failing("PRIVATE: A N 1\nPRIVATE: B N 2");
    std::istream in(&failing);
    InterfaceModel partial;
    EXPECT_FALSE(partial.Read(in));
    EXPECT_EQ(PrivateNames(partial), std::vector<std::string>{"A=1"});
    FailingBuffer failingAgain("PRIVATE: A N 1\n");
    std::istream inAgain(&failingAgain);
    EXPECT_FALSE(InterfaceModel().ReadPrivates(inAgain, {"A"}));
}

TEST(RetrievalInfoRead, PrivatesOnlyKeepsTheFirstOfEachNamedValue)
{
    std::istringstream in("PRIVATE: B N 1\nCONNECT: x 0 0 0 0 y 0 0 0 0\nPRIVATE: OTHER N 2\nPRIVATE: A N 3\n"
                          "CONSTANT: A N 4\nPRIVATE: B N 5\nPRIVATE: A N 6\n");
    InterfaceModel model;
    EXPECT_TRUE(model.ReadPrivates(in, {"A", "B"}));
    EXPECT_EQ(PrivateNames(model), (std::vector<std::string>{"B=1", "A=3"}));
    EXPECT_TRUE(model.connections.empty() && model.constants.empty());
}
