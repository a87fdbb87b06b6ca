// Tests of the arguments the executable reads: what each prints, where, and how it ends.
#include "command_line.h"

#include <gtest/gtest.h>

#include <vector>

#include "shell_test_folder.h"
#include "store_places.h"
#include "version_info.h"

namespace {

constexpr const char* kUsage = "Usage: quillmar [--help | --version]\n";

struct Answer {
  CommandLineOutcome outcome;
  std::string out, err;
};

Answer Read(std::vector<const char*> args) {
  Answer answer{};
  answer.outcome = ReadCommandLine(args, answer.out, answer.err);
  return answer;
}

TEST(CommandLine, NoArgumentRunsTheProgramSilently) {
  const Answer answer = Read({});
  EXPECT_TRUE(answer.outcome.runProgram);
  EXPECT_EQ(answer.out, "");
  EXPECT_EQ(answer.err, "");
}

TEST(CommandLine, VersionPrintsTheVersionRecordsNumber) {
  const Answer answer = Read({"--version"});
  EXPECT_FALSE(answer.outcome.runProgram);
  EXPECT_EQ(answer.outcome.exitCode, 0);
  EXPECT_EQ(answer.out, std::string("quillmar ") + kVersionRecord.strings.productVersion + "\n");
  EXPECT_EQ(answer.err, "");
  const auto& n = kVersionRecord.fileVersion;
  EXPECT_EQ(std::string(kVersionRecord.strings.fileVersion),
            std::to_string(n[0]) + "." + std::to_string(n[1]) + "." + std::to_string(n[2]) + "." +
                std::to_string(n[3]));
}

TEST(CommandLine, HelpSaysWhatTheProgramDoesAndWhereThisCopysBackupsGo) {
  ShellTestFolder folder;  // a portable copy in folder/prog
  for (const std::vector<const char*>& args :
       {std::vector<const char*>{"--help"}, std::vector<const char*>{"--help", "--version"}}) {
    const Answer answer = Read(args);
    EXPECT_FALSE(answer.outcome.runProgram);
    EXPECT_EQ(answer.outcome.exitCode, 0);
    EXPECT_EQ(answer.out.rfind(kUsage, 0), 0u) << answer.out;
    EXPECT_NE(answer.out.find("never changes, moves or deletes"), std::string::npos);
    EXPECT_NE(answer.out.find(StorePlacesText()), std::string::npos);
    EXPECT_NE(answer.out.find("This copy's backups folder: " + folder.Path("prog/backups/") + "\n"),
              std::string::npos)
        << answer.out;
    EXPECT_EQ(answer.err, "");
  }
}

TEST(CommandLine, AnyOtherArgumentIsRefusedInOneLineWithTheUsage) {
  const struct {
    std::vector<const char*> args;
    const char* named;
  } cases[] = {
      {{"--verbose"}, "--verbose"}, {{"-h"}, "-h"},    {{""}, ""},
      {{"--version", "x"}, "x"},    {{"a", "b"}, "a"}, {{"--Help"}, "--Help"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.named);
    const Answer answer = Read(c.args);
    EXPECT_FALSE(answer.outcome.runProgram);
    EXPECT_EQ(answer.outcome.exitCode, 2);
    EXPECT_EQ(answer.out, "");
    EXPECT_EQ(answer.err,
              "quillmar: unrecognized argument '" + std::string(c.named) + "'\n" + kUsage);
  }
}

}  // namespace
