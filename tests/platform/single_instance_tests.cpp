// SPDX-License-Identifier: GPL-3.0-or-later
// One console for each user and desktop: a later start hands its file to the first and ends.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "platform/instance_message.h"
#include "platform/single_instance.h"

namespace tessary::platform {
namespace {

// What the first console heard, in order.
struct Heard {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::string> files;

    InstanceRequest recorder() {
        return [this](const std::string& file) {
            std::lock_guard lock(mutex);
            files.push_back(file);
            changed.notify_all();
        };
    }
};

std::string uniqueKey() { return "test-" + std::to_string(std::random_device{}()); }

TEST(SingleInstance, LaterStartsHandTheirFilesToTheFirstWhichListensUntilItEnds) {
    const std::string key = uniqueKey();
    Heard heard;
    InstanceClaim first = claimInstance(key, "", heard.recorder());
    ASSERT_TRUE(first.listener) << "the first start listens";
    EXPECT_FALSE(first.handedOver);

    const std::vector<std::string> files = {"", "/home/zoë/фото 1.jpg", "C:\\Users\\Zoë\\照片 1.png",
                                            "/tmp/two\nlines.jpg", std::string(3000, 'x') + ".tessary"};
    for (const std::string& file : files) {
        const InstanceClaim later = claimInstance(key, file, [](const std::string&) { ADD_FAILURE(); });
        EXPECT_TRUE(later.handedOver) << file;
        EXPECT_FALSE(later.listener) << file;
    }
    {
        std::unique_lock lock(heard.mutex);
        // The answer comes after the request was heard, so everything is here already.
        EXPECT_EQ(heard.files, files);
    }

    // Other keys (another desktop) do not meet it.
    EXPECT_TRUE(claimInstance(uniqueKey(), "/a.jpg", heard.recorder()).listener);

    // Once the first has ended, the next start is the first again.
    first.listener.reset();
    const InstanceClaim next = claimInstance(key, "/b.jpg", heard.recorder());
    EXPECT_TRUE(next.listener);
    EXPECT_FALSE(next.handedOver);
}

TEST(SingleInstance, OnlyWholeMessagesOfOursAreTaken) {
    struct Case {
        std::string text;
        bool complete;
        bool valid;
        std::string file;
    };
    const Case cases[] = {
        {instanceMessage("/a b.jpg"), true, true, "/a b.jpg"},
        {instanceMessage(""), true, true, ""},
        {"tessary-open 8\n/a b", false, true, ""},                    // still coming
        {"tessary-op", false, true, ""},                              // still coming
        {"tessary-open 3\n/ab.jpg", false, false, ""},                // more than it said
        {"GET / HTTP/1.1\r\n", false, false, ""},                     // not ours
        {"tessary-open x\n", false, false, ""},                       // no length
        {"tessary-open 9999999\n", false, false, ""},                 // longer than any file name
        {std::string("tessary-open 3\n/\0b", 18), false, false, ""},  // a NUL in the name
    };
    for (const Case& c : cases) {
        const ParsedInstanceMessage m = parseInstanceMessage(c.text);
        EXPECT_EQ(m.complete, c.complete) << c.text;
        EXPECT_EQ(m.valid, c.valid) << c.text;
        EXPECT_EQ(m.file, c.file) << c.text;
    }
}

}  // namespace
}  // namespace tessary::platform
