#include "settings/vector_file.h"

#include "platform/atomic_file.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace {

// Collects the text in a local buffer and hands it to the stream in large pieces. The data ramp
// of a large variation has millions of lines, so numbers are formatted straight into the buffer
// instead of going through the stream's formatting one by one. The text stops at the first failed
// write, and before it would pass kMaxVectorFileSize: restored settings can ask for gigabytes.
class ChunkedText {
public:
    explicit ChunkedText(std::ostream& out) : out_(out) {}
    ~ChunkedText() { Flush(); }
    ChunkedText(const ChunkedText&) = delete;
    ChunkedText& operator=(const ChunkedText&) = delete;

    // False once a write has failed or the size bound was reached; nothing more is written then.
    bool ok() const { return ok_; }

    ChunkedText& operator<<(std::string_view text)
    {
        if (text.size() > kCapacity - used_)
            Flush();
        if (text.size() > kCapacity) {
            Hand(text.data(), text.size());
            return *this;
        }
        std::memcpy(buffer_ + used_, text.data(), text.size());
        used_ += text.size();
        return *this;
    }

    ChunkedText& operator<<(int64_t value)
    {
        Reserve(kNumberRoom);
        used_ = size_t(std::to_chars(buffer_ + used_, buffer_ + kCapacity, value).ptr - buffer_);
        return *this;
    }

    // Room for at least room characters at the returned position; Advance moves past what was
    // put there.
    char* Reserve(size_t room)
    {
        if (kCapacity - used_ < room)
            Flush();
        return buffer_ + used_;
    }
    void Advance(char* end) { used_ = size_t(end - buffer_); }

    void Flush()
    {
        Hand(buffer_, used_);
        used_ = 0;
    }

private:
    static constexpr size_t kCapacity = size_t(1) << 16;
    // Enough for any 64-bit number with its sign.
    static constexpr size_t kNumberRoom = 21;

    void Hand(const char* text, size_t size)
    {
        if (size == 0 || !ok_)
            return;
        if (size > kMaxVectorFileSize - handed_) {
            // The stream is marked failed, so that the caller never takes the cut text for a file.
            out_.setstate(std::ios::badbit);
            ok_ = false;
            return;
        }
        out_.write(text, std::streamsize(size));
        handed_ += size;
        ok_ = bool(out_);
    }

    std::ostream& out_;
    char buffer_[kCapacity];
    size_t used_ = 0;
    uint64_t handed_ = 0;
    bool ok_ = true;
};

// The texts of 0 to 999: plain, and padded to three digits for use behind higher digits.
struct LowDigits {
    char plain[4];
    char padded[4];
    size_t plainLength;
};

constexpr std::array<LowDigits, 1000> MakeLowDigits()
{
    std::array<LowDigits, 1000> table{};
    for (int n = 0; n < 1000; ++n) {
        LowDigits& entry = table[size_t(n)];
        const char digits[3] = {char('0' + n / 100), char('0' + n / 10 % 10), char('0' + n % 10)};
        entry.padded[0] = digits[0];
        entry.padded[1] = digits[1];
        entry.padded[2] = digits[2];
        const size_t skip = n >= 100 ? 0 : n >= 10 ? 1 : 2;
        entry.plainLength = 3 - skip;
        for (size_t k = 0; k < entry.plainLength; ++k)
            entry.plain[k] = digits[skip + k];
    }
    return table;
}

constexpr std::array<LowDigits, 1000> kLowDigits = MakeLowDigits();

// A non-negative number that grows by small steps and is written as decimal text again and again,
// as the ramp's times and values are. Its last three digits come from a table; the digits above
// them are formatted only when they change, once every thousand units.
class RampNumber {
public:
    // Room that Put may fill beyond the digits it reports.
    static constexpr size_t kRoom = 32;

    explicit RampNumber(uint64_t value) : high_(value / 1000), low_(value % 1000) { FormatHigh(); }

    // Step below 1000.
    void Add(unsigned step)
    {
        low_ += step;
        if (low_ >= 1000) {
            low_ -= 1000;
            ++high_;
            FormatHigh();
        }
    }

    void Reset()
    {
        high_ = 0;
        low_ = 0;
    }

