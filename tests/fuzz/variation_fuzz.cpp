// Takes arbitrary bytes as a stored variation through everything a silent run does with it:
// restoring the settings, their derived figures, the mapping onto the model, the symbol layout, the
// vector file (into a counting sink, whose size must stay within the bound) and the retrieval
// information with its symbol lines.
#include "settings/interleaver_settings.h"
#include "settings/settings_mapping.h"
#include "settings/vector_file.h"
#include "model/interface_model.h"
#include "symbol/interleaver_symbol.h"
#include "symbol/symbol_graphic.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <streambuf>
#include <string>

namespace {

void Check(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "variation_fuzz: %s\n", what);
        std::abort();
    }
}

// Counts what the vector file would hold and keeps none of it.
class CountingSink : public std::streambuf {
public:
    uint64_t count = 0;

protected:
    std::streamsize xsputn(const char*, std::streamsize size) override
    {
        count += uint64_t(size);
        return size;
    }
    int_type overflow(int_type ch) override
    {
        ++count;
        return traits_type::not_eof(ch);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    InterfaceModel model;
    Check(model.ReadPrivates(in, PrivateSettingNames()), "a text in memory always reads whole");
    InterleaverSettings settings;
    LoadSettingsFromModel(settings, model);

    const int width = settings.addressWidth();
    Check(width >= 0 && width <= 64, "address width beyond 64 bits");
    settings.memoryWords();
    settings.latencyCycles();
    settings.codewordsSpread();
    Check(settings.checkSymbols() >= 1, "no check symbol");
    settings.vectorEndTime();

    CountingSink sink;
    std::ostream vectors(&sink);
    WriteVectorFile(vectors, settings);
    Check(sink.count <= kMaxVectorFileSize, "vector file beyond its bound");

    static SymbolGraphic symbol(ReferenceSymbolWidth(), 192);
    const SymbolLineWriter* symbolWriter = &symbol;
    const std::string moduleList = ModuleName(settings) + "@" + ModuleName(settings) + "|";
    model.Clear();
    model.Attach(&moduleList, &symbolWriter);
    AddInterleaverEntries(settings, model);
    LayOutInterleaverSymbol(symbol, settings, "variation");
    std::ostringstream out;
    model.Write(out);

    // What was written restores the same settings.
    std::istringstream written(out.str());
    InterfaceModel reread;
    reread.ReadPrivates(written, PrivateSettingNames());
    InterleaverSettings restored;
    LoadSettingsFromModel(restored, reread);
    Check(restored.CHARACTERISTIC_I == settings.CHARACTERISTIC_I && restored.SYMBOL_WIDTH == settings.SYMBOL_WIDTH
              && restored.BLOCK == settings.BLOCK && restored.NUMBER_OF_BURST_ERROR == settings.NUMBER_OF_BURST_ERROR,
          "written settings do not restore");
    return 0;
}
