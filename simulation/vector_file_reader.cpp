#include "simulation/vector_file_reader.h"

#include "platform/printable_text.h"
#include "platform/regular_file.h"
#include "settings/vector_file.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <new>
#include <unordered_set>

namespace {

struct Token {
    enum class Kind { Word, Number, Mark, End };
    Kind kind = Kind::End;
    std::string_view text;
    int line = 1;
    int column = 1;
};

// Splits the text into words, numbers and the marks ; > [ ] .. = \ and skips blanks and
// %comments%. A character of no token is an error at its place.
class Lexer {
public:
    Lexer(std::string_view text, const std::string& name, std::string& error) : text_(text), name_(name), error_(error)
    {
    }

    bool Next(Token& token)
    {
        if (!SkipBlanks())
            return false;
        token.line = line_;
        token.column = column_;
        if (at_ >= text_.size()) {
            token.kind = Token::Kind::End;
            token.text = {};
            return true;
        }
        const size_t first = at_;
        const unsigned char c = static_cast<unsigned char>(text_[at_]);
        if (std::isalpha(c) || c == '_') {
            while (at_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[at_])) || text_[at_] == '_'))
                Step();
            token.kind = Token::Kind::Word;
        } else if (std::isdigit(c)) {
            while (at_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[at_])))
                Step();
            token.kind = Token::Kind::Number;
        } else if (text_.compare(at_, 2, "..") == 0) {
            Step();
            Step();
            token.kind = Token::Kind::Mark;
        } else if (std::string_view(";>[]=\\").find(char(c)) != std::string_view::npos) {
            Step();
            token.kind = Token::Kind::Mark;
        } else {
            error_ = Where(line_, column_) + "unexpected character " + Shown(text_.substr(at_, 1));
            return false;
        }
        token.text = text_.substr(first, at_ - first);
        return true;
    }

    std::string Where(int line, int column) const
    {
        return name_ + ":" + std::to_string(line) + ":" + std::to_string(column) + ": ";
    }

    static std::string Shown(std::string_view text) { return "'" + PrintableText(std::string(text)) + "'"; }

private:
    void Step()
    {
        if (text_[at_] == '\n') {
            ++line_;
            column_ = 1;
        } else {
            ++column_;
        }
        ++at_;
    }

    bool SkipBlanks()
    {
        while (at_ < text_.size()) {
            const char c = text_[at_];
            if (c == '%') {
                const int line = line_;
                const int column = column_;
                Step();
                while (at_ < text_.size() && text_[at_] != '%')
                    Step();
                if (at_ >= text_.size()) {
                    error_ = Where(line, column) + "the comment that starts here has no closing '%'";
                    return false;
                }
                Step();
            } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
                Step();
            } else {
                break;
            }
        }
        return true;
    }

    std::string_view text_;
    const std::string& name_;
    std::string& error_;
    size_t at_ = 0;
    int line_ = 1;
    int column_ = 1;
};

bool SameWord(std::string_view word, std::string_view keyword)
{
    return word.size() == keyword.size() && std::equal(word.begin(), word.end(), keyword.begin(), [](char a, char b) {
               return std::toupper(static_cast<unsigned char>(a)) == b;
           });
}

class Parser {
public:
    Parser(std::string_view text, const std::string& name, VectorFile& file, std::string& error)
        : lexer_(text, name, error), file_(file), error_(error)
    {
    }

    bool Parse()
    {
        file_ = VectorFile();
        bool haveStop = false;
        bool haveStart = false;
        if (!Advance())
            return false;
        while (token_.kind != Token::Kind::End) {
            if (token_.kind != Token::Kind::Word)
                return Expected("a statement (START, STOP, RADIX, INTERVAL, INPUTS, GROUP or OUTPUTS)");
            const Token keyword = token_;
            if (SameWord(keyword.text, "START") || SameWord(keyword.text, "STOP")
                || SameWord(keyword.text, "INTERVAL")) {
                const bool start = SameWord(keyword.text, "START");
                const bool stop = SameWord(keyword.text, "STOP");
                std::int64_t value = 0;
                if (!Advance() || !Time(value) || !End())
                    return false;
                if (!stop && !start && value == 0)
                    return Fail(keyword, "INTERVAL must be more than 0");
                (start ? file_.start : stop ? file_.stop : file_.interval) = value;
                (start ? haveStart : haveStop) |= start || stop;
            } else if (SameWord(keyword.text, "RADIX")) {
                if (!Advance())
                    return false;
                if (token_.kind != Token::Kind::Word || !SameWord(token_.text, "DEC"))
                    return Expected("DEC, the only radix read");
                if (!Advance() || !End())
                    return false;
            } else if (SameWord(keyword.text, "INPUTS")) {
                if (!Inputs())
                    return false;
            } else if (SameWord(keyword.text, "GROUP")) {
                if (!Group())
                    return false;
            } else if (SameWord(keyword.text, "OUTPUTS")) {
                if (!Outputs())
                    return false;
            } else if (SameWord(keyword.text, "PATTERN")) {
                return Fail(keyword, "PATTERN must follow an INPUTS statement");
            } else {
                return Expected("a statement (START, STOP, RADIX, INTERVAL, INPUTS, GROUP or OUTPUTS)");
            }
        }
        (void)haveStart;
        return CheckTimes(haveStop);
    }

private:
    // The times the whole file gives: a STOP after START, every pattern's times between them, an
    // INTERVAL for a repeating pattern.
    bool CheckTimes(bool haveStop)
    {
        if (!haveStop)
            return Fail(token_, "the file ends without a STOP time");
        if (file_.stop <= file_.start)
            return Fail(token_,
                        "STOP " + std::to_string(file_.stop) + " is not after START " + std::to_string(file_.start));
        for (const VectorInput& input : file_.inputs) {
            for (const auto& [time, value] : input.changes) {
                if (time < file_.start || time > file_.stop)
                    return Fail(Token{Token::Kind::End, {}, input.line, 1},
                                "the pattern of " + input.signal.name + " names time " + std::to_string(time)
                                    + ", outside START..STOP");
            }
            if (input.periodic && file_.interval == 0)
                return Fail(Token{Token::Kind::End, {}, input.line, 1},
                            "the repeating pattern of " + input.signal.name + " needs an INTERVAL");
        }
        return true;
    }

