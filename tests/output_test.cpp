// Runs gen_vkey as a build runs it, in a process of its own, and checks the text it
// writes, that nothing around it changes that text, and that a failed write is loud.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

// Where the generator's standard output goes.
enum class sink {
    file,            // a regular file
    dev_full,        // a device that is always full
    closed,          // nowhere: descriptor 1 is closed
    pipe_no_reader,  // a pipe whose read end is closed
};

struct run_options {
    sink out = sink::file;
    std::vector<std::string> args;
    std::optional<std::vector<std::string>> env;  // the whole environment; the test's own when unset
    bool ignore_sigpipe = false;
    bool close_stdin = false;
};

run_options with_args(std::vector<std::string> args)
{
    run_options o;
    o.args = std::move(args);
    return o;
}

run_options with_env(std::vector<std::string> env)
{
    run_options o;
    o.env = std::move(env);
    return o;
}

run_options with_stdin_closed()
{
    run_options o;
    o.close_stdin = true;
    return o;
}

run_options writing_to(sink out, bool ignore_sigpipe)
{
    run_options o;
    o.out = out;
    o.ignore_sigpipe = ignore_sigpipe;
    return o;
}

struct run_result {
    int status = 0;  // as waitpid() gives it
    std::string out;
    std::string err;
};

// Returns everything in f, from its start.
std::string contents(std::FILE* f)
{
    std::string s;
    std::rewind(f);
    for (int c = std::fgetc(f); c != EOF; c = std::fgetc(f)) {
        s += static_cast<char>(c);
    }
    return s;
}

