// tarnwick together with the real wizard: the wizard's page-exit message reaches tarnwick's socket,
// and silent runs of the built wizard are reported as the host sees them.
#include "platform/host_message.h"
#include "tests/tools/tarnwick_process.h"
#include "tools/tarnwick/page_exit_listener.h"

#include "tests/support/design_folders.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(WizardMessageToTarnwick, PageExitPostedByTheWizardIsReadBackAsItsCorner)
{
    const int hostId = int(::getpid()) * 4 + 3;
    PageExitListener listener;
    std::string error;
    ASSERT_TRUE(listener.Open(hostId, error)) << error;
    SocketHostMessenger messenger;
    messenger.PostPageExit(hostId, 812, -4);
    messenger.PostPageExit(hostId, 0, 2000);
    const std::vector<HostDatagram> received = listener.ReceivePending();
    ASSERT_EQ(received.size(), 2u);
    // tarnwick takes a page exit only from the process that sent it being the wizard it started.
    EXPECT_EQ(received[0].senderPid, ::getpid());
    EXPECT_EQ(received[1].senderPid, ::getpid());
    PageExit first;
    PageExit second;
    ASSERT_TRUE(ParsePageExit(received[0].text, first)) << received[0].text;
    ASSERT_TRUE(ParsePageExit(received[1].text, second)) << received[1].text;
    EXPECT_EQ(first.cornerX, 812);
    EXPECT_EQ(first.cornerY, -4);
    EXPECT_EQ(second.cornerX, 0);
    EXPECT_EQ(second.cornerY, 2000);
}

class TarnwickWithWizard : public DesignFoldersTest {
protected:
    // tarnwick as built, finding the wizard beside itself, with no display to show pages on.
    ProcessRun Run(const std::vector<std::string>& args)
    {
        std::vector<std::string> all{TARNWICK_EXE};
        all.insert(all.end(), args.begin(), args.end());
        return RunProgram(all, work, {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"QT_QPA_PLATFORM", ""}});
    }
};

TEST_F(TarnwickWithWizard, SilentNewRunWritesBothFiles)
{
    const std::string design = (designs / "deint.vhd").string();
    const ProcessRun run = Run({"-n", "-silent", design});
    ASSERT_EQ(run.exitStatus, 0) << run.out << run.err;
    EXPECT_TRUE(Contains(run.out, "starting " + std::string(ZORVEX_EXE) + " -n -h" + std::to_string(run.pid)
                                      + " -silent " + design + "\n"))
        << run.out;
    EXPECT_TRUE(Contains(run.out, "wizard ended with exit status 0: finished: the variation was written\n"));
    EXPECT_TRUE(Contains(run.out, "  present  " + (designs / "deint.cnx").string())) << run.out;
    EXPECT_TRUE(Contains(run.out, "  present  ./deint.vec")) << run.out;
    EXPECT_TRUE(fs::exists(designs / "deint.cnx"));
    EXPECT_TRUE(fs::exists(work / "deint.vec"));
    EXPECT_FALSE(Contains(run.out, "page exit")) << "a silent run shows no page";
}

TEST_F(TarnwickWithWizard, StartUpFailuresOfTheWizardAreReportedAsSuch)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"-n", "-silent", (designs / "f.VHD").string()}, "illegal extension"},
        {{"-silent", (designs / "never.vhd").string()}, "Can't open file " + (designs / "never.cnx").string()},
    };
    for (const auto& [args, message] : cases) {
        SCOPED_TRACE(args.back());
        const ProcessRun run = Run(args);
        EXPECT_EQ(run.exitStatus, 1);
        EXPECT_TRUE(Contains(run.out, "wizard ended with exit status 1: start-up failed\n")) << run.out;
        EXPECT_TRUE(Contains(run.err, message)) << run.err;
    }
}

} // namespace
