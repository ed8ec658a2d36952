#include "CliTest.h"

#include <csignal>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

using TestImages::BareImage;
namespace fs = std::filesystem;
using Hostile = CliTest;

// Every kill leaves the output absent or complete; one more run leaves no stray file.
TEST_F(Hostile, KilledRunsLeaveNoPartialOutputAndNoStrayFile) {
    const Bytes input = BareImage(true);
    Put("box.img", input);
    const Bytes expected = TestImages::ExpectedOutput(input, m_bootLoader2x);
    std::mt19937 random(7);
    const int signals[] = {SIGINT, SIGTERM, SIGKILL};
    for (int round = 0; round < 36; ++round) {
        const int signal = signals[round % 3];
        const int pid = StartCli({{"convert", "box.img"}, Dir(), {}, {}});
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 40000));
        kill(pid, signal);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        // Either it was done before the signal came, or the signal itself ended it.
        if (WIFEXITED(status))
            EXPECT_EQ(WEXITSTATUS(status), 0) << round << ": it exited on the signal";
        else
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal)
                << round << ": " << status;
        if (fs::exists(Dir() / "box(2xImage).img")) {
            ASSERT_TRUE(TestImages::ReadFile(Dir() / "box(2xImage).img") == expected) << round;
        }
    }
    ASSERT_EQ(Cli({"convert", "box.img"}).exitCode, 0);
    EXPECT_EQ(Snapshot(Dir()).size(), 4u) << "box.img, its output and the two boot loaders only";
}

// Whether the process sleeps with a handler for signal in place: past its start, waiting.
static bool CatchesAndWaits(int pid, int signal) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    const std::string status((std::istreambuf_iterator<char>(in)), {});
    const std::size_t caught = status.find("SigCgt:");
    return status.find("State:\tS") != std::string::npos && caught != std::string::npos &&
           (std::stoull(status.substr(caught + 7), nullptr, 16) >> (signal - 1) & 1);
}

