// The progress record the window reads while the job writes it.
#include <gtest/gtest.h>

#include <thread>

#include "install.h"

TEST(Progress, StartsEmptyAtZero) {
    const Progress p(4);
    EXPECT_EQ(p.message(), "");
    EXPECT_EQ(p.progress(), 0.0f);
}

TEST(Progress, StepsAreQuartersOfFour) {
    Progress p(4);
    p.setMessage("Creating settings folder");
    p.step();
    EXPECT_EQ(p.progress(), 0.25f);
    p.step();
    p.step();
    EXPECT_EQ(p.progress(), 0.75f);
    EXPECT_EQ(p.message(), "Creating settings folder");
    p.setStep(1);
    EXPECT_EQ(p.progress(), 0.25f);
    EXPECT_EQ(p.message(), "Creating settings folder");
}

TEST(Progress, TakesOnlyTheJobsTexts) {
    Progress p(4);
    p.setMessage("Unpacking plugin");
    p.step();
    const std::string built = std::string("Unpacking") + " plugin";
    p.setMessage(built);  // same text, any storage
    EXPECT_EQ(p.message().data(), Progress::texts[4].data());
    EXPECT_THROW(p.setMessage("Something else"), std::invalid_argument);
    EXPECT_EQ(p.message(), "Unpacking plugin");
    EXPECT_EQ(p.progress(), 0.25f);
}

TEST(Progress, ReaderNeverSeesATornMessage) {
    Progress p(4);
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (int i = 0; !stop.load(); ++i) {
            p.setMessage(Progress::texts[i % Progress::texts.size()]);
            p.setStep(i % 5);
        }
    });
    for (int i = 0; i < 200000; ++i) {
        const std::string_view m = p.message();
        const bool known = std::any_of(Progress::texts.begin(), Progress::texts.end(), [&](std::string_view t) {
            return t.data() == m.data() && t.size() == m.size();
        });
        ASSERT_TRUE(known) << "torn read at " << i;
        const float f = p.progress();
        ASSERT_TRUE(f >= 0.0f && f <= 1.0f);
    }
    stop = true;
    writer.join();
}