    // Writes the digits at p, possibly followed by scratch within kRoom; returns their end.
    char* Put(char* p) const
    {
        const LowDigits& low = kLowDigits[low_];
        if (high_ == 0) {
            std::memcpy(p, low.plain, sizeof low.plain);
            return p + low.plainLength;
        }
        // Fixed-length copies compile to a few moves; only the digits are kept.
        std::memcpy(p, highText_, sizeof highText_);
        p += highLength_;
        std::memcpy(p, low.padded, sizeof low.padded);
        return p + 3;
    }

private:
    void FormatHigh()
    {
        highLength_ = size_t(std::to_chars(highText_, highText_ + sizeof highText_, high_).ptr - highText_);
    }

    uint64_t high_;
    unsigned low_;
    char highText_[24] = {};
    size_t highLength_ = 0;
};

// The largest value a symbol of width bits holds: no bits hold only 0, and widths beyond 64 are
// taken as 64 so that the limit is always representable.
uint64_t SymbolLimit(int width)
{
    if (width <= 0)
        return 0;
    if (width >= 64)
        return UINT64_MAX;
    return (uint64_t(1) << width) - 1;
}

void WriteHeader(ChunkedText& text, const InterleaverSettings& settings)
{
    const bool convolutional = settings.CONVOLUTIONAL == 1;
    text << "%================================================================\n"
         << "\n"
         << "\tTHIS IS A WIZARD GENERATED FILE. DO NOT EDIT THIS FILE!\n"
         << "\n"
         << "\tGenerated by the ZORVEX wizard - 1.00\n\n"
         << (settings.INTERLEAVER == 1 ? "\tINTERLEAVER" : "\tDEINTERLEAVER")
         << (convolutional ? "\n\t\tNumber of branches\t\t" : "\n\t\tNumber of rows\t\t")
         << int64_t(settings.CHARACTERISTIC_I)
         << (convolutional ? "\n\t\tUnit delay\t\t" : "\n\t\tNumber of column\t\t")
         << int64_t(settings.CHARACTERISTIC_J) << "\n\t\tSymbol width\t\t" << int64_t(settings.SYMBOL_WIDTH)
         << "\n\n================================================================%";
}

void WriteCommonStimulus(ChunkedText& text, int64_t endTime)
{
    text << "\n\n\nSTART 0;\n"
         << "STOP " << endTime << ";\n\nRADIX DEC;\n"
         << "\n\nINTERVAL 20;\n\nINPUTS clock;\n"
         << "PATTERN 0 1;\n\n"
         << "\n\nINPUTS sync_in;\n"
         << "PATTERN\n0>0\n80>1\n120>0;\n\n"
         << "\n\nINPUTS clken;\n"
         << "PATTERN\n0>0\n160>1;\n\n\n";
}

// The line that groups the bits of a bus, highest first: "GROUP CREATE din[7..0] = din7 ... din0 ;".
void GroupCreate(ChunkedText& text, const char* name, int64_t highest)
{
    text << "GROUP CREATE " << name << "[" << highest << "..0] = ";
    for (int64_t k = highest; k >= 0 && text.ok(); --k)
        text << name << k << " ";
    text << ";\n";
}

// The data passes through the block: a counting input from the time the clock is enabled until the
// end time, and the data outputs to watch.
void WriteDataRamp(ChunkedText& text, const InterleaverSettings& settings, int64_t endTime)
{
    const int64_t highest = int64_t(settings.SYMBOL_WIDTH) - 1;
    GroupCreate(text, "din", highest);
    GroupCreate(text, "dout", highest);
    text << "\n"
         << "INPUTS din[" << highest << "..0]\\DEC;\n"
         << "PATTERN\n0> 0\n";

    // The data starts when the clock is enabled and changes every clock period.
    const uint64_t limit = SymbolLimit(settings.SYMBOL_WIDTH);
    uint64_t value = 0;
    RampNumber timeText(160);
    RampNumber valueText(0);
    for (int64_t time = 160; time < endTime && text.ok(); time += 40) {
        char* p = text.Reserve(2 * RampNumber::kRoom + 3);
        p = timeText.Put(p);
        *p++ = '>';
        *p++ = ' ';
        p = valueText.Put(p);
        *p++ = '\n';
        text.Advance(p);

        timeText.Add(40);
        if (value == limit) {
            value = 0;
            valueText.Reset();
        } else {
            ++value;
            valueText.Add(1);
        }
    }
    text << endTime << "> 0;\n";

    if (settings.continuousFlow())
        text << "OUTPUTS dout[" << highest << "..0] sync_out;\n\n";
    if (settings.BLOCK == 1)
        text << "OUTPUTS dout[" << highest << "..0] dout_valid next_din;\n\n";
}