// Ignored at the start (nohup, a background job), a signal stays ignored; any other one ends the
// run by that very signal, so that a shell or a script's loop sees it killed and stops too.
TEST_F(Hostile, SignalsIgnoredAtTheStartStayIgnoredAndOthersEndTheRunByThemselves) {
    Put("box.img", BareImage(true));
    ASSERT_EQ(mkfifo((Dir() / "SUMS").c_str(), 0600), 0);
    CliRun run{{"convert", "--checksum-file", "SUMS", "box.img"}, Dir(), {}, {}};
    run.ignoredSignals = {SIGHUP, SIGINT};
    const int pid = StartCli(run);
    // It waits for a reader of its listing before the first conversion.
    for (int tries = 0; tries < 500 && !CatchesAndWaits(pid, SIGTERM); ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    kill(pid, SIGHUP);
    kill(pid, SIGINT);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    int status = 0;
    EXPECT_EQ(waitpid(pid, &status, WNOHANG), 0) << "ended by an ignored signal";
    kill(pid, SIGTERM);
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
}

// A FIFO would block a plain open, a control could forge a line or command the terminal, also in
// JSON, and a name that is not UTF-8 could not be told apart there: each input gets one line.
TEST_F(Hostile, HostileNamesAndFilesEachGetOneLineAndTheBatchGoesOn) {
    ASSERT_EQ(mkfifo((Dir() / "fifo.img").c_str(), 0600), 0);
    Put("\xFF.img", BareImage(true));
    const CliOutcome run = Cli(
        {"convert", "--json", "", "fifo.img", "new\nline.img", "\x1B[31m\xC2\x9B.img", "\xFF.img"});
    EXPECT_EQ(run.exitCode, 1);
    const std::vector<std::string> errors = Lines(run.err);
    ASSERT_EQ(errors.size(), 4u) << run.err;
    EXPECT_EQ(errors[0], "keldarin-cli: \"\": an empty name names no file");
    EXPECT_EQ(errors[1],
              "keldarin-cli: fifo.img: cannot open fifo.img: not a regular file but a FIFO");
    EXPECT_EQ(errors[2].rfind("keldarin-cli: new\\nline.img: cannot open", 0), 0u);
    EXPECT_EQ(errors[3].rfind("keldarin-cli: \\x1B[31m\\u009B.img: cannot open", 0), 0u);
    EXPECT_NE(run.out.find("\"input\":\"\\u001b[31m\\u009B.img\""), std::string::npos) << run.out;
    const nlohmann::json last = nlohmann::json::parse(Lines(run.out).back());
    EXPECT_EQ(last["input_hex"], "ff2e696d67");
    EXPECT_TRUE(last["ok"]);
    EXPECT_TRUE(fs::exists(Dir() / "\xFF(2xImage).img"));
}

TEST_F(Hostile, AReportOrHelpThatCannotBeWrittenFailsTheRun) {
    Put("box.img", BareImage(true));
    const std::vector<std::vector<std::string>> runs = {
        {"info", "--json", "box.img"}, {"info", "-o.", "box.img"}, {"--help"}, {"--version"}};
    for (const std::vector<std::string>& args : runs) {
        const CliOutcome run = RunCli({args, Dir(), {}, "/dev/full"});
        EXPECT_EQ(run.exitCode, 1) << args[0];
        EXPECT_EQ(run.err, "keldarin-cli: cannot write the report: No space left on device\n");
    }
}

TEST_F(Hostile, ADryRunFailsWhereTheRealRunWouldWithTheSameWords) {
    Put("box.img", BareImage(true));
    fs::create_directory(Dir() / "box(2xImage).img");
    const CliOutcome dry = Cli({"convert", "-n", "box.img"});
    const CliOutcome real = Cli({"convert", "box.img"});
    EXPECT_EQ(dry.exitCode, 1);
    EXPECT_EQ(dry.err, real.err);
    EXPECT_NE(real.err.find("Is a directory"), std::string::npos) << real.err;
}

// A limit of the process fails no more than it must, and never silently.
TEST_F(Hostile, OpenFileAndFileSizeLimitsAndAClosedPipeEachEndAsTheySay) {
    std::vector<std::string> args = {"convert", "-q"};
    for (unsigned i = 0; i < 10; ++i)
        args.push_back(
            Put("a" + std::to_string(i) + ".img", BareImage(true, i)).filename().string());
    const CliOutcome fewHandles = RunCli({args, Dir(), {}, {}, {{RLIMIT_NOFILE, 12}}});
    EXPECT_EQ(fewHandles.exitCode, 0) << fewHandles.err;
    EXPECT_EQ(Snapshot(Dir()).size(), 22u);

    const CliOutcome smallFiles =
        RunCli({{"convert", "a0.img", "a1.img"}, Dir(), {}, {}, {{RLIMIT_FSIZE, 4u << 20}}});
    EXPECT_EQ(smallFiles.exitCode, 1);
    const std::vector<std::string> errors = Lines(smallFiles.err);
    ASSERT_EQ(errors.size(), 2u) << smallFiles.err;
    EXPECT_NE(errors[1].find("a1.img: cannot write " + (Dir() / "a1(2xImage).img").string() +
                             ": File too large"),
              std::string::npos)
        << errors[1];
    EXPECT_EQ(Snapshot(Dir()).size(), 22u) << "earlier outputs kept, no temporary left";

    fs::remove(Dir() / "a9(2xImage).img");
    CliRun piped{{"convert", "a8.img", "a9.img"}, Dir(), {}, {}, {}};
    piped.stdoutToClosedPipe = true;
    const CliOutcome closed = RunCli(piped);
    EXPECT_EQ(closed.exitCode, 1);
    EXPECT_EQ(closed.err, "keldarin-cli: cannot write the report: Broken pipe\n");
    EXPECT_TRUE(fs::exists(Dir() / "a9(2xImage).img")) << "the conversions go on";
}

// Too little memory for the image buffer that a hash needs.
TEST_F(Hostile, TooLittleMemoryForAHashFailsEachInputAsSuch) {
    Put("a0.img", BareImage(true, 0));
    Put("a1.img", BareImage(true, 1));
    const CliOutcome lowMemory = RunCli({{"convert", "-n", "--checksum", "a0.img", "a1.img"},
                                         Dir(),
                                         {},
                                         {},
                                         {{RLIMIT_AS, 14u << 20}}});
    EXPECT_EQ(lowMemory.err, "keldarin-cli: a0.img: not enough memory\n"
                             "keldarin-cli: a1.img: not enough memory\n");
}