    bool Advance() { return lexer_.Next(token_); }

    bool Fail(const Token& at, const std::string& what)
    {
        error_ = lexer_.Where(at.line, at.column) + what;
        return false;
    }

    bool Expected(const std::string& what)
    {
        const std::string found = token_.kind == Token::Kind::End ? "the end of the file" : Lexer::Shown(token_.text);
        return Fail(token_, "expected " + what + ", found " + found);
    }

    bool IsMark(std::string_view mark) const { return token_.kind == Token::Kind::Mark && token_.text == mark; }

    bool Mark(std::string_view mark)
    {
        if (!IsMark(mark))
            return Expected("'" + std::string(mark) + "'");
        return Advance();
    }

    bool End() { return Mark(";"); }

    bool Number(std::uint64_t& value, const char* what)
    {
        if (token_.kind != Token::Kind::Number)
            return Expected(what);
        const auto [last, code] = std::from_chars(token_.text.data(), token_.text.data() + token_.text.size(), value);
        if (code != std::errc() || last != token_.text.data() + token_.text.size())
            return Fail(token_, Lexer::Shown(token_.text) + " is too large");
        return Advance();
    }

    bool Time(std::int64_t& time)
    {
        const Token at = token_;
        std::uint64_t value = 0;
        if (!Number(value, "a time"))
            return false;
        if (value > std::uint64_t(kMaxVectorTime))
            return Fail(at,
                        "time " + PrintableText(std::string(at.text)) + " is past the latest, "
                            + std::to_string(kMaxVectorTime));
        time = std::int64_t(value);
        return true;
    }

    bool Bit(int& bit)
    {
        std::uint64_t value = 0;
        const Token at = token_;
        if (!Number(value, "a bit number"))
            return false;
        if (value > 63)
            return Fail(at, "bit " + PrintableText(std::string(at.text)) + " is past bit 63");
        bit = int(value);
        return true;
    }

    // name or name[high..low]
    bool Signal(VectorSignal& signal)
    {
        if (token_.kind != Token::Kind::Word)
            return Expected("a signal name");
        signal = VectorSignal();
        signal.name = std::string(token_.text);
        if (!Advance())
            return false;
        if (!IsMark("["))
            return true;
        const Token open = token_;
        if (!Advance() || !Bit(signal.high) || !Mark("..") || !Bit(signal.low) || !Mark("]"))
            return false;
        if (signal.low > signal.high)
            return Fail(open, "the range of " + signal.name + " must run from its highest bit down");
        return true;
    }

    bool Value(const VectorSignal& signal, std::uint64_t& value)
    {
        const Token at = token_;
        if (!Number(value, "a value"))
            return false;
        if (signal.width() < 64 && value >> signal.width() != 0)
            return Fail(at,
                        "value " + PrintableText(std::string(at.text)) + " does not fit the "
                            + std::to_string(signal.width()) + " bits of " + signal.name);
        return true;
    }

    // One "time>value" entry of a pattern, at the '>' after the time at.
    bool TimedChange(const Token& at, std::uint64_t number, VectorInput& input)
    {
        if (number > std::uint64_t(kMaxVectorTime))
            return Fail(at,
                        "time " + PrintableText(std::string(at.text)) + " is past the latest, "
                            + std::to_string(kMaxVectorTime));
        const std::int64_t time = std::int64_t(number);
        if (!input.changes.empty() && time < input.changes.back().first)
            return Fail(at,
                        "time " + std::to_string(time) + " comes before the time ahead of it, "
                            + std::to_string(input.changes.back().first));
        std::uint64_t value = 0;
        if (!Advance() || !Value(input.signal, value))
            return false;
        input.changes.emplace_back(time, value);
        return true;
    }

