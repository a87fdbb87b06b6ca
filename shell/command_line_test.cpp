// Tests of the arguments the executable reads: what each prints, where, how it ends, and the
// folder it hands to the window.
#include "command_line.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "cli/commands.h"
#include "platform/path_parts.h"
#include "shell_test_folder.h"
#include "store/store_layout.h"
#include "store_places.h"
#include "version_info.h"

namespace {

constexpr const char* kUsage = "Usage: quillmar [--help | --version | FOLDER]\n";
// What follows an error on standard error: the program's usage, then the commands'.
const std::string kFullUsage = std::string(kUsage) + kCommandsSynopsis;

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
  std::vector<const char*> asks = {"--help", "-h", "help"};
#if defined(_WIN32)
  asks.push_back("/?");
#endif
  for (const char* ask : asks) {
    SCOPED_TRACE(ask);
    const Answer answer = Read({ask});
    EXPECT_FALSE(answer.outcome.runProgram);
    EXPECT_EQ(answer.outcome.exitCode, 0);
    EXPECT_EQ(answer.out.rfind(kFullUsage, 0), 0u) << answer.out;
    EXPECT_NE(answer.out.find("never changes, moves or deletes"), std::string::npos);
    EXPECT_NE(answer.out.find(StorePlacesText()), std::string::npos);
    EXPECT_NE(answer.out.find("This copy's backups folder: " + folder.Path("prog/backups/") + "\n"),
              std::string::npos)
        << answer.out;
    EXPECT_NE(answer.out.find("FOLDER opens the window with FOLDER"), std::string::npos);
    // The store as it is laid out: each path its own copy, the shared name the latest of any.
    EXPECT_NE(answer.out.find("Each path keeps its own latest copy\nthere below \"" +
                              std::string(kMirrorFolderName) + "\""),
              std::string::npos)
        << answer.out;
    EXPECT_NE(answer.out.find("NAME + \"" + std::string(kCopySuffix) +
                              "\" is the\nlatest copy of any file of that name"),
              std::string::npos);
    EXPECT_EQ(answer.err, "");
  }
}

TEST(CommandLine, OneFolderRunsTheProgramWithItAndAnythingElseIsRefusedWithTheUsage) {
  ShellTestFolder folder;
  folder.MakeDir("docs");
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(folder.Path("."));
  const std::string absolute = folder.Path("docs");
  const std::string below = std::string("missing") + kPathSeparator + "sub";
  const std::string dotted = folder.Path("docs/../docs/./");
  const std::string trailing = std::string("docs") + kPathSeparator + kPathSeparator;
  const struct {
    std::vector<const char*> args;
    bool runs;
    std::string folder;  // when it runs
    std::string error;   // the first line on standard error when refused
  } cases[] = {
      {{absolute.c_str()}, true, absolute, ""},
      // Relative to the folder the program starts in, as a file manager or a shell means it.
      {{"docs"}, true, folder.Path("docs"), ""},
      // Resolved as a shell's cd would: the window shows, and the clean walks, the plain path.
      {{"."}, true, folder.Path("").substr(0, folder.Path("").size() - 1), ""},
      {{dotted.c_str()}, true, folder.Path("docs"), ""},
      {{trailing.c_str()}, true, folder.Path("docs"), ""},
      // Not checked here: the clean names a folder it cannot search.
      {{below.c_str()}, true, folder.Path("missing/sub"), ""},
      // A bare word that is no folder here is a command mistyped, not a folder to open.
      {{"lsit"}, false, "", "'lsit' is neither a command nor a folder"},
      {{"missing"}, false, "", "'missing' is neither a command nor a folder"},
      {{"--verbose"}, false, "", "unrecognized argument '--verbose'"},
      {{"-H"}, false, "", "unrecognized argument '-H'"},
      {{"--Help"}, false, "", "unrecognized argument '--Help'"},
      {{"-"}, false, "", "unrecognized argument '-'"},
      {{"docs", "--verbose"}, false, "", "unrecognized argument '--verbose'"},
      {{""}, false, "", "the folder name is empty"},
      {{"docs", "b"}, false, "", "one argument at most, 2 given"},
      {{"lsit", "--all"}, false, "", "'lsit' is neither a command nor a folder"},
      {{"--help", "--version"}, false, "", "one argument at most, 2 given"},
      {{"--version", "x"}, false, "", "one argument at most, 2 given"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.empty() ? "" : c.args.front());
    const Answer answer = Read(c.args);
    EXPECT_EQ(answer.outcome.runProgram, c.runs);
    EXPECT_EQ(answer.out, "");
    if (c.runs) {
      EXPECT_EQ(answer.outcome.folder, c.folder);
      EXPECT_EQ(answer.err, "");
    } else {
      EXPECT_EQ(answer.outcome.exitCode, 2);
      EXPECT_EQ(answer.outcome.folder, "");
      EXPECT_EQ(answer.err, "quillmar: " + c.error + "\n" + kFullUsage);
    }
  }
  std::filesystem::current_path(previous);
}

}  // namespace
