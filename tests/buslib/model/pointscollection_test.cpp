// The points collection: order, look-up, removal, copying and clearing while
// a worker thread holds a point.
#include "buslib/model/pointscollection.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

using namespace morva_velox;

namespace {

Address addressOf(std::uint8_t n)
{
    return Address::fromBytes(1, 1, n);
}

// The last byte of the address of each point, in order.
std::vector<int> order(const PointsCollection& points)
{
    std::vector<int> bytes;
    for (std::size_t i = 0; i < points.count(); ++i)
        bytes.push_back(points.at(i)->address().byte);
    return bytes;
}

PointsCollection collectionOf(std::initializer_list<std::uint8_t> bytes)
{
    PointsCollection points;
    for (const std::uint8_t byte : bytes)
        points.append(std::make_unique<Point>(addressOf(byte)));
    return points;
}

// Which points have been destroyed, for waiting on another thread.
class DestroyLog {
public:
    void add(int id)
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_destroyed.insert(id);
        }
        m_changed.notify_all();
    }
    bool has(int id) const
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_destroyed.count(id) == 1;
    }
    bool waitFor(const std::set<int>& ids, std::chrono::seconds limit)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, limit, [&] {
            for (const int id : ids) {
                if (m_destroyed.count(id) == 0)
                    return false;
            }
            return true;
        });
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::set<int> m_destroyed;
};

class TrackedPoint : public Point {
public:
    TrackedPoint(std::uint8_t n, DestroyLog& log)
        : Point(addressOf(n))
        , m_log(log)
    {
    }
    ~TrackedPoint() override { m_log.add(address().byte); }

private:
    DestroyLog& m_log;
};

} // namespace

TEST(PointsCollectionTest, IndexAndLookUp)
{
    PointsCollection points = collectionOf({1, 2, 3, 2});
    EXPECT_EQ(points.count(), 4u);
    EXPECT_EQ(points.at(3)->address(), addressOf(2));
    EXPECT_EQ(points.at(4), nullptr);
    EXPECT_EQ(points.at(100), nullptr);
    // The first point of a repeated address.
    EXPECT_EQ(points.findByAddress(addressOf(2)), points.at(1));
    EXPECT_EQ(points.findByAddress(addressOf(9)), nullptr);
    EXPECT_EQ(points.findByAddress(Address::fromBytes(2, 1, 1)), nullptr);
    EXPECT_EQ(points.findByAddress(Address::fromBytes(1, 2, 1)), nullptr);
}

TEST(PointsCollectionTest, MoveUpAndDown)
{
    struct Row {
        bool up;
        std::size_t index;
        std::vector<int> result;
    };
    const Row rows[] = {
        {true, 0, {1, 2, 3}},
        {true, 1, {2, 1, 3}},
        {true, 2, {1, 3, 2}},
        {true, 3, {1, 2, 3}},
        {false, 0, {2, 1, 3}},
        {false, 1, {1, 3, 2}},
        {false, 2, {1, 2, 3}},
        {false, 3, {1, 2, 3}},
    };
    for (const Row& row : rows) {
        PointsCollection points = collectionOf({1, 2, 3});
        if (row.up)
            points.moveUp(row.index);
        else
            points.moveDown(row.index);
        EXPECT_EQ(order(points), row.result) << row.up << " " << row.index;
    }
}

TEST(PointsCollectionTest, RemoveDestroysOnlyStoppedPoints)
{
    PointsCollection points = collectionOf({1, 2, 3});
    Point stranger(addressOf(2));
    EXPECT_FALSE(points.remove(&stranger));
    EXPECT_FALSE(points.remove(nullptr));
    EXPECT_EQ(points.count(), 3u);

    Point* held = points.at(1);
    ASSERT_TRUE(held->tryAcquire());
    EXPECT_FALSE(points.remove(held));
    EXPECT_FALSE(held->isBusy());
    EXPECT_EQ(points.count(), 3u);

    ASSERT_TRUE(held->tryAcquire());
    ASSERT_TRUE(held->requestStop());
    EXPECT_TRUE(points.remove(held));
    EXPECT_EQ(order(points), (std::vector<int>{1, 3}));
}

