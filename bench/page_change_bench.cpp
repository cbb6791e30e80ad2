// A setting changed on a page as the user changes it: the setting is written, the page's texts
// recomputed, the symbol laid out again and the preview repainted. Runs offscreen, with the real
// dialogs, inside the characteristics and memory pages.
#include "host/wizard_app.h"
#include "interleaver/characteristics_page.h"
#include "settings/interleaver_settings.h"
#include "interleaver/memory_page.h"
#include "platform/host_message.h"
#include "platform/messages.h"
#include "symbol/symbol_graphic.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace {

Dialog* shown = nullptr;

void BM_TypeCharacteristicAndRepaint(benchmark::State& state)
{
    int i = 0;
    for (auto _ : state) {
        shown->TypeText(1026, (i++ % 2) ? "13" : "14");
        shown->PaintPending();
    }
}

void BM_SwitchMemoryAndRepaint(benchmark::State& state)
{
    int i = 0;
    for (auto _ : state) {
        shown->Click((i++ % 2) ? 1153 : 1154);
        shown->PaintPending();
    }
}

// Runs the benchmarks inside the page's window, then closes it.
void RunInPage(WizardPage& page, WizardApp& app)
{
    page.SetApp(&app);
    Dialog::SetShownHook([](Dialog& dialog) {
        shown = &dialog;
        benchmark::RunSpecifiedBenchmarks();
        dialog.PressEscape();
    });
    page.ShowModal();
}

} // namespace

// page_change_bench [--memory] [benchmark options]: the characteristics page, or the memory page.
int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const bool memoryPage = argc > 1 && std::string(argv[1]) == "--memory";
    if (memoryPage) {
        argv[1] = argv[0];
        --argc;
        ++argv;
    }
    if (memoryPage)
        benchmark::RegisterBenchmark("BM_SwitchMemoryAndRepaint", BM_SwitchMemoryAndRepaint)
            ->Unit(benchmark::kMicrosecond);
    else
        benchmark::RegisterBenchmark("BM_TypeCharacteristicAndRepaint", BM_TypeCharacteristicAndRepaint)
            ->Unit(benchmark::kMicrosecond);
    benchmark::Initialize(&argc, argv);
    static InterleaverSettings settings;
    static SymbolGraphic symbol(ReferenceSymbolWidth(), 192);
    StderrMessages messages;
    SocketHostMessenger messenger;
    WizardApp app("ZORVEX - 1.00", symbol, WizardServices{messages, messenger, "/nonexistent/zorvex"});
    app.baseName.assign(1, 'f');
    std::unique_ptr<WizardPage> page;
    if (memoryPage)
        page = std::make_unique<MemoryPage>(settings, symbol);
    else
        page = std::make_unique<CharacteristicsPage>(settings, symbol);
    RunInPage(*page, app);
    return 0;
}
