#include "host/wizard_command_line.h"
#include "interleaver/interleaver_wizard.h"
#include "platform/gui_application.h"
#include "platform/gui_messages.h"
#include "platform/host_message.h"
#include "platform/process.h"
#include "settings/interleaver_settings.h"
#include "symbol/symbol_graphic.h"

#include <csignal>
#include <cstdio>
#include <cstring>

namespace {

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
