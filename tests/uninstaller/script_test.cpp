// The self-removal step on its own: the script's exact bytes, where it is
// written, how it is started, and when it is not.
#include "fixture.h"

namespace {

std::string ExpectedScript(const std::string& program, const std::string& folder, const std::string& script)
{
    return "set tessarim_tries=0\r\n:Repeat\r\nset /a tessarim_tries+=1\r\n"
           "if %tessarim_tries% gtr 100 ping -n 2 127.0.0.1 >nul\r\ndel \"" +
           program + "\"\r\nif exist \"" + program + "\" if %tessarim_tries% lss 160 goto Repeat\r\nrmdir \"" + folder +
           "\"\r\ndel \"" + script + "\"\r\n";
}

TEST(ScriptCommandLine, QuotedUnlessOnlyLettersDigitsAndPathSigns)
{
    struct Case {
        const char* script;
        const char* commandLine;
    } cases[] = {
        {"C:\\Temp\\tessarim.bat", "C:\\Temp\\tessarim.bat"},
        {"C:\\Temp_1.x-y\\tessarim.bat", "C:\\Temp_1.x-y\\tessarim.bat"},
        {"C:\\My Temp\\tessarim.bat", "\"C:\\My Temp\\tessarim.bat\""},
        {"C:\\Temp Dir\\x y\\tessarim.bat", "\"C:\\Temp Dir\\x y\\tessarim.bat\""},
        {"C:\\x&y\\tessarim.bat", "\"C:\\x&y\\tessarim.bat\""},
        {"C:\\x^y\\tessarim.bat", "\"C:\\x^y\\tessarim.bat\""},
        {"C:\\x(y)\\tessarim.bat", "\"C:\\x(y)\\tessarim.bat\""},
        {"C:\\x,y;z=w\\tessarim.bat", "\"C:\\x,y;z=w\\tessarim.bat\""},
        {"C:\\x'y\\tessarim.bat", "\"C:\\x'y\\tessarim.bat\""},
        {"C:\\Caf\xe9\\tessarim.bat", "\"C:\\Caf\xe9\\tessarim.bat\""},
    };
    for (const Case& c : cases) {
        char commandLine[MAX_PATH + 2];
        MakeScriptCommandLine(c.script, commandLine);
        EXPECT_STREQ(commandLine, c.commandLine);
    }
}

// The worked example: 280 bytes (the spec's 150 and the 130 of the bounded
// wait), eight lines, a stale script replaced. The
// executable is held open so that the script keeps retrying while its
// bytes are read; once it is released the script must finish the job.
TEST_F(UninstallTest, WritesTheExampleScriptAndRunsIt)
{
    const std::string program = "C:\\Tools\\Addon\\UTessarim.exe";
    const std::string script = "C:\\Temp\\tessarim.bat";
    test::RemoveTree("C:\\Tools\\Addon");
    CreateDirectoryA("C:\\Tools", NULL);
    CreateDirectoryA("C:\\Tools\\Addon", NULL);
    test::PutFile(program, "the program");
    UseTempFolder("C:\\Temp");
    test::PutFile(script, std::string(400, '#') + "\r\n");
    test::SetProgramPath(program);
    HANDLE running = CreateFileA(program.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(running, INVALID_HANDLE_VALUE);

    ScheduleSelfRemoval();

    std::string written = test::ReadWholeFile(script);
    EXPECT_EQ(written.size(), 280u);
    EXPECT_EQ(written, ExpectedScript(program, "C:\\Tools\\Addon", script));
    EXPECT_EQ(test::RecordedSteps(), std::vector<int>{1});
    EXPECT_TRUE(PriorityRaised());
    Sleep(500);
    EXPECT_TRUE(test::Exists(program)) << "deleted while still in use";

    CloseHandle(running);
    EXPECT_TRUE(test::WaitGone(program));
    EXPECT_TRUE(test::WaitGone("C:\\Tools\\Addon"));
    EXPECT_TRUE(test::WaitGone(script));
    RemoveDirectoryA("C:\\Tools");
    RemoveDirectoryA("C:\\Temp");
}

// A temporary folder with a blank: the script still runs, even with a
// program at the place the text before the blank would name.
TEST_F(UninstallTest, RunsTheScriptFromAFolderWithABlank)
{
    std::string app = scratch_ + "app";
    CreateDirectoryA(app.c_str(), NULL);
    test::SetProgramPath(app + "\\UTessarim.exe");
    test::PutFile(scratch_ + "Temp.exe", "not a program");
    std::string temp = scratch_ + "Temp Dir\\";
    UseTempFolder(temp);

    ScheduleSelfRemoval();

    EXPECT_TRUE(PriorityRaised()) << "the script was not started";
    EXPECT_TRUE(test::WaitGone(app)) << "the script did not run";
    EXPECT_TRUE(test::WaitGone(temp + "tessarim.bat"));
}

// Where no whole script path or program path can be had, or the script
// cannot be started, nothing runs and nothing is said; the bar still moves.
TEST_F(UninstallTest, NoScriptWithoutAUsablePath)
{
    std::string app = scratch_ + "app";
    CreateDirectoryA(app.c_str(), NULL);
    std::string fits = test::FolderOfLength(scratch_, 246);
    std::string tooLong = test::FolderOfLength(scratch_, 247);
    struct Case {
        const char* what;
        std::string temp;
        std::string program;
        const char* comspec;
        bool started;
        bool written;
    } cases[] = {
        {"longest temporary folder", fits, app + "\\UTessarim.exe", nullptr, true, true},
        {"temporary folder one too long", tooLong, app + "\\UTessarim.exe", nullptr, false, false},
        {"temporary folder missing", scratch_ + "missing\\", app + "\\UTessarim.exe", nullptr, false, false},
        {"program path cut", fits, app + "\\" + std::string(300, 'x'), nullptr, false, false},
        {"command interpreter missing", fits, app + "\\UTessarim.exe", "C:\\no\\such\\cmd.exe", false, true},
    };
    char savedComspec[MAX_PATH] = {};
    GetEnvironmentVariableA("COMSPEC", savedComspec, MAX_PATH);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DestroyWindow(MainWindow);
        test::DrainMessages();
        CreateMainWindow();
        test::SetTempVariable(c.temp);
        test::SetProgramPath(c.program);
        if (c.comspec)
            SetEnvironmentVariableA("COMSPEC", c.comspec);
        std::string script = c.temp + "tessarim.bat";

        test::BoxCloser boxes;
        ScheduleSelfRemoval();

        SetEnvironmentVariableA("COMSPEC", savedComspec);
        EXPECT_EQ(test::RecordedSteps(), std::vector<int>{1});
        EXPECT_EQ(PriorityRaised(), c.started);
        if (c.started) {
            EXPECT_TRUE(test::WaitGone(script));
        } else {
            EXPECT_EQ(test::Exists(script), c.written);
            EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), (DWORD)NORMAL_PRIORITY_CLASS);
        }
        EXPECT_TRUE(boxes.Texts().empty());
        DeleteFileA(script.c_str());
        SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
    }
}

}  // namespace
