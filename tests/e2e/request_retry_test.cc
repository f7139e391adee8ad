// A busy server with RETRIES 0: one attempt, and the busy answer is judged
// like any other (retries and their pauses are shown in the request-layer
// tests, which replace the clock).
#include <gtest/gtest.h>

#include "request_sim_session.h"
#include "support/loopback.h"

namespace e2e {
namespace {

using testing_support::loopbackAddress;

TEST(RequestRetry, NoRetriesSendsOnceAndReportsTheBusyAnswer) {
  SimSession sim(loopbackAddress(120), kRequestScenario,
                 {"--fault", "busy:1:18018"});
  REQUIRE_SIM(sim);
  auto run = runArguments(withManager(
      sim.address(), {"SET OPTIONS NORETRIES", "SHOW SYSTEM", "SHOW SYSTEM"}));
  EXPECT_OUTPUT(managerEcho(sim.address()) + echo("SET OPTIONS NORETRIES") +
                    echo("SHOW SYSTEM") +
                    "\nError: The element manager is busy, try again later" +
                    echo("SHOW SYSTEM") +
                    "\nSystems available on this Manager:\n  Alpha\n  Empty",
                run.output);
  EXPECT_EQ(sim.requestLog(),
            "12301 POST /zorbridge admin Get Element -> fault busy 18018\n"
            "12301 POST /zorbridge admin Get Element -> ok\n");
}

}  // namespace
}  // namespace e2e