TEST(PointsCollectionTest, RemoveTakesTheGivenPointAmongEqualAddresses)
{
    PointsCollection points = collectionOf({2, 2});
    Point* first = points.at(0);
    Point* second = points.at(1);
    ASSERT_TRUE(first->tryAcquire()); // held by a worker
    ASSERT_TRUE(second->tryAcquire());
    ASSERT_TRUE(second->requestStop());

    EXPECT_TRUE(points.remove(second));
    ASSERT_EQ(points.count(), 1u);
    EXPECT_EQ(points.at(0), first);
    EXPECT_TRUE(first->isBusy());
    first->release();
}

TEST(PointsCollectionTest, RemoveStoppedTakesEveryStoppedPoint)
{
    PointsCollection points = collectionOf({1, 2, 3, 4, 5});
    for (const std::size_t i : {1, 2, 4}) {
        ASSERT_TRUE(points.at(i)->tryAcquire());
        ASSERT_TRUE(points.at(i)->requestStop());
    }
    Point* busy = points.at(0);
    ASSERT_TRUE(busy->tryAcquire());

    EXPECT_EQ(points.removeStopped(), 2u);
    EXPECT_EQ(order(points), (std::vector<int>{1, 4}));
    // A busy point without a stop request is released and stays.
    EXPECT_FALSE(busy->isBusy());
}

TEST(PointsCollectionTest, CopiesStartAfresh)
{
    PointsCollection original = collectionOf({1, 2});
    Point* first = original.at(0);
    first->setLabel("inlet");
    first->setState(41);
    Event failure(37, addressOf(1), WriteError);
    first->processEvent(failure);
    ASSERT_TRUE(first->tryAcquire());
    ASSERT_TRUE(first->requestStop());

    const PointsCollection copy(original);
    PointsCollection assigned = collectionOf({7, 8, 9});
    assigned = original;
    const PointsCollection* const both[] = {&copy, &assigned};
    for (const PointsCollection* points : both) {
        EXPECT_EQ(order(*points), (std::vector<int>{1, 2}));
        const Point* point = points->at(0);
        EXPECT_NE(point, first);
        EXPECT_EQ(point->label(), "inlet");
        EXPECT_EQ(point->state(), 1);
        EXPECT_FALSE(point->isBusy());
        EXPECT_FALSE(point->isStopRequested());
        EXPECT_EQ(point->lastErrorCode(), NoError);
    }

    const PointsCollection& same = assigned;
    assigned = same;
    EXPECT_EQ(assigned.count(), 2u);
    first->release();
}

TEST(PointsCollectionTest, ClearWaitsForAPointHeldByAnotherThread)
{
    DestroyLog log;
    auto points = std::make_unique<PointsCollection>();
    for (const std::uint8_t n : {1, 2, 3})
        points->append(std::make_unique<TrackedPoint>(n, log));
    Point* held = points->at(1);

    std::promise<void> acquired;
    std::promise<void> mayRelease;
    std::thread worker([&, done = mayRelease.get_future()] {
        EXPECT_TRUE(held->tryAcquire());
        acquired.set_value();
        done.wait();
        held->release(); // the point is not touched after this
    });
    acquired.get_future().wait();

    std::future<void> cleared = std::async(std::launch::async, [&] { points->clear(); });

    // The free points go while the held one keeps clear() waiting.
    ASSERT_TRUE(log.waitFor({1, 3}, std::chrono::seconds(30)));
    EXPECT_FALSE(log.has(2));
    EXPECT_EQ(cleared.wait_for(std::chrono::seconds(0)), std::future_status::timeout);

    mayRelease.set_value();
    ASSERT_EQ(cleared.wait_for(std::chrono::seconds(30)), std::future_status::ready);
    worker.join();
    EXPECT_TRUE(log.has(2));
    EXPECT_EQ(points->count(), 0u);
}

TEST(PointsCollectionTest, DestroyingTheCollectionDestroysItsPoints)
{
    DestroyLog log;
    {
        PointsCollection points;
        points.append(std::make_unique<TrackedPoint>(4, log));
        points.append(std::make_unique<TrackedPoint>(5, log));
    }
    EXPECT_TRUE(log.has(4));
    EXPECT_TRUE(log.has(5));
}