// Returns pointers to the strings, and a null pointer after them, as execve() takes them.
std::vector<char*> null_terminated(std::vector<std::string>& strings)
{
    std::vector<char*> pointers;
    pointers.reserve(strings.size() + 1);
    for (std::string& s : strings) {
        pointers.push_back(s.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

// Runs the generator as the options say and returns how it ended and what it wrote.
run_result run(const run_options& o = {})
{
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    if (out == nullptr || err == nullptr) {
        ADD_FAILURE() << "no temporary file: " << std::strerror(errno);
        return {};
    }
    std::array<int, 2> pipe_ends{-1, -1};
    if (o.out == sink::pipe_no_reader) {
        EXPECT_EQ(pipe(pipe_ends.data()), 0);
        close(pipe_ends[0]);
    }

    std::vector<std::string> argv_strings{GEN_VKEY_PATH};
    argv_strings.insert(argv_strings.end(), o.args.begin(), o.args.end());
    std::vector<std::string> env_strings = o.env.value_or(std::vector<std::string>{});
    const std::vector<char*> argv = null_terminated(argv_strings);
    const std::vector<char*> envp = null_terminated(env_strings);

    const pid_t pid = fork();
    if (pid == 0) {
        switch (o.out) {
        case sink::file: dup2(fileno(out), 1); break;
        case sink::dev_full: dup2(open("/dev/full", O_WRONLY), 1); break;
        case sink::closed: close(1); break;
        case sink::pipe_no_reader: dup2(pipe_ends[1], 1); break;
        }
        dup2(fileno(err), 2);
        if (o.close_stdin) {
            close(0);
        }
        (void)std::signal(SIGPIPE, o.ignore_sigpipe ? SIG_IGN : SIG_DFL);
        if (o.env) {
            execve(argv[0], argv.data(), envp.data());
        } else {
            execv(argv[0], argv.data());
        }
        _exit(127);
    }
    if (pipe_ends[1] != -1) {
        close(pipe_ends[1]);
    }
    run_result r;
    EXPECT_EQ(waitpid(pid, &r.status, 0), pid);
    r.out = contents(out);
    r.err = contents(err);
    (void)std::fclose(out);
    (void)std::fclose(err);
    return r;
}

// Returns the lines of text, each without its line end, or nothing when the last
// line has no line end.
std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    if (start != text.size()) {
        return {};
    }
    return lines;
}

bool exited_with(const run_result& r, int code)
{
    return WIFEXITED(r.status) && WEXITSTATUS(r.status) == code;
}

// Whether a run ended as one that wrote the whole text: status 0, nothing on standard
// error, and 259 lines, so that a check of the text never passes on an empty one.
::testing::AssertionResult wrote_the_text(const run_result& r)
{
    if (!exited_with(r, 0)) {
        return ::testing::AssertionFailure() << "status " << r.status;
    }
    if (!r.err.empty()) {
        return ::testing::AssertionFailure() << "standard error: " << r.err;
    }
    const std::size_t lines = lines_of(r.out).size();
    if (lines != 259) {
        return ::testing::AssertionFailure() << lines << " whole lines in " << r.out.size() << " bytes";
    }
    return ::testing::AssertionSuccess();
}

TEST(Text, IsTheIncludeTheOpeningTheEntriesAndTheClosing)
{
    const run_result r = run();
    ASSERT_TRUE(exited_with(r, 0));
    EXPECT_EQ(r.err, "");
    const std::vector<std::string> lines = lines_of(r.out);
    ASSERT_EQ(lines.size(), 259U) << "every line, the last included, must end with a line end";
    EXPECT_EQ(lines[0], "#include \"vkey.h\"");
    EXPECT_EQ(lines[1], "vkeymap vkey[256] = {");
    for (std::size_t i = 2; i < 257; ++i) {
        EXPECT_EQ(lines[i].rfind("\t{", 0), 0U) << "line " << i + 1 << ": " << lines[i];
        EXPECT_NE(lines[i].find("}, // "), std::string::npos) << "line " << i + 1 << ": " << lines[i];
    }
    EXPECT_EQ(lines[257], "\t{-1,-1,-1}") << "the entry of code 255 ends the list";
    EXPECT_EQ(lines[258], "};");
}

TEST(Text, HoldsOnlyPrintableAsciiTabsAndLineEnds)
{
    const run_result r = run();
    ASSERT_TRUE(wrote_the_text(r));
    for (std::size_t i = 0; i < r.out.size(); ++i) {
        const auto c = static_cast<unsigned char>(r.out[i]);
        EXPECT_TRUE(c == '\t' || c == '\n' || (c >= 32 && c <= 126)) << "byte " << i << " is " << int{c};
    }
}

struct entry_case {
    int code;
    const char* line;
};

// Entry lines by code: the values of the code's key, then the label.
const entry_case entry_cases[] = {
    {0, "\t{-1,-1,-1}, // 0"},      // no key: all -1; a control code: decimal
    {10, "\t{6,2,0}, // 10"},       // line feed
    {32, "\t{4,4,0}, // 32"},       // space, the last decimal label before 33
    {33, "\t{3,4,1}, // !"},        // the first character label
    {34, "\t{3,1,1}, // \""},       // double quote, as itself
    {47, "\t{7,3,1}, // /"},        // slash, as itself
    {64, "\t{5,4,1}, // @"},        // the shifted character of the 0 key
    {65, "\t{1,4,0}, // A"},        // a capital: unshifted
    {91, "\t{6,1,1}, // ["},        // the character before the backslash
    {92, "\t{4,5,1}, // 92"},       // backslash: decimal, since it would continue the comment
    {93, "\t{6,4,1}, // ]"},        // the character after the backslash
    {97, "\t{1,4,1}, // a"},        // a lowercase letter: shifted, on its capital's key
    {98, "\t{-1,-1,-1}, // b"},     // a lowercase letter that no key types
    {123, "\t{-1,-1,-1}, // {"},    // left brace, as itself
    {126, "\t{-1,-1,-1}, // ~"},    // the last character label
    {127, "\t{-1,-1,-1}, // 127"},  // delete: decimal again
    {128, "\t{-1,-1,-1}, // 128"},  // the first code above ASCII
    {254, "\t{-1,-1,-1}, // 254"},  // the last entry line
};

TEST(Text, EntryLinesHaveTheirCodesValuesAndLabels)
{
    const run_result r = run();
    ASSERT_TRUE(wrote_the_text(r));
    const std::vector<std::string> lines = lines_of(r.out);
    for (const entry_case& c : entry_cases) {
        EXPECT_EQ(lines[static_cast<std::size_t>(c.code) + 2], c.line) << "code " << c.code;
    }
}

struct alike_case {
    const char* name;
    run_options options;
};

// Runs that differ in all that the generator must not read.
const alike_case alike_cases[] = {
    {"again", {}},
    {"with_arguments", with_args({"--help", "-o", "out.c", ""})},
    {"with_an_empty_environment", with_env({})},
    {"with_another_locale", with_env({"LC_ALL=de_DE.UTF-8", "LANG=tr_TR.UTF-8", "LC_NUMERIC=ar_EG.UTF-8"})},
    {"with_standard_input_closed", with_stdin_closed()},
};

TEST(Text, IsTheSameWhateverSurroundsTheRun)
{
    const run_result first = run();
    ASSERT_TRUE(wrote_the_text(first));
    for (const alike_case& c : alike_cases) {
        const run_result r = run(c.options);
        EXPECT_TRUE(wrote_the_text(r)) << c.name;
        EXPECT_TRUE(r.out == first.out) << c.name << ": the text differs";
    }
}

struct failure_case {
    const char* name;
    sink out;
    int reason;
};

// Standard outputs that take no text, with the system's reason.
const failure_case failure_cases[] = {
    {"full_device", sink::dev_full, ENOSPC},
    {"closed_output", sink::closed, EBADF},
    {"pipe_without_reader", sink::pipe_no_reader, EPIPE},
};

TEST(FailedWrite, ExitsOneWithTheReason)
{
    for (const failure_case& c : failure_cases) {
        const run_result r = run(writing_to(c.out, true));
        EXPECT_TRUE(exited_with(r, 1)) << c.name << ": status " << r.status;
        EXPECT_EQ(r.err, std::string("gen_vkey: write error: ") + std::strerror(c.reason) + "\n") << c.name;
    }
}

TEST(FailedWrite, PipeWithoutReaderKillsWithSigpipeByDefault)
{
    const run_result r = run(writing_to(sink::pipe_no_reader, false));
    EXPECT_TRUE(WIFSIGNALED(r.status) && WTERMSIG(r.status) == SIGPIPE) << "status " << r.status;
    EXPECT_EQ(r.err, "");
}

}  // namespace
