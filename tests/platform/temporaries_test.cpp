// The host's temporaries seen from several threads: arrays made on any thread
// are counted and reclaimed alike, also after their thread has ended, and an
// array made on one thread may be kept or destroyed on another.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "qx/qx.h"

namespace {

class Temporaries : public ::testing::Test {
protected:
    void SetUp() override { qxReclaimTemporaries(); }
    void TearDown() override { qxReclaimTemporaries(); }
};

TEST_F(Temporaries, ArraysOfEndedThreadsAreCountedAndReclaimed)
{
    for (int round = 0; round < 3; ++round) { // later rounds reuse the lists of ended threads
        std::thread([] {
            for (int i = 0; i < 3; ++i)
                qxCreateDoubleScalar(i);
        }).join();
        EXPECT_EQ(qxCountTemporaries(), 3u);
        EXPECT_EQ(qxReclaimTemporaries(), 3u);
        EXPECT_EQ(qxCountTemporaries(), 0u);
    }
}

TEST_F(Temporaries, ArraysKeptOrDestroyedOnAnotherThreadLeaveTheList)
{
    qxArray* kept = qxCreateDoubleScalar(1);
    qxArray* destroyed = qxCreateDoubleScalar(2);
    qxCreateDoubleScalar(3);
    std::thread([&] {
        qxSetArrayScope(kept, 2);
        qxDestroyArray(destroyed);
    }).join();
    EXPECT_EQ(qxCountTemporaries(), 1u);
    EXPECT_EQ(qxReclaimTemporaries(), 1u);
    EXPECT_EQ(qxGetArrayScope(kept), 2);
    qxDestroyArray(kept);
}

TEST_F(Temporaries, ThreadsMakingAndDroppingArraysTogetherLoseNone)
{
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([] {
            for (int i = 0; i < 2000; ++i) {
                qxArray* a = qxCreateDoubleScalar(i);
                qxArray* copy = qxCreateSharedDataCopy(a);
                qxSetArrayScope(copy, 2);
                qxDestroyArray(a);
                if (i % 100 == 0)
                    qxCreateDoubleScalar(-1); // left over
                qxDestroyArray(copy);
            }
        });
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(qxCountTemporaries(), 80u);
    EXPECT_EQ(qxReclaimTemporaries(), 80u);
}

} // namespace