// The block only generates addresses for an outside memory: the address outputs to watch.
void WriteAddressOutputs(ChunkedText& text, const InterleaverSettings& settings)
{
    const int64_t highest = int64_t(settings.addressWidth()) - 1;
    if (settings.continuousFlow()) {
        GroupCreate(text, "read_addr", highest);
        GroupCreate(text, "write_addr", highest);
        text << "\n"
             << "OUTPUTS read_addr[" << highest << "..0] write_addr[" << highest << "..0] sync_out;\n\n";
    }
    if (settings.BLOCK == 1)
        text << "OUTPUTS addr[" << highest << "..0] write_enable block_full block_empty;\n\n";
}

// The total of the decimal digits of the numbers first, first + step, ... below end (first >= 0,
// step > 0), counted by how many of them have each number of digits.
uint64_t DigitsOfProgression(uint64_t first, uint64_t end, uint64_t step)
{
    const auto termsBelow = [&](uint64_t bound) { return bound <= first ? 0 : (bound - first + step - 1) / step; };
    uint64_t total = 0;
    uint64_t low = 0;
    uint64_t high = 10;
    for (uint64_t digits = 1; low < end; ++digits) {
        total += digits * (termsBelow(std::min(high, end)) - termsBelow(low));
        low = high;
        high = high > UINT64_MAX / 10 ? UINT64_MAX : high * 10;
    }
    return total;
}

// The size of the data ramp and of its GROUP CREATE lines, counting every value as one digit: a
// little less than the text holds. It is known at once, however large the settings make it.
uint64_t DataRampSizeAtLeast(const InterleaverSettings& settings, int64_t endTime)
{
    uint64_t size = 0;
    const int64_t highest = int64_t(settings.SYMBOL_WIDTH) - 1;
    if (highest >= 0) {
        // "din7 " and "dout7 ": the name, the number and a blank for every bit.
        const uint64_t bits = uint64_t(highest) + 1;
        size += 2 * DigitsOfProgression(0, bits, 1) + (4 + 5) * bits;
    }
    if (endTime > 160) {
        // "160> 0\n": the time, "> ", the value and the line end for every clock period.
        const uint64_t lines = (uint64_t(endTime) - 160 + 39) / 40;
        size += DigitsOfProgression(160, uint64_t(endTime), 40) + 4 * lines;
    }
    return size;
}

} // namespace

void WriteVectorFile(std::ostream& out, const InterleaverSettings& settings)
{
    settings.addressWidth();
    const int64_t endTime = settings.vectorEndTime();
    // Settings that ask for far more than the bound are refused before anything is formatted;
    // near the bound, the count while writing decides.
    if (settings.INTERNAL_DPRAM == 1 && DataRampSizeAtLeast(settings, endTime) > kMaxVectorFileSize) {
        out.setstate(std::ios::badbit);
        return;
    }

    ChunkedText text(out);
    WriteHeader(text, settings);
    WriteCommonStimulus(text, endTime);
    if (settings.INTERNAL_DPRAM == 1)
        WriteDataRamp(text, settings, endTime);
    else
        WriteAddressOutputs(text, settings);
    text.Flush();
}

std::unique_ptr<AtomicFile> WriteUncommittedVectorFile(const std::string& path, const InterleaverSettings& settings)
{
    auto file = std::make_unique<AtomicFile>();
    if (!file->Open(path, AtomicFile::Durability::Regenerable))
        return nullptr;
    WriteVectorFile(file->stream(), settings);
    return file;
}

bool WriteVectorFileAt(const std::string& path, const InterleaverSettings& settings)
{
    const std::unique_ptr<AtomicFile> file = WriteUncommittedVectorFile(path, settings);
    return file != nullptr && file->Commit();
}
