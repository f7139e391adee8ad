// Final actions that refuse a command before anything reaches the server:
// missing parts, the wrong system, names that cannot work.
#include <gtest/gtest.h>

#include <string>

#include "parse_fixture.h"
#include "support/loopback.h"

namespace objects_test {
namespace {

using testing_support::loopbackAddress;

class FinalActionChecksTest : public ParseFixture {
 protected:
  void SetUp() override {
    ParseFixture::SetUp();
    // Nothing listens here: a check that let the command through would
    // show up as a connection error instead of its own message.
    selectManager((loopbackAddress(39) + ":12301").c_str());
  }
};

struct CheckCase {
  const char* line;
  const char* output;
};

TEST_F(FinalActionChecksTest, RefusedWithoutContactingTheServer) {
  selectSystem("Cell1", "S1");
  const CheckCase cases[] = {
      {"ADD LUN 1", "\nError: Host must be specified"},
      {"ADD LUN 1 VDISK=v", "\nError: Host must be specified"},
      {"ADD LUN 1 HOST=h", "\nError: Vdisk must be specified"},
      {"ADD SNAPSHOT s", "\nError: Incomplete command"},
      {"ADD COPY c DISK_GROUP=g", "\nError: Incomplete command"},
      {"ADD FOLDER Sales", "\nError: Root folders cannot be created"},
      {"ADD FOLDER \\Sales", "\nError: Root folders cannot be created"},
      {"DELETE SYSTEM Cell2",
       "\nError: Only the selected system may be deleted"},
      {"DELETE CELL cell1", "\nError: Only the selected system may be deleted"},
      {"DELETE SYSTEM", "\nError: Incomplete command"},
      {"ADD DR_GROUP d DESTINATION_SYSTEM=s2",
       "\nError: VDISK must be specified"},
      {"EXERCISE_DISK START \" , ,\"",
       "\nError: No disk named in the list (EXERCISE_DISK START ALL "
       "exercises every disk)"},
  };
  for (const CheckCase& check : cases) {
    SCOPED_TRACE(check.line);
    run(check.line);
    EXPECT_EQ(output(), check.output);
  }
  EXPECT_STREQ(session_.systemName, "Cell1");
}

TEST_F(FinalActionChecksTest, CommandsOfTheSelectedSystemNeedOne) {
  const CheckCase cases[] = {
      {"ADD SYSTEM s",
       "\nError: Command not valid until a system is "
       "selected (SELECT SYSTEM)"},
      {"DELETE SYSTEM s", "\nError: Only the selected system may be deleted"},
      {"ADD VDISK v",
       "\nError: Command not valid until a system is "
       "selected (SELECT SYSTEM)"},
      {"EXERCISE_DISK STOP",
       "\nError: Command not valid until a system is "
       "selected (SELECT SYSTEM)"},
      {"RESTART c1",
       "\nError: Command not valid until a system is selected "
       "(SELECT SYSTEM)"},
  };
  for (const CheckCase& check : cases) {
    SCOPED_TRACE(check.line);
    run(check.line);
    EXPECT_EQ(output(), check.output);
  }
}

}  // namespace
}  // namespace objects_test
