#include "request/token_list.h"

#include <random>
#include <string>

#include "request/response_parser.h"
#include "session_fixture.h"

namespace request_test {
namespace {

using namespace request;

class TokenListTest : public SessionFixture {
 protected:
  // A list answer: an array at the top with one row per name/id pair.
  static std::string listAnswer(
      const std::vector<std::pair<std::string, std::string>>& rows) {
    std::string text = "<ArrayOfString xsd:type=\"u:string[2," +
                       std::to_string(rows.size()) + "]\">";
    for (const auto& [name, id] : rows) {
      text += "<Name>" + name + "</Name><ID>" + id + "</ID>";
    }
    return text + "</ArrayOfString>";
  }

  int load(ObjectKind kind, const std::string& answer) {
    session::releaseTree(session_.work.responseTree);
    session_.work.responseTree =
        session::trackedNew<session::ResponseNode>("test", __LINE__);
    EXPECT_EQ(
        ParseResponse(context_, answer.c_str(), session_.work.responseTree), 0);
    return LoadTokenList(context_, kind);
  }

  // "kind:name=id" of every token in list order.
  std::string tokens() const {
    std::string text;
    for (const session::ObjectToken* token = session_.tokenList;
         token != nullptr; token = token->next) {
      text += std::to_string(token->kind) + ":" + token->name + "=" +
              token->id + " ";
    }
    return text;
  }
};

TEST_F(TokenListTest, DuplicateNamesGetNumberedSuffixes) {
  ASSERT_EQ(
      load(
          kHosts,
          listAnswer(
              {{"A", "1"}, {"B", "2"}, {"A", "3"}, {"A{1}", "4"}, {"A", "5"}})),
      0);
  // The fourth host really is called A{1}: it clashes with the renamed
  // third and is renamed in turn; the fifth A passes A and A{1} both.
  EXPECT_EQ(tokens(), "4:A=1 4:B=2 4:A{1}=3 4:A{1}{2}=4 4:A{3}=5 ");

  // Within one command the counter goes on; kinds keep their own tokens.
  ASSERT_EQ(load(kVdisks, listAnswer({{"A", "9"}})), 0);
  ASSERT_EQ(load(kHosts, listAnswer({{"A", "1"}, {"A", "3"}})), 0);
  EXPECT_EQ(tokens(), "6:A=9 4:A=1 4:A{4}=3 ");
  EXPECT_NE(FindToken(context_, kHosts, "A{4}"), nullptr);
  EXPECT_EQ(FindToken(context_, kHosts, "a"), nullptr);
  EXPECT_TRUE(HasTokenOfKind(context_, kVdisks));

  RemoveTokensOfKind(context_, kHosts);
  EXPECT_EQ(tokens(), "6:A=9 ");
  RemoveTokensOfKind(context_, kAll);
  EXPECT_EQ(tokens(), "");
}

TEST_F(TokenListTest, ElementNamesAndTheLastValueOfARowCount) {
  ASSERT_EQ(load(kSystems,
                 "<ArrayOfString xsd:type=\"u:string[3,1]\">"
                 "<ElementName>Cell</ElementName><ElementID>E1</ElementID>"
                 "<Name>Renamed</Name></ArrayOfString>"),
            0);
  EXPECT_EQ(tokens(), "1:Renamed=E1 ");
}

TEST_F(TokenListTest, ARowWithoutIdStopsTheLoadAndShowsTheAnswer) {
  EXPECT_EQ(load(kFolders,
                 "<ArrayOfString xsd:type=\"u:string[2,2]\">"
                 "<Name>F1</Name><ID>1</ID><Name>F2</Name><Other>x</Other>"
                 "</ArrayOfString>"),
            1);
  EXPECT_EQ(output(),
            "\nError: Name \"Name\" and/or Id \"ID\" not found in token list"
            "\n  Member [0]:\n                        Name : F1"
            "\n                          ID : 1"
            "\n  Member [1]:\n                        Name : F2"
            "\n                       Other : x");
  EXPECT_EQ(tokens(), "3:F1=1 ");
}

// Renaming through the index of names gives what walking the list from its
// start for each new name gives, whatever the names the server sends.
TEST_F(TokenListTest, RenamingMatchesAWalkThroughTheList) {
  const std::string names[] = {"A",       "B",    "A{1}", "A{2}",
                               "A{1}{2}", "B{3}", "A{3}"};
  std::mt19937 random(9);
  for (int round = 0; round < 200; ++round) {
    std::vector<std::pair<std::string, std::string>> rows;
    for (int i = static_cast<int>(random() % 12); i > 0; --i) {
      rows.emplace_back(names[random() % std::size(names)], "1");
    }
    // A new command: the counter starts again, so the suffixes it makes
    // meet the names the server sent.
    session_.work.duplicateCounters[kHosts] = 0;
    uint32_t counter = 0;
    std::string expected;
    std::vector<std::string> kept;
    for (const auto& [name, id] : rows) {
      std::string current = name;
      for (const std::string& earlier : kept) {
        if (earlier == current)
          current += "{" + std::to_string(++counter) + "}";
      }
      kept.push_back(current);
      expected += "4:" + current + "=1 ";
    }
    ASSERT_EQ(load(kHosts, listAnswer(rows)), 0);
    ASSERT_EQ(tokens(), expected) << "round " << round;
  }
}

// A long list costs a few blocks, and half of it named alike is renamed
// as quickly as the rest is added: nothing walks the list per token.
TEST_F(TokenListTest, ALongListTakesFewBlocksAndGoesWithItsKind) {
  std::vector<std::pair<std::string, std::string>> rows;
  for (int i = 0; i < 20000; ++i) {
    rows.emplace_back(i % 2 == 0 ? "Same" : "H" + std::to_string(i),
                      std::to_string(i));
  }
  ASSERT_EQ(load(kVdisks, listAnswer({{"Kept", "0"}})), 0);
  session::releaseTree(session_.work.responseTree);
  std::size_t before = session::liveBlockCount();
  ASSERT_EQ(load(kHosts, listAnswer(rows)), 0);
  session::releaseTree(session_.work.responseTree);
  EXPECT_LT(session::liveBlockCount(), before + 20);
  ASSERT_NE(FindToken(context_, kHosts, "Same{9999}"), nullptr);
  EXPECT_EQ(FindToken(context_, kHosts, "Same{10000}"), nullptr);
  EXPECT_STREQ(FindToken(context_, kHosts, "H19999")->id, "19999");

  RemoveTokensOfKind(context_, kHosts);
  EXPECT_EQ(session::liveBlockCount(), before);
  EXPECT_EQ(tokens(), "6:Kept=0 ");
}

TEST_F(TokenListTest, AnEmptyNameFromTheServerIsFatal) {
  EXPECT_EXIT(
      {
        std::freopen("/dev/null", "r", stdin);
        session::outputStream = stderr;
        load(kHosts, listAnswer({{"", "7"}}));
      },
      ::testing::ExitedWithCode(1),
      "^\nError: Zero length name string found in object being added\n"
      "Object being added:\n\n     [0-9a-f]{8}  00000000   4\n><\n>7<"
      "\n\nPress return to exit$");
}

}  // namespace
}  // namespace request_test
