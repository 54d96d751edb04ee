// Which IrDA platform the environment selects, and how each is named to the user.

#include <gtest/gtest.h>

#include <cstdlib>

#include "U_irdachoice.h"

namespace {

void SetOrClear(const char* name, const char* value) {
    if (value)
        ::setenv(name, value, 1);
    else
        ::unsetenv(name);
}

TEST(IrdaChoice, EnvironmentPicksThePlatformInOrder) {
    struct {
        const char* dir;
        const char* port;
        bool kernel;
        EIrdaPlatformKind kind;
    } const cases[] = {
        {"/tmp/radios", "/dev/ttyUSB0", true, EIrdaPlatformKind::Virtual},
        {nullptr, "/dev/ttyUSB0", true, EIrdaPlatformKind::Sir},
        {"", "/dev/ttyUSB0", false, EIrdaPlatformKind::Sir},  // empty counts as unset
        {nullptr, nullptr, true, EIrdaPlatformKind::Kernel},
        {nullptr, "", true, EIrdaPlatformKind::Kernel},
        {nullptr, nullptr, false, EIrdaPlatformKind::Virtual},
    };
    for (const auto& c : cases) {
        SetOrClear("TESSEL_IRDA_DIR", c.dir);
        SetOrClear("TESSEL_IRDA_PORT", c.port);
        int asked = 0;
        const SIrdaPlatformChoice choice = SIrdaPlatformChoice::FromEnvironment([&] {
            ++asked;
            return c.kernel;
        });
        const std::string what = std::string(c.dir ? c.dir : "-") + " " + (c.port ? c.port : "-");
        EXPECT_EQ(choice.kind, c.kind) << what;
        if (c.kind == EIrdaPlatformKind::Sir) {
            EXPECT_EQ(choice.port, "/dev/ttyUSB0") << what;
        }
        if (c.kind == EIrdaPlatformKind::Virtual) {
            EXPECT_FALSE(choice.virtualDirectory.empty());
        }
        if (c.dir && *c.dir) {
            EXPECT_EQ(choice.virtualDirectory, c.dir);
        }
        // The system is only probed when neither variable decides.
        EXPECT_EQ(asked, (c.dir && *c.dir) || (c.port && *c.port) ? 0 : 1) << what;
    }
}

}  // namespace
