// TAB completion over the real grammar and over a small graph holding the
// flags and list shapes the real one does not, and the name source that
// value positions draw on.
#include "language/completion.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "language/grammar.h"

namespace language {
namespace {

// Candidates as "TEXT" plus their suffix, joined by '|', so a missing blank
// or '=' after a candidate shows.
std::string render(const Completion& completion) {
  std::string out;
  for (const Candidate& candidate : completion.candidates) {
    if (!out.empty()) out += '|';
    out += candidate.text;
    if (candidate.suffix != '\0') out += candidate.suffix;
  }
  return out;
}

struct Case {
  std::string line;
  std::size_t wordStart;
  std::string candidates;
};

void expectCompletions(const CommandNode* root, const NameSource& names,
                       const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    Completion completion = complete(root, c.line, names);
    EXPECT_EQ(c.candidates, render(completion)) << "line: [" << c.line << "]";
    if (!completion.candidates.empty()) {
      EXPECT_EQ(c.wordStart, completion.wordStart)
          << "line: [" << c.line << "]";
    }
  }
}

TEST(Completion, KeywordsOfTheRealGrammar) {
  expectCompletions(
      rootList(), {},
      {
          {"", 0,
           "ADD |CAPTURE |DELETE |EMVERSION |EXERCISE_DISK |EXIT |FILE |HELP "
           "|REDISCOVER |RESTART |SELECT |SET |SHOW |SHUTDOWN "},
          {"SHO", 0, "SHOW "},
          {"  sh", 2, "show |shutdown "},
          {"Sh", 0, "SHOW |SHUTDOWN "},
          {"SHOW D", 5, "DISK |DISK_GROUP |DR_GROUP "},
          {"SHOW\tD", 5, "DISK |DISK_GROUP |DR_GROUP "},
          {"\tSET\tOPTIONS ON_ERROR\t=\tH", 24, "HALT_ON_ERROR "},
          // A complete keyword still lists the longer ones it begins.
          {"SHOW DISK", 5, "DISK |DISK_GROUP "},
          {"sho op", 4, "options "},
          {"ADD VDISK x SI", 12, "SIZE="},
          {"ADD VDISK x RED", 12, "REDUNDANCY="},
          {"ADD VDISK x REDUNDANCY=", 23, "VRAID0 |VRAID1 |VRAID5 "},
          {"ADD VDISK x REDUNDANCY = VRAID1 NOW", 32,
           "NOWAIT_FOR_COMPLETION |NOWRITE_PROTECT "},
          {"ADD VDISK x SIZE=10 NOR", 20, "NOREAD_CACHE "},
          {"ADD VDISK x COMMENT=\"two words\" W", 32,
           "WAIT_FOR_COMPLETION |WORLD_WIDE_LUN_NAME=|WRITE_PROTECT "},
          {"ADD VDISK (my disk) MI", 20, "MIRRORED_WRITEBACK "},
          {"set options on_error=h", 21, "halt_on_error "},
          // The '=' a keyword requires is offered on its own.
          {"ADD VDISK x REDUNDANCY ", 23, "="},
      });
}

TEST(Completion, OptionsAfterAValueAreListedWithTheirSuffixes) {
  Completion completion = complete(rootList(), "ADD VDISK x ", {});
  EXPECT_EQ(12u, completion.wordStart);
  EXPECT_EQ(
      "COMMENT=|DISK_GROUP=|MIRRORED_WRITEBACK |NOMIRRORED_WRITEBACK "
      "|OS_UNIT_ID=|PREFERRED_PATH=|NOPREFERRED_PATH |READ_CACHE "
      "|NOREAD_CACHE |REDUNDANCY=|SIZE=|WAIT_FOR_COMPLETION "
      "|NOWAIT_FOR_COMPLETION |WORLD_WIDE_LUN_NAME=|WRITE_PROTECT "
      "|NOWRITE_PROTECT ",
      render(completion));
}

TEST(Completion, NothingWhereTheParserWouldNotGoOn) {
  expectCompletions(rootList(), {},
                    {
                        // Hidden keywords, whether abbreviated or whole.
                        {"DEB", 0, ""},
                        {"DEBUG", 0, ""},
                        {"REG", 0, ""},
                        {"SHOW T", 0, ""},
                        {"SHOW TIME", 0, ""},
                        {"ADD VDISK x GROUP", 0, ""},
                        // Values: numbers, quoted texts, names without a
                        // source, unclosed brackets.
                        {"ADD VDISK x SIZE=", 0, ""},
                        {"ADD VDISK x SIZE=1", 0, ""},
                        {"ADD VDISK x COMMENT=", 0, ""},
                        {"ADD VDISK x COMMENT=\"two wo", 0, ""},
                        {"ADD VDISK ", 0, ""},
                        {"ADD VDISK \"my di", 0, ""},
                        // Errors before the cursor, and help.
                        {"SH ", 0, ""},
                        {"SHOW XYZ ", 0, ""},
                        {"ADD VDISK \"my\tdi", 0, ""},
                        {"ADD VDISK x SIZE 10 ", 0, ""},
                        {"SHOW ?", 0, ""},
                        {"SHOW ? ", 0, ""},
                        // The command has ended.
                        {"EXIT ", 0, ""},
                        {"SHOW OPTIONS ", 0, ""},
                    });
}

// ABC is a prefix of the two keywords before it, so the parser reports it
// as ambiguous even when written in full.
extern const CommandNode kFixtureObjects[];
const CommandNode kFixtureNames[] = {
    {0, nullptr, nullptr, "FULL"},
    {NODE_VALUE | NODE_LAST, nullptr, nullptr, "Name of object"},
};
const CommandNode kFixtureRoot[] = {
    {0, nullptr, nullptr, "ABCD"},
    {0, nullptr, nullptr, "ABCE"},
    {0, nullptr, nullptr, "ABC"},
    {NODE_FULL_WORD, nullptr, nullptr, "WHOLE"},
    {NODE_UNMATCHED, nullptr, nullptr, "WAITING"},
    {NODE_DISABLED, nullptr, nullptr, "WITHDRAWN"},
    {NODE_LAST, nullptr, kFixtureObjects, "SHOW"},
};
const CommandNode kFixtureNumber[] = {
    {NODE_VALUE | NODE_DECIMAL | NODE_LAST, nullptr, nullptr, "Number"},
};
const CommandNode kFixtureObjects[] = {
    {0, nullptr, kFixtureNames, "HOST"},
    {0, nullptr, kFixtureNumber, "LUN"},
    {NODE_LAST, nullptr, kFixtureNames, "VDISK"},
};

TEST(Completion, FlagsAndListShapesTheGrammarDoesNotUse) {
  expectCompletions(kFixtureRoot, {},
                    {
                        {"A", 0, "ABCD |ABCE "},
                        {"ABC", 0, "ABCD |ABCE "},
                        {"W", 0, ""},
                        {"WH", 0, ""},
                        {"whole", 0, "whole "},
                        {"WAITING", 0, ""},
                        {"WITHDRAWN", 0, ""},
                    });
}

TEST(Completion, ValuePositionsOfferTheNamesTheSourceHolds) {
  std::vector<std::string> seenPaths;
  NameSource names = [&](std::span<const CommandNode* const> path,
                         const CommandNode& valueNode,
                         std::vector<std::string>& out) {
    std::string seen;
    for (const CommandNode* node : path) seen += std::string(node->text) + " ";
    seenPaths.push_back(seen + "/ " + valueNode.text);
    if (std::string(path.back()->text) == "HOST") {
      out = {"hostA"};
      return;
    }
    out = {"alpha", "Alpine", "al=b", "al (x)", "(al", "al\"q",
           "al ",   "F",      "FU",   "FULLER", "?al", "alpha"};
  };
  expectCompletions(
      kFixtureRoot, names,
      {
          // Case matters in names; a name a keyword of its
          // list would swallow is left out; names with a
          // blank or '=' are quoted; names no line can carry
          // are not offered; duplicates are offered once.
          {"SHOW VDISK al", 11, "alpha |\"al=b\" |al\"q |\"al \" "},
          {"SHOW VDISK ", 11,
           "FULL |alpha |Alpine |\"al=b\" |al\"q |\"al \" |FULLER "},
          {"SHOW HOST h", 10, "hostA "},
          {"SHOW HOST x", 10, ""},
          {"SHOW LUN ", 9, ""},
      });
  ASSERT_FALSE(seenPaths.empty());
  EXPECT_EQ("SHOW VDISK / Name of object", seenPaths.front());
}

// Names with blanks and backslashes, as the manager lists them: folders end
// in a backslash, and a folder holds what continues its name.
TEST(Completion, NamesCompleteOneComponentAtATime) {
  NameSource names = [](std::span<const CommandNode* const>, const CommandNode&,
                        std::vector<std::string>& out) {
    out = {"\\Virtual Disks\\Finance\\ledger\\ACTIVE",
           "\\Virtual Disks\\Finance\\ledger\\nightly",
           "\\Virtual Disks\\Finance\\reports\\ACTIVE",
           "\\Hosts\\web01",
           "\\Hosts\\Mail Server",
           "\\Folders\\",
           "\\Folders\\sub\\",
           "\\Folders\\sub\\deeper\\"};
  };
  expectCompletions(
      kFixtureRoot, names,
      {
          // Inside quotes: component by component, the quote closed and a
          // blank added once the name is whole.
          {"SHOW VDISK \"\\Virtual Disks\\Fi", 11,
           "\"\\Virtual Disks\\Finance\\"},
          {"SHOW VDISK \"\\Virtual Disks\\Finance\\", 11,
           "\"\\Virtual Disks\\Finance\\ledger\\|"
           "\"\\Virtual Disks\\Finance\\reports\\"},
          {"SHOW VDISK \"\\Virtual Disks\\Finance\\ledger\\A", 11,
           "\"\\Virtual Disks\\Finance\\ledger\\ACTIVE\" "},
          {"SHOW VDISK \"  \\Ho", 11, "\"\\Hosts\\"},
          {"SHOW VDISK \"\\Hosts\\w", 11, "\"\\Hosts\\web01\" "},
          // Outside quotes: plain while the name allows, quoted from the
          // first blank on.
          {"SHOW VDISK \\V", 11, "\"\\Virtual Disks\\"},
          {"SHOW VDISK \\H", 11, "\\Hosts\\"},
          // Beside a name that needs quotes, the others get them too.
          {"SHOW VDISK \\Hosts\\", 11,
           "\"\\Hosts\\web01\" |\"\\Hosts\\Mail Server\" "},
          // A folder that holds more stays open.
          {"SHOW VDISK \\Fo", 11, "\\Folders\\"},
          {"SHOW VDISK \\Folders\\", 11, "\\Folders\\sub\\"},
          {"SHOW VDISK \\Folders\\sub\\", 11, "\\Folders\\sub\\deeper\\ "},
          {"SHOW VDISK \"\\Virtual Disks\\Fx", 0, ""},
      });
  // Listed from the component being typed on, without quotes.
  EXPECT_EQ("ledger\\   reports\\\n",
            formatCandidates(
                complete(kFixtureRoot,
                         "SHOW VDISK \"\\Virtual Disks\\Finance\\", names)
                    .candidates,
                80));
  EXPECT_EQ(
      "FULL             \\Virtual Disks\\  \\Hosts\\          \\Folders\\\n",
      formatCandidates(complete(kFixtureRoot, "SHOW VDISK ", names).candidates,
                       80));
}

// Several names, one with a blank: the word extends as far as they agree
// and takes the opening quote the one with a blank needs, so what is
// typed next continues inside the quotes. A name that would read
// differently in quotes keeps them all plain.
TEST(Completion, TheCommonPartOfNamesTakesTheQuoteOneOfThemNeeds) {
  const struct {
    std::vector<std::string> names;
    const char* line;
    const char* prefix;
  } cases[] = {
      {{"\\Hosts\\Unix\\web01", "\\Hosts\\Unix\\web 02"},
       "SHOW HOST \\Hosts\\Unix\\w",
       "\"\\Hosts\\Unix\\web"},
      {{"\\Hosts\\Unix\\web01", "\\Hosts\\Unix\\web 02"},
       "SHOW HOST \"\\Hosts\\Unix\\",
       "\"\\Hosts\\Unix\\web"},
      {{"\\Hosts\\Unix\\web01", "\\Hosts\\Unix\\web02"},
       "SHOW HOST \\Hosts\\Unix\\w",
       "\\Hosts\\Unix\\web0"},
      {{"web(1", "web 02"}, "SHOW HOST w", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    NameSource names = [&](std::span<const CommandNode* const>,
                           const CommandNode&,
                           std::vector<std::string>& out) { out = c.names; };
    Completion completion = complete(kFixtureRoot, c.line, names);
    ASSERT_EQ(2u, completion.candidates.size());
    EXPECT_EQ(c.prefix, commonPrefix(completion.candidates));
  }
  // Once the quote is in, the rest completes inside it.
  NameSource names = [](std::span<const CommandNode* const>, const CommandNode&,
                        std::vector<std::string>& out) {
    out = {"\\Hosts\\Unix\\web01", "\\Hosts\\Unix\\web 02"};
  };
  EXPECT_EQ(
      "\"\\Hosts\\Unix\\web01\" ",
      render(complete(kFixtureRoot, "SHOW HOST \"\\Hosts\\Unix\\web0", names)));
}

TEST(Completion, CandidatesAreListedInColumnsThatFitTheWidth) {
  Completion completion = complete(rootList(), "SHOW D", {});
  EXPECT_EQ("D", commonPrefix(completion.candidates));
  EXPECT_EQ("DISK        DISK_GROUP  DR_GROUP\n",
            formatCandidates(completion.candidates, 80));
  EXPECT_EQ("DISK        DISK_GROUP\nDR_GROUP\n",
            formatCandidates(completion.candidates, 30));
  EXPECT_EQ("DISK\nDISK_GROUP\nDR_GROUP\n",
            formatCandidates(completion.candidates, 5));
  EXPECT_EQ("VRAID", commonPrefix(complete(rootList(),
                                           "ADD VDISK x "
                                           "REDUNDANCY=V",
                                           {})
                                      .candidates));
}

}  // namespace
}  // namespace language
