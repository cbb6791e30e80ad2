#include "interleaver/interleaver_settings.h"
#include "interleaver/interleaver_wizard.h"
#include "platform/gui_application.h"
#include "platform/gui_messages.h"
#include "platform/host_message.h"
#include "platform/process.h"
#include "symbol/symbol_graphic.h"

#include <csignal>
#include <cstdio>
#include <cstring>

namespace {

const char* const kHelpText =
    "Usage: zorvex [-n] [-silent] [-symbol] [-h<id>] [-x<X>] [-y<Y>] [-p<N>] <design file>\n"
    "       zorvex --help | --version\n"
    "\n"
    "Parameterises a symbol interleaver/deinterleaver core. On Finish it writes <design>.cnx and\n"
    "<design>.vec beside the design file named (.vhd, .v or .tdf), for the host to make it from.\n"
    "\n"
    "  -n          a new variation: start from the default settings instead of <design>.cnx\n"
    "  -silent     show no pages: write the files at once\n"
    "  -symbol     the host can make a symbol file (listed on the summary page)\n"
    "  -h<id>      the host's id: every page exit is reported to it\n"
    "  -x<X>       screen x of the window's lower-right corner, in pixels\n"
    "  -y<Y>       screen y of the window's lower-right corner, in pixels\n"
    "  -p<N>       the number of host pages before the first page (enables Back on page 1)\n"
    "  --help      print this help and end\n"
    "  --version   print the version and end\n"
    "\n"
    "Exit status: 0 finished, 1 failed (a message says why), 2 cancelled, 3 back to the\n"
    "host's pages from the first page.\n";

// Writes an answer to a question asked of the program itself; 1 when it could not be written.
int PrintAnswer(const char* text)
{
    std::fputs(text, stdout);
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
}

} // namespace

// The process-wide objects, in the order the wizard needs them: the settings, the one symbol
// graphic sized for the widest interleaver symbol (measured when the panel is first needed), then
// the application object.
int main(int argc, char** argv)
{
    // "zorvex --version" and "zorvex --help" alone, as Linux programs answer them: on stdout,
    // ending with 0. No host sends either, and every other command line, one holding them too,
    // goes through the host's grammar unchanged.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0)
        return PrintAnswer("zorvex " ZORVEX_VERSION "\n");
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0)
        return PrintAnswer(kHelpText);
    // Past a file-size limit a write then fails like one on a full disk, and the run reports the
    // file it could not write instead of being ended by the signal.
    std::signal(SIGXFSZ, SIG_IGN);
    static InterleaverSettings settings;
    static SymbolGraphic symbol(ReferenceSymbolWidth, 192);
    GuiMessages messages;
    SocketHostMessenger messenger;
    InterleaverWizard wizard(settings, symbol,
                             WizardServices{messages, messenger, ExecutablePath(), EnsureGuiApplication});
    wizard.Run(argc, argv);
    return wizard.ExitCode();
}
