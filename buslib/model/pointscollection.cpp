#include "buslib/model/pointscollection.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <utility>

namespace morva_velox {

namespace {

// How long clear() waits for a point that somebody else holds.
constexpr std::chrono::milliseconds HeldPointWait{150};

std::unique_ptr<Point> freshCopy(const Point& point)
{
    auto copy = std::make_unique<Point>(point);
    copy->restart();
    return copy;
}

} // namespace

PointsCollection::PointsCollection(const PointsCollection& other)
{
    assign(other);
}

PointsCollection& PointsCollection::operator=(const PointsCollection& other)
{
    assign(other);
    return *this;
}

PointsCollection::~PointsCollection()
{
    clear();
}

void PointsCollection::assign(const PointsCollection& other)
{
    if (this == &other)
        return;
    clear();
    for (const auto& point : other.m_points)
        append(freshCopy(*point));
}

void PointsCollection::append(std::unique_ptr<Point> point)
{
    if (point)
        m_points.push_back(std::move(point));
}

Point* PointsCollection::at(std::size_t index)
{
    return index < m_points.size() ? m_points[index].get() : nullptr;
}

const Point* PointsCollection::at(std::size_t index) const
{
    return index < m_points.size() ? m_points[index].get() : nullptr;
}

Point* PointsCollection::findByAddress(const Address& address)
{
    return at(indexOf(address));
}

const Point* PointsCollection::findByAddress(const Address& address) const
{
    return at(indexOf(address));
}

std::size_t PointsCollection::indexOf(const Address& address) const
{
    const auto found = std::find_if(m_points.begin(), m_points.end(),
                                    [&](const auto& point) { return point->address() == address; });
    return static_cast<std::size_t>(found - m_points.begin());
}

void PointsCollection::moveUp(std::size_t index)
{
    if (index > 0 && index < m_points.size())
        std::swap(m_points[index], m_points[index - 1]);
}

void PointsCollection::moveDown(std::size_t index)
{
    if (index + 1 < m_points.size())
        std::swap(m_points[index], m_points[index + 1]);
}

PointsCollection::Points::iterator PointsCollection::find(const Point* point)
{
    return std::find_if(m_points.begin(), m_points.end(),
                        [point](const auto& owned) { return owned.get() == point; });
}

bool PointsCollection::remove(const Point* point)
{
    const auto found = find(point);
    if (found == m_points.end())
        return false;
    (*found)->release();
    if (!(*found)->isStopRequested())
        return false;
    m_points.erase(found);
    return true;
}

std::size_t PointsCollection::removeStopped()
{
    std::size_t index = 0;
    while (index < m_points.size()) {
        Point* point = m_points[index].get();
        const bool removed = point->isBusy() && remove(point);
        // A removed point's successor moves into its place.
        if (!removed)
            ++index;
    }
    return m_points.size();
}

void PointsCollection::clear()
{
    while (!m_points.empty()) {
        std::size_t index = 0;
        while (index < m_points.size()) {
            Point* point = m_points[index].get();
            if (point->tryAcquire()) {
                point->requestStop();
                remove(point);
            } else {
                std::this_thread::sleep_for(HeldPointWait);
                ++index;
            }
        }
    }
}

} // namespace morva_velox