    bool Inputs()
    {
        const int line = token_.line;
        if (!Advance())
            return false;
        VectorInput input;
        input.line = line;
        const Token nameToken = token_;
        if (!Signal(input.signal))
            return false;
        if (!inputNames_.insert(nameToken.text).second)
            return Fail(nameToken, "input " + input.signal.name + " is given twice");
        if (IsMark("\\")) {
            if (!Advance())
                return false;
            if (token_.kind != Token::Kind::Word || !SameWord(token_.text, "DEC"))
                return Expected("DEC, the only radix read");
            if (!Advance())
                return false;
        }
        if (!End())
            return false;
        if (token_.kind != Token::Kind::Word || !SameWord(token_.text, "PATTERN"))
            return Expected("PATTERN for input " + input.signal.name);
        if (!Advance())
            return false;
        // "t>v" pairs, or values alone that repeat every INTERVAL; the first entry decides.
        bool first = true;
        while (!IsMark(";")) {
            const Token at = token_;
            std::uint64_t number = 0;
            if (!Number(number, first ? "a value or a time" : input.periodic ? "a value" : "a time"))
                return false;
            const bool timed = IsMark(">");
            if (first)
                input.periodic = !timed;
            first = false;
            if (input.periodic) {
                if (timed)
                    return Fail(token_, "a repeating pattern holds values only, not 'time>value'");
                if (input.signal.width() < 64 && number >> input.signal.width() != 0)
                    return Fail(at,
                                "value " + PrintableText(std::string(at.text)) + " does not fit the "
                                    + std::to_string(input.signal.width()) + " bits of " + input.signal.name);
                input.periodValues.push_back(number);
                continue;
            }
            if (!timed)
                return Expected("'>' after the time");
            if (!TimedChange(at, number, input))
                return false;
        }
        if (first)
            return Expected("a value or a time");
        if (!Advance())
            return false;
        file_.inputs.push_back(std::move(input));
        return true;
    }

    // GROUP CREATE bus[h..l] = bit ... ; names the bits of a bus, which the simulators take as
    // the bus itself: only its form is checked.
    bool Group()
    {
        if (!Advance())
            return false;
        if (token_.kind != Token::Kind::Word || !SameWord(token_.text, "CREATE"))
            return Expected("CREATE");
        VectorSignal bus;
        if (!Advance() || !Signal(bus) || !Mark("="))
            return false;
        while (token_.kind == Token::Kind::Word) {
            if (!Advance())
                return false;
        }
        return End();
    }

    bool Outputs()
    {
        if (!Advance())
            return false;
        do {
            VectorSignal signal;
            const Token at = token_;
            if (!Signal(signal))
                return false;
            if (!outputNames_.insert(at.text).second)
                return Fail(at, "output " + signal.name + " is given twice");
            file_.outputs.push_back(signal);
        } while (!IsMark(";"));
        return Advance();
    }

    Lexer lexer_;
    VectorFile& file_;
    std::string& error_;
    Token token_;
    // The names given so far, as the text spells them: a file may name many signals, and looking
    // each up among all the earlier ones would take time growing with their square.
    std::unordered_set<std::string_view> inputNames_;
    std::unordered_set<std::string_view> outputNames_;
};

} // namespace

std::uint64_t VectorInput::ValueAt(std::int64_t time, std::int64_t start, std::int64_t interval) const
{
    if (periodic) {
        if (time < start || interval <= 0 || periodValues.empty())
            return periodValues.empty() ? 0 : periodValues.front();
        return periodValues[size_t((time - start) / interval % std::int64_t(periodValues.size()))];
    }
    const auto after = std::upper_bound(changes.begin(), changes.end(), time,
                                        [](std::int64_t t, const auto& change) { return t < change.first; });
    return after == changes.begin() ? 0 : std::prev(after)->second;
}

const VectorInput* VectorFile::FindInput(const std::string& name) const
{
    for (const VectorInput& input : inputs) {
        if (input.signal.name == name)
            return &input;
    }
    return nullptr;
}

bool ReadVectorFile(std::string_view text, const std::string& name, VectorFile& file, std::string& error)
{
    return Parser(text, name, file, error).Parse();
}

bool LoadVectorFile(const std::string& path, VectorFile& file, std::string& error)
{
    const std::string shown = PrintableText(path);
    const std::string bound = std::to_string(kMaxVectorFileSize >> 20) + " MiB";
    try {
        std::string text;
        if (ReadRegularFile(path, size_t(kMaxVectorFileSize), text))
            return ReadVectorFile(text, shown, file, error);
    } catch (const std::bad_alloc&) {
        file = VectorFile();
        error = "there is not enough memory to read the vector file " + shown;
        return false;
    }
    std::error_code failed;
    const std::uintmax_t size = std::filesystem::file_size(path, failed);
    if (!failed && size > kMaxVectorFileSize)
        error = "the vector file " + shown + " holds " + std::to_string(size) + " bytes, more than the " + bound
            + " of the largest the wizard writes";
    else if (failed && !std::filesystem::exists(std::filesystem::symlink_status(path, failed)))
        error = "there is no vector file " + shown + ": the wizard writes it in the folder it runs in";
    else
        error = "cannot read the vector file " + shown + " (a regular file of at most " + bound + ")";
    return false;
}
